// The gradient samplers: conic, radial, diamond, X, XY and XY-square-root
// rules over a 512-entry colour table.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Geometry_qn.h"
#include "platform/rtl/Math.h"

namespace qn {

// ---- TCustomGradientSampler ----

TCustomGradientSampler::TCustomGradientSampler(TWrapMode WrapMode)
    : FGradient(new TColor32Gradient(0x00000000u)), FWrapMode(WrapMode) {
  FGradient->SetOnGradientColorsChanged(MakeEvent(this, &TCustomGradientSampler::GradientChangedHandler));
}

TCustomGradientSampler::TCustomGradientSampler(TColor32Gradient* ColorGradient)
    : TCustomGradientSampler(TWrapMode::wmMirror) {
  if (ColorGradient) FGradient->Assign(ColorGradient);
}

TCustomGradientSampler::~TCustomGradientSampler() { delete FGradient; }

void TCustomGradientSampler::SetGradient(TColor32Gradient* Value) {
  if (Value)
    FGradient->Assign(Value);
  else
    FGradient->ClearColorStops();
  FInitialized = false;
}

void TCustomGradientSampler::SetWrapMode(TWrapMode Value) {
  if (FWrapMode == Value) return;
  FWrapMode = Value;
  WrapModeChanged();
}

void TCustomGradientSampler::GradientChangedHandler(TObject*) { FInitialized = false; }

void TCustomGradientSampler::PrepareSampling() {
  inherited::PrepareSampling();
  if (!FInitialized) {
    UpdateInternals();
    FInitialized = true;
  }
}

TColor32 TCustomGradientSampler::GetSampleInt(Integer X, Integer Y) {
  return GetSampleFloat(static_cast<Single>(X), static_cast<Single>(Y));
}

TColor32 TCustomGradientSampler::GetSampleFixed(TFixed X, TFixed Y) {
  constexpr Single K = 1.0f / 65536;
  return GetSampleFloat(static_cast<Single>(X) * K, static_cast<Single>(Y) * K);
}

void TCustomGradientSampler::AssignTo(TPersistent* Dest) {
  if (auto* D = dynamic_cast<TCustomGradientSampler*>(Dest)) {
    D->FGradient->Assign(FGradient);
    D->FInitialized = false;
    D->FWrapMode = FWrapMode;
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TCustomGradientLookUpTableSampler ----

TCustomGradientLookUpTableSampler::TCustomGradientLookUpTableSampler(TWrapMode WrapMode)
    : TCustomGradientSampler(WrapMode), FGradientLUT(new TColor32LookupTable(9)) {
  // The base constructor's WrapModeChanged could not reach this class yet.
  FWrapProc = GetWrapProc(FWrapMode);
}

TCustomGradientLookUpTableSampler::TCustomGradientLookUpTableSampler(TColor32Gradient* ColorGradient)
    : TCustomGradientLookUpTableSampler(TWrapMode::wmMirror) {
  if (ColorGradient) FGradient->Assign(ColorGradient);
}

TCustomGradientLookUpTableSampler::~TCustomGradientLookUpTableSampler() { delete FGradientLUT; }

void TCustomGradientLookUpTableSampler::WrapModeChanged() { FWrapProc = GetWrapProc(FWrapMode); }

void TCustomGradientLookUpTableSampler::UpdateInternals() {
  FGradient->FillColorLookUpTable(FGradientLUT);
  FLutPtr = FGradientLUT->Color32Ptr();
  FLutMask = static_cast<Integer>(FGradientLUT->Mask());
  FWrapProc = GetWrapProc(FWrapMode, FLutMask);
  FLutOpaque = std::all_of(FLutPtr, FLutPtr + FGradientLUT->Size(), [](TColor32 C) { return (C >> 24) == 0xFF; });
}

bool TCustomGradientLookUpTableSampler::SamplesFromTable() const {
  const TClass C = ClassType();
  return C == TConicGradientSampler::StaticClass() || C == TRadialGradientSampler::StaticClass() ||
         C == TDiamondGradientSampler::StaticClass() || C == TXYGradientSampler::StaticClass() ||
         C == TXYSqrtGradientSampler::StaticClass() || C == TXGradientSampler::StaticClass() ||
         C == TLinearGradientSampler::StaticClass();
}

void TCustomGradientLookUpTableSampler::AssignTo(TPersistent* Dest) {
  inherited::AssignTo(Dest);
  if (auto* D = dynamic_cast<TCustomGradientLookUpTableSampler*>(Dest)) {
    D->FGradientLUT->Assign(FGradientLUT);
    D->FWrapProc = FWrapProc;
  }
}

TColor32 TCustomGradientLookUpTableSampler::Lookup(Single T) const {
  // An infinite scale (radius 0) or a point far out saturates here instead
  // of converting out of range.
  Integer Index;
  if (std::isnan(T))
    Index = 0;
  else if (std::fabs(T) < 1e9f)
#if defined(__SSE2__)
    // Half to even under the default rounding mode, without a library call.
    Index = _mm_cvtss_si32(_mm_set_ss(T));
#else
    Index = RoundI(T);
#endif
  else
    Index = RoundI(T);
  return FLutPtr[FWrapProc(Index, FLutMask)];
}

// ---- centre, radius and angle levels ----

TCustomCenterLutGradientSampler::TCustomCenterLutGradientSampler(TWrapMode WrapMode)
    : TCustomGradientLookUpTableSampler(WrapMode) {}
TCustomCenterLutGradientSampler::TCustomCenterLutGradientSampler(TColor32Gradient* ColorGradient)
    : TCustomGradientLookUpTableSampler(ColorGradient) {}

void TCustomCenterLutGradientSampler::Transform(Single& X, Single& Y) const {
  X -= FCenter.X;
  Y -= FCenter.Y;
}

void TCustomCenterLutGradientSampler::AssignTo(TPersistent* Dest) {
  inherited::AssignTo(Dest);
  if (auto* D = dynamic_cast<TCustomCenterLutGradientSampler*>(Dest)) D->FCenter = FCenter;
}

TCustomCenterRadiusLutGradientSampler::TCustomCenterRadiusLutGradientSampler(TWrapMode WrapMode)
    : TCustomCenterLutGradientSampler(WrapMode) {}
TCustomCenterRadiusLutGradientSampler::TCustomCenterRadiusLutGradientSampler(TColor32Gradient* ColorGradient)
    : TCustomCenterLutGradientSampler(ColorGradient) {}

void TCustomCenterRadiusLutGradientSampler::SetRadius(Single Value) {
  if (FRadius == Value) return;
  FRadius = Value;
  RadiusChanged();
}

void TCustomCenterRadiusLutGradientSampler::AssignTo(TPersistent* Dest) {
  inherited::AssignTo(Dest);
  if (auto* D = dynamic_cast<TCustomCenterRadiusLutGradientSampler*>(Dest)) D->FRadius = FRadius;
}

TCustomCenterRadiusAngleLutGradientSampler::TCustomCenterRadiusAngleLutGradientSampler(TWrapMode WrapMode)
    : TCustomCenterRadiusLutGradientSampler(WrapMode) {}
TCustomCenterRadiusAngleLutGradientSampler::TCustomCenterRadiusAngleLutGradientSampler(
    TColor32Gradient* ColorGradient)
    : TCustomCenterRadiusLutGradientSampler(ColorGradient) {}

void TCustomCenterRadiusAngleLutGradientSampler::SetAngle(Single Value) {
  if (FAngle == Value) return;
  FAngle = Value;
  AngleChanged();
}

void TCustomCenterRadiusAngleLutGradientSampler::AngleChanged() {
  FSinCos = FloatPoint(std::sin(FAngle), std::cos(FAngle));
  // A quarter turn in single precision leaves a residue of about 4e-8 in
  // place of 0, which would tilt an axis-aligned gradient ever so slightly
  // (and tie every row to its Y); below the precision of the angle itself
  // it is taken for what it stands for.
  constexpr Single kResidue = 1e-7f;
  if (std::fabs(FSinCos.X) < kResidue) FSinCos = FloatPoint(0.0f, FSinCos.Y < 0 ? -1.0f : 1.0f);
  if (std::fabs(FSinCos.Y) < kResidue) FSinCos = FloatPoint(FSinCos.X < 0 ? -1.0f : 1.0f, 0.0f);
}

void TCustomCenterRadiusAngleLutGradientSampler::Transform(Single& X, Single& Y) const {
  X -= FCenter.X;
  Y -= FCenter.Y;
  const Single S = FSinCos.X, C = FSinCos.Y;
  const Single Nx = X * S + Y * C;
  Y = X * C - Y * S;
  X = Nx;
}

void TCustomCenterRadiusAngleLutGradientSampler::AssignTo(TPersistent* Dest) {
  inherited::AssignTo(Dest);
  if (auto* D = dynamic_cast<TCustomCenterRadiusAngleLutGradientSampler*>(Dest)) {
    D->FAngle = FAngle;
    D->FSinCos = FSinCos;
  }
}

// ---- the rules ----

void TConicGradientSampler::UpdateInternals() {
  inherited::UpdateInternals();
  FScale = static_cast<Single>(FLutMask / std::numbers::pi);
}

TColor32 TConicGradientSampler::GetSampleFloat(Single X, Single Y) {
  Transform(X, Y);
  return Lookup(std::fabs(std::atan2(Y, X) + FAngle) * FScale);
}

void TConicGradientSampler::AssignTo(TPersistent* Dest) {
  inherited::AssignTo(Dest);
  if (auto* D = dynamic_cast<TConicGradientSampler*>(Dest)) D->FAngle = FAngle;
}

void TRadialGradientSampler::UpdateInternals() {
  inherited::UpdateInternals();
  FScale = FLutMask / FRadius;
}

TColor32 TRadialGradientSampler::GetSampleFloat(Single X, Single Y) {
  Transform(X, Y);
  return Lookup(std::sqrt(X * X + Y * Y) * FScale);
}

// Each sample is GetSampleInt's own computation, in the same order, so the
// row equals the pixel-by-pixel samples; only the virtual calls are gone.
// A descendant with a rule of its own goes back to the pixel path.
void TRadialGradientSampler::GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) {
  if (ClassType() != StaticClass()) return inherited::GetSampleSpanInt(X, Y, Count, Dst);
  Integer I = 0;
#if defined(__SSE2__)
  // Four at a time, with the same single-precision steps (products and sum
  // apart, a correctly rounded root, the conversion's rounding); a group
  // with a value that is not a number or far out goes through Lookup.
  if (FLutPtr) {
    const bool Clamped = FWrapProc == ClampProc;
    Single Sy = static_cast<Single>(Y), Unused = 0;
    TCustomCenterLutGradientSampler::Transform(Unused, Sy);
    const __m128 Cx = _mm_set1_ps(FCenter.X), Sy2 = _mm_set1_ps(Sy * Sy), Scale = _mm_set1_ps(FScale);
    const __m128 Limit = _mm_set1_ps(1e9f), Sign = _mm_set1_ps(-0.0f);
    const __m128i Max = _mm_set1_epi32(FLutMask), Steps = _mm_setr_epi32(0, 1, 2, 3);
    alignas(16) Integer Index[4];
    alignas(16) Single Ts[4];
    for (; I + 4 <= Count; I += 4) {
      const __m128i Xs = _mm_add_epi32(_mm_set1_epi32(static_cast<Integer>(static_cast<Cardinal>(X) + I)), Steps);
      const __m128 Sx = _mm_sub_ps(_mm_cvtepi32_ps(Xs), Cx);
      const __m128 T = _mm_mul_ps(_mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(Sx, Sx), Sy2)), Scale);
      if (_mm_movemask_ps(_mm_cmplt_ps(_mm_andnot_ps(Sign, T), Limit)) != 15) {
        _mm_store_ps(Ts, T);
        for (Integer K = 0; K < 4; ++K) Dst[I + K] = Lookup(Ts[K]);
        continue;
      }
      __m128i K = _mm_cvtps_epi32(T);
      if (Clamped) {
        K = _mm_andnot_si128(_mm_cmplt_epi32(K, _mm_setzero_si128()), K);
        const __m128i Over = _mm_cmpgt_epi32(K, Max);
        K = _mm_or_si128(_mm_and_si128(Over, Max), _mm_andnot_si128(Over, K));
        _mm_store_si128(reinterpret_cast<__m128i*>(Index), K);
        for (Integer J = 0; J < 4; ++J) Dst[I + J] = FLutPtr[Index[J]];
      } else {
        _mm_store_si128(reinterpret_cast<__m128i*>(Index), K);
        for (Integer J = 0; J < 4; ++J) Dst[I + J] = FLutPtr[FWrapProc(Index[J], FLutMask)];
      }
    }
  }
#endif
  for (; I < Count; ++I) {
    Single Sx = static_cast<Single>(static_cast<Integer>(static_cast<Cardinal>(X) + I)), Sy = static_cast<Single>(Y);
    TCustomCenterLutGradientSampler::Transform(Sx, Sy);
    Dst[I] = Lookup(std::sqrt(Sx * Sx + Sy * Sy) * FScale);
  }
}

