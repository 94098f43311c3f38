#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "platform/rtl/Character.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestSupport.h"

namespace t_sys_utils_test {

using namespace vcl;

namespace {
std::string U8(const String& s) { return ToUtf8(s); }
#define EXPECT_USTR(a, b) EXPECT_EQ(U8(a), U8(b))
}  // namespace

TEST(Platform_SysUtils, OneBasedRoutinesAtTheirEdges) {
  const String s = u"abcdef";
  EXPECT_USTR(Copy(s, 2, 3), u"bcd");
  EXPECT_USTR(Copy(s, 5, 100), u"ef");   // past the end: what is there
  EXPECT_USTR(Copy(s, 7, 1), u"");
  EXPECT_USTR(Copy(s, 0, 2), u"ab");     // index 0 counts from 1
  EXPECT_USTR(Copy(s, -5, 2), u"ab");
  EXPECT_USTR(Copy(s, 2, -1), u"");
  EXPECT_USTR(Copy(s, 3), u"cdef");
  EXPECT_USTR(Copy(s, 1, MaxInt), s);
  EXPECT_EQ(Pos(u"cd", s), 3);
  EXPECT_EQ(Pos(u"", s), 0);
  EXPECT_EQ(Pos(u"x", s), 0);
  EXPECT_EQ(Pos(u"a", u""), 0);
  EXPECT_EQ(PosEx(u"a", u"banana", 3), 4);
  EXPECT_EQ(PosEx(u"a", u"banana", 7), 0);
  EXPECT_EQ(PosEx(u"a", u"banana", 0), 0);
  String d = s;
  Delete(d, 2, 2);
  EXPECT_USTR(d, u"adef");
  d = s;
  Delete(d, 5, 100);
  EXPECT_USTR(d, u"abcd");
  d = s;
  Delete(d, 7, 1);
  Delete(d, 0, 3);
  Delete(d, 2, 0);
  EXPECT_USTR(d, s);
  String ins = u"ac";
  Insert(u"b", ins, 2);
  EXPECT_USTR(ins, u"abc");
  Insert(u"<", ins, -3);
  Insert(u">", ins, 99);
  EXPECT_USTR(ins, u"<abc>");
  EXPECT_USTR(StringOfChar(u'x', 3), u"xxx");
  EXPECT_USTR(StringOfChar(u'x', -1), u"");
  EXPECT_EQ(Length(s), 6);
  String sl = s;
  SetLength(sl, 2);
  EXPECT_USTR(sl, u"ab");
  EXPECT_EQ(LastDelimiter(u"/.", u"a/b.c/d"), 6);
  EXPECT_EQ(LastDelimiter(u";", u"abc"), 0);
}

// Copy, Pos and Delete against std::u16string on random arguments.
TEST(Platform_SysUtils, OneBasedRoutinesMatchAReference) {
  UInt64 st = 99;
  auto next = [&](int n) {
    st = st * 6364136223846793005ULL + 1;
    return static_cast<int>((st >> 33) % static_cast<UInt64>(n));
  };
  for (int iter = 0; iter < 2000; ++iter) {
    String s;
    int len = next(8);
    for (int i = 0; i < len; ++i) s += static_cast<Char>(u'a' + next(3));
    int index = next(12) - 3, count = next(12) - 3;
    // Reference: clip index to >= 1, then take what exists.
    String ref;
    int from = index < 1 ? 1 : index;
    if (count > 0 && from <= len) ref = s.substr(static_cast<size_t>(from - 1), static_cast<size_t>(count));
    EXPECT_EQ(Copy(s, index, count), ref);
    String del = s, refDel = s;
    Delete(del, index, count);
    if (index >= 1 && index <= len && count > 0) refDel.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
    EXPECT_EQ(del, refDel);
    String sub = s.substr(0, static_cast<size_t>(next(3)));
    size_t f = sub.empty() ? String::npos : s.find(sub);
    EXPECT_EQ(Pos(sub, s), f == String::npos ? 0 : static_cast<Integer>(f) + 1);
  }
}

TEST(Platform_SysUtils, TrimAndCase) {
  EXPECT_USTR(Trim(u" \t\r\nab c \x01"), u"ab c");
  EXPECT_USTR(TrimLeft(u"  a "), u"a ");
  EXPECT_USTR(TrimRight(u"  a "), u"  a");
  EXPECT_USTR(Trim(u"\u00A0a"), u"\u00A0a");  // only control characters and the space
  EXPECT_USTR(UpperCase(u"abc\u00e9"), u"ABC\u00e9");
  EXPECT_USTR(LowerCase(u"ABC\u00c9"), u"abc\u00c9");
  EXPECT_USTR(AnsiUpperCase(u"stra\u00dfe \u00e9\u00ff \u0161 \u03b1\u03c2 \u0436\u0451 \u0563"),
              u"STRA\u00dfE \u00c9\u0178 \u0160 \u0391\u03a3 \u0416\u0401 \u0533");
  EXPECT_USTR(AnsiLowerCase(u"\u00c0\u0178\u0130\u0141\u0391\u038f\u0416\u0401\u04c1\uff21"),
              u"\u00e0\u00ffi\u0142\u03b1\u03ce\u0436\u0451\u04c2\uff41");
  // Case mapping round trips on every cased letter of the tables.
  for (Char c = 0x20; c < 0x2000; ++c) {
    Char u = ToUpper(c), l = ToLower(c);
    if (u != c && c != 0x131 && c != 0x17F && c != 0x3C2 && c != 0x1C5 && c != 0x1C8 && c != 0x1CB && c != 0x1F2) {
      EXPECT_EQ(ToLower(u), c) << std::hex << int(c);
    }
    if (l != c && c != 0x130 && c != 0x1C5 && c != 0x1C8 && c != 0x1CB && c != 0x1F2) {
      EXPECT_EQ(ToUpper(l), c) << std::hex << int(c);
    }
  }
}

TEST(Platform_SysUtils, Comparisons) {
  EXPECT_TRUE(CompareStr(u"a", u"b") < 0);
  EXPECT_TRUE(CompareStr(u"B", u"a") < 0);  // ordinal
  EXPECT_EQ(CompareStr(u"abc", u"ab"), 1);
  EXPECT_EQ(CompareText(u"ABC", u"abc"), 0);
  EXPECT_TRUE(CompareText(u"a", u"B") < 0);
  EXPECT_TRUE(SameText(u"Hello", u"hELLO"));
  EXPECT_FALSE(SameText(u"\u00e9", u"\u00c9"));  // ASCII only
  EXPECT_TRUE(AnsiSameText(u"\u00e9t\u00e9", u"\u00c9T\u00c9"));
  EXPECT_EQ(AnsiCompareText(u"\u00c9cole", u"\u00e9COLE"), 0);
  EXPECT_EQ(AnsiCompareText(u"\u00c9cole", u"ecole"), 1);  // accents still count
  EXPECT_EQ(AnsiCompareText(u"\u00c9cole", u"f"), -1);
  EXPECT_EQ(AnsiCompareText(u"abc", u"ABD"), -1);
  // Linguistic order: accents sort with their letter, case breaks ties lower first.
  EXPECT_EQ(AnsiCompareStr(u"\u00e9", u"f"), -1);
  EXPECT_EQ(AnsiCompareStr(u"e", u"\u00e9"), -1);
  EXPECT_EQ(AnsiCompareStr(u"a", u"A"), -1);
  EXPECT_EQ(AnsiCompareStr(u"A", u"b"), -1);
  EXPECT_EQ(AnsiCompareStr(u"x", u"x"), 0);
}

TEST(Platform_SysUtils, ReplaceAndQuote) {
  using F = TReplaceFlag;
  EXPECT_USTR(StringReplace(u"aXbxc", u"x", u"-", {}), u"aXb-c");
  EXPECT_USTR(StringReplace(u"aXbxc", u"x", u"-", {F::rfIgnoreCase}), u"a-bxc");
  EXPECT_USTR(StringReplace(u"aXbxc", u"x", u"-", {F::rfReplaceAll, F::rfIgnoreCase}), u"a-b-c");
  EXPECT_USTR(StringReplace(u"aaa", u"aa", u"b", {F::rfReplaceAll}), u"ba");
  EXPECT_USTR(StringReplace(u"abc", u"", u"x", {F::rfReplaceAll}), u"abc");
  EXPECT_USTR(StringReplace(u"\u00e9t\u00c9", u"\u00e9", u"e", {F::rfReplaceAll, F::rfIgnoreCase}), u"ete");
  EXPECT_USTR(ReplaceText(u"One one", u"ONE", u"1"), u"1 1");
  EXPECT_USTR(QuotedStr(u"it's"), u"'it''s'");
  EXPECT_USTR(AnsiQuotedStr(u"say \"hi\"", u'"'), u"\"say \"\"hi\"\"\"");
  EXPECT_USTR(AnsiDequotedStr(u"'it''s'", u'\''), u"it's");
  EXPECT_USTR(AnsiDequotedStr(u"'abc", u'\''), u"'abc");     // not closed: unchanged
  EXPECT_USTR(AnsiDequotedStr(u"abc", u'\''), u"abc");
  EXPECT_USTR(AnsiDequotedStr(u"'ab'c", u'\''), u"ab");
  EXPECT_USTR(AnsiDequotedStr(u"''", u'\''), u"");
  for (const char16_t* t : {u"", u"'", u"''''", u"a'b", u"x y"})
    EXPECT_USTR(AnsiDequotedStr(QuotedStr(t), u'\''), t);
  const Char* p = u"'a''b' rest";
  EXPECT_USTR(AnsiExtractQuotedStr(p, u'\''), u"a'b");
  EXPECT_USTR(String(p), u" rest");
  EXPECT_USTR(AdjustLineBreaks(u"a\rb\nc\r\nd"), u"a\r\nb\r\nc\r\nd");
}

TEST(Platform_SysUtils, StrUtils) {
  EXPECT_USTR(LeftStr(u"abcdef", 2), u"ab");
  EXPECT_USTR(RightStr(u"abcdef", 2), u"ef");
  EXPECT_USTR(RightStr(u"ab", 5), u"ab");
  EXPECT_USTR(MidStr(u"abcdef", 3, 2), u"cd");
  EXPECT_TRUE(StartsText(u"AB", u"abc"));
  EXPECT_FALSE(StartsStr(u"AB", u"abc"));
  EXPECT_TRUE(EndsText(u"C", u"abc"));
  EXPECT_FALSE(EndsStr(u"abcd", u"bcd"));
  EXPECT_TRUE(ContainsText(u"Hello", u"LL"));
  EXPECT_EQ(IndexText(u"b", {u"A", u"B"}), 1);
  EXPECT_EQ(IndexStr(u"b", {u"A", u"B"}), -1);
  EXPECT_USTR(DupeString(u"ab", 3), u"ababab");
  EXPECT_USTR(ReverseString(u"ab\U0001F600c"), u"c\U0001F600ba");
  auto parts = SplitString(u"a,,b;c", u",;");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_USTR(parts[1], u"");
  EXPECT_USTR(parts[3], u"c");
}

TEST(Platform_SysUtils, IntegerConversions) {
  EXPECT_EQ(StrToInt(u"$1F"), 31);
  EXPECT_EQ(StrToInt(u"0x1F"), 31);
  EXPECT_EQ(StrToInt(u"0X1f"), 31);
  EXPECT_EQ(StrToInt(u"-12"), -12);
  EXPECT_EQ(StrToInt(u"+7"), 7);
  EXPECT_EQ(StrToInt(u"-$10"), -16);
  EXPECT_EQ(StrToInt(u"$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt(u"2147483647"), 2147483647);
  EXPECT_EQ(StrToInt(u"-2147483648"), -2147483647 - 1);
  for (const char16_t* bad : {u" 1", u"1 ", u"", u"--1", u"-", u"$", u"0x", u"1.0", u"2147483648", u"$100000000",
                              u"12a", u"+-1", u"\uff11"}) {
    Integer v = 77;
    EXPECT_FALSE(TryStrToInt(bad, v)) << U8(bad);
    EXPECT_EQ(v, 77);
    EXPECT_EQ(StrToIntDef(bad, -9), -9);
  }
  try {
    StrToInt(u" 1");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_USTR(e.Message(), u"' 1' is not a valid integer value");
  }
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"4294967296"), 4294967296LL);
  EXPECT_THROW(StrToInt64(u"9223372036854775808"), EConvertError);
  UInt64 u;
  EXPECT_TRUE(TryStrToUInt64(u"18446744073709551615", u));
  EXPECT_EQ(u, ~UInt64(0));
  EXPECT_FALSE(TryStrToUInt64(u"18446744073709551616", u));
  EXPECT_USTR(IntToStr(-2147483647 - 1), u"-2147483648");
  EXPECT_USTR(IntToStr(std::numeric_limits<Int64>::min()), u"-9223372036854775808");
  EXPECT_USTR(IntToStr(Cardinal(4294967295u)), u"4294967295");
  EXPECT_USTR(IntToHex(-1, 4), u"FFFFFFFF");
  EXPECT_USTR(IntToHex(255, 4), u"00FF");
  EXPECT_USTR(IntToHex(Int64(-1), 1), u"FFFFFFFFFFFFFFFF");
  EXPECT_USTR(IntToHex(Byte(10), 1), u"A");
  EXPECT_USTR(IntToHex(0x1234), u"00001234");
  // Round trip through decimal and hexadecimal text.
  UInt64 st = 7;
  for (int i = 0; i < 1000; ++i) {
    st = st * 6364136223846793005ULL + 1442695040888963407ULL;
    Integer v = static_cast<Integer>(st >> 32);
    EXPECT_EQ(StrToInt(IntToStr(v)), v);
    EXPECT_EQ(StrToInt(u"$" + IntToHex(v, 1)), v);
    Int64 w = static_cast<Int64>(st);
    EXPECT_EQ(StrToInt64(IntToStr(w)), w);
  }
}

TEST(Platform_SysUtils, FloatAndBoolConversions) {
  EXPECT_DOUBLE_EQ(StrToFloat(u"1.5"), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloat(u" -2.5e3 "), -2500);
  EXPECT_DOUBLE_EQ(StrToFloat(u".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat(u"5."), 5);
  EXPECT_DOUBLE_EQ(StrToFloat(u"1E-400"), 0);
  EXPECT_TRUE(std::isinf(StrToFloat(u"-INF")));
  EXPECT_TRUE(std::isnan(StrToFloat(u"nan")));
  for (const char16_t* bad : {u"", u"1,5", u"e5", u"1e", u"1.5x", u"--1", u"1 2", u".", u"1e99999", u"-NAN"}) {
    Extended v = 3;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << U8(bad);
    EXPECT_EQ(v, 3);
  }
  Double dv;
  EXPECT_FALSE(TryStrToFloat(u"1e400", dv));  // beyond Double
  try {
    StrToFloat(u"abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_USTR(e.Message(), u"'abc' is not a valid floating point value");
  }
  TFormatSettings fs;
  fs.DecimalSeparator = u',';
  EXPECT_DOUBLE_EQ(StrToFloat(u"1,25", fs), 1.25);
  EXPECT_FALSE(TryStrToFloat(u"1.25", dv, fs));
  EXPECT_DOUBLE_EQ(StrToFloatDef(u"x", 4.5), 4.5);
  // FloatToStr then StrToFloat gives the value back to 15 digits.
  UInt64 st = 3;
  for (int i = 0; i < 500; ++i) {
    st = st * 6364136223846793005ULL + 1442695040888963407ULL;
    double v = static_cast<double>(static_cast<Int64>(st)) * std::pow(10.0, static_cast<int>(st % 40) - 30);
    double back = static_cast<double>(StrToFloat(FloatToStr(v)));
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << U8(FloatToStr(v));
  }

  EXPECT_USTR(BoolToStr(true), u"-1");
  EXPECT_USTR(BoolToStr(false), u"0");
  EXPECT_USTR(BoolToStr(true, true), u"True");
  EXPECT_TRUE(StrToBool(u"true"));
  EXPECT_FALSE(StrToBool(u"FALSE"));
  EXPECT_TRUE(StrToBool(u"-1"));
  EXPECT_TRUE(StrToBool(u"2"));
  EXPECT_FALSE(StrToBool(u"0"));
  EXPECT_THROW(StrToBool(u"yes"), EConvertError);
  EXPECT_TRUE(StrToBoolDef(u"?", true));
}

TEST(Platform_SysUtils, Characters) {
  EXPECT_TRUE(CharInSet(u'b', {'a', 'b'}));
  EXPECT_FALSE(CharInSet(u'\u0162', {'b'}));  // 0x162 is not 'b' (0x62)
  constexpr TSysCharSet digits = TSysCharSet::Range('0', '9');
  EXPECT_TRUE(CharInSet(u'7', digits));
  EXPECT_FALSE(CharInSet(u'a', digits));
  EXPECT_TRUE(CharInSet(u'a', digits + TSysCharSet{'a'}));
  EXPECT_TRUE(IsDigit(u'5'));
  EXPECT_TRUE(IsDigit(u'\u0663'));
  EXPECT_FALSE(IsDigit(u'a'));
  EXPECT_TRUE(IsLetter(u'\u00e9'));
  EXPECT_TRUE(IsLetter(u'\u4e2d'));
  EXPECT_TRUE(IsLetter(u'\u0416'));
  EXPECT_FALSE(IsLetter(u'1'));
  EXPECT_FALSE(IsLetter(u'\u00d7'));
  EXPECT_TRUE(IsUpper(u'\u0416'));
  EXPECT_TRUE(IsLower(u'\u00df'));
  EXPECT_TRUE(IsWhiteSpace(u'\u3000'));
  EXPECT_TRUE(IsPunctuation(u','));
  EXPECT_USTR(WideCharToString(u"abc"), u"abc");
  EXPECT_USTR(WideCharToString(nullptr), u"");
  EXPECT_USTR(WideCharLenToString(u"abcdef", 2), u"ab");
  EXPECT_USTR(UTF8ToString(UTF8Encode(u"\u00e9\U0001F600")), u"\u00e9\U0001F600");
}

TEST(Platform_SysUtils, PathRoutinesAcceptBothSeparators) {
  EXPECT_USTR(ExtractFilePath(u"C:\\dir\\sub\\file.txt"), u"C:\\dir\\sub\\");
  EXPECT_USTR(ExtractFilePath(u"/a/b/c.txt"), u"/a/b/");
  EXPECT_USTR(ExtractFilePath(u"a\\b/c"), u"a\\b/");
  EXPECT_USTR(ExtractFilePath(u"file"), u"");
  EXPECT_USTR(ExtractFileName(u"dir\\sub/file.tar.gz"), u"file.tar.gz");
  EXPECT_USTR(ExtractFileName(u"dir\\"), u"");
  EXPECT_USTR(ExtractFileDir(u"dir\\sub\\file"), u"dir\\sub");
  EXPECT_USTR(ExtractFileDir(u"/file"), u"/");
  EXPECT_USTR(ExtractFileDir(u"file"), u"");
  EXPECT_USTR(ExtractFileExt(u"a\\b.c\\file.tar.gz"), u".gz");
  EXPECT_USTR(ExtractFileExt(u"a.b\\file"), u"");
  EXPECT_USTR(ExtractFileExt(u"file."), u".");
  EXPECT_USTR(ChangeFileExt(u"a.b\\file", u".txt"), u"a.b\\file.txt");
  EXPECT_USTR(ChangeFileExt(u"dir/file.bmp", u".png"), u"dir/file.png");
  EXPECT_USTR(ChangeFileExt(u"file.bmp", u""), u"file");
  EXPECT_USTR(IncludeTrailingPathDelimiter(u"a\\b"), u"a\\b/");
  EXPECT_USTR(IncludeTrailingPathDelimiter(u"a\\b\\"), u"a\\b\\");
  EXPECT_USTR(IncludeTrailingPathDelimiter(u""), u"/");
  EXPECT_USTR(ExcludeTrailingPathDelimiter(u"a\\b\\"), u"a\\b");
  EXPECT_USTR(ExcludeTrailingPathDelimiter(u"a/b//"), u"a/b/");
  EXPECT_USTR(HostPath(u"a\\b\\c"), u"a/b/c");
  EXPECT_USTR(ExpandFileName(u"/a/./b/../c\\d"), u"/a/c/d");
  EXPECT_USTR(ExpandFileName(u"/.."), u"/");
  EXPECT_USTR(ExpandFileName(u""), u"");
  EXPECT_TRUE(IsPathDelimiter(u"a\\b", 2));
  EXPECT_FALSE(IsPathDelimiter(u"a\\b", 4));
}

TEST(Platform_SysUtils, FilesAndFolders) {
  const String root = FromUtf8(qntest::MakeTempDir("sysutils"));
  const String winRoot = StringReplace(root, u"/", u"\\", {TReplaceFlag::rfReplaceAll});
  EXPECT_TRUE(DirectoryExists(root));
  EXPECT_TRUE(DirectoryExists(winRoot));
  EXPECT_FALSE(FileExists(root));  // a folder is no file

  const String deep = winRoot + u"\\one\\two\\three";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(root + u"/one/two/three"));
  EXPECT_TRUE(ForceDirectories(deep + u"\\"));  // already there
  EXPECT_THROW(ForceDirectories(u""), EInOutError);

  const String file = deep + u"\\data.txt";
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(FileSize(file), -1);
  WriteAllText(file, u"h\u00e9llo", true);
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(FileSize(file), 3 + 6);
  EXPECT_USTR(ReadAllText(file), u"h\u00e9llo");
  TDateTime age;
  EXPECT_TRUE(FileAge(file, age));
  EXPECT_LT(std::fabs(age - Now()), 1.0);
  EXPECT_FALSE(FileAge(deep, age));

  // UTF-16 files with a byte order mark are read too.
  WriteAllBytes(file, TBytes{0xFF, 0xFE, 'h', 0, 0xE9, 0});
  EXPECT_USTR(ReadAllText(file), u"h\u00e9");
  WriteAllBytes(file, TBytes{0xFE, 0xFF, 0, 'h', 0x04, 0x16});
  EXPECT_USTR(ReadAllText(file), u"h\u0416");

  const String moved = deep + u"/moved.txt";
  EXPECT_TRUE(RenameFile(file, moved));
  EXPECT_FALSE(FileExists(file));
  WriteAllText(file, u"x");
  EXPECT_FALSE(RenameFile(file, moved));  // no replacing
  // Moving with replacement: only when asked, never over a folder.
  EXPECT_FALSE(MoveFileExW(file.c_str(), moved.c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(MoveFileExW(file.c_str(), deep.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(MoveFileExW(file.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_USTR(ReadAllText(moved), u"x");
  EXPECT_FALSE(MoveFileExW(file.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  WriteAllText(file, u"x");
  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(DeleteFile(file));
  EXPECT_FALSE(DeleteFile(deep));          // folders are not files
  EXPECT_FALSE(RemoveDir(deep));           // not empty
  EXPECT_TRUE(DeleteFile(moved));
  EXPECT_TRUE(RemoveDir(deep + u"\\"));
  EXPECT_TRUE(CreateDir(deep));
  EXPECT_FALSE(CreateDir(deep));
  EXPECT_THROW(ReadAllText(deep + u"/missing"), EFOpenError);
  EXPECT_THROW(ReadAllText(deep), EFOpenError);
  EXPECT_THROW(WriteAllText(root + u"/no/such/dir/f", u"x"), EFCreateError);

  SetTempPathOverride(winRoot);
  EXPECT_USTR(GetTempPath(), root + u"/");
  const String t1 = GetTempFileName(), t2 = GetTempFileName(u"", u"abc");
  EXPECT_NE(t1, t2);
  EXPECT_TRUE(FileExists(t1));
  EXPECT_USTR(ExtractFilePath(t1), root + u"/");
  EXPECT_TRUE(StartsStr(u"abc", ExtractFileName(t2)));
  EXPECT_USTR(ExtractFileExt(t2), u".tmp");
  SetTempPathOverride(u"");
  EXPECT_NE(GetTempPath(), root + u"/");

  const String cwd = GetCurrentDir();
  EXPECT_TRUE(SetCurrentDir(winRoot));
  EXPECT_USTR(ExpandFileName(u"x\\y"), GetCurrentDir() + u"/x/y");
  EXPECT_TRUE(SetCurrentDir(cwd));

  std::filesystem::remove_all(ToUtf8(root));
}

TEST(Platform_SysUtils, ModuleFileNameCanBeOverridden) {
  const String real = GetModuleFileName();
  EXPECT_TRUE(FileExists(real));
  EXPECT_USTR(ParamStr(0), real);
  EXPECT_GE(ParamCount(), 0);
  SetModuleFileNameOverride(u"C:\\apps\\demo.exe");
  EXPECT_USTR(ParamStr(0), u"C:/apps/demo.exe");
  EXPECT_USTR(ExtractFilePath(GetModuleFileName()), u"C:/apps/");
  SetModuleFileNameOverride(u"");
  EXPECT_USTR(GetModuleFileName(), real);
  EXPECT_USTR(ParamStr(-1), u"");
  EXPECT_USTR(ParamStr(100000), u"");
}

}  // namespace t_sys_utils_test
