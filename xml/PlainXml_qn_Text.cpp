// Text routines: the encoding writer, escapes and references, line breaks
// and the conversions between UTF-8, UTF-16 and code pages.
#include <cstring>

#include "platform/rtl/Character.h"
#include "platform/rtl/Kernel.h"
#include "xml/PlainXml_qn.h"

namespace qn {

const char* cStringEncodingCharsetNames(TsdStringEncoding Encoding) {
  static const char* const names[] = {"ansi",     "utf-8",     "unicodeFFFE", "utf-16", "utf-32BE",
                                      "utf-32",   "ucs4_2143", "ucs4_3412",   "ebcdic"};
  auto i = static_cast<size_t>(Encoding);
  return i < sizeof(names) / sizeof(names[0]) ? names[i] : "";
}

// ---------------------------------------------------------------------------
// Writer

TsdXmlWriter::TsdXmlWriter(TDebugComponent* Owner, TStream* Stream, Integer ChunkSize)
    : TsdBufferWriter(Stream, ChunkSize), FOwner(Owner) {}

TsdXmlWriter::~TsdXmlWriter() = default;

void TsdXmlWriter::DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage) {
  if (FOwner) FOwner->DoDebugOut(Sender, WarnStyle, AMessage);
}

Integer TsdXmlWriter::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  const char* src = static_cast<const char*>(Buffer);
  switch (FEncoding) {
    case seAnsi: {
      bool used = false;
      Integer n = sdUtf8ToAnsiBuffer(src, FRawBuffer, FCodePage, used, Count);
      FRawBufferSize = static_cast<Integer>(FRawBuffer.size());
      if (used) DoDebugOut(this, wsWarn, "default char used for codepage substitution");
      TsdBufferWriter::Write(FRawBuffer.data(), n);
      return Count;
    }
    case seUTF8:
      return TsdBufferWriter::Write(Buffer, Count);
    case seUTF16LE:
    case seUTF16BE: {
      if (FRawBufferSize < 2 * Count) {
        FRawBuffer.resize(static_cast<size_t>(2 * Count));
        FRawBufferSize = 2 * Count;
      }
      char16_t* w = reinterpret_cast<char16_t*>(FRawBuffer.data());
      Integer units = sdUtf8ToWideBuffer(src, w, Count);
      Byte* b = FRawBuffer.data();
      if (FEncoding == seUTF16BE)
        for (Integer i = 0; i < units; ++i) std::swap(b[2 * i], b[2 * i + 1]);
      TsdBufferWriter::Write(b, 2 * units);
      return Count;
    }
    default:
      DoDebugOut(this, wsFail, "unsupported encoding (" + UTF8String(cStringEncodingCharsetNames(FEncoding)) + ")");
      return 0;
  }
}

// ---------------------------------------------------------------------------
// Streams

void sdWriteToStream(TStream* S, const UTF8String& Value) {
  if (!Value.empty()) S->WriteBuffer(Value.data(), static_cast<Integer>(Value.size()));
}

UTF8String sdReadFromStream(TStream* S, Integer Count) { return sdStreamReadString(S, Count); }

// ---------------------------------------------------------------------------
// Escapes and references

UTF8String sdEscapeString(const UTF8String& AValue) {
  size_t first = AValue.find_first_of("<>&'\"");
  if (first == UTF8String::npos) return AValue;
  UTF8String r;
  r.reserve(AValue.size() * 2);
  r.append(AValue, 0, first);
  for (size_t i = first; i < AValue.size(); ++i) {
    char c = AValue[i];
    switch (c) {
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '&': r += "&amp;"; break;
      case '\'': r += "&apos;"; break;
      case '"': r += "&quot;"; break;
      default: r += c;
    }
  }
  return r;
}

