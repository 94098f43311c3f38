#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Character.h"
#include "treeview/LazyTrees_qn.h"

namespace t_lazy_trees_qn_text_utils_test {

using namespace qn;

namespace {

class LazyTrees_qn_TextUtils : public ::testing::Test {
 protected:
  void SetUp() override {
    FBitmap.reset(new TBitmap);
    FBitmap->SetSize(8, 8);
    FBitmap->Canvas()->Font()->SetName(u"DejaVu Sans");
    FBitmap->Canvas()->Font()->SetSize(9);
    DC = FBitmap->Canvas()->Handle();
  }
  Integer Extent(const String& S) {
    SIZE s{};
    GetTextExtentPoint32W(DC, S.c_str(), Integer(S.size()), &s);
    return s.cx;
  }
  Integer DrawWidth(const String& S) {
    TRect r(0, 0, 0, 0);
    GetStringDrawRect(DC, S, r, DT_NOPREFIX);
    return r.Width();
  }
  std::vector<String> Lines(const String& S) {
    std::vector<String> out(1);
    for (Char c : S) {
      if (c == u'\n') out.emplace_back();
      else out.back() += c;
    }
    return out;
  }
  // A line may exceed the width only when it is a single character.
  bool Fits(const String& Line, Integer Width) {
    bool single = Line.size() == 1 || (Line.size() == 2 && IsHighSurrogate(Line[0]));
    return single || DrawWidth(Line) <= Width;
  }
  static bool SplitsAPair(const String& Line) {
    return !Line.empty() && (IsHighSurrogate(Line.back()) || IsLowSurrogate(Line.front()));
  }

