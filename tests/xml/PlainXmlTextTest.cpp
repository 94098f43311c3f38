#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_text_test {

using namespace qn;

namespace {

class TRecordingStream : public TStream {
 public:
  std::string Data;
  Integer Read(void*, Integer) override { return 0; }
  Integer Write(const void* Buffer, Integer Count) override {
    Data.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
    return Count;
  }
  Int64 Seek(Int64, TSeekOrigin) override { return static_cast<Int64>(Data.size()); }
};

struct TRecorder {
  std::vector<std::pair<TsdWarnStyle, UTF8String>> Got;
  TsdDebugEvent Event() {
    return TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) { Got.push_back({w, m}); });
  }
};

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 + c / 64);
    out += static_cast<char>(0x80 + c % 64);
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 + c / 4096);
    out += static_cast<char>(0x80 + c / 64 % 64);
    out += static_cast<char>(0x80 + c % 64);
  } else {
    out += static_cast<char>(0xF0 + c / 262144);
    out += static_cast<char>(0x80 + c / 4096 % 64);
    out += static_cast<char>(0x80 + c / 64 % 64);
    out += static_cast<char>(0x80 + c % 64);
  }
}

std::string RandomUtf8(std::mt19937& rng, int maxChars) {
  std::string s;
  int n = static_cast<int>(rng() % static_cast<unsigned>(maxChars + 1));
  static const char32_t pick[] = {'<', '>', '&', '\'', '"', ';', '#', 'x', 'a', ' ', '\n', 0xE9, 0x20AC, 0x1F600};
  for (int i = 0; i < n; ++i) {
    char32_t c;
    if (rng() % 2) {
      c = pick[rng() % (sizeof(pick) / sizeof(pick[0]))];
    } else {
      do c = rng() % 0x110000; while (c >= 0xD800 && c <= 0xDFFF);
    }
    AppendUtf8(c, s);
  }
  return s;
}

}  // namespace

TEST(PlainXml_qn_Text, EscapesAndReferences) {
  EXPECT_EQ(sdEscapeString("say \"a & b\""), "say &quot;a &amp; b&quot;");
  EXPECT_EQ(sdEscapeString("<it's>"), "&lt;it&apos;s&gt;");
  EXPECT_EQ(sdEscapeString("&amp;"), "&amp;amp;");
  EXPECT_EQ(sdEscapeString("plain text"), "plain text");

  bool nonStd = true;
  EXPECT_EQ(sdReplaceString("&#65;&#x42;&lt;", nonStd), "AB<");
  EXPECT_FALSE(nonStd);
  EXPECT_EQ(sdReplaceString("a &unknown; b", nonStd), "a &unknown; b");
  EXPECT_TRUE(nonStd);
  EXPECT_EQ(sdReplaceString("fish & chips"), "fish & chips");
  EXPECT_EQ(sdReplaceString("a&b&amp;c"), "a&b&c");
  EXPECT_EQ(sdReplaceString("&#X1F600;&#128512;"), "\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
  EXPECT_EQ(sdReplaceString("&#xe9;"), "\xC3\xA9");
  // Not characters of XML: stay as written, and count as non-standard.
  for (const char* s : {"&#0;", "&#xD800;", "&#xFFFE;", "&#x110000;", "&#99999999999999999999;", "&#;", "&#x;", "&#12a;"}) {
    EXPECT_EQ(sdReplaceString(s, nonStd), s);
    EXPECT_TRUE(nonStd) << s;
  }
  TsdEntityMap ents{{"e", "x<b/>y"}, {"copy", "\xC2\xA9"}};
  EXPECT_EQ(sdReplaceString("a&e;&copy;&other;&lt;", nonStd, ents), "ax<b/>y\xC2\xA9&other;<");
  EXPECT_TRUE(nonStd);
}

TEST(PlainXml_qn_Text, EscapeThenReplaceGivesBackAnyText) {
  std::mt19937 rng(21);
  for (int i = 0; i < 3000; ++i) {
    std::string s = RandomUtf8(rng, 30);
    bool nonStd = true;
    ASSERT_EQ(sdReplaceString(sdEscapeString(s), nonStd), s);
    ASSERT_FALSE(nonStd);
  }
}

TEST(PlainXml_qn_Text, LineBreaks) {
  EXPECT_EQ(sdNormaliseEol("a\r\nb\rc\nd"), "a\nb\nc\nd");
  EXPECT_EQ(sdNormaliseEol("\r\r\n\n"), "\n\n\n");
  EXPECT_EQ(sdUnNormaliseEol("a\nb", esCRLF), "a\r\nb");
  EXPECT_EQ(sdUnNormaliseEol("a\nb", esCR), "a\rb");
  EXPECT_EQ(sdUnNormaliseEol("a\r\nb", esLF), "a\r\nb");
  // The CR state travels between buffers: a CR LF cut in two is one break.
  std::mt19937 rng(4);
  for (int round = 0; round < 500; ++round) {
    std::string s;
    for (int i = 0; i < 20; ++i) s += "\r\nab"[rng() % 4];
    std::string whole = sdNormaliseEol(s);
    size_t cut = rng() % (s.size() + 1);
    std::string out(s.size(), '\0');
    bool cr = false;
    Integer n1 = sdNormaliseBuffer(s.data(), out.data(), static_cast<Integer>(cut), cr);
    Integer n2 = sdNormaliseBuffer(s.data() + cut, out.data() + n1, static_cast<Integer>(s.size() - cut), cr);
    out.resize(static_cast<size_t>(n1 + n2));
    ASSERT_EQ(out, whole);
  }
}

TEST(PlainXml_qn_Text, EveryScalarValueRoundTripsUtf8AndUtf16) {
  std::string utf8;
  String utf16;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c == '\r') continue;  // CR is normalised away
    AppendUtf8(c, utf8);
    if (c < 0x10000) {
      utf16 += static_cast<char16_t>(c);
    } else {
      utf16 += static_cast<char16_t>(0xD800 + (c - 0x10000) / 1024);
      utf16 += static_cast<char16_t>(0xDC00 + (c - 0x10000) % 1024);
    }
  }
  EXPECT_TRUE(sdUtf8ToWide(utf8) == utf16);
  EXPECT_TRUE(sdWideToUtf8(utf16) == utf8);
  EXPECT_EQ(sdWideToUtf8(u"a\r\nb\rc"), "a\nb\nc");
  // Broken input becomes U+FFFD, never more than the count is read.
  EXPECT_TRUE(sdUtf8ToWide("\xC0\xAF\xED\xA0\x80") == u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(sdWideToUtf8(String{0xDC00, u'a', 0xD800}), "\xEF\xBF\xBD" "a\xEF\xBF\xBD");
  EXPECT_EQ(sdUtf8CharacterLength("\xE2(", 2), 1);
  EXPECT_EQ(sdUtf8CharacterLength("\xE2\x82\xAC", 3), 3);
  EXPECT_EQ(sdUtf8CharacterLength("\xE2\x82\xAC", 2), 1);
  EXPECT_EQ(sdUtf8CharacterLength("\xF0\x9F\x98\x80", 4), 4);
  EXPECT_EQ(sdUtf8CharacterLength("\xC3\xA9", 2), 2);
}

