// Colours, fonts, pens, brushes and the picture registry.
#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/vcl/VclTestSupport.h"

namespace t_graphics_test {

using namespace vcl;
using namespace vcltest;

TEST(Platform_Graphics, SystemColoursResolveThroughTheCurrentSystemColours) {
  EXPECT_EQ(ColorToRGB(clBtnFace), TColor(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  int index = COLOR_HIGHLIGHT;
  COLORREF value = RGB(1, 2, 3);
  SetSysColors(1, &index, &value);
  EXPECT_EQ(ColorToRGB(clHighlight), TColor(RGB(1, 2, 3)));
  EXPECT_EQ(ColorToColorRef(clHighlight), RGB(1, 2, 3));
  ResetSysColors();
  EXPECT_NE(ColorToRGB(clHighlight), TColor(RGB(1, 2, 3)));
  EXPECT_EQ(clBtnFace, TColor(0x8000000F));
  EXPECT_EQ(clNone, 0x1FFFFFFF);
  EXPECT_EQ(clDefault, 0x20000000);
}

TEST(Platform_Graphics, ColourNamesAndHexRoundTrip) {
  String s;
  ASSERT_TRUE(ColorToIdent(clMoneyGreen, s));
  EXPECT_EQ(s, u"clMoneyGreen");
  EXPECT_FALSE(ColorToIdent(0x123456, s));
  Integer c = 0;
  ASSERT_TRUE(IdentToColor(u"CLBTNFACE", c));
  EXPECT_EQ(c, clBtnFace);
  EXPECT_FALSE(IdentToColor(u"clNoSuchColour", c));

  EXPECT_EQ(ColorToString(0x00123456), u"$00123456");
  EXPECT_EQ(ColorToString(clWindowText), u"clWindowText");
  EXPECT_EQ(ColorToString(clBlack), u"clBlack");
  EXPECT_EQ(StringToColor(u"$00123456"), 0x123456);
  EXPECT_EQ(StringToColor(u"clSkyBlue"), clSkyBlue);
  EXPECT_EQ(StringToColor(u"255"), clRed);
  EXPECT_THROW(StringToColor(u"reddish"), EConvertError);
  // Every colour string reads back as the colour it came from.
  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    TColor v = TColor(rng());
    EXPECT_EQ(StringToColor(ColorToString(v)), v);
  }
}

TEST(Platform_Graphics, ColourValuesComeInThePlatformOrder) {
  std::vector<String> names;
  GetColorValues([&](const String& n) { names.push_back(n); });
  ASSERT_EQ(names.size(), 52u);
  EXPECT_EQ(names[0], u"clBlack");
  EXPECT_EQ(names[15], u"clWhite");
  EXPECT_EQ(names[16], u"clMoneyGreen");
  EXPECT_EQ(names[19], u"clMedGray");
  EXPECT_EQ(names[20], u"clActiveBorder");
  EXPECT_EQ(names.back(), u"clWindowText");
  for (const String& n : names) {
    Integer c;
    ASSERT_TRUE(IdentToColor(n, c));
    String back;
    ASSERT_TRUE(ColorToIdent(c, back));
  }
}

TEST(Platform_Graphics, FontSizeHeightAndHandle) {
  TFont f;
  EXPECT_EQ(f.Name(), u"Tahoma");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(changes, 1);
  f.SetSize(12);
  EXPECT_EQ(changes, 1);
  f.SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
  f.SetName(u"Default");
  f.SetOrientation(900);
  HFONT h = f.Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(f.Handle(), h);  // kept until something changes
  LOGFONTW lf;
  ASSERT_EQ(GetObject(h, sizeof lf, &lf), int(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(String(lf.lfFaceName), u"Tahoma");  // "Default" is the default face
  f.SetColor(clRed);
  EXPECT_TRUE(f.HandleAllocated());  // colour is not part of the handle
  f.SetHeight(-20);
  EXPECT_FALSE(f.HandleAllocated());

  TFont g;
  g.Assign(&f);
  EXPECT_EQ(g.Height(), -20);
  EXPECT_EQ(g.Color(), clRed);
  EXPECT_EQ(g.Style(), f.Style());

  // A handle taken over describes the font.
  LOGFONTW in;
  in.lfHeight = -13;
  in.lfWeight = 700;
  in.lfUnderline = 1;
  std::memcpy(in.lfFaceName, u"Courier New", 12 * sizeof(char16_t));
  TFont t;
  t.SetHandle(CreateFontIndirectW(&in));
  EXPECT_EQ(t.Name(), u"Courier New");
  EXPECT_EQ(t.Height(), -13);
  EXPECT_EQ(t.Style(), TFontStyles({TFontStyle::fsBold, TFontStyle::fsUnderline}));
}

TEST(Platform_Graphics, PensAndBrushesMakeTheirHandlesOnDemand) {
  int before = GdiObjectCount();
  {
    TPen p;
    p.SetColor(clBtnFace);
    p.SetStyle(TPenStyle::psDash);
    LOGPEN lp;
    ASSERT_EQ(GetObject(p.Handle(), sizeof lp, &lp), int(sizeof lp));
    EXPECT_EQ(lp.lopnColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));
    p.SetWidth(3);
    GetObject(p.Handle(), sizeof lp, &lp);
    EXPECT_EQ(lp.lopnWidth.X, 3);
    p.SetMode(TPenMode::pmXor);
    EXPECT_TRUE(p.HandleAllocated());
    EXPECT_EQ(PenModeToRop2(p.Mode()), R2_XORPEN);

    TBrush b;
    b.SetStyle(TBrushStyle::bsClear);
    LOGBRUSH lb;
    ASSERT_NE(GetObject(b.Handle(), sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbStyle, UINT(BS_NULL));
    b.SetColor(clBlue);  // a colour makes a clear brush solid
    EXPECT_EQ(b.Style(), TBrushStyle::bsSolid);
    GetObject(b.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
    EXPECT_EQ(lb.lbColor, RGB(0, 0, 255));
    b.SetStyle(TBrushStyle::bsDiagCross);
    GetObject(b.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, UINT(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_DIAGCROSS));
    TBitmap pattern(8, 8);
    b.SetBitmap(&pattern);
    GetObject(b.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, UINT(BS_PATTERN));
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST(Platform_Graphics, PictureFormatsByExtensionAndSignature) {
  EXPECT_EQ(TPicture::FindGraphicClassForExtension(u"BMP"), TBitmap::StaticClass());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension(u".png"), TPngImage::StaticClass());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension(u"jpeg"), TJPEGImage::StaticClass());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension(u"ico"), TIcon::StaticClass());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension(u"xyz"), nullptr);
  EXPECT_NE(TPicture::GraphicFilter(nullptr).find(u"*.png"), String::npos);

  std::string dir = qntest::MakeTempDir("picture");
  TBitmap b(3, 2);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(TRect(0, 0, 3, 2));
  TPngImage png;
  png.Assign(&b);
  String pngName = FromUtf8(dir + "/a.png");
  png.SaveToFile(pngName);

  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile(pngName);
  ASSERT_NE(dynamic_cast<TPngImage*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Width(), 3);
  EXPECT_GE(changes, 1);
  // A bad file leaves the picture as it was.
  String bad = FromUtf8(dir + "/bad.png");
  {
    TFileStream s(bad, fmCreate);
    s.WriteBuffer("not a png", 9);
  }
  EXPECT_THROW(pic.LoadFromFile(bad), EInvalidGraphic);
  ASSERT_NE(dynamic_cast<TPngImage*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Height(), 2);
  try {
    pic.LoadFromFile(FromUtf8(dir + "/a.xyz"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), u"Unknown picture file extension (.xyz)");
  }
  // By signature from a stream; the bitmap accessor converts nothing but
  // replaces the graphic with a bitmap.
  TBytesStream s(SaveBytes(b));
  pic.LoadFromStream(&s);
  ASSERT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
  TPicture copy;
  copy.Assign(&pic);
  ASSERT_NE(copy.Graphic(), pic.Graphic());
  EXPECT_EQ(copy.Bitmap()->Width(), 3);
  pic.Icon();
  EXPECT_NE(dynamic_cast<TIcon*>(pic.Graphic()), nullptr);
  // The virtual constructor makes graphics by class.
  std::unique_ptr<TGraphic> g(NewGraphic(TJPEGImage::StaticClass()));
  EXPECT_EQ(g->ClassName(), u"TJPEGImage");
}

TEST(Platform_Graphics, MetafileReplaysWhereItIsDrawn) {
  TMetafile m;
  m.SetWidth(10);
  m.SetHeight(10);
  m.Add([](TCanvas* c) {
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(2, 2, 5, 5));
  });
  TBitmap b(30, 30);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(TRect(0, 0, 30, 30));
  b.Canvas()->Draw(10, 10, &m);
  EXPECT_EQ(b.Canvas()->Pixels(12, 12), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(15, 15), clWhite);
  EXPECT_EQ(b.Canvas()->Pixels(2, 2), clWhite);
  // Scaled twice as large: the record lands at (4..10) and the rest shows through.
  b.Canvas()->FillRect(TRect(0, 0, 30, 30));
  b.Canvas()->StretchDraw(TRect(0, 0, 20, 20), &m);
  EXPECT_EQ(b.Canvas()->Pixels(5, 5), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(12, 12), clWhite);
  // The canvas keeps its own brush.
  EXPECT_EQ(b.Canvas()->Brush()->Color(), clWhite);
  EXPECT_THROW(LoadBytes(m, {1, 2, 3}), EInvalidGraphic);
}

}  // namespace t_graphics_test
