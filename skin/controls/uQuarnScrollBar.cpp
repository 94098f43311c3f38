#include "skin/controls/uQuarnScrollBar.h"

#include <cmath>
#include <memory>

#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

// Halves go to the even neighbour, as the platform's Round does; the
// default floating-point environment rounds that way.
Integer RoundEven(double V) { return static_cast<Integer>(std::nearbyint(V)); }

bool ScrollContains(const TRect& R, Integer X, Integer Y) {
  return R.Left <= X && X < R.Right && R.Top <= Y && Y < R.Bottom;
}

}  // namespace

TQuarnScrollBar::TQuarnScrollBar(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
#define QN_SCROLL_IMAGE_INIT(N) F##N = u"Quarn" #N;
  QN_SCROLL_IMAGES(QN_SCROLL_IMAGE_INIT)
#undef QN_SCROLL_IMAGE_INIT
  // A drag or a held arrow keeps the pointer's messages when it leaves.
  SetControlStyle(ControlStyle() + TControlStyle{csCaptureMouse});
  SetCanFocused(false);
  SetColor(static_cast<TColor>(0xFFFFFF));
  SetBounds(Left(), Top(), 200, 19);
}

TQuarnScrollBar::~TQuarnScrollBar() = default;

TQuarnImage* TQuarnScrollBar::Img(const TQnResID& ID) { return TQuarnResManagerObj()->GetImageByName(ID); }

#define QN_SCROLL_IMAGE_SETTER(N)                              \
  void TQuarnScrollBar::Set##N(const TQnResID& Value) {         \
    if (F##N == Value) return;                                  \
    F##N = Value;                                               \
    if (&F##N != &FScrollbar_arrowup_down) Invalidate();        \
  }
QN_SCROLL_IMAGES(QN_SCROLL_IMAGE_SETTER)
#undef QN_SCROLL_IMAGE_SETTER

Integer TQuarnScrollBar::GetRealSize() {
  if (Horizontal()) {
    TQuarnImage* i = Img(FScrollbar_horz_bkg);
    return i ? i->Height() : 0;
  }
  TQuarnImage* i = Img(FScrollbar_bkg);
  return i ? i->Width() : 0;
}

void TQuarnScrollBar::StopTimer() {
  if (HandleAllocated()) KillTimer(Handle(), QnScrollRepeatTimerID);
  TimerMode = 0;
}

void TQuarnScrollBar::StartRepeat(Integer Ms) {
  if (HandleAllocated()) SetTimer(Handle(), QnScrollRepeatTimerID, static_cast<UINT>(Ms), nullptr);
}

void TQuarnScrollBar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TQuarnCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  Invalidate();
}

// ---------------------------------------------------------------------------
// The value

Int64 TQuarnScrollBar::TopPosition() const {
  // 64 bits: Max - PageSize + 1 leaves the Integer range for a full range.
  return FPageSize != 0 ? Int64(FMax) - FPageSize + 1 : Int64(FMax);
}

void TQuarnScrollBar::SetPosition(Integer Value) {
  Int64 v = Value;
  if (v < FMin) v = FMin;
  if (v > TopPosition()) v = TopPosition();
  // A page wider than the range leaves the top below Min; Min wins.
  if (v < FMin) v = FMin;
  if (v == FPosition) return;
  FPosition = static_cast<Integer>(v);
  Invalidate();
  if (FOnChange) FOnChange(this);
}

