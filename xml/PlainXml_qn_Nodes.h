// The node model of PlainXml_qn and the document that owns the nodes
// (included by PlainXml_qn.h; not meant to be included on its own).
//
// Every node belongs to one document: names and character data are ids in
// the document's string table, and the nodes read their output settings
// from it. A container keeps one list: first what belongs inside the start
// tag (attributes, and preserved white space between them), counted by
// FDirectNodeCount, then the children; FValueIndex names the character-data
// child that carries the element's own value. Every list operation keeps
// those two right, and every reader checks them, so that no sequence of
// calls can make a value come from another node or a child land in the
// start tag.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xml/PlainXml_qn.h"

namespace vcl {
class TMultiByteDecoder;
}

namespace qn {

enum class TsdElementType : Byte {
  xeElement, xeAttribute, xeCharData, xeComment, xeCData, xeCondSection, xeDeclaration, xeStylesheet, xeDocType,
  xeDtdElement, xeDtdAttList, xeDtdEntity, xeDtdNotation, xeInstruction, xeWhiteSpace, xeQuotedText, xeEndTag, xeError
};
inline constexpr TsdElementType xeElement = TsdElementType::xeElement;
inline constexpr TsdElementType xeAttribute = TsdElementType::xeAttribute;
inline constexpr TsdElementType xeCharData = TsdElementType::xeCharData;
inline constexpr TsdElementType xeComment = TsdElementType::xeComment;
inline constexpr TsdElementType xeCData = TsdElementType::xeCData;
inline constexpr TsdElementType xeCondSection = TsdElementType::xeCondSection;
inline constexpr TsdElementType xeDeclaration = TsdElementType::xeDeclaration;
inline constexpr TsdElementType xeStylesheet = TsdElementType::xeStylesheet;
inline constexpr TsdElementType xeDocType = TsdElementType::xeDocType;
inline constexpr TsdElementType xeDtdElement = TsdElementType::xeDtdElement;
inline constexpr TsdElementType xeDtdAttList = TsdElementType::xeDtdAttList;
inline constexpr TsdElementType xeDtdEntity = TsdElementType::xeDtdEntity;
inline constexpr TsdElementType xeDtdNotation = TsdElementType::xeDtdNotation;
inline constexpr TsdElementType xeInstruction = TsdElementType::xeInstruction;
inline constexpr TsdElementType xeWhiteSpace = TsdElementType::xeWhiteSpace;
inline constexpr TsdElementType xeQuotedText = TsdElementType::xeQuotedText;
inline constexpr TsdElementType xeEndTag = TsdElementType::xeEndTag;
inline constexpr TsdElementType xeError = TsdElementType::xeError;

// "Element", "Attribute", "CharData", ... "EndTag", "Error".
const char* ElementTypeName(TsdElementType AType);
// The class made for each type; nullptr for xeEndTag and xeError.
TClass cNodeClass(TsdElementType AType);


enum class TsdNodeClosingStyle : Byte { ncDefault, ncFull, ncClose };
inline constexpr TsdNodeClosingStyle ncDefault = TsdNodeClosingStyle::ncDefault;
inline constexpr TsdNodeClosingStyle ncFull = TsdNodeClosingStyle::ncFull;
inline constexpr TsdNodeClosingStyle ncClose = TsdNodeClosingStyle::ncClose;

enum class TXmlFormatType : Byte { xfCompact, xfReadable, xfPreserve };
inline constexpr TXmlFormatType xfCompact = TXmlFormatType::xfCompact;
inline constexpr TXmlFormatType xfReadable = TXmlFormatType::xfReadable;
inline constexpr TXmlFormatType xfPreserve = TXmlFormatType::xfPreserve;

enum class TXmlCompareOption : Byte {
  xcNodeName, xcNodeType, xcNodeValue, xcAttribCount, xcAttribNames, xcAttribValues, xcChildCount, xcChildNames,
  xcChildValues, xcRecursive
};
using TXmlCompareOptions = TSet<TXmlCompareOption>;
inline constexpr TXmlCompareOption xcNodeName = TXmlCompareOption::xcNodeName;
inline constexpr TXmlCompareOption xcNodeType = TXmlCompareOption::xcNodeType;
inline constexpr TXmlCompareOption xcNodeValue = TXmlCompareOption::xcNodeValue;
inline constexpr TXmlCompareOption xcAttribCount = TXmlCompareOption::xcAttribCount;
inline constexpr TXmlCompareOption xcAttribNames = TXmlCompareOption::xcAttribNames;
inline constexpr TXmlCompareOption xcAttribValues = TXmlCompareOption::xcAttribValues;
inline constexpr TXmlCompareOption xcChildCount = TXmlCompareOption::xcChildCount;
inline constexpr TXmlCompareOption xcChildNames = TXmlCompareOption::xcChildNames;
inline constexpr TXmlCompareOption xcChildValues = TXmlCompareOption::xcChildValues;
inline constexpr TXmlCompareOption xcRecursive = TXmlCompareOption::xcRecursive;
TXmlCompareOptions xcAll();

enum class TsdQuoteCharStyle : Byte { qsQuote, qsApos };
inline constexpr TsdQuoteCharStyle qsQuote = TsdQuoteCharStyle::qsQuote;
inline constexpr TsdQuoteCharStyle qsApos = TsdQuoteCharStyle::qsApos;

enum class TsdBinaryEncoding : Byte { xbeBinHex, xbeBase64 };
inline constexpr TsdBinaryEncoding xbeBinHex = TsdBinaryEncoding::xbeBinHex;
inline constexpr TsdBinaryEncoding xbeBase64 = TsdBinaryEncoding::xbeBase64;

enum class TsdXmlBinaryMethod : Byte { bmDefault, bmZlib, bmAesz };
inline constexpr TsdXmlBinaryMethod bmDefault = TsdXmlBinaryMethod::bmDefault;
inline constexpr TsdXmlBinaryMethod bmZlib = TsdXmlBinaryMethod::bmZlib;
inline constexpr TsdXmlBinaryMethod bmAesz = TsdXmlBinaryMethod::bmAesz;

#pragma pack(push, 1)
struct TsdBomInfo {
  Byte BOM[4] = {};
  Integer Len = 0;
  TsdStringEncoding Encoding = seUTF8;
  bool HasBOM = false;
};
#pragma pack(pop)
static_assert(sizeof(TsdBomInfo) == 10);

class TXmlNode;
class TsdNodeList;
class TPlainXml;
class TsdCharData;
class TsdAttribute;
class TsdContainerNode;
class TsdBinaryXml;

using TsdXmlNodeEvent = TEvent<void(TObject* Sender, TXmlNode* Node)>;
using TXmlProgressEvent = TEvent<void(TObject* Sender, Int64 Position)>;
using TXmlNodeCompareFunction = std::function<Integer(TXmlNode* Node1, TXmlNode* Node2)>;

// The defaults nodes use when they have no document.
inline constexpr TsdEolStyle cDefaultEolStyle = esCRLF;
inline constexpr TXmlFormatType cDefaultXmlFormat = xfPreserve;

// ---------------------------------------------------------------------------
// The text parser: any supported encoding in, UTF-8 with LF line breaks out,
// read in chunks; the node classes parse themselves with its small reading
// operations. It never raises for bad input.

// S without the bytes up to 32 at either end: sdTrim's blanks.
inline std::string_view sdTrimView(std::string_view S) {
  size_t a = 0, b = S.size();
  while (a < b && static_cast<unsigned char>(S[a]) <= 32) ++a;
  while (b > a && static_cast<unsigned char>(S[b - 1]) <= 32) --b;
  return S.substr(a, b - a);
}

// The first C in [p, end), or end. Most runs the parser looks through are a
// few bytes long (names, indentation, short values), where a library call
// costs more than the search: the first 64 bytes are searched here, 16 at a
// time, and anything longer by memchr.
[[gnu::always_inline]] inline const char* sdFindByte(const char* p, const char* end, char C) {
#if defined(__SSE2__)
  const __m128i k = _mm_set1_epi8(C);
  for (int i = 0; i < 4 && end - p >= 16; ++i, p += 16) {
    unsigned m = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), k)));
    if (m) return p + __builtin_ctz(m);
  }
  if (end - p >= 16) {
    const void* hit = std::memchr(p, C, static_cast<size_t>(end - p));
    return hit ? static_cast<const char*>(hit) : end;
  }
#endif
  while (p < end && *p != C) ++p;
  return p;
}

// Whether the first and last sizeof(W) of the N bytes at A and B (N at
// least sizeof(W)) are the same: two overlapping loads cover them all when
// N is at most twice that.
template <class W>
[[gnu::always_inline]] inline bool sdSameEnds(const char* a, const char* b, size_t n) {
  W a0, a1, b0, b1;
  std::memcpy(&a0, a, sizeof(W));
  std::memcpy(&b0, b, sizeof(W));
  std::memcpy(&a1, a + n - sizeof(W), sizeof(W));
  std::memcpy(&b1, b + n - sizeof(W), sizeof(W));
  return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

// Whether the N bytes (1 to 16) at A and B are the same: two overlapping
// loads of the widest word that fits, instead of a loop.
[[gnu::always_inline]] inline bool sdSameShortBytes(const char* a, const char* b, size_t n) {
  if (n >= 8) return sdSameEnds<UInt64>(a, b, n);
  if (n >= 4) return sdSameEnds<uint32_t>(a, b, n);
  return a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1];
}

// Whether stored text refers to an entity other than the standard ones
// (a name between '&' and ';'). Reads up to 48 bytes past the text's end,
// as the string table's watch may. Wide lets it look at 32 bytes at a time
// where sdWideUtf8Check says the processor can (tests compare both ways).
bool sdHasEntityReference(std::string_view Text);
bool sdHasEntityReference(std::string_view Text, bool Wide);

// Whether N bytes are UTF-8 throughout: no stray, overlong or cut-off
// sequence, no surrogate, nothing past U+10FFFF. Wide lets it check 32
// bytes at a time where sdWideUtf8Check says the processor can (tests
// compare both ways).
bool sdIsUtf8(const char* S, size_t N, bool Wide = true);
bool sdWideUtf8Check();

// The decoded text of a parser: a byte buffer that grows without clearing
// what it adds, since every byte it grows by is written by the decoder right
// after (a std::string zero-fills each chunk first, about one extra pass over
// the whole document). A NUL always stands after the last byte, as in a
// string, so a scan that stops at NUL stops at the end.
class TsdUtf8TextBuffer {
 public:
  TsdUtf8TextBuffer() = default;
  TsdUtf8TextBuffer(const TsdUtf8TextBuffer&) = delete;
  TsdUtf8TextBuffer& operator=(const TsdUtf8TextBuffer&) = delete;
  ~TsdUtf8TextBuffer() {
    if (FCapacity) delete[] FData;
  }
  size_t size() const { return FSize; }
  char* data() { return FData; }
  const char* data() const { return FData; }
  char operator[](size_t I) const { return FData[I]; }
  // Bytes past the old size are left as they are until written. At least
  // 16 bytes of room stand behind the last byte, so that a 16-byte read
  // from any byte of the text stays in the block (see AddPadded).
  void resize(size_t N) {
    if (N + 16 >= FCapacity) Grow(N);
    FSize = N;
    FData[N] = '\0';
  }
  void append(const char* P, size_t N) {
    size_t at = FSize;
    resize(at + N);
    if (N) std::memcpy(FData + at, P, N);
  }
  // Drops the first N bytes.
  void erase_front(size_t N) {
    if (N == 0) return;
    std::memmove(FData, FData + N, FSize - N);
    resize(FSize - N);
  }
  std::string substr(size_t Pos, size_t N) const { return std::string(data() + Pos, std::min(N, FSize - Pos)); }
  // Empty, keeping its block.
  void clear() {
    FSize = 0;
    if (FCapacity) FData[0] = '\0';
  }
  size_t capacity() const { return FCapacity; }
  void swap(TsdUtf8TextBuffer& Other) noexcept {
    std::swap(FData, Other.FData);
    std::swap(FSize, Other.FSize);
    std::swap(FCapacity, Other.FCapacity);
  }

