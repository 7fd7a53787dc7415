// File filters: masks against brute force, stored descriptors, time in a zone with summer time.
#include "scan/mask_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "datatree/node_ptr.h"
#include "scan/attribute_filter.h"
#include "scan/filter_editing.h"
#include "scan/filter_nodes.h"
#include "scan/filter_set.h"
#include "scan/name_filter.h"
#include "scan/size_filter.h"
#include "scan/time_filter.h"

namespace tf {
namespace {

bool matches(std::initializer_list<const char*> masks, const std::string& name) {
  MaskList list;
  for (const char* m : masks) list.Add(m);
  return list.Match(name);
}

// The extension rules around the dot, which the random comparison below cannot draw.
TEST(MaskList, ExtensionsAroundTheDotListsAndLimits) {
  const struct {
    const char* mask;
    const char* name;
    bool expected;
  } cases[] = {
      {"*.ete", "x.été", false},       // accents are not dropped
      {"readme", "README.TXT", true},  // no dot: any extension
      {"readme", "my.readme", false},
      // A leading dot and names below three characters have no extension.
      {"*.profile", ".profile", false},
      {"ab.*", "ab", true},
      // "*." (below 3 characters): no extension or an empty one; "ab.": only a final dot.
      {"*.", "makefile", true},
      {"*.", "main.c", false},
      {"abc.", "abc", false},
      {"<_-z>", "Q", true},  // the range holds 'q'
      {"a<b", "a<b", true},  // a '<' without its '>' is itself
  };
  for (const auto& c : cases)
    EXPECT_EQ(matches({c.mask}, c.name), c.expected) << c.mask << " " << c.name;
  EXPECT_TRUE(matches({"", "*.h", "*.c"}, "x.c"));
  MaskList list;
  for (int i = 0; i < MaskList::kMaxMasks; ++i) list.Add("*.x" + std::to_string(i));
  EXPECT_FALSE(list.Add("*.last"));
  EXPECT_TRUE(list.Match("a.x" + std::to_string(MaskList::kMaxMasks - 1)));
  EXPECT_FALSE(list.Match("a.last"));
}

// Reference: masks and names as token lists, matched by plain recursion.
using Tokens = std::vector<std::string>;

std::string folded(const std::string& t) {
  if (t == "A") return "a";
  if (t == "É") return "é";
  return t;
}

bool tokenTakes(const std::string& m, const std::string& c) {
  if (m == "?") return true;
  if (m == "<a-b>") return folded(c) == "a" || folded(c) == "b";
  if (m == "<é>") return folded(c) == "é";
  return folded(m) == folded(c);
}

bool reference(const Tokens& m, size_t i, const Tokens& n, size_t j) {
  if (i == m.size()) return j == n.size();
  if (m[i] == "*") return reference(m, i + 1, n, j) || (j < n.size() && reference(m, i, n, j + 1));
  return j < n.size() && tokenTakes(m[i], n[j]) && reference(m, i + 1, n, j + 1);
}

std::string joined(const Tokens& t) {
  std::string s;
  for (const auto& x : t) s += x;
  return s;
}

TEST(MaskList, WildcardAgreesWithBruteForce) {
  // Stray non-UTF-8 bytes are one character each; a lone lead byte (C3) stays a byte.
  const Tokens maskAlphabet = {"a", "b", "A", "é", "É", "\xff", "*", "*", "?", "<a-b>", "<é>"};
  const Tokens nameAlphabet = {"a", "b", "A", "é", "É", "c", "\xff", "\xc3"};
  std::mt19937 rng(20261206);
  auto pick = [&rng](const Tokens& from, int maxLen, int minLen) {
    Tokens t(std::uniform_int_distribution<int>(minLen, maxLen)(rng));
    for (auto& x : t) x = from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
    return t;
  };
  int positives = 0;
  for (int round = 0; round < 3000; ++round) {
    const Tokens mask = pick(maskAlphabet, 7, 1);
    MaskList list;
    list.Add(joined(mask));
    for (int k = 0; k < 20; ++k) {
      const Tokens name = pick(nameAlphabet, 9, 1);
      const bool expected = reference(mask, 0, name, 0);
      positives += expected;
      ASSERT_EQ(list.Match(joined(name)), expected)
          << "mask " << joined(mask) << " name " << joined(name);
    }
  }
  EXPECT_GT(positives, 1000);  // the draw is not all misses
}

NodePtr nameNode(const char* include, const char* exclude = nullptr) {
  NodePtr node(CreateNameFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  if (include) SetNameInclude(node.get(), include);
  if (exclude) SetNameExclude(node.get(), exclude);
  return node;
}

TEST(NameFilter, ReadsMaskTextLikeTheEditorsWriteIt) {
  auto takes = [](const std::string& include, const char* exclude, const char* name) {
    NodePtr node = nameNode(include.c_str(), exclude);
    NameFilter f;
    f.Load(node.get());
    return f.MatchName(name);
  };
  EXPECT_TRUE(takes(" *.doc , *.txt", "*.bak;~*", "B.TXT"));
  EXPECT_FALSE(takes(" *.doc , *.txt", "*.bak;~*", "~lock.txt"));
  for (const char* all : {"*.doc;*.*;*.txt", "*.txt,*", "   "})
    EXPECT_TRUE(takes(all, nullptr, "noext")) << "'" << all << "'";
  EXPECT_TRUE(takes("*.bak", ";*.bak", "a.bak"));  // a leading ';' excludes nothing
  // Past 1023 bytes the text is ignored, even in the middle of a mask: 'h' is byte 1024.
  const std::string text = "*.q" + std::string(1010, 'z') + ";*.abcdefgh";
  EXPECT_TRUE(takes(text, nullptr, "x.abcdefg"));
  EXPECT_FALSE(takes(text, nullptr, "x.abcdefgh"));
}

bool sizeTakes(int32_t choice, int32_t value, int32_t units, int64_t size) {
  NodePtr node(CreateSizeFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  SetSizeSwitch(node.get(), choice);
  SetSizeValue1(node.get(), value);
  SetSizeUnits1(node.get(), units);
  SizeFilter f;
  f.Load(node.get());
  return f.Match(FileInfo{"", size});
}

TEST(SizeAndAttributeFilters, LargeSizesAndUnknownCodesFallBack) {
  // Switch 0 at least, 1 at most; units 0 KB, 2 GB.
  EXPECT_FALSE(sizeTakes(0, 3, 2, 3221225471LL));  // 3 GB: beyond 32 bits
  EXPECT_TRUE(sizeTakes(0, 3, 2, 3221225472LL));
  EXPECT_FALSE(sizeTakes(1, 5, 9, 5121));  // unknown unit: KB
  EXPECT_FALSE(sizeTakes(7, 1, 0, 1023));  // unknown switch: at least
  NodePtr node(CreateAttributeFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  SetAttrSystem(node.get(), 2);
  SetAttrArchive(node.get(), 5);  // unknown rule: ignored
  AttributeFilter f;
  f.Load(node.get());
  auto takes = [&f](uint32_t attributes) { return f.Match(FileInfo{"", 0, 0, 0, 0, attributes}); };
  EXPECT_TRUE(takes(kAttrHidden | kAttrReadOnly | kAttrArchive));
  EXPECT_FALSE(takes(kAttrHidden | kAttrSystem));
}

// The scan asks the name while listing and the rest after a stat; neither asks the other's.
TEST(FilterSet, BuildsActiveFiltersAndSplitsNameFromStat) {
  NodePtr filters(CreateNode(nullptr, "filters", ATTACH_ROOT));
  UtcFilterClock clock;
  DataNode* name = CreateNameFilterNode(filters.get());
  DataNode* size = CreateSizeFilterNode(filters.get());
  CreateTimeFilterNode(filters.get(), clock);
  CreateAttributeFilterNode(filters.get());
  FilterSet set;
  EXPECT_EQ(set.LoadFrom(filters.get(), clock), 0);  // all disabled
  FileInfo big{"a.jpg", 5 << 20, 0, 0, 0, 0};
  SetFilterEnabled(name, 1);
  SetNameInclude(name, "*.jpg");
  SetFilterEnabled(size, 1);
  SetSizeSwitch(size, 1);  // at most 1 MB
  EXPECT_EQ(set.LoadFrom(filters.get(), clock), 2);
  EXPECT_FALSE(set.Match(big));
  EXPECT_FALSE(set.MatchName("b.png"));
  EXPECT_TRUE(set.MatchName("a.jpg"));                  // the size is not asked
  EXPECT_TRUE(set.MatchInfo(FileInfo{"b.png", 1000}));  // the name is not asked again
  EXPECT_FALSE(set.MatchInfo(big));
}

constexpr int64_t kHour = 3600 * kFileTimeSecond;

// UTC+1, and UTC+2 from the last Sunday of March to that of October, at 01:00 UTC.
class CentralEuropeClock : public FilterClock {
 public:
  explicit CentralEuropeClock(const LocalTime& now) : m_now(ToUtc(now)) {}
  int64_t NowUtc() const override { return m_now; }
  LocalTime ToLocal(int64_t utc) const override { return m_utc.ToLocal(utc + offset(utc)); }
  int64_t ToUtc(const LocalTime& t) const override {
    const int64_t wall = m_utc.ToUtc(t);
    return offset(wall - 2 * kHour) == 2 * kHour ? wall - 2 * kHour : wall - kHour;
  }

 private:
  static int64_t lastSunday(int year, int month) {
    const int last = DaysInMonth(year, month);
    return DaysFromCivil(year, month, last - DayOfWeek(year, month, last));
  }
  int64_t offset(int64_t utc) const {
    const int year = m_utc.ToLocal(utc).year;
    const int64_t begin = lastSunday(year, 3) * kFileTimeDay + kHour;
    const int64_t end = lastSunday(year, 10) * kFileTimeDay + kHour;
    return utc >= begin && utc < end ? 2 * kHour : kHour;
  }
  UtcFilterClock m_utc;
  int64_t m_now;
};

LocalTime at(int y, int mo, int d, int h = 0, int mi = 0) {
  LocalTime t;
  t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi;
  return t;
}

class TimeFilterTest : public ::testing::Test {
 protected:
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
  void expectBounds(int64_t lower, int64_t upper) {
    EXPECT_TRUE(takesModified(lower) && takesModified(upper));
    EXPECT_TRUE(lower == 0 || !takesModified(lower - 1));
    EXPECT_TRUE(upper == INT64_MAX || !takesModified(upper + 1));
  }
  void expectPeriod(const LocalTime& first, const LocalTime& last) {
    const int64_t endOfLast = local(at(last.year, last.month, last.day + 1)) - 1;
    expectBounds(local(first), endOfLast);
  }
  bool takesModified(int64_t t) { return m_filter->Match(FileInfo{"", 0, t}); }
  NodePtr m_node;
  std::unique_ptr<CentralEuropeClock> m_clock;
  std::unique_ptr<TimeFilter> m_filter;
};

TEST_F(TimeFilterTest, CurrentPeriodsRunFromLocalMidnightToTheLastTick) {
  load(at(2026, 6, 10, 15), 42);  // unknown choice: today
  expectPeriod(at(2026, 6, 10), at(2026, 6, 10));
  load(at(2026, 6, 14, 10), 1);  // a Sunday: that day only
  expectPeriod(at(2026, 6, 14), at(2026, 6, 14));
  load(at(2026, 6, 13, 10), 1);  // a Saturday: the whole week
  expectPeriod(at(2026, 6, 7), at(2026, 6, 13));
  // Summer time began on Sunday 29 March 2026: its midnight lies 47 hours before Tuesday's.
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

TEST_F(TimeFilterTest, EditedDatesAreReadAsLocalDays) {
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
  SetTimeDateMode(node(), 2);  // between
  load(at(2026, 6, 10), 4);
  expectPeriod(at(2026, 5, 6), at(2026, 5, 20));
  // At local midnight UTC is the day before; 31 May to February is the 28th, after date 2.
  EXPECT_EQ(StoreDatePart(node(), 1, kDateDay, 31, *m_clock), (CalendarDate{2026, 5, 31}));
  EXPECT_EQ(StoreDatePart(node(), 1, kDateMonth, 2, *m_clock), (CalendarDate{2026, 2, 28}));
  EXPECT_EQ(StoreDatePart(node(), 2, kDateYear, 2025, *m_clock), (CalendarDate{2025, 5, 20}));
  load(at(2026, 6, 10), 4);
  expectPeriod(at(2025, 5, 20), at(2026, 2, 28));
  SetTimeDate1(node(), INT64_MAX);  // damaged: must not overflow the bounds
  SetTimeDateMode(node(), 0);
  load(at(2026, 6, 10), 4);
  EXPECT_FALSE(takesModified(local(at(2026, 6, 10))));
}

TEST_F(TimeFilterTest, MissingTimesFallBack) {
  load(at(2026, 6, 10, 12), 0);
  const int64_t in = local(at(2026, 6, 10, 8));
  const int64_t out = local(at(2026, 6, 1, 8));
  auto takes = [this](int mode, int64_t written, int64_t created, int64_t accessed) {
    SetTimeMode(node(), mode);
    m_filter->Load(node());
    return m_filter->Match(FileInfo{"", 0, written, created, accessed});
  };
  EXPECT_TRUE(takes(TimeFilter::kModified, 0, in, out));  // judged by creation
  EXPECT_TRUE(takes(TimeFilter::kModified, 0, 0, in));
  EXPECT_FALSE(takes(TimeFilter::kModified, out, in, in));  // only a missing time falls back
  EXPECT_TRUE(takes(TimeFilter::kCreated, in, 0, out));
  EXPECT_TRUE(takes(TimeFilter::kAccessed, in, out, 0));
  EXPECT_TRUE(takes(9, in, out, out));  // unknown mode: modified
  EXPECT_FALSE(takes(TimeFilter::kModified, 0, 0, 0));
}

TEST(FilterClock, CalendarArithmetic) {
  EXPECT_EQ(DayOfWeek(1601, 1, 1), 1);
  int lastDay = 0;
  for (int64_t days = 0; days < 146097 * 4; ++days) {
    int y, m, d;
    CivilFromDays(days, &y, &m, &d);
    ASSERT_EQ(DaysFromCivil(y, m, d), days);
    ASSERT_TRUE(d == lastDay + 1 ||
                (d == 1 && lastDay == DaysInMonth(y - (m == 1), m == 1 ? 12 : m - 1)));
    lastDay = d;
  }
  UtcFilterClock clock;
  EXPECT_EQ(clock.ToLocal(kFileTimeUnixEpoch).year, 1970);
}

TEST(FilterEditing, TypedValuesStayInRangeAndStoredDatesReadBackAsChosen) {
  EXPECT_EQ(SizeValueFromText("99999999999999999999999999"), INT32_MAX);  // never wrapped
  EXPECT_EQ(SizeValueFromText("-99999999999999999999999999"), 0);
  // A typed text without a closing separator keeps its last mask.
  const std::string documents = "*.doc;*.txt;*.pdf;";
  EXPECT_EQ(AddGroupMasks("*.*", documents), documents);
  EXPECT_EQ(AddGroupMasks("*.*;", "*.zip;"), "*.*;*.zip;");  // kept: not alone
  for (const char* typed : {"*.jpg", "*.jpg ", "*.jpg,"}) {
    auto filter = NameFilter::Make(nameNode(AddGroupMasks(typed, documents).c_str()).get());
    ASSERT_TRUE(filter);
    EXPECT_TRUE(filter->MatchName("beach.JPG") && filter->MatchName("notes.txt")) << typed;
    EXPECT_FALSE(filter->MatchName("song.flac"));
  }
  const CalendarDate date = WithDatePart(CalendarDate{2024, 2, 1}, kDateDay, 29);
  EXPECT_EQ(WithDatePart(date, kDateYear, 2000), (CalendarDate{2000, 2, 29}));
  EXPECT_EQ(WithDatePart(date, kDateYear, 2100), (CalendarDate{2100, 2, 28}));
  // Times of day that summer time skips or repeats, and where UTC is on another date.
  for (int hour : {2, 23}) {
    CentralEuropeClock clock(at(2026, 7, 1, hour, 30));
    for (int64_t day = DaysFromCivil(2024, 1, 1); day < DaysFromCivil(2025, 1, 1); ++day) {
      CalendarDate date;
      CivilFromDays(day, &date.year, &date.month, &date.day);
      const int64_t stored = StoredTimeOfDate(date, clock);
      ASSERT_EQ(StoredDate(stored, clock), date) << hour << " " << day;
      const LocalTime local = clock.ToLocal(stored);
      if (!(date == CalendarDate{2024, 3, 31} && hour == 2)) {
        ASSERT_EQ(local.hour, hour) << day;
        ASSERT_EQ(local.minute, 30) << day;
      }
    }
  }
}

}  // namespace
}  // namespace tf
