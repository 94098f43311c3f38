// The span fillers: a user routine, inversion, a tiled pattern and a
// sampler, and FillBitmap, which runs a filler over a whole bitmap.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Blend_qn_Variants.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

namespace {

// A weight from the renderer's 32-bit weight entries.
inline Cardinal Weight(const TColor32* AlphaValues, Integer I) { return AlphaValues[I] & 0xFFu; }

// (a · M · 32897) shr 23: the product of two byte weights scaled back to a
// byte without a division.
inline Cardinal ScaleWeight(Cardinal A, Cardinal M) { return (A * M * 32897u) >> 23; }

// Non-negative remainder; the 64-bit difference cannot wrap.
inline Integer Wrap(Int64 V, Integer N) {
  const Int64 R = V % N;
  return static_cast<Integer>(R < 0 ? R + N : R);
}

// Rows of BlendMem(S[i], D[i]) and BlendMemEx(S[i], D[i], M). Where the bound
// routine is the SSE2 one, four pixels go at a time through the same
// interpolation it uses, so the row equals the pixel-by-pixel blend bit for
// bit (the line blenders round differently and cannot stand in for it).
#if defined(__SSE2__)
inline __m128i Even(__m128i v) { return _mm_and_si128(v, _mm_set1_epi32(0x00FF00FF)); }
inline __m128i Odd(__m128i v) { return _mm_srli_epi16(v, 8); }
// Each pixel's alpha in both of its 16-bit lanes.
inline __m128i AlphaPairs(__m128i v) {
  const __m128i a = _mm_srli_epi32(v, 24);
  return _mm_or_si128(a, _mm_slli_epi32(a, 16));
}
// (B·256 + 128 + (F - B)·a) shr 8 per channel; the true value fits 16
// unsigned bits, so wrapping 16-bit lanes compute it exactly.
inline __m128i Interp16(__m128i f, __m128i b, __m128i a) {
  const __m128i d = _mm_mullo_epi16(_mm_sub_epi16(f, b), a);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(b, 8), d), _mm_set1_epi16(128)), 8);
}
inline __m128i Interp4(__m128i s, __m128i d, __m128i a) {
  return _mm_or_si128(Interp16(Even(s), Even(d), a), _mm_slli_epi16(Interp16(Odd(s), Odd(d), a), 8));
}
#endif

void BlendMemRow(TBlendMem* Mem, const TColor32* S, PColor32 D, Integer N) {
  Integer I = 0;
#if defined(__SSE2__)
  if (Mem == &blend::BlendMem_SSE2) {
    const __m128i Full = _mm_set1_epi32(255);
    for (; I + 4 <= N; I += 4) {
      const __m128i Sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + I));
      __m128i* Dp = reinterpret_cast<__m128i*>(D + I);
      const __m128i R = Interp4(Sv, _mm_loadu_si128(Dp), AlphaPairs(Sv));
      // An opaque source is taken as it is, as the routine does.
      const __m128i Opaque = _mm_cmpeq_epi32(_mm_srli_epi32(Sv, 24), Full);
      _mm_storeu_si128(Dp, _mm_or_si128(_mm_and_si128(Opaque, Sv), _mm_andnot_si128(Opaque, R)));
    }
  }
#endif
  for (; I < N; ++I) Mem(S[I], D[I]);
}

void BlendMemExRow(TBlendMemEx* MemEx, const TColor32* S, PColor32 D, Integer N, Cardinal M) {
  Integer I = 0;
#if defined(__SSE2__)
  if (MemEx == &blend::BlendMemEx_SSE2) {
    // The routine's weight ((M + 1)·Fa) shr 8; a zero weight interpolates
    // to the destination itself, so no pixel needs skipping.
    const __m128i M1 = _mm_set1_epi16(static_cast<short>(M + 1));
    for (; I + 4 <= N; I += 4) {
      const __m128i Sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + I));
      __m128i* Dp = reinterpret_cast<__m128i*>(D + I);
      const __m128i A = _mm_srli_epi16(_mm_mullo_epi16(AlphaPairs(Sv), M1), 8);
      _mm_storeu_si128(Dp, Interp4(Sv, _mm_loadu_si128(Dp), A));
    }
  }
#endif
  for (; I < N; ++I) MemEx(S[I], D[I], M);
}

