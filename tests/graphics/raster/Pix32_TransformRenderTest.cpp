// Transform, the transformation classes and RasterizeTransformation.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "tests/common/Golden.h"
#include "tests/graphics/raster/RasterTestSupport.h"

namespace t_pix32_transform_render_test {

using namespace qn;

namespace {

std::unique_ptr<TBitmap32> TestImage(Integer W, Integer H, bool Alpha) {
  auto b = std::make_unique<TBitmap32>();
  b->SetSize(W, H);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) {
      const bool check = ((x / 8) ^ (y / 8)) & 1;
      const Byte a = Alpha ? Byte(255 - (x * 255 / W) / 2) : 255;
      b->SetPixel(x, y, check ? Color32(Byte(40 + x * 200 / W), 60, Byte(200 - y * 150 / H), a)
                              : Color32(240, Byte(220 - x * 100 / W), Byte(60 + y * 150 / H), a));
    }
  return b;
}

void ExpectPoint(const TFloatPoint& p, Single x, Single y, Single tol = 1e-3f) {
  EXPECT_NEAR(p.X, x, tol);
  EXPECT_NEAR(p.Y, y, tol);
}

}  // namespace

TEST(Pix32_Transforms_qn, TransformClipAndMeasuring) {
  auto src = TestImage(20, 20, false);
  src->SetOuterColor(0);
  TBitmap32 dst;
  dst.SetSize(30, 30);
  dst.Clear(0xFF123456);
  std::vector<TRect> reports;
  dst.SetOnAreaChanged([&](TObject*, const TRect& a, Cardinal) { reports.push_back(a); });
  TAffineTransformation t;
  t.SetSrcRect(FloatRect(src->BoundsRect()));
  Transform(&dst, src.get(), &t, TRect(40, 40, 60, 60));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF123456u);

  dst.BeginMeasuring([&](TObject*, const TRect& a, Cardinal) { reports.push_back(a); });
  Transform(&dst, src.get(), &t, TRect(2, 3, 12, 13));
  dst.EndMeasuring();
  EXPECT_EQ(reports, std::vector<TRect>{TRect(2, 3, 12, 13)});
  EXPECT_EQ(dst.GetPixel(5, 5), 0xFF123456u);

  // Identity: the source lands unchanged, nothing outside its bounds.
  Transform(&dst, src.get(), &t);
  EXPECT_EQ(dst.GetPixel(7, 9), src->GetPixel(7, 9));
  EXPECT_EQ(dst.GetPixel(25, 25), 0xFF123456u);
}

