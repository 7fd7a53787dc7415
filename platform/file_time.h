// File times: 64-bit counts of 100 ns since 1601-01-01 UTC and their conversions.
#pragma once

#include <cstdint>
#include <ctime>

#include "base/file_time_units.h"

namespace tf {

// (seconds + 11644473600) * 10^7 + nanoseconds / 100.
int64_t FileTimeFromTimespec(const std::timespec& ts);
std::timespec TimespecFromFileTime(int64_t fileTime);
int64_t FileTimeFromUnixSeconds(int64_t seconds);
// The current time as a file time.
int64_t FileTimeNow();

// Converts in the local time zone (TZ); false when the time cannot be represented.
bool FileTimeToLocal(int64_t fileTime, CalendarTime* out);
// The UTC file time of a local calendar time (dayOfWeek is ignored); false when invalid.
bool LocalToFileTime(const CalendarTime& local, int64_t* out);

}  // namespace tf
