#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQnTrackKeys.h"

#include "platform/rtl/Math.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

bool BarContains(const TRect& R, Integer X, Integer Y) {
  return R.Left <= X && X < R.Right && R.Top <= Y && Y < R.Bottom;
}

TQuarnImage* BarImage(const TQnResID& ID) {
  if (ID.empty()) return nullptr;
  return TQuarnResManagerObj()->GetImageByName(ID);
}

void Blend(TQuarnImage* I, TBitmap32* Dst, Integer X, Integer Y) {
  if (!I || I->Empty()) return;
  I->SetDrawMode(TDrawMode::dmBlend);
  I->DrawTo(Dst, X, Y);
}

}  // namespace

// ---------------------------------------------------------------------------
// TQnPBTrackButton

void TQnPBTrackButton::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnPBTrackButton*>(Source)) {
    FHot = s->FHot;
    FNormal = s->FNormal;
    FVisible = s->FVisible;
    FOffset = s->FOffset;
    FAlwaysShow = s->FAlwaysShow;
    DoChange();
    return;
  }
  TPersistent::Assign(Source);
}

void TQnPBTrackButton::DoChange() {
  if (FOnChanged) FOnChanged(this);
}

void TQnPBTrackButton::SetHot(const TQnResID& Value) {
  if (FHot == Value) return;
  FHot = Value;
  DoChange();
}

void TQnPBTrackButton::SetNormal(const TQnResID& Value) {
  if (FNormal == Value) return;
  FNormal = Value;
  DoChange();
}

void TQnPBTrackButton::SetVisible(bool Value) {
  FVisible = Value;
  DoChange();
}

// ---------------------------------------------------------------------------
// TQuarnProgressBar

TQuarnProgressBar::TQuarnProgressBar(TComponent* AOwner)
    : TQuarnCustomControl(AOwner),
      FTrackButton(std::make_unique<TQnPBTrackButton>()),
      FRepeatTimer(std::make_unique<TTimer>(nullptr)),
      FCaption(std::make_unique<TQnCaption>()) {
  // A drag or a held track click keeps the pointer's messages when it
  // leaves the control.
  SetControlStyle(ControlStyle() + TControlStyle{csCaptureMouse});
  FCaption->SetOnChanged(MakeEvent(this, &TQuarnProgressBar::CaptionChanged));
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(200);
  FRepeatTimer->SetOnTimer(MakeEvent(this, &TQuarnProgressBar::TimerExpired));
  SetBounds(Left(), Top(), 150, 17);
}

TQuarnProgressBar::~TQuarnProgressBar() {
  // The timer may not call back into a half-destroyed control.
  FRepeatTimer->SetEnabled(false);
}

void TQuarnProgressBar::SetValue(Integer Value) {
  if (Value > FMaxValue)
    Value = FMaxValue;
  else if (Value < FMinValue)
    Value = FMinValue;
  if (Value == FValue) return;
  FValue = Value;
  Invalidate();
  DoValueChanged();
}

void TQuarnProgressBar::SetMaxValue(Integer Value) {
  FMaxValue = Value;
  if (FValue > Value) FValue = Value;
  Invalidate();
}

void TQuarnProgressBar::SetMinValue(Integer Value) {
  FMinValue = Value;
  if (Value > FValue) FValue = Value;
  Invalidate();
}

void TQuarnProgressBar::SetBar_Progress(const TQnResID& Value) {
  if (FBar_Progress == Value) return;
  FBar_Progress = Value;
  Invalidate();
}

void TQuarnProgressBar::SetBar_Background(const TQnResID& Value) {
  if (FBar_Background == Value) return;
  FBar_Background = Value;
  Invalidate();
}

void TQuarnProgressBar::SetBarLeftRightSize(Integer Value) {
  FBarLeftRightSize = Value;
  Invalidate();
}

void TQuarnProgressBar::SetTrackButton(TQnPBTrackButton* Value) {
  FTrackButton->Assign(Value);
  Invalidate();
}

