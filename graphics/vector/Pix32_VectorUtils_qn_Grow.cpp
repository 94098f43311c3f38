// Outline offsetting: every vertex pushed along the normals of its two edges,
// corners closed by a miter, a bevel or a round arc.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

bool IsZero(const TFloatPoint& N) { return N.X == 0 && N.Y == 0; }

// The result grows in whole blocks of 128 points, and by half its size once
// it is large, so long outlines are not copied over and over; the spare room
// is cut off at the end.
class TOutline {
 public:
  explicit TOutline(const TFloatPoint& Origin) : FOrigin(Origin) {}
  void SetOrigin(const TFloatPoint& Origin) { FOrigin = Origin; }
  void Add(double X, double Y) {
    if (FPoints.size() == FPoints.capacity()) {
      const size_t Grow = std::max<size_t>(128, FPoints.capacity() / 2 / 128 * 128);
      FPoints.reserve(FPoints.capacity() + Grow);
    }
    FPoints.emplace_back(static_cast<TFloat>(FOrigin.X + X), static_cast<TFloat>(FOrigin.Y + Y));
  }
  TArrayOfFloatPoint Take() {
    FPoints.shrink_to_fit();
    return std::move(FPoints);
  }

 private:
  TFloatPoint FOrigin;
  TArrayOfFloatPoint FPoints;
};

struct TGrowState {
  double Delta;
  double RMin;
  TJoinStyle JoinStyle;
  // The round-join rotation, fixed for the whole call.
  double C = 1, S = 0, StepAngle = 0;
};

void AddMiter(TOutline& Out, const TGrowState& G, const TFloatPoint& N1, const TFloatPoint& N2) {
  const double RX = static_cast<double>(N1.X) + N2.X, RY = static_cast<double>(N1.Y) + N2.Y;
  const double CX = N1.X * RX + N1.Y * RY;
  // A full reversal (CX = 0) has no miter point at any limit.
  if (CX < G.RMin || CX <= 0) {
    Out.Add(G.Delta * N1.X, G.Delta * N1.Y);
    Out.Add(G.Delta * N2.X, G.Delta * N2.Y);
  } else {
    const double F = G.Delta / CX;
    Out.Add(RX * F, RY * F);
  }
}

// Arc steps of one round corner: bounded, so a huge distance cannot turn one
// corner into millions of points.
Integer CornerSteps(double Ratio) {
  if (std::isnan(Ratio)) return 1;
  if (std::isinf(Ratio)) return MaxAutoSteps;
  return static_cast<Integer>(std::min<double>(std::nearbyint(std::fabs(Ratio)), MaxAutoSteps));
}

void AddRound(TOutline& Out, TGrowState& G, const TFloatPoint& N1, const TFloatPoint& N2, double Cross) {
  // A full reversal has no sign of its own: the arc goes round the front of
  // the line, which is the turn the distance's sign gives.
  const bool Reversal = Cross == 0;
  const double Sign = Reversal ? (G.Delta < 0 ? -1 : 1) : (Cross < 0 ? -1 : 1);
  G.S = Sign * std::fabs(G.S);
  double Angle;
  if (Reversal) {
    Angle = std::numbers::pi;
  } else {
    const double DX = static_cast<double>(N1.X) - N2.X, DY = static_cast<double>(N1.Y) - N2.Y;
    const double A = 1 - 0.5 * (DX * DX + DY * DY);
    Angle = std::numbers::pi / 2 - A * (1 + 0.1667 * A * A);
  }
  Integer Steps = std::isfinite(G.Delta) ? CornerSteps(Angle / G.StepAngle) : 1;
  double C = G.C, S = G.S;
  if (Steps == MaxAutoSteps) {
    // Capped: spread the corner over the steps allowed.
    C = std::cos(Angle / Steps);
    S = Sign * std::sin(Angle / Steps);
  }
  double WX = G.Delta * N1.X, WY = G.Delta * N1.Y;
  Out.Add(WX, WY);
  // The cubic overrates small turns (0.4 rad for none at all): an arc that
  // ran on past N2 would fold back over itself and leave a sliver that an
  // even-odd fill drops. The arc ends where it reaches N2.
  const double EX = G.Delta * N2.X, EY = G.Delta * N2.Y;
  for (Integer i = 1; i < Steps; ++i) {
    const double X = WX * C - WY * S;
    const double Y = WY * C + WX * S;
    if (!Reversal && (X * EY - Y * EX) * Sign <= 0) break;
    WX = X;
    WY = Y;
    Out.Add(WX, WY);
  }
  Out.Add(G.Delta * N2.X, G.Delta * N2.Y);
}

void AddJoin(TOutline& Out, TGrowState& G, const TFloatPoint& P, const TFloatPoint& N1, const TFloatPoint& N2) {
  Out.SetOrigin(P);
  const double Cross = static_cast<double>(N1.X) * N2.Y - static_cast<double>(N2.X) * N1.Y;
  switch (G.JoinStyle) {
    case TJoinStyle::jsMiter:
      AddMiter(Out, G, N1, N2);
      break;
    case TJoinStyle::jsBevel:
      if (Cross * G.Delta > 0) {
        Out.Add(G.Delta * N1.X, G.Delta * N1.Y);
        Out.Add(G.Delta * N2.X, G.Delta * N2.Y);
      } else {
        AddMiter(Out, G, N1, N2);
      }
      break;
    case TJoinStyle::jsRound: {
      const bool Reversal =
          Cross == 0 && G.Delta != 0 && static_cast<double>(N1.X) * N2.X + static_cast<double>(N1.Y) * N2.Y < 0;
      if (Cross * G.Delta > 0 || Reversal)
        AddRound(Out, G, N1, N2, Reversal ? 0.0 : Cross);
      else
        AddMiter(Out, G, N1, N2);
      break;
    }
  }
}

}  // namespace

