#include "skin/controls/uQuarnPanel.h"

#include <memory>

#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

// The colour's bytes (system colours taken as they are) with Alpha on top.
TColor32 WithAlpha(TColor Color, Byte Alpha) {
  Byte r, g, b;
  TColor2RGB(Color, r, g, b);
  return Color32(r, g, b, Alpha);
}

}  // namespace

TQuarnCustomPanel::TQuarnCustomPanel(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  // The golden section of the width.
  SetBounds(Left(), Top(), 185, Integer(185 * 0.618));
}

void TQuarnCustomPanel::SetBorderSides(TSides Value) { Change(FBorderSides, Value); }
void TQuarnCustomPanel::SetAlpha(Byte Value) { Change(FAlpha, Value); }
void TQuarnCustomPanel::SetColor(TColor Value) { Change(FColor, Value); }
void TQuarnCustomPanel::SetBorderColor(TColor Value) { Change(FBorderColor, Value); }
void TQuarnCustomPanel::SetDoubleBorder(bool Value) { Change(FDoubleBorder, Value); }
void TQuarnCustomPanel::SetAlignment(TAlignment Value) { Change(FAlignment, Value); }
void TQuarnCustomPanel::SetBackgroundImage(const TQnResID& Value) { Change(FBackgroundImage, Value); }
void TQuarnCustomPanel::SetBorderAlpha(Byte Value) { Change(FBorderAlpha, Value); }
void TQuarnCustomPanel::SetBackgroundFillType(TQnPngFillType Value) { Change(FBackgroundFillType, Value); }
void TQuarnCustomPanel::SetCaptionVisible(bool Value) { Change(FCaptionVisible, Value); }
void TQuarnCustomPanel::SetGradientSize(Integer Value) { Change(FGradientSize, Value); }
void TQuarnCustomPanel::SetGradientStartColor(TColor Value) { Change(FGradientStartColor, Value); }
void TQuarnCustomPanel::SetGradientEndColor(TColor Value) { Change(FGradientEndColor, Value); }
void TQuarnCustomPanel::SetGradientAlign(TGradientAlign Value) { Change(FGradientAlign, Value); }
void TQuarnCustomPanel::SetGradientDirection(TGradientDirection Value) { Change(FGradientDirection, Value); }

void TQuarnCustomPanel::AdjustClientRect(TRect& Rect) {
  TQuarnCustomControl::AdjustClientRect(Rect);
  const Integer d = FDoubleBorder ? 2 : 1;
  if (FBorderSides.Contains(sdLeft)) Rect.Left += d;
  if (FBorderSides.Contains(sdTop)) Rect.Top += d;
  if (FBorderSides.Contains(sdRight)) Rect.Right -= d;
  if (FBorderSides.Contains(sdBottom)) Rect.Bottom -= d;
}

void TQuarnCustomPanel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_FONTCHANGED) {
    CMFONTCHANGED(Message);
    return;
  }
  TQuarnCustomControl::Dispatch(Message);
}

void TQuarnCustomPanel::CMFONTCHANGED(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  Invalidate();
}

void TQuarnCustomPanel::DrawBody(TBitmap32* Buffer) {
  TQuarnImage* image = TQuarnResManagerObj()->GetImageByName(FBackgroundImage);
  // The user hook sees only the translucent run-time look: at design time
  // or fully opaque the panel paints itself alone.
  const bool translucent = !Designing() && FAlpha < 255;
  if (FBackgroundFillType == ftGradient) {
    DrawGradient(Buffer);
  } else {
    if (translucent) {
      if (FAlpha > 0) Buffer->FillRectTS(0, 0, ClientWidth(), ClientHeight(), WithAlpha(FColor, FAlpha));
    } else if (!(Designing() && FAlpha == 0)) {
      Buffer->FillRectS(0, 0, ClientWidth(), ClientHeight(), Color32(ColorToRGB(FColor)));
    }
    if (image) {
      if (FBackgroundFillType == ftNormal) image->DrawTo(Buffer, FBackgroundOffsetX, FBackgroundOffsetY);
      else DrawImage(image, Buffer, FBackgroundFillType);
    }
  }
  DrawCaption(Buffer);
  if (translucent && FOnCustomDraw) FOnCustomDraw(this, Buffer);
  DrawBorder(Buffer);
}

