// Nine-slice and three-slice stretching against a floating-point reference,
// the fill types, tiling and fitting, fading, the shake, and the cache.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/rtl/Math.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace t_u_qn_pix32_lib_test {

using namespace qn;

namespace {

void RandomFill(TBitmap32& B, Integer W, Integer H, std::mt19937& Rng) {
  B.SetSize(W, H);
  for (Integer i = 0; i < W * H; ++i) B.Bits()[i] = Rng();
}

// The reference: where a destination pixel of one axis samples the source,
// in floating point, by the rules the routine promises (corners 1:1 when
// they fit, shared in proportion otherwise, the rest linear between pixel
// centres of its own segment).
struct RefAxis {
  std::vector<double> Pos;  // source position (pixel centres at integers)
  std::vector<int> Lo, Hi;  // the segment's first and last source pixel
};

RefAxis Axis(int S, int A, int B, int D) {
  RefAxis r;
  int da = A, db = B;
  if (D < A + B) {
    da = (int)std::floor((double)D * A / (A + B) + 0.5);
    db = D - da;
  }
  auto seg = [&](int s0, int sl, int dl) {
    for (int j = 0; j < dl; ++j) {
      double x = sl == dl ? j : (j + 0.5) * sl / dl - 0.5;
      x = std::min(std::max(x, 0.0), (double)sl - 1);
      r.Pos.push_back(s0 + x);
      r.Lo.push_back(s0);
      r.Hi.push_back(s0 + sl - 1);
    }
  };
  seg(0, A, da);
  int ms = A, ml = S - A - B;
  if (ml <= 0) {
    ms = std::max(0, A - 1);
    ml = std::min(S, A + 1) - ms;
  }
  seg(ms, ml, D - da - db);
  seg(S - B, B, db);
  return r;
}

double Channel(TColor32 C, int Shift) { return (C >> Shift) & 0xFF; }

double Sample(TBitmap32& Src, const RefAxis& X, const RefAxis& Y, int i, int j, int Shift) {
  const double x = X.Pos[i], y = Y.Pos[j];
  const int x0 = (int)std::floor(x), y0 = (int)std::floor(y);
  const int x1 = std::min(x0 + 1, X.Hi[i]), y1 = std::min(y0 + 1, Y.Hi[j]);
  const double fx = x - x0, fy = y - y0;
  auto p = [&](int xx, int yy) { return Channel(Src.GetPixel(xx, yy), Shift); };
  const double top = p(x0, y0) * (1 - fx) + p(x1, y0) * fx;
  const double bottom = p(x0, y1) * (1 - fx) + p(x1, y1) * fx;
  return top * (1 - fy) + bottom * fy;
}

TEST(uQnPix32Lib, NineSliceAgainstAReferenceForRandomSizes) {
  std::mt19937 rng(47);
  for (int round = 0; round < 200; ++round) {
    const Integer sw = 1 + rng() % 40, sh = 1 + rng() % 40;
    const Integer dw = 1 + rng() % 130, dh = 1 + rng() % 130;
    SCOPED_TRACE(testing::Message() << sw << "x" << sh << " -> " << dw << "x" << dh);
    TBitmap32 src;
    RandomFill(src, sw, sh, rng);
    // A canvas larger than the destination, so writes outside it show.
    TBitmap32 canvas;
    canvas.SetSize(dw + 10, dh + 10);
    canvas.Clear(0x5A5A5A5Au);
    const TRect dst(4, 6, 4 + dw, 6 + dh);
    const TRect caps = ThirdCaps(sw, sh);
    NineSliceTransfer(&src, src.BoundsRect(), caps, &canvas, dst, true);

    const RefAxis ax = Axis(sw, caps.Left, caps.Right, dw), ay = Axis(sh, caps.Top, caps.Bottom, dh);
    int worst = 0;
    for (Integer y = 0; y < canvas.Height(); ++y)
      for (Integer x = 0; x < canvas.Width(); ++x) {
        const TColor32 got = canvas.GetPixel(x, y);
        if (x < dst.Left || x >= dst.Right || y < dst.Top || y >= dst.Bottom) {
          ASSERT_EQ(got, 0x5A5A5A5Au) << "written outside at " << x << "," << y;
          continue;
        }
        for (int s = 0; s < 32; s += 8)
          worst = std::max(worst, (int)std::lround(std::fabs(Channel(got, s) -
                                                             Sample(src, ax, ay, x - dst.Left, y - dst.Top, s))));
      }
    EXPECT_LE(worst, 2);
    // Corners that fit are the source's own pixels.
    if (dw >= caps.Left + caps.Right && dh >= caps.Top + caps.Bottom) {
      for (Integer y = 0; y < caps.Top; ++y)
        for (Integer x = 0; x < caps.Left; ++x) {
          ASSERT_EQ(canvas.GetPixel(dst.Left + x, dst.Top + y), src.GetPixel(x, y));
          ASSERT_EQ(canvas.GetPixel(dst.Right - 1 - x, dst.Bottom - 1 - y), src.GetPixel(sw - 1 - x, sh - 1 - y));
        }
    }
  }
}

TEST(uQnPix32Lib, StretchBitmapBlendsTheFrameAndViaDCAgrees) {
  // A translucent rounded frame over an opaque background, both roads.
  std::mt19937 rng(5);
  TBitmap32 frame;
  frame.SetSize(30, 30);
  for (Integer y = 0; y < 30; ++y)
    for (Integer x = 0; x < 30; ++x)
      frame.SetPixel(x, y, (static_cast<TColor32>((x * 7 + y * 3) % 256) << 24) | (rng() & 0x00FFFFFFu));
  frame.SetDrawMode(TDrawMode::dmBlend);
  for (auto [w, h] : {std::pair{75, 27}, {300, 200}, {12, 9}, {1000, 40}}) {
    TBitmap32 a, b;
    a.SetSize(w, h);
    a.Clear(0xFF336699u);
    b.SetSize(w, h);
    b.Clear(0xFF336699u);
    StretchBitmap(&frame, &a, false);
    StretchBitmap(&frame, &b, true);
    // The colours agree; what becomes of the alpha byte of an opaque
    // background is each road's own affair.
    int worst = 0;
    for (Integer i = 0; i < w * h; ++i)
      for (int s = 0; s < 24; s += 8)
        worst = std::max(worst, std::abs((int)((a.Bits()[i] >> s) & 0xFF) - (int)((b.Bits()[i] >> s) & 0xFF)));
    EXPECT_LE(worst, 2) << w << "x" << h;
    // Blending: a fully transparent source corner leaves the background.
    if (w >= 20 && h >= 20) {
      EXPECT_EQ(a.GetPixel(0, 0) & 0xFFFFFFu, 0x336699u);
    }
  }
  // Nothing for nil or empty pictures; never a division by zero.
  TBitmap32 empty, dst;
  dst.SetSize(5, 5);
  dst.Clear(0xFF000000u);
  StretchBitmap(nullptr, &dst, false);
  StretchBitmap(&empty, &dst, false);
  StretchBitmap(&frame, &empty, false);
  EXPECT_EQ(dst.GetPixel(2, 2), 0xFF000000u);
}

TEST(uQnPix32Lib, ThreeSlicesAndFrames) {
  std::mt19937 rng(11);
  TQuarnImage img;
  img.SetSize(18, 8);
  for (Integer i = 0; i < 18 * 8; ++i) img.Bits()[i] = rng();
  // Ends of 6 pixels 1:1 at any width, rows unchanged.
  for (Integer w : {12, 18, 40, 150}) {
    std::unique_ptr<TQuarnImage> r(ResizeHorzImg(&img, w, 6));
    ASSERT_EQ(r->Width(), w);
    ASSERT_EQ(r->Height(), 8);
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 6; ++x) {
        EXPECT_EQ(r->GetPixel(x, y), img.GetPixel(x, y));
        EXPECT_EQ(r->GetPixel(w - 1 - x, y), img.GetPixel(17 - x, y));
      }
  }
  // Side width 0: thirds.
  std::unique_ptr<TQuarnImage> thirds(ResizeHorzImg(&img, 50, 0));
  for (Integer y = 0; y < 8; ++y) EXPECT_EQ(thirds->GetPixel(5, y), img.GetPixel(5, y));
  std::unique_ptr<TQuarnImage> tall(ResizeVertImg(&img, 30));
  ASSERT_EQ(tall->Width(), 18);
  ASSERT_EQ(tall->Height(), 30);
  for (Integer x = 0; x < 18; ++x) {
    EXPECT_EQ(tall->GetPixel(x, 0), img.GetPixel(x, 0));
    EXPECT_EQ(tall->GetPixel(x, 29), img.GetPixel(x, 7));
  }
  EXPECT_EQ(ResizeImg(nullptr, 5, 5), nullptr);
  std::unique_ptr<TQuarnImage> none(ResizeImg(&img, 0, 7));
  EXPECT_TRUE(none->Empty());

