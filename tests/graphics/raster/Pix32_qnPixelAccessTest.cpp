#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace t_pix32_qn_pixel_access_test {

using namespace qn;

namespace {

// A bitmap whose pixel (x, y) is opaque with blue = x and green = y.
void Coords(TCustomBitmap32& b, Integer w, Integer h) {
  b.SetSize(w, h);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | static_cast<Cardinal>(y << 8 | x));
}

std::vector<TColor32> Pixels(const TCustomBitmap32& b) { return {b.Bits(), b.Bits() + b.Width() * b.Height()}; }

}  // namespace

TEST(Pix32_qn, IntegerAccessorsAtTheEdges) {
  TCustomBitmap32 b;
  Coords(b, 4, 4);
  b.SetOuterColor(0x00C0FFEEu);
  EXPECT_EQ(b.GetPixelS(-1, 0), 0x00C0FFEEu);
  EXPECT_EQ(b.GetPixelS(3, 3), 0xFF000303u);
  const auto before = Pixels(b);
  b.SetPixelS(-1, 0, 0);
  b.SetPixelS(4, 0, 0);
  b.SetClipRect(Rect(1, 1, 3, 3));
  b.SetPixelS(0, 0, 0);
  b.SetPixelS(3, 1, 0);
  EXPECT_EQ(b.GetPixelS(0, 1), 0x00C0FFEEu);  // outside the clip rectangle, inside the bitmap
  EXPECT_EQ(Pixels(b), before);
  b.SetPixelS(2, 2, 0x12345678u);
  EXPECT_EQ(b.GetPixel(2, 2), 0x12345678u);
  b.ResetClipRect();

  EXPECT_EQ(b.GetPixelB(-5, 4 + 3), 0xFF000300u);  // clamped to the bounds
  EXPECT_EQ(b.GetPixelB(9, -2), 0xFF000003u);

  EXPECT_EQ(b.GetPixelW(5, -1), 0xFF000003u);  // wmClamp
  b.SetWrapMode(TWrapMode::wmRepeat);
  EXPECT_EQ(b.GetPixelW(5, -1), 0xFF000301u);
  b.SetWrapMode(TWrapMode::wmMirror);
  EXPECT_EQ(b.GetPixelW(5, -1), 0xFF000002u);
  b.SetPixelW(-1, 4, 0xAB);
  EXPECT_EQ(b.GetPixel(0, 3), 0xABu);
  // Wrapping follows the clip rectangle.
  b.SetWrapMode(TWrapMode::wmRepeat);
  b.SetClipRect(Rect(1, 1, 3, 3));
  EXPECT_EQ(b.GetPixelW(3, 0), 0xFF000201u);
}

TEST(Pix32_qn, TransparentWritesBlendThroughTheCombineMode) {
  TCustomBitmap32 b;
  b.SetSize(3, 1);
  b.Clear(0xFF000000u);
  b.SetPixelT(0, 0, 0x80FFFFFFu);
  EXPECT_EQ(b.GetPixel(0, 0), BlendReg(0x80FFFFFFu, 0xFF000000u));
  PColor32 p = b.GetPixelPtr(1, 0);
  b.SetPixelT(p, 0xFF00FF00u);
  EXPECT_EQ(p, b.GetPixelPtr(2, 0));
  EXPECT_EQ(b.GetPixel(1, 0), 0xFF00FF00u);
  b.SetPixelTS(5, 0, 0xFFFFFFFFu);  // ignored
  b.SetCombineMode(TCombineMode::cmMerge);
  b.SetPixel(2, 0, 0x40102030u);
  b.SetPixelTS(2, 0, 0x80FF0000u);
  EXPECT_EQ(b.GetPixel(2, 0), MergeReg(0x80FF0000u, 0x40102030u));
}

TEST(Pix32_qn, SubPixelWriteWeights) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  b.Clear(0xFF000000u);
  // An exact position puts weight 253 on the top-left pixel, 0 elsewhere.
  b.SET_T256(1 << 8, 1 << 8, 0xFFFFFFFFu);
  EXPECT_EQ(b.GetPixel(1, 1), CombineReg(0xFFFFFFFFu, 0xFF000000u, 253));
  EXPECT_EQ(b.GetPixel(2, 1), 0xFF000000u);
  EXPECT_EQ(b.GetPixel(1, 2), 0xFF000000u);
  EXPECT_EQ(b.GetPixel(2, 2), 0xFF000000u);
  // Half way in both directions spreads the colour evenly.
  b.Clear(0xFF000000u);
  b.SET_T256(0x80, 0x80, 0xFFFFFFFFu);
  const TColor32 c = b.GetPixel(0, 0);
  EXPECT_GT(c & 0xFF, 0x10u);  // gamma-weighted, so well below a quarter
  for (TColor32 q : {b.GetPixel(1, 0), b.GetPixel(0, 1), b.GetPixel(1, 1)})
    EXPECT_NEAR(static_cast<int>(q & 0xFF), static_cast<int>(c & 0xFF), 2);
  EXPECT_EQ(b.GetPixel(2, 2), 0xFF000000u);
  // A transparent colour changes nothing in blend mode.
  b.Clear(0xFF000000u);
  b.SET_T256(0x140, 0x1C0, 0x00FFFFFFu);
  for (TColor32 p : Pixels(b)) EXPECT_EQ(p, 0xFF000000u);
}

