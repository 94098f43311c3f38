#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace t_pix32_vector_utils_test {

using namespace qn;

namespace {

using DPt = std::pair<double, double>;

// The textbook clip, one side after the other, in double precision.
std::vector<DPt> ReferenceClip(std::vector<DPt> poly, double l, double t, double r, double b) {
  for (int side = 0; side < 4; ++side) {
    auto inside = [&](const DPt& p) {
      switch (side) {
        case 0: return p.first >= l;
        case 1: return p.first <= r;
        case 2: return p.second >= t;
        default: return p.second <= b;
      }
    };
    auto cross = [&](const DPt& a, const DPt& c) -> DPt {
      if (side < 2) {
        const double v = side == 0 ? l : r;
        return {v, a.second + (c.second - a.second) * (v - a.first) / (c.first - a.first)};
      }
      const double v = side == 2 ? t : b;
      return {a.first + (c.first - a.first) * (v - a.second) / (c.second - a.second), v};
    };
    std::vector<DPt> out;
    for (size_t i = 0; i < poly.size(); ++i) {
      const DPt& cur = poly[i];
      const DPt& prev = poly[(i + poly.size() - 1) % poly.size()];
      if (inside(cur)) {
        if (!inside(prev)) out.push_back(cross(prev, cur));
        out.push_back(cur);
      } else if (inside(prev)) {
        out.push_back(cross(prev, cur));
      }
    }
    poly = out;
    if (poly.empty()) break;
  }
  return poly;
}

template <class V>
double Area(const V& p, double scale = 1) {
  double a = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& u = p[i];
    const auto& w = p[(i + 1) % p.size()];
    a += (static_cast<double>(u.X) * w.Y - static_cast<double>(w.X) * u.Y);
  }
  return a / 2 * scale * scale;
}

double AreaD(const std::vector<DPt>& p) {
  double a = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& u = p[i];
    const auto& w = p[(i + 1) % p.size()];
    a += u.first * w.second - w.first * u.second;
  }
  return a / 2;
}

// Equal up to a rotation of the starting point.
bool SameRing(const TArrayOfFloatPoint& a, const TArrayOfFloatPoint& b) {
  if (a.size() != b.size()) return false;
  for (size_t s = 0; s < a.size(); ++s) {
    bool ok = true;
    for (size_t i = 0; i < a.size() && ok; ++i) ok = a[(i + s) % a.size()] == b[i];
    if (ok) return true;
  }
  return a.empty();
}

class TCountingAffine : public TAffineTransformation {
 public:
  int Prepared = 0;
  void PrepareTransform() override {
    ++Prepared;
    TAffineTransformation::PrepareTransform();
  }
};

}  // namespace

TEST(Pix32_VectorUtils_qn, ClipLineExamples) {
  Integer x1 = -5, y1 = 5, x2 = 15, y2 = 5;
  EXPECT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
  EXPECT_EQ(TRect(x1, y1, x2, y2), TRect(0, 5, 10, 5));
  x1 = -5, y1 = -5, x2 = -1, y2 = 20;
  EXPECT_FALSE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
  EXPECT_EQ(TRect(x1, y1, x2, y2), TRect(-5, -5, -1, 20));  // untouched when rejected early
  x1 = 5, y1 = -10, x2 = 5, y2 = 20;
  EXPECT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
  EXPECT_EQ(TRect(x1, y1, x2, y2), TRect(5, 0, 5, 10));
  TPoint p1(10, 3), p2(12, 3);
  EXPECT_TRUE(ClipLine(p1, p2, Rect(0, 0, 10, 10)));  // the right edge is inside
  EXPECT_EQ(p1, TPoint(10, 3));
  EXPECT_EQ(p2, TPoint(10, 3));
  // A diagonal cut on two sides.
  TFloatPoint f1(-5, 0), f2(15, 20);
  EXPECT_TRUE(ClipLine(f1, f2, FloatRect(0, 0, 10, 10)));
  EXPECT_EQ(f1, TFloatPoint(0, 5));
  EXPECT_EQ(f2, TFloatPoint(5, 10));
  TFixedPoint x(Fixed(-5), Fixed(0)), y(Fixed(15), Fixed(20));
  EXPECT_TRUE(ClipLine(x, y, FixedRect(0, 0, Fixed(10), Fixed(10))));
  EXPECT_EQ(x, FixedPoint(0, 5));
  EXPECT_EQ(y, FixedPoint(5, 10));
}

