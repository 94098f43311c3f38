// MulDiv against a reference in exact integer arithmetic: the 64-bit
// product, rounding of halves away from zero, and the answers for a zero
// divisor and results that do not fit 32 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "platform/rtl/Kernel.h"

namespace t_mul_div_test {

using namespace vcl;

namespace {

// Exact: |n * m| rounded to the nearest multiple of |d|, halves away from
// zero, computed in 128 bits.
Integer Reference(Integer N, Integer M, Integer D) {
  if (D == 0) return -1;
  __int128 p = static_cast<__int128>(N) * M;
  bool negative = (p < 0) != (D < 0);
  __int128 a = p < 0 ? -p : p, b = D < 0 ? -static_cast<__int128>(D) : D;
  __int128 q = a / b;
  if ((a % b) * 2 >= b) ++q;
  __int128 r = negative ? -q : q;
  if (r > INT32_MAX || r < INT32_MIN) return -1;
  return Integer(r);
}

}  // namespace

TEST(Platform_MulDiv, AgreesWithExactArithmetic) {
  EXPECT_EQ(MulDiv(18, 144, 96), 27);
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, -1, 2), -3);
  EXPECT_EQ(MulDiv(-5, -1, -2), -3);
  EXPECT_EQ(MulDiv(7, 3, 0), -1);
  EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, INT32_MAX), INT32_MAX);
  EXPECT_EQ(MulDiv(INT32_MIN, 1, 1), INT32_MIN);
  EXPECT_EQ(MulDiv(INT32_MIN, -1, 1), -1) << "does not fit";
  EXPECT_EQ(MulDiv(INT32_MAX, 2, 1), -1);
  std::mt19937 rng(96);
  std::uniform_int_distribution<Integer> any(INT32_MIN, INT32_MAX), small(-5000, 5000);
  for (int i = 0; i < 200000; ++i) {
    Integer n = i % 2 ? any(rng) : small(rng);
    Integer m = i % 3 ? small(rng) : any(rng);
    Integer d = i % 5 ? small(rng) : any(rng);
    ASSERT_EQ(MulDiv(n, m, d), Reference(n, m, d)) << n << " * " << m << " / " << d;
  }
}

}  // namespace t_mul_div_test
