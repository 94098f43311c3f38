// uQuarnScrollBar: a scroll bar painted entirely from skin images — a
// stretched track, a thumb and an arrow at each end, each in a normal, hot
// and pressed look — with auto-repeating arrows and paging, thumb dragging,
// optional keys and wheel, and AutoHide.
//
// How a scrolling host drives it (list boxes, memos, trees and the like all
// do the same):
//  1. The host keeps its window's own scroll bars switched on, so the window
//     goes on keeping range, page and position, but answers WM_NCCALCSIZE by
//     doing nothing, so they take no room (often also WM_NCPAINT by nothing
//     and WM_NCHITTEST with HTCLIENT).
//  2. After anything that can move range, page or position, the host reads
//     its scroll info and calls SetRange(Min, Max, Pos, Page), or
//     SetRange(0, 0, 0, 0) when the content fits. An in-range position is
//     stored without OnChange, so this never echoes back.
//  3. The host's OnChange handler scrolls its window to Position, as a rule
//     by WM_VSCROLL/WM_HSCROLL with SB_THUMBPOSITION in the low word and the
//     position in the high word. That word holds 16 bits: hosts whose
//     positions pass 0xFFFF scroll by the difference instead. The bar keeps
//     32-bit positions.
//  4. The bars are children along the host's right and bottom edges, as
//     thick as GetRealSize. With AutoHide a bar is visible exactly while its
//     page is not 0.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/vcl/StdCtrls.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// Window timers of the bar: the auto-repeat, and the one re-layout of the
// aligned siblings after AutoHide showed or hid the bar.
inline constexpr UINT_PTR QnScrollRepeatTimerID = 1;
inline constexpr UINT_PTR QnScrollRelayoutTimerID = 2000;

// One of the three parts: rectangle, hot and pressed.
struct TQnScrollButton {
  TRect Rect;
  bool Hot = false;
  bool Pressed = false;
};

class TQuarnScrollBar : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnScrollBar, TQuarnCustomControl, TComponent)
 public:
  // Indexes into FButtons.
  static constexpr Integer BtnThumb = 0, BtnFar = 1, BtnNear = 2;

  explicit TQuarnScrollBar(TComponent* AOwner);
  ~TQuarnScrollBar() override;

  // The hosts' entry point: position before page size.
  void SetRange(Integer AMin, Integer AMax, Integer APosition, Integer APageSize);
  // Thickness from the skin: the height of the horizontal track image or the
  // width of the vertical one; 0 when that image is missing.
  Integer GetRealSize();
  void SetBindingWinControl(TWinControl* Control) { FBindingWinControl = Control; }
  TWinControl* BindingWinControl() const { return FBindingWinControl; }
  void StopTimer();
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  Integer Min() const { return FMin; }
  void SetMin(Integer Value);
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value);
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value);
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer Value);
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer Value);
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  bool AutoHide() const { return FAutoHide; }
  void SetAutoHide(bool Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);

  // Layout, as painting and presses use it; public for hosts and tests.
  void CalcRects();
  const TQnScrollButton& Button(Integer Index) const { return FButtons[Index]; }
  TRect TrackArea() const { return NewTrackArea; }
  Integer Offset1Value() const { return Offset1; }
  Integer Offset2Value() const { return Offset2; }
  Integer TimerModeValue() const { return TimerMode; }
  // The thumb on the track CalcRects laid out last.
  void PlaceThumb();
  // The position a thumb dragged D pixels from its press would give.
  Integer CalcValue(Integer D);

#define QN_SCROLL_IMAGES(X)                                                                             \
  X(Scrollbar_bkg) X(Scrollbar_horz_bkg) X(Scrollbar_bar_normal) X(Scrollbar_bar_highlight)                \
  X(Scrollbar_bar_down) X(Scrollbar_horzbar_normal) X(Scrollbar_horzbar_highlight) X(Scrollbar_horzbar_down) \
  X(Scrollbar_arrowup_normal) X(Scrollbar_arrowup_highlight) X(Scrollbar_arrowup_down)                     \
  X(Scrollbar_arrowdown_normal) X(Scrollbar_arrowdown_highlight) X(Scrollbar_arrowdown_down)               \
  X(Scrollbar_arrowleft_normal) X(Scrollbar_arrowleft_highlight) X(Scrollbar_arrowleft_down)               \
  X(Scrollbar_arrowright_normal) X(Scrollbar_arrowright_highlight) X(Scrollbar_arrowright_down)