TEST(Pix32_VectorUtils_qn, ClipLineKeepsTheSegmentInside) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<float> d(-10, 20);
  int accepted = 0;
  for (int n = 0; n < 10000; ++n) {
    Single x1 = d(rng), y1 = d(rng), x2 = d(rng), y2 = d(rng);
    const Single ox1 = x1, oy1 = y1, ox2 = x2, oy2 = y2;
    if (!ClipLine(x1, y1, x2, y2, 0, 0, 10, 10)) continue;
    ++accepted;
    for (Single v : {x1, y1, x2, y2}) {
      ASSERT_GE(v, -1e-3f);
      ASSERT_LE(v, 10 + 1e-3f);
    }
    // Both ends stay on the original line.
    const double cross1 = (double(ox2) - ox1) * (double(y1) - oy1) - (double(oy2) - oy1) * (double(x1) - ox1);
    const double cross2 = (double(ox2) - ox1) * (double(y2) - oy1) - (double(oy2) - oy1) * (double(x2) - ox1);
    const double len = std::hypot(double(ox2) - ox1, double(oy2) - oy1);
    ASSERT_LE(std::fabs(cross1), 1e-3 * len + 1e-4);
    ASSERT_LE(std::fabs(cross2), 1e-3 * len + 1e-4);
  }
  EXPECT_GT(accepted, 2000);
}

TEST(Pix32_VectorUtils_qn, ClipPolygonExamples) {
  const TArrayOfFloatPoint inside = {{1, 1}, {9, 1}, {5, 9}};
  EXPECT_EQ(ClipPolygon(inside, FloatRect(0, 0, 10, 10)), inside);
  EXPECT_TRUE(ClipPolygon(TArrayOfFloatPoint{{-9, 1}, {-2, 1}, {-5, 9}}, FloatRect(0, 0, 10, 10)).empty());
  const TArrayOfFloatPoint square = {{-5, -5}, {15, -5}, {15, 15}, {-5, 15}};
  const TArrayOfFloatPoint clipped = ClipPolygon(square, FloatRect(0, 0, 10, 10));
  EXPECT_TRUE(SameRing(clipped, {{10, 0}, {10, 10}, {0, 10}, {0, 0}})) << clipped.size();
  // Every side has a point inside it, yet the triangle misses the corner.
  EXPECT_TRUE(ClipPolygon(TArrayOfFloatPoint{{-6, 5}, {5, -6}, {-6, -6}}, FloatRect(0, 0, 10, 10)).empty());
  // One that covers the corner keeps it.
  const TArrayOfFloatPoint corner = ClipPolygon(TArrayOfFloatPoint{{-1, 5}, {5, -1}, {-1, -1}}, FloatRect(0, 0, 10, 10));
  EXPECT_TRUE(SameRing(corner, {{0, 4}, {4, 0}, {0, 0}})) << corner.size();
  // 16.16 twin.
  const TArrayOfFixedPoint fsq = FloatPointToFixedPoint(square);
  const TArrayOfFixedPoint fcl = ClipPolygon(fsq, FixedRect(0, 0, Fixed(10), Fixed(10)));
  EXPECT_TRUE(SameRing(FixedPointToFloatPoint(fcl), {{10, 0}, {10, 10}, {0, 10}, {0, 0}}));
}

TEST(Pix32_VectorUtils_qn, ClipPolygonMatchesTheTextbookClip) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<float> u(0, 1);
  int nonEmpty = 0;
  for (int n = 0; n < 10000; ++n) {
    const float l = u(rng) * 4 - 2, t = u(rng) * 4 - 2;
    const float r = l + 0.5f + u(rng) * 1.5f, b = t + 0.5f + u(rng) * 1.5f;
    const int count = 3 + static_cast<int>(rng() % 10);
    TArrayOfFloatPoint poly;
    std::vector<DPt> dpoly;
    for (int i = 0; i < count; ++i) {
      TFloatPoint p(l - 1 + u(rng) * (r - l + 2), t - 1 + u(rng) * (b - t + 2));
      if (rng() % 16 == 0) p.X = (rng() % 2) ? l : r;  // points exactly on an edge
      poly.push_back(p);
      dpoly.push_back({p.X, p.Y});
    }
    const TFloatRect rect(l, t, r, b);
    const TArrayOfFloatPoint got = ClipPolygon(poly, rect);
    for (const TFloatPoint& p : got) {
      ASSERT_TRUE(p.X >= l && p.X <= r && p.Y >= t && p.Y <= b) << "case " << n;
    }
    const double want = AreaD(ReferenceClip(dpoly, l, t, r, b));
    ASSERT_NEAR(Area(got), want, 1e-4) << "case " << n;
    if (!got.empty()) ++nonEmpty;
  }
  EXPECT_GT(nonEmpty, 5000);
}

