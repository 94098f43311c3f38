// Format and the floating-point conversions.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

// A value as decimal digits: value = 0.d1d2d3... * 10^Exponent. Digits holds
// no trailing zeros and is empty for zero.
struct TFloatRec {
  bool Negative = false;
  bool Nan = false;
  bool Inf = false;
  int Exponent = 0;
  std::string Digits;
};

TFloatRec FloatToDecimal(Extended v) {
  TFloatRec r;
  if (std::isnan(v)) { r.Nan = true; return r; }
  r.Negative = std::signbit(v);
  if (std::isinf(v)) { r.Inf = true; return r; }
  if (v == 0) { r.Negative = false; return r; }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17Le", std::fabs(v));  // 18 significant digits, correctly rounded
  std::string d;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d += *p;
  int e = std::atoi(p + 1);
  while (!d.empty() && d.back() == '0') d.pop_back();
  r.Digits = d;
  r.Exponent = e + 1;
  return r;
}

// Keeps `count` digits (count may be <= 0), rounding half away from zero.
void RoundDigits(TFloatRec& r, int count) {
  if (count < 0) {
    r.Digits.clear();
    r.Exponent = 0;
    return;
  }
  if (static_cast<int>(r.Digits.size()) <= count) return;
  bool up = r.Digits[static_cast<size_t>(count)] >= '5';
  r.Digits.resize(static_cast<size_t>(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && r.Digits[static_cast<size_t>(i)] == '9') {
      r.Digits[static_cast<size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++r.Digits[static_cast<size_t>(i)];
    } else {
      r.Digits.insert(r.Digits.begin(), '1');
      ++r.Exponent;
    }
  }
  while (!r.Digits.empty() && r.Digits.back() == '0') r.Digits.pop_back();
  if (r.Digits.empty()) r.Exponent = 0;
}

// Rounding to a number of decimals.
void RoundDecimals(TFloatRec& r, int decimals) { RoundDigits(r, r.Exponent + decimals); }

char DigitAt(const TFloatRec& r, int i) {
  return i >= 0 && i < static_cast<int>(r.Digits.size()) ? r.Digits[static_cast<size_t>(i)] : '0';
}

String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

String SpecialText(const TFloatRec& r) {
  if (r.Nan) return u"NAN";
  return r.Negative ? u"-INF" : u"INF";
}

String ExponentText(int e, int minDigits, bool alwaysSign) {
  String s;
  if (e < 0) s += u'-';
  else if (alwaysSign) s += u'+';
  String d = IntToStr(e < 0 ? -e : e);
  if (Length(d) < minDigits) d.insert(0, static_cast<size_t>(minDigits - Length(d)), u'0');
  return s + d;
}

// Integer part digits (at least "0") and the fraction with `decimals` digits.
String FixedText(const TFloatRec& r, int decimals, Char decSep, Char thouSep, bool thousands) {
  String ip;
  if (r.Exponent <= 0) {
    ip = u"0";
  } else {
    for (int i = 0; i < r.Exponent; ++i) ip += static_cast<Char>(DigitAt(r, i));
  }
  if (thousands && thouSep) {
    String t;
    int n = Length(ip);
    for (int i = 0; i < n; ++i) {
      t += ip[static_cast<size_t>(i)];
      int left = n - 1 - i;
      if (left > 0 && left % 3 == 0) t += thouSep;
    }
    ip = t;
  }
  if (decimals > 0) {
    ip += decSep;
    for (int i = 0; i < decimals; ++i) ip += static_cast<Char>(DigitAt(r, r.Exponent + i));
  }
  return ip;
}

String ExponentFormat(TFloatRec r, int precision, int digits, Char decSep) {
  RoundDigits(r, precision);
  String s;
  if (r.Negative && !r.Digits.empty()) s += u'-';
  s += static_cast<Char>(DigitAt(r, 0));
  if (precision > 1) {
    s += decSep;
    for (int i = 1; i < precision; ++i) s += static_cast<Char>(DigitAt(r, i));
  }
  s += u'E';
  s += ExponentText(r.Digits.empty() ? 0 : r.Exponent - 1, digits, true);
  return s;
}

String CurrencyText(const String& num, bool negative, const TFormatSettings& fs) {
  const String& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 1: return num + c;
      case 2: return c + u" " + num;
      case 3: return num + u" " + c;
      default: return c + num;
    }
  }
  switch (fs.NegCurrFormat) {
    case 1: return u"-" + c + num;
    case 2: return c + u"-" + num;
    case 3: return c + num + u"-";
    case 4: return u"(" + num + c + u")";
    case 5: return u"-" + num + c;
    case 6: return num + u"-" + c;
    case 7: return num + c + u"-";
    case 8: return u"-" + num + u" " + c;
    case 9: return u"-" + c + u" " + num;
    case 10: return num + u" " + c + u"-";
    case 11: return c + u" " + num + u"-";
    case 12: return c + u" -" + num;
    case 13: return num + u"- " + c;
    case 14: return u"(" + c + u" " + num + u")";
    case 15: return u"(" + num + u" " + c + u")";
    default: return u"(" + c + num + u")";
  }
}

