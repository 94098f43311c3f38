// Date and time: encoding, the clock, FormatDateTime and the parsers.
#include <cmath>
#include <ctime>
#include <mutex>

#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {
constexpr double kMinDateTime = -693593.0;   // 0001-01-01
constexpr double kMaxDateTime = 2958466.0;   // the day after 9999-12-31

Integer DaysBeforeYear(Integer y) {
  --y;
  return y * 365 + y / 4 - y / 100 + y / 400;
}
}  // namespace

TTimeStamp DateTimeToTimeStamp(TDateTime dt) {
  if (!(dt > kMinDateTime - 1.0 && dt < kMaxDateTime))
    throw EConvertError(u"Invalid date value: " + FloatToStr(dt));
  double days = std::trunc(dt);
  Int64 ms = static_cast<Int64>(std::nearbyint(std::fabs(dt - days) * MSecsPerDay));
  Integer d = static_cast<Integer>(days);
  if (ms >= MSecsPerDay) {
    ms -= MSecsPerDay;
    ++d;
  }
  TTimeStamp ts;
  ts.Date = d + DateDelta;
  ts.Time = static_cast<Integer>(ms);
  if (ts.Date < 1 || ts.Date > DateDelta + 2958465) throw EConvertError(u"Invalid date value: " + FloatToStr(dt));
  return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& ts) {
  double date = ts.Date - DateDelta;
  double t = static_cast<double>(ts.Time) / MSecsPerDay;
  return date >= 0 ? date + t : date - t;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  double d = std::trunc(date);
  double t = std::fabs(time - std::trunc(time));
  return d >= 0 ? d + t : d - t;
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& dt) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > MonthDays[IsLeapYear(year)][month - 1]) return false;
  Integer days = DaysBeforeYear(year);
  for (Word m = 1; m < month; ++m) days += MonthDays[IsLeapYear(year)][m - 1];
  days += day;
  dt = days - DateDelta;
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime dt;
  if (!TryEncodeDate(year, month, day, dt)) throw EConvertError(u"Invalid argument to date encode");
  return dt;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& dt) {
  if (hour >= HoursPerDay || min >= MinsPerHour || sec >= SecsPerMin || msec >= MSecsPerSec) return false;
  dt = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime dt;
  if (!TryEncodeTime(hour, min, sec, msec, dt)) throw EConvertError(u"Invalid argument to time encode");
  return dt;
}

bool DecodeDateFully(TDateTime dt, Word& year, Word& month, Word& day, Word& dow) {
  Integer t = DateTimeToTimeStamp(dt).Date;
  dow = static_cast<Word>(t % 7 + 1);
  Integer d = t - 1;
  Integer y = 1;
  y += 400 * (d / 146097);
  d %= 146097;
  Integer i = d / 36524;
  d %= 36524;
  if (i == 4) { i = 3; d += 36524; }
  y += i * 100;
  y += 4 * (d / 1461);
  d %= 1461;
  i = d / 365;
  d %= 365;
  if (i == 4) { i = 3; d += 365; }
  y += i;
  const bool leap = IsLeapYear(static_cast<Word>(y));
  Word m = 1;
  while (d >= MonthDays[leap][m - 1]) {
    d -= MonthDays[leap][m - 1];
    ++m;
  }
  year = static_cast<Word>(y);
  month = m;
  day = static_cast<Word>(d + 1);
  return leap;
}

void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day) {
  Word dow;
  DecodeDateFully(dt, year, month, day, dow);
}

void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec) {
  Integer t = DateTimeToTimeStamp(dt).Time;
  hour = static_cast<Word>(t / 3600000);
  min = static_cast<Word>(t / 60000 % 60);
  sec = static_cast<Word>(t / 1000 % 60);
  msec = static_cast<Word>(t % 1000);
}

Word DayOfWeek(TDateTime dt) { return static_cast<Word>(DateTimeToTimeStamp(dt).Date % 7 + 1); }

