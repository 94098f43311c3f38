#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/raster/Pix32_Backends_Generic_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace t_pix32_qn_bitmap_test {

using namespace qn;

namespace {

struct TArea {
  TRect Area;
  Cardinal Info;
};

// Counts OnChange and records OnAreaChanged.
struct TWatcher {
  int Changes = 0;
  std::vector<TArea> Areas;
  void Attach(TCustomBitmap32& b) {
    b.SetOnChange([this](TObject*) { ++Changes; });
    b.SetOnAreaChanged([this](TObject*, const TRect& r, Cardinal i) { Areas.push_back({r, i}); });
  }
};

class TOtherBitmap : public TCustomBitmap32 {
  QN_CLASS(TOtherBitmap, TCustomBitmap32)
};

int GTestResamplers = 0;

class TTestResampler : public TCustomResampler {
  QN_CLASS_CREATE(TTestResampler, TCustomResampler, TCustomBitmap32)
 public:
  explicit TTestResampler(TCustomBitmap32* B) : TCustomResampler(B) { ++GTestResamplers; }
  ~TTestResampler() override { --GTestResamplers; }
  TColor32 GetSampleFloat(Single X, Single Y) override {
    LastX = X;
    LastY = Y;
    return 0x12345678u;
  }
  void Resample(TCustomBitmap32*, const TRect&, const TRect&, TCustomBitmap32*, const TRect&, TDrawMode,
                const TPixelCombineEvent&) override {}
  Single LastX = -1, LastY = -1;
};

void Fill(TCustomBitmap32& b, Cardinal seed) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng();
}

}  // namespace

TEST(Pix32_qn, NewBitmapDefaults) {
  TCustomBitmap32 b;
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.ClipRect(), Rect(0, 0, 0, 0));
  EXPECT_FALSE(b.Clipping());
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmOpaque);
  EXPECT_EQ(b.CombineMode(), TCombineMode::cmBlend);
  EXPECT_EQ(b.WrapMode(), TWrapMode::wmClamp);
  EXPECT_EQ(b.MasterAlpha(), 255u);
  EXPECT_EQ(b.OuterColor(), 0u);
  EXPECT_EQ(b.PenColor(), 0xFFFFFFFFu);
  EXPECT_EQ(b.StippleStep(), 1.0f);
  EXPECT_EQ(b.ResamplerClassName(), u"TNearestResampler");
  EXPECT_EQ(b.Resampler()->Bitmap(), &b);
  ASSERT_NE(b.Backend(), nullptr);
  EXPECT_EQ(b.Backend()->ClassName(), u"TMemoryBackend");
  EXPECT_EQ(b.Backend()->RefCount(), 1);
  EXPECT_EQ(b.Bits(), nullptr);
  EXPECT_EQ(GetPropValue(&b, u"MasterAlpha").Ordinal, 255);
}

TEST(Pix32_qn, ClipRectInThreeUnitsAndResetOnResize) {
  TCustomBitmap32 b;
  b.SetSize(10, 10);
  EXPECT_EQ(b.ClipRect(), Rect(0, 0, 10, 10));
  b.SetClipRect(Rect(5, 5, 20, 20));
  EXPECT_EQ(b.ClipRect(), Rect(5, 5, 10, 10));
  EXPECT_TRUE(b.Clipping());
  EXPECT_EQ(b.FixedClipRect().Left, 5 << 16);
  EXPECT_EQ(b.FixedClipRect().Bottom, 10 << 16);
  EXPECT_EQ(b.ClipRect256(), Rect(5 << 8, 5 << 8, 10 << 8, 10 << 8));
  b.SetClipRect(Rect(20, 20, 30, 30));  // disjoint
  EXPECT_EQ(b.ClipRect(), Rect(0, 0, 0, 0));
  b.SetClipRect(Rect(2, 2, 4, 4));
  b.SetSize(6, 7);
  EXPECT_EQ(b.ClipRect(), Rect(0, 0, 6, 7));
  EXPECT_FALSE(b.Clipping());
}

