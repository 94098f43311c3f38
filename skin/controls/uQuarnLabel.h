// uQuarnLabel: a windowed, translucent text control on the panel: a caption
// aligned both ways, with ellipsis, word wrap and an optional glow, over the
// panel body or a rounded background, sized to its text.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/controls/uQuarnPanel.h"

namespace qn {

class TQuarnCustomLabel : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCustomLabel, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCustomLabel(TComponent* AOwner);

  TQnLightClass* Light() const { return FLight.get(); }
  // Copies the glow settings; the next paint shows them.
  void SetLight(TQnLightClass* Value);
  // The label's own sizing to its text; the control's general auto-size
  // stays off.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) override;
  TVerticalAlignment AlignmentVertical() const { return FAlignmentVertical; }
  void SetAlignmentVertical(TVerticalAlignment Value);
  TAlignment AlignmentHorizontal() const { return FAlignmentHorizontal; }
  void SetAlignmentHorizontal(TAlignment Value);
  bool WordWap() const { return FWordWap; }
  void SetWordWap(bool Value) { FWordWap = Value; }
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition Value);
  Integer RoundSize() const { return FRoundSize; }
  void SetRoundSize(Integer Value) { FRoundSize = Value; }
  bool RoundBackground() const { return FRoundBackground; }
  void SetRoundBackground(bool Value);

  virtual void AdjustBounds();
  void Loaded() override;
  void ScaleControlsForDpi(Integer NewPPI) override { TQuarnCustomPanel::ScaleControlsForDpi(NewPPI); }
  void Dispatch(TMessage& Message) override;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  virtual void PaintText(TBitmap32* Buffer);
  void CreateParams(TCreateParams& Params) override;
  void CMFONTCHANGED(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  // The DrawText format of the current settings for R, which wrapping may
  // narrow to the text's height.
  Cardinal TextFormat(TBitmap32* Buffer, TRect& R);

  std::unique_ptr<TQnLightClass> FLight;
  bool FAutoSize = true;
  TVerticalAlignment FAlignmentVertical = taAlignTop;
  TAlignment FAlignmentHorizontal = taLeftJustify;
  bool FWordWap = false;
  TEllipsisPosition FEllipsisPosition = epNone;
  Integer FRoundSize = 5;
  bool FRoundBackground = false;
};

class TQuarnLabel : public TQuarnCustomLabel {
  QN_CLASS_CREATE(TQuarnLabel, TQuarnCustomLabel, TComponent)
 public:
  explicit TQuarnLabel(TComponent* AOwner) : TQuarnCustomLabel(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnLabel) {
    QN_PROP(Alpha).Default(0);
    QN_PROP(EllipsisPosition).Default(epNone);
    QN_PROP(AlignmentHorizontal).Default(taLeftJustify);
    QN_PROP(AlignmentVertical).Default(taAlignTop);
    QN_PROP(AutoSize).Default(true);
    QN_PROP(RoundBackground).Default(false);
    QN_PROP(RoundSize).Default(5);
    QN_PROP(Light);
    QN_PROP(WordWap).Default(false);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
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

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
