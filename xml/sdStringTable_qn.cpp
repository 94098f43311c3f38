#include "xml/sdStringTable_qn.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

[[gnu::always_inline]] inline size_t HashWithSeed(std::string_view s, UInt64 Seed) {
  // One multiply per eight bytes, then a full mix: names and text pieces
  // are short, and the seed keeps crafted collisions out.
  UInt64 h = Seed ^ (s.size() * 0x9E3779B97F4A7C15ull);
  const char* p = s.data();
  size_t n = s.size();
  for (; n >= 8; n -= 8, p += 8) {
    UInt64 w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * 0x9FB21C651E98DF25ull;
    h ^= h >> 29;
  }
  UInt64 tail = 0;
  if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, p + n - 4, 4);
    tail = (UInt64(a) << 32) | b;
  } else if (n > 0) {
    tail = (UInt64(static_cast<unsigned char>(p[0])) << 16) | (UInt64(static_cast<unsigned char>(p[n / 2])) << 8) |
           static_cast<unsigned char>(p[n - 1]);
  }
  return static_cast<size_t>(Mix(h ^ tail));
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

size_t TsdSymbolHash::operator()(std::string_view s) const noexcept { return HashWithSeed(s, ProcessSeed()); }

TsdSymbolTable::TsdSymbolTable(TComponent* AOwner) : TDebugComponent(AOwner), FSeed(ProcessSeed()) {}

TsdSymbolTable::~TsdSymbolTable() {
  for (size_t i = 0; i < FSymbolsMade; ++i) SymbolAt(i)->~TsdSymbol();
}

namespace {
constexpr size_t kByteBlock = 64 * 1024;
}  // namespace

[[gnu::always_inline]] inline TsdSymbol* TsdSymbolTable::InitSymbol(TsdSymbol* Sym, const char* Bytes, size_t Count) {
  Sym->FFirst = Bytes;
  Sym->FCharCount = static_cast<Integer>(Count);
  Sym->FFreq = 0;
  Sym->FSymbolStyle = 0;
  Sym->FID = GetSymbolCount() + 1;
  FByID.push_back(Sym);
  return Sym;
}

TsdSymbol* TsdSymbolTable::NewSymbol(std::string_view S) {
  if (S.size() > static_cast<size_t>(MaxInt)) throw EOutOfMemory(u"Out of memory");
  if (FSymbolsUsed / kSymbolBlock == FSymbolBlocks.size()) {
    FSymbolBlocks.reserve(FSymbolBlocks.size() + 1);
    FSymbolBlocks.emplace_back(std::allocator<TsdSymbol>().allocate(kSymbolBlock));
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
      FByteBlocks.push_back(std::unique_ptr<char[]>(new char[size]));
      FByteBlockSizes.push_back(size);
      FByteUsed = 0;
    }
    dest = FByteBlocks[FByteBlock].get() + FByteUsed;
    FByteUsed += S.size();
    std::memcpy(dest, S.data(), S.size());
  }
  return InitSymbol(sym, dest ? dest : "", S.size());
}

[[gnu::always_inline]] inline TsdSymbolTable::TSlot* TsdSymbolTable::FindSlot(std::string_view S, size_t Hash) {
  size_t mask = FIndex.size() - 1;
  uint32_t tag = TagOf(Hash);
  for (size_t i = tag >> FIndexShift;; i = (i + 1) & mask) {
    TSlot& slot = FIndex[i];
    if (!slot.Place) return &slot;
    if (slot.Tag == tag) {
      const TsdSymbol* sym = SymbolAtPlace(slot.Place);
      if (static_cast<size_t>(sym->FCharCount) == S.size() && SameBytes(sym->FFirst, S.data(), S.size())) return &slot;
    }
  }
}

void TsdSymbolTable::GrowIndex() {
  // Slot positions change: the next Clear empties the whole index.
  FSlotsOverflow = true;
  FUsedSlots.clear();
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
}

inline void TsdSymbolTable::NoteSlot(TSlot* Slot) {
  if (!FSlotsOverflow) FUsedSlots.push_back(static_cast<Cardinal>(Slot - FIndex.data()));
}

