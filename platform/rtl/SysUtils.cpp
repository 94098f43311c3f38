#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include "platform/rtl/Character.h"

namespace vcl {

TFormatSettings FormatSettings;
std::vector<String> TrueBoolStrs;
std::vector<String> FalseBoolStrs;

TFormatSettings TFormatSettings::Invariant() {
  TFormatSettings fs;
  fs.CurrencyString = u"\u00A4";
  fs.ShortDateFormat = u"MM/dd/yyyy";
  fs.LongDateFormat = u"dddd, dd MMMM yyyy";
  fs.ShortTimeFormat = u"HH:mm";
  fs.LongTimeFormat = u"HH:mm:ss";
  return fs;
}

// ---------------------------------------------------------------------------
// 1-based routines.

String Copy(const String& s, Integer index, Integer count) {
  if (index < 1) index = 1;
  Integer len = Length(s);
  if (count < 1 || index > len) return String();
  Integer avail = len - index + 1;
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(std::min(count, avail)));
}

Integer Pos(const String& sub, const String& s, Integer offset) { return PosEx(sub, s, offset); }

Integer PosEx(const String& sub, const String& s, Integer offset) {
  if (sub.empty() || offset < 1 || offset > Length(s)) return 0;
  size_t p = s.find(sub, static_cast<size_t>(offset - 1));
  return p == String::npos ? 0 : static_cast<Integer>(p) + 1;
}

void Delete(String& s, Integer index, Integer count) {
  Integer len = Length(s);
  if (index < 1 || index > len || count < 1) return;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(std::min(count, len - index + 1)));
}

void Insert(const String& source, String& s, Integer index) {
  if (index < 1) index = 1;
  if (index > Length(s)) index = Length(s) + 1;
  s.insert(static_cast<size_t>(index - 1), source);
}

String StringOfChar(Char c, Integer count) { return count > 0 ? String(static_cast<size_t>(count), c) : String(); }

String Trim(const String& s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] <= u' ') ++a;
  while (b > a && s[b - 1] <= u' ') --b;
  return s.substr(a, b - a);
}
String TrimLeft(const String& s) {
  size_t a = 0;
  while (a < s.size() && s[a] <= u' ') ++a;
  return s.substr(a);
}
String TrimRight(const String& s) {
  size_t b = s.size();
  while (b > 0 && s[b - 1] <= u' ') --b;
  return s.substr(0, b);
}

namespace {
inline Char AsciiUpper(Char c) { return c >= u'a' && c <= u'z' ? c - 32 : c; }
inline Char AsciiLower(Char c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; }
}  // namespace

String UpperCase(const String& s) {
  String r(s);
  for (auto& c : r) c = AsciiUpper(c);
  return r;
}
String LowerCase(const String& s) {
  String r(s);
  for (auto& c : r) c = AsciiLower(c);
  return r;
}
String AnsiUpperCase(const String& s) {
  String r(s);
  for (auto& c : r) c = ToUpper(c);
  return r;
}
String AnsiLowerCase(const String& s) {
  String r(s);
  for (auto& c : r) c = ToLower(c);
  return r;
}

Integer CompareStr(const String& a, const String& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return static_cast<Integer>(a[i]) - static_cast<Integer>(b[i]);
  return static_cast<Integer>(a.size()) - static_cast<Integer>(b.size());
}
Integer CompareText(const String& a, const String& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    Char x = AsciiUpper(a[i]), y = AsciiUpper(b[i]);
    if (x != y) return static_cast<Integer>(x) - static_cast<Integer>(y);
  }
  return static_cast<Integer>(a.size()) - static_cast<Integer>(b.size());
}
bool SameStr(const String& a, const String& b) { return a == b; }
bool SameText(const String& a, const String& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

namespace {
// Three levels: base letters (case and accent folded), then accents, then
// case with lower case first. Non-letters compare by code unit at level one.
Integer LinguisticCompare(const String& a, const String& b, bool ignoreCase) {
  auto sign = [](Integer v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    Char x = ToLower(detail::BaseLetter(a[i])), y = ToLower(detail::BaseLetter(b[i]));
    if (x != y) return sign(static_cast<Integer>(x) - static_cast<Integer>(y));
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < n; ++i) {
    Char x = ToLower(a[i]), y = ToLower(b[i]);
    if (x != y) return sign(static_cast<Integer>(x) - static_cast<Integer>(y));
  }
  if (ignoreCase) return 0;
  for (size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    bool ua = IsUpper(a[i]), ub = IsUpper(b[i]);
    if (ua != ub) return ua ? 1 : -1;
    return sign(static_cast<Integer>(a[i]) - static_cast<Integer>(b[i]));
  }
  return 0;
}
}  // namespace

Integer AnsiCompareStr(const String& a, const String& b) { return LinguisticCompare(a, b, false); }
Integer AnsiCompareText(const String& a, const String& b) { return LinguisticCompare(a, b, true); }
bool AnsiSameStr(const String& a, const String& b) { return a == b; }
bool AnsiSameText(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ToLower(a[i]) != ToLower(b[i])) return false;
  return true;
}