// Sources S blended into D by the renderer's weights W, per pixel:
//   master alpha M below 255: MemEx(s, d, ScaleWeight(w, M));
//   otherwise full weight is Mem(s, d), or the source itself when Opaque;
//   other non-zero weights are MemEx(s, d, w);
// where s is S made opaque when Opaque is set (Mem is then unused). Where the
// bound routines are the SSE2 ones, four pixels go at a time through their
// own interpolation, so the row equals the per-pixel blends bit for bit.
void WeightedRow(TBlendMem* Mem, TBlendMemEx* MemEx, const TColor32* S, PColor32 D, const TColor32* W, Integer N,
                 Cardinal M, bool Opaque) {
  Integer I = 0;
#if defined(__SSE2__)
  if (MemEx == &blend::BlendMemEx_SSE2 && (Opaque || M != 255 || Mem == &blend::BlendMem_SSE2)) {
    const __m128i Low = _mm_set1_epi32(0xFF), One = _mm_set1_epi32(1);
    const __m128i Force = _mm_set1_epi32(Opaque ? static_cast<int>(0xFF000000u) : 0);
    const __m128i Master = _mm_set1_epi32(static_cast<int>(M)), Scale = _mm_set1_epi16(static_cast<short>(32897));
    for (; I + 4 <= N; I += 4) {
      const __m128i Sv = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(S + I)), Force);
      __m128i Wv = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(W + I)), Low);
      __m128i* Dp = reinterpret_cast<__m128i*>(D + I);
      __m128i Take = _mm_setzero_si128();
      if (M != 255) {
        // (w·M·32897) shr 23 as ((w·M·32897) shr 16) shr 7; w·M fits 16 bits.
        Wv = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(Wv, Master), Scale), 7);
      } else {
        // Full weight on an opaque source is the source itself.
        Take = _mm_and_si128(_mm_cmpeq_epi32(Wv, Low), _mm_cmpeq_epi32(_mm_srli_epi32(Sv, 24), Low));
        if (_mm_movemask_epi8(Take) == 0xFFFF) {
          _mm_storeu_si128(Dp, Sv);
          continue;
        }
      }
      // The routines' weight ((w + 1)·Fa) shr 8, which is Fa itself at full
      // weight (the plain blend) and 0 at none (the pixel unchanged).
      __m128i A = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi32(Wv, One), _mm_srli_epi32(Sv, 24)), 8);
      A = _mm_or_si128(A, _mm_slli_epi32(A, 16));
      const __m128i R = Interp4(Sv, _mm_loadu_si128(Dp), A);
      _mm_storeu_si128(Dp, _mm_or_si128(_mm_and_si128(Take, Sv), _mm_andnot_si128(Take, R)));
    }
  }
#endif
  const TColor32 Force = Opaque ? 0xFF000000u : 0u;
  for (; I < N; ++I) {
    const Cardinal A = Weight(W, I);
    const TColor32 F = S[I] | Force;
    if (M != 255)
      MemEx(F, D[I], ScaleWeight(A, M));
    else if (A == 255)
      Opaque ? void(D[I] = F) : Mem(F, D[I]);
    else if (A != 0)
      MemEx(F, D[I], A);
  }
}

}  // namespace

// ---- TCallbackPolygonFiller ----

void TCallbackPolygonFiller::SetFillLineEvent(const TFillLineEvent& Value) { FFillLineEvent = Value; }

// ---- TInvertPolygonFiller ----

TFillLineEvent TInvertPolygonFiller::GetFillLine() { return MakeEvent(this, &TInvertPolygonFiller::FillLineBlend); }

void TInvertPolygonFiller::FillLineBlend(PColor32 Dst, Integer, Integer, Integer Length, PColor32 AlphaValues) {
  for (Integer I = 0; I < Length; ++I) {
    // Without weights every pixel counts as fully covered.
    const Cardinal A = AlphaValues ? Weight(AlphaValues, I) : 255u;
    BlendMemEx(InvertColor(Dst[I]), Dst[I], A);
    EMMS();
  }
}

// ---- TBitmapPolygonFiller ----

void TBitmapPolygonFiller::SetPattern(TCustomBitmap32* Value) { FPattern = Value; }

TFillLineEvent TBitmapPolygonFiller::GetFillLine() {
  // An empty pattern has nothing to tile, and its zero size would divide.
  if (!FPattern || FPattern->Empty()) return {};
  switch (FPattern->DrawMode()) {
    case TDrawMode::dmOpaque:
      return MakeEvent(this, &TBitmapPolygonFiller::FillLineOpaque);
    case TDrawMode::dmBlend:
      if (FPattern->MasterAlpha() == 255) return MakeEvent(this, &TBitmapPolygonFiller::FillLineBlend);
      return MakeEvent(this, &TBitmapPolygonFiller::FillLineBlendMasterAlpha);
    case TDrawMode::dmCustom:
      if (Assigned(FPattern->OnPixelCombine())) return MakeEvent(this, &TBitmapPolygonFiller::FillLineCustomCombine);
      return {};
    default:
      return {};
  }
}