TEST(Pix32_qn, SizeChangesReportAndClearStorage) {
  TCustomBitmap32 b;
  TWatcher w;
  w.Attach(b);
  int resized = 0;
  b.SetOnResize([&](TObject*) { ++resized; });
  EXPECT_TRUE(b.SetSize(3, 2));
  ASSERT_NE(b.Bits(), nullptr);
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(b.Bits()[i], 0xFF000000u);
  EXPECT_EQ(w.Changes, 1);
  ASSERT_EQ(w.Areas.size(), 1u);
  EXPECT_EQ(w.Areas[0].Area, Rect(0, 0, 3, 2));
  EXPECT_EQ(w.Areas[0].Info, AREA_RECT_FLAG);
  EXPECT_EQ(resized, 1);
  // 5 x 0 allocates nothing.
  b.SetSize(5, 0);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.Bits(), nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(Pix32_qn, ClearInsideBracketIsSilent) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  TWatcher w;
  w.Attach(b);
  b.BeginUpdate();
  b.Clear(0xFF102030u);
  b.SetDrawMode(TDrawMode::dmBlend);
  b.EndUpdate();
  EXPECT_EQ(w.Changes, 0);
  EXPECT_TRUE(w.Areas.empty());
  EXPECT_EQ(b.GetPixel(3, 3), 0xFF102030u);
  b.Clear();
  EXPECT_EQ(w.Changes, 1);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF000000u);
  // With clipping only the clip rectangle is filled.
  b.SetClipRect(Rect(1, 1, 3, 3));
  b.Clear(0xFFFFFFFFu);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(b.GetPixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(b.GetPixel(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(b.GetPixel(3, 2), 0xFF000000u);
}

TEST(Pix32_qn, MeasuringReportsAreasWithoutDrawing) {
  TCustomBitmap32 b;
  b.SetSize(6, 6);
  b.Clear(0xFF0000FFu);
  TWatcher w;
  w.Attach(b);
  std::vector<TArea> measured;
  b.BeginMeasuring([&](TObject*, const TRect& r, Cardinal i) { measured.push_back({r, i}); });
  EXPECT_TRUE(b.MeasuringMode());
  b.BeginUpdate();  // measuring reports even inside a bracket
  b.Clear(0xFFFFFFFFu);
  b.Changed(Rect(2, 2, 4, 4));
  b.Changed(Rect(1, 1, 5, 3), AREA_LINE_FLAG + 2);
  b.EndUpdate();
  b.EndMeasuring();
  ASSERT_EQ(measured.size(), 3u);
  EXPECT_EQ(measured[0].Area, Rect(0, 0, 6, 6));
  EXPECT_EQ(measured[1].Area, Rect(2, 2, 4, 4));
  EXPECT_EQ(measured[1].Info, AREA_RECT_FLAG);
  EXPECT_EQ(measured[2].Info, AREA_LINE_FLAG + 2);
  EXPECT_EQ(b.GetPixel(3, 3), 0xFF0000FFu);
  EXPECT_EQ(w.Changes, 0);
  EXPECT_TRUE(w.Areas.empty());
  // The previous handler is back.
  b.Changed(Rect(0, 0, 1, 1));
  ASSERT_EQ(w.Areas.size(), 1u);
  EXPECT_EQ(w.Changes, 1);
}

TEST(Pix32_qn, ModeSettersReportOnlyRealChanges) {
  TCustomBitmap32 b;
  TWatcher w;
  w.Attach(b);
  b.SetCombineMode(TCombineMode::cmBlend);
  b.SetDrawMode(TDrawMode::dmOpaque);
  b.SetMasterAlpha(255);
  b.SetWrapMode(TWrapMode::wmClamp);
  EXPECT_EQ(w.Changes, 0);
  EXPECT_EQ(b.BlendProc, BlendMem);
  b.SetCombineMode(TCombineMode::cmMerge);
  EXPECT_EQ(b.BlendProc, MergeMem);
  b.SetMasterAlpha(10);
  b.SetWrapMode(TWrapMode::wmRepeat);
  EXPECT_EQ(w.Changes, 3);
}

TEST(Pix32_qn, SetBackendKeepsPixelsAndReleasesTheOldOne) {
  TCustomBitmap32 b;
  b.SetSize(7, 5);
  Fill(b, 3);
  std::vector<TColor32> before(b.Bits(), b.Bits() + 35);
  TWatcher w;
  w.Attach(b);
  auto* mmf = TCustomBackend::Create<TMMFBackend>(&b, false, String());  // the paging file
  EXPECT_EQ(b.Backend(), mmf);
  EXPECT_EQ(b.Width(), 7);
  EXPECT_EQ(b.Height(), 5);
  EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 35), before);
  EXPECT_EQ(b.ClipRect(), Rect(0, 0, 7, 5));
  EXPECT_EQ(w.Changes, 1);
  b.SetBackend(mmf);  // the current one: nothing
  b.SetBackend(nullptr);
  EXPECT_EQ(w.Changes, 1);
  // And back through the class reference.
  TMemoryBackend::StaticClass()->Create(&b);
  EXPECT_EQ(b.Backend()->ClassName(), u"TMemoryBackend");
  EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 35), before);
}

