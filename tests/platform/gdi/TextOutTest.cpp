#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "tests/platform/gdi/TextTestSupport.h"

namespace t_text_out_test {

using namespace vcl;
using namespace gditest;

namespace {
const uint32_t kWhite = 0x00FFFFFF;
}

TEST(Platform_Text, InkedPixelsLieInsideTheMeasuredCell) {
  const std::u16string strings[] = {u"Hello, World!", u"0123456789", u"AVWaq Ty(){}|", u"\u00C5ngstr\u00F6m \u00E9t\u00E9"};
  for (const char16_t* face : {u"Tahoma", u"Courier New", u"Times New Roman"})
    for (int h : {-9, -13, -17, -28})
      for (int weight : {FW_NORMAL, FW_BOLD})
        for (BYTE q : {NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY})
          for (const auto& s : strings) {
            TDib dib(420, 60, kWhite);
            TUseFont use(dib.DC, MakeFont(face, h, weight, false, q));
            SetBkMode(dib.DC, TRANSPARENT);
            ASSERT_TRUE(TextOutW(dib.DC, 20, 10, s.c_str(), int(s.size())));
            SIZE sz = Extent(dib.DC, s);
            TRect ink = InkBox(dib, kWhite);
            SCOPED_TRACE(ToUtf8(face) + " " + std::to_string(h) + " " + ToUtf8(s));
            ASSERT_FALSE(ink.IsEmpty());
            // Horizontally the cell grows only by the overhangs the ABC widths
            // report (serifs of A and V reach left of their pen position).
            ABC first, last;
            GetCharABCWidthsW(dib.DC, s.front(), s.front(), &first);
            GetCharABCWidthsW(dib.DC, s.back(), s.back(), &last);
            EXPECT_GE(ink.Left, 20 + std::min(0, first.abcA));
            EXPECT_LE(ink.Right, 20 + sz.cx + std::max(0, -last.abcC));
            EXPECT_LE(ink.Bottom, 10 + sz.cy);
            // Accents over capitals may rise above the rounded ascent at
            // small sizes, as the face's own ascent is fractional there.
            bool accented = s.find(u'\u00C5') != std::u16string::npos;
            EXPECT_GE(ink.Top, accented ? 9 : 10);
            if (!accented && std::u16string(face) != u"Times New Roman") {
              EXPECT_GE(ink.Left, 20);
              EXPECT_LE(ink.Right, 20 + sz.cx);
            }
          }
}

TEST(Platform_Text, QualityThreeIsBinaryAndQualityFourHasGreyLevels) {
  const std::u16string s = u"Coverage: sharp or smooth? 0123";
  for (BYTE q : {NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, DEFAULT_QUALITY}) {
    TDib dib(300, 30, 0x00204060);
    TUseFont use(dib.DC, MakeFont(u"Tahoma", -15, FW_NORMAL, false, q));
    SetBkMode(dib.DC, TRANSPARENT);
    SetTextColor(dib.DC, RGB(250, 200, 10));
    TextOutW(dib.DC, 2, 2, s.c_str(), int(s.size()));
    std::set<uint32_t> values;
    for (int y = 0; y < dib.H; ++y)
      for (int x = 0; x < dib.W; ++x)
        if (dib.At(x, y) != 0x00204060) values.insert(dib.At(x, y));
    ASSERT_FALSE(values.empty());
    if (q == NONANTIALIASED_QUALITY) {
      // Every changed pixel is exactly the text colour.
      EXPECT_EQ(values, std::set<uint32_t>{0x00FAC80Au});
    } else {
      EXPECT_GT(values.size(), 10u) << int(q);
    }
  }
}

TEST(Platform_Text, AlphaOfTouchedPixelsIsZeroAndOthersKeepTheirs) {
  for (int mode : {TRANSPARENT, OPAQUE}) {
    TDib dib(200, 40, 0xFF808080);
    TUseFont use(dib.DC, MakeFont(u"Tahoma", -16, FW_NORMAL, false, ANTIALIASED_QUALITY, 0, true));
    SetBkMode(dib.DC, mode);
    SetBkColor(dib.DC, RGB(0x80, 0x80, 0x80));
    TextOutW(dib.DC, 10, 10, u"Alpha rule", 10);
    SIZE sz = Extent(dib.DC, u"Alpha rule");
    int zeroed = 0;
    for (int y = 0; y < dib.H; ++y)
      for (int x = 0; x < dib.W; ++x) {
        uint32_t p = dib.At(x, y);
        bool inCell = x >= 10 && x < 10 + sz.cx && y >= 10 && y < 10 + sz.cy;
        if (!inCell) {
          EXPECT_EQ(p, 0xFF808080u) << x << "," << y;
          continue;
        }
        if ((p & 0x00FFFFFF) != 0x808080) { EXPECT_EQ(p >> 24, 0u) << x << "," << y; }
        if ((p >> 24) == 0) ++zeroed;
        // An opaque background touches the whole cell.
        if (mode == OPAQUE) { EXPECT_EQ(p >> 24, 0u) << x << "," << y; }
      }
    EXPECT_GT(zeroed, 0);
  }
}

TEST(Platform_Text, AlignmentAndTheCurrentPosition) {
  TBoxFonts box;  // em 16: ascent 12, descent 4, advance 8
  TDib dib(200, 80, kWhite);
  TUseFont use(dib.DC, MakeFont(u"Any", -16));
  SetBkMode(dib.DC, TRANSPARENT);
  struct {
    UINT align;
    TRect ink;  // of "ab" at (100, 40)
  } cases[] = {
      {TA_LEFT | TA_TOP, TRect(101, 41, 115, 52)},
      {TA_RIGHT | TA_TOP, TRect(85, 41, 99, 52)},
      {TA_CENTER | TA_TOP, TRect(93, 41, 107, 52)},
      {TA_LEFT | TA_BASELINE, TRect(101, 29, 115, 40)},
      {TA_LEFT | TA_BOTTOM, TRect(101, 25, 115, 36)},
  };
  for (const auto& c : cases) {
    Fill(dib, kWhite);
    SetTextAlign(dib.DC, c.align);
    EXPECT_EQ(GetTextAlign(dib.DC), c.align);
    TextOutW(dib.DC, 100, 40, u"ab", 2);
    EXPECT_EQ(InkBox(dib, kWhite), c.ink) << c.align;
  }
  // TA_UPDATECP draws at the current position and moves it past the text.
  Fill(dib, kWhite);
  SetTextAlign(dib.DC, TA_UPDATECP);
  MoveToEx(dib.DC, 10, 5, nullptr);
  TextOutW(dib.DC, 150, 60, u"abc", 3);
  TextOutW(dib.DC, 150, 60, u"d", 1);
  POINT cp;
  GetCurrentPositionEx(dib.DC, &cp);
  EXPECT_EQ(cp, TPoint(42, 5));
  EXPECT_EQ(InkBox(dib, kWhite), TRect(11, 6, 41, 17));
  SetTextAlign(dib.DC, TA_UPDATECP | TA_RIGHT);
  TextOutW(dib.DC, 0, 0, u"ab", 2);
  GetCurrentPositionEx(dib.DC, &cp);
  EXPECT_EQ(cp, TPoint(26, 5));
  SetTextAlign(dib.DC, 0);
}

TEST(Platform_Text, ExtTextOutClipsOpaquesAndTakesAdvances) {
  TBoxFonts box;
  TDib dib(200, 60, 0xFF000000);
  TUseFont use(dib.DC, MakeFont(u"Any", -16));
  SetBkMode(dib.DC, TRANSPARENT);
  SetBkColor(dib.DC, RGB(0, 0, 255));
  SetTextColor(dib.DC, RGB(255, 0, 0));
  RECT rc{10, 10, 30, 40};
  ASSERT_TRUE(ExtTextOutW(dib.DC, 5, 12, ETO_OPAQUE | ETO_CLIPPED, &rc, u"abcdef", 6, nullptr));
  for (int y = 0; y < dib.H; ++y)
    for (int x = 0; x < dib.W; ++x) {
      uint32_t p = dib.At(x, y);
      bool inRect = x >= 10 && x < 30 && y >= 10 && y < 40;
      if (!inRect) { EXPECT_EQ(p, 0xFF000000u) << x << "," << y; }
      else { EXPECT_TRUE(p == 0x000000FFu || p == 0x00FF0000u) << x << "," << y; }
    }
  // Glyph 'a' at 5 inks 6..11 (clipped to 10..11); the rest is cut at 30.
  EXPECT_EQ(dib.At(10, 20), 0x00FF0000u);
  EXPECT_EQ(dib.At(12, 20), 0x000000FFu);
  EXPECT_EQ(dib.At(27, 20), 0x00FF0000u);
  EXPECT_EQ(dib.At(28, 20), 0x000000FFu);

  // lpDx places each glyph.
  Fill(dib, 0xFF000000);
  const int dx[3] = {20, 30, 8};
  ExtTextOutW(dib.DC, 10, 10, 0, nullptr, u"abc", 3, dx);
  for (int gx : {10, 30, 60}) {
    EXPECT_EQ(dib.At(gx, 15), 0xFF000000u) << gx;
    EXPECT_EQ(dib.At(gx + 1, 15), 0x00FF0000u) << gx;
    EXPECT_EQ(dib.At(gx + 6, 15), 0x00FF0000u) << gx;
    EXPECT_EQ(dib.At(gx + 7, 15), 0xFF000000u) << gx;
  }
  // OPAQUE mode fills the cell, underline and strike-out span the advance.
  {
    TDib d2(100, 40, kWhite);
    TUseFont u2(d2.DC, MakeFont(u"Any", -16, FW_NORMAL, false, 4, 0, true, true));
    SetBkMode(d2.DC, OPAQUE);
    SetBkColor(d2.DC, RGB(0, 255, 0));
    TextOutW(d2.DC, 10, 10, u"a b", 3);
    EXPECT_EQ(InkBox(d2, kWhite), TRect(10, 10, 34, 26));
    for (int x = 10; x < 34; ++x) {
      EXPECT_EQ(d2.At(x, 10 + 12 + 1), 0x00000000u) << "underline " << x;  // baseline 22, offset 1
      EXPECT_EQ(d2.At(x, 10 + 12 - 4), 0x00000000u) << "strike " << x;     // 12 / 3 above
    }
    EXPECT_EQ(d2.At(17, 12), 0x0000FF00u);
  }
}

TEST(Platform_Text, TurnedTextTurnsItsInk) {
  const std::u16string s = u"Turned text";
  auto draw = [&](int esc, UINT align, TRect& ink, SIZE& sz) {
    TDib dib(300, 300, kWhite);
    TUseFont use(dib.DC, MakeFont(u"Tahoma", -20, FW_NORMAL, false, ANTIALIASED_QUALITY, esc));
    SetBkMode(dib.DC, TRANSPARENT);
    SetTextAlign(dib.DC, align);
    TextOutW(dib.DC, 150, 150, s.c_str(), int(s.size()));
    sz = Extent(dib.DC, s);
    ink = InkBox(dib, kWhite);
  };
  TRect i0, i90, i180, i270, i45;
  SIZE sz;
  draw(0, TA_BASELINE, i0, sz);
  draw(900, TA_BASELINE, i90, sz);
  draw(1800, TA_BASELINE, i180, sz);
  draw(2700, TA_BASELINE, i270, sz);
  draw(450, TA_BASELINE, i45, sz);
  // Extents do not turn.
  EXPECT_GT(sz.cx, 100);
  // 90 degrees: up from the reference point, the box transposed.
  EXPECT_NEAR(i90.Width(), i0.Height(), 2);
  EXPECT_NEAR(i90.Height(), i0.Width(), 2);
  EXPECT_LE(i90.Bottom, 151);
  EXPECT_NEAR(i90.Bottom, 150 - (i0.Left - 150), 2);
  EXPECT_LT(i90.Left, 150);  // the ascent lies to the left of an upward baseline
  // 180 degrees: leftwards and upside down, the same size.
  EXPECT_NEAR(i180.Width(), i0.Width(), 2);
  EXPECT_NEAR(i180.Height(), i0.Height(), 2);
  EXPECT_LE(i180.Right, 151);
  EXPECT_GE(i180.Top, 148);
  // 270 degrees: down.
  EXPECT_GE(i270.Top, 149);
  EXPECT_GE(i270.Left, 148);
  // 45 degrees: up and right, about square; the ascent reaches back left.
  EXPECT_GE(i45.Left, 150 - 20);
  EXPECT_LT(i45.Left, 148);
  EXPECT_GT(i45.Right, 150 + sz.cx * 6 / 10);
  EXPECT_LT(i45.Top, 150 - sz.cx * 6 / 10);
  EXPECT_LE(i45.Bottom, 160);
  EXPECT_NEAR(i45.Width(), i45.Height(), 12);
}

TEST(Platform_Text, ChineseDrawsWithTheCJKFaceThroughFallBack) {
  const char32_t missing = CodePointsNoFontCovers();
  ASSERT_NE(missing, 0u) << "the fonts cover the whole private-use area";
  TDib dib(300, 40, kWhite);
  TUseFont use(dib.DC, MakeFont(u"Tahoma", -16));
  auto font = DCFontInstance(dib.DC);
  EXPECT_EQ(font->FamilyFor(U'A'), u"DejaVu Sans");
  EXPECT_EQ(font->FamilyFor(U'\u4E2D'), u"WenQuanYi Micro Hei");
  EXPECT_TRUE(font->HasChar(U'\u6587'));
  // The glyph drawn is the CJK face's.
  HDC dc2 = CreateCompatibleDC(nullptr);
  HFONT cjk = MakeFont(u"Microsoft YaHei", -16);
  HGDIOBJ old = SelectObject(dc2, cjk);
  auto cjkFont = DCFontInstance(dc2);
  EXPECT_EQ(font->Image(U'\u4E2D').Coverage, cjkFont->Image(U'\u4E2D').Coverage);
  EXPECT_EQ(font->Advance(U'\u4E2D'), cjkFont->Advance(U'\u4E2D'));
  SelectObject(dc2, old);
  DeleteObject(cjk);
  DeleteDC(dc2);
  SetBkMode(dib.DC, TRANSPARENT);
  const std::u16string caption = u"\u4E2D\u6587\u6807\u9898";
  TextOutW(dib.DC, 5, 5, caption.c_str(), int(caption.size()));
  TRect ink = InkBox(dib, kWhite);
  EXPECT_GT(ink.Width(), 50);
  EXPECT_LE(ink.Right, 5 + Extent(dib.DC, caption).cx);
  // A character no face has draws the default glyph.
  EXPECT_FALSE(font->HasChar(missing));
  EXPECT_EQ(font->Image(missing).Coverage, font->Image(missing + 1).Coverage);
  EXPECT_FALSE(font->Image(missing).Coverage.empty());
}

TEST(Platform_Text, CharacterExtraAndExtentFits) {
  TBoxFonts box;
  TDib dib(10, 10);
  TUseFont use(dib.DC, MakeFont(u"Any", -16));
  int fit = -1, dx[5];
  SIZE sz;
  ASSERT_TRUE(GetTextExtentExPointW(dib.DC, u"abcde", 5, 20, &fit, dx, &sz));
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(sz, SIZE(40, 16));
  EXPECT_EQ(dx[4], 40);
  EXPECT_EQ(dx[0], 8);
  // A surrogate pair is one character of two units.
  const char16_t pair[] = {u'a', 0xD83D, 0xDE00, u'b'};
  ASSERT_TRUE(GetTextExtentExPointW(dib.DC, pair, 4, 16, &fit, dx, &sz));
  EXPECT_EQ(sz.cx, 24);
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(dx[1], 16);
  EXPECT_EQ(dx[2], 16);
  SetTextCharacterExtra(dib.DC, 3);
  EXPECT_EQ(Extent(dib.DC, u"abc").cx, 33);
  EXPECT_EQ(GetTextCharacterExtra(dib.DC), 3);
  SetTextCharacterExtra(dib.DC, 0);
}

TEST(Platform_Text, HugeGlyphsDrawWithoutBeingKept) {
  TDib dib(300, 300, kWhite);
  TUseFont use(dib.DC, MakeFont(u"Tahoma", -1500));
  SetBkMode(dib.DC, TRANSPARENT);
  TextOutW(dib.DC, -200, -400, u"WM", 2);
  auto font = DCFontInstance(dib.DC);
  const TGlyphImage& w = font->Image(U'W');
  EXPECT_GT(size_t(w.Width) * size_t(w.Height), size_t(1) << 20);
  // The whole small bitmap lies inside the W's black stroke or its gaps:
  // some of it is inked.
  EXPECT_FALSE(InkBox(dib, kWhite).IsEmpty());
  TEXTMETRICW tm;
  GetTextMetricsW(dib.DC, &tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 1500);
}

// Glyph coverage blends each colour channel towards the text colour by
// a / 255, rounded half away from the destination, and leaves alpha 0; no
// coverage leaves the pixel alone. The coverage comes from the same glyphs
// drawn white on black (where the blend gives a itself), then random
// destinations and colours are checked pixel by pixel, clipped by one
// rectangle and by a region of two.
TEST(Platform_Text, CoverageBlendMatchesTheChannelRuleOnEveryPixel) {
  std::mt19937 rng(5);
  const std::u16string chars = u"AaWgQ@%&ym";
  auto channel = [](int d, int t, int a) { return d + ((t - d) * a + (t >= d ? 127 : -127)) / 255; };
  for (int h : {-11, -15, -26})
    for (int clipKind = 0; clipKind < 3; ++clipKind) {
      const int step = -2 * h, w = step * int(chars.size()) + 8, ht = -2 * h + 8;
      auto draw = [&](TDib& d, COLORREF colour) {
        TUseFont use(d.DC, MakeFont(u"Tahoma", h, FW_NORMAL, false, ANTIALIASED_QUALITY));
        SetBkMode(d.DC, TRANSPARENT);
        SetTextColor(d.DC, colour);
        for (size_t i = 0; i < chars.size(); ++i) TextOutW(d.DC, 4 + int(i) * step, 4, &chars[i], 1);
      };
      TDib cover(w, ht, 0xFF000000u);
      draw(cover, RGB(255, 255, 255));
      for (int round = 0; round < 3; ++round) {
        TDib dib(w, ht);
        for (int i = 0; i < w * ht; ++i) dib.Bits[i] = rng();
        std::vector<uint32_t> before(dib.Bits, dib.Bits + w * ht);
        HRGN clip = nullptr;
        // Cuts through glyphs: the first across, all at half height.
        if (clipKind == 1) clip = CreateRectRgn(4 + step / 4, 4 - h / 2, w - step, ht);
        if (clipKind == 2) {
          clip = CreateRectRgn(0, 0, w / 3, ht);
          HRGN second = CreateRectRgn(w / 2, 4 - h / 3, w, ht);
          CombineRgn(clip, clip, second, RGN_OR);
          DeleteObject(second);
        }
        if (clip) SelectClipRgn(dib.DC, clip);
        const uint32_t t = rng() & 0xFFFFFF;
        draw(dib, RGB((t >> 16) & 255, (t >> 8) & 255, t & 255));
        int inked = 0;
        for (int y = 0; y < ht; ++y)
          for (int x = 0; x < w; ++x) {
            const uint32_t c = cover.At(x, y), d = before[size_t(y * w + x)];
            const int a = (c >> 24) == 0 ? int(c & 255) : 0;
            uint32_t want = d;
            if (a && (!clip || PtInRegion(clip, x, y))) {
              want = 0;
              for (int s : {0, 8, 16})
                want |= uint32_t(channel(int((d >> s) & 255), int((t >> s) & 255), a)) << s;
              ++inked;
            }
            ASSERT_EQ(dib.At(x, y), want) << "height " << h << " clip " << clipKind << " at " << x << "," << y;
          }
        EXPECT_GT(inked, 50);
        if (clip) {
          SelectClipRgn(dib.DC, nullptr);
          DeleteObject(clip);
        }
      }
    }
}

}  // namespace t_text_out_test