void TQuarnScrollBar::SetRange(Integer AMin, Integer AMax, Integer APosition, Integer APageSize) {
  if (Designing()) return;
  FMin = AMin;
  FMax = AMax;
  FPageSize = APageSize;
  if (APosition >= FMin && APosition <= TopPosition())
    FPosition = APosition;
  else
    SetPosition(APosition < FMin ? FMin : static_cast<Integer>(std::max<Int64>(FMin, TopPosition())));
  if (FAutoHide) {
    const bool show = FPageSize != 0;
    if (show != Visible()) {
      SetVisible(show);
      if (Align() != alNone && HandleAllocated()) SetTimer(Handle(), QnScrollRelayoutTimerID, 50, nullptr);
    }
  }
  // The range shows only in the thumb: a host syncing after every step of a
  // long list moves it by a pixel now and then, and the bar is drawn again
  // only then. Whatever else changed since the last drawing asked for its
  // own; the track is the one drawn unless a press laid the bar out since.
  if (FThumbDrawn && NewTrackArea == FDrawnTrack) {
    PlaceThumb();
    if (FButtons[BtnThumb].Rect == FDrawnThumb) return;
  }
  Invalidate();
}

void TQuarnScrollBar::SetMin(Integer Value) {
  FMin = Value;
  if (FPosition < FMin) FPosition = FMin;
  Invalidate();
}

void TQuarnScrollBar::SetMax(Integer Value) {
  FMax = Value;
  if (FPageSize != 0) {
    if (FPosition > TopPosition()) FPosition = static_cast<Integer>(std::max<Int64>(TopPosition(), INT32_MIN));
    if (FPosition < FMin) FPosition = FMin;
  } else if (FPosition > FMax) {
    FPosition = FMax;
  }
  Invalidate();
}

void TQuarnScrollBar::SetPageSize(Integer Value) {
  if (Int64(FPosition) + Value <= Int64(FMax) + 1) FPageSize = Value;
  Invalidate();
}

void TQuarnScrollBar::SetSmallChange(Integer Value) {
  if (FSmallChange == Value) return;
  FSmallChange = Value;
  Invalidate();
}

void TQuarnScrollBar::SetLargeChange(Integer Value) {
  if (FLargeChange == Value) return;
  FLargeChange = Value;
  Invalidate();
}

void TQuarnScrollBar::SetAutoHide(bool Value) {
  FAutoHide = Value;
  if (FAutoHide) SetVisible(false);
}

void TQuarnScrollBar::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TQuarnScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind != Value) {
    FKind = Value;
    Invalidate();
  }
  if ((Horizontal() && Height() > Width()) || (!Horizontal() && Width() > Height()))
    SetBounds(Left(), Top(), Height(), Width());
}

// ---------------------------------------------------------------------------
// Layout

void TQuarnScrollBar::CalcRects() {
  const Integer W = Width(), H = Height();
  if (Horizontal()) {
    if (TQuarnImage* i = Img(FScrollbar_arrowleft_normal)) {
      const Integer a = i->Width(), h = i->Height();
      FButtons[BtnNear].Rect = TRect(0, 0, a, h);
      FButtons[BtnFar].Rect = TRect(W - a, 0, W, H);
      NewTrackArea = TRect(a, 0, W - a, H);
    }
  } else if (TQuarnImage* i = Img(FScrollbar_arrowup_normal)) {
    const Integer a = i->Height(), w = i->Width();
    FButtons[BtnNear].Rect = TRect(0, 0, w, a);
    FButtons[BtnFar].Rect = TRect(0, H - a, W, H);
    NewTrackArea = TRect(0, a, W, H - a);
  }
  PlaceThumb();
}

void TQuarnScrollBar::PlaceThumb() {
  const Integer m = GetDPIScaledPixels(this, 21);
  const Integer start = Horizontal() ? NewTrackArea.Left : NewTrackArea.Top;
  const Integer end = Horizontal() ? NewTrackArea.Right : NewTrackArea.Bottom;
  const Integer L = end - start;
  Integer t;
  double r;
  if (FPageSize != 0) {
    // Spans in 64 bits: a full Integer range would wrap and invert the thumb.
    const Int64 span = Int64(FMax) - FMin + 1;
    t = span == 0 ? 0 : RoundEven(double(L) * FPageSize / double(span));
    if (t < m) t = m;
    const Int64 free = Int64(FMax) - FPageSize + 1 - FMin;
    r = free <= 0 ? (Horizontal() ? 1.0 : 0.0) : double(Int64(FPosition) - FMin) / double(free);
  } else {
    t = m;
    const Int64 span = Int64(FMax) - FMin;
    r = span == 0 ? 0.0 : double(Int64(FPosition) - FMin) / double(span);
  }
  const Integer half = t / 2;
  Offset1 = start + half;
  Offset2 = end - half;
  BOffset = RoundEven(double(Offset2 - Offset1) * r);
  const Integer a = Offset1 + BOffset - half, b = Offset1 + BOffset + half;
  FButtons[BtnThumb].Rect = Horizontal() ? TRect(a, NewTrackArea.Top, b, NewTrackArea.Bottom)
                                         : TRect(NewTrackArea.Left, a, NewTrackArea.Right, b);
}

