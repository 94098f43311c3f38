// Shape builders: circles, ellipses, pies, stars, rectangles and arcs as
// point arrays. After the first offset every point comes from rotating the
// previous one by a fixed step, so a shape costs one sine/cosine pair.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

constexpr double Pi = std::numbers::pi;

Integer BoundAutoSteps(double Steps) {
  if (std::isnan(Steps)) return 2;
  return static_cast<Integer>(std::clamp(Steps, 2.0, static_cast<double>(MaxAutoSteps)));
}

// Count points P + (ScaleX * x, ScaleY * y), starting at the offset (X, Y)
// and rotating it by the step (C, S) for each further point.
void AddRotated(TArrayOfFloatPoint& Out, const TFloatPoint& P, double X, double Y, double C, double S, Integer Count,
                double ScaleX = 1, double ScaleY = 1) {
  for (Integer i = 0; i < Count; ++i) {
    Out.emplace_back(static_cast<TFloat>(P.X + ScaleX * X), static_cast<TFloat>(P.Y + ScaleY * Y));
    const double NX = X * C - Y * S;
    Y = Y * C + X * S;
    X = NX;
  }
}

Integer ArcAutoSteps(double StartAngle, double EndAngle, double Radius) {
  const double Span = EndAngle - StartAngle;
  const double D = std::fabs(Radius) * Span * Span;
  if (!std::isfinite(D)) return 2;
  if (D < 36) return 6;
  return BoundAutoSteps(std::nearbyint(std::sqrt(D)));
}

}  // namespace

Integer CalculateCircleSteps(TFloat Radius) {
  if (!std::isfinite(Radius)) return 2;
  const double R = std::fabs(static_cast<double>(Radius));
  return BoundAutoSteps(std::trunc(Pi / std::acos(R / (R + 0.125))));
}

TArrayOfFloatPoint Circle(const TFloatPoint& P, TFloat Radius, Integer Steps) {
  if (Steps <= 0) Steps = CalculateCircleSteps(Radius);
  const double Theta = 2 * Pi / Steps;
  TArrayOfFloatPoint Result;
  Result.reserve(Steps);
  AddRotated(Result, P, Radius, 0, std::cos(Theta), std::sin(Theta), Steps);
  return Result;
}

TArrayOfFloatPoint Circle(const TFloatPoint& P, TFloat Radius) { return Circle(P, Radius, 0); }
TArrayOfFloatPoint Circle(TFloat X, TFloat Y, TFloat Radius, Integer Steps) {
  return Circle(TFloatPoint(X, Y), Radius, Steps);
}
TArrayOfFloatPoint Circle(TFloat X, TFloat Y, TFloat Radius) { return Circle(TFloatPoint(X, Y), Radius, 0); }

TArrayOfFloatPoint Ellipse(const TFloatPoint& P, const TFloatPoint& R, Integer Steps) {
  if (Steps <= 0) return {};
  const double Theta = 2 * Pi / Steps;
  TArrayOfFloatPoint Result;
  Result.reserve(Steps);
  AddRotated(Result, P, 1, 0, std::cos(Theta), std::sin(Theta), Steps, R.X, R.Y);
  return Result;
}

TArrayOfFloatPoint Ellipse(const TFloatPoint& P, const TFloatPoint& R) {
  return Ellipse(P, R, CalculateCircleSteps(std::fabs(std::min(R.X, R.Y))));
}
TArrayOfFloatPoint Ellipse(TFloat X, TFloat Y, TFloat RX, TFloat RY, Integer Steps) {
  return Ellipse(TFloatPoint(X, Y), TFloatPoint(RX, RY), Steps);
}
TArrayOfFloatPoint Ellipse(TFloat X, TFloat Y, TFloat RX, TFloat RY) {
  return Ellipse(TFloatPoint(X, Y), TFloatPoint(RX, RY));
}

TArrayOfFloatPoint Pie(const TFloatPoint& P, TFloat Radius, TFloat Angle, TFloat Offset, Integer Steps) {
  if (Steps <= 0) return {};
  const double Step = static_cast<double>(Angle) / Steps;
  TArrayOfFloatPoint Result;
  Result.reserve(static_cast<size_t>(Steps) + 2);
  Result.push_back(P);
  AddRotated(Result, P, Radius * std::cos(static_cast<double>(Offset)), Radius * std::sin(static_cast<double>(Offset)),
             std::cos(Step), std::sin(Step), Steps + 1);
  return Result;
}

TArrayOfFloatPoint Pie(const TFloatPoint& P, TFloat Radius, TFloat Angle, TFloat Offset) {
  return Pie(P, Radius, Angle, Offset, CalculateCircleSteps(Radius));
}
TArrayOfFloatPoint Pie(const TFloatPoint& P, TFloat Radius, TFloat Angle, Integer Steps) {
  return Pie(P, Radius, Angle, 0.0f, Steps);
}
TArrayOfFloatPoint Pie(TFloat X, TFloat Y, TFloat Radius, TFloat Angle, TFloat Offset) {
  return Pie(TFloatPoint(X, Y), Radius, Angle, Offset);
}
TArrayOfFloatPoint Pie(TFloat X, TFloat Y, TFloat Radius, TFloat Angle, TFloat Offset, Integer Steps) {
  return Pie(TFloatPoint(X, Y), Radius, Angle, Offset, Steps);
}
TArrayOfFloatPoint Pie(TFloat X, TFloat Y, TFloat Radius, TFloat Angle, Integer Steps) {
  return Pie(TFloatPoint(X, Y), Radius, Angle, 0.0f, Steps);
}