// The per-row affine path gives the general pipeline's pixels, for random
// matrices, every resampler kind and draw mode.
TEST(Pix32_Transforms_qn, FastPathEqualsGeneralPath) {
  auto src = TestImage(37, 29, true);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> d(-1, 1);
  for (Integer n = 0; n < 200; ++n) {
    TAffineTransformation t;
    t.SetSrcRect(FloatRect(src->BoundsRect()));
    t.Rotate(18, 14, d(rng) * 180);
    t.Scale(1 + d(rng) * 0.7f, 1 + d(rng) * 0.7f);
    t.Skew(d(rng) * 0.3f, d(rng) * 0.3f);
    t.Translate(d(rng) * 10 + 5, d(rng) * 10 + 5);
    switch (n % 3) {
      case 0: new TNearestResampler(src.get()); break;
      case 1: new TLinearResampler(src.get()); break;
      case 2: {
        auto* k = new TKernelResampler(src.get());
        k->SetKernelClassName(n % 2 ? u"TLanczosKernel" : u"TMitchellKernel");
        break;
      }
    }
    src->SetDrawMode(n % 4 == 1 ? TDrawMode::dmBlend : TDrawMode::dmOpaque);
    TBitmap32 fast, slow;
    for (TBitmap32* b : {&fast, &slow}) {
      b->SetSize(48, 40);
      b->Clear(0xFF204060);
    }
    Transform(&fast, src.get(), &t);
    TransformFastPath = false;
    Transform(&slow, src.get(), &t);
    TransformFastPath = true;
    for (Integer i = 0; i < 48 * 40; ++i)
      ASSERT_EQ(fast.Bits()[i], slow.Bits()[i]) << "case " << n << " pixel " << i;
  }
  // Both bilinear row loops agree.
  auto variants = rastertest::Variants(TransformsRegistry, FID_LINEARTRANSFORMROW);
  ASSERT_GE(variants.size(), 1u);
  std::vector<std::vector<TColor32>> rows;
  for (auto* v : variants) {
    rastertest::ForceVariant f(TransformsRegistry, v);
    std::vector<TColor32> out(300);
    src->ResetClipRect();
    LinearTransformRow(src.get(), -Fixed(3) + 777, Fixed(2) + 4321, 0x2A3B1, 0x1A00, 300, out.data());
    rows.push_back(out);
  }
  for (auto& r : rows) EXPECT_EQ(r, rows[0]);

  // Kernel tap rows: every variant gives the premultiplied weighted sums.
  std::uniform_int_distribution<int> px(0, 255), wt(-2048, 2048), len(1, 33);
  for (Integer n = 0; n < 500; ++n) {
    const Integer count = len(rng);
    std::vector<TColor32> c(size_t(count) + 1);
    std::vector<Integer> w(size_t(count) + 1);
    Int64 ref[4] = {};
    for (Integer i = 0; i < count; ++i) {
      const Cardinal a = n % 3 ? Cardinal(px(rng)) : 255;
      c[size_t(i)] = a << 24 | Cardinal(px(rng)) << 16 | Cardinal(px(rng)) << 8 | Cardinal(px(rng));
      w[size_t(i)] = wt(rng);
      for (Integer ch = 0; ch < 3; ++ch) ref[ch] += Int64((c[size_t(i)] >> (8 * ch) & 255) * a / 255) * w[size_t(i)];
      ref[3] += Int64(a) * w[size_t(i)];
    }
    for (auto* v : rastertest::Variants(TransformsRegistry, FID_KERNELROWTAPS)) {
      rastertest::ForceVariant f(TransformsRegistry, v);
      Integer sums[4];
      KernelRowTaps(c.data(), w.data(), count, sums);
      for (Integer ch = 0; ch < 4; ++ch) ASSERT_EQ(sums[ch], ref[ch]) << v->Name << " " << n;
    }
  }
}

TEST(Pix32_Transforms_qn, RotateAndScaleGolden) {
  auto src = TestImage(96, 64, false);
  new TLinearResampler(src.get());
  // Blended, so the outer colour beyond the picture leaves the white alone.
  src->SetDrawMode(TDrawMode::dmBlend);
  TBitmap32 dst;
  dst.SetSize(128, 96);
  dst.Clear(0xFFFFFFFF);
  TAffineTransformation t;
  t.SetSrcRect(FloatRect(src->BoundsRect()));
  t.Translate(-48, -32);
  t.Rotate(30);
  t.Scale(1.2f);
  t.Translate(64, 48);
  Transform(&dst, src.get(), &t);
  vcl::TScreenImage img;
  img.Width = 128;
  img.Height = 96;
  img.Pixels.assign(dst.Bits(), dst.Bits() + 128 * 96);
  qntest::ExpectMatchesGolden(img, "transform-rotate-scale", 2, 8);
}

