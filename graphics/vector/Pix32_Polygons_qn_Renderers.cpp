// The polygon renderers and the colour fill entry points.
#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define QN_RUN_AVX2 __attribute__((target("avx2")))
#endif

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_System_qn.h"
#include "graphics/raster/Pix32_qn_Bitmap.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VPR_qn_Rows.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

namespace {

// abs(floor(v * 65536)) without overflow for coverage sums of any size; a
// non-finite value covers nothing.
Cardinal CoverageUnits(Single V) {
  const double F = std::floor(static_cast<double>(V) * 65536.0);
  if (!std::isfinite(F)) return 0;
  const double A = std::fabs(F);
  return A >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<Cardinal>(A);
}

inline TColor32 WithAlpha(TColor32 Color, Cardinal C, Cardinal A257) {
  // C <= 65536 and A257 <= 65535, so the product fits 32 unsigned bits.
  return (Color & 0x00FFFFFFu) | (Cardinal(GAMMA_TABLE[(C * A257) >> 24]) << 24);
}

template <bool EvenOdd>
void MakeAlpha(const Single* Coverage, PColor32 AlphaValues, Integer Count, TColor32 Color) {
  const Cardinal A257 = (Color >> 24) * 257u;
  // Interior runs repeat one value; recompute only when the bits change.
  uint32_t LastBits = 0x7F800000u;  // +inf: the first value is never a match
  TColor32 Last = 0;
  bool Have = false;
  for (Integer I = 0; I < Count; ++I) {
    uint32_t Bits;
    std::memcpy(&Bits, &Coverage[I], sizeof Bits);
    if (!Have || Bits != LastBits) {
      Cardinal C = CoverageUnits(Coverage[I]);
      if constexpr (EvenOdd) {
        C &= 0x1FFFFu;
        if (C > 65535u) C ^= 0x1FFFFu;
      } else if (C > 65536u) {
        C = 65536u;
      }
      Last = WithAlpha(Color, C, A257);
      LastBits = Bits;
      Have = true;
    }
    AlphaValues[I] = Last;
  }
}

template <bool EvenOdd>
void MakeWeights(const Single* Coverage, PColor32 AlphaValues, Integer Count, TColor32) {
  for (Integer I = 0; I < Count; ++I) {
    Cardinal A = CoverageUnits(Coverage[I]) >> 8;  // floor(|v| * 256)
    if constexpr (EvenOdd) {
      A &= 0x1FFu;
      if (A >= 256u) A ^= 0x1FFu;
    } else if (A >= 256u) {
      A = 255u;
    }
    AlphaValues[I] = GAMMA_TABLE[A];
  }
}

}  // namespace

// ---- TCustomPolygonRenderer ----

void TCustomPolygonRenderer::PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                                           TTransformation* Transformation) {
  if (Transformation)
    PolyPolygonFS(TransformPolyPolygon(Points, Transformation), ClipRect);
  else
    PolyPolygonFS(Points, ClipRect);
}

void TCustomPolygonRenderer::PolyPolygonFS(const TArrayOfArrayOfFloatPoint&, const TFloatRect&) {}

void TCustomPolygonRenderer::PolygonFS(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                                       TTransformation* Transformation) {
  PolyPolygonFS(PolyPolygon(Points), ClipRect, Transformation);
}

void TCustomPolygonRenderer::PolygonFS(const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect) {
  PolyPolygonFS(PolyPolygon(Points), ClipRect);
}

// ---- TPolygonRenderer32 ----

void TPolygonRenderer32::PolygonFS(const TArrayOfFloatPoint& Points) {
  if (FBitmap) PolyPolygonFS(PolyPolygon(Points), FloatRect(FBitmap->ClipRect()));
}

void TPolygonRenderer32::PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points) {
  if (FBitmap) PolyPolygonFS(Points, FloatRect(FBitmap->ClipRect()));
}

void TPolygonRenderer32::SetBitmap(TCustomBitmap32* Value) {
  if (FBitmap != Value) {
    FBitmap = Value;
    Changed();
  }
}

void TPolygonRenderer32::SetFillMode(TPolyFillMode Value) {
  if (FFillMode != Value) {
    FFillMode = Value;
    Changed();
  }
}

