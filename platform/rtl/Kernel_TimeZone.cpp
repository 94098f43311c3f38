// The time zone from the tz database. The platform describes a zone by a
// base bias and two yearly rules ("second Sunday of March at 02:00"); the
// database knows transitions instead, so the rules are read off this year's
// transitions. Conversions of single moments ask the database directly, so
// they are right for every year the database covers, not only this one.
#include <time.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "platform/rtl/Kernel.h"

namespace vcl {

namespace {

// localtime_r does not promise to reread TZ; tzset does. Both read shared
// state, so they are kept under one lock.
std::mutex gTzLock;

struct TLocalInfo {
  long Offset = 0;  // seconds east of UTC
  bool Dst = false;
};

TLocalInfo LocalAt(time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_gmtoff, tm.tm_isdst > 0};
}

time_t FromSystemTime(const SYSTEMTIME& st) {
  std::tm tm{};
  tm.tm_year = st.wYear - 1900;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_mday = st.wDay;
  tm.tm_hour = st.wHour;
  tm.tm_min = st.wMinute;
  tm.tm_sec = st.wSecond;
  return timegm(&tm);
}

void ToSystemTime(time_t t, WORD ms, SYSTEMTIME& st) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = ms;
}

bool ValidSystemTime(const SYSTEMTIME& st) {
  return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
         st.wDay <= 31 && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

// The first second at which the daylight flag differs from its value at lo,
// searched in (lo, hi]; the flag must differ at hi.
time_t FindTransition(time_t lo, time_t hi) {
  bool start = LocalAt(lo).Dst;
  while (hi - lo > 1) {
    time_t mid = lo + (hi - lo) / 2;
    if (LocalAt(mid).Dst == start) lo = mid;
    else hi = mid;
  }
  return hi;
}

// A transition as the platform's yearly rule: month, weekday, its
// occurrence in the month (5 for the last) and the local wall time just
// before the change.
SYSTEMTIME RuleOf(time_t transitionUtc, long offsetBefore) {
  SYSTEMTIME st;
  ToSystemTime(transitionUtc + offsetBefore, 0, st);
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int monthDays = kDays[st.wMonth - 1];
  int y = st.wYear;
  if (st.wMonth == 2 && (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0))) monthDays = 29;
  WORD week = static_cast<WORD>((st.wDay - 1) / 7 + 1);
  if (st.wDay + 7 > monthDays) week = 5;
  st.wDay = week;
  st.wYear = 0;
  return st;
}

void CopyName(WCHAR* dst, const char* src) {
  int i = 0;
  for (; src && src[i] && i < 31; ++i) dst[i] = static_cast<unsigned char>(src[i]);
  dst[i] = 0;
}

}  // namespace

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  std::lock_guard g(gTzLock);
  tzset();
  *info = TIME_ZONE_INFORMATION{};
  time_t now = time(nullptr);
  TLocalInfo cur = LocalAt(now);
  std::tm tm{};
  localtime_r(&now, &tm);
  SYSTEMTIME jan{};
  jan.wYear = static_cast<WORD>(tm.tm_year + 1900);
  jan.wMonth = 1;
  jan.wDay = 1;
  time_t yearStart = FromSystemTime(jan) - 14 * 3600;  // local new year in every zone
  time_t yearEnd = yearStart + 366 * 86400 + 28 * 3600;

  // Walk the year a day at a time, noting where the daylight flag changes.
  time_t toDst = 0, toStd = 0;
  long stdOffset = cur.Dst ? 0 : cur.Offset, dstOffset = cur.Dst ? cur.Offset : 0;
  bool haveStd = !cur.Dst, haveDst = cur.Dst;
  TLocalInfo prev = LocalAt(yearStart);
  for (time_t t = yearStart + 86400; t <= yearEnd; t += 86400) {
    TLocalInfo li = LocalAt(t);
    if (li.Dst != prev.Dst) {
      time_t tr = FindTransition(t - 86400, t);
      if (li.Dst && !toDst) toDst = tr;
      if (!li.Dst && !toStd) toStd = tr;
    }
    if (li.Dst && !haveDst) { dstOffset = li.Offset; haveDst = true; }
    if (!li.Dst && !haveStd) { stdOffset = li.Offset; haveStd = true; }
    prev = li;
  }
  CopyName(info->StandardName, tzname[0]);
  CopyName(info->DaylightName, tzname[1]);
  if (!toDst || !toStd || !haveStd || !haveDst) {
    info->Bias = static_cast<LONG>(-cur.Offset / 60);
    return TIME_ZONE_ID_UNKNOWN;
  }
  info->Bias = static_cast<LONG>(-stdOffset / 60);
  info->StandardBias = 0;
  info->DaylightBias = static_cast<LONG>(-(dstOffset - stdOffset) / 60);
  info->DaylightDate = RuleOf(toDst, stdOffset);
  info->StandardDate = RuleOf(toStd, dstOffset);
  return cur.Dst ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

bool TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME* local, SYSTEMTIME* utc) {
  if (tzi || !local || !utc || !ValidSystemTime(*local)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard g(gTzLock);
  tzset();
  time_t wall = FromSystemTime(*local);
  // The offsets a day either side bound the ones that can apply here; a
  // candidate is right when the zone, asked at that moment, agrees.
  TLocalInfo before = LocalAt(wall - 86400), after = LocalAt(wall + 86400);
  time_t c1 = wall - before.Offset, c2 = wall - after.Offset;
  bool ok1 = LocalAt(c1).Offset == before.Offset, ok2 = LocalAt(c2).Offset == after.Offset;
  time_t u;
  if (ok1 && ok2) u = c1 < c2 ? c1 : c2;
  else if (ok1) u = c1;
  else if (ok2) u = c2;
  else u = wall - (before.Dst ? after.Offset : before.Offset);  // a skipped hour: standard time
  ToSystemTime(u, local->wMilliseconds, *utc);
  return true;
}

bool SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME* utc, SYSTEMTIME* local) {
  if (tzi || !utc || !local || !ValidSystemTime(*utc)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard g(gTzLock);
  tzset();
  time_t u = FromSystemTime(*utc);
  ToSystemTime(u + LocalAt(u).Offset, utc->wMilliseconds, *local);
  return true;
}

}  // namespace vcl