  // Frames: the blocks of the source; the old frames are freed first.
  TDynQuarnImage frames{new TQuarnImage()};
  SpliteImg(&img, 3, frames);
  ASSERT_EQ(frames.size(), 3u);
  for (Integer k = 0; k < 3; ++k)
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 6; ++x) ASSERT_EQ(frames[k]->GetPixel(x, y), img.GetPixel(6 * k + x, y));
  SpliteImg(&img, 0, frames);
  EXPECT_TRUE(frames.empty());
  SpliteImg(nullptr, 3, frames);
  EXPECT_TRUE(frames.empty());
  SpliteImg(&img, 19, frames);  // frames narrower than a pixel
  EXPECT_TRUE(frames.empty());

  std::unique_ptr<TQuarnImage> band(SpliteImgCenterPart(&img, 4, 10));
  ASSERT_EQ(band->Width(), 10);
  ASSERT_EQ(band->Height(), 4);
  EXPECT_EQ(band->GetPixel(9, 0), img.GetPixel(9, 2));
  std::unique_ptr<TQuarnImage> whole(SpliteImgCenterPart(&img, 9, 10));
  EXPECT_TRUE(whole->Equal(&img));
}

TEST(uQnPix32Lib, FillTypesTilingAndFitting) {
  TBitmap32 src;
  src.SetSize(4, 3);
  for (Integer i = 0; i < 12; ++i) src.Bits()[i] = 0xFF000000u | (i * 0x101010u);
  auto fresh = [](Integer w, Integer h) {
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(w, h);
    b->Clear(0xFFFFFFFFu);
    return b;
  };
  auto d = fresh(10, 7);
  DrawImage(&src, d.get(), ftNormal);
  EXPECT_EQ(d->GetPixel(3, 2), src.GetPixel(3, 2));
  EXPECT_EQ(d->GetPixel(4, 2), 0xFFFFFFFFu);
  d = fresh(10, 7);
  DrawImage(&src, d.get(), ftTile);
  for (Integer y = 0; y < 7; ++y)
    for (Integer x = 0; x < 10; ++x) ASSERT_EQ(d->GetPixel(x, y), src.GetPixel(x % 4, y % 3));
  d = fresh(10, 7);
  DrawImage(&src, d.get(), ftCenter);
  EXPECT_EQ(d->GetPixel(3, 2), src.GetPixel(0, 0));
  EXPECT_EQ(d->GetPixel(2, 2), 0xFFFFFFFFu);
  d = fresh(3, 2);  // smaller than the source: offsets clamp to 0
  DrawImage(&src, d.get(), ftCenter);
  EXPECT_EQ(d->GetPixel(0, 0), src.GetPixel(0, 0));
  d = fresh(10, 7);
  DrawImage(&src, d.get(), ftStretch);
  EXPECT_EQ(d->GetPixel(0, 0), src.GetPixel(0, 0));
  EXPECT_NE(d->GetPixel(9, 6), 0xFFFFFFFFu);
  d = fresh(10, 7);
  DrawImage(&src, d.get(), ftAutoStretch);
  EXPECT_EQ(d->GetPixel(9, 6), src.GetPixel(3, 2));  // a corner, 1:1
  d = fresh(10, 7);
  DrawImage(&src, d.get(), ftGradient);
  for (Integer i = 0; i < 70; ++i) ASSERT_EQ(d->Bits()[i], 0xFFFFFFFFu);

  // Covering: the scaled picture reaches every pixel, centred.
  d = fresh(20, 8);
  AutoStretchBitmap(&src, d.get(), false);
  for (Integer i = 0; i < 160; ++i) ASSERT_EQ(d->Bits()[i] >> 24, 255u);
  EXPECT_NE(d->GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_NE(d->GetPixel(19, 7), 0xFFFFFFFFu);
}

TEST(uQnPix32Lib, ApplyAlphaAndShake) {
  TBitmap32 b;
  b.SetSize(4, 4);
  ApplyAlpha(&b, 300);
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmOpaque);
  EXPECT_EQ(b.MasterAlpha(), 255u);
  ApplyAlpha(&b, -1);
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmOpaque);
  ApplyAlpha(&b, 128);
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmBlend);
  EXPECT_EQ(b.MasterAlpha(), 128u);

  std::mt19937 rng(3);
  TBitmap32 pic;
  RandomFill(pic, 40, 30, rng);
  for (Integer i = 0; i < 1200; ++i) pic.Bits()[i] |= 0xFF000000u;
  TBitmap32 a1, a2, still;
  a1.Assign(&pic);
  a2.Assign(&pic);
  still.Assign(&pic);
  RandSeed = 1234;
  ShakeBitmap(&a1, 20);
  RandSeed = 1234;
  ShakeBitmap(&a2, 20);
  EXPECT_TRUE(a1.Equal(&a2));
  EXPECT_FALSE(a1.Equal(&pic));
  EXPECT_EQ(a1.DrawMode(), TDrawMode::dmOpaque);
  // Turned 20 degrees about a point inside, some corner is left uncovered.
  const TColor32 corners[4] = {a1.GetPixel(0, 0), a1.GetPixel(39, 0), a1.GetPixel(0, 29), a1.GetPixel(39, 29)};
  EXPECT_TRUE(std::count(corners, corners + 4, 0xFFFFFFFFu) >= 1);
  // No turn: the same picture, give or take the resampler's rounding.
  ShakeBitmap(&still, 0);
  int worst = 0;
  for (Integer i = 0; i < 1200; ++i)
    for (int s = 0; s < 32; s += 8)
      worst = std::max(worst, std::abs((int)((still.Bits()[i] >> s) & 0xFF) - (int)((pic.Bits()[i] >> s) & 0xFF)));
  EXPECT_LE(worst, 2);
}

