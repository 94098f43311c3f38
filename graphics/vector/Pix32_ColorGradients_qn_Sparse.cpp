// Samplers that spread colour from a few points: barycentric over a
// triangle, bilinear over a quadrilateral, inverse distance weighting,
// nearest point, and Gouraud shading over a Delaunay triangulation; and the
// weighted three- and four-colour sums they all end in.
#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

namespace {
[[noreturn]] void SparseIndexError(Integer Index) { throw Exception(u"Index out of bounds (%d)", {Index}); }
[[noreturn]] void CountMismatch() { throw Exception(u"Point count mismatch"); }

// One channel of a weighted sum. Clamping comes before the conversion so
// that NaN and huge sums stay defined: NaN gives 0, and the plain and SSE2
// forms agree for every input.
inline Cardinal ClampChannel(Single V) {
  if (!(V > 0)) return 0;
  if (V >= 255) return 255;
  return static_cast<Cardinal>(std::nearbyint(V));
}

inline Single Channel(TColor32 C, int Shift) { return static_cast<Single>((C >> Shift) & 0xFF); }
}  // namespace

// ---- weighted sums ----

TColor32 Linear3PointInterpolation_Pas(TColor32 C1, TColor32 C2, TColor32 C3, Single W1, Single W2, Single W3) {
  TColor32 R = 0;
  for (int Shift = 0; Shift < 32; Shift += 8) {
    const Single V = Channel(C1, Shift) * W1 + Channel(C2, Shift) * W2 + Channel(C3, Shift) * W3;
    R |= ClampChannel(V) << Shift;
  }
  return R;
}

TColor32 Linear4PointInterpolation_Pas(TColor32 C1, TColor32 C2, TColor32 C3, TColor32 C4, Single W1, Single W2,
                                       Single W3, Single W4) {
  TColor32 R = 0;
  for (int Shift = 0; Shift < 32; Shift += 8) {
    const Single V =
        Channel(C1, Shift) * W1 + Channel(C2, Shift) * W2 + Channel(C3, Shift) * W3 + Channel(C4, Shift) * W4;
    R |= ClampChannel(V) << Shift;
  }
  return R;
}

#if defined(__SSE2__)
namespace {
inline __m128 Lanes(TColor32 C) {
  const __m128i Z = _mm_setzero_si128();
  const __m128i B = _mm_cvtsi32_si128(static_cast<int>(C));
  return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(B, Z), Z));
}
inline TColor32 Pack(__m128 V) {
  // max before min: maxps hands back its second operand for NaN, so NaN
  // becomes 0 as in the plain form.
  V = _mm_min_ps(_mm_max_ps(V, _mm_setzero_ps()), _mm_set1_ps(255.0f));
  __m128i I = _mm_cvtps_epi32(V);
  I = _mm_packs_epi32(I, I);
  I = _mm_packus_epi16(I, I);
  return static_cast<TColor32>(_mm_cvtsi128_si32(I));
}
}  // namespace

TColor32 Linear3PointInterpolation_SSE2(TColor32 C1, TColor32 C2, TColor32 C3, Single W1, Single W2, Single W3) {
  __m128 V = _mm_mul_ps(Lanes(C1), _mm_set1_ps(W1));
  V = _mm_add_ps(V, _mm_mul_ps(Lanes(C2), _mm_set1_ps(W2)));
  V = _mm_add_ps(V, _mm_mul_ps(Lanes(C3), _mm_set1_ps(W3)));
  return Pack(V);
}

TColor32 Linear4PointInterpolation_SSE2(TColor32 C1, TColor32 C2, TColor32 C3, TColor32 C4, Single W1, Single W2,
                                        Single W3, Single W4) {
  __m128 V = _mm_mul_ps(Lanes(C1), _mm_set1_ps(W1));
  V = _mm_add_ps(V, _mm_mul_ps(Lanes(C2), _mm_set1_ps(W2)));
  V = _mm_add_ps(V, _mm_mul_ps(Lanes(C3), _mm_set1_ps(W3)));
  V = _mm_add_ps(V, _mm_mul_ps(Lanes(C4), _mm_set1_ps(W4)));
  return Pack(V);
}
#endif

