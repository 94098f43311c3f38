#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Backends_VCL_qn.h"
#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/gdi/FileMapping.h"
#include "platform/gdi/GdiText.h"
#include "platform/vcl/Graphics.h"

namespace t_pix32_backends_vcltest {

using namespace qn;

namespace {

std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.Width() * b.Height());
}

void Fill(TCustomBitmap32& b, Cardinal seed) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng();
}

// A 32-bit platform bitmap to draw into and read back from.
struct Target {
  TBitmap Bmp;
  Target(Integer W, Integer H, TColor32 Fill = 0xFF000000u) {
    Bmp.SetPixelFormat(TPixelFormat::pf32bit);
    Bmp.SetSize(W, H);
    for (Integer y = 0; y < H; ++y)
      for (Integer x = 0; x < W; ++x) At(x, y) = Fill;
  }
  HDC DC() { return Bmp.Canvas()->Handle(); }
  TColor32& At(Integer X, Integer Y) { return static_cast<TColor32*>(Bmp.ScanLine(Y))[X]; }
};

struct Areas {
  std::vector<TRect> List;
  Integer Changes = 0;
  void On(TObject*, const TRect& R, Cardinal) { List.push_back(R); }
  void OnChange(TObject*) { ++Changes; }
};

}  // namespace

TEST(Pix32_Backends_VCL_qn, EmptyBitmapHasNoDeviceContextAndMeasuresOnTheStockBitmap) {
  TBitmap32 b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.GetHDC(), nullptr);
  EXPECT_EQ(b.Handle(), nullptr);
  Target t(4, 4, 0xFF123456u);
  b.DrawTo(t.DC(), 0, 0);
  b.DrawTo(t.DC(), TRect(0, 0, 4, 4), TRect(0, 0, 4, 4));
  EXPECT_EQ(t.At(0, 0), 0xFF123456u);
  const TSize e = b.TextExtent(u"Quarn");
  EXPECT_GT(e.cx, 10);
  EXPECT_GT(e.cy, 5);
  b.SetSize(40, 20);
  EXPECT_EQ(b.TextExtent(u"Quarn").cx, e.cx);
  EXPECT_NE(b.GetHDC(), nullptr);
}

TEST(Pix32_Backends_VCL_qn, NewSurfacesStartAtZeroUnlikeMemoryOnes) {
  TBitmap32 b;
  b.SetSize(5, 4);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(20, 0));
  TCustomBitmap32 m;
  m.SetSize(5, 4);
  EXPECT_EQ(Pixels(m), std::vector<TColor32>(20, 0xFF000000u));
  const BITMAPINFO info = b.BitmapInfo();
  EXPECT_EQ(info.bmiHeader.biWidth, 5);
  EXPECT_EQ(info.bmiHeader.biHeight, -4);
  EXPECT_EQ(info.bmiHeader.biBitCount, 32);
  EXPECT_EQ(info.bmiHeader.biSizeImage, 80u);
}

TEST(Pix32_Backends_VCL_qn, CopiesToAndFromDeviceContexts) {
  TBitmap32 b;
  b.SetSize(3, 2);
  Fill(b, 1);
  Target t(8, 8);
  b.DrawTo(t.DC(), 2, 3);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 3; ++x) EXPECT_EQ(t.At(2 + x, 3 + y), b.GetPixel(x, y));
  EXPECT_EQ(t.At(1, 3), 0xFF000000u);

  Target u(8, 8);
  b.DrawTo(u.DC(), TRect(0, 0, 6, 4), b.BoundsRect());  // doubled
  EXPECT_EQ(u.At(0, 0), b.GetPixel(0, 0));
  EXPECT_EQ(u.At(5, 3), b.GetPixel(2, 1));
  EXPECT_EQ(u.At(3, 1), b.GetPixel(1, 0));

  TBitmap32 c;
  c.SetSize(6, 4);
  Areas a;
  c.SetOnAreaChanged(MakeEvent(&a, &Areas::On));
  c.Draw(TRect(0, 0, 6, 4), TRect(2, 3, 5, 5), t.DC());
  EXPECT_EQ(c.GetPixel(0, 0), b.GetPixel(0, 0));
  EXPECT_EQ(c.GetPixel(4, 2), b.GetPixel(2, 1));
  ASSERT_EQ(a.List.size(), 1u);
  EXPECT_EQ(a.List[0], TRect(0, 0, 6, 4));
}

