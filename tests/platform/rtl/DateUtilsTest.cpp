#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/DateUtils.h"

namespace t_date_utils_test {

using namespace vcl;

namespace {
std::string U8(const String& s) { return ToUtf8(s); }
#define EXPECT_USTR(a, b) EXPECT_EQ(U8(a), U8(b))

// Restores the system clock after a test that set a hook.
struct ClockGuard {
  explicit ClockGuard(TDateTime fixed) { SetNowHook([fixed] { return fixed; }); }
  ~ClockGuard() { SetNowHook(nullptr); }
};
}  // namespace

TEST(Platform_DateUtils, KnownDates) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(EncodeDate(1970, 1, 1), UnixDateDelta);
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);  // the time counts forward
  Word y, m, d, h, n, s, z;
  DecodeDateTime(-1.25, y, m, d, h, n, s, z);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, z}), (std::vector<int>{1899, 12, 29, 6, 0, 0, 0}));

  // 2000-01-01 was a Saturday, 2024-02-29 a Thursday, 1900-01-01 a Monday.
  EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 1)), 7);
  EXPECT_EQ(DayOfTheWeek(EncodeDate(2000, 1, 1)), DaySaturday);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 29)), 5);
  EXPECT_EQ(DayOfTheWeek(EncodeDate(2024, 2, 29)), DayThursday);
  EXPECT_EQ(DayOfWeek(EncodeDate(1900, 1, 1)), 2);
  EXPECT_EQ(DayOfTheWeek(EncodeDate(2023, 1, 1)), DaySunday);
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);

  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(MonthDays[1][1], 29);
  EXPECT_EQ(DayOfTheYear(EncodeDate(2024, 12, 31)), 366);
}

TEST(Platform_DateUtils, InvalidDatesRaise) {
  for (auto [y, m, d] : std::vector<std::array<int, 3>>{
           {2023, 2, 29}, {1900, 2, 29}, {2024, 13, 1}, {2024, 0, 1}, {2024, 1, 0}, {0, 1, 1}, {10000, 1, 1}, {2024, 4, 31}}) {
    EXPECT_FALSE(IsValidDate(Word(y), Word(m), Word(d))) << y << "-" << m << "-" << d;
    EXPECT_THROW(EncodeDate(Word(y), Word(m), Word(d)), EConvertError);
  }
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_TRUE(IsValidTime(24, 0, 0, 0));
  Word y, m, d;
  EXPECT_THROW(DecodeDate(std::nan(""), y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(1e300, y, m, d), EConvertError);
  EXPECT_THROW(FormatDateTime(u"yyyy", -700000.0), EConvertError);
}

// Every day from 1900 to 2100 encodes and decodes to itself, consecutive days
// are consecutive numbers, and the week days cycle.
TEST(Platform_DateUtils, RoundTripOverAllDays) {
  TDateTime expected = EncodeDate(1900, 1, 1);
  Word dow = DayOfWeek(expected);
  for (Word y = 1900; y <= 2100; ++y)
    for (Word m = 1; m <= 12; ++m)
      for (Word d = 1; d <= DaysInAMonth(y, m); ++d) {
        TDateTime dt = EncodeDate(y, m, d);
        ASSERT_EQ(dt, expected) << y << "-" << m << "-" << d;
        Word yy, mm, dd;
        DecodeDate(dt + 0.75, yy, mm, dd);
        ASSERT_TRUE(yy == y && mm == m && dd == d) << y << "-" << m << "-" << d;
        ASSERT_EQ(DayOfWeek(dt), dow);
        dow = dow % 7 + 1;
        expected += 1;
      }
}

TEST(Platform_DateUtils, TimesRoundToTheMillisecond) {
  UInt64 st = 5;
  for (int i = 0; i < 2000; ++i) {
    st = st * 6364136223846793005ULL + 1442695040888963407ULL;
    Word h = Word(st % 24), n = Word((st >> 8) % 60), s = Word((st >> 16) % 60), z = Word((st >> 24) % 1000);
    Word y = Word(1 + (st >> 32) % 9999), m = Word(1 + (st >> 44) % 12), d = Word(1 + (st >> 50) % 28);
    TDateTime dt = EncodeDateTime(y, m, d, h, n, s, z);
    Word y2, m2, d2, h2, n2, s2, z2;
    DecodeDateTime(dt, y2, m2, d2, h2, n2, s2, z2);
    ASSERT_EQ((std::array<int, 7>{y, m, d, h, n, s, z}), (std::array<int, 7>{y2, m2, d2, h2, n2, s2, z2}));
  }
  // Just before midnight rounds up to the next day, never to 24:00.
  TDateTime almost = EncodeDate(2000, 1, 1) - 1e-10;
  Word y, m, d, h, n, s, z;
  DecodeDateTime(almost, y, m, d, h, n, s, z);
  EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, z}), (std::array<int, 7>{2000, 1, 1, 0, 0, 0, 0}));
  EXPECT_USTR(FormatDateTime(u"yyyy-mm-dd hh:nn:ss.zzz", almost), u"2000-01-01 00:00:00.000");
}

