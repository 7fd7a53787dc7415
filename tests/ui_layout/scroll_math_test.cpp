#include "ui/scroll_math.h"
#include "ui/column_widths.h"
#include "ui/tick_counter.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(ScrollMath, StepsFollowTheViewExtent) {
  EXPECT_EQ(ScrollMath::LineStep(200), 10);
  EXPECT_EQ(ScrollMath::PageStep(true, 200), 195);
  EXPECT_EQ(ScrollMath::LineStep(1000), 20);
  EXPECT_EQ(ScrollMath::PageStep(false, 1000), 1000);
  EXPECT_EQ(ScrollMath::LineStep(19), 1);
  EXPECT_EQ(ScrollMath::LineStep(0), 1);

  ScrollMath scroll(600, 2000);
  scroll.SetView(200, 1000);
  EXPECT_TRUE(scroll.Scroll(true, kScrollLineDown));
  EXPECT_EQ(scroll.x(), 10);
  EXPECT_TRUE(scroll.Scroll(true, kScrollPageDown));
  EXPECT_EQ(scroll.x(), 205);
  EXPECT_TRUE(scroll.Scroll(false, kScrollLineDown));
  EXPECT_EQ(scroll.y(), 20);
}

TEST(ScrollMath, BarsAppearOnlyForContentLargerThanTheView) {
  ScrollMath scroll(300, 400);
  EXPECT_FALSE(scroll.horizontalBar().visible);
  EXPECT_FALSE(scroll.verticalBar().visible);

  scroll.SetView(299, 500);  // one pixel short across; taller than the content
  EXPECT_EQ(scroll.horizontalBar().maximum, 1);
  EXPECT_TRUE(scroll.horizontalBar().visible);
  EXPECT_EQ(scroll.horizontalBar().page, 299);
  EXPECT_FALSE(scroll.verticalBar().visible);
  EXPECT_EQ(scroll.contentHeight(), 500);  // content grows with the view
  EXPECT_EQ(scroll.contentWidth(), 300);   // never below its initial size
}

TEST(ScrollMath, ScrollRequestsAreClampedToTheRange) {
  ScrollMath scroll(500, 500);
  scroll.SetView(200, 200);  // maxima 300
  EXPECT_FALSE(scroll.Scroll(false, kScrollLineUp));
  EXPECT_TRUE(scroll.Scroll(false, kScrollThumbPosition, 1000));
  EXPECT_EQ(scroll.y(), 300);
  EXPECT_FALSE(scroll.Scroll(false, kScrollPageDown));
  EXPECT_FALSE(scroll.Scroll(false, kScrollThumbTrack, 10));
  EXPECT_EQ(scroll.y(), 300);
  EXPECT_TRUE(scroll.Scroll(false, kScrollTop));
  EXPECT_EQ(scroll.y(), 0);
  EXPECT_TRUE(scroll.Scroll(true, kScrollBottom));
  EXPECT_EQ(scroll.x(), 300);
  EXPECT_TRUE(scroll.Scroll(true, kScrollThumbPosition, -5));
  EXPECT_EQ(scroll.x(), 0);
}

TEST(ScrollMath, GrowingViewGivesTheGrowthBackFromThePosition) {
  ScrollMath scroll(400, 400);
  scroll.SetView(200, 200);
  scroll.Scroll(true, kScrollThumbPosition, 30);
  scroll.SetView(250, 200);
  EXPECT_EQ(scroll.x(), 0);

  scroll.Scroll(true, kScrollThumbPosition, 100);
  scroll.Scroll(false, kScrollThumbPosition, 100);
  scroll.SetView(270, 150);  // 20 wider, 50 lower: only the widened axis moves
  EXPECT_EQ(scroll.x(), 80);
  EXPECT_EQ(scroll.y(), 100);

  scroll.SetView(500, 500);  // content no larger than the view: nothing to scroll
  EXPECT_EQ(scroll.x(), 0);
  EXPECT_EQ(scroll.y(), 0);
  EXPECT_FALSE(scroll.Key(ScrollKey::Down, false));
}

