#include "skin/controls/uQuarnBoxCtrls.h"

#include <algorithm>

#include "gdiplus/Gdiplus_qn.h"
#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

TColor32 Opaque(TColor Color) { return Color32(ColorToRGB(Color)); }

}  // namespace

void TGroupBoxCheckBox::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TGroupBoxCheckBox*>(Source)) {
    SetVisible(s->FVisible);
    SetChecked(s->FChecked);
    SetPictures(s->FPictures);
    return;
  }
  TPersistent::Assign(Source);
}

void TGroupBoxCheckBox::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  DoChanged();
}

void TGroupBoxCheckBox::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (FVisible && FGroupBox) FGroupBox->EnabledControls(FChecked);
  DoChanged();
}

void TGroupBoxCheckBox::SetPictures(const TQnResID& Value) {
  if (FPictures == Value) return;
  FPictures = Value;
  DoChanged();
}

void TGroupBoxCheckBox::DoChanged() {
  if (FGroupBox) FGroupBox->Invalidate();
}

// ---------------------------------------------------------------------------

TQuarnCustomGroupBox::TQuarnCustomGroupBox(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  FCaption = u"Caption";
  FCaptionLight = std::make_unique<TQnLightClass>();
  FCheckBox = std::make_unique<TGroupBoxCheckBox>(this);
  SetBounds(Left(), Top(), 185, 105);
}

TQuarnCustomGroupBox::~TQuarnCustomGroupBox() = default;

void TQuarnCustomGroupBox::SetCaption(const String& Value) { Change(FCaption, Value); }
void TQuarnCustomGroupBox::SetCaptionAlignment(TAlignment Value) { Change(FCaptionAlignment, Value); }
void TQuarnCustomGroupBox::SetCaptionHeight(Integer Value) { Change(FCaptionHeight, Value); }
void TQuarnCustomGroupBox::SetLight(bool Value) { Change(FLight, Value); }
void TQuarnCustomGroupBox::SetLineStartColor(TColor Value) { Change(FLineStartColor, Value); }
void TQuarnCustomGroupBox::SetLineStopColor(TColor Value) { Change(FLineStopColor, Value); }

void TQuarnCustomGroupBox::SetCaptionLight(TQnLightClass* Value) {
  if (Value) FCaptionLight->Assign(Value);
}

void TQuarnCustomGroupBox::SetCheckBox(TGroupBoxCheckBox* Value) {
  if (Value) FCheckBox->Assign(Value);
}

void TQuarnCustomGroupBox::SetFrameStyle(TGroupBoxFrameStyle Value) {
  if (FFrameStyle == Value) return;
  FFrameStyle = Value;
  // The client area changes with the style; a new window re-aligns the
  // children to it.
  RecreateWnd();
}

void TQuarnCustomGroupBox::EnabledControls(bool Value) {
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(Value);
}

void TQuarnCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TQuarnCustomControl::AdjustClientRect(Rect);
  Rect.Top += FCaptionHeight;
  if (FFrameStyle == fsBox) {
    Rect.Left += 1;
    Rect.Right -= 1;
    Rect.Bottom -= 1;
  }
}

void TQuarnCustomGroupBox::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnCustomControl::Notification(AComponent, Operation);
}

void TQuarnCustomGroupBox::DoPaintBuffer() { TQuarnCustomControl::DoPaintBuffer(); }

void TQuarnCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOVE: WMMove(Message); return;
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case CM_CONTROLCHANGE: CMControlChange(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

void TQuarnCustomGroupBox::WMMove(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FAutoInvalidate) Invalidate();
}

void TQuarnCustomGroupBox::WMMouseMove(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (!FCheckBox->FVisible) return;
  const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
  const TRect& r = FCheckBox->FRect;
  FCheckBox->FMouseInControl = p.X >= r.Left && p.Y >= r.Top && p.X < r.Right && p.Y < r.Bottom;
}

void TQuarnCustomGroupBox::WMLButtonDown(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (FCheckBox->FVisible && FCheckBox->FMouseInControl) FCheckBox->SetChecked(!FCheckBox->FChecked);
}

void TQuarnCustomGroupBox::CMControlChange(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (Message.LParam == 0 || !FCheckBox->FVisible) return;
  if (auto* c = reinterpret_cast<TControl*>(Message.WParam)) c->SetEnabled(FCheckBox->FChecked);
}