 private:
  void Grow(size_t N) {
    size_t cap = FCapacity ? FCapacity : 256;
    while (cap <= N + 16) cap *= 2;
    char* p = new char[cap];
    if (FSize) std::memcpy(p, FData, FSize);
    if (FCapacity) delete[] FData;
    FData = p;
    FCapacity = cap;
  }
  // Until the first growth, the shared empty text (never written: any
  // resize grows first).
  inline static char FEmpty[1] = {'\0'};
  char* FData = FEmpty;
  size_t FSize = 0;
  size_t FCapacity = 0;
};

// The parser's raw bytes: room that the stream's reads fill, so it is not
// cleared first (a small document's one block was cleared whole, then read
// over). Growing keeps what it holds. 32 bytes behind the room can be read
// (never written), so that decoding reads its last block whole.
class TsdRawBuffer {
 public:
  static constexpr size_t kReadable = 32;
  size_t size() const { return FSize; }
  Byte* data() { return FData.get(); }
  const Byte* data() const { return FData.get(); }
  void resize(size_t N) {
    if (N > FCapacity) {
      std::unique_ptr<Byte[]> p(new Byte[N + kReadable]);
      std::memset(p.get() + N, 0, kReadable);
      if (FSize) std::memcpy(p.get(), FData.get(), FSize);
      FData = std::move(p);
      FCapacity = N;
    }
    FSize = N;
  }
  size_t capacity() const { return FCapacity; }
  void swap(TsdRawBuffer& Other) noexcept {
    std::swap(FData, Other.FData);
    std::swap(FSize, Other.FSize);
    std::swap(FCapacity, Other.FCapacity);
  }

 private:
  std::unique_ptr<Byte[]> FData;
  size_t FSize = 0;
  size_t FCapacity = 0;
};

// The blocks of a parser, kept by a document from one load to the next so
// that a load of a small document takes no heap block for them. Only the
// room is kept: a parser starts with both empty.
struct TsdParserBuffers {
  TsdRawBuffer Raw;
  TsdUtf8TextBuffer Text;
};

class TsdXmlParser : public TDebugPersistent {
  QN_CLASS(TsdXmlParser, TDebugPersistent)
 public:
  TsdXmlParser(TStream* Source, Integer ChunkSize);
  // The same, working in the blocks of Spare (left empty meanwhile), which
  // get them back, with what they have grown to, when the parser ends.
  TsdXmlParser(TStream* Source, Integer ChunkSize, TsdParserBuffers* Spare);
  ~TsdXmlParser() override;

  void SetOwner(TDebugComponent* AOwner) { FOwner = AOwner; }
  bool IsBinaryXml() const;
  // The bytes read so far and not yet decoded (before ReadBOM: the stream's
  // first chunk), for a caller that hands the stream on.
  std::string_view RawBytes() const {
    return {reinterpret_cast<const char*>(FRawBuffer.data()) + FRawFirstIdx,
            static_cast<size_t>(FRawLastIdx - FRawFirstIdx)};
  }
  void ReadBOM();
  // Decodes the most recent chunk again in the code page (0 or 65001: UTF-8).
  // False, with nothing changed, where the page reads the text already
  // parsed otherwise than it was read.
  bool SetCodePage(Integer ACodePage);
  char NextChar() {
    if (FUtf8CurrentIdx < static_cast<Integer>(FUtf8Buffer.size()))
      return FUtf8Buffer[static_cast<size_t>(FUtf8CurrentIdx++)];
    return NextCharSlow();
  }
  // Consumes C when it is the next character of the text at hand.
  bool SkipChar(char C) {
    if (FUtf8CurrentIdx >= static_cast<Integer>(FUtf8Buffer.size()) ||
        FUtf8Buffer[static_cast<size_t>(FUtf8CurrentIdx)] != C)
      return false;
    ++FUtf8CurrentIdx;
    return true;
  }
  void MoveBack() {
    if (FUtf8CurrentIdx <= 0) MoveBackFailed();
    --FUtf8CurrentIdx;
  }
  char NextCharSkipBlanks(UTF8String& Blanks);
  bool CheckString(std::string_view S);
  UTF8String ReadString(Integer Start, Integer Count) const;
  UTF8String ReadStringUntilChar(char C);
  UTF8String ReadQuotedString(char Quote) { return ReadStringUntilChar(Quote); }
  UTF8String ReadStringUntil(std::string_view S);
  UTF8String ReadStringUntilBlankOrEndTag();
  // The kind of markup behind "<": elements and end tags, the usual ones,
  // without a call.
  TsdElementType ReadOpenTag() {
    if (FUtf8CurrentIdx < static_cast<Integer>(FUtf8Buffer.size())) {
      char c = FUtf8Buffer[static_cast<size_t>(FUtf8CurrentIdx)];
      if (c == '/') {
        ++FUtf8CurrentIdx;
        return xeEndTag;
      }
      if (c != '!' && c != '?' && c != 0) return xeElement;
    }
    return ReadOpenTagSlow();
  }
  // The same reads without a copy: the views point into the parser's
  // buffer and hold until the next read or Flush.
  [[gnu::always_inline]] std::string_view ReadViewUntilChar(char C) {
    // Inline while the character is in the decoded text at hand.
    const char* base = FUtf8Buffer.data();
    const char* from = base + FUtf8CurrentIdx;
    const char* last = base + FUtf8Buffer.size();
    const char* hit = from < last ? sdFindByte(from, last, C) : last;
    if (hit == last) return ReadViewUntilCharSlow(C, FUtf8CurrentIdx);
    FUtf8CurrentIdx = static_cast<Integer>(hit - base) + 1;
    return {from, static_cast<size_t>(hit - from)};
  }
  // Consumes Name and the '>' behind it when they stand at the read
  // position in the text at hand and ReadViewUntilChar('>') would give
  // Name unchanged after trimming blanks (Name is not empty, holds no '>'
  // and neither starts nor ends with a blank): the end tag of an element
  // of that name, matched without a search.
  bool SkipEndTagOf(std::string_view Name) { return SkipEndTagWith<EndTagAt>(Name); }
  // The same test for text at P before End, without a read.
  [[gnu::always_inline]] static bool EndTagAt(const char* p, const char* End, std::string_view Name) {
    size_t n = Name.size();
    if (n == 0 || static_cast<size_t>(End - p) <= n || p[n] != '>') return false;
    const char* q = Name.data();
    auto blank = [](char c) { return c == 9 || c == 10 || c == 13 || c == 32; };
    if (blank(q[0]) || blank(q[n - 1])) return false;
#if defined(__SSE2__)
    // The usual short name with 16 bytes of text at hand: the first '>' of
    // one block must be the one behind the name, and the name is compared
    // in two overlapping words.
    if (n < 16 && End - p >= 16) {
      unsigned m = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8('>'))));
      return (m & ((2u << n) - 1)) == 1u << n && sdSameShortBytes(p, q, n);
    }
#endif
    for (size_t i = 0; i < n; ++i)
      if (p[i] != q[i] || q[i] == '>') return false;
    return true;
  }
  // SkipEndTagOf and EndTagAt for a name with 16 bytes readable from its
  // start on, a symbol's: the name and the '>' behind it are compared in
  // one 16-byte step whatever the name's length below 16 (the parser's text
  // has that room behind its end, too).
  bool SkipEndTagOfSymbol(std::string_view Name) { return SkipEndTagWith<EndTagOfSymbolAt>(Name); }
  // Consumes Name and the '>' behind it at the read position when Match
  // finds them there.
  template <bool (*Match)(const char*, const char*, std::string_view)>
  bool SkipEndTagWith(std::string_view Name) {
    const char* p = FUtf8Buffer.data() + FUtf8CurrentIdx;
    if (!Match(p, FUtf8Buffer.data() + FUtf8Buffer.size(), Name)) return false;
    FUtf8CurrentIdx += static_cast<Integer>(Name.size() + 1);
    return true;
  }
  [[gnu::always_inline]] static bool EndTagOfSymbolAt(const char* p, const char* End, std::string_view Name) {
#if defined(__SSE2__)
    size_t n = Name.size();
    const char* q = Name.data();
    if (n - 1 < 15 && End - p > static_cast<std::ptrdiff_t>(n)) {
      auto blank = [](char c) { return c == 9 || c == 10 || c == 13 || c == 32; };
      if (blank(q[0]) || blank(q[n - 1])) return false;
      __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      unsigned same = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(t, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)))));
      unsigned gt = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(t, _mm_set1_epi8('>'))));
      unsigned name = (1u << n) - 1;
      return ((same & name) == name) & ((gt & (name * 2 + 1)) == name + 1);
    }
