#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "graphics/raster/Pix32_Rasterizers_qn.h"

namespace t_pix32_rasterizers_test {

using namespace qn;

namespace {

// A colour that differs for every pixel, and a count of visits per pixel.
TColor32 ColorAt(Integer X, Integer Y) { return 0xFF000000u | Cardinal(X * 7919 + Y * 104729) % 0xFFFFFF; }

class TCountingSampler : public TCustomSampler {
 public:
  TCountingSampler(Integer W, Integer H) : FW(W), FH(H), Counts(size_t(W) * H) {}
  TColor32 GetSampleInt(Integer X, Integer Y) override {
    std::lock_guard<std::mutex> g(FLock);
    if (X >= 0 && Y >= 0 && X < FW && Y < FH) ++Counts[size_t(Y) * FW + X];
    Order.emplace_back(X, Y);
    return ColorAt(X, Y);
  }
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override { return GetSampleInt(X >> 16, Y >> 16); }
  void PrepareSampling() override { ++Prepared; }
  void FinalizeSampling() override { ++Finalized; }
  bool HasBounds() override { return Bounded; }
  TFloatRect GetSampleBounds() override { return Bounds; }

  Integer FW, FH;
  std::vector<Integer> Counts;
  std::vector<TPoint> Order;
  Integer Prepared = 0, Finalized = 0;
  bool Bounded = false;
  TFloatRect Bounds;
  std::mutex FLock;
};

std::unique_ptr<TRasterizer> Make(TClass c) { return std::unique_ptr<TRasterizer>(static_cast<TRasterizer*>(c->Create(nullptr))); }

const TClass kVisitOnce[] = {TRegularRasterizer::StaticClass(), TSwizzlingRasterizer::StaticClass(),
                             TTesseralRasterizer::StaticClass(), TContourRasterizer::StaticClass(),
                             TMultithreadedRegularRasterizer::StaticClass()};

}  // namespace

// Every rasterizer but the progressive one samples each pixel of the
// clipped rectangle once and nothing else; the progressive one covers every
// pixel and ends with the regular one's picture.
TEST(Pix32_Rasterizers_qn, EveryPixelOnceForAllSizes) {
  for (Integer w = 1; w <= 40; ++w)
    for (Integer h = 1; h <= 40; h += (w % 3 == 0 ? 1 : 7)) {
      TBitmap32 ref;
      ref.SetSize(w, h);
      for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) ref.SetPixel(x, y, ColorAt(x, y));
      for (TClass c : kVisitOnce) {
        TCountingSampler s(w, h);
        TBitmap32 b;
        b.SetSize(w, h);
        auto r = Make(c);
        r->SetSampler(&s);
        r->Rasterize(&b);
        for (Integer i = 0; i < w * h; ++i) ASSERT_EQ(s.Counts[size_t(i)], 1) << ToUtf8(c->ClassName()) << " " << w << "x" << h;
        ASSERT_EQ(s.Order.size(), size_t(w * h)) << ToUtf8(c->ClassName());
        ASSERT_TRUE(b.Equal(&ref)) << ToUtf8(c->ClassName());
      }
      TCountingSampler s(w, h);
      TBitmap32 b;
      b.SetSize(w, h);
      TProgressiveRasterizer p;
      p.SetSteps(w % 5);
      p.SetSampler(&s);
      p.Rasterize(&b);
      for (Integer i = 0; i < w * h; ++i) ASSERT_GE(s.Counts[size_t(i)], 1) << w << "x" << h;
      ASSERT_TRUE(b.Equal(&ref)) << "progressive " << w << "x" << h;
    }
}

