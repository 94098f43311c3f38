#include "platform/gdi/GdiRows.h"

#include <immintrin.h>

#include <atomic>
#include <cstring>

#define QN_GDI_AVX2 __attribute__((target("avx2")))

namespace vcl::gdi {

namespace {

std::atomic<bool> gGeneral{false};

// p / 255 rounded, for products p of two bytes in two 16-bit lanes: with
// t = p + 128, (t + (t >> 8)) >> 8, which is also (t * 257) >> 16, the form
// the vector loop uses.
inline uint32_t Div255Pairs(uint32_t x) {
  x += 0x00800080u;
  return ((x + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}
inline uint32_t AddSatPairs(uint32_t a, uint32_t b) {
  uint32_t sum = a + b;
  return (sum | (((sum >> 8) & 0x00010001u) * 0xFF)) & 0x00FF00FFu;
}
inline uint32_t Over1(uint32_t s, uint32_t d) {
  if (s == 0) return d;
  const uint32_t ia = 255 - (s >> 24);
  if (ia == 0) return s;
  const uint32_t rb = Div255Pairs((d & 0x00FF00FFu) * ia), ag = Div255Pairs(((d >> 8) & 0x00FF00FFu) * ia);
  return AddSatPairs(s & 0x00FF00FFu, rb) | (AddSatPairs((s >> 8) & 0x00FF00FFu, ag) << 8);
}

// ---------------------------------------------------------------------------
// Plain forms (every x86-64 processor has SSE2; the compiler vectorizes these
// where it can).

void FillRowPlain(uint32_t* d, size_t n, uint32_t v) {
  for (size_t i = 0; i < n; ++i) d[i] = v;
}

void OverRowPlain(const uint32_t* s, uint32_t* d, size_t n) {
  for (size_t i = 0; i < n; ++i) d[i] = Over1(s[i], d[i]);
}

void CopyRowPlain(const uint32_t* s, uint32_t* d, size_t n) { std::memcpy(d, s, n * 4); }

void NearestRowPlain(const uint32_t* s, const int* cols, uint32_t* d, size_t n) {
  for (size_t i = 0; i < n; ++i) d[i] = s[cols[i]];
}

// ---------------------------------------------------------------------------
// 32-byte forms.

QN_GDI_AVX2 void FillRowAVX2(uint32_t* d, size_t n, uint32_t v) {
  // Aligned stores: a store that straddles two cache lines costs two.
  while (n > 0 && (reinterpret_cast<uintptr_t>(d) & 31) != 0) {
    *d++ = v;
    --n;
  }
  const __m256i x = _mm256_set1_epi32(static_cast<int>(v));
  for (; n >= 32; n -= 32, d += 32) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(d), x);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 8), x);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 16), x);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 24), x);
  }
  for (; n >= 8; n -= 8, d += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(d), x);
  while (n-- > 0) *d++ = v;
}

QN_GDI_AVX2 inline __attribute__((always_inline)) void CopyRowBodyAVX2(const uint32_t* s, uint32_t* d, size_t n) {
  // Source and target never overlap. Repainted rectangles make many short
  // rows, so their ends are single unaligned stores that overlap the
  // aligned ones instead of pixel loops.
  if (n < 16 || (reinterpret_cast<uintptr_t>(d) & 3) != 0) {
    if (n >= 16) {
      for (; n >= 8; n -= 8, d += 8, s += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)));
    }
    if (n >= 8) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + n - 8));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), a);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + n - 8), b);
    } else if (n >= 4) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), a);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 4), b);
    } else {
      while (n-- > 0) *d++ = *s++;
    }
    return;
  }
  const __m256i last = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + n - 8));
  uint32_t* const end = d + n;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)));
  const size_t head = ((32 - (reinterpret_cast<uintptr_t>(d) & 31)) & 31) / 4;
  d += head;
  s += head;
  n -= head;
  for (; n >= 32; n -= 32, d += 32, s += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 8));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 16));
    const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 24));
    _mm256_store_si256(reinterpret_cast<__m256i*>(d), a);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 8), b);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 16), c);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 24), e);
  }
  for (; n >= 8; n -= 8, d += 8, s += 8)
    _mm256_store_si256(reinterpret_cast<__m256i*>(d), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 8), last);
}