TEST(Pix32_Backends_VCL_qn, MemoryBackendFallsBackToASectionWhenTheDeviceRefuses) {
  TBitmap32 b(TGDIMemoryBackend::StaticClass());
  b.SetSize(4, 3);
  Fill(b, 2);
  EXPECT_EQ(b.GetHDC(), nullptr);
  for (bool fail : {false, true}) {
    GdiForceSetDIBitsToDeviceFailure(fail);
    Target t(8, 8);
    b.DrawTo(t.DC(), 1, 2);
    b.DrawTo(t.DC(), TRect(5, 0, 7, 2), TRect(2, 1, 4, 3));
    GdiForceSetDIBitsToDeviceFailure(false);
    for (Integer y = 0; y < 3; ++y)
      for (Integer x = 0; x < 4; ++x) ASSERT_EQ(t.At(1 + x, 2 + y), b.GetPixel(x, y)) << fail;
    EXPECT_EQ(t.At(5, 0), b.GetPixel(2, 1)) << fail;
    EXPECT_EQ(t.At(6, 1), b.GetPixel(3, 2)) << fail;
    EXPECT_EQ(t.At(7, 0), 0xFF000000u) << fail;
  }
  Target src(4, 4);
  EXPECT_THROW(b.Draw(TRect(0, 0, 2, 2), TRect(0, 0, 2, 2), src.DC()), Exception);
}

TEST(Pix32_Backends_VCL_qn, MappedFileBackendKeepsPixelsAndLeavesNoHandles) {
  const Integer before = FileMappingHandleCount();
  {
    TBitmap32 b;
    TCustomBackend::Create<TGDIMMFBackend>(&b, true);
    b.SetSize(16, 8);
    b.Clear(0xFF204060u);
    b.Textout(0, 0, u"x");
    EXPECT_NE(b.GetHDC(), nullptr);
    EXPECT_EQ(b.GetPixel(15, 7), 0xFF204060u);
    b.SetSize(4, 4);
    b.FillRect(0, 0, 4, 4, 0xFF00FF00u);
    Target t(4, 4);
    b.DrawTo(t.DC(), 0, 0);
    EXPECT_EQ(t.At(3, 3), 0xFF00FF00u);
  }
  EXPECT_EQ(FileMappingHandleCount(), before);
}

TEST(Pix32_Backends_VCL_qn, MeasuringTextoutReportsWhatDrawingWould) {
  TBitmap32 b;
  b.SetSize(120, 40);
  b.Clear(0xFF000000u);
  b.Font()->SetColor(clWhite);
  Areas measured, drawn;
  b.BeginMeasuring(MakeEvent(&measured, &Areas::On));
  b.Textout(7, 5, u"Measure me");
  b.EndMeasuring();
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(120 * 40, 0xFF000000u));
  b.SetOnAreaChanged(MakeEvent(&drawn, &Areas::On));
  b.Textout(7, 5, u"Measure me");
  ASSERT_EQ(measured.List.size(), 1u);
  ASSERT_EQ(drawn.List.size(), 1u);
  EXPECT_EQ(measured.List[0], drawn.List[0]);
  const TRect r = drawn.List[0];
  const TSize e = b.TextExtent(u"Measure me");
  EXPECT_EQ(r, TRect(7, 5, 7 + e.cx + 1, 5 + e.cy + 1));
  Integer inked = 0;
  for (Integer y = 0; y < 40; ++y)
    for (Integer x = 0; x < 120; ++x)
      if (b.GetPixel(x, y) != 0xFF000000u) {
        ++inked;
        EXPECT_TRUE(x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) << x << "," << y;
        EXPECT_EQ(b.GetPixel(x, y) >> 24, 0u);  // GDI leaves alpha 0 where it draws
      }
  EXPECT_GT(inked, 20);

  TRect box(0, 20, 120, 40);
  Areas rect;
  b.SetOnAreaChanged(MakeEvent(&rect, &Areas::On));
  b.Textout(box, DT_CENTER, u"centred");
  ASSERT_EQ(rect.List.size(), 1u);
  EXPECT_EQ(rect.List[0], box);
}

