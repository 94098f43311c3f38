#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <unordered_map>
#include <vector>

#include "xml/sdStringTable_qn.h"

namespace t_sd_string_table_test {

using namespace qn;

namespace {

std::string Bytes(std::initializer_list<int> bs) {
  std::string s;
  for (int b : bs) s += static_cast<char>(b);
  return s;
}

std::string CardinalImage(Cardinal v) {
  TsdFastMemStream m;
  sdStreamWriteCardinal(&m, v);
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

Cardinal ReadCardinal(const std::string& bytes) {
  TsdStringStream s(bytes);
  return sdStreamReadCardinal(&s);
}

struct TRecorder {
  std::vector<std::pair<TsdWarnStyle, UTF8String>> Got;
  TsdDebugEvent Event() {
    return TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) { Got.push_back({w, m}); });
  }
};

}  // namespace

TEST(sdStringTable_qn, EqualStringsShareIdsExactly) {
  // Random byte strings, many repeated, with NUL and high bytes; the
  // reference is a map from content to the first id handed out.
  std::mt19937 rng(5);
  std::vector<std::string> pool;
  for (int i = 0; i < 4000; ++i) {
    std::string s(rng() % 12, '\0');
    for (auto& c : s) c = static_cast<char>(rng() % 4 == 0 ? rng() % 3 : rng());
    pool.push_back(s);
  }
  TsdSymbolTable t(nullptr);
  std::map<std::string, Integer> ref;
  for (int i = 0; i < 20000; ++i) {
    const std::string& s = pool[rng() % pool.size()];
    Integer id = t.AddString(s);
    if (s.empty()) {
      ASSERT_EQ(id, 0);
      continue;
    }
    auto [it, fresh] = ref.emplace(s, id);
    if (fresh) ASSERT_EQ(id, static_cast<Integer>(ref.size()));  // new text gets the next id
    else ASSERT_EQ(id, it->second);
  }
  ASSERT_EQ(t.GetSymbolCount(), static_cast<Integer>(ref.size()));
  for (const auto& [s, id] : ref) ASSERT_EQ(t.GetString(id), s);
  EXPECT_EQ(t.GetString(0), "");
  EXPECT_EQ(t.GetString(-4), "");
}

TEST(sdStringTable_qn, NearlyEqualStringsAndRenumberedIds) {
  // Strings of one length that differ in a single byte anywhere (the quick
  // look-ups key on length and end bytes), across the word sizes short
  // strings are compared in; after a sort by use, adding known text again
  // answers the new ids.
  std::mt19937 rng(21);
  TsdSymbolTable t(nullptr);
  std::map<std::string, Integer> ref;
  for (int i = 0; i < 30000; ++i) {
    std::string s(1 + rng() % 40, 'a');
    s[rng() % s.size()] = static_cast<char>('a' + rng() % 3);
    Integer id = t.AddString(s);
    auto [it, fresh] = ref.emplace(s, id);
    if (fresh) ASSERT_EQ(id, static_cast<Integer>(ref.size()));
    else ASSERT_EQ(id, it->second) << s;
  }
  for (const auto& [s, id] : ref) t.IncrementFrequency(id);
  t.IncrementFrequency(ref.rbegin()->second);
  t.IncrementFrequency(ref.rbegin()->second);
  std::vector<Integer> renumber(t.GetSymbolCount() + 1);
  t.SortByFrequency(renumber);
  for (const auto& [s, id] : ref) ASSERT_EQ(t.AddString(s), renumber[id]) << s;
  EXPECT_EQ(t.AddString(ref.rbegin()->first), 1);
  EXPECT_EQ(t.GetSymbolCount(), static_cast<Integer>(ref.size()));
}

// A watch that passes text with an '&' (the table hands it only such text
// and text of more than 16 bytes).
bool HasAmp(std::string_view S) { return S.find('&') != std::string_view::npos; }

