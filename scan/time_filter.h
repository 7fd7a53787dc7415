// TimeFilter: takes files whose modified, created or last-accessed time lies in a
// period read from a "filter_time" node (today, this week, this month, the previous
// N days, weeks or months, or after, before or between dates).
#pragma once

#include <cstdint>
#include <memory>

#include "scan/file_filter.h"
#include "scan/filter_clock.h"

namespace tf {

class TimeFilter : public FileFilter {
 public:
  // Which time of the file is judged ("mode").
  static constexpr int kModified = 0;
  static constexpr int kCreated = 1;
  static constexpr int kAccessed = 2;

  // The clock must outlive Load; Match does not use it.
  explicit TimeFilter(const FilterClock& clock) : m_clock(clock) {}
  static std::unique_ptr<TimeFilter> Make(DataNode* node, const FilterClock& clock);

  FilterKind Kind() const override { return FilterKind::kTime; }
  // Computes the bounds from the clock's present local date: periods run from local
  // midnight of their first day to the last instant of today (or of the second date).
  bool Load(DataNode* node) override;
  bool Match(const FileInfo& entry) override;

  int TimeKind() const { return m_timeKind; }
  int64_t Lower() const { return m_lower; }
  int64_t Upper() const { return m_upper; }

 private:
  // UTC file time of local midnight at the start of day `days` (days since 1601-01-01);
  // 0 for a day before 1601.
  int64_t startOfDay(int64_t days) const;
  // UTC file time of the last 100-ns tick of that local day.
  int64_t endOfDay(int64_t days) const;
  int64_t localDayOf(int64_t utcFileTime) const;
  void loadPeriod(int32_t choice, DataNode* node, int64_t today);
  void loadDates(DataNode* node);

  const FilterClock& m_clock;
  int m_timeKind = kModified;
  int64_t m_lower = 0;
  int64_t m_upper = INT64_MAX;
};

}  // namespace tf