TEST(Pix32_Backends_VCL_qn, FontAntialiasingFillsTheLogicalFont) {
  TFont f;
  f.SetName(u"Default");
  f.SetHeight(-17);
  f.SetStyle(TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic});
  f.SetPitch(TFontPitch::fpFixed);
  f.SetOrientation(450);
  SetFontAntialiasing(&f, NONANTIALIASED_QUALITY);
  LOGFONTW lf{};
  ASSERT_EQ(GetObject(f.Handle(), sizeof lf, &lf), Integer(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -17);
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfEscapement, 450);
  EXPECT_EQ(lf.lfOrientation, 450);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_EQ(lf.lfOutPrecision, 7);
  EXPECT_EQ(lf.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_EQ(lf.lfPitchAndFamily, 1);
  EXPECT_EQ(String(lf.lfFaceName), DefFontData().Name);

  TFont g;
  g.SetName(u"DejaVu Sans");
  g.SetPitch(TFontPitch::fpVariable);
  SetFontAntialiasing(&g, ANTIALIASED_QUALITY);
  ASSERT_EQ(GetObject(g.Handle(), sizeof lf, &lf), Integer(sizeof lf));
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfOutPrecision, 0);
  EXPECT_EQ(lf.lfPitchAndFamily, 2);
  EXPECT_EQ(lf.lfQuality, ANTIALIASED_QUALITY);
  EXPECT_EQ(String(lf.lfFaceName), u"DejaVu Sans");
}

TEST(Pix32_Backends_VCL_qn, RenderTextClampsItsLevel) {
  auto render = [](Integer level) {
    TBitmap32 b;
    b.SetSize(90, 30);
    b.Clear(0xFF102030u);
    b.Font()->SetHeight(-14);
    b.RenderText(3, 4, u"Level", level, 0xFFFFE0A0u);
    return Pixels(b);
  };
  EXPECT_EQ(render(9), render(4));
  EXPECT_EQ(render(-7), render(-1));
  EXPECT_NE(render(2), render(0));
  EXPECT_NE(render(2), std::vector<TColor32>(90 * 30, 0xFF102030u));
}

TEST(Pix32_Backends_VCL_qn, SupersampledAlphaIsTheAverageOfTheBlueSamples) {
  const String text = u"Ag";
  // Merged onto a transparent target, the text bitmap arrives unchanged.
  TBitmap32 b;
  b.SetSize(60, 30);
  b.Clear(0);
  b.SetCombineMode(TCombineMode::cmMerge);
  b.Font()->SetHeight(-13);
  b.RenderText(0, 0, text, 2, 0xFF00FF00u);

  // The same text four times as large, without anti-aliasing, in white.
  TBitmap32 big;
  big.Font()->Assign(b.Font());
  SetFontAntialiasing(big.Font(), NONANTIALIASED_QUALITY);
  big.Font()->SetHeight(-13 * 4);
  big.Font()->SetColor(clWhite);
  const TSize e = big.TextExtent(text + u" ");
  big.SetSize(e.cx + 4, e.cy + 4);
  big.Clear(0);
  big.Textout(0, 0, text);
  Integer inked = 0;
  for (Integer y = 0; y < big.Height() / 4 && y < 30; ++y)
    for (Integer x = 0; x < big.Width() / 4 && x < 60; ++x) {
      Cardinal sum = 0;
      for (Integer j = 0; j < 4; ++j)
        for (Integer i = 0; i < 4; ++i) sum += big.GetPixel(4 * x + i, 4 * y + j) & 0xFF;
      const Cardinal want = sum / 16;
      if (want) ++inked;
      const TColor32 got = b.GetPixel(x, y);
      ASSERT_EQ(got >> 24, want) << x << "," << y;
      if (want) {
        ASSERT_EQ(got & 0xFFFFFFu, 0x00FF00u);
      }
    }
  EXPECT_GT(inked, 10);
  EXPECT_EQ(b.Font()->Quality(), TFontQuality::fqDefault);
}

