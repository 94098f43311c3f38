#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"

namespace t_pix32_transfers_test {

using namespace qn;

namespace {

void Fill(TCustomBitmap32& b, Cardinal seed, bool opaque = false) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng() | (opaque ? 0xFF000000u : 0);
}

// Every index pixel (x, y) = x | y << 8 | opaque.
void FillIndex(TCustomBitmap32& b) {
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x) b.SetPixel(x, y, 0xFF000000u | Cardinal(x) | Cardinal(y) << 8);
}

struct TAreas {
  std::vector<TRect> List;
  void Attach(TCustomBitmap32& b) {
    b.SetOnAreaChanged([this](TObject*, const TRect& r, Cardinal) { List.push_back(r); });
  }
};

// Counts Resample calls and otherwise does nothing.
class TCountingResampler : public TCustomResampler {
  QN_CLASS_CREATE(TCountingResampler, TCustomResampler, TCustomBitmap32)
 public:
  explicit TCountingResampler(TCustomBitmap32* B = nullptr) : TCustomResampler(B) {}
  void Resample(TCustomBitmap32*, const TRect&, const TRect&, TCustomBitmap32*, const TRect&, TDrawMode,
                const TPixelCombineEvent&) override {
    ++Calls;
  }
  int Calls = 0;
};

}  // namespace

TEST(Pix32_Resamplers_qn, BlockTransferClipsAndNotifies) {
  TCustomBitmap32 src, dst;
  src.SetSize(10, 10);
  dst.SetSize(20, 20);
  FillIndex(src);
  dst.Clear(0xFF000000u);
  TAreas areas;
  areas.Attach(dst);
  BlockTransfer(&dst, -5, -5, dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque);
  ASSERT_EQ(areas.List.size(), 1u);
  EXPECT_EQ(areas.List[0], TRect(0, 0, 5, 5));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(dst.GetPixel(x, y), x < 5 && y < 5 ? src.GetPixel(x + 5, y + 5) : 0xFF000000u) << x << "," << y;

  // Master alpha 0 with dmBlend: nothing drawn, nothing reported.
  areas.List.clear();
  src.SetMasterAlpha(0);
  BlockTransfer(&dst, 8, 8, dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmBlend);
  EXPECT_TRUE(areas.List.empty());
  EXPECT_EQ(dst.GetPixel(10, 10), 0xFF000000u);
  src.SetMasterAlpha(255);

  // Entirely outside: silent.
  BlockTransfer(&dst, 30, 0, dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque);
  EXPECT_TRUE(areas.List.empty());

  // dmCustom without a callback copies.
  BlockTransfer(&dst, 10, 10, dst.BoundsRect(), &src, TRect(2, 3, 6, 7), TDrawMode::dmCustom);
  EXPECT_EQ(dst.GetPixel(10, 10), src.GetPixel(2, 3));
  EXPECT_EQ(dst.GetPixel(13, 13), src.GetPixel(5, 6));
  EXPECT_EQ(dst.GetPixel(14, 14), 0xFF000000u);

  // dmCustom with a callback sees F, B and the master alpha.
  int calls = 0;
  BlockTransfer(&dst, 0, 0, TRect(0, 0, 2, 1), &src, src.BoundsRect(), TDrawMode::dmCustom,
                [&](TColor32 F, TColor32& B, TColor32 M) {
                  ++calls;
                  B = F ^ M;
                });
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(dst.GetPixel(1, 0), src.GetPixel(1, 0) ^ 255u);

  // dmTransparent skips the outer colour.
  src.SetOuterColor(src.GetPixel(0, 0));
  dst.Clear(0);
  BlockTransfer(&dst, 0, 0, dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmTransparent);
  EXPECT_EQ(dst.GetPixel(0, 0), 0u);
  EXPECT_EQ(dst.GetPixel(1, 0), src.GetPixel(1, 0));

  EXPECT_THROW(BlockTransfer(nullptr, 0, 0, TRect(), &src, TRect(), TDrawMode::dmOpaque), EBitmapException);
  EXPECT_THROW(BlockTransfer(&dst, 0, 0, TRect(), nullptr, TRect(), TDrawMode::dmOpaque), EBitmapException);
}

