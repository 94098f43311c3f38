#include "skin/controls/uQnHLSTrackBar.h"
#include "skin/controls/uQnTrackKeys.h"

#include "platform/rtl/Math.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

bool Contains(const TRect& R, Integer X, Integer Y) {
  return R.Left <= X && X < R.Right && R.Top <= Y && Y < R.Bottom;
}

// The six stretches of the hue circle, red round to red.
constexpr TColor kHue[6][2] = {
    {TColor(0x000000FF), TColor(0x0000FFFF)}, {TColor(0x0000FFFF), TColor(0x0000FC7C)},
    {TColor(0x0000FC7C), TColor(0x00FFFF00)}, {TColor(0x00FFFF00), TColor(0x00FF0000)},
    {TColor(0x00FF0000), TColor(0x00FF00FF)}, {TColor(0x00FF00FF), TColor(0x000000FF)}};

}  // namespace

TQnHLSTrackBar::TQnHLSTrackBar(TComponent* AOwner)
    : TQuarnCustomControl(AOwner), FRepeatTimer(std::make_unique<TTimer>(nullptr)) {
  // A drag or a held track click keeps the pointer's messages when it
  // leaves the control.
  SetControlStyle(ControlStyle() + TControlStyle{csCaptureMouse});
  SetBounds(Left(), Top(), 230, 28);
  FBitmap = Buffer();
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(200);
  FRepeatTimer->SetOnTimer(MakeEvent(this, &TQnHLSTrackBar::TimerExpired));
  SetTabStop(true);
}

TQnHLSTrackBar::~TQnHLSTrackBar() { FRepeatTimer->SetEnabled(false); }

double TQnHLSTrackBar::Range() const {
  const Int64 r = Int64(FMax) - FMin;
  return r == 0 ? 1.0 : double(r);
}

void TQnHLSTrackBar::SetKind(THLSKindRec Value) {
  FKind = Value;
  if (Value == hlsH) {
    FMax = 180;
    FMin = -180;
  } else {
    FMax = 100;
    FMin = -100;
  }
  Invalidate();
}

void TQnHLSTrackBar::SetThumb(const TQnResID& Value) {
  if (FThumb == Value) return;
  FThumb = Value;
  Invalidate();
}

void TQnHLSTrackBar::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TQnHLSTrackBar::SetMax(Integer Value) {
  if (FMax == Value) return;
  FMax = Value <= FMin ? FMin + 1 : Value;
  if (FMax < FValue) SetValue(FMax);
  Invalidate();
}

void TQnHLSTrackBar::SetMin(Integer Value) {
  if (FMin == Value) return;
  FMin = Value >= FMax ? FMax - 1 : Value;
  if (FMin > FValue) SetValue(FMin);
  Invalidate();
}

void TQnHLSTrackBar::SetValue(Integer Value) {
  if (Value < FMin)
    Value = FMin;
  else if (Value > FMax)
    Value = FMax;
  FValue = Value;
  Change();
  Invalidate();
}

void TQnHLSTrackBar::Change() {
  if (!FLock && FOnChange) FOnChange(this);
}

TPoint TQnHLSTrackBar::CursorPosition() {
  POINT p;
  GetCursorPos(&p);
  return ScreenToClient(TPoint(p.X, p.Y));
}

// ---------------------------------------------------------------------------
// Painting

void TQnHLSTrackBar::DrawBody(TBitmap32* Buffer) {
  if (Designing()) Buffer->Clear(Color32(ColorToRGB(Color())));
  DrawBg(Buffer);
  DrawThumb(Buffer);
}

void TQnHLSTrackBar::DrawBg(TBitmap32* Buffer) {
  TRect t(GetDPIScaledPixels(this, 5), 0, Width() - GetDPIScaledPixels(this, 5), GetDPIScaledPixels(this, 8));
  FTrackRct = t;
  if (t.Right <= t.Left) return;
  Buffer->FillRectS(t, 0xFF909090u);
  const TRect in(t.Left + 1, t.Top + 1, t.Right - 1, t.Bottom - 1);
  if (in.Right <= in.Left || in.Bottom <= in.Top) return;
  switch (FKind) {
    case hlsH: {
      const Integer s = (in.Right - in.Left) / 6;
      for (Integer i = 0; i < 6; ++i) {
        const Integer l = in.Left + i * s;
        FillGradient(Buffer, kHue[i][0], kHue[i][1], TRect(l, in.Top, i == 5 ? in.Right : l + s, in.Bottom), true);
      }
      break;
    }
    case hlsS: FillGradient(Buffer, TColor(0x007F7F7F), TColor(0x000000FF), in, true); break;
    case hlsB: FillGradient(Buffer, TColor(0x00000000), TColor(0x00FFFFFF), in, true); break;
  }
  // The canvas draws through the platform's GDI, which leaves alpha at 0.
  for (Integer y = in.Top; y < in.Bottom && y < Buffer->Height(); ++y)
    for (Integer x = std::max(in.Left, 0); x < in.Right && x < Buffer->Width(); ++x)
      Buffer->SetPixel(x, y, Buffer->GetPixel(x, y) | 0xFF000000u);
  Buffer->Changed();
}

