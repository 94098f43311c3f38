#include <gtest/gtest.h>

#include "tests/platform/gdi/TextTestSupport.h"

namespace t_font_test {

using namespace vcl;
using namespace gditest;

TEST(Platform_Font, FaceTableMapsWindowsNamesToInstalledFamilies) {
  auto family = [](const char16_t* face, BYTE charset = DEFAULT_CHARSET, BYTE pitch = 0) {
    LOGFONTW lf;
    for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    lf.lfCharSet = charset;
    lf.lfPitchAndFamily = pitch;
    return ResolveFontFamily(lf);
  };
  for (auto f : {u"Tahoma", u"MS Sans Serif", u"Microsoft Sans Serif", u"Segoe UI", u"Arial", u"Verdana", u"tahoma"})
    EXPECT_EQ(family(f), u"DejaVu Sans") << ToUtf8(f);
  for (auto f : {u"Courier New", u"Consolas", u"Lucida Console"}) EXPECT_EQ(family(f), u"DejaVu Sans Mono");
  EXPECT_EQ(family(u"Times New Roman"), u"DejaVu Serif");
  for (auto f : {u"SimSun", u"NSimSun", u"Microsoft YaHei", u"\u5B8B\u4F53", u"\u5FAE\u8F6F\u96C5\u9ED1"})
    EXPECT_EQ(family(f), u"WenQuanYi Micro Hei");
  for (BYTE cs : {SHIFTJIS_CHARSET, GB2312_CHARSET, CHINESEBIG5_CHARSET})
    EXPECT_EQ(family(u"Tahoma", cs), u"WenQuanYi Micro Hei");
  // Installed families are taken as they are; unknown ones go by pitch and family.
  EXPECT_EQ(family(u"DejaVu Serif"), u"DejaVu Serif");
  EXPECT_EQ(family(u"No Such Face"), u"DejaVu Sans");
  EXPECT_EQ(family(u"No Such Face", DEFAULT_CHARSET, FIXED_PITCH), u"DejaVu Sans Mono");
  EXPECT_EQ(family(u"", DEFAULT_CHARSET, FF_ROMAN), u"DejaVu Serif");
  EXPECT_EQ(family(u"", DEFAULT_CHARSET, FF_MODERN), u"DejaVu Sans Mono");
}

TEST(Platform_Font, MetricInvariantsAcrossFacesSizesAndStyles) {
  TDib dib(4, 4);
  for (const char16_t* face : {u"Tahoma", u"Courier New", u"Times New Roman", u"SimSun"})
    for (int h : {-8, -11, -13, -16, -24, -40, 12, 20, 0})
      for (int weight : {FW_NORMAL, FW_BOLD}) {
        SCOPED_TRACE(ToUtf8(face) + " " + std::to_string(h) + " " + std::to_string(weight));
        TUseFont use(dib.DC, MakeFont(face, h, weight, weight == FW_BOLD));
        TEXTMETRICW tm;
        ASSERT_TRUE(GetTextMetricsW(dib.DC, &tm));
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        if (h < 0) { EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -h); }
        if (h > 0) { EXPECT_EQ(tm.tmHeight, h); }
        if (h == 0) { EXPECT_EQ(tm.tmHeight, 16); }
        EXPECT_GE(tm.tmInternalLeading, 0);
        EXPECT_GE(tm.tmExternalLeading, 0);
        EXPECT_GT(tm.tmAscent, tm.tmDescent);
        EXPECT_GT(tm.tmAveCharWidth, 0);
        EXPECT_LE(tm.tmAveCharWidth, tm.tmMaxCharWidth);
        EXPECT_EQ(tm.tmWeight, weight);
        EXPECT_EQ(tm.tmItalic != 0, weight == FW_BOLD);
        EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
        // The fixed-pitch bit is set for variable pitch.
        bool mono = std::u16string(face) == u"Courier New";
        EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, mono);
        if (mono) {
          int w[3];
          GetCharWidth32W(dib.DC, 'i', 'k', w);
          EXPECT_EQ(w[0], w[2]);
          EXPECT_EQ(w[0], tm.tmAveCharWidth);
        }
        // Extents agree with the character widths and with the height.
        std::u16string s = u"Quarn gfx 0123";
        SIZE sz = Extent(dib.DC, s);
        int sum = 0;
        for (char16_t c : s) {
          int w = 0;
          GetCharWidth32W(dib.DC, c, c, &w);
          sum += w;
          ABC abc;
          ASSERT_TRUE(GetCharABCWidthsW(dib.DC, c, c, &abc));
          EXPECT_EQ(abc.abcA + int(abc.abcB) + abc.abcC, w);
        }
        EXPECT_EQ(sz.cx, sum);
        EXPECT_EQ(sz.cy, tm.tmHeight);
      }
}

