// LocalFilterClock: the clock of the file filters in the user's time zone, over the
// platform's time conversions.
#pragma once

#include "scan/filter_clock.h"

namespace tf {

class LocalFilterClock : public FilterClock {
 public:
  int64_t NowUtc() const override;
  LocalTime ToLocal(int64_t utcFileTime) const override;
  int64_t ToUtc(const LocalTime& local) const override;
};

}  // namespace tf