TEST(Pix32_Resamplers_qn, SelfCombineWithOverlapActsOnACopy) {
  std::mt19937 rng(5);
  for (TDrawMode mode : {TDrawMode::dmOpaque, TDrawMode::dmBlend, TDrawMode::dmCustom}) {
    for (int n = 0; n < 60; ++n) {
      TCustomBitmap32 b, copy, ref;
      b.SetSize(24, 20);
      Fill(b, rng());
      copy.Assign(&b);
      ref.Assign(&b);
      const int w = 1 + rng() % 16, h = 1 + rng() % 14;
      const int sx = rng() % (24 - w + 1), sy = rng() % (20 - h + 1);
      const int dx = rng() % (24 - w + 1), dy = rng() % (20 - h + 1);
      TPixelCombineEvent cb = [](TColor32 F, TColor32& B, TColor32) { B = F + B; };
      BlockTransfer(&b, dx, dy, b.BoundsRect(), &b, TRect(sx, sy, sx + w, sy + h), mode, cb);
      BlockTransfer(&ref, dx, dy, ref.BoundsRect(), &copy, TRect(sx, sy, sx + w, sy + h), mode, cb);
      ASSERT_TRUE(b.Equal(&ref)) << int(mode) << " " << sx << "," << sy << " -> " << dx << "," << dy << " " << w << "x"
                                 << h;
    }
  }
}

TEST(Pix32_Resamplers_qn, BlockTransferXShiftsBySubPixels) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 4);
  src.Clear(0xFFFF0000u);
  dst.SetSize(10, 10);
  // Whole-pixel positions copy exactly.
  dst.Clear(0xFF0000FFu);
  BlockTransferX(&dst, Fixed(2), Fixed(3), &src, src.BoundsRect(), TDrawMode::dmBlend);
  EXPECT_EQ(dst.GetPixel(2, 3), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(5, 6), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(6, 6), 0xFF0000FFu);
  EXPECT_EQ(dst.GetPixel(1, 3), 0xFF0000FFu);
  // Half a pixel right: the edge columns are half covered, the inside full.
  dst.Clear(0xFF0000FFu);
  BlockTransferX(&dst, Fixed(2) + 0x8000, Fixed(3), &src, src.BoundsRect(), TDrawMode::dmBlend);
  EXPECT_EQ(dst.GetPixel(3, 4), 0xFFFF0000u);
  const TColor32 l = dst.GetPixel(2, 4), r = dst.GetPixel(6, 4);
  EXPECT_NEAR(int((l >> 16) & 0xFF), 128, 2);
  EXPECT_NEAR(int(l & 0xFF), 127, 2);
  EXPECT_NEAR(int((r >> 16) & 0xFF), 128, 2);
  EXPECT_EQ(dst.GetPixel(7, 4), 0xFF0000FFu);
  // A quarter pixel left of the origin: pixel 0 is three quarters covered
  // (floor takes the integer part; truncation would put it one pixel off).
  dst.Clear(0xFF0000FFu);
  BlockTransferX(&dst, -0x4000, 0, &src, src.BoundsRect(), TDrawMode::dmBlend);
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(2, 0), 0xFFFF0000u);
  const TColor32 e = dst.GetPixel(3, 0);
  EXPECT_NEAR(int((e >> 16) & 0xFF), 191, 2);
  EXPECT_EQ(dst.GetPixel(4, 0), 0xFF0000FFu);
}

