// Point sets: vertex reduction, the index merge sort, Delaunay triangulation
// and the small interval, segment and nearest-point tests.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "graphics/raster/Pix32_Math_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

// ---- VertexReduction ----

namespace {

// Marks the points of the span First..Last that survive the split rule.
// Measure(I, F, L) says how far point I lies from the chord F-L and Enough
// whether that distance splits the span. Spans wait on an explicit stack, so
// a long line that splits at every point cannot exhaust the call stack.
template <class Measure, class Enough>
void SplitSpans(size_t Count, std::vector<bool>& Keep, Measure M, Enough E) {
  struct Span {
    size_t First, Last;
  };
  std::vector<Span> Todo{{0, Count - 1}};
  Keep.assign(Count, false);
  Keep[0] = Keep[Count - 1] = true;
  while (!Todo.empty()) {
    const Span S = Todo.back();
    Todo.pop_back();
    if (S.Last - S.First < 2) continue;
    // Index 0 and MaxValue 0 to start with: a span whose points all lie on
    // its chord finds no farthest point.
    size_t Index = 0;
    bool Found = false;
    decltype(M(0, 0, 0)) MaxValue{};
    for (size_t I = S.First + 1; I < S.Last; ++I) {
      const auto V = M(I, S.First, S.Last);
      if (V > MaxValue) {
        MaxValue = V;
        Index = I;
        Found = true;
      }
    }
    // Only a point strictly inside the span splits it; otherwise a span whose
    // ends coincide, or a straight one under Epsilon 0, would split forever.
    if (!Found || Index <= S.First || Index >= S.Last || !E(MaxValue, S.First, S.Last)) continue;
    Keep[Index] = true;
    Todo.push_back({S.First, Index});
    Todo.push_back({Index, S.Last});
  }
}

template <class P>
std::vector<P> Kept(const std::vector<P>& Points, const std::vector<bool>& Keep) {
  std::vector<P> R;
  for (size_t I = 0; I < Points.size(); ++I)
    if (Keep[I]) R.push_back(Points[I]);
  return R;
}

}  // namespace

TArrayOfFloatPoint VertexReduction(const TArrayOfFloatPoint& Points, TFloat Epsilon) {
  if (Points.empty()) return {};
  TArrayOfFloatPoint Near{Points[0]};
  const TFloat E2 = Epsilon * Epsilon;
  for (size_t I = 1; I < Points.size(); ++I) {
    const TFloat Dx = Points[I].X - Near.back().X, Dy = Points[I].Y - Near.back().Y;
    if (Dx * Dx + Dy * Dy > E2) Near.push_back(Points[I]);
  }
  if (Near.size() <= 2) return Near;
  std::vector<bool> Keep;
  const auto& Q = Near;
  // Twice the area of F, L, P against Epsilon times the chord: the distance
  // from the chord without a division. Coinciding ends measure the distance
  // from F itself.
  auto Measure = [&](size_t I, size_t F, size_t L) -> TFloat {
    const TFloatPoint &Pf = Q[F], &Pl = Q[L], &P = Q[I];
    if (Pf == Pl) return Hypot(P.X - Pf.X, P.Y - Pf.Y);
    return std::fabs((P.X - Pl.X) * (Pf.Y - Pl.Y) - (P.Y - Pl.Y) * (Pf.X - Pl.X));
  };
  auto Enough = [&](TFloat MaxValue, size_t F, size_t L) {
    const TFloatPoint &Pf = Q[F], &Pl = Q[L];
    const TFloat Chord = Pf == Pl ? 1.0f : Hypot(Pf.X - Pl.X, Pf.Y - Pl.Y);
    return Epsilon * Chord <= MaxValue;
  };
  SplitSpans(Q.size(), Keep, Measure, Enough);
  return Kept(Q, Keep);
}

