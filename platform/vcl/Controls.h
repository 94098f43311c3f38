// The Controls unit of the host layer: TControl (windowless, painted by its
// parent), TWinControl (a window of the window server, made on demand),
// TGraphicControl and TCustomControl (the two with a canvas), their margins
// and size constraints, hover tracking, mouse capture and key routing.
//
// Messages reach a control through WindowProc (replaceable; WndProc by
// default). WndProc does the work every message needs (mouse state, focus
// bookkeeping) and calls Dispatch; each class's Dispatch handles its own
// messages with a switch and hands the rest to its parent class's Dispatch,
// which ends in DefaultHandler (a windowed control's original window
// procedure). Perform sends a message straight to WindowProc.
//
// The top of a control tree (a form, or any windowed control placed on a
// foreign window through ParentWindow) keeps the focused control and answers
// CM_DIALOGKEY / CM_DIALOGCHAR. The form overrides the hooks marked "root
// hook" below to add its own behaviour (active control, key preview, Tab
// navigation, default buttons).
//
// Hover tracking: the control under the pointer is re-evaluated on every
// mouse move a control receives, when a tracked window reports that the
// pointer left it, and at idle through DoMouseIdle (the application calls
// it). When it changes, the old control receives CM_MOUSELEAVE and the new
// one CM_MOUSEENTER, both with LParam 0; each forwards the message to its
// parent with LParam set to the control the pointer entered or left, and so
// on up to the root, so a container learns about every change below it.
// OnMouseEnter/OnMouseLeave fire only for LParam 0.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/BasicActions.h"
#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/user/User.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

class TControl;
class TWinControl;
class TCustomForm;  // Forms.h
class TPopupMenu;   // Menus.h
class TControlActionLink;  // ActnList.h
class TDragImageList;      // ImgList.h
class TDragObject;
class TDragDockObject;
namespace controls_detail {
void DragControlDestroyed(TControl* c);
}


// ---------------------------------------------------------------------------
// Enumerations and sets

enum class TAlign : Byte { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
QN_ENUM_NAMES(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
using enum TAlign;
using TAlignSet = TSet<TAlign>;

enum class TAnchorKind : Byte { akLeft, akTop, akRight, akBottom };
QN_ENUM_NAMES(TAnchorKind, akLeft, akTop, akRight, akBottom)
using enum TAnchorKind;
using TAnchors = TSet<TAnchorKind>;
QN_TYPE_NAME(TAnchors)
// The anchors an alignment implies.
TAnchors AnchorAlign(TAlign Align);

enum class TControlStyleItem : Byte {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
  csParentBackground, csPannable, csAlignWithMargins, csGestures, csPaintBlackOpaqueOnGlass,
  csOverrideStylePaint
};
using enum TControlStyleItem;
using TControlStyle = TSet<TControlStyleItem>;

enum class TControlStateItem : Byte {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning,
  csRecreating, csAligning, csGlassPaint, csPrintClient
};
using enum TControlStateItem;
using TControlState = TSet<TControlStateItem>;

enum class TShiftStateItem : Byte {
  ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch, ssPen, ssCommand, ssHorizontal
};
using enum TShiftStateItem;
using TShiftState = TSet<TShiftStateItem>;

enum class TMouseButton : Byte { mbLeft, mbRight, mbMiddle };
QN_ENUM_NAMES(TMouseButton, mbLeft, mbRight, mbMiddle)
using enum TMouseButton;

enum class TBiDiMode : Byte { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
QN_ENUM_NAMES(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
using enum TBiDiMode;

// Drag and drop, and docking (whose properties and events exist and stream;
// a dkDock drag starts nothing).
enum class TDragMode : Byte { dmManual, dmAutomatic };
QN_ENUM_NAMES(TDragMode, dmManual, dmAutomatic)
using enum TDragMode;
enum class TDragKind : Byte { dkDrag, dkDock };
QN_ENUM_NAMES(TDragKind, dkDrag, dkDock)
using enum TDragKind;
enum class TDragState : Byte { dsDragEnter, dsDragLeave, dsDragMove };
using enum TDragState;
enum class TDragMessage : Byte { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };
using enum TDragMessage;

// Bevels and borders a windowed control draws in its non-client area.
enum class TBevelCut : Byte { bvNone, bvLowered, bvRaised, bvSpace };
QN_ENUM_NAMES(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
using enum TBevelCut;
enum class TBevelKind : Byte { bkNone, bkTile, bkSoft, bkFlat };
QN_ENUM_NAMES(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
using enum TBevelKind;
enum class TBevelEdge : Byte { beLeft, beTop, beRight, beBottom };
QN_ENUM_NAMES(TBevelEdge, beLeft, beTop, beRight, beBottom)
using enum TBevelEdge;
using TBevelEdges = TSet<TBevelEdge>;
QN_TYPE_NAME(TBevelEdges)
using TBevelWidth = Integer;
using TBorderWidth = Integer;

// The input method's mode while a control has the focus. The host's input
// method has no modes: the value is stored and streamed.
enum class TImeMode : Byte {
  imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese, imSHanguel,
  imHanguel
};
QN_ENUM_NAMES(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
              imChinese, imSHanguel, imHanguel)
using enum TImeMode;
using TImeName = String;

enum class THelpType : Byte { htKeyword, htContext };
QN_ENUM_NAMES(THelpType, htKeyword, htContext)
using enum THelpType;
using THelpContext = Integer;

// The answer to WM_MOUSEACTIVATE; maDefault leaves it to the window.
enum class TMouseActivate : Byte { maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat };
using enum TMouseActivate;

using TCaption = String;
using TTabOrder = SmallInt;

// MK_* flags and key data to shift states.
TShiftState KeysToShiftState(Word Keys);
TShiftState KeyDataToShiftState(Integer KeyData);
// The shift keys as GetKeyState has them now.
TShiftState KeyboardStateToShiftState();

// ---------------------------------------------------------------------------
// Events

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent = TEvent<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TEvent<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, Char& Key)>;
using TCanResizeEvent = TEvent<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    TEvent<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TAlignPosition = TEvent<void(TWinControl* Sender, TControl* Control, Integer& NewLeft, Integer& NewTop,
                                   Integer& NewWidth, Integer& NewHeight, TRect& AlignRect)>;

// Drag sources are the dragged control (for a control's own drag object)
// or the drag object itself.
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TDockDropEvent = TEvent<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y)>;
using TDockOverEvent = TEvent<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y,
                                   TDragState State, bool& Accept)>;
using TStartDockEvent = TEvent<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TUnDockEvent = TEvent<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
using TGetSiteInfoEvent = TEvent<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect,
                                      TPoint MousePos, bool& CanDock)>;
using TMouseActivateEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                        Integer Y, Integer HitTest, TMouseActivate& MouseActivate)>;

// ---------------------------------------------------------------------------
// Margins and size constraints

// The space an aligned control keeps around itself when AlignWithMargins is
// on (3 pixels on each side unless set).
class TMargins : public TPersistent {
  QN_CLASS(TMargins, TPersistent)
 public:
  explicit TMargins(TControl* Control);
  void Assign(TPersistent* Source) override;

  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value) { SetMargin(FLeft, Value); }
  Integer Top() const { return FTop; }
  void SetTop(Integer Value) { SetMargin(FTop, Value); }
  Integer Right() const { return FRight; }
  void SetRight(Integer Value) { SetMargin(FRight, Value); }
  Integer Bottom() const { return FBottom; }
  void SetBottom(Integer Value) { SetMargin(FBottom, Value); }
  void SetBounds(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
  TControl* Control() const { return FControl; }

  // The control's bounds with the margins added, when the control uses them.
  Integer ControlLeft() const;
  Integer ControlTop() const;
  Integer ControlWidth() const;
  Integer ControlHeight() const;

  TNotifyEvent OnChange;

  QN_PUBLISHED_DECL(TMargins) {
    QN_PROP(Left).Default(3);
    QN_PROP(Top).Default(3);
    QN_PROP(Right).Default(3);
    QN_PROP(Bottom).Default(3);
  }

 protected:
  void AssignTo(TPersistent* Dest) override;
  TPersistent* GetOwner() override;
  virtual void Change();

 private:
  void SetMargin(Integer& Field, Integer Value);
  TControl* FControl;
  Integer FLeft = 3, FTop = 3, FRight = 3, FBottom = 3;
};

using TConstraintSize = Integer;

// Limits on a control's size; 0 means no limit.
class TSizeConstraints : public TPersistent {
  QN_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* Control);
  void Assign(TPersistent* Source) override;