#endif
    return EndTagAt(p, End, Name);
  }
  // Empty, with the premature-end warning, when S never comes.
  std::string_view ReadViewUntil(std::string_view S);
  // The first S (not empty; its letters in either case) in [Q, End), where
  // ReadViewUntil would find it without reading on; nullptr when there is
  // none, with Q at the candidate too near End or at End.
  static const char* FindAtHand(const char*& Q, const char* End, std::string_view S);
  std::string_view ReadViewUntilBlankOrEndTag();
  // Skips blanks and returns the next character (consumed), 0 at the end.
  char SkipBlanks(std::string_view& Blanks) {
    // Most calls stand on a non-blank already.
    if (FUtf8CurrentIdx < static_cast<Integer>(FUtf8Buffer.size())) {
      const char* p = FUtf8Buffer.data() + FUtf8CurrentIdx;
      char c = *p;
      if (c != 9 && c != 10 && c != 13 && c != 32) {
        Blanks = std::string_view(p, 0);
        ++FUtf8CurrentIdx;
        return c;
      }
    }
    return SkipBlanksSlow(Blanks);
  }
  // The decoded text at hand from the read position, for loops that scan
  // it with pointers; SetCurrent moves the read position inside it.
  const char* Current() const { return FUtf8Buffer.data() + FUtf8CurrentIdx; }
  const char* TextEnd() const { return FUtf8Buffer.data() + FUtf8Buffer.size(); }
  void SetCurrent(const char* P) { FUtf8CurrentIdx = static_cast<Integer>(P - FUtf8Buffer.data()); }
  Int64 PositionAt(const char* P) const { return FUtf8BasePosition + (P - FUtf8Buffer.data()); }
  Int64 GetLineNumber() const;
  Int64 GetPosition() const { return FUtf8BasePosition + FUtf8CurrentIdx; }
  void Flush(bool Force = false) {
    // Called for every element: most calls find nothing worth compacting.
    // The text is compacted once 16 KB are consumed and at most 8 KB are
    // left to move, as the text at hand is nearly read, or else once 256 KB
    // are consumed; compacting at half the buffer moved about as much text
    // again as the document holds.
    if (FUtf8CurrentIdx <= 0 ||
        (!Force && (FUtf8CurrentIdx < 16384 ||
                    (FUtf8Buffer.size() - static_cast<size_t>(FUtf8CurrentIdx) > 8192 && FUtf8CurrentIdx < 262144))))
      return;
    Compact();
  }
  bool EndOfStream() const { return FEndOfStream; }
  const TsdBomInfo& BomInfo() const { return FBomInfo; }
  TsdStringEncoding Encoding() const { return FEncoding; }
  Integer CodePage() const { return FCodePage; }
  bool FEndOfStream = false;
  // A node has reported that the text ends before it is complete.
  bool FPrematureEnd = false;

 protected:
  void EncodeChunk();
  void Compact();
  void ReadNextChunk();
  bool MakeDataAvailable();
  void DecodeRaw(Integer From, Integer To, bool Final);
  Integer ReadFull(Byte* Buffer, Integer Count);
  char NextCharSlow();
  TsdElementType ReadOpenTagSlow();
  [[noreturn]] static void MoveBackFailed();
  char SkipBlanksSlow(std::string_view& Blanks);
  std::string_view ReadViewUntilCharSlow(char C, Integer Start);
  // Reads on until Count bytes stand after the read position, or the end.
  bool Ensure(Integer Count);
  std::string_view ViewOf(Integer Start, Integer End) const {
    return {FUtf8Buffer.data() + Start, static_cast<size_t>(End - Start)};
  }

  TsdBomInfo FBomInfo;
  TStream* FSource;
  Integer FChunkSize;
  TsdRawBuffer FRawBuffer;
  TsdUtf8TextBuffer FUtf8Buffer;
  TsdStringEncoding FEncoding = seUTF8;
  Integer FCodePage = 0;
  Integer FRawFirstIdx = 0;
  Integer FRawLastIdx = 0;
  Integer FRawDecodedIdx = 0;  // raw bytes up to here are decoded; the rest waits for more
  Integer FUtf8FirstIdx = 0;
  Integer FUtf8CurrentIdx = 0;
  Int64 FUtf8BasePosition = 0;
  Int64 FBaseLineNumber = 0;
  bool FLastChar0D = false;
  bool FChunkStartCR = false;  // the CR state where the most recent chunk began
  bool FDecoding = false;      // ReadBOM has chosen how to decode
  TBytes FScratch;
  TsdParserBuffers* FSpare = nullptr;
  // The decoder of a code page, kept from chunk to chunk: it carries the
  // shift state of pages that have one across the chunk edges.
  std::unique_ptr<vcl::TMultiByteDecoder> FDecoder;
  std::u16string FWide;
};

// ---------------------------------------------------------------------------
// Node lists: the children of a container and the document's root list. They
// own their items.

class TsdNodeList : public TObject {
  QN_CLASS(TsdNodeList, TObject)
 public:
  explicit TsdNodeList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  // Frees the nodes one by one without recursing through the tree.
  ~TsdNodeList() override;
  virtual void Clear();

  Integer Count() const { return FCount; }
  // Raises "List index out of bounds (%d)" like any list.
  TXmlNode* Items(Integer Index) const;
  TXmlNode* GetItems(Integer Index) const {
    return Index >= 0 && Index < FCount ? FItems[Index] : nullptr;
  }
  TXmlNode* operator[](Integer Index) const { return GetItems(Index); }
  TXmlNode* const* List() const { return FItems; }
  TXmlNode** List() { return FItems; }
  Integer Add(TXmlNode* ANode) {
    NoteAdded(ANode);
    return AddArenaNode(ANode);
  }
  // Add and Insert for the parser, which knows that the node and the list's
  // owner come from the same arena: the arena stays clean.
  [[gnu::always_inline]] Integer AddArenaNode(TXmlNode* ANode) {
    if (FCount == FCapacity) Grow(ANode);
    FItems[FCount] = ANode;
    return FCount++;
  }
  void InsertArenaNode(Integer Index, TXmlNode* ANode);
  void Insert(Integer Index, TXmlNode* ANode);
  // Frees the node while the list owns its nodes.
  void Delete(Integer Index);
  Integer Remove(TXmlNode* ANode);
  Integer IndexOf(TXmlNode* ANode) const;
  void Exchange(Integer Index1, Integer Index2);
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
  // Forgets the entries from Count on without freeing them (for callers
  // that compact the list in place).
  void Truncate(Integer Count) {
    if (Count >= 0 && Count < FCount) {
      NoteRemoved(FItems[0]);
      FCount = Count;
    }
  }

  TXmlNode* ByType(TsdElementType AType) const;
  TXmlNode* FindFirst() const { return GetItems(0); }
  // Document order: the first child, else the next sibling of the node or
  // of its nearest ancestor that has one.
  TXmlNode* FindNext(TXmlNode* ANode) const;
  // Raises "index must be >= 0" for a parentless node not in this list.
  TXmlNode* GetNextSiblingOf(TXmlNode* ANode) const;
  TXmlNode* GetLastSiblingOf(TXmlNode* ANode) const;

 private:
  // Most elements have one or two entries (a name's value, an attribute):
  // those live in the list itself; longer lists take blocks from the node
  // pools.
  static constexpr Integer kInline = 2;
  // Keeps the document's node arena told whether its tree still holds only
  // arena nodes and whether arena nodes left the tree alive (see
  // TsdNodeArena).
  static void NoteAdded(TXmlNode* ANode);
  static void NoteRemoved(TXmlNode* ANode);
  // Room for one more entry; the block comes from the arena of the node
  // being added, when it has one.
  void Grow(TXmlNode* ANode);
  friend class TPlainXml;
  void Release();  // gives the entries' block back, leaving an empty list
  TXmlNode** FItems = FInline;
  Integer FCount = 0;
  Integer FCapacity = kInline;
  bool FOwnsObjects;
  TXmlNode* FInline[kInline] = {};
};

// A new node of cNodeClass(AType) for the parser (nullptr where that is
// nullptr): from the document's arena where the kind allows.
TXmlNode* NewParsedNode(TsdElementType AType, TPlainXml* Doc);

// Blocks from the node pools (any size; large ones come from the heap).
// sdNodeFree takes any node block: pooled, heap or arena.
void* sdNodeAlloc(std::size_t n);
void sdNodeFree(void* p);

// Sanitizer builds take every node from the heap, so that use after free
// and leaks stay visible; their blocks carry a second header word (the
// block's index in its arena).
#if defined(__SANITIZE_ADDRESS__)
#define QN_XML_HEAP_NODES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define QN_XML_HEAP_NODES 1
#endif
#endif
#ifdef QN_XML_HEAP_NODES
inline constexpr std::size_t kXmlNodeHeader = 16;
#else
inline constexpr std::size_t kXmlNodeHeader = 8;
#endif

// The nodes a parse makes, with their child lists and attribute values, come
// from their document's arena. Freeing the tree before the next load is then
// one reset of the arena instead of a walk over every node, as long as two
// things hold, which the node lists watch: the tree holds nothing but nodes
// of the current arena (a node from elsewhere makes the arena Dirty), and no
// arena node lives outside the tree (taking one out of a list without
// freeing it makes the arena Dirty). A dirty arena's tree is freed node by
// node as before. Every block counts in Live until it is freed, so an arena
// whose nodes outlive its document's tree stays (as an orphan) until the
// last of them is freed. Only kinds whose members own nothing but their list
// and value come from the arena.
class TsdNodeArena {
 public:
  TsdNodeArena() = default;
  TsdNodeArena(const TsdNodeArena&) = delete;
  TsdNodeArena& operator=(const TsdNodeArena&) = delete;
  ~TsdNodeArena();
  [[gnu::always_inline]] void* Alloc(std::size_t n) {
    // The block 1 KB ahead is fetched for writing: a large document's nodes
    // are written to memory that is no longer in the cache.
    // Room in the current block, inline (the same layout as AllocSlow's:
    // an eight-byte header naming the arena; sanitizer builds never have
    // a current block and always take AllocSlow). Blocks are whole words:
    // no node needs more alignment (see Make), and the smaller nodes would
    // waste a sixth of their block on rounding to 16.
    std::size_t need = (n + 8 + 7) & ~std::size_t(7);
    if (need <= 8192 && static_cast<std::size_t>(FEnd - FCur) >= need) {
      char* b = FCur;
      __builtin_prefetch(b + 1024, 1, 3);
      FCur += need;
      *reinterpret_cast<UInt64*>(b) = reinterpret_cast<UInt64>(this);
      ++Live;
      return b + 8;
    }
    return AllocSlow(n);
  }
  void* AllocSlow(std::size_t n);
  // A block of this arena given back (called by sdNodeFree).
  void Free(void* Block, bool Large);
  // Forgets every block at once: only when nothing allocated is in use.
  void Reset();
  // A node of class T made in the arena for the document.
  template <class T>
  [[gnu::always_inline]] static inline T* Make(TsdNodeArena* A, TPlainXml* Doc);
  // The arena a node of an arena came from. Arena kinds derive singly from
  // TXmlNode, so the node starts its block.
  static TsdNodeArena* Of(const TXmlNode* ANode) {
    const char* b = reinterpret_cast<const char*>(ANode) - kXmlNodeHeader;
    UInt64 w;
    std::memcpy(&w, b, sizeof w);
    return reinterpret_cast<TsdNodeArena*>(w & ~UInt64(1));
  }

  bool Dirty = false;
  bool Orphan = false;  // its document has moved on; freed with its last block
  std::size_t Live = 0;

 private:
  std::vector<char*> FBlocks;  // fixed-size blocks, kept over a Reset
  std::size_t FBlock = 0;      // the block being filled
  char* FCur = nullptr;
  char* FEnd = nullptr;
  std::vector<void*> FLarge;  // blocks of their own (long child lists)
};

// The owner of a node that TsdNodeArena::Make creates for a document: known
// to be one, so the constructor need not ask.
struct TsdParsedOwner {
  TDebugComponent* Document;
};

namespace detail {
// The document this thread is parsing: nodes made for it skip asking the
// owner's class in their constructor.
extern thread_local const void* tsdKnownDocument;
}  // namespace detail

// Declares the five constructors every concrete node class has; the ones
// with a name and a value set them through the class's own setters.
#define QN_XML_NODE(Cls, Parent)                                                                     \
  QN_CLASS_CREATE(Cls, Parent, ::vcl::TComponent)                                                    \
 public:                                                                                             \
  explicit Cls(::vcl::TComponent* AOwner) : Parent(AOwner) {}                                        \
  explicit Cls(::qn::TsdParsedOwner AOwner) : Parent(AOwner) {}                                      \
  Cls(::vcl::TComponent* AOwner, TXmlNode* AParent) : Cls(AOwner) { AttachTo(AParent); }             \
  Cls(::vcl::TComponent* AOwner, TXmlNode* AParent, TXmlNode* ANode, bool ABefore) : Cls(AOwner) {   \
    NodeInsertNear(AParent, ANode, ABefore);                                                         \
  }                                                                                                  \
  Cls(TPlainXml* ADocument, const UTF8String& AName) : Cls(DocumentAsOwner(ADocument)) { SetName(AName); } \
  Cls(TPlainXml* ADocument, const UTF8String& AName, const UTF8String& AValue)                      \
      : Cls(DocumentAsOwner(ADocument)) {                                                            \
    SetName(AName);                                                                                  \
    SetValue(AValue);                                                                                \
  }                                                                                                  \
                                                                                                     \
 private:

::vcl::TComponent* DocumentAsOwner(TPlainXml* ADocument);

// ---------------------------------------------------------------------------
// The abstract node

class TXmlNode : public TDebugPersistent {
  QN_CLASS(TXmlNode, TDebugPersistent)
 public:
  // Raises "XML owner is not assigned" unless AOwner is a document.
  explicit TXmlNode(TComponent* AOwner)
      : TDebugPersistent(AOwner && AOwner == detail::tsdKnownDocument ? static_cast<TDebugComponent*>(AOwner)
                                                                        : CheckOwner(AOwner)) {}
  explicit TXmlNode(TsdParsedOwner AOwner) : TDebugPersistent(AOwner.Document) {}
  ~TXmlNode() override;

  // Nodes come from per-thread pools of blocks by size: a document of a
  // million nodes is built and freed without a million trips to the heap.
  static void* operator new(std::size_t n);
  static void* operator new(std::size_t, void* where) noexcept { return where; }
  static void operator delete(TXmlNode* p, std::destroying_delete_t);
  static void operator delete(void* p);
  [[gnu::always_inline]] static void* operator new(std::size_t n, TsdNodeArena* Arena) { return Arena->Alloc(n); }
  // Only reached when a constructor raises.
  static void operator delete(void* p, TsdNodeArena*) { sdNodeFree(p); }
  bool InArena() const { return FInArena; }

  TPlainXml* Document() const;
  TXmlNode* Parent() const { return FParent; }
  Integer AddString(std::string_view S);
  UTF8String GetString(Integer ID) const;

  virtual UTF8String GetName();
  virtual UTF8String GetValue();
  virtual void SetName(const UTF8String& Value);
  virtual void SetValue(const UTF8String& Value);
  UTF8String Name() { return GetName(); }
  UTF8String Value() { return GetValue(); }
  virtual TsdElementType ElementType() const { return xeError; }
  virtual Int64 GetSourcePos() const { return 0; }
  UTF8String ElementTypeName() const { return qn::ElementTypeName(ElementType()); }

  // Structure; the base answers "nothing here" and refuses changes.
  virtual Integer GetNodeCount() const { return 0; }
  virtual TXmlNode* GetNodes(Integer Index) const { return nullptr; }
  virtual Integer GetDirectNodeCount() const { return 0; }
  virtual Integer GetContainerCount() const;
  virtual TsdContainerNode* GetContainers(Integer Index) const;
  virtual Integer GetElementCount() const;
  virtual TXmlNode* GetElements(Integer Index) const;
  virtual Integer GetAttributeCount() const;
  TsdAttribute* GetAttributes(Integer Index) const;
  virtual Integer NodeAdd(TXmlNode* ANode);
  virtual void NodeInsert(Integer Index, TXmlNode* ANode);
  virtual void NodeDelete(Integer Index);
  virtual TXmlNode* NodeExtract(TXmlNode* ANode);
  virtual void NodeExchange(Integer Index1, Integer Index2);
  virtual void NodesClear();
  virtual void Clear();
  virtual Integer NodeIndexOf(TXmlNode* ANode) const;
  void NodeRemove(TXmlNode* ANode);
  void NodeRemoveEx(TXmlNode* ANode);
  virtual TXmlNode* NodeNew(const UTF8String& AName);
  virtual TXmlNode* NodeNewAtIndex(Integer Index, const UTF8String& AName);
  TXmlNode* NodeFindOrCreate(const UTF8String& AName);
  virtual TsdAttribute* AttributeAdd(TsdAttribute* AAttribute);
  TsdAttribute* AttributeAdd(const UTF8String& AName, const UTF8String& AValue);
  void AttributesAdd(const std::vector<TsdAttribute*>& AAttributes);
  void NodesAdd(const std::vector<TXmlNode*>& ANodes);
  TXmlNode* FirstNodeByType(TsdElementType AType) const;
  TXmlNode* NextSibling(TXmlNode* ANode) const;
  void Delete();
  void DeleteEmptyNodes();
  bool IsEmpty();
  bool IsClear();
  void AttributesClear();
  void AttributeDelete(Integer Index);
  void ElementsClear();
  void ElementDelete(Integer Index);
  Integer IndexInParent() const;
  Integer TreeDepth() const;
  TXmlNode* GetParentNode(Integer Level) const;
  UTF8String GetParentNodeName(Integer Level) const;

  // Look-up (names compare case-blind except in HasAttribute).
  TXmlNode* NodeByName(const UTF8String& AName) const;
  void NodesByName(const UTF8String& AName, std::vector<TXmlNode*>* AList) const;
  Integer NodeIndexByName(const UTF8String& AName) const;
  Integer AttributeIndexByName(const UTF8String& AName) const;
  TXmlNode* FindNode(const UTF8String& AName) const;
  void FindNodes(const UTF8String& AName, std::vector<TXmlNode*>* AList) const;
  bool CompareNodeName(const UTF8String& NodeName);
  UTF8String GetFullPath();
  TsdAttribute* GetAttributeByName(const UTF8String& AName) const;
  UTF8String GetAttributeName(Integer Index) const;
  UTF8String GetAttributeValue(Integer Index) const;
  UTF8String GetAttributeValueByName(const UTF8String& AName) const;
  Integer GetAttributeValueAsInteger(Integer Index) const;
  bool HasAttribute(const UTF8String& AName) const;
  void SetAttributeValueByName(const UTF8String& AName, const UTF8String& AValue);
  void SetAttributeName(Integer Index, const UTF8String& AName);
  void SetAttributeValue(Integer Index, const UTF8String& AValue);
  void SetAttributeValueAsInteger(Integer Index, Integer AValue);
  String GetAttributeValueByNameWide(const UTF8String& AName) const;
  void SetAttributeValueByNameWide(const UTF8String& AName, const String& AValue);
  String GetAttributeNameWide(Integer Index) const;
  void SetAttributeNameWide(Integer Index, const String& AName);
  String GetAttributeValueWide(Integer Index) const;
  void SetAttributeValueWide(Integer Index, const String& AValue);
  TXmlNode* NodeByAttributeValue(const UTF8String& NodeName, const UTF8String& AttribName,
                                 const UTF8String& AttribValue, bool ShouldRecurse = false) const;
  String GetNameWide() { return sdUtf8ToWide(GetName()); }
  void SetNameWide(const String& Value) { SetName(sdWideToUtf8(Value)); }
  String GetValueWide() { return sdUtf8ToWide(GetValue()); }
  void SetValueWide(const String& Value) { SetValue(sdWideToUtf8(Value)); }

  // Typed values through GetValue / SetValue.
  bool HasNonStandardReferences();
  bool GetValueAsBool();
  double GetValueAsFloat();
  TDateTime GetValueAsDateTime();
  Integer GetValueAsInteger();
  Int64 GetValueAsInt64();
  bool GetValueAsBoolDef(bool ADefault);
  double GetValueAsFloatDef(double ADefault);
  TDateTime GetValueAsDateTimeDef(TDateTime ADefault);
  Integer GetValueAsIntegerDef(Integer ADefault);
  Int64 GetValueAsInt64Def(Int64 ADefault);
  void SetValueAsBool(bool AValue);
  void SetValueAsFloat(double AValue);
  void SetValueAsDate(TDateTime AValue);
  void SetValueAsTime(TDateTime AValue);
  void SetValueAsDateTime(TDateTime AValue);
  void SetValueAsInteger(Integer AValue);
  void SetValueAsInt64(Int64 AValue);

  bool ReadBool(const UTF8String& AName, bool ADefault = false);
  TDateTime ReadDateTime(const UTF8String& AName, TDateTime ADefault = 0);
  double ReadFloat(const UTF8String& AName, double ADefault = 0);
  Integer ReadInteger(const UTF8String& AName, Integer ADefault = 0);
  Int64 ReadInt64(const UTF8String& AName, Int64 ADefault = 0);
  UTF8String ReadString(const UTF8String& AName, const UTF8String& ADefault = "");
  String ReadUnicodeString(const UTF8String& AName, const String& ADefault = u"");
  AnsiString ReadAnsiString(const UTF8String& AName, const AnsiString& ADefault = "");
  bool ReadAttributeBool(const UTF8String& AName, bool ADefault = false);
  Integer ReadAttributeInteger(const UTF8String& AName, Integer ADefault = 0);
  Int64 ReadAttributeInt64(const UTF8String& AName, Int64 ADefault = 0);
  double ReadAttributeFloat(const UTF8String& AName, double ADefault = 0);
  UTF8String ReadAttributeString(const UTF8String& AName, const UTF8String& ADefault = "");
  String ReadAttributeUnicodeString(const UTF8String& AName, const String& ADefault = u"");
  AnsiString ReadAttributeAnsiString(const UTF8String& AName, const AnsiString& ADefault = "");
  TDateTime ReadAttributeDateTime(const UTF8String& AName, TDateTime ADefault = 0);
  void WriteBool(const UTF8String& AName, bool AValue, bool ADefault = false);
  void WriteDateTime(const UTF8String& AName, TDateTime AValue, TDateTime ADefault = 0);
  void WriteFloat(const UTF8String& AName, double AValue, double ADefault = 0);
  void WriteHex(const UTF8String& AName, Integer AValue, Integer ADigits, Integer ADefault = 0);
  void WriteInteger(const UTF8String& AName, Integer AValue, Integer ADefault = 0);
  void WriteInt64(const UTF8String& AName, Int64 AValue, Int64 ADefault = 0);
  void WriteString(const UTF8String& AName, const UTF8String& AValue, const UTF8String& ADefault = "");
  void WriteUnicodeString(const UTF8String& AName, const String& AValue, const String& ADefault = u"");
  void WriteAnsiString(const UTF8String& AName, const AnsiString& AValue, const AnsiString& ADefault = "");
  void WriteAttributeInteger(const UTF8String& AName, Integer AValue, Integer ADefault = 0);
  void WriteAttributeInt64(const UTF8String& AName, Int64 AValue, Int64 ADefault = 0);
  void WriteAttributeFloat(const UTF8String& AName, double AValue, double ADefault = 0);
  void WriteAttributeString(const UTF8String& AName, const UTF8String& AValue, const UTF8String& ADefault = "");
  void WriteAttributeUnicodeString(const UTF8String& AName, const String& AValue, const String& ADefault = u"");
  void WriteAttributeAnsiString(const UTF8String& AName, const AnsiString& AValue, const AnsiString& ADefault = "");
  void WriteAttributeDateTime(const UTF8String& AName, TDateTime AValue, TDateTime ADefault = 0);
  void WriteAttributeBool(const UTF8String& AName, bool AValue, bool ADefault = false);
  TXmlNode* WriteValue(const UTF8String& AName, const UTF8String& AValue);
  bool GetWriteOnDefault() const;
  void SetWriteOnDefault(bool Value);

  // Binary data as Base64 text (lines of 76 in readable output).
  Integer BufferLength();
  void BufferRead(void* Buffer, Integer Count, TsdBinaryEncoding BinaryEncoding = xbeBase64);
  void BufferWrite(const void* Buffer, Integer Count);
  RawByteString GetBinaryString(TsdBinaryEncoding BinaryEncoding = xbeBase64);
  void SetBinaryString(const RawByteString& Value);