namespace {

// The squared distance of two 16.16 points in 16.16 units, without the
// 32-bit wrap of FixedSqr, which would make far apart points look near once a
// difference passes 181 pixels.
double SqrLength(const TFixedPoint& A, const TFixedPoint& B) {
  const double Dx = double(A.X) - B.X, Dy = double(A.Y) - B.Y;
  return (Dx * Dx + Dy * Dy) / 65536.0;
}

TFixed Sub(TFixed A, TFixed B) { return static_cast<TFixed>(static_cast<Cardinal>(A) - static_cast<Cardinal>(B)); }

// Distance of P from the line through F and L in 16.16 arithmetic. The
// slope is taken against the longer axis so that it stays within ±1: its
// square plus one then fits 16.16 and the steep lines keep their precision.
TFixed FixedLineDistance(const TFixedPoint& P, const TFixedPoint& F, const TFixedPoint& L) {
  if (F == L) {
    const double D = std::hypot(double(P.X) - F.X, double(P.Y) - F.Y);
    return RoundI(D);
  }
  const TFixed Dx = Sub(L.X, F.X), Dy = Sub(L.Y, F.Y);
  if (Dx == 0) return static_cast<TFixed>(std::min<Int64>(std::llabs(Int64(P.X) - F.X), 0x7FFFFFFF));
  const bool Flat = std::llabs(Dy) <= std::llabs(Dx);
  const TFixed M = Flat ? FixedDiv(Dy, Dx) : FixedDiv(Dx, Dy);
  const TFixed Along = Flat ? Sub(P.X, F.X) : Sub(P.Y, F.Y);
  const TFixed Across = Flat ? Sub(P.Y, F.Y) : Sub(P.X, F.X);
  const Int64 V = std::llabs(Int64(FixedMul(M, Along)) - Across);
  const TFixed Norm = FixedSqrtHP(FixedSqr(M) + 0x10000);
  return static_cast<TFixed>(std::min<Int64>(V * 65536 / Norm, 0x7FFFFFFF));
}

}  // namespace

TArrayOfFixedPoint VertexReduction(const TArrayOfFixedPoint& Points, TFixed Epsilon) {
  if (Points.empty()) return {};
  TArrayOfFixedPoint Near{Points[0]};
  const double E2 = double(Epsilon) * Epsilon / 65536.0;
  for (size_t I = 1; I < Points.size(); ++I)
    if (SqrLength(Points[I], Near.back()) > E2) Near.push_back(Points[I]);
  if (Near.size() <= 2) return Near;
  std::vector<bool> Keep;
  const auto& Q = Near;
  auto Measure = [&](size_t I, size_t F, size_t L) { return FixedLineDistance(Q[I], Q[F], Q[L]); };
  auto Enough = [&](TFixed MaxValue, size_t, size_t) { return MaxValue > Epsilon; };
  SplitSpans(Q.size(), Keep, Measure, Enough);
  return Kept(Q, Keep);
}

// ---- FastMergeSort ----

namespace {

// The adaptive merge sort over any value accessor. Indexes first holds the
// run labels and then, range by range, the permutation: a range reads its
// own end labels before its halves overwrite them.
template <class Less>
class TIndexSorter {
 public:
  TIndexSorter(Integer Count, Less L, TArrayOfInteger& Indexes) : FLess(L), FIdx(Indexes) {
    FIdx.assign(static_cast<size_t>(std::max(Count, 0)), 0);
    for (Integer I = 0; I < Count; ++I) FIdx[I] = I;
    if (Count < 2) return;
    // +1 rising, -1 falling; an equal start counts as rising.
    Integer S = FLess(1, 0) ? -1 : 1, Label = 0;
    FIdx[0] = 0;
    for (Integer I = 1; I < Count; ++I) {
      const Integer D = FLess(I, I - 1) ? -1 : (FLess(I - 1, I) ? 1 : 0);
      if (D == -S) {
        S = -S;
        ++Label;
      }
      FIdx[I] = Label;
    }
    FScratch.resize(static_cast<size_t>(Count));
    Sort(0, Count - 1);
  }

