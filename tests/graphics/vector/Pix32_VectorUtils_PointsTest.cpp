#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <random>
#include <set>
#include <thread>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_vector_utils_points_test {

using namespace qn;

namespace {

constexpr double kPi = 3.14159265358979323846;

double Area2(const TFloatPoint& A, const TFloatPoint& B, const TFloatPoint& C) {
  return (double(B.X) - A.X) * (double(C.Y) - A.Y) - (double(B.Y) - A.Y) * (double(C.X) - A.X);
}

// Whether the interiors of two triangles share an area: no edge normal of
// either separates them by more than a rounding margin.
bool Overlap(const TFloatPoint* T, const TFloatPoint* U) {
  const TFloatPoint* Tris[2] = {T, U};
  for (const TFloatPoint* S : Tris)
    for (int E = 0; E < 3; ++E) {
      const double Nx = double(S[(E + 1) % 3].Y) - S[E].Y, Ny = -(double(S[(E + 1) % 3].X) - S[E].X);
      const double Len = std::hypot(Nx, Ny);
      double T0 = 1e300, T1 = -1e300, U0 = 1e300, U1 = -1e300;
      for (int K = 0; K < 3; ++K) {
        const double Pt = (T[K].X * Nx + T[K].Y * Ny) / Len, Pu = (U[K].X * Nx + U[K].Y * Ny) / Len;
        T0 = std::min(T0, Pt), T1 = std::max(T1, Pt), U0 = std::min(U0, Pu), U1 = std::max(U1, Pu);
      }
      if (T1 <= U0 + 1e-4 || U1 <= T0 + 1e-4) return false;
    }
  return true;
}

// The Delaunay properties on the result: every triangle has area, no two
// overlap, no input point lies strictly inside a circumcircle, and (unless
// told otherwise) every point is a vertex.
void CheckDelaunay(const TArrayOfFloatPoint& P, const TArrayOfTriangleVertexIndices& Tris, bool AllVertices = true) {
  std::set<Integer> Used;
  for (const auto& T : Tris) {
    for (Integer V : {T.A, T.B, T.C}) {
      ASSERT_GE(V, 0);
      ASSERT_LT(V, Integer(P.size()));
      Used.insert(V);
    }
    ASSERT_NE(Area2(P[T.A], P[T.B], P[T.C]), 0.0);
    // Circumcentre in doubles.
    const double Ax = P[T.A].X, Ay = P[T.A].Y, Bx = P[T.B].X, By = P[T.B].Y, Cx = P[T.C].X, Cy = P[T.C].Y;
    const double D = 2 * (Ax * (By - Cy) + Bx * (Cy - Ay) + Cx * (Ay - By));
    const double Ux = ((Ax * Ax + Ay * Ay) * (By - Cy) + (Bx * Bx + By * By) * (Cy - Ay) + (Cx * Cx + Cy * Cy) * (Ay - By)) / D;
    const double Uy = ((Ax * Ax + Ay * Ay) * (Cx - Bx) + (Bx * Bx + By * By) * (Ax - Cx) + (Cx * Cx + Cy * Cy) * (Bx - Ax)) / D;
    const double R2 = (Ax - Ux) * (Ax - Ux) + (Ay - Uy) * (Ay - Uy);
    for (size_t I = 0; I < P.size(); ++I) {
      const double D2 = (P[I].X - Ux) * (P[I].X - Ux) + (P[I].Y - Uy) * (P[I].Y - Uy);
      ASSERT_GE(D2, R2 * (1 - 1e-6) - 1e-6) << "point " << I << " inside triangle " << T.A << "," << T.B << "," << T.C;
    }
  }
  for (size_t I = 0; I < Tris.size(); ++I) {
    const TFloatPoint Ti[3] = {P[Tris[I].A], P[Tris[I].B], P[Tris[I].C]};
    for (size_t J = I + 1; J < Tris.size(); ++J) {
      const TFloatPoint Tj[3] = {P[Tris[J].A], P[Tris[J].B], P[Tris[J].C]};
      ASSERT_FALSE(Overlap(Ti, Tj)) << I << " and " << J;
    }
  }
  if (AllVertices) {
    EXPECT_EQ(Used.size(), P.size());
  }
}

double TotalArea(const TArrayOfFloatPoint& P, const TArrayOfTriangleVertexIndices& Tris) {
  double S = 0;
  for (const auto& T : Tris) S += std::fabs(Area2(P[T.A], P[T.B], P[T.C])) / 2;
  return S;
}

// Runs F on its own thread and reports whether it finished in time; a
// runaway reduction would otherwise hang the whole test program.
template <class F>
bool FinishesWithin(F Fn, std::chrono::seconds Limit) {
  auto Done = std::make_shared<std::promise<void>>();
  std::future<void> Fut = Done->get_future();
  std::thread([Done, Fn] {
    Fn();
    Done->set_value();
  }).detach();
  return Fut.wait_for(Limit) == std::future_status::ready;
}

}  // namespace

