#include <gtest/gtest.h>

#include <random>

#include "tests/platform/gdi/TextTestSupport.h"

namespace t_draw_text_test {

using namespace vcl;
using namespace gditest;

namespace {

const uint32_t kWhite = 0x00FFFFFF;

// With the box provider (em 16): advance 8, line height 16, ascent 12.
struct TBoxDC {
  TBoxFonts Box;
  TDib Dib{400, 200, kWhite};
  TUseFont Use{Dib.DC, MakeFont(u"Any", -16)};
  TBoxDC() { SetBkMode(Dib.DC, TRANSPARENT); }

  // The lines DrawText lays out, read back from the ink: per line of 16
  // rows, the inked glyph cells as characters 'x' (blank cells as ' ').
  std::vector<std::string> Lines(int left, int top, int lines, int cells) {
    std::vector<std::string> out;
    for (int l = 0; l < lines; ++l) {
      std::string s;
      for (int c = 0; c < cells; ++c) s += Dib.At(left + c * 8 + 3, top + l * 16 + 6) != kWhite ? 'x' : ' ';
      while (!s.empty() && s.back() == ' ') s.pop_back();
      out.push_back(s);
    }
    return out;
  }
  int Draw(const std::u16string& s, RECT r, UINT format) {
    Fill(Dib, kWhite);
    return DrawTextW(Dib.DC, s.c_str(), int(s.size()), &r, format);
  }
  RECT Calc(const std::u16string& s, RECT r, UINT format) {
    DrawTextW(Dib.DC, s.c_str(), int(s.size()), &r, format | DT_CALCRECT);
    return r;
  }
};

using TLines = std::vector<std::string>;

}  // namespace

TEST(Platform_DrawText, WordWrapBreaksAtBlanksAndLineBreaks) {
  TBoxDC t;
  // 60 pixels hold 7 cells.
  EXPECT_EQ(t.Draw(u"aaa bbb ccc", {0, 0, 60, 100}, DT_WORDBREAK), 32);
  EXPECT_EQ(t.Lines(0, 0, 3, 10), (TLines{"xxx xxx", "xxx", ""}));
  EXPECT_EQ(t.Calc(u"aaa bbb ccc", {0, 0, 60, 0}, DT_WORDBREAK), TRect(0, 0, 56, 32));
  // Blanks at a break are dropped, even several.
  t.Draw(u"aaa    bbbbb", {0, 0, 60, 100}, DT_WORDBREAK);
  EXPECT_EQ(t.Lines(0, 0, 2, 10), (TLines{"xxx", "xxxxx"}));
  // CR, LF and CR LF each end a line; a break at the end adds none.
  EXPECT_EQ(t.Draw(u"a\r\nbb\ncc c\rd\r\n", {0, 0, 300, 100}, 0), 64);
  EXPECT_EQ(t.Lines(0, 0, 5, 10), (TLines{"x", "xx", "xx x", "x", ""}));
  // A single line keeps everything on one line and drops the breaks.
  EXPECT_EQ(t.Draw(u"a\r\nb", {0, 0, 300, 100}, DT_SINGLELINE | DT_WORDBREAK), 16);
  EXPECT_EQ(t.Lines(0, 0, 2, 10), (TLines{"xx", ""}));
  // Wrapping inside paragraphs.
  t.Draw(u"aa bb cc\ndd", {0, 0, 44, 100}, DT_WORDBREAK);
  EXPECT_EQ(t.Lines(0, 0, 4, 10), (TLines{"xx xx", "xx", "xx", ""}));
}

TEST(Platform_DrawText, OverlongWordsOverflowUnlessEditControl) {
  TBoxDC t;
  const std::u16string s = u"abcdefghij kl";
  t.Draw(s, {0, 0, 40, 100}, DT_WORDBREAK | DT_NOCLIP);
  EXPECT_EQ(t.Lines(0, 0, 3, 12), (TLines{"xxxxxxxxxx", "xx", ""}));
  EXPECT_EQ(t.Calc(s, {0, 0, 40, 0}, DT_WORDBREAK), TRect(0, 0, 80, 32));
  t.Draw(s, {0, 0, 40, 100}, DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP);
  EXPECT_EQ(t.Lines(0, 0, 4, 12), (TLines{"xxxxx", "xxxxx", "xx", ""}));
  EXPECT_EQ(t.Calc(s, {0, 0, 40, 0}, DT_WORDBREAK | DT_EDITCONTROL), TRect(0, 0, 40, 48));
  // Even a rectangle narrower than one character shows a character per line.
  EXPECT_EQ(t.Calc(u"abc", {0, 0, 1, 0}, DT_WORDBREAK | DT_EDITCONTROL), TRect(0, 0, 8, 48));
}

TEST(Platform_DrawText, CalcRectMeasuresWithoutDrawing) {
  TBoxDC t;
  Fill(t.Dib, kWhite);
  RECT r{10, 20, 30, 25};
  // A single line extends the rectangle to the text.
  EXPECT_EQ(DrawTextW(t.Dib.DC, u"abcdefghij", -1, &r, DT_SINGLELINE | DT_CALCRECT), 16);
  EXPECT_EQ(r, TRect(10, 20, 90, 36));
  EXPECT_TRUE(InkBox(t.Dib, kWhite).IsEmpty());
  // Several lines: as wide as the widest line, as high as all.
  EXPECT_EQ(t.Calc(u"ab\nabcd\na", {5, 5, 500, 5}, 0), TRect(5, 5, 37, 53));
  // The platform's one-pixel start grows to the text (each word on a line).
  EXPECT_EQ(t.Calc(u"aa bbbb c", {0, 0, 1, 1}, DT_WORDBREAK), TRect(0, 0, 32, 48));
  // Empty text.
  EXPECT_EQ(t.Calc(u"", {3, 4, 50, 60}, 0), TRect(3, 4, 3, 4));
  EXPECT_EQ(t.Calc(u"", {3, 4, 50, 60}, DT_SINGLELINE), TRect(3, 4, 3, 20));
  // Tabs expand to stops of eight average widths, or the DT_TABSTOP count.
  EXPECT_EQ(t.Calc(u"a\tb", {0, 0, 500, 0}, DT_EXPANDTABS), TRect(0, 0, 72, 16));
  // DT_TABSTOP's count shares its byte with DT_CALCRECT, so it is drawn.
  t.Draw(u"a\tb", {0, 0, 500, 50}, DT_EXPANDTABS | DT_TABSTOP | (2 << 8));
  EXPECT_EQ(t.Lines(0, 0, 1, 5), (TLines{"x x"}));
  DRAWTEXTPARAMS p;
  p.iTabLength = 3;
  p.iLeftMargin = 4;
  p.iRightMargin = 6;
  RECT pr{0, 0, 500, 0};
  std::u16string s = u"a\tb";
  DrawTextExW(t.Dib.DC, s.data(), -1, &pr, DT_EXPANDTABS | DT_CALCRECT, &p);
  EXPECT_EQ(pr, TRect(0, 0, 4 + 32 + 6, 16));
  EXPECT_EQ(p.uiLengthDrawn, 3u);
}

TEST(Platform_DrawText, AlignmentAndReturnValues) {
  TBoxDC t;
  // 3 cells (24 px) in 100 px.
  t.Draw(u"abc", {10, 10, 110, 60}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EXPECT_EQ(InkBox(t.Dib, kWhite), TRect(10 + 38 + 1, 10 + 17 + 1, 10 + 38 + 23, 10 + 17 + 12));
  EXPECT_EQ(t.Draw(u"abc", {10, 10, 110, 60}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM), 50);
  EXPECT_EQ(InkBox(t.Dib, kWhite), TRect(87, 45, 109, 56));
  EXPECT_EQ(t.Draw(u"abc", {10, 10, 110, 60}, DT_SINGLELINE | DT_VCENTER), 17 + 16);
  // Right-to-left reading aligns to the right.
  t.Draw(u"abc", {10, 10, 110, 60}, DT_RTLREADING);
  EXPECT_EQ(InkBox(t.Dib, kWhite).Right, 109);
  // Vertical alignment needs DT_SINGLELINE.
  EXPECT_EQ(t.Draw(u"abc", {10, 10, 110, 60}, DT_VCENTER), 16);
  EXPECT_EQ(InkBox(t.Dib, kWhite).Top, 11);
  // Clipped to the rectangle unless DT_NOCLIP.
  t.Draw(u"abcdefgh", {10, 10, 30, 60}, 0);
  EXPECT_EQ(InkBox(t.Dib, kWhite).Right, 30);
  t.Draw(u"abcdefgh", {10, 10, 30, 60}, DT_NOCLIP);
  EXPECT_EQ(InkBox(t.Dib, kWhite).Right, 10 + 63);
  // An edit control leaves out a partly visible last line.
  t.Draw(u"aa bb cc dd", {0, 0, 20, 40}, DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_EQ(t.Lines(0, 0, 4, 4), (TLines{"xx", "xx", "", ""}));
  t.Draw(u"aa bb cc dd", {0, 0, 20, 40}, DT_WORDBREAK);
  EXPECT_EQ(t.Lines(0, 0, 3, 4), (TLines{"xx", "xx", "xx"}));
}

TEST(Platform_DrawText, PrefixesUnderlineAndHide) {
  TBoxDC t;
  // "A&B" draws "AB" with B underlined (the row below the baseline).
  t.Draw(u"A&B", {0, 0, 200, 50}, DT_SINGLELINE);
  EXPECT_EQ(t.Lines(0, 0, 1, 5), (TLines{"xx"}));
  for (int x = 0; x < 24; ++x) EXPECT_EQ(t.Dib.At(x, 13) != kWhite, x >= 8 && x < 16) << x;
  // "A&&B" draws "A&B" and nothing underlined.
  t.Draw(u"A&&B", {0, 0, 200, 50}, DT_SINGLELINE);
  EXPECT_EQ(t.Lines(0, 0, 1, 5), (TLines{"xxx"}));
  for (int x = 0; x < 40; ++x) EXPECT_EQ(t.Dib.At(x, 13), kWhite) << x;
  // Without prefix processing the & is a character.
  t.Draw(u"A&B", {0, 0, 200, 50}, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(t.Lines(0, 0, 1, 5), (TLines{"xxx"}));
  // Hidden prefix: no underline; prefix only: the underline alone.
  t.Draw(u"A&B", {0, 0, 200, 50}, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(InkBox(t.Dib, kWhite), TRect(1, 1, 15, 12));
  t.Draw(u"A&B", {0, 0, 200, 50}, DT_SINGLELINE | DT_PREFIXONLY);
  EXPECT_EQ(InkBox(t.Dib, kWhite), TRect(8, 13, 16, 14));
}

TEST(Platform_DrawText, RealFontPrefixDiffersOnlyByTheUnderline) {
  TDib a(120, 30, kWhite), b(120, 30, kWhite);
  TUseFont ua(a.DC, MakeFont(u"Tahoma", -16)), ub(b.DC, MakeFont(u"Tahoma", -16));
  SetBkMode(a.DC, TRANSPARENT);
  SetBkMode(b.DC, TRANSPARENT);
  RECT r{2, 2, 118, 28};
  DrawTextW(a.DC, u"A&B", -1, &r, DT_SINGLELINE);
  DrawTextW(b.DC, u"AB", -1, &r, DT_SINGLELINE);
  int wA = Extent(b.DC, u"A").cx, wAB = Extent(b.DC, u"AB").cx;
  TEXTMETRICW tm;
  GetTextMetricsW(b.DC, &tm);
  int changed = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x)
      if (a.At(x, y) != b.At(x, y)) {
        ++changed;
        EXPECT_GE(x, 2 + wA);
        EXPECT_LT(x, 2 + wAB);
        EXPECT_GT(y, 2 + tm.tmAscent - 1);
        EXPECT_LT(y, 2 + tm.tmHeight);
      }
  EXPECT_GE(changed, wAB - wA - 2);
}

TEST(Platform_DrawText, EllipsesNeverExceedTheRectangle) {
  TDib dib(600, 40, kWhite);
  TUseFont use(dib.DC, MakeFont(u"Tahoma", -13));
  SetBkMode(dib.DC, TRANSPARENT);
  std::mt19937 rng(1234);
  const char16_t alphabet[] = u"abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLM\\\\   .WWW";
  for (UINT kind : {DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_WORD_ELLIPSIS})
    for (int i = 0; i < 150; ++i) {
      std::u16string s;
      int n = 1 + int(rng() % 40);
      for (int k = 0; k < n; ++k) s += alphabet[rng() % (sizeof(alphabet) / 2 - 1)];
      int w = int(rng() % 200);
      std::u16string buf = s + std::u16string(5, u'#');
      RECT r{10, 5, 10 + w, 35};
      Fill(dib, kWhite);
      DrawTextW(dib.DC, buf.data(), int(s.size()), &r, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | kind | DT_MODIFYSTRING);
      std::u16string shown(buf.c_str());
      SIZE full = Extent(dib.DC, s);
      SCOPED_TRACE(ToUtf8(s) + " in " + std::to_string(w) + " -> " + ToUtf8(shown));
      TRect ink = InkBox(dib, kWhite);
      if (full.cx <= w) {
        EXPECT_EQ(shown, s + u"#####");  // unchanged, not even terminated
        continue;
      }
      EXPECT_LE(Extent(dib.DC, shown).cx, w);
      if (!ink.IsEmpty()) { EXPECT_LE(ink.Right, 10 + w + 1); }
      if (w >= Extent(dib.DC, u"...").cx) { EXPECT_NE(shown.find(u"..."), std::u16string::npos); }
      if (kind == DT_END_ELLIPSIS && shown.size() >= 3) {
        EXPECT_EQ(shown.substr(0, shown.size() - 3), s.substr(0, shown.size() - 3));
      }
      if (kind == DT_PATH_ELLIPSIS) {
        size_t slash = s.rfind(u'\\');
        std::u16string tail = slash == std::u16string::npos ? u"" : s.substr(slash);
        if (!tail.empty() && Extent(dib.DC, u"..." + tail).cx <= w) {
          EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
        }
      }
    }
  // Word ellipsis cuts at a blank.
  std::u16string s = u"alpha beta gamma delta";
  std::u16string buf = s + u"####";
  int w = Extent(dib.DC, u"alpha beta g...").cx;
  RECT r{0, 0, w, 20};
  DrawTextW(dib.DC, buf.data(), int(s.size()), &r, DT_SINGLELINE | DT_WORD_ELLIPSIS | DT_MODIFYSTRING);
  EXPECT_EQ(std::u16string(buf.c_str()), u"alpha beta...");
}

TEST(Platform_DrawText, EditControlEllipsisOnTheLastVisibleLine) {
  TBoxDC t;
  // 40 pixels: five cells a line, two lines visible.
  t.Draw(u"aa bb cc dd", {0, 0, 40, 40}, DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
  EXPECT_EQ(t.Lines(0, 0, 3, 6), (TLines{"xx xx", "xx xx", ""}));
  t.Draw(u"aa bb cc dd ee", {0, 0, 40, 40}, DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
  // The second line "cc dd" is followed by hidden text: it ends in dots within 5 cells.
  EXPECT_EQ(t.Lines(0, 0, 3, 6), (TLines{"xx xx", "xxxxx", ""}));
}

TEST(Platform_DrawText, FullWidthCharactersBreakBetweenThemselves) {
  TBoxDC t;
  const std::u16string s = u"\u4E2D\u6587\u6807\u9898\u4F60\u597D";
  t.Draw(s, {0, 0, 32, 100}, DT_WORDBREAK);
  EXPECT_EQ(t.Lines(0, 0, 3, 6), (TLines{"xxxx", "xx", ""}));
  t.Draw(s, {0, 0, 32, 100}, DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK | DT_NOCLIP);
  EXPECT_EQ(t.Lines(0, 0, 2, 8), (TLines{"xxxxxx", ""}));
}

}  // namespace t_draw_text_test
