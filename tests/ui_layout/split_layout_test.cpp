#include "ui/layout/split_layout.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tf