void TQnHLSTrackBar::DrawThumb(TBitmap32* Buffer) {
  TQuarnImage* img = FThumb.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FThumb);
  if (!img || img->Empty()) return;
  FThumbWidth = static_cast<Word>(img->Width());
  FThumbHeight = static_cast<Word>(img->Height());
  FThumbRct.Left = TruncI(double(Width() - FThumbWidth) * (double(FValue) - FMin) / Range());
  FThumbRct.Top = GetDPIScaledPixels(this, 4);
  FThumbRct.Right = FThumbRct.Left + FThumbWidth;
  FThumbRct.Bottom = FThumbRct.Top + FThumbHeight;
  img->SetDrawMode(TDrawMode::dmBlend);
  img->DrawTo(Buffer, FThumbRct.Left, FThumbRct.Top);
}

// ---------------------------------------------------------------------------
// Mouse and keys

void TQnHLSTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
  if (!Designing() && HandleAllocated() && CanFocus() && !Focused()) SetFocus();
  if (Button != TMouseButton::mbLeft) return;
  if (Contains(FThumbRct, X, Y)) {
    if (FPaging) MouseUp(TMouseButton::mbLeft, TShiftState{}, X, Y);
    SetMouseCapture(true);
    FSliding = true;
    FThumbCenterOffsetX = X - (FThumbRct.Left + FThumbWidth / 2);
    FThumbCenterOffsetY = Y - (FThumbRct.Top + FThumbHeight / 2);
  } else if (Contains(FTrackRct, X, Y)) {
    FRepeatTimer->SetEnabled(true);
    FLastX = X;
    FLastY = Y;
    const Integer p = TruncI((double(FValue) - FMin) * (Width() - FThumbWidth) / Range());
    const bool inc = p <= X;
    if (!FPaging) {
      FPagingDirInc = inc;
      FPaging = true;
    }
    if (inc == FPagingDirInc) {
      if (inc) {
        if (FValue < FMax) ++FValue;
      } else if (FValue > FMin) {
        --FValue;
      }
    } else {
      MouseUp(TMouseButton::mbLeft, TShiftState{}, X, Y);
    }
    Invalidate();
  }
}

void TQnHLSTrackBar::TimerExpired(TObject*) {
  FRepeatTimer->SetInterval(100);
  if (HandleAllocated() && GetCapture() == Handle()) MouseDown(TMouseButton::mbLeft, TShiftState{}, FLastX, FLastY);
}

void TQnHLSTrackBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseMove(Shift, X, Y);
  const Integer track = FTrackRct.Right - FTrackRct.Left;
  // Too narrow for a track: no value lies under the pointer.
  if (FSliding && track > 0) {
    // Multiplied before dividing: exact halves round to the even value.
    const Int64 v = Round(double(X - FTrackRct.Left - FThumbCenterOffsetX) * (double(FMax) - FMin) / track + FMin);
    FValue = static_cast<Integer>(v < FMin ? FMin : v > FMax ? FMax : v);
  }
  Invalidate();
}

void TQnHLSTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseUp(Button, Shift, X, Y);
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

void TQnHLSTrackBar::KeyDown(Word& Key, TShiftState Shift) {
  TQuarnCustomControl::KeyDown(Key, Shift);
  // Any key reports, the ones that move nothing too.
  Integer v = FValue;
  TrackKeyValue(Key, FMin, FMax, v);
  SetValue(v);
}

// ---------------------------------------------------------------------------
// Messages

void TQnHLSTrackBar::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TQnHLSTrackBar::WMSize(TMessage& Message) {
  if (FBitmap) FBitmap->SetSize(Width(), Height());
  TQuarnCustomControl::Dispatch(Message);
}

void TQnHLSTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(Message); return;
    case WM_SIZE: WMSize(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void InitQnHLSTrackBar() { RegisterClasses({TQnHLSTrackBar::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnHLSTrackBar)