TEST(ScrollMath, KeysMoveLinesPagesAndEnds) {
  ScrollMath scroll(1000, 1000);
  scroll.SetView(200, 400);
  EXPECT_TRUE(scroll.Key(ScrollKey::Down, false));
  EXPECT_EQ(scroll.y(), 20);
  EXPECT_TRUE(scroll.Key(ScrollKey::Down, true));
  EXPECT_EQ(scroll.y(), 420);
  EXPECT_TRUE(scroll.Key(ScrollKey::End, false));
  EXPECT_EQ(scroll.y(), 600);
  EXPECT_TRUE(scroll.Key(ScrollKey::Right, true));
  EXPECT_EQ(scroll.x(), 195);
  EXPECT_TRUE(scroll.Key(ScrollKey::Left, false));
  EXPECT_EQ(scroll.x(), 185);
  EXPECT_TRUE(scroll.Key(ScrollKey::End, true));
  EXPECT_EQ(scroll.x(), 800);
  EXPECT_TRUE(scroll.Key(ScrollKey::Home, false));
  EXPECT_EQ(scroll.y(), 0);
  EXPECT_EQ(scroll.x(), 800);
  EXPECT_TRUE(scroll.Key(ScrollKey::Home, true));
  EXPECT_EQ(scroll.x(), 0);
  EXPECT_FALSE(scroll.Key(ScrollKey::Up, false));
}

TEST(ColumnWidths, PercentagesShareWhatThePixelColumnsLeave) {
  EXPECT_EQ(ComputeColumnWidths({120, -50, -50, 0}, 3, 420, 0), (std::vector<int>{120, 150, 150}));
  // A scroll-bar arrow is taken from the rest first.
  EXPECT_EQ(ComputeColumnWidths({100, -100, 0}, 2, 416, 16), (std::vector<int>{100, 300}));
  // Pixel entries count even for columns the list lacks; widths stop at the last column.
  EXPECT_EQ(ComputeColumnWidths({-50, 100, 0}, 1, 300, 0), (std::vector<int>{100}));
  // The table ends at its first 0.
  EXPECT_EQ(ComputeColumnWidths({60, 0, 70}, 3, 300, 0), (std::vector<int>{60}));
  // Pixel columns wider than the list leave nothing, never a negative width.
  EXPECT_EQ(ComputeColumnWidths({500, -50, 0}, 2, 300, 0), (std::vector<int>{500, 0}));
  EXPECT_TRUE(ComputeColumnWidths({}, 4, 300, 0).empty());
}

TEST(TickCounter, CountsWholeSecondsWhileRunningAndDropsTheFraction) {
  TickCounter ticks;
  EXPECT_EQ(ticks.Tick(true, 100), TickCounter::Action::Busy);
  EXPECT_EQ(ticks.seconds(), 0);  // not running: nothing counted

  ticks.SetRunning(1, 1000);
  ticks.Tick(true, 1999);
  EXPECT_EQ(ticks.seconds(), 0);
  ticks.Tick(true, 2700);  // 1.7 s: one second, counting restarts at 2700
  EXPECT_EQ(ticks.seconds(), 1);
  ticks.Tick(true, 4800);
  EXPECT_EQ(ticks.seconds(), 3);
  EXPECT_EQ(ticks.Tick(false, 9000), TickCounter::Action::Inactive);
  EXPECT_EQ(ticks.seconds(), 3);  // inactive ticks do not count

  // A running state other than 1 starts counting at its first active tick.
  TickCounter other;
  other.SetRunning(2, 0);
  other.Tick(true, 5000);
  EXPECT_EQ(other.seconds(), 0);
  other.Tick(true, 6000);
  EXPECT_EQ(other.seconds(), 1);
}

}  // namespace
}  // namespace tf