  TConstraintSize MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(TConstraintSize Value);
  TConstraintSize MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(TConstraintSize Value);
  TConstraintSize MinHeight() const { return FMinHeight; }
  void SetMinHeight(TConstraintSize Value);
  TConstraintSize MinWidth() const { return FMinWidth; }
  void SetMinWidth(TConstraintSize Value);
  TControl* Control() const { return FControl; }

  TNotifyEvent OnChange;

  QN_PUBLISHED_DECL(TSizeConstraints) {
    QN_PROP(MaxHeight).Default(0);
    QN_PROP(MaxWidth).Default(0);
    QN_PROP(MinHeight).Default(0);
    QN_PROP(MinWidth).Default(0);
  }

 protected:
  void AssignTo(TPersistent* Dest) override;
  TPersistent* GetOwner() override;
  virtual void Change();

 private:
  TControl* FControl;
  TConstraintSize FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

// ---------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
  QN_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  void BeforeDestruction() override;

  // Kept on the stack by code that calls out while it works on a control
  // (a paint that runs the control's handlers) and goes on afterwards: what
  // it called may have freed the control, and then nothing of it may be
  // touched. The control's destructor marks every watch still on it.
  class TFreeWatch {
   public:
    explicit TFreeWatch(TControl* Control);
    ~TFreeWatch();
    TFreeWatch(const TFreeWatch&) = delete;
    TFreeWatch& operator=(const TFreeWatch&) = delete;
    bool Freed() const { return FControl == nullptr; }

   private:
    friend class TControl;
    TControl* FControl;
    TFreeWatch* FNext;
  };

