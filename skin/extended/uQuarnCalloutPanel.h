// uQuarnCalloutPanel: a panel shaped like a speech bubble, a translucent
// body with a 1-pixel border and a triangular pointer out of one side.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnPanel.h"

namespace qn {

enum class TQnCalloutPosition { cpTop, cpLeft, cpBottom, cpRight };
QN_ENUM_NAMES(TQnCalloutPosition, cpTop, cpLeft, cpBottom, cpRight)
using enum TQnCalloutPosition;

class TQuarnCustomCalloutPanel : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCustomCalloutPanel, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCustomCalloutPanel(TComponent* AOwner);

  Integer CalloutWidth() const { return FCalloutWidth; }
  void SetCalloutWidth(Integer Value);
  Integer CalloutLength() const { return FCalloutLength; }
  void SetCalloutLength(Integer Value);
  TQnCalloutPosition CalloutPosition() const { return FCalloutPosition; }
  void SetCalloutPosition(TQnCalloutPosition Value);
  // 0 centres the pointer on its side.
  Integer CalloutOffset() const { return FCalloutOffset; }
  void SetCalloutOffset(Integer Value);
  // Where the pointer's base starts along its side.
  Integer CalloutStart() const;

  void AdjustClientRect(TRect& Rect) override;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void DrawBorder(TBitmap32* Buffer) override;

  Integer FCalloutWidth = 22;
  Integer FCalloutOffset = 0;
  Integer FCalloutLength = 11;
  TQnCalloutPosition FCalloutPosition = cpTop;

 private:
  void Change(Integer& Field, Integer Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }
};

class TQuarnCalloutPanel : public TQuarnCustomCalloutPanel {
  QN_CLASS_CREATE(TQuarnCalloutPanel, TQuarnCustomCalloutPanel, TComponent)
 public:
  explicit TQuarnCalloutPanel(TComponent* AOwner) : TQuarnCustomCalloutPanel(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnCalloutPanel) {
    QN_PROP(CalloutWidth).Default(22);
    QN_PROP(CalloutLength).Default(11);
    QN_PROP(CalloutPosition).Default(cpTop);
    QN_PROP(CalloutOffset).Default(0);
    // Declared with what the constructor sets, so every other value is
    // written and read back.
    QN_PROP(Alpha).Default(255);
    QN_PROP(DoubleBorder).Default(false);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(BorderAlpha).Default(255);
    QN_PROP(BorderSides).Default(TSides{sdLeft, sdTop, sdRight, sdBottom});
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundFillType).Default(ftNormal);
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(OnCustomDraw).TypeName(u"TQnCustomDrawEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }
};

void InitQuarnCalloutPanel();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
