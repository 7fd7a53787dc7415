#include "scan/time_filter.h"

#include <algorithm>

namespace tf {

std::unique_ptr<TimeFilter> TimeFilter::Make(DataNode* node, const FilterClock& clock) {
  if (!node) return nullptr;
  auto filter = std::make_unique<TimeFilter>(clock);
  filter->Load(node);
  return filter;
}

namespace {

// Days past this one (in the year 30000) lie beyond what a file time can hold.
const int64_t kLastDay = DaysFromCivil(30000, 12, 31);

}  // namespace

int64_t TimeFilter::startOfDay(int64_t days) const {
  if (days < 0) return 0;
  if (days > kLastDay) return INT64_MAX;
  LocalTime t;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  int64_t utc = m_clock.ToUtc(t);
  return utc < 0 ? 0 : utc;
}

int64_t TimeFilter::endOfDay(int64_t days) const {
  if (days < 0) return 0;
  if (days > kLastDay) return INT64_MAX;
  LocalTime t;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = 23, t.minute = 59, t.second = 59, t.milliseconds = 999;
  // File times count 100 ns: the day lasts to the end of its last millisecond.
  return m_clock.ToUtc(t) + 9999;
}

int64_t TimeFilter::localDayOf(int64_t utcFileTime) const {
  // A damaged stored date is brought into the range every clock can convert.
  const LocalTime t = m_clock.ToLocal(std::clamp<int64_t>(utcFileTime, 0, kLastDay * kFileTimeDay));
  return DaysFromCivil(t.year, t.month, t.day);
}

bool TimeFilter::Load(DataNode* node) {
  if (!node) return false;
  AttrList& a = node->attrs;
  m_enabled = static_cast<int>(node->val);
  m_timeKind = a.ValueOf("mode").AsInt();
  if (m_timeKind < kModified || m_timeKind > kAccessed) m_timeKind = kModified;
  const int64_t today = localDayOf(m_clock.NowUtc());
  const int32_t choice = a.ValueOf("switch").AsInt();
  if (choice == 4) {
    loadDates(node);
  } else {
    loadPeriod(choice, node, today);
  }
  m_loaded = true;
  return true;
}

// The periods that end today. Days and weeks are counted on the calendar, not in
// 24-hour steps, so a change to or from summer time does not shift midnight.
void TimeFilter::loadPeriod(int32_t choice, DataNode* node, int64_t today) {
  int year, month, day;
  CivilFromDays(today, &year, &month, &day);
  int64_t first = today;
  if (choice == 1) {  // this week, from Sunday
    first = today - DayOfWeek(year, month, day);
  } else if (choice == 2) {  // this month
    first = today - (day - 1);
  } else if (choice == 3) {  // the previous N days, weeks or months
    // A period cannot reach into the future: a negative N counts as 0.
    const int64_t n = std::max<int64_t>(0, node->attrs.ValueOf("prev_value").AsInt());
    const int32_t units = node->attrs.ValueOf("prev_units").AsInt();
    if (units == 1) {
      first = today - 7 * n;
    } else if (units == 2) {
      // Same day N months back, cut to that month's length (31 March -> 28 February).
      const int64_t months = int64_t{year} * 12 + (month - 1) - n;
      const int y = static_cast<int>(months >= 0 ? months / 12 : 0);
      const int m = static_cast<int>(months >= 0 ? months % 12 + 1 : 1);
      first = y < 1601 ? -1 : DaysFromCivil(y, m, std::min(day, DaysInMonth(y, m)));
    } else {
      first = today - n;
    }
  }
  m_lower = startOfDay(first);
  m_upper = endOfDay(today);
}

void TimeFilter::loadDates(DataNode* node) {
  AttrList& a = node->attrs;
  const int64_t d1 = localDayOf(a.ValueOf("date_1").AsInt64());
  switch (a.ValueOf("date_mode").AsInt()) {
    case 0:  // after
      m_lower = startOfDay(d1);
      m_upper = INT64_MAX;
      break;
    case 2: {  // between, in either order
      const int64_t d2 = localDayOf(a.ValueOf("date_2").AsInt64());
      m_lower = startOfDay(d1 <= d2 ? d1 : d2);
      m_upper = endOfDay(d1 <= d2 ? d2 : d1);
      break;
    }
    default:  // before
      m_lower = 0;
      m_upper = startOfDay(d1);
  }
}

bool TimeFilter::Match(const FileInfo& entry) {
  if (accepts()) return true;
  int64_t t;
  if (m_timeKind == kCreated) {
    t = entry.creationTime ? entry.creationTime : entry.lastWriteTime;
    if (!t) t = entry.lastAccessTime;
  } else if (m_timeKind == kAccessed) {
    t = entry.lastAccessTime ? entry.lastAccessTime : entry.lastWriteTime;
    if (!t) t = entry.creationTime;
  } else {
    t = entry.lastWriteTime ? entry.lastWriteTime : entry.creationTime;
    if (!t) t = entry.lastAccessTime;
  }
  return t >= m_lower && t <= m_upper;
}

}  // namespace tf
