#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace t_pix32_qn_rects_test {

using namespace qn;

namespace {

struct Reports {
  std::vector<TRect> Areas;
  Integer Changes = 0;
  void OnArea(TObject*, const TRect& R, Cardinal) { Areas.push_back(R); }
  void OnChange(TObject*) { ++Changes; }
  void Watch(TCustomBitmap32& b) {
    b.SetOnAreaChanged(MakeEvent(this, &Reports::OnArea));
    b.SetOnChange(MakeEvent(this, &Reports::OnChange));
  }
};

void Fill(TCustomBitmap32& b, Cardinal seed) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng();
}

std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.Width() * b.Height());
}

}  // namespace

TEST(Pix32_qn, FillRectTAtTheAlphaExtremes) {
  TCustomBitmap32 a, b;
  a.SetSize(6, 5);
  b.SetSize(6, 5);
  Fill(a, 1);
  Fill(b, 1);
  Reports r;
  r.Watch(a);
  a.FillRectT(1, 1, 4, 3, 0x00123456u);
  EXPECT_EQ(Pixels(a), Pixels(b));
  EXPECT_TRUE(r.Areas.empty());
  EXPECT_EQ(r.Changes, 0);

  a.FillRectT(1, 1, 4, 3, 0xFF123456u);
  b.FillRect(1, 1, 4, 3, 0xFF123456u);
  EXPECT_EQ(Pixels(a), Pixels(b));
  ASSERT_EQ(r.Areas.size(), 1u);
  EXPECT_EQ(r.Areas[0], TRect(1, 1, 4, 3));
}

TEST(Pix32_qn, FillRectTBlendsOrMergesEveryPixelOfTheRectangle) {
  for (TCombineMode mode : {TCombineMode::cmBlend, TCombineMode::cmMerge}) {
    TCustomBitmap32 a;
    a.SetSize(7, 4);
    Fill(a, 2);
    a.SetCombineMode(mode);
    const auto before = Pixels(a);
    const TColor32 c = 0x80FF4020u;
    a.FillRectT(2, 1, 6, 3, c);
    for (Integer y = 0; y < 4; ++y)
      for (Integer x = 0; x < 7; ++x) {
        const TColor32 old = before[y * 7 + x];
        TColor32 want = old;
        if (x >= 2 && x < 6 && y >= 1 && y < 3) want = mode == TCombineMode::cmBlend ? CombineReg(c, old, 0x80) : MergeReg(c, old);
        ASSERT_EQ(a.GetPixel(x, y), want) << x << "," << y;
      }
  }
}

TEST(Pix32_qn, FillRectSClipsButAlwaysReports) {
  TCustomBitmap32 b;
  b.SetSize(8, 8);
  b.Clear(0xFF000000u);
  b.SetClipRect(TRect(2, 2, 6, 6));
  Reports r;
  r.Watch(b);
  b.FillRectS(7, 7, 12, 12, 0xFFFFFFFFu);
  for (Integer i = 0; i < 64; ++i) ASSERT_EQ(b.Bits()[i], 0xFF000000u);
  ASSERT_EQ(r.Areas.size(), 1u);
  EXPECT_EQ(r.Areas[0], TRect(7, 7, 12, 12));

  r.Areas.clear();
  b.FillRectS(TRect(0, 0, 4, 4), 0xFFFFFFFFu);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      ASSERT_EQ(b.GetPixel(x, y), (x >= 2 && x < 4 && y >= 2 && y < 4) ? 0xFFFFFFFFu : 0xFF000000u);
  // The fill reports itself, then the clipped rectangle again.
  ASSERT_EQ(r.Areas.size(), 2u);
  EXPECT_EQ(r.Areas[0], TRect(2, 2, 4, 4));
  EXPECT_EQ(r.Areas[1], TRect(2, 2, 4, 4));

  r.Areas.clear();
  b.BeginMeasuring(MakeEvent(&r, &Reports::OnArea));
  b.FillRectS(TRect(3, 3, 5, 5), 0xFF00FF00u);
  b.EndMeasuring();
  EXPECT_EQ(b.GetPixel(4, 4), 0xFF000000u);
  ASSERT_EQ(r.Areas.size(), 1u);
  EXPECT_EQ(r.Areas[0], TRect(3, 3, 5, 5));
}

