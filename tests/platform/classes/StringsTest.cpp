#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "tests/common/TestSupport.h"

namespace t_strings_test {

using namespace vcl;

namespace {

std::vector<String> Items(TStrings& s) {
  std::vector<String> r;
  for (Integer i = 0; i < s.Count(); ++i) r.push_back(s[i]);
  return r;
}

using V = std::vector<String>;

struct TEventLog {
  std::vector<std::string> Lines;
  void Changing(TObject*) { Lines.push_back("changing"); }
  void Change(TObject*) { Lines.push_back("change"); }
};

class TCounted : public TObject {
  QN_CLASS(TCounted, TObject)
 public:
  explicit TCounted(int* alive) : FAlive(alive) { ++*FAlive; }
  ~TCounted() override { --*FAlive; }

 private:
  int* FAlive;
};

}  // namespace

TEST(Platform_Strings, TextJoinsWithCrLfAndSplitsAtEveryLineBreak) {
  TStringList l;
  l.SetText(u"a\r\nb\nc\rd\r\n\r\ne");
  EXPECT_EQ(Items(l), (V{u"a", u"b", u"c", u"d", u"", u"e"}));
  EXPECT_EQ(l.Text(), u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  l.SetText(u"x\r\n");
  EXPECT_EQ(Items(l), (V{u"x"}));  // the trailing break ends the line, no empty item
  l.SetText(u"\n\r");  // LF then CR: two line ends
  EXPECT_EQ(Items(l), (V{u"", u""}));
  l.SetText(u"");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Text(), u"");
  l.SetLineBreak(u"|");
  l.SetText(u"p|q\r\nr");
  EXPECT_EQ(Items(l), (V{u"p", u"q\r\nr"}));
  EXPECT_EQ(l.Text(), u"p|q\r\nr|");
}

TEST(Platform_Strings, NamesAndValues) {
  TStringList l;
  l.SetText(u"Left=10\nTop=20\nplain\nEmpty=");
  EXPECT_EQ(l.Names(0), u"Left");
  EXPECT_EQ(l.Names(2), u"");
  EXPECT_EQ(l.ValueFromIndex(1), u"20");
  EXPECT_EQ(l.ValueFromIndex(2), u"");  // no separator, no value
  EXPECT_EQ(l.Values(u"TOP"), u"20");   // names compare without case
  EXPECT_EQ(l.IndexOfName(u"empty"), 3);
  l.SetValues(u"Width", u"5");
  EXPECT_EQ(l[4], u"Width=5");
  l.SetValues(u"left", u"11");
  EXPECT_EQ(l[0], u"left=11");
  l.SetValues(u"Top", u"");  // an empty value deletes
  EXPECT_EQ(l.IndexOfName(u"Top"), -1);
  l.SetValueFromIndex(0, u"12");
  EXPECT_EQ(l[0], u"left=12");
  l.SetNameValueSeparator(u':');
  l.AddPair(u"k", u"v");
  EXPECT_EQ(l.Values(u"k"), u"v");
  EXPECT_EQ(l.IndexOf(u"K:V"), l.Count() - 1);
  l.SetValueFromIndex(-1, u"new");
  EXPECT_EQ(l[l.Count() - 1], u":new");
}

TEST(Platform_Strings, SortedListsFindAndHandleDuplicates) {
  TStringList l;
  l.SetSorted(true);
  for (const char16_t* s : {u"pear", u"Apple", u"fig", u"apple", u"banana"}) l.Add(s);
  EXPECT_EQ(Items(l), (V{u"Apple", u"banana", u"fig", u"pear"}));  // "apple" ignored
  Integer i = -1;
  EXPECT_TRUE(l.Find(u"FIG", i));
  EXPECT_EQ(i, 2);
  EXPECT_FALSE(l.Find(u"cherry", i));
  EXPECT_EQ(i, 2);
  EXPECT_EQ(l.IndexOf(u"PEAR"), 3);
  EXPECT_EQ(l.Add(u"BANANA"), 1);  // dupIgnore: the index of the one there
  l.SetDuplicates(dupError);
  try {
    l.Add(u"fig");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"String list does not allow duplicates");
  }
  l.SetDuplicates(dupAccept);
  l.Add(u"FIG");
  l.Add(u"fig");
  EXPECT_EQ(l.Count(), 6);
  EXPECT_TRUE(l.Find(u"fig", i));
  EXPECT_EQ(i, 2);  // the first of equal ones
  try {
    l.Insert(0, u"x");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"Operation not allowed on sorted list");
  }
  EXPECT_THROW(l.SetStrings(0, u"x"), EStringListError);
  EXPECT_THROW(l.Move(0, 1), EStringListError);
  EXPECT_EQ(l.Count(), 6);  // a refused move loses nothing
  l.SetDuplicates(dupIgnore);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf(u"FIG"), 4);  // small before capital when case counts
  EXPECT_EQ(l.IndexOf(u"fiG"), -1);
  EXPECT_EQ(l[3], u"fig");

  TStringList u;
  for (const char16_t* s : {u"b", u"C", u"a"}) u.Add(s);
  EXPECT_EQ(u.IndexOf(u"c"), 1);
  u.Sort();
  EXPECT_EQ(Items(u), (V{u"a", u"b", u"C"}));
  u.CustomSort([](TStringList* L, Integer a, Integer b) { return L->CompareStrings(L->Get(b), L->Get(a)); });
  EXPECT_EQ(Items(u), (V{u"C", u"b", u"a"}));
}

