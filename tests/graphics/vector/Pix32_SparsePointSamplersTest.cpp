#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"

namespace t_pix32_sparse_point_samplers_test {

using namespace qn;

namespace {
int Ch(TColor32 C, int I) { return static_cast<int>((C >> (8 * I)) & 0xFF); }

// Largest per-channel difference.
int Diff(TColor32 A, TColor32 B) {
  int D = 0;
  for (int I = 0; I < 4; ++I) D = std::max(D, std::abs(Ch(A, I) - Ch(B, I)));
  return D;
}

// Weighted sum in double, rounded and clamped per channel.
TColor32 Mix(const std::vector<TColor32>& C, const std::vector<double>& W) {
  TColor32 R = 0;
  for (int I = 0; I < 4; ++I) {
    double S = 0;
    for (size_t K = 0; K < C.size(); ++K) S += Ch(C[K], I) * W[K];
    R |= static_cast<TColor32>(std::clamp(std::nearbyint(S), 0.0, 255.0)) << (8 * I);
  }
  return R;
}

std::string Message(const std::function<void()>& F) {
  try {
    F();
  } catch (const Exception& E) {
    return ToUtf8(E.Message());
  }
  return "(no exception)";
}

constexpr TColor32 Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, White = 0x80FFFFFFu;
}  // namespace

TEST(Pix32_ColorGradients_qn, InterpolationVariantsAgreeAndAreBoundAtStart) {
  ASSERT_NE(ColorGradientsRegistry, nullptr);
  EXPECT_EQ(ColorGradientsRegistry->Name(), u"Pix32_ColorGradients_qn bindings");
  ASSERT_EQ(ColorGradientsRegistry->BindingCount(), 2);
  EXPECT_EQ(ColorGradientsRegistry->Bindings(0)->BindVariable, reinterpret_cast<Pointer*>(&Linear3PointInterpolation));
  EXPECT_EQ(ColorGradientsRegistry->Bindings(1)->BindVariable, reinterpret_cast<Pointer*>(&Linear4PointInterpolation));
  ASSERT_NE(Linear3PointInterpolation, nullptr);
  ASSERT_NE(Linear4PointInterpolation, nullptr);
  // Finalised, the variables are unset again; rebinding restores them.
  TFunctionRegistry* Registry = ColorGradientsRegistry;
  DonePix32ColorGradients();
  EXPECT_EQ(Linear3PointInterpolation, nullptr);
  EXPECT_EQ(Linear4PointInterpolation, nullptr);
  ColorGradientsRegistry = Registry;
  // Forced to the plain forms, then back to the best.
  Registry->RebindAll([](PFunctionInfo I) { return I->CPUFeatures.Empty() ? 0 : INVALID_PRIORITY; });
  EXPECT_EQ(Linear3PointInterpolation, &Linear3PointInterpolation_Pas);
  EXPECT_EQ(Linear4PointInterpolation, &Linear4PointInterpolation_Pas);
  Registry->RebindAll();
  EXPECT_EQ(Linear3PointInterpolation, &Linear3PointInterpolation_SSE2);

  std::mt19937 Rng(7);
  std::uniform_int_distribution<TColor32> Color;
  std::uniform_real_distribution<Single> W(-1.5f, 2.5f);
  for (int N = 0; N < 100000; ++N) {
    const TColor32 C1 = Color(Rng), C2 = Color(Rng), C3 = Color(Rng), C4 = Color(Rng);
    const Single W1 = W(Rng), W2 = W(Rng), W3 = W(Rng), W4 = W(Rng);
    const TColor32 P3 = Linear3PointInterpolation_Pas(C1, C2, C3, W1, W2, W3);
    const TColor32 P4 = Linear4PointInterpolation_Pas(C1, C2, C3, C4, W1, W2, W3, W4);
    ASSERT_EQ(P3, Linear3PointInterpolation_SSE2(C1, C2, C3, W1, W2, W3)) << N;
    ASSERT_EQ(P4, Linear4PointInterpolation_SSE2(C1, C2, C3, C4, W1, W2, W3, W4)) << N;
    // Single-precision sums land within one step of the exact ones.
    ASSERT_LE(Diff(P3, Mix({C1, C2, C3}, {W1, W2, W3})), 1) << N;
    ASSERT_LE(Diff(P4, Mix({C1, C2, C3, C4}, {W1, W2, W3, W4})), 1) << N;
  }
  // Halves go to even, NaN to 0, huge sums to the rails, in both forms.
  const Single NaN = std::numeric_limits<Single>::quiet_NaN();
  for (auto* F : {&Linear3PointInterpolation_Pas, &Linear3PointInterpolation_SSE2}) {
    EXPECT_EQ(F(0x01010101u, 0, 0, 2.5f, 0, 0), 0x02020202u);
    EXPECT_EQ(F(0x01010101u, 0, 0, 3.5f, 0, 0), 0x04040404u);
    EXPECT_EQ(F(0xFFFFFFFFu, 0, 0, NaN, 0, 0), 0u);
    EXPECT_EQ(F(0x01FF0001u, 0, 0, 1e30f, 0, 0), 0xFFFF00FFu);
    EXPECT_EQ(F(0x01FF0001u, 0, 0, -1e30f, 0, 0), 0u);
  }
}

TEST(Pix32_ColorGradients_qn, BarycentricSamplerAgainstExactCoordinates) {
  std::mt19937 Rng(11);
  std::uniform_real_distribution<Single> Pos(-50, 150), T(0, 1);
  std::uniform_int_distribution<TColor32> Color;
  for (int N = 0; N < 300; ++N) {
    TColor32FloatPoint P[3];
    for (auto& Q : P) Q = Color32FloatPoint(Color(Rng), Pos(Rng), Pos(Rng));
    const double X1 = P[0].Point.X, Y1 = P[0].Point.Y, X2 = P[1].Point.X, Y2 = P[1].Point.Y, X3 = P[2].Point.X,
                 Y3 = P[2].Point.Y;
    const double Det = (Y2 - Y3) * (X1 - X3) + (X3 - X2) * (Y1 - Y3);
    if (std::fabs(Det) < 100) continue;  // thin triangles magnify float error
    TBarycentricGradientSampler S(P[0], P[1], P[2]);
    S.PrepareSampling();
    for (int K = 0; K < 3; ++K) EXPECT_EQ(S.GetSampleFloat(P[K].Point.X, P[K].Point.Y), P[K].Color32);
    for (int K = 0; K < 20; ++K) {
      // A point inside by construction, and one anywhere.
      double A = T(Rng), B = T(Rng);
      if (A + B > 1) A = 1 - A, B = 1 - B;
      const Single X = static_cast<Single>(A * X1 + B * X2 + (1 - A - B) * X3);
      const Single Y = static_cast<Single>(A * Y1 + B * Y2 + (1 - A - B) * Y3);
      const double U = ((Y2 - Y3) * (X - X3) + (X3 - X2) * (Y - Y3)) / Det;
      const double V = ((Y3 - Y1) * (X - X3) + (X1 - X3) * (Y - Y3)) / Det;
      EXPECT_LE(Diff(S.GetSampleFloat(X, Y), Mix({P[0].Color32, P[1].Color32, P[2].Color32}, {U, V, 1 - U - V})), 1);
      EXPECT_EQ(S.GetSampleFloatInTriangle(X, Y), S.GetSampleFloat(X, Y));

      const Single Xo = Pos(Rng), Yo = Pos(Rng);
      const double Uo = ((Y2 - Y3) * (Xo - X3) + (X3 - X2) * (Yo - Y3)) / Det;
      const double Vo = ((Y3 - Y1) * (Xo - X3) + (X1 - X3) * (Yo - Y3)) / Det;
      const double Wo = 1 - Uo - Vo;
      const double Margin = 1e-3;
      if (std::min({Uo, Vo, Wo}) > Margin) {
        EXPECT_TRUE(S.IsPointInTriangle(Xo, Yo));
      }
      if (std::min({Uo, Vo, Wo}) < -Margin) {
        EXPECT_FALSE(S.IsPointInTriangle(TFloatPoint(Xo, Yo)));
        // Held on the triangle, every channel stays between the corners'.
        const TColor32 C = S.GetSampleFloatInTriangle(Xo, Yo);
        for (int I = 0; I < 4; ++I) {
          EXPECT_GE(Ch(C, I), std::min({Ch(P[0].Color32, I), Ch(P[1].Color32, I), Ch(P[2].Color32, I)}) - 1);
          EXPECT_LE(Ch(C, I), std::max({Ch(P[0].Color32, I), Ch(P[1].Color32, I), Ch(P[2].Color32, I)}) + 1);
        }
      }
    }
  }
}

TEST(Pix32_ColorGradients_qn, BarycentricEdgesAndFailures) {
  TBarycentricGradientSampler S(Color32FloatPoint(Red, 0, 0), Color32FloatPoint(Green, 100, 0),
                                Color32FloatPoint(Blue, 0, 100));
  S.PrepareSampling();
  // Far outside the weights run to thousands: channels saturate.
  EXPECT_EQ(S.GetSampleFloat(10000, 0), 0xFF00FF00u);
  EXPECT_EQ(S.GetSampleFloat(-10000, -10000), 0xFFFF0000u);
  EXPECT_EQ(S.GetSampleFixed(50 << 16, 0), S.GetSampleFloat(50, 0));
  EXPECT_EQ(S.GetSampleInt(50, 0), S.GetSampleFloat(50, 0));
  // Beyond the hypotenuse the kept sample is the hypotenuse's midpoint's.
  EXPECT_EQ(S.GetSampleFloatInTriangle(100, 100), S.GetSampleFloat(50, 50));

  EXPECT_EQ(Message([&] { S.SetPoints({TFloatPoint(1, 1), TFloatPoint(2, 2)}); }), "Only exactly 3 points expected!");
  EXPECT_EQ(Message([&] { S.SetColorPoints({Color32FloatPoint(0, 1, 1)}); }), "Only exactly 3 points expected!");
  EXPECT_EQ(Message([&] { S.SetColorPoints({TFloatPoint(1, 1)}, {0}); }), "Only exactly 3 points expected!");
  EXPECT_EQ(Message([&] { S.SetColor(3, 0); }), "Index out of bounds (3)");
  EXPECT_EQ(Message([&] { S.GetPoint(-1); }), "Index out of bounds (-1)");
  EXPECT_EQ(S.GetColor(1), Green);
  EXPECT_EQ(S.GetPoint(2).Y, 100);

  TBarycentricGradientSampler Copy;
  Copy.Assign(&S);
  EXPECT_EQ(Copy.GetColorPoint(2).Color32, Blue);
  EXPECT_EQ(Copy.GetPoint(1).X, 100);

  // Three points on one line: the first colour everywhere, inside nowhere.
  S.SetPoints({TFloatPoint(0, 0), TFloatPoint(10, 10), TFloatPoint(20, 20)});
  S.PrepareSampling();
  EXPECT_EQ(S.GetSampleFloat(10, 10), Red);
  EXPECT_EQ(S.GetSampleFloatInTriangle(-5, 3), Red);
  EXPECT_FALSE(S.IsPointInTriangle(10, 10));
}

namespace {
// Corner P(u, v) of the bilinear patch.
TFloatPoint Patch(const TFloatPoint P[4], double U, double V) {
  auto L = [&](double A, double B, double C, double D) {
    return (1 - U) * (1 - V) * A + U * (1 - V) * B + U * V * C + (1 - U) * V * D;
  };
  return TFloatPoint(static_cast<Single>(L(P[0].X, P[1].X, P[2].X, P[3].X)),
                     static_cast<Single>(L(P[0].Y, P[1].Y, P[2].Y, P[3].Y)));
}
}  // namespace

TEST(Pix32_ColorGradients_qn, BilinearSamplerInvertsThePatch) {
  std::mt19937 Rng(3);
  std::uniform_real_distribution<Single> Jitter(-30, 30), T(0.02f, 0.98f);
  std::uniform_int_distribution<TColor32> Color;
  int Checked = 0;
  for (int N = 0; N < 400; ++N) {
    // A convex quadrilateral around (100, 100), either way round, rotated
    // so that any corner comes first.
    TFloatPoint Base[4] = {{0, 0}, {200, 0}, {200, 200}, {0, 200}};
    TFloatPoint P[4];
    const bool Reverse = N & 1;
    const int Shift = (N >> 1) & 3;
    for (int K = 0; K < 4; ++K) {
      const TFloatPoint& B = Base[Reverse ? (4 - K) & 3 : K];
      P[(K + Shift) & 3] = TFloatPoint(B.X + Jitter(Rng), B.Y + Jitter(Rng));
    }
    TColor32 C[4];
    TBilinearGradientSampler S;
    for (int K = 0; K < 4; ++K) {
      C[K] = Color(Rng);
      S.SetColorPoint(K, Color32FloatPoint(C[K], P[K]));
    }
    S.PrepareSampling();
    for (int K = 0; K < 4; ++K) EXPECT_LE(Diff(S.GetSampleFloat(P[K].X, P[K].Y), C[K]), 1) << N << " corner " << K;
    for (int K = 0; K < 10; ++K) {
      const double U = T(Rng), V = T(Rng);
      const TFloatPoint Q = Patch(P, U, V);
      const TColor32 Want = Mix({C[0], C[1], C[2], C[3]}, {(1 - U) * (1 - V), U * (1 - V), U * V, (1 - U) * V});
      EXPECT_LE(Diff(S.GetSampleFloat(Q.X, Q.Y), Want), 2) << N << " at " << U << "," << V;
      ++Checked;
    }
  }
  EXPECT_GT(Checked, 3000);
}

TEST(Pix32_ColorGradients_qn, BilinearCornersOfSpecialQuads) {
  const TColor32 C[4] = {Red, Green, Blue, White};
  const std::vector<std::vector<TFloatPoint>> Quads = {
      {{0, 0}, {100, 0}, {100, 100}, {0, 100}},    // clockwise on screen
      {{0, 0}, {0, 100}, {100, 100}, {100, 0}},    // counter-clockwise, first edge vertical
      {{10, 0}, {10, 80}, {90, 100}, {100, 10}},   // vertical first edge, no parallel sides
      {{0, 0}, {100, 100}, {100, 0}, {0, 100}},    // crossing itself
      {{0, 0}, {100, 0}, {0, 100}, {100, 100}},    // crossing itself the other way
  };
  for (size_t Q = 0; Q < Quads.size(); ++Q) {
    TBilinearGradientSampler S;
    S.SetColorPoints(Quads[Q], {C[0], C[1], C[2], C[3]});
    S.PrepareSampling();
    for (int K = 0; K < 4; ++K) {
      const TFloatPoint& P = Quads[Q][K];
      EXPECT_LE(Diff(S.GetSampleFloat(P.X, P.Y), C[K]), 1) << "quad " << Q << " corner " << K;
    }
  }
  // The square's centre is the plain average.
  TBilinearGradientSampler S;
  S.SetColorPoints(Quads[1], {C[0], C[1], C[2], C[3]});
  S.PrepareSampling();
  EXPECT_LE(Diff(S.GetSampleFloat(50, 50), Mix({C[0], C[1], C[2], C[3]}, {0.25, 0.25, 0.25, 0.25})), 1);

  EXPECT_EQ(Message([&] { S.SetPoints({TFloatPoint(0, 0)}); }), "Point count mismatch");
  EXPECT_EQ(Message([&] { S.SetColorPoint(4, {}); }), "Index out of bounds (4)");
  EXPECT_EQ(S.GetColor(3), White);
  EXPECT_EQ(S.GetCount(), 4);
}

TEST(Pix32_ColorGradients_qn, DistanceAndNearestPointSamplers) {
  std::mt19937 Rng(5);
  std::uniform_real_distribution<Single> Pos(0, 100);
  std::uniform_int_distribution<TColor32> Color;
  for (int Count : {2, 3, 4, 5, 9}) {
    for (Single Power : {2.0f, 1.0f, 3.5f}) {
      TInvertedDistanceWeightingSampler Idw;
      TVoronoiSampler Vor;
      std::vector<TColor32FloatPoint> P;
      for (int K = 0; K < Count; ++K) {
        P.push_back(Color32FloatPoint(Color(Rng), Pos(Rng), Pos(Rng)));
        Idw.Add(P.back());
        Vor.Add(P.back().Point, P.back().Color32);
      }
      Idw.SetPower(Power);
      Idw.PrepareSampling();
      Vor.PrepareSampling();
      for (int N = 0; N < 50; ++N) {
        const Single X = Pos(Rng), Y = Pos(Rng);
        std::vector<TColor32> C;
        std::vector<double> W;
        double Sum = 0;
        size_t Near = 0;
        double NearD = 1e30;
        for (size_t K = 0; K < P.size(); ++K) {
          const double D = std::hypot(X - P[K].Point.X, Y - P[K].Point.Y);
          C.push_back(P[K].Color32);
          W.push_back(1 / std::max(1.0, std::pow(D, Power)));
          Sum += W.back();
          if (D < NearD) NearD = D, Near = K;
        }
        for (double& V : W) V /= Sum;
        EXPECT_LE(Diff(Idw.GetSampleFloat(X, Y), Mix(C, W)), 1) << Count << " points, power " << Power;
        EXPECT_EQ(Vor.GetSampleFloat(X, Y), P[Near].Color32);
      }
      Idw.FinalizeSampling();
    }
  }

  // Nearer than one unit, every point weighs the same.
  TInvertedDistanceWeightingSampler Idw;
  Idw.Add(TFloatPoint(10.5f, 10), 0xFF000000u);
  Idw.Add(TFloatPoint(10, 10.9f), 0xFFC8C8C8u);
  Idw.PrepareSampling();
  EXPECT_EQ(Idw.GetSampleFloat(10, 10), 0xFF646464u);
  // Points added after preparing still count, and one point is its colour.
  Idw.Add(TFloatPoint(9.5f, 10), 0xFF000000u);
  EXPECT_LE(Diff(Idw.GetSampleFloat(10, 10), 0xFF434343u), 1);
  TInvertedDistanceWeightingSampler One;
  One.Add(TFloatPoint(3, 3), Blue);
  One.PrepareSampling();
  EXPECT_EQ(One.GetSampleFloat(1000, -7), Blue);

  // Equally near: the first point wins.
  TVoronoiSampler Vor;
  Vor.Add(TFloatPoint(0, 0), Red);
  Vor.Add(TFloatPoint(10, 0), Green);
  Vor.Add(TFloatPoint(0, 0), Blue);
  EXPECT_EQ(Vor.GetSampleFloat(5, 0), Red);
  EXPECT_EQ(Vor.GetSampleFloat(5.01f, 0), Green);

  // Without points nothing is read and the result is 0.
  TVoronoiSampler EmptyV;
  TInvertedDistanceWeightingSampler EmptyI;
  EmptyI.PrepareSampling();
  EXPECT_EQ(EmptyV.GetSampleFloat(1, 2), 0u);
  EXPECT_EQ(EmptyI.GetSampleFloat(1, 2), 0u);
}

TEST(Pix32_ColorGradients_qn, DelaunaySamplerShadesItsTriangles) {
  TGourandShadedDelaunayTrianglesSampler S;
  for (int Count = 0; Count < 3; ++Count) {
    S.PrepareSampling();
    EXPECT_EQ(S.GetSampleFloat(5, 5), 0xFFFF0000u) << Count << " points";
    S.FinalizeSampling();
    S.Add(TFloatPoint(Count * 10.0f, 0), Blue);
  }
  // Three points are one triangle, sampled like the barycentric sampler.
  S.SetColorPoints({Color32FloatPoint(Red, 0, 0), Color32FloatPoint(Green, 100, 0), Color32FloatPoint(Blue, 0, 100)});
  TBarycentricGradientSampler B(S.GetColorPoint(0), S.GetColorPoint(1), S.GetColorPoint(2));
  S.PrepareSampling();
  B.PrepareSampling();
  EXPECT_EQ(S.TriangleCount(), 1);
  for (Single X : {0.0f, 20.0f, 70.0f, 150.0f})
    for (Single Y : {0.0f, 25.0f, 90.0f, -40.0f}) EXPECT_LE(Diff(S.GetSampleFloat(X, Y), B.GetSampleFloat(X, Y)), 1);
  S.FinalizeSampling();
  EXPECT_EQ(S.TriangleCount(), 0);

  // Random sets: every sample inside the hull is the interpolation of the
  // triangle that contains it, and each input point keeps its colour.
  std::mt19937 Rng(9);
  std::uniform_real_distribution<Single> Pos(0, 200);
  std::uniform_int_distribution<TColor32> Color;
  for (int N = 0; N < 20; ++N) {
    TArrayOfColor32FloatPoint P;
    for (int K = 0; K < 12; ++K) P.push_back(Color32FloatPoint(Color(Rng), Pos(Rng), Pos(Rng)));
    S.SetColorPoints(P);
    S.PrepareSampling();
    const TArrayOfTriangleVertexIndices T = DelaunayTriangulation(P);
    EXPECT_EQ(S.TriangleCount(), static_cast<Integer>(T.size()));
    for (const auto& Q : P) EXPECT_LE(Diff(S.GetSampleFloat(Q.Point.X, Q.Point.Y), Q.Color32), 1);
    for (int K = 0; K < 100; ++K) {
      const Single X = Pos(Rng), Y = Pos(Rng);
      for (const auto& Tri : T) {
        TBarycentricGradientSampler R(P[Tri.A], P[Tri.B], P[Tri.C]);
        R.PrepareSampling();
        Single U, V, W;
        R.CalculateBarycentricCoordinates(X, Y, U, V, W);
        if (std::min({U, V, W}) > 1e-4f) {
          EXPECT_EQ(S.GetSampleFloat(X, Y), R.GetSampleFloat(X, Y));
          break;
        }
      }
    }
    S.FinalizeSampling();
  }

  // Colinear points leave no triangle.
  S.SetColorPoints({TFloatPoint(0, 0), TFloatPoint(1, 1), TFloatPoint(2, 2), TFloatPoint(3, 3)}, {0, 0, 0, 0});
  S.PrepareSampling();
  EXPECT_EQ(S.GetSampleFloat(1, 1), 0xFFFF0000u);
  S.FinalizeSampling();
}

TEST(Pix32_ColorGradients_qn, ArbitraryPointListsAreSharedUntilResized) {
  TVoronoiSampler A;
  TInvertedDistanceWeightingSampler B;
  A.Add(TFloatPoint(0, 0), Red);
  A.Add(Color32FloatPoint(Green, 10, 0));
  B.Assign(&A);
  EXPECT_TRUE(A.SharesPointsWith(&B));
  // Element writes show through both.
  B.SetColor(0, Blue);
  A.SetPoints({TFloatPoint(1, 1), TFloatPoint(2, 2)});
  EXPECT_EQ(A.GetColor(0), Blue);
  EXPECT_EQ(B.GetPoint(1).X, 2);
  // A change of length copies first.
  B.Add(TFloatPoint(5, 5), White);
  EXPECT_FALSE(A.SharesPointsWith(&B));
  EXPECT_EQ(A.Count(), 2);
  EXPECT_EQ(B.Count(), 3);
  B.SetColor(1, Red);
  EXPECT_EQ(A.GetColor(1), Green);
  B.Assign(&A);
  A.Clear();
  EXPECT_EQ(A.Count(), 0);
  EXPECT_EQ(B.Count(), 2);

  // Failed calls leave the list as it was.
  EXPECT_EQ(Message([&] { B.SetPoints({TFloatPoint(0, 0)}); }), "Point count mismatch");
  EXPECT_EQ(Message([&] { B.SetColorPoints({TFloatPoint(0, 0)}, {}); }), "Point count mismatch");
  EXPECT_EQ(Message([&] { B.GetColorPoint(2); }), "Index out of bounds (2)");
  EXPECT_EQ(Message([&] { A.SetPoint(0, {}); }), "Index out of bounds (0)");
  EXPECT_EQ(B.Count(), 2);
  EXPECT_EQ(B.GetColor(0), Blue);
  EXPECT_EQ(B.GetPoint(1).Y, 2);
}

}  // namespace t_pix32_sparse_point_samplers_test