TEST(Pix32_qn, FramesTouchEachBorderPixelOnce) {
  // A half-transparent frame shows a pixel drawn twice as a second blend.
  const TColor32 ground = 0xFF000000u, c = 0x80FFFFFFu;
  const TColor32 once = BlendReg(c, ground);
  EMMS();
  const TSize sizes[] = {{1, 1}, {2, 2}, {1, 5}, {5, 1}, {3, 3}, {6, 4}, {2, 7}};
  for (const TSize& s : sizes) {
    TCustomBitmap32 b;
    b.SetSize(10, 10);
    b.Clear(ground);
    b.FrameRectTS(TRect(1, 2, 1 + s.cx, 2 + s.cy), c);
    for (Integer y = 0; y < 10; ++y)
      for (Integer x = 0; x < 10; ++x) {
        const bool inside = x >= 1 && x < 1 + s.cx && y >= 2 && y < 2 + s.cy;
        const bool border = inside && (x == 1 || x == s.cx || y == 2 || y == 1 + s.cy);
        ASSERT_EQ(b.GetPixel(x, y), border ? once : ground) << s.cx << "x" << s.cy << " at " << x << "," << y;
      }
    TCustomBitmap32 o;
    o.SetSize(10, 10);
    o.Clear(ground);
    o.FrameRectS(1, 2, 1 + s.cx, 2 + s.cy, 0xFFFFFFFFu);
    for (Integer i = 0; i < 100; ++i) ASSERT_EQ(o.Bits()[i] != ground, b.Bits()[i] != ground) << i;
  }
}

TEST(Pix32_qn, StippledFrameRunsThePatternClockwise) {
  const TColor32 A = 0xFFFF0000u, B = 0xFF0000FFu;
  TCustomBitmap32 b;
  b.SetSize(3, 3);
  b.Clear(0xFF000000u);
  b.SetStipple({A, B});
  b.FrameRectTSP(0, 0, 3, 3);
  // Clockwise from the top-left corner the colours alternate without a break.
  const TPoint ring[] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b.GetPixel(ring[i].X, ring[i].Y), i % 2 ? B : A) << i;
  EXPECT_EQ(b.GetPixel(1, 1), 0xFF000000u);

  Reports r;
  r.Watch(b);
  b.FrameRectTSP(1, 1, 2, 2);
  ASSERT_EQ(r.Areas.size(), 1u);
  EXPECT_EQ(r.Areas[0], TRect(1, 1, 2, 2));
  EXPECT_NE(b.GetPixel(1, 1), 0xFF000000u);
}

TEST(Pix32_qn, RaisedRectangleLightensTopLeftAndDarkensBottomRight) {
  for (Integer contrast : {60, -60}) {
    TCustomBitmap32 b;
    b.SetSize(6, 6);
    b.Clear(0xFF808080u);
    b.RaiseRectTS(TRect(1, 1, 5, 5), contrast);
    auto level = [&](Integer x, Integer y) { return Integer(b.GetPixel(x, y) & 0xFF); };
    const bool raised = contrast > 0;
    EXPECT_EQ(level(2, 1) > 0x80, raised);  // top
    EXPECT_EQ(level(1, 3) > 0x80, raised);  // left
    EXPECT_EQ(level(2, 4) < 0x80, raised);  // bottom
    EXPECT_EQ(level(4, 3) < 0x80, raised);  // right
    EXPECT_EQ(level(2, 2), 0x80);
    EXPECT_EQ(level(0, 0), 0x80);
  }
}

TEST(Pix32_qn, RollMovesThePixelArrayAsOneBlock) {
  TCustomBitmap32 b;
  b.SetSize(3, 2);
  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0xFF000000u + i;
  const TColor32 c = 0xFFABCDEFu;
  b.Roll(1, 0, true, c);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{c, 0xFF000000u, 0xFF000001u, c, 0xFF000003u, 0xFF000004u}));

  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0xFF000000u + i;
  b.Roll(0, -1, true, c);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0xFF000003u, 0xFF000004u, 0xFF000005u, c, c, c}));

  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0xFF000000u + i;
  b.Roll(-1, 0, false, c);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u, 0xFF000005u,
                                              0xFF000005u}));

  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0xFF000000u + i;
  const auto before = Pixels(b);
  b.Roll(3, 0, false, c);
  EXPECT_EQ(Pixels(b), before);
  b.Roll(3, 0, true, c);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(6, c));
}

