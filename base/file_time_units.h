// The units of the program's file times (64-bit counts of 100 ns since 1601-01-01 UTC)
// and the calendar record they convert to, shared by every layer that uses them.
#pragma once

#include <cstdint>

namespace tf {

constexpr int64_t kFileTimeDay = 864000000000LL;              // 100-ns intervals in one day
constexpr int64_t kFileTimeSecond = 10000000LL;               // 100-ns intervals in one second
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;  // 1970-01-01 as a file time

// A calendar time, local or UTC as its producer says; months and days count from 1, dayOfWeek from
// 0 = Sunday.
struct CalendarTime {
  int year = 1601;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfWeek = 1;
  int milliseconds = 0;
};

}  // namespace tf