TEST(sdStringTable_qn, ClearedTableStartsOverAndKnowsItsBytes) {
  // Rounds of different sizes on one table (a document loaded again and
  // again): each round hands out ids from 1 as a fresh table would, finds
  // nothing of the rounds before, and the watch counts this round's
  // symbols only, over several byte blocks.
  std::mt19937 rng(9);
  TsdSymbolTable t(nullptr);
  ASSERT_TRUE(t.SetWatch('&', HasAmp));
  for (int round = 0; round < 6; ++round) {
    t.Clear();
    const int count = round % 2 ? 300 : 9000;
    const char mark = round % 3 == 0 ? '&' : 0;
    std::map<std::string, Integer> ref;
    size_t amps = 0;
    for (int i = 0; i < count; ++i) {
      std::string s = "r" + std::to_string(round) + "-" + std::to_string(rng() % (count / 2)) + std::string(rng() % 20, 'x');
      if (mark && i == 7) s += mark;  // one '&' near the start, in the first block
      if (round == 1 && i == count - 1) s += '&';  // and one at the very end
      Integer id = t.AddString(s);
      auto [it, fresh] = ref.emplace(s, id);
      amps += fresh && HasAmp(s);
      if (fresh) ASSERT_EQ(id, static_cast<Integer>(ref.size()));
      else ASSERT_EQ(id, it->second);
    }
    ASSERT_EQ(t.GetSymbolCount(), static_cast<Integer>(ref.size()));
    for (const auto& [s, id] : ref) ASSERT_EQ(t.GetString(id), s);
    EXPECT_EQ(t.WatchedInUse(), amps) << round;
  }
  t.Clear();
  EXPECT_EQ(t.WatchedInUse(), 0u);
  // Only an empty table takes a watch: every symbol must have been seen.
  t.AddString("a&b");
  EXPECT_FALSE(t.SetWatch('&', HasAmp));
}

TEST(sdStringTable_qn, SymbolsKeptOverAClearAreNotSeen) {
  // A Clear may keep symbols for the next document. Documents drawn from a
  // few pools (the same one again, an overlapping one, a disjoint one, one
  // much larger or smaller) go through one table and, each, through a fresh
  // one: ids, counts, texts, the watched symbols in use, the sort by use and
  // the stream form agree, and text kept from before is never answered with
  // a stale id.
  std::mt19937 rng(17);
  std::vector<std::vector<std::string>> pools(4);
  for (size_t k = 0; k < pools.size(); ++k)
    for (int i = 0, n = k == 3 ? 5000 : 200; i < n; ++i)
      pools[k].push_back((i % 3 ? "p" : "shared") + std::to_string(k == 1 && i % 2 ? 0 : k) + "-" +
                         std::to_string(i) + (i % 17 == 0 ? "&amp;" : "") + (k == 2 && i % 50 == 0 ? "%" : "") +
                         std::string(rng() % 30, 'y'));
  TsdSymbolTable t(nullptr);
  ASSERT_TRUE(t.SetWatch('&', HasAmp));
  for (int round = 0; round < 40; ++round) {
    const std::vector<std::string>& pool = pools[round < 4 ? 0 : rng() % pools.size()];
    std::vector<std::string> doc;
    for (size_t i = 0, n = 1 + rng() % (pool.size() * 2); i < n; ++i) doc.push_back(pool[rng() % pool.size()]);
    if (round % 5 == 4) doc.clear();  // an empty document in between
    t.Clear();
    TsdSymbolTable fresh(nullptr);
    fresh.SetWatch('&', HasAmp);
    for (const std::string& s : doc) ASSERT_EQ(t.AddString(s), fresh.AddString(s)) << round << " " << s;
    ASSERT_EQ(t.GetSymbolCount(), fresh.GetSymbolCount()) << round;
    for (Integer id = 1; id <= fresh.GetSymbolCount(); ++id) ASSERT_EQ(t.GetView(id), fresh.GetView(id));
    EXPECT_EQ(t.GetView(fresh.GetSymbolCount() + 1), "");
    std::set<std::string> distinct(doc.begin(), doc.end());
    EXPECT_EQ(t.WatchedInUse(), static_cast<size_t>(std::count_if(distinct.begin(), distinct.end(), HasAmp)))
        << round;
    EXPECT_EQ(t.WatchedInUse(), fresh.WatchedInUse()) << round;
    if (round % 7 == 6) {
      for (Integer id = 1; id <= fresh.GetSymbolCount(); id += 3) {
        t.IncrementFrequency(id);
        t.IncrementFrequency(id);
        fresh.IncrementFrequency(id);
        fresh.IncrementFrequency(id);
      }
      std::vector<Integer> a(fresh.GetSymbolCount() + 1), b(fresh.GetSymbolCount() + 1);
      t.SortByFrequency(a);
      fresh.SortByFrequency(b);
      ASSERT_EQ(a, b);
      TsdFastMemStream ms, mf;
      t.SaveToStream(&ms, t.GetSymbolCount());
      fresh.SaveToStream(&mf, fresh.GetSymbolCount());
      ASSERT_EQ(ms.Size(), mf.Size());
      ASSERT_EQ(std::memcmp(ms.Memory(), mf.Memory(), static_cast<size_t>(ms.Size())), 0);
      // A table read from a stream holds exactly the stream's symbols.
      ms.SetPosition(0);
      t.LoadFromStream(&ms);
      ASSERT_EQ(t.GetSymbolCount(), fresh.GetSymbolCount());
      EXPECT_EQ(t.WatchedInUse(), fresh.WatchedInUse()) << round;
      for (const std::string& s : doc) ASSERT_EQ(t.AddString(s), fresh.AddString(s));
    }
  }
}

