#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "graphics/vector/Pix32_Geometry_qn.h"

namespace t_pix32_geometry_test {

using namespace qn;

namespace {

constexpr double kPi = 3.14159265358979323846;

TFixedPoint Fx(double X, double Y) { return {TFixed(std::lround(X * 65536)), TFixed(std::lround(Y * 65536))}; }

// Winding number of a closed polygon around P, in doubles: the reference the
// crossing test must agree with on simple polygons.
int Winding(const TArrayOfFloatPoint& Poly, double Px, double Py) {
  int W = 0;
  for (size_t I = 0; I < Poly.size(); ++I) {
    const TFloatPoint& A = Poly[I];
    const TFloatPoint& B = Poly[(I + 1) % Poly.size()];
    const double Side = (double(B.X) - A.X) * (Py - A.Y) - (Px - A.X) * (double(B.Y) - A.Y);
    if (A.Y <= Py) {
      if (B.Y > Py && Side > 0) ++W;
    } else if (B.Y <= Py && Side < 0) {
      --W;
    }
  }
  return W;
}

// Distance of P from segment A-B in doubles.
double SegDist(double Px, double Py, const TFloatPoint& A, const TFloatPoint& B) {
  const double Dx = double(B.X) - A.X, Dy = double(B.Y) - A.Y, L2 = Dx * Dx + Dy * Dy;
  double T = L2 > 0 ? ((Px - A.X) * Dx + (Py - A.Y) * Dy) / L2 : 0;
  T = std::clamp(T, 0.0, 1.0);
  return std::hypot(Px - (A.X + T * Dx), Py - (A.Y + T * Dy));
}

// A random simple polygon: star-shaped around (Cx, Cy) with sorted angles.
TArrayOfFloatPoint RandomStarShape(std::mt19937& Rng, double Cx, double Cy) {
  std::uniform_real_distribution<double> Angle(0, 2 * kPi), Radius(5, 60);
  std::vector<double> Angles(3 + Rng() % 20);
  for (double& A : Angles) A = Angle(Rng);
  std::sort(Angles.begin(), Angles.end());
  TArrayOfFloatPoint P;
  for (double A : Angles) {
    const double R = Radius(Rng);
    P.push_back({TFloat(Cx + R * std::cos(A)), TFloat(Cy + R * std::sin(A))});
  }
  return P;
}

}  // namespace

TEST(Pix32_Geometry_qn, AnglesCountCounterClockwiseOnScreen) {
  const TFloatPoint O{0, 0};
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(O, TFloatPoint{1, 0}), 0.0f);
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(O, TFloatPoint{0, -1}), float(kPi / 2));
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(O, TFloatPoint{-1, 0}), float(kPi));
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(O, TFloatPoint{0, 1}), float(3 * kPi / 2));
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(O, O), float(kPi / 2));
  const TFixedPoint Z{0, 0};
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(Z, Fx(0, -3)), float(kPi / 2));
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(Z, Fx(0, 3)), float(3 * kPi / 2));
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(Z, Fx(-2, 0)), float(kPi));
  EXPECT_FLOAT_EQ(GetAngleOfPt2FromPt1(Z, Z), float(kPi / 2));

  // A point placed at an angle is found again at that angle, in [0, 2π).
  std::mt19937 Rng(7);
  std::uniform_real_distribution<float> A(0.0f, 6.28f), R(0.5f, 500.0f);
  for (int I = 0; I < 500; ++I) {
    const float Angle = A(Rng), Radius = R(Rng);
    const TFloatPoint C{12.5f, -40.0f};
    const TFloatPoint P = GetPointAtAngleFromPoint(C, Angle, Radius);
    const float Back = GetAngleOfPt2FromPt1(C, P);
    ASSERT_GE(Back, 0.0f);
    ASSERT_LT(Back, float(2 * kPi));
    const double Diff = std::remainder(double(Back) - Angle, 2 * kPi);
    ASSERT_NEAR(Diff, 0.0, 2e-3) << Angle << " " << Radius;
    const TFixedPoint Q = GetPointAtAngleFromPoint(Fx(C.X, C.Y), Angle, Radius);
    ASSERT_NEAR(Q.X / 65536.0, P.X, 1e-3);
    ASSERT_NEAR(Q.Y / 65536.0, P.Y, 1e-3);
  }
}