String FloatToText(Extended v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  TFloatRec r = FloatToDecimal(v);
  if (r.Nan || r.Inf) return SpecialText(r);
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  if (digits < 0) digits = 0;
  if (digits > 18) digits = 18;
  switch (format) {
    case TFloatFormat::ffExponent:
      return ExponentFormat(r, precision, digits > 4 ? 4 : digits, fs.DecimalSeparator);
    case TFloatFormat::ffGeneral: {
      RoundDigits(r, precision);
      if (r.Digits.empty()) return u"0";
      String s = r.Negative ? u"-" : u"";
      const int n = static_cast<int>(r.Digits.size());
      if (r.Exponent > precision || r.Exponent < -4) {
        s += static_cast<Char>(r.Digits[0]);
        if (n > 1) {
          s += fs.DecimalSeparator;
          s += Ascii(r.Digits.substr(1));
        }
        s += u'E';
        s += ExponentText(r.Exponent - 1, digits > 4 ? 4 : digits, false);
        return s;
      }
      if (r.Exponent <= 0) {
        s += u'0';
        s += fs.DecimalSeparator;
        s.append(static_cast<size_t>(-r.Exponent), u'0');
        s += Ascii(r.Digits);
        return s;
      }
      for (int i = 0; i < r.Exponent; ++i) s += static_cast<Char>(DigitAt(r, i));
      if (n > r.Exponent) {
        s += fs.DecimalSeparator;
        s += Ascii(r.Digits.substr(static_cast<size_t>(r.Exponent)));
      }
      return s;
    }
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber:
    case TFloatFormat::ffCurrency: {
      // Too many integer digits for the precision: scientific, as the platform does.
      if (r.Exponent > precision && format != TFloatFormat::ffCurrency)
        return ExponentFormat(r, precision, 3, fs.DecimalSeparator);
      RoundDecimals(r, digits);
      bool neg = r.Negative && !r.Digits.empty();
      String num = FixedText(r, digits, fs.DecimalSeparator, fs.ThousandSeparator, format != TFloatFormat::ffFixed);
      if (format == TFloatFormat::ffCurrency) return CurrencyText(num, neg, fs);
      return neg ? u"-" + num : num;
    }
  }
  return String();
}

// ---------------------------------------------------------------------------

[[noreturn]] void InvalidFormat(const String& fmt) {
  throw EConvertError(u"Format '" + fmt + u"' invalid or incompatible with argument");
}
[[noreturn]] void ArgumentMissing(const String& fmt) { throw EConvertError(u"No argument for format '" + fmt + u"'"); }

String PadWidth(String s, int width, bool left) {
  if (width > Length(s)) {
    size_t pad = static_cast<size_t>(width - Length(s));
    if (left) s.append(pad, u' ');
    else s.insert(0, pad, u' ');
  }
  return s;
}

}  // namespace

