#include "graphics/vector/Pix32_Geometry_qn.h"

#include <cmath>

#include "graphics/raster/Pix32_Math_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

namespace {

constexpr double kFixedToFloat = 1.0 / 65536.0;

// 32-bit wrapping arithmetic spelled through unsigned values, so that the
// integer forms behave like the platform's without undefined overflow.
constexpr Integer WrapAdd(Integer A, Integer B) {
  return static_cast<Integer>(static_cast<Cardinal>(A) + static_cast<Cardinal>(B));
}
constexpr Integer WrapSub(Integer A, Integer B) {
  return static_cast<Integer>(static_cast<Cardinal>(A) - static_cast<Cardinal>(B));
}
constexpr Integer WrapMul(Integer A, Integer B) {
  return static_cast<Integer>(static_cast<Cardinal>(A) * static_cast<Cardinal>(B));
}
// (A + B) div 2 on the exact sum, truncated toward zero.
constexpr Integer HalfSum(Integer A, Integer B) { return static_cast<Integer>((Int64(A) + B) / 2); }

TFloat AngleOf(double Dx, double Dy) {
  if (Dx != 0) {
    double A = std::atan2(-Dy, Dx);
    if (A < 0) A += 2 * M_PI;
    // A tiny negative angle plus 2π rounds to 2π in single precision.
    const TFloat R = static_cast<TFloat>(A);
    return R >= static_cast<TFloat>(2 * M_PI) ? 0.0f : R;
  }
  return static_cast<TFloat>(Dy <= 0 ? M_PI / 2 : 3 * M_PI / 2);
}

TFloatPoint UnitOf(TFloat Dx, TFloat Dy) {
  if (Dx == 0 && Dy == 0) return {0, 0};
  const TFloat H = Hypot(Dx, Dy);
  return {Dx / H, Dy / H};
}

}  // namespace

// ---- Average ----

TFloatPoint Average(const TFloatPoint& P1, const TFloatPoint& P2) {
  return {(P1.X + P2.X) * 0.5f, (P1.Y + P2.Y) * 0.5f};
}
TFixedPoint Average(const TFixedPoint& P1, const TFixedPoint& P2) {
  return {HalfSum(P1.X, P2.X), HalfSum(P1.Y, P2.Y)};
}
TPoint Average(const TPoint& P1, const TPoint& P2) { return {HalfSum(P1.X, P2.X), HalfSum(P1.Y, P2.Y)}; }

// ---- products ----

TFloat CrossProduct(const TFloatPoint& V1, const TFloatPoint& V2) { return V1.X * V2.Y - V1.Y * V2.X; }
TFixed CrossProduct(const TFixedPoint& V1, const TFixedPoint& V2) {
  return WrapSub(FixedMul(V1.X, V2.Y), FixedMul(V1.Y, V2.X));
}
Integer CrossProduct(const TPoint& V1, const TPoint& V2) {
  return WrapSub(WrapMul(V1.X, V2.Y), WrapMul(V1.Y, V2.X));
}

TFloat Dot(const TFloatPoint& V1, const TFloatPoint& V2) { return V1.X * V2.X + V1.Y * V2.Y; }
TFixed Dot(const TFixedPoint& V1, const TFixedPoint& V2) {
  return WrapAdd(FixedMul(V1.X, V2.X), FixedMul(V1.Y, V2.Y));
}
Integer Dot(const TPoint& V1, const TPoint& V2) { return WrapAdd(WrapMul(V1.X, V2.X), WrapMul(V1.Y, V2.Y)); }

// ---- distances ----

TFloat Distance(const TFloatPoint& P1, const TFloatPoint& P2) { return Hypot(P2.X - P1.X, P2.Y - P1.Y); }
TFixed Distance(const TFixedPoint& P1, const TFixedPoint& P2) {
  const TFloat Dx = static_cast<TFloat>(WrapSub(P2.X, P1.X) * kFixedToFloat);
  const TFloat Dy = static_cast<TFloat>(WrapSub(P2.Y, P1.Y) * kFixedToFloat);
  return Fixed(Hypot(Dx, Dy));
}
TFloat Distance(const TPoint& P1, const TPoint& P2) {
  return Hypot(static_cast<TFloat>(WrapSub(P2.X, P1.X)), static_cast<TFloat>(WrapSub(P2.Y, P1.Y)));
}