TArrayOfFloatPoint BuildNormals(const TArrayOfFloatPoint& Points) {
  const size_t Count = Points.size();
  TArrayOfFloatPoint Result(Count);
  for (size_t i = 0; i < Count; ++i) {
    const TFloatPoint& Next = Points[i + 1 < Count ? i + 1 : 0];
    double DX = static_cast<double>(Next.X) - Points[i].X;
    double DY = static_cast<double>(Next.Y) - Points[i].Y;
    const double Length = std::sqrt(DX * DX + DY * DY);
    if (Length > 0.0001) {
      DX /= Length;
      DY /= Length;
    }
    Result[i] = TFloatPoint(static_cast<TFloat>(DY), static_cast<TFloat>(-DX));
  }
  return Result;
}

TArrayOfFixedPoint BuildNormals(const TArrayOfFixedPoint& Points) {
  const size_t Count = Points.size();
  TArrayOfFixedPoint Result(Count);
  for (size_t i = 0; i < Count; ++i) {
    const TFixedPoint& Next = Points[i + 1 < Count ? i + 1 : 0];
    // Differences of 16.16 coordinates can leave the 32-bit range.
    Int64 DX = Int64(Next.X) - Points[i].X;
    Int64 DY = Int64(Next.Y) - Points[i].Y;
    const Int64 Length = Round(std::sqrt(static_cast<double>(DX) * DX + static_cast<double>(DY) * DY));
    if (Length != 0) {
      DX = DX * 65536 / Length;
      DY = DY * 65536 / Length;
    }
    Result[i] = TFixedPoint(static_cast<TFixed>(DY), static_cast<TFixed>(-DX));
  }
  return Result;
}

TArrayOfFloatPoint Grow(const TArrayOfFloatPoint& Points, const TArrayOfFloatPoint& Normals, TFloat Delta,
                        TJoinStyle JoinStyle, bool Closed, TFloat MiterLimit) {
  const Integer Count = static_cast<Integer>(std::min(Points.size(), Normals.size()));
  if (Count < 2) return {};
  TGrowState G;
  G.Delta = Delta;
  G.JoinStyle = JoinStyle;
  const double Limit2 = static_cast<double>(MiterLimit) * MiterLimit;
  G.RMin = Limit2 > 0 ? 2 / Limit2 : HUGE_VAL;

  Integer H = Closed ? Count - 1 : Count - 2;
  while (H >= 0 && IsZero(Normals[H])) --H;
  if (H < 0) return {};
  Integer L = 0;
  while (IsZero(Normals[L])) ++L;
  TFloatPoint Prev = Closed ? Normals[H] : Normals[L];

  if (JoinStyle == TJoinStyle::jsRound) {
    // 1.414 and the 120 degree cap are the step rule round corners have
    // always been drawn with; a zero distance takes the largest step.
    const double Q = Delta != 0 ? (1.414 / Delta) * (1.414 / Delta) : 3.0;
    G.C = 1 - 0.5 * std::min(3.0, Q);
    G.S = std::sqrt(std::max(0.0, 1 - G.C * G.C));
    G.StepAngle = std::acos(G.C);
  }

  TOutline Out(Points[0]);
  for (Integer I = L; I <= H; ++I) {
    if (IsZero(Normals[I])) continue;
    AddJoin(Out, G, Points[I], Prev, Normals[I]);
    Prev = Normals[I];
  }
  if (!Closed) AddJoin(Out, G, Points[Count - 1], Prev, Prev);
  return Out.Take();
}

TArrayOfFloatPoint Grow(const TArrayOfFloatPoint& Points, TFloat Delta, TJoinStyle JoinStyle, bool Closed,
                        TFloat MiterLimit) {
  return Grow(Points, BuildNormals(Points), Delta, JoinStyle, Closed, MiterLimit);
}

TArrayOfFixedPoint Grow(const TArrayOfFixedPoint& Points, const TArrayOfFixedPoint& Normals, TFixed Delta,
                        TJoinStyle JoinStyle, bool Closed, TFixed MiterLimit) {
  return FloatPointToFixedPoint(Grow(FixedPointToFloatPoint(Points), FixedPointToFloatPoint(Normals),
                                     Delta * (1.0f / 65536), JoinStyle, Closed, MiterLimit * (1.0f / 65536)));
}

TArrayOfFixedPoint Grow(const TArrayOfFixedPoint& Points, TFixed Delta, TJoinStyle JoinStyle, bool Closed,
                        TFixed MiterLimit) {
  return FloatPointToFixedPoint(Grow(FixedPointToFloatPoint(Points), Delta * (1.0f / 65536), JoinStyle, Closed,
                                     MiterLimit * (1.0f / 65536)));
}

}  // namespace qn
