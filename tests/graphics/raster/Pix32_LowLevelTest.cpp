#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "tests/graphics/raster/RasterTestSupport.h"

namespace t_pix32_low_level_test {

using namespace qn;

namespace {
// Periodic image of v in 0..max, computed the slow way.
Integer RefWrap(Int64 v, Int64 max) {
  Int64 n = max + 1;
  return static_cast<Integer>(((v % n) + n) % n);
}
Integer RefMirror(Int64 v, Int64 max) {
  Int64 n = max + 1, p = ((v % (2 * n)) + 2 * n) % (2 * n);
  return static_cast<Integer>(p < n ? p : 2 * n - 1 - p);
}
}  // namespace

TEST(Pix32_LowLevel_qn, Div255IsExactForEveryByteProduct) {
  for (Cardinal a = 0; a < 256; ++a)
    for (Cardinal b = 0; b < 256; ++b) ASSERT_EQ(Div255(a * b), a * b / 255) << a << " " << b;
}

TEST(Pix32_LowLevel_qn, WrapAndMirrorFoldPeriodically) {
  EXPECT_EQ(Wrap(-1, 9), 9);
  EXPECT_EQ(Wrap(10, 9), 0);
  EXPECT_EQ(Mirror(10, 9), 9);
  EXPECT_EQ(Mirror(-1, 9), 0);
  std::mt19937 rng(4);
  for (int n = 0; n < 100000; ++n) {
    const Integer max = static_cast<Integer>(rng() % 1000);
    const Integer v = static_cast<Integer>(rng() % 200001) - 100000;
    ASSERT_EQ(Wrap(v, max), RefWrap(v, max)) << v << " " << max;
    ASSERT_EQ(Mirror(v, max), RefMirror(v, max)) << v << " " << max;
    const Integer lo = static_cast<Integer>(rng() % 100) - 50;
    ASSERT_EQ(Wrap(v, lo, lo + max), lo + RefWrap(Int64(v) - lo, max));
    ASSERT_EQ(Mirror(v, lo, lo + max), lo + RefMirror(Int64(v) - lo, max));
    // Power-of-two ranges: the fast forms agree.
    const Integer p = (1 << (rng() % 10)) - 1;
    ASSERT_EQ(WrapPow2(v, p), RefWrap(v, p));
    ASSERT_EQ(MirrorPow2(v, p), RefMirror(v, p));
    ASSERT_EQ(MirrorPow2(v, lo, lo + p), lo + RefMirror(Int64(v) - lo, p));
    ASSERT_EQ(GetWrapProc(TWrapMode::wmMirror, p)(v, p), RefMirror(v, p));
  }
  EXPECT_EQ(Wrap(7.5f, 3.0f), 1.5f);
  EXPECT_EQ(Wrap(-0.5f, 3.0f), 2.5f);
}

TEST(Pix32_LowLevel_qn, FoldSelection) {
  EXPECT_EQ(GetOptimalWrap(255), &WrapPow2Proc);
  EXPECT_EQ(GetOptimalWrap(254), &WrapProc);
  EXPECT_EQ(GetOptimalWrap(-1), &WrapProc);
  EXPECT_EQ(GetOptimalMirror(10, 17), &MirrorPow2ProcEx);
  EXPECT_EQ(GetOptimalMirror(-2, 5), &MirrorProcEx);
  EXPECT_EQ(GetWrapProc(TWrapMode::wmClamp), &ClampProc);
  EXPECT_EQ(GetWrapProc(static_cast<TWrapMode>(7)), &ClampProc);
  EXPECT_EQ(GetWrapProcEx(TWrapMode::wmRepeat, 0, 7), &WrapPow2ProcEx);
  EXPECT_EQ(WRAP_PROCS[static_cast<int>(TWrapMode::wmMirror)](-1, 9), 0);
  EXPECT_EQ(WRAP_PROCS_EX[static_cast<int>(TWrapMode::wmClamp)](12, 3, 9), 9);
}

TEST(Pix32_LowLevel_qn, ClippingAndConstraints) {
  Integer a = 12, b = -3;
  EXPECT_TRUE(TestClip(a, b, 10));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 9);
  a = 20; b = 15;
  EXPECT_FALSE(TestClip(a, b, 0, 10));
  EXPECT_EQ(Constrain(5, 10, 0), 10);  // the low bound is tested first
  EXPECT_EQ(SwapConstrain(5, 10, 0), 5);
  EXPECT_EQ(Clamp(-5), 0);
  EXPECT_EQ(Clamp(300), 255);
  EXPECT_EQ(ColorSwap(0x00123456), 0xFF563412u);
  EXPECT_EQ(SAR_4(-17), -2);
}

