#include "skin/controls/uQuarnLabel.h"

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

TQuarnCustomLabel::TQuarnCustomLabel(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable});
  FLight = std::make_unique<TQnLightClass>();
  SetAutoInvalidate(true);
  FBorderSides = TSides{};
  FAlpha = 0;
  SetBounds(Left(), Top(), 60, 17);
}

void TQuarnCustomLabel::SetLight(TQnLightClass* Value) {
  if (Value) FLight->Assign(Value);
}

void TQuarnCustomLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  if (Value) AdjustBounds();
}

void TQuarnCustomLabel::SetAlignmentVertical(TVerticalAlignment Value) {
  if (FAlignmentVertical == Value) return;
  FAlignmentVertical = Value;
  RecreateWnd();
}

void TQuarnCustomLabel::SetAlignmentHorizontal(TAlignment Value) {
  if (FAlignmentHorizontal == Value) return;
  FAlignmentHorizontal = Value;
  RecreateWnd();
}

void TQuarnCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  if (FEllipsisPosition == Value) return;
  FEllipsisPosition = Value;
  // An ellipsis only makes sense in bounds narrower than the text.
  FAutoSize = false;
  Invalidate();
}

void TQuarnCustomLabel::SetRoundBackground(bool Value) {
  if (FRoundBackground == Value) return;
  FRoundBackground = Value;
  if (Value) {
    // An invisible rounded body would be no body at all.
    if (FAlpha == 0) FAlpha = 255;
    Invalidate();
  } else {
    AdjustBounds();
  }
}

void TQuarnCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || !FAutoSize || FRoundBackground) return;
  TBitmap32* b = Buffer();
  b->Font()->Assign(Font());
  b->Canvas()->Font()->Assign(Font());
  // Selects the font into the DC before the DC is used directly.
  b->Canvas()->TextExtent(String());
  const HDC dc = b->Canvas()->Handle();
  const WideString text = Caption();
  SetBounds(Left(), Top(), CalcTextWidthW(dc, text), CalcTextHeightW(dc, text));
}

void TQuarnCustomLabel::Loaded() {
  TQuarnCustomPanel::Loaded();
  AdjustBounds();
}

void TQuarnCustomLabel::CreateParams(TCreateParams& Params) {
  TQuarnCustomPanel::CreateParams(Params);
  Params.WindowClass.style &= ~CS_VREDRAW;
}

void TQuarnCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_FONTCHANGED: CMFONTCHANGED(Message); return;
    case CM_TEXTCHANGED: CMTextChanged(Message); return;
    default: TQuarnCustomPanel::Dispatch(Message);
  }
}

// At run time a font change keeps the bounds: a form restyling its labels
// should not reflow itself.
void TQuarnCustomLabel::CMFONTCHANGED(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (Designing() || AppIsHighDPIMode()) AdjustBounds();
}

void TQuarnCustomLabel::CMTextChanged(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  AdjustBounds();
  Invalidate();
}

void TQuarnCustomLabel::DrawBody(TBitmap32* Buffer) {
  if (FRoundBackground) {
    const TFloat r = TFloat(FRoundSize);
    const TFloat w = TFloat(Buffer->Width()), h = TFloat(Buffer->Height());
    // The shrunk rectangle grown back with round joins: a full-size
    // rectangle whose corners have radius RoundSize.
    const TArrayOfFloatPoint inner = {FloatPoint(r, r), FloatPoint(w - r, r), FloatPoint(w - r, h - r),
                                      FloatPoint(r, h - r)};
    const TArrayOfFloatPoint outline = Grow(inner, r, TJoinStyle::jsRound, true, 4.0f);
    Byte cr, cg, cb;
    TColor2RGB(FColor, cr, cg, cb);
    if (!outline.empty()) PolygonFS(Buffer, outline, Color32(cr, cg, cb, FAlpha));
  } else {
    TQuarnCustomPanel::DrawBody(Buffer);
  }
  PaintText(Buffer);
}

Cardinal TQuarnCustomLabel::TextFormat(TBitmap32* Buffer, TRect& R) {
  Cardinal format = 0;
  switch (FAlignmentHorizontal) {
    case taLeftJustify: break;
    case taRightJustify: format |= DT_RIGHT; break;
    case taCenter: format |= DT_CENTER; break;
  }
  switch (FAlignmentVertical) {
    case taAlignTop: break;
    case taAlignBottom: format |= DT_BOTTOM | DT_SINGLELINE; break;
    case taVerticalCenter: format |= DT_VCENTER | DT_SINGLELINE; break;
  }
  if (FWordWap) {
    // A wrapped text is placed by hand: the platform centres single lines
    // only.
    const Integer h = Buffer->TextHeight(Caption());
    if (FAlignmentVertical == taVerticalCenter) {
      format &= ~Cardinal(DT_SINGLELINE);
      R.Top = (Height() - h) / 2;
      R.Bottom = R.Top + h;
    } else if (FAlignmentVertical == taAlignBottom) {
      format &= ~Cardinal(DT_SINGLELINE);
      R.Top = R.Bottom - h;
    }
    format |= DT_WORDBREAK;
  }
  switch (FEllipsisPosition) {
    case epNone: break;
    case epPathEllipsis: format |= DT_PATH_ELLIPSIS; break;
    case epEndEllipsis: format |= DT_END_ELLIPSIS; break;
    case epWordEllipsis: format |= DT_WORD_ELLIPSIS; break;
  }
  return format;
}

void TQuarnCustomLabel::PaintText(TBitmap32* Buffer) {
  TRect r(0, 0, Width(), Height());
  Buffer->Canvas()->Font()->Assign(Font());
  Buffer->Font()->Assign(Font());
  // Text in the body's colour would vanish on the form being designed.
  if (Designing() && Font()->Color() == FColor) Buffer->Clear(Color32(ColorToRGB(static_cast<TColor>(0x00C9C6C3))));
  const Cardinal format = TextFormat(Buffer, r);
  if (FLight->Active())
    DrawEffectText(Buffer->Canvas(), r, Caption(), format, 0, FLight->Color(), FLight->BlurRadius(), false);
  WideString text = Caption();
  Buffer->TextoutW(r, format, text);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnLabel)