TEST(Pix32_qn, FlipsAndTurnsRoundTrip) {
  TCustomBitmap32 b, t, u;
  b.SetSize(5, 3);
  Fill(b, 3);
  const auto orig = Pixels(b);

  b.FlipHorz();
  EXPECT_EQ(b.GetPixel(0, 1), orig[1 * 5 + 4]);
  b.FlipHorz(&b);
  EXPECT_EQ(Pixels(b), orig);
  b.FlipVert();
  EXPECT_EQ(b.GetPixel(3, 0), orig[2 * 5 + 3]);
  b.FlipVert();
  EXPECT_EQ(Pixels(b), orig);

  b.Rotate90();
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 5);
  b.Rotate270();
  EXPECT_EQ(Pixels(b), orig);
  EXPECT_EQ(b.Width(), 5);

  // To another bitmap the source stays as it is.
  b.Rotate90(&t);
  t.Rotate90(&u);
  b.Rotate180(&t);
  EXPECT_EQ(Pixels(t), Pixels(u));
  EXPECT_EQ(Pixels(b), orig);
  b.FlipHorz(&t);
  t.FlipVert(&u);
  b.Rotate180();
  EXPECT_EQ(Pixels(b), Pixels(u));
  b.Rotate180();
  EXPECT_EQ(Pixels(b), orig);
  b.Rotate270(&t);
  t.Rotate90();
  EXPECT_EQ(Pixels(t), orig);
}

TEST(Pix32_qn, QuarterTurnPlacesTheCorners) {
  TCustomBitmap32 b;
  b.SetSize(3, 2);
  for (Integer i = 0; i < 6; ++i) b.Bits()[i] = 0xFF000000u + i;
  TCustomBitmap32 cw;
  b.Rotate90(&cw);
  ASSERT_EQ(cw.Width(), 2);
  ASSERT_EQ(cw.Height(), 3);
  EXPECT_EQ(cw.GetPixel(1, 0), 0xFF000000u);  // top-left to top-right
  EXPECT_EQ(cw.GetPixel(0, 0), 0xFF000003u);
  EXPECT_EQ(cw.GetPixel(1, 2), 0xFF000002u);
  b.Rotate270();
  EXPECT_EQ(b.GetPixel(0, 2), 0xFF000000u);  // top-left to bottom-left
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF000002u);
}

TEST(Pix32_qn, InPlaceQuarterTurnOfASquareReportsTheChange) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  Fill(b, 4);
  Reports r;
  r.Watch(b);
  b.Rotate90();
  EXPECT_GE(r.Changes, 1);
  r.Changes = 0;
  b.Rotate270();
  EXPECT_GE(r.Changes, 1);
}

TEST(Pix32_qn, ResetAlphaKeepsColoursAndMeasuringKeepsPixels) {
  TCustomBitmap32 b;
  b.SetSize(4, 3);
  Fill(b, 5);
  const auto before = Pixels(b);
  b.ResetAlpha(0x40);
  for (size_t i = 0; i < before.size(); ++i) ASSERT_EQ(b.Bits()[i], (before[i] & 0xFFFFFFu) | 0x40000000u);
  Reports r;
  b.BeginMeasuring(MakeEvent(&r, &Reports::OnArea));
  b.ResetAlpha();
  b.EndMeasuring();
  EXPECT_EQ(b.Bits()[0] >> 24, 0x40u);
  ASSERT_EQ(r.Areas.size(), 1u);
  b.ResetAlpha();
  EXPECT_EQ(b.Bits()[5] >> 24, 0xFFu);
}

TEST(Pix32_qn, DrawPlacesStretchesAndBlendsWithinTheClip) {
  TCustomBitmap32 src, dst;
  src.SetSize(2, 2);
  src.Bits()[0] = 0xFFFF0000u;
  src.Bits()[1] = 0xFF00FF00u;
  src.Bits()[2] = 0xFF0000FFu;
  src.Bits()[3] = 0x00FFFFFFu;
  dst.SetSize(8, 8);
  dst.Clear(0xFF000000u);
  dst.Draw(3, 4, &src);
  EXPECT_EQ(dst.GetPixel(3, 4), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(4, 5), 0x00FFFFFFu);  // opaque mode copies alpha as it is
  dst.Draw(0, 0, nullptr);

  dst.Clear(0xFF000000u);
  src.SetDrawMode(TDrawMode::dmBlend);
  dst.Draw(0, 0, TRect(1, 1, 2, 2), &src);
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF000000u);  // fully transparent source pixel
  src.SetDrawMode(TDrawMode::dmOpaque);
  dst.Draw(TRect(2, 2, 6, 6), src.BoundsRect(), &src);
  EXPECT_EQ(dst.GetPixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(3, 3), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(4, 2), 0xFF00FF00u);
  EXPECT_EQ(dst.GetPixel(2, 5), 0xFF0000FFu);
  EXPECT_EQ(dst.GetPixel(5, 5), 0x00FFFFFFu);
  EXPECT_EQ(dst.GetPixel(6, 6), 0xFF000000u);

  dst.Clear(0xFF000000u);
  dst.SetClipRect(TRect(0, 0, 1, 8));
  src.DrawTo(&dst);
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(1, 0), 0xFF000000u);
}

}  // namespace t_pix32_qn_rects_test