TEST(Pix32_VectorUtils_qn, RangeOverlapAndIntersectExamples) {
  EXPECT_TRUE(InSignedRange(1, 1, 3));
  EXPECT_FALSE(InSignedRange(3, 1, 3));
  EXPECT_TRUE(InSignedRange(2, 3, 1));
  EXPECT_TRUE(InSignedRange(1.0f, 1.0f, 3.0f));
  EXPECT_FALSE(InSignedRange(3.0f, 1.0f, 3.0f));
  EXPECT_TRUE(InSignedRange(2.0f, 3.0f, 1.0f));

  EXPECT_FALSE(OverlapExclusive(0, 2, 2, 4));
  EXPECT_TRUE(OverlapInclusive(0, 2, 2, 4));
  EXPECT_FALSE(OverlapExclusive(0.0f, 2.0f, 2.0f, 4.0f));
  EXPECT_TRUE(OverlapInclusive(0.0f, 2.0f, 4.0f, 2.0f));
  EXPECT_TRUE(OverlapExclusive(TFloatPoint{0, 3}, TFloatPoint{2, 1}));
  EXPECT_FALSE(OverlapInclusive(TFixedPoint{0, 3 << 16}, TFixedPoint{2 << 16, 4 << 16}));
  // Sums near the integer range do not wrap into a false overlap.
  EXPECT_FALSE(OverlapInclusive(0x7FFFFFF0, 0x7FFFFFFF, -0x7FFFFFFF, -0x7FFFFFF0));

  TFloatPoint P{-5, -5};
  EXPECT_TRUE(Intersect(TFloatPoint{0, 0}, TFloatPoint{2, 2}, TFloatPoint{0, 2}, TFloatPoint{2, 0}, P));
  EXPECT_EQ(P, (TFloatPoint{1, 1}));
  P = {-5, -5};
  EXPECT_FALSE(Intersect(TFloatPoint{0, 0}, TFloatPoint{2, 2}, TFloatPoint{0, 1}, TFloatPoint{2, 3}, P));
  EXPECT_EQ(P, (TFloatPoint{-5, -5}));
  TFixedPoint Q{-5, -5};
  EXPECT_TRUE(Intersect(TFixedPoint{0, 0}, TFixedPoint{2 << 16, 2 << 16}, TFixedPoint{0, 2 << 16},
                        TFixedPoint{2 << 16, 0}, Q));
  EXPECT_EQ(Q, (TFixedPoint{1 << 16, 1 << 16}));
  Q = {-5, -5};
  EXPECT_FALSE(Intersect(TFixedPoint{0, 0}, TFixedPoint{2 << 16, 2 << 16}, TFixedPoint{0, 1 << 16},
                         TFixedPoint{2 << 16, 3 << 16}, Q));
  EXPECT_EQ(Q, (TFixedPoint{-5, -5}));

  // Random crossings land on both segments.
  std::mt19937 Rng(9);
  std::uniform_real_distribution<float> C(-20, 20);
  for (int K = 0; K < 2000; ++K) {
    const TFloatPoint A1{C(Rng), C(Rng)}, A2{C(Rng), C(Rng)}, B1{C(Rng), C(Rng)}, B2{C(Rng), C(Rng)};
    TFloatPoint X;
    if (!Intersect(A1, A2, B1, B2, X)) continue;
    const double DA = std::hypot(double(A2.X) - A1.X, double(A2.Y) - A1.Y);
    ASSERT_NEAR(std::fabs(Area2(A1, A2, X)) / DA, 0, 1e-3);
    ASSERT_LE(std::min(A1.X, A2.X) - 1e-3, X.X);
    ASSERT_GE(std::max(A1.X, A2.X) + 1e-3, X.X);
    ASSERT_LE(std::min(B1.Y, B2.Y) - 1e-3, X.Y);
    ASSERT_GE(std::max(B1.Y, B2.Y) + 1e-3, X.Y);
  }
}