TEST(Pix32_Resamplers_qn, BlendTransferFollowsEachSourcesOffset) {
  TCustomBitmap32 f, b, d;
  f.SetSize(8, 8);
  b.SetSize(8, 8);
  d.SetSize(8, 8);
  FillIndex(f);
  FillIndex(b);
  d.Clear(0);
  TAreas areas;
  areas.Attach(d);
  static TColor32 (*const pick)(TColor32, TColor32) = [](TColor32 F, TColor32 B) { return (F & 0xFF) | (B & 0xFF00); };
  BlendTransfer(&d, 1, 1, d.BoundsRect(), &f, TRect(2, 0, 8, 8), &b, TRect(0, 3, 8, 8), pick);
  // Destination (x, y) reads F at (x + 1, y - 1) and B at (x - 1, y + 2).
  EXPECT_EQ(d.GetPixel(1, 1), 0x0302u);
  EXPECT_EQ(d.GetPixel(4, 3), (4u + 1) | (3u + 2) << 8);
  ASSERT_EQ(areas.List.size(), 1u);
  EXPECT_EQ(areas.List[0], TRect(1, 1, 7, 6));
  static TColor32 (*const ex)(TColor32, TColor32, TColor32) = [](TColor32 F, TColor32, TColor32 M) { return F ^ M; };
  BlendTransfer(&d, 0, 0, d.BoundsRect(), &f, f.BoundsRect(), &b, b.BoundsRect(), ex, 7);
  EXPECT_EQ(d.GetPixel(2, 2), f.GetPixel(2, 2) ^ 7u);
  EXPECT_THROW(BlendTransfer(&d, 0, 0, d.BoundsRect(), nullptr, TRect(), &b, TRect(), pick), EBitmapException);
}

TEST(Pix32_Resamplers_qn, StretchTransferCutsTheSourceAndSkipsTheResamplerForEqualSizes) {
  TCustomBitmap32 src, dst;
  src.SetSize(10, 10);
  dst.SetSize(40, 20);
  FillIndex(src);
  dst.Clear(0);
  TAreas areas;
  areas.Attach(dst);
  TNearestResampler nearest;
  StretchTransfer(&dst, TRect(0, 0, 40, 20), dst.BoundsRect(), &src, TRect(-10, 0, 10, 10), &nearest,
                  TDrawMode::dmOpaque);
  EXPECT_EQ(dst.GetPixel(19, 5), 0u);
  EXPECT_EQ(dst.GetPixel(20, 0), src.GetPixel(0, 0));
  EXPECT_EQ(dst.GetPixel(39, 19), src.GetPixel(9, 9));
  ASSERT_EQ(areas.List.size(), 1u);
  EXPECT_EQ(areas.List[0], TRect(20, 0, 40, 20));

  auto* counting = new TCountingResampler;
  TCustomBitmap32 holder;
  holder.SetResampler(counting);
  StretchTransfer(&dst, TRect(3, 3, 13, 13), dst.BoundsRect(), &src, src.BoundsRect(), counting, TDrawMode::dmOpaque);
  EXPECT_EQ(counting->Calls, 0);
  EXPECT_EQ(dst.GetPixel(3, 3), src.GetPixel(0, 0));
  EXPECT_EQ(dst.GetPixel(12, 12), src.GetPixel(9, 9));
  StretchTransfer(&dst, TRect(3, 3, 14, 13), dst.BoundsRect(), &src, src.BoundsRect(), counting, TDrawMode::dmOpaque);
  EXPECT_EQ(counting->Calls, 1);
}