void TDiamondGradientSampler::UpdateInternals() {
  inherited::UpdateInternals();
  FScale = FLutMask / FRadius;
}

TColor32 TDiamondGradientSampler::GetSampleFloat(Single X, Single Y) {
  Transform(X, Y);
  return Lookup(std::max(std::fabs(X), std::fabs(Y)) * FScale);
}

void TXYGradientSampler::UpdateInternals() {
  inherited::UpdateInternals();
  FScale = FLutMask / (FRadius * FRadius);
}

TColor32 TXYGradientSampler::GetSampleFloat(Single X, Single Y) {
  Transform(X, Y);
  return Lookup(std::fabs(X) * std::fabs(Y) * FScale);
}

void TXYSqrtGradientSampler::UpdateInternals() {
  inherited::UpdateInternals();
  FScale = FLutMask / FRadius;
}

TColor32 TXYSqrtGradientSampler::GetSampleFloat(Single X, Single Y) {
  Transform(X, Y);
  return Lookup(std::sqrt(std::fabs(X) * std::fabs(Y)) * FScale);
}

void TXGradientSampler::UpdateInternals() {
  inherited::UpdateInternals();
  FScale = FLutMask / FRadius;
  // The table's colours are refilled in place: a kept row no longer holds.
  FRow.Clear();
}

