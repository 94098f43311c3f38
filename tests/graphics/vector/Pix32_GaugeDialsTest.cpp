#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_gauge_dials_test {

using namespace qn;

// The two dials drawn step by step from the helpers, as the gauge controls
// draw them: the helpers' angle conventions must put every part where a
// dial has it.
namespace {
constexpr TColor32 kBack = 0xFFFFFFFFu, kNormal = 0xFFD0D0D0u, kProgress = 0xFF2060E0u, kDot = 0xFFE02020u;
constexpr TColor32 kArrowStart = 0xFF00C000u, kArrowEnd = 0xFFC000C0u;

// Fixed points, turned about C by A degrees the other way round, and back.
TArrayOfFloatPoint Turn(const TArrayOfFloatPoint& P, const TFloatPoint& C, Integer A) {
  TArrayOfFixedPoint F = FixedPoints(P);
  RotatePoints(F, FixedPoint(C.X, C.Y), static_cast<Single>(std::numbers::pi * -A / 180));
  return FloatPoints(F);
}

TArrayOfFloatPoint Arc(const TFloatRect& R, Single From, Single To, TFloat Width, TEndStyle Ends) {
  return BuildPolyline(FloatPoints(GetArcPoints(R, From, To)), Width, TJoinStyle::jsMiter, Ends, 4.0f);
}

struct TRing {
  TFloatRect R;
  TFloatPoint C;
  TFloat D;
};
TRing Ring(Integer W, Integer H, Integer T) {
  const TFloat D = static_cast<TFloat>(std::min(W, H) - T - static_cast<Integer>(std::nearbyint(0.8 * T)));
  const TFloat L = (W - D) / 2, Tp = (H - D) / 2;
  return {FloatRect(L, Tp, L + D, Tp + D), FloatPoint(W / 2.0f, H / 2.0f), D};
}

void CircleProgress(TBitmap32& B, Integer Min, Integer Max, Integer Value) {
  const Integer W = B.Width(), H = B.Height(), T = 14;
  const double S = Max == Min ? 0 : 359 - double(Value - Min) * 359 / (Max - Min);
  const TRing G = Ring(W, H, T);
  const TArrayOfFloatPoint Track = Arc(G.R, 0, 359, T, TEndStyle::esRound);
  if (Track.empty()) return;
  SimpleFill(&B, Track, kNormal, kNormal, TPolyFillMode::pfNonZero);
  if (Value < Min || Value > Max) return;
  if (Value > Min)
    SimpleFill(&B, Turn(Arc(G.R, static_cast<Single>(S), 359, T, TEndStyle::esRound), G.C, -90), kProgress, kProgress,
               TPolyFillMode::pfNonZero);
  const TFloat R = 0.58f * T / 2;
  const Integer N = static_cast<Integer>(std::trunc(std::numbers::pi / std::acos(R / (R + 0.125))));
  SimpleFill(&B, Turn(Circle(FloatPoint(W / 2.0f, H / 2.0f + G.D / 2), R, N), G.C, static_cast<Integer>(std::nearbyint((359 - S) + 180))),
             kDot, kDot, TPolyFillMode::pfNonZero);
}

// Returns the needle's outline as drawn.
TArrayOfFloatPoint Speedometer(TBitmap32& B, Integer Min, Integer Max, Integer Value) {
  const Integer W = B.Width(), H = B.Height(), T = 23, A = 15;
  const double S = Max == Min ? 0 : 300 - double(Value - Min) * 300 / (Max - Min);
  const TRing G = Ring(W, H, T);
  const Integer R0 = static_cast<Integer>(G.D) / 2;
  auto Draw = [&](const TFloatRect& R, Single From, Single To, TFloat Width, TColor32 Color) {
    SimpleFill(&B, Turn(Arc(R, From, To, Width, TEndStyle::esButt), G.C, 60), Color, Color, TPolyFillMode::pfNonZero);
  };
  Draw(G.R, 0, 300, T, kNormal);
  TFloatRect Marks = G.R;
  InflateRect(Marks, -T / 1.7f, -T / 1.7f);
  Draw(Marks, -0.12f, 4, T / 2.0f, Value == Max ? kProgress : kNormal);
  Draw(Marks, 296, 300.12f, T / 2.0f, Value > Min ? kProgress : kNormal);
  if (Value < Min || Value > Max) return {};
  if (Value > Min) Draw(G.R, static_cast<Single>(S), 300, T, kProgress);
  const TArrayOfFloatPoint Needle =
      Turn(BuildPolyline(Line(FloatPoint(W / 2.0f, H / 2.0f), FloatPoint(W / 2.0f, H / 2.0f + R0 * 2.0f / 3)), A,
                         TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f),
           G.C, static_cast<Integer>(std::nearbyint((300 - S) + 30)));
  TColor32Gradient Grad;
  Grad.AddColorStop(0.2f, kArrowStart);
  Grad.AddColorStop(0.8f, kArrowEnd);
  TLinearGradientPolygonFiller F(&Grad);
  F.SetUseLookUpTable(false);
  F.SetWrapMode(TWrapMode::wmClamp);
  F.SetStartPoint(Needle[0]);
  F.SetEndPoint(Needle[1]);
  PolygonFS(&B, Needle, &F, TPolyFillMode::pfEvenOdd);
  return Needle;
}

TColor32 At(TBitmap32& B, TFloat X, TFloat Y) { return B.ScanLine(Integer(Y))[Integer(X)]; }
// The point at Degrees (counter-clockwise on screen from 3 o'clock) at
// Radius from the centre of B.
TFloatPoint Polar(TBitmap32& B, double Degrees, double Radius) {
  const double A = Degrees * std::numbers::pi / 180;
  return FloatPoint(static_cast<TFloat>(B.Width() / 2.0 + Radius * std::cos(A)),
                    static_cast<TFloat>(B.Height() / 2.0 - Radius * std::sin(A)));
}
}  // namespace

