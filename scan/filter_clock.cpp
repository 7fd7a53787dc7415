#include "scan/filter_clock.h"

#include <chrono>

namespace tf {

namespace {

// Days from 1970-01-01 of a civil date, after H. Hinnant's public-domain algorithm.
int64_t daysFromEpoch(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr int64_t kDays1601To1970 = 134774;

}  // namespace

int64_t DaysFromCivil(int year, int month, int day) {
  return daysFromEpoch(year, month, day) + kDays1601To1970;
}

void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  const int64_t z = days - kDays1601To1970 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (m <= 2));
  *month = m;
  *day = d;
}

int DayOfWeek(int year, int month, int day) {
  // 1601-01-01 was a Monday.
  const int64_t w = (DaysFromCivil(year, month, day) + 1) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

int DaysInMonth(int year, int month) {
  static constexpr int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kLength[month - 1];
}

int64_t UtcFilterClock::NowUtc() const {
  using namespace std::chrono;
  const auto since = duration_cast<nanoseconds>(system_clock::now().time_since_epoch());
  return kFileTimeUnixEpoch + since.count() / 100;
}

LocalTime UtcFilterClock::ToLocal(int64_t utcFileTime) const {
  LocalTime t;
  int64_t days = utcFileTime / kFileTimeDay;
  int64_t rest = utcFileTime % kFileTimeDay;
  if (rest < 0) rest += kFileTimeDay, --days;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  const int64_t ms = rest / 10000;
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.milliseconds = static_cast<int>(ms % 1000);
  return t;
}

int64_t UtcFilterClock::ToUtc(const LocalTime& t) const {
  const int64_t ms = ((int64_t{t.hour} * 60 + t.minute) * 60 + t.second) * 1000 + t.milliseconds;
  return DaysFromCivil(t.year, t.month, t.day) * kFileTimeDay + ms * 10000;
}

}  // namespace tf