TEST(sdStringTable_qn, RepeatedRunsAnswerAsAFreshTable) {
  // Documents made of runs that come back in the same order (a name, its
  // attributes and value, the indentation), with text unique to each line
  // and runs that share their first symbols but go on differently: loaded
  // again and again into one table, between clears that keep the symbols,
  // a document large enough to make the table start over, a sort by use
  // and a table read from a stream with a duplicate symbol, every id is the
  // one a fresh table gives.
  std::mt19937 rng(33);
  auto document = [&](int lines, int variant) {
    std::vector<std::string> d;
    for (int i = 0; i < lines; ++i) {
      d.push_back("\n  ");
      d.push_back("Item" + std::to_string(i % (7 + variant)));
      d.push_back("kind");
      d.push_back(i % 3 ? "int" : "str");
      d.push_back(std::to_string(i * 37 + variant));
      if (i % 5 == variant % 5) d.push_back("note" + std::to_string(rng() % 4));
    }
    return d;
  };
  TsdSymbolTable t(nullptr);
  for (int round = 0; round < 24; ++round) {
    std::vector<std::string> doc = document(round % 6 == 5 ? 20000 : 60 + round % 3, round % 4);
    t.Clear();
    TsdSymbolTable fresh(nullptr);
    fresh.SetWatch('&', HasAmp);
    for (const std::string& s : doc) ASSERT_EQ(t.AddString(s), fresh.AddString(s)) << round << " " << s;
    ASSERT_EQ(t.GetSymbolCount(), fresh.GetSymbolCount()) << round;
    for (Integer id = 1; id <= fresh.GetSymbolCount(); ++id) ASSERT_EQ(t.GetView(id), fresh.GetView(id));
    if (round % 8 == 3) {
      // Renumbered ids are the ones the runs find afterwards.
      for (Integer id = 2; id <= fresh.GetSymbolCount(); id += 2) {
        t.IncrementFrequency(id);
        fresh.IncrementFrequency(id);
      }
      std::vector<Integer> a(fresh.GetSymbolCount() + 1), b(fresh.GetSymbolCount() + 1);
      t.SortByFrequency(a);
      fresh.SortByFrequency(b);
      ASSERT_EQ(a, b);
      for (const std::string& s : doc) ASSERT_EQ(t.AddString(s), fresh.AddString(s)) << round << " " << s;
    }
    if (round % 8 == 6) {
      // A stored table listing "kind" twice: only the first is ever given.
      TsdFastMemStream m;
      sdStreamWriteCardinal(&m, 3);
      for (const char* s : {"kind", "int", "kind"}) {
        sdStreamWriteCardinal(&m, 0);
        sdStreamWriteCardinal(&m, static_cast<Cardinal>(std::strlen(s)));
        sdStreamWriteString(&m, s);
      }
      m.SetPosition(0);
      t.LoadFromStream(&m);
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(t.AddString("\n  "), 4);
        EXPECT_EQ(t.AddString("kind"), 1);
        EXPECT_EQ(t.AddString("int"), 2);
      }
      EXPECT_EQ(t.GetSymbolCount(), 4);
    }
  }
}