void TPolygonRenderer32::SetFiller(TCustomPolygonFiller* Value) {
  if (FFiller != Value) {
    FFiller = Value;
    Changed();
  }
}

void TPolygonRenderer32::SetColor(TColor32 Value) {
  if (FColor != Value) {
    FColor = Value;
    Changed();
  }
}

// ---- TPolygonRenderer32VPR ----

void TPolygonRenderer32VPR::UpdateFillProcs() {
  const bool EvenOdd = FFillMode == TPolyFillMode::pfEvenOdd;
  if (FFiller)
    FFillProc = EvenOdd ? &MakeWeights<true> : &MakeWeights<false>;
  else
    FFillProc = EvenOdd ? &MakeAlpha<true> : &MakeAlpha<false>;
}

namespace {

inline uint32_t Bits(const Single* V) {
  uint32_t B;
  std::memcpy(&B, V, sizeof B);
  return B;
}

// The end of the run of values with the same bits as V[I]; interiors are
// long runs, so they are compared four at a time.
inline Integer RunEnd(const Single* V, Integer I, Integer Len) {
  const uint32_t B = Bits(V + I);
  Integer J = I + 1;
#if defined(__SSE2__)
  const __m128i Want = _mm_set1_epi32(static_cast<int>(B));
  for (; J + 4 <= Len; J += 4) {
    const __m128i Got = _mm_loadu_si128(reinterpret_cast<const __m128i*>(V + J));
    const int Mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(Got, Want)));
    if (Mask != 0xF) return J + __builtin_ctz(static_cast<unsigned>(~Mask));
  }
#endif
  while (J < Len && Bits(V + J) == B) ++J;
  return J;
}

// Runs at least this long are blended as one colour; shorter ones (the
// anti-aliased edges) go through the per-pixel buffer.
constexpr Integer kMinRun = 8;

#if defined(__SSE2__)
// One translucent colour blended over a run with the over form of the line
// blenders, term for term: the source's products with its own alpha are the
// same for every pixel, so they are made once and only the destination's
// products remain in the loop. Even bytes (blue, red) and odd bytes (green,
// alpha) travel in separate 16-bit lanes, as in the line blenders.
struct TRunTerms {
  __m128i Fa, Even, Odd;
  explicit TRunTerms(TColor32 C) {
    const __m128i s = _mm_set1_epi32(static_cast<int>(C));
    const __m128i a = _mm_srli_epi32(s, 24);
    Fa = _mm_or_si128(a, _mm_slli_epi32(a, 16));
    const __m128i bias = _mm_set1_epi16(128);
    Even = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, _mm_set1_epi32(0x00FF00FF)), Fa), bias), 8);
    const __m128i o = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(s, 8), Fa), bias), 8);
    // In the odd set the alpha lane takes the source alpha itself.
    const __m128i alphaLane = _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
    Odd = _mm_or_si128(_mm_andnot_si128(alphaLane, o), _mm_and_si128(alphaLane, Fa));
  }
};

inline __m128i OverRun4(const TRunTerms& T, __m128i d) {
  const __m128i bias = _mm_set1_epi16(128);
  const __m128i de = _mm_and_si128(d, _mm_set1_epi32(0x00FF00FF)), dd = _mm_srli_epi16(d, 8);
  const __m128i pe = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(de, T.Fa), bias), 8);
  const __m128i po = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(dd, T.Fa), bias), 8);
  const __m128i re = _mm_sub_epi16(_mm_add_epi16(T.Even, de), pe);
  const __m128i ro = _mm_min_epi16(_mm_sub_epi16(_mm_add_epi16(T.Odd, dd), po), _mm_set1_epi16(255));
  return _mm_or_si128(re, _mm_slli_epi16(ro, 8));
}

// Blends 4 pixels at a time; returns how many it did.
Integer OverRun_SSE2(const TRunTerms& T, PColor32 Dst, Integer Len) {
  Integer i = 0;
  for (; i + 4 <= Len; i += 4) {
    __m128i* p = reinterpret_cast<__m128i*>(Dst + i);
    _mm_storeu_si128(p, OverRun4(T, _mm_loadu_si128(p)));
  }
  return i;
}