TEST(Pix32_qn, SafeSubPixelWritesTouchOnlyTheClipRectangle) {
  // Every 24.8 position around a clip rectangle: the safe write must equal
  // the full block write restricted to the clip rectangle.
  TCustomBitmap32 ref, b;
  const TRect clip = Rect(2, 2, 6, 5);
  for (Integer y = (clip.Top - 2) * 256; y < (clip.Bottom + 1) * 256; y += 37)
    for (Integer x = (clip.Left - 2) * 256; x < (clip.Right + 1) * 256; x += 41) {
      ref.SetSize(9, 8);
      ref.Clear(0xFF102030u);
      b.SetSize(9, 8);
      b.Clear(0xFF102030u);
      b.SetClipRect(clip);
      ref.SET_T256(x, y, 0xC0F0E0D0u);
      b.SET_TS256(x, y, 0xC0F0E0D0u);
      for (Integer py = 0; py < 8; ++py)
        for (Integer px = 0; px < 9; ++px) {
          const bool inside = px >= clip.Left && px < clip.Right && py >= clip.Top && py < clip.Bottom;
          ASSERT_EQ(b.GetPixel(px, py), inside ? ref.GetPixel(px, py) : 0xFF102030u)
              << "at " << x << "," << y << " pixel " << px << "," << py;
        }
    }
  // Far outside nothing happens, also through the float and fixed forms.
  b.Clear(0xFF102030u);
  const auto before = Pixels(b);
  b.SetPixelFS(-100.5f, 3, 0xFFFFFFFFu);
  b.SetPixelFS(3, 1e6f, 0xFFFFFFFFu);
  b.SetPixelXS(-0x7FFF0000, 0, 0xFFFFFFFFu);
  EXPECT_EQ(Pixels(b), before);
}

TEST(Pix32_qn, SubPixelReadsAtTheClipEdge) {
  TCustomBitmap32 b;
  Coords(b, 5, 4);
  b.SetOuterColor(0x00ABCDEFu);
  const Integer xe = 4 << 8, ye = 3 << 8;
  EXPECT_EQ(b.GET_TS256(xe, 1 << 8), b.GetPixel(4, 1));      // last column, unblended
  EXPECT_EQ(b.GET_TS256(xe, (1 << 8) + 77), b.GetPixel(4, 1));
  EXPECT_EQ(b.GET_TS256(xe + 1, 1 << 8), 0x00ABCDEFu);       // one step right
  EXPECT_EQ(b.GET_TS256((2 << 8) + 10, ye), b.GetPixel(2, 3));
  EXPECT_EQ(b.GET_TS256(-1, 0), 0x00ABCDEFu);
  // Inside, an exact position reads its pixel; between pixels it blends.
  EXPECT_EQ(b.GET_TS256(2 << 8, 1 << 8), b.GetPixel(2, 1));
  EXPECT_EQ(b.GET_T256(2 << 8, 1 << 8), b.GetPixel(2, 1));
  const TColor32 mid = b.GET_T256((1 << 8) + 128, 1 << 8);
  EXPECT_GE(mid & 0xFF, 1u);
  EXPECT_LE(mid & 0xFF, 2u);
  EXPECT_EQ(b.GetPixelX(0x20000, 0x10000), b.GetPixel(2, 1));
  EXPECT_EQ(b.GetPixelF(2, 1), b.GetPixel(2, 1));
  EXPECT_EQ(b.GetPixelXS(0x40000, 0x10000), b.GetPixel(4, 1));
  EXPECT_EQ(b.GetPixelFS(4.01f, 1), 0x00ABCDEFu);
}

TEST(Pix32_qn, WrappedSubPixelAccess) {
  TCustomBitmap32 b;
  Coords(b, 4, 4);
  b.SetWrapMode(TWrapMode::wmRepeat);
  // Exact positions read pixels, wrapped.
  EXPECT_EQ(b.GetPixelXW(0x50000, -0x10000), b.GetPixel(1, 3));
  EXPECT_EQ(b.GetPixelFW(-1, 2), b.GetPixel(3, 2));
  // Half way between the last and the first column blends the two.
  const TColor32 c = b.GetPixelXW(0x38000, 0);
  EXPECT_EQ(c, CombineReg(b.GetPixel(0, 0), b.GetPixel(3, 0), 0x80));
  EXPECT_EQ(b.GetPixelXW(0x38000, 0x8000),
            CombineReg(CombineReg(b.GetPixel(0, 1), b.GetPixel(3, 1), 0x80),
                       CombineReg(b.GetPixel(0, 0), b.GetPixel(3, 0), 0x80), 0x80));
  // Writes wrap too and never leave the bitmap, even at the last half pixel.
  for (TWrapMode m : {TWrapMode::wmClamp, TWrapMode::wmRepeat, TWrapMode::wmMirror}) {
    b.SetWrapMode(m);
    for (TFixed v = -0x60000; v < 0x80000; v += 0x3000) {
      b.SetPixelXW(v, v / 2, 0x80FFFFFFu);
      b.SetPixelFW(v / 65536.0f, 3.9f, 0x80FFFFFFu);
    }
  }
  b.SetWrapMode(TWrapMode::wmClamp);
  b.Clear(0xFF000000u);
  b.SetPixelXW(0x30000, 0x30000, 0xFFFFFFFFu);  // the last pixel
  EXPECT_EQ(b.GetPixel(3, 3), CombineReg(0xFFFFFFFFu, 0xFF000000u, 253));
}

}  // namespace t_pix32_qn_pixel_access_test