TColor32 TXGradientSampler::GetSampleFloat(Single X, Single Y) {
  Transform(X, Y);
  return Lookup(X * FScale);
}

namespace {
// The table folds of the wrap routines, inline; Mask + 1 is a power of two.
template <TWrapMode M>
inline Integer FoldLut(Integer K, Integer Mask) {
  if constexpr (M == TWrapMode::wmClamp)
    return K < 0 ? 0 : (K > Mask ? Mask : K);
  else if constexpr (M == TWrapMode::wmRepeat)
    return K & Mask;
  else
    return (K & (Mask + 1)) ? Mask - (K & Mask) : (K & Mask);
}

// Lookup's rounding of a scalar to an index.
inline Integer LutIndex(Single T) {
  if (std::isnan(T)) return 0;
#if defined(__SSE2__)
  if (std::fabs(T) < 1e9f) return _mm_cvtss_si32(_mm_set_ss(T));
#endif
  return RoundI(T);
}
}  // namespace

template <TWrapMode M>
void TXGradientSampler::SpanRow(Integer X, Integer Y, Integer Count, PColor32 Dst) const {
  for (Integer I = 0; I < Count; ++I) {
    Single Sx = static_cast<Single>(static_cast<Integer>(static_cast<Cardinal>(X) + I)), Sy = static_cast<Single>(Y);
    TCustomCenterRadiusAngleLutGradientSampler::Transform(Sx, Sy);
    Dst[I] = FLutPtr[FoldLut<M>(LutIndex(Sx * FScale), FLutMask)];
  }
}