#if defined(QN_RUN_AVX2)
// The same on 8 pixels at a time; returns how many it did.
QN_RUN_AVX2 Integer OverRun_AVX2(const TRunTerms& T, PColor32 Dst, Integer Len) {
  const __m256i fa = _mm256_broadcastsi128_si256(T.Fa), te = _mm256_broadcastsi128_si256(T.Even),
                to = _mm256_broadcastsi128_si256(T.Odd);
  const __m256i bias = _mm256_set1_epi16(128), lo = _mm256_set1_epi32(0x00FF00FF), top = _mm256_set1_epi16(255);
  Integer i = 0;
  for (; i + 8 <= Len; i += 8) {
    __m256i* p = reinterpret_cast<__m256i*>(Dst + i);
    const __m256i d = _mm256_loadu_si256(p);
    const __m256i de = _mm256_and_si256(d, lo), dd = _mm256_srli_epi16(d, 8);
    const __m256i pe = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(de, fa), bias), 8);
    const __m256i po = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(dd, fa), bias), 8);
    const __m256i re = _mm256_sub_epi16(_mm256_add_epi16(te, de), pe);
    const __m256i ro = _mm256_min_epi16(_mm256_sub_epi16(_mm256_add_epi16(to, dd), po), top);
    _mm256_storeu_si256(p, _mm256_or_si256(re, _mm256_slli_epi16(ro, 8)));
  }
  return i;
}
#endif
#endif

}  // namespace

TColor32* TPolygonRenderer32VPR::SpanBuffer(Integer Len) {
  if (FBuffer.size() < static_cast<size_t>(Len)) FBuffer.resize(static_cast<size_t>(Len));
  return FBuffer.data();
}

// Blends precomputed colours: opaque runs are copied and transparent ones
// skipped, because the vector blenders round an opaque source a step short
// of the colour; those are the exact results of blending at the two weights.
void TPolygonRenderer32VPR::BlendColors(const TColor32* Src, PColor32 Dst, Integer Len) {
  Integer I = 0;
  while (I < Len) {
    const Cardinal A = Src[I] >> 24;
    Integer J = I + 1;
    if (A == 255 || A == 0) {
      while (J < Len && (Src[J] >> 24) == A) ++J;
      if (A == 255) std::memcpy(Dst + I, Src + I, sizeof(TColor32) * static_cast<size_t>(J - I));
    } else {
      while (J < Len && (Src[J] >> 24) != 255 && (Src[J] >> 24) != 0) ++J;
      BlendLine(Src + I, Dst + I, J - I);
    }
    I = J;
  }
}

// One colour over Len pixels, blended exactly as BlendLine blends a line of
// it; the line is kept between runs, since interiors repeat one colour.
void TPolygonRenderer32VPR::BlendRun(TColor32 C, PColor32 Dst, Integer Len) {
  const Cardinal A = C >> 24;
  if (A == 0) return;
  if (A == 255) {
    std::fill(Dst, Dst + Len, C);
    return;
  }
#if defined(__SSE2__)
  const TRunTerms T(C);
  Integer Done = 0;
#if defined(QN_RUN_AVX2)
  if (FRunAVX2) Done = OverRun_AVX2(T, Dst, Len);
#endif
  Done += OverRun_SSE2(T, Dst + Done, Len - Done);
  // The last few pixels through the line blender itself.
  const TColor32 Line[4] = {C, C, C, C};
  if (Done < Len) BlendLine(Line, Dst + Done, Len - Done);
#else
  if (FRunColor != C || FRunLine.size() < static_cast<size_t>(Len)) {
    FRunLine.assign(std::max(FRunLine.size(), static_cast<size_t>(Len)), C);
    FRunColor = C;
  }
  BlendLine(FRunLine.data(), Dst, Len);
#endif
}

void TPolygonRenderer32VPR::RenderSpan(const TValueSpan& Span, Integer DstY) {
  const Integer Len = Span.X2 - Span.X1 + 1;
  if (Len > 0) RenderValues(Span.Values, FBitmap->ScanLine(DstY) + Span.X1, Len);
}