  std::unique_ptr<TBitmap> FBitmap;
  HDC DC = nullptr;
};

TEST_F(LazyTrees_qn_TextUtils, ShortenStringEdges) {
  const String s = u"Quarterly revenue";
  Integer ellipsis = Extent(u"...");
  ASSERT_GT(ellipsis, 0);
  EXPECT_EQ(ShortenString(DC, u"", 100), u"");
  EXPECT_EQ(ShortenString(DC, s, 0), u"");
  EXPECT_EQ(ShortenString(DC, s, ellipsis), u"") << "no room beside the ellipsis";
  EXPECT_EQ(ShortenString(DC, s, ellipsis + 1), u"...") << "the first letter does not fit";
  EXPECT_EQ(ShortenString(DC, s, Extent(s)), s) << "a text that fits stays whole";
  // The caller's ellipsis width is used as given.
  EXPECT_EQ(ShortenString(DC, s, 30, 30), u"");
  EXPECT_EQ(ShortenString(DC, s, 31 + Extent(u"Q"), 31), u"Q...");
}

// Against a linear search of the longest fitting prefix, for random texts
// and widths.
TEST_F(LazyTrees_qn_TextUtils, ShortenStringFindsTheLongestFittingPrefix) {
  std::mt19937 rng(7);
  const String alphabet = u"abcdefghijklmnopqrstuvwxyzMWil .,ABC";
  Integer ellipsis = Extent(u"...");
  for (int round = 0; round < 300; ++round) {
    String s;
    int length = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int i = 0; i < length; ++i)
      s += alphabet[std::size_t(std::uniform_int_distribution<int>(0, int(alphabet.size()) - 1)(rng))];
    Integer width = std::uniform_int_distribution<int>(-5, Extent(s) + 10)(rng);
    String expected;
    if (width > 0 && width > ellipsis) {
      if (Extent(s) <= width) {
        expected = s;
      } else {
        std::size_t n = 0;
        for (std::size_t k = 1; k < s.size(); ++k)
          if (Extent(s.substr(0, k)) + ellipsis <= width) n = k;
        expected = s.substr(0, n) + u"...";
      }
    }
    ASSERT_EQ(ShortenString(DC, s, width), expected) << "round " << round << " width " << width;
  }
}

TEST_F(LazyTrees_qn_TextUtils, ShortenStringKeepsSurrogatePairsWhole) {
  // Every other character lies outside the basic plane.
  String s;
  for (int i = 0; i < 8; ++i) s += String(u"a\U0001F600");
  for (Integer width = Extent(u"...") + 1; width < Extent(s); ++width) {
    String r = ShortenString(DC, s, width);
    ASSERT_GE(r.size(), 3u);
    String prefix = r.substr(0, r.size() - 3);
    EXPECT_EQ(s.compare(0, prefix.size(), prefix), 0);
    EXPECT_FALSE(SplitsAPair(prefix)) << "width " << width;
  }
}

TEST_F(LazyTrees_qn_TextUtils, GetStringDrawRectMeasuresEveryLine) {
  TRect r(10, 20, 500, 500);
  GetStringDrawRect(DC, u"ab\nabcdef", r, DT_NOPREFIX);
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  EXPECT_EQ(r.Left, 10);
  EXPECT_EQ(r.Top, 20);
  EXPECT_EQ(r.Width(), Extent(u"abcdef"));
  EXPECT_EQ(r.Height(), 2 * tm.tmHeight);
}

TEST_F(LazyTrees_qn_TextUtils, WrapStringBreaksAtSpaces) {
  Integer one = std::max(DrawWidth(u"a"), DrawWidth(u"b"));
  EXPECT_EQ(WrapString(DC, u"a b", TRect(0, 0, one, 10), false, DT_NOPREFIX), u"a\nb");
  EXPECT_EQ(WrapString(DC, u"  a b \t", TRect(0, 0, one, 10), false, DT_NOPREFIX), u"a\nb") << "trimmed first";
  EXPECT_EQ(WrapString(DC, u"   ", TRect(0, 0, 50, 10), false, DT_NOPREFIX), u"");
  EXPECT_EQ(WrapString(DC, u"a b", TRect(0, 0, 500, 10), false, DT_NOPREFIX), u"a b");
  // Two spaces make an empty word that keeps its place.
  EXPECT_EQ(WrapString(DC, u"a  b", TRect(0, 0, 500, 10), false, DT_NOPREFIX), u"a  b");

  // Lines fill greedily from the first word, or for right-to-left text
  // from the last one; either way the lines read top to bottom.
  Integer two = DrawWidth(u"two three");
  EXPECT_EQ(WrapString(DC, u"one two three", TRect(0, 0, two, 10), false, DT_NOPREFIX), u"one two\nthree");
  EXPECT_EQ(WrapString(DC, u"one two three", TRect(0, 0, two, 10), true, DT_NOPREFIX), u"one\ntwo three");
}

TEST_F(LazyTrees_qn_TextUtils, WrapStringBreaksLongWords) {
  const String word = u"abcdefghijklmnop";
  Integer width = DrawWidth(u"abcde");
  for (bool rtl : {false, true}) {
    auto lines = Lines(WrapString(DC, word, TRect(0, 0, width, 10), rtl, DT_NOPREFIX));
    ASSERT_GT(lines.size(), 2u);
    String joined;
    for (auto& l : lines) {
      EXPECT_LE(DrawWidth(l), width);
      joined += l;
    }
    EXPECT_EQ(joined, word);
    // Every piece but the remainder is the longest that fits: one more
    // character (on its inner side) would not.
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
      std::size_t piece = rtl ? lines.size() - 1 - i : i;
      std::size_t start = 0;
      for (std::size_t k = 0; k < piece; ++k) start += lines[k].size();
      String longer = rtl ? word.substr(start - 1, lines[piece].size() + 1)
                          : word.substr(start, lines[piece].size() + 1);
      EXPECT_GT(DrawWidth(longer), width) << (rtl ? "rtl " : "ltr ") << i;
    }
  }
  // No room at all: one character per line.
  EXPECT_EQ(WrapString(DC, u"abc", TRect(0, 0, 1, 10), false, DT_NOPREFIX), u"a\nb\nc");
}

TEST_F(LazyTrees_qn_TextUtils, WrapStringKeepsPairsAndFits) {
  std::mt19937 rng(11);
  const std::vector<String> pieces = {u"a", u"bc", u"W", u"\U0001F600", u"\u4E2D", u" ", u" ", u"xyz"};
  for (int round = 0; round < 150; ++round) {
    String s;
    int n = std::uniform_int_distribution<int>(1, 14)(rng);
    for (int i = 0; i < n; ++i) s += pieces[std::size_t(std::uniform_int_distribution<int>(0, 7)(rng))];
    Integer width = std::uniform_int_distribution<int>(1, 80)(rng);
    bool rtl = round % 2 == 1;
    String wrapped = WrapString(DC, s, TRect(0, 0, width, 10), rtl, DT_NOPREFIX);
    String a, b;
    for (Char c : wrapped)
      if (c != u'\n' && c != u' ') a += c;
    for (Char c : Trim(s))
      if (c != u' ') b += c;
    ASSERT_EQ(a, b) << "nothing lost or added, round " << round;
    for (const String& line : Lines(wrapped)) {
      EXPECT_FALSE(SplitsAPair(line)) << "round " << round;
      EXPECT_TRUE(Fits(line, width)) << "round " << round << " width " << width;
    }
  }
}

}  // namespace

}  // namespace t_lazy_trees_qn_text_utils_test