 private:
  void Sort(Integer First, Integer Last) {
    if (First == Last) {
      FIdx[First] = First;
      return;
    }
    if (FIdx[First] == FIdx[Last]) {
      // One run: rising (or level) as it stands, falling reversed.
      const bool Rising = !FLess(Last, First);
      for (Integer I = First; I <= Last; ++I) FIdx[I] = Rising ? I : First + Last - I;
      return;
    }
    const Integer Mid = (First + Last) / 2;
    Sort(First, Mid);
    Sort(Mid + 1, Last);
    if (FLess(FIdx[Mid], FIdx[Mid + 1])) return;
    Integer I = First, J = Mid + 1, K = 0;
    while (I <= Mid && J <= Last) FScratch[K++] = FLess(FIdx[I], FIdx[J]) ? FIdx[I++] : FIdx[J++];
    while (I <= Mid) FScratch[K++] = FIdx[I++];
    while (J <= Last) FScratch[K++] = FIdx[J++];
    std::copy(FScratch.begin(), FScratch.begin() + K, FIdx.begin() + First);
  }

  Less FLess;
  TArrayOfInteger& FIdx;
  TArrayOfInteger FScratch;
};

template <class Less>
void SortIndexes(Integer Count, Less L, TArrayOfInteger& Indexes) {
  TIndexSorter<Less>(Count, L, Indexes);
}

// Points by X with their bounds, for the triangulation.
TFloatRect SortPointsByX(const TArrayOfFloatPoint& Points, TArrayOfInteger& Indexes) {
  SortIndexes(
      static_cast<Integer>(Points.size()), [&](Integer A, Integer B) { return Points[A].X < Points[B].X; },
      Indexes);
  TFloatRect R{Points[0].X, Points[0].Y, Points[0].X, Points[0].Y};
  for (const TFloatPoint& P : Points) {
    R.Left = std::min(R.Left, P.X);
    R.Right = std::max(R.Right, P.X);
    R.Top = std::min(R.Top, P.Y);
    R.Bottom = std::max(R.Bottom, P.Y);
  }
  return R;
}

}  // namespace

void FastMergeSort(const TArrayOfFloat& Values, TArrayOfInteger& Indexes) {
  SortIndexes(
      static_cast<Integer>(Values.size()), [&](Integer A, Integer B) { return Values[A] < Values[B]; }, Indexes);
}

void FastMergeSort(const TArrayOfInteger& Values, TArrayOfInteger& Indexes) {
  SortIndexes(
      static_cast<Integer>(Values.size()), [&](Integer A, Integer B) { return Values[A] < Values[B]; }, Indexes);
}

TArrayOfFloat Extract(const TArrayOfFloat& Values, const TArrayOfInteger& Indexes) {
  TArrayOfFloat R(Indexes.size());
  for (size_t K = 0; K < Indexes.size(); ++K) R[K] = Values.at(static_cast<size_t>(Indexes[K]));
  return R;
}

TArrayOfInteger Extract(const TArrayOfInteger& Values, const TArrayOfInteger& Indexes) {
  TArrayOfInteger R(Indexes.size());
  for (size_t K = 0; K < Indexes.size(); ++K) R[K] = Values.at(static_cast<size_t>(Indexes[K]));
  return R;
}

// ---- ranges ----

bool InSignedRange(TFloat X, TFloat X1, TFloat X2) { return (X < X1) != (X < X2); }
bool InSignedRange(Integer X, Integer X1, Integer X2) { return (X < X1) != (X < X2); }