String FloatToStrF(Extended v, TFloatFormat format, Integer precision, Integer digits, const TFormatSettings& fs) {
  return FloatToText(v, format, precision, digits, fs);
}
String FloatToStrF(Extended v, TFloatFormat format, Integer precision, Integer digits) {
  return FloatToText(v, format, precision, digits, FormatSettings);
}
String FloatToStr(Extended v, const TFormatSettings& fs) { return FloatToText(v, TFloatFormat::ffGeneral, 15, 0, fs); }
String FloatToStr(Extended v) { return FloatToStr(v, FormatSettings); }
String CurrToStr(Extended v) { return FloatToText(v, TFloatFormat::ffGeneral, 19, 0, FormatSettings); }

String Format(const String& fmt, const TVarRec* args, size_t count, const TFormatSettings& fs) {
  String out;
  size_t next = 0;
  const size_t n = fmt.size();
  size_t i = 0;
  auto takeArg = [&]() -> const TVarRec& {
    if (next >= count) ArgumentMissing(fmt);
    return args[next++];
  };
  // A number or "*" (taken from the arguments); nothing when absent.
  auto readNumber = [&]() -> std::optional<Int64> {
    if (i < n && fmt[i] == u'*') {
      ++i;
      const TVarRec& a = takeArg();
      if (!a.IsInteger()) InvalidFormat(fmt);
      return a.AsInt64();
    }
    if (i >= n || fmt[i] < u'0' || fmt[i] > u'9') return std::nullopt;
    Int64 v = 0;
    while (i < n && fmt[i] >= u'0' && fmt[i] <= u'9') {
      v = v * 10 + (fmt[i] - u'0');
      if (v > 100000) InvalidFormat(fmt);  // no real format pads further; bounds the output
      ++i;
    }
    return v;
  };
  while (i < n) {
    Char c = fmt[i++];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (i >= n) InvalidFormat(fmt);
    if (fmt[i] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    bool left = false;
    Int64 width = 0, prec = -1;
    std::optional<Int64> num = readNumber();
    if (i < n && fmt[i] == u':') {
      ++i;
      next = static_cast<size_t>(std::max<Int64>(0, num.value_or(0)));
      num.reset();
    }
    if (!num) {
      if (i < n && fmt[i] == u'-') {
        left = true;
        ++i;
      }
      num = readNumber();
    }
    width = num.value_or(0);
    if (width < 0) {  // a negative width from "*" left-justifies
      left = true;
      width = -width;
    }
    if (i < n && fmt[i] == u'.') {
      ++i;
      prec = readNumber().value_or(0);  // a bare "." is precision 0, as on the platform
      if (prec < 0) prec = -1;
    }
    if (i >= n) InvalidFormat(fmt);
    Char type = fmt[i++];
    if (type >= u'a' && type <= u'z') type -= 32;
    const TVarRec& a = takeArg();
    String s;
    switch (type) {
      case u'D':
      case u'U':
      case u'X': {
        if (!a.IsInteger()) InvalidFormat(fmt);
        Int64 v = a.AsInt64();
        bool neg = false;
        UInt64 mag;
        if (type == u'D') {
          neg = v < 0;
          mag = neg ? UInt64(0) - static_cast<UInt64>(v) : static_cast<UInt64>(v);
        } else if (a.VType == TVarRec::vtInteger) {
          mag = static_cast<Cardinal>(v);
        } else {
          mag = static_cast<UInt64>(v);
        }
        s = type == u'X' ? IntToHex64(mag, 0) : IntToStr(mag);
        if (prec > Length(s)) s.insert(0, static_cast<size_t>(prec - Length(s)), u'0');
        if (neg) s.insert(s.begin(), u'-');
        break;
      }
      case u'E':
      case u'F':
      case u'G':
      case u'N':
      case u'M': {
        if (a.VType != TVarRec::vtExtended) InvalidFormat(fmt);
        switch (type) {
          case u'E': s = FloatToText(a.VExtended, TFloatFormat::ffExponent, prec < 0 ? 15 : int(prec), 3, fs); break;
          case u'G': s = FloatToText(a.VExtended, TFloatFormat::ffGeneral, prec < 0 ? 15 : int(prec), 0, fs); break;
          case u'F': s = FloatToText(a.VExtended, TFloatFormat::ffFixed, 18, prec < 0 ? 2 : int(prec), fs); break;
          case u'N': s = FloatToText(a.VExtended, TFloatFormat::ffNumber, 18, prec < 0 ? 2 : int(prec), fs); break;
          default:
            s = FloatToText(a.VExtended, TFloatFormat::ffCurrency, 18, prec < 0 ? fs.CurrencyDecimals : int(prec), fs);
        }
        break;
      }
      case u'P': {
        const void* p;
        switch (a.VType) {
          case TVarRec::vtPointer: p = a.VPointer; break;
          case TVarRec::vtObject: p = a.VObject; break;
          case TVarRec::vtClass: p = a.VClass; break;
          case TVarRec::vtPChar: p = a.VPChar; break;
          case TVarRec::vtPWideChar: p = a.VPWideChar; break;
          default: InvalidFormat(fmt);
        }
        s = IntToHex64(reinterpret_cast<UInt64>(p), sizeof(void*) * 2);
        if (prec > Length(s)) s.insert(0, static_cast<size_t>(prec - Length(s)), u'0');
        break;
      }
      case u'S': {
        if (!a.IsString()) InvalidFormat(fmt);
        s = a.AsString();
        if (prec >= 0 && prec < Length(s)) s.resize(static_cast<size_t>(prec));
        break;
      }
      default:
        InvalidFormat(fmt);
    }
    out += PadWidth(std::move(s), static_cast<int>(width), left);
  }
  return out;
}

String Format(const String& fmt, std::initializer_list<TVarRec> args) {
  return Format(fmt, args.begin(), args.size(), FormatSettings);
}
String Format(const String& fmt, std::initializer_list<TVarRec> args, const TFormatSettings& fs) {
  return Format(fmt, args.begin(), args.size(), fs);
}
String Format(const String& fmt, const std::vector<TVarRec>& args) {
  return Format(fmt, args.data(), args.size(), FormatSettings);
}

Exception::Exception(const String& fmt, std::initializer_list<TVarRec> args) : Exception(Format(fmt, args)) {}

// ---------------------------------------------------------------------------
// FormatFloat.

namespace {

std::vector<String> SplitSections(const String& f) {
  std::vector<String> out(1);
  Char quote = 0;
  for (Char c : f) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u';') {
      if (out.size() == 3) break;
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

struct TPattern {
  int IntPlaceholders = 0;  // 0 and # before the decimal point
  int IntZeros = 0;         // placeholders from the first 0 on
  int DecZeros = 0;         // 0 after the point (minimum decimals)
  int DecPlaceholders = 0;  // 0 and # after the point (maximum decimals)
  bool HasPoint = false;
  bool Thousands = false;
  bool Scientific = false;
  bool ExpAlwaysSign = false;
  int ExpDigits = 0;
};

TPattern Analyse(const String& f) {
  TPattern p;
  Char quote = 0;
  bool seenZero = false;
  for (size_t i = 0; i < f.size(); ++i) {
    Char c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'"' || c == u'\'') { quote = c; continue; }
    if (p.Scientific) continue;
    switch (c) {
      case u'0':
      case u'#':
        if (p.HasPoint) {
          ++p.DecPlaceholders;
          if (c == u'0') p.DecZeros = p.DecPlaceholders;
        } else {
          ++p.IntPlaceholders;
          if (c == u'0') seenZero = true;
          if (seenZero) ++p.IntZeros;
        }
        break;
      case u'.':
        p.HasPoint = true;
        break;
      case u',':
        if (!p.HasPoint) p.Thousands = true;
        break;
      case u'E':
      case u'e':
        if (i + 1 < f.size() && (f[i + 1] == u'+' || f[i + 1] == u'-')) {
          p.Scientific = true;
          p.ExpAlwaysSign = f[i + 1] == u'+';
          for (size_t k = i + 2; k < f.size() && f[k] == u'0'; ++k) ++p.ExpDigits;
        }
        break;
      default:
        break;
    }
  }
  return p;
}

String ApplyPattern(const String& f, const TPattern& p, TFloatRec r, const TFormatSettings& fs) {
  // The digits to place: integer part (padded to IntZeros) and fraction.
  int exponent = 0;
  if (p.Scientific) {
    int ints = p.IntPlaceholders > 0 ? p.IntPlaceholders : 1;
    if (!r.Digits.empty()) {
      RoundDigits(r, ints + p.DecPlaceholders);
      exponent = r.Exponent - ints;
      r.Exponent = ints;
    }
  } else {
    RoundDecimals(r, p.DecPlaceholders);
  }
  std::string ip;
  for (int i = 0; i < r.Exponent; ++i) ip += DigitAt(r, i);
  if (static_cast<int>(ip.size()) < p.IntZeros) ip.insert(0, static_cast<size_t>(p.IntZeros) - ip.size(), '0');
  std::string fp;
  for (int i = 0; i < p.DecPlaceholders; ++i) fp += DigitAt(r, r.Exponent + i);
  while (static_cast<int>(fp.size()) > p.DecZeros && !fp.empty() && fp.back() == '0') fp.pop_back();

  String out;
  Char quote = 0;
  int intSeen = 0, decSeen = 0;
  bool inFraction = false, expDone = false;
  const int ipLen = static_cast<int>(ip.size());
  auto emitInt = [&](int idx) {  // idx: position of the digit from the left
    out += static_cast<Char>(ip[static_cast<size_t>(idx)]);
    int fromRight = ipLen - 1 - idx;
    if (p.Thousands && fromRight > 0 && fromRight % 3 == 0) out += fs.ThousandSeparator;
  };
  for (size_t i = 0; i < f.size(); ++i) {
    Char c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
      else out += c;
      continue;
    }
    if (c == u'"' || c == u'\'') { quote = c; continue; }
    if (expDone) {
      if (c == u'0') continue;
      out += c;
      continue;
    }
    if ((c == u'E' || c == u'e') && p.Scientific && i + 1 < f.size() && (f[i + 1] == u'+' || f[i + 1] == u'-')) {
      out += c;
      out += ExponentText(exponent, p.ExpDigits, p.ExpAlwaysSign);
      ++i;
      expDone = true;
      continue;
    }
    if (c == u'0' || c == u'#') {
      if (!inFraction) {
        // Placeholders fill from the right; the first one takes any excess digits.
        int slot = intSeen++;
        int firstDigit = ipLen - (p.IntPlaceholders - slot);
        if (slot == 0)
          for (int k = 0; k < firstDigit; ++k) emitInt(k);
        if (firstDigit >= 0) emitInt(firstDigit);
      } else {
        if (decSeen < static_cast<int>(fp.size())) out += static_cast<Char>(fp[static_cast<size_t>(decSeen)]);
        ++decSeen;
      }
      continue;
    }
    if (c == u'.') {
      if (!inFraction) {
        if (p.IntPlaceholders == 0)
          for (int k = 0; k < ipLen; ++k) emitInt(k);
        inFraction = true;
        if (!fp.empty()) out += fs.DecimalSeparator;
      }
      continue;
    }
    if (c == u',') continue;
    out += c;
  }
  return out;
}

}  // namespace