TEST(sdStringTable_qn, FrequencySortAndStreamForm) {
  TRecorder rec;
  TsdSymbolTable t(nullptr);
  t.SetOnDebugOut(rec.Event());
  Integer a = t.AddString("a"), b = t.AddString("bb"), c = t.AddString("ccc");
  for (int i = 0; i < 3; ++i) t.IncrementFrequency(a);
  t.IncrementFrequency(b);
  for (int i = 0; i < 2; ++i) t.IncrementFrequency(c);
  std::vector<Integer> newIds(4, 0);
  t.SortByFrequency(newIds);
  EXPECT_EQ(t.PluralSymbolCount(), 2);
  EXPECT_EQ(newIds, (std::vector<Integer>{0, 1, 3, 2}));
  EXPECT_EQ(t.GetString(1), "a");
  EXPECT_EQ(t.GetString(2), "ccc");
  EXPECT_EQ(t.GetString(3), "bb");
  EXPECT_EQ(t.Symbol(1)->FFreq, 3u);

  TsdFastMemStream m;
  t.SaveToStream(&m, 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size())),
            Bytes({2, 0, 1, 'a', 0, 3, 'c', 'c', 'c'}));
  m.SetPosition(0);
  TsdSymbolTable u(nullptr);
  u.AddString("old");
  u.LoadFromStream(&m);
  EXPECT_EQ(u.GetSymbolCount(), 2);
  EXPECT_EQ(u.AddString("ccc"), 2);  // found through the rebuilt index
  EXPECT_EQ(u.AddString("old"), 3);

  // Reports: an id past the end, id 0 on save, a duplicate on load.
  EXPECT_EQ(t.GetString(9), "");
  TsdFastMemStream dup;
  sdStreamWriteCardinal(&dup, 2);
  for (int i = 0; i < 2; ++i) {
    sdStreamWriteCardinal(&dup, 0);
    sdStreamWriteCardinal(&dup, 1);
    sdStreamWriteString(&dup, "z");
  }
  dup.SetPosition(0);
  t.LoadFromStream(&dup);
  EXPECT_EQ(t.GetSymbolCount(), 2);
  ASSERT_EQ(rec.Got.size(), 2u);
  EXPECT_EQ(rec.Got[0], std::make_pair(wsWarn, UTF8String("string ID not found")));
  EXPECT_EQ(rec.Got[1], std::make_pair(wsFail, UTF8String("duplicate symbol!")));
}

TEST(sdStringTable_qn, CardinalCoding) {
  EXPECT_EQ(CardinalImage(0), Bytes({0x00}));
  EXPECT_EQ(CardinalImage(127), Bytes({0x7F}));
  EXPECT_EQ(CardinalImage(128), Bytes({0x80, 0x01}));
  EXPECT_EQ(CardinalImage(300), Bytes({0xAC, 0x02}));
  EXPECT_EQ(CardinalImage(1u << 28), Bytes({0x80, 0x80, 0x80, 0x80, 0x01}));
  EXPECT_EQ(CardinalImage(0xFFFFFFFFu), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
  std::mt19937 rng(9);
  for (int i = 0; i < 5000; ++i) {
    Cardinal v = static_cast<Cardinal>(rng()) >> (rng() % 32);
    ASSERT_EQ(ReadCardinal(CardinalImage(v)), v);
  }
  // The end of the stream inside a cardinal, a sixth group, bits beyond 32.
  EXPECT_THROW(ReadCardinal(Bytes({0x80, 0x80})), Exception);
  EXPECT_THROW(ReadCardinal(""), Exception);
  EXPECT_THROW(ReadCardinal(Bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x01})), Exception);
  EXPECT_THROW(ReadCardinal(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x1F})), Exception);
}

TEST(sdStringTable_qn, HostileTableStreamsFailCleanly) {
  // A symbol claiming 4 GB with three bytes behind it.
  TsdFastMemStream m;
  sdStreamWriteCardinal(&m, 1);
  sdStreamWriteCardinal(&m, 0);
  sdStreamWriteCardinal(&m, 0xFFFFFFF0u);
  sdStreamWriteString(&m, "abc");
  m.SetPosition(0);
  TsdSymbolTable t(nullptr);
  EXPECT_THROW(t.LoadFromStream(&m), EReadError);
  // A huge count with no symbols behind it.
  TsdFastMemStream n;
  sdStreamWriteCardinal(&n, 0xFFFFFFFFu);
  n.SetPosition(0);
  EXPECT_THROW(t.LoadFromStream(&n), Exception);
  // Every truncation of a valid stream fails without reading past it.
  TsdSymbolTable src(nullptr);
  src.AddString("alpha");
  src.AddString(std::string(200, 'b'));
  TsdFastMemStream full;
  src.SaveToStream(&full, 2);
  for (Int64 cut = 0; cut < full.Size(); ++cut) {
    TsdStringStream part(std::string(reinterpret_cast<const char*>(full.Memory()), static_cast<size_t>(cut)));
    EXPECT_THROW(t.LoadFromStream(&part), Exception) << cut;
  }
}

