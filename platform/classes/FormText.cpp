#include "platform/classes/FormText.h"

#include "platform/classes/ClassesInternal.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vcl {

using namespace classes_detail;

namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Latin1(const String& s) {
  std::string r;
  r.reserve(s.size());
  for (char16_t c : s) r.push_back(static_cast<char>(c <= 0xFF ? c : u'?'));
  return r;
}

// The whole rest of a stream; its size is what the stream says it holds.
std::string ReadRest(TStream* s) {
  Int64 n = s->Size() - s->Position();
  if (n <= 0) return std::string();
  if (n > INT32_MAX) throw EReadError(u"Stream too large");
  std::string r(static_cast<size_t>(n), '\0');
  s->ReadBuffer(r.data(), static_cast<Integer>(n));
  return r;
}

constexpr int kMaxDepth = TReader::MaxDepth;

std::string Sub(std::string_view s, size_t at, size_t n) { return std::string(s.substr(at, n)); }

}  // namespace

// ---------------------------------------------------------------------------
// TParser

TParser::TParser(TStream* Stream) : TParser(ReadRest(Stream)) {}

TParser::TParser(std::string Text) : FOwned(std::move(Text)), FText(FOwned) { Start(); }

TParser::TParser(const char* Text, size_t Size) : FText(Text, Size) { Start(); }

void TParser::Start() {
  if (FText.size() >= 3 && static_cast<unsigned char>(FText[0]) == 0xEF &&
      static_cast<unsigned char>(FText[1]) == 0xBB && static_cast<unsigned char>(FText[2]) == 0xBF)
    FPos = 3;
  NextToken();
}

void TParser::Error(const String& Message, Integer Line) const {
  throw EParserError(Message + u" on line " + IntStr(Line));
}

bool TParser::TokenSymbolIs(const String& S) const { return FToken == toSymbol && SameIdent(FTokenString, S); }

void TParser::CheckToken(char T) {
  if (FToken == T) return;
  switch (T) {
    case toSymbol: Error(u"Identifier expected");
    case toString: case toWString: Error(u"String expected");
    case toInteger: case toFloat: Error(u"Number expected");
    default: Error(u"'" + String(1, static_cast<char16_t>(static_cast<unsigned char>(T))) + u"' expected");
  }
}

void TParser::CheckTokenSymbol(const String& S) {
  if (!TokenSymbolIs(S)) Error(u"'" + S + u"' expected");
}

char TParser::NextToken() {
  // Blanks and control characters separate tokens; CR, LF and CRLF end lines.
  while (FPos < FText.size()) {
    char c = FText[FPos];
    if (c == '\n') {
      ++FLine;
    } else if (c == '\r') {
      if (FPos + 1 >= FText.size() || FText[FPos + 1] != '\n') ++FLine;
    } else if (static_cast<unsigned char>(c) > ' ') {
      break;
    }
    ++FPos;
  }
  FTokenLine = FLine;
  FFloatType = 0;
  FTokenString.clear();
  if (FPos >= FText.size()) return FToken = toEOF;
  char c = FText[FPos];
  if (IsIdentStart(c)) {
    size_t start = FPos;
    while (FPos < FText.size() && IsIdentChar(FText[FPos])) ++FPos;
    FTokenString = FromUtf8(Sub(FText, start, FPos - start));
    return FToken = toSymbol;
  }
  if (c == '\'' || c == '#') {
    ScanString();
    return FToken;
  }
  if (c == '$') {
    size_t start = FPos++;
    while (FPos < FText.size() && HexValue(FText[FPos]) >= 0) ++FPos;
    if (FPos - start < 2) Error(u"Invalid integer value");
    FTokenString = FromUtf8(Sub(FText, start, FPos - start));
    return FToken = toInteger;
  }
  if (IsDigit(c) || (c == '-' && FPos + 1 < FText.size() && IsDigit(FText[FPos + 1]))) return FToken = ScanNumber(FPos);
  ++FPos;
  FTokenString = String(1, static_cast<char16_t>(static_cast<unsigned char>(c)));
  return FToken = c;
}