Integer TQuarnScrollBar::CalcValue(Integer D) {
  double ratio;
  if (FPageSize != 0) {
    const TRect& th = FButtons[BtnThumb].Rect;
    const Integer len = Horizontal() ? th.Right - th.Left : th.Bottom - th.Top;
    const Integer start = Horizontal() ? NewTrackArea.Left : NewTrackArea.Top;
    const Integer end = Horizontal() ? NewTrackArea.Right : NewTrackArea.Bottom;
    Offset1 = start + len / 2;
    Offset2 = end - len / 2;
    const Integer span = Offset2 - Offset1;
    ratio = span <= 0 ? 0.0 : double(OldBOffset + D) / span;
    ratio = std::clamp(ratio, 0.0, 1.0);
    return static_cast<Integer>(RoundEven(double(Int64(FMax) - FMin - FPageSize + 1) * ratio) + Int64(FMin));
  }
  const Integer span = Offset2 - Offset1;
  ratio = span <= 0 ? 0.0 : double(D + OldBOffset) / span;
  ratio = std::clamp(ratio, 0.0, 1.0);
  return static_cast<Integer>(RoundEven(double(Int64(FMax) - FMin) * ratio) + Int64(FMin));
}

// ---------------------------------------------------------------------------
// Painting

bool TQuarnScrollBar::ShowsFocus() { return FCanFocused && HandleAllocated() && Focused(); }

void TQuarnScrollBar::DrawBody(TBitmap32* Buffer) {
  FThumbDrawn = false;
  const Integer W = Width(), H = Height();
  if (W < 1 || H < 1) return;
  TQuarnImage* leftHot = Img(FScrollbar_arrowleft_highlight);
  TQuarnImage* upHot = Img(FScrollbar_arrowup_highlight);
  TQuarnImage* horzBkg = Img(FScrollbar_horz_bkg);
  TQuarnImage* vertBkg = Img(FScrollbar_bkg);
  if (!leftHot || !upHot || !horzBkg || !vertBkg) return;
  CalcRects();
  FThumbDrawn = true;
  FDrawnThumb = FButtons[BtnThumb].Rect;
  FDrawnTrack = NewTrackArea;

  auto blend = [Buffer](TQuarnImage* I, Integer X, Integer Y) {
    if (!I) return;
    I->SetDrawMode(TDrawMode::dmBlend);
    I->DrawTo(Buffer, X, Y);
  };
  std::unique_ptr<TQuarnImage> own;
  if (Horizontal()) {
    Integer n = W - 2 * leftHot->Width();
    if (n > 0) {
      n = std::max(n, horzBkg->Width());
      blend(Sized(horzBkg, n, own), leftHot->Width(), 0);
    }
  } else {
    Integer n = H - 2 * upHot->Height();
    if (n >= 1) {
      n = std::max(n, vertBkg->Height());
      blend(Sized(vertBkg, n, own), 0, upHot->Height());
    }
  }

  const bool focused = ShowsFocus();
  const TQnResID* ids[3][3] = {
      // normal, highlight, down
      {Horizontal() ? &FScrollbar_horzbar_normal : &FScrollbar_bar_normal,
       Horizontal() ? &FScrollbar_horzbar_highlight : &FScrollbar_bar_highlight,
       Horizontal() ? &FScrollbar_horzbar_down : &FScrollbar_bar_down},
      {Horizontal() ? &FScrollbar_arrowright_normal : &FScrollbar_arrowdown_normal,
       Horizontal() ? &FScrollbar_arrowright_highlight : &FScrollbar_arrowdown_highlight,
       Horizontal() ? &FScrollbar_arrowright_down : &FScrollbar_arrowdown_down},
      {Horizontal() ? &FScrollbar_arrowleft_normal : &FScrollbar_arrowup_normal,
       Horizontal() ? &FScrollbar_arrowleft_highlight : &FScrollbar_arrowup_highlight,
       Horizontal() ? &FScrollbar_arrowleft_down : &FScrollbar_arrowup_down}};
  for (Integer p = 0; p < 3; ++p) {
    if (p == BtnThumb && !Enabled()) continue;
    const TQnScrollButton& b = FButtons[p];
    const TQnResID* id;
    if (b.Pressed || focused)
      id = ids[p][2];
    else if (b.Hot)
      id = ids[p][1];
    else if (p == BtnThumb || FMouseInClientRect)
      id = ids[p][0];
    else
      continue;
    TQuarnImage* i = Img(*id);
    if (!i) continue;
    blend(Sized(i, Horizontal() ? b.Rect.Right - b.Rect.Left : b.Rect.Bottom - b.Rect.Top, own), b.Rect.Left,
          b.Rect.Top);
  }
}

