// uQnCustomButton: the base of every skinned image button. It owns the
// button's behaviour — hover, press with capture, sticky Down in groups,
// keys, the form's Enter and Escape buttons, the modal result, a drop-down
// arrow area that opens a pop-up menu and a press-and-hold repeat — and
// draws a face from a state strip with a caption and an optional layer
// strip. Descendants repaint it their own way and keep the behaviour.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnIntf.h"
#include "skin/foundation/uQuarnResManager.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

// User drawing into the finished face, before it goes to the screen.
using TCustomPaintEvent = TEvent<void(TObject* Sender, TBitmap32* Buffer)>;

// A shift of one part of a button's face; a change repaints the owner.
class TQnBtnItemOffset : public TPersistent {
  QN_CLASS(TQnBtnItemOffset, TPersistent)
 public:
  explicit TQnBtnItemOffset(TControl* AOwner, Integer AX = 0, Integer AY = 0) : FOwner(AOwner), FX(AX), FY(AY) {}
  void Assign(TPersistent* Source) override;

  Integer X() const { return FX; }
  void SetX(Integer Value);
  Integer Y() const { return FY; }
  void SetY(Integer Value);

  QN_PUBLISHED_DECL(TQnBtnItemOffset) {
    QN_PROP(X).Default(0);
    QN_PROP(Y).Default(0);
  }

 private:
  TControl* FOwner;
  Integer FX, FY;
};

// The drop-down offset's own defaults, so form files leave them out.
class TQnDropdownOffset : public TQnBtnItemOffset {
  QN_CLASS(TQnDropdownOffset, TQnBtnItemOffset)
 public:
  explicit TQnDropdownOffset(TControl* AOwner) : TQnBtnItemOffset(AOwner, -4, -4) {}
  QN_PUBLISHED_DECL(TQnDropdownOffset) {
    QN_PROP(X).Default(-4);
    QN_PROP(Y).Default(-4);
  }
};

