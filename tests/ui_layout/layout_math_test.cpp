// The layout arithmetic of the window's containers, without a display: the split between
// two panes, the scroll position over a larger content, column widths and the busy tick.
#include "ui/layout/column_widths.h"
#include "ui/layout/scroll_math.h"
#include "ui/layout/split_layout.h"
#include "ui/layout/tick_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tf {
namespace {

LayoutRect Columns(int left, int right, int height) {
  return {left, 0, right, height};
}

// Random runs of container sizes, shown-pane requests (including unknown ones), missing
// panes and fixed panes, checked against what a user must see: a pane shown alone fills
// the container; with both shown and present, the first pane, the bar and the second
// tile it without gap or overlap, a fixed pane keeps its size while it fits, and else the
// first pane's share is the ratio of what the bar leaves, truncated; a container no
// wider than the bar holds only the bar.
TEST(SplitLayout, RandomRunsTileTheContainer) {
  std::mt19937 random(3);
  const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
  for (int round = 0; round < 400; ++round) {
    const bool stacked = pick(2);
    const double ratio = pick(1000) / 1000.0;
    SplitLayout split(stacked, ratio);
    bool shown[2] = {true, true}, present[2] = {true, true};
    int fixedPane = kNoPane, fixedSize = 0;
    for (int step = 0; step < 30; ++step) {
      switch (pick(4)) {
        case 0: {
          const int requests[2] = {pick(4), pick(4)};  // 3 keeps the state
          split.ShowPanes(requests[0], requests[1]);
          for (int p : {0, 1})
            shown[p] = requests[p] == 2 ? !shown[p] : requests[p] < 2 ? requests[p] == 1 : shown[p];
          break;
        }
        case 1:
          present[0] = pick(4), present[1] = pick(4);
          split.setPanesPresent(present[0], present[1]);
          break;
        case 2:
          fixedPane = pick(3) - 1;
          fixedSize = split.SetFixedPane(fixedPane == kNoPane ? kFirstPane : fixedPane,
                                         fixedPane != kNoPane);
          break;
        default:
          break;
      }
      const int length = pick(1200), across = 1 + pick(300);
      stacked ? split.Compute(across, length) : split.Compute(length, across);
      const LayoutRect client =
          stacked ? LayoutRect{0, 0, across, length} : LayoutRect{0, 0, length, across};
      const LayoutRect none{};
      const auto start = [&](const LayoutRect& r) { return stacked ? r.top : r.left; };
      const auto end = [&](const LayoutRect& r) { return stacked ? r.bottom : r.right; };
      if (!present[0] && !present[1]) {
        ASSERT_TRUE(split.first() == none && split.second() == none && split.bar() == none);
      } else if (shown[0] != shown[1]) {
        ASSERT_EQ(shown[0] ? split.first() : split.second(), client);
        ASSERT_EQ(shown[0] ? split.second() : split.first(), none);
        ASSERT_FALSE(split.barShown());
      } else if (!shown[0]) {
        ASSERT_FALSE(split.barShown());  // nothing to see
      } else if (length <= kSplitBarThickness) {
        ASSERT_TRUE(split.first() == none && split.second() == none);
        ASSERT_EQ(end(split.bar()), kSplitBarThickness);
      } else if (present[0] != present[1]) {
        ASSERT_EQ(present[0] ? split.first() : split.second(), client);
      } else {
        const int available = length - kSplitBarThickness;
        ASSERT_EQ(start(split.first()), 0);
        ASSERT_EQ(end(split.first()), start(split.bar())) << ratio << " " << length;
        ASSERT_EQ(end(split.bar()) - start(split.bar()), kSplitBarThickness);
        ASSERT_EQ(end(split.bar()), start(split.second()));
        ASSERT_EQ(end(split.second()), length);
        ASSERT_EQ(stacked ? split.first().width() : split.first().height(), across);
        const LayoutRect& fixed = fixedPane == kFirstPane ? split.first() : split.second();
        if (fixedPane == kNoPane) {
          ASSERT_EQ(end(split.first()), static_cast<int>(available * split.ratio()));
        } else if (fixedSize < 0) {  // unknown: it learns the size it gets now
          fixedSize = end(fixed) - start(fixed);
        } else if (fixedSize <= available) {
          ASSERT_EQ(end(fixed) - start(fixed), fixedSize);
        }
      }
    }
  }
}

// A ratio of 1 once made the next layout derive a negative ratio from an unknown fixed
// size and hide the first pane for good.
TEST(SplitLayout, RatioOfOneLeavesTheBarAtTheFarEndAndStaysUsable) {
  SplitLayout split(false, 1.0);
  split.Compute(204, 100);
  EXPECT_EQ(split.first(), Columns(0, 200, 100));
  EXPECT_EQ(split.bar(), Columns(200, 204, 100));
  split.Compute(404, 100);
  EXPECT_EQ(split.first(), Columns(0, 400, 100));

  SplitLayout fixed(false, 0.5);
  fixed.Compute(204, 100);
  fixed.SetFixedPane(kFirstPane, true);  // 100
  fixed.SetRatio(1.0);
  fixed.Compute(304, 100);
  EXPECT_EQ(fixed.first().width(), 100);
  EXPECT_EQ(fixed.second(), Columns(104, 304, 100));
}

// A drag beyond either pane stops at its end; a ratio outside 0..1 is refused.
TEST(SplitLayout, RatiosStayWithinTheContainer) {
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(10, 50, 400), 0.0);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(900, 50, 400), 1.0);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(60, 50, 0), 0.0);
  SplitLayout split(false, 0.5);
  EXPECT_TRUE(split.SetPaneSize(kFirstPane, 150, 404));
  EXPECT_FALSE(split.SetPaneSize(kFirstPane, 150, 4));
  EXPECT_DOUBLE_EQ(split.SetRatio(1.5), 150.0 / 400);  // refused: the ratio stays
}

TEST(ContainerState, SuppressBitKeepsTheContainerHidden) {
  int state = CombineContainerState(0, 1);
  EXPECT_TRUE(ContainerVisible(state));
  state = CombineContainerState(state, kContainerSuppress);
  EXPECT_FALSE(ContainerVisible(state));
  state = CombineContainerState(state, 2);  // toggled off while suppressed
  state = CombineContainerState(state, 2);  // and on again
  EXPECT_FALSE(ContainerVisible(state));
  state = CombineContainerState(state, kContainerUnsuppress);
  EXPECT_TRUE(ContainerVisible(state));
  EXPECT_EQ(CombineContainerState(state, 9), state);
}

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