TEST(Pix32_VectorUtils_qn, NearestPointPrefersTheFirstOfEquals) {
  const TArrayOfFloatPoint Pts{{5, 5}, {1, 0}, {-1, 0}, {0, 1}};
  EXPECT_EQ(FindNearestPointIndex(TFloatPoint{0, 0}, Pts), 1);
  EXPECT_EQ(FindNearestPointIndex(TFloatPoint{4, 4}, Pts), 0);
  EXPECT_EQ(FindNearestPointIndex(TFloatPoint{0, 0}, TArrayOfFloatPoint{}), -1);
  const TArrayOfFixedPoint F{{5 << 16, 0}, {0, 2 << 16}, {0, -(2 << 16)}};
  EXPECT_EQ(FindNearestPointIndex(TFixedPoint{0, 0}, F), 1);
  EXPECT_EQ(FindNearestPointIndex(TFixedPoint{0, 0}, TArrayOfFixedPoint{}), -1);
  // Far points do not wrap into near ones.
  const TArrayOfFixedPoint Far{{0x7FFF0000, 0}, {10 << 16, 0}};
  EXPECT_EQ(FindNearestPointIndex(TFixedPoint{-0x7FFF0000, 0}, Far), 1);
}

TEST(Pix32_VectorUtils_qn, MergeSortExamples) {
  TArrayOfInteger I;
  FastMergeSort(TArrayOfFloat{3, 1, 2}, I);
  EXPECT_EQ(I, (TArrayOfInteger{1, 2, 0}));
  FastMergeSort(TArrayOfFloat{5, 5}, I);
  EXPECT_EQ(I, (TArrayOfInteger{0, 1}));
  FastMergeSort(TArrayOfInteger{4, 3, 2, 1}, I);
  EXPECT_EQ(I, (TArrayOfInteger{3, 2, 1, 0}));
  FastMergeSort(TArrayOfFloat{7}, I);
  EXPECT_EQ(I, (TArrayOfInteger{0}));
  FastMergeSort(TArrayOfFloat{}, I);
  EXPECT_TRUE(I.empty());
  // Equal values in the two halves: the right one comes first.
  FastMergeSort(TArrayOfInteger{2, 1, 9, 1}, I);
  EXPECT_EQ(I, (TArrayOfInteger{3, 1, 0, 2}));
  EXPECT_EQ(Extract(TArrayOfFloat{10, 20, 30}, TArrayOfInteger{2, 0}), (TArrayOfFloat{30, 10}));
  EXPECT_EQ(Extract(TArrayOfInteger{10, 20, 30}, TArrayOfInteger{1, 1}), (TArrayOfInteger{20, 20}));
}

