// The string table: every name and piece of text of a document is stored
// once and referred to by an id. The table can sort itself by use and
// stream itself in a compact form (the binary XML format carries it).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xml/sdDebug_qn.h"
#include "xml/sdStreams_qn.h"

namespace qn {

class TsdSymbol : public TObject {
  QN_CLASS(TsdSymbol, TObject)
 public:
  std::string_view View() const { return {FFirst, static_cast<size_t>(FCharCount)}; }
  UTF8String AsString() const { return UTF8String(View()); }

  Integer FID = 0;  // 0 while kept from a document before the last Clear
  Cardinal FFreq = 0;
  Cardinal FSymbolStyle = 0;
  const char* FFirst = "";  // in the table's byte arena
  Integer FCharCount = 0;
  bool FWatched = false;  // its bytes passed the table's watch (see SetWatch)
};

// Seeded once per process, so that nobody can prepare text whose symbols
// all land in one bucket.
struct TsdSymbolHash {
  size_t operator()(std::string_view s) const noexcept;
};

namespace sd_detail {
// A text of N bytes (N > 0) as two words: for up to 16 bytes, all of it,
// zero-filled to 16 bytes (with N, the text); for more, the first and last
// eight bytes.
struct TKey {
  UInt64 K0, K1;
};

[[gnu::always_inline]] inline TKey KeyOf(const char* p, size_t n) {
  UInt64 a, b;
  if (n >= 8) {
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + n - 8, 8);
    if (n > 16) return {a, b};
    // The bytes from 8 on, at the bottom of the last word.
    return {a, n > 8 ? b >> (8 * (16 - n)) : 0};
  }
  if (n >= 4) {
    uint32_t lo, hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + n - 4, 4);
    return {lo | ((UInt64(hi) >> (8 * (8 - n))) << 32), 0};
  }
  return {UInt64(static_cast<unsigned char>(p[0])) | (UInt64(static_cast<unsigned char>(p[n / 2])) << (8 * (n / 2))) |
              (UInt64(static_cast<unsigned char>(p[n - 1])) << (8 * (n - 1))),
          0};
}

// KeyOf for 1 to 16 bytes at P that have 16 bytes readable from P on (the
// parser's text and the table's byte blocks have room behind their end):
// one load and a mask, no branch on the length, whose classes a document's
// names and values keep changing between.
inline constexpr unsigned char kLeadBytes[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
[[gnu::always_inline]] inline TKey KeyOfPadded(const char* p, size_t n) {
#if defined(__SSE2__)
  __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLeadBytes + 16 - n)));
  return {static_cast<UInt64>(_mm_cvtsi128_si64(v)), static_cast<UInt64>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v)))};
#else
  UInt64 a, b, ma, mb;
  std::memcpy(&a, p, 8);
  std::memcpy(&b, p + 8, 8);
  std::memcpy(&ma, kLeadBytes + 16 - n, 8);
  std::memcpy(&mb, kLeadBytes + 24 - n, 8);
  return {a & ma, b & mb};
#endif
}

// The texts met lately: 2^kRecentBits entries, 16 KB. A text has two
// places there, the second looked at only when the first holds another:
// a configuration's hundred or so names and values then each keep one
// (with one place, one in ten shared theirs with another, and the two sent
// each other to the index on every use), and the table still leaves half
// of the level-1 cache to the parse.
inline constexpr unsigned kRecentBits = 9;
inline UInt64 RecentHash(UInt64 K0, UInt64 K1, size_t n) { return (K0 + K1 + n) * 0x9E3779B97F4A7C15ull; }
// A key's first and second place: the top bits of a multiply, and the bits
// below them.
inline size_t RecentOf(UInt64 K0, UInt64 K1, size_t n) {
  return static_cast<size_t>(RecentHash(K0, K1, n) >> (64 - kRecentBits));
}
inline size_t RecentOther(UInt64 K0, UInt64 K1, size_t n) {
  return static_cast<size_t>(RecentHash(K0, K1, n) >> (64 - 2 * kRecentBits)) & ((size_t(1) << kRecentBits) - 1);
}
}  // namespace sd_detail

class TsdSymbolTable : public TDebugComponent {
  QN_CLASS_CREATE(TsdSymbolTable, TDebugComponent, TComponent)
 public:
  explicit TsdSymbolTable(TComponent* AOwner);
  ~TsdSymbolTable() override;