class TQuarnCustomButton : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomButton, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCustomButton(TComponent* AOwner);
  ~TQuarnCustomButton() override;

  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool Value);
  TFont* HotFont() const { return FHotFont.get(); }
  void SetHotFont(TFont* Value) { FHotFont->Assign(Value); }
  TPngPictures* Pictures() const { return FPictures.get(); }
  void SetPictures(TPngPictures* Value) { FPictures->Assign(Value); }
  TPngPictures* DropdownMenuPictures() const { return FDropdownMenuPictures.get(); }
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  bool LayerMode() const { return FLayerMode; }
  void SetLayerMode(bool Value);
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  TRect DropdownMenuRect() const { return FDropdownMenuRect; }
  TQnBtnItemOffset* ImageOffset() const { return FImageOffset.get(); }
  void SetImageOffset(TQnBtnItemOffset* Value);
  TQnBtnItemOffset* CaptionOffset() const { return FCaptionOffset.get(); }
  void SetCaptionOffset(TQnBtnItemOffset* Value);
  Integer PressedOffset() const { return FPressedOffset; }
  void SetPressedOffset(Integer Value) { FPressedOffset = Value; }
  TQnAboutInfo About() const { return FAboutInfo; }
  void SetAbout(TQnAboutInfo) {}
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }
  // Whether Enter clicks this button now.
  bool Active() const { return FActive; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }
  TQnBtnItemOffset* DropdownMenuOffset() const { return FDropdownMenuOffset.get(); }
  void SetDropdownMenuOffset(TQnBtnItemOffset* Value) { FDropdownMenuOffset->Assign(Value); }
  bool CycleDownClick() const { return FCycleDownClick; }
  void SetCycleDownClick(bool Value) { FCycleDownClick = Value; }
  const TNotifyEvent& OnCycleDownClick() const { return FOnCycleDownClick; }
  void SetOnCycleDownClick(const TNotifyEvent& Value) { FOnCycleDownClick = Value; }
  bool IgnoreMouse() const { return FIgnoreMouse; }
  void SetIgnoreMouse(bool Value) { FIgnoreMouse = Value; }
  TPngPictures* Layers() const { return FLayers.get(); }
  void SetLayers(TPngPictures* Value) { FLayers->Assign(Value); }
  TQnBtnItemOffset* LayersOffset() const { return FLayersOffset.get(); }
  void SetLayersOffset(TQnBtnItemOffset* Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Streach() const { return FStreach; }
  void SetStreach(bool Value);
  const TCustomPaintEvent& OnCustomPaint() const { return FOnCustomPaint; }
  void SetOnCustomPaint(const TCustomPaintEvent& Value) { FOnCustomPaint = Value; }
  bool ShowFocusFrame() const { return FShowFocusFrame; }
  void SetShowFocusFrame(bool Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  // The face's state, as drawing chooses it.
  bool IsHot() const { return FMouseIn && !FDown; }
  bool IsPressed() const { return FMouseDown || FDown; }
  bool MouseIn() const { return FMouseIn; }
  bool SkipNextClick() const { return FSkipNextClick; }

  virtual void TurnSiblingsOff();
  void ScaleControlsForDpi(Integer NewPPI) override;
  void Click() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void ResetDropdownMenuRect();
  // The width the arrow area takes from the face (0 without a menu).
  Integer DropdownMenuWidth() const;

 protected:
  virtual void DrawDropdownMenu(TBitmap32* Buffer);
  virtual void DrawLayers(TBitmap32* Buffer);
  virtual void DrawFocusFrame(TBitmap32* Buffer) {}
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void DrawBody(TBitmap32* Buffer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // Frame of a strip for the current state (hot, disabled, pressed,
  // normal); false when the strip is off or has no such frame.
  bool StateFrame(TPngPictures* Strip, TQuarnImage* Image, bool UseDisabled = true);
  // The same frame where it lies in the strip, for drawing it uncopied.
  bool StateFrameRect(TPngPictures* Strip, TQuarnImage*& Source, TRect& Rect, bool UseDisabled = true);
  // The caption in the state's font, as the base and the push button draw it.
  void DrawStateCaption(TBitmap32* Buffer, TRect R);
  // The design-time outline, the user hook, the focus frame.
  void FinishFace(TBitmap32* Buffer, bool FocusFrame);

  void WMMouseMove(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMSize(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMFONTCHANGED(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMFocusChanged(TMessage& Message);

  bool FCaptionVisible = false;
  std::unique_ptr<TFont> FHotFont;
  std::unique_ptr<TPngPictures> FPictures;
  std::unique_ptr<TPngPictures> FDropdownMenuPictures;
  Integer FGroupIndex = 0;
  bool FLayerMode = false;
  TPopupMenu* FDropdownMenu = nullptr;
  TRect FDropdownMenuRect;
  bool FMouseInDropdownMenuRect = false;
  bool FPressedInDropdownMenuRect = false;
  std::unique_ptr<TQnBtnItemOffset> FImageOffset, FCaptionOffset;
  Integer FPressedOffset = 1;
  TQnAboutInfo FAboutInfo = aiQuarnComponent;
  TModalResult FModalResult = mrNone;
  bool FCancel = false, FDefault = false;
  bool FCanFocused = true;
  bool FActive = false;
  bool FWordWrap = false;
  std::unique_ptr<TQnDropdownOffset> FDropdownMenuOffset;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FActiveCycleDown;
  bool FCycleDownClick = false;
  TNotifyEvent FOnCycleDownClick;
  bool FIgnoreMouse = false;
  std::unique_ptr<TPngPictures> FLayers;
  std::unique_ptr<TQnBtnItemOffset> FLayersOffset;
  bool FAllowAllUp = false;
  bool FStreach = false;
  TCustomPaintEvent FOnCustomPaint;
  bool FShowFocusFrame = false;
  UInt64 FLastClick = 0;
  bool FSkipNextClick = false;
  bool FMouseIn = false;
  bool FMouseDown = false;
  bool FDown = false;
  bool FClicksDisabled = false;
  bool FPictureChanged = false;

 private:
  void PictureChanged(TObject* Sender);
  void RepeatTimer(TObject* Sender);
  void HoldTimer(TObject* Sender);
  void OpenDropdownMenu();
  bool InDropdownRect(Integer X, Integer Y) const;
};

// The properties every published button shares.
#define QN_BUTTON_COMMON_PROPS(P)                                                                                \
  QN_PROP(AllowAllUp).Default(false);                                                                           \
  QN_PROP(IgnoreMouse).Default(false);                                                                          \
  QN_PROP(CycleDownClick).Default(false);                                                                       \
  QN_PROP(WordWrap).Default(false);                                                                             \
  QN_PROP(Down).Default(false);                                                                                 \
  QN_PROP(HotFont);                                                                                             \
  QN_PROP(GroupIndex).Default(0);                                                                               \
  QN_PROP(DropdownMenuOffset);                                                                                  \
  QN_PROP(PressedOffset).Default(1);                                                                            \
  QN_PROP(CanFocused).Default(true);                                                                            \
  QN_PROP(Default).Default(false);                                                                              \
  QN_PROP(Cancel).Default(false);                                                                               \
  QN_PROP(ModalResult).TypeName(u"TModalResult").Default(0);                                                    \
  QN_PROP(ShowFocusFrame).Default(false);                                                                       \
  QN_PROP(OnCustomPaint).TypeName(u"TCustomPaintEvent");                                                        \
  QN_PROP(OnCycleDownClick).TypeName(u"TNotifyEvent");                                                          \
  QN_PROP(About).Default(aiQuarnComponent);                                                                     \
  P.Property(u"Action", &TControl::Action, &TControl::SetAction);                                               \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                                  \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});          \
  P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored).Default(bdLeftToRight);                  \
  P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");                      \
  P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);                                \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);                              \
  P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);                                                     \
  P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);                     \
  P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);         \
  P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);                          \
  P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);                          \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);                       \
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);                        \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                              \
  P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);                                            \
  P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);                                   \
  P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);                                      \
  P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);                                        \
  P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);                                \
  P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);                                \
  P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);                                      \
  P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);                             \
  P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave)

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
