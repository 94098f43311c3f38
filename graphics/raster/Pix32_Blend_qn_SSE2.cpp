// SSE2 forms. They share the interpolation form on all four channels,
//   c = (B.c * 256 + 128 + (F.c - B.c) * a) shr 8,
// whose true value always fits 16 unsigned bits, so wrapping 16-bit lanes
// compute it exactly. BlendLine uses the over form instead.
#include <emmintrin.h>

#include <cstring>

#include "graphics/raster/Pix32_Blend_qn_Variants.h"

namespace qn::blend {

namespace {
inline __m128i Zero() { return _mm_setzero_si128(); }
inline __m128i Unpack(TColor32 c) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(c)), Zero()); }
inline TColor32 Pack(__m128i v) { return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))); }
inline __m128i Interp16(__m128i f, __m128i b, __m128i a) {
  __m128i d = _mm_mullo_epi16(_mm_sub_epi16(f, b), a);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(b, 8), d), _mm_set1_epi16(128)), 8);
}
inline TColor32 Interp(TColor32 F, TColor32 B, Cardinal a) {
  return Pack(Interp16(Unpack(F), Unpack(B), _mm_set1_epi16(static_cast<short>(a))));
}
// Each pixel's alpha word copied to its four lanes.
inline __m128i AlphaLanes(__m128i px16) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(px16, 0xFF), 0xFF); }
inline __m128i Load4(const TColor32* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store4(TColor32* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Over form on two pixels in 16-bit lanes.
inline __m128i Over16(__m128i f, __m128i b) {
  const __m128i bias = _mm_set1_epi16(128);
  const __m128i amask = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  __m128i fa = AlphaLanes(f);
  __m128i t1 = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(f, fa), bias), 8);
  t1 = _mm_or_si128(_mm_andnot_si128(amask, t1), _mm_and_si128(amask, fa));
  __m128i t2 = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(b, fa), bias), 8);
  return _mm_sub_epi16(_mm_add_epi16(t1, b), t2);
}

// Interpolation of two pixels with the weight ((Fa + 1) * M) shr 8 per pixel.
inline __m128i InterpEx16(__m128i f, __m128i b, __m128i m) {
  __m128i a = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(AlphaLanes(f), _mm_set1_epi16(1)), m), 8);
  return Interp16(f, b, a);
}

// Four packed pixels as two sets of 16-bit lanes: the even bytes (blue, red)
// and the odd bytes (green, alpha). Masks and shifts only, no byte shuffles.
inline __m128i Even(__m128i v) { return _mm_and_si128(v, _mm_set1_epi32(0x00FF00FF)); }
inline __m128i Odd(__m128i v) { return _mm_srli_epi16(v, 8); }
inline __m128i Join(__m128i even, __m128i odd) { return _mm_or_si128(even, _mm_slli_epi16(odd, 8)); }
inline __m128i AlphaPairs(__m128i v) {
  __m128i a = _mm_srli_epi32(v, 24);
  return _mm_or_si128(a, _mm_slli_epi32(a, 16));
}
inline __m128i MulRound(__m128i x, __m128i a) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(x, a), _mm_set1_epi16(128)), 8);
}
inline __m128i Interp4(__m128i s, __m128i d, __m128i a) {
  return Join(Interp16(Even(s), Even(d), a), Interp16(Odd(s), Odd(d), a));
}
inline __m128i Over4(__m128i s, __m128i d) {
  const __m128i fa = AlphaPairs(s);
  const __m128i de = Even(d), dd = Odd(d);
  __m128i re = _mm_sub_epi16(_mm_add_epi16(MulRound(Even(s), fa), de), MulRound(de, fa));
  const __m128i alphaLane = _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
  __m128i t1 = _mm_or_si128(_mm_andnot_si128(alphaLane, MulRound(Odd(s), fa)), _mm_and_si128(alphaLane, fa));
  __m128i ro = _mm_min_epi16(_mm_sub_epi16(_mm_add_epi16(t1, dd), MulRound(dd, fa)), _mm_set1_epi16(255));
  return Join(re, ro);
}
}  // namespace

void EMMS_SSE2() {}

TColor32 BlendReg_SSE2(TColor32 F, TColor32 B) { return Interp(F, B, F >> 24); }

void BlendMem_SSE2(TColor32 F, TColor32& B) {
  const Cardinal a = F >> 24;
  if (a == 0) return;
  if (a == 255) {
    B = F;
    return;
  }
  B = Interp(F, B, a);
}

void BlendMems_SSE2(TColor32 F, PColor32 B, Integer Count) {
  const Cardinal a = F >> 24;
  if (Count <= 0 || a == 0) return;
  if (a == 255) {
    for (Integer i = 0; i < Count; ++i) B[i] = F;
    return;
  }
  const __m128i f = Unpack(F), f4 = _mm_set1_epi32(static_cast<int>(F)), av = _mm_set1_epi16(static_cast<short>(a));
  Integer i = 0;
  for (; i + 4 <= Count; i += 4) {
    Store4(B + i, Interp4(f4, Load4(B + i), av));
  }
  for (; i < Count; ++i) B[i] = Pack(Interp16(f, Unpack(B[i]), av));
}

TColor32 BlendRegEx_SSE2(TColor32 F, TColor32 B, TColor32 M) {
  const Cardinal fa = F >> 24;
  const Cardinal a = ((Byte255(M) + 1) * fa) >> 8;
  if (fa == 0 || a == 0) return B;
  return Interp(F, B, a);
}

void BlendMemEx_SSE2(TColor32 F, TColor32& B, TColor32 M) { B = BlendRegEx_SSE2(F, B, M); }