  // 0 for the empty string; the existing id for known text.
  Integer AddString(std::string_view S);
  // AddString inline, for the parser's loops: mostly a text met lately,
  // answered without a call.
  [[gnu::always_inline]] Integer AddView(std::string_view S) { return AddKnown<false>(S); }
  // AddView for text with 16 bytes readable from its start on (see
  // sd_detail::KeyOfPadded), such as a view into the parser's text.
  [[gnu::always_inline]] Integer AddPadded(std::string_view S) { return AddKnown<true>(S); }
  // "" for ids <= 0; "" and the warning "string ID not found" past the end.
  UTF8String GetString(Integer ID);
  // The bytes without a copy; empty for any id that names no symbol.
  std::string_view GetView(Integer ID) const;
  Integer GetSymbolCount() const { return static_cast<Integer>(FByID.size()); }
  // Each new symbol that may hold the byte C is passed to Test while its
  // bytes are at hand (every one of more than 16 bytes, shorter ones at
  // least when they hold C); WatchedInUse counts the symbols in use that
  // passed. A question about all the text of a document is then answered
  // without reading it again, which for a large one means from memory.
  // Test may read 48 bytes behind the end of the bytes it is given; they
  // are not the symbol's, but they are there. Only an empty table takes a
  // watch (false otherwise): every symbol must have been seen by it.
  using TWatchTest = bool (*)(std::string_view Bytes);
  bool SetWatch(char C, TWatchTest Test);
  size_t WatchedInUse() const { return FWatchedInUse; }
  void IncrementFrequency(Integer ID);
  void ClearFrequency();
  // Empties the table as seen from outside: no symbol, the next one gets id
  // 1. Symbols may stay behind it for the next document (see the .cpp).
  void Clear();
  // Orders the symbols by use, most used first; NewIDs[old id] becomes the
  // new id (NewIDs must have room for the highest old id). Symbols used at
  // least twice lead; FPluralSymbolCount tells how many.
  void SortByFrequency(std::vector<Integer>& NewIDs);
  Integer PluralSymbolCount() const { return FPluralSymbolCount; }
  const TsdSymbol* Symbol(Integer ID) const { return ID >= 1 && ID <= GetSymbolCount() ? FByID[ID - 1] : nullptr; }

  // Count as a cardinal, then ids 1..Count (style, byte count, bytes).
  void SaveToStream(TStream* S, Integer Count);
  void SaveToFile(const String& FileName);
  // Bad streams raise: "invalid cardinal reader", or a read error when a
  // symbol claims more bytes than the stream has left (checked before any
  // memory is taken for it).
  void LoadFromStream(TStream* S);
  void LoadFromFile(const String& FileName);

 protected:
  void SaveSymbol(TStream* S, Integer ID);
  // Clear that keeps no symbol.
  void ClearAll();
  void LoadSymbol(TStream* S);