void IncAMonth(Word& year, Word& month, Word& day, Integer months) {
  Int64 total = static_cast<Int64>(year) * 12 + (month - 1) + months;
  Int64 y = total / 12;
  Int64 m = total % 12;
  if (m < 0) { m += 12; --y; }
  if (y < 1 || y > 9999) throw EConvertError(u"Invalid argument to date encode");
  year = static_cast<Word>(y);
  month = static_cast<Word>(m + 1);
  Word last = MonthDays[IsLeapYear(year)][month - 1];
  if (day > last) day = last;
}

TDateTime IncMonth(TDateTime dt, Integer months) {
  Word y, m, d;
  DecodeDate(dt, y, m, d);
  IncAMonth(y, m, d, months);
  return ComposeDateTime(EncodeDate(y, m, d), dt);
}

// ---------------------------------------------------------------------------
// The clock.

namespace {
struct NowHookHolder {
  std::mutex lock;
  std::function<TDateTime()> hook;
};
NowHookHolder& NowHook() {
  static NowHookHolder h;
  return h;
}

TDateTime SystemNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  time_t secs = ts.tv_sec;
  localtime_r(&secs, &tm);
  return EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1), static_cast<Word>(tm.tm_mday)) +
         EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min), static_cast<Word>(tm.tm_sec > 59 ? 59 : tm.tm_sec),
                    static_cast<Word>(ts.tv_nsec / 1000000));
}
}  // namespace

void SetNowHook(std::function<TDateTime()> hook) {
  auto& h = NowHook();
  std::lock_guard g(h.lock);
  h.hook = std::move(hook);
}

TDateTime Now() {
  std::function<TDateTime()> hook;
  {
    auto& h = NowHook();
    std::lock_guard g(h.lock);
    hook = h.hook;
  }
  return hook ? hook() : SystemNow();
}
TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() {
  TDateTime n = Now();
  return std::fabs(n - std::trunc(n));
}

// ---------------------------------------------------------------------------
// FormatDateTime.

namespace {

struct TDecoded {
  Word Year, Month, Day, Dow, Hour, Min, Sec, MSec;
  bool HasTime;
};

String Pad2(Integer v) { return v < 10 ? u"0" + IntToStr(v) : IntToStr(v); }

bool StartsWithNoCase(const String& s, size_t i, const char16_t* what) {
  for (size_t k = 0; what[k]; ++k) {
    if (i + k >= s.size()) return false;
    Char a = s[i + k], b = what[k];
    if (a >= u'a' && a <= u'z') a -= 32;
    if (a != b) return false;
  }
  return true;
}

// Whether an am/pm marker follows before the next h (outside quotes).
bool Uses12Hour(const String& f, size_t from) {
  Char quote = 0;
  for (size_t i = from; i < f.size(); ++i) {
    Char c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'\'' || c == u'"') { quote = c; continue; }
    if (c == u'h' || c == u'H') return false;
    if ((c == u'a' || c == u'A') &&
        (StartsWithNoCase(f, i, u"AM/PM") || StartsWithNoCase(f, i, u"A/P") || StartsWithNoCase(f, i, u"AMPM")))
      return true;
  }
  return false;
}