void BlendLine_SSE2(const TColor32* Src, PColor32 Dst, Integer Count) {
  Integer i = 0;
  for (; i + 4 <= Count; i += 4) {
    Store4(Dst + i, Over4(Load4(Src + i), Load4(Dst + i)));
  }
  for (; i < Count; ++i) Dst[i] = Pack(Over16(Unpack(Src[i]), Unpack(Dst[i])));
}

void BlendLineFrom_SSE2(const TColor32* Src, const TColor32* Back, PColor32 Dst, Integer Count) {
  Integer i = 0;
  for (; i + 4 <= Count; i += 4) Store4(Dst + i, Over4(Load4(Src + i), Load4(Back + i)));
  for (; i < Count; ++i) Dst[i] = Pack(Over16(Unpack(Src[i]), Unpack(Back[i])));
}

void BlendLineEx_SSE2(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 M) {
  // A zero source alpha or a zero weight leaves the pixel as the
  // interpolation would, so the vector loop needs no skips.
  const __m128i m = _mm_set1_epi16(static_cast<short>(Byte255(M)));
  Integer i = 0;
  for (; i + 4 <= Count; i += 4) {
    __m128i s = Load4(Src + i);
    __m128i a = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(AlphaPairs(s), _mm_set1_epi16(1)), m), 8);
    Store4(Dst + i, Interp4(s, Load4(Dst + i), a));
  }
  for (; i < Count; ++i) Dst[i] = Pack(InterpEx16(Unpack(Src[i]), Unpack(Dst[i]), m));
}

TColor32 CombineReg_SSE2(TColor32 X, TColor32 Y, TColor32 W) { return Interp(X, Y, Byte255(W)); }

void CombineMem_SSE2(TColor32 X, TColor32& Y, TColor32 W) {
  W = Byte255(W);
  if (W == 0) return;
  if (W == 255) {
    Y = X;
    return;
  }
  Y = Interp(X, Y, W);
}

void CombineLine_SSE2(const TColor32* Src, PColor32 Dst, Integer Count, TColor32 W) {
  W = Byte255(W);
  if (Count <= 0 || W == 0) return;
  if (W == 255) {
    std::memmove(Dst, Src, static_cast<size_t>(Count) * 4);
    return;
  }
  const __m128i av = _mm_set1_epi16(static_cast<short>(W));
  Integer i = 0;
  for (; i + 4 <= Count; i += 4) {
    Store4(Dst + i, Interp4(Load4(Src + i), Load4(Dst + i), av));
  }
  for (; i < Count; ++i) Dst[i] = Pack(Interp16(Unpack(Src[i]), Unpack(Dst[i]), av));
}

namespace {
inline __m128i V(TColor32 c) { return _mm_cvtsi32_si128(static_cast<int>(c)); }
inline TColor32 R(__m128i v) { return static_cast<TColor32>(_mm_cvtsi128_si32(v)); }
}  // namespace

TColor32 ColorMax_SSE2(TColor32 C1, TColor32 C2) { return R(_mm_max_epu8(V(C1), V(C2))); }
TColor32 ColorMin_SSE2(TColor32 C1, TColor32 C2) { return R(_mm_min_epu8(V(C1), V(C2))); }
TColor32 ColorAdd_SSE2(TColor32 C1, TColor32 C2) { return R(_mm_adds_epu8(V(C1), V(C2))); }
TColor32 ColorSub_SSE2(TColor32 C1, TColor32 C2) { return R(_mm_subs_epu8(V(C1), V(C2))); }
TColor32 ColorModulate_SSE2(TColor32 C1, TColor32 C2) {
  return Pack(_mm_srli_epi16(_mm_mullo_epi16(Unpack(C1), Unpack(C2)), 8));
}
TColor32 ColorDifference_SSE2(TColor32 C1, TColor32 C2) {
  __m128i a = V(C1), b = V(C2);
  return R(_mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)));
}
TColor32 ColorExclusion_SSE2(TColor32 C1, TColor32 C2) {
  __m128i a = Unpack(C1), b = Unpack(C2);
  __m128i p = _mm_srli_epi16(_mm_mullo_epi16(a, b), 7);
  return Pack(_mm_max_epi16(_mm_sub_epi16(_mm_add_epi16(a, b), p), Zero()));
}
TColor32 ColorScale_SSE2(TColor32 C, Cardinal W) {
  // Factors beyond a byte saturate; the plain rule covers them.
  if (W > 255) return ColorScale_Pas(C, W);
  return Pack(_mm_srli_epi16(_mm_mullo_epi16(Unpack(C), _mm_set1_epi16(static_cast<short>(W))), 8));
}

TColor32 LightenReg_SSE2(TColor32 C, Integer Amount) {
  if (Amount > 255) Amount = 255;
  if (Amount < -255) Amount = -255;
  const Cardinal amt = Cardinal(Amount < 0 ? -Amount : Amount) * 0x00010101u;
  return Amount >= 0 ? R(_mm_adds_epu8(V(C), V(amt))) : R(_mm_subs_epu8(V(C), V(amt)));
}

// Interpolation with per-channel weights: red by byte 0 of W, green byte 1,
// blue byte 2 (the plain mapping); the alpha weight is 0, so B's alpha stays.
TColor32 BlendRegRGB_SSE2(TColor32 F, TColor32 B, TColor32 W) {
  const __m128i w = _mm_set_epi16(0, 0, 0, 0, 0, static_cast<short>(W & 0xFF), static_cast<short>((W >> 8) & 0xFF),
                                  static_cast<short>((W >> 16) & 0xFF));
  return Pack(Interp16(Unpack(F), Unpack(B), w));
}

void BlendMemRGB_SSE2(TColor32 F, TColor32& B, TColor32 W) { B = BlendRegRGB_SSE2(F, B, W); }

}  // namespace qn::blend