TEST(Pix32_LowLevel_qn, EveryFillLongwordVariantMatchesThePlainOne) {
  const Cardinal value = 0xA1B2C3D4u;
  for (auto* info : rastertest::Variants(LowLevelRegistry, 0)) {
    rastertest::ForceVariant force(LowLevelRegistry, info);
    for (Cardinal count = 0; count <= 200; ++count) {
      for (int align = 0; align < 4; ++align) {
        // One guard word before; the end of the block is the end of the allocation.
        std::vector<Cardinal> buf(1 + align + count, 0x5A5A5A5Au);
        FillLongword(buf.data() + 1 + align, count, value);
        for (size_t i = 0; i < buf.size(); ++i)
          ASSERT_EQ(buf[i], i < 1 + static_cast<size_t>(align) ? 0x5A5A5A5Au : value)
              << info->Name << " count " << count << " align " << align;
      }
    }
    // A block that starts off the 4-byte grid takes the plain path.
    std::vector<Byte> raw(4 * 40 + 1, 0);
    FillLongword(raw.data() + 1, 40, value);
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[1], 0xD4);
    EXPECT_EQ(raw[160], 0xA1);
  }
  std::vector<Word> w(5, 0);
  FillWord(w.data() + 1, 3, 0x12345678u);
  EXPECT_EQ(w, (std::vector<Word>{0, 0x5678, 0x5678, 0x5678, 0}));
}

// Row copies of every length up to a few rows of a short repaint, from and
// to every alignment within 32 bytes (the wide moves align their stores),
// against memmove; the guards around the target must stay untouched, and
// overlapping blocks (a bitmap scrolled within itself) move as memmove does.
TEST(Pix32_LowLevel_qn, MoveLongwordCopiesLikeMemmoveAtEveryLengthAndAlignment) {
  std::mt19937 rng(8);
  for (Integer count = 0; count <= 700; count += (count < 140 ? 1 : 37)) {
    for (int srcAlign = 0; srcAlign < 8; ++srcAlign) {
      for (int dstAlign = 0; dstAlign < 8; ++dstAlign) {
        std::vector<Cardinal> src(static_cast<size_t>(count) + 8);
        for (Cardinal& c : src) c = static_cast<Cardinal>(rng());
        std::vector<Cardinal> dst(static_cast<size_t>(count) + 16, 0x5A5A5A5Au);
        MoveLongword(src.data() + srcAlign, dst.data() + 4 + dstAlign, count);
        for (size_t i = 0; i < dst.size(); ++i) {
          const bool inside = i >= static_cast<size_t>(4 + dstAlign) && i < static_cast<size_t>(4 + dstAlign + count);
          ASSERT_EQ(dst[i], inside ? src[i - 4 - static_cast<size_t>(dstAlign) + static_cast<size_t>(srcAlign)]
                                   : 0x5A5A5A5Au)
              << "count " << count << " src " << srcAlign << " dst " << dstAlign << " at " << i;
        }
      }
    }
  }
  for (Integer shift : {-70, -9, -1, 1, 5, 64, 200}) {
    std::vector<Cardinal> block(1200), expect;
    for (Cardinal& c : block) c = static_cast<Cardinal>(rng());
    expect = block;
    const Integer from = 300, count = 600;
    std::memmove(expect.data() + from + shift, expect.data() + from, static_cast<size_t>(count) * 4);
    MoveLongword(block.data() + from, block.data() + from + shift, count);
    ASSERT_EQ(block, expect) << "shift " << shift;
  }
}

// A block of rows moves as each row would with MoveLongword: narrow rows,
// short rows and rows long enough for the wide moves, at any offset within the rows and
// with strides of both bitmaps unlike; what lies between the rows and
// around the block stays as it was.
TEST(Pix32_LowLevel_qn, MoveLongwordRowsMovesEachRowAndNothingElse) {
  std::mt19937 rng(11);
  // Every count up to 70 meets each way of moving a narrow row.
  std::vector<Integer> counts;
  for (Integer n = 0; n <= 70; ++n) counts.push_back(n);
  for (Integer n : {100, 130, 300}) counts.push_back(n);
  for (Integer count : counts) {
    for (Integer rows : {0, 1, 5}) {
      for (int offset = 0; offset < 8; offset += 3) {
        const size_t srcStride = static_cast<size_t>(count) + 13, dstStride = static_cast<size_t>(count) + 29;
        std::vector<Cardinal> src(srcStride * 6 + 8), dst(dstStride * 6 + 8, 0xA5A5A5A5u);
        for (Cardinal& c : src) c = static_cast<Cardinal>(rng());
        std::vector<Cardinal> expect = dst;
        for (Integer y = 0; y < rows; ++y)
          for (Integer x = 0; x < count; ++x)
            expect[static_cast<size_t>(y) * dstStride + static_cast<size_t>(offset + 2 + x)] =
                src[static_cast<size_t>(y) * srcStride + static_cast<size_t>(offset + x)];
        MoveLongwordRows(src.data() + offset, srcStride, dst.data() + offset + 2, dstStride, count, rows);
        ASSERT_EQ(dst, expect) << "count " << count << " rows " << rows << " offset " << offset;
      }
    }
  }
}

}  // namespace t_pix32_low_level_test
