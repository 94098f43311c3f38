#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <random>

#include "tests/common/TestSupport.h"
#include "tests/platform/streaming/TestClasses.h"

namespace t_form_text_test {

using namespace vcl;
using namespace strtest;

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string r;
  for (const char* l : lines) r += std::string(l) + "\r\n";
  return r;
}

// A form with nested components and a value of every kind, in the layout
// the writer produces.
std::string FullForm() {
  return Lines({
      "object Panel1: TPanelForm",
      "  Tag = 3",
      "  object W1: TWidget",
      "    Width = 120",
      "    Big = 5000000000",
      "    Shade = shDark",
      "    Shades = [shNone, shDeep]",
      "    Visible = False",
      "    Ratio = 0.1",
      "    Scale = 1.5s",
      "    When = 45000.25d",
      "    Price = 12345c",
      "    Caption = 'Gr'#252#223'e '#1055#1088#1080#1074#1077#1090' '#39'q'#39",
      "    Hot = 'x'",
      "    Style.Size = 12",
      "    Style.Face = 'Mono'",
      "    Columns = <",
      "      item",
      "        Width = 10",
      "        Title = 'First'",
      "      end",
      "      item",
      "        Title = 'Second'",
      "      end>",
      "    Buddy = W2",
      "    OnClick = WidgetClick",
      "    EdgeTop = -300",
      "    Blob = {",
      "      000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
      "      FF80}",
      "    Notes = (",
      "      'one'",
      "      'two')",
      "  end",
      "  object W2: TWideWidget",
      "    Big = 0",
      "    Caption = ",
      "      'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +",
      "      'bbb'",
      "    Blob = {0A0B}",
      "  end",
      "end",
  });
}

class Platform_FormText : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    Journal().clear();
  }
};

TEST_F(Platform_FormText, TextBinaryTextIsByteIdentical) {
  std::string text = FullForm();
  std::string bin = TextToBinary(text);
  ASSERT_EQ(bin.substr(0, 4), "TPF0");
  EXPECT_EQ(BinaryToText(bin), text);
  // And the binary form survives the text form unchanged.
  EXPECT_EQ(TextToBinary(BinaryToText(bin)), bin);
}

TEST_F(Platform_FormText, ComponentsReadFromTextWriteTheSameText) {
  std::unique_ptr<TComponent> root(LoadText(FullForm()));
  auto* form = dynamic_cast<TPanelForm*>(root.get());
  ASSERT_NE(form, nullptr);
  auto* w1 = dynamic_cast<TWidget*>(form->FindComponent(u"W1"));
  auto* w2 = dynamic_cast<TWideWidget*>(form->FindComponent(u"W2"));
  ASSERT_TRUE(w1 && w2);
  EXPECT_EQ(form->Tag(), 3);
  EXPECT_EQ(w1->Width(), 120);
  EXPECT_EQ(w1->Big(), 5000000000LL);
  EXPECT_EQ(w1->Shade(), shDark);
  EXPECT_EQ(w1->Shades(), (TShades{shNone, shDeep}));
  EXPECT_FALSE(w1->Visible());
  EXPECT_EQ(w1->Ratio(), 0.1);
  EXPECT_EQ(w1->Scale(), 1.5f);
  EXPECT_EQ(w1->When(), 45000.25);
  EXPECT_DOUBLE_EQ(w1->Price(), 1.2345);
  EXPECT_EQ(w1->Caption(), u"Gr\u00FC\u00DFe \u041F\u0440\u0438\u0432\u0435\u0442 'q'");
  EXPECT_EQ(w1->Hot(), u'x');
  EXPECT_EQ(w1->Style()->Size(), 12);
  EXPECT_EQ(w1->Style()->Face(), u"Mono");
  ASSERT_EQ(w1->Columns()->Count(), 2);
  EXPECT_EQ(static_cast<TColumn*>(w1->Columns()->Items(0))->Width(), 10);
  EXPECT_EQ(static_cast<TColumn*>(w1->Columns()->Items(1))->Width(), 64);
  EXPECT_EQ(static_cast<TColumn*>(w1->Columns()->Items(1))->Title(), u"Second");
  EXPECT_EQ(w1->Buddy(), w2);
  ASSERT_TRUE(Assigned(w1->OnClick()));
  w1->OnClick()(w1);
  EXPECT_EQ(form->Clicks, 1);
  EXPECT_EQ(w1->Edge(1), -300);
  ASSERT_EQ(w1->Blob.size(), 34u);
  EXPECT_EQ(w1->Blob[31], 0x1F);
  EXPECT_EQ(w1->Blob[32], 0xFF);
  EXPECT_EQ(w1->Notes, (std::vector<String>{u"one", u"two"}));
  EXPECT_EQ(w2->Width(), 200);
  EXPECT_EQ(w2->Caption(), String(64, u'a') + u"bbb");

  EXPECT_EQ(ComponentToText(form), FullForm());
}