// The fast rotation loops (widest vectors and 128-bit ones) against the
// per-pixel resampler path they stand in for: same pixels bit for bit on random pictures (alpha included), sizes
// from one pixel up, turns from the shake's whole degrees to wide ones, and
// pivots inside and outside the picture.
TEST(uQnPix32Lib, ShakeFastLoopMatchesTheResamplerPath) {
  std::mt19937 rng(77);
  std::uniform_int_distribution<int> side(1, 90);
  std::uniform_real_distribution<float> wide(-40.0f, 40.0f), anyPivot(-0.5f, 1.5f);
  const Integer fixedSizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {3, 5}, {4, 4}, {60, 80}, {7, 64}};
  int compared = 0;
  for (int round = 0; round < 160; ++round) {
    Integer w, h;
    if (round < 8) {
      w = fixedSizes[round][0];
      h = fixedSizes[round][1];
    } else {
      w = side(rng);
      h = side(rng);
    }
    TBitmap32 pic;
    RandomFill(pic, w, h, rng);
    // Whole degrees as the shake uses, then arbitrary turns.
    const Single amount = round % 3 == 0 ? Single(int(rng() % 5) - 2) : wide(rng);
    const Single pivot = round % 2 == 0 ? (3 + int(rng() % 7)) / 10.0f : anyPivot(rng);
    TBitmap32 best, narrow, general;
    best.Assign(&pic);
    narrow.Assign(&pic);
    general.Assign(&pic);
    qn::detail::RotateBitmapAbout(&best, amount, pivot, qn::detail::TShakeLoopKind::Best);
    qn::detail::RotateBitmapAbout(&narrow, amount, pivot, qn::detail::TShakeLoopKind::Narrow);
    qn::detail::RotateBitmapAbout(&general, amount, pivot, qn::detail::TShakeLoopKind::General);
    ASSERT_EQ(best.DrawMode(), TDrawMode::dmOpaque);
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x) {
        ASSERT_EQ(best.GetPixel(x, y), general.GetPixel(x, y))
            << w << "x" << h << " amount " << amount << " pivot " << pivot << " at " << x << "," << y;
        ASSERT_EQ(narrow.GetPixel(x, y), general.GetPixel(x, y))
            << w << "x" << h << " amount " << amount << " pivot " << pivot << " at " << x << "," << y;
      }
    compared += w * h;
  }
  EXPECT_GT(compared, 100000);
  // ShakeBitmap draws the pivot from Random and turns as the general path.
  TBitmap32 pic, shaken, general;
  RandomFill(pic, 60, 80, rng);
  shaken.Assign(&pic);
  general.Assign(&pic);
  RandSeed = 99;
  ShakeBitmap(&shaken, -2);
  RandSeed = 99;
  const Single pivot = (3 + Random(7)) / 10.0f;
  qn::detail::RotateBitmapAbout(&general, -2, pivot, qn::detail::TShakeLoopKind::General);
  EXPECT_TRUE(shaken.Equal(&general));
}