  void Assign(TPersistent* Source) override;
  // Makes this node a deep copy of Source (same document or another).
  virtual void CopyFrom(TObject* ASource);
  bool IsEqualTo(TXmlNode* ANode, TXmlCompareOptions Options, std::vector<TXmlNode*>* MismatchNodes = nullptr);
  // Orders the children (not the attributes) by name, or by Compare.
  void SortChildNodes(const TXmlNodeCompareFunction& Compare = nullptr);

  UTF8String GetIndent() const;
  UTF8String GetEndOfLine() const;
  UTF8String GetSeparator() const;
  TsdEolStyle GetEolStyle() const;
  TXmlFormatType GetXmlFormat() const;
  bool GetPreserveWhiteSpace() const;

  void DoNodeNew(TXmlNode* ANode);
  void DoNodeLoaded(TXmlNode* ANode);
  void DoProgress(Int64 Position);

  // Reading and writing XML text. ParseStream returns the node the caller
  // must treat as the one just completed (another one after a repair).
  virtual TXmlNode* ParseStream(TsdXmlParser* P) { return this; }
  virtual void WriteStream(TStream* S) {}
  // The children's text (containers), or the node's own.
  virtual void WriteContent(TStream* S) { WriteStream(S); }
  UTF8String GetContent();
  UTF8String WriteToString();

  // Copies this node's own data (name, value, settings; not its children)
  // from a node of the same kind, re-interning text in this document.
  virtual void CopyOwnData(TXmlNode* ASource) {}

 protected:
  friend class TsdContainerNode;
  friend class TsdNodeList;
  friend class TPlainXml;
  friend class TsdAttribute;
  friend class TsdDocType;
  void AttachTo(TXmlNode* AParent);
  void NodeInsertNear(TXmlNode* AParent, TXmlNode* ANode, bool ABefore);
  [[noreturn]] void RaiseNoNodes() const;
  static TDebugComponent* CheckOwner(TComponent* AOwner);

  TXmlNode* FParent = nullptr;
  friend class TsdNodeArena;
  bool FInArena = false;  // made by TsdNodeArena::Make (sits in the base's padding)
};

// ---------------------------------------------------------------------------
// Character data and its kin

class TsdCharData : public TXmlNode {
  QN_XML_NODE(TsdCharData, TXmlNode)
  friend class TsdBinaryXml;
  friend class TsdAttribute;
 public:
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "CharData"; }
  UTF8String GetValue() override;
  void SetName(const UTF8String& Value) override;
  void SetValue(const UTF8String& Value) override;
  TsdElementType ElementType() const override { return xeCharData; }
  UTF8String GetCoreValue() const { return GetString(FValueID); }
  std::string_view GetCoreView() const;
  UTF8String GetPlatformValue() const;
  void SetCoreValue(const UTF8String& Value) { FValueID = AddString(Value); }
  [[gnu::always_inline]] void SetCoreView(std::string_view Value) { FValueID = AddString(Value); }
  // The same through the document's table, for the parser, which has it at
  // hand, with a view into its text (read past its end, see AddPadded).
  [[gnu::always_inline]] void SetCoreView(TsdSymbolTable* Table, std::string_view Value) {
    FValueID = Table->AddPadded(Value);
  }
  bool IsWhiteSpace() const;
  UTF8String GetValueUsingReferences(const TsdEntityMap& Entities) const;

 protected:
  void CopyOwnData(TXmlNode* ASource) override;
  Integer FValueID = 0;
};

class TsdWhiteSpace : public TsdCharData {
  QN_XML_NODE(TsdWhiteSpace, TsdCharData)
 public:
  UTF8String GetName() override { return "WhiteSpace"; }
  TsdElementType ElementType() const override { return xeWhiteSpace; }
};

class TsdQuotedText : public TsdCharData {
  QN_XML_NODE(TsdQuotedText, TsdCharData)
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "QuotedText"; }
  TsdElementType ElementType() const override { return xeQuotedText; }
  TsdQuoteCharStyle QuoteStyle() const { return FQuoteStyle; }
  void SetQuoteStyle(TsdQuoteCharStyle Value) { FQuoteStyle = Value; }

 protected:
  void CopyOwnData(TXmlNode* ASource) override;
  TsdQuoteCharStyle FQuoteStyle = qsQuote;
};

class TsdComment : public TsdCharData {
  QN_XML_NODE(TsdComment, TsdCharData)
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "Comment"; }
  TsdElementType ElementType() const override { return xeComment; }
};

class TsdCData : public TsdComment {
  QN_XML_NODE(TsdCData, TsdComment)
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "CData"; }
  UTF8String GetValue() override { return GetCoreValue(); }
  void SetValue(const UTF8String& Value) override { SetCoreValue(Value); }
  TsdElementType ElementType() const override { return xeCData; }
};

class TsdConditionalSection : public TsdComment {
  QN_XML_NODE(TsdConditionalSection, TsdComment)
};

class TsdInstruction : public TsdCharData {
  QN_XML_NODE(TsdInstruction, TsdCharData)
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "PI"; }
  TsdElementType ElementType() const override { return xeInstruction; }
};

class TsdAttribute : public TXmlNode {
  QN_XML_NODE(TsdAttribute, TXmlNode)
  friend class TsdBinaryXml;
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  ~TsdAttribute() override;
  UTF8String GetName() override { return GetString(FNameID); }
  UTF8String GetValue() override;
  void SetName(const UTF8String& Value) override { FNameID = AddString(Value); }
  void SetValue(const UTF8String& Value) override;
  TsdElementType ElementType() const override { return xeAttribute; }
  // The value's node, made when first asked for.
  TsdQuotedText* CoreValue();
  // The stored value text and its quote, without making the value's node.
  std::string_view ValueView() const;
  TsdQuoteCharStyle ValueQuote() const { return FCoreValue ? FCoreValue->QuoteStyle() : FParsedQuote; }
  Integer NameID() const { return FNameID; }
  // The name and value read from a start tag (Quote '"' or "'"), views
  // into the parser's text.
  void SetParsed(TsdSymbolTable* Table, std::string_view AName, char Quote, std::string_view AValue);

 protected:
  void CopyOwnData(TXmlNode* ASource) override;
  // First, in the room behind the base's last field: an attribute takes
  // 48 bytes, its arena block 56.
  Integer FNameID = 0;
  std::unique_ptr<TsdQuotedText> FCoreValue;
  // A value read in one go waits here until its node is asked for: most
  // attributes are only read and written, and a node for each would
  // double what a start tag costs to build.
  Integer FParsedValueID = 0;
  TsdQuoteCharStyle FParsedQuote = qsQuote;
};

// ---------------------------------------------------------------------------
// Containers

class TsdContainerNode : public TXmlNode {
  QN_CLASS(TsdContainerNode, TXmlNode)
  friend class TsdBinaryXml;
 public:
  // Start-tag content up to the first of "!", "/", ">", "?" (returned).
  char ParseAttributeList(TsdXmlParser* P);
  // The attributes of a start tag read straight from the parser's decoded
  // text from Q (at hand, behind the name), as ParseAttributeList would
  // read them: true, with '>' or '/' in Stop, when the tag's end came;
  // false, with the read position behind the last attribute completed,
  // where a piecewise read would report or read on.
  [[gnu::always_inline]] inline bool ScanAttributes(TsdXmlParser* P, const char* Q, char& Stop);
  // The same scan without moving the read position, up to End: where it
  // stopped, behind the tag's end with '>' or '/' in Stop, or behind the
  // last attribute completed with 0 in Stop.
  // Known: the caller knows that no node handler is set and that the new
  // nodes and this one share the document's arena.
  template <bool Known>
  [[gnu::always_inline]] inline const char* ScanAttributesAt(TsdXmlParser* P, const char* Q, const char* End,
                                                             char& Stop);
  TXmlNode* ParseElementList(TsdXmlParser* P, const TSet<TsdElementType>& Allowed);
  virtual void ParseIntermediateData(TsdXmlParser* P) {}
  void WriteContent(TStream* S) override;
  explicit TsdContainerNode(TComponent* AOwner) : TXmlNode(AOwner) {}
  explicit TsdContainerNode(TsdParsedOwner AOwner) : TXmlNode(AOwner) {}
  ~TsdContainerNode() override;

  Integer GetNodeCount() const override { return FNodes.Count(); }
  TXmlNode* GetNodes(Integer Index) const override { return FNodes.GetItems(Index); }
  Integer GetDirectNodeCount() const override { return FDirectNodeCount; }
  Integer ValueIndex() const { return FValueIndex; }
  Integer NodeAdd(TXmlNode* ANode) override;
  void NodeInsert(Integer Index, TXmlNode* ANode) override;
  void NodeDelete(Integer Index) override;
  TXmlNode* NodeExtract(TXmlNode* ANode) override;
  void NodeExchange(Integer Index1, Integer Index2) override;
  void NodesClear() override;
  void Clear() override;
  Integer NodeIndexOf(TXmlNode* ANode) const override { return FNodes.IndexOf(ANode); }
  TXmlNode* NodeNew(const UTF8String& AName) override;
  TXmlNode* NodeNewAtIndex(Integer Index, const UTF8String& AName) override;
  TsdAttribute* AttributeAdd(TsdAttribute* AAttribute) override;
  using TXmlNode::AttributeAdd;
  bool HasSubContainers() const;
  TsdNodeClosingStyle GetNodeClosingStyle() const;
  TsdNodeClosingStyle NodeClosingStyle() const { return FNodeClosingStyle; }
  void SetNodeClosingStyle(TsdNodeClosingStyle Value) { FNodeClosingStyle = Value; }
  TsdNodeList& Nodes() { return FNodes; }
  // Writes the first Count nodes of the start tag (attributes and the
  // white space between them) into S.
  void WriteAttributeList(TStream* S, Integer Count);

 protected:
  friend class TXmlNode;