TEST(Pix32_Rasterizers_qn, OffsetRectanglesAreClipped) {
  for (TClass c : kVisitOnce) {
    TCountingSampler s(20, 15);
    TBitmap32 b;
    b.SetSize(20, 15);
    b.Clear(0);
    auto r = Make(c);
    r->SetSampler(&s);
    r->Rasterize(&b, TRect(-5, 10, 7, 30));
    for (Integer y = 0; y < 15; ++y)
      for (Integer x = 0; x < 20; ++x) {
        const bool inside = x < 7 && y >= 10;
        ASSERT_EQ(s.Counts[size_t(y) * 20 + x], inside ? 1 : 0) << ToUtf8(c->ClassName());
        ASSERT_EQ(b.GetPixel(x, y), inside ? ColorAt(x, y) : 0u);
      }
    // Bounds of the sampler clip further, rounded outward.
    TCountingSampler t(20, 15);
    t.Bounded = true;
    t.Bounds = TFloatRect(2.5f, 3.2f, 4.1f, 5.0f);
    r->SetSampler(&t);
    r->Rasterize(&b);
    EXPECT_EQ(t.Order.size(), size_t(3 * 2)) << ToUtf8(c->ClassName());
    EXPECT_EQ(t.Counts[3 * 20 + 2], 1);
    EXPECT_EQ(t.Counts[4 * 20 + 4], 1);
  }
}

TEST(Pix32_Rasterizers_qn, SwizzleOrderAndThinRectangles) {
  TCountingSampler s(3, 2);
  TBitmap32 b;
  b.SetSize(3, 2);
  TSwizzlingRasterizer r;
  r.SetSampler(&s);
  r.Rasterize(&b);
  const std::vector<TPoint> expected = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 0}, {2, 1}};
  EXPECT_EQ(s.Order, expected);
  // A very wide, one-row rectangle walks only its own cells.
  TCountingSampler wide(100000, 1);
  TBitmap32 w;
  w.SetSize(100000, 1);
  r.SetSampler(&wide);
  r.SetBlockSize(40);
  EXPECT_EQ(r.BlockSize(), 16);
  r.Rasterize(&w);
  ASSERT_EQ(wide.Order.size(), 100000u);
  for (Integer i = 0; i < 100000; ++i) ASSERT_EQ(wide.Order[size_t(i)], TPoint(i, 0));
}

TEST(Pix32_Rasterizers_qn, ProgressivePasses) {
  // Steps 0: one pass of single pixels, in rows.
  TCountingSampler s(5, 4);
  TBitmap32 b;
  b.SetSize(5, 4);
  TProgressiveRasterizer p;
  p.SetSteps(0);
  p.SetSampler(&s);
  std::vector<TRect> reports;
  b.SetOnAreaChanged([&](TObject*, const TRect& a, Cardinal) { reports.push_back(a); });
  p.Rasterize(&b);
  EXPECT_EQ(s.Order.size(), 20u);
  EXPECT_EQ(s.Order[5], TPoint(0, 1));
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[3], TRect(0, 3, 5, 4));
  // The first pass of Steps 2 fills 4 x 4 blocks from their corner samples.
  p.SetSteps(40);
  EXPECT_EQ(p.Steps(), 16);
  p.SetSteps(2);
  TCountingSampler t(9, 6);
  TBitmap32 c;
  c.SetSize(9, 6);
  p.SetSampler(&t);
  struct TStop {};
  c.SetOnAreaChanged([&](TObject*, const TRect&, Cardinal) {
    if (t.Order.size() >= 6) throw TStop{};
  });
  EXPECT_THROW(p.Rasterize(&c), TStop);
  EXPECT_EQ(c.GetPixel(3, 3), ColorAt(0, 0));
  EXPECT_EQ(c.GetPixel(7, 5), ColorAt(4, 4));
  EXPECT_EQ(t.Finalized, 1);
}