TFloat SqrDistance(const TFloatPoint& P1, const TFloatPoint& P2) {
  const TFloat Dx = P2.X - P1.X, Dy = P2.Y - P1.Y;
  return Dx * Dx + Dy * Dy;
}
TFixed SqrDistance(const TFixedPoint& P1, const TFixedPoint& P2) {
  return WrapAdd(FixedSqr(WrapSub(P2.X, P1.X)), FixedSqr(WrapSub(P2.Y, P1.Y)));
}
Integer SqrDistance(const TPoint& P1, const TPoint& P2) {
  const Integer Dx = WrapSub(P2.X, P1.X), Dy = WrapSub(P2.Y, P1.Y);
  return WrapAdd(WrapMul(Dx, Dx), WrapMul(Dy, Dy));
}

// ---- angles ----

TFloatPoint GetPointAtAngleFromPoint(const TFloatPoint& P, TFloat Angle, TFloat Radius) {
  TFloat S, C;
  SinCos(Angle, S, C);
  return {P.X + Radius * C, P.Y - Radius * S};
}

TFixedPoint GetPointAtAngleFromPoint(const TFixedPoint& P, TFloat Angle, TFloat Radius) {
  TFloat S, C;
  SinCos(Angle, S, C);
  // RoundI saturates, so a radius beyond the 16.16 range pins the offset
  // instead of wrapping it to the other side.
  const Integer Ox = RoundI(static_cast<double>(Radius) * C * 65536.0);
  const Integer Oy = RoundI(static_cast<double>(Radius) * S * 65536.0);
  return {WrapAdd(P.X, Ox), WrapSub(P.Y, Oy)};
}

TFloat GetAngleOfPt2FromPt1(const TFloatPoint& P1, const TFloatPoint& P2) {
  return AngleOf(static_cast<double>(P2.X - P1.X), static_cast<double>(P2.Y - P1.Y));
}
TFloat GetAngleOfPt2FromPt1(const TFixedPoint& P1, const TFixedPoint& P2) {
  return AngleOf(static_cast<double>(WrapSub(P2.X, P1.X)), static_cast<double>(WrapSub(P2.Y, P1.Y)));
}

TFloatPoint GetUnitVector(const TFloatPoint& P1, const TFloatPoint& P2) { return UnitOf(P2.X - P1.X, P2.Y - P1.Y); }
TFloatPoint GetUnitVector(const TFixedPoint& P1, const TFixedPoint& P2) {
  return UnitOf(static_cast<TFloat>(WrapSub(P2.X, P1.X) * kFixedToFloat),
                static_cast<TFloat>(WrapSub(P2.Y, P1.Y) * kFixedToFloat));
}
TFloatPoint GetUnitNormal(const TFloatPoint& P1, const TFloatPoint& P2) {
  const TFloatPoint U = GetUnitVector(P1, P2);
  return {U.Y, -U.X};
}
TFloatPoint GetUnitNormal(const TFixedPoint& P1, const TFixedPoint& P2) {
  const TFloatPoint U = GetUnitVector(P1, P2);
  return {U.Y, -U.X};
}

// ---- offsets ----

