#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/rtl/Kernel.h"

namespace t_code_pages_test {

using namespace vcl;

namespace {

// Reference UTF-8 of one scalar value, written out the long way.
void RefUtf8(char32_t c, std::string& out) {
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
void RefUtf16(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + (c - 0x10000) / 1024);
    out += static_cast<char16_t>(0xDC00 + (c - 0x10000) % 1024);
  }
}

std::u16string ToWide(UINT cp, const std::string& s, DWORD flags = 0) {
  int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::u16string w(static_cast<size_t>(n), u'\0');
  if (n) {
    EXPECT_EQ(MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), w.data(), n), n);
  }
  return w;
}
std::string ToBytes(UINT cp, const std::u16string& w, bool* usedDefault = nullptr) {
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, usedDefault);
  std::string s(static_cast<size_t>(n), '\0');
  if (n) {
    EXPECT_EQ(WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, usedDefault), n);
  }
  return s;
}

}  // namespace

TEST(Platform_CodePages, EveryScalarValueRoundTripsThroughUtf8) {
  std::string utf8;
  std::u16string utf16;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    RefUtf8(c, utf8);
    RefUtf16(c, utf16);
  }
  EXPECT_TRUE(ToWide(CP_UTF8, utf8, MB_ERR_INVALID_CHARS) == utf16);
  EXPECT_TRUE(ToBytes(CP_UTF8, utf16) == utf8);
}

TEST(Platform_CodePages, MalformedUtf8BecomesReplacementOrFails) {
  struct Case {
    std::string In;
    std::u16string Out;
  } cases[] = {
      {"a\xC0\xAF" "b", u"a\uFFFD\uFFFDb"},              // overlong slash
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},           // overlong three-byte form
      {"\xED\xA0\x80x", u"\uFFFD\uFFFD\uFFFDx"},         // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
      {"\xE2\x82", u"\uFFFD"},                           // cut short at the end
      {"\xE2\x82x", u"\uFFFDx"},                         // cut short by an ASCII byte
      {"\x80\xBF", u"\uFFFD\uFFFD"},                     // stray continuation bytes
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(ToWide(CP_UTF8, c.In) == c.Out) << c.In;
    SetLastError(0);
    char16_t buf[16];
    int r = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.In.data(), static_cast<int>(c.In.size()), buf, 16);
    if (c.Out.find(u'\uFFFD') != std::u16string::npos) {
      EXPECT_EQ(r, 0);
      EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    } else {
      EXPECT_EQ(r, 2);
    }
  }
  // Lone surrogates on the way out.
  EXPECT_EQ(ToBytes(CP_UTF8, u"a\xD800" "b\xDC00"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  const char16_t lone[] = {0xD800};
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 1, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(Platform_CodePages, SizesAndBounds) {
  const char* text = "h\xC3\xA9llo";
  // A count of -1 includes the terminator.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 6);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 6, nullptr, 0), 5);
  // Short buffers fail without writing past their end.
  char16_t buf[8];
  for (auto& c : buf) c = u'#';
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, buf, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  for (int i = 3; i < 8; ++i) EXPECT_EQ(buf[i], u'#');
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, buf, 6), 6);
  EXPECT_EQ(std::u16string(buf), u"h\u00E9llo");

  char bytes[8];
  for (auto& c : bytes) c = '#';
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"h\u00E9llo", -1, bytes, 5, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  for (int i = 5; i < 8; ++i) EXPECT_EQ(bytes[i], '#');
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"h\u00E9llo", -1, bytes, 6, nullptr, nullptr), 6);
  EXPECT_STREQ(bytes, "h\xE9llo");

  // Bad arguments, flags and pages.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 0, buf, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0x400, text, 3, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, text, 3, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_FALSE(IsValidCodePage(57002));  // in the charset table, but the host has no converter
  bool used = false;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"x", 1, bytes, 8, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Platform_CodePages, AnsiPagesSubstituteTheDefaultCharacter) {
  bool used = false;
  EXPECT_EQ(ToBytes(CP_ACP, u"caf\u00E9 \u20AC", &used), "caf\xE9 \x80");
  EXPECT_FALSE(used);
  EXPECT_EQ(ToBytes(CP_ACP, u"a\u4E2Db\U0001F600c", &used), "a?b?c");  // a pair is one character
  EXPECT_TRUE(used);
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"\u4E2D", 1, out, 8, "*", &used), 1);
  EXPECT_EQ(out[0], '*');
  // 0x81 has no character in 1252.
  EXPECT_TRUE(ToWide(1252, "\x81\x80") == u"\uFFFD\u20AC");
  // Double-byte pages lose nothing they can hold and substitute per character.
  EXPECT_EQ(ToBytes(932, u"\u65E5\u672C\u00E9", &used), "\x93\xFA\x96\x7B?");
  EXPECT_TRUE(used);
}