char TParser::ScanNumber(size_t start) {
  size_t p = start;
  if (FText[p] == '-') ++p;
  bool isFloat = false;
  while (p < FText.size() && IsDigit(FText[p])) ++p;
  if (p + 1 < FText.size() && FText[p] == '.' && IsDigit(FText[p + 1])) {
    isFloat = true;
    ++p;
    while (p < FText.size() && IsDigit(FText[p])) ++p;
  }
  if (p < FText.size() && (FText[p] == 'e' || FText[p] == 'E')) {
    size_t q = p + 1;
    if (q < FText.size() && (FText[q] == '+' || FText[q] == '-')) ++q;
    if (q < FText.size() && IsDigit(FText[q])) {
      isFloat = true;
      p = q;
      while (p < FText.size() && IsDigit(FText[p])) ++p;
    }
  }
  FTokenString = FromUtf8(Sub(FText, start, p - start));
  if (p < FText.size()) {
    char s = static_cast<char>(FText[p] | 0x20);
    if ((s == 's' || s == 'c' || s == 'd') && (p + 1 >= FText.size() || !IsIdentChar(FText[p + 1]))) {
      FFloatType = s;
      isFloat = true;
      ++p;
    }
  }
  FPos = p;
  return isFloat ? toFloat : toInteger;
}

void TParser::ScanString() {
  String s;
  for (;;) {
    if (FPos >= FText.size()) break;
    char c = FText[FPos];
    if (c == '\'') {
      ++FPos;
      std::string run;
      for (;;) {
        if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r') Error(u"Unterminated string");
        if (FText[FPos] == '\'') {
          if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
            run.push_back('\'');
            FPos += 2;
            continue;
          }
          ++FPos;
          break;
        }
        run.push_back(FText[FPos++]);
      }
      // A long string is held once as UTF-8 and once as UTF-16, not twice.
      if (s.empty()) s = FromUtf8(run);
      else s += FromUtf8(run);
    } else if (c == '#') {
      ++FPos;
      UInt64 v = 0;
      size_t digits = 0;
      if (FPos < FText.size() && FText[FPos] == '$') {
        ++FPos;
        while (FPos < FText.size() && HexValue(FText[FPos]) >= 0 && digits < 8) {
          v = v * 16 + static_cast<UInt64>(HexValue(FText[FPos++]));
          ++digits;
        }
      } else {
        while (FPos < FText.size() && IsDigit(FText[FPos]) && digits < 8) {
          v = v * 10 + static_cast<UInt64>(FText[FPos++] - '0');
          ++digits;
        }
      }
      if (digits == 0 || v > 0xFFFF) Error(u"Invalid character code");
      s.push_back(static_cast<char16_t>(v));
    } else {
      break;
    }
  }
  bool wide = false;
  for (char16_t ch : s)
    if (ch >= 128) wide = true;
  FTokenString = std::move(s);
  FToken = wide ? toWString : toString;
}

String TParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  String s = FTokenString;
  while (FPos < FText.size() && FText[FPos] == '.') {
    ++FPos;
    if (FPos >= FText.size() || !IsIdentStart(FText[FPos])) Error(u"Identifier expected");
    size_t start = FPos;
    while (FPos < FText.size() && IsIdentChar(FText[FPos])) ++FPos;
    FTokenString = FromUtf8(Sub(FText, start, FPos - start));
    s += u"." + FTokenString;
  }
  return s;
}

Int64 TParser::TokenInt() const {
  std::string t = Latin1(FTokenString);
  bool neg = false;
  size_t i = 0;
  UInt64 v = 0;
  if (!t.empty() && t[0] == '$') {
    if (t.size() > 17) Error(u"Invalid integer value");
    for (i = 1; i < t.size(); ++i) v = v * 16 + static_cast<UInt64>(HexValue(t[i]));
    return static_cast<Int64>(v);
  }
  if (!t.empty() && t[0] == '-') {
    neg = true;
    i = 1;
  }
  for (; i < t.size() && IsDigit(t[i]); ++i) {
    UInt64 d = static_cast<UInt64>(t[i] - '0');
    if (v > (UINT64_MAX - d) / 10) Error(u"Invalid integer value");
    v = v * 10 + d;
  }
  if (neg ? v > UInt64(1) << 63 : v > static_cast<UInt64>(INT64_MAX)) Error(u"Invalid integer value");
  return neg ? static_cast<Int64>(0 - v) : static_cast<Int64>(v);
}

Extended TParser::TokenFloat() const {
  std::string t = Latin1(FTokenString);
  return ParseFloatC<Extended>(t.c_str());
}