  // A new symbol with a copy of S's bytes, not yet in the look-up index.
  TsdSymbol* NewSymbol(std::string_view S);
  // Fills in a symbol taken from the blocks, whose Count bytes stand at
  // Bytes: it gets the next id.
  TsdSymbol* InitSymbol(TsdSymbol* Sym, const char* Bytes, size_t Count);
  // Whether Count new bytes at Bytes pass the watch; Hit tells whether they
  // hold its byte at all.
  [[gnu::always_inline]] bool Watched(bool Hit, const char* Bytes, size_t Count) const {
    return Hit && FWatchTest && FWatchTest(std::string_view(Bytes, Count));
  }
  // The slot of S in the index: its symbol, or the empty slot it would take.
  // Eight bytes, so that the index of a large document stays in the cache:
  // the high half of the hash and the symbol's place in the blocks (from 1;
  // 0 for an empty slot), which Clear and sorting never change. A symbol's
  // first slot is taken from the top bits of that half, so the index grows
  // without hashing any symbol again.
  struct TSlot {
    uint32_t Tag;
    uint32_t Place;
  };
  TSlot* FindSlot(std::string_view S, size_t Hash);
  struct TRecent;
  // AddView and AddPadded: the texts met lately first, their key words read
  // with KeyOfPadded when Padded.
  template <bool Padded>
  [[gnu::always_inline]] Integer AddKnown(std::string_view S);
  // AddString past the first place of the texts met lately: N > 0 bytes
  // at P with their key words, and that place.
  [[gnu::noinline]] Integer AddKeyed(const char* P, size_t N, UInt64 K0, UInt64 K1, TRecent& Recent);
  // AddKeyed for any length, and where the index must grow or the blocks
  // have no room.
  [[gnu::noinline]] Integer AddKeyedAny(const char* P, size_t N, UInt64 K0, UInt64 K1, TRecent& Recent);
  // AddString for more than 16 bytes.
  [[gnu::noinline]] Integer AddLong(const char* P, size_t N);
  void GrowIndex();
  // The byte block being filled, kept at hand for AddString.
  void SyncByteBlock() {
    bool any = FByteBlock < FByteBlocks.size();
    FByteBase = any ? FByteBlocks[FByteBlock].get() : nullptr;
    FByteSize = any ? FByteBlockSizes[FByteBlock] : 0;
  }
  void ForgetRecent();
  // The id of a symbol met again through the texts met lately: its own, or
  // for one kept over the last Clear, the next id.
  [[gnu::always_inline]] Integer IdOf(TsdSymbol* Sym) {
    Integer id = Sym->FID;
    return id ? id : Revive(Sym);
  }
  [[gnu::noinline]] Integer Revive(TsdSymbol* Sym);
  // The I-th place of the blocks, from 0; a place of the index is I + 1.
  TsdSymbol* SymbolAt(size_t I) const { return &FSymbolBlocks[I / kSymbolBlock][I % kSymbolBlock]; }
  TsdSymbol* SymbolAtPlace(uint32_t Place) const { return SymbolAt(Place - 1); }
  static uint32_t TagOf(size_t Hash) { return static_cast<uint32_t>(UInt64(Hash) >> 32); }
  static constexpr size_t kSymbolBlock = 1024;

  // The next free place in the blocks, its symbol made there on first use.
  TsdSymbol* TakeSymbol() {
    TsdSymbol* sym = SymbolAt(FSymbolsUsed);
    if (FSymbolsUsed == FSymbolsMade) {
      ::new (static_cast<void*>(sym)) TsdSymbol;
      ++FSymbolsMade;
    }
    ++FSymbolsUsed;
    return sym;
  }
  struct TSymbolBlockFree {
    void operator()(TsdSymbol* p) const noexcept { std::allocator<TsdSymbol>().deallocate(p, kSymbolBlock); }
  };