// A program that set a locale of its own with setlocale (a comma for the
// decimal point) still reads and writes form files with a point.
TEST_F(Platform_FormText, TheProgramsLocaleChangesNoNumber) {
  const std::string text = FullForm();
  const std::string bin = TextToBinary(text);
  for (const char* name : qntest::kOtherLocales) {
    SCOPED_TRACE(name);
    qntest::TProgramLocale locale(name);
    ASSERT_TRUE(locale.Ok()) << "the machine lacks the locale (scripts/setup generates it)";
    EXPECT_EQ(TextToBinary(text), bin);
    EXPECT_EQ(BinaryToText(bin), text);
    std::unique_ptr<TComponent> root(LoadText(text));
    auto* w1 = dynamic_cast<TWidget*>(root->FindComponent(u"W1"));
    ASSERT_NE(w1, nullptr);
    EXPECT_EQ(w1->Ratio(), 0.1);
    EXPECT_EQ(w1->Scale(), 1.5f);
    EXPECT_EQ(ComponentToText(root.get()), text);
  }
}

TEST_F(Platform_FormText, LayoutOfEmptyAndShortValues) {
  std::string text = Lines({
      "inherited Form1: TForm1 [2]",
      "  Items = <>",
      "  List = ()",
      "  Nested = (",
      "    (",
      "      1",
      "      2)",
      "    ())",
      "  Set = []",
      "  Empty = ''",
      "  Data = {}",
      "  Id = Form2.Button1",
      "  Tags = <",
      "    item [3]",
      "    end>",
      "  Flag = True",
      "  Nothing = nil",
      "  Huge = -9223372036854775808",
      "  Exact = 0.3333333333333333333",
      "  Tiny = 1.5E-7",
      "  Large = 1E20",
      "  NegZero = -0.0",
      "  inline Frame1: TFrame",
      "  end",
      "  object TBareClass",
      "  end",
      "end",
  });
  EXPECT_EQ(BinaryToText(TextToBinary(text)), text);
}

