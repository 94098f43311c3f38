// uQuarnSpeedometer: a value on a dial — a 300-degree track open at the
// bottom, end marks, eleven tick labels inside, the arc of the value and a
// needle filled with a colour gradient. With ActiveAnimate on, the needle
// glides to a new value in 15 eased frames and then settles on it.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/extended/uQuarnCircleProgress.h"
#include "skin/foundation/uQnAnimateEasing.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

class TSpeedometerColors : public TPersistent {
  QN_CLASS(TSpeedometerColors, TPersistent)
 public:
  TSpeedometerColors() = default;
  void Assign(TPersistent* Source) override;

  TColor CircleNormalColor() const { return FCircleNormalColor; }
  void SetCircleNormalColor(TColor Value);
  TColor CircleProgressColor() const { return FCircleProgressColor; }
  void SetCircleProgressColor(TColor Value);
  TColor ArrowStartColor() const { return FArrowStartColor; }
  void SetArrowStartColor(TColor Value);
  TColor ArrowEndColor() const { return FArrowEndColor; }
  void SetArrowEndColor(TColor Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TSpeedometerColors) {
    QN_PROP(CircleNormalColor).TypeName(u"TColor").Default(static_cast<TColor>(0x008FE6FF));
    QN_PROP(CircleProgressColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00F5A542));
    QN_PROP(ArrowStartColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D8A3FF));
    QN_PROP(ArrowEndColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00F5A542));
  }

 protected:
  virtual void DoChanged();

 private:
  void Store(TColor& Field, TColor Value);
  TColor FCircleNormalColor = static_cast<TColor>(0x008FE6FF);
  TColor FCircleProgressColor = static_cast<TColor>(0x00F5A542);
  TColor FArrowEndColor = static_cast<TColor>(0x00F5A542);
  TColor FArrowStartColor = static_cast<TColor>(0x00D8A3FF);
  TNotifyEvent FOnChanged;
};

class TQuarnCustomSpeedometer : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomSpeedometer, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCustomSpeedometer(TComponent* AOwner);
  ~TQuarnCustomSpeedometer() override;

  Integer ArrowWidth() const { return FArrowWidth; }
  void SetArrowWidth(Integer Value);
  Integer CircleThickness() const { return FCircleThickness; }
  void SetCircleThickness(Integer Value);
  TSpeedometerColors* Colors() const { return FColors.get(); }
  void SetColors(TSpeedometerColors* Value) { FColors->Assign(Value); }
  Integer Value() const { return FValue; }
  void SetValue(Integer Value);
  TFont* FontTicks() const { return FFontTicks.get(); }
  void SetFontTicks(TFont* Value) { FFontTicks->Assign(Value); }
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer Value);
  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  // The glide switch; off after construction. Turning it off mid-glide
  // settles the needle on the value at once.
  bool ActiveAnimate() const { return FActiveAnimate; }
  void SetActiveAnimate(bool Value);
  // Where the value arc and the needle stand now, degrees before the dial
  // is turned: 300 at MinValue down to 0 at MaxValue.
  Double StartAngle() const { return FStartAngle; }
  // True while the needle glides.
  bool Gliding() const { return FTimer->Enabled(); }
  // The label values around the dial, from the lowest to the highest.
  std::vector<Integer> TickValues() const;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void DoAnimate(Integer NewValue);
  void DoTimer(TObject* Sender);
  Double AngleOf(Double V) const;
  void SubChanged(TObject*) { Invalidate(); }

  Integer FCircleThickness = 23;
  Integer FMinValue = 0;
  Integer FValue = 50;
  Integer FMaxValue = 100;
  Integer FArrowWidth = 15;
  std::unique_ptr<TSpeedometerColors> FColors;
  std::unique_ptr<TFont> FFontTicks;
  bool FActiveAnimate = false;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  Double FStartAngle = 0;
  Double FCurValue = 0;
  Double FOldValue = 0;
  TResultArray FDynAngle;
  Integer FAngleIndex = -1;
  TNotifyEvent FOnChanged;
};

class TQuarnSpeedometer : public TQuarnCustomSpeedometer {
  QN_CLASS_CREATE(TQuarnSpeedometer, TQuarnCustomSpeedometer, TComponent)
 public:
  explicit TQuarnSpeedometer(TComponent* AOwner) : TQuarnCustomSpeedometer(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnSpeedometer) {
    QN_PROP(ArrowWidth).Default(15);
    QN_PROP(CircleThickness).Default(23);
    QN_PROP(Colors);
    QN_PROP(Value).Default(50);
    QN_PROP(FontTicks);
    QN_PROP(MaxValue).Default(100);
    QN_PROP(MinValue).Default(0);
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
  }
};

void InitQuarnSpeedometer();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
