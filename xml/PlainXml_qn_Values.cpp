// Text forms of typed values: numbers, booleans, dates, Base64 and
// hexadecimal, and the character-set table.
#include <cmath>
#include <cstdio>

#include "platform/rtl/Kernel.h"
#include "xml/PlainXml_qn.h"

namespace qn {

TFormatSettings cXmlFormatSettings;

void InitPlainXml() {
  TFormatSettings& f = cXmlFormatSettings;
  f = TFormatSettings();
  f.DecimalSeparator = u'.';
  f.ThousandSeparator = u',';
  f.DateSeparator = u'/';
  f.TimeSeparator = u':';
  f.ListSeparator = u',';
  f.ShortDateFormat = u"m/d/yy";
  f.LongDateFormat = u"mmmm d, yyyy";
  f.TimeAMString = u"am";
  f.TimePMString = u"pm";
  f.ShortTimeFormat = u"h:mm AMPM";
  f.LongTimeFormat = u"h:mm:ss AMPM";
  f.CurrencyString = u"";
  f.CurrencyFormat = 0;
  RegisterClass(TPlainXml::StaticClass());
}

void DonePlainXml() { UnRegisterClass(TPlainXml::StaticClass()); }

// ---------------------------------------------------------------------------
// Numbers and booleans

UTF8String sdIntToString(Integer Value) { return ToUtf8(IntToStr(Value)); }
UTF8String sdInt64ToString(Int64 Value) { return ToUtf8(IntToStr(Value)); }
Integer sdIntFromString(const UTF8String& Value) { return StrToInt(FromUtf8(Value)); }
Int64 sdInt64FromString(const UTF8String& Value) { return StrToInt64(FromUtf8(Value)); }
UTF8String sdBoolToString(bool Value) { return Value ? "true" : "false"; }
bool sdBoolFromString(const UTF8String& Value) { return StrToBool(FromUtf8(Value)); }

UTF8String sdFloatToString(double Value, Integer SignificantDigits, bool AllowScientific) {
  if (SignificantDigits < 1 || SignificantDigits > 9) throw Exception(u"significant digits out of range");
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  if (Value == 0) return "0";
  UTF8String sign;
  if (Value < 0) {
    sign = "-";
    Value = -Value;
  }
  Integer digits = SignificantDigits;
  // One rounding per step, in plain doubles, so every build writes the same
  // digits (the unit is compiled without contracted multiply-adds).
  double limit = 1;
  for (Integer i = 0; i < digits; ++i) limit *= 10;
  double tenth = limit / 10;
  Integer e = digits;
  while (Value < tenth) {
    Value *= 10;
    --e;
  }
  while (Value >= limit) {
    Value *= 0.1;
    ++e;
  }
  Int64 m = static_cast<Int64>(std::nearbyint(Value));
  if (m == static_cast<Int64>(limit)) {
    m /= 10;
    ++e;
  }
  while (m % 10 == 0 && digits > e) {
    m /= 10;
    --digits;
  }
  Integer x = 0;
  if (AllowScientific && (e < -1 || e > digits + 2)) {
    x = e - 1;
    e = 1;
  }
  UTF8String t = std::to_string(m);
  while (digits < e) {
    t += '0';
    ++digits;
  }
  while (e < 0) {
    t.insert(t.begin(), '0');
    ++e;
  }
  if (e == 0) t.insert(t.begin(), '.');
  else if (digits > e) t.insert(static_cast<size_t>(e), 1, '.');
  UTF8String r = sign + t;
  if (x != 0) r += "E" + std::to_string(x);
  return r;
}

UTF8String sdFloatToString(double Value) { return sdFloatToString(Value, 6, true); }

double sdFloatFromString(const UTF8String& Value) {
  return static_cast<double>(StrToFloat(FromUtf8(Value), cXmlFormatSettings));
}

UTF8String sdCommaToDot(const UTF8String& Value) {
  UTF8String r = Value;
  for (char& c : r)
    if (c == ',') c = '.';
  return r;
}

// ---------------------------------------------------------------------------
// Dates and times

namespace {

SYSTEMTIME ToSystemTime(TDateTime dt) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(dt, y, m, d);
  DecodeTime(dt, h, n, s, ms);
  SYSTEMTIME st;
  st.wYear = y;
  st.wMonth = m;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = n;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return st;
}

TDateTime FromSystemTime(const SYSTEMTIME& st) {
  return ComposeDateTime(EncodeDate(st.wYear, st.wMonth, st.wDay),
                         EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

TDateTime UtcToLocal(TDateTime utc) {
  SYSTEMTIME u = ToSystemTime(utc), l;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &u, &l)) return utc - GetTimeZoneBias() / 1440.0;
  return FromSystemTime(l);
}

[[noreturn]] void BadDate(const UTF8String& s) {
  throw EConvertError(u"'" + FromUtf8(s) + u"' is not a valid date and time");
}

struct TDateReader {
  const UTF8String& S;
  size_t I = 0;
  bool AtEnd() const { return I >= S.size(); }
  char Peek() const { return AtEnd() ? '\0' : S[I]; }
  Integer Digits(size_t count) {
    Integer v = 0;
    for (size_t k = 0; k < count; ++k) {
      if (AtEnd() || S[I] < '0' || S[I] > '9') BadDate(S);
      v = v * 10 + (S[I++] - '0');
    }
    return v;
  }
  void Expect(char c) {
    if (Peek() != c) BadDate(S);
    ++I;
  }
};

}  // namespace