TLinear3PointInterpolation* Linear3PointInterpolation = nullptr;
TLinear4PointInterpolation* Linear4PointInterpolation = nullptr;
TFunctionRegistry* ColorGradientsRegistry = nullptr;

void InitPix32ColorGradients() {
  ColorGradientsRegistry = NewRegistry(u"Pix32_ColorGradients_qn bindings");
  ColorGradientsRegistry->RegisterBinding(0, &Linear3PointInterpolation, "Linear3PointInterpolation");
  ColorGradientsRegistry->RegisterBinding(1, &Linear4PointInterpolation, "Linear4PointInterpolation");
  ColorGradientsRegistry->Add(0, &Linear3PointInterpolation_Pas, {}, 0, "plain");
  ColorGradientsRegistry->Add(1, &Linear4PointInterpolation_Pas, {}, 0, "plain");
#if defined(__SSE2__)
  ColorGradientsRegistry->Add(0, &Linear3PointInterpolation_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  ColorGradientsRegistry->Add(1, &Linear4PointInterpolation_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
#endif
  ColorGradientsRegistry->RebindAll();
}

void DonePix32ColorGradients() {
  // The registry itself goes with the binding unit's finalisation.
  ColorGradientsRegistry = nullptr;
  Linear3PointInterpolation = nullptr;
  Linear4PointInterpolation = nullptr;
}

// ---- triangulation ----

TArrayOfTriangleVertexIndices DelaunayTriangulation(const TArrayOfColor32FloatPoint& Points) {
  TArrayOfFloatPoint P(Points.size());
  for (size_t I = 0; I < Points.size(); ++I) P[I] = Points[I].Point;
  return DelaunayTriangulation(P);
}

// ---- TCustomSparsePointGradientSampler ----

TColor32 TCustomSparsePointGradientSampler::GetSampleInt(Integer X, Integer Y) {
  return GetSampleFloat(static_cast<Single>(X), static_cast<Single>(Y));
}

TColor32 TCustomSparsePointGradientSampler::GetSampleFixed(TFixed X, TFixed Y) {
  constexpr Single K = 1.0f / 65536;
  return GetSampleFloat(static_cast<Single>(X) * K, static_cast<Single>(Y) * K);
}

// ---- TBarycentricGradientSampler ----

TBarycentricGradientSampler::TBarycentricGradientSampler(const TColor32FloatPoint& P1, const TColor32FloatPoint& P2,
                                                         const TColor32FloatPoint& P3)
    : FColorPoints{P1, P2, P3} {}

void TBarycentricGradientSampler::PrepareSampling() {
  inherited::PrepareSampling();
  const TFloatPoint &P1 = FColorPoints[0].Point, &P2 = FColorPoints[1].Point, &P3 = FColorPoints[2].Point;
  const Single Det = (P2.Y - P3.Y) * (P1.X - P3.X) + (P3.X - P2.X) * (P1.Y - P3.Y);
  const Single R = 1 / (Det == 0 ? 1 : Det);
  // A flat triangle has no coordinates; its reciprocal would be infinite
  // and every weight NaN.
  FDegenerate = Det == 0 || !std::isfinite(R);
  if (FDegenerate) {
    FDists[0] = FDists[1] = TFloatPoint(0, 0);
    return;
  }
  FDists[0] = TFloatPoint((P3.X - P2.X) * R, (P2.Y - P3.Y) * R);
  FDists[1] = TFloatPoint((P1.X - P3.X) * R, (P3.Y - P1.Y) * R);
}

void TBarycentricGradientSampler::CalculateBarycentricCoordinates(Single X, Single Y, Single& U, Single& V,
                                                                   Single& W) const {
  if (FDegenerate) {
    U = 1;
    V = W = 0;
    return;
  }
  const Single Dx = X - FColorPoints[2].Point.X, Dy = Y - FColorPoints[2].Point.Y;
  U = FDists[0].Y * Dx + FDists[0].X * Dy;
  V = FDists[1].Y * Dx + FDists[1].X * Dy;
  W = 1 - U - V;
}

TColor32 TBarycentricGradientSampler::GetSampleFloat(Single X, Single Y) {
  Single U, V, W;
  CalculateBarycentricCoordinates(X, Y, U, V, W);
  return Linear3PointInterpolation(FColorPoints[0].Color32, FColorPoints[1].Color32, FColorPoints[2].Color32, U, V, W);
}

TColor32 TBarycentricGradientSampler::GetSampleFloatInTriangle(Single X, Single Y) {
  Single U, V, W;
  CalculateBarycentricCoordinates(X, Y, U, V, W);
  // Each step moves the point onto the edge facing the negative weight; the
  // remaining two always sum to more than 1 there, never to 0.
  auto Renormalize = [](Single& A, Single& B) {
    const Single S = A + B;
    if (S != 0) {
      A /= S;
      B /= S;
    }
  };
  if (U < 0) {
    Renormalize(V, W);
    U = 0;
  }
  if (V < 0) {
    Renormalize(U, W);
    V = 0;
  }
  if (W < 0) {
    Renormalize(U, V);
    W = 0;
  }
  return Linear3PointInterpolation(FColorPoints[0].Color32, FColorPoints[1].Color32, FColorPoints[2].Color32, U, V, W);
}

bool TBarycentricGradientSampler::IsPointInTriangle(Single X, Single Y) const {
  if (FDegenerate) return false;
  Single U, V, W;
  CalculateBarycentricCoordinates(X, Y, U, V, W);
  return U >= 0 && V >= 0 && W >= 0;
}

TColor32 TBarycentricGradientSampler::GetColor(Integer Index) { return GetColorPoint(Index).Color32; }
TFloatPoint TBarycentricGradientSampler::GetPoint(Integer Index) { return GetColorPoint(Index).Point; }

TColor32FloatPoint TBarycentricGradientSampler::GetColorPoint(Integer Index) {
  if (Index < 0 || Index >= 3) SparseIndexError(Index);
  return FColorPoints[Index];
}

void TBarycentricGradientSampler::SetColor(Integer Index, TColor32 Value) {
  if (Index < 0 || Index >= 3) SparseIndexError(Index);
  FColorPoints[Index].Color32 = Value;
}

void TBarycentricGradientSampler::SetColorPoint(Integer Index, const TColor32FloatPoint& Value) {
  if (Index < 0 || Index >= 3) SparseIndexError(Index);
  FColorPoints[Index] = Value;
}

void TBarycentricGradientSampler::SetPoint(Integer Index, const TFloatPoint& Value) {
  if (Index < 0 || Index >= 3) SparseIndexError(Index);
  FColorPoints[Index].Point = Value;
}

namespace {
[[noreturn]] void NotThree() { throw Exception(u"Only exactly 3 points expected!"); }
}  // namespace

void TBarycentricGradientSampler::SetPoints(const TArrayOfFloatPoint& Points) {
  if (Points.size() != 3) NotThree();
  for (int I = 0; I < 3; ++I) FColorPoints[I].Point = Points[I];
}

void TBarycentricGradientSampler::SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) {
  if (ColorPoints.size() != 3) NotThree();
  for (int I = 0; I < 3; ++I) FColorPoints[I] = ColorPoints[I];
}

void TBarycentricGradientSampler::SetColorPoints(const TArrayOfFloatPoint& Points, const TArrayOfColor32& Colors) {
  if (Points.size() != 3 || Colors.size() != 3) NotThree();
  for (int I = 0; I < 3; ++I) FColorPoints[I] = {Points[I], Colors[I]};
}

void TBarycentricGradientSampler::AssignTo(TPersistent* Dest) {
  if (Dest && Dest->ClassType() == ClassType()) {
    auto* D = static_cast<TBarycentricGradientSampler*>(Dest);
    for (int I = 0; I < 3; ++I) D->FColorPoints[I] = FColorPoints[I];
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TBilinearGradientSampler ----

void TBilinearGradientSampler::PrepareSampling() {
  inherited::PrepareSampling();
  // The turn at each corner; a quadrilateral that crosses itself turns
  // both ways equally often and is untangled by swapping two corners.
  bool Flag[4];
  Integer S = 0;
  for (int K = 0; K < 4; ++K) {
    const TFloatPoint &Prev = FColorPoints[(K + 3) & 3].Point, &P = FColorPoints[K].Point,
                      &Next = FColorPoints[(K + 1) & 3].Point;
    Flag[K] = (P.X - Prev.X) * (Next.Y - P.Y) - (P.Y - Prev.Y) * (Next.X - P.X) < 0;
    S += Flag[K] ? -1 : 1;
  }
  FK2Sign = Sign(S);
  if (S == 0) {
    int First = -1;
    for (int K = 0; K < 4; ++K) {
      if (!Flag[K]) continue;
      if (First < 0) {
        First = K;
      } else {
        std::swap(FColorPoints[First], FColorPoints[K]);
        break;
      }
    }
    FK2Sign = 1;
  }
  const TFloatPoint &P0 = FColorPoints[0].Point, &P1 = FColorPoints[1].Point, &P2 = FColorPoints[2].Point,
                    &P3 = FColorPoints[3].Point;
  FDists[0] = TFloatPoint(P1.X - P0.X, P1.Y - P0.Y);
  FDists[1] = TFloatPoint(P3.X - P0.X, P3.Y - P0.Y);
  FDists[2] = TFloatPoint(P0.X - P1.X + P2.X - P3.X, P0.Y - P1.Y + P2.Y - P3.Y);
  FK2Value = 2 * (FDists[2].X * FDists[1].Y - FDists[2].Y * FDists[1].X);
  FDot = FDists[0].X * FDists[1].Y - FDists[0].Y * FDists[1].X - P0.X * FDists[2].Y + P0.Y * FDists[2].X;
  FBiasK0 = P0.Y * FDists[0].X - P0.X * FDists[0].Y;
  FBiasU = P0.X;
}

TColor32 TBilinearGradientSampler::GetSampleFloat(Single X, Single Y) {
  const double Dx2 = FDists[2].X, Dy2 = FDists[2].Y;
  const double K1 = X * Dy2 + FDot - Y * Dx2;
  const double K0 = X * double(FDists[0].Y) + FBiasK0 - Y * double(FDists[0].X);
  double V;
  if (FK2Value != 0)
    V = (std::sqrt(std::fabs(K1 * K1 - 2 * K0 * FK2Value)) * FK2Sign - K1) / FK2Value;
  else
    V = K1 != 0 ? -K0 / K1 : 0;
  // u from whichever coordinate varies more along the line of constant v:
  // an edge P0-P1 that is vertical leaves the x form without a divisor.
  const double DenX = Dx2 * V + FDists[0].X, DenY = Dy2 * V + FDists[0].Y;
  double U;
  if (std::fabs(DenY) > std::fabs(DenX))
    U = (Y - double(FColorPoints[0].Point.Y) - FDists[1].Y * V) / DenY;
  else
    U = DenX != 0 ? (X - double(FBiasU) - FDists[1].X * V) / DenX : 0;
  return Linear4PointInterpolation(FColorPoints[0].Color32, FColorPoints[1].Color32, FColorPoints[2].Color32,
                                   FColorPoints[3].Color32, static_cast<Single>((1 - U) * (1 - V)),
                                   static_cast<Single>(U * (1 - V)), static_cast<Single>(U * V),
                                   static_cast<Single>((1 - U) * V));
}

TColor32 TBilinearGradientSampler::GetColor(Integer Index) { return GetColorPoint(Index).Color32; }
TFloatPoint TBilinearGradientSampler::GetPoint(Integer Index) { return GetColorPoint(Index).Point; }

TColor32FloatPoint TBilinearGradientSampler::GetColorPoint(Integer Index) {
  if (Index < 0 || Index >= 4) SparseIndexError(Index);
  return FColorPoints[Index];
}

void TBilinearGradientSampler::SetColor(Integer Index, TColor32 Value) {
  if (Index < 0 || Index >= 4) SparseIndexError(Index);
  FColorPoints[Index].Color32 = Value;
}

void TBilinearGradientSampler::SetColorPoint(Integer Index, const TColor32FloatPoint& Value) {
  if (Index < 0 || Index >= 4) SparseIndexError(Index);
  FColorPoints[Index] = Value;
}

void TBilinearGradientSampler::SetPoint(Integer Index, const TFloatPoint& Value) {
  if (Index < 0 || Index >= 4) SparseIndexError(Index);
  FColorPoints[Index].Point = Value;
}

void TBilinearGradientSampler::SetPoints(const TArrayOfFloatPoint& Points) {
  if (Points.size() != 4) CountMismatch();
  for (int I = 0; I < 4; ++I) FColorPoints[I].Point = Points[I];
}

void TBilinearGradientSampler::SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) {
  if (ColorPoints.size() != 4) CountMismatch();
  for (int I = 0; I < 4; ++I) FColorPoints[I] = ColorPoints[I];
}

void TBilinearGradientSampler::SetColorPoints(const TArrayOfFloatPoint& Points, const TArrayOfColor32& Colors) {
  if (Points.size() != 4 || Colors.size() != 4) CountMismatch();
  for (int I = 0; I < 4; ++I) FColorPoints[I] = {Points[I], Colors[I]};
}

void TBilinearGradientSampler::AssignTo(TPersistent* Dest) {
  if (Dest && Dest->ClassType() == ClassType()) {
    auto* D = static_cast<TBilinearGradientSampler*>(Dest);
    for (int I = 0; I < 4; ++I) D->FColorPoints[I] = FColorPoints[I];
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TCustomArbitrarySparsePointGradientSampler ----

TArrayOfColor32FloatPoint& TCustomArbitrarySparsePointGradientSampler::OwnColorPoints() {
  if (FColorPoints.use_count() > 1) FColorPoints = std::make_shared<TArrayOfColor32FloatPoint>(*FColorPoints);
  return *FColorPoints;
}

void TCustomArbitrarySparsePointGradientSampler::CheckIndex(Integer Index) const {
  if (Index < 0 || static_cast<size_t>(Index) >= FColorPoints->size()) SparseIndexError(Index);
}

void TCustomArbitrarySparsePointGradientSampler::Add(const TFloatPoint& Point, TColor32 Color) {
  Add(TColor32FloatPoint{Point, Color});
}

void TCustomArbitrarySparsePointGradientSampler::Add(const TColor32FloatPoint& ColorPoint) {
  OwnColorPoints().push_back(ColorPoint);
}

void TCustomArbitrarySparsePointGradientSampler::Clear() {
  if (FColorPoints.use_count() > 1)
    FColorPoints = std::make_shared<TArrayOfColor32FloatPoint>();
  else
    FColorPoints->clear();
}

TColor32 TCustomArbitrarySparsePointGradientSampler::GetColor(Integer Index) {
  CheckIndex(Index);
  return (*FColorPoints)[Index].Color32;
}

TFloatPoint TCustomArbitrarySparsePointGradientSampler::GetPoint(Integer Index) {
  CheckIndex(Index);
  return (*FColorPoints)[Index].Point;
}

TColor32FloatPoint TCustomArbitrarySparsePointGradientSampler::GetColorPoint(Integer Index) {
  CheckIndex(Index);
  return (*FColorPoints)[Index];
}

void TCustomArbitrarySparsePointGradientSampler::SetColor(Integer Index, TColor32 Value) {
  CheckIndex(Index);
  (*FColorPoints)[Index].Color32 = Value;
}

void TCustomArbitrarySparsePointGradientSampler::SetColorPoint(Integer Index, const TColor32FloatPoint& Value) {
  CheckIndex(Index);
  (*FColorPoints)[Index] = Value;
}

void TCustomArbitrarySparsePointGradientSampler::SetPoint(Integer Index, const TFloatPoint& Value) {
  CheckIndex(Index);
  (*FColorPoints)[Index].Point = Value;
}

void TCustomArbitrarySparsePointGradientSampler::SetPoints(const TArrayOfFloatPoint& Points) {
  if (Points.size() != FColorPoints->size()) CountMismatch();
  for (size_t I = 0; I < Points.size(); ++I) (*FColorPoints)[I].Point = Points[I];
}

void TCustomArbitrarySparsePointGradientSampler::SetColorPoints(const TArrayOfColor32FloatPoint& ColorPoints) {
  FColorPoints = std::make_shared<TArrayOfColor32FloatPoint>(ColorPoints);
}

void TCustomArbitrarySparsePointGradientSampler::SetColorPoints(const TArrayOfFloatPoint& Points,
                                                                const TArrayOfColor32& Colors) {
  if (Points.size() != Colors.size()) CountMismatch();
  auto L = std::make_shared<TArrayOfColor32FloatPoint>(Points.size());
  for (size_t I = 0; I < Points.size(); ++I) (*L)[I] = {Points[I], Colors[I]};
  FColorPoints = std::move(L);
}

void TCustomArbitrarySparsePointGradientSampler::AssignTo(TPersistent* Dest) {
  if (auto* D = dynamic_cast<TCustomArbitrarySparsePointGradientSampler*>(Dest)) {
    D->FColorPoints = FColorPoints;
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TInvertedDistanceWeightingSampler ----

void TInvertedDistanceWeightingSampler::PrepareSampling() {
  inherited::PrepareSampling();
  FDists.assign(FColorPoints->size(), 0.0f);
  FUsePower = FPower != 2.0f;
  FScaledPower = 0.5f * FPower;
}

void TInvertedDistanceWeightingSampler::FinalizeSampling() {
  inherited::FinalizeSampling();
  FDists = TArrayOfFloat();
}

TColor32 TInvertedDistanceWeightingSampler::GetSampleFloat(Single X, Single Y) {
  const TArrayOfColor32FloatPoint& P = *FColorPoints;
  const size_t N = P.size();
  if (N == 0) return 0;
  if (N == 1) return P[0].Color32;
  // Points added since PrepareSampling still get weights, in a list of the
  // call's own.
  TArrayOfFloat Local;
  TArrayOfFloat& W = FDists.size() == N ? FDists : (Local.resize(N), Local);
  double Sum = 0;
  for (size_t I = 0; I < N; ++I) {
    const double Dx = double(X) - P[I].Point.X, Dy = double(Y) - P[I].Point.Y;
    double D = Dx * Dx + Dy * Dy;
    if (FUsePower) D = std::pow(D, double(FScaledPower));
    W[I] = static_cast<Single>(1 / std::max(1.0, D));
    Sum += W[I];
  }
  const double Scale = 1 / Sum;
  if (N == 3)
    return Linear3PointInterpolation(P[0].Color32, P[1].Color32, P[2].Color32, static_cast<Single>(W[0] * Scale),
                                     static_cast<Single>(W[1] * Scale), static_cast<Single>(W[2] * Scale));
  if (N == 4)
    return Linear4PointInterpolation(P[0].Color32, P[1].Color32, P[2].Color32, P[3].Color32,
                                     static_cast<Single>(W[0] * Scale), static_cast<Single>(W[1] * Scale),
                                     static_cast<Single>(W[2] * Scale), static_cast<Single>(W[3] * Scale));
  Single R = 0, G = 0, B = 0, A = 0;
  for (size_t I = 0; I < N; ++I) {
    const Single K = static_cast<Single>(W[I] * Scale);
    const TColor32 C = P[I].Color32;
    B += Channel(C, 0) * K;
    G += Channel(C, 8) * K;
    R += Channel(C, 16) * K;
    A += Channel(C, 24) * K;
  }
  return ClampChannel(A) << 24 | ClampChannel(R) << 16 | ClampChannel(G) << 8 | ClampChannel(B);
}

// ---- TVoronoiSampler ----

TColor32 TVoronoiSampler::GetSampleFloat(Single X, Single Y) {
  const TArrayOfColor32FloatPoint& P = *FColorPoints;
  if (P.empty()) return 0;
  size_t Best = 0;
  Single BestD = 0;
  for (size_t I = 0; I < P.size(); ++I) {
    const Single Dx = X - P[I].Point.X, Dy = Y - P[I].Point.Y;
    const Single D = Dx * Dx + Dy * Dy;
    if (I == 0 || D < BestD) {
      Best = I;
      BestD = D;
    }
  }
  return P[Best].Color32;
}

// ---- TGourandShadedDelaunayTrianglesSampler ----

TGourandShadedDelaunayTrianglesSampler::~TGourandShadedDelaunayTrianglesSampler() = default;

void TGourandShadedDelaunayTrianglesSampler::PrepareSampling() {
  inherited::PrepareSampling();
  FBarycentric.clear();
  const TArrayOfColor32FloatPoint& P = *FColorPoints;
  FTriangles = DelaunayTriangulation(P);
  FBarycentric.reserve(FTriangles.size());
  for (const TTriangleVertexIndices& T : FTriangles) {
    auto S = std::make_unique<TBarycentricGradientSampler>(P[T.A], P[T.B], P[T.C]);
    S->PrepareSampling();
    // A flat triangle covers nothing and would only win the fallback.
    if (S->IsDegenerate()) continue;
    FBarycentric.push_back(std::move(S));
  }
  FTriangles.clear();
}

void TGourandShadedDelaunayTrianglesSampler::FinalizeSampling() {
  inherited::FinalizeSampling();
  for (auto& S : FBarycentric) S->FinalizeSampling();
  FBarycentric.clear();
}

TColor32 TGourandShadedDelaunayTrianglesSampler::GetSampleFloat(Single X, Single Y) {
  constexpr Single kOnEdge = 1e-5f;
  if (FBarycentric.empty()) return 0xFFFF0000u;
  Single U, V, W;
  size_t Best = 0;
  Single BestD = 0;
  for (size_t I = 0; I < FBarycentric.size(); ++I) {
    const TBarycentricGradientSampler& S = *FBarycentric[I];
    S.CalculateBarycentricCoordinates(X, Y, U, V, W);
    // A point on an edge or at a corner can come out a rounding step
    // outside every triangle that holds it, and the fallback below would
    // then extrapolate from some other triangle.
    if (U >= -kOnEdge && V >= -kOnEdge && W >= -kOnEdge)
      return Linear3PointInterpolation(S.FColorPoints[0].Color32, S.FColorPoints[1].Color32,
                                       S.FColorPoints[2].Color32, U, V, W);
    const Single D = (U - 0.5f) * (U - 0.5f) + (V - 0.5f) * (V - 0.5f) + (W - 0.5f) * (W - 0.5f);
    if (I == 0 || D < BestD) {
      Best = I;
      BestD = D;
    }
  }
  return FBarycentric[Best]->GetSampleFloat(X, Y);
}

}  // namespace qn