void TXGradientSampler::SpanRow(Integer X, Integer Y, Integer Count, PColor32 Dst) const {
  switch (FWrapMode) {
    case TWrapMode::wmClamp: SpanRow<TWrapMode::wmClamp>(X, Y, Count, Dst); break;
    case TWrapMode::wmRepeat: SpanRow<TWrapMode::wmRepeat>(X, Y, Count, Dst); break;
    case TWrapMode::wmMirror: SpanRow<TWrapMode::wmMirror>(X, Y, Count, Dst); break;
  }
}

// Each sample is GetSampleInt's own computation with the wrap routine's
// fold written out. An axis along the rows (no cosine) makes every row
// alike, so the row is kept and copied while nothing it depends on
// changes, from one rendering to the next. A descendant with a rule of its
// own goes back to the pixel path.
void TXGradientSampler::GetSampleSpanInt(Integer X, Integer Y, Integer Count, PColor32 Dst) {
  if (ClassType() != StaticClass() && ClassType() != TLinearGradientSampler::StaticClass())
    return inherited::GetSampleSpanInt(X, Y, Count, Dst);
  if (Count <= 0) return;
  // The lookup table is a power of two long; a sampler not yet prepared
  // keeps to the pixel path.
  if (!FLutPtr || (FLutMask & (FLutMask + 1)) != 0) return inherited::GetSampleSpanInt(X, Y, Count, Dst);
  // Unprepared, the table may be about to change without a refill to say
  // so: nothing is kept then.
  if (!FInitialized || FSinCos.Y != 0 || !std::isfinite(static_cast<Single>(Y) - FCenter.Y))
    return SpanRow(X, Y, Count, Dst);
  const TRowKey Key{FCenter.X, FSinCos.X, FScale, FLutPtr, FLutMask, FWrapMode};
  if (!(Key == FRowKey)) {
    FRow.Clear();
    FRowKey = Key;
  }
  const TColor32* Row = FRow.Cover(X, Count, [&](Integer X1, Integer N, PColor32 Out) { SpanRow(X1, Y, N, Out); });
  if (!Row) return SpanRow(X, Y, Count, Dst);
  std::memcpy(Dst, Row, sizeof(TColor32) * static_cast<size_t>(Count));
}