TEST(Pix32_Rasterizers_qn, DriverEdgeCases) {
  TBitmap32 b;
  b.SetSize(4, 7);
  b.Clear(0x11223344);
  TRegularRasterizer r;
  r.Rasterize(&b);  // no sampler
  EXPECT_EQ(b.GetPixel(2, 2), 0x11223344u);
  TCountingSampler s(4, 7);
  r.SetSampler(&s);
  // Reports are exact rows.
  for (Integer n : {0, 3}) {
    std::vector<TRect> reports;
    b.SetOnAreaChanged([&](TObject*, const TRect& a, Cardinal) { reports.push_back(a); });
    r.SetUpdateRowCount(n);
    r.Rasterize(&b);
    if (n == 0) {
      EXPECT_EQ(reports, std::vector<TRect>{TRect(0, 0, 4, 7)});
    } else {
      EXPECT_EQ(reports, (std::vector<TRect>{TRect(0, 0, 4, 3), TRect(0, 3, 4, 6), TRect(0, 6, 4, 7)}));
    }
    b.SetOnAreaChanged(nullptr);
  }
  EXPECT_EQ(s.Prepared, 2);
  EXPECT_EQ(s.Finalized, 2);

  // Transparent draw mode skips the outer colour of the source.
  TBitmap32 src;
  src.SetOuterColor(ColorAt(1, 1));
  src.SetDrawMode(TDrawMode::dmTransparent);
  b.Clear(0);
  r.Rasterize(&b, b.BoundsRect(), &src);
  EXPECT_EQ(b.GetPixel(1, 1), 0u);
  EXPECT_EQ(b.GetPixel(2, 1), ColorAt(2, 1));
  // A custom mode without callback is opaque; blend mixes by master alpha.
  TCombineInfo ci = CombineInfo(&src);
  src.SetDrawMode(TDrawMode::dmCustom);
  EXPECT_EQ(CombineInfo(&src).DrawMode, TDrawMode::dmOpaque);
  ci.DrawMode = TDrawMode::dmCustom;
  ci.CombineCallBack = [](TColor32 F, TColor32& B, TColor32) { B = F ^ 0xFF; };
  r.Rasterize(&b, b.BoundsRect(), ci);
  EXPECT_EQ(b.GetPixel(3, 3), ColorAt(3, 3) ^ 0xFF);
}

namespace {
class TThrowingSampler : public TCustomSampler {
 public:
  TCustomBitmap32* Bitmap = nullptr;
  std::atomic<Integer> Finalized{0};
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override {
    if ((Y >> 16) == 13 && (X >> 16) == 2) throw Exception(u"bad sample");
    return ColorAt(X >> 16, Y >> 16);
  }
  void PrepareSampling() override {
    if (Bitmap) Bitmap->BeginUpdate();
  }
  void FinalizeSampling() override { ++Finalized; }
};
}  // namespace

TEST(Pix32_Rasterizers_qn, MultithreadedEqualsRegularAndRaises) {
  const Integer saved = NumberOfProcessors;
  TCountingSampler s(61, 47);
  TBitmap32 ref, b;
  ref.SetSize(61, 47);
  b.SetSize(61, 47);
  TRegularRasterizer regular;
  regular.SetSampler(&s);
  regular.Rasterize(&ref);
  for (Integer n : {1, 8}) {
    NumberOfProcessors = n;
    b.Clear(0);
    TMultithreadedRegularRasterizer m;
    m.SetSampler(&s);
    m.Rasterize(&b);
    EXPECT_TRUE(b.Equal(&ref)) << n;

    TThrowingSampler t;
    t.Bitmap = &b;
    m.SetSampler(&t);
    const Integer before = b.UpdateCount();
    try {
      m.Rasterize(&b);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"bad sample");
    }
    EXPECT_EQ(b.UpdateCount(), before);
    EXPECT_EQ(t.Finalized.load(), 1);
  }
  NumberOfProcessors = saved;
}

TEST(Pix32_Rasterizers_qn, AssignCopiesSettings) {
  TSwizzlingRasterizer a, b;
  TCountingSampler s(1, 1);
  a.SetBlockSize(5);
  b.Assign(&a);
  EXPECT_EQ(b.BlockSize(), 5);
  EXPECT_EQ(DefaultRasterizerClass, TRegularRasterizer::StaticClass());
  EXPECT_GE(NumberOfProcessors, 1);
}

}  // namespace t_pix32_rasterizers_test
