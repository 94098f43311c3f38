#include "skin/extended/uQuarnCircleProgress.h"

#include <algorithm>
#include <cmath>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

namespace {

// The buffer's change notifications held back for one drawing pass.
class TBufferUpdate {
 public:
  explicit TBufferUpdate(TBitmap32* B) : FB(B) { FB->BeginUpdate(); }
  ~TBufferUpdate() { FB->EndUpdate(); }
  TBufferUpdate(const TBufferUpdate&) = delete;
  TBufferUpdate& operator=(const TBufferUpdate&) = delete;

 private:
  TBitmap32* FB;
};

}  // namespace

TArrayOfFloatPoint GaugeRotate(const TArrayOfFloatPoint& Points, TFloat Cx, TFloat Cy, Integer A) {
  TArrayOfFixedPoint P = FixedPoints(Points);
  const TFixedPoint Origin{static_cast<TFixed>(Round(Double(Cx) * 65536.0)),
                           static_cast<TFixed>(Round(Double(Cy) * 65536.0))};
  RotatePoints(P, Origin, static_cast<Single>(M_PI * -Double(A) / 180.0));
  return FloatPoints(P);
}

TArrayOfFloatPoint GaugeArcOutline(const TFloatRect& Rect, Single StartAngle, Single EndAngle, TFloat Width,
                                   TEndStyle Ends) {
  const TArrayOfFloatPoint Arc = FloatPoints(GetArcPoints(Rect, StartAngle, EndAngle));
  return BuildPolyline(Arc, Width, TJoinStyle::jsMiter, Ends, 4.0f);
}

Integer GaugeRingSide(Integer W, Integer H, Integer T) {
  return std::min(W, H) - T - static_cast<Integer>(Round(0.8 * T));
}

TColor32 GaugeColor32(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }

// ---------------------------------------------------------------------------

void TCircleProgressColors::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

void TCircleProgressColors::SetCircleNormalColor(TColor Value) {
  if (FCircleNormalColor == Value) return;
  FCircleNormalColor = Value;
  DoChanged();
}

void TCircleProgressColors::SetCircleProgressColor(TColor Value) {
  if (FCircleProgressColor == Value) return;
  FCircleProgressColor = Value;
  DoChanged();
}

void TCircleProgressColors::SetPointColor(TColor Value) {
  if (FPointColor == Value) return;
  FPointColor = Value;
  DoChanged();
}

void TCircleProgressColors::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TCircleProgressColors*>(Source)) {
    // One report for the three colours.
    FCircleNormalColor = S->FCircleNormalColor;
    FCircleProgressColor = S->FCircleProgressColor;
    FPointColor = S->FPointColor;
    DoChanged();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------

TQuarnCustomCircleProgress::TQuarnCustomCircleProgress(TComponent* AOwner)
    : TQuarnCustomControl(AOwner),
      FCaption(std::make_unique<TQnCaption>()),
      FColors(std::make_unique<TCircleProgressColors>()) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  SetBounds(Left(), Top(), 180, 180);
  FCaption->SetText(u"%");
  FCaption->Font()->SetSize(27);
  FCaption->Font()->SetColor(static_cast<TColor>(0x00484848));
  FCaption->SetOnChanged(MakeEvent(this, &TQuarnCustomCircleProgress::SubChanged));
  FColors->SetOnChanged(MakeEvent(this, &TQuarnCustomCircleProgress::SubChanged));
  CalcStartAngle();
}

TQuarnCustomCircleProgress::~TQuarnCustomCircleProgress() {
  FCaption->SetOnChanged(nullptr);
  FColors->SetOnChanged(nullptr);
}

void TQuarnCustomCircleProgress::CalcStartAngle() {
  // Equal ends leave nothing to divide by: the arc is never drawn then.
  if (FMaxValue == FMinValue) FStartAngle = 0;
  else FStartAngle = 359.0 - (Double(FValue) - FMinValue) * 359.0 / (Double(FMaxValue) - FMinValue);
}

String TQuarnCustomCircleProgress::PercentText() const {
  if (FMaxValue == FMinValue) return u"0";
  return IntToStr(Round((Double(FValue) - FMinValue) / (Double(FMaxValue) - FMinValue) * 100.0));
}