namespace {
// Digit values by character, -1 for anything that is no hex digit.
struct THexTable {
  signed char V[256];
  constexpr THexTable() : V() {
    for (int c = 0; c < 256; ++c) V[c] = static_cast<signed char>(HexValue(static_cast<char>(c)));
  }
};
constexpr THexTable kHex;

// A run of 32 hex digits (16 bytes) at P decoded to Out; false, with nothing
// written, when any of them is no hex digit.
bool DecodeHex32(const char* P, Byte* Out) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  auto values = [&](__m128i c, __m128i& ok) {
    // Digits: c - '0' in 0..9; letters of either case: (c | 0x20) - 'a' in 0..5.
    const __m128i d = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_subs_epu8(d, _mm_set1_epi8(9)), zero);
    const __m128i l = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_subs_epu8(l, _mm_set1_epi8(5)), zero);
    ok = _mm_or_si128(isDigit, isLetter);
    return _mm_or_si128(_mm_and_si128(isDigit, d),
                        _mm_and_si128(isLetter, _mm_add_epi8(l, _mm_set1_epi8(10))));
  };
  __m128i ok1, ok2;
  const __m128i v1 = values(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P)), ok1);
  const __m128i v2 = values(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 16)), ok2);
  if (_mm_movemask_epi8(_mm_and_si128(ok1, ok2)) != 0xFFFF) return false;
  // Each pair of characters is one 16-bit lane: first digit low, second high.
  const __m128i mask = _mm_set1_epi16(0x00FF);
  const __m128i b1 = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(v1, mask), 4), _mm_srli_epi16(v1, 8));
  const __m128i b2 = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(v2, mask), 4), _mm_srli_epi16(v2, 8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), _mm_packus_epi16(b1, b2));
  return true;
#else
  int bad = 0;
  Byte tmp[16];
  for (int i = 0; i < 16; ++i) {
    const int hi = kHex.V[static_cast<unsigned char>(P[2 * i])];
    const int lo = kHex.V[static_cast<unsigned char>(P[2 * i + 1])];
    bad |= hi | lo;
    tmp[i] = static_cast<Byte>(hi * 16 + lo);
  }
  if (bad < 0) return false;
  std::memcpy(Out, tmp, 16);
  return true;
#endif
}

}  // namespace

size_t TParser::HexCapacity() const {
  // Every byte takes two characters before the closing brace.
  const size_t size = FText.size();
  if (FPos >= size) return 0;
  const void* close = std::memchr(FText.data() + FPos, '}', size - FPos);
  const size_t end = close ? static_cast<size_t>(static_cast<const char*>(close) - FText.data()) : size;
  return (end - FPos) / 2;
}

size_t TParser::HexToBinary(Byte* Out) {
  // Forms carry whole pictures here: runs of 32 digits go through at once,
  // the rest digit pair by digit pair. The locals keep the loops off the
  // members, which every byte stored could otherwise alias.
  const size_t size = FText.size();
  const char* text = FText.data();
  size_t pos = FPos;
  Integer line = FLine;
  Byte* out = Out;
  auto fail = [&] {
    FPos = pos;
    FLine = line;
    Error(u"Invalid binary value", line);
  };
  for (;;) {
    while (pos < size && static_cast<unsigned char>(text[pos]) <= ' ') {
      if (text[pos] == '\n') ++line;
      ++pos;
    }
    FTokenLine = line;
    if (pos >= size) fail();
    if (text[pos] == '}') {
      ++pos;
      break;
    }
    if (pos + 1 >= size) fail();
    // A run of digit pairs up to the next blank, brace or bad character.
    while (pos + 32 <= size && DecodeHex32(text + pos, out)) {
      out += 16;
      pos += 32;
    }
    while (pos < size) {
      const int hi = kHex.V[static_cast<unsigned char>(text[pos])];
      const int lo = pos + 1 < size ? kHex.V[static_cast<unsigned char>(text[pos + 1])] : -1;
      if ((hi | lo) < 0) break;
      *out++ = static_cast<Byte>(hi * 16 + lo);
      pos += 2;
    }
    if (pos < size && static_cast<unsigned char>(text[pos]) > ' ' && text[pos] != '}') fail();
  }
  FPos = pos;
  FLine = line;
  NextToken();
  return static_cast<size_t>(out - Out);
}

TBytes TParser::HexToBinary() {
  TBytes r(HexCapacity());
  r.resize(HexToBinary(r.data()));
  return r;
}

// ---------------------------------------------------------------------------
// Text -> binary

namespace {

// Where each component header and property of the binary form came from.
using TLineMap = std::vector<std::pair<Int64, Integer>>;

Integer LineAt(const TLineMap& map, Int64 offset) {
  Integer line = 0;
  for (auto& [at, l] : map) {
    if (at > offset) break;
    line = l;
  }
  return line;
}

class TTextToBinary {
 public:
  TTextToBinary(TParser& P, TWriter& W, TLineMap* Lines = nullptr) : FP(P), FW(W), FLines(Lines) {}