// Coverage goes to colour through the fill procedure value by value as the
// table says; a run of equal coverage is converted once.
void TPolygonRenderer32VPR::RenderValues(const Single* V, PColor32 Dst, Integer Len) {
  Integer I = 0;
  while (I < Len) {
    Integer J = RunEnd(V, I, Len);
    if (J - I >= kMinRun) {
      TColor32 C;
      FFillProc(V + I, &C, 1, FColor);
      BlendRun(C, Dst + I, J - I);
      I = J;
      continue;
    }
    // A long run starting at J has its last value kMinRun - 1 further on,
    // so most edge positions are passed over without measuring a run.
    while (J < Len) {
      if (J + kMinRun > Len) {
        J = Len;
        break;
      }
      if (Bits(V + J) != Bits(V + J + kMinRun - 1)) {
        ++J;
        continue;
      }
      const Integer K = RunEnd(V, J, Len);
      if (K - J >= kMinRun) break;
      J = K;
    }
    TColor32* Buffer = SpanBuffer(J - I);
    FFillProc(V + I, Buffer, J - I, FColor);
    BlendColors(Buffer, Dst + I, J - I);
    I = J;
  }
}

// The rows with their interiors apart: each run is one colour, the columns
// between go through the values as a span would.
void TPolygonRenderer32VPR::RenderRow(Pointer Data, const TCoverRow& Row) {
  auto* Self = static_cast<TPolygonRenderer32VPR*>(Data);
  PColor32 Line = Self->FBitmap->ScanLine(Row.Y);
  // The next row's edges are most likely under this row's edges; asking
  // for them now hides the wait for memory behind this row's work.
  if (Row.Y + 1 < Self->FBitmap->Height()) {
    const PColor32 Next = Self->FBitmap->ScanLine(Row.Y + 1);
    __builtin_prefetch(Next + Row.X1, 1);
    __builtin_prefetch(Next + Row.X2, 1);
  }
  Integer X = Row.X1;
  for (Integer i = 0; i < Row.RunCount; ++i) {
    const TCoverRun& R = Row.Runs[i];
    if (R.X1 > X) Self->RenderValues(Row.Values + (X - Row.X1), Line + X, R.X1 - X);
    TColor32 C;
    Self->FFillProc(&R.Value, &C, 1, Self->FColor);
    Self->BlendRun(C, Line + R.X1, R.X2 - R.X1 + 1);
    X = R.X2 + 1;
  }
  if (X <= Row.X2) Self->RenderValues(Row.Values + (X - Row.X1), Line + X, Row.X2 - X + 1);
}

void TPolygonRenderer32VPR::FillSpan(const TValueSpan& Span, Integer DstY) {
  const Integer Len = Span.X2 - Span.X1 + 1;
  if (Len <= 0 || !FFiller) return;
  const TFillLineEvent FillLine = FFiller->GetFillLine();
  if (!Assigned(FillLine)) return;
  TColor32* Buffer = SpanBuffer(Len);
  FFillProc(Span.Values, Buffer, Len, 0);
  FillLine(FBitmap->ScanLine(DstY) + Span.X1, Span.X1, DstY, Len, Buffer);
}