// The store's images keep their pixels while its generation stands, so
// their stretched copies are kept too: a wheel notch then only blends them.
TQuarnImage* TQuarnScrollBar::Sized(TQuarnImage* Image, Integer Length, std::unique_ptr<TQuarnImage>& Own) {
  auto make = [&] { return Horizontal() ? ResizeHorzImg(Image, Length, 0) : ResizeVertImg(Image, Length); };
  TQuarnResManager* store = TQuarnResManagerObj();
  if (!SkinCachesEnabled() || !store->HandedOut(Image)) {
    Own.reset(make());
    return Own.get();
  }
  const Cardinal gen = store->Generation();
  std::erase_if(FSized, [gen](const TSizedPicture& e) { return e.Generation != gen; });
  for (TSizedPicture& e : FSized)
    if (e.Source == Image && e.Length == Length && e.Horizontal == Horizontal()) return e.Picture.get();
  // The bar's background, its thumb and the two arrows in their states.
  constexpr size_t kKept = 8;
  if (FSized.size() >= kKept) FSized.erase(FSized.begin());
  FSized.push_back({Image, Length, Horizontal(), gen, std::unique_ptr<TQuarnImage>(make())});
  return FSized.back().Picture.get();
}

// ---------------------------------------------------------------------------
// Mouse

Integer TQuarnScrollBar::HitPart(Integer X, Integer Y) const {
  for (Integer p = 0; p < 3; ++p)
    if (ScrollContains(FButtons[p].Rect, X, Y)) return p;
  return -1;
}

void TQuarnScrollBar::StepBack() {
  if (FOnDownButtonClick)
    FOnDownButtonClick(this);
  else
    SetPosition(static_cast<Integer>(std::max<Int64>(INT32_MIN, Int64(FPosition) - FSmallChange)));
}

void TQuarnScrollBar::StepForward() {
  if (FOnUpButtonClick)
    FOnUpButtonClick(this);
  else
    SetPosition(static_cast<Integer>(std::min<Int64>(INT32_MAX, Int64(FPosition) + FSmallChange)));
}

void TQuarnScrollBar::PageBack() {
  SetPosition(static_cast<Integer>(std::max<Int64>(INT32_MIN, Int64(FPosition) - FLargeChange)));
  if (FOnPageUp) FOnPageUp(this);
}