// Calls Fn(PatternRow + PatX, I, N) over the line in pieces that stay inside
// one pattern row: the pattern repeats every Width pixels from (OffsetX,
// OffsetY), whatever the sign of the position.
template <class Fn>
void TBitmapPolygonFiller::ForEachPiece(Integer DstX, Integer DstY, Integer Length, Fn F) const {
  const Integer W = FPattern->Width(), H = FPattern->Height();
  const TColor32* Row = FPattern->ScanLine(Wrap(Int64(DstY) - FOffsetY, H));
  Integer PatX = Wrap(Int64(DstX) - FOffsetX, W);
  for (Integer I = 0; I < Length;) {
    const Integer N = std::min(Length - I, W - PatX);
    F(Row + PatX, I, N);
    I += N;
    PatX = 0;
  }
}

void TBitmapPolygonFiller::FillLineOpaque(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                          PColor32 AlphaValues) {
  if (!AlphaValues) {
    ForEachPiece(DstX, DstY, Length, [&](const TColor32* P, Integer I, Integer N) {
      std::memcpy(Dst + I, P, sizeof(TColor32) * static_cast<size_t>(N));
    });
    return;
  }
  TBlendMemEx* const MemEx = *BLEND_MEM_EX[static_cast<int>(FPattern->CombineMode())];
  ForEachPiece(DstX, DstY, Length, [&](const TColor32* P, Integer I, Integer N) {
    WeightedRow(nullptr, MemEx, P, Dst + I, AlphaValues + I, N, 255, true);
  });
  EMMS();
}

void TBitmapPolygonFiller::FillLineBlend(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                         PColor32 AlphaValues) {
  const int Mode = static_cast<int>(FPattern->CombineMode());
  TBlendMem* const Mem = *BLEND_MEM[Mode];
  TBlendMemEx* const MemEx = *BLEND_MEM_EX[Mode];
  if (!AlphaValues) {
    ForEachPiece(DstX, DstY, Length, [&](const TColor32* P, Integer I, Integer N) { BlendMemRow(Mem, P, Dst + I, N); });
    EMMS();
    return;
  }
  ForEachPiece(DstX, DstY, Length, [&](const TColor32* P, Integer I, Integer N) {
    WeightedRow(Mem, MemEx, P, Dst + I, AlphaValues + I, N, 255, false);
  });
  EMMS();
}

void TBitmapPolygonFiller::FillLineBlendMasterAlpha(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                                    PColor32 AlphaValues) {
  const int Mode = static_cast<int>(FPattern->CombineMode());
  TBlendMemEx* const MemEx = *BLEND_MEM_EX[Mode];
  const Cardinal M = FPattern->MasterAlpha() & 0xFFu;
  if (!AlphaValues) {
    ForEachPiece(DstX, DstY, Length,
                 [&](const TColor32* P, Integer I, Integer N) { BlendMemExRow(MemEx, P, Dst + I, N, M); });
    EMMS();
    return;
  }
  ForEachPiece(DstX, DstY, Length, [&](const TColor32* P, Integer I, Integer N) {
    WeightedRow(nullptr, MemEx, P, Dst + I, AlphaValues + I, N, M, false);
  });
  EMMS();
}

void TBitmapPolygonFiller::FillLineCustomCombine(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                                 PColor32 AlphaValues) {
  const TPixelCombineEvent& Combine = FPattern->OnPixelCombine();
  const Cardinal M = FPattern->MasterAlpha() & 0xFFu;
  ForEachPiece(DstX, DstY, Length, [&](const TColor32* P, Integer I, Integer N) {
    for (Integer K = 0; K < N; ++K)
      Combine(P[K], Dst[I + K], AlphaValues ? ScaleWeight(Weight(AlphaValues, I + K), M) : M);
  });
}

// ---- TSamplerFiller ----

TSamplerFiller::TSamplerFiller(TCustomSampler* Sampler) : FSampler(Sampler) { SamplerChanged(); }

void TSamplerFiller::SetSampler(TCustomSampler* Value) {
  if (FSampler != Value) {
    FSampler = Value;
    FOpaqueSamples = false;
    SamplerChanged();
  }
}

// The sampler's GetSampleInt is reached through its virtual table, which
// is already the cached method; descendants hook their own state here.
void TSamplerFiller::SamplerChanged() {}