TFloatPoint OffsetPoint(const TFloatPoint& P, TFloat Dx, TFloat Dy) { return {P.X + Dx, P.Y + Dy}; }
TFloatPoint OffsetPoint(const TFloatPoint& P, const TFloatPoint& Delta) { return {P.X + Delta.X, P.Y + Delta.Y}; }
TFixedPoint OffsetPoint(const TFixedPoint& P, Integer Dx, Integer Dy) { return {WrapAdd(P.X, Dx), WrapAdd(P.Y, Dy)}; }
TFixedPoint OffsetPoint(const TFixedPoint& P, TFloat Dx, TFloat Dy) {
  return {WrapAdd(P.X, Fixed(Dx)), WrapAdd(P.Y, Fixed(Dy))};
}
TFixedPoint OffsetPoint(const TFixedPoint& P, const TFixedPoint& Delta) {
  return {WrapAdd(P.X, Delta.X), WrapAdd(P.Y, Delta.Y)};
}
TFixedPoint OffsetPoint(const TFixedPoint& P, const TFloatPoint& Delta) { return OffsetPoint(P, Delta.X, Delta.Y); }
TPoint OffsetPoint(const TPoint& P, Integer Dx, Integer Dy) { return {WrapAdd(P.X, Dx), WrapAdd(P.Y, Dy)}; }
TPoint OffsetPoint(const TPoint& P, const TPoint& Delta) { return OffsetPoint(P, Delta.X, Delta.Y); }

namespace Pix32_Geometry_qn {

TFloatRect OffsetRect(const TFloatRect& R, TFloat Dx, TFloat Dy) {
  return {R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy};
}
TFloatRect OffsetRect(const TFloatRect& R, const TFloatPoint& Delta) { return OffsetRect(R, Delta.X, Delta.Y); }
TFixedRect OffsetRect(const TFixedRect& R, Integer Dx, Integer Dy) {
  return {WrapAdd(R.Left, Dx), WrapAdd(R.Top, Dy), WrapAdd(R.Right, Dx), WrapAdd(R.Bottom, Dy)};
}
TFixedRect OffsetRect(const TFixedRect& R, TFloat Dx, TFloat Dy) { return OffsetRect(R, Fixed(Dx), Fixed(Dy)); }
TFixedRect OffsetRect(const TFixedRect& R, const TFixedPoint& Delta) { return OffsetRect(R, Delta.X, Delta.Y); }
TFixedRect OffsetRect(const TFixedRect& R, const TFloatPoint& Delta) { return OffsetRect(R, Delta.X, Delta.Y); }

}  // namespace Pix32_Geometry_qn

// ---- Shorten ----

namespace {

// Both point types through float coordinates; the fixed form converts back
// once per moved end.
struct FloatPts {
  using P = TFloatPoint;
  static TFloatPoint F(const P& p) { return p; }
  static P Back(const TFloatPoint& p) { return p; }
};
struct FixedPts {
  using P = TFixedPoint;
  static TFloatPoint F(const P& p) { return FloatPoint(p); }
  static P Back(const TFloatPoint& p) { return FixedPoint(p); }
};

template <class T>
std::vector<typename T::P> ShortenT(const std::vector<typename T::P>& Points, TFloat Delta, TLinePos LinePos) {
  std::vector<typename T::P> R = Points;
  if (R.size() < 2 || LinePos == TLinePos::lpNeither) return R;
  const TFloat D2 = Delta * Delta;
  if (LinePos == TLinePos::lpStart || LinePos == TLinePos::lpBoth) {
    const size_t Last = R.size() - 1;
    const TFloatPoint First = T::F(R[0]);
    size_t I = 1;
    while (I < Last && SqrDistance(T::F(R[I]), First) < D2) ++I;
    const TFloatPoint Pi = T::F(R[I]);
    const TFloatPoint U = GetUnitVector(Pi, First);
    const TFloat L = Distance(Pi, First) - Delta;
    R.erase(R.begin() + 1, R.begin() + static_cast<std::ptrdiff_t>(I));
    R[0] = T::Back({Pi.X + U.X * L, Pi.Y + U.Y * L});
  }
  if ((LinePos == TLinePos::lpEnd || LinePos == TLinePos::lpBoth) && R.size() >= 2) {
    const TFloatPoint LastP = T::F(R.back());
    size_t I = R.size() - 2;
    while (I > 1 && SqrDistance(T::F(R[I]), LastP) < D2) --I;
    const TFloatPoint Pi = T::F(R[I]);
    const TFloatPoint U = GetUnitVector(Pi, LastP);
    const TFloat L = Distance(Pi, LastP) - Delta;
    R.resize(I + 2);
    R[I + 1] = T::Back({Pi.X + U.X * L, Pi.Y + U.Y * L});
  }
  return R;
}

}  // namespace