Integer GetTimeZoneBias() {
  TIME_ZONE_INFORMATION tzi;
  switch (GetTimeZoneInformation(&tzi)) {
    case TIME_ZONE_ID_UNKNOWN: return tzi.Bias;
    case TIME_ZONE_ID_STANDARD: return tzi.Bias + tzi.StandardBias;
    case TIME_ZONE_ID_DAYLIGHT: return tzi.Bias + tzi.DaylightBias;
    default: return 0;
  }
}

Integer GetTimeZoneBias(TDateTime LocalTime) {
  SYSTEMTIME l, u;
  try {
    l = ToSystemTime(LocalTime);
  } catch (const EConvertError&) {
    return GetTimeZoneBias();
  }
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &l, &u)) return GetTimeZoneBias();
  return static_cast<Integer>(std::lround((FromSystemTime(u) - FromSystemTime(l)) * MinsPerDay));
}

UTF8String sdDateTimeToString(TDateTime ADate, bool UseDate, bool UseTime, Integer SplitSecondDigits,
                              bool UseLocalBias) {
  char buf[64];
  UTF8String r;
  if (UseDate) {
    Word y, m, d;
    DecodeDate(ADate, y, m, d);
    snprintf(buf, sizeof buf, "%.4d-%.2d-%.2d", y, m, d);
    r = buf;
    if (UseTime) r += 'T';
  }
  if (UseTime) {
    Word h, n, s, ms;
    DecodeTime(ADate, h, n, s, ms);
    snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d", h, n, s);
    r += buf;
    if (SplitSecondDigits >= 1) {
      snprintf(buf, sizeof buf, "%.3d", ms);
      r += '.';
      r.append(buf, static_cast<size_t>(SplitSecondDigits < 3 ? SplitSecondDigits : 3));
    }
    if (UseLocalBias) {
      Integer bias = GetTimeZoneBias(ADate);
      Integer a = bias < 0 ? -bias : bias;
      snprintf(buf, sizeof buf, "%s%.2d:%.2d", bias <= 0 ? "+" : "-", a / 60, a % 60);
      r += buf;
    } else {
      r += 'Z';
    }
  }
  return r;
}