namespace {

bool IsXmlChar(UInt64 c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(UTF8String& r, Cardinal c) {
  char buf[4];
  char16_t w[2];
  Integer units = 1;
  if (c >= 0x10000) {
    w[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    w[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    units = 2;
  } else {
    w[0] = static_cast<char16_t>(c);
  }
  r.append(buf, static_cast<size_t>(sdUtf16ToUtf8Mem(w, buf, units)));
}

// The character a numeric reference body ("#65", "#x41") names, or -1.
Int64 NumericReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return -1;
  size_t i = 1;
  int base = 10;
  if (body[1] == 'x' || body[1] == 'X') {
    base = 16;
    i = 2;
  }
  if (i >= body.size()) return -1;
  UInt64 v = 0;
  for (; i < body.size(); ++i) {
    char c = body[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return -1;
    v = v * static_cast<UInt64>(base) + static_cast<UInt64>(d);
    if (v > 0x10FFFF) return -1;
  }
  return IsXmlChar(v) ? static_cast<Int64>(v) : -1;
}

UTF8String ReplaceReferences(const UTF8String& S, bool& HasNonStandard, const TsdEntityMap* Entities) {
  HasNonStandard = false;
  size_t amp = S.find('&');
  if (amp == UTF8String::npos) return S;
  UTF8String r;
  r.reserve(S.size());
  r.append(S, 0, amp);
  size_t i = amp;
  while (i < S.size()) {
    char c = S[i];
    if (c != '&') {
      size_t next = S.find('&', i);
      if (next == UTF8String::npos) next = S.size();
      r.append(S, i, next - i);
      i = next;
      continue;
    }
    // The reference runs to the next ";" unless another "&" or the end
    // comes first.
    size_t j = i + 1;
    while (j < S.size() && S[j] != ';' && S[j] != '&') ++j;
    if (j >= S.size() || S[j] != ';') {
      r += '&';
      ++i;
      continue;
    }
    std::string_view ref(S.data() + i, j - i + 1);
    std::string_view body = ref.substr(1, ref.size() - 2);
    if (ref == "&amp;") r += '&';
    else if (ref == "&lt;") r += '<';
    else if (ref == "&gt;") r += '>';
    else if (ref == "&apos;") r += '\'';
    else if (ref == "&quot;") r += '"';
    else {
      Int64 code = NumericReference(body);
      if (code >= 0) {
        AppendUtf8(r, static_cast<Cardinal>(code));
      } else {
        HasNonStandard = true;
        const UTF8String* value = nullptr;
        if (Entities) {
          auto it = Entities->find(UTF8String(body));
          if (it != Entities->end()) value = &it->second;
        }
        if (value) r += *value;
        else r.append(ref);
      }
    }
    i = j + 1;
  }
  return r;
}

}  // namespace

UTF8String sdReplaceString(const UTF8String& AValue) {
  bool dummy;
  return ReplaceReferences(AValue, dummy, nullptr);
}

UTF8String sdReplaceString(const UTF8String& AValue, bool& HasNonStandardReferences) {
  return ReplaceReferences(AValue, HasNonStandardReferences, nullptr);
}

UTF8String sdReplaceString(const UTF8String& AValue, bool& HasNonStandardReferences, const TsdEntityMap& Entities) {
  return ReplaceReferences(AValue, HasNonStandardReferences, &Entities);
}

// ---------------------------------------------------------------------------
// Line breaks

UTF8String sdNormaliseEol(const UTF8String& S) {
  if (S.find('\r') == UTF8String::npos) return S;
  UTF8String r(S.size(), '\0');
  bool cr = false;
  r.resize(static_cast<size_t>(sdNormaliseBuffer(S.data(), r.data(), static_cast<Integer>(S.size()), cr)));
  return r;
}

UTF8String sdUnNormaliseEol(const UTF8String& S, TsdEolStyle EolStyle) {
  if (EolStyle == esLF || S.find('\n') == UTF8String::npos) return S;
  UTF8String r;
  r.reserve(S.size() + S.size() / 8);
  for (char c : S) {
    if (c != '\n') r += c;
    else if (EolStyle == esCRLF) r += "\r\n";
    else r += '\r';
  }
  return r;
}

Integer sdNormaliseBuffer(const char* Source, char* Dest, Integer Count, bool& LastCharWasCR) {
  // Runs without CR are copied whole; only the bytes around a CR are looked at.
  Integer n = 0, i = 0;
  while (i < Count) {
    if (LastCharWasCR) {
      LastCharWasCR = false;
      if (Source[i] == '\n') {  // the LF of a CR LF pair: already written
        ++i;
        continue;
      }
    }
    const void* hit = std::memchr(Source + i, '\r', static_cast<size_t>(Count - i));
    Integer end = hit ? static_cast<Integer>(static_cast<const char*>(hit) - Source) : Count;
    if (end > i) {
      std::memmove(Dest + n, Source + i, static_cast<size_t>(end - i));
      n += end - i;
    }
    i = end;
    if (hit) {
      Dest[n++] = '\n';
      LastCharWasCR = true;
      ++i;
    }
  }
  return n;
}

// ---------------------------------------------------------------------------
// UTF-8 and UTF-16

Integer sdWideToUtf8Buffer(const char16_t* Source, char* Dest, Integer Count, bool& LastCharWasCR, Integer* Consumed) {
  Integer end = Count;
  // A high surrogate at the very end may be completed by the next piece.
  if (Consumed && Count > 0 && Source[Count - 1] >= 0xD800 && Source[Count - 1] <= 0xDBFF) --end;
  char* d = Dest;
  Integer i = 0;
  while (i < end) {
    // Runs of ASCII go through the line-break filter, the rest is encoded.
    Integer j = i;
    while (j < end && Source[j] < 0x80) ++j;
    for (Integer k = i; k < j; ++k) {
      char c = static_cast<char>(Source[k]);
      if (c == '\r') {
        *d++ = '\n';
        LastCharWasCR = true;
      } else if (c == '\n' && LastCharWasCR) {
        LastCharWasCR = false;
      } else {
        LastCharWasCR = false;
        *d++ = c;
      }
    }
    i = j;
    Integer k = i;
    while (k < end && Source[k] >= 0x80) ++k;
    if (k > i) {
      LastCharWasCR = false;
      d += sdUtf16ToUtf8Mem(Source + i, d, k - i);
      i = k;
    }
  }
  if (Consumed) *Consumed = end;
  return static_cast<Integer>(d - Dest);
}

Integer sdUtf8ToWideBuffer(const char* Source, char16_t* Dest, Integer Count, Integer* Consumed) {
  Integer end = Count;
  if (Consumed && Count > 0) {
    // Leave a sequence that the next piece may complete.
    Integer lead = Count - 1;
    while (lead > 0 && Count - lead < 4 && (static_cast<unsigned char>(Source[lead]) & 0xC0) == 0x80) --lead;
    unsigned c = static_cast<unsigned char>(Source[lead]);
    Integer need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 1;
    if (need > 1 && Count - lead < need) end = lead;
  }
  const char* p = Source;
  Integer n = sdUtf8ToUtf16Mem(p, Dest, end);
  if (Consumed) *Consumed = end;
  return n;
}

UTF8String sdWideToUtf8(const String& W) {
  UTF8String r(W.size() * 3, '\0');
  bool cr = false;
  r.resize(static_cast<size_t>(sdWideToUtf8Buffer(W.data(), r.data(), static_cast<Integer>(W.size()), cr)));
  return r;
}

String sdUtf8ToWide(const UTF8String& S) {
  String r(S.size(), u'\0');
  r.resize(static_cast<size_t>(sdUtf8ToWideBuffer(S.data(), r.data(), static_cast<Integer>(S.size()))));
  return r;
}

Integer sdUtf8CharacterLength(const char* P, Integer Available) {
  if (Available < 1) return 0;
  unsigned c = static_cast<unsigned char>(P[0]);
  Integer len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
  if (len == 1 || len > Available) return 1;
  for (Integer i = 1; i < len; ++i)
    if ((static_cast<unsigned char>(P[i]) & 0xC0) != 0x80) return 1;
  return len;
}

// ---------------------------------------------------------------------------
// Code pages

Integer sdAnsiToUtf8Buffer(const char* Source, TBytes& Dest, Integer CodePage, bool& LastCharWasCR, Integer Count,
                           Integer* Consumed) {
  if (Consumed) *Consumed = Count > 0 ? Count : 0;
  if (Count <= 0) return 0;
  UINT cp = static_cast<UINT>(CodePage);
  // No page decodes to more units than it has bytes; the query is a fallback.
  String wide(static_cast<size_t>(Count) + 8, u'\0');
  int used = Count;
  int units = MultiByteToWideCharEx(cp, 0, Source, Count, wide.data(), static_cast<int>(wide.size()),
                                    Consumed ? &used : nullptr);
  if (units == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    units = MultiByteToWideCharEx(cp, 0, Source, Count, nullptr, 0, Consumed ? &used : nullptr);
    wide.resize(static_cast<size_t>(units));
    units = MultiByteToWideCharEx(cp, 0, Source, Count, wide.data(), units, Consumed ? &used : nullptr);
  }
  if (units > 0 || (Consumed && IsValidCodePage(cp))) {
    wide.resize(static_cast<size_t>(units));
    if (Consumed) *Consumed = used;
  } else {
    // A page the host cannot convert: ASCII survives, the rest is marked.
    wide.resize(static_cast<size_t>(Count));
    for (Integer i = 0; i < Count; ++i)
      wide[static_cast<size_t>(i)] = static_cast<unsigned char>(Source[i]) < 0x80 ? static_cast<char16_t>(Source[i]) : u'\uFFFD';
  }
  size_t need = wide.size() * 3;
  if (Dest.size() < need) Dest.resize(need);
  return sdWideToUtf8Buffer(wide.data(), reinterpret_cast<char*>(Dest.data()), static_cast<Integer>(wide.size()),
                            LastCharWasCR);
}

UTF8String sdAnsiToUtf8(const RawByteString& S, Integer CodePage) {
  if (S.empty()) return {};
  TBytes buf;
  bool cr = false;
  Integer n = sdAnsiToUtf8Buffer(S.data(), buf, CodePage, cr, static_cast<Integer>(S.size()));
  return UTF8String(reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(n));
}

Integer sdUtf8ToAnsiBuffer(const char* Source, TBytes& Dest, Integer CodePage, bool& DefaultCharUsed, Integer Count) {
  DefaultCharUsed = false;
  if (Count <= 0) return 0;
  String wide(static_cast<size_t>(Count), u'\0');
  wide.resize(static_cast<size_t>(sdUtf8ToWideBuffer(Source, wide.data(), Count)));
  if (wide.empty()) return 0;
  UINT cp = static_cast<UINT>(CodePage);
  bool unicodePage = cp == CP_UTF8 || cp == CP_UTF7;
  bool* usedPtr = unicodePage ? nullptr : &DefaultCharUsed;
  int need = WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, usedPtr);
  if (need <= 0) {
    // A page the host cannot convert: ASCII survives, everything else is "?".
    if (Dest.size() < wide.size()) Dest.resize(wide.size());
    Integer n = 0;
    for (size_t i = 0; i < wide.size(); ++i) {
      char16_t c = wide[i];
      if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && wide[i - 1] >= 0xD800 && wide[i - 1] <= 0xDBFF) continue;
      if (c < 0x80) {
        Dest[static_cast<size_t>(n++)] = static_cast<Byte>(c);
      } else {
        Dest[static_cast<size_t>(n++)] = '?';
        DefaultCharUsed = true;
      }
    }
    return n;
  }
  if (Dest.size() < static_cast<size_t>(need)) Dest.resize(static_cast<size_t>(need));
  return WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), reinterpret_cast<char*>(Dest.data()),
                             need, nullptr, usedPtr);
}