TEST(Pix32_Geometry_qn, FixedOffsetsSaturateForHugeRadii) {
  const TFixedPoint Q = GetPointAtAngleFromPoint(TFixedPoint{0, 0}, 0.0f, 1e9f);
  EXPECT_EQ(Q.X, 0x7FFFFFFF);
  EXPECT_EQ(Q.Y, 0);
  const TFixedPoint Down = GetPointAtAngleFromPoint(TFixedPoint{0, 0}, float(kPi / 2), 1e12f);
  EXPECT_EQ(Down.Y, -0x7FFFFFFF);
}

TEST(Pix32_Geometry_qn, AveragesTruncateTowardZero) {
  EXPECT_EQ(Average(TFixedPoint{-1, -3}, TFixedPoint{0, 0}), (TFixedPoint{0, -1}));
  EXPECT_EQ(Average(TPoint{-1, 5}, TPoint{0, 0}), (TPoint{0, 2}));
  // The sum of two large values does not wrap before halving.
  EXPECT_EQ(Average(TPoint{0x7FFFFFFF, 0}, TPoint{0x7FFFFFFF, 0}).X, 0x7FFFFFFF);
  EXPECT_EQ(Average(TFloatPoint{-1, 0}, TFloatPoint{0, 3}), (TFloatPoint{-0.5f, 1.5f}));
}

TEST(Pix32_Geometry_qn, ProductsAndDistancesMatchDoubleReferences) {
  std::mt19937 Rng(42);
  std::uniform_real_distribution<double> C(-150, 150);
  std::uniform_int_distribution<int> I(-20000, 20000);
  for (int K = 0; K < 2000; ++K) {
    const double Ax = C(Rng), Ay = C(Rng), Bx = C(Rng), By = C(Rng);
    const TFloatPoint A{TFloat(Ax), TFloat(Ay)}, B{TFloat(Bx), TFloat(By)};
    const double Cross = double(A.X) * B.Y - double(A.Y) * B.X, DotR = double(A.X) * B.X + double(A.Y) * B.Y;
    const double Sq = (double(B.X) - A.X) * (double(B.X) - A.X) + (double(B.Y) - A.Y) * (double(B.Y) - A.Y);
    // Single precision: a few units in the last place of the larger term.
    const double Tol = 1e-6 * (std::fabs(A.X) + std::fabs(A.Y)) * (std::fabs(B.X) + std::fabs(B.Y)) + 1e-6;
    ASSERT_NEAR(CrossProduct(A, B), Cross, Tol);
    ASSERT_NEAR(Dot(A, B), DotR, Tol);
    ASSERT_NEAR(SqrDistance(A, B), Sq, 1e-6 * Sq + 1e-6);
    ASSERT_NEAR(Distance(A, B), std::sqrt(Sq), 1e-4);

    // Halved, so that products stay inside the 16.16 range.
    const TFixedPoint FA = Fx(A.X / 2, A.Y / 2), FB = Fx(B.X / 2, B.Y / 2);
    const double FAx = FA.X / 65536.0, FAy = FA.Y / 65536.0, FBx = FB.X / 65536.0, FBy = FB.Y / 65536.0;
    ASSERT_NEAR(CrossProduct(FA, FB) / 65536.0, FAx * FBy - FAy * FBx, 1e-4);
    ASSERT_NEAR(Dot(FA, FB) / 65536.0, FAx * FBx + FAy * FBy, 1e-4);
    const double FSq = (FBx - FAx) * (FBx - FAx) + (FBy - FAy) * (FBy - FAy);
    if (FSq < 30000) {
      ASSERT_NEAR(SqrDistance(FA, FB) / 65536.0, FSq, 1e-4);
    }
    ASSERT_NEAR(Distance(FA, FB) / 65536.0, std::sqrt(FSq), 1e-3);

    const TPoint IA{I(Rng), I(Rng)}, IB{I(Rng), I(Rng)};
    ASSERT_EQ(CrossProduct(IA, IB), Int64(IA.X) * IB.Y - Int64(IA.Y) * IB.X);
    ASSERT_EQ(Dot(IA, IB), Int64(IA.X) * IB.X + Int64(IA.Y) * IB.Y);
    const Int64 ISq = Int64(IB.X - IA.X) * (IB.X - IA.X) + Int64(IB.Y - IA.Y) * (IB.Y - IA.Y);
    if (ISq <= 0x7FFFFFFF) {
      ASSERT_EQ(SqrDistance(IA, IB), ISq);
    }
    ASSERT_NEAR(Distance(IA, IB), std::sqrt(double(ISq)), 1e-2);

    // Perpendicular distance against the distance to the line's foot point.
    const TFloatPoint P{TFloat(C(Rng)), TFloat(C(Rng))};
    const double Lx = double(B.X) - A.X, Ly = double(B.Y) - A.Y, L2 = Lx * Lx + Ly * Ly;
    const double T = ((P.X - A.X) * Lx + (P.Y - A.Y) * Ly) / L2;
    const double Ref = std::hypot(P.X - (A.X + T * Lx), P.Y - (A.Y + T * Ly));
    ASSERT_NEAR(PerpendicularDistance(P, A, B), Ref, 1e-2 + Ref * 1e-5);
    ASSERT_NEAR(PerpendicularDistance(Fx(P.X, P.Y), Fx(A.X, A.Y), Fx(B.X, B.Y)) / 65536.0, Ref, 1e-2 + Ref * 1e-5);
  }
}