String StringReplace(const String& s, const String& oldPattern, const String& newPattern, TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const bool all = flags.Contains(TReplaceFlag::rfReplaceAll);
  const bool ic = flags.Contains(TReplaceFlag::rfIgnoreCase);
  const String hay = ic ? AnsiUpperCase(s) : String();
  const String pat = ic ? AnsiUpperCase(oldPattern) : String();
  const String& h = ic ? hay : s;
  const String& p = ic ? pat : oldPattern;
  String r;
  size_t from = 0;
  for (;;) {
    size_t at = h.find(p, from);
    if (at == String::npos) break;
    r.append(s, from, at - from);
    r += newPattern;
    from = at + p.size();
    if (!all) break;
  }
  r.append(s, from, String::npos);
  return r;
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, u'\''); }

String AnsiQuotedStr(const String& s, Char quote) {
  String r(1, quote);
  for (Char c : s) {
    r += c;
    if (c == quote) r += c;
  }
  r += quote;
  return r;
}

String AnsiExtractQuotedStr(const Char*& p, Char quote) {
  if (!p || *p != quote) return String();
  ++p;
  String r;
  while (*p) {
    if (*p == quote) {
      if (p[1] == quote) {
        r += quote;
        p += 2;
        continue;
      }
      ++p;
      break;
    }
    r += *p++;
  }
  return r;
}

String AnsiDequotedStr(const String& s, Char quote) {
  // By index rather than through AnsiExtractQuotedStr, so that a NUL inside
  // the text does not end it.
  String r;
  size_t i = 0;
  if (!s.empty() && s[0] == quote) {
    for (i = 1; i < s.size(); ++i) {
      if (s[i] != quote) {
        r += s[i];
      } else if (i + 1 < s.size() && s[i + 1] == quote) {
        r += quote;
        ++i;
      } else {
        ++i;
        break;
      }
    }
  }
  if ((r.empty() || i >= s.size()) && !s.empty() && (s.front() != quote || s.back() != quote)) return s;
  return r;
}

Integer LastDelimiter(const String& delimiters, const String& s) {
  for (size_t i = s.size(); i-- > 0;)
    if (delimiters.find(s[i]) != String::npos) return static_cast<Integer>(i) + 1;
  return 0;
}

bool IsDelimiter(const String& delimiters, const String& s, Integer index) {
  if (index < 1 || index > Length(s)) return false;
  return delimiters.find(s[static_cast<size_t>(index - 1)]) != String::npos;
}

String AdjustLineBreaks(const String& s) {
  String r;
  r.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      r += u"\r\n";
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else if (s[i] == u'\n') {
      r += u"\r\n";
    } else {
      r += s[i];
    }
  }
  return r;
}

String WideCharToString(const WideChar* s) { return s ? String(s) : String(); }
String WideCharLenToString(const WideChar* s, Integer len) {
  return s && len > 0 ? String(s, static_cast<size_t>(len)) : String();
}

// ---------------------------------------------------------------------------
// Integers.

String IntToHex64(UInt64 v, Integer digits) {
  static const char16_t hex[] = u"0123456789ABCDEF";
  String s;
  do {
    s.insert(s.begin(), hex[v & 15]);
    v >>= 4;
  } while (v);
  if (digits > Length(s)) s.insert(0, static_cast<size_t>(digits - Length(s)), u'0');
  return s;
}