// Only where the row routine would keep a row: there the samples do not
// depend on the row.
bool TXGradientSampler::HasRowsAlike() {
  if (ClassType() != StaticClass() && ClassType() != TLinearGradientSampler::StaticClass()) return false;
  return FLutPtr && (FLutMask & (FLutMask + 1)) == 0 && FInitialized && FSinCos.Y == 0 && std::isfinite(FCenter.Y);
}

// The axis runs from the start towards the end: the angle is the end
// point's direction seen from the start, turned by a quarter.
void TXGradientSampler::SetPoints(const TFloatPoint& StartPoint, const TFloatPoint& EndPoint) {
  FCenter = StartPoint;
  SetRadius(static_cast<Single>(std::hypot(static_cast<double>(StartPoint.X) - EndPoint.X,
                                           static_cast<double>(StartPoint.Y) - EndPoint.Y)));
  SetAngle(GetAngleOfPt2FromPt1(StartPoint, EndPoint) + std::numbers::pi_v<Single> / 2);
}

TFloatPoint TXGradientSampler::EndPoint() const {
  return FloatPoint(FCenter.X + FRadius * FSinCos.X, FCenter.Y + FRadius * FSinCos.Y);
}

void TXGradientSampler::SimpleGradient(const TFloatPoint& StartPoint, TColor32 StartColor,
                                       const TFloatPoint& EndPoint, TColor32 EndColor) {
  SetPoints(StartPoint, EndPoint);
  FGradient->ClearColorStops();
  FGradient->SetStartColor(StartColor);
  FGradient->SetEndColor(EndColor);
}

}  // namespace qn