TEST(Pix32_qn, EqualComparesClassOnlyForNonEmptyBitmaps) {
  TCustomBitmap32 a;
  TOtherBitmap o;
  EXPECT_TRUE(a.Equal(&o));
  EXPECT_FALSE(a.Equal(nullptr));
  a.SetSize(3, 3);
  EXPECT_FALSE(a.Equal(&o));
  o.SetSize(3, 3);
  EXPECT_FALSE(a.Equal(&o));  // different classes
  TCustomBitmap32 c;
  c.SetSize(3, 3);
  EXPECT_TRUE(a.Equal(&c));
  c.SetPixel(1, 1, 0x01020304u);
  EXPECT_FALSE(a.Equal(&c));
  c.SetSize(9, 1);
  EXPECT_FALSE(a.Equal(&c));
}

TEST(Pix32_qn, ResamplerOwnershipAndClassNames) {
  GTestResamplers = 0;
  {
    TCustomBitmap32 b;
    TWatcher w;
    w.Attach(b);
    auto* r = new TTestResampler(&b);
    EXPECT_EQ(b.Resampler(), r);
    EXPECT_EQ(b.ResamplerClassName(), u"TTestResampler");
    EXPECT_EQ(w.Changes, 1);
    b.SetResamplerClassName(u"TNoSuchResampler");
    b.SetResamplerClassName(u"");
    EXPECT_EQ(b.Resampler(), r);
    b.SetResamplerClassName(u"TNearestResampler");
    EXPECT_EQ(b.ResamplerClassName(), u"TNearestResampler");
    EXPECT_EQ(GTestResamplers, 0);  // freed when replaced
    new TTestResampler(&b);
    EXPECT_EQ(GTestResamplers, 1);
  }
  EXPECT_EQ(GTestResamplers, 0);  // freed with its bitmap
}

TEST(Pix32_qn, CopyAndAssignCarryPixelsAndProperties) {
  TCustomBitmap32 a, b;
  a.SetSize(4, 3);
  Fill(a, 9);
  a.SetDrawMode(TDrawMode::dmBlend);
  a.SetCombineMode(TCombineMode::cmMerge);
  a.SetMasterAlpha(77);
  a.SetOuterColor(0x11223344u);
  a.Resampler()->SetPixelAccessMode(TPixelAccessMode::pamWrap);
  TWatcher w;
  w.Attach(b);
  b.Assign(&a);
  EXPECT_EQ(w.Changes, 1);  // once, after the bracket
  EXPECT_TRUE(a.Equal(&b));
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmBlend);
  EXPECT_EQ(b.CombineMode(), TCombineMode::cmMerge);
  EXPECT_EQ(b.MasterAlpha(), 77u);
  EXPECT_EQ(b.OuterColor(), 0x11223344u);
  EXPECT_EQ(b.Resampler()->PixelAccessMode(), TPixelAccessMode::pamWrap);
  TCustomBitmap32 c;
  a.CopyMapTo(&c);
  EXPECT_TRUE(a.Equal(&c));
  EXPECT_EQ(c.DrawMode(), TDrawMode::dmOpaque);
}

TEST(Pix32_qn, BitmapInterfaceQueriesReachTheBackend) {
  TCustomBitmap32 b;
  void* p = nullptr;
  EXPECT_EQ(b.QueryInterface(IInterface::IID, &p), S_OK);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(b.Backend()->RefCount(), 2);  // the backend answered
  static_cast<IInterface*>(p)->_Release();
  EXPECT_EQ(b.Backend()->RefCount(), 1);
}

TEST(Pix32_qn, ReleaseBackendKeepsItAliveAfterASwitch) {
  TCustomBitmap32 b;
  b.SetSize(2, 2);
  b.SetPixel(1, 1, 0xFFABCDEFu);
  TCustomBackend* old = b.ReleaseBackend();
  TMemoryBackend::StaticClass()->Create(&b);
  ASSERT_NE(b.Backend(), old);
  EXPECT_EQ(old->RefCount(), 1);
  EXPECT_EQ(old->Owner(), nullptr);
  EXPECT_EQ(b.GetPixel(1, 1), 0xFFABCDEFu);
  old->_Release();
}

// ---------------------------------------------------------------------------
// Samplers