// The weights of a whole row for the filler: the columns between runs
// through the fill procedure, each run's one weight repeated. A filler
// with a run routine gets the long runs of full weight through it instead,
// and the pieces between through its line routine.
void TPolygonRenderer32VPR::FillRow(Pointer Data, const TCoverRow& Row) {
  auto* Self = static_cast<TPolygonRenderer32VPR*>(Data);
  const Integer Len = Row.X2 - Row.X1 + 1;
  if (Len <= 0) return;
  TColor32* Buffer = Self->SpanBuffer(Len);
  const TFillRunEvent FillRun = Self->FFiller->GetFillRun();
  if (Assigned(FillRun)) {
    const TFillLineEvent FillLine = Self->FFiller->GetFillLine();
    if (!Assigned(FillLine)) return;
    const PColor32 Line = Self->FBitmap->ScanLine(Row.Y);
    // Shorter runs are not worth a call of their own.
    constexpr Integer kMinRun = 16;
    Integer X = Row.X1, Start = Row.X1;
    auto Flush = [&](Integer End) {
      if (End > Start) FillLine(Line + Start, Start, Row.Y, End - Start, Buffer + (Start - Row.X1));
    };
    for (Integer i = 0; i < Row.RunCount; ++i) {
      const TCoverRun& R = Row.Runs[i];
      if (R.X1 > X) Self->FFillProc(Row.Values + (X - Row.X1), Buffer + (X - Row.X1), R.X1 - X, 0);
      TColor32 W;
      Self->FFillProc(&R.Value, &W, 1, 0);
      if ((W & 0xFFu) == 255 && R.X2 - R.X1 + 1 >= kMinRun) {
        Flush(R.X1);
        FillRun(Line + R.X1, R.X1, Row.Y, R.X2 - R.X1 + 1);
        Start = R.X2 + 1;
      } else {
        std::fill(Buffer + (R.X1 - Row.X1), Buffer + (R.X2 - Row.X1 + 1), W);
      }
      X = R.X2 + 1;
    }
    if (X <= Row.X2) Self->FFillProc(Row.Values + (X - Row.X1), Buffer + (X - Row.X1), Row.X2 - X + 1, 0);
    Flush(Row.X2 + 1);
    return;
  }
  Integer X = Row.X1;
  for (Integer i = 0; i < Row.RunCount; ++i) {
    const TCoverRun& R = Row.Runs[i];
    if (R.X1 > X) Self->FFillProc(Row.Values + (X - Row.X1), Buffer + (X - Row.X1), R.X1 - X, 0);
    TColor32 W;
    Self->FFillProc(&R.Value, &W, 1, 0);
    std::fill(Buffer + (R.X1 - Row.X1), Buffer + (R.X2 - Row.X1 + 1), W);
    X = R.X2 + 1;
  }
  if (X <= Row.X2) Self->FFillProc(Row.Values + (X - Row.X1), Buffer + (X - Row.X1), Row.X2 - X + 1, 0);
  const TFillLineEvent FillLine = Self->FFiller->GetFillLine();
  if (Assigned(FillLine)) FillLine(Self->FBitmap->ScanLine(Row.Y) + Row.X1, Row.X1, Row.Y, Len, Buffer);
}

namespace {
bool Whole(Single V) { return std::isfinite(V) && V == std::floor(V) && std::fabs(V) < 1e9f; }
}  // namespace

bool TPolygonRenderer32VPR::FillPixelBox(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect) {
  if (Points.size() != 1) return false;
  const TArrayOfFloatPoint& P = Points[0];
  size_t N = P.size();
  if (N == 5 && P[4] == P[0]) N = 4;
  if (N != 4) return false;
  // Four corners on whole pixels joined by level and upright edges in turn.
  const bool FirstLevel = P[0].Y == P[1].Y;
  for (size_t I = 0; I < 4; ++I) {
    const TFloatPoint &A = P[I], &B = P[(I + 1) & 3];
    if (!Whole(A.X) || !Whole(A.Y)) return false;
    const bool Level = (I % 2 == 0) == FirstLevel;
    if (Level ? !(A.Y == B.Y && A.X != B.X) : !(A.X == B.X && A.Y != B.Y)) return false;
  }
  TFloatRect Box = FloatRect(std::min(P[0].X, P[2].X), std::min(P[0].Y, P[2].Y), std::max(P[0].X, P[2].X),
                             std::max(P[0].Y, P[2].Y));
  if (!IntersectRect(Box, Box, ClipRect)) return true;  // nothing to draw
  if (!Whole(Box.Left) || !Whole(Box.Top) || !Whole(Box.Right) || !Whole(Box.Bottom)) return false;
  // Full coverage must come out as full weight, as it does without gamma.
  const Single One = 1.0f;
  TColor32 W;
  FFillProc(&One, &W, 1, 0);
  if ((W & 0xFFu) != 255) return false;
  const Integer X1 = static_cast<Integer>(Box.Left), X2 = static_cast<Integer>(Box.Right);
  const Integer Y1 = static_cast<Integer>(Box.Top), Y2 = static_cast<Integer>(Box.Bottom), Len = X2 - X1;
  if (Len <= 0) return true;
  const TFillLineEvent FillLine = FFiller->GetFillLine();
  if (!Assigned(FillLine)) return true;
  if (FFiller->FillBox(FBitmap, Rect(X1, Y1, X2, Y2))) return true;
  const TFillRunEvent FillRun = FFiller->GetFillRun();
  TColor32* Buffer = Assigned(FillRun) ? nullptr : SpanBuffer(Len);
  for (Integer Y = Y1; Y < Y2; ++Y) {
    const PColor32 Line = FBitmap->ScanLine(Y) + X1;
    if (Assigned(FillRun)) {
      FillRun(Line, X1, Y, Len);
    } else {
      // The line routine may use the weights as room of its own.
      std::fill(Buffer, Buffer + Len, W);
      FillLine(Line, X1, Y, Len, Buffer);
    }
  }
  return true;
}