TEST(Pix32_Geometry_qn, UnitVectorsAndDegenerateLines) {
  EXPECT_EQ(GetUnitVector(TFloatPoint{3, 4}, TFloatPoint{3, 4}), (TFloatPoint{0, 0}));
  EXPECT_EQ(GetUnitNormal(Fx(1, 1), Fx(1, 1)), (TFloatPoint{0, 0}));
  const TFloatPoint U = GetUnitVector(TFloatPoint{1, 1}, TFloatPoint{4, 5});
  EXPECT_FLOAT_EQ(U.X, 0.6f);
  EXPECT_FLOAT_EQ(U.Y, 0.8f);
  const TFloatPoint N = GetUnitNormal(Fx(1, 1), Fx(4, 5));
  EXPECT_FLOAT_EQ(N.X, 0.8f);
  EXPECT_FLOAT_EQ(N.Y, -0.6f);
  // A line through one point measures from that point.
  EXPECT_FLOAT_EQ(PerpendicularDistance(TFloatPoint{3, 4}, TFloatPoint{0, 0}, TFloatPoint{0, 0}), 5.0f);
  EXPECT_EQ(PerpendicularDistance(Fx(3, 4), Fx(0, 0), Fx(0, 0)), 5 * 65536);
  EXPECT_FLOAT_EQ(PerpendicularDistance(TPoint{3, 4}, TPoint{1, 1}, TPoint{1, 1}), std::hypot(2.0f, 3.0f));
}

TEST(Pix32_Geometry_qn, OffsetsTakeRawOrConvertedDeltas) {
  const TFixedPoint P = Fx(1, 2);
  EXPECT_EQ(OffsetPoint(P, 3, 4), (TFixedPoint{P.X + 3, P.Y + 4}));
  EXPECT_EQ(OffsetPoint(P, 3.0f, 4.0f), Fx(4, 6));
  EXPECT_EQ(OffsetPoint(P, TFloatPoint{0.5f, -1}), Fx(1.5, 1));
  EXPECT_EQ(OffsetPoint(P, TFixedPoint{1, 1}), (TFixedPoint{P.X + 1, P.Y + 1}));
  const TFixedRect R = Pix32_Geometry_qn::OffsetRect(TFixedRect{0, 0, 65536, 65536}, 2.0f, 0.0f);
  EXPECT_EQ(R.Left, 2 * 65536);
  EXPECT_EQ(R.Right, 3 * 65536);
  const TFixedRect Raw = Pix32_Geometry_qn::OffsetRect(TFixedRect{0, 0, 65536, 65536}, TFixedPoint{2, 3});
  EXPECT_EQ(Raw.Bottom, 65536 + 3);
  const TFloatRect F = Pix32_Geometry_qn::OffsetRect(TFloatRect{1, 2, 3, 4}, TFloatPoint{10, 20});
  EXPECT_EQ(F.Left, 11);
  EXPECT_EQ(F.Bottom, 24);
}

