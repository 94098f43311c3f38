// Arc points and point rotation for dials drawn in 16.16 coordinates.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

// Round half to even and saturate to the 16.16 range; NaN becomes 0.
TFixed SaturateFixed(double V) {
  if (std::isnan(V)) return 0;
  const double F = std::nearbyint(V * 65536.0);
  if (F >= 2147483647.0) return 2147483647;
  if (F <= -2147483648.0) return static_cast<TFixed>(-2147483647 - 1);
  return static_cast<TFixed>(F);
}

}  // namespace

TArrayOfFixedPoint GetArcPoints(const TFloatRect& Rect, Single StartAngle, Single EndAngle) {
  if (!std::isfinite(Rect.Left) || !std::isfinite(Rect.Top) || !std::isfinite(Rect.Right) ||
      !std::isfinite(Rect.Bottom) || !std::isfinite(StartAngle) || !std::isfinite(EndAngle))
    return {};
  if (!(Rect.Right > Rect.Left) || !(Rect.Bottom > Rect.Top)) return {};
  const double Cx = (static_cast<double>(Rect.Left) + Rect.Right) / 2, Cy = (static_cast<double>(Rect.Top) + Rect.Bottom) / 2;
  const double Rx = (static_cast<double>(Rect.Right) - Rect.Left) / 2, Ry = (static_cast<double>(Rect.Bottom) - Rect.Top) / 2;
  constexpr double Deg = std::numbers::pi / 180;
  auto At = [&](double Theta) {
    return TFixedPoint(SaturateFixed(Cx + Rx * std::cos(Theta * Deg)), SaturateFixed(Cy - Ry * std::sin(Theta * Deg)));
  };
  if (StartAngle == EndAngle) return {At(StartAngle)};
  const double Sweep = static_cast<double>(EndAngle) - StartAngle;
  const double Steps = std::ceil(CalculateCircleSteps(static_cast<TFloat>(std::max(Rx, Ry))) * std::fabs(Sweep) / 360);
  const Integer Count = static_cast<Integer>(std::clamp(Steps + 1, 2.0, static_cast<double>(MaxAutoSteps) + 1));
  TArrayOfFixedPoint Result(static_cast<size_t>(Count));
  for (Integer I = 0; I < Count; ++I)
    Result[static_cast<size_t>(I)] = At(I + 1 == Count ? static_cast<double>(EndAngle) : StartAngle + Sweep * I / (Count - 1));
  return Result;
}

void RotatePoints(TArrayOfFixedPoint& Points, const TFixedPoint& Origin, Single Angle) {
  const double C = std::cos(static_cast<double>(Angle)), S = std::sin(static_cast<double>(Angle));
  const double Ox = Origin.X / 65536.0, Oy = Origin.Y / 65536.0;
  for (TFixedPoint& P : Points) {
    const double Dx = P.X / 65536.0 - Ox, Dy = P.Y / 65536.0 - Oy;
    P.X = SaturateFixed(Ox + Dx * C + Dy * S);
    P.Y = SaturateFixed(Oy - Dx * S + Dy * C);
  }
}

}  // namespace qn
