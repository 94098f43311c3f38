#include "platform/rtl/Math.h"

#include <time.h>

#include "platform/rtl/System.h"

namespace vcl {

Integer RandSeed = 0;

namespace {
template <class T>
bool SameValueT(T a, T b, T epsilon, T resolution) {
  if (epsilon == 0) {
    T m = std::fabs(a) < std::fabs(b) ? std::fabs(a) : std::fabs(b);
    epsilon = m * resolution > resolution ? m * resolution : resolution;
  }
  return a > b ? (a - b) <= epsilon : (b - a) <= epsilon;
}
constexpr Double kDoubleResolution = 1e-15 * 1000;
constexpr Single kSingleResolution = 1e-7f * 1000;
constexpr Extended kExtendedResolution = 1e-19L * 1000;

Cardinal NextSeed() {
  Cardinal s = static_cast<Cardinal>(RandSeed) * 134775813u + 1u;
  RandSeed = static_cast<Integer>(s);
  return s;
}
}  // namespace

bool SameValue(Double a, Double b, Double epsilon) { return SameValueT(a, b, epsilon, kDoubleResolution); }
bool SameValue(Single a, Single b, Single epsilon) { return SameValueT(a, b, epsilon, kSingleResolution); }
bool SameValue(Extended a, Extended b, Extended epsilon) { return SameValueT(a, b, epsilon, kExtendedResolution); }
bool IsZero(Double a, Double epsilon) { return std::fabs(a) <= (epsilon == 0 ? kDoubleResolution : epsilon); }
bool IsZero(Single a, Single epsilon) { return std::fabs(a) <= (epsilon == 0 ? kSingleResolution : epsilon); }
bool IsZero(Extended a, Extended epsilon) { return std::fabs(a) <= (epsilon == 0 ? kExtendedResolution : epsilon); }

Extended IntPower(Extended base, Integer exponent) {
  Int64 e = exponent;
  bool inv = e < 0;
  if (inv) e = -e;
  Extended r = 1, b = base;
  while (e) {
    if (e & 1) r *= b;
    b *= b;
    e >>= 1;
  }
  return inv ? 1 / r : r;
}

Extended Power(Extended base, Extended exponent) {
  if (exponent == 0) return 1;
  if (base == 0) return exponent > 0 ? 0 : std::numeric_limits<Extended>::infinity();
  if (exponent == std::trunc(exponent) && std::fabs(exponent) <= std::numeric_limits<Integer>::max())
    return IntPower(base, static_cast<Integer>(exponent));
  return std::pow(base, exponent);
}

void DivMod(Cardinal dividend, Word divisor, Word& result, Word& remainder) {
  if (divisor == 0) throw EDivByZero(u"Division by zero");
  result = static_cast<Word>(dividend / divisor);
  remainder = static_cast<Word>(dividend % divisor);
}
void DivMod(Integer dividend, Integer divisor, Integer& result, Integer& remainder) {
  result = Div(dividend, divisor);
  remainder = Mod(dividend, divisor);
}
void DivMod(Int64 dividend, Int64 divisor, Int64& result, Int64& remainder) {
  if (divisor == 0) throw EDivByZero(u"Division by zero");
  if (divisor == -1) {
    result = static_cast<Int64>(UInt64(0) - static_cast<UInt64>(dividend));
    remainder = 0;
    return;
  }
  result = dividend / divisor;
  remainder = dividend % divisor;
}

Double RoundTo(Double v, Integer digit) {
  Double f = static_cast<Double>(IntPower(10, digit));
  return std::nearbyint(v / f) * f;
}

Double SimpleRoundTo(Double v, Integer digit) {
  Double f = static_cast<Double>(IntPower(10, -digit));
  Double x = v * f;
  return (v < 0 ? std::ceil(x - 0.5) : std::floor(x + 0.5)) / f;
}

void Randomize() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  RandSeed = static_cast<Integer>(static_cast<Cardinal>(ts.tv_sec * 1000000007ll + ts.tv_nsec));
}

Integer Random(Integer range) {
  Cardinal s = NextSeed();
  if (range <= 0) return 0;
  return static_cast<Integer>((static_cast<UInt64>(s) * static_cast<UInt64>(range)) >> 32);
}

Extended Random() { return static_cast<Extended>(NextSeed()) / 4294967296.0L; }

Integer RandomRange(Integer from, Integer to) {
  if (from > to) std::swap(from, to);
  return from + Random(static_cast<Integer>(static_cast<Cardinal>(to) - static_cast<Cardinal>(from)));
}

Extended RandG(Extended mean, Extended stdDev) {
  // Marsaglia's polar method over the platform generator.
  Extended u1, u2, s;
  do {
    u1 = 2 * Random() - 1;
    u2 = 2 * Random() - 1;
    s = u1 * u1 + u2 * u2;
  } while (s >= 1 || s == 0);
  return mean + stdDev * u1 * std::sqrt(-2 * std::log(s) / s);
}

}  // namespace vcl
