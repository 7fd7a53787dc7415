// The editing rules of the filter editors that need no widgets: how a typed size is
// stored, how the masks of a collection group join a mask text, which mask texts the
// recent lists keep, and how a date chosen from calendar lists becomes a stored time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "scan/filter_clock.h"

namespace tf {

// The mask text that takes every file.
constexpr const char* kAllFilesMask = "*.*";

// A typed size value as it is stored: the text is read as a 64-bit integer (leading
// blanks, a sign, then digits up to the first other character; a longer run of digits
// saturates); no digits, or a negative number, stores 0; more than 2147483647 stores
// 2147483647.
int32_t SizeValueFromText(std::string_view text);

// The mask text after adding a group's masks to `current`: the group's masks replace a
// text that is exactly "*.*" (or empty); otherwise they are appended, with a ';' put
// between when the text does not already end in a separator, so that the last mask of
// the text and the first of the group stay two masks.
std::string AddGroupMasks(std::string_view current, std::string_view groupMasks);

// Whether a mask text is worth remembering in the recent lists when the name editor is
// left: the include text when it is not empty and not "*.*"; the exclude text when it
// is not empty, not "*.*" and not a single space.
bool RemembersIncludeMasks(std::string_view text);
bool RemembersExcludeMasks(std::string_view text);

// A date of the calendar lists (month 1..12, day 1..31).
struct CalendarDate {
  int year = 1601;
  int month = 1;
  int day = 1;
  bool operator==(const CalendarDate&) const = default;
};

// Parts of a date, as the date lists name them.
constexpr int kDateYear = 0;
constexpr int kDateMonth = 1;
constexpr int kDateDay = 2;

// The local date of a stored UTC file time.
CalendarDate StoredDate(int64_t utcFileTime, const FilterClock& clock);
// `date` with one part changed. The day is cut to the length of the resulting month,
// so 31 January turned to April is 30 April and 29 February turned to a common year
// is 28 February.
CalendarDate WithDatePart(CalendarDate date, int part, int value);
// The stored form of a chosen local date: that date at the present local time of day,
// as a UTC file time.
int64_t StoredTimeOfDate(const CalendarDate& date, const FilterClock& clock);

// The years the date lists offer: the present local year and the nine before it,
// newest first.
std::vector<int> OfferedYears(const FilterClock& clock);

// The time editor's change of one part of date 1 or 2 (`which`) of a "filter_time"
// node: the whole date is stored from the stored one with that part changed, and the
// filter turns to dates (switch 4). Answers the date now stored; null node: nothing
// stored, the unchanged 1601-01-01.
CalendarDate StoreDatePart(DataNode* node, int which, int part, int value,
                           const FilterClock& clock);

}  // namespace tf
