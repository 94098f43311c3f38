// uQuarnPanel: the translucent panel most skinned controls and pop-ups are
// built from, and the border panel whose two-pixel skin frame turns hot
// while the pointer, the focus or a hosted inner control says so.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/ExtCtrls.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

enum class TGradientAlign { gaCenter, gaLeft, gaRight };
QN_ENUM_NAMES(TGradientAlign, gaCenter, gaLeft, gaRight)
using enum TGradientAlign;

// User drawing into the finished back buffer, before the border.
using TQnCustomDrawEvent = TEvent<void(TObject* Sender, TBitmap32* Buffer)>;

class TQuarnCustomPanel : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomPanel, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCustomPanel(TComponent* AOwner);

  TSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TSides Value);
  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value);
  // The body colour; hides the base class's colour, which only the
  // background fill of an opaque control uses.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value);
  bool DoubleBorder() const { return FDoubleBorder; }
  void SetDoubleBorder(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TQnResID BackgroundImage() const { return FBackgroundImage; }
  void SetBackgroundImage(const TQnResID& Value);
  const TQnCustomDrawEvent& OnCustomDraw() const { return FOnCustomDraw; }
  void SetOnCustomDraw(const TQnCustomDrawEvent& Value) { FOnCustomDraw = Value; }
  Integer BackgroundOffsetX() const { return FBackgroundOffsetX; }
  void SetBackgroundOffsetX(Integer Value) { FBackgroundOffsetX = Value; }
  Integer BackgroundOffsetY() const { return FBackgroundOffsetY; }
  void SetBackgroundOffsetY(Integer Value) { FBackgroundOffsetY = Value; }
  Byte BorderAlpha() const { return FBorderAlpha; }
  void SetBorderAlpha(Byte Value);
  TQnPngFillType BackgroundFillType() const { return FBackgroundFillType; }
  void SetBackgroundFillType(TQnPngFillType Value);
  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool Value);
  Integer GradientSize() const { return FGradientSize; }
  void SetGradientSize(Integer Value);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor Value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor Value);
  TGradientAlign GradientAlign() const { return FGradientAlign; }
  void SetGradientAlign(TGradientAlign Value);
  TGradientDirection GradientDirection() const { return FGradientDirection; }
  void SetGradientDirection(TGradientDirection Value);

  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  virtual void DrawBorder(TBitmap32* Buffer);
  void DrawCaption(TBitmap32* Buffer);
  void DrawGradient(TBitmap32* Buffer);
  void CMFONTCHANGED(TMessage& Message);
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  TSides FBorderSides{sdLeft, sdTop, sdRight, sdBottom};
  Byte FAlpha = 192;
  TColor FColor = clWhite;
  TColor FBorderColor = static_cast<TColor>(0x00D9CBBA);
  bool FDoubleBorder = true;
  TAlignment FAlignment = taLeftJustify;
  TQnResID FBackgroundImage;
  TQnCustomDrawEvent FOnCustomDraw;
  Integer FBackgroundOffsetX = 0, FBackgroundOffsetY = 0;
  Byte FBorderAlpha = 255;
  TQnPngFillType FBackgroundFillType = ftNormal;
  bool FCaptionVisible = false;
  Integer FGradientSize = 60;
  TColor FGradientStartColor = static_cast<TColor>(0x00FFC446);
  TColor FGradientEndColor = static_cast<TColor>(0x00FDF8F3);
  TGradientAlign FGradientAlign = gaCenter;
  TGradientDirection FGradientDirection = gdVertical;

 private:
  template <class T>
  void Change(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }
};

class TQuarnPanel : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnPanel, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnPanel(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnPanel) {
    QN_PROP(Alpha).Default(192);
    QN_PROP(BorderAlpha).Default(255);
    QN_PROP(BorderSides).Default(TSides{sdLeft, sdTop, sdRight, sdBottom});
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    QN_PROP(CaptionVisible).Default(false);
    QN_PROP(BackgroundFillType).Default(ftNormal);
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(GradientDirection).Default(gdVertical);
    QN_PROP(GradientAlign).Default(gaCenter);
    QN_PROP(GradientSize).Default(60);
    QN_PROP(GradientStartColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00FFC446));
    QN_PROP(GradientEndColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00FDF8F3));
    QN_PROP(DoubleBorder).Default(true);
    QN_PROP(OnCustomDraw).TypeName(u"TQnCustomDrawEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
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

class TQuarnBorderPanel : public TQuarnPanel {
  QN_CLASS_CREATE(TQuarnBorderPanel, TQuarnPanel, TComponent)
 public:
  explicit TQuarnBorderPanel(TComponent* AOwner);

  bool InControl() const { return FInControl; }
  void SetInControl(bool Value);
  bool OverControl() const { return FOverControl; }
  void SetOverControl(bool Value);
  // Only stores: hosts clear it once their inner control drives the frame.
  bool CMMouse() const { return FCMMouse; }
  void SetCMMouse(bool Value) { FCMMouse = Value; }
  // Only stores; the next re-alignment takes it.
  Integer NCSize() const { return FNCSize; }
  void SetNCSize(Integer Value) { FNCSize = Value; }
  bool ActiveHotFrame() const { return FActiveHotFrame; }
  void SetActiveHotFrame(bool Value);
  TQnResID BorderEffectHot() const { return FframeBorderEffect_mouseDownDraw; }
  void SetBorderEffectHot(const TQnResID& Value);
  TQnResID BorderEffectNormal() const { return FframeBorderEffect_normalDraw; }
  void SetBorderEffectNormal(const TQnResID& Value);
  // The default ids stay out of form files, like any other default.
  bool IsBorderEffectNormalStored() const { return FframeBorderEffect_normalDraw != u"QuarnBorderNormal"; }
  bool IsBorderEffectHotStored() const { return FframeBorderEffect_mouseDownDraw != u"QuarnBorderHot"; }
  // Whether the frame is drawn from the hot image.
  bool Hot();

  // Over: the pointer flag, else the inner-control flag; run time only.
  virtual void UpdateFrame(bool Over, bool Value);
  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnBorderPanel) {
    QN_PROP(Alpha).Default(0);
    QN_PROP(ActiveHotFrame).Default(true);
    QN_PROP(BorderEffectNormal).TypeName(u"TQnResID").Stored(&TQuarnBorderPanel::IsBorderEffectNormalStored);
    QN_PROP(BorderEffectHot).TypeName(u"TQnResID").Stored(&TQuarnBorderPanel::IsBorderEffectHotStored);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void WMSize(TMessage& Message);

  bool FInControl = false;
  bool FOverControl = false;
  bool FCMMouse = true;
  TQnResID FframeBorderEffect_mouseDownDraw = u"QuarnBorderHot";
  TQnResID FframeBorderEffect_normalDraw = u"QuarnBorderNormal";
  bool FActiveHotFrame = true;
  Integer FNCSize = 2;
};


}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
