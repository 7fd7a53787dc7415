// CentralEuropeClock: a filter clock in a zone with summer time, standing still at a
// chosen local moment, for the tests of the time filter and of the date editing rules.
#pragma once

#include <cstdint>

#include "scan/filter_clock.h"

namespace tf::testing {

constexpr int64_t kHour = 3600 * kFileTimeSecond;

// Central European time: UTC+1, and UTC+2 from the last Sunday of March to the last
// Sunday of October, changing at 01:00 UTC.
class CentralEuropeClock : public FilterClock {
 public:
  explicit CentralEuropeClock(const LocalTime& now) : m_now(ToUtc(now)) {}
  int64_t NowUtc() const override { return m_now; }
  LocalTime ToLocal(int64_t utc) const override { return m_utc.ToLocal(utc + offset(utc)); }
  int64_t ToUtc(const LocalTime& t) const override {
    const int64_t wall = m_utc.ToUtc(t);
    return offset(wall - 2 * kHour) == 2 * kHour ? wall - 2 * kHour : wall - kHour;
  }

 private:
  static int64_t lastSunday(int year, int month) {
    const int last = DaysInMonth(year, month);
    return DaysFromCivil(year, month, last - DayOfWeek(year, month, last));
  }
  int64_t offset(int64_t utc) const {
    const int year = m_utc.ToLocal(utc).year;
    const int64_t begin = lastSunday(year, 3) * kFileTimeDay + kHour;
    const int64_t end = lastSunday(year, 10) * kFileTimeDay + kHour;
    return utc >= begin && utc < end ? 2 * kHour : kHour;
  }
  UtcFilterClock m_utc;
  int64_t m_now;
};

inline LocalTime At(int y, int mo, int d, int h = 0, int mi = 0) {
  LocalTime t;
  t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi;
  return t;
}

}  // namespace tf::testing