Integer TsdSymbolTable::AddString(std::string_view S) {
  if (S.empty()) return 0;
  size_t n = S.size();
  TsdSymbol*& recent = FRecent[(n * 31 + static_cast<unsigned char>(S[0]) * 7 + static_cast<unsigned char>(S[n - 1])) & 255];
  if (recent && static_cast<size_t>(recent->FCharCount) == n && SameBytes(recent->FFirst, S.data(), n))
    return recent->FID;
  if ((FSymbolsUsed + 1) * 2 > FIndex.size()) GrowIndex();
  size_t h = HashWithSeed(S, FSeed);
  TSlot* slot = FindSlot(S, h);
  if (slot->Place) {
    recent = SymbolAtPlace(slot->Place);
    // A symbol kept from before the last Clear takes the next id, as a new
    // one would, with its bytes where they are.
    if (recent->FID == 0) InitSymbol(recent, recent->FFirst, static_cast<size_t>(recent->FCharCount));
    return recent->FID;
  }
  // A new symbol whose block and bytes are at hand, as they are for all but
  // a few symbols of a document loaded again, is made here without a call.
  TsdSymbol* sym;
  size_t b = FSymbolsUsed / kSymbolBlock;
  if (b < FSymbolBlocks.size() && FByteBlock < FByteBlocks.size() && FByteUsed + n <= FByteBlockSizes[FByteBlock] &&
      n <= static_cast<size_t>(MaxInt)) {
    TsdSymbol* fresh = TakeSymbol();
    char* dest = FByteBlocks[FByteBlock].get() + FByteUsed;
    FByteUsed += n;
    std::memcpy(dest, S.data(), n);
    sym = InitSymbol(fresh, dest, n);
  } else {
    sym = NewSymbol(S);
  }
  *slot = TSlot{TagOf(h), static_cast<uint32_t>(FSymbolsUsed)};
  NoteSlot(slot);
  recent = sym;
  return sym->FID;
}


bool TsdSymbolTable::MayContain(char C) const {
  if (FByID.empty()) return false;
  // With symbols kept from an earlier document among them, the blocks hold
  // bytes of no symbol in use: the symbols are looked at one by one.
  if (FSymbolsUsed != FByID.size()) {
    for (const TsdSymbol* sym : FByID)
      if (sym->FCharCount && std::memchr(sym->FFirst, C, static_cast<size_t>(sym->FCharCount))) return true;
    return false;
  }
  for (size_t b = 0; b <= FByteBlock && b < FByteBlocks.size(); ++b) {
    size_t used = b == FByteBlock ? FByteUsed : FByteBlockUsed[b];
    if (used && std::memchr(FByteBlocks[b].get(), C, used)) return true;
  }
  return false;
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
  size_t live = FByID.size(), liveBytes = 0;
  for (TsdSymbol* sym : FByID) liveBytes += static_cast<size_t>(sym->FCharCount);
  size_t bytes = FByteUsed;
  for (size_t b = 0; b < FByteBlock && b < FByteBlockUsed.size(); ++b) bytes += FByteBlockUsed[b];
  if (FSymbolsUsed - live <= live + 1024 && bytes - liveBytes <= liveBytes + 65536) {
    for (TsdSymbol* sym : FByID) sym->FID = 0;
    FByID.clear();
    FPluralSymbolCount = 0;
    std::fill(std::begin(FRecent), std::end(FRecent), nullptr);
    return;
  }
  ClearAll();
}

void TsdSymbolTable::ClearAll() {
  // The blocks stay for the next document; the index is emptied in place.
  FByID.clear();
  FSymbolsUsed = 0;
  FByteBlock = 0;
  FByteUsed = 0;
  if (FSlotsOverflow) {
    std::fill(FIndex.begin(), FIndex.end(), TSlot{0, 0});
  } else {
    for (Cardinal i : FUsedSlots) FIndex[i] = TSlot{0, 0};
  }
  FUsedSlots.clear();
  FSlotsOverflow = false;
  FPluralSymbolCount = 0;
  std::fill(std::begin(FRecent), std::end(FRecent), nullptr);
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
  if ((FSymbolsUsed + 1) * 2 > FIndex.size()) GrowIndex();
  size_t h = HashWithSeed(bytes, FSeed);
  TSlot* slot = FindSlot(bytes, h);
  TsdSymbol* sym = NewSymbol(bytes);
  sym->FSymbolStyle = style;
  if (slot->Place) {
    DoDebugOut(this, wsFail, "duplicate symbol!");
  } else {
    *slot = TSlot{TagOf(h), static_cast<uint32_t>(FSymbolsUsed)};
    NoteSlot(slot);
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
