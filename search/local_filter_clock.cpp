#include "search/local_filter_clock.h"

#include "search/engine_platform.h"

namespace tf {

int64_t LocalFilterClock::NowUtc() const {
  return PlatformNow();
}

LocalTime LocalFilterClock::ToLocal(int64_t utcFileTime) const {
  LocalTime local;
  return PlatformLocalTime(utcFileTime, &local) ? local : LocalTime{};
}

int64_t LocalFilterClock::ToUtc(const LocalTime& local) const {
  int64_t utc = 0;
  if (PlatformFileTimeOfLocal(local, &utc)) return utc;
  // A local time the zone skips: take it as UTC, off by the zone's offset at most.
  return DaysFromCivil(local.year, local.month, local.day) * kFileTimeDay +
         ((local.hour * 60 + local.minute) * 60 + local.second) * kFileTimeSecond +
         local.milliseconds * 10000LL;
}

}  // namespace tf