TDateTime sdStringToDateTime(const UTF8String& ADate, bool UseLocalBias) {
  UTF8String s = sdTrim(ADate);
  TDateReader rd{s};
  Integer year = rd.Digits(4);
  rd.Expect('-');
  Integer month = rd.Digits(2);
  rd.Expect('-');
  Integer day = rd.Digits(2);
  TDateTime date;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date)) BadDate(s);
  Integer h = 0, n = 0, sec = 0, ms = 0;
  Integer zoneMinutes = 0;  // east of UTC
  if (!rd.AtEnd()) {
    char sep = rd.Peek();
    if (sep != 'T' && sep != 't' && sep != ' ') BadDate(s);
    ++rd.I;
    h = rd.Digits(2);
    rd.Expect(':');
    n = rd.Digits(2);
    if (rd.Peek() == ':') {
      ++rd.I;
      sec = rd.Digits(2);
      if (rd.Peek() == '.' || rd.Peek() == ',') {
        ++rd.I;
        Integer count = 0, scale = 100;
        while (!rd.AtEnd() && rd.Peek() >= '0' && rd.Peek() <= '9') {
          if (count < 3) ms += (rd.Peek() - '0') * scale;
          scale /= 10;
          ++count;
          ++rd.I;
        }
        if (count == 0) BadDate(s);
      }
    }
    char z = rd.Peek();
    if (z == 'Z' || z == 'z') {
      ++rd.I;
    } else if (z == '+' || z == '-') {
      ++rd.I;
      Integer zh = rd.Digits(2);
      if (rd.Peek() == ':') ++rd.I;
      Integer zm = rd.Digits(2);
      if (zh > 23 || zm > 59) BadDate(s);
      zoneMinutes = (zh * 60 + zm) * (z == '-' ? -1 : 1);
    }
    if (!rd.AtEnd()) BadDate(s);
  }
  TDateTime time;
  if (!TryEncodeTime(static_cast<Word>(h), static_cast<Word>(n), static_cast<Word>(sec), static_cast<Word>(ms), time))
    BadDate(s);
  TDateTime v = ComposeDateTime(date, time);
  if (!UseLocalBias) return v;
  // The text's time is UTC unless it names its zone; the result is local.
  TDateTime utc = v - zoneMinutes / static_cast<double>(MinsPerDay);
  return UtcToLocal(utc);
}

TDateTime sdStringToDateTimeDef(const UTF8String& ADate, TDateTime ADefault, bool UseLocalBias) {
  try {
    return sdStringToDateTime(ADate, UseLocalBias);
  } catch (const Exception&) {
    return ADefault;
  }
}

// ---------------------------------------------------------------------------
// Base64 and hexadecimal

namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

[[noreturn]] void StreamLengthError() { throw EFilerError(u"error while calculating streamlength"); }

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Decodes groups [0, groups) of s into out (at most limit bytes); "=" is
// only accepted in the last two places of s, and counts as zero bits.
size_t DecodeGroups(const UTF8String& s, size_t groups, Byte* out, size_t limit) {
  size_t n = 0;
  for (size_t g = 0; g < groups; ++g) {
    Cardinal v = 0;
    for (size_t k = 0; k < 4; ++k) {
      size_t pos = 4 * g + k;
      char c = s[pos];
      int d;
      if (c == '=') {
        if (pos + 2 < s.size()) StreamLengthError();
        if (pos + 1 < s.size() && s[pos + 1] != '=') StreamLengthError();
        d = 0;
      } else {
        d = Base64Value(c);
        if (d < 0) StreamLengthError();
      }
      v = v << 6 | static_cast<Cardinal>(d);
    }
    for (int k = 2; k >= 0 && n < limit; --k) out[n++] = static_cast<Byte>(v >> (8 * k));
  }
  return n;
}

}  // namespace