  // --- Messages
  TWndMethod WindowProc() const { return FWindowProc; }
  void SetWindowProc(TWndMethod Value);
  // Sends a message straight to WindowProc and returns its Result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  // The control's message procedure; WindowProc calls it unless replaced.
  virtual void WndProc(TMessage& Message);
  // Handles the class's own messages; the rest goes to the parent class's
  // Dispatch and in the end to DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // --- Position and size (in the parent's client coordinates)
  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  Integer Top() const { return FTop; }
  void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Asks CanResize, applies Constraints and (with AutoSize) CanAutoSize,
  // then moves the control; a veto leaves it where it was.
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  void SetBoundsRect(const TRect& Rect) { SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()); }
  TRect ClientRect() { return GetClientRect(); }
  Integer ClientWidth() { return ClientRect().Width(); }
  void SetClientWidth(Integer Value) { SetClientSize(TPoint(Value, ClientHeight())); }
  Integer ClientHeight() { return ClientRect().Height(); }
  void SetClientHeight(Integer Value) { SetClientSize(TPoint(ClientWidth(), Value)); }
  // The screen position of the client area's top-left corner.
  TPoint ClientOrigin() { return GetClientOrigin(); }
  TPoint ClientToScreen(const TPoint& Point);
  TPoint ScreenToClient(const TPoint& Point);
  // Between this control's client coordinates and those of AParent (the
  // direct parent when nil); AParent must be an ancestor.
  TPoint ClientToParent(const TPoint& Point, TWinControl* AParent = nullptr);
  TPoint ParentToClient(const TPoint& Point, TWinControl* AParent = nullptr);

  // --- Parent and visibility
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show();
  void Hide();
  bool Enabled() const { return GetEnabled(); }
  void SetEnabled(bool Value) { SetEnabledValue(Value); }
  // Visible, and every parent up to a showing window too.
  bool IsVisible() const;

  // --- Layout
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  bool AlignWithMargins() const { return FAlignWithMargins; }
  void SetAlignWithMargins(bool Value);
  TMargins* Margins() const { return FMargins.get(); }
  void SetMargins(TMargins* Value) { FMargins->Assign(Value); }
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  // Sizes the control to its content when AutoSize is on.
  virtual void AdjustSize();

  // --- Styles and state
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }

  // --- Text (CM_TEXTCHANGED when it changes)
  TCaption Caption() const { return GetText(); }
  void SetCaption(const TCaption& Value) { SetText(Value); }
  TCaption Text() const { return GetText(); }
  void SetText(const TCaption& Value);
  Integer GetTextLen() const;
  // Copies at most BufSize - 1 characters and a terminating 0; returns the
  // number copied.
  Integer GetTextBuf(Char* Buffer, Integer BufSize) const;
  void SetTextBuf(const Char* Buffer);

  // --- Appearance
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  // What a control takes from its parent is the parent's to store; a form
  // file holding it too would pin the value when the parent's changes.
  bool IsFontStored() const { return !FParentFont; }
  bool IsColorStored() const { return !FParentColor; }
  bool IsShowHintStored() const { return !FParentShowHint; }
  bool IsBiDiModeStored() const { return !FParentBiDiMode; }
  void SetParentFont(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  // The context menu slot; the menus unit shows it on WM_CONTEXTMENU.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  template <class M = TPopupMenu>
  void SetPopupMenu(M* Value) { SetPopupMenuComponent(Value, Value); }
  // The menu WM_CONTEXTMENU shows (PopupMenu unless overridden).
  virtual TPopupMenu* GetPopupMenu();

  // --- Action: caption, enabled, hint, visible and click follow it while
  // the control still has the action's values; Click runs it.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }
  // Brings the action's state into the control (the idle step calls it).
  virtual void InitiateAction();

  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value);
  bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }
  virtual bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  virtual bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  virtual bool UseRightToLeftScrollBar() const {
    return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
  }
  // Scales the control for a change of pixel density from D to M: the
  // bounds by M / D (rounded); descendants scale what else they measure
  // in pixels.
  virtual void ChangeScale(Integer M, Integer D);

  // --- Mouse
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // --- Painting and z-order
  virtual void Invalidate();
  virtual void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void SetZOrder(bool TopMost);

  // --- Events
  const TMouseActivateEvent& OnMouseActivate() const { return FOnMouseActivate; }
  void SetOnMouseActivate(const TMouseActivateEvent& Value) { FOnMouseActivate = Value; }
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(const TNotifyEvent& Value) { FOnDblClick = Value; }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(const TMouseEvent& Value) { FOnMouseDown = Value; }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(const TMouseMoveEvent& Value) { FOnMouseMove = Value; }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(const TMouseEvent& Value) { FOnMouseUp = Value; }
  const TMouseWheelEvent& OnMouseWheel() const { return FOnMouseWheel; }
  void SetOnMouseWheel(const TMouseWheelEvent& Value) { FOnMouseWheel = Value; }
  const TMouseWheelUpDownEvent& OnMouseWheelDown() const { return FOnMouseWheelDown; }
  void SetOnMouseWheelDown(const TMouseWheelUpDownEvent& Value) { FOnMouseWheelDown = Value; }
  const TMouseWheelUpDownEvent& OnMouseWheelUp() const { return FOnMouseWheelUp; }
  void SetOnMouseWheelUp(const TMouseWheelUpDownEvent& Value) { FOnMouseWheelUp = Value; }
  const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(const TNotifyEvent& Value) { FOnMouseEnter = Value; }
  const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(const TNotifyEvent& Value) { FOnMouseLeave = Value; }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(const TNotifyEvent& Value) { FOnResize = Value; }
  const TCanResizeEvent& OnCanResize() const { return FOnCanResize; }
  void SetOnCanResize(const TCanResizeEvent& Value) { FOnCanResize = Value; }
  const TConstrainedResizeEvent& OnConstrainedResize() const { return FOnConstrainedResize; }
  void SetOnConstrainedResize(const TConstrainedResizeEvent& Value) { FOnConstrainedResize = Value; }
  const TContextPopupEvent& OnContextPopup() const { return FOnContextPopup; }
  void SetOnContextPopup(const TContextPopupEvent& Value) { FOnContextPopup = Value; }

  // --- Drag and drop (Controls_Drag.cpp). With dmAutomatic a left press
  // starts a drag (at once when Mouse->DragImmediate, else past the
  // threshold) instead of the usual press handling.
  TDragMode DragMode() const { return FDragMode; }
  virtual void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  // Starts a drag of this control; with Immediate false it begins only when
  // the pointer has moved Threshold pixels (-1: Mouse->DragThreshold).
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  // Ends this control's drag: dropped where the pointer is, or cancelled.
  void EndDrag(bool Drop);
  bool Dragging() const;
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // The drop: OnDragDrop with the source and the client point.
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);
  const TDragOverEvent& OnDragOver() const { return FOnDragOver; }
  void SetOnDragOver(const TDragOverEvent& Value) { FOnDragOver = Value; }
  const TDragDropEvent& OnDragDrop() const { return FOnDragDrop; }
  void SetOnDragDrop(const TDragDropEvent& Value) { FOnDragDrop = Value; }
  const TStartDragEvent& OnStartDrag() const { return FOnStartDrag; }
  void SetOnStartDrag(const TStartDragEvent& Value) { FOnStartDrag = Value; }
  const TEndDragEvent& OnEndDrag() const { return FOnEndDrag; }
  void SetOnEndDrag(const TEndDragEvent& Value) { FOnEndDrag = Value; }
  const TStartDockEvent& OnStartDock() const { return FOnStartDock; }
  void SetOnStartDock(const TStartDockEvent& Value) { FOnStartDock = Value; }
  const TEndDragEvent& OnEndDock() const { return FOnEndDock; }
  void SetOnEndDock(const TEndDragEvent& Value) { FOnEndDock = Value; }

  // --- Help: the topic F1 asks the application for, by context number or
  // by keyword (HelpType); a control without one passes F1 to its parent.
  // Setting either also sets HelpType.
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value);
  String HelpKeyword() const { return FHelpKeyword; }
  void SetHelpKeyword(const String& Value);
  THelpType HelpType() const { return FHelpType; }
  void SetHelpType(THelpType Value) { FHelpType = Value; }

  // --- Component plumbing
  TComponent* GetParentComponent() override;
  bool HasParent() override;
  void SetParentComponent(TComponent* Value) override;
  void Loaded() override;
  // Takes the reader's parent as its own before reading its properties.
  void ReadState(TReader* Reader) override;
  // "ExplicitLeft", "ExplicitTop", "ExplicitWidth", "ExplicitHeight": the
  // bounds a designer kept from before alignment moved the control, read
  // and written back where they differ from the bounds.
  void DefineProperties(TFiler* Filer) override;

  // The message that a windowless control's parent hands on (hit-tested
  // mouse messages, WM_PAINT with the parent's DC).
  virtual void Click();
  virtual void DblClick();

  QN_PUBLISHED_DECL(TControl) {
    QN_PROP(Left).Default(0);
    QN_PROP(Top).Default(0);
    QN_PROP(Width).NoDefault();
    QN_PROP(Height).NoDefault();
    P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).TypeName(u"TCursor").Default(crDefault);
    QN_PROP(Hint).TypeName(u"TCaption");
    QN_PROP(AlignWithMargins).Default(false);
    QN_PROP(Margins);
  }

 protected:
  virtual TRect GetClientRect();
  virtual TPoint GetClientOrigin();
  virtual void SetClientSize(const TPoint& Value);
  virtual bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabledValue(bool Value);
  virtual String GetText() const;

  // Size negotiation, in the order SetBounds runs them.
  virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
  virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight);
  virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  bool DoCanResize(Integer& NewWidth, Integer& NewHeight);
  bool DoCanAutoSize(Integer& NewWidth, Integer& NewHeight);
  void DoConstrainedResize(Integer& NewWidth, Integer& NewHeight);
  bool CheckNewSize(Integer& NewWidth, Integer& NewHeight);
  virtual void Resize();
  virtual void ConstraintsChanged(TObject* Sender);
  void MarginsChanged(TObject* Sender);

  // Asks the parent to realign its children because this one changed.
  virtual void RequestAlign();
  void UpdateAnchorRules();
  // Invalidates the control's area on the parent.
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  virtual void VisibleChanging() {}
  virtual void Changed();

  // Mouse handlers: fire the On... events unless csNoStdEvents.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Drag handlers: DragOver asks OnDragOver (no handler: refused);
  // DoStartDrag fires OnStartDrag, which may give a drag object of its own;
  // DoEndDrag fires OnEndDrag with the target (nil when cancelled);
  // DragCanceled runs before it when the drag was not accepted.
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
  virtual void DragCanceled() {}
  void BeginAutoDrag();
  // CM_MOUSEACTIVATE: OnMouseActivate, or the parent's answer.
  virtual TMouseActivate MouseActivate(TMouseButton Button, TShiftState Shift, Integer X, Integer Y, Integer HitTest);
  // Sends CM_CANCELMODE to the root's focused control (a press is about to
  // start something new).
  void SendCancelMode(TControl* Sender);

  virtual void FontChanged(TObject* Sender);
  // With csSetCaption a caption that still equals the name follows it.
  void ChangeName(const TComponentName& NewName) override;
  void SetPopupMenuComponent(TComponent* Component, TPopupMenu* Menu);
  // Copies the action's properties; CheckDefaults (while loading) copies
  // only into properties still at their defaults.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TControlActionLink* CreateActionLink();
  void DoActionChange(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The DC a canvas of this control draws on outside painting: the
  // parent's, moved to the control's origin and clipped to it. WindowHandle
  // gets the window the DC belongs to (for ReleaseDC).
  virtual HDC GetDeviceContext(HWND& WindowHandle);

  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TControlStyle FControlStyle;
  TControlState FControlState;
  TWinControl* FParent = nullptr;
  bool FVisible = true;
  bool FEnabled = true;
  bool FAnchorMove = false;
  String FText;  // windowless text, and a windowed control's without a handle

 private:
  friend class TWinControl;
  friend class TControlCanvas;
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void HandleMouseEnterLeave(TMessage& Message, bool Enter);
  void CMParentFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMDrag(TMessage& Message);
  void DoDragMsg(TMessage& Message);
  void CMMouseActivate(TMessage& Message);
  friend class TBaseDragControlObject;

  TWndMethod FWindowProc;
  TAlign FAlign = alNone;
  bool FAlignWithMargins = false;
  std::unique_ptr<TMargins> FMargins;
  TAnchors FAnchors{akLeft, akTop};
  TPoint FAnchorRules;
  TPoint FOriginalParentSize;
  // Explicit bounds read from a form file (Left, Top, Width, Height); an
  // entry not read is INT32_MIN.
  Integer FExplicit[4] = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FAutoSize = false;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TCursor FCursor = crDefault;
  String FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  TComponent* FPopupMenuComponent = nullptr;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  TNotifyEvent FOnClick, FOnDblClick, FOnMouseEnter, FOnMouseLeave, FOnResize;
  TMouseEvent FOnMouseDown, FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TMouseWheelEvent FOnMouseWheel;
  TMouseWheelUpDownEvent FOnMouseWheelDown, FOnMouseWheelUp;
  TCanResizeEvent FOnCanResize;
  TConstrainedResizeEvent FOnConstrainedResize;
  TContextPopupEvent FOnContextPopup;
  std::unique_ptr<TControlActionLink> FActionLink;
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  TCursor FDragCursor = crDrag;
  TDragOverEvent FOnDragOver;
  TDragDropEvent FOnDragDrop;
  TStartDragEvent FOnStartDrag;
  TEndDragEvent FOnEndDrag, FOnEndDock;
  TStartDockEvent FOnStartDock;
  TMouseActivateEvent FOnMouseActivate;
  THelpContext FHelpContext = 0;
  String FHelpKeyword;
  THelpType FHelpType = htContext;
  TFreeWatch* FFreeWatches = nullptr;
};

