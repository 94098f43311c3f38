#include "platform/rtl/DateUtils.h"

#include <cmath>

#include "platform/rtl/Math.h"

namespace vcl {

namespace {
// Milliseconds on a straight line (the stored form counts the fraction
// forward even before 1899-12-30, so plain subtraction would be wrong there).
Int64 LinearMSecs(TDateTime dt) {
  TTimeStamp ts = DateTimeToTimeStamp(dt);
  return static_cast<Int64>(ts.Date) * MSecsPerDay + ts.Time;
}
TDateTime FromLinearMSecs(Int64 ms) {
  Int64 days = ms / MSecsPerDay, rest = ms % MSecsPerDay;
  if (rest < 0) { rest += MSecsPerDay; --days; }
  TTimeStamp ts;
  ts.Date = static_cast<Integer>(days);
  ts.Time = static_cast<Integer>(rest);
  if (ts.Date < 1 || ts.Date > DateDelta + 2958465) throw EConvertError(u"Invalid date value");
  return TimeStampToDateTime(ts);
}
Int64 AbsDiff(TDateTime a, TDateTime b) {
  Int64 d = LinearMSecs(a) - LinearMSecs(b);
  return d < 0 ? -d : d;
}
}  // namespace

Word YearOf(TDateTime dt) { Word y, m, d; DecodeDate(dt, y, m, d); return y; }
Word MonthOf(TDateTime dt) { Word y, m, d; DecodeDate(dt, y, m, d); return m; }
Word DayOf(TDateTime dt) { Word y, m, d; DecodeDate(dt, y, m, d); return d; }
Word HourOf(TDateTime dt) { Word h, n, s, z; DecodeTime(dt, h, n, s, z); return h; }
Word MinuteOf(TDateTime dt) { Word h, n, s, z; DecodeTime(dt, h, n, s, z); return n; }
Word SecondOf(TDateTime dt) { Word h, n, s, z; DecodeTime(dt, h, n, s, z); return s; }
Word MilliSecondOf(TDateTime dt) { Word h, n, s, z; DecodeTime(dt, h, n, s, z); return z; }

Word DayOfTheWeek(TDateTime dt) { return static_cast<Word>((DayOfWeek(dt) + 5) % 7 + 1); }

Word DayOfTheYear(TDateTime dt) {
  return static_cast<Word>(std::trunc(DateOf(dt)) - std::trunc(StartOfTheYear(dt)) + 1);
}

Word DaysInAMonth(Word year, Word month) {
  if (month < 1 || month > 12) throw EConvertError(u"Invalid argument to date encode");
  return MonthDays[IsLeapYear(year)][month - 1];
}
Word DaysInMonth(TDateTime dt) {
  Word y, m, d;
  DecodeDate(dt, y, m, d);
  return DaysInAMonth(y, m);
}
Word DaysInAYear(Word year) { return IsLeapYear(year) ? 366 : 365; }
bool IsInLeapYear(TDateTime dt) { return IsLeapYear(YearOf(dt)); }

bool IsValidDate(Word year, Word month, Word day) {
  TDateTime dt;
  return TryEncodeDate(year, month, day, dt);
}
bool IsValidTime(Word hour, Word min, Word sec, Word msec) {
  // The platform also accepts 24:00:00.000, the end of a day.
  if (hour == 24 && min == 0 && sec == 0 && msec == 0) return true;
  TDateTime dt;
  return TryEncodeTime(hour, min, sec, msec, dt);
}
bool IsValidDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec) {
  return IsValidDate(year, month, day) && IsValidTime(hour, min, sec, msec);
}

bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec, TDateTime& dt) {
  TDateTime d, t;
  if (!TryEncodeDate(year, month, day, d) || !TryEncodeTime(hour, min, sec, msec, t)) return false;
  dt = ComposeDateTime(d, t);
  return true;
}
TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec) {
  TDateTime dt;
  if (!TryEncodeDateTime(year, month, day, hour, min, sec, msec, dt))
    throw EConvertError(u"Invalid argument to date encode");
  return dt;
}
void DecodeDateTime(TDateTime dt, Word& year, Word& month, Word& day, Word& hour, Word& min, Word& sec, Word& msec) {
  DecodeDate(dt, year, month, day);
  DecodeTime(dt, hour, min, sec, msec);
}

