#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "graphics/raster/Pix32_Math_qn.h"
#include "tests/graphics/raster/RasterTestSupport.h"

namespace t_pix32_math_test {

using namespace qn;
// The host has a MulDiv of its own, which another test built with this one
// may bring in.
using qn::MulDiv;

namespace {
// Inputs that reach the edges: extremes, small values and random ones.
Integer Pick(std::mt19937& rng) {
  static const Integer edges[] = {0, 1, -1, 2, -2, 0x7FFF, 0x8000, -0x8000, 0x10000, -0x10000,
                                  0x7FFFFFFF, static_cast<Integer>(0x80000000u), 0x7FFFFFFE, 0x40000000};
  switch (rng() % 4) {
    case 0: return edges[rng() % std::size(edges)];
    case 1: return static_cast<Integer>(rng() % 2001) - 1000;
    case 2: return static_cast<Integer>(rng()) >> (rng() % 31);
    default: return static_cast<Integer>(rng());
  }
}
}  // namespace

TEST(Pix32_Math_qn, FixedRoundingEdges) {
  EXPECT_EQ(FixedRound(0x8000), 0);
  EXPECT_EQ(FixedRound(0x18000), 1);
  EXPECT_EQ(FixedRound(-0x8000), -1);
  EXPECT_EQ(FixedCeil(1), 1);
  EXPECT_EQ(FixedFloor(-1), -1);
  EXPECT_EQ(FixedSqrtHP(0x10000), 0x10000);
  EXPECT_EQ(FixedSqrtLP(0x40000), 0x20000);
  EXPECT_EQ(FixedCombine(0x10000, 5 << 16, 3 << 16), 5 << 16);
  EXPECT_EQ(FixedCombine(0, 5 << 16, 3 << 16), 3 << 16);
}

TEST(Pix32_Math_qn, FixedMulDivAgainst64BitReference) {
  std::mt19937 rng(11);
  for (int n = 0; n < 100000; ++n) {
    const Integer a = Pick(rng), b = Pick(rng);
    const Int64 prod = Int64(a) * b;
    EXPECT_EQ(FixedMul(a, b), static_cast<Integer>(static_cast<UInt64>(prod >= 0 ? prod / 65536 : -((-prod + 65535) / 65536))));
    if (b != 0) {
      const Int64 q = (Int64(a) * 65536) / b;  // C++ division truncates, as the platform's div
      EXPECT_EQ(FixedDiv(a, b), static_cast<Integer>(static_cast<UInt64>(q)));
    }
  }
}

TEST(Pix32_Math_qn, FixedSquareRootsAreFloorsOfTheTrueRoot) {
  std::mt19937 rng(5);
  for (int n = 0; n < 20000; ++n) {
    const Integer v = static_cast<Integer>(rng() & 0x3FFFFFFF);
    const UInt64 hp = static_cast<UInt64>(FixedSqrtHP(v));
    const unsigned __int128 x = static_cast<unsigned __int128>(static_cast<UInt64>(v)) << 16;
    EXPECT_TRUE(hp * hp <= x && (hp + 1) * (hp + 1) > x) << v;
    const UInt64 lp = static_cast<UInt64>(FixedSqrtLP(v)) >> 8;
    EXPECT_TRUE(lp * lp <= static_cast<UInt64>(v) && (lp + 1) * (lp + 1) > static_cast<UInt64>(v)) << v;
  }
}

TEST(Pix32_Math_qn, MulDivRoundsHalfAwayAndFlagsOverflow) {
  EXPECT_EQ(MulDiv(7, 1, 2), 4);
  EXPECT_EQ(MulDiv(-7, 1, 2), -4);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 1), -1);
  std::mt19937 rng(3);
  for (int n = 0; n < 100000; ++n) {
    const Integer a = Pick(rng), b = Pick(rng), c = Pick(rng);
    if (c == 0) continue;
    const __int128 p = static_cast<__int128>(a) * b;
    const __int128 ap = p < 0 ? -p : p, ac = c < 0 ? -static_cast<__int128>(c) : c;
    __int128 q = ap / ac;
    if (2 * (ap % ac) >= ac) ++q;
    const bool neg = (p < 0) != (c < 0);
    const Integer got = MulDiv(a, b, c);
    if (q < (__int128(1) << 30) && (ap >> 32) * 2 < ac) {
      EXPECT_EQ(got, static_cast<Integer>(neg ? -q : q)) << a << " " << b << " " << c;
    } else if (got != -1) {
      EXPECT_EQ(got, static_cast<Integer>(static_cast<UInt64>(neg ? -q : q))) << a << " " << b << " " << c;
    }
  }
}