void TSamplerFiller::BeginRendering() {
  if (!FSampler) throw Exception(u"No sampler specified!");
  FSampler->PrepareSampling();
  FOpaqueSamples = FSampler->HasOpaqueSamples();
}

void TSamplerFiller::EndRendering() {
  if (!FSampler) throw Exception(u"No sampler specified!");
  FOpaqueSamples = false;
  FSampler->FinalizeSampling();
}

TFillLineEvent TSamplerFiller::GetFillLine() { return MakeEvent(this, &TSamplerFiller::SampleLineOpaque); }

// A descendant may fill its lines its own way, so only this class fills
// runs apart.
TFillRunEvent TSamplerFiller::GetFillRun() {
  if (ClassType() != StaticClass() || !FSampler) return {};
  return MakeEvent(this, &TSamplerFiller::SampleRunOpaque);
}

// Rows alike and opaque: the first row is sampled into the bitmap and the
// others are copies of it.
bool TSamplerFiller::FillBox(TCustomBitmap32* Bitmap, const TRect& Box) {
  if (ClassType() != StaticClass() || !FSampler || !FOpaqueSamples || !FSampler->HasRowsAlike()) return false;
  const Integer Len = Box.Right - Box.Left;
  if (Len <= 0 || Box.Bottom <= Box.Top) return true;
  const PColor32 First = Bitmap->ScanLine(Box.Top) + Box.Left;
  FSampler->GetSampleSpanInt(Box.Left, Box.Top, Len, First);
  MoveLongwordRows(First, 0, First + Bitmap->Width(), static_cast<size_t>(Bitmap->Width()), Len,
                   Box.Bottom - Box.Top - 1);
  return true;
}

void TSamplerFiller::SampleRunOpaque(PColor32 Dst, Integer DstX, Integer DstY, Integer Length) {
  // Opaque samples are already what a full weight makes of them, so the
  // sampler writes them straight into the bitmap. Such a sampler reads no
  // bitmap, so none of its samples can depend on pixels written before it.
  if (FOpaqueSamples) {
    FSampler->GetSampleSpanInt(DstX, DstY, Length, Dst);
    return;
  }
  // Others are made opaque as a full weight makes them on the line path, on
  // the way from a small buffer into the bitmap: one pass over the bitmap.
  constexpr Integer kPiece = 256;
  alignas(16) TColor32 Samples[kPiece];
  for (Integer I = 0; I < Length; I += kPiece) {
    const Integer N = std::min(kPiece, Length - I);
    FSampler->GetSampleSpanInt(static_cast<Integer>(static_cast<Cardinal>(DstX) + I), DstY, N, Samples);
    Integer K = 0;
#if defined(__SSE2__)
    const __m128i Alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; K + 4 <= N; K += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst + I + K),
                       _mm_or_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(Samples + K)), Alpha));
#endif
    for (; K < N; ++K) Dst[I + K] = Samples[K] | 0xFF000000u;
  }
}

void TSamplerFiller::SampleLineOpaque(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                      PColor32 AlphaValues) {
  if (!AlphaValues) return SampleRunOpaque(Dst, DstX, DstY, Length);
  // The samples come a piece of the span at a time, so a sampler that can
  // fetch a row does so without a call per pixel.
  constexpr Integer kPiece = 256;
  TColor32 Samples[kPiece];
  for (Integer I = 0; I < Length; I += kPiece) {
    const Integer N = std::min(kPiece, Length - I);
    FSampler->GetSampleSpanInt(static_cast<Integer>(static_cast<Cardinal>(DstX) + I), DstY, N, Samples);
    WeightedRow(nullptr, BlendMemEx, Samples, Dst + I, AlphaValues + I, N, 255, true);
  }
  EMMS();
}

// ---- FillBitmap ----

void FillBitmap(TCustomBitmap32* Bitmap, TCustomPolygonFiller* Filler) {
  if (!Bitmap || !Filler || Bitmap->Empty()) return;
  const Integer W = Bitmap->Width();
  std::vector<TColor32> Weights(static_cast<size_t>(W));
  FillLongword(Weights.data(), W, 0xFF);
  Filler->BeginRendering();
  for (Integer Y = 0; Y < Bitmap->Height(); ++Y) {
    const TFillLineEvent Line = Filler->GetFillLine();
    // A filler with nothing to draw is skipped, as the renderers skip it.
    if (Assigned(Line)) Line(Bitmap->ScanLine(Y), 0, Y, W, Weights.data());
  }
  Filler->EndRendering();
}

}  // namespace qn