using TControlClass = TClass;

// ---------------------------------------------------------------------------
// Drag objects (Controls_Drag.cpp). The drag manager keeps one drag at a
// time; its object says which cursor and image show and hears how it ended.

class TDragObject : public TObject {
  QN_CLASS(TDragObject, TObject)
 public:
  TDragObject() = default;
  ~TDragObject() override;
  virtual void Assign(TDragObject* Source);
  virtual String GetName() { return ClassName(); }
  // The cursor over the current target: crDrag when it accepts, crNoDrop
  // when it refuses.
  virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);
  virtual TDragImageList* GetDragImages() { return nullptr; }
  virtual void HideDragImage() {}
  virtual void ShowDragImage() {}

  bool Cancelling() const { return FCancelling; }
  void SetCancelling(bool Value) { FCancelling = Value; }
  // The window, control and points of the last position (screen, and the
  // target's client coordinates).
  HWND DragHandle() const { return FDragHandle; }
  void SetDragHandle(HWND Value) { FDragHandle = Value; }
  TPoint DragPos() const { return FDragPos; }
  void SetDragPos(const TPoint& Value) { FDragPos = Value; }
  TControl* DragTarget() const { return FDragTarget; }
  void SetDragTarget(TControl* Value) { FDragTarget = Value; }
  TPoint DragTargetPos() const { return FDragTargetPos; }
  void SetDragTargetPos(const TPoint& Value) { FDragTargetPos = Value; }
  // Whether the drag ended with a release (rather than a cancel).
  bool Dropped() const { return FDropped; }
  // Where the drag was picked up, as fractions of the source's size.
  Double MouseDeltaX() const { return FMouseDeltaX; }
  Double MouseDeltaY() const { return FMouseDeltaY; }
  // Whether a right-button release cancels rather than drops.
  bool RightClickCancels() const { return FRightClickCancels; }
  void SetRightClickCancels(bool Value) { FRightClickCancels = Value; }
  // Whether the drag image follows the pointer over every target, not only
  // over controls that ask for it (csDisplayDragImage).
  bool AlwaysShowDragImages() const { return FAlwaysShowDragImages; }
  void SetAlwaysShowDragImages(bool Value) { FAlwaysShowDragImages = Value; }
  // Freed by the drag manager when the drag is over.
  bool AutoFree() const { return FAutoFree; }
  // The drag window's procedure (WndProc).
  void MainWndProc(TMessage& Msg) { WndProc(Msg); }
  void SetMouseDelta(Double X, Double Y);

 protected:
  friend void DragDone(bool Drop);
  friend void controls_detail::DragControlDestroyed(TControl* c);
  // The end of the drag: Target and (X, Y) in its client coordinates, or
  // nil when not accepted.
  virtual void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {}
  // The drag window's messages: mouse moves, releases, Escape, losing the
  // capture.
  virtual void WndProc(TMessage& Msg);
  // The control this object drags, if any.
  virtual TControl* SourceControl() const { return nullptr; }
  virtual void ForgetControl(TControl*) {}

  bool FAutoFree = false;

 private:
  bool FCancelling = false;
  bool FDropped = false;
  bool FRightClickCancels = false;
  bool FAlwaysShowDragImages = false;
  HWND FDragHandle = nullptr;
  TPoint FDragPos, FDragTargetPos;
  TControl* FDragTarget = nullptr;
  Double FMouseDeltaX = 0, FMouseDeltaY = 0;
};