 public:
  // Adds a node the parser has just made for this container (same
  // document, in no list yet): attributes join the start tag.
  Integer AddParsed(TXmlNode* ANode) { return AddParsed(ANode, ANode->ElementType() == xeAttribute); }
  // The same for a caller that knows whether the node is an attribute.
  Integer AddParsed(TXmlNode* ANode, bool IsAttribute) {
    ANode->FParent = this;
    bool arena = ANode->FInArena && FInArena && TsdNodeArena::Of(ANode) == TsdNodeArena::Of(this);
    if (!IsAttribute) return arena ? FNodes.AddArenaNode(ANode) : FNodes.Add(ANode);
    // A start tag being read has no children yet: its attributes append.
    if (arena && FDirectNodeCount == FNodes.Count()) FNodes.AddArenaNode(ANode);
    else if (arena) FNodes.InsertArenaNode(FDirectNodeCount, ANode);
    else FNodes.Insert(FDirectNodeCount, ANode);
    if (FValueIndex >= FDirectNodeCount) ++FValueIndex;
    return FDirectNodeCount++;
  }
  // AddParsed for an attribute of a start tag being read, inline for the
  // usual one that joins an arena node's list as its last entry.
  [[gnu::always_inline]] void AddParsedAttribute(TXmlNode* ANode) {
    if (ANode->FInArena && FInArena && FDirectNodeCount == FNodes.Count() &&
        TsdNodeArena::Of(ANode) == TsdNodeArena::Of(this)) [[likely]] {
      ANode->FParent = this;
      FNodes.AddArenaNode(ANode);
      if (FValueIndex >= FDirectNodeCount) ++FValueIndex;
      ++FDirectNodeCount;
      return;
    }
    AddParsed(ANode, true);
  }
  // AddParsedAttribute for a caller that knows the node and this container
  // to come from one arena, while no child has come.
  [[gnu::always_inline]] void AddArenaAttribute(TXmlNode* ANode) {
    ANode->FParent = this;
    FNodes.AddArenaNode(ANode);
    if (FValueIndex >= FDirectNodeCount) ++FValueIndex;
    ++FDirectNodeCount;
  }
  // AddParsed for a child that is no attribute, inline for the parser's
  // loops.
  [[gnu::always_inline]] Integer AddParsedChild(TXmlNode* ANode) {
    ANode->FParent = this;
    if (ANode->FInArena && FInArena && TsdNodeArena::Of(ANode) == TsdNodeArena::Of(this)) [[likely]]
      return FNodes.AddArenaNode(ANode);
    return FNodes.Add(ANode);
  }
  // AddParsedChild for a caller that knows the node and this container to
  // come from one arena.
  [[gnu::always_inline]] Integer AddArenaChild(TXmlNode* ANode) {
    ANode->FParent = this;
    return FNodes.AddArenaNode(ANode);
  }
  // After the list was compacted in place to Count entries: the new start-tag
  // count and value index (-1 for none).
  void SetCounters(Integer Count, Integer Direct, Integer Value) {
    FNodes.Truncate(Count);
    FDirectNodeCount = Direct;
    FValueIndex = Value;
  }
  static void Unlink(TXmlNode* ANode) { ANode->FParent = nullptr; }
  // Appends a new node of this document as it stands, leaving the counts to
  // SetCounters.
  void AddChildRaw(TXmlNode* ANode) {
    ANode->FParent = this;
    FNodes.Add(ANode);
  }

 protected:
  // Takes the node out of whatever list holds it, and refuses nodes that
  // cannot become children here.
  void AdoptNode(TXmlNode* ANode);
  void CopyOwnData(TXmlNode* ASource) override;
  void DropFromCounters(Integer Index);
  static void LinkParent(TXmlNode* ANode, TXmlNode* AParent) { ANode->FParent = AParent; }

  // In this order the fields below fill the room behind the base's last
  // field up to the list, and an element takes 88 bytes, so that its arena
  // block is 96 bytes instead of 112: a large document's elements are most
  // of the memory its parse writes.
  TsdNodeClosingStyle FNodeClosingStyle = ncDefault;
  Integer FDirectNodeCount = 0;
  Integer FValueIndex = -1;
  // The name's id of the kinds that have one (elements, document types).
  Integer FNameID = 0;
  TsdNodeList FNodes;
};

class TsdOpenElements;

class TsdElement : public TsdContainerNode {
  QN_XML_NODE(TsdElement, TsdContainerNode)
  friend class TsdBinaryXml;
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void ParseIntermediateData(TsdXmlParser* P) override;
  TXmlNode* ParseFixStructuralErrors(const UTF8String& AEndTagName);
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return GetString(FNameID); }
  UTF8String GetValue() override;
  void SetName(const UTF8String& Value) override { FNameID = AddString(Value); }
  void SetNameView(std::string_view Value) { FNameID = AddString(Value); }
  void SetValue(const UTF8String& Value) override;
  TsdElementType ElementType() const override { return xeElement; }
  Integer NameID() const { return FNameID; }
  // The value node, or nullptr (FValueIndex checked against the list).
  TsdCharData* ValueNode() const;

 protected:
  // The start tag read straight from the parser's decoded text: nothing
  // (stNone), the name and the attributes before the read position, the
  // rest left to the piecewise reads (stPartial), or all of it, with '>'
  // or '/' in Stop (stWhole).
  enum TStartTagRead { stNone, stPartial, stWhole };
  [[gnu::noinline]] TStartTagRead ParseStartTag(TsdXmlParser* P, char& Stop);
  // The start tag and what it closes with: true when the element goes on
  // with children (its nesting level still counted), false when it is
  // complete already (short form, a bad end of the tag, too deep).
  [[gnu::always_inline]] inline bool ParseOpen(TsdXmlParser* P);
  // The children of an opened plain element and all their descendants, in
  // one loop over an explicit stack: what ParseStream returns.
  TXmlNode* ParseNested(TsdXmlParser* P);
  // ParseIntermediateData's work: true when it ended on a '<' of the text
  // at hand, consumed.
  bool ReadText(TsdXmlParser* P);
  // The nodes of the text [From, Lt) before a '<' at Lt, Q its first byte
  // above 32 (Lt when there is none), and the read position behind the '<'.
  void AddTextAtHand(TsdXmlParser* P, const char* From, const char* Q, const char* Lt);
  // Its nodes alone, the read position left where it is (Known as for
  // ScanAttributesAt).
  template <bool Known>
  [[gnu::always_inline]] inline void AddTextNodes(TPlainXml* Doc, bool Keep, const char* From, const char* Q,
                                                  const char* Lt);
  template <bool Known>
  [[gnu::always_inline]] Integer AddTextChild(TXmlNode* ANode) {
    return Known ? AddArenaChild(ANode) : AddParsedChild(ANode);
  }
  // ParseNested's loop over the text at hand while it holds nothing but
  // elements, their attributes, text, comments, sections and matching end
  // tags, with no node handler to call: the elements of Stack opened and
  // closed as that loop would, the read position kept in a register. It
  // stops where anything else comes or the text at hand ends, with the read
  // position in front of it, and returns the element then open (nullptr
  // when Stack emptied). Completed tells that its last step ended an
  // element the slow way, after which the loop checks for an aborted parse
  // and the stream's end.
  TsdElement* ParseRun(TsdXmlParser* P, TsdOpenElements& Stack, TPlainXml* Doc, TsdNodeArena* Arena,
                       bool& Completed);
  // ParseRun's step for a comment or a section at Lt ("<!"), the text
  // [From, Lt) before it with Q as in AddTextAtHand: where it ends, or
  // nullptr, with nothing read, when it is no such markup wholly at hand.
  // Out of line, so that the loop keeps its registers.
  [[gnu::noinline]] const char* ReadMarkAtHand(TPlainXml* Doc, TsdNodeArena* Arena, bool Keep, const char* From,
                                               const char* Q, const char* Lt, const char* End);
  // The end of the start tag, C being what its attributes ended with (as
  // ParseAttributeList returns it): ParseOpen's result.
  [[gnu::always_inline]] inline bool CloseStartTag(TsdXmlParser* P, char C);
  // The usual leaf: text and its own end tag at hand right after the start
  // tag, read in one go (false, with nothing read, otherwise). Inline up to
  // the look for the end tag, which most elements with children fail.
  [[gnu::always_inline]] inline bool ReadLeaf(TsdXmlParser* P, TPlainXml* Doc);
  // ReadLeaf from the '<' at Lt on, which starts "</".
  [[gnu::noinline]] bool ReadLeafEnd(TsdXmlParser* P, TPlainXml* Doc, const char* From, const char* Q,
                                     const char* Lt);
  void CopyOwnData(TXmlNode* ASource) override;
};

class TsdDeclaration : public TsdContainerNode {
  QN_XML_NODE(TsdDeclaration, TsdContainerNode)
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "xml"; }
  TsdElementType ElementType() const override { return xeDeclaration; }
  UTF8String Version() const { return GetAttributeValueByName("version"); }
  void SetVersion(const UTF8String& Value) { SetPseudoAttribute("version", Value); }
  UTF8String Encoding() const { return GetAttributeValueByName("encoding"); }
  void SetEncoding(const UTF8String& Value) { SetPseudoAttribute("encoding", Value); }
  // Sets the attribute; a new one takes its place in XML's order of
  // version, encoding and standalone, which other processors insist on.
  void SetPseudoAttribute(const UTF8String& AName, const UTF8String& AValue);
};

class TsdStyleSheet : public TsdDeclaration {
  QN_XML_NODE(TsdStyleSheet, TsdDeclaration)
 public:
  void WriteStream(TStream* S) override;
  UTF8String GetName() override { return "xml-stylesheet"; }
  TsdElementType ElementType() const override { return xeStylesheet; }
};

class TsdDocType : public TsdContainerNode {
  QN_XML_NODE(TsdDocType, TsdContainerNode)
  friend class TsdBinaryXml;
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void ParseIntermediateData(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  ~TsdDocType() override;
  UTF8String GetName() override { return GetString(FNameID); }
  void SetName(const UTF8String& Value) override { FNameID = AddString(Value); }
  TsdElementType ElementType() const override { return xeDocType; }
  TsdCharData* ExternalID();
  TsdQuotedText* SystemLiteral();
  TsdQuotedText* PubIDLiteral();
  // The general entities of the internal subset with their replacement
  // text (the stored text of their literal, its character references
  // expanded); external ones and parameter entities are left out.
  TsdEntityMap Entities() const;
  // The subset refers to parameter entities ("%name;"), whose text is not
  // read, or an external subset is named.
  bool HasExternalParts() const;

 protected:
  void CopyOwnData(TXmlNode* ASource) override;
  void MakeParts();
  std::unique_ptr<TsdCharData> FExternalID;
  std::unique_ptr<TsdQuotedText> FSystemLiteral;
  std::unique_ptr<TsdQuotedText> FPubIDLiteral;
  // The blanks read between the parts (after "<!DOCTYPE", after the name,
  // after the keyword, between the literals, before "[" or ">", between "]"
  // and ">"), so that a preserving save writes the declaration back as it
  // was; other layouts write the standard separators.
  UTF8String FBlanks[6] = {" ", " ", " ", " ", " ", ""};
  // The text had an internal subset, empty or not ("[]" writes back too).
  bool FHasSubset = false;
};

// A markup declaration of the internal subset: "<!" keyword, name, content.
// The content of ELEMENT, ATTLIST and NOTATION is kept as one piece of
// character data; an ENTITY keeps its quoted texts and its other words
// ("%", "SYSTEM", "NDATA", names) as children in order.
class TsdDtdElement : public TsdElement {
  QN_XML_NODE(TsdDtdElement, TsdElement)
 public:
  TXmlNode* ParseStream(TsdXmlParser* P) override;
  void WriteStream(TStream* S) override;
  TsdElementType ElementType() const override { return xeDtdElement; }
  // The content as written between the name and ">" (the entity's literal
  // without quotes).
  UTF8String GetValue() override;
  virtual const char* Keyword() const { return "ELEMENT"; }

 protected:
  virtual void ParseContent(TsdXmlParser* P);
  void CopyOwnData(TXmlNode* ASource) override;
  UTF8String FBlanks[2] = {" ", " "};  // after the keyword, after the name
};

class TsdDtdAttList : public TsdDtdElement {
  QN_XML_NODE(TsdDtdAttList, TsdDtdElement)
 public:
  TsdElementType ElementType() const override { return xeDtdAttList; }
  const char* Keyword() const override { return "ATTLIST"; }
};

class TsdDtdEntity : public TsdDtdElement {
  QN_XML_NODE(TsdDtdEntity, TsdDtdElement)
 public:
  TsdElementType ElementType() const override { return xeDtdEntity; }
  const char* Keyword() const override { return "ENTITY"; }
  UTF8String GetValue() override;
  // A parameter entity ("<!ENTITY % name ...>").
  bool IsParameter();
  // The entity's own name (the word after "%" for a parameter entity).
  UTF8String EntityName();
  // The literal of an internal entity; nullptr for an external one.
  TsdQuotedText* Literal();