  std::vector<TsdSymbol*> FByID;
  // Symbols and their bytes live in blocks that a Clear keeps for the next
  // document, so loading a document again allocates nothing for its text.
  // A block is raw room: a symbol is made when its place is first taken, so
  // a small document neither makes nor destroys a whole block of them.
  std::vector<std::unique_ptr<TsdSymbol[], TSymbolBlockFree>> FSymbolBlocks;
  size_t FSymbolsUsed = 0;  // across the blocks
  size_t FSymbolsMade = 0;  // the places from the first on that hold a symbol
  // Each byte block has 16 bytes of room behind its size (see KeyOfPadded).
  std::vector<std::unique_ptr<char[]>> FByteBlocks;
  std::vector<size_t> FByteBlockSizes;
  std::vector<size_t> FByteBlockUsed;  // of the blocks before FByteBlock, as they were left
  size_t FByteBlock = 0;  // the block being filled
  size_t FByteUsed = 0;   // bytes used of it
  char* FByteBase = nullptr;  // that block (null when none)
  size_t FByteSize = 0;       // and its size
  size_t FSymbolsRoom = 0;    // places in the symbol blocks
  // Content look-up: open addressing, linear probing, at most three
  // quarters full. Eight slots share a cache line, so the longer runs of a
  // fuller index stay within a line or two, while an index half
  // as large leaves that much more of the cache to the parse (512 KB
  // rather than 1 MB for the 10 MB document's 38,000 symbols, with growing
  // it on the way half the work).
  // Hashed rather than kept sorted: interning stays linear per document,
  // and the order of this index is never observable.
  std::vector<TSlot> FIndex;
  unsigned FIndexShift = 24;  // a tag shifted right by this is its first slot
  // The index at hand: its slots, their count less one, and the symbol
  // count that makes it grow (three quarters of its slots).
  TSlot* FSlots = nullptr;
  size_t FIndexMask = 0;
  size_t FGrowAt = 0;
  Integer FPluralSymbolCount = 0;
  TWatchTest FWatchTest = nullptr;
  char FWatchByte = 0;
  UInt64 FWatchWord = 0;  // the byte in every byte of a word
  size_t FWatchedInUse = 0;
  UInt64 FSeed, FSeed2;  // TsdSymbolHash's, kept at hand
  // The texts met last, by length and end bytes: a document repeats its
  // names, indentation and common values, which are found here without
  // hashing. An entry holds the length, the first and last eight bytes
  // (all of a text of up to 16) and the symbol, so that a look-up touches
  // only the symbol's id, not its bytes for short text. The entries outlive
  // a Clear that keeps the symbols: a document loaded again finds its text
  // here, each symbol taking its new id at its first use as in the index.
  // Forgotten when symbols go (a Clear that keeps none, reading a stored
  // table). A text's first place is looked at inline, its second only on
  // a miss. A text met again takes its first place; a text met for the
  // first time, which most of a large document's are and which may never
  // come back, takes its second where the first is in use, so that it does
  // not push out the names and blanks met all the time.
  struct TRecent {
    UInt64 K0, K1;
    UInt64 LenEpoch;  // the length (below 2^31), or'ed with the FEpoch it was made in
    TsdSymbol* Sym;
    bool Is(UInt64 A, UInt64 B, UInt64 LenEpoch_) const { return ((K0 ^ A) | (K1 ^ B) | (LenEpoch ^ LenEpoch_)) == 0; }
  };
  // A text met for the first time and its symbol, First being its first
  // place.
  void RememberNew(TRecent& First, const TRecent& Entry) {
    if ((First.LenEpoch >> 32) != (FEpoch >> 32)) First = Entry;
    else FRecent[sd_detail::RecentOther(Entry.K0, Entry.K1, Entry.LenEpoch & 0xFFFFFFFFu)] = Entry;
  }
  TRecent FRecent[size_t(1) << sd_detail::kRecentBits];
  UInt64 FEpoch = UInt64(1) << 32;  // in the high half; 0 in an empty entry
};

template <bool Padded>
inline Integer TsdSymbolTable::AddKnown(std::string_view S) {
  // Small and without calls for the texts met lately, most of a document's:
  // names, indentation, common values, all short. Up to 16 bytes, length
  // and key are the text, so such a text is answered without touching its
  // symbol or its bytes.
  const size_t n = S.size();
  const char* p = S.data();
  if (n - 1 < 16) {
    const sd_detail::TKey k = Padded ? sd_detail::KeyOfPadded(p, n) : sd_detail::KeyOf(p, n);
    TRecent& recent = FRecent[sd_detail::RecentOf(k.K0, k.K1, n)];
    if (recent.Is(k.K0, k.K1, n | FEpoch)) return IdOf(recent.Sym);
    return AddKeyed(p, n, k.K0, k.K1, recent);
  }
  return n ? AddLong(p, n) : 0;
}

// Cardinals in 7-bit groups, least significant first, bit 7 set on every
// byte but the last: 0 is 00, 300 is AC 02. Reading accepts at most five
// groups and no bits beyond 32, and raises "invalid cardinal reader" for
// anything else, the end of the stream included.
void sdStreamWriteCardinal(TStream* S, Cardinal Value);
Cardinal sdStreamReadCardinal(TStream* S);
void sdStreamWriteString(TStream* S, const UTF8String& Value);
UTF8String sdStreamReadString(TStream* S, Integer Count);

Integer sdCompareByte(Byte Byte1, Byte Byte2);
Integer sdCompareInteger(Integer Int1, Integer Int2);

// Bytes as read from a stream with what is not UTF-8 made U+FFFD, as in text
// read from a file, so a document never holds text it cannot write back.
UTF8String sdValidUtf8(const UTF8String& Bytes);
// UTF-16 units to UTF-8 without line-break handling; pairs become four
// bytes and lone surrogates U+FFFD. Returns the bytes written (Dest needs
// 3 bytes per unit).
Integer sdUtf16ToUtf8Mem(const char16_t* Source, char* Dest, Integer Count);
// Count bytes of UTF-8 to UTF-16; four-byte sequences become pairs, bad or
// truncated sequences U+FFFD; Source advances by what was read. Returns the
// units written (Dest needs one unit per byte).
Integer sdUtf8ToUtf16Mem(const char*& Source, char16_t* Dest, Integer Count);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