TEST(Platform_DateUtils, FormatDateTimePatterns) {
  const TDateTime dt = EncodeDateTime(2024, 2, 29, 13, 5, 9, 42);
  EXPECT_USTR(FormatDateTime(u"yyyy-mm-dd hh:nn:ss.zzz", dt), u"2024-02-29 13:05:09.042");
  EXPECT_USTR(FormatDateTime(u"dddd, mmmm d, yyyy", dt), u"Thursday, February 29, 2024");
  EXPECT_USTR(FormatDateTime(u"ddd mmm yy", dt), u"Thu Feb 24");
  EXPECT_USTR(FormatDateTime(u"d/m/y", dt), u"29/2/24");
  EXPECT_USTR(FormatDateTime(u"h:mm am/pm", dt), u"1:05 pm");   // mm after h is minutes
  EXPECT_USTR(FormatDateTime(u"hh:nn AM/PM", dt), u"01:05 PM");
  EXPECT_USTR(FormatDateTime(u"h:n:s a/p", dt), u"1:5:9 p");
  EXPECT_USTR(FormatDateTime(u"hh:nn ampm", dt), u"01:05 PM");
  EXPECT_USTR(FormatDateTime(u"h:nn", std::trunc(dt) + EncodeTime(0, 7, 0, 0)), u"0:07");
  EXPECT_USTR(FormatDateTime(u"h am/pm", std::trunc(dt)), u"12 am");
  EXPECT_USTR(FormatDateTime(u"z", dt), u"42");
  EXPECT_USTR(FormatDateTime(u"c", dt), u"2/29/2024 1:05:09 PM");
  EXPECT_USTR(FormatDateTime(u"c", std::trunc(dt)), u"2/29/2024");
  EXPECT_USTR(FormatDateTime(u"t|tt", dt), u"1:05 PM|1:05:09 PM");
  EXPECT_USTR(FormatDateTime(u"ddddd|dddddd", dt), u"2/29/2024|Thursday, February 29, 2024");
  EXPECT_USTR(FormatDateTime(u"\"Day\" d 'of' mmm", dt), u"Day 29 of Feb");
  EXPECT_USTR(FormatDateTime(u"YYYY.MM.DD", dt), u"2024.02.29");
  EXPECT_USTR(FormatDateTime(u"yyyy", EncodeDate(33, 1, 1)), u"0033");

  TFormatSettings fs;
  fs.DateSeparator = u'-';
  fs.TimeSeparator = u'.';
  fs.LongMonthNames[1] = u"Februar";
  EXPECT_USTR(FormatDateTime(u"m/d/yy h:nn", dt, fs), u"2-29-24 13.05");
  EXPECT_USTR(FormatDateTime(u"mmmm", dt, fs), u"Februar");
  EXPECT_USTR(DateToStr(dt), u"2/29/2024");
  EXPECT_USTR(TimeToStr(dt), u"1:05:09 PM");
  EXPECT_USTR(DateTimeToStr(dt), u"2/29/2024 1:05:09 PM");
  TFormatSettings inv = TFormatSettings::Invariant();
  EXPECT_USTR(DateTimeToStr(dt, inv), u"02/29/2024 13:05:09");
}