TEST(uQnPix32Lib, CacheGivesTheSamePixelsAndForgetsOnNewGenerations) {
  TQuarnImage* button = TQuarnResManagerObj()->GetImageByName(u"QuarnButton");
  ASSERT_NE(button, nullptr);
  auto paint = [&](TQuarnImage* src, Integer w, Integer h) {
    auto d = std::make_unique<TBitmap32>();
    d->SetSize(w, h);
    d->Clear(0xFF808080u);
    StretchBitmap(src, d.get(), false);
    return d;
  };
  SetStretchCacheEnabled(false);
  auto off = paint(button, 75, 27);
  std::unique_ptr<TQuarnImage> offResized(ResizeImg(button, 60, 40));
  EXPECT_EQ(StretchCacheCount(), 0);
  SetStretchCacheEnabled(true);
  auto on1 = paint(button, 75, 27);
  auto on2 = paint(button, 75, 27);
  std::unique_ptr<TQuarnImage> onResized(ResizeImg(button, 60, 40));
  EXPECT_EQ(StretchCacheCount(), 2);
  EXPECT_TRUE(off->Equal(on1.get()));
  EXPECT_TRUE(off->Equal(on2.get()));
  EXPECT_TRUE(offResized->Equal(onResized.get()));
  for (Integer w = 1; w <= StretchCacheCapacity + 10; ++w) paint(button, w, 9);
  EXPECT_EQ(StretchCacheCount(), StretchCacheCapacity);

  // After a reload the old image is gone; the new one is stretched afresh.
  TQuarnResManagerObj()->Reload();
  TQuarnImage* again = TQuarnResManagerObj()->GetImageByName(u"QuarnButton");
  auto after = paint(again, 75, 27);
  EXPECT_TRUE(off->Equal(after.get()));
  EXPECT_EQ(StretchCacheCount(), 1);
  SetStretchCacheEnabled(false);
  EXPECT_EQ(StretchCacheCount(), 0);
  SetStretchCacheEnabled(true);
}