TEST(Pix32_Resamplers_qn, NearestStretchOnePixelWideTakesTheMiddleColumn) {
  TCustomBitmap32 src, dst;
  src.SetSize(9, 4);
  dst.SetSize(1, 4);
  FillIndex(src);
  NearestStretch(&dst, TRect(0, 0, 1, 8), dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
  EXPECT_EQ(dst.GetPixel(0, 0) & 0xFF, 4u);
}

// Nearest stretching against the pixel-by-pixel mapping (the centre rule,
// or the edge rule when FullEdge is set), on random rectangles, clips and
// both opaque and blended draws: the row loops pick the same pixels.
TEST(Pix32_Resamplers_qn, NearestStretchPicksThePixelsOfItsMapping) {
  std::mt19937 rng(29);
  const bool savedEdge = FullEdge;
  for (int trial = 0; trial < 300; ++trial) {
    FullEdge = trial % 3 == 0;
    TBitmap32 src, dst, want;
    src.SetSize(1 + Integer(rng() % 90), 1 + Integer(rng() % 60));
    dst.SetSize(1 + Integer(rng() % 90), 1 + Integer(rng() % 60));
    for (Integer i = 0; i < src.Width() * src.Height(); ++i) src.Bits()[i] = rng();
    for (Integer i = 0; i < dst.Width() * dst.Height(); ++i) dst.Bits()[i] = rng() | 0xFF000000u;
    want.Assign(&dst);
    const Integer sl = Integer(rng() % unsigned(src.Width())), st = Integer(rng() % unsigned(src.Height()));
    const TRect sr(sl, st, sl + 1 + Integer(rng() % unsigned(src.Width() - sl)),
                   st + 1 + Integer(rng() % unsigned(src.Height() - st)));
    const Integer dl = Integer(rng() % 40) - 10, dt = Integer(rng() % 30) - 10;
    const TRect dr(dl, dt, dl + 1 + Integer(rng() % 120), dt + 1 + Integer(rng() % 80));
    const Integer cl = Integer(rng() % 50) - 5, ct = Integer(rng() % 40) - 5;
    const TRect clip(cl, ct, cl + Integer(rng() % 100), ct + Integer(rng() % 70));
    const TDrawMode mode = rng() % 2 ? TDrawMode::dmOpaque : TDrawMode::dmBlend;
    NearestStretch(&dst, dr, clip, &src, sr, mode, TPixelCombineEvent());
    auto map = [](Integer i, Integer dLo, Integer d, Integer sLo, Integer s) -> Integer {
      if (d <= 1) return (sLo + sLo + s - 1) / 2;
      Integer v;
      if (FullEdge) v = static_cast<Integer>(Trunc(static_cast<Single>(i - dLo) * (static_cast<Single>(s) / d) + sLo));
      else v = static_cast<Integer>(Round(static_cast<Single>(i - dLo) * (static_cast<Single>(s - 1) / (d - 1)) + sLo));
      return std::clamp(v, sLo, sLo + s - 1);
    };
    const bool sameSize = sr.Width() == dr.Width() && sr.Height() == dr.Height();
    for (Integer y = 0; y < want.Height(); ++y)
      for (Integer x = 0; x < want.Width(); ++x) {
        if (x < dr.Left || x >= dr.Right || y < dr.Top || y >= dr.Bottom) continue;
        if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom) continue;
        const Integer sx = sameSize ? sr.Left + x - dr.Left : map(x, dr.Left, dr.Width(), sr.Left, sr.Width());
        const Integer sy = sameSize ? sr.Top + y - dr.Top : map(y, dr.Top, dr.Height(), sr.Top, sr.Height());
        const TColor32 s = src.GetPixel(sx, sy);
        TColor32& d = want.Bits()[y * want.Width() + x];
        if (mode == TDrawMode::dmOpaque) d = s;
        else BlendLine(&s, &d, 1);
      }
    EMMS();
    ASSERT_EQ(std::vector<TColor32>(dst.Bits(), dst.Bits() + dst.Width() * dst.Height()),
              std::vector<TColor32>(want.Bits(), want.Bits() + want.Width() * want.Height()))
        << "trial " << trial;
  }
  FullEdge = savedEdge;
}

