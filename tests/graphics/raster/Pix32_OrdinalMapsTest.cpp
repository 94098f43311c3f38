#include <gtest/gtest.h>

#include "graphics/raster/Pix32_OrdinalMaps_qn.h"

namespace t_pix32_ordinal_maps_test {

using namespace qn;

TEST(Pix32_OrdinalMaps_qn, BooleanMapBitLayout) {
  TBooleanMap m;
  EXPECT_TRUE(m.Empty());
  EXPECT_EQ(m.Bits(), nullptr);
  m.SetSize(3, 3);
  m.Clear(0);
  m.SetValue(1, 1, true);
  EXPECT_EQ(m.Bits()[0], 1u << 4);
  EXPECT_EQ(m.Bits()[1], 0u);
  m.SetValue(2, 2, true);  // index 8: bit 0 of the second byte
  EXPECT_EQ(m.Bits()[1], 1u);
  m.ToggleBit(1, 1);
  EXPECT_FALSE(m.Value(1, 1));
  EXPECT_TRUE(m.Value(2, 2));
}

TEST(Pix32_OrdinalMaps_qn, ByteMapConversions) {
  TCustomBitmap32 b;
  b.SetSize(2, 1);
  b.SetPixel(0, 0, 0xFF0A141Eu);
  b.SetPixel(1, 0, 0x80FF0000u);
  TByteMap m;
  m.ReadFrom(&b, TConversionType::ctUniformRGB);
  EXPECT_EQ(m.Width(), 2);
  EXPECT_EQ(m.Value(0, 0), 20);
  m.ReadFrom(&b, TConversionType::ctAlpha);
  EXPECT_EQ(m.Value(1, 0), 0x80);
  m.SetValue(0, 0, 0x33);
  m.SetValue(1, 0, 0x44);
  m.WriteTo(&b, TConversionType::ctAlpha);
  EXPECT_EQ(b.GetPixel(0, 0), 0x330A141Eu);
  EXPECT_EQ(b.GetPixel(1, 0), 0x44FF0000u);
  m.WriteTo(&b, TConversionType::ctUniformRGB);
  EXPECT_EQ(b.GetPixel(1, 0), 0xFF444444u);
  // Assignment from a bitmap reads the weighted intensity, to one writes grey.
  TByteMap m2;
  b.SetPixel(0, 0, 0xFFFFFFFFu);
  m2.Assign(&b);
  EXPECT_EQ(m2.Value(0, 0), Intensity(0xFFFFFFFFu));
  TCustomBitmap32 g;
  g.Assign(&m2);
  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(g.GetPixel(1, 0), Gray32(m2.Value(1, 0)));
  TPalette32 pal{};
  pal[0x44] = 0x12345678u;
  m.WriteTo(&g, pal);
  EXPECT_EQ(g.GetPixel(1, 0), 0x12345678u);
}

TEST(Pix32_OrdinalMaps_qn, SizingClearAndAssign) {
  TIntegerMap a(3, 2);
  a.Clear(-7);
  a.SetValue(2, 1, 42);
  EXPECT_EQ(*a.ValPtr(2, 1), 42);
  EXPECT_EQ(a.Scanline(1)[0], -7);
  TIntegerMap b;
  b.Assign(&a);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Value(2, 1), 42);
  a.SetSize(3, 3);  // contents kept up to the smaller size
  EXPECT_EQ(a.Value(2, 1), 42);
  a.SetSize(0, 0);
  EXPECT_TRUE(a.Empty());
  TWordMap w(4, 4);
  w.Clear(0xBEEF);
  EXPECT_EQ(w.Value(3, 3), 0xBEEF);
  TFloatMap f(2, 2);
  f.Clear(1.5f);
  EXPECT_EQ(f.Value(1, 1), 1.5f);
  f.Clear();
  EXPECT_EQ(f.Value(1, 1), 0.0f);
  TCardinalMap c(2, 2);
  c.Clear(0xFFFFFFFFu);
  EXPECT_EQ(c.Value(1, 1), 0xFFFFFFFFu);
  TByteMap bm;
  EXPECT_ANY_THROW(bm.Assign(&w));
}

}  // namespace t_pix32_ordinal_maps_test
