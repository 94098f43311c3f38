// Easing curves against their closed forms: every "in" curve written out,
// "out" as the in curve turned half a turn, "in-out" as the in curve run
// forwards to the middle and the out curve after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "skin/foundation/uQnAnimateEasing.h"

namespace t_u_qn_animate_easing_test {

using namespace qn;

namespace {

using Curve = std::function<double(double)>;

double BounceOutRef(double t) {
  // Four parabolic hops of height 1, 1/4, 1/16, 1/64 below the line y = 1.
  const double n = 7.5625;
  const double ends[4] = {1 / 2.75, 2 / 2.75, 2.5 / 2.75, 1.0};
  const double mids[4] = {0, 1.5 / 2.75, 2.25 / 2.75, 2.625 / 2.75};
  const double lift[4] = {0, 0.75, 0.9375, 0.984375};
  for (int i = 0; i < 4; ++i)
    if (t < ends[i] || i == 3) return n * (t - mids[i]) * (t - mids[i]) + lift[i];
  return 1;
}

Curve BackIn(double s) {
  return [s](double t) { return t * t * ((s + 1) * t - s); };
}

Curve Out(Curve In) {
  return [In](double t) { return 1 - In(1 - t); };
}

Curve InOut(Curve In) {
  return [In](double t) { return t < 0.5 ? In(2 * t) / 2 : 1 - In(2 - 2 * t) / 2; };
}

struct Case {
  TEasingType Type;
  Curve Ref;
};

std::vector<Case> References() {
  const double pi = 3.14159265358979323846;
  const Curve quad = [](double t) { return t * t; };
  const Curve cubic = [](double t) { return t * t * t; };
  const Curve quart = [](double t) { return t * t * t * t; };
  const Curve quint = [](double t) { return t * t * t * t * t; };
  const Curve sine = [pi](double t) { return 1 - std::cos(t * pi / 2); };
  const Curve circ = [](double t) { return 1 - std::sqrt(1 - t * t); };
  const Curve expo = [](double t) { return t == 0 ? 0.0 : std::pow(2.0, 10 * (t - 1)); };
  const Curve elastic = [pi](double t) {
    if (t == 0 || t == 1) return t;
    return -std::pow(2.0, 10 * (t - 1)) * std::sin((t - 1 - 0.075) * 2 * pi / 0.3);
  };
  const Curve bounceIn = [](double t) { return 1 - BounceOutRef(1 - t); };
  return {
      {etBackEaseIn, BackIn(1.70158)},
      {etbackEaseOut, Out(BackIn(1.70158))},
      {etBackEaseInOut, InOut(BackIn(1.70158 * 1.525))},
      {etBounceEaseIn, bounceIn},
      {etBounceEaseOut, BounceOutRef},
      {etCircEaseIn, circ},
      {etCircEaseOut, Out(circ)},
      {etCircEaseInOut, InOut(circ)},
      {etCubicEaseIn, cubic},
      {etCubicEaseOut, Out(cubic)},
      {etCubicEaseInOut, InOut(cubic)},
      {etElasticEaseIn, elastic},
      {etElasticEaseOut, Out(elastic)},
      {etExpoEaseIn, expo},
      {etExpoEaseOut, Out(expo)},
      {etExpoEaseInOut, InOut(expo)},
      {etQuadEaseIn, quad},
      {etQuadEaseOut, Out(quad)},
      {etQuadEaseInOut, InOut(quad)},
      {etQuartEaseIn, quart},
      {etQuartEaseOut, Out(quart)},
      {etQuartEaseInOut, InOut(quart)},
      {etQuintEaseIn, quint},
      {etQuintEaseOut, Out(quint)},
      {etQuintEaseInOut, InOut(quint)},
      {etSineEaseIn, sine},
      {etSineEaseOut, Out(sine)},
      {etSineEaseInOut, InOut(sine)},
  };
}

TEST(uQnAnimateEasing, EveryCurveFollowsItsClosedForm) {
  const auto refs = References();
  ASSERT_EQ(refs.size(), 28u);
  for (size_t k = 0; k < refs.size(); ++k) {
    // The table above is in the enumeration's order.
    EXPECT_EQ(static_cast<size_t>(refs[k].Type), k);
    SCOPED_TRACE(ToUtf8(EnumName(refs[k].Type)));
    for (Integer count : {1, 7, 60}) {
      for (Integer change : {100, -37}) {
        const TResultArray v = TQnAnimateEasing::GenerateValues(change, count, refs[k].Type);
        ASSERT_EQ(v.size(), static_cast<size_t>(count));
        EXPECT_NEAR(static_cast<double>(v[0]), 0.0, 1e-12);
        for (Integer i = 0; i < count; ++i) {
          const double t = static_cast<double>(i) / count;
          EXPECT_NEAR(static_cast<double>(v[i]), change * refs[k].Ref(t), 1e-9) << "i=" << i << " count=" << count;
        }
      }
    }
  }
}

TEST(uQnAnimateEasing, ShapesAndEdges) {
  EXPECT_TRUE(TQnAnimateEasing::GenerateValues(100, 0, etQuadEaseIn).empty());
  EXPECT_TRUE(TQnAnimateEasing::GenerateValues(100, -5, etQuadEaseIn).empty());
  // The last value lies one step short of the end.
  const TResultArray q = TQnAnimateEasing::GenerateValues(100, 4, etQuadEaseIn);
  EXPECT_NEAR(static_cast<double>(q[3]), 100 * 0.75 * 0.75, 1e-12);
  // Back dips below the start, elastic and back-out overshoot the end.
  const TResultArray back = TQnAnimateEasing::GenerateValues(100, 60, etBackEaseIn);
  EXPECT_LT(*std::min_element(back.begin(), back.end()), -9.0);
  const TResultArray out = TQnAnimateEasing::GenerateValues(100, 60, etbackEaseOut);
  EXPECT_GT(*std::max_element(out.begin(), out.end()), 109.0);
  const TResultArray el = TQnAnimateEasing::GenerateValues(100, 60, etElasticEaseOut);
  EXPECT_GT(*std::max_element(el.begin(), el.end()), 110.0);
  // The curves end where they should when run to the end.
  for (int e = 0; e < 28; ++e)
    EXPECT_NEAR(static_cast<double>(TQnAnimateEasing::Ease(static_cast<TEasingType>(e), 1, 5, 10, 1)), 15.0, 1e-9)
        << e;
  // The names are streamed as the enumeration spells them.
  EXPECT_EQ(EnumName(etbackEaseOut), u"etbackEaseOut");
  EXPECT_EQ(EnumName(etSineEaseInOut), u"etSineEaseInOut");
}

}  // namespace

}  // namespace t_u_qn_animate_easing_test