class TDragObjectEx : public TDragObject {
  QN_CLASS(TDragObjectEx, TDragObject)
 public:
  TDragObjectEx() { FAutoFree = true; }
};

class TBaseDragControlObject : public TDragObject {
  QN_CLASS(TBaseDragControlObject, TDragObject)
 public:
  explicit TBaseDragControlObject(TControl* AControl) : FControl(AControl) {}
  void Assign(TDragObject* Source) override;
  // Nil once the control went during the drag.
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value) { FControl = Value; }

 protected:
  // The source's DoEndDrag.
  virtual void EndDrag(TObject* Target, Integer X, Integer Y);
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
  TControl* SourceControl() const override { return FControl; }
  void ForgetControl(TControl* C) override {
    if (FControl == C) FControl = nullptr;
  }

 private:
  TControl* FControl;
};

// The object a control's drag gets unless OnStartDrag gives one: the
// control's DragCursor and drag images.
class TDragControlObject : public TBaseDragControlObject {
  QN_CLASS(TDragControlObject, TBaseDragControlObject)
 public:
  explicit TDragControlObject(TControl* AControl) : TBaseDragControlObject(AControl) {}
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
  TDragImageList* GetDragImages() override;
  void HideDragImage() override;
  void ShowDragImage() override;
};

class TDragControlObjectEx : public TDragControlObject {
  QN_CLASS(TDragControlObjectEx, TDragControlObject)
 public:
  explicit TDragControlObjectEx(TControl* AControl) : TDragControlObject(AControl) { FAutoFree = true; }
};