TArrayOfFloatPoint Shorten(const TArrayOfFloatPoint& Points, TFloat Delta, TLinePos LinePos) {
  return ShortenT<FloatPts>(Points, Delta, LinePos);
}
TArrayOfFixedPoint Shorten(const TArrayOfFixedPoint& Points, TFloat Delta, TLinePos LinePos) {
  return ShortenT<FixedPts>(Points, Delta, LinePos);
}

// ---- PointInPolygon ----

bool PointInPolygon(const TFloatPoint& Pt, const TArrayOfFloatPoint& Points) {
  bool Result = false;
  if (Points.empty()) return Result;
  size_t J = Points.size() - 1;
  for (size_t I = 0; I < Points.size(); J = I++) {
    const TFloatPoint& Pi = Points[I];
    const TFloatPoint& Pj = Points[J];
    if ((Pt.Y >= Pi.Y) != (Pt.Y >= Pj.Y) && (Pj.X - Pi.X) * (Pt.Y - Pi.Y) / (Pj.Y - Pi.Y) > Pt.X - Pi.X)
      Result = !Result;
  }
  return Result;
}

bool PointInPolygon(const TFixedPoint& Pt, const TArrayOfFixedPoint& Points) {
  bool Result = false;
  if (Points.empty()) return Result;
  size_t J = Points.size() - 1;
  for (size_t I = 0; I < Points.size(); J = I++) {
    const TFixedPoint& Pi = Points[I];
    const TFixedPoint& Pj = Points[J];
    if ((Pt.Y >= Pi.Y) != (Pt.Y >= Pj.Y) &&
        MulDiv(WrapSub(Pj.X, Pi.X), WrapSub(Pt.Y, Pi.Y), WrapSub(Pj.Y, Pi.Y)) > WrapSub(Pt.X, Pi.X))
      Result = !Result;
  }
  return Result;
}

// ---- SegmentIntersect ----

namespace {

template <class V>
bool Within(V X, V A, V B) {
  return A <= B ? (A <= X && X <= B) : (B <= X && X <= A);
}
template <class V>
bool StrictlyWithin(V X, V A, V B) {
  return A <= B ? (A < X && X < B) : (B < X && X < A);
}

}  // namespace

bool SegmentIntersect(const TFloatPoint& P1, const TFloatPoint& P2, const TFloatPoint& P3, const TFloatPoint& P4,
                      TFloatPoint& IntersectPoint) {
  const bool V1 = P1.X == P2.X, V2 = P3.X == P4.X;
  if (V1 && V2) return false;
  TFloat X, Y;
  if (V1) {
    const TFloat M2 = (P4.Y - P3.Y) / (P4.X - P3.X);
    X = P1.X;
    Y = M2 * X + (P3.Y - M2 * P3.X);
  } else if (V2) {
    const TFloat M1 = (P2.Y - P1.Y) / (P2.X - P1.X);
    X = P3.X;
    Y = M1 * X + (P1.Y - M1 * P1.X);
  } else {
    const TFloat M1 = (P2.Y - P1.Y) / (P2.X - P1.X), M2 = (P4.Y - P3.Y) / (P4.X - P3.X);
    if (M1 == M2) return false;
    const TFloat B1 = P1.Y - M1 * P1.X, B2 = P3.Y - M2 * P3.X;
    X = (B2 - B1) / (M1 - M2);
    Y = M1 * X + B1;
  }
  IntersectPoint = {X, Y};
  if (V1 || V2) {
    // The y ranges alone would accept a crossing beyond the end of a level
    // segment, whose y range is a single value; its x range rules that out.
    const bool InX = V1 ? Within(X, P3.X, P4.X) : Within(X, P1.X, P2.X);
    return Within(Y, P1.Y, P2.Y) && Within(Y, P3.Y, P4.Y) && InX;
  }
  return Within(X, P1.X, P2.X) && Within(X, P3.X, P4.X);
}