TEST(Platform_Strings, PropertySortedListMatchesAReference) {
  std::mt19937 rng(11);
  for (int round = 0; round < 50; ++round) {
    TStringList l;
    l.SetSorted(true);
    auto dup = static_cast<TDuplicates>(rng() % 2 ? 0 : 1);  // dupIgnore or dupAccept
    l.SetDuplicates(dup);
    std::vector<std::u16string> ref;
    for (int k = 0; k < 40; ++k) {
      String s;
      for (int n = rng() % 3 + 1; n > 0; --n) s += static_cast<char16_t>(u"aAbB"[rng() % 4]);
      auto lower = [](String x) {
        for (auto& c : x) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
        return x;
      };
      bool present = false;
      for (auto& r : ref) present |= lower(r) == lower(s);
      if (dup == dupAccept || !present) ref.push_back(s);
      l.Add(s);
      ASSERT_EQ(l.Count(), static_cast<Integer>(ref.size()));
    }
    for (Integer i = 1; i < l.Count(); ++i) ASSERT_LE(l.CompareStrings(l[i - 1], l[i]), 0);
    for (auto& r : ref) {
      Integer idx = l.IndexOf(r);
      ASSERT_GE(idx, 0);
      ASSERT_EQ(l.CompareStrings(l[idx], r), 0);
    }
  }
}

TEST(Platform_Strings, DelimitedTextQuotesAsThePlatform) {
  TStringList l;
  for (const char16_t* s : {u"plain", u"with space", u"a,b", u"say \"hi\"", u"", u"tab\there"}) l.Add(s);
  EXPECT_EQ(l.CommaText(), u"plain,\"with space\",\"a,b\",\"say \"\"hi\"\"\",,\"tab\there\"");
  l.SetStrictDelimiter(true);
  EXPECT_EQ(l.CommaText(), u"plain,with space,\"a,b\",\"say \"\"hi\"\"\",,tab\there");
  l.Clear();
  l.Add(u"");
  EXPECT_EQ(l.CommaText(), u"\"\"");
  l.Clear();
  EXPECT_EQ(l.CommaText(), u"");
  l.SetDelimiter(u';');
  l.SetQuoteChar(u'\'');
  l.Add(u"it's");
  l.Add(u"x;y");
  EXPECT_EQ(l.DelimitedText(), u"'it''s';'x;y'");
  EXPECT_EQ(l.CommaText(), u"it's,x;y");
  EXPECT_EQ(l.Delimiter(), u';');  // CommaText leaves the settings as they were
}

TEST(Platform_Strings, DelimitedTextParsesAsThePlatform) {
  TStringList l;
  l.SetCommaText(u"  a b ,\"c, d\"  ,,e,");
  EXPECT_EQ(Items(l), (V{u"a", u"b", u"c, d", u"", u"e", u""}));
  l.SetCommaText(u"\"x\"\"y\"z,\"open");
  EXPECT_EQ(Items(l), (V{u"x\"y", u"z", u"open"}));  // text after a closing quote is an item of its own
  l.SetCommaText(u"a, ");
  EXPECT_EQ(Items(l), (V{u"a"}));
  l.SetCommaText(u"");
  EXPECT_EQ(l.Count(), 0);
  l.SetStrictDelimiter(true);
  l.SetCommaText(u" a b ,c");
  EXPECT_EQ(Items(l), (V{u" a b ", u"c"}));
}

TEST(Platform_Strings, PropertyDelimitedTextRoundTrips) {
  std::mt19937 rng(5);
  const char16_t alphabet[] = u"ab ,;|\"'\t\r\nx\u00E9\u4E16";
  const size_t letters = sizeof alphabet / sizeof alphabet[0] - 1;
  for (int round = 0; round < 3000; ++round) {
    TStringList src;
    bool strict = rng() % 2;
    // Blank delimiters are only unambiguous in strict mode.
    const char16_t* delims = strict ? u",;| \t" : u",;|";
    Char d = delims[rng() % (strict ? 5 : 3)];
    Char q = rng() % 4 ? u'"' : u'\'';
    src.SetStrictDelimiter(strict);
    src.SetDelimiter(d);
    src.SetQuoteChar(q);
    int n = rng() % 5;
    for (int i = 0; i < n; ++i) {
      String s;
      for (int k = rng() % 6; k > 0; --k) s += alphabet[rng() % letters];
      if (rng() % 20 == 0) s += u'\0';
      src.Add(s);
    }
    String text = src.DelimitedText();
    TStringList dst;
    dst.SetStrictDelimiter(strict);
    dst.SetDelimiter(d);
    dst.SetQuoteChar(q);
    dst.SetDelimitedText(text);
    ASSERT_EQ(Items(dst), Items(src)) << "text: " << ToUtf8(text) << " strict " << strict;
    if (d == u',' && q == u'"') {
      TStringList c;
      c.SetStrictDelimiter(strict);
      c.SetCommaText(src.CommaText());
      ASSERT_EQ(Items(c), Items(src));
    }
  }
}