void TQuarnCustomCircleProgress::SetCircleThickness(Integer Value) {
  if (Value < 0) throw Exception(u"Circle thickness cannot be negative: " + IntToStr(Value));
  if (FCircleThickness == Value) return;
  FCircleThickness = Value;
  Invalidate();
}

void TQuarnCustomCircleProgress::SetCaption(TQnCaption* Value) {
  FCaption->Assign(Value);
  Invalidate();
}

void TQuarnCustomCircleProgress::SetValue(Integer Value) {
  if (Value > FMaxValue) Value = FMaxValue;
  else if (Value < FMinValue) Value = FMinValue;
  if (Value == FValue) return;
  FValue = Value;
  CalcStartAngle();
  Invalidate();
  if (FUpdateCount == 0 && FOnChanged) FOnChanged(this);
}

void TQuarnCustomCircleProgress::SetMaxValue(Integer Value) {
  FMaxValue = Value;
  if (Value < FValue) FValue = Value;
  CalcStartAngle();
  Invalidate();
}

void TQuarnCustomCircleProgress::SetMinValue(Integer Value) {
  FMinValue = Value;
  if (Value > FValue) FValue = Value;
  CalcStartAngle();
  Invalidate();
}

void TQuarnCustomCircleProgress::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomControl::DrawBody(Buffer);
  TBufferUpdate Guard(Buffer);
  const Integer W = Width(), H = Height(), T = FCircleThickness;
  const Integer D = GaugeRingSide(W, H, T);
  const Single L = (W - D) / 2.0f, Tp = (H - D) / 2.0f;
  const TFloatRect R(L, Tp, L + D, Tp + D);
  const TFloat Cx = W / 2.0f, Cy = H / 2.0f;

  const TArrayOfFloatPoint Track = GaugeArcOutline(R, 0, 359, T, TEndStyle::esRound);
  if (Track.empty()) return;
  const TColor32 Normal = GaugeColor32(FColors->CircleNormalColor());
  SimpleFill(Buffer, Track, Normal, Normal, TPolyFillMode::pfNonZero);

  if (FValue < FMinValue || FValue > FMaxValue) return;

  if (FValue > FMinValue) {
    const TArrayOfFloatPoint Arc =
        GaugeRotate(GaugeArcOutline(R, static_cast<Single>(FStartAngle), 359, T, TEndStyle::esRound), Cx, Cy, -90);
    const TColor32 Progress = GaugeColor32(FColors->CircleProgressColor());
    SimpleFill(Buffer, Arc, Progress, Progress, TPolyFillMode::pfNonZero);
  }

  const Double Radius = 0.58 * T / 2.0;
  const Integer Steps =
      Radius > 0 ? TruncI(M_PI / ArcCos(std::fabs(Radius) / (std::fabs(Radius) + 0.125))) : 0;
  if (Steps > 2) {
    const TArrayOfFloatPoint Dot =
        GaugeRotate(Circle(Cx, Cy + D / 2.0f, static_cast<TFloat>(Radius), Steps), Cx, Cy,
                    static_cast<Integer>(Round((359.0 - FStartAngle) + 180.0)));
    const TColor32 Point = GaugeColor32(FColors->PointColor());
    SimpleFill(Buffer, Dot, Point, Point, TPolyFillMode::pfNonZero);
  }

  if (!FCaption->Visible()) return;
  const String N = PercentText();
  const String C = FCaption->Text();
  TFont* F = Buffer->Font();
  F->Assign(FCaption->Font());
  const TSize SN = Buffer->TextExtent(N);
  const Integer Size = F->Size();
  F->SetSize(static_cast<Integer>(Round(Size * 0.4)));
  const Integer WC = C.empty() ? 0 : Buffer->TextWidth(C);
  const Integer X = (W - SN.cx - WC) / 2, Y = (H - SN.cy) / 2;
  F->SetSize(Size);
  Buffer->Textout(X, Y, N);
  if (!C.empty()) {
    F->SetSize(static_cast<Integer>(Round(Size * 0.4)));
    Buffer->Textout(X + SN.cx + 1, Y, C);
  }
}

void InitQuarnCircleProgress() { RegisterClasses({TQuarnCircleProgress::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TCircleProgressColors)
QN_PUBLISHED_IMPL(qn::TQuarnCircleProgress)
