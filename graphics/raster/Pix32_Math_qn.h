// Fixed-point and float arithmetic of the graphics library. Fixed products
// and quotients go through 64 bits and keep the low 32 bits of the result.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Types.h"

namespace qn {

constexpr Integer FixedFloor(TFixed A) { return A >> 16; }
constexpr Integer FixedCeil(TFixed A) { return static_cast<Integer>(static_cast<Cardinal>(A) + 0xFFFFu) >> 16; }
// An exact half rounds down: (A + $7FFF) sar 16.
constexpr Integer FixedRound(TFixed A) { return static_cast<Integer>(static_cast<Cardinal>(A) + 0x7FFFu) >> 16; }
constexpr TFixed FixedMul(TFixed A, TFixed B) { return static_cast<TFixed>((Int64(A) * B) >> 16); }
// B = 0, or a quotient beyond 32 bits, is the caller's fault (the platform traps).
constexpr TFixed FixedDiv(TFixed A, TFixed B) { return static_cast<TFixed>((Int64(A) * 65536) / B); }
constexpr TFixed OneOver(TFixed Value) { return static_cast<TFixed>(Int64(0x100000000) / Value); }
constexpr TFixed FixedSqr(TFixed Value) { return static_cast<TFixed>((Int64(Value) * Value) >> 16); }
TFixed FixedSqrtLP(TFixed Value);
TFixed FixedSqrtHP(TFixed Value);
constexpr TFixed FixedCombine(TFixed W, TFixed X, TFixed Y) {
  return static_cast<TFixed>(static_cast<Cardinal>(Y) + static_cast<Cardinal>(
      (Int64(static_cast<Integer>(static_cast<Cardinal>(X) - static_cast<Cardinal>(Y))) * W) >> 16));
}

void SinCos(Single Theta, Single& Sin, Single& Cos);
void SinCos(Single Theta, Single Radius, Single& Sin, Single& Cos);
void SinCos(Single Theta, Single ScaleX, Single ScaleY, Single& Sin, Single& Cos);
Single Hypot(Single X, Single Y);
Integer Hypot(Integer X, Integer Y);
Single FastSqrt(Single Value);
Single FastSqrtBab1(Single Value);
Single FastSqrtBab2(Single Value);
Single FastInvSqrt(Single Value);

// Multiplicand × Multiplier / Divisor through 64 bits, the remainder rounded
// half away from zero; -1 on overflow or a zero divisor.
Integer MulDiv(Integer Multiplicand, Integer Multiplier, Integer Divisor);

constexpr bool IsPowerOf2(Integer Value) { return (Value & (Value - 1)) == 0; }
Integer PrevPowerOf2(Integer Value);
Integer NextPowerOf2(Integer Value);
constexpr Integer Average(Integer A, Integer B) { return (A & B) + ((A ^ B) >> 1); }
constexpr Integer Sign(Integer Value) { return Value > 0 ? 1 : (Value < 0 ? -1 : 0); }
Double FloatMod(Double x, Double y);
// Truncating quotient; the remainder takes the dividend's sign.
Integer DivMod(Integer Dividend, Integer Divisor, Integer& Remainder);

// Running sum in place: Values[i] := Values[0] + ... + Values[i].
using TCumSumProc = void(PSingleArray Values, Integer Count);
extern TCumSumProc* CumSum;
void CumSum_Pas(PSingleArray Values, Integer Count);
void CumSum_SSE2(PSingleArray Values, Integer Count);

class TFunctionRegistry;
extern TFunctionRegistry* MathRegistry;
void InitPix32Math();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