TEST(Platform_DateUtils, ParsingDatesAndTimes) {
  ClockGuard clock(EncodeDateTime(2026, 6, 15, 10, 0, 0, 0));
  EXPECT_EQ(StrToDate(u"2/29/2024"), EncodeDate(2024, 2, 29));
  EXPECT_EQ(StrToDate(u" 12/31/1999 "), EncodeDate(1999, 12, 31));
  EXPECT_EQ(StrToDate(u"3/4"), EncodeDate(2026, 3, 4));  // this year
  EXPECT_EQ(StrToDate(u"1/2/30"), EncodeDate(2030, 1, 2));  // two-digit years in the window
  EXPECT_EQ(StrToDate(u"1/2/80"), EncodeDate(1980, 1, 2));
  EXPECT_EQ(StrToDate(u"1/2/0030"), EncodeDate(30, 1, 2));
  for (const char16_t* bad : {u"2/30/2024", u"13/1/2024", u"", u"2024", u"1/2/3/4", u"a/b/c", u"1-2-2024", u"1/2/2024x"}) {
    TDateTime dt = 5;
    EXPECT_FALSE(TryStrToDate(bad, dt)) << U8(bad);
    EXPECT_EQ(dt, 5);
  }
  try {
    StrToDate(u"2/30/2024");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_USTR(e.Message(), u"'2/30/2024' is not a valid date");
  }
  TFormatSettings de;
  de.ShortDateFormat = u"dd.MM.yyyy";
  de.DateSeparator = u'.';
  EXPECT_EQ(StrToDate(u"29.02.2024", de), EncodeDate(2024, 2, 29));
  TFormatSettings iso;
  iso.ShortDateFormat = u"yyyy-mm-dd";
  iso.DateSeparator = u'-';
  EXPECT_EQ(StrToDate(u"2024-02-29", iso), EncodeDate(2024, 2, 29));

  EXPECT_DOUBLE_EQ(StrToTime(u"13:05"), EncodeTime(13, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime(u"1:05:09 PM"), EncodeTime(13, 5, 9, 0));
  EXPECT_DOUBLE_EQ(StrToTime(u"12:00 am"), 0);
  EXPECT_DOUBLE_EQ(StrToTime(u"12:30 PM"), EncodeTime(12, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime(u"7 AM"), EncodeTime(7, 0, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime(u"1:02:03.456"), EncodeTime(1, 2, 3, 456));
  for (const char16_t* bad : {u"24:00", u"13:00 PM", u"1:60", u"7", u"", u"1:2:3:4"}) {
    TDateTime t;
    EXPECT_FALSE(TryStrToTime(bad, t)) << U8(bad);
  }
  EXPECT_THROW(StrToTime(u"x"), EConvertError);

  EXPECT_DOUBLE_EQ(StrToDateTime(u"2/29/2024 1:05:09 PM"), EncodeDateTime(2024, 2, 29, 13, 5, 9, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime(u"2/29/2024"), EncodeDate(2024, 2, 29));
  EXPECT_DOUBLE_EQ(StrToDateTime(u"13:05"), EncodeTime(13, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime(u"12/29/1899 6:00"), -1.25);
  EXPECT_THROW(StrToDateTime(u"2/29/2024 25:00"), EConvertError);
  // What DateTimeToStr writes, StrToDateTime reads.
  for (TDateTime dt : {EncodeDateTime(2001, 9, 9, 1, 46, 40, 0), EncodeDateTime(1950, 12, 31, 23, 59, 59, 0), EncodeDate(2100, 1, 1)})
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(dt)), dt);
}

TEST(Platform_DateUtils, ClockHookAndArithmetic) {
  {
    ClockGuard clock(EncodeDateTime(2024, 1, 31, 18, 30, 0, 0));
    EXPECT_EQ(Now(), EncodeDateTime(2024, 1, 31, 18, 30, 0, 0));
    EXPECT_EQ(Date(), EncodeDate(2024, 1, 31));
    EXPECT_NEAR(Time(), EncodeTime(18, 30, 0, 0), 1e-9);
    EXPECT_TRUE(IsToday(EncodeDate(2024, 1, 31) + 0.1));
    EXPECT_EQ(Tomorrow(), EncodeDate(2024, 2, 1));
  }
  TDateTime sys = Now();
  EXPECT_GT(sys, EncodeDate(2020, 1, 1));
  EXPECT_LT(sys, EncodeDate(2200, 1, 1));

  const TDateTime jan31 = EncodeDateTime(2023, 1, 31, 8, 0, 0, 0);
  EXPECT_DOUBLE_EQ(IncMonth(jan31), EncodeDateTime(2023, 2, 28, 8, 0, 0, 0));
  EXPECT_DOUBLE_EQ(IncMonth(jan31, 13), EncodeDateTime(2024, 2, 29, 8, 0, 0, 0));
  EXPECT_DOUBLE_EQ(IncMonth(jan31, -2), EncodeDateTime(2022, 11, 30, 8, 0, 0, 0));
  EXPECT_DOUBLE_EQ(IncYear(EncodeDate(2024, 2, 29)), EncodeDate(2025, 2, 28));
  EXPECT_DOUBLE_EQ(IncDay(jan31, 1), EncodeDateTime(2023, 2, 1, 8, 0, 0, 0));
  EXPECT_DOUBLE_EQ(IncHour(EncodeDateTime(1899, 12, 30, 2, 0, 0, 0), -4), EncodeDateTime(1899, 12, 29, 22, 0, 0, 0));
  EXPECT_EQ(DaysBetween(EncodeDate(2024, 3, 1), EncodeDate(2024, 2, 1)), 29);
  EXPECT_EQ(MinutesBetween(EncodeDateTime(1899, 12, 29, 23, 0, 0, 0), EncodeDateTime(1899, 12, 30, 1, 0, 0, 0)), 120);
  EXPECT_EQ(YearOf(jan31), 2023);
  EXPECT_EQ(MonthOf(jan31), 1);
  EXPECT_EQ(DayOf(jan31), 31);
  EXPECT_EQ(HourOf(jan31), 8);
  EXPECT_DOUBLE_EQ(StartOfTheMonth(jan31), EncodeDate(2023, 1, 1));
  EXPECT_DOUBLE_EQ(EndOfTheMonth(EncodeDate(2024, 2, 3)), EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
  EXPECT_DOUBLE_EQ(DateOf(jan31), EncodeDate(2023, 1, 31));
  EXPECT_DOUBLE_EQ(TimeOf(jan31), EncodeTime(8, 0, 0, 0));
  EXPECT_TRUE(SameDate(jan31, EncodeDate(2023, 1, 31)));
  EXPECT_EQ(CompareDateTime(jan31, IncMilliSecond(jan31)), -1);
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(2001, 9, 9, 1, 46, 40, 0)), 1000000000);
  EXPECT_DOUBLE_EQ(UnixToDateTime(0), EncodeDate(1970, 1, 1));
  EXPECT_EQ(DateTimeToUnix(UnixToDateTime(-86401)), -86401);
}

}  // namespace t_date_utils_test