TEST(Pix32_VectorUtils_qn, MergeSortGivesAnAscendingPermutation) {
  std::mt19937 Rng(1234);
  for (int K = 0; K < 400; ++K) {
    // Runs up and down with plateaus and repeats, as real data has.
    TArrayOfInteger V;
    const int N = 1 + int(Rng() % 300);
    int X = int(Rng() % 50);
    while (int(V.size()) < N) {
      const int Dir = int(Rng() % 3) - 1, Len = 1 + int(Rng() % 20);
      for (int J = 0; J < Len && int(V.size()) < N; ++J) {
        X += Dir * int(Rng() % 4);
        V.push_back(X % 37);
      }
    }
    TArrayOfInteger Idx;
    FastMergeSort(V, Idx);
    ASSERT_EQ(Idx.size(), V.size());
    TArrayOfInteger Seen = Idx;
    std::sort(Seen.begin(), Seen.end());
    for (int J = 0; J < N; ++J) ASSERT_EQ(Seen[J], J);
    const TArrayOfInteger Sorted = Extract(V, Idx);
    ASSERT_TRUE(std::is_sorted(Sorted.begin(), Sorted.end())) << K;

    TArrayOfFloat F(V.begin(), V.end());
    for (float& Y : F) Y *= 0.25f;
    FastMergeSort(F, Idx);
    const TArrayOfFloat SF = Extract(F, Idx);
    ASSERT_TRUE(std::is_sorted(SF.begin(), SF.end())) << K;
  }
}

TEST(Pix32_VectorUtils_qn, VertexReductionExamples) {
  const TArrayOfFloatPoint L{{0, 0}, {1, 0.01f}, {2, 0}, {3, 0}};
  EXPECT_EQ(VertexReduction(L, 0.1f), (TArrayOfFloatPoint{{0, 0}, {3, 0}}));
  EXPECT_EQ(VertexReduction(L, 0.001f), L);
  TArrayOfFixedPoint FL;
  for (const auto& P : L) FL.push_back(FixedPoint(P));
  EXPECT_EQ(VertexReduction(FL, Fixed(0.1f)).size(), 2u);
  EXPECT_EQ(VertexReduction(FL, Fixed(0.001f)), FL);
  EXPECT_TRUE(VertexReduction(TArrayOfFloatPoint{}, 1.0f).empty());
  EXPECT_TRUE(VertexReduction(TArrayOfFixedPoint{}, 0x10000).empty());
  // Points closer than Epsilon to the last kept one go first.
  EXPECT_EQ(VertexReduction(TArrayOfFloatPoint{{0, 0}, {0.5f, 0}, {0.7f, 0.2f}}, 1.0f).size(), 1u);
}

TEST(Pix32_VectorUtils_qn, VertexReductionTerminatesAndStaysNearTheLine) {
  // A closed ring (last point equals the first) and a straight line under
  // Epsilon 0 are the inputs that would split forever.
  TArrayOfFloatPoint Ring;
  for (int I = 0; I < 64; ++I) Ring.push_back({float(50 + 40 * std::cos(I * kPi / 32)), float(50 + 40 * std::sin(I * kPi / 32))});
  Ring.push_back(Ring[0]);
  TArrayOfFloatPoint Straight;
  for (int I = 0; I < 50; ++I) Straight.push_back({float(I), float(2 * I)});
  TArrayOfFixedPoint FRing, FStraight;
  for (const auto& P : Ring) FRing.push_back(FixedPoint(P));
  for (const auto& P : Straight) FStraight.push_back(FixedPoint(P));

  TArrayOfFloatPoint R1, R2;
  TArrayOfFixedPoint R3, R4;
  ASSERT_TRUE(FinishesWithin(
      [&] {
        R1 = VertexReduction(Ring, 2.0f);
        R2 = VertexReduction(Straight, 0.0f);
        R3 = VertexReduction(FRing, 2 << 16);
        R4 = VertexReduction(FStraight, 0);
      },
      std::chrono::seconds(20)));
  EXPECT_EQ(R1.front(), R1.back());
  EXPECT_GT(R1.size(), 4u);
  EXPECT_LT(R1.size(), Ring.size());
  EXPECT_EQ(R2, (TArrayOfFloatPoint{Straight.front(), Straight.back()}));
  EXPECT_EQ(R3.front(), R3.back());
  EXPECT_EQ(R4.size(), 2u);

  // Random walks: every dropped point lies within 2·Epsilon of the line of
  // the kept chord that spans it (one Epsilon from the chord, one from the
  // near-point filter), and the kept points are input points in order.
  std::mt19937 Rng(77);
  std::normal_distribution<float> Step(0, 3);
  for (int K = 0; K < 100; ++K) {
    TArrayOfFloatPoint W{{0, 0}};
    for (int I = 0; I < 200; ++I) W.push_back({W.back().X + 2 + Step(Rng), W.back().Y + Step(Rng)});
    const float Eps = 0.5f + (K % 5);
    const TArrayOfFloatPoint R = VertexReduction(W, Eps);
    ASSERT_EQ(R.front(), W.front());
    std::vector<size_t> At;
    for (size_t I = 0, J = 0; I < W.size() && J < R.size(); ++I)
      if (W[I] == R[J]) At.push_back(I), ++J;
    ASSERT_EQ(At.size(), R.size());
    for (size_t S = 0; S + 1 < At.size(); ++S) {
      const TFloatPoint &F = W[At[S]], &L = W[At[S + 1]];
      const double Len = std::hypot(double(L.X) - F.X, double(L.Y) - F.Y);
      for (size_t I = At[S]; I <= At[S + 1]; ++I)
        ASSERT_LE(std::fabs(Area2(F, L, W[I])) / Len, 2 * Eps + 1e-3) << K << " " << I;
    }
    for (size_t I = At.back(); I < W.size(); ++I)
      ASSERT_LE(std::hypot(double(W[I].X) - W[At.back()].X, double(W[I].Y) - W[At.back()].Y), Eps + 1e-3);
  }
}