void FormatInto(String& out, const String& f, const TDecoded& t, const TFormatSettings& fs, int depth) {
  if (depth > 3) return;
  Char last = u' ';
  bool use12 = false;
  size_t i = 0;
  const size_t n = f.size();
  while (i < n) {
    Char c = f[i];
    Char tok = c >= u'a' && c <= u'z' ? c - 32 : c;
    size_t count = 1;
    while (i + count < n && (f[i + count] == c || (f[i + count] ^ 32) == c) && tok >= u'A' && tok <= u'Z') ++count;
    if (tok >= u'A' && tok <= u'Z') {
      if (tok == u'M' && (last == u'H')) tok = u'N';
      if (tok != u'A') last = tok;
    }
    switch (tok) {
      case u'Y':
        if (count <= 2) {
          out += Pad2(t.Year % 100);
        } else {
          String y = IntToStr(t.Year);
          if (y.size() < 4) y.insert(0, 4 - y.size(), u'0');
          out += y;
        }
        i += count;
        break;
      case u'M':
        if (count == 1) out += IntToStr(t.Month);
        else if (count == 2) out += Pad2(t.Month);
        else if (count == 3) out += fs.ShortMonthNames[t.Month - 1];
        else out += fs.LongMonthNames[t.Month - 1];
        i += count;
        break;
      case u'D':
        if (count == 1) out += IntToStr(t.Day);
        else if (count == 2) out += Pad2(t.Day);
        else if (count == 3) out += fs.ShortDayNames[t.Dow - 1];
        else if (count == 4) out += fs.LongDayNames[t.Dow - 1];
        else if (count == 5) FormatInto(out, fs.ShortDateFormat, t, fs, depth + 1);
        else FormatInto(out, fs.LongDateFormat, t, fs, depth + 1);
        i += count;
        break;
      case u'H': {
        use12 = Uses12Hour(f, i + count);
        Integer h = t.Hour;
        if (use12) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += count == 1 ? IntToStr(h) : Pad2(h);
        i += count;
        break;
      }
      case u'N':
        out += count == 1 ? IntToStr(t.Min) : Pad2(t.Min);
        i += count > 2 ? 2 : count;
        break;
      case u'S':
        out += count == 1 ? IntToStr(t.Sec) : Pad2(t.Sec);
        i += count > 2 ? 2 : count;
        break;
      case u'Z': {
        String z = IntToStr(t.MSec);
        if (count >= 2) z.insert(0, 3 - z.size(), u'0');
        out += z;
        i += count > 3 ? 3 : count;
        break;
      }
      case u'T':
        FormatInto(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, t, fs, depth + 1);
        i += count > 2 ? 2 : count;
        break;
      case u'C':
        FormatInto(out, fs.ShortDateFormat, t, fs, depth + 1);
        if (t.HasTime) {
          out += u' ';
          FormatInto(out, fs.LongTimeFormat, t, fs, depth + 1);
        }
        i += 1;
        break;
      case u'A': {
        const bool pm = t.Hour >= 12;
        if (StartsWithNoCase(f, i, u"AMPM")) {
          out += pm ? fs.TimePMString : fs.TimeAMString;
          i += 4;
        } else if (StartsWithNoCase(f, i, u"AM/PM")) {
          // Shown in the case the format spells it.
          out += pm ? f.substr(i + 3, 2) : f.substr(i, 2);
          i += 5;
        } else if (StartsWithNoCase(f, i, u"A/P")) {
          out += pm ? f[i + 2] : f[i];
          i += 3;
        } else {
          out += c;
          i += 1;
        }
        break;
      }
      case u'/':
        if (fs.DateSeparator) out += fs.DateSeparator;
        ++i;
        break;
      case u':':
        if (fs.TimeSeparator) out += fs.TimeSeparator;
        ++i;
        break;
      case u'\'':
      case u'"': {
        size_t j = i + 1;
        while (j < n && f[j] != c) out += f[j++];
        i = j < n ? j + 1 : j;
        break;
      }
      default:
        out += c;
        ++i;
        break;
    }
  }
}

TDecoded SplitDateTime(TDateTime dt) {
  TDecoded t{};
  DecodeDateFully(dt, t.Year, t.Month, t.Day, t.Dow);
  DecodeTime(dt, t.Hour, t.Min, t.Sec, t.MSec);
  t.HasTime = DateTimeToTimeStamp(dt).Time != 0;
  return t;
}

}  // namespace

String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& fs) {
  TDecoded t = SplitDateTime(dt);
  String out;
  FormatInto(out, format.empty() ? String(u"c") : format, t, fs, 0);
  return out;
}
String FormatDateTime(const String& format, TDateTime dt) { return FormatDateTime(format, dt, FormatSettings); }
String DateToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime(u"ddddd", dt, fs); }
String DateToStr(TDateTime dt) { return DateToStr(dt, FormatSettings); }
String TimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime(u"tt", dt, fs); }
String TimeToStr(TDateTime dt) { return TimeToStr(dt, FormatSettings); }
String DateTimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime(u"c", dt, fs); }
String DateTimeToStr(TDateTime dt) { return DateTimeToStr(dt, FormatSettings); }