TEST(Pix32_VectorUtils_qn, CircleProgressDialFromTheHelpers) {
  TBitmap32 B;
  B.SetSize(180, 180);
  B.Clear(kBack);
  CircleProgress(B, 0, 100, 25);
  const TRing G = Ring(180, 180, 14);
  const double R = G.D / 2;
  // Half past one lies in the first quarter from 12 o'clock, which 25 fills;
  // half past ten does not.
  const TFloatPoint P1 = Polar(B, 90 - 45, R), P2 = Polar(B, 90 + 45, R);
  EXPECT_EQ(At(B, P1.X, P1.Y), kProgress);
  EXPECT_EQ(At(B, P2.X, P2.Y), kNormal);
  // The dot sits where the value ends: 3 o'clock.
  const TFloatPoint D = Polar(B, 0, R);
  EXPECT_EQ(At(B, D.X, D.Y), kDot);
  EXPECT_NE(At(B, Polar(B, 270, R).X, Polar(B, 270, R).Y), kDot);
  // The ring's inside and outside stay clear.
  EXPECT_EQ(At(B, 90, 90), kBack);
  EXPECT_EQ(At(B, 2, 2), kBack);

  // At 0 no progress shows and the dot sits at 12 o'clock; at 100 the whole
  // ring is the progress colour.
  B.Clear(kBack);
  CircleProgress(B, 0, 100, 0);
  EXPECT_EQ(At(B, P1.X, P1.Y), kNormal);
  EXPECT_EQ(At(B, Polar(B, 90, R).X, Polar(B, 90, R).Y), kDot);
  B.Clear(kBack);
  CircleProgress(B, 0, 100, 100);
  for (double Deg : {30.0, 135.0, 200.0, 300.0}) EXPECT_EQ(At(B, Polar(B, Deg, R).X, Polar(B, Deg, R).Y), kProgress) << Deg;
}

TEST(Pix32_VectorUtils_qn, SpeedometerDialFromTheHelpers) {
  TBitmap32 B;
  B.SetSize(326, 326);
  const TRing G = Ring(326, 326, 23);
  const double R = G.D / 2;
  B.Clear(kBack);
  Speedometer(B, 0, 100, 50);
  // The track is open at the bottom, centred there, and closed elsewhere.
  EXPECT_EQ(At(B, Polar(B, 270, R).X, Polar(B, 270, R).Y), kBack);
  EXPECT_EQ(At(B, Polar(B, 270 - 25, R).X, Polar(B, 270 - 25, R).Y), kBack);
  EXPECT_EQ(At(B, Polar(B, 270 + 25, R).X, Polar(B, 270 + 25, R).Y), kBack);
  EXPECT_NE(At(B, Polar(B, 270 - 35, R).X, Polar(B, 270 - 35, R).Y), kBack);
  EXPECT_NE(At(B, Polar(B, 270 + 35, R).X, Polar(B, 270 + 35, R).Y), kBack);
  // The value arc runs clockwise from the gap's left end over half the dial.
  EXPECT_EQ(At(B, Polar(B, 180, R).X, Polar(B, 180, R).Y), kProgress);
  EXPECT_EQ(At(B, Polar(B, 0, R).X, Polar(B, 0, R).Y), kNormal);

  // The needle: lower left at the minimum, up at the middle, lower right at
  // the maximum, graded from the start colour at the centre to the end
  // colour at the tip.
  const double Len = (static_cast<Integer>(G.D) / 2) * 2.0 / 3;
  const struct {
    Integer Value;
    double Degrees;
  } Cases[] = {{0, 240}, {50, 90}, {100, 300}};
  for (const auto& C : Cases) {
    B.Clear(kBack);
    const TArrayOfFloatPoint Needle = Speedometer(B, 0, 100, C.Value);
    ASSERT_FALSE(Needle.empty());
    const TFloatPoint Near = Polar(B, C.Degrees, 0.1 * Len), Tip = Polar(B, C.Degrees, 0.92 * Len);
    EXPECT_EQ(At(B, Near.X, Near.Y), kArrowStart) << C.Value;
    EXPECT_EQ(At(B, Tip.X, Tip.Y), kArrowEnd) << C.Value;
    const TFloatPoint Off = Polar(B, C.Degrees + 180, 0.5 * Len);
    EXPECT_EQ(At(B, Off.X, Off.Y), kBack) << C.Value;
  }
}

}  // namespace t_pix32_gauge_dials_test