 protected:
  void ParseContent(TsdXmlParser* P) override;
  void ParseQuotedTextList(TsdXmlParser* P);
};

class TsdDtdNotation : public TsdDtdElement {
  QN_XML_NODE(TsdDtdNotation, TsdDtdElement)
 public:
  TsdElementType ElementType() const override { return xeDtdNotation; }
  const char* Keyword() const override { return "NOTATION"; }
};

// Rewrites a loaded document in its canonical form: without declaration,
// and with the references to the internal subset's entities expanded into
// the nodes their text holds.
class TsdXmlCanonicalizer : public TDebugComponent {
  QN_CLASS_CREATE(TsdXmlCanonicalizer, TDebugComponent, TComponent)
 public:
  explicit TsdXmlCanonicalizer(TComponent* AOwner) : TDebugComponent(AOwner) {}
  // Returns the document. Expansion stops, with the failure "entity
  // expansion limit exceeded", once the substituted text passes
  // ExpansionLimit bytes (0: 16 times the document's text, at least 1 MB).
  TPlainXml* Canonicalize(TPlainXml* ADocument, Int64 ExpansionLimit = 0);
};

// ---------------------------------------------------------------------------
// Binary XML: the document's nodes as variable-length integers, names and
// values as references into a table of the strings used more than once.
//
// The binary form normalises the spacing inside the document type and the
// markup declarations: their records hold no string for the blanks between
// keyword, name, external id and literals, so those come back as single
// spaces, and an empty internal subset ("[]") is not written back (the
// white space between declarations, and between the pieces of an entity
// declaration, are nodes of their own and are kept). Stored files stay
// readable because the records keep their form.

// A coder transforms everything after the header: the encoder fills Dest
// from Source and names itself in CoderName (4 bytes); the decoder fills
// Dest from Source.
using TXmlCoderEvent =
    TEvent<void(TObject* Sender, TStream* Source, TStream* Dest, Int64 PlainSize, UTF8String& CoderName)>;

class TsdBinaryXml : public TDebugComponent {
  QN_CLASS_CREATE(TsdBinaryXml, TDebugComponent, TComponent)
 public:
  static constexpr Cardinal cBinaryXmlVersion = 2;
  explicit TsdBinaryXml(TComponent* AOwner);
  ~TsdBinaryXml() override;

  TPlainXml* Document() const { return FDocument; }
  void SetDocument(TPlainXml* Value) { FDocument = Value; }
  const TXmlCoderEvent& OnEncode() const { return FOnEncode; }
  void SetOnEncode(const TXmlCoderEvent& Value) { FOnEncode = Value; }
  const TXmlCoderEvent& OnDecode() const { return FOnDecode; }
  void SetOnDecode(const TXmlCoderEvent& Value) { FOnDecode = Value; }
  // Nodes written per element type by the last save.
  Cardinal ElementTypeCount(TsdElementType AType) const { return FElementTypeCount[static_cast<size_t>(AType)]; }

  // Neither raises for bad data: loading reports through the debug chain
  // (with the byte offset) and may leave the document partly filled, but
  // consistent.
  virtual void SaveToStream(TStream* S);
  virtual void LoadFromStream(TStream* S);
  void SaveToFile(const String& FileName);
  void LoadFromFile(const String& FileName);

  void WriteCardinal(TStream* S, Cardinal Value);
  // 0, with the failure "invalid cardinal reader", for a sixth group, bits
  // beyond 32 or the end of the data.
  Cardinal ReadCardinal(TStream* S);
  void WriteDocument(TStream* S);
  void ReadDocument(TStream* S);
  void WriteNode(TStream* S, TXmlNode* ANode);
  // The next node, made but not attached; nullptr at the terminator or on
  // failure. SubNodeCount receives the node's child count.
  TXmlNode* ReadNode(TStream* S, TXmlNode* AParent, Integer& SubNodeCount);
  void SortByFrequency();
  void IncrementFrequency(Integer ID);
  Integer UpdateID(Integer ID) const;

 protected:
  void Fail(TStream* S, const UTF8String& Message);
  void WriteString(TStream* S, Integer ID);
  Integer ReadString(TStream* S);
  bool ReadBytes(TStream* S, void* Buffer, Integer Count);
  void WriteQuoted(TStream* S, TsdQuotedText* Q);
  void ReadQuoted(TStream* S, TsdQuotedText* Q);
  // Applies F to every string id field of the node.
  void ForEachID(TXmlNode* ANode, const std::function<void(Integer&)>& F);

  TPlainXml* FDocument = nullptr;
  TXmlCoderEvent FOnEncode;
  TXmlCoderEvent FOnDecode;
  std::vector<Integer> FNewIDs;
  Cardinal FElementTypeCount[18] = {};
  bool FFailed = false;
  Cardinal FTableCount = 0;  // symbols of the loaded table: the ones references may name
  Int64 FBase = 0;  // offset of the read stream's start in the caller's stream
  struct TContainerCounts {
    Integer Direct;
    Integer Value;
  };
  std::vector<TContainerCounts> FPendingCounts;  // parallel to ReadDocument's open levels
};

// Every node below Roots in document order, in time linear in the number of
// nodes; Visit returns whether to go into the node's children.
void sdWalkNodes(const TsdNodeList& Roots, const std::function<bool(TXmlNode*)>& Visit);

// The replacement text of an entity whose literal holds the stored text
// Literal: its character references expanded, other references kept.
UTF8String sdEntityReplacementText(std::string_view Literal);

// References resolved as sdReplaceString does, the general entities declared
// among DtdNodes (a document type's children) included.
UTF8String sdReplaceString(const UTF8String& AValue, bool& HasNonStandardReferences, const TsdNodeList& DtdNodes);

// ---------------------------------------------------------------------------
// The document

class TPlainXml : public TDebugComponent {
  QN_CLASS_CREATE(TPlainXml, TDebugComponent, TComponent)
 public:
  TPlainXml(TComponent* AOwner, bool HasDeclaration, bool HasDocType, bool HasRoot, const UTF8String& RootName);
  // An unnamed root element only.
  explicit TPlainXml(TComponent* AOwner);
  // A declaration and a root element of that name.
  TPlainXml(const UTF8String& RootName, TComponent* AOwner);
  ~TPlainXml() override;

  void ResetDefaults();
  void ClearData(bool HasDeclaration, bool HasDocType, bool HasRoot);
  virtual void Clear();
  virtual void New();
  virtual TsdDeclaration* GetOrCreateDeclarationNode();
  virtual TClass GetRootNodeClass() const { return TsdElement::StaticClass(); }

  TsdElement* Root() const;
  TsdDeclaration* Declaration() const;
  TsdDocType* DocType() const;
  Integer RootNodeCount() const { return FRootNodes ? FRootNodes->Count() : 0; }
  TXmlNode* RootNodes(Integer Index) const { return FRootNodes ? FRootNodes->GetItems(Index) : nullptr; }
  TsdNodeList* RootNodeList() const { return FRootNodes.get(); }
  TsdSymbolTable* SymbolTable() const { return FSymbolTable; }
  TsdNodeArena* NodeArena() const { return FNodeArena; }
  TXmlNode* FindFirst() const { return FRootNodes ? FRootNodes->FindFirst() : nullptr; }
  TXmlNode* FindNext(TXmlNode* ANode) const { return FRootNodes ? FRootNodes->FindNext(ANode) : nullptr; }

  // Options (stored plainly; the layout they drive is the writer's).
  bool AbortParsing() const { return FAbortParsing; }
  void SetAbortParsing(bool Value) { FAbortParsing = Value; }
  const UTF8String& DirectCloseTag() const { return FDirectCloseTag; }
  void SetDirectCloseTag(const UTF8String& Value) { FDirectCloseTag = Value; }
  bool DropCommentsOnParse() const { return FDropCommentsOnParse; }
  void SetDropCommentsOnParse(bool Value) { FDropCommentsOnParse = Value; }
  TsdEolStyle EolStyle() const { return FEolStyle; }
  void SetEolStyle(TsdEolStyle Value) { FEolStyle = Value; }
  bool FloatAllowScientific() const { return FFloatAllowScientific; }
  void SetFloatAllowScientific(bool Value) { FFloatAllowScientific = Value; }
  Integer FloatSignificantDigits() const { return FFloatSignificantDigits; }
  void SetFloatSignificantDigits(Integer Value) { FFloatSignificantDigits = Value; }
  const TsdBomInfo& ExternalBomInfo() const { return FExternalBomInfo; }
  Integer ExternalCodepage() const { return FExternalCodePage; }
  TsdStringEncoding ExternalEncoding() const { return FExternalEncoding; }
  bool FixStructuralErrors() const { return FFixStructuralErrors; }
  void SetFixStructuralErrors(bool Value) { FFixStructuralErrors = Value; }
  const UTF8String& IndentString() const { return FIndentString; }
  void SetIndentString(const UTF8String& Value) { FIndentString = Value; }
  TsdNodeClosingStyle NodeClosingStyle() const { return FNodeClosingStyle; }
  void SetNodeClosingStyle(TsdNodeClosingStyle Value) { FNodeClosingStyle = Value; }
  bool ParserWarnings() const { return FParserWarnings; }
  void SetParserWarnings(bool Value) { FParserWarnings = Value; }
  const UTF8String& RootName() const { return FRootName; }
  void SetRootName(const UTF8String& Value) { FRootName = Value; }
  Integer SplitSecondDigits() const { return FSplitSecondDigits; }
  void SetSplitSecondDigits(Integer Value) { FSplitSecondDigits = Value; }
  TXmlFormatType XmlFormat() const { return FXmlFormat; }
  // Leaving xfPreserve removes the white space it kept.
  void SetXmlFormat(TXmlFormatType Value);
  bool PreserveWhiteSpace() const { return FXmlFormat == xfPreserve; }
  // True selects xfPreserve; False changes nothing.
  void SetPreserveWhiteSpace(bool Value);
  bool UseLocalBias() const { return FUseLocalBias; }
  void SetUseLocalBias(bool Value) { FUseLocalBias = Value; }
  bool WriteOnDefault() const { return FWriteOnDefault; }
  void SetWriteOnDefault(bool Value) { FWriteOnDefault = Value; }
  TsdXmlBinaryMethod BinaryMethod() const { return FBinaryMethod; }
  void SetBinaryMethod(TsdXmlBinaryMethod Value) { FBinaryMethod = Value; }
  const UTF8String& AesKeyHex() const { return FAesKeyHex; }
  void SetAesKeyHex(const UTF8String& Value) { FAesKeyHex = Value; }
  // The names of single tags a parse that fixes structural errors has met;
  // null outside such a parse. Made when first asked for: most parses meet
  // none.
  TStringList* SingleTagNames() const;
  // Deepest element nesting a parse accepts; deeper input ends the parse
  // with the failure "maximum nesting depth exceeded".
  Integer MaxNestingDepth() const { return FMaxNestingDepth; }
  void SetMaxNestingDepth(Integer Value) { FMaxNestingDepth = Value; }
  Integer NestingLevel() const { return FNestingLevel; }

