#include "scan/time_filter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datatree/node_ptr.h"
#include "scan/filter_nodes.h"
#include "tests/scan/central_europe_clock.h"

namespace tf {
namespace {

using testing::CentralEuropeClock;
using testing::kHour;

LocalTime at(int y, int mo, int d, int h = 0, int mi = 0) {
  return testing::At(y, mo, d, h, mi);
}

class TimeFilterTest : public ::testing::Test {
 protected:
  // Loads a filter for `choice` with the clock standing at `now` (local time).
  void load(const LocalTime& now, int32_t choice) {
    m_clock = std::make_unique<CentralEuropeClock>(now);
    SetFilterEnabled(node(), 1);
    SetTimeSwitch(node(), choice);
    m_filter = std::make_unique<TimeFilter>(*m_clock);
    m_filter->Load(node());
  }
  DataNode* node() {
    if (!m_node) m_node.reset(CreateTimeFilterNode(nullptr, UtcFilterClock()));
    return m_node.get();
  }
  int64_t local(const LocalTime& t) const { return m_clock->ToUtc(t); }
  // The filter's bounds, checked one tick outside each as well.
  void expectBounds(int64_t lower, int64_t upper) {
    EXPECT_EQ(m_filter->Lower(), lower);
    EXPECT_EQ(m_filter->Upper(), upper);
    EXPECT_TRUE(takesModified(lower));
    EXPECT_TRUE(takesModified(upper));
    if (lower > 0) {
      EXPECT_FALSE(takesModified(lower - 1));
    }
    if (upper < INT64_MAX) {
      EXPECT_FALSE(takesModified(upper + 1));
    }
  }
  void expectPeriod(const LocalTime& first, const LocalTime& last) {
    const int64_t endOfLast = local(at(last.year, last.month, last.day + 1)) - 1;
    expectBounds(local(first), endOfLast);
  }
  bool takesModified(int64_t t) {
    FileInfo info;
    info.lastWriteTime = t;
    return m_filter->Match(info);
  }