String FormatFloat(const String& format, Extended v, const TFormatSettings& fs) {
  TFloatRec r = FloatToDecimal(v);
  if (r.Nan || r.Inf) return SpecialText(r);
  if (format.empty()) return FloatToText(v, TFloatFormat::ffGeneral, 15, 0, fs);
  std::vector<String> sections = SplitSections(format);
  bool neg = r.Negative;
  r.Negative = false;
  // Which section: by the value as the positive section would show it.
  TPattern p0 = Analyse(sections[0]);
  TFloatRec probe = r;
  if (p0.Scientific) RoundDigits(probe, (p0.IntPlaceholders > 0 ? p0.IntPlaceholders : 1) + p0.DecPlaceholders);
  else RoundDecimals(probe, p0.DecPlaceholders);
  const bool zero = probe.Digits.empty();
  size_t sec = 0;
  if (zero) {
    if (sections.size() >= 3 && !sections[2].empty()) sec = 2;
    neg = false;
  } else if (neg && sections.size() >= 2 && !sections[1].empty()) {
    sec = 1;
  }
  const String& f = sections[sec];
  String s = ApplyPattern(f, Analyse(f), r, fs);
  if (neg && sec == 0) s.insert(s.begin(), u'-');
  return s;
}
String FormatFloat(const String& format, Extended v) { return FormatFloat(format, v, FormatSettings); }