QN_GDI_AVX2 void CopyRowAVX2(const uint32_t* s, uint32_t* d, size_t n) { CopyRowBodyAVX2(s, d, n); }

QN_GDI_AVX2 void CopyRowsAVX2(const uint32_t* s, ptrdiff_t sStride, uint32_t* d, ptrdiff_t dStride, size_t n,
                              size_t rows) {
  for (; rows > 0; --rows) {
    CopyRowBodyAVX2(s, d, n);
    s = reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(s) + sStride);
    d = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(d) + dStride);
  }
}

void CopyRowsPlain(const uint32_t* s, ptrdiff_t sStride, uint32_t* d, ptrdiff_t dStride, size_t n, size_t rows) {
  for (; rows > 0; --rows) {
    std::memcpy(d, s, n * 4);
    s = reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(s) + sStride);
    d = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(d) + dStride);
  }
}

QN_GDI_AVX2 void OverRowAVX2(const uint32_t* s, uint32_t* d, size_t n) {
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i ones = _mm256_set1_epi32(-1);
  const __m256i low = _mm256_set1_epi32(0x00FF00FF);
  const __m256i bias = _mm256_set1_epi16(0x80), m257 = _mm256_set1_epi16(0x0101);
  // Each pixel's inverse alpha into both 16-bit lanes of the pixel.
  const __m256i spread = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1,  //
                                          3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    // All eight zero: the destination stays; all eight opaque: the source.
    if (_mm256_testz_si256(sv, sv)) continue;
    if (_mm256_testc_si256(sv, alpha)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), sv);
      continue;
    }
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i ia = _mm256_shuffle_epi8(_mm256_xor_si256(sv, ones), spread);
    __m256i e = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(dv, low), ia), bias);
    __m256i o = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(dv, 8), ia), bias);
    e = _mm256_mulhi_epu16(e, m257);
    o = _mm256_mulhi_epu16(o, m257);
    const __m256i r = _mm256_or_si256(e, _mm256_slli_epi16(o, 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_adds_epu8(sv, r));
  }
  for (; i < n; ++i) d[i] = Over1(s[i], d[i]);
}

QN_GDI_AVX2 void NearestRowAVX2(const uint32_t* s, const int* cols, uint32_t* d, size_t n) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cols + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                        _mm256_i32gather_epi32(reinterpret_cast<const int*>(s), idx, 4));
  }
  for (; i < n; ++i) d[i] = s[cols[i]];
}

struct TRowForms {
  void (*Fill)(uint32_t*, size_t, uint32_t);
  void (*Copy)(const uint32_t*, uint32_t*, size_t);
  // A repainted rectangle makes many short rows, where a call per row costs
  // a good part of the copy: the rows are looped over inside.
  void (*CopyRows)(const uint32_t*, ptrdiff_t, uint32_t*, ptrdiff_t, size_t, size_t);
  void (*Over)(const uint32_t*, uint32_t*, size_t);
  void (*Nearest)(const uint32_t*, const int*, uint32_t*, size_t);
};

TRowForms PickForms() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return {FillRowAVX2, CopyRowAVX2, CopyRowsAVX2, OverRowAVX2, NearestRowAVX2};
  return {FillRowPlain, CopyRowPlain, CopyRowsPlain, OverRowPlain, NearestRowPlain};
}

const TRowForms& Forms() {
  static const TRowForms forms = PickForms();
  return forms;
}

}  // namespace

void FillRow(uint32_t* d, size_t n, uint32_t v) { Forms().Fill(d, n, v); }
void CopyRow(const uint32_t* s, uint32_t* d, size_t n) { Forms().Copy(s, d, n); }
void CopyRows(const uint32_t* s, ptrdiff_t sStride, uint32_t* d, ptrdiff_t dStride, size_t n, size_t rows) {
  Forms().CopyRows(s, sStride, d, dStride, n, rows);
}
void OverRow(const uint32_t* s, uint32_t* d, size_t n) { Forms().Over(s, d, n); }
void NearestRow(const uint32_t* s, const int* cols, uint32_t* d, size_t n) { Forms().Nearest(s, cols, d, n); }

void GdiForceGeneralTransfers(bool on) { gGeneral.store(on, std::memory_order_relaxed); }
bool GdiGeneralTransfers() { return gGeneral.load(std::memory_order_relaxed); }

}  // namespace vcl::gdi