TEST(Pix32_Resamplers_qn, KernelMappingClustersSumTo256) {
  std::mt19937 rng(77);
  TBoxKernel box;
  TLinearKernel linear;
  TMitchellKernel mitchell;
  TLanczosKernel lanczos;
  TGaussianKernel gauss;
  TSinshKernel sinsh;
  TCustomKernel* kernels[] = {&box, &linear, &mitchell, &lanczos, &gauss, &sinsh};
  const bool saved = FullEdge;
  for (int n = 0; n < 1000; ++n) {
    FullEdge = n % 5 != 0;
    const int srcW = 1 + rng() % 300, dstW = 1 + rng() % 300;
    const int srcLo = int(rng() % 20), dstLo = int(rng() % 20) - 10;
    const int clipLo = dstLo + int(rng() % dstW);
    const int clipHi = clipLo + 1 + int(rng() % (dstLo + dstW - clipLo));
    TCustomKernel* k = kernels[n % 6];
    const TMappingTable t = BuildKernelMapping(dstLo, dstLo + dstW, clipLo, clipHi, srcLo, srcLo + srcW, k);
    ASSERT_EQ(t.size(), size_t(clipHi - clipLo)) << n;
    for (const auto& cl : t) {
      ASSERT_FALSE(cl.empty());
      int sum = 0;
      for (const auto& p : cl) {
        sum += p.Weight;
        ASSERT_GE(p.Pos, srcLo);
        ASSERT_LT(p.Pos, srcLo + srcW);
      }
      ASSERT_EQ(sum, 256) << n << " " << k->ClassName().size() << " " << srcW << "->" << dstW;
    }
  }
  FullEdge = saved;
}

TEST(Pix32_Resamplers_qn, BoxAverageEqualsBlockMeans) {
  TCustomBitmap32 src, dst;
  src.SetSize(100, 100);
  dst.SetSize(10, 10);
  Fill(src, 9);
  TLinearKernel k;
  BoxAverageStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), &k, TDrawMode::dmOpaque, {});
  for (int by = 0; by < 10; ++by)
    for (int bx = 0; bx < 10; ++bx) {
      int sum[4] = {};
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
          const TColor32 c = src.GetPixel(bx * 10 + x, by * 10 + y);
          for (int ch = 0; ch < 4; ++ch) sum[ch] += (c >> (8 * ch)) & 0xFF;
        }
      const TColor32 d = dst.GetPixel(bx, by);
      for (int ch = 0; ch < 4; ++ch) ASSERT_NEAR(int((d >> (8 * ch)) & 0xFF), sum[ch] / 100, 1) << bx << "," << by;
    }
  // A draft resampler takes the same road through StretchTransfer.
  TCustomBitmap32 dst2;
  dst2.SetSize(10, 10);
  auto* draft = new TDraftResampler(&src);
  StretchTransfer(&dst2, dst2.BoundsRect(), dst2.BoundsRect(), &src, src.BoundsRect(), draft, TDrawMode::dmOpaque);
  EXPECT_TRUE(dst2.Equal(&dst));
}

TEST(Pix32_Resamplers_qn, StretchesKeepFlatColoursAndReachBothEdges) {
  TCustomBitmap32 src;
  src.SetSize(16, 12);
  src.Clear(0xFF336699u);
  TLanczosKernel lanczos;
  TMitchellKernel mitchell;
  TLinearKernel linear;
  for (auto [w, h] : {std::pair{37, 29}, std::pair{5, 4}, std::pair{40, 7}}) {
    TCustomBitmap32 dst;
    dst.SetSize(w, h);
    for (TCustomKernel* k : std::initializer_list<TCustomKernel*>{&lanczos, &mitchell, &linear}) {
      dst.Clear(0);
      KernelStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), k, TDrawMode::dmOpaque, {});
      for (int i = 0; i < w * h; ++i) ASSERT_EQ(dst.Bits()[i], 0xFF336699u) << k->ClassName().size() << " " << i;
    }
    if (w > 16 && h > 12) {
      dst.Clear(0);
      LinearStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
      for (int i = 0; i < w * h; ++i) ASSERT_NEAR(int(dst.Bits()[i] & 0xFF), 0x99, 1);
    }
  }
  // A horizontal ramp enlarged keeps its ends and grows monotonically.
  TCustomBitmap32 ramp, big;
  ramp.SetSize(8, 2);
  for (int x = 0; x < 8; ++x) ramp.SetPixel(x, 0, Gray32(Byte(x * 32))), ramp.SetPixel(x, 1, Gray32(Byte(x * 32)));
  big.SetSize(64, 4);
  LinearStretch(&big, big.BoundsRect(), big.BoundsRect(), &ramp, ramp.BoundsRect(), TDrawMode::dmOpaque, {});
  for (int x = 1; x < 64; ++x) ASSERT_GE(big.GetPixel(x, 1) & 0xFF, big.GetPixel(x - 1, 1) & 0xFF) << x;
  EXPECT_LE(big.GetPixel(0, 0) & 0xFF, 2u);
  EXPECT_GE(big.GetPixel(63, 3) & 0xFF, 7u * 32 - 2);
}

