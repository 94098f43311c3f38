// The platform's DateUtils: parts of a date, ISO week days, start and end of
// periods, stepping and differences. The encoding and the clock are in
// SysUtils.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/SysUtils.h"

namespace vcl {

constexpr Word DayMonday = 1, DayTuesday = 2, DayWednesday = 3, DayThursday = 4, DayFriday = 5,
               DaySaturday = 6, DaySunday = 7;

Word YearOf(TDateTime dt);
Word MonthOf(TDateTime dt);
Word DayOf(TDateTime dt);
Word HourOf(TDateTime dt);
Word MinuteOf(TDateTime dt);
Word SecondOf(TDateTime dt);
Word MilliSecondOf(TDateTime dt);
// ISO: 1 = Monday .. 7 = Sunday.
Word DayOfTheWeek(TDateTime dt);
Word DayOfTheYear(TDateTime dt);
Word DaysInAMonth(Word year, Word month);
Word DaysInMonth(TDateTime dt);
Word DaysInAYear(Word year);
bool IsInLeapYear(TDateTime dt);
bool IsValidDate(Word year, Word month, Word day);
bool IsValidTime(Word hour, Word min, Word sec, Word msec);
bool IsValidDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);

TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);
bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec, TDateTime& dt);
void DecodeDateTime(TDateTime dt, Word& year, Word& month, Word& day, Word& hour, Word& min, Word& sec, Word& msec);

TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);
TDateTime StartOfTheDay(TDateTime dt);
TDateTime EndOfTheDay(TDateTime dt);
TDateTime StartOfTheMonth(TDateTime dt);
TDateTime EndOfTheMonth(TDateTime dt);
TDateTime StartOfTheYear(TDateTime dt);
TDateTime EndOfTheYear(TDateTime dt);
TDateTime Today();
TDateTime Yesterday();
TDateTime Tomorrow();

TDateTime IncYear(TDateTime dt, Integer years = 1);
TDateTime IncWeek(TDateTime dt, Integer weeks = 1);
TDateTime IncDay(TDateTime dt, Integer days = 1);
TDateTime IncHour(TDateTime dt, Int64 hours = 1);
TDateTime IncMinute(TDateTime dt, Int64 minutes = 1);
TDateTime IncSecond(TDateTime dt, Int64 seconds = 1);
TDateTime IncMilliSecond(TDateTime dt, Int64 msecs = 1);

// Whole periods between two moments, whatever their order.
Integer DaysBetween(TDateTime a, TDateTime b);
Int64 HoursBetween(TDateTime a, TDateTime b);
Int64 MinutesBetween(TDateTime a, TDateTime b);
Int64 SecondsBetween(TDateTime a, TDateTime b);
Int64 MilliSecondsBetween(TDateTime a, TDateTime b);

bool SameDate(TDateTime a, TDateTime b);
bool SameDateTime(TDateTime a, TDateTime b);  // to the millisecond
bool IsSameDay(TDateTime dt, TDateTime basis);
bool IsToday(TDateTime dt);
// -1, 0, 1 to the millisecond.
Integer CompareDateTime(TDateTime a, TDateTime b);

Int64 DateTimeToUnix(TDateTime dt);
TDateTime UnixToDateTime(Int64 seconds);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
