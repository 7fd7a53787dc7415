#include "scan/filter_editing.h"

#include <algorithm>
#include <climits>

#include "scan/filter_nodes.h"

namespace tf {

namespace {

constexpr int kTimeChoiceDates = 4;
constexpr int kOfferedYearCount = 10;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

int32_t SizeValueFromText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Counting stops past INT32_MAX: every larger value stores the same.
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
  if (negative) return 0;
  return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

std::string AddGroupMasks(std::string_view current, std::string_view groupMasks) {
  if (current.empty() || current == kAllFilesMask) return std::string(groupMasks);
  std::string out(current);
  // Blanks are dropped when the text is read, so "*.jpg " followed by "*.doc" would
  // read as the one mask "*.jpg*.doc".
  size_t last = out.find_last_not_of(' ');
  if (last != std::string::npos && out[last] != ';' && out[last] != ',') out += ';';
  out += groupMasks;
  return out;
}

bool RemembersIncludeMasks(std::string_view text) {
  return !text.empty() && text != kAllFilesMask;
}

bool RemembersExcludeMasks(std::string_view text) {
  return !text.empty() && text != kAllFilesMask && text != " ";
}

CalendarDate StoredDate(int64_t utcFileTime, const FilterClock& clock) {
  const LocalTime local = clock.ToLocal(utcFileTime);
  return CalendarDate{local.year, local.month, local.day};
}

CalendarDate WithDatePart(CalendarDate date, int part, int value) {
  if (part == kDateYear)
    date.year = value;
  else if (part == kDateMonth)
    date.month = std::clamp(value, 1, 12);
  else if (part == kDateDay)
    date.day = value;
  date.day = std::clamp(date.day, 1, DaysInMonth(date.year, date.month));
  return date;
}

int64_t StoredTimeOfDate(const CalendarDate& date, const FilterClock& clock) {
  LocalTime local = clock.ToLocal(clock.NowUtc());
  local.year = date.year;
  local.month = date.month;
  local.day = std::clamp(date.day, 1, DaysInMonth(date.year, date.month));
  local.dayOfWeek = DayOfWeek(local.year, local.month, local.day);
  return clock.ToUtc(local);
}

std::vector<int> OfferedYears(const FilterClock& clock) {
  const int year = clock.ToLocal(clock.NowUtc()).year;
  std::vector<int> years;
  for (int i = 0; i < kOfferedYearCount; ++i) years.push_back(year - i);
  return years;
}

CalendarDate StoreDatePart(DataNode* node, int which, int part, int value,
                           const FilterClock& clock) {
  if (!node) return CalendarDate{};
  const int64_t stored = which == 2 ? GetTimeDate2(node) : GetTimeDate1(node);
  const CalendarDate date = WithDatePart(StoredDate(stored, clock), part, value);
  const int64_t time = StoredTimeOfDate(date, clock);
  if (which == 2)
    SetTimeDate2(node, time);
  else
    SetTimeDate1(node, time);
  SetTimeSwitch(node, kTimeChoiceDates);
  return date;
}

}  // namespace tf