// ---------------------------------------------------------------------------
// Parsing.

namespace {

enum class TDateOrder { doMDY, doDMY, doYMD };

TDateOrder GetDateOrder(const String& f) {
  Char quote = 0;
  for (Char c : f) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'\'' || c == u'"') { quote = c; continue; }
    switch (c | 32) {
      case u'd': return TDateOrder::doDMY;
      case u'y': return TDateOrder::doYMD;
      case u'm': return TDateOrder::doMDY;
      default: break;
    }
  }
  return TDateOrder::doMDY;
}

struct TScanner {
  const String& S;
  size_t Pos = 0;
  void SkipBlanks() {
    while (Pos < S.size() && S[Pos] == u' ') ++Pos;
  }
  bool Number(Integer& v, int& digits) {
    SkipBlanks();
    size_t start = Pos;
    Int64 x = 0;
    while (Pos < S.size() && S[Pos] >= u'0' && S[Pos] <= u'9' && Pos - start < 9) x = x * 10 + (S[Pos++] - u'0');
    digits = static_cast<int>(Pos - start);
    if (digits == 0 || (Pos < S.size() && S[Pos] >= u'0' && S[Pos] <= u'9')) return false;
    v = static_cast<Integer>(x);
    return true;
  }
  bool Char1(Char c) {
    SkipBlanks();
    if (c && Pos < S.size() && S[Pos] == c) {
      ++Pos;
      return true;
    }
    return false;
  }
  bool Text(const String& t) {
    SkipBlanks();
    if (t.empty() || S.size() - Pos < t.size()) return false;
    if (!SameText(S.substr(Pos, t.size()), t) && !AnsiSameText(S.substr(Pos, t.size()), t)) return false;
    Pos += t.size();
    return true;
  }
  bool AtEnd() {
    SkipBlanks();
    return Pos >= S.size();
  }
};

bool ScanDate(TScanner& sc, TDateTime& dt, const TFormatSettings& fs) {
  Integer n1, n2, n3 = 0;
  int d1, d2, d3 = 0;
  if (!sc.Number(n1, d1) || !sc.Char1(fs.DateSeparator) || !sc.Number(n2, d2)) return false;
  const bool three = sc.Char1(fs.DateSeparator);
  if (three && !sc.Number(n3, d3)) return false;
  Word y, m, d;
  Integer yv;
  int ydigits;
  const TDateOrder order = GetDateOrder(fs.ShortDateFormat);
  {
    Word cy, cm, cd;
    DecodeDate(Now(), cy, cm, cd);
    if (!three) {
      yv = cy;
      ydigits = 4;
      if (order == TDateOrder::doDMY) { d = static_cast<Word>(n1); m = static_cast<Word>(n2); }
      else { m = static_cast<Word>(n1); d = static_cast<Word>(n2); }
    } else {
      switch (order) {
        case TDateOrder::doMDY: m = Word(n1); d = Word(n2); yv = n3; ydigits = d3; break;
        case TDateOrder::doDMY: d = Word(n1); m = Word(n2); yv = n3; ydigits = d3; break;
        default: yv = n1; ydigits = d1; m = Word(n2); d = Word(n3); break;
      }
      if (n1 > 9999 || n2 > 9999 || n3 > 9999) return false;
    }
    if (yv <= 99 && ydigits <= 2) {
      Integer base = cy - fs.TwoDigitYearCenturyWindow;
      yv += base / 100 * 100;
      if (fs.TwoDigitYearCenturyWindow > 0 && yv < base) yv += 100;
    }
  }
  if (yv < 1 || yv > 9999) return false;
  y = static_cast<Word>(yv);
  return TryEncodeDate(y, m, d, dt);
}