// Only the store's own images are kept, and only while the store vouches
// for their pixels: a picture of the caller's changed in place, a frame of a
// strip, and a list item given a new picture behind the store's back all
// paint what they hold now.
TEST(uQnPix32Lib, CacheNeverServesAPictureThatChanged) {
  ASSERT_TRUE(StretchCacheEnabled());
  auto paint = [](TBitmap32* src, const TRect* part) {
    auto d = std::make_unique<TBitmap32>();
    d->SetSize(50, 30);
    d->Clear(0xFF808080u);
    if (part) StretchBitmapPart(src, *part, d.get());
    else StretchBitmap(src, d.get(), false);
    return d;
  };
  // A caller's picture, changed between two paints at the same address.
  TQuarnImage own;
  own.SetSize(9, 9);
  own.Clear(0xFFFF0000u);
  auto red = paint(&own, nullptr);
  own.Clear(0xFF0000FFu);
  auto blue = paint(&own, nullptr);
  EXPECT_EQ(blue->GetPixel(25, 15), 0xFF0000FFu);
  EXPECT_FALSE(red->Equal(blue.get()));

  // A frame stretched in place is the frame copied out and stretched, from
  // the cache as well.
  TPngPictures strip;
  strip.SetImage(u"QuarnButton");
  strip.SetCount(5);
  for (Integer k = 0; k < 5; ++k) {
    TQuarnImage copy;
    ASSERT_TRUE(strip.GetFrame(k, &copy));
    TQuarnImage* src = nullptr;
    TRect r;
    ASSERT_TRUE(strip.FrameRect(k, src, r));
    auto reference = paint(&copy, nullptr);
    EXPECT_TRUE(paint(src, &r)->Equal(reference.get())) << "frame " << k;
    EXPECT_TRUE(paint(src, &r)->Equal(reference.get())) << "frame " << k << ", cached";
  }

  // A store image replaced through its list item.
  TQuarnResManager* store = TQuarnResManagerObj();
  TQuarnImage* border = store->GetImageByName(u"QuarnBorderHot");
  ASSERT_NE(border, nullptr);
  auto before = paint(border, nullptr);
  const Cardinal gen = store->Generation();
  TQuarnImage green;
  green.SetSize(border->Width(), border->Height());
  green.Clear(0xFF00FF00u);
  QuarnResDM->QuarnImageListMain()->Bitmaps()->Find(u"QuarnBorderHot")->SetBitmap(&green);
  EXPECT_NE(store->Generation(), gen);
  TQuarnImage* now = store->GetImageByName(u"QuarnBorderHot");
  EXPECT_EQ(paint(now, nullptr)->GetPixel(25, 15), 0xFF00FF00u);
  store->Reload();
}