void TQuarnProgressBar::SetCaption(TQnCaption* Value) {
  FCaption->Assign(Value);
  Invalidate();
}

void TQuarnProgressBar::DoValueChanged() {
  if (FUpdateCount == 0 && FOnChanged) FOnChanged(this);
}

double TQuarnProgressBar::Range() const {
  // In 64 bits: a range over the whole Integer span must not wrap.
  const Int64 r = Int64(FMaxValue) - FMinValue;
  return r == 0 ? 1.0 : double(r);
}

Integer TQuarnProgressBar::FilledWidth() const {
  const Integer w = TruncI((double(FValue) - FMinValue) / Range() * Width());
  return w < 0 ? 0 : w;
}

Integer TQuarnProgressBar::ValueAt(Integer X, Integer Y) {
  const Integer track = FTrackRct.Right - FTrackRct.Left;
  // A control too narrow to have a track has no value under the pointer.
  if (track <= 0) return FValue;
  // Multiplied before dividing, so a point that lies exactly half-way
  // between two values is a true half and rounds to the even one.
  const double v = double(X - FTrackRct.Left - FThumbCenterOffsetX) * (double(FMaxValue) - FMinValue) / track +
                   FMinValue;
  const Int64 r = Round(v);
  if (r > FMaxValue) return FMaxValue;
  if (r < FMinValue) return FMinValue;
  return static_cast<Integer>(r);
}

TPoint TQuarnProgressBar::CursorPosition() {
  POINT p;
  GetCursorPos(&p);
  return ScreenToClient(TPoint(p.X, p.Y));
}

// ---------------------------------------------------------------------------
// Painting

void TQuarnProgressBar::DrawBody(TBitmap32* Buffer) {
  const Integer W = Width(), H = Height();
  if (W < 30) return;
  Buffer->BeginUpdate();
  TQuarnImage* bg = BarImage(FBar_Background);
  if (bg) {
    std::unique_ptr<TQuarnImage> b(ResizeImg(bg, W, bg->Height()));
    Blend(b.get(), Buffer, 0, (H - bg->Height()) / 2);
    const Integer w = FilledWidth();
    if (TQuarnImage* pr = BarImage(FBar_Progress); pr && w > 0) {
      std::unique_ptr<TQuarnImage> p(ResizeHorzImg(pr, w, FBarLeftRightSize));
      Blend(p.get(), Buffer, 0, (H - pr->Height()) / 2);
    }
    if (FTrackButton->Visible()) {
      FTrackRct = TRect(1, 1, W - 1, H - 1);
      DrawThumb(Buffer);
    }
    if (FCaption->Visible() && !FCaption->Text().empty()) {
      Buffer->Canvas()->Font()->Assign(FCaption->Font());
      Buffer->Font()->Assign(FCaption->Font());
      SetDPIScaledFont(this, Buffer->Font());
      TRect r(0, 0, W, H);
      OffsetRect(r, FCaption->OffsetX(), FCaption->OffsetY());
      const Cardinal format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
      if (FCaption->Light()->Active())
        DrawEffectText(Buffer->Canvas(), r, FCaption->Text(), format, 0, FCaption->Light()->Color(),
                       FCaption->Light()->BlurRadius(), false);
      Buffer->TextoutW(r, format, FCaption->Text());
    }
  }
  Buffer->EndUpdate();
}

void TQuarnProgressBar::DrawThumb(TBitmap32* Buffer) {
  TQuarnImage* hotImg = FMouseIn ? BarImage(FTrackButton->Hot()) : nullptr;
  TQuarnImage* img = hotImg ? hotImg : BarImage(FTrackButton->Normal());
  if (img) {
    FThumbWidth = static_cast<Word>(img->Width());
    FThumbHeight = static_cast<Word>(img->Height());
  }
  const Integer W = Width(), tw = FThumbWidth, th = FThumbHeight;
  TRect r;
  r.Left = TruncI((double(FValue) - FMinValue) / Range() * W) - tw + FTrackButton->Offset();
  r.Top = (Height() - th) / 2;
  r.Right = r.Left + tw;
  r.Bottom = r.Top + th;
  if (FTrackButton->AlwaysShow() || hotImg) {
    if (r.Left < 0) {
      r.Left = 0;
      r.Right = tw;
    }
    if (r.Right > W) {
      r.Right = W;
      r.Left = W - tw;
    }
  }
  FThumbRct = r;
  Blend(img, Buffer, r.Left, r.Top);
}

