#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "RasterTestSupport.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"

namespace t_pix32_resamplers_test {

using namespace qn;

TEST(Pix32_Resamplers_qn, AccumulatorHelpers) {
  TBufferEntry b = EMPTY_ENTRY;
  IncBuffer(b, 0x80402010u);
  IncBuffer(b, 0x80402010u);
  EXPECT_EQ(b, (TBufferEntry{0x20, 0x40, 0x80, 0x100}));
  MultiplyBuffer(b, 3);
  EXPECT_EQ(b.A, 0x300);
  ShrBuffer(b, 1);
  EXPECT_EQ(b.B, 0x30);
  EXPECT_EQ(BufferToColor32(b, 1), 0xC0603018u);
  TBufferEntry n{-2, 0, 0, 0};
  ShrBuffer(n, 28);  // logical: the sign bit moves down
  EXPECT_EQ(n.B, 15);
}

TEST(Pix32_Resamplers_qn, RegistriesAndBindings) {
  ASSERT_NE(ResamplerList, nullptr);
  EXPECT_EQ(ResamplerList->Find(u"TNearestResampler"), TNearestResampler::StaticClass());
  EXPECT_EQ(ResamplerList->Items(0), TNearestResampler::StaticClass());
  ASSERT_NE(ResamplersRegistry, nullptr);
  EXPECT_EQ(ResamplersRegistry->Name(), u"Pix32_Resamplers_qn bindings");
  EXPECT_NE(BlockAverage, nullptr);
  EXPECT_NE(Interpolator, nullptr);
  EXPECT_EQ(ResamplersRegistry->BindingCount(), 2);
}

TEST(Pix32_Resamplers_qn, BlockAverageFormsAgree) {
  std::mt19937 rng(11);
  std::vector<TColor32> img(64 * 64);
  for (auto& c : img) c = rng();
  auto forms = rastertest::Variants(ResamplersRegistry, FID_BLOCKAVERAGE);
  ASSERT_GE(forms.size(), 1u);
  for (int n = 0; n < 2000; ++n) {
    const Cardinal w = 1 + rng() % 16, h = 1 + rng() % 16;
    const TColor32* p = &img[(rng() % 48) * 64 + rng() % 48];
    const TColor32 ref = BlockAverage_Pas(w, h, p, 64 * 4);
    for (auto* f : forms) ASSERT_EQ(reinterpret_cast<TBlockAverageProc*>(f->Proc)(w, h, p, 64 * 4), ref) << f->Name;
  }
  // A uniform block averages to itself (up to the truncating reciprocal).
  std::vector<TColor32> flat(100, 0xFF808080u);
  const TColor32 avg = BlockAverage_Pas(10, 10, flat.data(), 40);
  EXPECT_NEAR(static_cast<int>(avg & 0xFF), 0x80, 1);
  EXPECT_NEAR(static_cast<int>(avg >> 24), 0xFF, 1);
}

TEST(Pix32_Resamplers_qn, InterpolatorComposesCombineReg) {
  std::mt19937 rng(12);
  auto r32 = [&] { return static_cast<TColor32>(rng()); };
  auto combines = rastertest::Variants(BlendRegistry, FID_COMBINEREG);
  for (auto* cf : combines) {
    rastertest::ForceVariant force(BlendRegistry, cf);
    for (int n = 0; n < 5000; ++n) {
      const TColor32 c[4] = {r32(), r32(), r32(), r32()};
      const Cardinal wx = rng() % 300, wy = rng() % 300;
      const Cardinal cx = wx > 255 ? 255 : wx, cy = wy > 255 ? 255 : wy;
      const TColor32 ref = CombineReg(CombineReg(c[0], c[1], cx), CombineReg(c[2], c[3], cx), cy);
      ASSERT_EQ(Interpolator_Pas(wx, wy, c, c + 2), ref);
      // The packed form keeps the same weights; it matches the packed combine.
      if (std::string(cf->Name) == "SSE2") {
        ASSERT_EQ(Interpolator_SSE2(wx, wy, c, c + 2), ref);
      }
    }
  }
}

}  // namespace t_pix32_resamplers_test
