#include "platform/file_time.h"

#include <time.h>

#include <cerrno>

namespace tf {
namespace {

constexpr int64_t kEpochSeconds = 11644473600LL;  // 1601-01-01 to 1970-01-01

// Splits a file time into Unix seconds and the 100-ns remainder, rounding down so that
// times before 1970 keep a non-negative remainder.
void splitFileTime(int64_t fileTime, int64_t* seconds, int64_t* rest) {
  int64_t s = fileTime / kFileTimeSecond;
  int64_t r = fileTime % kFileTimeSecond;
  if (r < 0) {
    r += kFileTimeSecond;
    --s;
  }
  *seconds = s - kEpochSeconds;
  *rest = r;
}

void fromTm(const struct tm& tm, int64_t rest, CalendarTime* out) {
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec;
  out->dayOfWeek = tm.tm_wday;
  out->milliseconds = static_cast<int>(rest / 10000);
}

bool toTm(const CalendarTime& c, struct tm* tm) {
  if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour < 0 || c.hour > 23 ||
      c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 60 || c.milliseconds < 0 ||
      c.milliseconds > 999 || c.year < 1601 || c.year > 30827)
    return false;
  *tm = {};
  tm->tm_year = c.year - 1900;
  tm->tm_mon = c.month - 1;
  tm->tm_mday = c.day;
  tm->tm_hour = c.hour;
  tm->tm_min = c.minute;
  tm->tm_sec = c.second;
  tm->tm_isdst = -1;
  return true;
}

// The local or UTC calendar time of a file time.
bool toCalendar(int64_t fileTime, bool local, CalendarTime* out) {
  int64_t seconds = 0;
  int64_t rest = 0;
  splitFileTime(fileTime, &seconds, &rest);
  const time_t t = static_cast<time_t>(seconds);
  struct tm tm {};
  if (!(local ? localtime_r(&t, &tm) : gmtime_r(&t, &tm))) return false;
  fromTm(tm, rest, out);
  return true;
}

// mktime/timegm normalise 31 April into 1 May; such a date is refused instead.
bool sameDate(const struct tm& tm, const CalendarTime& c) {
  return tm.tm_year == c.year - 1900 && tm.tm_mon == c.month - 1 && tm.tm_mday == c.day;
}

}  // namespace

int64_t FileTimeFromTimespec(const std::timespec& ts) {
  return (static_cast<int64_t>(ts.tv_sec) + kEpochSeconds) * kFileTimeSecond + ts.tv_nsec / 100;
}

std::timespec TimespecFromFileTime(int64_t fileTime) {
  int64_t seconds = 0;
  int64_t rest = 0;
  splitFileTime(fileTime, &seconds, &rest);
  std::timespec ts{};
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

int64_t FileTimeFromUnixSeconds(int64_t seconds) {
  return (seconds + kEpochSeconds) * kFileTimeSecond;
}

int64_t FileTimeNow() {
  std::timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return FileTimeFromTimespec(ts);
}

bool FileTimeToLocal(int64_t fileTime, CalendarTime* out) {
  return toCalendar(fileTime, true, out);
}

bool LocalToFileTime(const CalendarTime& local, int64_t* out) {
  struct tm tm {};
  if (!toTm(local, &tm)) return false;
  errno = 0;
  time_t t = mktime(&tm);
  if (t == static_cast<time_t>(-1) && errno != 0) return false;
  if (!sameDate(tm, local) && local.second != 60) return false;
  *out = FileTimeFromUnixSeconds(t) + local.milliseconds * 10000LL;
  return true;
}

}  // namespace tf