void TQuarnCustomPanel::DrawCaption(TBitmap32* Buffer) {
  if (!FCaptionVisible) return;
  Buffer->Font()->Assign(Font());
  SetDPIScaledFont(this, Buffer->Font());
  const String text = Caption();
  const TSize size = Buffer->TextExtent(text);
  Buffer->Textout((Width() - size.cx) / 2, (Height() - size.cy) / 2, text);
}

void TQuarnCustomPanel::DrawGradient(TBitmap32* Buffer) {
  TCanvas* canvas = Buffer->Canvas();
  const TColor s = FGradientStartColor, e = FGradientEndColor;
  const Integer w = Width(), h = Height();
  if (FGradientDirection == gdHorizontal) {
    const Integer g = Integer(FGradientSize / 100.0 * w);
    const Integer bottom = std::max(1, h - 1) + 1;
    switch (FGradientAlign) {
      case gaCenter: {
        const Integer m = w / 2;
        FillGradient(canvas, e, s, TRect(m - g, 0, m, bottom), true);
        FillGradient(canvas, s, e, TRect(m - 1, 0, m + g, bottom), true);
        break;
      }
      case gaLeft: FillGradient(canvas, s, e, TRect(0, 0, g, bottom), true); break;
      case gaRight: FillGradient(canvas, e, s, TRect(w - g, 0, w, bottom), true); break;
    }
  } else {
    const Integer g = Integer(FGradientSize / 100.0 * h);
    const Integer right = std::max(1, w - 1) + 1;
    switch (FGradientAlign) {
      case gaCenter: {
        const Integer m = h / 2;
        FillGradient(canvas, e, s, TRect(0, m - g, right, m), false);
        FillGradient(canvas, s, e, TRect(0, m - 1, right, h), false);
        break;
      }
      case gaLeft: FillGradient(canvas, s, e, TRect(0, 0, right, g), false); break;
      case gaRight: FillGradient(canvas, e, s, TRect(0, h - g, right, h), false); break;
    }
  }
}

void TQuarnCustomPanel::DrawBorder(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  const Integer w = Width(), h = Height();
  if (Designing()) {
    // A faint outline so an otherwise invisible panel can be found.
    const TColor32 c = 0xB017B4BBu;
    if (FBorderSides.Contains(sdLeft)) Buffer->LineAS(0, 0, 0, h, c);
    if (FBorderSides.Contains(sdTop)) Buffer->LineAS(0, 0, w, 0, c);
    if (FBorderSides.Contains(sdRight)) Buffer->LineAS(w - 1, 0, w - 1, h, c);
    if (FBorderSides.Contains(sdBottom)) Buffer->LineAS(0, h - 1, w, h - 1, c);
  } else {
    const TColor32 outer = WithAlpha(FBorderColor, FBorderAlpha);
    const TColor32 inner = Color32(255, 255, 255, FBorderAlpha);
    if (FBorderSides.Contains(sdLeft)) {
      Buffer->LineAS(0, 0, 0, h, outer);
      if (FDoubleBorder) Buffer->LineAS(1, 1, 1, h, inner);
    }
    if (FBorderSides.Contains(sdTop)) {
      Buffer->LineAS(0, 0, w, 0, outer);
      if (FDoubleBorder) Buffer->LineAS(1, 1, w, 1, inner);
    }
    // The guards keep a tiny panel's far lines from landing on the near ones.
    if (FBorderSides.Contains(sdRight)) {
      if (w > 1) Buffer->LineAS(w - 1, 0, w - 1, h, outer);
      if (FDoubleBorder && w >= 3 && h >= 2) Buffer->LineAS(w - 2, 1, w - 2, h - 1, inner);
    }
    if (FBorderSides.Contains(sdBottom)) {
      if (w >= 2 && h >= 2) Buffer->LineAS(0, h - 1, w, h - 1, outer);
      if (FDoubleBorder && w >= 3 && h >= 3) Buffer->LineAS(1, h - 2, w - 1, h - 2, inner);
    }
  }
  Buffer->EndUpdate();
}

