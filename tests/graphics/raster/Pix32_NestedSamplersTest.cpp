// Nested, super- and kernel samplers of Pix32_Resamplers_qn.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "platform/rtl/Math.h"

namespace t_pix32_nested_samplers_test {

using namespace qn;

namespace {

// Records the points it is asked for; the colour encodes the point.
class TProbeSampler : public TCustomSampler {
 public:
  std::vector<TFixedPoint> Points;
  TColor32 Uniform = 0;
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override {
    Points.emplace_back(X, Y);
    if (Uniform) return Uniform;
    return 0xFF000000u | (Cardinal(X >> 12) & 0xFF) << 8 | (Cardinal(Y >> 12) & 0xFF);
  }
};

TBitmap32* Picture(Integer W, Integer H) {
  auto* b = new TBitmap32;
  b->SetSize(W, H);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      b->SetPixel(x, y, Color32(Byte(x * 37 + y * 11), Byte(y * 23), Byte((x ^ y) * 9), Byte(128 + (x * y) % 128)));
  return b;
}

}  // namespace

TEST(Pix32_Resamplers_qn, SuperSamplerGeometry) {
  TProbeSampler p;
  TSuperSampler s(&p);
  const TColor32 c = s.GetSampleFixed(Fixed(5), Fixed(7));
  ASSERT_EQ(p.Points.size(), 16u);
  std::vector<TFixed> xs;
  for (auto& q : p.Points) xs.push_back(q.X - Fixed(5));
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  EXPECT_EQ(xs, (std::vector<TFixed>{-3 * 8192, -8192, 8192, 3 * 8192}));
  EXPECT_EQ(c >> 24, 0xFFu);
  p.Points.clear();
  s.SetSamplingX(1);
  s.SetSamplingY(0);  // clamped to 1
  EXPECT_EQ(s.SamplingY(), 1);
  EXPECT_EQ(s.GetSampleFixed(Fixed(2), Fixed(3)), p.GetSampleFixed(Fixed(2), Fixed(3)));
  EXPECT_EQ(p.Points[0], TFixedPoint(Fixed(2), Fixed(3)));
  // Large counts: no overflow of the scale.
  p.Uniform = 0x80402010;
  s.SetSamplingX(300);
  s.SetSamplingY(300);
  EXPECT_EQ(s.GetSampleFixed(0, 0), 0x80402010u);
}

TEST(Pix32_Resamplers_qn, AdaptiveSuperSampler) {
  TProbeSampler p;
  p.Uniform = 0xFF336699;
  TAdaptiveSuperSampler a(&p);
  EXPECT_EQ(a.GetSampleFixed(Fixed(4), Fixed(4)), 0xFF336699u);
  EXPECT_EQ(p.Points.size(), 5u);
  // Tolerance 0 subdivides where colours differ at all.
  p.Uniform = 0;
  p.Points.clear();
  a.SetTolerance(0);
  a.GetSampleFixed(Fixed(4), Fixed(4));
  EXPECT_GT(p.Points.size(), 5u);
  a.SetLevel(40);
  EXPECT_EQ(a.Level(), 16);
  a.SetLevel(-3);
  EXPECT_EQ(a.Level(), 0);
}

TEST(Pix32_Resamplers_qn, PatternsAndNesting) {
  RandSeed = 1234;
  const TFixedSamplePattern pat = CreateJitteredPattern(2, 3, 4, 4);
  ASSERT_EQ(pat.size(), 3u);
  for (auto& row : pat) {
    ASSERT_EQ(row.size(), 2u);
    for (auto& cell : row) {
      ASSERT_EQ(cell.size(), 16u);
      for (size_t k = 0; k < 16; ++k) {
        EXPECT_GE(cell[k].X, -32768);
        EXPECT_LE(cell[k].X, 32767);
        // Each offset lies in its own sub-cell.
        EXPECT_EQ((cell[k].X + 32768) / 16384, Integer(k % 4));
        EXPECT_EQ((cell[k].Y + 32768) / 16384, Integer(k / 4));
      }
    }
  }
  TProbeSampler p;
  TPatternSampler ps(&p);
  ps.SetPattern(TFixedSamplePattern{{{TFixedPoint()}}});
  EXPECT_EQ(ps.GetSampleFixed(Fixed(3), 77), p.GetSampleFixed(Fixed(3), 77));
  ps.SetPattern(TFixedSamplePattern{{{}}});  // an empty cell: the point itself
  EXPECT_EQ(ps.GetSampleFixed(Fixed(3), 77), p.GetSampleFixed(Fixed(3), 77));
  ps.SetPattern(TFixedSamplePattern{{}});  // an empty row: ignored
  EXPECT_EQ(ps.Pattern()->at(0).size(), 1u);

  TNestedSampler bare;
  EXPECT_THROW(bare.PrepareSampling(), ENestedException);
  EXPECT_THROW(bare.GetSampleBounds(), ENestedException);
  TTransformer noTransformation(&p, nullptr);
  EXPECT_THROW(noTransformation.PrepareSampling(), ETransformError);

  // The identity transformer samples the inner sampler at the same point.
  TAffineTransformation id;
  TTransformer t(&p, &id);
  t.PrepareSampling();
  for (Integer i = -3; i < 4; ++i) EXPECT_EQ(t.GetSampleInt(i, 2 * i), p.GetSampleFixed(Fixed(i), Fixed(2 * i)));
  EXPECT_EQ(t.GetSampleFixed(0x12345, 0x6789), p.GetSampleFixed(0x12345, 0x6789));
  t.FinalizeSampling();
}

TEST(Pix32_Resamplers_qn, KernelFilters) {
  std::unique_ptr<TBitmap32> src(Picture(13, 9));
  TBitmap32 dst;
  TIntegerMap k(1, 1);
  k.SetValue(0, 0, 256);
  Convolve(src.get(), &dst, &k, 0, 0);
  EXPECT_TRUE(dst.Equal(src.get()));
  EXPECT_EQ(k.Value(0, 0), 256);  // the caller's kernel is the caller's

  // Dilate and erode with a zero 3 x 3 kernel: extremes of the neighbourhood
  // reaching left and up of each pixel.
  TIntegerMap z(3, 3);
  z.Clear(0);
  TBitmap32 dil, ero;
  Dilate(src.get(), &dil, &z, 0, 0);
  Erode(src.get(), &ero, &z, 0, 0);
  const TColor32 outer = src->OuterColor();
  for (Integer y = 0; y < 9; ++y)
    for (Integer x = 0; x < 13; ++x)
      for (Integer ch = 0; ch < 32; ch += 8) {
        Cardinal hi = 0, lo = 255;
        for (Integer j = 0; j < 3; ++j)
          for (Integer i = 0; i < 3; ++i) {
            const TColor32 c = x - i >= 0 && y - j >= 0 ? src->GetPixel(x - i, y - j) : outer;
            hi = std::max(hi, (c >> ch) & 0xFF);
            lo = std::min(lo, (c >> ch) & 0xFF);
          }
        ASSERT_EQ((dil.GetPixel(x, y) >> ch) & 0xFF, hi);
        ASSERT_EQ((ero.GetPixel(x, y) >> ch) & 0xFF, lo);
      }

  // A selective convolver with Delta 0 and weight on its centre copies.
  TSelectiveConvolver sel(src->Resampler());
  TIntegerMap box(3, 3);
  box.Clear(1);
  sel.SetKernel(&box);
  sel.SetCenterX(1);
  sel.SetCenterY(1);
  sel.SetDelta(0);
  TRegularRasterizer r;
  r.SetSampler(&sel);
  TBitmap32 same;
  same.SetSize(13, 9);
  r.Rasterize(&same);
  EXPECT_TRUE(same.Equal(src.get()));
  // A zero kernel leaves every channel without weight: the centre stands.
  TIntegerMap none(3, 3);
  none.Clear(0);
  sel.SetKernel(&none);
  r.Rasterize(&same);
  EXPECT_TRUE(same.Equal(src.get()));

  // The contracter's maximum is capped at 255: white stays white.
  TBitmap32 white, out;
  white.SetSize(4, 4);
  white.Clear(0xFFFFFFFF);
  TIntegerMap big(1, 1);
  big.SetValue(0, 0, 300);
  Contract(&white, &out, &big, 0, 0);
  EXPECT_EQ(out.GetPixel(2, 2), 0xFFFFFFFFu);
  Expand(&white, &out, &big, 0, 0);
  EXPECT_EQ(out.GetPixel(2, 2), 0xFFFFFFFFu);
}

}  // namespace t_pix32_nested_samplers_test