TArrayOfFloatPoint Star(const TFloatPoint& P, TFloat InnerRadius, TFloat OuterRadius, Integer Vertices,
                        TFloat Rotation) {
  if (Vertices <= 0) return {};
  const double A = Pi / Vertices;
  const double C = std::cos(A), S = std::sin(A);
  double X = 1, Y = 0;
  if (Rotation != 0) {
    X = std::cos(static_cast<double>(Rotation));
    Y = std::sin(static_cast<double>(Rotation));
  }
  TArrayOfFloatPoint Result;
  Result.reserve(2 * static_cast<size_t>(Vertices));
  for (Integer k = 0; k < 2 * Vertices; ++k) {
    const double R = (k & 1) ? InnerRadius : OuterRadius;
    Result.emplace_back(static_cast<TFloat>(P.X + R * X), static_cast<TFloat>(P.Y + R * Y));
    const double NX = X * C - Y * S;
    Y = Y * C + X * S;
    X = NX;
  }
  return Result;
}

TArrayOfFloatPoint Star(TFloat X, TFloat Y, TFloat InnerRadius, TFloat OuterRadius, Integer Vertices,
                        TFloat Rotation) {
  return Star(TFloatPoint(X, Y), InnerRadius, OuterRadius, Vertices, Rotation);
}

TArrayOfFloatPoint Star(const TFloatPoint& P, TFloat Radius, Integer Vertices, TFloat Rotation) {
  if (Vertices <= 0) return {};
  // Inner vertices on the chords joining every m-th outer vertex: m = 1 for
  // an odd count, 2 for an even one (a two-pointed star has no such chord).
  const Integer M = Vertices - 2 * ((Vertices - 1) / 2);
  const double A = M * Pi / Vertices;
  const double Den = std::sin(Pi / Vertices + A / 2);
  const double Inner = std::fabs(Den) > 1e-9 ? Radius * std::sin(A / 2) / Den : 0.0;
  return Star(P, static_cast<TFloat>(Inner), Radius, Vertices, Rotation);
}

TArrayOfFloatPoint Star(TFloat X, TFloat Y, TFloat Radius, Integer Vertices, TFloat Rotation) {
  return Star(TFloatPoint(X, Y), Radius, Vertices, Rotation);
}

TArrayOfFloatPoint Rectangle(const TFloatRect& R) {
  return {{R.Left, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}};
}

TArrayOfFloatPoint RoundRect(const TFloatRect& R, TFloat Radius) {
  const TFloat Half = 0.5f * std::min(std::fabs(R.Right - R.Left), std::fabs(R.Bottom - R.Top));
  const TFloat Rad = Radius > 0 ? std::min(Radius, Half) : 0.0f;
  TFloatRect Inner = R;
  InflateRect(Inner, -Rad, -Rad);
  // A square with the full radius leaves no edge to grow along.
  if (Rad > 0 && Inner.Left == Inner.Right && Inner.Top == Inner.Bottom)
    return Circle(TFloatPoint(Inner.Left, Inner.Top), Rad);
  return Grow(Rectangle(Inner), Rad, TJoinStyle::jsRound, true, 4.0f);
}

TArrayOfFloatPoint BuildArc(const TFloatPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius, Integer Steps) {
  if (Steps <= 0) return {};
  const double Step = Steps > 1 ? (static_cast<double>(EndAngle) - StartAngle) / (Steps - 1) : 0.0;
  TArrayOfFloatPoint Result;
  Result.reserve(Steps);
  AddRotated(Result, P, Radius * std::cos(static_cast<double>(StartAngle)),
             Radius * std::sin(static_cast<double>(StartAngle)), std::cos(Step), std::sin(Step), Steps);
  return Result;
}

TArrayOfFloatPoint BuildArc(const TFloatPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius) {
  return BuildArc(P, StartAngle, EndAngle, Radius, ArcAutoSteps(StartAngle, EndAngle, Radius));
}

TArrayOfFixedPoint BuildArc(const TFixedPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius, Integer Steps) {
  TArrayOfFixedPoint Result = FloatPointToFixedPoint(BuildArc(TFloatPoint(), StartAngle, EndAngle, Radius, Steps));
  // Wrapping addition: a point beyond the 16.16 range wraps as every 16.16
  // coordinate does, instead of overflowing.
  for (TFixedPoint& Q : Result)
    Q = TFixedPoint(static_cast<TFixed>(static_cast<Cardinal>(P.X) + static_cast<Cardinal>(Q.X)),
                    static_cast<TFixed>(static_cast<Cardinal>(P.Y) + static_cast<Cardinal>(Q.Y)));
  return Result;
}

TArrayOfFixedPoint BuildArc(const TFixedPoint& P, TFloat StartAngle, TFloat EndAngle, TFloat Radius) {
  return BuildArc(P, StartAngle, EndAngle, Radius, ArcAutoSteps(StartAngle, EndAngle, Radius));
}

TArrayOfFloatPoint Line(const TFloatPoint& P1, const TFloatPoint& P2) { return {P1, P2}; }
TArrayOfFloatPoint Line(TFloat X1, TFloat Y1, TFloat X2, TFloat Y2) { return {{X1, Y1}, {X2, Y2}}; }
TArrayOfFloatPoint VertLine(TFloat X, TFloat Y1, TFloat Y2) { return {{X, Y1}, {X, Y2}}; }
TArrayOfFloatPoint HorzLine(TFloat X1, TFloat Y, TFloat X2) { return {{X1, Y}, {X2, Y}}; }

}  // namespace qn
