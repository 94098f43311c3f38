#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_values_test {

using namespace qn;

namespace {

class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    FHad = old != nullptr;
    if (old) FOld = old;
    setenv("TZ", zone, 1);
  }
  ~ZoneGuard() {
    if (FHad) setenv("TZ", FOld.c_str(), 1);
    else unsetenv("TZ");
  }

 private:
  bool FHad = false;
  std::string FOld;
};

TDateTime Dt(int y, int m, int d, int h, int n, int s, int ms) {
  return ComposeDateTime(EncodeDate(Word(y), Word(m), Word(d)), EncodeTime(Word(h), Word(n), Word(s), Word(ms)));
}

// Milliseconds since the epoch of TDateTime, for exact comparisons.
Int64 Ms(TDateTime v) { return std::llround(v * MSecsPerDay); }

}  // namespace

TEST(PlainXml_qn_Values, FloatText) {
  EXPECT_EQ(sdFloatToString(-0.25), "-.25");
  EXPECT_EQ(sdFloatToString(100), "100");
  EXPECT_EQ(sdFloatToString(123456789, 6, true), "1.23457E8");
  EXPECT_EQ(sdFloatToString(123456789, 6, false), "123457000");
  EXPECT_EQ(sdFloatToString(1234567, 6, true), "1234570");
  EXPECT_EQ(sdFloatToString(0.5), ".5");
  EXPECT_EQ(sdFloatToString(0.05), ".05");
  EXPECT_EQ(sdFloatToString(0.005), "5E-3");
  EXPECT_EQ(sdFloatToString(12.5), "12.5");
  EXPECT_EQ(sdFloatToString(1e10, 6, true), "1.00000E10");
  EXPECT_EQ(sdFloatToString(0), "0");
  EXPECT_EQ(sdFloatToString(999999.5), "1000000");  // rounds up into the next decade
  EXPECT_EQ(sdFloatToString(INFINITY), "INF");
  EXPECT_EQ(sdFloatToString(-INFINITY), "-INF");
  EXPECT_EQ(sdFloatToString(NAN), "NAN");
  EXPECT_TRUE(std::isinf(sdFloatFromString("INF")));
  EXPECT_LT(sdFloatFromString("-INF"), 0);
  EXPECT_TRUE(std::isnan(sdFloatFromString("NAN")));
  EXPECT_THROW(sdFloatToString(1.0, 0, true), Exception);
  EXPECT_THROW(sdFloatToString(1.0, 10, true), Exception);
  EXPECT_THROW(sdFloatFromString("1,5"), EConvertError);
  EXPECT_EQ(sdFloatFromString(sdCommaToDot("1,5")), 1.5);
}

TEST(PlainXml_qn_Values, RandomFloatsParseBackWithinTheirDigits) {
  std::mt19937_64 rng(17);
  for (int i = 0; i < 100000; ++i) {
    double v;
    do {
      UInt64 bits = rng();
      std::memcpy(&v, &bits, sizeof v);
    } while (!std::isfinite(v) || (v != 0 && std::fabs(v) < 1e-300) || std::fabs(v) > 1e307);
    Integer digits = 1 + static_cast<Integer>(rng() % 9);
    bool sci = rng() % 2;
    if (!sci && std::fabs(v) > 1e30) sci = true;  // plain form of huge values is only long, not wrong
    if (!sci && v != 0 && std::fabs(v) < 1e-30) sci = true;
    UTF8String s = sdFloatToString(v, digits, sci);
    double back = sdFloatFromString(s);
    // The text holds `digits` significant digits: the error is at most half
    // a unit in the last of them, plus the error of the scaling steps.
    double tol = std::fabs(v) * (0.5 * std::pow(10.0, 1 - digits) + 1e-12);
    ASSERT_LE(std::fabs(back - v), tol) << v << " -> " << s;
  }
}

