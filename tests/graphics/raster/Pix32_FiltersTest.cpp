#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/raster/Pix32_Filters_qn.h"

namespace t_pix32_filters_test {

using namespace qn;

namespace {

void Fill(TCustomBitmap32& b, Cardinal seed) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng();
}

std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.Width() * b.Height());
}

void ExpectMessage(const std::function<void()>& f, const String& message) {
  try {
    f();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

}  // namespace

TEST(Pix32_Filters_qn, GreyValuesOfThePrimaries) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 1);
  src.Bits()[0] = 0x80FFFFFFu;
  src.Bits()[1] = 0x40FF0000u;
  src.Bits()[2] = 0xFF00FF00u;
  src.Bits()[3] = 0x000000FFu;
  ColorToGrayscale(&dst, &src);
  EXPECT_EQ(Pixels(dst), (std::vector<TColor32>{0xFFFFFFFFu, 0xFF3C3C3Cu, 0xFFADADADu, 0xFF141414u}));
  ColorToGrayscale(&dst, &src, true);
  EXPECT_EQ(dst.Bits()[0], 0x80FFFFFFu);
  EXPECT_EQ(dst.Bits()[3], 0x00141414u);

  IntensityToAlpha(&dst, &src);
  EXPECT_EQ(dst.Bits()[1] >> 24, 60u);
  EXPECT_EQ(dst.Bits()[1] & 0xFFFFFFu, 0x3C3C3Cu);  // colour bytes left as they were
  AlphaToGrayscale(&dst, &src);
  EXPECT_EQ(dst.Bits()[0], 0xFF808080u);  // the alpha IntensityToAlpha gave stays
  EXPECT_EQ(dst.Bits()[3], 0x14000000u);
}

TEST(Pix32_Filters_qn, LookUpTablesAndChromaKey) {
  TCustomBitmap32 src, dst;
  src.SetSize(3, 1);
  src.Bits()[0] = 0x10203040u;
  src.Bits()[1] = 0xFF000000u;
  src.Bits()[2] = 0x00FFFFFFu;
  TLUT8 invert;
  for (int i = 0; i < 256; ++i) invert[i] = Byte(255 - i);
  ApplyLUT(&dst, &src, invert);
  EXPECT_EQ(Pixels(dst), (std::vector<TColor32>{0xFFDFCFBFu, 0xFFFFFFFFu, 0xFF000000u}));
  dst.Bits()[1] = 0x33000000u;
  ApplyLUT(&dst, &src, invert, true);
  EXPECT_EQ(dst.Bits()[1], 0x33FFFFFFu);

  TCustomBitmap32 b;
  b.SetSize(4, 1);
  b.Bits()[0] = 0xFF00FF00u;
  b.Bits()[1] = 0x8000FF00u;
  b.Bits()[2] = 0x0000FF00u;
  b.Bits()[3] = 0xFF00FF01u;
  ChromaKey(&b, 0x1200FF00u);  // the key's alpha is not compared
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0x0000FF00u, 0x0000FF00u, 0x0000FF00u, 0xFF00FF01u}));
}

