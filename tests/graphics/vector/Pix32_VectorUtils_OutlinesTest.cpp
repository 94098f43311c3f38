#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <numbers>
#include <random>
#include <vector>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_vector_utils_outlines_test {

using namespace qn;

namespace {

constexpr double Pi = std::numbers::pi;

using Pts = std::vector<std::pair<double, double>>;

::testing::AssertionResult Near(const TArrayOfFloatPoint& Got, const Pts& Want, double Tol = 1e-4) {
  if (Got.size() != Want.size())
    return ::testing::AssertionFailure() << "size " << Got.size() << ", expected " << Want.size();
  for (size_t i = 0; i < Got.size(); ++i)
    if (std::fabs(Got[i].X - Want[i].first) > Tol || std::fabs(Got[i].Y - Want[i].second) > Tol)
      return ::testing::AssertionFailure() << "point " << i << " is (" << Got[i].X << ", " << Got[i].Y
                                           << "), expected (" << Want[i].first << ", " << Want[i].second << ")";
  return ::testing::AssertionSuccess();
}

bool Finite(const TArrayOfFloatPoint& P) {
  for (const auto& Q : P)
    if (!std::isfinite(Q.X) || !std::isfinite(Q.Y)) return false;
  return true;
}

// Twice the signed area; positive for an outline running clockwise on screen.
double Area2(const TArrayOfFloatPoint& P) {
  double A = 0;
  for (size_t i = 0; i < P.size(); ++i) {
    const auto& U = P[i];
    const auto& W = P[(i + 1) % P.size()];
    A += static_cast<double>(U.X) * W.Y - static_cast<double>(W.X) * U.Y;
  }
  return A;
}

double Dist(const TFloatPoint& A, double X, double Y) { return std::hypot(A.X - X, A.Y - Y); }

double SegmentDistance(double PX, double PY, const TFloatPoint& A, const TFloatPoint& B) {
  const double DX = B.X - A.X, DY = B.Y - A.Y;
  const double L2 = DX * DX + DY * DY;
  double T = L2 > 0 ? ((PX - A.X) * DX + (PY - A.Y) * DY) / L2 : 0;
  T = std::clamp(T, 0.0, 1.0);
  return std::hypot(PX - (A.X + T * DX), PY - (A.Y + T * DY));
}

double BoundaryDistance(const TFloatPoint& P, const TArrayOfFloatPoint& Poly) {
  double D = HUGE_VAL;
  for (size_t i = 0; i < Poly.size(); ++i)
    D = std::min(D, SegmentDistance(P.X, P.Y, Poly[i], Poly[(i + 1) % Poly.size()]));
  return D;
}

// Non-zero winding of a closed outline around a point.
int Winding(const TArrayOfFloatPoint& Poly, double X, double Y) {
  int W = 0;
  for (size_t i = 0; i < Poly.size(); ++i) {
    const auto& A = Poly[i];
    const auto& B = Poly[(i + 1) % Poly.size()];
    const double Side = (B.X - A.X) * (Y - A.Y) - (X - A.X) * (B.Y - A.Y);
    if (A.Y <= Y) {
      if (B.Y > Y && Side > 0) ++W;
    } else if (B.Y <= Y && Side < 0) {
      --W;
    }
  }
  return W;
}

const TArrayOfFloatPoint Square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};

}  // namespace

// ---------------------------------------------------------------------------
// Outline offsetting

TEST(Pix32_VectorUtils_qn_Grow, Normals) {
  EXPECT_TRUE(Near(BuildNormals(Square), {{0, -1}, {1, 0}, {0, 1}, {-1, 0}}));
  EXPECT_TRUE(Near(BuildNormals(TArrayOfFloatPoint{{0, 0}, {0, 0}, {3, 4}}), {{0, 0}, {0.8, -0.6}, {-0.8, 0.6}}));
  EXPECT_TRUE(BuildNormals(TArrayOfFloatPoint{}).empty());
  const TArrayOfFixedPoint FX{{0, 0}, {Fixed(3), Fixed(4)}};
  const TArrayOfFixedPoint N = BuildNormals(FX);
  ASSERT_EQ(N.size(), 2u);
  EXPECT_EQ(N[0], TFixedPoint(Fixed(4) / 5, -Fixed(3) / 5));
}