namespace {
class TFloatOnly : public TCustomSampler {
  QN_CLASS(TFloatOnly, TCustomSampler)
 public:
  TColor32 GetSampleFloat(Single X, Single Y) override {
    X_ = X;
    Y_ = Y;
    return 7;
  }
  Single X_ = 0, Y_ = 0;
};
}  // namespace

TEST(Pix32_qn, SamplerDefaultsConvertCoordinates) {
  TFloatOnly s;
  EXPECT_EQ(s.GetSampleInt(2, 3), 7u);
  EXPECT_EQ(s.X_, 2.0f);
  EXPECT_EQ(s.Y_, 3.0f);
  s.GetSampleFixed(0x18000, -0x8000);
  EXPECT_EQ(s.X_, 1.5f);
  EXPECT_EQ(s.Y_, -0.5f);
  EXPECT_FALSE(s.HasBounds());
  EXPECT_TRUE(std::isinf(s.GetSampleBounds().Left));
  EXPECT_LT(s.GetSampleBounds().Left, 0);
}

TEST(Pix32_qn, ResamplerBoundsAndNotification) {
  TNearestResampler loose;  // no bitmap: installs nowhere, Changed does nothing
  loose.SetPixelAccessMode(TPixelAccessMode::pamWrap);
  EXPECT_EQ(loose.Bitmap(), nullptr);

  TCustomBitmap32 b;
  b.SetSize(10, 5);
  TCustomResampler* r = b.Resampler();
  TFloatRect bounds = r->GetSampleBounds();
  EXPECT_EQ(bounds.Left, 0);
  EXPECT_EQ(bounds.Right, 10);
  EXPECT_EQ(bounds.Bottom, 5);
  TWatcher w;
  w.Attach(b);
  r->SetPixelAccessMode(TPixelAccessMode::pamTransparentEdge);
  r->SetPixelAccessMode(TPixelAccessMode::pamTransparentEdge);
  EXPECT_EQ(w.Changes, 1);  // a resampler change is a change of its bitmap
  bounds = r->GetSampleBounds();
  EXPECT_EQ(bounds.Left, -1);
  EXPECT_EQ(bounds.Top, -1);
  EXPECT_EQ(bounds.Right, 11);
  EXPECT_EQ(bounds.Bottom, 6);
  EXPECT_TRUE(r->HasBounds());
  r->SetPixelAccessMode(TPixelAccessMode::pamWrap);
  EXPECT_FALSE(r->HasBounds());
}

TEST(Pix32_qn, NearestResamplerAccessModes) {
  TCustomBitmap32 b;
  b.SetSize(4, 3);
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 4; ++x) b.SetPixel(x, y, 0xFF000000u | static_cast<Cardinal>(y * 16 + x));
  b.SetOuterColor(0x00ABCDEFu);
  TCustomResampler* r = b.Resampler();
  r->PrepareSampling();
  EXPECT_EQ(r->GetSampleInt(-1, 0), 0x00ABCDEFu);
  EXPECT_EQ(r->GetSampleInt(3, 2), 0xFF000023u);
  EXPECT_EQ(r->GetSampleFixed(0x28001, 0x17FFF), 0xFF000013u);
  EXPECT_EQ(r->GetSampleFixed(0x28000, 0x10000), 0xFF000012u);  // FixedRound takes half down
  EXPECT_EQ(r->GetSampleFloat(2.5f, 0.5f), 0xFF000002u);        // ties to even
  EXPECT_EQ(b.GetPixelXR(0x10000, 0x10000), 0xFF000011u);
  EXPECT_EQ(b.GetPixelFR(3.4f, 1.6f), 0xFF000023u);
  r->SetPixelAccessMode(TPixelAccessMode::pamTransparentEdge);
  r->PrepareSampling();
  EXPECT_EQ(r->GetSampleInt(5, 1), 0x00000013u);  // clamped and made transparent
  EXPECT_EQ(r->GetSampleInt(1, 1), 0xFF000011u);
  r->SetPixelAccessMode(TPixelAccessMode::pamWrap);
  b.SetWrapMode(TWrapMode::wmRepeat);
  r->PrepareSampling();
  EXPECT_EQ(r->GetSampleInt(5, -1), 0xFF000021u);
  r->FinalizeSampling();
}

