// Numeric helpers with the platform's rules. Every float-to-integer
// conversion in the system goes through these: they are defined for NaN and
// out-of-range values (results saturate; NaN gives the processor's "integer
// indefinite", the most negative value), where a bare C++ cast is undefined.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/rtl/Types.h"

namespace vcl {

namespace detail {
template <class I, class F>
constexpr I SaturatingCast(F v) {
  if (v != v) return std::numeric_limits<I>::min();
  if (v >= static_cast<F>(std::numeric_limits<I>::max())) return std::numeric_limits<I>::max();
  if (v <= static_cast<F>(std::numeric_limits<I>::min())) return std::numeric_limits<I>::min();
  return static_cast<I>(v);
}

// std::nearbyint without its library call, which the baseline instruction
// set cannot inline and which saves and restores the floating-point state
// each time. Adding 2^52 with the value's sign and taking it away again
// leaves the value rounded in the current rounding mode, as nearbyint does,
// for every magnitude below 2^52; larger values are integral already, and
// infinities and NaN pass through. The arithmetic is strict IEEE double
// here (no fast-math), so the compiler keeps both steps.
inline double NearbyInt(double x) {
  if (!(std::fabs(x) < 0x1p52)) return x;
  const double m = std::copysign(0x1p52, x);
  return (x + m) - m;
}
}  // namespace detail

// Round half to even (banker's rounding), as the platform's Round.
inline Int64 Round(Extended x) { return detail::SaturatingCast<Int64>(std::nearbyintl(x)); }
inline Int64 Round(Double x) { return detail::SaturatingCast<Int64>(detail::NearbyInt(x)); }
inline Int64 Round(Single x) { return detail::SaturatingCast<Int64>(detail::NearbyInt(static_cast<double>(x))); }
// Toward zero.
inline Int64 Trunc(Extended x) { return detail::SaturatingCast<Int64>(std::trunc(x)); }
inline Int64 Trunc(Double x) { return detail::SaturatingCast<Int64>(std::trunc(x)); }
inline Int64 Trunc(Single x) { return detail::SaturatingCast<Int64>(std::trunc(static_cast<double>(x))); }
// Math.Floor / Math.Ceil return Integer.
inline Integer Floor(Double x) { return detail::SaturatingCast<Integer>(std::floor(x)); }
inline Integer Ceil(Double x) { return detail::SaturatingCast<Integer>(std::ceil(x)); }
// 32-bit forms for code that stores the result in an Integer.
inline Integer RoundI(Double x) { return detail::SaturatingCast<Integer>(detail::NearbyInt(x)); }
inline Integer TruncI(Double x) { return detail::SaturatingCast<Integer>(std::trunc(x)); }

inline Extended Frac(Extended x) { return x - std::trunc(x); }
inline Extended Int(Extended x) { return std::trunc(x); }

// Explicit shifts: shr is logical, sar arithmetic, whatever the operand's sign.
constexpr Integer Shr(Integer v, int n) { return static_cast<Integer>(static_cast<Cardinal>(v) >> (n & 31)); }
constexpr Cardinal Shr(Cardinal v, int n) { return v >> (n & 31); }
constexpr Integer Sar(Integer v, int n) { return v >> (n & 31); }
constexpr Int64 Sar64(Int64 v, int n) { return v >> (n & 63); }

// Truncating div and mod as the platform's; division by zero raises EDivByZero.
Integer Div(Integer a, Integer b);
Integer Mod(Integer a, Integer b);

// ---------------------------------------------------------------------------
// The platform's Math unit.

inline constexpr Double NaN = std::numeric_limits<Double>::quiet_NaN();
inline constexpr Double Infinity = std::numeric_limits<Double>::infinity();
inline constexpr Double NegInfinity = -std::numeric_limits<Double>::infinity();
inline constexpr Double MinDouble = 4.9406564584124654e-324;
inline constexpr Double MaxDouble = 1.7976931348623157e+308;
inline constexpr Single MinSingle = 1.4012984643e-45f;
inline constexpr Single MaxSingle = 3.4028234663852886e+38f;

using TValueSign = int;
inline constexpr TValueSign NegativeValue = -1;
inline constexpr TValueSign ZeroValue = 0;
inline constexpr TValueSign PositiveValue = 1;

constexpr TValueSign Sign(Integer v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
constexpr TValueSign Sign(Int64 v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
constexpr TValueSign Sign(Double v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
constexpr TValueSign Sign(Extended v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

constexpr Integer Min(Integer a, Integer b) { return a < b ? a : b; }
constexpr Cardinal Min(Cardinal a, Cardinal b) { return a < b ? a : b; }
constexpr Int64 Min(Int64 a, Int64 b) { return a < b ? a : b; }
constexpr UInt64 Min(UInt64 a, UInt64 b) { return a < b ? a : b; }
constexpr Single Min(Single a, Single b) { return a < b ? a : b; }
constexpr Double Min(Double a, Double b) { return a < b ? a : b; }
constexpr Extended Min(Extended a, Extended b) { return a < b ? a : b; }
constexpr Integer Max(Integer a, Integer b) { return a > b ? a : b; }
constexpr Cardinal Max(Cardinal a, Cardinal b) { return a > b ? a : b; }
constexpr Int64 Max(Int64 a, Int64 b) { return a > b ? a : b; }
constexpr UInt64 Max(UInt64 a, UInt64 b) { return a > b ? a : b; }
constexpr Single Max(Single a, Single b) { return a > b ? a : b; }
constexpr Double Max(Double a, Double b) { return a > b ? a : b; }
constexpr Extended Max(Extended a, Extended b) { return a > b ? a : b; }

// The value clipped to [lo, hi] (lo wins should hi be below it).
constexpr Integer EnsureRange(Integer v, Integer lo, Integer hi) { return v > hi ? (hi < lo ? lo : hi) : v < lo ? lo : v; }
constexpr Int64 EnsureRange(Int64 v, Int64 lo, Int64 hi) { return v > hi ? (hi < lo ? lo : hi) : v < lo ? lo : v; }
constexpr Double EnsureRange(Double v, Double lo, Double hi) { return v > hi ? (hi < lo ? lo : hi) : v < lo ? lo : v; }
constexpr bool InRange(Integer v, Integer lo, Integer hi) { return v >= lo && v <= hi; }
constexpr bool InRange(Int64 v, Int64 lo, Int64 hi) { return v >= lo && v <= hi; }
constexpr bool InRange(Double v, Double lo, Double hi) { return v >= lo && v <= hi; }

template <class T>
constexpr T Sqr(T x) { return x * x; }

inline bool IsNan(Single v) { return std::isnan(v); }
inline bool IsNan(Double v) { return std::isnan(v); }
inline bool IsNan(Extended v) { return std::isnan(v); }
inline bool IsInfinite(Double v) { return std::isinf(v); }
inline bool IsInfinite(Extended v) { return std::isinf(v); }

// With epsilon 0 the tolerance scales with the smaller magnitude, by the
// platform's resolutions (1e-12 for Double, 1e-4 for Single, 1e-16 for Extended).
bool SameValue(Double a, Double b, Double epsilon = 0);
bool SameValue(Single a, Single b, Single epsilon = 0);
bool SameValue(Extended a, Extended b, Extended epsilon = 0);
bool IsZero(Double a, Double epsilon = 0);
bool IsZero(Single a, Single epsilon = 0);
bool IsZero(Extended a, Extended epsilon = 0);

// Power(0, 0) = 1; a negative base with an integral exponent works.
Extended Power(Extended base, Extended exponent);
Extended IntPower(Extended base, Integer exponent);
inline Extended ArcTan2(Extended y, Extended x) { return std::atan2(y, x); }
inline Extended ArcSin(Extended x) { return std::asin(x); }
inline Extended ArcCos(Extended x) { return std::acos(x); }
inline Extended ArcTan(Extended x) { return std::atan(x); }
inline Extended Tan(Extended x) { return std::tan(x); }
inline Extended Cotan(Extended x) { return 1 / std::tan(x); }
inline void SinCos(Extended theta, Extended& s, Extended& c) { s = std::sin(theta); c = std::cos(theta); }
inline void SinCos(Double theta, Double& s, Double& c) { s = std::sin(theta); c = std::cos(theta); }
inline void SinCos(Single theta, Single& s, Single& c) { s = std::sin(theta); c = std::cos(theta); }
inline Extended Hypot(Extended x, Extended y) { return std::hypot(x, y); }
inline Extended Ln(Extended x) { return std::log(x); }
inline Extended LnXP1(Extended x) { return std::log1p(x); }
inline Extended Log10(Extended x) { return std::log10(x); }
inline Extended Log2(Extended x) { return std::log2(x); }
inline Extended LogN(Extended base, Extended x) { return std::log(x) / std::log(base); }
inline Extended Exp(Extended x) { return std::exp(x); }
inline Extended Sinh(Extended x) { return std::sinh(x); }
inline Extended Cosh(Extended x) { return std::cosh(x); }
inline Extended Tanh(Extended x) { return std::tanh(x); }
inline constexpr Extended DegToRad(Extended deg) { return deg * (3.14159265358979323846264338327950288L / 180); }
inline constexpr Extended RadToDeg(Extended rad) { return rad * (180 / 3.14159265358979323846264338327950288L); }

// Truncating quotient and remainder; a zero divisor raises EDivByZero.
void DivMod(Cardinal dividend, Word divisor, Word& result, Word& remainder);
void DivMod(Integer dividend, Integer divisor, Integer& result, Integer& remainder);
void DivMod(Int64 dividend, Int64 divisor, Int64& result, Int64& remainder);

// RoundTo rounds half to even at 10^digit (RoundTo(1234567, 3) = 1235000,
// RoundTo(1.235, -2) = 1.24); SimpleRoundTo rounds half away from zero.
Double RoundTo(Double v, Integer digit);
Double SimpleRoundTo(Double v, Integer digit = -2);

// The one seedable generator: RandSeed = RandSeed * 134775813 + 1 (mod 2^32)
// at every draw, as the platform's, so that a seed replays the platform's
// sequence.
extern Integer RandSeed;
void Randomize();
Integer Random(Integer range);  // 0 <= r < range; 0 for range <= 0
Extended Random();              // 0 <= r < 1
Integer RandomRange(Integer from, Integer to);  // from <= r < to (either order)
Extended RandG(Extended mean, Extended stdDev);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
