#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_OrdinalMaps_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"

namespace t_pix32_kernels_test {

using namespace qn;

TEST(Pix32_Resamplers_qn, KernelValues) {
  TBoxKernel box;
  EXPECT_EQ(box.Filter(0.5f), 1);
  EXPECT_EQ(box.Filter(0.5001f), 0);
  TLinearKernel lin;
  EXPECT_EQ(lin.Filter(-1), 0);
  EXPECT_EQ(lin.Filter(-0.5f), 0.5f);
  TCubicKernel cubic;
  EXPECT_FLOAT_EQ(cubic.Filter(0), 1);
  EXPECT_NEAR(cubic.Filter(1), 0, 1e-6);
  EXPECT_NEAR(cubic.Filter(2), 0, 1e-6);
  EXPECT_FLOAT_EQ(cubic.Filter(1.5f), -0.0625f);
  TLanczosKernel lanczos;
  EXPECT_EQ(lanczos.Filter(0), 1);
  EXPECT_EQ(lanczos.Filter(3), 0);
  EXPECT_NEAR(lanczos.Filter(1), 0, 1e-6);
  TMitchellKernel mitchell;
  EXPECT_NEAR(mitchell.Filter(0), 16.0f / 18, 1e-6);
  EXPECT_NEAR(mitchell.Filter(1), 1.0f / 18, 1e-6);
  TSplineKernel spline;
  EXPECT_NEAR(spline.Filter(0), 2.0f / 3, 1e-6);
  // Symmetric kernels with their integer taps summing to 1.
  TCustomKernel* ks[] = {new TCosineKernel, new TAlbrechtKernel, new TBlackmanKernel, new THannKernel,
                         new THammingKernel, new TGaussianKernel, new THermiteKernel, new TSinshKernel};
  for (TCustomKernel* k : ks) {
    EXPECT_NEAR(k->Filter(0), 1, 1e-5) << k->ClassName().size();
    if (k->ClassType() != THermiteKernel::StaticClass()) {
      EXPECT_NEAR(k->Filter(0.3f), k->Filter(-0.3f), 1e-6);
    }
    delete k;
  }
  EXPECT_TRUE(lanczos.RangeCheck());
  EXPECT_FALSE(lin.RangeCheck());
}

TEST(Pix32_Resamplers_qn, KernelParameterClamps) {
  TLanczosKernel l;
  l.SetWidth(20);
  EXPECT_EQ(l.Width(), 16);
  EXPECT_EQ(l.GetWidth(), 16);
  TAlbrechtKernel a;
  EXPECT_EQ(a.Terms(), 7);
  a.SetTerms(1);
  EXPECT_EQ(a.Terms(), 2);
  a.SetTerms(12);
  EXPECT_EQ(a.Terms(), 11);
  TGaussianKernel g;
  g.SetSigma(0);
  EXPECT_FLOAT_EQ(g.Sigma(), 1.33f);
  TSinshKernel s;
  s.SetWidth(40);
  EXPECT_EQ(s.GetWidth(), 40);
  s.SetCoeff(0);
  EXPECT_EQ(s.Coeff(), 0.5f);
  auto* r = new TKernelResampler;
  EXPECT_EQ(r->KernelClassName(), u"TBoxKernel");
  EXPECT_EQ(r->PixelAccessMode(), TPixelAccessMode::pamSafe);
  r->SetTableSize(0);
  EXPECT_EQ(r->TableSize(), 2);
  r->SetKernelClassName(u"TLanczosKernel");
  EXPECT_EQ(r->KernelClassName(), u"TLanczosKernel");
  EXPECT_EQ(r->GetWidth(), 3);
  r->SetKernelClassName(u"TNoSuchKernel");
  EXPECT_EQ(r->KernelClassName(), u"TLanczosKernel");
  r->SetKernel(nullptr);
  EXPECT_NE(r->Kernel(), nullptr);
  delete r;
  // Both registries keep the order stored forms and pickers list them in.
  ASSERT_NE(KernelList, nullptr);
  const std::vector<String> kernels = {
      u"TBoxKernel",      u"TLinearKernel",   u"TCosineKernel",   u"TSplineKernel", u"TCubicKernel",
      u"TMitchellKernel", u"TAlbrechtKernel", u"TLanczosKernel",  u"TGaussianKernel", u"TBlackmanKernel",
      u"THannKernel",     u"THammingKernel",  u"TSinshKernel",    u"THermiteKernel"};
  ASSERT_EQ(KernelList->Count(), Integer(kernels.size()));
  for (Integer i = 0; i < KernelList->Count(); ++i) EXPECT_EQ(KernelList->Items(i)->ClassName(), kernels[i]) << i;
  const std::vector<String> resamplers = {u"TNearestResampler", u"TLinearResampler", u"TDraftResampler",
                                          u"TKernelResampler"};
  ASSERT_EQ(ResamplerList->Count(), Integer(resamplers.size()));
  for (Integer i = 0; i < ResamplerList->Count(); ++i)
    EXPECT_EQ(ResamplerList->Items(i)->ClassName(), resamplers[i]) << i;
  EXPECT_EQ(ResamplerList->Find(u"TDraftResampler"), TDraftResampler::StaticClass());
}

TEST(Pix32_Resamplers_qn, KernelSamplesAtPixelsAndOutside) {
  TCustomBitmap32 b;
  b.SetSize(8, 8);
  std::mt19937 rng(3);
  for (int i = 0; i < 64; ++i) b.Bits()[i] = rng() | 0xFF000000u;
  b.SetOuterColor(0xFF102030u);
  auto* r = new TKernelResampler(&b);
  r->SetKernel(new TLinearKernel);
  r->PrepareSampling();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(r->GetSampleFloat(float(x), float(y)), b.GetPixel(x, y)) << x << "," << y;
  EXPECT_EQ(r->GetSampleFloat(-40, 3), 0xFF102030u);
  r->FinalizeSampling();
  r->SetPixelAccessMode(TPixelAccessMode::pamTransparentEdge);
  r->PrepareSampling();
  EXPECT_EQ(r->GetSampleFloat(-40, 3), 0u);
  r->FinalizeSampling();
}

TEST(Pix32_Resamplers_qn, KernelTableModesFollowTheDynamicWeights) {
  // Rounding of the table rows moves a weight by at most one unit per tap:
  // on a smooth picture that stays within 1, on noise within 2.
  for (int noisy = 0; noisy < 2; ++noisy) {
  TCustomBitmap32 b;
  b.SetSize(16, 16);
  std::mt19937 rng(4);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      b.SetPixel(x, y, noisy ? rng() | 0xFF000000u : Color32(Byte(x * 15), Byte(y * 15), Byte(x * 7 + y * 8), 255));
  const int tol = noisy ? 2 : 1;
  auto* r = new TKernelResampler(&b);
  r->SetKernel(new TMitchellKernel);
  r->SetTableSize(256);
  std::vector<TColor32> dyn;
  r->PrepareSampling();
  for (int n = 0; n < 256; ++n) dyn.push_back(r->GetSampleFloat(5 + n / 256.0f, 7 + n / 512.0f));
  r->FinalizeSampling();
  for (TKernelMode m : {TKernelMode::kmTableNearest, TKernelMode::kmTableLinear}) {
    r->SetKernelMode(m);
    r->PrepareSampling();
    for (int n = 0; n < 256; ++n) {
      const TColor32 t = r->GetSampleFloat(5 + n / 256.0f, 7 + n / 512.0f);
      for (int ch = 0; ch < 32; ch += 8)
        ASSERT_NEAR(int((t >> ch) & 0xFF), int((dyn[size_t(n)] >> ch) & 0xFF), tol) << int(m) << " " << n;
    }
    r->FinalizeSampling();
  }
  }
}

TEST(Pix32_Resamplers_qn, NearestAndLinearEdges) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  for (int i = 0; i < 16; ++i) b.Bits()[i] = 0xFF000000u | Cardinal(i * 10);
  auto* n = new TNearestResampler(&b);
  n->SetPixelAccessMode(TPixelAccessMode::pamTransparentEdge);
  n->PrepareSampling();
  EXPECT_EQ(n->GetSampleInt(-1, 0), b.GetPixel(0, 0) & 0x00FFFFFFu);
  EXPECT_EQ(n->GetSampleInt(2, 1), b.GetPixel(2, 1));
  auto* l = new TLinearResampler(&b);
  l->SetPixelAccessMode(TPixelAccessMode::pamTransparentEdge);
  l->PrepareSampling();
  EXPECT_EQ(l->GetSampleFixed(Fixed(1), Fixed(1)), b.GetPixel(1, 1));
  EXPECT_EQ(l->GetSampleFixed(Fixed(-5), Fixed(1)), 0u);
  // Half a pixel left of the bitmap: about half transparent.
  const TColor32 e = l->GetSampleFixed(-0x8000, Fixed(1));
  EXPECT_GT(e >> 24, 0u);
  EXPECT_LT(e >> 24, 255u);
}

}  // namespace t_pix32_kernels_test