TEST(Pix32_Math_qn, DivModAgainst64BitReference) {
  std::mt19937 rng(8);
  for (int n = 0; n < 100000; ++n) {
    const Integer a = Pick(rng), b = Pick(rng);
    if (b == 0 || (a == static_cast<Integer>(0x80000000u) && b == -1)) continue;
    Integer r;
    const Integer q = DivMod(a, b, r);
    EXPECT_EQ(q, static_cast<Integer>(Int64(a) / b));
    EXPECT_EQ(Int64(q) * b + r, Int64(a));
    EXPECT_TRUE(r == 0 || (r < 0) == (a < 0));
  }
}

TEST(Pix32_Math_qn, PowersOfTwoAndSmallHelpers) {
  EXPECT_EQ(NextPowerOf2(0), 1);
  EXPECT_EQ(NextPowerOf2(2), 2);
  EXPECT_EQ(NextPowerOf2(3), 4);
  EXPECT_EQ(NextPowerOf2(5), 8);
  EXPECT_EQ(PrevPowerOf2(0), 0);
  EXPECT_EQ(PrevPowerOf2(100), 64);
  EXPECT_TRUE(IsPowerOf2(0));
  EXPECT_FALSE(IsPowerOf2(6));
  EXPECT_EQ(Average(0x7FFFFFFF, 0x7FFFFFFD), 0x7FFFFFFE);
  EXPECT_EQ(Average(-3, 0), -2);
  EXPECT_EQ(FloatMod(-1.0, 3.0), 2.0);
  EXPECT_EQ(FloatMod(5.0, 0.0), 5.0);
  EXPECT_EQ(Hypot(3, 4), 5);
  EXPECT_NEAR(FastSqrtBab1(16.0f), 4.0f, 0.05f);
  EXPECT_NEAR(FastInvSqrt(4.0f), 0.5f, 0.01f);
  Single s, c;
  SinCos(0.5f, 2.0f, 3.0f, s, c);
  EXPECT_NEAR(s, std::sin(0.5) * 3, 1e-6);
  EXPECT_NEAR(c, std::cos(0.5) * 2, 1e-6);
}

TEST(Pix32_Math_qn, EveryCumSumVariantMatchesThePlainOne) {
  EXPECT_NE(MathRegistry, nullptr);
  std::vector<float> a{1, 2, 3};
  CumSum(a.data(), 3);
  EXPECT_EQ(a, (std::vector<float>{1, 3, 6}));
  std::mt19937 rng(2);
  for (auto* info : rastertest::Variants(MathRegistry, 0)) {
    rastertest::ForceVariant force(MathRegistry, info);
    for (int count = 0; count <= 200; ++count) {
      for (int align = 0; align < 4; ++align) {
        // Small integers (and runs of zeros) add exactly in any order.
        std::vector<float> buf(align + count);
        for (auto& v : buf) v = (rng() % 3 == 0) ? 0.0f : static_cast<float>(static_cast<int>(rng() % 200) - 100);
        std::vector<float> ref(buf);
        CumSum_Pas(ref.data() + align, count);
        // Exact-size buffer: a write past Count shows under ASan.
        std::vector<float> tight(buf);
        float* p = tight.data() + align;
        CumSum(p, count);
        for (int i = 0; i < count; ++i) ASSERT_EQ(p[i], ref[align + i]) << info->Name << " count " << count << " i " << i;
      }
    }
    // Arbitrary floats: equal up to the order of additions.
    std::vector<float> v(150), w;
    for (auto& x : v) x = std::uniform_real_distribution<float>(-1, 1)(rng);
    w = v;
    CumSum(v.data(), 150);
    CumSum_Pas(w.data(), 150);
    for (int i = 0; i < 150; ++i) EXPECT_NEAR(v[i], w[i], 1e-4) << info->Name;
  }
}

}  // namespace t_pix32_math_test