TEST(Pix32_Backends_VCL_qn, RectangleRenderTextRestoresTheFontQuality) {
  TBitmap32 b;
  b.SetSize(80, 24);
  b.Clear(0xFF000000u);
  b.RenderText(TRect(0, 0, 80, 24), DT_CENTER | DT_VCENTER | DT_SINGLELINE, u"Rect", 0xFFFFFFFFu);
  EXPECT_EQ(b.Font()->Quality(), TFontQuality::fqDefault);
  Integer lit = 0;
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) lit += (b.Bits()[i] & 0xFF) > 0x80;
  EXPECT_GT(lit, 10);
  // Text drawn later on the same bitmap is smooth again: grey levels appear.
  TBitmap32 c;
  c.SetSize(80, 24);
  c.Clear(0xFF000000u);
  c.Font()->Assign(b.Font());
  c.Font()->SetColor(clWhite);
  c.Textout(2, 2, u"Smooth");
  bool grey = false;
  for (Integer i = 0; i < c.Width() * c.Height(); ++i) {
    const Cardinal level = c.Bits()[i] & 0xFF;
    grey |= level > 0 && level < 0xFF;
  }
  EXPECT_TRUE(grey);
}

TEST(Pix32_Backends_VCL_qn, CanvasDrawingChangesTheBitmap) {
  TBitmap32 b;
  b.SetSize(10, 10);
  Areas a;
  b.SetOnChange(MakeEvent(&a, &Areas::OnChange));
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(TRect(0, 0, 5, 5));
  EXPECT_GE(a.Changes, 1);
  EXPECT_EQ(b.GetPixel(2, 2) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_TRUE(b.CanvasAllocated());
  b.SetSize(4, 4);  // the canvas goes with the surface
  EXPECT_FALSE(b.CanvasAllocated());
}

TEST(Pix32_Backends_VCL_qn, TilesMeetWithoutSeams) {
  TBitmap32 src;
  src.SetSize(700, 3);
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 700; ++x) src.SetPixel(x, y, Color32(Byte(x), Byte(x >> 8), Byte(y * 90), 255));
  src.SetResamplerClassName(u"TLinearResampler");
  const TRect dst(3, 1, 3 + 1500, 1 + 5);
  Target t(1510, 8);
  src.TileTo(t.DC(), dst, src.BoundsRect());
  // The same stretch in one piece.
  TBitmap32 whole;
  whole.SetSize(1500, 5);
  StretchTransfer(&whole, whole.BoundsRect(), whole.BoundsRect(), &src, src.BoundsRect(), src.Resampler(),
                  src.DrawMode());
  for (Integer y = 0; y < 5; ++y)
    for (Integer x = 0; x < 1500; ++x) ASSERT_EQ(t.At(3 + x, 1 + y), whole.GetPixel(x, y)) << x << "," << y;
  EXPECT_EQ(t.At(2, 1), 0xFF000000u);
}