namespace {
template <class Ch>
int HexDigit(Ch c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
template <class Ch>
Integer HexToBinImpl(const Ch* text, Byte* buffer, Integer bufSize) {
  Integer n = 0;
  if (!text || !buffer) return 0;
  while (n < bufSize) {
    int hi = HexDigit(text[0]);
    if (hi < 0) break;
    int lo = HexDigit(text[1]);
    if (lo < 0) break;
    buffer[n++] = static_cast<Byte>(hi << 4 | lo);
    text += 2;
  }
  return n;
}
}  // namespace

Integer HexToBin(const char* text, Byte* buffer, Integer bufSize) { return HexToBinImpl(text, buffer, bufSize); }
Integer HexToBin(const Char* text, Byte* buffer, Integer bufSize) { return HexToBinImpl(text, buffer, bufSize); }

void BinToHex(const Byte* buffer, char* text, Integer bufSize) {
  static const char hex[] = "0123456789ABCDEF";
  for (Integer i = 0; i < bufSize; ++i) {
    text[2 * i] = hex[buffer[i] >> 4];
    text[2 * i + 1] = hex[buffer[i] & 15];
  }
}

namespace {
// Parses [sign] (digits | "$" hex | "0x" hex). Decimal must fit in
// [-(maxPos+1), maxPos]; hexadecimal may use the whole unsigned range of
// `bits` and is then read as two's complement.
bool ParseInt(const String& s, int bits, Int64& out) {
  size_t i = 0, n = s.size();
  bool neg = false;
  if (i < n && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  bool hex = false;
  if (i < n && s[i] == u'$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const UInt64 umax = bits == 64 ? ~UInt64(0) : (UInt64(1) << bits) - 1;
  const UInt64 smax = umax >> 1;
  UInt64 v = 0;
  for (; i < n; ++i) {
    Char c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (hex && (c | 32) >= u'a' && (c | 32) <= u'f') d = (c | 32) - u'a' + 10;
    else return false;
    const UInt64 base = hex ? 16 : 10;
    if (v > (umax - d) / base) return false;
    v = v * base + d;
  }
  if (!hex && v > smax + (neg ? 1 : 0)) return false;
  if (hex && bits < 64 && v > smax) v |= ~umax;  // sign-extend the two's complement
  Int64 sv = static_cast<Int64>(v);
  out = neg ? static_cast<Int64>(UInt64(0) - static_cast<UInt64>(sv)) : sv;
  if (bits == 32 && (out < std::numeric_limits<Integer>::min() || out > std::numeric_limits<Integer>::max()))
    out = static_cast<Integer>(static_cast<Cardinal>(out));
  return true;
}

[[noreturn]] void InvalidInteger(const String& s) { throw EConvertError(u"'" + s + u"' is not a valid integer value"); }
}  // namespace

bool TryStrToInt(const String& s, Integer& v) {
  Int64 x;
  if (!ParseInt(s, 32, x)) return false;
  v = static_cast<Integer>(x);
  return true;
}
Integer StrToInt(const String& s) {
  Integer v;
  if (!TryStrToInt(s, v)) InvalidInteger(s);
  return v;
}
Integer StrToIntDef(const String& s, Integer def) {
  Integer v;
  return TryStrToInt(s, v) ? v : def;
}
bool TryStrToInt64(const String& s, Int64& v) { return ParseInt(s, 64, v); }
Int64 StrToInt64(const String& s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) InvalidInteger(s);
  return v;
}
Int64 StrToInt64Def(const String& s, Int64 def) {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}
bool TryStrToUInt64(const String& s, UInt64& v) {
  if (s.empty() || s[0] == u'-') return false;
  size_t i = s[0] == u'+' ? 1 : 0;
  bool hex = false;
  if (i < s.size() && s[i] == u'$') { hex = true; ++i; }
  else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] | 32) == u'x') { hex = true; i += 2; }
  if (i >= s.size()) return false;
  UInt64 r = 0;
  const UInt64 base = hex ? 16 : 10;
  for (; i < s.size(); ++i) {
    Char c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (hex && (c | 32) >= u'a' && (c | 32) <= u'f') d = (c | 32) - u'a' + 10;
    else return false;
    if (r > (~UInt64(0) - d) / base) return false;
    r = r * base + d;
  }
  v = r;
  return true;
}

// ---------------------------------------------------------------------------
// Booleans.

String BoolToStr(bool b, bool useBoolStrs) {
  if (!useBoolStrs) return b ? u"-1" : u"0";
  const auto& list = b ? TrueBoolStrs : FalseBoolStrs;
  return list.empty() ? String(b ? u"True" : u"False") : list.front();
}

bool TryStrToBool(const String& s, bool& v) {
  auto match = [&](const std::vector<String>& list, const char16_t* def) {
    if (list.empty()) return SameText(s, def);
    return std::any_of(list.begin(), list.end(), [&](const String& x) { return SameText(s, x); });
  };
  if (match(TrueBoolStrs, u"True")) { v = true; return true; }
  if (match(FalseBoolStrs, u"False")) { v = false; return true; }
  Extended f;
  if (TryStrToFloat(s, f)) {
    v = f != 0;
    return true;
  }
  return false;
}
bool StrToBool(const String& s) {
  bool v;
  if (!TryStrToBool(s, v)) throw EConvertError(u"'" + s + u"' is not a valid boolean value");
  return v;
}
bool StrToBoolDef(const String& s, bool def) {
  bool v;
  return TryStrToBool(s, v) ? v : def;
}

}  // namespace vcl