bool ScanTime(TScanner& sc, TDateTime& dt, const TFormatSettings& fs) {
  // An AM/PM marker may come first or last.
  auto ampm = [&](int& v) {
    if (sc.Text(fs.TimeAMString) || sc.Text(u"AM")) { v = 1; return true; }
    if (sc.Text(fs.TimePMString) || sc.Text(u"PM")) { v = 2; return true; }
    return false;
  };
  int marker = 0;
  ampm(marker);
  Integer h, m = 0, s = 0, ms = 0;
  int dg;
  if (!sc.Number(h, dg)) return false;
  bool hasMin = false;
  if (sc.Char1(fs.TimeSeparator)) {
    if (!sc.Number(m, dg)) return false;
    hasMin = true;
    if (sc.Char1(fs.TimeSeparator)) {
      if (!sc.Number(s, dg)) return false;
      if (sc.Char1(fs.DecimalSeparator)) {
        if (!sc.Number(ms, dg)) return false;
      }
    }
  }
  if (marker == 0) ampm(marker);
  if (!hasMin && marker == 0) return false;
  if (marker != 0) {
    if (h > 12 || h == 0) return false;
    if (marker == 1 && h == 12) h = 0;
    else if (marker == 2 && h < 12) h += 12;
  }
  if (h > 23 || m > 59 || s > 59 || ms > 999) return false;
  return TryEncodeTime(Word(h), Word(m), Word(s), Word(ms), dt);
}

}  // namespace

bool TryStrToDate(const String& s, TDateTime& dt, const TFormatSettings& fs) {
  TScanner sc{s};
  TDateTime d;
  if (!ScanDate(sc, d, fs) || !sc.AtEnd()) return false;
  dt = d;
  return true;
}
bool TryStrToTime(const String& s, TDateTime& dt, const TFormatSettings& fs) {
  TScanner sc{s};
  TDateTime t;
  if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
  dt = t;
  return true;
}
bool TryStrToDateTime(const String& s, TDateTime& dt, const TFormatSettings& fs) {
  TScanner sc{s};
  TDateTime d, t = 0;
  if (ScanDate(sc, d, fs) && (sc.AtEnd() || (ScanTime(sc, t, fs) && sc.AtEnd()))) {
    dt = ComposeDateTime(d, t);
    return true;
  }
  return TryStrToTime(s, dt, fs);
}
bool TryStrToDate(const String& s, TDateTime& dt) { return TryStrToDate(s, dt, FormatSettings); }
bool TryStrToTime(const String& s, TDateTime& dt) { return TryStrToTime(s, dt, FormatSettings); }
bool TryStrToDateTime(const String& s, TDateTime& dt) { return TryStrToDateTime(s, dt, FormatSettings); }

TDateTime StrToDate(const String& s, const TFormatSettings& fs) {
  TDateTime dt;
  if (!TryStrToDate(s, dt, fs)) throw EConvertError(u"'" + s + u"' is not a valid date");
  return dt;
}
TDateTime StrToTime(const String& s, const TFormatSettings& fs) {
  TDateTime dt;
  if (!TryStrToTime(s, dt, fs)) throw EConvertError(u"'" + s + u"' is not a valid time");
  return dt;
}
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs) {
  TDateTime dt;
  if (!TryStrToDateTime(s, dt, fs)) throw EConvertError(u"'" + s + u"' is not a valid date and time");
  return dt;
}
TDateTime StrToDate(const String& s) { return StrToDate(s, FormatSettings); }
TDateTime StrToTime(const String& s) { return StrToTime(s, FormatSettings); }
TDateTime StrToDateTime(const String& s) { return StrToDateTime(s, FormatSettings); }
TDateTime StrToDateDef(const String& s, TDateTime def) {
  TDateTime dt;
  return TryStrToDate(s, dt) ? dt : def;
}
TDateTime StrToDateTimeDef(const String& s, TDateTime def) {
  TDateTime dt;
  return TryStrToDateTime(s, dt) ? dt : def;
}

}  // namespace vcl