TEST(Platform_Font, FaceNamesStylesAndOutlineMetrics) {
  TDib dib(4, 4);
  {
    TUseFont use(dib.DC, MakeFont(u"Tahoma", -13));
    WCHAR name[64];
    int n = GetTextFaceW(dib.DC, 64, name);
    EXPECT_EQ(std::u16string(name), u"DejaVu Sans");
    EXPECT_EQ(n, 12);
    EXPECT_EQ(GetTextFaceW(dib.DC, 0, nullptr), 12);
    WCHAR small[6];
    EXPECT_EQ(GetTextFaceW(dib.DC, 6, small), 6);
    EXPECT_EQ(std::u16string(small), u"DejaV");

    UINT need = GetOutlineTextMetricsW(dib.DC, 0, nullptr);
    ASSERT_GT(need, sizeof(OUTLINETEXTMETRICW));
    EXPECT_EQ(GetOutlineTextMetricsW(dib.DC, need - 1, reinterpret_cast<OUTLINETEXTMETRICW*>(name)), 0u);
    std::vector<uint64_t> buf((need + 7) / 8);
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buf.data());
    ASSERT_EQ(GetOutlineTextMetricsW(dib.DC, need, otm), need);
    EXPECT_EQ(otm->otmEMSquare, 2048u);
    EXPECT_EQ(std::u16string(OutlineMetricsName(otm, otm->otmpFamilyName)), u"DejaVu Sans");
    TEXTMETRICW tm;
    GetTextMetricsW(dib.DC, &tm);
    EXPECT_EQ(otm->otmTextMetrics.tmHeight, tm.tmHeight);
    EXPECT_GT(otm->otmsUnderscoreSize, 0);
    EXPECT_LT(otm->otmsUnderscorePosition, 0);
    EXPECT_GT(otm->otmsStrikeoutPosition, 0);
  }
  {
    // A face with a bold member uses it; the family name stays.
    TUseFont use(dib.DC, MakeFont(u"Arial", -13, FW_BOLD, true));
    WCHAR name[64];
    GetTextFaceW(dib.DC, 64, name);
    EXPECT_EQ(std::u16string(name), u"DejaVu Sans");
  }
  // The stock fonts realise.
  for (int stock : {SYSTEM_FONT, DEFAULT_GUI_FONT, ANSI_FIXED_FONT}) {
    HGDIOBJ old = SelectObject(dib.DC, GetStockObject(stock));
    TEXTMETRICW tm;
    EXPECT_TRUE(GetTextMetricsW(dib.DC, &tm));
    EXPECT_GT(tm.tmHeight, 8);
    SelectObject(dib.DC, old);
  }
  EXPECT_FALSE(GetTextMetricsW(nullptr, nullptr));
}

TEST(Platform_Font, SynthesisedBoldAndItalicForAFaceWithoutThem) {
  // WenQuanYi Micro Hei has one member: bold and italic are made from it.
  auto draw = [](int weight, bool italic, TRect& box, int& inked) {
    TDib dib(120, 50, 0x00FFFFFF);
    TUseFont use(dib.DC, MakeFont(u"SimSun", -32, weight, italic));
    SetBkMode(dib.DC, TRANSPARENT);
    TextOutW(dib.DC, 10, 5, u"lI\u4E2D", 3);
    box = InkBox(dib, 0x00FFFFFF);
    inked = 0;
    for (int y = 0; y < dib.H; ++y)
      for (int x = 0; x < dib.W; ++x) inked += 255 - int(dib.At(x, y) & 0xFF);
    return 0;
  };
  TRect regular, bold, italic;
  int inkRegular, inkBold, inkItalic;
  draw(FW_NORMAL, false, regular, inkRegular);
  draw(FW_BOLD, false, bold, inkBold);
  draw(FW_NORMAL, true, italic, inkItalic);
  EXPECT_GT(inkBold, inkRegular * 11 / 10);
  EXPECT_GE(bold.Width(), regular.Width());
  // The slant moves the tops right: the ink reaches further right at the same height.
  EXPECT_GT(italic.Right, regular.Right);
  EXPECT_EQ(italic.Top, regular.Top);
}

}  // namespace t_font_test