// The object of a docking drag; docking itself is not done.
class TDragDockObject : public TBaseDragControlObject {
  QN_CLASS(TDragDockObject, TBaseDragControlObject)
 public:
  explicit TDragDockObject(TControl* AControl) : TBaseDragControlObject(AControl) {}
  TRect DockRect() const { return FDockRect; }
  void SetDockRect(const TRect& Value) { FDockRect = Value; }
  bool Floating() const { return FFloating; }
  void SetFloating(bool Value) { FFloating = Value; }

 private:
  TRect FDockRect;
  bool FFloating = false;
};

// CM_DRAG: WParam a TDragMessage, LParam a TDragRec*. For the enter, move
// and leave messages the answer says whether the target accepts; for
// dmFindTarget it is the control at Pos.
struct TDragRec {
  TPoint Pos;  // screen coordinates
  TDragObject* Source = nullptr;
  TControl* Target = nullptr;
  bool Docking = false;
};
struct TCMDrag {
  explicit TCMDrag(TMessage& m) : Message(m) {}
  TMessage& Message;
  TDragMessage DragMessage() const { return static_cast<TDragMessage>(Message.WParam); }
  TDragRec* DragRec() const { return reinterpret_cast<TDragRec*>(Message.LParam); }
  LRESULT& Result() { return Message.Result; }
};

// The end of the drag that runs, if any: a drop on the target under the
// pointer (when it accepts) or a cancel.
void DragDone(bool Drop);
// CM_MOUSEACTIVATE carries a pointer to this record in LParam; the answer is
// a TMouseActivate.
struct TMouseActivateRec {
  TPoint MousePos;  // client coordinates of the control asked
  Integer HitTest = 0;
  TMouseButton Button = mbLeft;
  TShiftState ShiftState;
  HWND TopLevel = nullptr;
};

// Whether Sender is a drag object.
bool IsDragObject(TObject* Sender);
// Cancels the drag that runs, if any.
void CancelDrag();
// Our own: the drag object of the drag that runs (nil when none), and
// whether it has begun (the pointer passed the threshold).
TDragObject* CurrentDragObject();
bool DragInProgress();

// ---------------------------------------------------------------------------
// TControlCanvas: a canvas on a control. Outside painting it takes a DC of
// its own when drawn on and gives it back after the message being handled
// (FreeDeviceContexts); during painting the control sets the paint DC.

class TControlCanvas : public TCanvas {
  QN_CLASS(TControlCanvas, TCanvas)
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value);
  // Gives back a DC the canvas took itself.
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindowHandle = nullptr;
};

// Gives back the DCs that control canvases took outside painting.
void FreeDeviceContexts();

// ---------------------------------------------------------------------------
// TWinControl

// What CreateWnd makes the window from.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSEXW WindowClass;
  String WinClassName;
};

