// The HTML label: the skinned label's body with its caption drawn by the
// markup renderer, laid out as one block, with hot links.
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Cursors.h"
#include "skin/controls/uQuarnHtmlLabel.h"

namespace qn {

namespace {

// Styles come only from the markup: a bold label font would otherwise make
// every word bold and no </B> could end it. Measuring, hit-testing and
// drawing all start from the same font, taken again before every pass:
// the renderer leaves the size an unclosed FONT tag set, and the next pass
// would otherwise start from that size.
void TakeFont(TCanvas* Canvas, TFont* Font) {
  Canvas->Font()->Assign(Font);
  Canvas->Font()->SetStyle(TFontStyles());
}

}  // namespace

TQuarnCustomHtmlLabel::TQuarnCustomHtmlLabel(TComponent* AOwner)
    : TQuarnCustomLabel(AOwner), FSuperSubScriptRatio(DefaultSuperSubScriptRatio) {}

void TQuarnCustomHtmlLabel::SetSuperSubScriptRation(Double Value) {
  if (FSuperSubScriptRatio == Value) return;
  FSuperSubScriptRatio = Value;
  Invalidate();
}

bool TQuarnCustomHtmlLabel::ISuperSuperSubScriptRatioStored() const {
  return FSuperSubScriptRatio != DefaultSuperSubScriptRatio;
}

void TQuarnCustomHtmlLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  TQuarnCustomLabel::SetAutoSize(Value);
  AdjustBounds();
}

void TQuarnCustomHtmlLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || !FAutoSize || FRoundBackground) return;
  TCanvas* c = Buffer()->Canvas();
  TakeFont(c, Font());
  const String text = Caption();
  const Integer w = ItemHTWidth(c, TRect(0, 0, 0, 0), TOwnerDrawState(), text, FSuperSubScriptRatio,
                                FHyperLinkFontHotColor);
  TakeFont(c, Font());
  const Integer h = ItemHTHeight(c, text, FSuperSubScriptRatio, FHyperLinkFontHotColor);
  SetBounds(Left(), Top(), w, h);
}

void TQuarnCustomHtmlLabel::Loaded() {
  TQuarnCustomLabel::Loaded();
  AdjustBounds();
}

TRect TQuarnCustomHtmlLabel::ComputeLayoutRect(TBitmap32* Buffer) {
  TRect r = ClientRect();
  TCanvas* c = Buffer->Canvas();
  const String text = Caption();
  TFont keep;
  keep.Assign(c->Font());
  const Integer tw = ItemHTWidth(c, TRect(0, 0, 0, 0), TOwnerDrawState(), text, FSuperSubScriptRatio,
                                 FHyperLinkFontHotColor);
  c->Font()->Assign(&keep);
  const Integer th = ItemHTHeight(c, text, FSuperSubScriptRatio, FHyperLinkFontHotColor);
  c->Font()->Assign(&keep);
  switch (FAlignmentHorizontal) {
    case taRightJustify: r.Left = r.Width() - tw; break;
    case taCenter: r.Left = (r.Width() - tw) / 2; break;
    case taLeftJustify: break;
  }
  switch (FAlignmentVertical) {
    case taAlignBottom: r.Top = r.Height() - th; break;
    case taVerticalCenter: r.Top = (r.Height() - th) / 2; break;
    case taAlignTop: break;
  }
  FLayoutRect = r;
  return r;
}

void TQuarnCustomHtmlLabel::PaintText(TBitmap32* Buffer) {
  Buffer->Font()->Assign(Font());
  TCanvas* c = Buffer->Canvas();
  TakeFont(c, Font());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  const TRect r = ComputeLayoutRect(Buffer);
  const String text = Caption();
  if (Enabled()) {
    ItemHTDrawHL(c, r, TOwnerDrawState(), text, FMouseX, FMouseY, FSuperSubScriptRatio, FHyperLinkFontHotColor, 100);
    return;
  }
  const TOwnerDrawState disabled{TOwnerDrawStateItem::odDisabled};
  TRect shifted = r;
  OffsetRect(shifted, 1, 1);
  c->Font()->SetColor(clBtnHighlight);
  ItemHTDraw(c, shifted, disabled, text, FSuperSubScriptRatio, FHyperLinkFontHotColor, 100);
  TakeFont(c, Font());
  c->Font()->SetColor(clBtnShadow);
  ItemHTDraw(c, r, disabled, text, FSuperSubScriptRatio, FHyperLinkFontHotColor, 100);
}

bool TQuarnCustomHtmlLabel::HitLink(Integer X, Integer Y, String& Link) {
  TCanvas* c = Canvas();
  c->Lock();
  bool hit = false;
  try {
    TakeFont(c, Font());
    hit = IsHyperLink(c, FLayoutRect, Caption(), X, Y, Link, FHyperLinkFontHotColor);
  } catch (...) {
    c->Unlock();
    throw;
  }
  c->Unlock();
  return hit;
}

void TQuarnCustomHtmlLabel::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  FMouseX = X;
  FMouseY = Y;
  TQuarnCustomLabel::MouseMove(Shift, X, Y);
  String link;
  const bool hovered = HitLink(X, Y, link);
  SetCursor(hovered ? crHandPoint : crDefault);
  if (hovered != FHyperlinkHovered || link != FOldLinkName) {
    FHyperlinkHovered = hovered;
    FOldLinkName = link;
    Invalidate();
  }
}

void TQuarnCustomHtmlLabel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FMouseX = X;
  FMouseY = Y;
  TQuarnCustomLabel::MouseUp(Button, Shift, X, Y);
  if (!FHyperLinkMouseButtons.Contains(Button)) return;
  String link;
  if (HitLink(X, Y, link) && Assigned(FOnHyperLinkClick)) FOnHyperLinkClick(this, link);
}

void TQuarnCustomHtmlLabel::CMMouseLeave(TMessage& Message) {
  FMouseX = 0;
  FMouseY = 0;
  TQuarnCustomLabel::Dispatch(Message);
  if (FHyperlinkHovered) {
    FHyperlinkHovered = false;
    FOldLinkName.clear();
    Invalidate();
  }
}

void TQuarnCustomHtmlLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_MOUSELEAVE) {
    CMMouseLeave(Message);
    return;
  }
  TQuarnCustomLabel::Dispatch(Message);
}

}  // namespace qn

namespace qn {

void InitQuarnHtmlLabel() { RegisterClasses({TQuarnHtmlLabel::StaticClass()}); }

}  // namespace qn