#define QN_SCROLL_IMAGE_ACCESS(N)             \
  TQnResID N() const { return F##N; }         \
  void Set##N(const TQnResID& Value);
  QN_SCROLL_IMAGES(QN_SCROLL_IMAGE_ACCESS)
#undef QN_SCROLL_IMAGE_ACCESS

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnLastChange() const { return FOnLastChange; }
  void SetOnLastChange(const TNotifyEvent& Value) { FOnLastChange = Value; }
  const TNotifyEvent& OnUpButtonClick() const { return FOnUpButtonClick; }
  void SetOnUpButtonClick(const TNotifyEvent& Value) { FOnUpButtonClick = Value; }
  const TNotifyEvent& OnDownButtonClick() const { return FOnDownButtonClick; }
  void SetOnDownButtonClick(const TNotifyEvent& Value) { FOnDownButtonClick = Value; }
  const TNotifyEvent& OnPageUp() const { return FOnPageUp; }
  void SetOnPageUp(const TNotifyEvent& Value) { FOnPageUp = Value; }
  const TNotifyEvent& OnPageDown() const { return FOnPageDown; }
  void SetOnPageDown(const TNotifyEvent& Value) { FOnPageDown = Value; }

  QN_PUBLISHED_DECL(TQuarnScrollBar) {
#define QN_SCROLL_IMAGE_PROP(N) QN_PROP(N).TypeName(u"TQnResID");
    QN_SCROLL_IMAGES(QN_SCROLL_IMAGE_PROP)
#undef QN_SCROLL_IMAGE_PROP
    QN_PROP(AutoHide).Default(false);
    QN_PROP(CanFocused).Default(false);
    QN_PROP(Kind).Default(sbHorizontal);
    QN_PROP(PageSize).Default(0);
    QN_PROP(Min).Default(0);
    QN_PROP(Max).Default(100);
    QN_PROP(Position).Default(0);
    QN_PROP(SmallChange).Default(1);
    QN_PROP(LargeChange).Default(1);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_PROP(OnLastChange).TypeName(u"TNotifyEvent");
    QN_PROP(OnUpButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnDownButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnPageUp).TypeName(u"TNotifyEvent");
    QN_PROP(OnPageDown).TypeName(u"TNotifyEvent");
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void TestActive(Integer X, Integer Y);

  Integer FMin = 0, FMax = 100, FPageSize = 0, FPosition = 0, FSmallChange = 1, FLargeChange = 1;
  TScrollBarKind FKind = sbHorizontal;
  bool FAutoHide = false;
  bool FCanFocused = false;
  TWinControl* FBindingWinControl = nullptr;
  bool FMouseInClientRect = false;
  bool FDown = false;
  bool MouseD = false;
  bool WaitMode = false;
  bool FClicksDisabled = false;
  Integer TimerMode = 0;
  Integer ActiveButton = -1, OldActiveButton = -1, CaptureButton = -1;
  Integer MX = 0, MY = 0;
  TQnScrollButton FButtons[3];
  TRect NewTrackArea;
  Integer Offset1 = 0, Offset2 = 0, BOffset = 0, OldBOffset = 0, OMPos = 0;
  TNotifyEvent FOnChange, FOnLastChange, FOnUpButtonClick, FOnDownButtonClick, FOnPageUp, FOnPageDown;
#define QN_SCROLL_IMAGE_FIELD(N) TQnResID F##N;
  QN_SCROLL_IMAGES(QN_SCROLL_IMAGE_FIELD)
#undef QN_SCROLL_IMAGE_FIELD

 private:
  bool Horizontal() const { return FKind == sbHorizontal; }
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  bool ShowsFocus();
  // The upper bound Position may take with the current page.
  Int64 TopPosition() const;
  void StartRepeat(Integer Ms);
  void PageBack();
  void PageForward();
  void StepBack();
  void StepForward();
  void LeavePart(Integer Index);
  void EnterPart(Integer Index);
  Integer HitPart(Integer X, Integer Y) const;
  void OnRepeatTimer();
  TQuarnImage* Img(const TQnResID& ID);
  // Image stretched along the bar to Length: from the pictures kept while
  // the store's generation stands, or made into Own.
  TQuarnImage* Sized(TQuarnImage* Image, Integer Length, std::unique_ptr<TQuarnImage>& Own);

  struct TSizedPicture {
    const TQuarnImage* Source;
    Integer Length;
    bool Horizontal;
    Cardinal Generation;
    std::unique_ptr<TQuarnImage> Picture;
  };
  std::vector<TSizedPicture> FSized;
  // Where the last drawing put the track and the thumb, when it drew them.
  bool FThumbDrawn = false;
  TRect FDrawnThumb, FDrawnTrack;
};

void InitQuarnScrollBar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
