// Numeric helpers with the platform's rules. Every float-to-integer
// conversion in the system goes through these: they are defined for NaN and
// out-of-range values (results saturate; NaN gives the processor's "integer
// indefinite", the most negative value), where a bare C++ cast is undefined.
#pragma once

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
}  // namespace detail

// Round half to even (banker's rounding), as the platform's Round.
inline Int64 Round(Extended x) { return detail::SaturatingCast<Int64>(std::nearbyintl(x)); }
inline Int64 Round(Double x) { return detail::SaturatingCast<Int64>(std::nearbyint(x)); }
inline Int64 Round(Single x) { return detail::SaturatingCast<Int64>(std::nearbyint(static_cast<double>(x))); }
// Toward zero.
inline Int64 Trunc(Extended x) { return detail::SaturatingCast<Int64>(std::trunc(x)); }
inline Int64 Trunc(Double x) { return detail::SaturatingCast<Int64>(std::trunc(x)); }
inline Int64 Trunc(Single x) { return detail::SaturatingCast<Int64>(std::trunc(static_cast<double>(x))); }
// Math.Floor / Math.Ceil return Integer.
inline Integer Floor(Double x) { return detail::SaturatingCast<Integer>(std::floor(x)); }
inline Integer Ceil(Double x) { return detail::SaturatingCast<Integer>(std::ceil(x)); }
// 32-bit forms for code that stores the result in an Integer.
inline Integer RoundI(Double x) { return detail::SaturatingCast<Integer>(std::nearbyint(x)); }
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

}  // namespace vcl