TRenderSpanEvent TPolygonRenderer32VPR::GetRenderSpan() {
  if (FFiller) return MakeEvent(this, &TPolygonRenderer32VPR::FillSpan);
  return MakeEvent(this, &TPolygonRenderer32VPR::RenderSpan);
}

void TPolygonRenderer32VPR::PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect& ClipRect) {
  if (!FBitmap || FBitmap->Empty()) return;
  // The intersection below would put the bitmap's edge in place of a NaN
  // side, so a rectangle that is empty, inverted or not a number stops here.
  if (!(ClipRect.Left < ClipRect.Right) || !(ClipRect.Top < ClipRect.Bottom)) return;
  TFloatRect R;
  if (!IntersectRect(R, ClipRect, FloatRect(FBitmap->BoundsRect()))) return;
  UpdateFillProcs();
#if defined(QN_RUN_AVX2)
  FRunAVX2 = CPUFeatures().Contains(TCPUInstructionSet::ciAVX2);
#endif
  if (FFiller) {
    FFiller->BeginRendering();
    // Rows with their interiors apart give the same spans without the
    // interiors' values; a descendant may span its own way.
    if (ClassType() == TPolygonRenderer32VPR::StaticClass()) {
      if (!FillPixelBox(Points, R)) RenderPolyPolygonRows(Points, R, &TPolygonRenderer32VPR::FillRow, this);
    }
    else
      RenderPolyPolygon(Points, R, GetRenderSpan());
    FFiller->EndRendering();
  } else if (ClassType() == TPolygonRenderer32VPR::StaticClass()) {
    // A descendant may span its own way; this class fills the runs whole.
    RenderPolyPolygonRows(Points, R, &TPolygonRenderer32VPR::RenderRow, this);
  } else {
    RenderPolyPolygon(Points, R, GetRenderSpan());
  }
  ReportChanges(Points);
}

void TPolygonRenderer32VPR::ReportChanges(const TArrayOfArrayOfFloatPoint& Points) {
  if (FBitmap->UpdateCount() == 0)
    for (const auto& Outline : Points)
      if (!Outline.empty()) FBitmap->Changed(MakeRect(PolygonBounds(Outline), TRectRounding::rrClosest), AREA_RECT_FLAG);
}

// ---- registry ----

TClassList* PolygonRendererList = nullptr;
TPolygonRenderer32Class DefaultPolygonRendererClass = TPolygonRenderer32VPR::StaticClass();

void RegisterPolygonRenderer(TPolygonRenderer32Class PolygonRendererClass) {
  if (!PolygonRendererList) PolygonRendererList = new TClassList;
  PolygonRendererList->Add(PolygonRendererClass);
}

namespace {
Integer PolygonsInitCount = 0;
}

void InitPix32Polygons() {
  if (PolygonsInitCount++ > 0) return;
  RegisterPolygonRenderer(TPolygonRenderer32VPR::StaticClass());
  RegisterPolygonRenderer(TPolygonRenderer32LCD::StaticClass());
  RegisterPolygonRenderer(TPolygonRenderer32LCD2::StaticClass());
}

void DonePix32Polygons() {
  if (PolygonsInitCount == 0 || --PolygonsInitCount > 0) return;
  FreeAndNil(PolygonRendererList);
  DefaultPolygonRendererClass = TPolygonRenderer32VPR::StaticClass();
}

// ---- entry points ----

void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TColor32 Color,
                   TPolyFillMode FillMode, TTransformation* Transformation) {
  if (!Bitmap) return;
  TPolygonRenderer32VPR Renderer;
  Renderer.SetBitmap(Bitmap);
  Renderer.SetColor(Color);
  Renderer.SetFillMode(FillMode);
  Renderer.PolyPolygonFS(Points, FloatRect(Bitmap->ClipRect()), Transformation);
}