TEST(PlainXml_qn_Values, IntegersAndBooleans) {
  EXPECT_EQ(sdIntToString(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(sdInt64ToString(9007199254740993LL), "9007199254740993");
  EXPECT_EQ(sdIntFromString("-42"), -42);
  EXPECT_EQ(sdInt64FromString("123456789012"), 123456789012LL);
  EXPECT_THROW(sdIntFromString("12x"), EConvertError);
  EXPECT_THROW(sdIntFromString(""), EConvertError);
  EXPECT_EQ(sdBoolToString(true), "true");
  EXPECT_EQ(sdBoolToString(false), "false");
  EXPECT_TRUE(sdBoolFromString("TRUE"));
  EXPECT_FALSE(sdBoolFromString("false"));
  EXPECT_TRUE(sdBoolFromString("-1"));
  EXPECT_FALSE(sdBoolFromString("0"));
  EXPECT_THROW(sdBoolFromString("yes please"), EConvertError);
}

TEST(PlainXml_qn_Values, DateTimeText) {
  ZoneGuard z("Europe/Berlin");
  TDateTime v = Dt(2010, 3, 7, 14, 5, 9, 120);
  EXPECT_EQ(sdDateTimeToString(v, true, false), "2010-03-07");
  EXPECT_EQ(sdDateTimeToString(v), "2010-03-07T14:05:09Z");
  EXPECT_EQ(sdDateTimeToString(v, true, true, 3, true), "2010-03-07T14:05:09.120+01:00");
  EXPECT_EQ(sdDateTimeToString(v, false, true, 2), "14:05:09.12Z");
  // Summer dates carry the summer bias, whatever today is.
  EXPECT_EQ(sdDateTimeToString(Dt(2010, 7, 1, 8, 0, 0, 0), true, true, 0, true), "2010-07-01T08:00:00+02:00");

  EXPECT_EQ(sdStringToDateTime("2010-03-07"), EncodeDate(2010, 3, 7));
  EXPECT_EQ(Ms(sdStringToDateTime("2010-03-07T14:05")), Ms(Dt(2010, 3, 7, 14, 5, 0, 0)));
  EXPECT_EQ(Ms(sdStringToDateTime("2010-03-07 14:05:09.1")), Ms(Dt(2010, 3, 7, 14, 5, 9, 100)));
  EXPECT_EQ(Ms(sdStringToDateTime("2010-03-07T14:05:09.98765Z")), Ms(Dt(2010, 3, 7, 14, 5, 9, 987)));
  // With the bias: the zone of the text says what the time is relative to.
  EXPECT_EQ(Ms(sdStringToDateTime("2010-03-07T14:05:09Z", true)), Ms(Dt(2010, 3, 7, 15, 5, 9, 0)));
  EXPECT_EQ(Ms(sdStringToDateTime("2010-07-01T08:00:00-0400", true)), Ms(Dt(2010, 7, 1, 14, 0, 0, 0)));
  EXPECT_EQ(Ms(sdStringToDateTime("2010-07-01T08:00:00+02:00", true)), Ms(Dt(2010, 7, 1, 8, 0, 0, 0)));
  for (const char* bad : {"", "2010", "2010-3-7", "2010-02-30", "2010-03-07X14:05", "2010-03-07T25:00",
                          "2010-03-07T14", "2010-03-07T14:05:09.", "2010-03-07T14:05+1", "2010-03-07T14:05Zjunk"}) {
    EXPECT_THROW(sdStringToDateTime(bad), EConvertError) << bad;
    EXPECT_EQ(sdStringToDateTimeDef(bad, 42.0), 42.0);
  }
}

TEST(PlainXml_qn_Values, DateTimeRoundTrips) {
  for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York"}) {
    ZoneGuard z(zone);
    std::mt19937 rng(31);
    for (int i = 0; i < 400; ++i) {
      // Winter and summer dates; hours away from the changes.
      int month = (i % 2) ? 1 + int(rng() % 2) : 6 + int(rng() % 3);
      TDateTime v = Dt(1980 + int(rng() % 50), month, 1 + int(rng() % 28), 4 + int(rng() % 19), int(rng() % 60),
                       int(rng() % 60), int(rng() % 1000));
      for (Integer digits = 0; digits <= 3; ++digits) {
        for (bool bias : {false, true}) {
          UTF8String s = sdDateTimeToString(v, true, true, digits, bias);
          Int64 unit = digits == 0 ? 1000 : digits == 1 ? 100 : digits == 2 ? 10 : 1;
          Int64 kept = Ms(v) - Ms(v) % unit;  // the digits not written are cut, not rounded
          ASSERT_EQ(Ms(sdStringToDateTime(s, bias)), kept) << zone << " " << s;
        }
      }
    }
  }
  ZoneGuard z("America/New_York");
  EXPECT_EQ(GetTimeZoneBias(Dt(2010, 1, 10, 12, 0, 0, 0)), 300);
  EXPECT_EQ(GetTimeZoneBias(Dt(2010, 7, 10, 12, 0, 0, 0)), 240);
  Integer now = GetTimeZoneBias();
  EXPECT_TRUE(now == 300 || now == 240);
}

TEST(PlainXml_qn_Values, Base64AndHex) {
  // RFC 4648 test vectors.
  const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char* coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(EncodeBase64(plain[i]), coded[i]);
    EXPECT_EQ(DecodeBase64(coded[i]), plain[i]);
  }
  EXPECT_EQ(DecodeBase64("Zm9v\r\n YmFy\t"), "foobar");
  for (const char* bad : {"Zm9", "Zm9v!A==", "Z=9v", "Zg=A", "=Zg=", "Zm9vY===", "Zm 9vY"}) {
    EXPECT_THROW(DecodeBase64(bad), EFilerError) << bad;
  }
  std::mt19937 rng(2);
  for (int i = 0; i < 300; ++i) {
    std::string bytes(rng() % 40, '\0');
    for (auto& c : bytes) c = static_cast<char>(rng());
    UTF8String enc = EncodeBase64(bytes);
    ASSERT_EQ(enc.size(), (bytes.size() + 2) / 3 * 4);
    ASSERT_EQ(DecodeBase64(enc), bytes);
    // The buffer form decodes exactly Count bytes and wants enough groups.
    UTF8String src = enc;
    std::string buf(bytes.size(), '\0');
    if (!bytes.empty()) {
      DecodeBase64Buf(src, buf.data(), static_cast<Integer>(buf.size()));
      ASSERT_EQ(buf, bytes);
      UTF8String shortSrc = enc.substr(0, enc.size() - 4);
      EXPECT_THROW(DecodeBase64Buf(shortSrc, buf.data(), static_cast<Integer>(buf.size())), EFilerError);
    }
  }
  // Lines of 76 characters with a break string between them, none at the end.
  std::string raw(200, 'x');
  UTF8String wrapped = sdAddControlChars(EncodeBase64(raw), "\r\n  ", 76);
  EXPECT_EQ(wrapped.substr(76, 4), "\r\n  ");
  EXPECT_EQ(wrapped.size(), 268u + 3 * 4);
  EXPECT_NE(wrapped.substr(wrapped.size() - 2), "  ");
  EXPECT_EQ(DecodeBase64(wrapped), raw);
  EXPECT_EQ(sdAddControlChars("abc", "", 1), "abc");

  EXPECT_EQ(DecodeBinHex("00FFa1 7e"), std::string("\x00\xFF\xA1\x7E", 4));
  EXPECT_THROW(DecodeBinHex("ABC"), EFilerError);
  EXPECT_THROW(DecodeBinHex("ZZ"), EFilerError);
  UTF8String hex = "0102";
  Byte two[2];
  DecodeBinhexBuf(hex, two, 2);
  EXPECT_EQ(two[1], 2);
  hex = "0102";
  EXPECT_THROW(DecodeBinhexBuf(hex, two, 1), EFilerError);
}