TEST(Pix32_Geometry_qn, ShortenTrimsAlongTheEndSegments) {
  // More than the length: the start moves past the end.
  const TArrayOfFloatPoint Two{{0, 0}, {10, 0}};
  const TArrayOfFloatPoint Past = Shorten(Two, 15, TLinePos::lpStart);
  ASSERT_EQ(Past.size(), 2u);
  EXPECT_FLOAT_EQ(Past[0].X, 15);
  EXPECT_EQ(Shorten(Two, 3, TLinePos::lpNeither), Two);
  const TArrayOfFloatPoint End = Shorten(Two, 3, TLinePos::lpEnd);
  EXPECT_FLOAT_EQ(End[1].X, 7);

  // Points nearer to the end than Delta are dropped; the end lands on the
  // last kept segment at the right distance from the old end's neighbour.
  const TArrayOfFloatPoint Line{{0, 0}, {1, 0}, {2, 0}, {2, 10}, {2, 20}, {2, 21}};
  // The start skips (1,0) and (2,0), which lie within 2.5 of it, and moves
  // along the chord from (2,10); the end skips (2,20) the same way.
  const TArrayOfFloatPoint S = Shorten(Line, 2.5f, TLinePos::lpBoth);
  ASSERT_EQ(S.size(), 3u);
  const double H = std::hypot(2.0, 10.0);
  EXPECT_NEAR(S[0].X, 2 - 2 * (H - 2.5) / H, 1e-5);
  EXPECT_NEAR(S[0].Y, 10 - 10 * (H - 2.5) / H, 1e-5);
  EXPECT_EQ(S[1], (TFloatPoint{2, 10}));
  EXPECT_NEAR(S[2].Y, 21 - 2.5, 1e-5);
  EXPECT_EQ(S[2].X, 2);

  // Random lines with long end segments lose exactly 2·Delta of length.
  std::mt19937 Rng(3);
  std::uniform_real_distribution<float> C(-100, 100);
  for (int K = 0; K < 200; ++K) {
    TArrayOfFloatPoint L;
    for (int I = 0; I < 5; ++I) L.push_back({C(Rng), C(Rng)});
    auto Len = [](const TArrayOfFloatPoint& P) {
      double S = 0;
      for (size_t I = 1; I < P.size(); ++I) S += Distance(P[I - 1], P[I]);
      return S;
    };
    const float Delta = 0.4f * std::min(Distance(L[0], L[1]), Distance(L[3], L[4]));
    ASSERT_NEAR(Len(Shorten(L, Delta, TLinePos::lpBoth)), Len(L) - 2 * Delta, 1e-3);
    const TArrayOfFixedPoint FL = {Fx(L[0].X, L[0].Y), Fx(L[1].X, L[1].Y), Fx(L[2].X, L[2].Y), Fx(L[3].X, L[3].Y),
                                   Fx(L[4].X, L[4].Y)};
    const TArrayOfFixedPoint FS = Shorten(FL, Delta, TLinePos::lpStart);
    const TFloatPoint Want = Shorten(L, Delta, TLinePos::lpStart)[0];
    ASSERT_NEAR(FS[0].X / 65536.0, Want.X, 1e-3);
    ASSERT_NEAR(FS[0].Y / 65536.0, Want.Y, 1e-3);
  }
}

TEST(Pix32_Geometry_qn, PointInPolygonFollowsTheWindingOfSimplePolygons) {
  const TArrayOfFloatPoint Square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  // The crossing abscissa must lie strictly right of the point: a left edge
  // belongs to the polygon, a right edge does not.
  EXPECT_TRUE(PointInPolygon(TFloatPoint{0, 5}, Square));
  EXPECT_FALSE(PointInPolygon(TFloatPoint{10, 5}, Square));
  EXPECT_FALSE(PointInPolygon(TFloatPoint{0, 5}, TArrayOfFloatPoint{}));
  EXPECT_TRUE(PointInPolygon(Fx(0, 5), TArrayOfFixedPoint{Fx(0, 0), Fx(10, 0), Fx(10, 10), Fx(0, 10)}));
  EXPECT_FALSE(PointInPolygon(Fx(0, 5), TArrayOfFixedPoint{}));

  std::mt19937 Rng(11);
  std::uniform_real_distribution<double> C(-70, 70);
  for (int K = 0; K < 200; ++K) {
    const TArrayOfFloatPoint Poly = RandomStarShape(Rng, 0, 0);
    TArrayOfFixedPoint FPoly;
    for (const TFloatPoint& P : Poly) FPoly.push_back(Fx(P.X, P.Y));
    for (int J = 0; J < 100; ++J) {
      const float Px = float(C(Rng)), Py = float(C(Rng));
      double Near = 1e9;
      for (size_t I = 0; I < Poly.size(); ++I) Near = std::min(Near, SegDist(Px, Py, Poly[I], Poly[(I + 1) % Poly.size()]));
      if (Near < 1e-2) continue;
      const bool Want = Winding(Poly, Px, Py) != 0;
      ASSERT_EQ(PointInPolygon(TFloatPoint{Px, Py}, Poly), Want) << K << " " << Px << "," << Py;
      ASSERT_EQ(PointInPolygon(Fx(Px, Py), FPoly), Want) << K << " " << Px << "," << Py;
    }
  }
}