void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TColor32 Color, TPolyFillMode FillMode,
               TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, PolyPolygon(Points), Color, FillMode, Transformation);
}

void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                   TColor32 Color, TPolyFillMode FillMode, TTransformation* Transformation) {
  if (!Bitmap) return;
  TRect R;
  if (!Pix32_qn::IntersectRect(R, Bitmap->ClipRect(), ClipRect)) return;
  TPolygonRenderer32VPR Renderer;
  Renderer.SetBitmap(Bitmap);
  Renderer.SetColor(Color);
  Renderer.SetFillMode(FillMode);
  Renderer.PolyPolygonFS(Points, FloatRect(R), Transformation);
}

void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect, TColor32 Color,
               TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, PolyPolygon(Points), ClipRect, Color, FillMode, Transformation);
}

void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
                   TPolyFillMode FillMode, TTransformation* Transformation) {
  if (!Bitmap || !Filler) return;
  TPolygonRenderer32VPR Renderer;
  Renderer.SetBitmap(Bitmap);
  Renderer.SetFiller(Filler);
  Renderer.SetFillMode(FillMode);
  Renderer.PolyPolygonFS(Points, FloatRect(Bitmap->ClipRect()), Transformation);
}

void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, TCustomPolygonFiller* Filler,
               TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, PolyPolygon(Points), Filler, FillMode, Transformation);
}

void PolyPolygonFS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFloatPoint& Points, const TRect& ClipRect,
                   TCustomPolygonFiller* Filler, TPolyFillMode FillMode, TTransformation* Transformation) {
  if (!Bitmap || !Filler) return;
  TRect R;
  if (!Pix32_qn::IntersectRect(R, Bitmap->ClipRect(), ClipRect)) return;
  TPolygonRenderer32VPR Renderer;
  Renderer.SetBitmap(Bitmap);
  Renderer.SetFiller(Filler);
  Renderer.SetFillMode(FillMode);
  Renderer.PolyPolygonFS(Points, FloatRect(R), Transformation);
}

void PolygonFS(TCustomBitmap32* Bitmap, const TArrayOfFloatPoint& Points, const TRect& ClipRect,
               TCustomPolygonFiller* Filler, TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, PolyPolygon(Points), ClipRect, Filler, FillMode, Transformation);
}

void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TColor32 Color, TPolyFillMode FillMode,
               TTransformation* Transformation) {
  PolygonFS(Bitmap, FixedPointToFloatPoint(Points), Color, FillMode, Transformation);
}

void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TColor32 Color,
                   TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, FixedPointToFloatPoint(Points), Color, FillMode, Transformation);
}

void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
               TPolyFillMode FillMode, TTransformation* Transformation) {
  PolygonFS(Bitmap, FixedPointToFloatPoint(Points), Filler, FillMode, Transformation);
}

void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, TCustomPolygonFiller* Filler,
                   TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, FixedPointToFloatPoint(Points), Filler, FillMode, Transformation);
}

void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect, TColor32 Color,
               TPolyFillMode FillMode, TTransformation* Transformation) {
  PolygonFS(Bitmap, FixedPointToFloatPoint(Points), ClipRect, Color, FillMode, Transformation);
}

void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                   TColor32 Color, TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, FixedPointToFloatPoint(Points), ClipRect, Color, FillMode, Transformation);
}

void PolygonXS(TCustomBitmap32* Bitmap, const TArrayOfFixedPoint& Points, const TRect& ClipRect,
               TCustomPolygonFiller* Filler, TPolyFillMode FillMode, TTransformation* Transformation) {
  PolygonFS(Bitmap, FixedPointToFloatPoint(Points), ClipRect, Filler, FillMode, Transformation);
}

void PolyPolygonXS(TCustomBitmap32* Bitmap, const TArrayOfArrayOfFixedPoint& Points, const TRect& ClipRect,
                   TCustomPolygonFiller* Filler, TPolyFillMode FillMode, TTransformation* Transformation) {
  PolyPolygonFS(Bitmap, FixedPointToFloatPoint(Points), ClipRect, Filler, FillMode, Transformation);
}

}  // namespace qn