  void Convert() {
    if (!(FP.TokenSymbolIs(u"OBJECT") || FP.TokenSymbolIs(u"INHERITED") || FP.TokenSymbolIs(u"INLINE")))
      FP.Error(u"'object' expected");
    FW.WriteSignature();
    ConvertObject(0);
  }

 private:
  void Depth(int d) {
    if (d > kMaxDepth) FP.Error(u"Form nested too deeply");
  }
  // The line is where the name started: by the time a dotted or prefixed
  // name is whole, the parser may stand on a later line.
  void Str(const String& s, Integer line) {
    if (s.size() > 255) FP.Error(u"Identifier too long", line);
    FW.WriteStr(s);
  }

  void Mark() {
    if (FLines) FLines->emplace_back(FW.Position(), FP.SourceLine());
  }

  void ConvertHeader() {
    Mark();
    TFilerFlags flags;
    if (FP.TokenSymbolIs(u"INHERITED")) flags.Include(ffInherited);
    else if (FP.TokenSymbolIs(u"INLINE")) flags.Include(ffInline);
    FP.NextToken();
    FP.CheckToken(toSymbol);
    String className = FP.TokenString();
    Integer classLine = FP.SourceLine();
    String objectName;
    Integer objectLine = classLine;
    FP.NextToken();
    if (FP.Token() == ':') {
      FP.NextToken();
      FP.CheckToken(toSymbol);
      objectName = className;
      className = FP.TokenString();
      classLine = FP.SourceLine();
      FP.NextToken();
    }
    // A length byte of F0 or more would read as a prefix.
    if (className.size() >= 0xF0) FP.Error(u"Identifier too long", classLine);
    Integer pos = 0;
    if (FP.Token() == '[') {
      FP.NextToken();
      FP.CheckToken(toInteger);
      Int64 v = FP.TokenInt();
      if (v < INT32_MIN || v > INT32_MAX) FP.Error(u"Invalid integer value");
      pos = static_cast<Integer>(v);
      flags.Include(ffChildPos);
      FP.NextToken();
      FP.CheckToken(']');
      FP.NextToken();
    }
    FW.WritePrefix(flags, pos);
    Str(className, classLine);
    Str(objectName, objectLine);
  }

  static bool EndOfProps(TParser& P) {
    return P.TokenSymbolIs(u"END") || P.TokenSymbolIs(u"OBJECT") || P.TokenSymbolIs(u"INHERITED") ||
           P.TokenSymbolIs(u"INLINE");
  }

  void ConvertObject(int depth) {
    Depth(depth);
    ConvertHeader();
    while (!EndOfProps(FP)) ConvertProperty(depth);
    FW.WriteListEnd();
    while (!FP.TokenSymbolIs(u"END")) {
      if (!(FP.TokenSymbolIs(u"OBJECT") || FP.TokenSymbolIs(u"INHERITED") || FP.TokenSymbolIs(u"INLINE")))
        FP.Error(u"'end' expected");
      ConvertObject(depth + 1);
    }
    FW.WriteListEnd();
    FP.NextToken();
  }

  void ConvertProperty(int depth) {
    Mark();
    FP.CheckToken(toSymbol);
    String name = FP.TokenString();
    Integer nameLine = FP.SourceLine();
    FP.NextToken();
    while (FP.Token() == '.') {
      FP.NextToken();
      FP.CheckToken(toSymbol);
      name += u"." + FP.TokenString();
      FP.NextToken();
    }
    Str(name, nameLine);
    FP.CheckToken('=');
    FP.NextToken();
    ConvertValue(depth + 1);
  }