TEST_F(Platform_FormText, BinaryValueTagsAreThePlatformsTags) {
  std::string bin = TextToBinary(Lines({"object A: TB", "  I = 1000", "  S = 'x'", "  F = True", "end"}));
  const char expected[] =
      "TPF0\x02TB\x01" "A"
      "\x01I\x03\xE8\x03"
      "\x01S\x06\x01x"
      "\x01" "F\x09"
      "\x00\x00";
  EXPECT_EQ(bin, std::string(expected, sizeof expected - 1));
  // 1.0 as a 10-byte extended: mantissa 8000000000000000, exponent 3FFF.
  std::string f = TextToBinary(Lines({"object A: TB", "  V = 1.0", "end"}));
  const unsigned char one[] = {5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(f.substr(11, 11), std::string(reinterpret_cast<const char*>(one), 11));
  std::string w = TextToBinary(Lines({"object A: TB", "  V = #1234", "  C = 5c", "  P = [a]", "end"}));
  EXPECT_NE(w.find(std::string("\x12\x01\x00\x00\x00\xD2\x04", 7)), std::string::npos);  // vaWString
  EXPECT_NE(w.find(std::string("\x10\x05\x00\x00\x00\x00\x00\x00\x00", 9)), std::string::npos);  // vaCurrency
  EXPECT_NE(w.find(std::string("\x0B\x01" "a\x00", 4)), std::string::npos);  // vaSet
}

TEST_F(Platform_FormText, FloatsSurviveTheTextForm) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mant(-1, 1);
  std::uniform_int_distribution<int> exp(-300, 300);
  for (int i = 0; i < 500; ++i) {
    TMemoryStream ms;
    Extended hi = static_cast<Extended>(mant(rng));
    Extended lo = static_cast<Extended>(mant(rng)) * 1e-17L;
    Extended x = std::ldexp(hi + lo, exp(rng) % 60);
    double dm = mant(rng);
    double d = std::ldexp(dm, exp(rng));
    double sm = mant(rng);
    float s = static_cast<float>(std::ldexp(sm, exp(rng) % 100));
    {
      TWriter w(&ms);
      w.WriteSignature();
      w.WriteStr(u"T");
      w.WriteStr(u"");
      w.WriteStr(u"X");
      w.WriteFloat(x);
      w.WriteStr(u"D");
      w.WriteDate(d);
      w.WriteStr(u"S");
      w.WriteSingle(s);
      w.WriteListEnd();
      w.WriteListEnd();
    }
    std::string bin(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size()));
    std::string text = BinaryToText(bin);
    // Every value comes back the same, and with the same value type.
    std::string back = TextToBinary(text);
    TMemoryStream bs;
    bs.WriteBuffer(back.data(), static_cast<Integer>(back.size()));
    bs.SetPosition(0);
    TReader r(&bs);
    r.ReadSignature();
    TFilerFlags flags;
    Integer pos;
    r.ReadPrefix(flags, pos);
    r.ReadStr();
    r.ReadStr();
    r.ReadStr();
    ASSERT_EQ(r.ReadFloat(), x) << text;
    r.ReadStr();
    ASSERT_EQ(r.ReadDate(), d) << text;
    r.ReadStr();
    ASSERT_EQ(r.ReadSingle(), s) << text;
    ASSERT_EQ(back, bin) << text;
  }
}