TDateTime DateOf(TDateTime dt) {
  TTimeStamp ts = DateTimeToTimeStamp(dt);
  ts.Time = 0;
  return TimeStampToDateTime(ts);
}
TDateTime TimeOf(TDateTime dt) {
  TTimeStamp ts = DateTimeToTimeStamp(dt);
  return static_cast<double>(ts.Time) / MSecsPerDay;
}
TDateTime StartOfTheDay(TDateTime dt) { return DateOf(dt); }
TDateTime EndOfTheDay(TDateTime dt) { return ComposeDateTime(DateOf(dt), EncodeTime(23, 59, 59, 999)); }
TDateTime StartOfTheMonth(TDateTime dt) {
  Word y, m, d;
  DecodeDate(dt, y, m, d);
  return EncodeDate(y, m, 1);
}
TDateTime EndOfTheMonth(TDateTime dt) {
  Word y, m, d;
  DecodeDate(dt, y, m, d);
  return ComposeDateTime(EncodeDate(y, m, DaysInAMonth(y, m)), EncodeTime(23, 59, 59, 999));
}
TDateTime StartOfTheYear(TDateTime dt) { return EncodeDate(YearOf(dt), 1, 1); }
TDateTime EndOfTheYear(TDateTime dt) { return ComposeDateTime(EncodeDate(YearOf(dt), 12, 31), EncodeTime(23, 59, 59, 999)); }
TDateTime Today() { return Date(); }
TDateTime Yesterday() { return Date() - 1; }
TDateTime Tomorrow() { return Date() + 1; }

TDateTime IncYear(TDateTime dt, Integer years) { return IncMonth(dt, years * 12); }
TDateTime IncWeek(TDateTime dt, Integer weeks) { return IncMilliSecond(dt, Int64(weeks) * 7 * MSecsPerDay); }
TDateTime IncDay(TDateTime dt, Integer days) { return IncMilliSecond(dt, Int64(days) * MSecsPerDay); }
TDateTime IncHour(TDateTime dt, Int64 hours) { return IncMilliSecond(dt, hours * 3600000); }
TDateTime IncMinute(TDateTime dt, Int64 minutes) { return IncMilliSecond(dt, minutes * 60000); }
TDateTime IncSecond(TDateTime dt, Int64 seconds) { return IncMilliSecond(dt, seconds * 1000); }
TDateTime IncMilliSecond(TDateTime dt, Int64 msecs) { return FromLinearMSecs(LinearMSecs(dt) + msecs); }

Integer DaysBetween(TDateTime a, TDateTime b) { return static_cast<Integer>(AbsDiff(a, b) / MSecsPerDay); }
Int64 HoursBetween(TDateTime a, TDateTime b) { return AbsDiff(a, b) / 3600000; }
Int64 MinutesBetween(TDateTime a, TDateTime b) { return AbsDiff(a, b) / 60000; }
Int64 SecondsBetween(TDateTime a, TDateTime b) { return AbsDiff(a, b) / 1000; }
Int64 MilliSecondsBetween(TDateTime a, TDateTime b) { return AbsDiff(a, b); }

bool SameDate(TDateTime a, TDateTime b) { return DateTimeToTimeStamp(a).Date == DateTimeToTimeStamp(b).Date; }
bool SameDateTime(TDateTime a, TDateTime b) { return LinearMSecs(a) == LinearMSecs(b); }
bool IsSameDay(TDateTime dt, TDateTime basis) { return SameDate(dt, basis); }
bool IsToday(TDateTime dt) { return SameDate(dt, Now()); }
Integer CompareDateTime(TDateTime a, TDateTime b) {
  Int64 x = LinearMSecs(a), y = LinearMSecs(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

Int64 DateTimeToUnix(TDateTime dt) {
  Int64 ms = LinearMSecs(dt) - static_cast<Int64>(UnixDateDelta + DateDelta) * MSecsPerDay;
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}
TDateTime UnixToDateTime(Int64 seconds) {
  return FromLinearMSecs(seconds * 1000 + static_cast<Int64>(UnixDateDelta + DateDelta) * MSecsPerDay);
}

}  // namespace vcl