class TWinControl : public TControl {
  QN_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // --- The window
  // Made on demand (HandleNeeded); raises EInvalidOperation "Control '%s'
  // has no parent window" for a child without one.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window and makes it again with the same children, text
  // and focus.
  void RecreateWnd();
  // A foreign window to sit on, for a control without a Parent; such a
  // control is the root of its tree, as a form is.
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);
  // Visible, with a window, and every parent showing too.
  bool Showing() const { return FShowing && (!FParent || FParent->Showing()); }

  // --- Children: the windowless ones first, then the windowed ones, each
  // group bottom of the z-order first.
  TControl* Controls(Integer Index) const;
  Integer ControlCount() const { return static_cast<Integer>(FControls.size() + FWinControls.size()); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The topmost child under Pos (client coordinates): windowless ones
  // only unless AllowWinControls; the deepest one with AllLevels.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false,
                         bool AllLevels = false);
  // Sends the message to every child in turn until one answers non-zero.
  void Broadcast(TMessage& Message);
  // Performs Msg on every child (the parent in LParam's place: 0).
  void NotifyControls(UINT Msg);

  // --- Alignment
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return FAlignLevel != 0; }
  const TAlignPosition& OnAlignPosition() const { return FOnAlignPosition; }
  void SetOnAlignPosition(const TAlignPosition& Value) { FOnAlignPosition = Value; }
  void ScrollBy(Integer DeltaX, Integer DeltaY);

  // --- Focus
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  TTabOrder TabOrder() const;
  void SetTabOrder(TTabOrder Value);
  virtual void SetFocus();
  virtual bool Focused();
  virtual bool CanFocus();
  // The windowed children (all levels) in tab order.
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // Orders the tab list by the TabOrder values read for the children.
  void FixupTabList();
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  void SelectFirst();

  // --- Root hooks (overridden by the form)
  // The form this control is, if it is one.
  virtual TCustomForm* AsCustomForm() { return nullptr; }
  // Called on the root when Control receives the focus: sends CM_EXIT up
  // from the control losing it and CM_ENTER down to Control, then
  // broadcasts CM_FOCUSCHANGED. False when a handler moved the focus
  // elsewhere meanwhile.
  virtual bool SetFocusedControl(TWinControl* Control);
  // Called on the root by SetFocus of a control below it.
  virtual void FocusControl(TWinControl* Control);
  // Called on the root when Control (or a control holding it) is removed
  // or hidden while focused.
  virtual void DefocusControl(TWinControl* Control, bool Removing);
  // Whether the root sees its controls' keys first (the form's KeyPreview).
  virtual bool PreviewKeys() { return false; }
  // The root's control that holds the focus, or nil.
  TWinControl* FocusedControl() const { return FFocusedControl; }
  // The root's CM_CANCELMODE target for a press on Sender.
  virtual void CancelMode(TControl* Sender);

  // --- Painting
  void PaintTo(HDC DC, Integer X, Integer Y);
  void PaintTo(TCanvas* Canvas, Integer X, Integer Y);
  TBrush* Brush() const { return FBrush.get(); }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value);
  bool ParentBackground() const { return FControlStyle.Contains(csParentBackground); }
  void SetParentBackground(bool Value);
  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  void SetZOrder(bool TopMost) override;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetParent(TWinControl* AParent) override;
  // Scales the control, then its children and the size their anchors were
  // laid out in.
  void ChangeScale(Integer M, Integer D) override;

  // --- Keys
  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(const TKeyEvent& Value) { FOnKeyDown = Value; }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(const TKeyPressEvent& Value) { FOnKeyPress = Value; }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(const TKeyEvent& Value) { FOnKeyUp = Value; }
  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(const TNotifyEvent& Value) { FOnEnter = Value; }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(const TNotifyEvent& Value) { FOnExit = Value; }

  // --- Frame (Controls_Frame.cpp). Bevels take room inside the window's
  // border on the chosen edges (BevelWidth for each of BevelInner and
  // BevelOuter that is not bvNone), BorderWidth more on every side in the
  // brush colour; bkNone draws no bevel at all.
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  TBorderWidth BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(TBorderWidth Value);
  // Without Ctl3D a control that asks for a sunken client edge gets a flat
  // one-pixel border instead, and bevels are drawn flat.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  TImeName ImeName() const { return FImeName; }
  void SetImeName(const TImeName& Value) { FImeName = Value; }

  // --- Docking (stored and streamed; nothing docks)
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool Value) { FDockSite = Value; }
  bool UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool Value) { FUseDockManager = Value; }
  const TDockDropEvent& OnDockDrop() const { return FOnDockDrop; }
  void SetOnDockDrop(const TDockDropEvent& Value) { FOnDockDrop = Value; }
  const TDockOverEvent& OnDockOver() const { return FOnDockOver; }
  void SetOnDockOver(const TDockOverEvent& Value) { FOnDockOver = Value; }
  const TUnDockEvent& OnUnDock() const { return FOnUnDock; }
  void SetOnUnDock(const TUnDockEvent& Value) { FOnUnDock = Value; }
  const TGetSiteInfoEvent& OnGetSiteInfo() const { return FOnGetSiteInfo; }
  void SetOnGetSiteInfo(const TGetSiteInfoEvent& Value) { FOnGetSiteInfo = Value; }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  // "DesignSize": the client size the children's anchors were laid out at
  // in the designer, so children read from a form file follow their
  // anchors to the size the control has now.
  void DefineProperties(TFiler* Filer) override;
  // Once the children are read, orders the tab list by the numbers read.
  void ReadState(TReader* Reader) override;
  // Scales the children by M / D, and the design size they were anchored
  // in.
  void ScaleControls(Integer M, Integer D);
  virtual void CreateParams(TCreateParams& Params);
  // Takes the default procedure of a registered class (a native control's)
  // as the one DefaultHandler calls.
  void CreateSubClass(TCreateParams& Params, const Char* ControlClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateHandle();
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  virtual void DestroyHandle();
  void UpdateBounds();
  void UpdateShowing();
  void UpdateControlState();
  // The window of the child that follows AControl in z-order (for placing
  // a new window below it).
  HWND PrecedingWindow(TWinControl* Control);

  // Places the children: the anchored ones, then alTop, alBottom, alLeft,
  // alRight, alClient and alCustom each within what is left of Rect.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // The area AlignControls lays out in (the client rectangle by default).
  virtual void AdjustClientRect(TRect& Rect);
  virtual bool CustomAlignInsertBefore(TControl* C1, TControl* C2) { return false; }
  virtual void CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                   Integer& NewHeight, TRect& AlignRect);
  virtual void ControlsAligned() {}
  void AlignControl(TControl* AControl);
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;

  // Painting: the window's own picture (PaintWindow: DefaultHandler's
  // WM_PAINT into DC), then the windowless children over it.
  void PaintHandler(TMessage& Message);
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);

  // Key handlers; DoKeyDown etc. answer true when the key was consumed
  // (by the root's preview or by a handler zeroing it).
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyPress(Char& Key);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  virtual void DoEnter();
  virtual void DoExit();

  TRect GetClientRect() override;
  TPoint GetClientOrigin() override;
  void SetClientSize(const TPoint& Value) override;
  void SetEnabledValue(bool Value) override;
  String GetText() const override;
  HDC GetDeviceContext(HWND& WindowHandle) override;
  void FontChanged(TObject* Sender) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The frame: the room of the bevels and BorderWidth, and their drawing.
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void FrameChanged();
  // Without Ctl3D a requested client edge becomes a flat border.
  void ApplyCtl3D(TCreateParams& Params);
  bool HasFlatBorder() const { return FFlatBorder; }
  // Asks the help system for this control's topic (or the nearest
  // parent's); false when none has one.
  bool InvokeHelp();

  HWND WindowHandle() const { return FHandle; }
  WNDPROC DefWndProc() const { return FDefWndProc; }

 private:
  friend class TControl;
  friend LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Insert(TControl* AControl);
  void Remove(TControl* AControl);
  void DoAlign(TAlign AAlign, TControl* AControl, TRect& Rect);
  void DoPosition(TControl* Control, TAlign AAlign, TRect& Rect);
  bool IsControlMouseMsg(TMessage& Message);
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);
  bool IsMenuKey(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void DestroyChildHandles();
  void FreeHandleState();
  TWinControl* RootWinControl();

  HWND FHandle = nullptr;
  HWND FParentWindow = nullptr;
  WNDPROC FDefWndProc = nullptr;
  bool FShowing = false;
  // Read from "DesignSize"; (0, 0) when the file had none.
  TPoint FDesignSize;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  Integer FAlignLevel = 0;
  bool FAlignPending = false;
  std::vector<TControl*> FControls;        // windowless children, z-order bottom first
  std::vector<TWinControl*> FWinControls;  // windowed children, z-order bottom first
  std::vector<TWinControl*> FTabList;      // windowed children in tab order
  TTabOrder FTabOrder = -1;                // asked for before the control had a parent
  TWinControl* FFocusedControl = nullptr;
  Integer FFocusCount = 0;
  std::unique_ptr<TBrush> FBrush;
  TAlignPosition FOnAlignPosition;
  TKeyEvent FOnKeyDown, FOnKeyUp;
  TKeyPressEvent FOnKeyPress;
  TNotifyEvent FOnEnter, FOnExit;
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  TBevelCut FBevelInner = bvRaised, FBevelOuter = bvLowered;
  TBevelKind FBevelKind = bkNone;
  TBevelWidth FBevelWidth = 1;
  TBorderWidth FBorderWidth = 0;
  bool FCtl3D = true, FParentCtl3D = true, FFlatBorder = false;
  TImeMode FImeMode = imDontCare;
  TImeName FImeName;
  bool FDockSite = false, FUseDockManager = false;
  TDockDropEvent FOnDockDrop;
  TDockOverEvent FOnDockOver;
  TUnDockEvent FOnUnDock;
  TGetSiteInfoEvent FOnGetSiteInfo;
};

