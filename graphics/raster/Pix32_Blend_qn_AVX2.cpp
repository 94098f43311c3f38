// AVX2 forms of the line routines: the SSE2 forms' arithmetic on eight
// pixels at a time. Only these functions are compiled for AVX2; the registry
// binds them only where the processor and the system support it.
#include <immintrin.h>

#include <cstring>

#include "graphics/raster/Pix32_Blend_qn_Variants.h"

#define QN_AVX2 __attribute__((target("avx2")))

namespace qn::blend {

namespace {
// The pixels stay packed: the even bytes (blue, red) and the odd bytes
// (green, alpha) are worked on as two sets of 16-bit lanes, which needs
// masks and shifts only, no byte shuffles.
QN_AVX2 inline __m256i Load8(const TColor32* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
QN_AVX2 inline void Store8(TColor32* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
QN_AVX2 inline __m256i Even(__m256i v) { return _mm256_and_si256(v, _mm256_set1_epi32(0x00FF00FF)); }
QN_AVX2 inline __m256i Odd(__m256i v) { return _mm256_srli_epi16(v, 8); }
QN_AVX2 inline __m256i Join(__m256i even, __m256i odd) { return _mm256_or_si256(even, _mm256_slli_epi16(odd, 8)); }
// Each pixel's alpha in both of its 16-bit lanes.
QN_AVX2 inline __m256i AlphaPairs(__m256i v) {
  __m256i a = _mm256_srli_epi32(v, 24);
  return _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
}
// With weights pre-shifted left 7, one rounding multiply gives
// (x * a + 128) sar 8 for x in -255..255 and a in 0..255; hence
// (B * 256 + 128 + (F - B) * a) shr 8 = B + ((F - B) * a + 128) sar 8.
QN_AVX2 inline __m256i Interp16(__m256i f, __m256i b, __m256i a7) {
  return _mm256_add_epi16(b, _mm256_mulhrs_epi16(_mm256_sub_epi16(f, b), a7));
}
QN_AVX2 inline __m256i Interp(__m256i s, __m256i d, __m256i a) {
  return Join(Interp16(Even(s), Even(d), a), Interp16(Odd(s), Odd(d), a));
}
QN_AVX2 inline __m256i MulRound(__m256i x, __m256i a7) { return _mm256_mulhrs_epi16(x, a7); }
QN_AVX2 inline __m256i OverAlphaPairs(__m256i s) {
  // Each pixel's alpha into both 16-bit lanes of the pixel, in one shuffle.
  const __m256i spread = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1,  //
                                          3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
  return _mm256_shuffle_epi8(s, spread);
}
// The SSE2 over form on eight pixels. The alpha pairs come from one shuffle
// and the odd set's alpha lanes from one word blend, which leaves the shift
// ports (the busiest on processors with two of them) only the four shifts
// the even/odd split itself needs.
QN_AVX2 inline __m256i OverLean(__m256i s, __m256i d) {
  const __m256i fa = OverAlphaPairs(s), fa7 = _mm256_slli_epi16(fa, 7);
  const __m256i low = _mm256_set1_epi32(0x00FF00FF);
  const __m256i de = _mm256_and_si256(d, low), dd = _mm256_srli_epi16(d, 8);
  const __m256i re =
      _mm256_sub_epi16(_mm256_add_epi16(MulRound(_mm256_and_si256(s, low), fa7), de), MulRound(de, fa7));
  // Odd words 1, 3, 5, 7 of each half are the alpha lanes: Fa there.
  const __m256i t1 = _mm256_blend_epi16(MulRound(_mm256_srli_epi16(s, 8), fa7), fa, 0xAA);
  const __m256i ro = _mm256_min_epu16(_mm256_sub_epi16(_mm256_add_epi16(t1, dd), MulRound(dd, fa7)),
                                      _mm256_set1_epi16(255));
  return Join(re, ro);
}
// What the over form gives for eight opaque sources, without multiplies:
// with Fa = 255 a rounding multiply takes 1 off the bytes above 128
// (x * 255 + 128 shr 8 = x - [x > 128]), so each colour byte is
// F - [F > 128] + [B > 128], and alpha is 255.
QN_AVX2 inline __m256i OverOpaque(__m256i s, __m256i d) {
  const __m256i flip = _mm256_set1_epi8(static_cast<char>(0x80)), zero = _mm256_setzero_si256();
  const __m256i fs = _mm256_cmpgt_epi8(_mm256_xor_si256(s, flip), zero);  // -1 where F > 128
  const __m256i fd = _mm256_cmpgt_epi8(_mm256_xor_si256(d, flip), zero);  // -1 where B > 128
  return _mm256_or_si256(_mm256_sub_epi8(_mm256_add_epi8(s, fs), fd),
                         _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
}
}  // namespace

QN_AVX2 void BlendLine_AVX2(const TColor32* Src, PColor32 Dst, Integer Count) {
  if (Count >= 8 && Count < 256) {
    // Short rows (a layer's part of a repainted rectangle): unaligned
    // blocks, and where the count is not a multiple of eight, the last
    // eight pixels worked out from the destination as it was, stored after
    // the others. Where that block overlaps the one before it, both hold
    // the same values, since each pixel depends only on its source and its
    // old destination.
    //
    // Every block takes the full formula, which gives the opaque and the
    // clear cases their exact results too. Testing for them per block
    // saves multiplies, but along the edges of an antialiased shape, where
    // such blocks alternate with partly covered ones, the test's branch is
    // mispredicted so often that the row gets slower than without it.
    if ((Count & 7) == 0) {
      for (Integer i = 0; i < Count; i += 8) Store8(Dst + i, OverLean(Load8(Src + i), Load8(Dst + i)));
      return;
    }
    const __m256i tail = OverLean(Load8(Src + Count - 8), Load8(Dst + Count - 8));
    for (Integer i = 0; i + 8 <= Count; i += 8) Store8(Dst + i, OverLean(Load8(Src + i), Load8(Dst + i)));
    Store8(Dst + Count - 8, tail);
    return;
  }
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  // The SSE2 form (same bytes) up to a 32-byte destination boundary, so no
  // store of the loop straddles two cache lines.
  Integer i = Integer(((32 - (reinterpret_cast<uintptr_t>(Dst) & 31)) & 31) / 4);
  if (i > Count) i = Count;
  if (i > 0) BlendLine_SSE2(Src, Dst, i);
  for (; i + 8 <= Count; i += 8) {
    const __m256i s = Load8(Src + i);
    // The alphas' top bits pick the cheap cases out before the exact tests:
    // eight transparent sources leave the destination as it is, eight
    // opaque ones need no multiplies.
    const int top = _mm256_movemask_ps(_mm256_castsi256_ps(s));
    if (top == 0xFF && _mm256_testc_si256(s, alphaBits)) {
      PColor32 d = Dst + i;
      _mm256_store_si256(reinterpret_cast<__m256i*>(d),
                         OverOpaque(s, _mm256_load_si256(reinterpret_cast<const __m256i*>(d))));
      continue;
    }
    if (top == 0 && _mm256_testz_si256(s, alphaBits)) continue;
    PColor32 d = Dst + i;
    _mm256_store_si256(reinterpret_cast<__m256i*>(d),
                       OverLean(s, _mm256_load_si256(reinterpret_cast<const __m256i*>(d))));
  }
  if (i < Count) BlendLine_SSE2(Src + i, Dst + i, Count - i);
}

QN_AVX2 void BlendRowsFrom_AVX2(const TColor32* Src, size_t SrcStride, const TColor32* Back, size_t BackStride,
                                PColor32 Dst, size_t DstStride, Integer Count, Integer Rows) {
  // Every block takes the full formula, as the short rows of BlendLine do.
  // A count that is not a multiple of eight ends with the last eight pixels,
  // worked out before the others are stored, so that a background that is
  // the destination itself is still read as it was.
  if (Count < 8) {
    for (Integer y = 0; y < Rows; ++y, Src += SrcStride, Back += BackStride, Dst += DstStride)
      BlendLineFrom_SSE2(Src, Back, Dst, Count);
    return;
  }
  const Integer last = Count - 8;
  for (Integer y = 0; y < Rows; ++y, Src += SrcStride, Back += BackStride, Dst += DstStride) {
    const __m256i tail = OverLean(Load8(Src + last), Load8(Back + last));
    for (Integer i = 0; i < last; i += 8) Store8(Dst + i, OverLean(Load8(Src + i), Load8(Back + i)));
    Store8(Dst + last, tail);
  }
}

QN_AVX2 void BlendLineEx_AVX2(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M) {
  const __m256i m = _mm256_set1_epi16(static_cast<short>(Byte255(M)));
  const __m256i one = _mm256_set1_epi16(1);
  Integer i = 0;
  for (; i + 8 <= Count; i += 8) {
    __m256i s = Load8(Src + i);
    __m256i a = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_add_epi16(AlphaPairs(s), one), m), 8);
    Store8(Dst + i, Interp(s, Load8(Dst + i), _mm256_slli_epi16(a, 7)));
  }
  if (i < Count) BlendLineEx_SSE2(Src + i, Dst + i, Count - i, M);
}

QN_AVX2 void CombineLine_AVX2(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 W) {
  const Cardinal w = Byte255(W);
  if (Count <= 0 || w == 0) return;
  if (w == 255) {
    std::memmove(Dst, Src, static_cast<size_t>(Count) * 4);
    return;
  }
  const __m256i av = _mm256_set1_epi16(static_cast<short>(w << 7));
  Integer i = 0;
  for (; i + 8 <= Count; i += 8) Store8(Dst + i, Interp(Load8(Src + i), Load8(Dst + i), av));
  if (i < Count) CombineLine_SSE2(Src + i, Dst + i, Count - i, W);
}

QN_AVX2 void BlendMems_AVX2(TColor32 F, PColor32 B, Integer Count) {
  const Cardinal a = F >> 24;
  if (Count <= 0 || a == 0) return;
  if (a == 255) {
    for (Integer i = 0; i < Count; ++i) B[i] = F;
    return;
  }
  const __m256i f = _mm256_set1_epi32(static_cast<int>(F));
  const __m256i av = _mm256_set1_epi16(static_cast<short>(a << 7));
  Integer i = 0;
  for (; i + 8 <= Count; i += 8) Store8(B + i, Interp(f, Load8(B + i), av));
  if (i < Count) BlendMems_SSE2(F, B + i, Count - i);
}

namespace {
// Round(x / 255) for x up to 255 * 255, in 32-bit lanes.
QN_AVX2 inline __m256i Div255R(__m256i x) {
  x = _mm256_add_epi32(x, _mm256_set1_epi32(128));
  return _mm256_srli_epi32(_mm256_add_epi32(x, _mm256_srli_epi32(x, 8)), 8);
}
QN_AVX2 inline __m256i Chan(__m256i v, int shift) {
  return _mm256_and_si256(_mm256_srli_epi32(v, shift), _mm256_set1_epi32(0xFF));
}
}  // namespace

// The compositing merge of eight pixels, with its shortcuts. An opaque
// background takes the bound BlendReg's arithmetic, so this form knows the
// two BlendReg forms it can reproduce and leaves any other to the plain line.
QN_AVX2 void MergeLine_AVX2(const TColor32* Src, PColor32 Dst, Integer Count) {
  const bool interp = BlendReg == &BlendReg_SSE2;
  if (MergeReg != &MergeReg_Pas || (!interp && BlendReg != &BlendReg_Pas)) {
    MergeLine_Pas(Src, Dst, Count);
    return;
  }
  const __m256i zero = _mm256_setzero_si256(), c255 = _mm256_set1_epi32(255);
  const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const int* rc = reinterpret_cast<const int*>(&RcTable[0][0]);
  Integer i = 0;
  for (; i + 8 <= Count; i += 8) {
    const __m256i s = Load8(Src + i);
    if (_mm256_testz_si256(s, alphaBits)) continue;
    const __m256i d = Load8(Dst + i);
    const __m256i fa = _mm256_srli_epi32(s, 24), ba = _mm256_srli_epi32(d, 24);
    const __m256i opaqueBack = _mm256_cmpeq_epi32(ba, c255);
    // Onto an opaque background (the usual case) no lookups are needed.
    const bool allOpaque = _mm256_movemask_epi8(opaqueBack) == -1;
    const __m256i xa = _mm256_sub_epi32(_mm256_add_epi32(fa, ba), Div255R(_mm256_mullo_epi32(ba, fa)));
    const __m256i row = _mm256_slli_epi32(xa, 8);
    __m256i general = _mm256_slli_epi32(xa, 24);
    __m256i opaque = alphaBits;
    for (int sh = 0; sh < 24; sh += 8) {
      const __m256i F = Chan(s, sh), B = Chan(d, sh);
      if (!allOpaque) {
        const __m256i b = Div255R(_mm256_mullo_epi32(ba, B));
        const __m256i delta = _mm256_sub_epi32(F, b);
        const __m256i t = Div255R(_mm256_mullo_epi32(fa, _mm256_abs_epi32(delta)));
        const __m256i v = _mm256_add_epi32(b, _mm256_sign_epi32(t, delta));
        __m256i g = _mm256_i32gather_epi32(rc, _mm256_add_epi32(row, v), 1);
        general = _mm256_or_si256(general, _mm256_slli_epi32(_mm256_and_si256(g, c255), sh));
      }
      __m256i o;
      if (interp) {
        o = _mm256_add_epi32(B, _mm256_srai_epi32(
                                    _mm256_add_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(F, B), fa),
                                                     _mm256_set1_epi32(128)),
                                    8));
      } else {
        o = _mm256_add_epi32(Div255R(_mm256_mullo_epi32(fa, F)),
                             Div255R(_mm256_mullo_epi32(_mm256_sub_epi32(c255, fa), B)));
      }
      opaque = _mm256_or_si256(opaque, _mm256_slli_epi32(o, sh));
    }
    // The plain BlendReg hands back an opaque source whole.
    if (!interp) opaque = _mm256_blendv_epi8(opaque, s, _mm256_cmpeq_epi32(fa, c255));
    __m256i r = general;
    r = _mm256_blendv_epi8(r, s, _mm256_or_si256(_mm256_cmpeq_epi32(fa, c255), _mm256_cmpeq_epi32(ba, zero)));
    r = _mm256_blendv_epi8(r, opaque, opaqueBack);
    r = _mm256_blendv_epi8(r, d, _mm256_cmpeq_epi32(fa, zero));
    Store8(Dst + i, r);
  }
  if (i < Count) MergeLine_Pas(Src + i, Dst + i, Count - i);
}

}  // namespace qn::blend