TEST(Pix32_Transforms_qn, MappingCases) {
  TBitmap32 b;
  b.SetSize(5, 5);
  b.Clear(0xFF808080);
  Integer changes = 0;
  b.SetOnChange([&](TObject*) { ++changes; });
  SetBorderTransparent(&b, TRect(2, 2, 2, 4));
  EXPECT_EQ(changes, 0);
  SetBorderTransparent(&b, TRect(1, 1, 2, 2));
  EXPECT_EQ(b.GetPixel(1, 1), 0x00808080u);
  EXPECT_EQ(b.GetPixel(2, 1), 0xFF808080u);
  EXPECT_EQ(changes, 1);
  SetBorderTransparent(&b, TRect(-3, 0, 9, 5));
  EXPECT_EQ(b.GetPixel(0, 3), 0x00808080u);
  EXPECT_EQ(b.GetPixel(4, 4), 0x00808080u);
  EXPECT_EQ(b.GetPixel(2, 2), 0xFF808080u);

  TProjectiveTransformation p;
  p.SetSrcRect(TFloatRect(10, 20, 110, 70));
  p.SetX0(10), p.SetY0(20), p.SetX1(110), p.SetY1(20), p.SetX2(110), p.SetY2(70), p.SetX3(10), p.SetY3(70);
  ExpectPoint(p.Transform(TFloatPoint(33, 44)), 33, 44, 1e-2f);
  ExpectPoint(p.ReverseTransform(TFloatPoint(99, 21)), 99, 21, 1e-2f);
  p.SetX2(150);  // a true quadrilateral: forward then reverse returns
  const TFloatPoint q = p.Transform(TFloatPoint(60, 40));
  ExpectPoint(p.ReverseTransform(q), 60, 40, 0.05f);
  EXPECT_TRUE(EqualRect(p.GetTransformedBounds(), TFloatRect(10, 20, 150, 70)));
  p.SetX2(10), p.SetY2(20), p.SetX1(10), p.SetY1(20);  // degenerate
  const TFloatPoint z = p.Transform(TFloatPoint(60, 40));
  EXPECT_TRUE(std::isfinite(z.X) && std::isfinite(z.Y));
  const TFixedPoint zf = p.ReverseTransform(TFixedPoint(Fixed(3), Fixed(4)));
  (void)zf;

  TTwirlTransformation tw;
  tw.SetSrcRect(TFloatRect(0, 0, 100, 50));
  tw.SetTwirl(0);
  ExpectPoint(tw.ReverseTransform(TFloatPoint(12, 34)), 12, 34, 1e-3f);
  const TFloatRect tb = tw.GetTransformedBounds();
  EXPECT_NEAR(tb.Right - tb.Left, 157.08f, 0.01f);
  EXPECT_NEAR(tb.Bottom - tb.Top, 157.08f, 0.01f);
  EXPECT_THROW(tw.Transform(TFloatPoint(1, 1)), ETransformNotImplemented);

  TFishEyeTransformation fe;
  fe.SetSrcRect(TFloatRect(0, 0, 100, 60));
  ExpectPoint(fe.ReverseTransform(TFloatPoint(50, 30)), 50, 30);
  ExpectPoint(fe.ReverseTransform(TFloatPoint(98, 2)), 98, 2);
  const TFloatPoint in = fe.ReverseTransform(TFloatPoint(60, 30));
  EXPECT_GT(in.X, 50.5f);
  EXPECT_LT(in.X, 60);

  TPathTransformation path;
  path.SetSrcRect(TFloatRect(0, 0, 10, 10));
  EXPECT_THROW(path.Transform(TFloatPoint(1, 1)), ETransformError);
  path.SetTopCurve({TFloatPoint(0, 0), TFloatPoint(100, 20)});
  path.SetBottomCurve({TFloatPoint(0, 50)});
  ExpectPoint(path.Transform(TFloatPoint(5, 0)), 50, 10);
  ExpectPoint(path.Transform(TFloatPoint(5, 10)), 0, 50);  // a one-point curve is that point

  TRemapTransformation rm;
  try {
    rm.ReverseTransform(TFloatPoint(1, 1));
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"SrcRect is empty!");
  }
  rm.SetSrcRect(TFloatRect(0, 0, 10, 10));
  try {
    rm.ReverseTransform(TFloatPoint(1, 1));
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"MappingRect is empty!");
  }
  rm.SetMappingRect(TFloatRect(0, 0, 10, 10));
  rm.VectorMap()->SetSize(11, 11);
  rm.VectorMap()->SetFloatVector(5, 5, TFloatPoint(2, -1));
  ExpectPoint(rm.ReverseTransform(TFloatPoint(5, 5)), 7, 4);
  ExpectPoint(rm.ReverseTransform(TFloatPoint(1, 2)), 1, 2);
  EXPECT_FALSE(rm.HasTransformedBounds());

  // Twice vcmAdd doubles; vcmReplace twice is once; custom progression 0 .. 1.
  TAffineTransformation sh;
  sh.Translate(-2, 3);
  TVectorMap vm(4, 3);
  RasterizeTransformation(&vm, &sh, vm.BoundsRect(), TVectorCombineMode::vcmAdd, nullptr);
  RasterizeTransformation(&vm, &sh, vm.BoundsRect(), TVectorCombineMode::vcmAdd, nullptr);
  EXPECT_EQ(vm.GetFixedVector(3, 2), TFixedPoint(Fixed(4), Fixed(-6)));
  RasterizeTransformation(&vm, &sh, vm.BoundsRect(), TVectorCombineMode::vcmReplace, nullptr);
  EXPECT_EQ(vm.GetFixedVector(1, 1), TFixedPoint(Fixed(2), Fixed(-3)));
  std::vector<TFixedPoint> prog;
  RasterizeTransformation(&vm, &sh, TRect(1, 0, 2, 3), TVectorCombineMode::vcmCustom,
                          [&](const TFixedPoint&, const TFixedPoint& P, TFixedPoint&) { prog.push_back(P); });
  ASSERT_EQ(prog.size(), 3u);
  EXPECT_EQ(prog[0], TFixedPoint(0, 0));
  EXPECT_EQ(prog[2].X, 0);
  EXPECT_NEAR(prog[2].Y, 0x10000, 2);
}