// In doubles and 64 bits, so that neither the sums nor the differences wrap.
bool OverlapExclusive(TFloat A1, TFloat A2, TFloat B1, TFloat B2) {
  return std::fabs((double(A1) + A2) - (double(B1) + B2)) < std::fabs(double(A1) - A2) + std::fabs(double(B1) - B2);
}
bool OverlapExclusive(Integer A1, Integer A2, Integer B1, Integer B2) {
  return std::llabs((Int64(A1) + A2) - (Int64(B1) + B2)) < std::llabs(Int64(A1) - A2) + std::llabs(Int64(B1) - B2);
}
bool OverlapExclusive(const TFloatPoint& P1, const TFloatPoint& P2) { return OverlapExclusive(P1.X, P2.X, P1.Y, P2.Y); }
bool OverlapExclusive(const TFixedPoint& P1, const TFixedPoint& P2) { return OverlapExclusive(P1.X, P2.X, P1.Y, P2.Y); }
bool OverlapInclusive(TFloat A1, TFloat A2, TFloat B1, TFloat B2) {
  return std::fabs((double(A1) + A2) - (double(B1) + B2)) <= std::fabs(double(A1) - A2) + std::fabs(double(B1) - B2);
}
bool OverlapInclusive(Integer A1, Integer A2, Integer B1, Integer B2) {
  return std::llabs((Int64(A1) + A2) - (Int64(B1) + B2)) <= std::llabs(Int64(A1) - A2) + std::llabs(Int64(B1) - B2);
}
bool OverlapInclusive(const TFloatPoint& P1, const TFloatPoint& P2) { return OverlapInclusive(P1.X, P2.X, P1.Y, P2.Y); }
bool OverlapInclusive(const TFixedPoint& P1, const TFixedPoint& P2) { return OverlapInclusive(P1.X, P2.X, P1.Y, P2.Y); }

// ---- Intersect ----

bool Intersect(const TFloatPoint& A1, const TFloatPoint& A2, const TFloatPoint& B1, const TFloatPoint& B2,
               TFloatPoint& P) {
  const TFloatPoint DA = A2 - A1, DB = B2 - B1;
  const TFloat Denom = DB.Y * DA.X - DB.X * DA.Y;
  if (Denom == 0) return false;
  const TFloatPoint D = A1 - B1;
  const TFloat NumA = DB.X * D.Y - DB.Y * D.X;
  const TFloat NumB = DA.X * D.Y - DA.Y * D.X;
  if ((NumA < Denom) == (NumA < 0)) return false;
  if ((NumB < Denom) == (NumB < 0)) return false;
  const TFloat T = NumA / Denom;
  P = {A1.X + T * DA.X, A1.Y + T * DA.Y};
  return true;
}

bool Intersect(const TFixedPoint& A1, const TFixedPoint& A2, const TFixedPoint& B1, const TFixedPoint& B2,
               TFixedPoint& P) {
  const TFixedPoint DA = A2 - A1, DB = B2 - B1;
  const TFixed Denom = Sub(FixedMul(DB.Y, DA.X), FixedMul(DB.X, DA.Y));
  if (Denom == 0) return false;
  const TFixedPoint D = A1 - B1;
  const TFixed NumA = Sub(FixedMul(DB.X, D.Y), FixedMul(DB.Y, D.X));
  const TFixed NumB = Sub(FixedMul(DA.X, D.Y), FixedMul(DA.Y, D.X));
  if ((NumA < Denom) == (NumA < 0)) return false;
  if ((NumB < Denom) == (NumB < 0)) return false;
  // |NumA| < |Denom| here, so the ratio stays within ±1.
  const TFixed T = FixedDiv(NumA, Denom);
  P = {A1.X + FixedMul(T, DA.X), A1.Y + FixedMul(T, DA.Y)};
  return true;
}

// ---- FindNearestPointIndex ----

