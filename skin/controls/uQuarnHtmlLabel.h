// uQuarnHtmlLabel: a small renderer for marked-up text (bold, italic,
// underline, strike-out, superscript and bottom-aligned text, font colour
// and size, links, rules, explicit line breaks and a few named entities),
// and the skinned label that shows its caption through it, with hot links
// and a hand cursor over them.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnLabel.h"

namespace qn {

// What one pass of the renderer does: draw, measure the widest line,
// measure the height, or only find the link under a point.
enum class TQuarnHTMLCalcType { htmlShow, htmlCalcWidth, htmlCalcHeight, htmlHyperLink };
using enum TQuarnHTMLCalcType;

// The size factor of superscript and bottom-aligned text unless a caller
// gives its own.
extern Double DefaultSuperSubScriptRatio;

// The engine. XSize is the widest line, YSize the bottom of the last line;
// Hit and HyperLink the link under (X, Y), which is drawn in
// HyperLinkColor. Canvas keeps the font size a FONT tag left open.
void HTMLDrawTextEx(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                    Integer& XSize, Integer& YSize, TQuarnHTMLCalcType CalcType, Integer X, Integer Y, bool& Hit,
                    String& HyperLink, Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
// Size is the height for htmlCalcHeight, else the width.
void HTMLDrawTextEx(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                    Integer& Size, TQuarnHTMLCalcType CalcType, Integer X, Integer Y, bool& Hit, String& HyperLink,
                    Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
void HTMLDrawText(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                  Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
// Draws with the link under (X, Y) in HyperLinkColor.
void HTMLDrawTextHL(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML, Integer X,
                    Integer Y, Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
bool IsHyperLink(TCanvas* Canvas, const TRect& ARect, const String& HTML, Integer X, Integer Y, String& HyperLink,
                 TColor HyperLinkColor);
Integer HTMLTextWidth(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                      Double SuperSubScriptRatio, TColor HyperLinkColor);
// The rendered height plus one pixel; an empty text is one line high.
Integer HTMLTextHeight(TCanvas* Canvas, const String& HTML, Double SuperSubScriptRatio, TColor HyperLinkColor);

// The item-drawing names of the same routines, kept for list and combo
// owners that draw their items with markup.
void ItemHTDraw(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
void ItemHTDrawEx(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                  Integer& Size, TQuarnHTMLCalcType CalcType, Integer X, Integer Y, bool& Hit, String& HyperLink,
                  Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
void ItemHTDrawHL(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML, Integer X,
                  Integer Y, Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent);
Integer ItemHTWidth(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                    Double SuperSubScriptRatio, TColor HyperLinkColor);
Integer ItemHTHeight(TCanvas* Canvas, const String& HTML, Double SuperSubScriptRatio, TColor HyperLinkColor);

// The entities replaced, source line breaks dropped, BR made a line break
// and HR followed by one.
String HTMLPrepareText(const String& HTML);
// Before = the text ahead of the first "<" (all of S without one); with
// Delete it leaves S.
void HTMLBeforeTag(String& S, bool Delete, String& Before);
// S without its leading tag "<...>"; S itself when it has none.
String HTMLDeleteTag(const String& S);
// The 1-based Index-th character of S, a space beyond the end.
Char GetChar(const String& S, Integer Index, bool Upper);
// The full cell height of the canvas font.
Integer CanvasMaxTextHeight(TCanvas* Canvas);

// ---------------------------------------------------------------------------
// The label

using TQuarnHyperLinkClickEvent = TEvent<void(TObject* Sender, String LinkName)>;
using TQuarnHTLabelMouseButtons = TSet<TMouseButton>;
QN_TYPE_NAME(TQuarnHTLabelMouseButtons)

class TQuarnCustomHtmlLabel : public TQuarnCustomLabel {
  QN_CLASS_CREATE(TQuarnCustomHtmlLabel, TQuarnCustomLabel, TComponent)
 public:
  explicit TQuarnCustomHtmlLabel(TComponent* AOwner);

  TQuarnHTLabelMouseButtons HyperLinkMouseButtons() const { return FHyperLinkMouseButtons; }
  void SetHyperLinkMouseButtons(TQuarnHTLabelMouseButtons Value) { FHyperLinkMouseButtons = Value; }
  TColor HyperLinkFontHotColor() const { return FHyperLinkFontHotColor; }
  // Only stores: the next hover shows it.
  void SetHyperLinkFontHotColor(TColor Value) { FHyperLinkFontHotColor = Value; }
  const TQuarnHyperLinkClickEvent& OnHyperLinkClick() const { return FOnHyperLinkClick; }
  void SetOnHyperLinkClick(const TQuarnHyperLinkClickEvent& Value) { FOnHyperLinkClick = Value; }
  Double SuperSubScriptRatio() const { return FSuperSubScriptRatio; }
  void SetSuperSubScriptRation(Double Value);
  bool ISuperSuperSubScriptRatioStored() const;
  bool HyperlinkHovered() const { return FHyperlinkHovered; }
  const TRect& LayoutRect() const { return FLayoutRect; }

  void SetAutoSize(bool Value) override;
  void AdjustBounds() override;
  void Loaded() override;
  // Where the rendered block sits in the client area; remembered for the
  // mouse handlers.
  TRect ComputeLayoutRect(TBitmap32* Buffer);
  void Dispatch(TMessage& Message) override;

 protected:
  void PaintText(TBitmap32* Buffer) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseLeave(TMessage& Message);
  // The link under (X, Y) as the window canvas measures it.
  bool HitLink(Integer X, Integer Y, String& Link);

  TRect FLayoutRect;
  bool FHyperlinkHovered = false;
  TQuarnHyperLinkClickEvent FOnHyperLinkClick;
  Integer FMouseX = 0, FMouseY = 0;
  TQuarnHTLabelMouseButtons FHyperLinkMouseButtons{TMouseButton::mbLeft};
  Double FSuperSubScriptRatio;
  TColor FHyperLinkFontHotColor = static_cast<TColor>(0x000000FF);
  String FOldLinkName;
};

class TQuarnHtmlLabel : public TQuarnCustomHtmlLabel {
  QN_CLASS_CREATE(TQuarnHtmlLabel, TQuarnCustomHtmlLabel, TComponent)
 public:
  explicit TQuarnHtmlLabel(TComponent* AOwner) : TQuarnCustomHtmlLabel(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnHtmlLabel) {
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    // Always written: a default other than the constructor's value would
    // lose that value on the next load.
    QN_PROP(Alpha).NoDefault().Stored(true);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(RoundBackground).Default(false);
    QN_PROP(RoundSize).Default(5);
    QN_PROP(AutoSize).Default(true);
    QN_PROP(AlignmentHorizontal).Default(taLeftJustify);
    QN_PROP(AlignmentVertical).Default(taAlignTop);
    QN_PROP(HyperLinkMouseButtons).Default(TQuarnHTLabelMouseButtons{TMouseButton::mbLeft});
    QN_PROP(HyperLinkFontHotColor).TypeName(u"TColor").Default(static_cast<TColor>(0x000000FF));
    QN_PROP(OnHyperLinkClick).TypeName(u"TQuarnHyperLinkClickEvent");
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
  }
};

// Registers the published class for form files.
void InitQuarnHtmlLabel();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