// ---------------------------------------------------------------------------
// StrToFloat.

bool TryStrToFloat(const String& s, Extended& v, const TFormatSettings& fs) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] <= u' ') ++i;
  while (n > i && s[n - 1] <= u' ') --n;
  if (i >= n) return false;
  std::string a;
  if (s[i] == u'+' || s[i] == u'-') a += static_cast<char>(s[i++]);
  String rest = UpperCase(s.substr(i, n - i));
  if (rest == u"NAN") {
    if (!a.empty()) return false;
    v = std::numeric_limits<Extended>::quiet_NaN();
    return true;
  }
  if (rest == u"INF") {
    v = a == "-" ? -std::numeric_limits<Extended>::infinity() : std::numeric_limits<Extended>::infinity();
    return true;
  }
  int mantissaDigits = 0;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') { a += static_cast<char>(s[i++]); ++mantissaDigits; }
  if (i < n && s[i] == fs.DecimalSeparator) {
    a += '.';
    ++i;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') { a += static_cast<char>(s[i++]); ++mantissaDigits; }
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    a += 'e';
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) a += static_cast<char>(s[i++]);
    int expDigits = 0;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') { a += static_cast<char>(s[i++]); ++expDigits; }
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  const char* first = a.data();
  if (*first == '+') ++first;
  Extended x;
  auto res = std::from_chars(first, a.data() + a.size(), x);
  if (res.ec == std::errc::result_out_of_range) {
    // Overflow is an error; underflow reads as zero.
    bool expNeg = a.find("e-") != std::string::npos;
    if (!expNeg) return false;
    x = 0;
  } else if (res.ec != std::errc() || res.ptr != a.data() + a.size()) {
    return false;
  }
  v = x;
  return true;
}