// The edge bands are what StretchBitmap draws over a copy, cut out: for
// random sizes, band widths and placements, store frames (cached) and
// random translucent pictures (not cached), with the cache on and off. The
// inside and everything outside the rectangle keep what they had.
TEST(uQnPix32Lib, EdgesAreTheFullStretchCutToBands) {
  std::mt19937 rng(7);
  TQuarnImage* hot = TQuarnResManagerObj()->GetImageByName(u"QuarnBorderHot");
  ASSERT_NE(hot, nullptr);
  for (bool cache : {true, false}) {
    SetStretchCacheEnabled(cache);
    for (int round = 0; round < 120; ++round) {
      TBitmap32 own;
      RandomFill(own, 1 + Integer(rng() % 9), 1 + Integer(rng() % 9), rng);
      own.SetDrawMode(TDrawMode::dmBlend);
      TBitmap32* src = round % 2 ? &own : hot;
      const Integer W = 1 + Integer(rng() % 40), H = 1 + Integer(rng() % 40);
      TBitmap32 base;
      RandomFill(base, W, H, rng);
      for (Integer i = 0; i < W * H; ++i) base.Bits()[i] |= 0xFF000000u;
      const Integer l = Integer(rng() % W), t = Integer(rng() % H);
      const TRect r(l, t, l + 1 + Integer(rng() % (W - l)), t + 1 + Integer(rng() % (H - t)));
      const Integer band = 1 + Integer(rng() % 4);
      // The reference: the whole stretch on a copy of the part, then only
      // the band's pixels taken back.
      TBitmap32 part;
      part.SetSize(r.Right - r.Left, r.Bottom - r.Top);
      for (Integer y = r.Top; y < r.Bottom; ++y)
        for (Integer x = r.Left; x < r.Right; ++x) part.SetPixel(x - r.Left, y - r.Top, base.GetPixel(x, y));
      StretchBitmap(src, &part, false);
      TBitmap32 expected;
      expected.Assign(&base);
      for (Integer y = r.Top; y < r.Bottom; ++y)
        for (Integer x = r.Left; x < r.Right; ++x) {
          const bool edge = x < r.Left + band || x >= r.Right - band || y < r.Top + band || y >= r.Bottom - band;
          if (edge) expected.SetPixel(x, y, part.GetPixel(x - r.Left, y - r.Top));
        }
      TBitmap32 got;
      got.Assign(&base);
      StretchBitmapEdges(src, &got, r, band);
      ASSERT_TRUE(got.Equal(&expected)) << "round " << round << (cache ? " cached" : "");
    }
  }
  SetStretchCacheEnabled(true);
}

}  // namespace

}  // namespace t_u_qn_pix32_lib_test