// ---------------------------------------------------------------------------
// TGraphicControl and TCustomControl

class TGraphicControl : public TControl {
  QN_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  // Valid inside Paint and outside it (then drawing on the parent's window
  // at the control's place).
  TCanvas* Canvas() const { return FCanvas.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
  QN_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  // Valid inside Paint and outside it (then on a DC of the window).
  TCanvas* Canvas() const { return FCanvas.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// ---------------------------------------------------------------------------
// Free functions

// The control of a window this unit made, or nil.
TWinControl* FindControl(HWND Handle);
// The nearest window at Pos (screen coordinates) that belongs to a control.
TWinControl* FindVCLWindow(const TPoint& Pos);
// The control at Pos, windowless ones included.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
// The form a control sits on (the topmost one with TopForm), or nil.
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
// The top of the control's parent chain.
TWinControl* GetRootControl(TControl* Control);

// The control that holds the mouse capture (a windowless one through its
// parent's window), or nil.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

// Hover tracking (see the header comment). MouseControl is the control the
// pointer is over as last evaluated; DoMouseIdle re-evaluates it.
TControl* MouseControl();
void DoMouseIdle();

// Key routing for the message loop: a key message for a window of a control
// first goes to the control as CN_BASE + message (CN_KEYDOWN, CN_CHAR...);
// true when the control consumed it, and the loop must not dispatch it.
bool IsControlKeyMsg(MSG& Msg);

// Whether Str has an accelerator "&c" for the character VK (case-insensitive;
// "&&" is a literal ampersand).
bool IsAccel(Word VK, const String& Str);

// How WM_SETCURSOR shows a control's cursor id: the forms unit sets it (to
// apply Screen's override and Cursors[]); it answers false to leave the
// window's class cursor. Without one the class cursor stays.
void SetControlCursorHandler(std::function<bool(TCursor Cursor)> Handler);

// Where a control's WM_MOUSEMOVE goes besides the control (the application
// sets its HintMouseMessage here).
void SetHintMouseHandler(std::function<void(TControl* Control, TMessage& Message)> Handler);

// The parts of a hint "short|long": the text before the bar, and the one
// after it; a hint without a bar is both.
String GetShortHint(const String& Hint);
String GetLongHint(const String& Hint);
// The hint a control shows: its own, or the nearest parent's that is not
// empty.
String GetHint(TControl* Control);

// ---------------------------------------------------------------------------
// THintWindow: the pop-up window a hint shows in. It never takes the
// activation or the focus and lets the mouse through (HTTRANSPARENT).

class THintWindow : public TCustomControl {
  QN_CLASS_CREATE(THintWindow, TCustomControl, TComponent)
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows AHint in Rect (screen coordinates, as CalcHintRect measured it),
  // moved inside the work area of the monitor it is on, topmost and
  // without activation; fades or slides in when the system asks for
  // tool-tip animation.
  virtual void ActivateHint(TRect Rect, const String& AHint);
  virtual void ActivateHintData(TRect Rect, const String& AHint, void* AData);
  // The size the hint needs: the text word-wrapped at MaxWidth plus the
  // margins Paint leaves.
  virtual TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData);
  // Messages that end a hint: keys, presses, commands, activation changes.
  virtual bool IsHintMsg(const MSG& Msg);
  void ReleaseHandle();
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

// Where exceptions raised inside a control's message handling go (the
// application sets its HandleException here; called from within the catch
// block). Without one they propagate to the caller of the window procedure.
void SetApplicationHandleException(std::function<void(TObject* Sender)> Handler);

// The unit's initialisation and finalisation.
void InitControls();
void DoneControls();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
