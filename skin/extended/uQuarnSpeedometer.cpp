#include "skin/extended/uQuarnSpeedometer.h"

#include <algorithm>
#include <cmath>

#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

namespace {

constexpr Integer GlideFrames = 15;
constexpr Cardinal GlideInterval = 30;

}  // namespace

void TSpeedometerColors::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

void TSpeedometerColors::Store(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  DoChanged();
}

void TSpeedometerColors::SetCircleNormalColor(TColor Value) { Store(FCircleNormalColor, Value); }
void TSpeedometerColors::SetCircleProgressColor(TColor Value) { Store(FCircleProgressColor, Value); }
void TSpeedometerColors::SetArrowStartColor(TColor Value) { Store(FArrowStartColor, Value); }
void TSpeedometerColors::SetArrowEndColor(TColor Value) { Store(FArrowEndColor, Value); }

void TSpeedometerColors::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TSpeedometerColors*>(Source)) {
    FCircleNormalColor = S->FCircleNormalColor;
    FCircleProgressColor = S->FCircleProgressColor;
    FArrowStartColor = S->FArrowStartColor;
    FArrowEndColor = S->FArrowEndColor;
    DoChanged();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------

TQuarnCustomSpeedometer::TQuarnCustomSpeedometer(TComponent* AOwner)
    : TQuarnCustomControl(AOwner),
      FColors(std::make_unique<TSpeedometerColors>()),
      FFontTicks(std::make_unique<TFont>()),
      FTimer(std::make_unique<uSimpleTimer::TSimpleTimer>()) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  FColors->SetOnChanged(MakeEvent(this, &TQuarnCustomSpeedometer::SubChanged));
  FFontTicks->SetSize(11);
  FFontTicks->SetColor(static_cast<TColor>(0x00484848));
  FFontTicks->SetOnChange(MakeEvent(this, &TQuarnCustomSpeedometer::SubChanged));
  FTimer->SetEnabled(false);
  FTimer->SetInterval(GlideInterval);
  FTimer->SetOnTimer(MakeEvent(this, &TQuarnCustomSpeedometer::DoTimer));
  SetBounds(Left(), Top(), 326, 326);
  FCurValue = FValue;
  FOldValue = FValue;
  FStartAngle = AngleOf(FValue);
}

TQuarnCustomSpeedometer::~TQuarnCustomSpeedometer() {
  FDynAngle.clear();
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(nullptr);
  FFontTicks->SetOnChange(nullptr);
  FColors->SetOnChanged(nullptr);
}

Double TQuarnCustomSpeedometer::AngleOf(Double V) const {
  // Equal ends leave nothing to divide by: the arc is never drawn then.
  if (FMaxValue == FMinValue) return 0;
  return 300.0 - (V - FMinValue) * 300.0 / (Double(FMaxValue) - FMinValue);
}

std::vector<Integer> TQuarnCustomSpeedometer::TickValues() const {
  const Integer Step = (FMaxValue - FMinValue) / 10;
  std::vector<Integer> Values;
  for (Integer K = 0; K <= 10; ++K) Values.push_back(K * Step + FMinValue);
  return Values;
}

void TQuarnCustomSpeedometer::SetArrowWidth(Integer Value) {
  if (Value < 0) throw Exception(u"Arrow width cannot be negative: " + IntToStr(Value));
  if (FArrowWidth == Value) return;
  FArrowWidth = Value;
  Invalidate();
}

void TQuarnCustomSpeedometer::SetCircleThickness(Integer Value) {
  if (Value < 0) throw Exception(u"Circle thickness cannot be negative: " + IntToStr(Value));
  if (FCircleThickness == Value) return;
  FCircleThickness = Value;
  Invalidate();
}

void TQuarnCustomSpeedometer::SetActiveAnimate(bool Value) {
  if (FActiveAnimate == Value) return;
  FActiveAnimate = Value;
  if (!Value && FTimer->Enabled()) {
    // A glide cut short ends where it was going.
    FTimer->SetEnabled(false);
    FCurValue = FValue;
    FStartAngle = AngleOf(FValue);
    Invalidate();
  }
}

void TQuarnCustomSpeedometer::SetValue(Integer Value) {
  if (Value > FMaxValue) Value = FMaxValue;
  else if (Value < FMinValue) Value = FMinValue;
  if (Value != FValue) DoAnimate(Value);
}

void TQuarnCustomSpeedometer::SetMaxValue(Integer Value) {
  FMaxValue = Value;
  if (Value < FValue) FValue = Value;
  // The frames of a glide were worked out on the old scale: settle instead.
  FTimer->SetEnabled(false);
  FCurValue = FValue;
  FStartAngle = AngleOf(FValue);
  Invalidate();
}

void TQuarnCustomSpeedometer::SetMinValue(Integer Value) {
  FMinValue = Value;
  if (Value > FValue) FValue = Value;
  FTimer->SetEnabled(false);
  FCurValue = FValue;
  FStartAngle = AngleOf(FValue);
  Invalidate();
}

void TQuarnCustomSpeedometer::DoAnimate(Integer NewValue) {
  if (!FActiveAnimate) {
    FValue = NewValue;
    FCurValue = NewValue;
    FStartAngle = AngleOf(NewValue);
    Invalidate();
  } else {
    if (FTimer->Enabled()) {
      FOldValue = FCurValue;
      FTimer->SetEnabled(false);
    } else {
      FOldValue = FValue;
    }
    const Integer N = static_cast<Integer>(Round(std::fabs(Double(NewValue) - FOldValue)));
    FAngleIndex = -1;
    FDynAngle = TQnAnimateEasing::GenerateValues(N, GlideFrames, etCircEaseOut);
    FTimer->SetEnabled(true);
    FValue = NewValue;
  }
  if (FOnChanged) FOnChanged(this);
}

