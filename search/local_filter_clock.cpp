#include "search/local_filter_clock.h"

#include "search/engine_platform.h"

namespace tf {

int64_t LocalFilterClock::NowUtc() const {
  return PlatformNow();
}

LocalTime LocalFilterClock::ToLocal(int64_t utcFileTime) const {
  LocalStamp stamp;
  int millisecond = 0;
  LocalTime local;
  if (!PlatformLocalStamp(utcFileTime, &stamp, &millisecond)) return local;
  local.year = stamp.year;
  local.month = stamp.month;
  local.day = stamp.day;
  local.hour = stamp.hour;
  local.minute = stamp.minute;
  local.second = stamp.second;
  local.milliseconds = millisecond;
  return local;
}

int64_t LocalFilterClock::ToUtc(const LocalTime& local) const {
  const LocalStamp stamp{local.year, local.month,  local.day,
                         local.hour, local.minute, local.second};
  int64_t utc = 0;
  if (PlatformFileTimeOfLocal(stamp, local.milliseconds, &utc)) return utc;
  // A local time the zone skips: take it as UTC, off by the zone's offset at most.
  return DaysFromCivil(local.year, local.month, local.day) * kFileTimeDay +
         ((local.hour * 60 + local.minute) * 60 + local.second) * kFileTimeSecond +
         local.milliseconds * 10000LL;
}

}  // namespace tf