TEST(PlainXml_qn_Values, CharacterSets) {
  Integer count = 0;
  const TsdCharsetRow* rows = cCharsetTable(count);
  EXPECT_EQ(count, 143);
  EXPECT_STREQ(rows[0].Name, "IBM037");
  EXPECT_STREQ(rows[count - 1].Name, "utf-8");
  EXPECT_EQ(sdCharsetToCodePage("WINDOWS-1252", 0), 1252);
  EXPECT_EQ(sdCharsetToCodePage("Shift_JIS", 0), 932);
  EXPECT_EQ(sdCharsetToCodePage("x-iscii-pa", 0), 57011);
  EXPECT_EQ(sdCharsetToCodePage("IBM01145", 0), 1145);
  EXPECT_EQ(sdCharsetToCodePage("no-such-set", 77), 77);
  EXPECT_EQ(sdCodepageToCharset(709), "ASMO-449+");
  EXPECT_EQ(sdCodepageToCharset(50222), "iso-2022-jp");
  EXPECT_EQ(sdCodepageToCharset(12345), "utf-8");
  EXPECT_EQ(sdCharsetToStringEncoding("UTF-16"), seUTF16LE);
  EXPECT_EQ(sdCharsetToStringEncoding("unicodeFFFE"), seUTF16BE);
  EXPECT_EQ(sdCharsetToStringEncoding("whatever"), seUTF8);
  EXPECT_EQ(sdCharsetToStringEncoding("iso-8859-1"), seAnsi);
  // Names are found case-blind, the first of equal names winning.
  for (Integer i = 0; i < count; ++i) {
    Integer first = i;
    for (Integer j = 0; j < i; ++j)
      if (Utf8CompareText(rows[j].Name, rows[i].Name) == 0) { first = j; break; }
    EXPECT_EQ(sdCharsetToCodePage(rows[i].Name, -1), rows[first].CodePage) << rows[i].Name;
  }
}

}  // namespace t_plain_xml_values_test