  void ConvertValue(int depth) {
    Depth(depth);
    switch (FP.Token()) {
      case toString: case toWString: {
        String s = FP.TakeTokenString();
        FP.NextToken();
        while (FP.Token() == '+') {
          FP.NextToken();
          if (FP.Token() != toString && FP.Token() != toWString) FP.Error(u"String expected");
          s += FP.TokenWideString();
          if (s.size() > static_cast<size_t>(INT32_MAX / 2)) FP.Error(u"String too long");
          FP.NextToken();
        }
        FW.WriteString(s);
        return;
      }
      case toInteger:
        FW.WriteInteger(FP.TokenInt());
        FP.NextToken();
        return;
      case toFloat:
        // A literal too large for its type is refused rather than read as
        // an infinity the text form could not spell back.
        if (!std::isfinite(FP.TokenFloat()) ||
            (FP.FloatType() == 's' && !std::isfinite(static_cast<Single>(FP.TokenFloat()))) ||
            (FP.FloatType() == 'd' && !std::isfinite(static_cast<Double>(FP.TokenFloat()))))
          FP.Error(u"Invalid floating point value");
        switch (FP.FloatType()) {
          case 's': FW.WriteSingle(static_cast<Single>(FP.TokenFloat())); break;
          case 'd': FW.WriteDate(static_cast<TDateTime>(FP.TokenFloat())); break;
          case 'c': {
            // The scaled integer is written as it is (see ConvertValue below).
            String t = FP.TokenString();
            if (t.find_first_of(u".eE") == String::npos) {
              FW.WriteCurrencyRaw(FP.TokenInt());
            } else {
              Extended f = FP.TokenFloat();
              if (!(f >= -9.2233720368547758e18L && f < 9.2233720368547758e18L)) FP.Error(u"Invalid currency value");
              FW.WriteCurrencyRaw(static_cast<Int64>(std::llround(f)));
            }
            break;
          }
          default: FW.WriteFloat(FP.TokenFloat()); break;
        }
        FP.NextToken();
        return;
      case toSymbol: {
        String ident = FP.TokenComponentIdent();
        if (ident.size() > 255) FP.Error(u"Identifier too long");
        FW.WriteIdent(ident);
        FP.NextToken();
        return;
      }
      case '[': {
        FP.NextToken();
        FW.WriteValue(vaSet);
        if (FP.Token() != ']') {
          for (;;) {
            if (FP.Token() != toSymbol && FP.Token() != toInteger) FP.Error(u"Identifier expected");
            Str(FP.TokenString(), FP.SourceLine());
            FP.NextToken();
            if (FP.Token() == ']') break;
            FP.CheckToken(',');
            FP.NextToken();
          }
        }
        FW.WriteStr(String());
        FP.NextToken();
        return;
      }
      case '(': {
        FP.NextToken();
        FW.WriteListBegin();
        while (FP.Token() != ')') {
          if (FP.Token() == toEOF) FP.Error(u"')' expected");
          ConvertValue(depth + 1);
        }
        FP.NextToken();
        FW.WriteListEnd();
        return;
      }
      case '{': {
        const size_t room = FP.HexCapacity();
        if (room <= static_cast<size_t>(INT32_MAX)) {
          Byte* at = FW.BeginBinary(static_cast<Integer>(room));
          FW.EndBinary(static_cast<Integer>(FP.HexToBinary(at)));
          return;
        }
        TBytes b = FP.HexToBinary();
        if (b.size() > static_cast<size_t>(INT32_MAX)) FP.Error(u"Binary value too large");
        FW.WriteBinary(b.data(), static_cast<Integer>(b.size()));
        return;
      }
      case '<': {
        FP.NextToken();
        FW.WriteValue(vaCollection);
        while (FP.Token() != '>') {
          FP.CheckTokenSymbol(u"item");
          FP.NextToken();
          if (FP.Token() == '[') {
            FP.NextToken();
            FP.CheckToken(toInteger);
            FW.WriteInteger(FP.TokenInt());
            FP.NextToken();
            FP.CheckToken(']');
            FP.NextToken();
          }
          FW.WriteListBegin();
          while (!FP.TokenSymbolIs(u"end")) ConvertProperty(depth + 1);
          FW.WriteListEnd();
          FP.NextToken();
        }
        FW.WriteListEnd();
        FP.NextToken();
        return;
      }
      default:
        FP.Error(u"Invalid property value");
    }
  }

  TParser& FP;
  TWriter& FW;
  TLineMap* FLines;
};

// ---------------------------------------------------------------------------
// Binary -> text

// The shortest decimal that reads back as the same value at the width the
// value was stored with (0 single, 1 double, 2 extended), in the platform's
// spelling ("1.5", "1E20", "1.5E-7"). Whole numbers below 1E18 are spelled
// out in fixed notation: with a suffix ("34700d") the suffix already keeps
// the type; without one they get the point and eighteen zeros, as the
// platform's IDE writes them, because a bare "1" would read back as an
// integer and a custom reader would no longer see a float.
std::string FloatText(Extended v, int width, bool suffixed) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  // "-0" would read back as the integer 0; the point keeps it a float.
  if (v == 0 && std::signbit(v)) return "-0.0";
  if (v == std::trunc(v) && std::fabs(v) < 1e18L) {
    std::string whole = FormatFloatC(v, std::chars_format::fixed, 0);
    return suffixed ? whole : whole + ".000000000000000000";
  }
  int maxPrec = width == 0 ? 9 : width == 1 ? 17 : 21;
  std::string s;
  for (int prec = 1; prec <= maxPrec; ++prec) {
    s = FormatFloatC(v, std::chars_format::general, prec);
    bool same = width == 0   ? ParseFloatC<float>(s.c_str()) == static_cast<float>(v)
                : width == 1 ? ParseFloatC<double>(s.c_str()) == static_cast<double>(v)
                             : ParseFloatC<long double>(s.c_str()) == v;
    if (same) break;
  }
  // A whole number too long for an integer token is spelled with an exponent.
  if (s.find_first_of(".e") == std::string::npos && std::fabs(v) >= 1e18L) {
    std::string sci;
    for (int prec = 0; prec <= maxPrec; ++prec) {
      sci = FormatFloatC(v, std::chars_format::scientific, prec);
      if (ParseFloatC<long double>(sci.c_str()) == ParseFloatC<long double>(s.c_str())) break;
    }
    s = sci;
  }
  size_t e = s.find('e');
  if (e == std::string::npos) return s;
  std::string mant = s.substr(0, e);
  std::string exp = s.substr(e + 1);
  bool neg = !exp.empty() && exp[0] == '-';
  size_t i = (!exp.empty() && (exp[0] == '-' || exp[0] == '+')) ? 1 : 0;
  while (i + 1 < exp.size() && exp[i] == '0') ++i;
  return mant + "E" + (neg ? "-" : "") + exp.substr(i);
}

