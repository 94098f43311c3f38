#include "graphics/raster/Pix32_LowLevel_qn.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "graphics/raster/Pix32_Bindings_qn.h"

namespace qn {

void FillLongword_Pas(void* X, Cardinal Count, Cardinal Value) {
  // Word stores through memcpy: the block need not be 4-byte aligned.
  auto* p = static_cast<Byte*>(X);
  for (Cardinal i = Count; i > 0; --i) std::memcpy(p + (i - 1) * 4, &Value, 4);
}

namespace {
// The string-store part: a forward run of 32-bit stores.
inline void StoreRun(void* p, Cardinal n, Cardinal v) {
  auto* b = static_cast<Byte*>(p);
  for (Cardinal i = 0; i < n; ++i) std::memcpy(b + i * 4, &v, 4);
}
}  // namespace

void FillLongword_SSE2(void* X, Cardinal Count, Cardinal Value) {
  auto* p = static_cast<Cardinal*>(X);
  if (Count < 32 || (reinterpret_cast<uintptr_t>(p) & 3) != 0) {
    StoreRun(p, Count, Value);
    return;
  }
  while (reinterpret_cast<uintptr_t>(p) & 15) {
    *p++ = Value;
    --Count;
  }
  const __m128i v = _mm_set1_epi32(static_cast<int>(Value));
  for (; Count >= 16; Count -= 16, p += 16) {
    _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 4), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 8), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 12), v);
  }
  for (; Count >= 4; Count -= 4, p += 4) _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
  StoreRun(p, Count, Value);
}

TFillLongwordProc* FillLongword = nullptr;
TFunctionRegistry* LowLevelRegistry = nullptr;

void FillWord(void* X, Cardinal Count, Cardinal Value) {
  auto* p = static_cast<Word*>(X);
  for (Cardinal i = Count; i > 0; --i) p[i - 1] = static_cast<Word>(Value);
}

namespace {

// N >= 256 bytes between blocks that do not overlap, 32 bytes a move; the
// stores are aligned to 32 bytes (a store across two cache lines costs
// two), and the first and last 32 bytes are unaligned moves that overlap
// the others, which writes some bytes twice with the same values.
__attribute__((target("avx2"))) void MoveBlock32(const char* S, char* D, size_t N) {
  const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S));
  const __m256i last = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S + N - 32));
  const size_t head = (32 - (reinterpret_cast<uintptr_t>(D) & 31)) & 31;
  size_t i = head;
  for (; i + 128 <= N; i += 128) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S + i + 32));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S + i + 64));
    const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S + i + 96));
    _mm256_store_si256(reinterpret_cast<__m256i*>(D + i), a);
    _mm256_store_si256(reinterpret_cast<__m256i*>(D + i + 32), b);
    _mm256_store_si256(reinterpret_cast<__m256i*>(D + i + 64), c);
    _mm256_store_si256(reinterpret_cast<__m256i*>(D + i + 96), e);
  }
  for (; i + 32 <= N; i += 32)
    _mm256_store_si256(reinterpret_cast<__m256i*>(D + i),
                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S + i)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(D), first);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(D + N - 32), last);
}

// Where the processor has 32-byte moves they take the rows: about a fifth
// faster on the short rows of a partial repaint.
bool WideMoves() {
  static const bool wide = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return wide;
}

}  // namespace