TEST(sdStringTable_qn, Utf16MemoryConversions) {
  const char16_t w[] = {u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xD800, u'z'};
  char out[32];
  Integer n = sdUtf16ToUtf8Mem(w, out, 7);
  EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBDz");
  const char* p = out;
  char16_t back[32];
  Integer units = sdUtf8ToUtf16Mem(p, back, n);
  EXPECT_EQ(p, out + n);
  EXPECT_EQ(std::u16string(back, static_cast<size_t>(units)), (std::u16string{u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xFFFD, u'z'}));
  // A truncated sequence at the end reads nothing past the count.
  const char cut[] = "x\xF0\x9F";
  p = cut;
  units = sdUtf8ToUtf16Mem(p, back, 3);
  EXPECT_EQ(std::u16string(back, static_cast<size_t>(units)), u"x\uFFFD");
  EXPECT_EQ(sdCompareByte(1, 2), -1);
  EXPECT_EQ(sdCompareInteger(5, -5), 1);
}

TEST(sdStringTable_qn, EverySymbolHandedOutIsALiveObject) {
  // Symbols are made in their block only when their place is first taken.
  // Tables of sizes around a block's end, emptied by a Clear that keeps
  // symbols, by one that drops them (a much larger document in between)
  // and by a stream, then filled again past what was made before: every
  // symbol is a whole TsdSymbol with its own text, and tables destroyed at
  // each of these stages free what they made (the sanitizer build checks).
  for (int count : {0, 1, 1023, 1024, 1025, 2049}) {
    TsdSymbolTable t(nullptr);
    auto fill = [&](int n, const std::string& tag) {
      for (int i = 0; i < n; ++i) ASSERT_EQ(t.AddString(tag + std::to_string(i)), i + 1);
      ASSERT_EQ(t.GetSymbolCount(), n);
      for (int i = 1; i <= n; ++i) {
        const TsdSymbol* s = t.Symbol(i);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->ClassType(), TsdSymbol::StaticClass());
        ASSERT_EQ(s->FID, i);
        ASSERT_EQ(s->View(), tag + std::to_string(i - 1));
      }
    };
    fill(count, "a");
    if (count == 1) continue;  // destroyed with one symbol made
    t.Clear();
    fill(count + 3, "a");  // the kept symbols and three new ones
    t.Clear();
    fill(3 * count + 5000, "b");
    t.Clear();
    fill(count / 2, "c");
    t.Clear();  // drops them all: far more kept than in use
    fill(count / 2, "c");
    TsdFastMemStream m;
    t.SaveToStream(&m, t.GetSymbolCount());
    m.SetPosition(0);
    t.LoadFromStream(&m);
    ASSERT_EQ(t.GetSymbolCount(), count / 2);
    for (int i = 0; i < count / 2; ++i) ASSERT_EQ(t.AddString("c" + std::to_string(i)), i + 1);
    ASSERT_EQ(t.AddString("d"), count / 2 + 1);
  }
}

TEST(sdStringTable_qn, TextsWithEqualTagsStayApart) {
  // The index keeps the high half of each text's hash and compares texts
  // only where those agree. Texts whose halves agree are found by brute
  // force among many (the table hashes with TsdSymbolHash), short and long
  // ones, and go into tables with other text around them, across growth
  // of the index and both kinds of clear: each keeps its own id.
  std::mt19937 rng(41);
  std::vector<std::pair<uint32_t, std::string>> all;
  for (int i = 0; i < 400000; ++i) {
    std::string s = std::to_string(i);
    s += std::string(rng() % 24, static_cast<char>('a' + rng() % 26));
    all.push_back({static_cast<uint32_t>(UInt64(TsdSymbolHash()(s)) >> 32), s});
  }
  std::sort(all.begin(), all.end());
  std::vector<std::string> equalTags;
  for (size_t i = 1; i < all.size(); ++i)
    if (all[i].first == all[i - 1].first) {
      equalTags.push_back(all[i - 1].second);
      equalTags.push_back(all[i].second);
    }
  ASSERT_GE(equalTags.size(), 4u);  // about 18 pairs are expected
  TsdSymbolTable t(nullptr);
  for (int round = 0; round < 4; ++round) {
    if (round == 3) {  // a large document first makes the next Clear start over
      for (int i = 0; i < 5000; ++i) t.AddString("big" + std::to_string(i));
    }
    t.Clear();
    std::unordered_map<std::string, Integer> ref;
    for (int i = 0; i < 3000; ++i) {
      const std::string& s = i % 3 ? all[rng() % all.size()].second : equalTags[rng() % equalTags.size()];
      Integer id = t.AddString(s);
      auto [it, fresh] = ref.emplace(s, id);
      if (fresh) ASSERT_EQ(id, static_cast<Integer>(ref.size())) << round << " " << s;
      else ASSERT_EQ(id, it->second) << round << " " << s;
    }
    for (const std::string& s : equalTags) ASSERT_EQ(t.GetView(t.AddString(s)), s);
  }
}