TEST(Platform_CodePages, MultiBytePagesRoundTripAndSplitAnywhere) {
  struct Sample {
    UINT CodePage;
    std::u16string Text;
  } samples[] = {
      {932, u"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8 abc \uFF76\uFF85"},  // includes half-width kana
      {54936, u"\u4E2D\u6587\u6587\u672C \U0001F600 \u20AC x"},                    // four-byte sequences
      {950, u"\u7E41\u9AD4\u4E2D\u6587 tw"},
      {1252, u"Gr\u00FC\u00DFe \u20AC \u0153"},
      {949, u"\uD55C\uAD6D\uC5B4"},
      {51932, u"\u65E5\u672C\u8A9E"},
      {50220, u"\u65E5\u672C abc \u8A9E"},  // stateful
      {1258, u"Ti\u1EBFng Vi\u1EC7t"},          // tone marks combine with the letter before them
  };
  for (const auto& s : samples) {
    std::string bytes = ToBytes(s.CodePage, s.Text);
    ASSERT_FALSE(bytes.empty()) << s.CodePage;
    EXPECT_TRUE(ToWide(s.CodePage, bytes) == s.Text) << s.CodePage;
    // Split at every byte: the first piece converts up to its last whole
    // character and the rest travels with the second piece.
    for (size_t cut = 1; cut <= bytes.size(); ++cut) {
      std::u16string got(bytes.size() + 1, u'\0');
      int used = -1;
      int n1 = MultiByteToWideCharEx(s.CodePage, 0, bytes.data(), static_cast<int>(cut), got.data(),
                                     static_cast<int>(got.size()), &used);
      ASSERT_LE(used, static_cast<int>(cut));
      got.resize(static_cast<size_t>(n1));
      std::string carry = bytes.substr(static_cast<size_t>(used));
      if (!carry.empty()) got += ToWide(s.CodePage, carry);
      // Shift states and combining marks do not survive a split; only whole
      // sequences are checked there.
      if (s.CodePage == 50220 || s.CodePage == 1258) continue;
      EXPECT_TRUE(got == s.Text) << s.CodePage << " cut " << cut;
    }
  }
}

TEST(Platform_CodePages, AnyBytesDecodeTheSameInPieces) {
  // Random bytes, valid or not, decoded whole and in two pieces with the
  // unfinished end carried over, give the same text.
  std::mt19937 rng(13);
  for (UINT cp : {932u, 936u, 949u, 950u, 54936u, 51932u, 65001u, 1252u}) {
    for (int round = 0; round < 300; ++round) {
      std::string bytes(1 + rng() % 12, '\0');
      for (auto& c : bytes) c = static_cast<char>(rng() % 3 ? 0x80 + rng() % 128 : 0x30 + rng() % 16);
      std::u16string whole = ToWide(cp, bytes);
      size_t cut = 1 + rng() % bytes.size();
      std::u16string got(cut + 1, u'\0');
      int used = -1;
      int n1 = MultiByteToWideCharEx(cp, 0, bytes.data(), static_cast<int>(cut), got.data(), static_cast<int>(got.size()), &used);
      ASSERT_GE(used, 0);
      got.resize(static_cast<size_t>(n1));
      std::string carry = bytes.substr(static_cast<size_t>(used));
      if (!carry.empty()) got += ToWide(cp, carry);
      ASSERT_TRUE(got == whole) << cp << " round " << round;
    }
  }
}

TEST(Platform_CodePages, ARefusedPairNeverTakesTheCharacterAfterIt) {
  // Every two bytes of the multi-byte range, assigned or not, followed by a
  // digit (never the second byte of a character): the digit is decoded,
  // whole and in pieces cut after the pair.
  for (UINT cp : {932u, 936u, 949u, 950u, 54936u, 51932u, 20949u, 1361u}) {
    int lost = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x80; trail <= 0xFF; ++trail) {
        const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail), '0'};
        std::u16string whole = ToWide(cp, std::string(bytes, 3));
        if (whole.empty() || whole.back() != u'0') ++lost;
        std::u16string head(4, u'\0');
        int used = -1;
        int n1 = MultiByteToWideCharEx(cp, 0, bytes, 2, head.data(), 4, &used);
        head.resize(static_cast<size_t>(n1));
        if (head + ToWide(cp, std::string(bytes + used, static_cast<size_t>(3 - used))) != whole) ++lost;
      }
    }
    EXPECT_EQ(lost, 0) << cp;
  }
}

TEST(Platform_CodePages, SingleBytePagesAreConsistentBothWays) {
  // Every byte that a single-byte page decodes encodes back to itself, for
  // every such page the host knows.
  const UINT pages[] = {37, 437, 500, 708, 737, 775, 850, 852, 855, 857, 858, 860, 861, 862, 863, 864,
                        865, 866, 869, 870, 874, 875, 1026, 1047, 1140, 1149, 1250, 1251, 1252, 1253, 1254,
                        1256, 1257, 10000, 10007, 10017, 10029, 10079, 20127, 20273, 20866, 21866, 28591,
                        28592, 28595, 28597, 28599, 28603, 28605, 38598};
  for (UINT cp : pages) {
    ASSERT_TRUE(IsValidCodePage(cp)) << cp;
    EXPECT_EQ(CodePageMaxCharSize(cp), 1) << cp;
    int decoded = 0;
    for (int b = 1; b < 256; ++b) {
      std::string one(1, static_cast<char>(b));
      std::u16string w = ToWide(cp, one);
      ASSERT_EQ(w.size(), 1u) << cp << " byte " << b;
      if (w[0] == 0xFFFD) continue;
      ++decoded;
      bool used = true;
      EXPECT_EQ(ToBytes(cp, w, &used), one) << cp << " byte " << b;
      EXPECT_FALSE(used);
    }
    EXPECT_GE(decoded, 127) << cp;
  }
  EXPECT_GT(CodePageMaxCharSize(932), 1);
  EXPECT_EQ(CodePageMaxCharSize(9999), 0);
}

TEST(Platform_CodePages, RandomTextSurvivesGb18030) {
  // GB18030 covers all of Unicode, so any valid text must come back.
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::u16string w;
    int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) {
      char32_t c;
      do c = rng() % 0x110000; while (c >= 0xD800 && c <= 0xDFFF);
      RefUtf16(c, w);
    }
    if (w.empty()) continue;
    bool used = true;
    std::string b = ToBytes(54936, w, &used);
    EXPECT_FALSE(used);
    EXPECT_TRUE(ToWide(54936, b) == w);
  }
}

}  // namespace t_code_pages_test
