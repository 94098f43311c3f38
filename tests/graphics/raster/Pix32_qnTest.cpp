#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/rtl/Math.h"

namespace t_pix32_qn_test {

using namespace qn;

TEST(Pix32_qn, ColourConstructionAndAccess) {
  EXPECT_EQ(Color32(0x00336699), 0xFF996633u);
  EXPECT_EQ(Color32(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(Gray32(0x80, 0x40), 0x40808080u);
  EXPECT_EQ(Intensity(0xFFFFFFFFu), 255);
  EXPECT_EQ(InvertColor(0x80102030u), 0x80EFDFCFu);
  EXPECT_EQ(SetAlpha(0x00123456u, 300), 0xFF123456u);
  EXPECT_EQ(SetAlpha(0xFF123456u, -3), 0x00123456u);
  TColor32 c = 0xC8000000u;
  ScaleAlpha(c, 2);
  EXPECT_EQ(AlphaComponent(c), 144);  // 400 keeps its low 8 bits
  EXPECT_EQ(Color32Components(true, false, false, true).Bits(), 0x0Cu);
  std::mt19937 rng(1);
  for (int n = 0; n < 10000; ++n) {
    const TColor w = static_cast<TColor>(rng() & 0xFFFFFF);
    ASSERT_EQ(WinColor(Color32(w)), w);
  }
  TColor32Entry e;
  e.ARGB = 0x11223344u;
  EXPECT_EQ(e.B, 0x44);
  EXPECT_EQ(e.A, 0x11);
  EXPECT_EQ(e.Components[static_cast<int>(TColor32Component::ccRed)], 0x22);
  TFixedRec f;
  f.Fixed = -0x8000;
  EXPECT_EQ(f.Int, -1);
  EXPECT_EQ(f.Frac, 0x8000);
}

TEST(Pix32_qn, SystemColoursResolveToTheCurrentSchemeAndComeBackOpaque) {
  constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000Fu);
  const int index = 15;
  const COLORREF value = 0x00010203u;
  ASSERT_TRUE(SetSysColors(1, &index, &value));
  EXPECT_EQ(Color32(clBtnFace), 0xFF030201u);
  ResetSysColors();
  EXPECT_EQ(Color32(clBtnFace), ColorSwap(static_cast<TColor>(GetSysColor(15))));
}

TEST(Pix32_qn, PointAndRectangleConstruction) {
  EXPECT_EQ(Fixed(1.5f), 0x18000);
  EXPECT_EQ(Fixed(-2), -0x20000);
  EXPECT_EQ(Point(TFloatPoint(2.5f, 3.5f)), vcl::Point(2, 4));  // ties to even
  EXPECT_EQ(Point(TFixedPoint(0x8000, 0x18000)), vcl::Point(0, 1));
  EXPECT_EQ(FloatPoint(FixedPoint(3, -4)), TFloatPoint(3, -4));
  EXPECT_EQ(MakeRect(FloatRect(0.2f, 0.2f, 0.4f, 0.4f), TRectRounding::rrInside), TRect(1, 1, 1, 1));
  EXPECT_EQ(MakeRect(FloatRect(0.2f, 0.2f, 1.4f, 1.4f), TRectRounding::rrOutside), TRect(0, 0, 2, 2));
  EXPECT_EQ(MakeRect(FixedRect(0x8000, 0x18000, 0x28000, 0x10001), TRectRounding::rrClosest), TRect(0, 1, 2, 1));
  EXPECT_EQ(MakeRect(FixedRect(0x18000, 0, 0x10000, 0x8000), TRectRounding::rrInside), TRect(2, 0, 2, 0));
}

// Rounding a float rectangle to the closest edges gives, edge by edge, what
// RoundI gives: ties to even, negative edges, edges near and past the
// integer range (saturated) and NaN among ordinary edges.
TEST(Pix32_qn, ClosestRectangleRoundsEachEdgeAsRoundI) {
  std::mt19937 rng(3);
  const float specials[] = {0.5f, 1.5f, 2.5f, -0.5f, -1.5f, -2.5f, 1e9f, -1e9f, 2147483520.0f, -2147483520.0f,
                            2147483648.0f, -2147483648.0f, 3e9f, -3e9f, 1e30f, -1e30f,
                            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(), 0.0f, -0.0f, 1e-30f};
  auto edge = [&]() -> float {
    switch (rng() % 4) {
      case 0: return specials[rng() % (sizeof(specials) / sizeof(specials[0]))];
      case 1: return static_cast<float>(static_cast<int>(rng() % 8001) - 4000) / 2.0f;
      default: return std::uniform_real_distribution<float>(-5000.0f, 5000.0f)(rng);
    }
  };
  for (int i = 0; i < 20000; ++i) {
    const TFloatRect f(edge(), edge(), edge(), edge());
    const TRect want(vcl::RoundI(f.Left), vcl::RoundI(f.Top), vcl::RoundI(f.Right), vcl::RoundI(f.Bottom));
    ASSERT_EQ(MakeRect(f, TRectRounding::rrClosest), want)
        << f.Left << " " << f.Top << " " << f.Right << " " << f.Bottom;
  }
}

TEST(Pix32_qn, RectangleArithmeticCountsTouchingEdges) {
  TRect d;
  EXPECT_TRUE(Pix32_qn::IntersectRect(d, TRect(0, 0, 10, 10), TRect(10, 0, 20, 10)));
  EXPECT_EQ(d, TRect(10, 0, 10, 10));
  EXPECT_FALSE(Pix32_qn::IntersectRect(d, TRect(0, 0, 10, 10), TRect(11, 0, 20, 10)));
  EXPECT_EQ(d, TRect());
  EXPECT_TRUE(Pix32_qn::UnionRect(d, TRect(0, 0, 0, 0), TRect(5, 5, 10, 10)));
  EXPECT_EQ(d, TRect(0, 0, 10, 10));
  TFloatRect f;
  EXPECT_TRUE(IntersectRect(f, FloatRect(0, 0, 10, 10), FloatRect(10, 0, 20, 10)));
  EXPECT_TRUE(EqualRect(f, FloatRect(10, 0, 10, 10)));
  EXPECT_TRUE(UnionRect(f, FloatRect(0, 0, 0, 0), FloatRect(5, 5, 10, 10)));
  EXPECT_TRUE(EqualRect(f, FloatRect(0, 0, 10, 10)));
  EXPECT_TRUE(EqualRectSize(FloatRect(0, 0, 1, 1), FloatRect(5, 5, 6.000001f, 6)));
  EXPECT_FALSE(EqualRectSize(FloatRect(0, 0, 1, 1), FloatRect(5, 5, 6.001f, 6)));
  EXPECT_TRUE(PtInRect(FloatRect(0, 0, 1, 1), TFloatPoint(0.5f, 0.99f)));
  EXPECT_FALSE(PtInRect(TRect(0, 0, 1, 1), TFloatPoint(1.0f, 0.5f)));
  EXPECT_TRUE(IsRectEmpty(FloatRect(1, 1, 1, 5)));
}

TEST(Pix32_qn, IntegerHSL) {
  Byte h, s, l;
  RGBtoHSL(0xFFFF0000u, h, s, l);
  EXPECT_EQ(h, 0);
  RGBtoHSL(0xFF00FF00u, h, s, l);
  EXPECT_EQ(h, 85);
  RGBtoHSL(0xFF0000FFu, h, s, l);
  EXPECT_EQ(h, 170);
  EXPECT_EQ(s, 255);
  EXPECT_EQ(l, 127);
  RGBtoHSL(0xFF808080u, h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(HSLtoRGB(40, 200, 0, 128), 0xFF000000u);
  // Fully saturated primaries come back within the integer hue steps.
  for (TColor32 c : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
    RGBtoHSL(c, h, s, l);
    TColor32 back = HSLtoRGB(h, s, l, 255);
    for (int sh = 0; sh < 24; sh += 8) EXPECT_NEAR((back >> sh) & 0xFF, (c >> sh) & 0xFF, 6) << std::hex << c;
  }
}

TEST(Pix32_qn, FloatColourModelsRoundTrip) {
  std::mt19937 rng(9);
  for (int n = 0; n < 5000; ++n) {
    const TColor32 c = 0xFF000000u | (rng() & 0xFFFFFF);
    Single h, s, l;
    RGBtoHSL(c, h, s, l);
    ASSERT_EQ(HSLtoRGB(h, s, l), c);
    RGBToHSV(c, h, s, l);
    const TColor32 back = HSVtoRGB(h, s, l);
    for (int sh = 0; sh < 24; sh += 8) ASSERT_NEAR((back >> sh) & 0xFF, (c >> sh) & 0xFF, 1) << std::hex << c;
  }
  EXPECT_EQ(HSVtoRGB(0.3f, 0, 0.5f), 0xFF7F7F7Fu);
}

TEST(Pix32_qn, StockBitmapIsAnEightByEightScratchSurface) {
  ASSERT_NE(StockBitmap, nullptr);
  EXPECT_EQ(StockBitmap->Width(), 8);
  EXPECT_EQ(StockBitmap->Height(), 8);
}

TEST(Pix32_qn, GammaTable) {
  EXPECT_EQ(GAMMA_TABLE[0], 0);
  EXPECT_EQ(GAMMA_TABLE[255], 255);
  EXPECT_EQ(GAMMA_TABLE[128], static_cast<Byte>(std::lround(std::pow(128 / 255.0, 1.6) * 255)));
  for (int i = 1; i < 256; ++i) EXPECT_GE(GAMMA_TABLE[i], GAMMA_TABLE[i - 1]);
  SetGamma(1.0f);
  EXPECT_EQ(GAMMA_TABLE[77], 77);
  SetGamma(1.6f);
}

TEST(Pix32_qn, WinPaletteMakesAPlatformPalette) {
  TPalette32 pal{};
  pal[3] = 0xFF102030u;
  HPALETTE h = WinPalette(pal);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(DeleteObject(h));
  EXPECT_EQ(Color32(3, pal), 0xFF102030u);
}

}  // namespace t_pix32_qn_test