TEST(Pix32_VectorUtils_qn_Grow, SquareWithEachJoin) {
  EXPECT_TRUE(Near(Grow(Square, 1, TJoinStyle::jsMiter, true, 4), {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}}));
  EXPECT_TRUE(Near(Grow(Square, -1, TJoinStyle::jsMiter, true, 4), {{1, 1}, {9, 1}, {9, 9}, {1, 9}}));

  const TArrayOfFloatPoint Bevel = Grow(Square, 1, TJoinStyle::jsBevel, true, 4);
  EXPECT_TRUE(Near(Bevel, {{-1, 0}, {0, -1}, {10, -1}, {11, 0}, {11, 10}, {10, 11}, {0, 11}, {-1, 10}}));
  // Inside the turn a bevel is a miter.
  EXPECT_TRUE(Near(Grow(Square, -1, TJoinStyle::jsBevel, true, 4), {{1, 1}, {9, 1}, {9, 9}, {1, 9}}));

  const TArrayOfFloatPoint Round = Grow(Square, 10, TJoinStyle::jsRound, true, 4);
  ASSERT_EQ(Round.size(), 48u);
  for (const auto& P : Round) EXPECT_NEAR(BoundaryDistance(P, Square), 10, 1e-3);
  EXPECT_GT(Area2(Round), 0);
}

TEST(Pix32_VectorUtils_qn_Grow, MiterLimit) {
  // A right angle needs a limit of at least sqrt(2).
  EXPECT_EQ(Grow(Square, 1, TJoinStyle::jsMiter, true, 1.0f).size(), 8u);
  EXPECT_EQ(Grow(Square, 1, TJoinStyle::jsMiter, true, 1.5f).size(), 4u);
  // A zero limit bevels every corner instead of dividing by zero.
  const TArrayOfFloatPoint Zero = Grow(Square, 1, TJoinStyle::jsMiter, true, 0);
  EXPECT_EQ(Zero.size(), 8u);
  EXPECT_TRUE(Finite(Zero));
}

TEST(Pix32_VectorUtils_qn_Grow, OpenLinesAndEmptyEdges) {
  const TArrayOfFloatPoint Line{{0, 0}, {0, 0}, {10, 0}};
  EXPECT_TRUE(Near(Grow(Line, 1, TJoinStyle::jsMiter, false, 4), {{0, -1}, {10, -1}}));
  EXPECT_TRUE(Grow(TArrayOfFloatPoint{{3, 3}}, 1, TJoinStyle::jsMiter, true, 4).empty());
  EXPECT_TRUE(Grow(TArrayOfFloatPoint{{3, 3}, {3, 3}}, 1, TJoinStyle::jsRound, false, 4).empty());
  // A zero distance with round joins does not divide by zero.
  EXPECT_TRUE(Finite(Grow(Square, 0, TJoinStyle::jsRound, true, 4)));
}

TEST(Pix32_VectorUtils_qn_Grow, RoundReversalIsASemicircle) {
  // The line turns back on itself: both sides go round the far end.
  const TArrayOfFloatPoint Back{{0, 0}, {10, 0}, {0, 0}};
  for (TFloat D : {2.0f, -2.0f}) {
    const TArrayOfFloatPoint G = Grow(Back, D, TJoinStyle::jsRound, false, 4);
    ASSERT_GT(G.size(), 4u);
    double MaxX = -HUGE_VAL;
    for (const auto& P : G) MaxX = std::max<double>(MaxX, P.X);
    EXPECT_NEAR(MaxX, 12, 0.02) << D;
    for (const auto& P : G)
      if (P.X > 10) {
        EXPECT_NEAR(Dist(P, 10, 0), 2, 1e-4);
      }
  }
}

TEST(Pix32_VectorUtils_qn_Grow, HugeDistanceHasBoundedCorners) {
  const TArrayOfFloatPoint G = Grow(Square, 1e9f, TJoinStyle::jsRound, true, 4);
  EXPECT_LE(G.size(), 4u * (MaxAutoSteps + 1));
  EXPECT_GT(G.size(), 4u);
  const TArrayOfFloatPoint Inf = Grow(Square, INFINITY, TJoinStyle::jsRound, true, 4);
  EXPECT_LE(Inf.size(), 8u);
}

TEST(Pix32_VectorUtils_qn_Grow, FixedFormsFollowTheFloatOnes) {
  const TArrayOfFixedPoint FX = FloatPointToFixedPoint(Square);
  const TArrayOfFixedPoint G = Grow(FX, Fixed(1), TJoinStyle::jsBevel, true, Fixed(4));
  EXPECT_EQ(G, FloatPointToFixedPoint(Grow(Square, 1, TJoinStyle::jsBevel, true, 4)));
  EXPECT_EQ(Grow(FX, BuildNormals(FX), Fixed(-1), TJoinStyle::jsMiter, true, Fixed(4)),
            FloatPointToFixedPoint(TArrayOfFloatPoint{{1, 1}, {9, 1}, {9, 9}, {1, 9}}));
}

