#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "platform/rtl/Kernel.h"

namespace t_time_zone_test {

using namespace vcl;

namespace {

// Sets TZ for one test and puts the old value back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    FHad = old != nullptr;
    if (old) FOld = old;
    setenv("TZ", zone, 1);
  }
  ~ZoneGuard() {
    if (FHad) setenv("TZ", FOld.c_str(), 1);
    else unsetenv("TZ");
  }

 private:
  bool FHad = false;
  std::string FOld;
};

SYSTEMTIME St(int y, int m, int d, int h, int n, int s = 0, int ms = 0) {
  SYSTEMTIME t;
  t.wYear = WORD(y); t.wMonth = WORD(m); t.wDay = WORD(d);
  t.wHour = WORD(h); t.wMinute = WORD(n); t.wSecond = WORD(s); t.wMilliseconds = WORD(ms);
  return t;
}
std::string Str(const SYSTEMTIME& t) {
  char b[64];
  snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
           t.wSecond, t.wMilliseconds);
  return b;
}
std::string ToUtc(const SYSTEMTIME& local) {
  SYSTEMTIME u;
  EXPECT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &u));
  return Str(u);
}

}  // namespace

TEST(Platform_TimeZone, RulesOfKnownZones) {
  TIME_ZONE_INFORMATION tzi;
  {
    ZoneGuard z("UTC");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(tzi.Bias, 0);
    EXPECT_EQ(tzi.DaylightBias, 0);
    EXPECT_EQ(tzi.DaylightDate.wMonth, 0);
  }
  {
    ZoneGuard z("Asia/Tokyo");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(tzi.Bias, -540);
  }
  {
    ZoneGuard z("Europe/Berlin");
    DWORD id = GetTimeZoneInformation(&tzi);
    EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -60);
    EXPECT_EQ(tzi.StandardBias, 0);
    EXPECT_EQ(tzi.DaylightBias, -60);
    // Last Sunday of March at 02:00, last Sunday of October at 03:00.
    EXPECT_EQ(tzi.DaylightDate.wMonth, 3);
    EXPECT_EQ(tzi.DaylightDate.wDayOfWeek, 0);
    EXPECT_EQ(tzi.DaylightDate.wDay, 5);
    EXPECT_EQ(tzi.DaylightDate.wHour, 2);
    EXPECT_EQ(tzi.StandardDate.wMonth, 10);
    EXPECT_EQ(tzi.StandardDate.wDay, 5);
    EXPECT_EQ(tzi.StandardDate.wHour, 3);
    EXPECT_EQ(std::u16string(tzi.StandardName), u"CET");
    EXPECT_EQ(std::u16string(tzi.DaylightName), u"CEST");
  }
  {
    ZoneGuard z("America/New_York");
    GetTimeZoneInformation(&tzi);
    EXPECT_EQ(tzi.Bias, 300);
    EXPECT_EQ(tzi.DaylightBias, -60);
    // Second Sunday of March, first Sunday of November, both at 02:00.
    EXPECT_EQ(tzi.DaylightDate.wMonth, 3);
    EXPECT_EQ(tzi.DaylightDate.wDay, 2);
    EXPECT_EQ(tzi.DaylightDate.wHour, 2);
    EXPECT_EQ(tzi.StandardDate.wMonth, 11);
    EXPECT_EQ(tzi.StandardDate.wDay, 1);
    EXPECT_EQ(tzi.StandardDate.wHour, 2);
  }
  {
    ZoneGuard z("Australia/Sydney");  // daylight time across the new year
    GetTimeZoneInformation(&tzi);
    EXPECT_EQ(tzi.Bias, -600);
    EXPECT_EQ(tzi.DaylightDate.wMonth, 10);
    EXPECT_EQ(tzi.StandardDate.wMonth, 4);
  }
  EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
}

TEST(Platform_TimeZone, LocalTimeUsesTheOffsetOfItsOwnDate) {
  ZoneGuard z("Europe/Berlin");
  EXPECT_EQ(ToUtc(St(2010, 1, 15, 12, 0, 0, 250)), "2010-01-15 11:00:00.250");
  EXPECT_EQ(ToUtc(St(2010, 7, 15, 12, 0)), "2010-07-15 10:00:00.000");
  // 02:30 on 2010-03-28 never happened: read in standard time.
  EXPECT_EQ(ToUtc(St(2010, 3, 28, 2, 30)), "2010-03-28 01:30:00.000");
  // 02:30 on 2010-10-31 happened twice: the first one, still in daylight time.
  EXPECT_EQ(ToUtc(St(2010, 10, 31, 2, 30)), "2010-10-31 00:30:00.000");
  // Berlin had no daylight time in 1960.
  EXPECT_EQ(ToUtc(St(1960, 7, 1, 12, 0)), "1960-07-01 11:00:00.000");

  SYSTEMTIME bad = St(2010, 13, 1, 0, 0), out;
  EXPECT_FALSE(TzSpecificLocalTimeToSystemTime(nullptr, &bad, &out));
  TIME_ZONE_INFORMATION other;
  SYSTEMTIME ok = St(2010, 1, 1, 0, 0);
  EXPECT_FALSE(TzSpecificLocalTimeToSystemTime(&other, &ok, &out));
}

TEST(Platform_TimeZone, UtcToLocalAndBackAgree) {
  // Any UTC moment turned local and back gives itself, except within the
  // repeated hour, where the first reading is chosen.
  for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Sydney"}) {
    ZoneGuard z(zone);
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
      SYSTEMTIME u = St(1971 + int(rng() % 60), 1 + int(rng() % 12), 1 + int(rng() % 28), int(rng() % 24),
                        int(rng() % 60), int(rng() % 60), int(rng() % 1000));
      SYSTEMTIME l, back;
      ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &u, &l));
      ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &l, &back));
      if (Str(back) != Str(u)) {
        // Only an hour earlier is allowed, and only when that reading maps to
        // the same wall time.
        SYSTEMTIME l2;
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &back, &l2));
        EXPECT_EQ(Str(l2), Str(l)) << zone << " " << Str(u);
      }
    }
  }
}

}  // namespace t_time_zone_test