TEST(Pix32_VectorUtils_qn, DelaunayExamplesAndSmallInputs) {
  const TArrayOfFloatPoint Square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const auto T4 = DelaunayTriangulation(Square);
  EXPECT_EQ(T4.size(), 2u);
  EXPECT_DOUBLE_EQ(TotalArea(Square, T4), 1.0);
  const TArrayOfFloatPoint Three{{0, 0}, {4, 1}, {1, 3}};
  EXPECT_EQ(DelaunayTriangulation(Three).size(), 1u);
  EXPECT_TRUE(DelaunayTriangulation({}).empty());
  EXPECT_TRUE(DelaunayTriangulation({{1, 1}}).empty());
  EXPECT_TRUE(DelaunayTriangulation({{1, 1}, {2, 2}}).empty());
  EXPECT_TRUE(DelaunayTriangulation({{3, 3}, {3, 3}, {3, 3}}).empty());
  TArrayOfFloatPoint Line;
  for (int I = 0; I < 20; ++I) Line.push_back({float(I * 3 % 20), float(I * 3 % 20) * 0.5f + 7});
  EXPECT_TRUE(DelaunayTriangulation(Line).empty());
  TArrayOfFloatPoint Level;
  for (int I = 0; I < 10; ++I) Level.push_back({float(I), 4});
  EXPECT_TRUE(DelaunayTriangulation(Level).empty());
}

TEST(Pix32_VectorUtils_qn, DelaunayOfRandomPoints) {
  std::mt19937 Rng(2024);
  std::uniform_real_distribution<float> C(0, 1000);
  TArrayOfFloatPoint P(500);
  for (auto& Q : P) Q = {C(Rng), C(Rng)};
  const auto T = DelaunayTriangulation(P);
  EXPECT_GT(T.size(), 900u);
  CheckDelaunay(P, T);
}

TEST(Pix32_VectorUtils_qn, DelaunayOfCircleAndGrid) {
  // 64 points on one circle: any triangulation is Delaunay, and it must fill
  // the polygon with 62 triangles.
  TArrayOfFloatPoint Circle;
  for (int I = 0; I < 64; ++I)
    Circle.push_back({float(100 + 80 * std::cos(I * kPi / 32)), float(100 + 80 * std::sin(I * kPi / 32))});
  const auto TC = DelaunayTriangulation(Circle);
  EXPECT_EQ(TC.size(), 62u);
  CheckDelaunay(Circle, TC);

  TArrayOfFloatPoint Grid;
  for (int Y = 0; Y < 10; ++Y)
    for (int X = 0; X < 10; ++X) Grid.push_back({float(X * 10), float(Y * 10)});
  const auto TG = DelaunayTriangulation(Grid);
  CheckDelaunay(Grid, TG);
  EXPECT_NEAR(TotalArea(Grid, TG), 8100.0, 1e-6);
}

}  // namespace t_pix32_vector_utils_points_test