// Every outline grown outward from a convex polygon encloses it, and keeps
// its points between Delta and MiterLimit * Delta from the polygon.
TEST(Pix32_VectorUtils_qn_Grow, GrownConvexPolygonContainsIt) {
  std::mt19937 Rng(17);
  std::uniform_real_distribution<double> U(0, 1);
  for (int Trial = 0; Trial < 200; ++Trial) {
    const int N = 3 + Trial % 9;
    std::vector<double> Angles(N);
    for (auto& A : Angles) A = U(Rng) * 2 * Pi;
    std::sort(Angles.begin(), Angles.end());
    const double CX = U(Rng) * 100 - 50, CY = U(Rng) * 100 - 50, R = 5 + U(Rng) * 50;
    TArrayOfFloatPoint Poly;
    for (double A : Angles)
      Poly.emplace_back(static_cast<TFloat>(CX + R * std::cos(A)), static_cast<TFloat>(CY + R * std::sin(A)));
    if (Area2(Poly) < 1) continue;
    const TFloat Delta = static_cast<TFloat>(0.5 + U(Rng) * 10);
    for (TJoinStyle J : {TJoinStyle::jsMiter, TJoinStyle::jsBevel, TJoinStyle::jsRound}) {
      const TArrayOfFloatPoint G = Grow(Poly, Delta, J, true, 4);
      ASSERT_GE(G.size(), Poly.size());
      for (const auto& P : Poly) EXPECT_NE(Winding(G, P.X, P.Y), 0) << Trial;
      for (const auto& P : G) {
        const double D = BoundaryDistance(P, Poly);
        EXPECT_GE(D, Delta * 0.999 - 1e-3) << Trial << " join " << int(J);
        EXPECT_LE(D, Delta * 4.001 + 1e-3) << Trial;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Shape builders

TEST(Pix32_VectorUtils_qn_Shapes, CircleSteps) {
  EXPECT_EQ(CalculateCircleSteps(0), 2);
  EXPECT_EQ(CalculateCircleSteps(10), 19);
  EXPECT_EQ(CalculateCircleSteps(-10), 19);
  EXPECT_EQ(CalculateCircleSteps(100), 62);
  // Bounded: huge and non-finite radii.
  EXPECT_EQ(CalculateCircleSteps(1e30f), MaxAutoSteps);
  EXPECT_EQ(CalculateCircleSteps(INFINITY), 2);
  EXPECT_EQ(CalculateCircleSteps(NAN), 2);
}

TEST(Pix32_VectorUtils_qn_Shapes, Circles) {
  EXPECT_TRUE(Near(Circle(TFloatPoint(0, 0), 0), {{0, 0}, {0, 0}}));
  EXPECT_TRUE(Near(Circle(TFloatPoint(0, 0), 10, 4), {{10, 0}, {0, 10}, {-10, 0}, {0, -10}}));
  EXPECT_TRUE(Near(Circle(5, 5, 10, 1), {{15, 5}}));
  const TArrayOfFloatPoint C = Circle(1.0f, 2.0f, 100.0f);
  ASSERT_EQ(C.size(), 62u);
  for (const auto& P : C) EXPECT_NEAR(Dist(P, 1, 2), 100, 1e-3);
  EXPECT_GT(Area2(C), 0);
  EXPECT_EQ(Circle(0.0f, 0.0f, 1e30f).size(), static_cast<size_t>(MaxAutoSteps));
}

TEST(Pix32_VectorUtils_qn_Shapes, Ellipses) {
  const TArrayOfFloatPoint E = Ellipse(TFloatPoint(0, 0), TFloatPoint(20, 5));
  EXPECT_EQ(E.size(), static_cast<size_t>(CalculateCircleSteps(5)));
  EXPECT_TRUE(Near({E[0]}, {{20, 0}}));
  for (const auto& P : E) EXPECT_NEAR(P.X * P.X / 400.0 + P.Y * P.Y / 25.0, 1, 1e-4);
  EXPECT_GT(Area2(E), 0);
  EXPECT_TRUE(Near(Ellipse(1, 1, 2, 3, 4), {{3, 1}, {1, 4}, {-1, 1}, {1, -2}}));
  EXPECT_TRUE(Near(Ellipse(1, 1, 2, 3, 1), {{3, 1}}));
  EXPECT_TRUE(Ellipse(1, 1, 2, 3, 0).empty());
  EXPECT_TRUE(Ellipse(1, 1, 2, 3, -5).empty());
}

TEST(Pix32_VectorUtils_qn_Shapes, Pies) {
  const double H = std::sqrt(50.0);
  EXPECT_TRUE(Near(Pie(TFloatPoint(0, 0), 10.0f, static_cast<TFloat>(Pi / 2), 0.0f, 2),
                   {{0, 0}, {10, 0}, {H, H}, {0, 10}}));
  EXPECT_TRUE(Near(Pie(1.0f, 1.0f, 2.0f, static_cast<TFloat>(Pi), static_cast<TFloat>(Pi / 2), 1),
                   {{1, 1}, {1, 3}, {1, -1}}));
  EXPECT_EQ(Pie(TFloatPoint(0, 0), 10.0f, 0.5f, 0.0f).size(), 19u + 2);
  EXPECT_TRUE(Pie(TFloatPoint(0, 0), 10.0f, 1.0f, 0).empty());
}

TEST(Pix32_VectorUtils_qn_Shapes, Stars) {
  const TArrayOfFloatPoint S5 = Star(TFloatPoint(0, 0), 10.0f, 5, 0.0f);
  ASSERT_EQ(S5.size(), 10u);
  EXPECT_TRUE(Near({S5[0]}, {{10, 0}}));
  EXPECT_NEAR(Dist(S5[1], 0, 0), 3.82, 0.01);
  EXPECT_NEAR(std::atan2(S5[1].Y, S5[1].X), Pi / 5, 1e-5);
  EXPECT_GT(Area2(S5), 0);
  // The inner vertex lies on the chord between outer vertices 0 and 2 (the
  // 2nd and 4th points) of a six-pointed star.
  const TArrayOfFloatPoint S6 = Star(0.0f, 0.0f, 1.0f, 6, 0.3f);
  EXPECT_NEAR(Dist(S6[1], 0, 0), 0.5774, 1e-3);
  const auto& A = S6[0];
  const auto& B = S6[4];
  EXPECT_NEAR((B.X - A.X) * (S6[1].Y - A.Y) - (B.Y - A.Y) * (S6[1].X - A.X), 0, 1e-4);
  EXPECT_TRUE(Near(Star(TFloatPoint(1, 1), 1.0f, 2.0f, 2, 0.0f), {{3, 1}, {1, 2}, {-1, 1}, {1, 0}}));
  EXPECT_TRUE(Star(TFloatPoint(0, 0), 1.0f, 0, 0.0f).empty());
  EXPECT_TRUE(Finite(Star(TFloatPoint(0, 0), 1.0f, 2, 0.0f)));
}

TEST(Pix32_VectorUtils_qn_Shapes, RectanglesAndLines) {
  EXPECT_TRUE(Near(Rectangle(TFloatRect(0, 0, 10, 5)), {{0, 0}, {10, 0}, {10, 5}, {0, 5}}));
  EXPECT_TRUE(Near(Line(TFloatPoint(1, 2), TFloatPoint(3, 4)), {{1, 2}, {3, 4}}));
  EXPECT_TRUE(Near(Line(1, 2, 3, 4), {{1, 2}, {3, 4}}));
  EXPECT_TRUE(Near(VertLine(1, 2, 3), {{1, 2}, {1, 3}}));
  EXPECT_TRUE(Near(HorzLine(1, 2, 3), {{1, 2}, {3, 2}}));
}

TEST(Pix32_VectorUtils_qn_Shapes, RoundRects) {
  const TArrayOfFloatPoint R = RoundRect(TFloatRect(0, 0, 100, 50), 10);
  const TFloatRect B = PolygonBounds(R);
  EXPECT_NEAR(B.Left, 0, 0.05);
  EXPECT_NEAR(B.Top, 0, 0.05);
  EXPECT_NEAR(B.Right, 100, 0.05);
  EXPECT_NEAR(B.Bottom, 50, 0.05);
  EXPECT_EQ(R.size(), 48u);
  EXPECT_GT(Area2(R), 0);

  // A pill: its radius is half its height, and the ends stay round.
  const TArrayOfFloatPoint Pill = RoundRect(TFloatRect(0, 0, 100, 20), 10);
  const TFloatRect PB = PolygonBounds(Pill);
  EXPECT_NEAR(PB.Left, 0, 0.05);
  EXPECT_NEAR(PB.Top, 0, 1e-4);
  EXPECT_NEAR(PB.Right, 100, 0.05);
  EXPECT_NEAR(PB.Bottom, 20, 1e-4);
  int LeftEnd = 0, RightEnd = 0;
  for (const auto& P : Pill) {
    if (P.X < 10) {
      EXPECT_NEAR(Dist(P, 10, 10), 10, 1e-3);
      ++LeftEnd;
    }
    if (P.X > 90) {
      EXPECT_NEAR(Dist(P, 90, 10), 10, 1e-3);
      ++RightEnd;
    }
  }
  EXPECT_GT(LeftEnd, 10);
  EXPECT_GT(RightEnd, 10);
  EXPECT_GT(Area2(Pill), 0);

  // Radii beyond half the shorter side are clamped: a square becomes a circle.
  const TArrayOfFloatPoint Round = RoundRect(TFloatRect(0, 0, 20, 20), 50);
  ASSERT_GT(Round.size(), 8u);
  for (const auto& P : Round) EXPECT_NEAR(Dist(P, 10, 10), 10, 1e-3);
  const TFloatRect CB = PolygonBounds(RoundRect(TFloatRect(0, 0, 100, 20), 1000));
  EXPECT_NEAR(CB.Right - CB.Left, 100, 0.05);
  EXPECT_NEAR(CB.Bottom - CB.Top, 20, 0.05);
  // No radius: the rectangle itself.
  EXPECT_TRUE(Near(RoundRect(TFloatRect(0, 0, 10, 5), -3), {{0, 0}, {10, 0}, {10, 5}, {0, 5}}));
}

TEST(Pix32_VectorUtils_qn_Shapes, Arcs) {
  const TArrayOfFloatPoint A = BuildArc(TFloatPoint(0, 0), 0, static_cast<TFloat>(Pi), 1);
  ASSERT_EQ(A.size(), 6u);
  EXPECT_TRUE(Near({A.front(), A.back()}, {{1, 0}, {-1, 0}}));
  const TArrayOfFloatPoint B = BuildArc(TFloatPoint(0, 0), 0, static_cast<TFloat>(Pi), 100);
  ASSERT_EQ(B.size(), 31u);
  EXPECT_TRUE(Near({B[15]}, {{0, 100}}, 1e-3));
  EXPECT_TRUE(Near(BuildArc(TFloatPoint(1, 1), 0, 1, 2, 1), {{3, 1}}));
  EXPECT_TRUE(BuildArc(TFloatPoint(1, 1), 0, 1, 2, 0).empty());
  EXPECT_EQ(BuildArc(TFloatPoint(0, 0), 0, 1e30f, 1).size(), static_cast<size_t>(MaxAutoSteps));
  EXPECT_EQ(BuildArc(TFloatPoint(0, 0), 0, 1, INFINITY).size(), 2u);

  const TArrayOfFixedPoint FX = BuildArc(TFixedPoint(Fixed(5), Fixed(5)), 0, static_cast<TFloat>(Pi), 100);
  ASSERT_EQ(FX.size(), 31u);
  EXPECT_TRUE(Near(FixedPointToFloatPoint(FX), [&] {
    Pts W;
    for (const auto& P : B) W.emplace_back(P.X + 5, P.Y + 5);
    return W;
  }(), 1e-4));
}

// ---------------------------------------------------------------------------
// Polyline outlines

TEST(Pix32_VectorUtils_qn_Polyline, Caps) {
  const TArrayOfFloatPoint L{{0, 0}, {10, 0}};
  EXPECT_TRUE(Near(BuildPolyline(L, 2, TJoinStyle::jsMiter, TEndStyle::esButt, 4),
                   {{0, -1}, {10, -1}, {10, 1}, {0, 1}}));
  EXPECT_TRUE(Near(BuildPolyline(L, 2, TJoinStyle::jsMiter, TEndStyle::esSquare, 4),
                   {{-1, 1}, {-1, -1}, {0, -1}, {10, -1}, {11, -1}, {11, 1}, {10, 1}, {0, 1}}));
  const TArrayOfFloatPoint R = BuildPolyline(L, 2, TJoinStyle::jsMiter, TEndStyle::esRound, 4);
  ASSERT_EQ(R.size(), 16u);
  // Start cap from the right side round to the left, end cap the other way.
  EXPECT_TRUE(Near({R[0], R[5], R[6], R[7], R[8], R[13], R[14], R[15]},
                   {{0, 1}, {0, -1}, {0, -1}, {10, -1}, {10, -1}, {10, 1}, {10, 1}, {0, 1}}));
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(Dist(R[i], 0, 0), 1, 1e-5);
    EXPECT_LE(R[i].X, 1e-5);
    EXPECT_NEAR(Dist(R[8 + i], 10, 0), 1, 1e-5);
    EXPECT_GE(R[8 + i].X, 10 - 1e-5);
  }
  EXPECT_GT(Area2(R), 0);
}

TEST(Pix32_VectorUtils_qn_Polyline, EmptyEdgesAndDegenerateLines) {
  EXPECT_TRUE(Near(BuildPolyline(TArrayOfFloatPoint{{0, 0}, {0, 0}, {10, 0}}, 2, TJoinStyle::jsMiter,
                                 TEndStyle::esSquare, 4),
                   {{-1, 1}, {-1, -1}, {0, -1}, {10, -1}, {11, -1}, {11, 1}, {10, 1}, {0, 1}}));
  EXPECT_TRUE(BuildPolyline(TArrayOfFloatPoint{{1, 1}, {1, 1}}, 2, TJoinStyle::jsRound, TEndStyle::esRound, 4).empty());
  EXPECT_TRUE(BuildPolyline(TArrayOfFloatPoint{{1, 1}}, 2).empty());
  const TArrayOfArrayOfFloatPoint C = BuildPolyPolyLine(TArrayOfArrayOfFloatPoint{{{1, 1}}}, true, 2.0f);
  ASSERT_EQ(C.size(), 2u);
  EXPECT_TRUE(C[0].empty() && C[1].empty());
}

TEST(Pix32_VectorUtils_qn_Polyline, ClosedSquareRings) {
  const TArrayOfArrayOfFloatPoint R = BuildPolyPolyLine({Square}, true, 2, TJoinStyle::jsMiter, TEndStyle::esRound, 4);
  ASSERT_EQ(R.size(), 2u);
  EXPECT_TRUE(Near(R[0], {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}}));
  EXPECT_TRUE(Near(R[1], {{1, 9}, {9, 9}, {9, 1}, {1, 1}}));
  // Under the non-zero rule the band is filled and the inside is not.
  const auto W = [&](double X, double Y) { return Winding(R[0], X, Y) + Winding(R[1], X, Y); };
  EXPECT_NE(W(0, 5), 0);
  EXPECT_EQ(W(5, 5), 0);
}

TEST(Pix32_VectorUtils_qn_Polyline, OpenPolyPolylineHonoursTheMiterLimit) {
  const TArrayOfFloatPoint Corner{{0, 0}, {10, 0}, {10, 10}};
  const TArrayOfArrayOfFloatPoint Sharp =
      BuildPolyPolyLine({Corner, Corner}, false, 2, TJoinStyle::jsMiter, TEndStyle::esButt, 4);
  const TArrayOfArrayOfFloatPoint Blunt =
      BuildPolyPolyLine({Corner, Corner}, false, 2, TJoinStyle::jsMiter, TEndStyle::esButt, 1);
  ASSERT_EQ(Sharp.size(), 2u);
  ASSERT_EQ(Blunt.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Sharp[i].size(), 6u);
    // Both sides bevel: the inner one through the miter rule.
    EXPECT_EQ(Blunt[i].size(), 8u);
  }
  EXPECT_TRUE(Near(Sharp[0], {{0, -1}, {11, -1}, {11, 10}, {9, 10}, {9, 1}, {0, 1}}));
}

TEST(Pix32_VectorUtils_qn_Polyline, FixedFormsFollowTheFloatOnes) {
  const TArrayOfFloatPoint L{{0, 0}, {10, 0}, {10, 10}};
  EXPECT_EQ(BuildPolyline(FloatPointToFixedPoint(L), Fixed(2), TJoinStyle::jsRound, TEndStyle::esRound, Fixed(4)),
            FloatPointToFixedPoint(BuildPolyline(L, 2, TJoinStyle::jsRound, TEndStyle::esRound, 4)));
  EXPECT_EQ(BuildPolyPolyLine(FloatPointToFixedPoint(TArrayOfArrayOfFloatPoint{Square}), true, Fixed(2)),
            FloatPointToFixedPoint(BuildPolyPolyLine({Square}, true, 2)));
}

// A straight segment with butt caps strokes to the exact rectangle around it.
TEST(Pix32_VectorUtils_qn_Polyline, StraightSegmentIsARectangle) {
  std::mt19937 Rng(5);
  std::uniform_real_distribution<double> U(-100, 100);
  for (int Trial = 0; Trial < 500; ++Trial) {
    const TFloatPoint A(static_cast<TFloat>(U(Rng)), static_cast<TFloat>(U(Rng)));
    const TFloatPoint B(static_cast<TFloat>(U(Rng)), static_cast<TFloat>(U(Rng)));
    const double L = std::hypot(B.X - A.X, B.Y - A.Y);
    if (L < 1e-2) continue;
    const double W = std::fabs(U(Rng)) / 10 + 0.01;
    const double NX = (B.Y - A.Y) / L, NY = -(B.X - A.X) / L;
    const TJoinStyle J = static_cast<TJoinStyle>(Trial % 3);
    const TArrayOfFloatPoint R =
        BuildPolyline(TArrayOfFloatPoint{A, B}, static_cast<TFloat>(2 * W), J, TEndStyle::esButt, 4);
    EXPECT_TRUE(Near(R,
                     {{A.X + W * NX, A.Y + W * NY},
                      {B.X + W * NX, B.Y + W * NY},
                      {B.X - W * NX, B.Y - W * NY},
                      {A.X - W * NX, A.Y - W * NY}},
                     2e-4))
        << Trial;
  }
}

// ---------------------------------------------------------------------------
// Dashes

namespace {

TArrayOfArrayOfFloatPoint Dash(const TArrayOfFloatPoint& P, TArrayOfFloat D, TFloat Offset, bool Closed) {
  // A dash walk that fails to end fails the test instead of hanging it.
  auto F = std::async(std::launch::async, [=] { return BuildDashedLine(P, D, Offset, Closed); });
  if (F.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "the dash walk does not end";
    std::abort();
  }
  return F.get();
}

::testing::AssertionResult Pieces(const TArrayOfArrayOfFloatPoint& Got, const std::vector<Pts>& Want) {
  if (Got.size() != Want.size())
    return ::testing::AssertionFailure() << Got.size() << " pieces, expected " << Want.size();
  for (size_t i = 0; i < Got.size(); ++i) {
    auto R = Near(Got[i], Want[i]);
    if (!R) return R << " in piece " << i;
  }
  return ::testing::AssertionSuccess();
}

const TArrayOfFloatPoint Ten{{0, 0}, {10, 0}};

}  // namespace

TEST(Pix32_VectorUtils_qn_Dash, OpenLineAndOffsets) {
  EXPECT_TRUE(Pieces(Dash(Ten, {2, 2}, 0, false), {{{0, 0}, {2, 0}}, {{4, 0}, {6, 0}}, {{8, 0}, {10, 0}}}));
  for (TFloat Offset : {1.0f, 5.0f, -3.0f})
    EXPECT_TRUE(Pieces(Dash(Ten, {2, 2}, Offset, false), {{{1, 0}, {3, 0}}, {{5, 0}, {7, 0}}, {{9, 0}, {10, 0}}}))
        << Offset;
  // Ends inside a gap: no empty piece is left.
  EXPECT_TRUE(Pieces(Dash(TArrayOfFloatPoint{{0, 0}, {9, 0}}, {2, 4}, 0, false), {{{0, 0}, {2, 0}}, {{6, 0}, {8, 0}}}));
  // A dash across a vertex keeps the vertex.
  EXPECT_TRUE(Pieces(Dash(TArrayOfFloatPoint{{0, 0}, {3, 0}, {3, 3}}, {4, 1}, 0, false),
                     {{{0, 0}, {3, 0}, {3, 1}}, {{3, 2}, {3, 3}}}));
  EXPECT_TRUE(Dash({}, {2, 2}, 0, false).empty());
  // Offset 0 leaves the first point at the very end of the last gap.
  EXPECT_TRUE(Dash({{4, 4}}, {2, 2}, 0, false).empty());
  EXPECT_TRUE(Pieces(Dash({{4, 4}}, {2, 2}, 3, false), {{{4, 4}}}));
  // A huge offset is folded without stepping through every period.
  EXPECT_EQ(Dash(Ten, {2, 2}, 1e30f, false).size(), 3u);
}

TEST(Pix32_VectorUtils_qn_Dash, ClosedSquare) {
  // The last dash runs through the first point into the first one.
  EXPECT_TRUE(Pieces(Dash(Square, {4, 2}, 0, true), {{{0, 4}, {0, 0}, {4, 0}},
                                                     {{6, 0}, {10, 0}, {10, 0}},
                                                     {{10, 2}, {10, 6}},
                                                     {{10, 8}, {10, 10}, {8, 10}},
                                                     {{6, 10}, {2, 10}},
                                                     {{0, 10}, {0, 6}}}));

  const TArrayOfArrayOfFloatPoint G = Dash(Square, {3, 2}, 0, true);
  ASSERT_EQ(G.size(), 8u);
  EXPECT_TRUE(Near(G.front(), {{0, 0}, {3, 0}}));
  EXPECT_TRUE(Near(G.back(), {{0, 5}, {0, 2}}));

  EXPECT_TRUE(Pieces(Dash(Square, {100, 1}, 0, true), {{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}}));

  // Begins inside a gap and ends inside a dash: the gap lies between the two
  // pieces at the first point, so they stay apart.
  const TArrayOfArrayOfFloatPoint S = Dash(Square, {4, 2}, 1, true);
  ASSERT_GE(S.size(), 2u);
  EXPECT_TRUE(Near(S.front(), {{1, 0}, {5, 0}}));
  EXPECT_TRUE(Near(S.back(), {{0, 3}, {0, 0}}));
}

TEST(Pix32_VectorUtils_qn_Dash, UnusablePatternGivesTheWholeLine) {
  const TArrayOfFloatPoint L{{0, 0}, {10, 0}, {10, 5}};
  for (const TArrayOfFloat& P : std::vector<TArrayOfFloat>{{}, {0, 0}, {-1, -2}, {NAN, 1}, {INFINITY, 1}}) {
    EXPECT_TRUE(Pieces(Dash(L, P, 0, false), {{{0, 0}, {10, 0}, {10, 5}}}));
    EXPECT_TRUE(Pieces(Dash(L, P, 0, true), {{{0, 0}, {10, 0}, {10, 5}, {0, 0}}}));
  }
  // Finer than anything drawable: whole, and quickly.
  EXPECT_EQ(Dash(TArrayOfFloatPoint{{0, 0}, {1000, 0}}, {1e-7f, 1e-7f}, 0, false).size(), 1u);
  EXPECT_EQ(Dash(L, {2, 2}, NAN, false).size(), Dash(L, {2, 2}, 0, false).size());
}

TEST(Pix32_VectorUtils_qn_Dash, PatternSumsThatFallShortStayInThePattern) {
  for (const TArrayOfFloat& P : std::vector<TArrayOfFloat>{{174, 78.8571396f}, {0.7f, 0.1f, 0.2f}}) {
    const TArrayOfArrayOfFloatPoint D = Dash(TArrayOfFloatPoint{{0, 0}, {1000, 0}}, P, 0, false);
    ASSERT_FALSE(D.empty());
    EXPECT_TRUE(Near({D[0][0]}, {{0, 0}}));
    EXPECT_NEAR(D[0].back().X, P[0], 1e-3);
  }
}

// Every piece lies in a dash and every stretch between pieces in a gap, by a
// plain position-in-pattern reference.
TEST(Pix32_VectorUtils_qn_Dash, PiecesFollowThePattern) {
  std::mt19937 Rng(3);
  std::uniform_real_distribution<double> U(0, 1);
  for (int Trial = 0; Trial < 300; ++Trial) {
    TArrayOfFloat P(1 + Trial % 6);
    for (auto& V : P) V = static_cast<TFloat>(0.5 + U(Rng) * 5);
    const TFloat Offset = static_cast<TFloat>(U(Rng) * 40 - 20);
    double Total = 0;
    for (TFloat V : P) Total += V;
    // In a dash at distance S along the line? The pattern begins Offset
    // after the first point, so the first point lies at -Offset in it.
    const auto InDash = [&](double S) {
      double X = std::fmod(S - Offset, Total);
      if (X < 0) X += Total;
      size_t I = 0;
      while (I + 1 < P.size() && X >= P[I]) X -= P[I++];
      return I % 2 == 0;
    };
    const TArrayOfArrayOfFloatPoint D = BuildDashedLine(TArrayOfFloatPoint{{0, 0}, {100, 0}}, P, Offset, false);
    double Covered = 0;
    for (size_t i = 0; i < D.size(); ++i) {
      // An odd pattern runs its last dash on into the first one, so a piece
      // may hold switch points inside it.
      ASSERT_GE(D[i].size(), 2u) << Trial;
      for (size_t k = 1; k < D[i].size(); ++k) ASSERT_LE(D[i][k - 1].X, D[i][k].X + 1e-4) << Trial;
      const double A = D[i].front().X, B = D[i].back().X;
      Covered += B - A;
      ASSERT_LE(A, B + 1e-4);
      if (B - A > 1e-3) {
        EXPECT_TRUE(InDash((A + B) / 2)) << Trial << " piece " << i;
      }
      if (i + 1 < D.size()) {
        const double G = D[i + 1].front().X;
        if (G - B > 1e-3) {
          EXPECT_FALSE(InDash((B + G) / 2)) << Trial << " gap after " << i;
        }
      }
    }
    // The dashed length: every dash interval of the repeated pattern cut to
    // the line's stretch of it.
    double X0 = std::fmod(-static_cast<double>(Offset), Total);
    if (X0 < 0) X0 += Total;
    double Reference = 0;
    for (double Base = 0; Base < X0 + 100; Base += Total) {
      double Start = Base;
      for (size_t I = 0; I < P.size(); Start += P[I++])
        if (I % 2 == 0) Reference += std::max(0.0, std::min(Start + P[I], X0 + 100) - std::max(Start, X0));
    }
    EXPECT_NEAR(Covered, Reference, 1e-3) << Trial;
  }
}

TEST(Pix32_VectorUtils_qn_Dash, FixedFormFollowsTheFloatOne) {
  const TArrayOfArrayOfFixedPoint D =
      BuildDashedLine(FloatPointToFixedPoint(Square), TArrayOfFixed{Fixed(4), Fixed(2)}, 0, true);
  EXPECT_EQ(D, FloatPointToFixedPoint(BuildDashedLine(Square, {4, 2}, 0, true)));
  EXPECT_EQ(BuildDashedLine(FloatPointToFixedPoint(Square), TArrayOfFixed{}, 0, false).size(), 1u);
}

}  // namespace t_pix32_vector_utils_outlines_test