TEST(Pix32_VectorUtils_qn, FixedClipPolygonFollowsTheFloatOne) {
  std::mt19937 rng(77);
  std::uniform_real_distribution<float> u(-20, 120);
  for (int n = 0; n < 2000; ++n) {
    TArrayOfFloatPoint poly;
    for (int i = 0; i < 3 + static_cast<int>(rng() % 6); ++i) poly.push_back({u(rng), u(rng)});
    const TArrayOfFloatPoint f = ClipPolygon(poly, FloatRect(0, 0, 100, 100));
    const TArrayOfFixedPoint x = ClipPolygon(FloatPointToFixedPoint(poly), FixedRect(0, 0, Fixed(100), Fixed(100)));
    for (const TFixedPoint& p : x) {
      ASSERT_TRUE(p.X >= 0 && p.X <= Fixed(100) && p.Y >= 0 && p.Y <= Fixed(100));
    }
    // 16.16 interpolation steps are 1/65536 of the edge: a small absolute error.
    ASSERT_NEAR(Area(FixedPointToFloatPoint(x)), Area(f), 0.5 + 1e-4 * std::fabs(Area(f))) << n;
  }
}

TEST(Pix32_VectorUtils_qn, ArrayOperations) {
  EXPECT_EQ(ClosePolygon(TArrayOfFloatPoint{{0, 0}, {1, 0}, {1, 1}}),
            (TArrayOfFloatPoint{{0, 0}, {1, 0}, {1, 1}, {0, 0}}));
  EXPECT_EQ(ClosePolygon(TArrayOfFloatPoint{{0, 0}, {1, 0}, {0, 0}}), (TArrayOfFloatPoint{{0, 0}, {1, 0}, {0, 0}}));
  EXPECT_EQ(ClosePolygon(TArrayOfFixedPoint{{1, 2}}).size(), 1u);
  EXPECT_EQ(BuildPolygonF({1, 2, 3, 4, 5}), (TArrayOfFloatPoint{{1, 2}, {3, 4}}));
  EXPECT_EQ(BuildPolygonX({7, 8, 9}), (TArrayOfFixedPoint{{7, 8}}));
  EXPECT_EQ(FloatPointToFixedPoint(TArrayOfFloatPoint{{1.5f, -0.25f}}), (TArrayOfFixedPoint{{98304, -16384}}));
  EXPECT_EQ(FixedPointToFloatPoint(TArrayOfFixedPoint{{98304, -16384}}), (TArrayOfFloatPoint{{1.5f, -0.25f}}));
  EXPECT_EQ(ReversePolygon(TArrayOfFloatPoint{{1, 1}, {2, 2}, {3, 3}}), (TArrayOfFloatPoint{{3, 3}, {2, 2}, {1, 1}}));

  const TArrayOfFloatPoint a = {{1, 5}, {-2, 3}, {4, -1}};
  const TFloatRect bnd = PolygonBounds(a);
  EXPECT_EQ(bnd.Left, -2);
  EXPECT_EQ(bnd.Top, -1);
  EXPECT_EQ(bnd.Right, 4);
  EXPECT_EQ(bnd.Bottom, 5);
  const TArrayOfArrayOfFloatPoint pp = CatPolyPolygon(PolyPolygon(a), {{{10, 10}}});
  ASSERT_EQ(pp.size(), 2u);
  EXPECT_EQ(PolypolygonBounds(pp).Right, 10);
  EXPECT_THROW(PolygonBounds(TArrayOfFloatPoint{}), EAssertionFailed);
  EXPECT_EQ(PolygonBounds(FloatPointToFixedPoint(a)).Left, Fixed(-2));

  TArrayOfFloatPoint s = ScalePolygon(a, 2, -1);
  EXPECT_EQ(s[0], TFloatPoint(2, -5));
  EXPECT_EQ(a[0], TFloatPoint(1, 5));  // the copying form leaves its input
  ScalePolygonInplace(s, 0.5f, -1);
  EXPECT_EQ(s, a);
  TArrayOfArrayOfFloatPoint moved = TranslatePolyPolygon(pp, 1, 2);
  EXPECT_EQ(moved[1][0], TFloatPoint(11, 12));
  TranslatePolyPolygonInplace(moved, -1, -2);
  EXPECT_EQ(moved, pp);
  TArrayOfFixedPoint fx = ScalePolygon(FloatPointToFixedPoint(a), Fixed(2), Fixed(1));
  EXPECT_EQ(fx[1], FixedPoint(-4, 3));
  TranslatePolygonInplace(fx, Fixed(1), 0);
  EXPECT_EQ(fx[1], FixedPoint(-3, 3));
}

TEST(Pix32_VectorUtils_qn, TransformPolyPolygonPreparesOnce) {
  TCountingAffine t;
  t.Translate(1, 1);
  t.Scale(2);
  const TArrayOfArrayOfFloatPoint in = {{{0, 0}, {1, 0}}, {{2, 3}}, {}};
  const auto out = TransformPolyPolygon(in, &t);
  EXPECT_EQ(t.Prepared, 1);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0][1], TFloatPoint(4, 2));
  EXPECT_EQ(out[1][0], TFloatPoint(6, 8));
  const auto fout = TransformPolyPolygon(FloatPointToFixedPoint(in), &t);
  EXPECT_EQ(t.Prepared, 2);
  EXPECT_EQ(fout[1][0], FixedPoint(6, 8));
}

}  // namespace t_pix32_vector_utils_test