TEST(sdStringTable_qn, TextsOfEveryLengthAndStartingOver) {
  // Look-ups key texts of up to 16 bytes by their length and end words,
  // longer ones by those and their bytes: texts of each length up to 40
  // that differ in one byte anywhere, or only in length, are told apart.
  // A table read from streams again and again (a large one, then small
  // ones, one with empty text) forgets everything before each: the texts
  // come back with the ids of a fresh table.
  std::mt19937 rng(43);
  std::vector<std::string> pool;
  for (size_t n = 1; n <= 40; ++n) {
    std::string base(n, 'q');
    pool.push_back(base);
    for (size_t at = 0; at < n; ++at) {
      std::string s = base;
      s[at] = static_cast<char>(at % 2 ? 0 : 0xE9);
      pool.push_back(s);
    }
  }
  TsdSymbolTable t(nullptr);
  std::unordered_map<std::string, Integer> ref;
  for (int i = 0; i < 20000; ++i) {
    const std::string& s = pool[i < static_cast<int>(pool.size()) ? pool.size() - 1 - i : rng() % pool.size()];
    Integer id = t.AddString(s);
    auto [it, fresh] = ref.emplace(s, id);
    if (fresh) ASSERT_EQ(id, static_cast<Integer>(ref.size()));
    else ASSERT_EQ(id, it->second) << s.size();
  }
  ASSERT_EQ(ref.size(), pool.size());
  // Short texts are stored from their key words: the bytes come back.
  for (const auto& [s, id] : ref) ASSERT_EQ(t.GetView(id), s);
  // Enough of them to fill byte blocks to their last bytes, first met and
  // met again.
  for (int i = 0; i < 20000; ++i) {
    const std::string s = "many" + std::to_string(i * 7919 % 20000);
    ASSERT_EQ(t.GetView(t.AddString(s)), s);
  }
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(t.GetView(t.AddString("many" + std::to_string(i))), "many" + std::to_string(i));
  for (int cycle = 0; cycle < 30; ++cycle) {
    const std::string kept(static_cast<size_t>(cycle + 1), 'q');  // in the pool, and valid UTF-8 as streams keep it
    TsdFastMemStream m;
    sdStreamWriteCardinal(&m, 3);
    for (const std::string& s : {std::string(), std::string("x") + std::to_string(cycle), kept}) {
      sdStreamWriteCardinal(&m, 0);
      sdStreamWriteCardinal(&m, static_cast<Cardinal>(s.size()));
      sdStreamWriteString(&m, s);
    }
    m.SetPosition(0);
    t.LoadFromStream(&m);
    ASSERT_EQ(t.GetSymbolCount(), 3);
    ASSERT_EQ(t.AddString(kept), 3);
    // The stream's empty text takes id 1, which AddString never gives.
    TsdSymbolTable fresh(nullptr);
    fresh.AddString("x" + std::to_string(cycle));
    fresh.AddString(kept);
    for (int i = 0; i < 200; ++i) {
      const std::string& s = pool[rng() % pool.size()];
      ASSERT_EQ(t.AddString(s), fresh.AddString(s) + 1) << cycle << " " << s.size();
    }
    ASSERT_EQ(t.GetSymbolCount(), fresh.GetSymbolCount() + 1);
  }
}