Integer FindNearestPointIndex(const TFloatPoint& Point, const TArrayOfFloatPoint& Points) {
  if (Points.empty()) return -1;
  Integer Result = 0;
  TFloat Best = 0;
  for (size_t I = 0; I < Points.size(); ++I) {
    const TFloat Dx = Points[I].X - Point.X, Dy = Points[I].Y - Point.Y;
    const TFloat D = Dx * Dx + Dy * Dy;
    if (I == 0 || D < Best) {
      Best = D;
      Result = static_cast<Integer>(I);
    }
  }
  return Result;
}

Integer FindNearestPointIndex(const TFixedPoint& Point, const TArrayOfFixedPoint& Points) {
  if (Points.empty()) return -1;
  Integer Result = 0;
  double Best = 0;
  for (size_t I = 0; I < Points.size(); ++I) {
    const double D = SqrLength(Points[I], Point);
    if (I == 0 || D < Best) {
      Best = D;
      Result = static_cast<Integer>(I);
    }
  }
  return Result;
}

// ---- DelaunayTriangulation ----

namespace {

constexpr double kEpsilon = 0.000001;
constexpr double kSuperTriangleFactor = 30;

struct TCircle {
  bool Valid = false;  // false for three points on one line
  double Xc = 0, Yc = 0, R2 = 0;
};

TCircle CircumCircle(const TFloatPoint& P1, const TFloatPoint& P2, const TFloatPoint& P3) {
  TCircle C;
  const double X1 = P1.X, Y1 = P1.Y, X2 = P2.X, Y2 = P2.Y, X3 = P3.X, Y3 = P3.Y;
  const bool Flat12 = std::fabs(Y1 - Y2) < kEpsilon, Flat23 = std::fabs(Y2 - Y3) < kEpsilon;
  if (Flat12 && Flat23) return C;
  // Only the slopes of the edges that are not level are formed; a level
  // edge's perpendicular bisector is vertical and fixes Xc by itself.
  if (Flat12) {
    const double M2 = -(X3 - X2) / (Y3 - Y2);
    C.Xc = (X1 + X2) / 2;
    C.Yc = M2 * (C.Xc - (X2 + X3) / 2) + (Y2 + Y3) / 2;
  } else if (Flat23) {
    const double M1 = -(X2 - X1) / (Y2 - Y1);
    C.Xc = (X2 + X3) / 2;
    C.Yc = M1 * (C.Xc - (X1 + X2) / 2) + (Y1 + Y2) / 2;
  } else {
    const double M1 = -(X2 - X1) / (Y2 - Y1), M2 = -(X3 - X2) / (Y3 - Y2);
    // Equal slopes: the three points lie on one line and have no circle.
    if (std::fabs(M1 - M2) < kEpsilon) return C;
    const double Mx1 = (X1 + X2) / 2, My1 = (Y1 + Y2) / 2, Mx2 = (X2 + X3) / 2, My2 = (Y2 + Y3) / 2;
    C.Xc = (M1 * Mx1 - M2 * Mx2 + My2 - My1) / (M1 - M2);
    C.Yc = std::fabs(Y1 - Y2) > std::fabs(Y2 - Y3) ? M1 * (C.Xc - Mx1) + My1 : M2 * (C.Xc - Mx2) + My2;
  }
  C.R2 = (X2 - C.Xc) * (X2 - C.Xc) + (Y2 - C.Yc) * (Y2 - C.Yc);
  C.Valid = std::isfinite(C.Xc) && std::isfinite(C.Yc) && std::isfinite(C.R2);
  return C;
}

bool InCircle(const TCircle& C, const TFloatPoint& P) {
  if (!C.Valid) return false;
  const double Dx = P.X - C.Xc, Dy = P.Y - C.Yc;
  return Dx * Dx + Dy * Dy - C.R2 <= kEpsilon;
}

struct TEdge {
  Integer A, B;
};

}  // namespace