TEST(Pix32_Backends_VCL_qn, FontTravelsWithPropertiesAndAssign) {
  TBitmap32 a, b;
  a.Font()->SetName(u"DejaVu Serif");
  a.Font()->SetHeight(-20);
  a.SetSize(2, 2);
  b.Assign(&a);
  EXPECT_EQ(b.Font()->Name(), u"DejaVu Serif");
  EXPECT_EQ(b.Font()->Height(), -20);
}

TEST(Pix32_Backends_VCL_qn, PaintingCopiesTheInvalidRectanglesOrEverything) {
  for (bool memory : {false, true})
    for (bool fail : {false, true}) {
      TBitmap32 b(memory ? TGDIMemoryBackend::StaticClass() : TGDIBackend::StaticClass());
      b.SetSize(6, 4);
      Fill(b, 7);
      TIntf<IPaintSupport> paint;
      ASSERT_TRUE(Supports(b.Backend(), paint));
      GdiForceSetDIBitsToDeviceFailure(fail);
      Target all(6, 4);
      paint->DoPaint(&b, nullptr, all.Bmp.Canvas(), nullptr);
      Target some(6, 4);
      TRectList rects;
      rects.Add(TRect(1, 1, 3, 2));
      rects.Add(TRect(4, 2, 6, 4));
      paint->DoPaint(&b, &rects, some.Bmp.Canvas(), nullptr);
      GdiForceSetDIBitsToDeviceFailure(false);
      for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < 6; ++x) {
          ASSERT_EQ(all.At(x, y), b.GetPixel(x, y)) << memory << fail;
          const bool inside = (x >= 1 && x < 3 && y == 1) || (x >= 4 && y >= 2);
          ASSERT_EQ(some.At(x, y), inside ? b.GetPixel(x, y) : 0xFF000000u) << memory << fail << x << "," << y;
        }
    }
}

namespace {
HFONT gHookFont = nullptr;
TFloatRect gHookRect{};
String gHookText;
}  // namespace

TEST(Pix32_Backends_VCL_qn, TextToPathGoesToTheInstalledHooks) {
  TBitmap32 b;
  b.SetSize(10, 10);
  TIntf<ITextToPathSupport> t;
  ASSERT_TRUE(Supports(b.Backend(), t));
  // Without the text-outline unit's hooks nothing is added and nothing
  // measured; the unit's own hooks come back at the end.
  const TTextToPathHook SavedPath = TextToPathHook;
  const TMeasureTextHook SavedMeasure = MeasureTextHook;
  TextToPathHook = nullptr;
  MeasureTextHook = nullptr;
  t->TextToPath(nullptr, 3, 4, u"x");
  const TFloatRect none = t->MeasureText(TFloatRect{1, 2, 30, 40}, u"x", 0);
  EXPECT_EQ(none.Left, 1);
  EXPECT_EQ(none.Right, 1);
  EXPECT_EQ(none.Bottom, 2);

  TextToPathHook = [](HFONT f, TCustomPath*, const TFloatRect& r, const String& s, Cardinal) {
    gHookFont = f;
    gHookRect = r;
    gHookText = s;
  };
  MeasureTextHook = [](HFONT, const TFloatRect& r, const String&, Cardinal) {
    return TFloatRect{r.Left, r.Top, r.Left + 7, r.Top + 9};
  };
  t->TextToPath(nullptr, 3, 4, u"hooked");
  const TFloatRect m = t->MeasureText(TFloatRect{1, 2, 30, 40}, u"x", 0);
  TextToPathHook = SavedPath;
  MeasureTextHook = SavedMeasure;
  EXPECT_EQ(gHookFont, b.Font()->Handle());
  EXPECT_EQ(gHookRect.Left, 3);
  EXPECT_EQ(gHookRect.Right, 3);
  EXPECT_EQ(gHookRect.Bottom, 4);
  EXPECT_EQ(gHookText, u"hooked");
  EXPECT_EQ(m.Right, 8);
}

}  // namespace t_pix32_backends_vcltest