  NodePtr m_node;
  std::unique_ptr<CentralEuropeClock> m_clock;
  std::unique_ptr<TimeFilter> m_filter;
};

// Today, this week (from Sunday) and this month run from a local midnight to the last
// tick of today.
TEST_F(TimeFilterTest, CurrentPeriodsRunFromLocalMidnightToTheLastTick) {
  load(at(2026, 6, 10, 15), 42);  // unknown choice: today
  expectPeriod(at(2026, 6, 10), at(2026, 6, 10));
  load(at(2026, 6, 14, 10), 1);  // a Sunday: that day only
  expectPeriod(at(2026, 6, 14), at(2026, 6, 14));
  load(at(2026, 6, 13, 10), 1);  // a Saturday: the whole week
  expectPeriod(at(2026, 6, 7), at(2026, 6, 13));
  // Summer time began on Sunday 29 March 2026; the week still starts at its midnight,
  // which lies 47 hours, not 48, before Tuesday's.
  load(at(2026, 3, 31, 12), 1);
  expectPeriod(at(2026, 3, 29), at(2026, 3, 31));
  EXPECT_EQ(local(at(2026, 3, 31)) - m_filter->Lower(), 47 * kHour);
  load(at(2026, 3, 31, 23, 59), 2);
  expectPeriod(at(2026, 3, 1), at(2026, 3, 31));
}

TEST_F(TimeFilterTest, PreviousPeriodsAreCalendarPeriods) {
  // Units: 0 days, 1 weeks, 2 months (cut to the month's length), unknown as days.
  const struct {
    int32_t value, units;
    LocalTime now, first;
  } cases[] = {
      {1, 2, at(2028, 3, 31, 9), at(2028, 2, 29)},    // cut to a leap February
      {14, 2, at(2026, 2, 15, 9), at(2024, 12, 15)},  // more than a year back
      {3, 9, at(2026, 3, 1, 9), at(2026, 2, 26)},
      {-5, 0, at(2026, 3, 1, 9), at(2026, 3, 1)},  // never into the future: today only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " " + std::to_string(c.units));
    SetTimePrevValue(node(), c.value);
    SetTimePrevUnits(node(), c.units);
    load(c.now, 3);
    expectPeriod(c.first, c.now);
  }
  SetTimePrevValue(node(), 2000000000);  // back past 1601: from the start of time
  load(at(2026, 3, 1, 9), 3);
  EXPECT_EQ(m_filter->Lower(), 0);
}

TEST_F(TimeFilterTest, DatesAreReadAsLocalDays) {
  load(at(2026, 6, 10), 0);
  // 00:30 on 6 May local is still 5 May in UTC: the filter goes by the local day.
  SetTimeDate1(node(), local(at(2026, 5, 6, 0, 30)));
  SetTimeDate2(node(), local(at(2026, 5, 20, 18)));

  SetTimeDateMode(node(), 0);  // after
  load(at(2026, 6, 10), 4);
  expectBounds(local(at(2026, 5, 6)), INT64_MAX);
  SetTimeDateMode(node(), 7);  // unknown: before
  load(at(2026, 6, 10), 4);
  expectBounds(0, local(at(2026, 5, 6)));

  // A damaged date far beyond any file time does not overflow the bounds.
  SetTimeDate1(node(), INT64_MAX);
  SetTimeDateMode(node(), 0);
  load(at(2026, 6, 10), 4);
  EXPECT_FALSE(takesModified(local(at(2026, 6, 10))));

  // Between, whole local days (the date editors' tests store a reversed range).
  SetTimeDate1(node(), local(at(2026, 5, 6, 0, 30)));
  SetTimeDateMode(node(), 2);
  load(at(2026, 6, 10), 4);
  expectPeriod(at(2026, 5, 6), at(2026, 5, 20));
}

TEST_F(TimeFilterTest, MissingTimesFallBack) {
  load(at(2026, 6, 10, 12), 0);
  const int64_t in = local(at(2026, 6, 10, 8));
  const int64_t out = local(at(2026, 6, 1, 8));
  auto takes = [this](int mode, int64_t written, int64_t created, int64_t accessed) {
    SetTimeMode(node(), mode);
    m_filter->Load(node());
    FileInfo info;
    info.lastWriteTime = written;
    info.creationTime = created;
    info.lastAccessTime = accessed;
    return m_filter->Match(info);
  };
  EXPECT_TRUE(takes(TimeFilter::kModified, 0, in, out));  // judged by creation
  EXPECT_TRUE(takes(TimeFilter::kModified, 0, 0, in));
  EXPECT_FALSE(takes(TimeFilter::kModified, out, in, in));
  EXPECT_TRUE(takes(TimeFilter::kCreated, in, 0, out));
  EXPECT_TRUE(takes(TimeFilter::kAccessed, in, out, 0));
  EXPECT_TRUE(takes(9, in, out, out));  // unknown mode: modified
  EXPECT_FALSE(takes(TimeFilter::kModified, 0, 0, 0));
}

TEST(FilterClock, CalendarArithmetic) {
  EXPECT_EQ(DayOfWeek(1601, 1, 1), 1);
  EXPECT_EQ(DayOfWeek(2026, 12, 6), 0);
  // Every day of four centuries converts to a date and back.
  for (int64_t days = 0; days < 146097 * 4; ++days) {
    int y, m, d;
    CivilFromDays(days, &y, &m, &d);
    ASSERT_EQ(DaysFromCivil(y, m, d), days);
    ASSERT_TRUE(d >= 1 && d <= DaysInMonth(y, m));
  }
  UtcFilterClock clock;
  EXPECT_EQ(clock.ToUtc(clock.ToLocal(kFileTimeUnixEpoch)), kFileTimeUnixEpoch);
  EXPECT_EQ(clock.ToLocal(kFileTimeUnixEpoch).year, 1970);
}

}  // namespace
}  // namespace tf