RawByteString sdUtf8ToAnsi(const UTF8String& S, Integer CodePage) {
  TBytes buf;
  bool used = false;
  Integer n = sdUtf8ToAnsiBuffer(S.data(), buf, CodePage, used, static_cast<Integer>(S.size()));
  return RawByteString(reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(n));
}

// ---------------------------------------------------------------------------
// Comparison and trimming

namespace {

// Decodes one code point, advancing i; bad bytes stand for themselves
// (above every valid code point), so the order stays total.
Cardinal NextCodePoint(std::string_view s, size_t& i) {
  unsigned c = static_cast<unsigned char>(s[i]);
  Integer len = sdUtf8CharacterLength(s.data() + i, static_cast<Integer>(s.size() - i));
  if (len == 1) {
    ++i;
    return c < 0x80 ? c : 0x110000 + c;
  }
  Cardinal cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  for (Integer k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
  i += static_cast<size_t>(len);
  return cp;
}

Cardinal Fold(Cardinal c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  if (c < 0x10000) return ToLower(static_cast<Char>(c));
  return c;
}

}  // namespace

Integer Utf8CompareText(std::string_view S1, std::string_view S2) {
  size_t i = 0, j = 0;
  while (i < S1.size() && j < S2.size()) {
    unsigned a = static_cast<unsigned char>(S1[i]), b = static_cast<unsigned char>(S2[j]);
    if (a < 0x80 && b < 0x80) {
      if (a >= 'A' && a <= 'Z') a += 32;
      if (b >= 'A' && b <= 'Z') b += 32;
      if (a != b) return a < b ? -1 : 1;
      ++i;
      ++j;
      continue;
    }
    Cardinal ca = Fold(NextCodePoint(S1, i)), cb = Fold(NextCodePoint(S2, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < S1.size()) return 1;
  if (j < S2.size()) return -1;
  return 0;
}

UTF8String sdTrim(const UTF8String& S) {
  bool dummy;
  return sdTrim(S, dummy);
}

UTF8String sdTrim(const UTF8String& S, bool& IsTrimmed) {
  const std::string_view t = sdTrimView(S);
  IsTrimmed = t.size() < S.size();
  return IsTrimmed ? UTF8String(t) : S;
}

UTF8String sdTrim(const UTF8String& S, UTF8String& PreString, UTF8String& PostString) {
  size_t a = 0, b = S.size();
  while (a < b && static_cast<unsigned char>(S[a]) <= 32) ++a;
  while (b > a && static_cast<unsigned char>(S[b - 1]) <= 32) --b;
  PreString = S.substr(0, a);
  PostString = S.substr(b);
  return S.substr(a, b - a);
}

}  // namespace qn