class TBinaryToText {
 public:
  TBinaryToText(TReader& R, std::string& Out) : FR(R), FOut(Out) {}

  void Convert() {
    FR.ReadSignature();
    ConvertObject(0);
  }

 private:
  static constexpr int LineLength = 64;
  static constexpr int BytesPerLine = 32;

  void Depth(int d) {
    if (d > kMaxDepth) FR.ReadError(u"Form nested too deeply");
  }
  void Indent() { FOut.append(static_cast<size_t>(FNesting) * 2, ' '); }
  void NewLine() {
    FOut += "\r\n";
    Indent();
  }

  void ConvertHeader() {
    TFilerFlags flags;
    Integer pos = 0;
    FR.ReadPrefix(flags, pos);
    String cls = FR.ReadStr();
    String name = FR.ReadStr();
    Indent();
    if (flags.Contains(ffInherited)) FOut += "inherited ";
    else if (flags.Contains(ffInline)) FOut += "inline ";
    else FOut += "object ";
    if (!name.empty()) FOut += Latin1(name) + ": ";
    FOut += Latin1(cls);
    if (flags.Contains(ffChildPos)) FOut += " [" + std::to_string(pos) + "]";
    FOut += "\r\n";
  }

  void ConvertObject(int depth) {
    Depth(depth);
    ConvertHeader();
    ++FNesting;
    while (!FR.EndOfList()) ConvertProperty(depth);
    FR.ReadListEnd();
    while (!FR.EndOfList()) ConvertObject(depth + 1);
    FR.ReadListEnd();
    --FNesting;
    Indent();
    FOut += "end\r\n";
  }

  void ConvertProperty(int depth) {
    Indent();
    FOut += Latin1(FR.ReadStr());
    FOut += " = ";
    ConvertValue(depth + 1);
    FOut += "\r\n";
  }

  void ConvertString(const String& w) {
    const size_t L = w.size();
    if (L == 0) {
      FOut += "''";
      return;
    }
    auto plain = [](char16_t c) { return c >= u' ' && c != u'\'' && c <= 127; };
    size_t i = 0;
    ++FNesting;
    if (L > LineLength) NewLine();
    size_t k = 0;
    do {
      bool lineBreak = false;
      if (plain(w[i])) {
        size_t j = i;
        do ++i;
        while (i < L && plain(w[i]) && (i - k) < LineLength);
        if (i - k >= LineLength) lineBreak = true;
        FOut += '\'';
        for (; j < i; ++j) FOut += static_cast<char>(w[j]);
        FOut += '\'';
      } else {
        FOut += '#';
        FOut += std::to_string(static_cast<unsigned>(w[i]));
        ++i;
        if (i - k >= LineLength) lineBreak = true;
      }
      if (lineBreak && i < L) {
        FOut += " +";
        NewLine();
        k = i;
      }
    } while (i < L);
    --FNesting;
  }

  void ConvertBinary() {
    TBytes b = FR.ReadBinary();
    static const char hex[] = "0123456789ABCDEF";
    FOut += '{';
    ++FNesting;
    bool multiLine = b.size() >= BytesPerLine;
    for (size_t at = 0; at < b.size(); at += BytesPerLine) {
      if (multiLine) NewLine();
      size_t end = std::min(b.size(), at + BytesPerLine);
      for (size_t i = at; i < end; ++i) {
        FOut += hex[b[i] >> 4];
        FOut += hex[b[i] & 15];
      }
    }
    --FNesting;
    FOut += '}';
  }

