#include "ui/layout/scroll_math.h"
#include "ui/layout/column_widths.h"
#include "ui/layout/tick_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tf {
namespace {

// Random resizes, scroll requests and keys: the position never leaves its range, the
// range is what the content exceeds the view by, a request reports exactly whether it
// moved, and a grown view gives its growth back from the position.
TEST(ScrollMath, RandomRequestsKeepThePositionInRange) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const int initialWidth = 1 + static_cast<int>(random() % 800);
    const int initialHeight = 1 + static_cast<int>(random() % 800);
    ScrollMath scroll(initialWidth, initialHeight);
    for (int step = 0; step < 60; ++step) {
      const int x = scroll.x(), y = scroll.y(), viewWidth = scroll.viewWidth();
      bool resized = false, reported = false;
      switch (random() % 3) {
        case 0: {
          const int width = 1 + static_cast<int>(random() % 1000);
          scroll.SetView(width, 1 + static_cast<int>(random() % 1000));
          if (width >= viewWidth) {
            ASSERT_EQ(scroll.x(), std::max(0, x - (width - viewWidth)));
          }
          resized = true;
          break;
        }
        case 1:
          reported = scroll.Scroll(random() % 2, static_cast<int>(random() % 9),
                                   static_cast<int>(random() % 1200) - 100);
          break;
        default:
          reported = scroll.Key(static_cast<ScrollKey>(random() % 6), random() % 2);
      }
      ASSERT_EQ(scroll.contentWidth(), std::max(initialWidth, scroll.viewWidth()));
      ASSERT_EQ(scroll.contentHeight(), std::max(initialHeight, scroll.viewHeight()));
      for (const ScrollMath::Bar& bar : {scroll.horizontalBar(), scroll.verticalBar()}) {
        ASSERT_GE(bar.maximum, 0);
        ASSERT_EQ(bar.visible, bar.maximum > 0);
        ASSERT_GE(bar.position, 0);
        ASSERT_LE(bar.position, bar.maximum);
      }
      ASSERT_EQ(scroll.horizontalBar().maximum,
                std::max(0, scroll.contentWidth() - scroll.viewWidth()));
      ASSERT_EQ(scroll.x(), scroll.horizontalBar().position);
      if (!resized) {
        ASSERT_EQ(reported, scroll.x() != x || scroll.y() != y);
      }
    }
  }
}

// What the random walk cannot tell (the keys' axes are the scroll window's test): a thumb
// drag waits for its drop, and a view too small to divide into lines still steps.
TEST(ScrollMath, TrackingWaitsForTheDropAndTinyViewsStillStep) {
  ScrollMath scroll(1000, 1000);
  scroll.SetView(200, 400);
  EXPECT_FALSE(scroll.Scroll(false, kScrollThumbTrack, 10));
  EXPECT_EQ(scroll.y(), 0);
  EXPECT_EQ(ScrollMath::LineStep(0), 1);
}

TEST(ColumnWidths, PercentagesShareWhatThePixelColumnsLeave) {
  EXPECT_EQ(ComputeColumnWidths({120, -50, -50, 0}, 3, 420, 0), (std::vector<int>{120, 150, 150}));
  // A scroll-bar arrow is taken from the rest first.
  EXPECT_EQ(ComputeColumnWidths({100, -100, 0}, 2, 416, 16), (std::vector<int>{100, 300}));
  // Pixel entries count even for columns the list lacks; the table ends at its first 0.
  EXPECT_EQ(ComputeColumnWidths({-50, 100, 0}, 1, 300, 0), (std::vector<int>{100}));
  EXPECT_EQ(ComputeColumnWidths({60, 0, 70}, 3, 300, 0), (std::vector<int>{60}));
  // Pixel columns wider than the list leave nothing, never a negative width.
  EXPECT_EQ(ComputeColumnWidths({500, -50, 0}, 2, 300, 0), (std::vector<int>{500, 0}));
}

TEST(TickCounter, CountsWholeSecondsWhileRunningAndDropsTheFraction) {
  TickCounter ticks;
  ticks.Tick(true, 100);
  EXPECT_EQ(ticks.seconds(), 0);  // not running: nothing counted
  ticks.SetRunning(1, 1000);
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
  other.Tick(true, 6000);
  EXPECT_EQ(other.seconds(), 1);
}

}  // namespace
}  // namespace tf
