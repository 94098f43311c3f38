#include "graphics/raster/Pix32_Math_qn.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "graphics/raster/Pix32_Bindings_qn.h"

namespace qn {

TFixed FixedSqrtLP(TFixed Value) {
  Integer root = 0, rem = Value;
  Cardinal bit = 0x40000000u;
  for (int i = 0; i < 16; ++i) {
    Integer t = rem - static_cast<Integer>(bit) - root;
    if (t >= 0) {
      rem = t;
      root = static_cast<Integer>(static_cast<Cardinal>(root) >> 1 | bit);
    } else {
      root = static_cast<Integer>(static_cast<Cardinal>(root) >> 1);
    }
    bit >>= 2;
  }
  return static_cast<TFixed>(static_cast<Cardinal>(root) << 8);
}

TFixed FixedSqrtHP(TFixed Value) {
  Cardinal root = 0, rem = static_cast<Cardinal>(Value), bit = 0x40000000u;
  auto step = [&] {
    if (rem >= bit + root) {
      rem -= bit + root;
      root = (root >> 1) | bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  };
  for (int i = 0; i < 16; ++i) step();
  // The next eight steps continue on Value shl 16; the remainder keeps only
  // 32 bits, so roots of values from 16384.0 up lose precision.
  root <<= 16;
  rem <<= 16;
  bit = 0x4000;
  for (int i = 0; i < 8; ++i) step();
  return static_cast<TFixed>(root);
}

void SinCos(Single Theta, Single& Sin, Single& Cos) {
  long double s, c;
  ::sincosl(Theta, &s, &c);
  Sin = static_cast<Single>(s);
  Cos = static_cast<Single>(c);
}

void SinCos(Single Theta, Single Radius, Single& Sin, Single& Cos) {
  long double s, c;
  ::sincosl(Theta, &s, &c);
  Sin = static_cast<Single>(s * Radius);
  Cos = static_cast<Single>(c * Radius);
}

void SinCos(Single Theta, Single ScaleX, Single ScaleY, Single& Sin, Single& Cos) {
  long double s, c;
  ::sincosl(Theta, &s, &c);
  Sin = static_cast<Single>(s * ScaleY);
  Cos = static_cast<Single>(c * ScaleX);
}

Single Hypot(Single X, Single Y) { return std::sqrt(X * X + Y * Y); }

Integer Hypot(Integer X, Integer Y) {
  Extended x = X, y = Y;
  return static_cast<Integer>(Round(std::sqrt(x * x + y * y)));
}

namespace {
Cardinal Bits(Single v) {
  Cardinal b;
  std::memcpy(&b, &v, 4);
  return b;
}
Single FromBits(Cardinal b) {
  Single v;
  std::memcpy(&v, &b, 4);
  return v;
}
}  // namespace

Single FastSqrt(Single Value) {
  Integer i = static_cast<Integer>(Bits(Value));
  i = ((i - 0x3F800000) >> 1) + 0x3F800000;
  return FromBits(static_cast<Cardinal>(i));
}

Single FastSqrtBab1(Single Value) {
  Single y = FastSqrt(Value);
  return 0.5f * (Value / y + y);
}

Single FastSqrtBab2(Single Value) { return FastSqrtBab1(Value); }

Single FastInvSqrt(Single Value) {
  Single y = FromBits((0xBE6EB50Cu - Bits(Value)) >> 1);
  return (3.0f - Value * y * y) * (0.5f * y);
}

Integer MulDiv(Integer Multiplicand, Integer Multiplier, Integer Divisor) {
  const bool negative = ((Multiplicand ^ Multiplier ^ Divisor) < 0);
  auto absU = [](Integer v) { return v < 0 ? 0u - static_cast<Cardinal>(v) : static_cast<Cardinal>(v); };
  const UInt64 p = UInt64(absU(Multiplicand)) * absU(Multiplier);
  const Cardinal d = absU(Divisor);
  if (static_cast<Cardinal>(2u * static_cast<Cardinal>(p >> 32)) >= d) return -1;
  UInt64 q = p / d;
  const UInt64 r = p % d;
  if (d - r <= r) ++q;
  const Cardinal q32 = static_cast<Cardinal>(q);
  return static_cast<Integer>(negative ? 0u - q32 : q32);
}

Integer PrevPowerOf2(Integer Value) {
  if (Value == 0) return 0;
  return static_cast<Integer>(1u << (31 - __builtin_clz(static_cast<Cardinal>(Value))));
}

Integer NextPowerOf2(Integer Value) {
  if (Value <= 1) return 1;
  return static_cast<Integer>(2u << (31 - __builtin_clz(static_cast<Cardinal>(Value - 1))));
}

Double FloatMod(Double x, Double y) {
  if (y == 0) return x;
  return x - Floor(x / y) * y;
}

Integer DivMod(Integer Dividend, Integer Divisor, Integer& Remainder) {
  Remainder = Dividend % Divisor;
  return Dividend / Divisor;
}

void CumSum_Pas(PSingleArray Values, Integer Count) {
  if (Count < 2) return;
  Single s = Values[0];
  for (Integer i = 1; i < Count; ++i) {
    // A +0.0 leaves the sum as it is (even a -0.0 sum).
    if (Bits(Values[i]) != 0) s = s + Values[i];
    Values[i] = s;
  }
}

void CumSum_SSE2(PSingleArray Values, Integer Count) {
  if (Count < 2) return;
  if (Count < 32) {
    for (Integer i = 1; i < Count; ++i) Values[i] = Values[i - 1] + Values[i];
    return;
  }
  Integer i = 1;
  // Scalar up to the first 16-byte aligned element (element 0 stays as it is).
  while (i < Count && (reinterpret_cast<uintptr_t>(Values + i) & 15) != 0) {
    Values[i] = Values[i - 1] + Values[i];
    ++i;
  }
  __m128 carry = _mm_set1_ps(Values[i - 1]);
  for (; i + 4 <= Count; i += 4) {
    __m128 x = _mm_load_ps(Values + i);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_castps_si128(x), _mm_setzero_si128())) == 0xFFFF) {
      _mm_store_ps(Values + i, carry);
      continue;
    }
    // Carried sum into lane 0, then a prefix sum across the four lanes.
    x = _mm_add_ss(x, carry);
    x = _mm_add_ps(x, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(x), 4)));
    x = _mm_add_ps(x, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(x), 8)));
    _mm_store_ps(Values + i, x);
    carry = _mm_shuffle_ps(x, x, _MM_SHUFFLE(3, 3, 3, 3));
  }
  for (; i < Count; ++i) Values[i] = Values[i - 1] + Values[i];
}

TCumSumProc* CumSum = nullptr;
TFunctionRegistry* MathRegistry = nullptr;

void InitPix32Math() {
  // Bound through a registry, like the other variant routines, so that the
  // plain form can be forced and the choice reported.
  MathRegistry = NewRegistry(u"Pix32_Math_qn bindings");
  MathRegistry->RegisterBinding(0, &CumSum, "CumSum");
  MathRegistry->Add(0, &CumSum_Pas, {}, 0, "plain");
  MathRegistry->Add(0, &CumSum_SSE2, {TCPUInstructionSet::ciSSE2}, 0, "SSE2");
  MathRegistry->RebindAll();
}

}  // namespace qn
