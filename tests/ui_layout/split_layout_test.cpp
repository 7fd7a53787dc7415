#include "ui/split_layout.h"

#include <gtest/gtest.h>

#include <random>

namespace tf {
namespace {

LayoutRect Columns(int left, int right, int height) {
  return {left, 0, right, height};
}

// Whatever the size, ratio and direction, the first pane, the bar and the second pane
// tile the container without gap or overlap, and the first pane's share is the ratio of
// what the bar leaves, truncated.
TEST(SplitLayout, PanesAndBarTileTheContainerForAnySizeAndRatio) {
  std::mt19937 random(3);
  for (int round = 0; round < 2000; ++round) {
    const bool stacked = random() % 2;
    const double ratio = (random() % 1000) / 1000.0;
    const int length = 5 + static_cast<int>(random() % 2000);
    const int across = 1 + static_cast<int>(random() % 500);
    SplitLayout split(stacked, ratio);
    stacked ? split.Compute(across, length) : split.Compute(length, across);
    const auto start = [&](const LayoutRect& r) { return stacked ? r.top : r.left; };
    const auto end = [&](const LayoutRect& r) { return stacked ? r.bottom : r.right; };
    ASSERT_EQ(start(split.first()), 0);
    ASSERT_EQ(end(split.first()), start(split.bar())) << ratio << " " << length;
    ASSERT_EQ(end(split.bar()) - start(split.bar()), kSplitBarThickness);
    ASSERT_EQ(end(split.bar()), start(split.second()));
    ASSERT_EQ(end(split.second()), length);
    ASSERT_EQ(stacked ? split.first().width() : split.first().height(), across);
    ASSERT_EQ(end(split.first()), static_cast<int>((length - kSplitBarThickness) * ratio));
  }
}

TEST(SplitLayout, TinyOrHalfEmptyContainers) {
  for (int width : {0, 3, 4}) {
    SplitLayout split(false, 0.5);
    split.Compute(width, 80);
    EXPECT_EQ(split.first(), LayoutRect{}) << width;
    EXPECT_EQ(split.second(), LayoutRect{}) << width;
    EXPECT_EQ(split.bar(), Columns(0, 4, 80)) << width;
  }
  // A pane without a window leaves the whole area to the other; none at all, nothing.
  SplitLayout split(true, 0.5);
  split.setPanesPresent(false, true);
  split.Compute(100, 100);
  EXPECT_EQ(split.second(), (LayoutRect{0, 0, 100, 100}));
  EXPECT_EQ(split.first(), LayoutRect{});
  split.setPanesPresent(false, false);
  split.Compute(100, 100);
  EXPECT_EQ(split.bar(), LayoutRect{});
}

TEST(SplitLayout, ShownPanesAndFixedPanes) {
  SplitLayout split(false, 0.5);
  split.ShowPanes(kPaneShow, kPaneHide);
  split.Compute(300, 200);
  EXPECT_EQ(split.first(), Columns(0, 300, 200));
  EXPECT_FALSE(split.barShown());
  split.ShowPanes(kPaneToggle, kPaneToggle);  // first hidden, second shown
  split.Compute(300, 200);
  EXPECT_EQ(split.second(), Columns(0, 300, 200));
  EXPECT_EQ(split.first(), LayoutRect{});
  split.ShowPanes(kPaneShow, 7);  // 7 keeps the second pane as it is
  EXPECT_TRUE(split.barShown());

  // A fixed pane keeps its size while the container shrinks, down to nothing for the
  // other; released, the panes share by the ratio again.
  split.Compute(204, 100);
  EXPECT_EQ(split.SetFixedPane(kSecondPane, true), 100);
  split.Compute(104, 100);
  EXPECT_EQ(split.second(), Columns(4, 104, 100));
  EXPECT_EQ(split.first().width(), 0);
  split.SetFixedPane(kSecondPane, false);
  split.Compute(804, 300);
  EXPECT_EQ(split.first().width(), 400);

  EXPECT_TRUE(split.SetPaneSize(kFirstPane, 150, 404));
  EXPECT_FALSE(split.SetPaneSize(kFirstPane, 150, 4));
  EXPECT_DOUBLE_EQ(split.SetRatio(1.5), 150.0 / 400);  // refused: the ratio stays
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

// A drag beyond either pane stops at its end.
TEST(SplitLayout, DragRatioIsClamped) {
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(10, 50, 400), 0.0);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(900, 50, 400), 1.0);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(60, 50, 0), 0.0);
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