TEST(sdStringTable_qn, TextsAddedFromPaddedTextMatchPlainAdds) {
  // The parser adds views into its text, whose key is read as 16 whole
  // bytes and masked to the text's length: texts of every length up to 40
  // at every offset of a block, with other bytes behind them, get the key
  // and the id that adding a copy of them gets, in a table that also
  // meets them through AddString and keeps them over a Clear.
  std::mt19937 rng(47);
  std::vector<char> block(64 + 40 + 16);
  TsdSymbolTable t(nullptr);
  for (int round = 0; round < 6; ++round) {
    t.Clear();
    std::unordered_map<std::string, Integer> ref;
    for (int i = 0; i < 4000; ++i) {
      for (char& c : block) c = static_cast<char>(rng() % 3 ? 'a' + rng() % 3 : rng());
      size_t n = rng() % 41, at = rng() % 64;
      std::string s(block.data() + at, n);
      if (n >= 1 && n <= 16) {
        sd_detail::TKey a = sd_detail::KeyOf(s.data(), n), b = sd_detail::KeyOfPadded(block.data() + at, n);
        ASSERT_TRUE(a.K0 == b.K0 && a.K1 == b.K1) << n << " at " << at;
      }
      Integer id = rng() % 2 ? t.AddPadded(std::string_view(block.data() + at, n)) : t.AddString(s);
      if (n == 0) {
        ASSERT_EQ(id, 0);
        continue;
      }
      auto [it, fresh] = ref.emplace(s, id);
      if (fresh) ASSERT_EQ(id, static_cast<Integer>(ref.size())) << round << " " << n;
      else ASSERT_EQ(id, it->second) << round << " " << n;
      ASSERT_EQ(t.GetView(id), s);
    }
  }
}

TEST(sdStringTable_qn, IndexGrowthAndKeptSymbolsAgainstAMap) {
  // The index fills to three quarters before it doubles. Random texts,
  // short and long, new and met again, are checked against a map when the
  // table holds just under, at and just over each filling point up to a
  // large table, every text added so far answering with its own id. Then
  // small tables cleared with their symbols kept meet old and new texts
  // mixed, past the index's next growth with the kept ones still in it:
  // ids follow first appearance as in a fresh table.
  std::mt19937 rng(53);
  auto text = [&rng] {
    std::string s(1 + rng() % (rng() % 4 ? 16 : 40), ' ');
    for (char& c : s) c = static_cast<char>(rng() % 4 ? 'a' + rng() % 6 : rng());
    return s;
  };
  std::vector<size_t> checks;
  for (size_t slots = 256; slots <= 131072; slots *= 2)
    for (size_t at : {slots / 4 * 3 - 1, slots / 4 * 3, slots / 4 * 3 + 1}) checks.push_back(at);
  TsdSymbolTable t(nullptr);
  std::unordered_map<std::string, Integer> ref;
  std::vector<const std::string*> order;
  for (size_t next = 0; next < checks.size();) {
    std::string s = rng() % 5 || order.empty() ? text() : *order[rng() % order.size()];
    Integer id = t.AddString(s);
    auto [it, fresh] = ref.emplace(s, id);
    if (fresh) {
      ASSERT_EQ(id, static_cast<Integer>(ref.size())) << s;
      order.push_back(&it->first);
    } else {
      ASSERT_EQ(id, it->second) << s;
    }
    if (ref.size() == checks[next]) {
      for (const std::string* k : order) ASSERT_EQ(t.AddString(*k), ref[*k]) << ref.size();
      ASSERT_EQ(t.GetSymbolCount(), static_cast<Integer>(ref.size()));
      ++next;
    }
  }
  for (size_t small : {150u, 190u, 380u, 700u}) {
    TsdSymbolTable k(nullptr);
    std::vector<std::string> before;
    for (size_t i = 0; i < small; ++i) {
      before.push_back(text());
      k.AddString(before.back());
    }
    for (int round = 0; round < 3; ++round) {
      k.Clear();
      ASSERT_EQ(k.GetSymbolCount(), 0);
      std::unordered_map<std::string, Integer> r;
      std::vector<std::string> now;
      for (size_t i = 0; i < 3 * small; ++i) {
        std::string s = rng() % 2 ? before[rng() % before.size()] : rng() % 3 || now.empty() ? text() : now[rng() % now.size()];
        Integer id = k.AddString(s);
        auto [it, fresh] = r.emplace(s, id);
        if (fresh) {
          ASSERT_EQ(id, static_cast<Integer>(r.size())) << small << " " << round;
          now.push_back(s);
        } else {
          ASSERT_EQ(id, it->second) << small << " " << round;
        }
        ASSERT_EQ(k.GetView(id), s);
      }
      for (const auto& [s, id] : r) ASSERT_EQ(k.AddString(s), id);
      before = now;
    }
  }
}

}  // namespace t_sd_string_table_test