TEST(Pix32_Resamplers_qn, LinearResamplerChoosesTheStretch) {
  // A strict enlargement interpolates (the first column blends towards the
  // second), anything else runs the linear kernel.
  TCustomBitmap32 src;
  src.SetSize(10, 10);
  FillIndex(src);
  auto& r = *new TLinearResampler(&src);
  TCustomBitmap32 a, b, c;
  a.SetSize(20, 20);
  b.SetSize(20, 20);
  r.Resample(&a, a.BoundsRect(), a.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
  LinearStretch(&b, b.BoundsRect(), b.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
  EXPECT_TRUE(a.Equal(&b));
  a.SetSize(20, 10);
  c.SetSize(20, 10);
  TLinearKernel k;
  r.Resample(&a, a.BoundsRect(), a.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
  KernelStretch(&c, c.BoundsRect(), c.BoundsRect(), &src, src.BoundsRect(), &k, TDrawMode::dmOpaque, {});
  EXPECT_TRUE(a.Equal(&c));
}

TEST(Pix32_Resamplers_qn, LinearStretchRowsMatchTheInterpolator) {
  // The opaque rows may run a packed loop; every pixel must still be the
  // bound interpolator's value at its map entry.
  TCustomBitmap32 src, a;
  src.SetSize(13, 9);
  Fill(src, 21);
  a.SetSize(41, 30);
  LinearStretch(&a, a.BoundsRect(), a.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
  TCustomBitmap32 b;
  b.SetSize(41, 30);
  b.Clear(0);
  // dmCustom copying through a callback takes the per-pixel road.
  LinearStretch(&b, b.BoundsRect(), b.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmCustom,
                [](TColor32 F, TColor32& B, TColor32) { B = F; });
  EXPECT_TRUE(a.Equal(&b));
}

TEST(Pix32_Resamplers_qn, ClippedStretchesMatchTheWholeStretch) {
  // A clip rectangle only selects pixels: each stretch draws inside it what
  // the unclipped stretch draws there. Without full edges and at twice the
  // size, a clip starting on an even column begins with a cluster of one
  // tap while the next cluster reaches further left.
  TCustomBitmap32 src;
  src.SetSize(12, 10);
  Fill(src, 31, true);
  TLanczosKernel lanczos;
  TMitchellKernel mitchell;
  const bool saved = FullEdge;
  for (bool full : {false, true}) {
    FullEdge = full;
    for (int kind = 0; kind < 3; ++kind) {
      for (auto [sw, sh] : {std::pair{23, 19}, std::pair{7, 5}}) {
        const int w = sw, h = sh;
        auto run = [&](TCustomBitmap32& d, const TRect& clip) {
          if (kind == 0)
            KernelStretch(&d, d.BoundsRect(), clip, &src, src.BoundsRect(), &lanczos, TDrawMode::dmOpaque, {});
          else if (kind == 1)
            KernelStretch(&d, d.BoundsRect(), clip, &src, src.BoundsRect(), &mitchell, TDrawMode::dmOpaque, {});
          else if (w > 12)
            LinearStretch(&d, d.BoundsRect(), clip, &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
          else
            NearestStretch(&d, d.BoundsRect(), clip, &src, src.BoundsRect(), TDrawMode::dmOpaque, {});
        };
        TCustomBitmap32 whole, part;
        whole.SetSize(w, h);
        part.SetSize(w, h);
        whole.Clear(0);
        run(whole, whole.BoundsRect());
        const TRect clip(w / 3 & ~1, h / 3 & ~1, w - 1, h - 1);
        part.Clear(0);
        run(part, clip);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
            ASSERT_EQ(part.GetPixel(x, y), inside ? whole.GetPixel(x, y) : 0u)
                << full << " " << kind << " " << w << " " << x << "," << y;
          }
      }
    }
  }
  FullEdge = saved;
}

TEST(Pix32_Resamplers_qn, StretchCombineModesAndMeasuring) {
  TCustomBitmap32 src, dst;
  src.SetSize(6, 6);
  src.Clear(0xFF00FF00u);
  src.SetMasterAlpha(128);
  dst.SetSize(15, 15);
  TColor32 expect = 0xFF0000FFu;
  BlendMemEx(0xFF00FF00u, expect, 128);
  TLanczosKernel k;
  for (int kind = 0; kind < 3; ++kind) {
    dst.Clear(0xFF0000FFu);
    if (kind == 0) KernelStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), &k, TDrawMode::dmBlend, {});
    if (kind == 1) LinearStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), TDrawMode::dmBlend, {});
    if (kind == 2) {
      TCustomBitmap32 big;
      big.SetSize(30, 30);
      big.Clear(0xFF00FF00u);
      big.SetMasterAlpha(128);
      BoxAverageStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &big, big.BoundsRect(), &k, TDrawMode::dmBlend, {});
    }
    for (int i = 0; i < 15 * 15; ++i) ASSERT_EQ(dst.Bits()[i], expect) << kind << " " << i;
  }
  // dmTransparent leaves the outer colour out.
  src.SetOuterColor(0xFF00FF00u);
  dst.Clear(0xFF0000FFu);
  KernelStretch(&dst, dst.BoundsRect(), dst.BoundsRect(), &src, src.BoundsRect(), &k, TDrawMode::dmTransparent, {});
  EXPECT_EQ(dst.GetPixel(7, 7), 0xFF0000FFu);
  // Measuring: nothing drawn, DstRect reported.
  TRect seen;
  dst.BeginMeasuring([&](TObject*, const TRect& r, Cardinal) { seen = r; });
  auto* n = new TNearestResampler(&src);
  StretchTransfer(&dst, TRect(1, 2, 9, 10), dst.BoundsRect(), &src, src.BoundsRect(), n, TDrawMode::dmOpaque);
  dst.EndMeasuring();
  EXPECT_EQ(seen, TRect(1, 2, 9, 10));
  EXPECT_EQ(dst.GetPixel(3, 3), 0xFF0000FFu);
}

TEST(Pix32_Resamplers_qn, KernelResamplerWrapsAndBlendsTheOuterColour) {
  TCustomBitmap32 b;
  b.SetSize(5, 5);
  b.Clear(0xFF808080u);
  b.SetOuterColor(0xFF808080u);
  auto* r = new TKernelResampler(&b);
  r->SetKernel(new TLanczosKernel);
  r->PrepareSampling();
  // Near the edge the window leaves the bitmap; an outer colour equal to
  // the picture keeps the sample flat.
  EXPECT_EQ(r->GetSampleFloat(0.3f, 0.6f), 0xFF808080u);
  r->FinalizeSampling();
  for (int x = 0; x < 5; ++x) b.SetPixel(x, 2, 0xFFFF0000u);
  r->SetPixelAccessMode(TPixelAccessMode::pamWrap);
  b.SetWrapMode(TWrapMode::wmRepeat);
  r->PrepareSampling();
  // Whole-pixel positions repeat with the bitmap's period.
  EXPECT_EQ(r->GetSampleFloat(1, 2), r->GetSampleFloat(6, 7));
  EXPECT_EQ(r->GetSampleFloat(-4, 2), 0xFFFF0000u);
  r->FinalizeSampling();
}

}  // namespace t_pix32_transfers_test