void TQuarnScrollBar::PageForward() {
  SetPosition(static_cast<Integer>(std::min<Int64>(INT32_MAX, Int64(FPosition) + FLargeChange)));
  if (FOnPageDown) FOnPageDown(this);
}

void TQuarnScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == TMouseButton::mbLeft) {
    MouseD = true;
    CalcRects();
    TimerMode = 0;
    WaitMode = true;
    const Integer hit = HitPart(X, Y);
    if (hit < 0) {
      if (ScrollContains(NewTrackArea, X, Y)) {
        const TRect& th = FButtons[BtnThumb].Rect;
        if (Horizontal() ? X >= th.Left : Y >= th.Top) {
          SetPosition(static_cast<Integer>(std::min<Int64>(INT32_MAX, Int64(FPosition) + FLargeChange)));
          TimerMode = 4;
          StartRepeat(11);
          if (FOnPageDown) FOnPageDown(this);
        } else {
          SetPosition(static_cast<Integer>(std::max<Int64>(INT32_MIN, Int64(FPosition) - FLargeChange)));
          TimerMode = 3;
          StartRepeat(11);
          if (FOnPageUp) FOnPageUp(this);
        }
      }
    } else {
      CaptureButton = hit;
      FButtons[hit].Pressed = true;
      Invalidate();
      if (hit == BtnThumb) {
        OMPos = Horizontal() ? X : Y;
        OldBOffset = BOffset;
        FDown = true;
        Invalidate();
      } else if (hit == BtnFar) {
        StepForward();
        TimerMode = 2;
        StartRepeat(11);
      } else {
        StepBack();
        TimerMode = 1;
        StartRepeat(11);
      }
    }
  }
  TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
}

void TQuarnScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  MX = X;
  MY = Y;
  TestActive(X, Y);
  if (FDown) SetPosition(CalcValue((Horizontal() ? X : Y) - OMPos));
  TQuarnCustomControl::MouseMove(Shift, X, Y);
}

void TQuarnScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  MouseD = false;
  if (TimerMode >= 3) StopTimer();
  const Integer captured = CaptureButton;
  if (captured >= 0) {
    FButtons[captured].Pressed = false;
    if (captured != HitPart(X, Y)) FButtons[captured].Hot = false;
    Invalidate();
    if (captured == BtnThumb)
      FDown = false;
    else
      StopTimer();
    if (Button == TMouseButton::mbLeft && captured == BtnThumb && FOnLastChange) FOnLastChange(this);
  }
  CaptureButton = -1;
  TQuarnCustomControl::MouseUp(Button, Shift, X, Y);
}

void TQuarnScrollBar::LeavePart(Integer Index) {
  FButtons[Index].Hot = false;
  Invalidate();
  // Leaving a held arrow pauses its repeating.
  if (Index != BtnThumb && FButtons[Index].Pressed && HandleAllocated()) KillTimer(Handle(), QnScrollRepeatTimerID);
}

void TQuarnScrollBar::EnterPart(Integer Index) {
  FButtons[Index].Hot = true;
  Invalidate();
  if (Index != BtnThumb && FButtons[Index].Pressed) StartRepeat(50);
}

void TQuarnScrollBar::TestActive(Integer X, Integer Y) {
  Integer now = HitPart(X, Y);
  if (CaptureButton >= 0 && now != CaptureButton) now = -1;
  if (now == ActiveButton) return;
  OldActiveButton = ActiveButton;
  ActiveButton = now;
  if (OldActiveButton >= 0) LeavePart(OldActiveButton);
  if (ActiveButton >= 0) EnterPart(ActiveButton);
}

void TQuarnScrollBar::KeyDown(Word& Key, TShiftState Shift) {
  TQuarnCustomControl::KeyDown(Key, Shift);
  if (!FCanFocused) return;
  if (Key == VK_LEFT || Key == VK_UP)
    SetPosition(static_cast<Integer>(std::max<Int64>(INT32_MIN, Int64(FPosition) - FSmallChange)));
  else if (Key == VK_RIGHT || Key == VK_DOWN)
    SetPosition(static_cast<Integer>(std::min<Int64>(INT32_MAX, Int64(FPosition) + FSmallChange)));
}