TEST(Pix32_qn, NearestStretchMapsColumnsAndRows) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 2);
  for (Integer x = 0; x < 4; ++x) {
    src.SetPixel(x, 0, 0xFF000000u | static_cast<Cardinal>(x));
    src.SetPixel(x, 1, 0xFF000010u | static_cast<Cardinal>(x));
  }
  dst.SetSize(8, 4);
  dst.Clear(0);
  src.Resampler()->Resample(&dst, Rect(0, 0, 8, 4), Rect(0, 0, 8, 4), &src, Rect(0, 0, 4, 2),
                            TDrawMode::dmOpaque, nullptr);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 8; ++x)
      ASSERT_EQ(dst.GetPixel(x, y), 0xFF000000u | static_cast<Cardinal>((y / 2) * 16 + x / 2)) << x << "," << y;
  // A one-pixel-wide target takes the middle source column.
  dst.Clear(0);
  NearestStretch(&dst, Rect(0, 0, 1, 2), Rect(0, 0, 8, 4), &src, Rect(0, 0, 4, 2), TDrawMode::dmOpaque, nullptr);
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF000001u);
  EXPECT_EQ(dst.GetPixel(0, 1), 0xFF000011u);
  EXPECT_EQ(dst.GetPixel(1, 0), 0u);
  // The clip rectangle limits what is written.
  dst.Clear(0);
  NearestStretch(&dst, Rect(0, 0, 8, 4), Rect(6, 3, 20, 20), &src, Rect(0, 0, 4, 2), TDrawMode::dmOpaque, nullptr);
  EXPECT_EQ(dst.GetPixel(5, 3), 0u);
  EXPECT_EQ(dst.GetPixel(7, 3), 0xFF000013u);
  EXPECT_THROW(NearestStretch(&dst, Rect(0, 0, 8, 4), Rect(0, 0, 8, 4), &src, Rect(-1, 0, 4, 2),
                              TDrawMode::dmOpaque, nullptr),
               Exception);
  // Transparent mode keeps destination pixels where the source is the outer colour.
  src.SetOuterColor(0xFF000000u);
  dst.Clear(0x00000077u);
  NearestStretch(&dst, Rect(0, 0, 8, 4), Rect(0, 0, 8, 4), &src, Rect(0, 0, 4, 2), TDrawMode::dmTransparent,
                 nullptr);
  EXPECT_EQ(dst.GetPixel(0, 0), 0x00000077u);
  EXPECT_EQ(dst.GetPixel(2, 0), 0xFF000001u);
}

TEST(Pix32_qn, NearestStretchCombineModes) {
  TCustomBitmap32 src, dst;
  src.SetSize(2, 2);
  src.Clear(0x80FFFFFFu);
  dst.SetSize(4, 4);
  dst.Clear(0xFF000000u);
  NearestStretch(&dst, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), TDrawMode::dmBlend, nullptr);
  const TColor32 f = 0x80FFFFFFu;
  TColor32 e = 0xFF000000u;
  BlendLine(&f, &e, 1);  // rows blend through the line routine
  EXPECT_EQ(dst.GetPixel(3, 3), e);
  // Master alpha below 255 scales the blend.
  src.SetMasterAlpha(0x40);
  dst.Clear(0xFF000000u);
  NearestStretch(&dst, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), TDrawMode::dmBlend, nullptr);
  e = 0xFF000000u;
  BlendLineEx(&f, &e, 1, 0x40);
  EXPECT_EQ(dst.GetPixel(0, 0), e);
  // A custom combine sees every pixel with the master alpha; without a
  // callback it copies.
  int calls = 0;
  TPixelCombineEvent cb = [&](TColor32 F, TColor32& B, TColor32 M) {
    ++calls;
    B = F ^ M;
  };
  NearestStretch(&dst, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), TDrawMode::dmCustom, cb);
  EXPECT_EQ(calls, 16);
  EXPECT_EQ(dst.GetPixel(1, 2), 0x80FFFFFFu ^ 0x40u);
  NearestStretch(&dst, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), TDrawMode::dmCustom, nullptr);
  EXPECT_EQ(dst.GetPixel(1, 2), 0x80FFFFFFu);
  // Equal sizes go through the block copy, offset by the clip.
  src.SetPixel(1, 1, 0x01020304u);
  dst.Clear(0);
  NearestStretch(&dst, Rect(1, 1, 3, 3), Rect(2, 2, 4, 4), &src, Rect(0, 0, 2, 2), TDrawMode::dmOpaque, nullptr);
  EXPECT_EQ(dst.GetPixel(2, 2), 0x01020304u);
  EXPECT_EQ(dst.GetPixel(1, 1), 0u);
}

}  // namespace t_pix32_qn_bitmap_test