  void ConvertValue(int depth) {
    Depth(depth);
    switch (FR.NextValue()) {
      case vaList:
        FR.ReadValue();
        FOut += '(';
        ++FNesting;
        while (!FR.EndOfList()) {
          NewLine();
          ConvertValue(depth + 1);
        }
        FR.ReadListEnd();
        --FNesting;
        FOut += ')';
        return;
      case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        FOut += std::to_string(FR.ReadInt64());
        return;
      case vaExtended: FOut += FloatText(FR.ReadFloat(), 2, false); return;
      case vaDouble: FOut += FloatText(FR.ReadDouble(), 1, false); return;
      case vaSingle: FOut += FloatText(FR.ReadSingle(), 0, true) + "s"; return;
      case vaDate: FOut += FloatText(FR.ReadDate(), 1, true) + "d"; return;
      // Currency keeps its scaled integer, so no digit is ever lost.
      case vaCurrency: FOut += std::to_string(FR.ReadCurrencyRaw()) + "c"; return;
      case vaString: case vaLString: case vaWString: case vaUTF8String:
        ConvertString(FR.ReadString());
        return;
      case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull:
        FOut += Latin1(FR.ReadIdent());
        return;
      case vaBinary: ConvertBinary(); return;
      case vaSet: {
        FR.ReadValue();
        FOut += '[';
        bool first = true;
        for (;;) {
          String s = FR.ReadStr();
          if (s.empty()) break;
          if (!first) FOut += ", ";
          FOut += Latin1(s);
          first = false;
        }
        FOut += ']';
        return;
      }
      case vaCollection:
        FR.ReadValue();
        FOut += '<';
        ++FNesting;
        while (!FR.EndOfList()) {
          NewLine();
          FOut += "item";
          TValueType t = FR.NextValue();
          if (t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64) {
            FOut += " [" + std::to_string(FR.ReadInt64()) + "]";
          }
          FOut += "\r\n";
          FR.ReadListBegin();
          ++FNesting;
          while (!FR.EndOfList()) ConvertProperty(depth + 1);
          FR.ReadListEnd();
          --FNesting;
          Indent();
          FOut += "end";
        }
        FR.ReadListEnd();
        --FNesting;
        FOut += '>';
        return;
    }
  }

  TReader& FR;
  std::string& FOut;
  int FNesting = 0;
};

}  // namespace

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  GuardOutOfMemory([&] {
    TParser parser(Input);
    TMemoryStream buffer;
    {
      TWriter writer(&buffer);
      TTextToBinary(parser, writer).Convert();
      writer.FlushBuffer();
    }
    // Output sees nothing of a text that fails to convert.
    Output->WriteBuffer(buffer.Memory(), static_cast<Integer>(buffer.Size()));
  });
}

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  GuardOutOfMemory([&] {
    std::string out;
    TReader reader(Input);
    TBinaryToText(reader, out).Convert();
    if (out.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError(u"Form too large");
    Output->WriteBuffer(out.data(), static_cast<Integer>(out.size()));
  });
}

void ObjectResourceToText(TStream* Input, TStream* Output) {
  const Int64 pos = Input->Position();
  Byte first = 0;
  const Integer n = Input->Read(&first, 1);
  Input->SetPosition(pos);
  if (n != 1 || first != 0xFF) throw EReadError(u"Invalid stream format at offset 0");
  ObjectBinaryToText(Input, Output);
}

void ObjectTextToResource(TStream* Input, TStream* Output) {
  GuardOutOfMemory([&] {
    TMemoryStream bin;
    ObjectTextToBinary(Input, &bin);
    String cls;
    {
      bin.SetPosition(0);
      TReader reader(&bin);
      reader.ReadSignature();
      TFilerFlags flags;
      Integer pos = 0;
      reader.ReadPrefix(flags, pos);
      cls = reader.ReadStr();
    }
    if (bin.Size() > INT32_MAX - 512) throw EWriteError(u"Form too large");
    std::string head = "\xFF\x0A";
    head.push_back('\0');
    for (char16_t c : UpperCase(cls)) head.push_back(static_cast<char>(c <= 0xFF ? c : u'?'));
    head.push_back('\0');
    head += "\x30\x10";
    const uint32_t size = static_cast<uint32_t>(bin.Size());
    for (int i = 0; i < 4; ++i) head.push_back(static_cast<char>(size >> (8 * i)));
    Output->WriteBuffer(head.data(), static_cast<Integer>(head.size()));
    Output->WriteBuffer(bin.Memory(), static_cast<Integer>(bin.Size()));
  });
}