UTF8String EncodeBase64Buf(const void* Buffer, Integer Count) {
  if (Count <= 0) return {};
  const Byte* p = static_cast<const Byte*>(Buffer);
  UTF8String r;
  r.reserve(static_cast<size_t>((Count + 2) / 3) * 4);
  for (Integer i = 0; i < Count; i += 3) {
    Cardinal v = Cardinal(p[i]) << 16;
    if (i + 1 < Count) v |= Cardinal(p[i + 1]) << 8;
    if (i + 2 < Count) v |= p[i + 2];
    r += kBase64[(v >> 18) & 63];
    r += kBase64[(v >> 12) & 63];
    r += i + 1 < Count ? kBase64[(v >> 6) & 63] : '=';
    r += i + 2 < Count ? kBase64[v & 63] : '=';
  }
  return r;
}

UTF8String EncodeBase64(const RawByteString& Source) {
  return EncodeBase64Buf(Source.data(), static_cast<Integer>(Source.size()));
}

RawByteString DecodeBase64(const UTF8String& Source) {
  UTF8String s = sdRemoveControlChars(Source);
  if (s.size() % 4 != 0) StreamLengthError();
  if (s.empty()) return {};
  size_t pads = s[s.size() - 1] == '=' ? (s[s.size() - 2] == '=' ? 2 : 1) : 0;
  size_t size = s.size() / 4 * 3 - pads;
  RawByteString r(size, '\0');
  DecodeGroups(s, s.size() / 4, reinterpret_cast<Byte*>(r.data()), size);
  return r;
}

void DecodeBase64Buf(UTF8String& Source, void* Buffer, Integer Count) {
  Source = sdRemoveControlChars(Source);
  if (Count <= 0) return;
  size_t groups = (static_cast<size_t>(Count) + 2) / 3;
  if (Source.size() / 4 < groups) throw EFilerError(u"missing data in binary stream");
  DecodeGroups(Source, groups, static_cast<Byte*>(Buffer), static_cast<size_t>(Count));
}

RawByteString DecodeBinHex(const UTF8String& Source) {
  UTF8String s = sdRemoveControlChars(Source);
  if (s.size() % 2 != 0) StreamLengthError();
  RawByteString r(s.size() / 2, '\0');
  Integer n = HexToBin(s.c_str(), reinterpret_cast<Byte*>(r.data()), static_cast<Integer>(r.size()));
  if (static_cast<size_t>(n) != r.size()) StreamLengthError();
  return r;
}

void DecodeBinhexBuf(UTF8String& Source, void* Buffer, Integer Count) {
  Source = sdRemoveControlChars(Source);
  if (Count < 0 || Source.size() != 2 * static_cast<size_t>(Count)) StreamLengthError();
  if (HexToBin(Source.c_str(), static_cast<Byte*>(Buffer), Count) != Count) StreamLengthError();
}

UTF8String sdRemoveControlChars(const UTF8String& AValue) {
  if (AValue.find_first_of("\t\n\r ") == UTF8String::npos) return AValue;
  UTF8String r;
  r.reserve(AValue.size());
  for (char c : AValue)
    if (c != '\t' && c != '\n' && c != '\r' && c != ' ') r += c;
  return r;
}

UTF8String sdAddControlChars(const UTF8String& AValue, const UTF8String& Chars, Integer Interval) {
  if (Chars.empty() || Interval <= 0 || AValue.size() <= static_cast<size_t>(Interval)) return AValue;
  UTF8String r;
  r.reserve(AValue.size() + (AValue.size() / static_cast<size_t>(Interval)) * Chars.size());
  for (size_t i = 0; i < AValue.size(); i += static_cast<size_t>(Interval)) {
    if (i) r += Chars;
    r.append(AValue, i, static_cast<size_t>(Interval));
  }
  return r;
}

// ---------------------------------------------------------------------------
// Character sets