TEST(Pix32_Geometry_qn, SegmentIntersections) {
  TFloatPoint P{-1, -1};
  // Touching at an end point: a crossing for the float form only.
  EXPECT_TRUE(SegmentIntersect(TFloatPoint{0, 0}, TFloatPoint{2, 2}, TFloatPoint{2, 2}, TFloatPoint{4, 0}, P));
  EXPECT_FLOAT_EQ(P.X, 2);
  TFixedPoint Q{};
  EXPECT_FALSE(SegmentIntersect(Fx(0, 0), Fx(2, 2), Fx(2, 2), Fx(4, 0), Q));

  EXPECT_TRUE(SegmentIntersect(TFloatPoint{0, 0}, TFloatPoint{4, 4}, TFloatPoint{0, 4}, TFloatPoint{4, 0}, P));
  EXPECT_EQ(P, (TFloatPoint{2, 2}));
  EXPECT_TRUE(SegmentIntersect(Fx(0, 0), Fx(4, 4), Fx(0, 4), Fx(4, 0), Q));
  EXPECT_EQ(Q, Fx(2, 2));

  // Vertical against level: the crossing of the lines lies beyond the level
  // segment's end, so the segments do not meet.
  EXPECT_FALSE(SegmentIntersect(TFloatPoint{0, 5}, TFloatPoint{3, 5}, TFloatPoint{6, 0}, TFloatPoint{6, 10}, P));
  EXPECT_TRUE(SegmentIntersect(TFloatPoint{0, 5}, TFloatPoint{8, 5}, TFloatPoint{6, 0}, TFloatPoint{6, 10}, P));
  EXPECT_EQ(P, (TFloatPoint{6, 5}));
  EXPECT_TRUE(SegmentIntersect(TFloatPoint{6, 0}, TFloatPoint{6, 10}, TFloatPoint{0, 5}, TFloatPoint{8, 5}, P));
  EXPECT_EQ(P, (TFloatPoint{6, 5}));

  // Parallel and doubly vertical segments never cross and leave the point.
  P = {-7, -7};
  EXPECT_FALSE(SegmentIntersect(TFloatPoint{0, 0}, TFloatPoint{2, 2}, TFloatPoint{0, 1}, TFloatPoint{2, 3}, P));
  EXPECT_FALSE(SegmentIntersect(TFloatPoint{0, 0}, TFloatPoint{0, 2}, TFloatPoint{0, 1}, TFloatPoint{0, 3}, P));
  EXPECT_EQ(P, (TFloatPoint{-7, -7}));

  // Random segments against an orientation test in doubles, away from the
  // touching cases.
  std::mt19937 Rng(5);
  std::uniform_real_distribution<float> C(-50, 50);
  auto Orient = [](TFloatPoint A, TFloatPoint B, TFloatPoint P) {
    return (double(B.X) - A.X) * (double(P.Y) - A.Y) - (double(B.Y) - A.Y) * (double(P.X) - A.X);
  };
  for (int K = 0; K < 3000; ++K) {
    const TFloatPoint A{C(Rng), C(Rng)}, B{C(Rng), C(Rng)}, D{C(Rng), C(Rng)}, E{C(Rng), C(Rng)};
    const double O1 = Orient(A, B, D), O2 = Orient(A, B, E), O3 = Orient(D, E, A), O4 = Orient(D, E, B);
    if (std::min({std::fabs(O1), std::fabs(O2), std::fabs(O3), std::fabs(O4)}) < 1.0) continue;
    const bool Want = (O1 > 0) != (O2 > 0) && (O3 > 0) != (O4 > 0);
    ASSERT_EQ(SegmentIntersect(A, B, D, E, P), Want) << K;
  }
}

}  // namespace t_pix32_geometry_test