void TQuarnCustomSpeedometer::DoTimer(TObject*) {
  ++FAngleIndex;
  if (FAngleIndex >= 0 && FAngleIndex < static_cast<Integer>(FDynAngle.size())) {
    const Double Offset = static_cast<Double>(FDynAngle[static_cast<size_t>(FAngleIndex)]);
    FCurValue = FValue > FOldValue ? FOldValue + Offset : FOldValue - Offset;
  } else {
    // The eased table stops one step short of the change; the last frame
    // puts the needle on the value itself.
    FTimer->SetEnabled(false);
    FCurValue = FValue;
  }
  FStartAngle = AngleOf(FCurValue);
  Invalidate();
}

void TQuarnCustomSpeedometer::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomControl::DrawBody(Buffer);
  Buffer->BeginUpdate();
  struct TEnd {
    TBitmap32* B;
    ~TEnd() { B->EndUpdate(); }
  } End{Buffer};

  const Integer W = Width(), H = Height(), T = FCircleThickness, A = FArrowWidth;
  const Integer D = GaugeRingSide(W, H, T);
  const Single L = (W - D) / 2.0f, Tp = (H - D) / 2.0f;
  const TFloatRect R(L, Tp, L + D, Tp + D);
  const TFloat Cx = W / 2.0f, Cy = H / 2.0f;
  const Integer R0 = D / 2;
  const TColor32 Normal = GaugeColor32(FColors->CircleNormalColor());
  const TColor32 Progress = GaugeColor32(FColors->CircleProgressColor());
  auto Arc = [&](const TFloatRect& Rect, Single From, Single To, TFloat Width, TColor32 Color) {
    const TArrayOfFloatPoint P = GaugeRotate(GaugeArcOutline(Rect, From, To, Width, TEndStyle::esButt), Cx, Cy, 60);
    SimpleFill(Buffer, P, Color, Color, TPolyFillMode::pfNonZero);
  };

  Arc(R, 0, 300, T, Normal);
  const TFloat Shrink = T / 1.7f;
  const TFloatRect Marks(R.Left + Shrink, R.Top + Shrink, R.Right - Shrink, R.Bottom - Shrink);
  Arc(Marks, -0.12f, 4, T / 2.0f, FValue == FMaxValue ? Progress : Normal);
  Arc(Marks, 296, 300.12f, T / 2.0f, FValue > FMinValue ? Progress : Normal);

  const Integer Step = (FMaxValue - FMinValue) / 10;
  TFont* F = Buffer->Font();
  F->Assign(FFontTicks.get());
  const TColor TickColor = FFontTicks->Color();
  const Integer LW = std::max(Buffer->TextWidth(IntToStr(FMaxValue)), Buffer->TextWidth(IntToStr(FMinValue)));
  for (Integer I = 1; I <= 12; ++I) {
    if (I == 6) continue;
    const Double Theta = M_PI * ((I - 1) * 30.0 - 60.0) / 180.0;
    const Integer K = I <= 5 ? I + 5 : I - 7;
    const Integer Label = K * Step + FMinValue;
    const String Text = IntToStr(Label);
    const Double X = std::cos(Theta) * (R0 - LW) + W / 2.0;
    const Double Y = std::sin(Theta) * (R0 - LW) + H / 2.0;
    const TSize S = Buffer->TextExtent(Text);
    Double OX = (-S.cx) / 2, OY = (-S.cy) / 2;
    if (I == 5 || I == 7) OY -= T / 2.0;
    F->SetColor(FValue >= Label && FValue > FMinValue ? FColors->CircleProgressColor() : TickColor);
    Buffer->Textout(static_cast<Integer>(Round(X + OX)), static_cast<Integer>(Round(Y + OY)), Text);
  }
  F->SetColor(TickColor);

  if (FValue < FMinValue || FValue > FMaxValue) return;

  if (FValue > FMinValue) Arc(R, static_cast<Single>(FStartAngle), 300, T, Progress);

  const TArrayOfFloatPoint Needle = GaugeRotate(
      BuildPolyline(Line(Cx, Cy, Cx, Cy + R0 * 2.0f / 3.0f), static_cast<TFloat>(A), TJoinStyle::jsMiter,
                    TEndStyle::esButt, 4.0f),
      Cx, Cy, static_cast<Integer>(Round((300.0 - FStartAngle) + 30.0)));
  if (Needle.size() < 2) return;
  TColor32Gradient Gradient;
  Gradient.AddColorStop(0.2f, GaugeColor32(FColors->ArrowStartColor()));
  Gradient.AddColorStop(0.8f, GaugeColor32(FColors->ArrowEndColor()));
  TLinearGradientPolygonFiller Filler(&Gradient);
  Filler.SetUseLookUpTable(false);
  Filler.SetWrapMode(TWrapMode::wmClamp);
  Filler.SetStartPoint(Needle[0]);
  Filler.SetEndPoint(Needle[1]);
  PolygonFS(Buffer, Needle, &Filler, TPolyFillMode::pfEvenOdd);
}

void InitQuarnSpeedometer() { RegisterClasses({TQuarnSpeedometer::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TSpeedometerColors)
QN_PUBLISHED_IMPL(qn::TQuarnSpeedometer)