TEST(PlainXml_qn_Text, PiecewiseDecodingCarriesIncompleteSequences) {
  struct Sample {
    Integer CodePage;
    std::string Utf8;
  } samples[] = {
      {932, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xEF\xBD\xB6\r\n\\"},
      {54936, "\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 \xE2\x82\xAC"},
      {950, "\xE7\xB9\x81\xE9\xAB\x94 tw"},
      {1252, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\r"},
      {65001, "\xC3\xA9\xF0\x9F\x98\x80\xE2\x82\xAC"},
  };
  for (const auto& s : samples) {
    std::string bytes = sdUtf8ToAnsi(s.Utf8, s.CodePage);
    std::string whole = sdAnsiToUtf8(bytes, s.CodePage);
    EXPECT_EQ(whole, sdNormaliseEol(s.Utf8)) << s.CodePage;
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
      TBytes out;
      bool cr = false;
      Integer used = 0;
      Integer n1 = sdAnsiToUtf8Buffer(bytes.data(), out, s.CodePage, cr, static_cast<Integer>(cut), &used);
      std::string got(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(n1));
      std::string rest = bytes.substr(static_cast<size_t>(used));
      Integer n2 = sdAnsiToUtf8Buffer(rest.data(), out, s.CodePage, cr, static_cast<Integer>(rest.size()));
      got.append(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(n2));
      ASSERT_EQ(got, whole) << s.CodePage << " cut " << cut;
    }
  }
  // UTF-8 and UTF-16 pieces the same way.
  std::string u8 = "a\xF0\x9F\x98\x80\xC3\xA9";
  for (size_t cut = 0; cut <= u8.size(); ++cut) {
    char16_t out[16];
    Integer used = 0;
    Integer n1 = sdUtf8ToWideBuffer(u8.data(), out, static_cast<Integer>(cut), &used);
    std::string rest = u8.substr(static_cast<size_t>(used));
    Integer n2 = sdUtf8ToWideBuffer(rest.data(), out + n1, static_cast<Integer>(rest.size()));
    ASSERT_TRUE(std::u16string(out, static_cast<size_t>(n1 + n2)) == u"a\U0001F600\u00E9") << cut;
  }
  String w = u"a\U0001F600b";
  for (Integer cut = 0; cut <= 4; ++cut) {
    char out[32];
    bool cr = false;
    Integer used = 0;
    Integer n1 = sdWideToUtf8Buffer(w.data(), out, cut, cr, &used);
    Integer n2 = sdWideToUtf8Buffer(w.data() + used, out + n1, 4 - used, cr);
    ASSERT_EQ(std::string(out, static_cast<size_t>(n1 + n2)), "a\xF0\x9F\x98\x80" "b") << cut;
  }
}

TEST(PlainXml_qn_Text, WriterEncodings) {
  const std::string text = "<a>\xC3\xA9\xF0\x9F\x98\x80</a>";
  auto run = [&](TsdStringEncoding enc, Integer cp, TRecorder& rec, int writes) {
    TDebugComponent owner(nullptr);
    owner.SetOnDebugOut(rec.Event());
    TRecordingStream out;
    {
      TsdXmlWriter w(&owner, &out, 256);
      w.SetEncoding(enc);
      w.SetCodePage(cp);
      for (int i = 0; i < writes; ++i) w.Write(text.data(), static_cast<Integer>(text.size()));
    }
    return out.Data;
  };
  TRecorder r1, r2, r3, r4;
  std::string le = run(seUTF16LE, 1200, r1, 1);
  EXPECT_EQ(le, std::string("<\0a\0>\0\xE9\0\x3D\xD8\x00\xDE<\0/\0a\0>\0", 20));
  std::string be = run(seUTF16BE, 1201, r1, 1);
  EXPECT_EQ(be, std::string("\0<\0a\0>\0\xE9\xD8\x3D\xDE\x00\0<\0/\0a\0>", 20));
  EXPECT_EQ(run(seUTF8, 65001, r1, 1), text);
  EXPECT_TRUE(r1.Got.empty());
  // The emoji is not in 1252: "?" and one warning per Write.
  EXPECT_EQ(run(seAnsi, 1252, r2, 2), "<a>\xE9?</a><a>\xE9?</a>");
  ASSERT_EQ(r2.Got.size(), 2u);
  EXPECT_EQ(r2.Got[0], std::make_pair(wsWarn, UTF8String("default char used for codepage substitution")));
  EXPECT_EQ(run(seUTF32LE, 12000, r3, 1), "");
  ASSERT_EQ(r3.Got.size(), 1u);
  EXPECT_EQ(r3.Got[0], std::make_pair(wsFail, UTF8String("unsupported encoding (utf-32)")));
  // A multi-byte page takes whole sequences.
  EXPECT_EQ(run(seAnsi, 932, r4, 1), "<a>?" "?</a>");
}

TEST(PlainXml_qn_Text, TrimAndCompare) {
  bool trimmed = false;
  EXPECT_EQ(sdTrim(" \t a b \n"), "a b");
  EXPECT_EQ(sdTrim("ab", trimmed), "ab");
  EXPECT_FALSE(trimmed);
  EXPECT_EQ(sdTrim(" ab", trimmed), "ab");
  EXPECT_TRUE(trimmed);
  UTF8String pre, post;
  EXPECT_EQ(sdTrim("  x y \n", pre, post), "x y");
  EXPECT_EQ(pre, "  ");
  EXPECT_EQ(post, " \n");
  EXPECT_EQ(sdTrim(" \n ", pre, post), "");
  EXPECT_EQ(pre, " \n ");
  EXPECT_EQ(post, "");

  EXPECT_EQ(Utf8CompareText("Form", "FORM"), 0);
  EXPECT_EQ(Utf8CompareText("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"), 0);  // Été / éTÉ
  EXPECT_EQ(Utf8CompareText("\xD0\x96", "\xD0\xB6"), 0);                   // Cyrillic Zhe
  EXPECT_LT(Utf8CompareText("abc", "abd"), 0);
  EXPECT_GT(Utf8CompareText("abc", "ab"), 0);
  EXPECT_LT(Utf8CompareText("Z", "\xC3\xA9"), 0);  // code-point order
  // A total order: antisymmetric on random text.
  std::mt19937 rng(8);
  for (int i = 0; i < 2000; ++i) {
    std::string a = RandomUtf8(rng, 4), b = RandomUtf8(rng, 4);
    ASSERT_EQ(Utf8CompareText(a, b), -Utf8CompareText(b, a));
  }
}

}  // namespace t_plain_xml_text_test