TArrayOfTriangleVertexIndices DelaunayTriangulation(const TArrayOfFloatPoint& Points) {
  const Integer N = static_cast<Integer>(Points.size());
  if (N < 3) return {};
  for (const TFloatPoint& P : Points)
    if (!std::isfinite(P.X) || !std::isfinite(P.Y)) return {};
  TArrayOfInteger Order;
  const TFloatRect Bounds = SortPointsByX(Points, Order);
  const double D = kSuperTriangleFactor * std::max(double(Bounds.Right) - Bounds.Left, double(Bounds.Bottom) - Bounds.Top);
  if (!(D > 0)) return {};
  const double Mx = (double(Bounds.Left) + Bounds.Right) / 2, My = (double(Bounds.Top) + Bounds.Bottom) / 2;

  TArrayOfFloatPoint V = Points;
  V.push_back({static_cast<TFloat>(Mx - D), static_cast<TFloat>(My - D)});
  V.push_back({static_cast<TFloat>(Mx + D), static_cast<TFloat>(My)});
  V.push_back({static_cast<TFloat>(Mx), static_cast<TFloat>(My + D)});

  // Growable lists: many points on one circle make cavities far larger
  // than any fixed estimate.
  TArrayOfTriangleVertexIndices Tri{{N, N + 1, N + 2}};
  std::vector<char> Complete{0};
  std::vector<TEdge> Edges;
  std::vector<char> Dropped;
  Tri.reserve(size_t(2) * (N + 2));
  Complete.reserve(Tri.capacity());

  auto RemoveTriangle = [&](size_t J) {
    Tri[J] = Tri.back();
    Complete[J] = Complete.back();
    Tri.pop_back();
    Complete.pop_back();
  };

  for (Integer K = 0; K < N; ++K) {
    const Integer Pi = Order[K];
    const TFloatPoint& P = V[Pi];
    Edges.clear();
    for (size_t J = 0; J < Tri.size();) {
      if (Complete[J]) {
        ++J;
        continue;
      }
      const TTriangleVertexIndices T = Tri[J];
      const TCircle C = CircumCircle(V[T.A], V[T.B], V[T.C]);
      // Points arrive in X order, so a circle wholly left of this point is
      // left of every later one too.
      if (C.Valid && C.Xc < P.X && (P.X - C.Xc) * (P.X - C.Xc) > C.R2) {
        Complete[J] = 1;
        ++J;
        continue;
      }
      if (InCircle(C, P)) {
        Edges.push_back({T.A, T.B});
        Edges.push_back({T.B, T.C});
        Edges.push_back({T.C, T.A});
        RemoveTriangle(J);
        continue;
      }
      ++J;
    }
    // An edge shared by two removed triangles appears once each way and is
    // inside the cavity; what is left is the cavity's rim.
    Dropped.assign(Edges.size(), 0);
    for (size_t I = 0; I < Edges.size(); ++I) {
      if (Dropped[I]) continue;
      for (size_t J = I + 1; J < Edges.size(); ++J)
        if (!Dropped[J] && Edges[I].A == Edges[J].B && Edges[I].B == Edges[J].A) {
          Dropped[I] = Dropped[J] = 1;
          break;
        }
    }
    for (size_t I = 0; I < Edges.size(); ++I)
      if (!Dropped[I]) {
        Tri.push_back({Edges[I].A, Edges[I].B, Pi});
        Complete.push_back(0);
      }
  }

  for (size_t J = 0; J < Tri.size();) {
    const TTriangleVertexIndices& T = Tri[J];
    // Triangles on the enclosing triangle go, and so do flat ones, which a
    // run of points on one line can leave behind.
    const TFloatPoint &A = V[T.A], &B = V[T.B], &C = V[T.C];
    const double Area = (double(B.X) - A.X) * (double(C.Y) - A.Y) - (double(B.Y) - A.Y) * (double(C.X) - A.X);
    if (T.A >= N || T.B >= N || T.C >= N || Area == 0)
      RemoveTriangle(J);
    else
      ++J;
  }
  return Tri;
}

}  // namespace qn