void MoveLongwordRows(const void* Source, size_t SourceStride, void* Dest, size_t DestStride, Integer Count,
                      Integer Rows) {
  if (Count <= 0 || Rows <= 0) return;
  const size_t n = static_cast<size_t>(Count) * 4;
  const auto* s = static_cast<const char*>(Source);
  auto* d = static_cast<char*>(Dest);
  // The way to move is chosen once for all rows: a partial repaint moves
  // many short rows, where choosing again for each costs a good part of
  // the move.
  if (n >= 256 && WideMoves()) {
    for (Integer y = 0; y < Rows; ++y, s += SourceStride * 4, d += DestStride * 4) MoveBlock32(s, d, n);
    return;
  }
  // Narrow rows (the edges of a repainted rectangle beside a layer) cost
  // more in the call of a general move than in the move: they are moved
  // here, the last 16 bytes of a row overlapping the block before them.
  if (n < 16) {
    for (Integer y = 0; y < Rows; ++y, s += SourceStride * 4, d += DestStride * 4)
      for (size_t i = 0; i < n; i += 4) std::memcpy(d + i, s + i, 4);
    return;
  }
  if (n <= 64) {
    for (Integer y = 0; y < Rows; ++y, s += SourceStride * 4, d += DestStride * 4) {
      const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16));
      for (size_t i = 0; i + 16 < n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16), last);
    }
    return;
  }
  for (Integer y = 0; y < Rows; ++y, s += SourceStride * 4, d += DestStride * 4) MoveLongword(s, d, Count);
}

void MoveLongword(const void* Source, void* Dest, Integer Count) {
  if (Source == Dest || Count <= 0) return;
  const size_t n = static_cast<size_t>(Count) * 4;
  const auto* s = static_cast<const char*>(Source);
  auto* d = static_cast<char*>(Dest);
  const auto si = reinterpret_cast<uintptr_t>(s), di = reinterpret_cast<uintptr_t>(d);
  // Bitmap rows are a few kilobytes, where the C library's copy turns to
  // string moves that run at about half the speed of plain vector moves
  // on rows already in the cache. Overlapping blocks keep memmove.
  if (n < 256 || (di < si + n && si < di + n)) {
    std::memmove(Dest, Source, n);
    return;
  }
  if (WideMoves()) {
    MoveBlock32(s, d, n);
    return;
  }
  size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 16), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 32), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 48), e);
  }
  // The last 64 bytes once more: the blocks do not overlap, so writing
  // some of them twice does no harm and costs less than a call.
  if (i < n) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 64));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 48));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 32));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 64), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 48), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 32), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16), e);
  }
}

void MoveWord(const void* Source, void* Dest, Integer Count) {
  if (Source == Dest || Count <= 0) return;
  std::memmove(Dest, Source, static_cast<size_t>(Count) * 2);
}

bool TestClip(Integer& A, Integer& B, Integer Size) {
  TestSwap(A, B);
  if (A < 0) A = 0;
  if (B >= Size) B = Size - 1;
  return B >= A;
}

bool TestClip(Integer& A, Integer& B, Integer Start, Integer Stop) {
  TestSwap(A, B);
  if (A < Start) A = Start;
  if (B >= Stop) B = Stop - 1;
  return B >= A;
}

Integer SwapConstrain(Integer Value, Integer Constrain1, Integer Constrain2) {
  TestSwap(Constrain1, Constrain2);
  return Constrain(Value, Constrain1, Constrain2);
}

Integer Wrap(Integer Value, Integer Max) {
  if (Value >= 0) return Value % (Max + 1);
  return ((Value - Max) % (Max + 1)) + Max;
}

Integer Wrap(Integer Value, Integer Min, Integer Max) {
  const Integer n = Max - Min + 1;
  if (Value >= Min) return ((Value - Min) % n) + Min;
  return ((Value - Max) % n) + Max;
}

Single Wrap(Single Value, Single Max) {
  while (Value >= Max) Value -= Max;
  while (Value < 0) Value += Max;
  return Value;
}

Integer Mirror(Integer Value, Integer Max) {
  const Integer n = Max + 1;
  Integer q, r;
  if (Value < 0) {
    q = (Value - Max) / n;
    r = (Value - Max) % n + Max;
  } else {
    q = Value / n;
    r = Value % n;
  }
  return (q & 1) ? Max - r : r;
}

Integer Mirror(Integer Value, Integer Min, Integer Max) {
  const Integer n = Max - Min + 1;
  Integer q, r;
  if (Value < Min) {
    q = (Value - Max) / n;
    r = (Value - Max) % n + Max;
  } else {
    q = (Value - Min) / n;
    r = (Value - Min) % n + Min;
  }
  return (q & 1) ? Min + Max - r : r;
}