// Whole-number floats are where a text form most easily turns a float into
// an integer; both directions must be lossless, value type included.
TEST_F(Platform_FormText, WholeNumberFloatsKeepTheirValueType) {
  const Extended values[] = {0.0L, 1.0L, -1.0L, 43002.0L, 1e17L, 999999999999999999.0L, 1e18L, -1e18L,
                             1e19L, 1e25L, 1e300L, 0.5L, -2.25L, 1.0L / 3, 12345678.125L};
  for (Extended v : values) {
    TMemoryStream ms;
    {
      TWriter w(&ms);
      w.WriteSignature();
      w.WriteStr(u"T");
      w.WriteStr(u"");
      w.WriteStr(u"X");
      w.WriteFloat(v);
      w.WriteStr(u"S");
      w.WriteSingle(std::fabs(v) < 1e38L ? static_cast<Single>(v) : 1.0f);
      w.WriteStr(u"W");
      w.WriteDate(static_cast<Double>(v));
      w.WriteStr(u"C");
      w.WriteCurrencyRaw(static_cast<Int64>(std::fmod(v, 9e18L)));
      w.WriteListEnd();
      w.WriteListEnd();
    }
    std::string bin(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size()));
    std::string text = BinaryToText(bin);
    std::string again = TextToBinary(text);
    ASSERT_EQ(again, bin) << text;
    EXPECT_EQ(BinaryToText(again), text);
    EXPECT_EQ(TextToBinary(BinaryToText(again)), bin) << text;
    // No suffixed whole number below 1E18 is spelled with an exponent.
    if (v == std::trunc(v) && std::fabs(v) < 1e17L) {
      for (const char* suffix : {"s\r", "d\r"}) {
        size_t end = text.find(suffix);
        ASSERT_NE(end, std::string::npos) << text;
        size_t start = text.rfind(' ', end);
        EXPECT_EQ(text.substr(start + 1, end - start - 1).find('E'), std::string::npos) << text;
      }
    }
  }
  // The platform's spelling of a whole extended value.
  TMemoryStream ms;
  {
    TWriter w(&ms);
    w.WriteSignature();
    w.WriteStr(u"T");
    w.WriteStr(u"");
    w.WriteStr(u"X");
    w.WriteFloat(1);
    w.WriteStr(u"W");
    w.WriteDate(34700);
    w.WriteListEnd();
    w.WriteListEnd();
  }
  std::string text = BinaryToText(std::string(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size())));
  EXPECT_NE(text.find("X = 1.000000000000000000\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("W = 34700d\r\n"), std::string::npos) << text;
}

TEST_F(Platform_FormText, SyntaxErrorsNameTheLine) {
  struct Case { std::string text; const char* line; };
  const Case cases[] = {
      {Lines({"object A: TB", "  X = 'open", "end"}), "on line 2"},
      {Lines({"object A: TB", "  X = 1", "  Y = =", "end"}), "on line 3"},
      {Lines({"object A: TB", "  X = 1"}), "on line 3"},
      {Lines({"object A: TB", "  X = {0G}", "end"}), "on line 2"},
      {Lines({"object A: TB", "  X = (1 2", "end"}), "on line 4"},
      {Lines({"object A: TB", "  X = <", "  itm", "end>", "end"}), "on line 3"},
      {Lines({"object A: TB", "  X = #99999", "end"}), "on line 2"},
      {Lines({"object A: TB", "  X = 99999999999999999999", "end"}), "on line 2"},
      {Lines({"thing A: TB", "end"}), "on line 1"},
      {Lines({"object A: TB", "  X = [a b]", "end"}), "on line 2"},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  // A class name whose length byte would read as a prefix.
  all.push_back({"object A: T" + std::string(239, 'x') + "\r\nend\r\n", "on line 1"});
  // Over-long names are reported where they start, not where the parser
  // stood when the name was complete.
  const std::string longName(300, 'n');
  all.push_back({"object " + longName + ": TB\r\n  X = 1\r\nend\r\n", "on line 1"});
  all.push_back({"object A: TB\r\n  " + longName + "\r\n  = 1\r\nend\r\n", "on line 2"});
  all.push_back({"object A: TB\r\n  Font." + longName + "\r\n  = 1\r\nend\r\n", "on line 2"});
  all.push_back({"object A: TB\r\n  S = [a,\r\n  " + longName + "\r\n  ]\r\nend\r\n", "on line 3"});
  for (const Case& c : all) {
    try {
      TextToBinary(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const EParserError& e) {
      EXPECT_NE(std::string(e.what()).find(c.line), std::string::npos) << e.what() << " for " << c.text;
    }
  }
}

TEST_F(Platform_FormText, ReadsLineFeedsUtf8AndBom) {
  std::string text = "\xEF\xBB\xBFobject W: TWidget\n  Caption = 'Gr\xC3\xBC\xC3\x9F" "e'\n  Width = $10\nend\n";
  std::unique_ptr<TComponent> c(LoadText(text));
  auto* w = dynamic_cast<TWidget*>(c.get());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Caption(), u"Gr\u00FC\u00DFe");
  EXPECT_EQ(w->Width(), 16);
  EXPECT_EQ(ComponentToText(w), Lines({"object W: TWidget", "  Width = 16", "  Big = 0",
                                       "  Caption = 'Gr'#252#223'e'", "end"}));
}

}  // namespace

namespace {
// Binary data read pair by pair, blanks between pairs: the bytes, or the
// line of the pair that is wrong.
std::pair<TBytes, Integer> HexReference(const std::string& t) {
  TBytes r;
  Integer line = 1;
  size_t p = 1;  // after "{"
  auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  for (;;) {
    while (p < t.size() && static_cast<unsigned char>(t[p]) <= ' ') line += t[p++] == '\n';
    if (p >= t.size()) return {{}, line};
    if (t[p] == '}') return {r, 0};
    if (p + 1 >= t.size() || !hex(t[p]) || !hex(t[p + 1])) return {{}, line};
    r.push_back(static_cast<Byte>(std::stoi(t.substr(p, 2), nullptr, 16)));
    p += 2;
  }
}
}  // namespace

TEST_F(Platform_FormText, BinaryDataReadsLikePairByPair) {
  std::mt19937 rng(138);
  const char alphabet[] = "0123456789abcdefABCDEF";
  for (int round = 0; round < 3000; ++round) {
    std::string t = "{";
    const int pairs = int(rng() % 200);
    for (int i = 0; i < pairs; ++i) {
      t += alphabet[rng() % 22];
      t += alphabet[rng() % 22];
      if (rng() % 16 == 0) t += rng() % 2 ? "\r\n  " : " ";
    }
    t += "}\n";
    // Some texts are spoiled: an odd digit, a character that is no digit,
    // a lost brace.
    switch (rng() % 5) {
      case 0: t.insert(1 + rng() % (t.size() - 1), 1, 'a'); break;
      case 1: t[1 + rng() % (t.size() - 1)] = "g}\n "[rng() % 4]; break;
      case 2: t.erase(t.find('}')); break;
      default: break;
    }
    const auto [bytes, line] = HexReference(t);
    try {
      TParser p(t);
      const TBytes got = p.HexToBinary();
      EXPECT_EQ(line, 0) << t;
      EXPECT_EQ(got, bytes) << t;
    } catch (const EParserError& e) {
      EXPECT_NE(line, 0) << e.what() << " for " << t;
      EXPECT_EQ(std::string(e.what()), "Invalid binary value on line " + std::to_string(line)) << t;
    }
  }
}

// Pictures come as long runs of digits, 64 to a line: decoded many digits
// at a time, in place from text the parser does not own (kept here in a
// buffer of its exact size, so a read past its end is caught), and through
// the form converter, which fills the binary value where it stands.
TEST_F(Platform_FormText, LongBinaryRunsReadLikePairByPair) {
  std::mt19937 rng(1380);
  const char alphabet[] = "0123456789abcdefABCDEF";
  for (int round = 0; round < 600; ++round) {
    std::string t = "{";
    const int pairs = int(rng() % 700);
    const int perLine = rng() % 3 ? 32 : int(1 + rng() % 40);
    for (int i = 0; i < pairs; ++i) {
      if (i % perLine == 0) t += "\r\n      ";
      t += alphabet[rng() % 22];
      t += alphabet[rng() % 22];
    }
    t += "}";
    switch (rng() % 6) {
      case 0: t[1 + rng() % (t.size() - 1)] = "g}\n x"[rng() % 5]; break;
      case 1: t.insert(1 + rng() % (t.size() - 1), 1, 'F'); break;
      case 2: t.pop_back(); break;  // no closing brace, the text just ends
      default: break;
    }
    const auto [bytes, line] = HexReference(t);
    std::unique_ptr<char[]> exact(new char[t.size()]);
    std::memcpy(exact.get(), t.data(), t.size());
    try {
      TParser p(exact.get(), t.size());
      std::vector<Byte> got(p.HexCapacity() + 1, 0xEE);
      const size_t n = p.HexToBinary(got.data());
      EXPECT_EQ(line, 0) << t;
      EXPECT_LE(n, got.size() - 1) << t;
      EXPECT_EQ(got[got.size() - 1], 0xEE) << "written past the room it asked for: " << t;
      got.resize(n);
      EXPECT_EQ(TBytes(got.begin(), got.end()), bytes) << t;
    } catch (const EParserError& e) {
      EXPECT_NE(line, 0) << e.what() << " for " << t;
      EXPECT_EQ(std::string(e.what()), "Invalid binary value on line " + std::to_string(line)) << t;
    }
    if (line != 0 || t.find('}') != t.size() - 1) continue;
    // The same value inside a form: tag, length, bytes.
    const std::string bin = TextToBinary("object A: TB\r\n  Blob = " + t + "\r\nend\r\n");
    const std::string head = std::string("\x04" "Blob", 5) + char(vaBinary);
    const size_t at = bin.find(head);
    ASSERT_NE(at, std::string::npos);
    int32_t len = 0;
    std::memcpy(&len, bin.data() + at + head.size(), 4);
    ASSERT_EQ(size_t(len), bytes.size());
    EXPECT_EQ(bin.substr(at + head.size() + 4, bytes.size()), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(bin.size(), at + head.size() + 4 + bytes.size() + 2) << "the list ends follow the bytes";
  }
}

}  // namespace t_form_text_test