bool TryStrToFloat(const String& s, Extended& v) { return TryStrToFloat(s, v, FormatSettings); }
bool TryStrToFloat(const String& s, Double& v, const TFormatSettings& fs) {
  Extended x;
  if (!TryStrToFloat(s, x, fs)) return false;
  if (std::isfinite(x) && std::fabs(x) > std::numeric_limits<Double>::max()) return false;
  v = static_cast<Double>(x);
  return true;
}
bool TryStrToFloat(const String& s, Double& v) { return TryStrToFloat(s, v, FormatSettings); }
bool TryStrToFloat(const String& s, Single& v) {
  Extended x;
  if (!TryStrToFloat(s, x, FormatSettings)) return false;
  if (std::isfinite(x) && std::fabs(x) > std::numeric_limits<Single>::max()) return false;
  v = static_cast<Single>(x);
  return true;
}
Extended StrToFloat(const String& s, const TFormatSettings& fs) {
  Extended v;
  if (!TryStrToFloat(s, v, fs)) throw EConvertError(u"'" + s + u"' is not a valid floating point value");
  return v;
}
Extended StrToFloat(const String& s) { return StrToFloat(s, FormatSettings); }
Extended StrToFloatDef(const String& s, Extended def, const TFormatSettings& fs) {
  Extended v;
  return TryStrToFloat(s, v, fs) ? v : def;
}
Extended StrToFloatDef(const String& s, Extended def) { return StrToFloatDef(s, def, FormatSettings); }

}  // namespace vcl
