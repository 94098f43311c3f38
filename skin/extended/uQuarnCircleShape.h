// uQuarnCircleShape: a skin image cut into the ellipse of the control with a
// one-pixel ring, as avatars are shown. The panel's own painting is
// replaced: the image goes through GDI+, which clips and smooths it.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnPanel.h"

namespace qn {

class TQuarnCircleShape : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCircleShape, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCircleShape(TComponent* AOwner);

  // The skin image's id; a change repaints.
  TQnResID Picture() const { return FPicture; }
  void SetPicture(const TQnResID& Value);
  // The ring's colour (the panel's body colour, which this control does not
  // paint). Only stores: the next repaint shows it.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }

  QN_PUBLISHED_DECL(TQuarnCircleShape) {
    QN_PROP(Picture).TypeName(u"TQnResID");
    QN_PROP(Color).TypeName(u"TColor").Default(static_cast<TColor>(0x00EBB71C));
    // Declared with what the constructor sets, so a fresh shape writes
    // neither and every other value is written and read back.
    QN_PROP(Alpha).Default(0);
    QN_PROP(BorderSides).Default(TSides{});
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
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;

  TQnResID FPicture;
};

void InitQuarnCircleShape();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