void TQuarnCustomGroupBox::LineBand(TBitmap32* Buffer, Integer X1, Integer X2, Integer Y, TColor From,
                                    TColor To) {
  if (X2 - X1 <= 0) return;
  FillGradient(Buffer, From, To, TRect(X1, Y, X2, Y + 1), true);
  // The device context leaves the band's alpha at 0; the line is opaque.
  if (Y >= 0 && Y < Buffer->Height()) {
    PColor32Array row = Buffer->ScanLine(Y);
    for (Integer x = std::max(X1, 0); x < std::min(X2, Buffer->Width()); ++x) row[x] |= 0xFF000000u;
  }
  if (!FLight || ComponentState().Contains(csDesigning)) return;
  // Seven ever wider strokes of a faint white build a soft glow that is
  // strongest on the line itself.
  TGpGraphics g(Buffer->Canvas()->Handle());
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  for (Integer w = 1; w <= 7; ++w) {
    TGpPen pen(Argb(18, 255, 255, 255), Single(w));
    pen.SetLineJoin(vcl::LineJoinRound);
    TGpGraphicsPath path;
    path.AddLine(X1, Y, X2, Y + 1);
    g.DrawPath(&pen, &path);
  }
}

void TQuarnCustomGroupBox::DrawBody(TBitmap32* Buffer) {
  const Integer h = GetDPIScaledPixels(this, FCaptionHeight);
  const Integer w = Width();
  if (w <= 0 || h <= 0) return;
  Buffer->BeginUpdate();
  Buffer->Font()->Assign(Font());
  Buffer->Canvas()->Font()->Assign(Font());
  Buffer->Canvas()->TextExtent(String());
  const Integer tw = CalcTextWidthW(Buffer->Canvas()->Handle(), FCaption);
  Integer x0 = FFrameStyle == fsLine ? 0 : 20;
  Integer cw = 0;

  if (FCheckBox->FVisible) {
    TDynQuarnImage frames;
    SpliteImg(TQuarnResManagerObj()->GetImageByName(FCheckBox->FPictures), 4, frames);
    if (frames.size() == 4) {
      const bool hot = FCheckBox->FMouseInControl;
      TQuarnImage* f = frames[FCheckBox->FChecked ? (hot ? 3 : 2) : (hot ? 1 : 0)];
      const Integer y = h / 2 - f->Height() / 2;
      x0 += 3;
      cw = f->Width();
      Integer bx = 0;
      switch (FCaptionAlignment) {
        case taLeftJustify:
          bx = x0;
          x0 += cw + 3;
          break;
        case taRightJustify:
          bx = w - x0 - cw - tw;
          x0 -= 3;
          break;
        case taCenter: bx = (w - cw - tw) / 2; break;
      }
      f->DrawTo(Buffer, bx, y);
      FCheckBox->FRect = TRect(bx, y, bx + x0 + cw, y + f->Height());
    }
    FreeDynImg(frames);
  }

  TRect r(0, 0, 0, h);
  switch (FCaptionAlignment) {
    case taLeftJustify: r.Left = x0; r.Right = x0 + tw; break;
    case taRightJustify: r.Left = w - tw - x0; r.Right = w - x0; break;
    case taCenter:
      r.Left = (w - cw - tw) / 2 + cw;
      r.Right = r.Left + tw;
      break;
  }
  if (FCaptionLight->Active() && !FCaption.empty())
    DrawEffectText(Buffer->Canvas(), r, FCaption, DT_VCENTER | DT_SINGLELINE, 0, FCaptionLight->Color(),
                   FCaptionLight->BlurRadius(), false);
  {
    TRect t = r;
    Buffer->Textout(t, DT_VCENTER | DT_SINGLELINE, FCaption);
  }

  const Integer y = (h - 1) / 2;
  if (FFrameStyle == fsLine) {
    switch (FCaptionAlignment) {
      case taLeftJustify: LineBand(Buffer, r.Right + 5, w, y, FLineStartColor, FLineStopColor); break;
      case taRightJustify: LineBand(Buffer, 0, r.Left - 5 - cw, y, FLineStopColor, FLineStartColor); break;
      case taCenter: {
        const Integer m = (w - tw - cw) / 2;
        LineBand(Buffer, 0, m - 5, y, FLineStopColor, FLineStartColor);
        LineBand(Buffer, m + 5 + tw + cw, w, y, FLineStartColor, FLineStopColor);
        break;
      }
    }
  } else {
    const TColor32 c = Opaque(FLineStartColor);
    const Integer bw = Buffer->Width(), bh = Buffer->Height();
    Buffer->LineTS(r.Right + 5, y, w, y, c);
    Buffer->LineTS(w - 1, y, w - 1, h, c);
    Buffer->LineTS(0, y, r.Left - 5 - cw, y, c);
    Buffer->LineTS(0, y, 0, h, c);
    Buffer->LineTS(0, h, 0, bh - 1, c);
    Buffer->LineTS(bw - 1, h, bw - 1, bh - 1, c);
    Buffer->LineTS(0, bh - 1, bw, bh - 1, c);
  }
  Buffer->EndUpdate();
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TGroupBoxCheckBox)
QN_PUBLISHED_IMPL(qn::TQuarnGroupBox)