TEST(Platform_Strings, ChangeEventsAndUpdateBrackets) {
  TEventLog log;
  TStringList l;
  l.OnChanging = TNotifyEvent(&log, &TEventLog::Changing);
  l.OnChange = TNotifyEvent(&log, &TEventLog::Change);
  l.Add(u"a");
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"changing", "change"}));
  log.Lines.clear();
  l.BeginUpdate();
  l.BeginUpdate();
  l.Add(u"b");
  l.Delete(0);
  l.EndUpdate();
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"changing"}));
  l.EndUpdate();
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"changing", "change"}));
  log.Lines.clear();
  l.SetText(u"x\ny\nz");  // one bracket for the whole text
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"changing", "change"}));
  log.Lines.clear();
  l.Clear();
  l.Clear();  // nothing to clear
  EXPECT_EQ(log.Lines.size(), 2u);
}

TEST(Platform_Strings, ObjectsMoveWithTheirStringsAndCanBeOwned) {
  int alive = 0;
  {
    TStringList l(true);
    l.AddObject(u"a", new TCounted(&alive));
    l.AddObject(u"b", new TCounted(&alive));
    l.AddObject(u"c", nullptr);
    TObject* a = l.Objects(0);
    l.Move(0, 2);
    EXPECT_EQ(l.Objects(2), a);
    EXPECT_EQ(alive, 2);  // a move frees nothing
    l.Exchange(0, 1);
    EXPECT_EQ(l[0], u"c");
    EXPECT_EQ(l.IndexOfObject(a), 2);
    l.Delete(2);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
  TStringList a, b;
  a.SetText(u"1\n2");
  a.SetDelimiter(u';');
  b.Assign(&a);
  EXPECT_TRUE(b.Equals(&a));
  EXPECT_EQ(b.Delimiter(), u';');
  b.Assign(&b);
  EXPECT_EQ(b.Count(), 2);
  b.AddStrings(&a);
  EXPECT_EQ(b.Count(), 4);
  b.SetStrings(0, u"one");
  EXPECT_FALSE(b.Equals(&a));
  EXPECT_THROW(b.Strings(4), EStringListError);
  EXPECT_THROW(b.Objects(-1), EStringListError);
  TCollection notStrings(TCollectionItem::StaticClass());
  EXPECT_THROW(b.Assign(&notStrings), EConvertError);
}

TEST(Platform_Strings, FilesKeepTheirEncoding) {
  std::string dir = qntest::MakeTempDir("strings");
  String name = FromUtf8(dir + "/t.txt");
  TStringList l;
  l.SetText(u"h\u00E9llo\nw\u00F6rld");
  l.SaveToFile(name);
  EXPECT_EQ(std::filesystem::file_size(dir + "/t.txt"), 16u);  // UTF-8, no mark
  TStringList r;
  r.LoadFromFile(name);
  EXPECT_TRUE(r.Equals(&l));
  EXPECT_EQ(r.Encoding(), TTextEncoding::Default);

  l.SaveToFile(name, TTextEncoding::Unicode);
  EXPECT_EQ(std::filesystem::file_size(dir + "/t.txt"), 2u + 2u * 14u);
  r.LoadFromFile(name);
  EXPECT_TRUE(r.Equals(&l));
  EXPECT_EQ(r.Encoding(), TTextEncoding::Unicode);
  r.SaveToFile(name);  // saved back as it came
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(static_cast<const Byte*>(m.Memory())[0], 0xFF);

  l.SaveToFile(name, TTextEncoding::UTF8);
  m.LoadFromFile(name);
  EXPECT_EQ(static_cast<const Byte*>(m.Memory())[0], 0xEF);
  r.LoadFromFile(name);
  EXPECT_EQ(r[0], u"h\u00E9llo");

  // Loading reads from the stream's position on.
  TStringStream s(u"skip\r\nkeep\r\n");
  s.SetPosition(6);
  r.LoadFromStream(&s);
  EXPECT_EQ(Items(r), (V{u"keep"}));
  EXPECT_THROW(r.LoadFromFile(FromUtf8(dir + "/missing.txt")), EFOpenError);
  EXPECT_EQ(Items(r), (V{u"keep"}));
  std::filesystem::remove_all(dir);
}

}  // namespace t_strings_test
