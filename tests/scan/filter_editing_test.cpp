// The editing rules of the filter editors, and dates chosen from calendar lists in a zone
// with summer time.
#include "scan/filter_editing.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "datatree/node_ptr.h"
#include "scan/filter_nodes.h"
#include "scan/name_filter.h"
#include "scan/time_filter.h"
#include "tests/scan/central_europe_clock.h"

namespace tf {
namespace {

using testing::At;
using testing::CentralEuropeClock;

// The filters page's tests clamp sizes typed within 64 bits and cut 31 June; here what
// they do not reach: numbers past 64 bits, masks joined from groups, leap days.
TEST(FilterEditing, TypedValuesStayWithinWhatTheFilterCanHold) {
  EXPECT_EQ(SizeValueFromText("99999999999999999999999999"), INT32_MAX);  // never wrapped
  EXPECT_EQ(SizeValueFromText("-99999999999999999999999999"), 0);

  // A text typed without a closing separator keeps its last mask.
  const std::string documents = "*.doc;*.txt;*.pdf;";
  EXPECT_EQ(AddGroupMasks("*.*", documents), documents);
  EXPECT_EQ(AddGroupMasks("*.*;", "*.zip;"), "*.*;*.zip;");  // kept: not alone
  NodePtr node(CreateNameFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  for (const char* typed : {"*.jpg", "*.jpg ", "*.jpg,"}) {
    SCOPED_TRACE(typed);
    SetNameInclude(node.get(), AddGroupMasks(typed, documents));
    auto filter = NameFilter::Make(node.get());
    ASSERT_TRUE(filter);
    EXPECT_TRUE(filter->MatchName("beach.JPG"));
    EXPECT_TRUE(filter->MatchName("notes.txt"));
    EXPECT_FALSE(filter->MatchName("song.flac"));
  }

  // 31 January turned to February and on to March: the cut day stays cut.
  CalendarDate date = WithDatePart(CalendarDate{2026, 1, 31}, kDateMonth, 2);
  EXPECT_EQ(WithDatePart(date, kDateMonth, 3), (CalendarDate{2026, 3, 28}));
  // 29 February: kept in leap years, 28 in the others, 2100 among them.
  date = WithDatePart(CalendarDate{2024, 2, 1}, kDateDay, 29);
  EXPECT_EQ(WithDatePart(date, kDateYear, 2000), (CalendarDate{2000, 2, 29}));
  EXPECT_EQ(WithDatePart(date, kDateYear, 2100), (CalendarDate{2100, 2, 28}));
  EXPECT_EQ(WithDatePart(CalendarDate{2023, 2, 28}, kDateDay, 29), (CalendarDate{2023, 2, 28}));
}

TEST(FilterEditing, StoredDatesReadBackAsTheChosenLocalDay) {
  // Every day of a leap year, with the clock at a time of day that each change of
  // summer time skips or repeats, and just before midnight, where UTC is a day behind
  // or ahead of the local date.
  for (int hour : {2, 23}) {
    CentralEuropeClock clock(At(2026, 7, 1, hour, 30));
    for (int64_t day = DaysFromCivil(2024, 1, 1); day < DaysFromCivil(2025, 1, 1); ++day) {
      CalendarDate date;
      CivilFromDays(day, &date.year, &date.month, &date.day);
      const int64_t stored = StoredTimeOfDate(date, clock);
      ASSERT_EQ(StoredDate(stored, clock), date) << hour << " " << day;
      const LocalTime local = clock.ToLocal(stored);
      // The present time of day, but where the zone skips it (one hour in March).
      if (!(date == CalendarDate{2024, 3, 31} && hour == 2)) {
        ASSERT_EQ(local.hour, hour) << day;
        ASSERT_EQ(local.minute, 30) << day;
      }
    }
  }
}

TEST(FilterEditing, EditedDatesAreStoredAsTheFilterReadsThem) {
  CentralEuropeClock clock(At(2026, 3, 31, 23, 45));
  NodePtr node(CreateTimeFilterNode(nullptr, clock));
  SetFilterEnabled(node.get(), 1);
  SetTimeDateMode(node.get(), 2);
  // The editor sets day, then month: 31 March turned to February is the 28th.
  EXPECT_EQ(StoreDatePart(node.get(), 1, kDateDay, 31, clock), (CalendarDate{2026, 3, 31}));
  EXPECT_EQ(StoreDatePart(node.get(), 1, kDateMonth, 2, clock), (CalendarDate{2026, 2, 28}));
  EXPECT_EQ(StoreDatePart(node.get(), 2, kDateYear, 2025, clock), (CalendarDate{2025, 3, 31}));
  // Date 1 now lies after date 2: the filter takes 31 March 2025 to 28 February 2026.
  TimeFilter filter(clock);
  ASSERT_TRUE(filter.Load(node.get()));
  EXPECT_EQ(filter.Lower(), clock.ToUtc(At(2025, 3, 31)));
  EXPECT_EQ(filter.Upper(), clock.ToUtc(At(2026, 3, 1)) - 1);
}

}  // namespace
}  // namespace tf
