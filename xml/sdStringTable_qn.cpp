#include "xml/sdStringTable_qn.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>

namespace qn {

namespace {

UInt64 ProcessSeed() {
  static const UInt64 seed = [] {
    std::random_device rd;
    return (UInt64(rd()) << 32) ^ rd() ^ 0x9E3779B97F4A7C15ull;
  }();
  return seed;
}

UInt64 Mix(UInt64 h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

inline UInt64 Load8(const char* p) {
  UInt64 w;
  std::memcpy(&w, p, 8);
  return w;
}

// 64 x 64 -> 128 bits, the halves folded: one multiply mixes two words.
inline UInt64 MulFold(UInt64 a, UInt64 b) {
  unsigned __int128 m = static_cast<unsigned __int128>(a) * b;
  return static_cast<UInt64>(m) ^ static_cast<UInt64>(m >> 64);
}

// The second seed word, from the first.
inline UInt64 SeedB(UInt64 Seed) { return Mix(Seed ^ 0x2545F4914F6CDD1Dull) | 1; }

using sd_detail::KeyOf;
using sd_detail::RecentOf;
using sd_detail::TKey;

[[gnu::always_inline]] inline size_t HashKeyed(const char* p, size_t n, UInt64 K0, UInt64 K1, UInt64 Seed,
                                               UInt64 Seed2) {
  // Up to 16 bytes the two key words are the whole text: one multiply.
  // Names and most text pieces are that short.
  UInt64 a = K0 ^ Seed ^ (n * 0x9E3779B97F4A7C15ull);
  if (n <= 16) return static_cast<size_t>(MulFold(a, K1 ^ Seed2));
  // Longer text: one multiply per eight bytes in two independent lanes, so
  // that the multiplies overlap, then a full mix; the last word (K1) is
  // taken whole, overlapping the others.
  // K0 is the first word, so the words between start at 8 and end where K1
  // starts; the last of them may overlap the one before.
  UInt64 h1 = a, h2 = Seed2 ^ K1;
  const size_t m = n - 8;
  size_t i = 8;
  for (; i + 16 <= m; i += 16) {
    h1 = (h1 ^ Load8(p + i)) * 0x9FB21C651E98DF25ull;
    h2 = (h2 ^ Load8(p + i + 8)) * 0xC2B2AE3D27D4EB4Full;
    h1 ^= h1 >> 29;
    h2 ^= h2 >> 31;
  }
  if (i + 8 <= m) {
    h1 = (h1 ^ Load8(p + i)) * 0x9FB21C651E98DF25ull;
    h1 ^= h1 >> 29;
    i += 8;
  }
  if (i < m) {
    h2 = (h2 ^ Load8(p + m - 8)) * 0xC2B2AE3D27D4EB4Full;
    h2 ^= h2 >> 31;
  }
  return static_cast<size_t>(Mix(h1 ^ MulFold(h2, Seed | 1)));
}

inline size_t HashWithSeed(std::string_view s, UInt64 Seed, UInt64 Seed2) {
  if (s.empty()) return static_cast<size_t>(Mix(Seed));
  TKey k = KeyOf(s.data(), s.size());
  return HashKeyed(s.data(), s.size(), k.K0, k.K1, Seed, Seed2);
}

// Whether the first and the last word of two runs of N bytes agree: for N
// from sizeof(W) to twice that, the whole runs, without a loop.
template <class W>
inline bool SameEnds(const char* a, const char* b, size_t n) {
  W a0, b0, a1, b1;
  std::memcpy(&a0, a, sizeof(W));
  std::memcpy(&b0, b, sizeof(W));
  std::memcpy(&a1, a + n - sizeof(W), sizeof(W));
  std::memcpy(&b1, b + n - sizeof(W), sizeof(W));
  return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

// The same bytes, compared inline for the short ones names and text pieces
// mostly are.
inline bool SameBytes(const char* a, const char* b, size_t n) {
  if (n >= 8 && n <= 16) return SameEnds<UInt64>(a, b, n);
  if (n >= 4 && n < 8) return SameEnds<uint32_t>(a, b, n);
  if (n < 4) {
    for (size_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  return std::memcmp(a, b, n) == 0;
}

}  // namespace

size_t TsdSymbolHash::operator()(std::string_view s) const noexcept {
  return HashWithSeed(s, ProcessSeed(), SeedB(ProcessSeed()));
}

TsdSymbolTable::TsdSymbolTable(TComponent* AOwner)
    : TDebugComponent(AOwner), FSeed(ProcessSeed()), FSeed2(SeedB(FSeed)) {
  std::memset(static_cast<void*>(FRecent), 0, sizeof FRecent);
}

TsdSymbolTable::~TsdSymbolTable() {
  // Every symbol made here is a TsdSymbol itself: the call is direct, and
  // empty as long as the symbol owns nothing, so the loop goes away.
  for (size_t i = 0; i < FSymbolsMade; ++i) SymbolAt(i)->TsdSymbol::~TsdSymbol();
}

namespace {
constexpr size_t kByteBlock = 64 * 1024;
// Room behind each byte block's end, so that 16 bytes can be read from any
// symbol's first byte and written at the first free one, and a watch test
// can read on past a symbol's end (see SetWatch).
constexpr size_t kBytePad = 64;
// The most memory a Clear keeps symbols in for the next document (see
// Clear): about what a core's own cache holds.
constexpr size_t kKeptTableBytes = 512 * 1024;
// The id list grown by one entry, out of line: the callers stay small.
[[gnu::noinline]] void PushGrowing(std::vector<TsdSymbol*>& List, TsdSymbol* Sym) { List.push_back(Sym); }
}  // namespace

[[gnu::always_inline]] inline TsdSymbol* TsdSymbolTable::InitSymbol(TsdSymbol* Sym, const char* Bytes, size_t Count) {
  Sym->FFirst = Bytes;
  Sym->FCharCount = static_cast<Integer>(Count);
  Sym->FFreq = 0;
  Sym->FSymbolStyle = 0;
  Sym->FID = GetSymbolCount() + 1;
  FWatchedInUse += Sym->FWatched;
  if (FByID.size() == FByID.capacity()) [[unlikely]]
    PushGrowing(FByID, Sym);
  else
    FByID.push_back(Sym);
  return Sym;
}

TsdSymbol* TsdSymbolTable::NewSymbol(std::string_view S) {
  if (S.size() > static_cast<size_t>(MaxInt)) throw EOutOfMemory(u"Out of memory");
  if (FSymbolsUsed / kSymbolBlock == FSymbolBlocks.size()) {
    FSymbolBlocks.reserve(FSymbolBlocks.size() + 1);
    FSymbolBlocks.emplace_back(std::allocator<TsdSymbol>().allocate(kSymbolBlock));
    FSymbolsRoom = FSymbolBlocks.size() * kSymbolBlock;
  }
  TsdSymbol* sym = TakeSymbol();
  // Bytes go to the first block with room; a text larger than a block gets
  // one of its own.
  char* dest = nullptr;
  if (!S.empty()) {
    while (FByteBlock < FByteBlocks.size() && FByteUsed + S.size() > FByteBlockSizes[FByteBlock]) {
      if (FByteBlockUsed.size() <= FByteBlock) FByteBlockUsed.resize(FByteBlock + 1);
      FByteBlockUsed[FByteBlock] = FByteUsed;
      ++FByteBlock;
      FByteUsed = 0;
    }
    if (FByteBlock == FByteBlocks.size()) {
      size_t size = S.size() > kByteBlock ? S.size() : kByteBlock;
      FByteBlocks.push_back(std::unique_ptr<char[]>(new char[size + kBytePad]()));
      FByteBlockSizes.push_back(size);
      FByteUsed = 0;
    }
    SyncByteBlock();
    dest = FByteBase + FByteUsed;
    FByteUsed += S.size();
    std::memcpy(dest, S.data(), S.size());
  }
  sym->FWatched = dest && Watched(S.size() > 16 || std::memchr(dest, FWatchByte, S.size()), dest, S.size());
  return InitSymbol(sym, dest ? dest : "", S.size());
}

[[gnu::always_inline]] inline TsdSymbolTable::TSlot* TsdSymbolTable::FindSlot(std::string_view S, size_t Hash) {
  TSlot* const slots = FSlots;
  const size_t mask = FIndexMask;
  const uint32_t tag = TagOf(Hash);
  for (size_t i = tag >> FIndexShift;; i = (i + 1) & mask) {
    TSlot& slot = slots[i];
    if (!slot.Place) return &slot;
    if (slot.Tag == tag) {
      const TsdSymbol* sym = SymbolAtPlace(slot.Place);
      if (static_cast<size_t>(sym->FCharCount) == S.size() && SameBytes(sym->FFirst, S.data(), S.size())) return &slot;
    }
  }
}

void TsdSymbolTable::GrowIndex() {
  std::vector<TSlot> old;
  old.swap(FIndex);
  // Places are 32 bits, so the index never needs more than 2^32 slots.
  if (old.size() >= (size_t(1) << 32)) throw EOutOfMemory(u"Out of memory");
  FIndex.assign(old.empty() ? 256 : old.size() * 2, TSlot{0, 0});
  // The first symbols of a table: room for as many as the first index
  // takes, instead of growing the lists from one entry.
  if (old.empty()) FByID.reserve(FIndex.size() / 2);
  FIndexShift = old.empty() ? 24 : FIndexShift - 1;
  size_t mask = FIndex.size() - 1;
  for (const TSlot& s : old) {
    if (!s.Place) continue;
    size_t i = s.Tag >> FIndexShift;
    while (FIndex[i].Place) i = (i + 1) & mask;
    FIndex[i] = s;
  }
  FSlots = FIndex.data();
  FIndexMask = mask;
  FGrowAt = FIndex.size() / 4 * 3;
}

namespace {

// Not zero exactly when a word has a zero byte.
inline UInt64 ZeroBytes(UInt64 W) { return (W - 0x0101010101010101ull) & ~W & 0x8080808080808080ull; }

// Writes the N bytes (1 to 16) that K holds (see KeyOf) as two whole words:
// the zeros behind them fall into the room behind the block's used bytes,
// which the next symbol overwrites.
[[gnu::always_inline]] inline void CopyKeyed(char* dest, TKey k) {
  std::memcpy(dest, &k.K0, 8);
  std::memcpy(dest + 8, &k.K1, 8);
}

}  // namespace

Integer TsdSymbolTable::AddString(std::string_view S) { return AddView(S); }

Integer TsdSymbolTable::AddLong(const char* p, size_t n) {
  const TKey k = KeyOf(p, n);
  TRecent& recent = FRecent[RecentOf(k.K0, k.K1, n)];
  // (Entries hold lengths below 2^31; a longer text is never made.)
  if (n <= static_cast<size_t>(MaxInt))
    for (TRecent* e : {&recent, &FRecent[sd_detail::RecentOther(k.K0, k.K1, n)]})
      if (e->Is(k.K0, k.K1, n | FEpoch) && std::memcmp(e->Sym->FFirst, p, n) == 0) return IdOf(e->Sym);
  return AddKeyedAny(p, n, k.K0, k.K1, recent);
}

Integer TsdSymbolTable::AddKeyed(const char* p, size_t n, UInt64 K0, UInt64 K1, TRecent& recent) {
  // Up to 16 bytes, the length and the two key words are the text: the
  // hash is one multiply (HashKeyed's for that length, which the index
  // was built with), a symbol is compared by its key, and a new one is
  // written from the key, so the text itself is not read again. Most
  // symbols of a document are that short.
  const TRecent& other = FRecent[sd_detail::RecentOther(K0, K1, n)];
  if (other.Is(K0, K1, n | FEpoch)) return IdOf(other.Sym);
  if (n > 16 || FSymbolsUsed >= FGrowAt) return AddKeyedAny(p, n, K0, K1, recent);
  const uint32_t tag = TagOf(static_cast<size_t>(MulFold(K0 ^ FSeed ^ (n * 0x9E3779B97F4A7C15ull), K1 ^ FSeed2)));
  TSlot* const slots = FSlots;
  const size_t mask = FIndexMask;
  for (size_t i = tag >> FIndexShift;; i = (i + 1) & mask) {
    TSlot& slot = slots[i];
    if (!slot.Place) {
      if (FSymbolsUsed >= FSymbolsRoom || n > FByteSize - FByteUsed) return AddKeyedAny(p, n, K0, K1, recent);
      char* dest = FByteBase + FByteUsed;
      FByteUsed += n;
      CopyKeyed(dest, TKey{K0, K1});
      TsdSymbol* sym = TakeSymbol();
      sym->FWatched = Watched((ZeroBytes(K0 ^ FWatchWord) | ZeroBytes(K1 ^ FWatchWord)) != 0, dest, n);
      InitSymbol(sym, dest, n);
      slot = TSlot{tag, static_cast<uint32_t>(FSymbolsUsed)};
      RememberNew(recent, TRecent{K0, K1, n | FEpoch, sym});
      return sym->FID;
    }
    if (slot.Tag == tag) {
      TsdSymbol* sym = SymbolAtPlace(slot.Place);
      if (static_cast<size_t>(sym->FCharCount) == n) {
        const TKey k = sd_detail::KeyOfPadded(sym->FFirst, n);
        if (((k.K0 ^ K0) | (k.K1 ^ K1)) == 0) {
          // A symbol kept from before the last Clear takes the next id, as
          // a new one would, with its bytes where they are.
          if (sym->FID == 0) InitSymbol(sym, sym->FFirst, n);
          recent = TRecent{K0, K1, n | FEpoch, sym};
          return sym->FID;
        }
      }
    }
  }
}

Integer TsdSymbolTable::AddKeyedAny(const char* p, size_t n, UInt64 K0, UInt64 K1, TRecent& recent) {
  if (FSymbolsUsed >= FGrowAt) GrowIndex();
  const size_t h = HashKeyed(p, n, K0, K1, FSeed, FSeed2);
  TSlot* slot = FindSlot(std::string_view(p, n), h);
  TsdSymbol* sym;
  if (slot->Place) {
    sym = SymbolAtPlace(slot->Place);
    if (sym->FID == 0) InitSymbol(sym, sym->FFirst, n);
  } else {
    // A new symbol whose block and bytes are at hand, as they are for all
    // but a few symbols, is made here without a call.
    if (FSymbolsUsed < FSymbolsRoom && n <= FByteSize - FByteUsed) {
      char* dest = FByteBase + FByteUsed;
      FByteUsed += n;
      std::memcpy(dest, p, n);
      sym = TakeSymbol();
      sym->FWatched = Watched(true, dest, n);
      InitSymbol(sym, dest, n);
    } else {
      sym = NewSymbol(std::string_view(p, n));
    }
    *slot = TSlot{TagOf(h), static_cast<uint32_t>(FSymbolsUsed)};
    RememberNew(recent, TRecent{K0, K1, n | FEpoch, sym});
    return sym->FID;
  }
  recent = TRecent{K0, K1, n | FEpoch, sym};
  return sym->FID;
}

bool TsdSymbolTable::SetWatch(char C, TWatchTest Test) {
  if (FSymbolsUsed || !C || !Test) return false;
  FWatchTest = Test;
  FWatchByte = C;
  FWatchWord = 0x0101010101010101ull * static_cast<unsigned char>(C);
  return true;
}

UTF8String TsdSymbolTable::GetString(Integer ID) {
  if (ID <= 0) return {};
  if (ID > GetSymbolCount()) {
    DoDebugOut(this, wsWarn, "string ID not found");
    return {};
  }
  return FByID[ID - 1]->AsString();
}

std::string_view TsdSymbolTable::GetView(Integer ID) const {
  const TsdSymbol* s = Symbol(ID);
  return s ? s->View() : std::string_view();
}

void TsdSymbolTable::IncrementFrequency(Integer ID) {
  if (ID >= 1 && ID <= GetSymbolCount()) ++FByID[ID - 1]->FFreq;
}

void TsdSymbolTable::ClearFrequency() {
  for (auto& s : FByID) s->FFreq = 0;
}

void TsdSymbolTable::Clear() {
  // The symbols stay in the index, without an id, while those kept from
  // earlier documents are not more than the document's own: loading the
  // same or a similar document again then finds its text without copying
  // it. Ids are given in the order of first use as in an empty table, so
  // nothing of this is seen outside.
  // (A table that starts over gives every place a new symbol: the ids
  // cleared here on the way matter only to the symbols kept.)
  const size_t live = FByID.size();
  size_t bytes = FByteUsed;
  for (size_t b = 0; b < FByteBlock && b < FByteBlockUsed.size(); ++b) bytes += FByteBlockUsed[b];
  // Only a table that stays in the cache is kept: finding a kept symbol
  // again reads its index slot, the symbol and its bytes one after the
  // other, where a table that starts over reads the slot alone and writes
  // the rest in order. Beyond the cache, three misses in a row per text
  // cost more than the copy they save (about 10 % of the time of a 10 MB
  // document of mostly unique text, loaded again).
  // The live symbols' bytes are summed only where the bytes of all of them
  // (at least as many) leave the answer open: a small table is kept
  // whatever they are.
  const size_t fixed = FIndex.size() * sizeof(TSlot) + live * sizeof(TsdSymbol);
  bool keep = FSymbolsUsed - live <= live + 1024;
  if (keep && !(bytes <= 65536 && fixed + bytes <= kKeptTableBytes)) {
    size_t liveBytes = 0;
    for (const TsdSymbol* sym : FByID) liveBytes += static_cast<size_t>(sym->FCharCount);
    keep = fixed + liveBytes <= kKeptTableBytes && bytes - liveBytes <= liveBytes + 65536;
  }
  if (keep) {
    for (TsdSymbol* sym : FByID) sym->FID = 0;
    FByID.clear();
    FPluralSymbolCount = 0;
    FWatchedInUse = 0;
    return;
  }
  ClearAll();
}

void TsdSymbolTable::ClearAll() {
  // The blocks stay for the next document; the index is emptied in place:
  // when the symbols are few against it, only their slots, found again by
  // their text (all found before any is emptied, as an emptied slot would
  // end the search for those after it).
  if (FSymbolsUsed * 8 < FIndex.size()) {
    std::vector<size_t> slots;
    slots.reserve(FSymbolsUsed);
    for (size_t i = 0; i < FSymbolsUsed; ++i) {
      std::string_view v = SymbolAt(i)->View();
      slots.push_back(static_cast<size_t>(FindSlot(v, HashWithSeed(v, FSeed, FSeed2)) - FIndex.data()));
    }
    for (size_t i : slots) FIndex[i] = TSlot{0, 0};
  } else {
    std::fill(FIndex.begin(), FIndex.end(), TSlot{0, 0});
  }
  FByID.clear();
  FWatchedInUse = 0;
  FSymbolsUsed = 0;
  FByteBlock = 0;
  FByteUsed = 0;
  SyncByteBlock();
  FPluralSymbolCount = 0;
  ForgetRecent();
}

Integer TsdSymbolTable::Revive(TsdSymbol* Sym) {
  // Mostly the list has room (a Clear keeps it): no registers to save for
  // growing it.
  Integer id = GetSymbolCount() + 1;
  Sym->FFreq = 0;
  Sym->FSymbolStyle = 0;
  Sym->FID = id;
  FWatchedInUse += Sym->FWatched;
  if (FByID.size() == FByID.capacity()) [[unlikely]]
    PushGrowing(FByID, Sym);
  else
    FByID.push_back(Sym);
  return id;
}

void TsdSymbolTable::ForgetRecent() {
  // A new epoch makes every entry stale; only when the count comes round
  // are the entries emptied.
  FEpoch += UInt64(1) << 32;
  if (FEpoch == 0) {
    std::memset(static_cast<void*>(FRecent), 0, sizeof FRecent);
    FEpoch = UInt64(1) << 32;
  }
}

void TsdSymbolTable::SortByFrequency(std::vector<Integer>& NewIDs) {
  // Hoare partitioning around the middle item, highest count first; the
  // smaller side recurses, the larger loops, so the stack stays logarithmic.
  auto& a = FByID;
  struct Range { Integer L, R; };
  std::vector<Range> todo;
  if (a.size() > 1) todo.push_back({0, GetSymbolCount() - 1});
  while (!todo.empty()) {
    Range r = todo.back();
    todo.pop_back();
    while (r.L < r.R) {
      Integer i = r.L, j = r.R;
      Cardinal pivot = a[static_cast<size_t>((r.L + r.R) / 2)]->FFreq;
      while (i <= j) {
        while (a[static_cast<size_t>(i)]->FFreq > pivot) ++i;
        while (a[static_cast<size_t>(j)]->FFreq < pivot) --j;
        if (i <= j) {
          std::swap(a[static_cast<size_t>(i)], a[static_cast<size_t>(j)]);
          ++i;
          --j;
        }
      }
      if (j - r.L < r.R - i) {
        if (r.L < j) todo.push_back({r.L, j});
        r.L = i;
      } else {
        if (i < r.R) todo.push_back({i, r.R});
        r.R = j;
      }
    }
  }
  // Ids change; the texts met lately hold their symbols, which carry them.
  FPluralSymbolCount = 0;
  while (FPluralSymbolCount < GetSymbolCount() && a[static_cast<size_t>(FPluralSymbolCount)]->FFreq >= 2)
    ++FPluralSymbolCount;
  for (size_t p = 0; p < a.size(); ++p) {
    Integer old = a[p]->FID;
    if (old >= 0 && static_cast<size_t>(old) < NewIDs.size()) NewIDs[static_cast<size_t>(old)] = static_cast<Integer>(p + 1);
    a[p]->FID = static_cast<Integer>(p + 1);
  }
}

void TsdSymbolTable::SaveSymbol(TStream* S, Integer ID) {
  if (ID <= 0) {
    DoDebugOut(this, wsFail, "symbol ID <= 0");
    return;
  }
  const TsdSymbol* sym = Symbol(ID);
  if (!sym) {
    DoDebugOut(this, wsWarn, "string ID not found");
    return;
  }
  sdStreamWriteCardinal(S, sym->FSymbolStyle);
  sdStreamWriteCardinal(S, static_cast<Cardinal>(sym->FCharCount));
  if (sym->FCharCount > 0) S->WriteBuffer(sym->FFirst, sym->FCharCount);
}

void TsdSymbolTable::SaveToStream(TStream* S, Integer Count) {
  if (Count < 0) Count = 0;
  if (Count > GetSymbolCount()) Count = GetSymbolCount();
  sdStreamWriteCardinal(S, static_cast<Cardinal>(Count));
  for (Integer id = 1; id <= Count; ++id) SaveSymbol(S, id);
}

void TsdSymbolTable::SaveToFile(const String& FileName) {
  TsdFastMemStream m;
  SaveToStream(&m, GetSymbolCount());
  m.SaveToFile(FileName);
}

// Valid UTF-8 decodes and encodes back to the same bytes; anything else
// comes back with U+FFFD in its place.
UTF8String sdValidUtf8(const UTF8String& Bytes) {
  if (std::all_of(Bytes.begin(), Bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return Bytes;
  std::u16string wide(Bytes.size(), u'\0');
  const char* p = Bytes.data();
  wide.resize(static_cast<size_t>(sdUtf8ToUtf16Mem(p, wide.data(), static_cast<Integer>(Bytes.size()))));
  UTF8String out(wide.size() * 3, '\0');
  out.resize(static_cast<size_t>(sdUtf16ToUtf8Mem(wide.data(), out.data(), static_cast<Integer>(wide.size()))));
  return out;
}

void TsdSymbolTable::LoadSymbol(TStream* S) {
  Cardinal style = sdStreamReadCardinal(S);
  Cardinal len = sdStreamReadCardinal(S);
  Int64 left = S->Size() - S->Position();
  if (Int64(len) > left || len > static_cast<Cardinal>(MaxInt)) throw EReadError(u"Stream read error");
  std::string bytes(len, '\0');
  if (len) S->ReadBuffer(bytes.data(), static_cast<Integer>(len));
  bytes = sdValidUtf8(bytes);
  if (FSymbolsUsed >= FGrowAt) GrowIndex();
  size_t h = HashWithSeed(bytes, FSeed, FSeed2);
  TSlot* slot = FindSlot(bytes, h);
  TsdSymbol* sym = NewSymbol(bytes);
  sym->FSymbolStyle = style;
  if (slot->Place) {
    DoDebugOut(this, wsFail, "duplicate symbol!");
  } else {
    *slot = TSlot{TagOf(h), static_cast<uint32_t>(FSymbolsUsed)};
  }
}

void TsdSymbolTable::LoadFromStream(TStream* S) {
  // A stored table lists its symbols once each: none is kept.
  ClearAll();
  Cardinal n = sdStreamReadCardinal(S);
  for (Cardinal i = 0; i < n; ++i) LoadSymbol(S);
}

void TsdSymbolTable::LoadFromFile(const String& FileName) {
  TsdFastMemStream m;
  m.LoadFromFile(FileName);
  LoadFromStream(&m);
}

void sdStreamWriteCardinal(TStream* S, Cardinal Value) {
  Byte buf[5];
  Integer n = 0;
  do {
    Byte b = static_cast<Byte>(Value & 0x7F);
    Value >>= 7;
    if (Value) b |= 0x80;
    buf[n++] = b;
  } while (Value);
  S->WriteBuffer(buf, n);
}

Cardinal sdStreamReadCardinal(TStream* S) {
  Cardinal v = 0;
  for (int group = 0; group < 5; ++group) {
    Byte b;
    if (S->Read(&b, 1) != 1) throw Exception(u"invalid cardinal reader");
    // The fifth group holds the top four bits only.
    if (group == 4 && (b & 0xF0)) throw Exception(u"invalid cardinal reader");
    v |= Cardinal(b & 0x7F) << (7 * group);
    if (!(b & 0x80)) return v;
  }
  throw Exception(u"invalid cardinal reader");
}

void sdStreamWriteString(TStream* S, const UTF8String& Value) {
  if (!Value.empty()) S->WriteBuffer(Value.data(), static_cast<Integer>(Value.size()));
}

UTF8String sdStreamReadString(TStream* S, Integer Count) {
  if (Count <= 0) return {};
  UTF8String r(static_cast<size_t>(Count), '\0');
  Integer n = S->Read(r.data(), Count);
  r.resize(static_cast<size_t>(n > 0 ? n : 0));
  return r;
}

Integer sdCompareByte(Byte Byte1, Byte Byte2) { return Byte1 < Byte2 ? -1 : Byte1 > Byte2 ? 1 : 0; }
Integer sdCompareInteger(Integer Int1, Integer Int2) { return Int1 < Int2 ? -1 : Int1 > Int2 ? 1 : 0; }

Integer sdUtf16ToUtf8Mem(const char16_t* Source, char* Dest, Integer Count) {
  char* d = Dest;
  for (Integer i = 0; i < Count; ++i) {
    Cardinal c = Source[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Count && Source[i + 1] >= 0xDC00 && Source[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (Source[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      *d++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *d++ = static_cast<char>(0xC0 | (c >> 6));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *d++ = static_cast<char>(0xE0 | (c >> 12));
      *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *d++ = static_cast<char>(0xF0 | (c >> 18));
      *d++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return static_cast<Integer>(d - Dest);
}

Integer sdUtf8ToUtf16Mem(const char*& Source, char16_t* Dest, Integer Count) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(Source);
  Integer i = 0, n = 0;
  while (i < Count) {
    unsigned c = s[i];
    if (c < 0x80) { Dest[n++] = static_cast<char16_t>(c); ++i; continue; }
    int len;
    unsigned cp, lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; if (c == 0xE0) lo = 0xA0; if (c == 0xED) hi = 0x9F; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; if (c == 0xF0) lo = 0x90; if (c == 0xF4) hi = 0x8F; }
    else { Dest[n++] = 0xFFFD; ++i; continue; }
    int k = 1;
    for (; k < len && i + k < Count; ++k) {
      unsigned b = s[i + k];
      if (b < (k == 1 ? lo : 0x80u) || b > (k == 1 ? hi : 0xBFu)) break;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (k < len) { Dest[n++] = 0xFFFD; i += k; continue; }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      Dest[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      Dest[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      Dest[n++] = static_cast<char16_t>(cp);
    }
    i += len;
  }
  Source += i;
  return n;
}

}  // namespace qn
