#include "skin/foundation/uQnAnimateEasing.h"

#include <cmath>

namespace qn {

namespace {

constexpr Extended kPi = 3.14159265358979323846L;
constexpr Extended kBack = 1.70158L;

// The curves over t in 0..1, from 0 to 1; Ease scales them.
Extended BounceOut(Extended t) {
  if (t < 1 / 2.75L) return 7.5625L * t * t;
  if (t < 2 / 2.75L) {
    t -= 1.5L / 2.75L;
    return 7.5625L * t * t + 0.75L;
  }
  if (t < 2.5L / 2.75L) {
    t -= 2.25L / 2.75L;
    return 7.5625L * t * t + 0.9375L;
  }
  t -= 2.625L / 2.75L;
  return 7.5625L * t * t + 0.984375L;
}

Extended Unit(TEasingType e, Extended t) {
  switch (e) {
    case etBackEaseIn: return t * t * ((kBack + 1) * t - kBack);
    case etbackEaseOut: t -= 1; return t * t * ((kBack + 1) * t + kBack) + 1;
    case etBackEaseInOut: {
      const Extended s = kBack * 1.525L;
      t *= 2;
      if (t < 1) return t * t * ((s + 1) * t - s) / 2;
      t -= 2;
      return (t * t * ((s + 1) * t + s) + 2) / 2;
    }
    case etBounceEaseIn: return 1 - BounceOut(1 - t);
    case etBounceEaseOut: return BounceOut(t);
    case etCircEaseIn: return 1 - std::sqrt(std::fmax(0.0L, 1 - t * t));
    case etCircEaseOut: t -= 1; return std::sqrt(std::fmax(0.0L, 1 - t * t));
    case etCircEaseInOut:
      t *= 2;
      if (t < 1) return (1 - std::sqrt(std::fmax(0.0L, 1 - t * t))) / 2;
      t -= 2;
      return (std::sqrt(std::fmax(0.0L, 1 - t * t)) + 1) / 2;
    case etCubicEaseIn: return t * t * t;
    case etCubicEaseOut: t -= 1; return t * t * t + 1;
    case etCubicEaseInOut:
      t *= 2;
      if (t < 1) return t * t * t / 2;
      t -= 2;
      return (t * t * t + 2) / 2;
    case etElasticEaseIn: {
      if (t <= 0) return 0;
      if (t >= 1) return 1;
      const Extended p = 0.3L, s = p / 4;
      t -= 1;
      return -std::pow(2.0L, 10 * t) * std::sin((t - s) * 2 * kPi / p);
    }
    case etElasticEaseOut: {
      if (t <= 0) return 0;
      if (t >= 1) return 1;
      const Extended p = 0.3L, s = p / 4;
      return std::pow(2.0L, -10 * t) * std::sin((t - s) * 2 * kPi / p) + 1;
    }
    case etExpoEaseIn: return t <= 0 ? 0 : std::pow(2.0L, 10 * (t - 1));
    case etExpoEaseOut: return t >= 1 ? 1 : 1 - std::pow(2.0L, -10 * t);
    case etExpoEaseInOut:
      if (t <= 0) return 0;
      if (t >= 1) return 1;
      t *= 2;
      if (t < 1) return std::pow(2.0L, 10 * (t - 1)) / 2;
      return (2 - std::pow(2.0L, -10 * (t - 1))) / 2;
    case etQuadEaseIn: return t * t;
    case etQuadEaseOut: return -t * (t - 2);
    case etQuadEaseInOut:
      t *= 2;
      if (t < 1) return t * t / 2;
      t -= 1;
      return -(t * (t - 2) - 1) / 2;
    case etQuartEaseIn: return t * t * t * t;
    case etQuartEaseOut: t -= 1; return 1 - t * t * t * t;
    case etQuartEaseInOut:
      t *= 2;
      if (t < 1) return t * t * t * t / 2;
      t -= 2;
      return -(t * t * t * t - 2) / 2;
    case etQuintEaseIn: return t * t * t * t * t;
    case etQuintEaseOut: t -= 1; return t * t * t * t * t + 1;
    case etQuintEaseInOut:
      t *= 2;
      if (t < 1) return t * t * t * t * t / 2;
      t -= 2;
      return (t * t * t * t * t + 2) / 2;
    case etSineEaseIn: return 1 - std::cos(t * kPi / 2);
    case etSineEaseOut: return std::sin(t * kPi / 2);
    case etSineEaseInOut: return -(std::cos(kPi * t) - 1) / 2;
  }
  return t;
}

}  // namespace

Extended TQnAnimateEasing::Ease(TEasingType Easing, Extended T, Extended B, Extended C, Extended D) {
  if (!(D > 0)) return B + C;
  return B + C * Unit(Easing, T / D);
}

TResultArray TQnAnimateEasing::GenerateValues(Integer Change, Integer Count, TEasingType Easing) {
  TResultArray r;
  if (Count <= 0) return r;
  r.reserve(static_cast<size_t>(Count));
  for (Integer i = 0; i < Count; ++i)
    r.push_back(Ease(Easing, static_cast<Extended>(i) / Count, 0, static_cast<Extended>(Change), 1));
  return r;
}

}  // namespace qn