  // Loading and saving.
  virtual void LoadFromStream(TStream* Stream);
  virtual void LoadFromFile(const String& FileName);
  virtual void ReadFromString(const UTF8String& S);
  // Reads the URL through the host's internet client in blocks of 1 KB and
  // loads what came; returns the bytes read, 0 (and nothing loaded) on a
  // failure, which is reported.
  virtual Int64 LoadFromURL(const UTF8String& URL);
  virtual void SaveToStream(TStream* Stream);
  // Checks the encoding first and writes through a temporary file, so a
  // failed save leaves an existing file as it was.
  virtual void SaveToFile(const String& FileName);
  virtual UTF8String WriteToString();
  virtual UTF8String WriteToLocalString();
  virtual String WriteToLocalUnicodeString();
  void ParseStream(TsdXmlParser* Parser);
  void WriteStream(TStream* Stream);
  UTF8String Charset() const;
  void SetCharset(const UTF8String& Value);
  UTF8String VersionString() const;
  void SetVersionString(const UTF8String& Value);
  void SetExternalEncoding(TsdStringEncoding Value);
  void SetExternalCodepage(Integer Value);

  // Top-level content beyond the root.
  TsdStyleSheet* StyleSheet();
  UTF8String CommentString() const;
  void SetCommentString(const UTF8String& Value);
  virtual TsdContainerNode* GetRootContainers(Integer Index) const;
  virtual Integer GetRootContainerCount() const;
  TsdContainerNode* RootContainers(Integer Index) const { return GetRootContainers(Index); }
  Integer RootContainerCount() const { return GetRootContainerCount(); }
  bool IsEmpty() const;
  UTF8String LineFeed() const;
  // Trims character data, drops white-space nodes and top-level text; each
  // list is compacted in one pass.
  void RemoveWhitespace();
  void ForEach(TObject* Sender, const TsdXmlNodeEvent& Method);
  // Moves the nodes of List that are children of FromNode to ToNode.
  void MoveSubNodes(const std::vector<TXmlNode*>& List, TXmlNode* FromNode, TXmlNode* ToNode);

  // Free nodes (not added anywhere): the node of the class for AType, its
  // name and value, then the attributes and the sub-nodes in order. Each Ex
  // twin also hands the node back through ANode.
  using TNodeArray = std::vector<TXmlNode*>;
  using TAttributeArray = std::vector<TsdAttribute*>;
  virtual TXmlNode* NodeNew(const UTF8String& AName, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewType(const UTF8String& AName, TsdElementType AType, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewAttr(const UTF8String& AName, const TAttributeArray& Attributes, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewText(const UTF8String& AName, const UTF8String& AValue, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextType(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                            const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextAttr(const UTF8String& AName, const UTF8String& AValue, const TAttributeArray& Attributes,
                            const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextTypeAttr(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                                const TAttributeArray& Attributes, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewInt(const UTF8String& AName, Integer AValue, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntType(const UTF8String& AName, Integer AValue, TsdElementType AType,
                           const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntAttr(const UTF8String& AName, Integer AValue, const TAttributeArray& Attributes,
                           const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntTypeAttr(const UTF8String& AName, Integer AValue, TsdElementType AType,
                               const TAttributeArray& Attributes, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewEx(const UTF8String& AName, TXmlNode*& ANode, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTypeEx(const UTF8String& AName, TsdElementType AType, TXmlNode*& ANode,
                          const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewAttrEx(const UTF8String& AName, const TAttributeArray& Attributes, TXmlNode*& ANode,
                          const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextEx(const UTF8String& AName, const UTF8String& AValue, TXmlNode*& ANode,
                          const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextTypeEx(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                              TXmlNode*& ANode, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextAttrEx(const UTF8String& AName, const UTF8String& AValue, const TAttributeArray& Attributes,
                              TXmlNode*& ANode, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewTextTypeAttrEx(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                                  const TAttributeArray& Attributes, TXmlNode*& ANode, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntEx(const UTF8String& AName, Integer AValue, TXmlNode*& ANode, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntTypeEx(const UTF8String& AName, Integer AValue, TsdElementType AType, TXmlNode*& ANode,
                             const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntAttrEx(const UTF8String& AName, Integer AValue, const TAttributeArray& Attributes,
                             TXmlNode*& ANode, const TNodeArray& SubNodes = {});
  TXmlNode* NodeNewIntTypeAttrEx(const UTF8String& AName, Integer AValue, TsdElementType AType,
                                 const TAttributeArray& Attributes, TXmlNode*& ANode, const TNodeArray& SubNodes = {});

  // Free attributes owned by the document.
  TsdAttribute* AttrText(const UTF8String& AName, const UTF8String& AValue);
  TsdAttribute* AttrInt(const UTF8String& AName, Integer AValue);
  TsdAttribute* AttrInt64(const UTF8String& AName, Int64 AValue);
  // "$" and upper-case digits, at least ADigits of them.
  TsdAttribute* AttrHex(const UTF8String& AName, Integer AValue, Integer ADigits);
  TsdAttribute* AttrHex(const UTF8String& AName, Int64 AValue, Integer ADigits);
  // The library's defaults (6 digits, scientific allowed), not the document's.
  TsdAttribute* AttrFloat(const UTF8String& AName, double AValue);
  TsdAttribute* AttrFloat(const UTF8String& AName, double AValue, Integer SignificantDigits, bool AllowScientific);
  TsdAttribute* AttrDateTime(const UTF8String& AName, TDateTime AValue);
  TsdAttribute* AttrBool(const UTF8String& AName, bool AValue);

  // Base64 laid out in lines of 76 joined by ControlChars; decoding failures
  // go to OnDebug and give an empty result.
  static UTF8String EncodeBase64(const RawByteString& Source, const UTF8String& ControlChars);
  static RawByteString DecodeBase64(const UTF8String& Source, const TsdDebugEvent& OnDebug);

  // Binary form (TsdBinaryXml). After a load the external encoding follows
  // the declaration's encoding (UTF-8 when unknown).
  virtual void LoadFromBinaryFile(const String& FileName);
  virtual void LoadFromBinaryStream(TStream* Stream);
  virtual void SaveToBinaryFile(const String& FileName);
  virtual void SaveToBinaryStream(TStream* Stream);
  void SetBinaryDocument(TsdBinaryXml* Binary);

  // The canonical form of this document (see TsdXmlCanonicalizer).
  TPlainXml* Canonicalize();
  // Replaces Node by the nodes parsed from Substitute, at Node's place (the
  // first character data taking over as value node when Node was it);
  // returns the first new node, nullptr for a node without parent.
  TXmlNode* ParseSubstituteContentFromNode(TXmlNode* Node, const UTF8String& Substitute);

  const TsdXmlNodeEvent& OnNodeNew() const { return FOnNodeNew; }
  void SetOnNodeNew(const TsdXmlNodeEvent& Value) {
    FOnNodeNew = Value;
    NoteHandlers();
  }
  const TsdXmlNodeEvent& OnNodeLoaded() const { return FOnNodeLoaded; }
  void SetOnNodeLoaded(const TsdXmlNodeEvent& Value) {
    FOnNodeLoaded = Value;
    NoteHandlers();
  }
  const TXmlProgressEvent& OnProgress() const { return FOnProgress; }
  void SetOnProgress(const TXmlProgressEvent& Value) {
    FOnProgress = Value;
    NoteHandlers();
  }
  // Whether any of the three handlers above is set: the parser asks once
  // where it would report a node several times in a row. Read again after
  // anything that may run outside code (a handler, a report), which may set
  // one.
  bool HasNodeHandlers() const { return FHasNodeHandlers; }

  void DoNodeNew(TXmlNode* ANode) {
    if (Assigned(FOnNodeNew)) FOnNodeNew(this, ANode);
  }
  void DoNodeLoaded(TXmlNode* ANode) {
    if (Assigned(FOnNodeLoaded)) FOnNodeLoaded(this, ANode);
  }
  void DoProgress(Int64 Position) {
    if (Assigned(FOnProgress)) FOnProgress(this, Position);
  }

 protected:
  // After a parse: references to entities nobody declared (when the
  // declarations are all known), and declared ones whose text is not
  // balanced markup or refers to itself, are reported.
  void CheckEntityReferences();
  std::unique_ptr<TsdNodeList> FRootNodes;
  TsdSymbolTable* FSymbolTable = nullptr;  // also in the component list, so its reports reach our chain
  TsdNodeArena* FNodeArena = nullptr;
  TsdParserBuffers FParserBuffers;  // the blocks of the last load's parser
  // Frees every top-level node and what hangs below them: by resetting the
  // arena when its tree allows, else node by node.
  void ReleaseTree();
  bool FAbortParsing = false;
  UTF8String FDirectCloseTag;
  bool FDropCommentsOnParse = false;
  TsdEolStyle FEolStyle = esCRLF;
  bool FFloatAllowScientific = true;
  Integer FFloatSignificantDigits = 6;
  TsdBomInfo FExternalBomInfo;
  Integer FExternalCodePage = 0;
  TsdStringEncoding FExternalEncoding = seUTF8;
  bool FFixStructuralErrors = false;
  bool FHasDeclaration = false;
  bool FHasDocType = false;
  bool FHasRoot = false;
  UTF8String FIndentString;
  TsdNodeClosingStyle FNodeClosingStyle = ncClose;
  bool FParserWarnings = false;
  UTF8String FRootName;
  Integer FSplitSecondDigits = 0;
  TXmlFormatType FXmlFormat = xfPreserve;
  bool FUseLocalBias = false;
  bool FWriteOnDefault = true;
  TsdXmlBinaryMethod FBinaryMethod = bmDefault;
  UTF8String FAesKeyHex;
  mutable std::unique_ptr<TStringList> FSingleTagNames;
  bool FCollectSingleTags = false;  // a parse that fixes structural errors runs
  Integer FMaxNestingDepth = 4096;
  Integer FNestingLevel = 0;
  friend class TsdElement;
  TsdXmlNodeEvent FOnNodeNew;
  TsdXmlNodeEvent FOnNodeLoaded;
  TXmlProgressEvent FOnProgress;
  bool FHasNodeHandlers = false;
  void NoteHandlers() { FHasNodeHandlers = Assigned(FOnNodeNew) || Assigned(FOnNodeLoaded) || Assigned(FOnProgress); }
};

// The node's ways to its document, inline: the parser takes them for every
// node.
inline TPlainXml* TXmlNode::Document() const { return static_cast<TPlainXml*>(FOwner); }
inline Integer TXmlNode::AddString(std::string_view S) {
  TPlainXml* d = Document();
  return d && d->SymbolTable() ? d->SymbolTable()->AddString(S) : 0;
}
inline bool TXmlNode::GetPreserveWhiteSpace() const { return Document() ? Document()->XmlFormat() == xfPreserve : true; }
inline void TXmlNode::DoNodeNew(TXmlNode* ANode) {
  if (Document()) Document()->DoNodeNew(ANode);
}
inline void TXmlNode::DoNodeLoaded(TXmlNode* ANode) {
  if (Document()) Document()->DoNodeLoaded(ANode);
}
inline void TXmlNode::DoProgress(Int64 Position) {
  if (Document()) Document()->DoProgress(Position);
}

template <class T>
inline T* TsdNodeArena::Make(TsdNodeArena* A, TPlainXml* Doc) {
  static_assert(alignof(T) <= 8, "arena blocks are aligned to eight bytes");
  if (!A || !Doc) return new T(Doc);
  T* n = new (A) T(TsdParsedOwner{Doc});
  n->FInArena = true;
  return n;
}

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