// ---------------------------------------------------------------------------

TQuarnBorderPanel::TQuarnBorderPanel(TComponent* AOwner) : TQuarnPanel(AOwner) {
  FAlpha = 0;
  FBorderSides = TSides{sdLeft, sdTop, sdRight, sdBottom};
}

void TQuarnBorderPanel::SetInControl(bool Value) {
  if (FInControl == Value) return;
  FInControl = Value;
  Invalidate();
}

void TQuarnBorderPanel::SetOverControl(bool Value) {
  if (FOverControl == Value) return;
  FOverControl = Value;
  Invalidate();
}

void TQuarnBorderPanel::SetActiveHotFrame(bool Value) {
  if (FActiveHotFrame == Value) return;
  FActiveHotFrame = Value;
  Invalidate();
}

void TQuarnBorderPanel::SetBorderEffectHot(const TQnResID& Value) {
  if (FframeBorderEffect_mouseDownDraw == Value) return;
  FframeBorderEffect_mouseDownDraw = Value;
  Invalidate();
}

void TQuarnBorderPanel::SetBorderEffectNormal(const TQnResID& Value) {
  if (FframeBorderEffect_normalDraw == Value) return;
  FframeBorderEffect_normalDraw = Value;
  Invalidate();
}

bool TQuarnBorderPanel::Hot() { return (FInControl || FOverControl || Focused()) && FActiveHotFrame; }

void TQuarnBorderPanel::UpdateFrame(bool Over, bool Value) {
  if (Designing()) return;
  if (Over) FOverControl = Value;
  else FInControl = Value;
  Invalidate();
}

void TQuarnBorderPanel::AdjustClientRect(TRect& Rect) {
  Rect = TRect(FNCSize, FNCSize, Width() - FNCSize, Height() - FNCSize);
}

void TQuarnBorderPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case WM_SIZE: WMSize(Message); return;
    default: TQuarnPanel::Dispatch(Message);
  }
}

// Both the panel's own notifications and those forwarded from a hosted
// child come here, so the frame stays hot while the pointer moves from the
// panel onto the child: the leave is followed by the child's enter.
void TQuarnBorderPanel::CMMouseEnter(TMessage& Message) {
  TQuarnPanel::Dispatch(Message);
  if (FCMMouse || !FInControl) UpdateFrame(true, true);
}

void TQuarnBorderPanel::CMMouseLeave(TMessage& Message) {
  TQuarnPanel::Dispatch(Message);
  if (FCMMouse) UpdateFrame(true, false);
}

void TQuarnBorderPanel::WMSize(TMessage& Message) { TQuarnPanel::Dispatch(Message); }

void TQuarnBorderPanel::DrawBody(TBitmap32* Buffer) {
  if (Designing()) {
    TQuarnPanel::DrawBody(Buffer);
    return;
  }
  const Integer w = Width(), h = Height();
  if (!Transparent()) {
    DrawParentImage(this, Buffer, TRect(Left(), Top(), Left() + w, Top() + h));
    if (FAlpha > 0) Buffer->FillRectTS(2, 2, w - 2, h - 2, WithAlpha(FColor, FAlpha));
  }
  if (!FBackgroundImage.empty()) TQuarnPanel::DrawBody(Buffer);
  TQuarnImage* frame = TQuarnResManagerObj()->GetImageByName(Hot() ? FframeBorderEffect_mouseDownDraw
                                                                   : FframeBorderEffect_normalDraw);
  if (!frame) return;
  // Only the two-pixel frame is drawn; the inside (the hosted control's
  // place) keeps what the buffer had, whatever the client inset is.
  StretchBitmapEdges(frame, Buffer, TRect(0, 0, w, h), 2);
}


}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnPanel)
QN_PUBLISHED_IMPL(qn::TQuarnBorderPanel)
