// uQuarnCircleProgress: a value shown as a ring — a full track, the arc of
// the part reached running clockwise from twelve o'clock, a dot on the arc's
// moving end and the percentage with a small caption in the middle. The
// ring helpers here are shared with the speedometer.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

// Turns Points about (Cx, Cy) by A degrees clockwise on screen, through the
// 16.16 points the rotation works on.
TArrayOfFloatPoint GaugeRotate(const TArrayOfFloatPoint& Points, TFloat Cx, TFloat Cy, Integer A);
// The stroke outline of the arc of Rect from StartAngle to EndAngle
// (degrees, counter-clockwise from three o'clock), Width wide.
TArrayOfFloatPoint GaugeArcOutline(const TFloatRect& Rect, Single StartAngle, Single EndAngle, TFloat Width,
                                   TEndStyle Ends);
// The side of a gauge's ring square in a control of W x H with a track T wide.
Integer GaugeRingSide(Integer W, Integer H, Integer T);
// An opaque 32-bit colour of a control colour.
TColor32 GaugeColor32(TColor C);

class TCircleProgressColors : public TPersistent {
  QN_CLASS(TCircleProgressColors, TPersistent)
 public:
  TCircleProgressColors() = default;
  void Assign(TPersistent* Source) override;

  TColor CircleNormalColor() const { return FCircleNormalColor; }
  void SetCircleNormalColor(TColor Value);
  TColor CircleProgressColor() const { return FCircleProgressColor; }
  void SetCircleProgressColor(TColor Value);
  TColor PointColor() const { return FPointColor; }
  void SetPointColor(TColor Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TCircleProgressColors) {
    QN_PROP(CircleNormalColor).TypeName(u"TColor").Default(static_cast<TColor>(0x008FE6FF));
    QN_PROP(CircleProgressColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00F5A542));
    QN_PROP(PointColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00FFFFFF));
  }

 protected:
  virtual void DoChanged();

 private:
  TColor FCircleNormalColor = static_cast<TColor>(0x008FE6FF);
  TColor FCircleProgressColor = static_cast<TColor>(0x00F5A542);
  TColor FPointColor = static_cast<TColor>(0x00FFFFFF);
  TNotifyEvent FOnChanged;
};

class TQuarnCustomCircleProgress : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomCircleProgress, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCustomCircleProgress(TComponent* AOwner);
  ~TQuarnCustomCircleProgress() override;

  // Changes inside the bracket fire no OnChanged; EndUpdate fires nothing.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }

  Integer CircleThickness() const { return FCircleThickness; }
  void SetCircleThickness(Integer Value);
  TCircleProgressColors* Colors() const { return FColors.get(); }
  void SetColors(TCircleProgressColors* Value) { FColors->Assign(Value); }
  TQnCaption* Caption() const { return FCaption.get(); }
  void SetCaption(TQnCaption* Value);
  Integer Value() const { return FValue; }
  void SetValue(Integer Value);
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer Value);
  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  // Where the value arc begins, degrees before the ring is turned: 359 at
  // MinValue down to 0 at MaxValue.
  Double StartAngle() const { return FStartAngle; }
  // The number in the middle.
  String PercentText() const;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void CalcStartAngle();
  void SubChanged(TObject*) { Invalidate(); }

  Integer FMinValue = 0;
  Integer FValue = 50;
  Integer FMaxValue = 100;
  std::unique_ptr<TQnCaption> FCaption;
  TNotifyEvent FOnChanged;
  Integer FUpdateCount = 0;
  std::unique_ptr<TCircleProgressColors> FColors;
  Integer FCircleThickness = 14;
  Double FStartAngle = 0;
};

class TQuarnCircleProgress : public TQuarnCustomCircleProgress {
  QN_CLASS_CREATE(TQuarnCircleProgress, TQuarnCustomCircleProgress, TComponent)
 public:
  explicit TQuarnCircleProgress(TComponent* AOwner) : TQuarnCustomCircleProgress(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnCircleProgress) {
    QN_PROP(CircleThickness).Default(14);
    QN_PROP(Colors);
    QN_PROP(Caption);
    QN_PROP(Value).Default(50);
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

void InitQuarnCircleProgress();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
