// FilterClock: the current time and the local-time conversions that the time filter
// and its editors need, injected so that the core never asks the OS itself; with the
// calendar arithmetic on plain dates that needs no time zone.
#pragma once

#include <cstdint>

#include "base/file_time_units.h"

namespace tf {

// A broken-down local time (dayOfWeek is not used by the filters).
using LocalTime = CalendarTime;

class FilterClock {
 public:
  virtual ~FilterClock() = default;
  // Now, as a UTC file time.
  virtual int64_t NowUtc() const = 0;
  // The local time at a UTC file time.
  virtual LocalTime ToLocal(int64_t utcFileTime) const = 0;
  // The UTC file time of a local time. A local time that the zone skips (the hour
  // lost when summer time begins) gives the nearest sensible instant, never a failure.
  virtual int64_t ToUtc(const LocalTime& local) const = 0;
};

// A clock whose local time is UTC; NowUtc reads the system clock of the standard
// library. For the command-line program and for tests that need no zone.
class UtcFilterClock : public FilterClock {
 public:
  int64_t NowUtc() const override;
  LocalTime ToLocal(int64_t utcFileTime) const override;
  int64_t ToUtc(const LocalTime& local) const override;
};

// Days since 1601-01-01 of a proleptic Gregorian date (month 1..12), and back.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(int year, int month, int day);
// Length of a month of the Gregorian calendar (February 29 in leap years).
int DaysInMonth(int year, int month);

}  // namespace tf