Integer ClampProc(Integer Value, Integer Max) { return Clamp(Value, Max); }
Integer WrapProc(Integer Value, Integer Max) { return Wrap(Value, Max); }
Integer MirrorProc(Integer Value, Integer Max) { return Mirror(Value, Max); }
Integer WrapPow2Proc(Integer Value, Integer Max) { return WrapPow2(Value, Max); }
Integer MirrorPow2Proc(Integer Value, Integer Max) { return MirrorPow2(Value, Max); }
Integer ClampProcEx(Integer Value, Integer Min, Integer Max) { return Clamp(Value, Min, Max); }
Integer WrapProcEx(Integer Value, Integer Min, Integer Max) { return Wrap(Value, Min, Max); }
Integer MirrorProcEx(Integer Value, Integer Min, Integer Max) { return Mirror(Value, Min, Max); }
Integer WrapPow2ProcEx(Integer Value, Integer Min, Integer Max) { return WrapPow2(Value, Min, Max); }
Integer MirrorPow2ProcEx(Integer Value, Integer Min, Integer Max) { return MirrorPow2(Value, Min, Max); }

const TWrapProc WRAP_PROCS[3] = {ClampProc, WrapProc, MirrorProc};
const TWrapProcEx WRAP_PROCS_EX[3] = {ClampProcEx, WrapProcEx, MirrorProcEx};

namespace {
bool Pow2Range(Integer Max) { return Max >= 0 && ((Max + 1) & Max) == 0; }
bool Pow2Range(Integer Min, Integer Max) {
  if (Min < 0 || Max < Min) return false;
  Integer d = Max - Min;
  return ((d + 1) & d) == 0;
}
}  // namespace

TWrapProc GetOptimalWrap(Integer Max) { return Pow2Range(Max) ? WrapPow2Proc : WrapProc; }
TWrapProcEx GetOptimalWrap(Integer Min, Integer Max) { return Pow2Range(Min, Max) ? WrapPow2ProcEx : WrapProcEx; }
TWrapProc GetOptimalMirror(Integer Max) { return Pow2Range(Max) ? MirrorPow2Proc : MirrorProc; }
TWrapProcEx GetOptimalMirror(Integer Min, Integer Max) {
  return Pow2Range(Min, Max) ? MirrorPow2ProcEx : MirrorProcEx;
}

TWrapProc GetWrapProc(TWrapMode WrapMode) {
  switch (WrapMode) {
    case TWrapMode::wmRepeat: return WrapProc;
    case TWrapMode::wmMirror: return MirrorProc;
    default: return ClampProc;
  }
}

TWrapProc GetWrapProc(TWrapMode WrapMode, Integer Max) {
  switch (WrapMode) {
    case TWrapMode::wmRepeat: return GetOptimalWrap(Max);
    case TWrapMode::wmMirror: return GetOptimalMirror(Max);
    default: return ClampProc;
  }
}

TWrapProcEx GetWrapProcEx(TWrapMode WrapMode) {
  switch (WrapMode) {
    case TWrapMode::wmRepeat: return WrapProcEx;
    case TWrapMode::wmMirror: return MirrorProcEx;
    default: return ClampProcEx;
  }
}

TWrapProcEx GetWrapProcEx(TWrapMode WrapMode, Integer Min, Integer Max) {
  switch (WrapMode) {
    case TWrapMode::wmRepeat: return GetOptimalWrap(Min, Max);
    case TWrapMode::wmMirror: return GetOptimalMirror(Min, Max);
    default: return ClampProcEx;
  }
}

void InitPix32LowLevel() {
  LowLevelRegistry = NewRegistry(u"Pix32_LowLevel_qn bindings");
  LowLevelRegistry->RegisterBinding(0, &FillLongword, "FillLongword");
  LowLevelRegistry->Add(0, &FillLongword_Pas, {}, 0, "plain");
  LowLevelRegistry->Add(0, &FillLongword_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  LowLevelRegistry->RebindAll();
}

}  // namespace qn
