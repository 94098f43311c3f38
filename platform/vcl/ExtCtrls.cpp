#include "platform/vcl/ExtCtrls.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphic.h"
#include "platform/vcl/Icon.h"

namespace vcl {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd([this](TMessage& Msg) { WndProc(Msg); });
}

TTimer::~TTimer() {
  FEnabled = false;
  if (FRunning) KillTimer(FWindowHandle, 1);
  DeallocateHWnd(FWindowHandle);
}

void TTimer::UpdateTimer() {
  // Killing first makes every change start a whole interval afresh.
  if (FRunning) KillTimer(FWindowHandle, 1);
  FRunning = false;
  if (FInterval != 0 && FEnabled && FOnTimer) {
    if (!SetTimer(FWindowHandle, 1, FInterval, nullptr)) throw EOutOfResources(u"Not enough timers available");
    FRunning = true;
  }
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& Msg) {
  if (Msg.Msg != WM_TIMER) {
    Msg.Result = DefWindowProcW(FWindowHandle, Msg.Msg, Msg.WParam, Msg.LParam);
    return;
  }
  try {
    Timer();
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}

}  // namespace vcl

namespace vcl {

// ---------------------------------------------------------------------------
// TPanel

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  Canvas->Pen()->SetWidth(1);
  --Rect.Bottom;
  --Rect.Right;
  for (Integer i = 0; i < Width; ++i) {
    Canvas->Pen()->SetColor(TopColor);
    Canvas->MoveTo(Rect.Left, Rect.Bottom);
    Canvas->LineTo(Rect.Left, Rect.Top);
    Canvas->LineTo(Rect.Right, Rect.Top);
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->LineTo(Rect.Right, Rect.Bottom);
    Canvas->LineTo(Rect.Left - 1, Rect.Bottom);
    InflateRect(Rect, -1, -1);
  }
  ++Rect.Bottom;
  ++Rect.Right;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 185, 41);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TCustomPanel::PanelChanged(bool DoRealign) {
  if (DoRealign) Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  PanelChanged(false);
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  PanelChanged(true);
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  PanelChanged(true);
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  if (Value < 1) Value = 1;
  if (FBevelWidth == Value) return;
  FBevelWidth = Value;
  PanelChanged(true);
}

void TCustomPanel::SetBorderWidth(TBorderWidth Value) {
  if (Value < 0) Value = 0;
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  PanelChanged(true);
}

void TCustomPanel::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  PanelChanged(false);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  Integer inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  InflateRect(Rect, -inset, -inset);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  // The client only: a window frame (bevel kind, the window's border) sits
  // outside it, and drawing the whole window's size here would push the
  // panel's own frame and its caption right and down by that frame.
  TRect r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    if (cut == bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(c, r, Color(), Color(), FBorderWidth);
  bevel(FBevelInner);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (!FShowCaption || Caption().empty()) return;
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  static constexpr TTextFormats kAlign[] = {TTextFormats::tfLeft, TTextFormats::tfRight, TTextFormats::tfCenter};
  TTextFormat fmt{TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine, kAlign[static_cast<int>(FAlignment)]};
  TRect text = r;
  InflateRect(text, -2, 0);
  String caption = Caption();
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  // Through the canvas, so the font and the transparent background are
  // selected into the DC first.
  c->TextRect(text, caption, fmt);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      break;
    default: break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture()) {
  FPicture->SetOnChange(TNotifyEvent(this, &TImage::PictureChanged));
  SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() { FPicture->SetOnChange(TNotifyEvent()); }

void TImage::SetCenter(bool Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  Invalidate();
}

void TImage::SetProportional(bool Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  if (TGraphic* g = FPicture->Graphic()) g->SetTransparent(Value);
  Invalidate();
}

void TImage::PictureChanged(TObject*) {
  TGraphic* g = FPicture->Graphic();
  // A graphic that knows its own transparency (an icon) keeps it.
  if (g && g->Transparent() != FTransparent && !g->InheritsFrom(TIcon::StaticClass())) g->SetTransparent(FTransparent);
  if (AutoSize() && g && g->Width() > 0 && g->Height() > 0) AdjustSize();
  Invalidate();
}

bool TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  const TGraphic* g = FPicture->Graphic();
  if (!g || g->Width() <= 0 || g->Height() <= 0) return false;
  NewWidth = g->Width();
  NewHeight = g->Height();
  return true;
}

TRect TImage::DestRect() {
  const Integer cw = ClientWidth(), ch = ClientHeight();
  Integer w = FPicture->Width(), h = FPicture->Height();
  if (w <= 0 || h <= 0) return TRect(0, 0, 0, 0);
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional) {
      // The larger of the two ratios decides, so neither side overflows.
      if (Int64(cw) * h <= Int64(ch) * w) {
        h = Integer(Int64(h) * cw / w);
        w = cw;
      } else {
        w = Integer(Int64(w) * ch / h);
        h = ch;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r(0, 0, w, h);
  if (FCenter) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  if (ComponentState().Contains(csDesigning)) {
    // An empty or transparent image is still found on the design surface.
    Canvas()->Pen()->SetStyle(TPenStyle::psDash);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Rectangle(0, 0, Width(), Height());
  }
  TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  const TRect r = DestRect();
  if (r.Width() == g->Width() && r.Height() == g->Height()) Canvas()->Draw(r.Left, r.Top, g);
  else Canvas()->StretchDraw(r, g);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TTimer)
QN_PUBLISHED_IMPL(vcl::TPanel)
QN_PUBLISHED_IMPL(vcl::TImage)