bool SegmentIntersect(const TFixedPoint& P1, const TFixedPoint& P2, const TFixedPoint& P3, const TFixedPoint& P4,
                      TFixedPoint& IntersectPoint) {
  const bool V1 = P1.X == P2.X, V2 = P3.X == P4.X;
  if (V1 && V2) return false;
  // Slopes from the raw differences are unit-free; the intercepts stay in
  // raw 16.16 units, so the crossing comes out in raw units too.
  const double X1 = P1.X, Y1 = P1.Y, X3 = P3.X, Y3 = P3.Y;
  double X, Y;
  if (V1) {
    const TFloat M2 = static_cast<TFloat>(double(WrapSub(P4.Y, P3.Y)) / double(WrapSub(P4.X, P3.X)));
    X = X1;
    Y = M2 * X + (Y3 - M2 * X3);
  } else if (V2) {
    const TFloat M1 = static_cast<TFloat>(double(WrapSub(P2.Y, P1.Y)) / double(WrapSub(P2.X, P1.X)));
    X = X3;
    Y = M1 * X + (Y1 - M1 * X1);
  } else {
    const TFloat M1 = static_cast<TFloat>(double(WrapSub(P2.Y, P1.Y)) / double(WrapSub(P2.X, P1.X)));
    const TFloat M2 = static_cast<TFloat>(double(WrapSub(P4.Y, P3.Y)) / double(WrapSub(P4.X, P3.X)));
    if (M1 == M2) return false;
    const double B1 = Y1 - M1 * X1, B2 = Y3 - M2 * X3;
    X = (B2 - B1) / (double(M1) - double(M2));
    Y = M1 * X + B1;
  }
  IntersectPoint = {RoundI(X), RoundI(Y)};
  const TFixedPoint& Q = IntersectPoint;
  if (V1) return StrictlyWithin(Q.Y, P1.Y, P2.Y);
  if (V2) return StrictlyWithin(Q.Y, P3.Y, P4.Y);
  return StrictlyWithin(Q.X, P1.X, P2.X);
}

// ---- PerpendicularDistance ----

TFloat PerpendicularDistance(const TFloatPoint& P, const TFloatPoint& P1, const TFloatPoint& P2) {
  const TFloat Dx = P1.X - P2.X, Dy = P1.Y - P2.Y;
  // A line through one point is no line; the point is what is left to
  // measure from.
  if (Dx == 0 && Dy == 0) return Distance(P, P1);
  return std::fabs((P.X - P2.X) * Dy - (P.Y - P2.Y) * Dx) / Hypot(Dx, Dy);
}

TFixed PerpendicularDistance(const TFixedPoint& P, const TFixedPoint& P1, const TFixedPoint& P2) {
  // In doubles on the raw values: the products of two 16.16 differences
  // need up to 64 bits, which 32-bit fixed arithmetic would lose.
  const double Dx = double(P1.X) - P2.X, Dy = double(P1.Y) - P2.Y;
  double D;
  if (Dx == 0 && Dy == 0)
    D = std::hypot(double(P.X) - P1.X, double(P.Y) - P1.Y);
  else
    D = std::fabs((double(P.X) - P2.X) * Dy - (double(P.Y) - P2.Y) * Dx) / std::hypot(Dx, Dy);
  return RoundI(D);
}

TFloat PerpendicularDistance(const TPoint& P, const TPoint& P1, const TPoint& P2) {
  const TPoint D = {WrapSub(P1.X, P2.X), WrapSub(P1.Y, P2.Y)};
  if (D.X == 0 && D.Y == 0) return Distance(P, P1);
  const Integer C = CrossProduct(TPoint{WrapSub(P.X, P2.X), WrapSub(P.Y, P2.Y)}, D);
  return std::fabs(static_cast<TFloat>(C)) / Hypot(static_cast<TFloat>(D.X), static_cast<TFloat>(D.Y));
}

}  // namespace qn