void TQuarnScrollBar::OnRepeatTimer() {
  if (WaitMode) {
    WaitMode = false;
    KillTimer(Handle(), QnScrollRepeatTimerID);
    StartRepeat(50);
    return;
  }
  switch (TimerMode) {
    case 1: StepBack(); break;
    case 2: StepForward(); break;
    case 3:
      TestActive(MX, MY);
      CalcRects();
      if (Horizontal() ? MX < FButtons[BtnThumb].Rect.Left : MY < FButtons[BtnThumb].Rect.Top)
        PageBack();
      else
        StopTimer();
      break;
    case 4:
      TestActive(MX, MY);
      CalcRects();
      if (Horizontal() ? MX > FButtons[BtnThumb].Rect.Right : MY > FButtons[BtnThumb].Rect.Bottom)
        PageForward();
      else
        StopTimer();
      break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// Messages

void TQuarnScrollBar::WndProc(TMessage& Message) {
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Designing() && FCanFocused &&
      HandleAllocated() && !Focused()) {
    FClicksDisabled = true;
    vcl::SetFocus(Handle());
    FClicksDisabled = false;
    if (!Focused()) return;
  }
  if (Message.Msg == CN_COMMAND && FClicksDisabled) return;
  TQuarnCustomControl::WndProc(Message);
}

void TQuarnScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      TQuarnCustomControl::Dispatch(Message);
      const Integer t = GetRealSize();
      if (Horizontal() && Height() != t)
        SetBounds(Left(), Top(), Width(), t);
      else if (!Horizontal() && Width() != t)
        SetBounds(Left(), Top(), t, Height());
      return;
    }
    case WM_TIMER:
      if (Message.WParam == QnScrollRelayoutTimerID) {
        KillTimer(Handle(), QnScrollRelayoutTimerID);
        const Integer h = Height();
        SetBounds(Left(), Top(), Width(), h - 1);
        SetBounds(Left(), Top(), Width(), h);
        return;
      }
      if (Message.WParam == QnScrollRepeatTimerID) {
        OnRepeatTimer();
        return;
      }
      TQuarnCustomControl::Dispatch(Message);
      return;
    case CM_MOUSEENTER:
      TQuarnCustomControl::Dispatch(Message);
      if (Designing()) return;
      FMouseInClientRect = true;
      Invalidate();
      return;
    case CM_MOUSELEAVE:
      TQuarnCustomControl::Dispatch(Message);
      if (Designing()) return;
      FMouseInClientRect = false;
      if (ActiveButton >= 0 && CaptureButton < 0 && !FDown) {
        FButtons[ActiveButton].Hot = false;
        ActiveButton = -1;
      }
      if (MouseD && TimerMode >= 3) StopTimer();
      Invalidate();
      return;
    case CM_WANTSPECIALKEY:
      if (FCanFocused && Message.WParam >= VK_LEFT && Message.WParam <= VK_DOWN) {
        Message.Result = 1;
        return;
      }
      TQuarnCustomControl::Dispatch(Message);
      return;
    case WM_MOUSEWHEEL:
      if (FCanFocused && HandleAllocated() && Focused()) {
        const auto delta = static_cast<SHORT>(HIWORD(Message.WParam));
        if (delta <= 0)
          SetPosition(static_cast<Integer>(std::min<Int64>(INT32_MAX, Int64(FPosition) + FSmallChange)));
        else
          SetPosition(static_cast<Integer>(std::max<Int64>(INT32_MIN, Int64(FPosition) - FSmallChange)));
        Message.Result = 1;
        return;
      }
      TQuarnCustomControl::Dispatch(Message);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TQuarnCustomControl::Dispatch(Message);
      Invalidate();
      return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void InitQuarnScrollBar() { RegisterClasses({TQuarnScrollBar::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnScrollBar)