namespace {
const TsdCharsetRow kCharsets[] = {
    {"IBM037", 37}, {"IBM437", 437}, {"IBM500", 500}, {"ASMO-708", 708}, {"ASMO-449+", 709},
    {"BCON V4", 709}, {"Arabic", 710}, {"DOS-720", 720}, {"ibm737", 737}, {"ibm775", 775}, {"ibm850", 850},
    {"ibm852", 852}, {"IBM855", 855}, {"ibm857", 857}, {"IBM00858", 858}, {"IBM860", 860}, {"ibm861", 861},
    {"DOS-862", 862}, {"IBM863", 863}, {"IBM864", 864}, {"IBM865", 865}, {"cp866", 866}, {"ibm869", 869},
    {"IBM870", 870}, {"windows-874", 874}, {"cp875", 875}, {"shift_jis", 932}, {"gb2312", 936},
    {"ks_c_5601-1987", 949}, {"big5", 950}, {"IBM1026", 1026}, {"IBM01047", 1047}, {"IBM01140", 1140},
    {"IBM01141", 1141}, {"IBM01142", 1142}, {"IBM01143", 1143}, {"IBM01144", 1144}, {"IBM01145", 1145},
    {"IBM01146", 1146}, {"IBM01147", 1147}, {"IBM01148", 1148}, {"IBM01149", 1149}, {"utf-16", 1200},
    {"unicodeFFFE", 1201}, {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
    {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1255", 1255}, {"windows-1256", 1256},
    {"windows-1257", 1257}, {"windows-1258", 1258}, {"Johab", 1361}, {"macintosh", 10000},
    {"x-mac-japanese", 10001}, {"x-mac-chinesetrad", 10002}, {"x-mac-korean", 10003},
    {"x-mac-arabic", 10004}, {"x-mac-hebrew", 10005}, {"x-mac-greek", 10006}, {"x-mac-cyrillic", 10007},
    {"x-mac-chinesesimp", 10008}, {"x-mac-romanian", 10010}, {"x-mac-ukrainian", 10017},
    {"x-mac-thai", 10021}, {"x-mac-ce", 10029}, {"x-mac-icelandic", 10079}, {"x-mac-turkish", 10081},
    {"x-mac-croatian", 10082}, {"utf-32", 12000}, {"utf-32BE", 12001}, {"x-Chinese_CNS", 20000},
    {"x-cp20001", 20001}, {"x_Chinese-Eten", 20002}, {"x-cp20003", 20003}, {"x-cp20004", 20004},
    {"x-cp20005", 20005}, {"x-IA5", 20105}, {"x-IA5-German", 20106}, {"x-IA5-Swedish", 20107},
    {"x-IA5-Norwegian", 20108}, {"us-ascii", 20127}, {"x-cp20261", 20261}, {"x-cp20269", 20269},
    {"IBM273", 20273}, {"IBM277", 20277}, {"IBM278", 20278}, {"IBM280", 20280}, {"IBM284", 20284},
    {"IBM285", 20285}, {"IBM290", 20290}, {"IBM297", 20297}, {"IBM420", 20420}, {"IBM423", 20423},
    {"IBM424", 20424}, {"x-EBCDIC-KoreanExtended", 20833}, {"IBM-Thai", 20838}, {"koi8-r", 20866},
    {"IBM871", 20871}, {"IBM880", 20880}, {"IBM905", 20905}, {"IBM00924", 20924}, {"EUC-JP", 20932},
    {"x-cp20936", 20936}, {"x-cp20949", 20949}, {"cp1025", 21025}, {"koi8-u", 21866}, {"iso-8859-1", 28591},
    {"iso-8859-2", 28592}, {"iso-8859-3", 28593}, {"iso-8859-4", 28594}, {"iso-8859-5", 28595},
    {"iso-8859-6", 28596}, {"iso-8859-7", 28597}, {"iso-8859-8", 28598}, {"iso-8859-9", 28599},
    {"iso-8859-13", 28603}, {"iso-8859-15", 28605}, {"x-Europa", 29001}, {"iso-8859-8-i", 38598},
    {"iso-2022-jp", 50220}, {"csISO2022JP", 50221}, {"iso-2022-jp", 50222}, {"iso-2022-kr", 50225},
    {"x-cp50227", 50227}, {"euc-jp", 51932}, {"EUC-CN", 51936}, {"euc-kr", 51949}, {"hz-gb-2312", 52936},
    {"GB18030", 54936}, {"x-iscii-de", 57002}, {"x-iscii-be", 57003}, {"x-iscii-ta", 57004},
    {"x-iscii-te", 57005}, {"x-iscii-as", 57006}, {"x-iscii-or", 57007}, {"x-iscii-ka", 57008},
    {"x-iscii-ma", 57009}, {"x-iscii-gu", 57010}, {"x-iscii-pa", 57011}, {"utf-7", 65000}, {"utf-8", 65001},
};

// Pages whose name in the table other XML processors do not know, or know
// as another page: a save declares the name they know for the bytes
// written, and loads read it as well.
const TsdCharsetRow kInterchangeNames[] = {
    {"GBK", 936},           {"MacUkrainian", 10017}, {"MAC-IS", 10079}, {"EUC-TW", 20000},
    {"T.61-8BIT", 20261},   {"ISO_6937", 20269},     {"IBM1160", 20838}, {"GB2312", 20936},
    {"EUC-KR", 20949},      {"ISO-2022-CN", 50227},
};
}  // namespace

const char* sdInterchangeCharsetName(Integer ACodepage) {
  for (const auto& row : kInterchangeNames)
    if (row.CodePage == ACodepage) return row.Name;
  return nullptr;
}

namespace {
bool SameCharsetName(const char* n, const UTF8String& s) {
  size_t len = std::char_traits<char>::length(n);
  if (len != s.size()) return false;
  for (size_t i = 0; i < len; ++i) {
    char a = n[i], b = s[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    if (a != b) return false;
  }
  return true;
}
}  // namespace

const TsdCharsetRow* cCharsetTable(Integer& Count) {
  Count = static_cast<Integer>(sizeof(kCharsets) / sizeof(kCharsets[0]));
  return kCharsets;
}

Integer sdCharsetToCodePage(const UTF8String& ACharset, Integer ADefault) {
  if (ACharset.empty()) return ADefault;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  // Every load asks: rows whose first letter differs are passed over
  // without measuring their names.
  // Nearly every declaration names UTF-8, near the end of the table: it is
  // answered before the walk.
  if (ACharset.size() == 5 && lower(ACharset[0]) == 'u' && lower(ACharset[1]) == 't' && lower(ACharset[2]) == 'f' &&
      ACharset[3] == '-' && ACharset[4] == '8')
    return 65001;
  const char first = lower(ACharset[0]);
  for (const auto& row : kCharsets) {
    const char* n = row.Name;
    if (lower(n[0]) != first) continue;
    size_t len = std::char_traits<char>::length(n);
    if (len != ACharset.size()) continue;
    bool same = true;
    for (size_t i = 0; i < len && same; ++i) {
      char a = n[i], b = ACharset[i];
      if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
      if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
      same = a == b;
    }
    if (same) return row.CodePage;
  }
  for (const auto& row : kInterchangeNames)
    if (SameCharsetName(row.Name, ACharset)) return row.CodePage;
  return ADefault;
}

TsdStringEncoding sdCharsetToStringEncoding(const UTF8String& ACharset) {
  switch (sdCharsetToCodePage(ACharset, 65001)) {
    case 1200: return seUTF16LE;
    case 1201: return seUTF16BE;
    case 65001: return seUTF8;
    default: return seAnsi;
  }
}

UTF8String sdCodepageToCharset(Integer ACodepage) {
  for (const auto& row : kCharsets)
    if (row.CodePage == ACodepage) return row.Name;
  return "utf-8";
}

}  // namespace qn
