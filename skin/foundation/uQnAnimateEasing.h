// uQnAnimateEasing: the easing curves animations step along. Each curve maps
// time t in 0..1 to a value that starts at 0 and ends at the change, in the
// usual shapes: back (overshoot 1.70158), bounce, circ, cubic, elastic,
// expo, quad, quart, quint and sine, each easing in, out or both.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "graphics/raster/QnBase.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

namespace qn {

enum class TEasingType {
  etBackEaseIn, etbackEaseOut, etBackEaseInOut, etBounceEaseIn, etBounceEaseOut, etCircEaseIn, etCircEaseOut,
  etCircEaseInOut, etCubicEaseIn, etCubicEaseOut, etCubicEaseInOut, etElasticEaseIn, etElasticEaseOut,
  etExpoEaseIn, etExpoEaseOut, etExpoEaseInOut, etQuadEaseIn, etQuadEaseOut, etQuadEaseInOut, etQuartEaseIn,
  etQuartEaseOut, etQuartEaseInOut, etQuintEaseIn, etQuintEaseOut, etQuintEaseInOut, etSineEaseIn,
  etSineEaseOut, etSineEaseInOut
};
QN_ENUM_NAMES(TEasingType, etBackEaseIn, etbackEaseOut, etBackEaseInOut, etBounceEaseIn, etBounceEaseOut,
              etCircEaseIn, etCircEaseOut, etCircEaseInOut, etCubicEaseIn, etCubicEaseOut, etCubicEaseInOut,
              etElasticEaseIn, etElasticEaseOut, etExpoEaseIn, etExpoEaseOut, etExpoEaseInOut, etQuadEaseIn,
              etQuadEaseOut, etQuadEaseInOut, etQuartEaseIn, etQuartEaseOut, etQuartEaseInOut, etQuintEaseIn,
              etQuintEaseOut, etQuintEaseInOut, etSineEaseIn, etSineEaseOut, etSineEaseInOut)
using enum TEasingType;

using TResultArray = std::vector<Extended>;

class TQnAnimateEasing {
 public:
  // Value i = the curve at t = i / Count from 0 towards Change, for
  // i = 0 .. Count - 1: the first value is 0 and the last lies one step
  // short of the end. Count <= 0 gives an empty array.
  static TResultArray GenerateValues(Integer Change, Integer Count, TEasingType Easing);
  // One value of a curve: start B, change C, time T of duration D.
  static Extended Ease(TEasingType Easing, Extended T, Extended B, Extended C, Extended D);
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