// ---------------------------------------------------------------------------
// Mouse and keys

void TQuarnProgressBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
  if (!FTrackButton->Visible()) return;
  if (!Designing() && HandleAllocated() && CanFocus() && !Focused()) SetFocus();
  if (Button != TMouseButton::mbLeft) return;
  if (BarContains(FThumbRct, X, Y)) {
    if (FPaging) MouseUp(TMouseButton::mbLeft, TShiftState{}, X, Y);
    SetMouseCapture(true);
    FSliding = true;
    FThumbCenterOffsetX = X - (FThumbRct.Left + FThumbWidth / 2);
    FThumbCenterOffsetY = Y - (FThumbRct.Top + FThumbHeight / 2);
  } else if (BarContains(FTrackRct, X, Y)) {
    FRepeatTimer->SetEnabled(true);
    FLastX = X;
    FLastY = Y;
    const Integer p = TruncI((double(FValue) - FMinValue) * (Width() - FThumbWidth) / Range());
    const bool inc = p <= X;
    if (!FPaging) {
      FPagingDirInc = inc;
      FPaging = true;
    }
    if (inc == FPagingDirInc) {
      // Clicks map into the range, whatever its sign.
      const Integer v = ValueAt(X, Y);
      if (v != FValue) {
        FValue = v;
        DoValueChanged();
      }
    } else {
      MouseUp(TMouseButton::mbLeft, TShiftState{}, X, Y);
    }
    Invalidate();
  }
}

void TQuarnProgressBar::TimerExpired(TObject*) {
  FRepeatTimer->SetInterval(100);
  if (HandleAllocated() && GetCapture() == Handle())
    MouseDown(TMouseButton::mbLeft, TShiftState{}, FLastX, FLastY);
}

void TQuarnProgressBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseMove(Shift, X, Y);
  if (!FTrackButton->Visible()) return;
  if (FSliding) {
    const Integer v = ValueAt(X, Y);
    if (v != FValue) {
      FValue = v;
      DoValueChanged();
    }
  }
  Invalidate();
}

void TQuarnProgressBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseUp(Button, Shift, X, Y);
  if (!FTrackButton->Visible()) return;
  SetValue(FValue);
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(200);
  FPaging = false;
  if (Button == TMouseButton::mbLeft && FSliding) {
    FSliding = false;
    SetMouseCapture(false);
  }
  Invalidate();
}

void TQuarnProgressBar::KeyDown(Word& Key, TShiftState Shift) {
  TQuarnCustomControl::KeyDown(Key, Shift);
  if (!FTrackButton->Visible()) return;
  Integer v = FValue;
  if (!TrackKeyValue(Key, FMinValue, FMaxValue, v)) return;
  SetValue(v);
}

// ---------------------------------------------------------------------------
// Messages

void TQuarnProgressBar::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TQuarnProgressBar::WMSize(TMessage& Message) { TQuarnCustomControl::Dispatch(Message); }

void TQuarnProgressBar::CMMouseEnter(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FMouseIn = true;
  Invalidate();
}

void TQuarnProgressBar::CMMouseLeave(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  FMouseIn = false;
  Invalidate();
}

void TQuarnProgressBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(Message); return;
    case WM_SIZE: WMSize(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void InitQuarnProgressBar() { RegisterClasses({TQuarnProgressBar::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnPBTrackButton)
QN_PUBLISHED_IMPL(qn::TQuarnProgressBar)