TEST(Pix32_Filters_qn, ComponentsAndBitmasksOverRectangles) {
  EXPECT_EQ(CreateBitmask(TColor32Components{TColor32Component::ccRed, TColor32Component::ccAlpha}), 0xFFFF0000u);
  TCustomBitmap32 src, dst;
  src.SetSize(4, 3);
  dst.SetSize(6, 5);
  Fill(src, 1);
  Fill(dst, 2);
  auto before = Pixels(dst);
  CopyComponents(&dst, 3, 1, &src, TRect(1, 1, 4, 3), TColor32Components{TColor32Component::ccGreen});
  for (Integer y = 0; y < 5; ++y)
    for (Integer x = 0; x < 6; ++x) {
      TColor32 want = before[y * 6 + x];
      if (x >= 3 && y >= 1 && y < 3) want = (want & ~0xFF00u) | (src.GetPixel(x - 2, y) & 0xFF00u);
      ASSERT_EQ(dst.GetPixel(x, y), want) << x << "," << y;
    }

  before = Pixels(dst);
  ApplyBitmask(&dst, 2, 0, &src, src.BoundsRect(), 0x00FF00FFu, TLogicalOperator::loAND);
  for (Integer y = 0; y < 5; ++y)
    for (Integer x = 0; x < 6; ++x) {
      const bool covered = x >= 2 && y < 3;
      ASSERT_EQ(dst.GetPixel(x, y), covered ? (src.GetPixel(x - 2, y) & 0x00FF00FFu) : before[y * 6 + x]);
    }

  // An offset beyond the destination's width leaves nothing to do.
  before = Pixels(dst);
  ApplyBitmask(&dst, 50, 0, &src, src.BoundsRect(), 0, TLogicalOperator::loAND);
  EXPECT_EQ(Pixels(dst), before);

  // In place, rows in part and whole.
  ApplyBitmask(&dst, TRect(1, 1, 3, 2), 0xFFFFFFFFu, TLogicalOperator::loXOR);
  EXPECT_EQ(dst.GetPixel(1, 1), ~before[7]);
  EXPECT_EQ(dst.GetPixel(3, 1), before[9]);
  ApplyBitmask(&dst, TRect(-5, 3, 60, 5), 0x01000000u, TLogicalOperator::loOR);
  EXPECT_EQ(dst.GetPixel(5, 4), before[29] | 0x01000000u);
  EXPECT_EQ(dst.GetPixel(5, 2), before[17]);
}

TEST(Pix32_Filters_qn, InvertInPlaceKeepsTheSize) {
  TCustomBitmap32 b, c;
  b.SetSize(5, 2);
  Fill(b, 3);
  const auto before = Pixels(b);
  b.SetClipRect(TRect(0, 0, 2, 2));
  Invert(&b, &b);
  EXPECT_EQ(b.Width(), 5);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(b.Bits()[i], ~before[i]);
  InvertRGB(&c, &b);
  EXPECT_EQ(c.Width(), 5);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(c.Bits()[i], before[i] ^ 0xFF000000u);
  const auto again = Pixels(c);
  Invert(&c, &c, {});
  EXPECT_EQ(Pixels(c), again);
}

TEST(Pix32_Filters_qn, NilArgumentsAndMeasuring) {
  TCustomBitmap32 b;
  b.SetSize(2, 2);
  ExpectMessage([&] { CheckParams(&b, nullptr); }, u"The source is nil");
  ExpectMessage([&] { CheckParams(nullptr, &b); }, u"Destination is nil");
  ExpectMessage([&] { ColorToGrayscale(nullptr, &b); }, u"Destination is nil");
  ExpectMessage([&] { ApplyBitmask(nullptr, TRect(0, 0, 1, 1), 0, TLogicalOperator::loOR); }, u"The bitmap is nil");
  ExpectMessage([&] { ApplyBitmask(&b, 0, 0, nullptr, TRect(0, 0, 1, 1), 0, TLogicalOperator::loOR); },
                u"The source is nil");

  Fill(b, 4);
  const auto before = Pixels(b);
  struct Rec {
    std::vector<TRect> Areas;
    void On(TObject*, const TRect& R, Cardinal) { Areas.push_back(R); }
  } rec;
  b.BeginMeasuring(MakeEvent(&rec, &Rec::On));
  ApplyBitmask(&b, TRect(0, 0, 1, 2), 0xFFFFFFFFu, TLogicalOperator::loXOR);
  ApplyBitmask(&b, 1, 0, &b, TRect(0, 0, 1, 2), 0, TLogicalOperator::loAND);
  b.EndMeasuring();
  EXPECT_EQ(Pixels(b), before);
  ASSERT_EQ(rec.Areas.size(), 2u);
  EXPECT_EQ(rec.Areas[0], TRect(0, 0, 1, 2));
  EXPECT_EQ(rec.Areas[1], TRect(1, 0, 2, 2));
}

TEST(Pix32_Filters_qn, MaskLinesAreBound) {
  ASSERT_NE(FiltersRegistry, nullptr);
  for (auto* v : MASK_LINE_PROCS) EXPECT_NE(*v, nullptr);
  for (auto* v : MASK_LINE_TO_PROCS) EXPECT_NE(*v, nullptr);
  TColor32 px[3] = {1, 2, 3};
  (*MASK_LINE_PROCS[static_cast<int>(TLogicalOperator::loOR)])(px, 0x10u, 0);
  EXPECT_EQ(px[0], 1u);
}

}  // namespace t_pix32_filters_test