TEST(Pix32_Transforms_qn, NestedTransformation) {
  TNestedTransformation n;
  auto* a = static_cast<TAffineTransformation*>(n.Add(TAffineTransformation::StaticClass()));
  auto* s = static_cast<TAffineTransformation*>(n.Add(TAffineTransformation::StaticClass()));
  // Items start as identities, built by their own constructor.
  ExpectPoint(n.Transform(TFloatPoint(3, 4)), 3, 4);
  a->Translate(1, 0);
  s->Scale(2);
  ExpectPoint(n.Transform(TFloatPoint(1, 0)), 4, 0);
  ExpectPoint(n.ReverseTransform(TFloatPoint(4, 0)), 1, 0);
  n.Insert(0, TRemapTransformation::StaticClass());
  EXPECT_EQ(n.Count(), 3);
  EXPECT_NE(static_cast<TRemapTransformation*>(n.Items(0))->VectorMap(), nullptr);
  n.Delete(0);
  TNestedTransformation empty;
  ExpectPoint(empty.ReverseTransform(TFloatPoint(7, 8)), 7, 8);

  // Random chains: the reverse undoes the forward.
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> d(-1, 1);
  for (Integer k = 0; k < 50; ++k) {
    TNestedTransformation c;
    for (Integer i = 0; i < 3; ++i) {
      auto* t = static_cast<TAffineTransformation*>(c.Add(TAffineTransformation::StaticClass()));
      t->Rotate(d(rng) * 90);
      t->Scale(1.2f + d(rng) * 0.5f);
      t->Translate(d(rng) * 20, d(rng) * 20);
    }
    const TFloatPoint p(d(rng) * 50, d(rng) * 50);
    ExpectPoint(c.ReverseTransform(c.Transform(p)), p.X, p.Y, 1e-2f);
  }

  // Drawing through [translate, scale] equals drawing through the product.
  auto src = TestImage(24, 18, false);
  TAffineTransformation single;
  single.SetSrcRect(FloatRect(src->BoundsRect()));
  single.Translate(1, 0);
  single.Scale(2);
  n.SetSrcRect(FloatRect(src->BoundsRect()));
  TBitmap32 x, y;
  for (TBitmap32* b : {&x, &y}) {
    b->SetSize(60, 40);
    b->Clear(0);
  }
  TRegularRasterizer r;
  Transform(&x, src.get(), &single, &r);
  // The nested class reports no bounds of its own: draw over the whole area.
  Transform(&y, src.get(), &n, &r);
  for (Integer yy = 0; yy < 36; ++yy)
    for (Integer xx = 2; xx < 50; ++xx) ASSERT_EQ(x.GetPixel(xx, yy), y.GetPixel(xx, yy)) << xx << "," << yy;
}

}  // namespace t_pix32_transform_render_test