TStreamOriginalFormat TestStreamFormat(TStream* Stream) {
  Int64 pos = Stream->Position();
  unsigned char head[4] = {0, 0, 0, 0};
  Integer n = Stream->Read(head, 4);
  Stream->SetPosition(pos);
  if (n == 4 && std::memcmp(head, FilerSignature, 4) == 0) return sofBinary;
  if (n >= 1 && head[0] == 0xFF) return sofBinary;
  if (n >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) return sofUTF8Text;
  if (n >= 1 && (IsIdentStart(static_cast<char>(head[0])) || head[0] == ' ' || head[0] == '\t' ||
                 head[0] == '\r' || head[0] == '\n'))
    return sofText;
  return sofUnknown;
}

namespace {

// The binary form as the converter left it, read in place.
class TBinaryForm : public TCustomMemoryStream {
 public:
  explicit TBinaryForm(std::vector<Byte> Bytes) : FBytes(std::move(Bytes)) {
    SetPointer(FBytes.data(), static_cast<Int64>(FBytes.size()));
  }
  using TStream::Write;
  Integer Write(const void*, Integer) override { throw EStreamError(u"Can't write to a read-only stream"); }

 private:
  std::vector<Byte> FBytes;
};

// Text -> components; errors found while reading name the text's line.
TComponent* ReadText(TParser& parser, size_t TextSize, TComponent* Instance) {
  TMemoryStream sink;
  TLineMap lines;
  std::vector<Byte> converted;
  {
    TWriter writer(&sink);
    // Pictures dominate big forms: two hex digits make a byte.
    writer.Reserve(TextSize / 2 + 256);
    TTextToBinary(parser, writer, &lines).Convert();
    converted = writer.TakeBuffer();
  }
  TBinaryForm bin(std::move(converted));
  TReader reader(&bin);
  try {
    return reader.ReadRootComponent(Instance);
  } catch (EFilerError& e) {
    if (Integer line = LineAt(lines, reader.ItemOffset())) e.SetMessage(e.Message() + u" on line " + IntStr(line));
    throw;
  }
}

// A stream holding a form in either format -> the component read from it.
TComponent* ReadFormStream(TStream* Stream, TComponent* Instance) {
  TStreamOriginalFormat f = TestStreamFormat(Stream);
  if (f == sofBinary) return Stream->ReadComponent(Instance);
  if (f == sofUnknown) throw EReadError(u"Invalid stream format");
  TParser parser(Stream);
  return ReadText(parser, static_cast<size_t>(std::max<Int64>(Stream->Size(), 0)), Instance);
}

}  // namespace

std::string ComponentToText(TComponent* Instance, TComponent* Ancestor) {
  TMemoryStream bin;
  bin.WriteDescendent(Instance, Ancestor);
  bin.SetPosition(0);
  TMemoryStream txt;
  ObjectBinaryToText(&bin, &txt);
  return std::string(static_cast<const char*>(txt.Memory()), static_cast<size_t>(txt.Size()));
}

TComponent* TextToComponent(std::string_view Text, TComponent* Instance) {
  TParser parser(Text.data(), Text.size());
  return ReadText(parser, Text.size(), Instance);
}

TComponent* LoadFormFile(const String& FileName, TComponent* Instance) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  return ReadFormStream(&f, Instance);
}

void SaveFormFile(const String& FileName, TComponent* Instance, bool AsText) {
  TMemoryStream bin;
  bin.WriteComponent(Instance);
  TMemoryStream out;
  if (AsText) {
    bin.SetPosition(0);
    ObjectBinaryToText(&bin, &out);
  }
  TMemoryStream& data = AsText ? out : bin;
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(data.Memory(), static_cast<Integer>(data.Size()));
}

// ---------------------------------------------------------------------------
// Form resources

void RegisterFormResource(const String& ClassName, const char* Text) {
  RegisterResource(ClassName, u"#10", Text, std::strlen(Text));
}

TComponent* ReadComponentRes(const String& ResName, TComponent* Instance) {
  TResourceStream rs(0, ResName, u"#10");
  return ReadFormStream(&rs, Instance);
}

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
  std::vector<TClass> chain;
  for (TClass c = Instance->ClassType(); c && c != RootAncestor; c = c->ClassParent()) chain.push_back(c);
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const void* data = nullptr;
    size_t size = 0;
    if (!FindResourceData((*it)->ClassName(), u"#10", data, size)) continue;
    ReadComponentRes((*it)->ClassName(), Instance);
    found = true;
  }
  return found;
}

}  // namespace vcl
