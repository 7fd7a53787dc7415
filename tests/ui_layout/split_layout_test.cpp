#include "ui/split_layout.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

LayoutRect Columns(int left, int right, int height) {
  return {left, 0, right, height};
}

TEST(SplitLayout, SideBySideRatioTruncatesTheFirstExtent) {
  SplitLayout split(false, 0.55);
  split.Compute(404, 300);
  EXPECT_EQ(split.first(), Columns(0, 220, 300));
  EXPECT_EQ(split.bar(), Columns(220, 224, 300));
  EXPECT_EQ(split.second(), Columns(224, 404, 300));

  // 0.7 of 96 is 67.2: the first pane gets 67, the second the rest.
  split.SetRatio(0.7);
  split.Compute(100, 50);
  EXPECT_EQ(split.first().width(), 67);
  EXPECT_EQ(split.second(), Columns(71, 100, 50));
}

TEST(SplitLayout, StackedSplitCutsTheHeight) {
  SplitLayout split(true, 0.25);
  split.Compute(300, 204);
  EXPECT_EQ(split.first(), (LayoutRect{0, 0, 300, 50}));
  EXPECT_EQ(split.bar(), (LayoutRect{0, 50, 300, 54}));
  EXPECT_EQ(split.second(), (LayoutRect{0, 54, 300, 204}));
}

TEST(SplitLayout, FixedPaneKeepsItsSizeWhenTheContainerGrows) {
  SplitLayout split(false, 0.55);
  split.Compute(404, 300);
  EXPECT_EQ(split.SetFixedPane(kFirstPane, true), 220);
  split.Compute(504, 300);
  EXPECT_EQ(split.first().width(), 220);
  EXPECT_EQ(split.second(), Columns(224, 504, 300));

  // Released, the pane follows the ratio again.
  EXPECT_EQ(split.SetFixedPane(kFirstPane, false), kUnknownPaneSize);
  split.Compute(804, 300);
  EXPECT_EQ(split.first().width(), 440);

  SplitLayout right(false, 0.5);
  right.Compute(204, 100);
  EXPECT_EQ(right.SetFixedPane(kSecondPane, true), 100);
  right.Compute(104, 100);
  EXPECT_EQ(right.second(), Columns(4, 104, 100));
  EXPECT_EQ(right.first().width(), 0);
}

TEST(SplitLayout, TinyContainerGivesEmptyPanesAndTheBarAtTheStart) {
  for (int width : {0, 3, 4}) {
    SplitLayout split(false, 0.5);
    split.Compute(width, 80);
    EXPECT_EQ(split.first(), LayoutRect{}) << width;
    EXPECT_EQ(split.second(), LayoutRect{}) << width;
    EXPECT_EQ(split.bar(), Columns(0, 4, 80)) << width;
  }
  SplitLayout split(false, 0.5);
  split.Compute(5, 80);
  EXPECT_EQ(split.second(), Columns(4, 5, 80));
}

TEST(SplitLayout, ShownStatesDecideWhoGetsTheClientArea) {
  SplitLayout split(false, 0.5);
  split.ShowPanes(kPaneShow, kPaneHide);
  split.Compute(300, 200);
  EXPECT_EQ(split.first(), Columns(0, 300, 200));
  EXPECT_EQ(split.second(), LayoutRect{});
  EXPECT_FALSE(split.barShown());

  split.ShowPanes(kPaneToggle, kPaneToggle);  // first hidden, second shown
  split.Compute(300, 200);
  EXPECT_EQ(split.second(), Columns(0, 300, 200));
  EXPECT_EQ(split.first(), LayoutRect{});

  split.ShowPanes(kPaneShow, 7);  // 7 keeps the second pane as it is
  EXPECT_TRUE(split.barShown());
  split.Compute(304, 200);
  EXPECT_EQ(split.first().width(), 150);
}

TEST(SplitLayout, MissingPaneWindowLeavesTheWholeAreaToTheOther) {
  SplitLayout split(true, 0.5);
  split.setPanesPresent(false, true);
  split.Compute(100, 100);
  EXPECT_EQ(split.second(), (LayoutRect{0, 0, 100, 100}));
  EXPECT_EQ(split.first(), LayoutRect{});

  split.setPanesPresent(false, false);
  split.Compute(100, 100);
  EXPECT_EQ(split.second(), LayoutRect{});
  EXPECT_EQ(split.bar(), LayoutRect{});
}

TEST(SplitLayout, SetRatioAcceptsOnlyZeroToOne) {
  SplitLayout split(false, 0.3);
  EXPECT_DOUBLE_EQ(split.SetRatio(1.5), 0.3);
  EXPECT_DOUBLE_EQ(split.SetRatio(-0.1), 0.3);
  EXPECT_DOUBLE_EQ(split.SetRatio(0.0), 0.0);
  EXPECT_DOUBLE_EQ(split.SetRatio(1.0), 1.0);
  EXPECT_DOUBLE_EQ(split.initialRatio(), 0.3);
}

TEST(SplitLayout, RatioOfOneLeavesTheBarAtTheFarEndAndStaysUsable) {
  SplitLayout split(false, 1.0);
  split.Compute(204, 100);
  EXPECT_EQ(split.first(), Columns(0, 200, 100));
  EXPECT_EQ(split.bar(), Columns(200, 204, 100));
  // Laying out again must not lose the first pane (no fixed size to derive a ratio from).
  split.Compute(404, 100);
  EXPECT_EQ(split.first(), Columns(0, 400, 100));
  EXPECT_DOUBLE_EQ(split.ratio(), 1.0);

  // With a fixed size known the ratio is derived from it and the panes share again.
  SplitLayout fixed(false, 0.5);
  fixed.Compute(204, 100);
  fixed.SetFixedPane(kFirstPane, true);  // 100
  fixed.SetRatio(1.0);
  fixed.Compute(304, 100);
  EXPECT_EQ(fixed.first().width(), 100);
  EXPECT_EQ(fixed.second(), Columns(104, 304, 100));
}

TEST(SplitLayout, SetPaneSizeSetsTheRatioFromPixels) {
  SplitLayout split(false, 0.5);
  ASSERT_TRUE(split.SetPaneSize(kSecondPane, 100, 404));
  split.Compute(404, 10);
  EXPECT_EQ(split.second().width(), 100);
  ASSERT_TRUE(split.SetPaneSize(kFirstPane, 150, 404));
  split.Compute(404, 10);
  EXPECT_EQ(split.first().width(), 150);
  EXPECT_FALSE(split.SetPaneSize(kFirstPane, 150, 4));
}

TEST(SplitLayout, DragRatioIsClampedAndDragRelearnsTheFixedSize) {
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(150, 50, 400), 0.25);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(10, 50, 400), 0.0);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(900, 50, 400), 1.0);
  EXPECT_DOUBLE_EQ(SplitLayout::DragRatio(60, 50, 0), 0.0);

  SplitLayout split(false, 0.5);
  split.Compute(404, 100);
  split.SetFixedPane(kFirstPane, true);  // 200
  split.BeginDrag();
  EXPECT_EQ(split.savedBar(), Columns(200, 204, 100));
  split.SetRatio(SplitLayout::DragRatio(101, 0, 404));
  split.Compute(404, 100);
  split.EndDrag();
  EXPECT_EQ(split.fixedSize(), 100);
  split.Compute(604, 100);
  EXPECT_EQ(split.first().width(), 100);

  SplitLayout locked(false, 0.5);
  locked.setLocked(true);
  locked.BeginDrag();
  EXPECT_FALSE(locked.dragging());
}

TEST(SplitLayout, PaneRectIndexesBeyondTheBarFail) {
  SplitLayout split(false, 0.5);
  split.Compute(104, 10);
  LayoutRect rect;
  EXPECT_TRUE(split.GetPaneRect(kRectBar, &rect));
  EXPECT_EQ(rect, Columns(50, 54, 10));
  EXPECT_FALSE(split.GetPaneRect(4, &rect));
  EXPECT_FALSE(split.GetPaneRect(-1, &rect));
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
  EXPECT_FALSE(ContainerVisible(CombineContainerState(state, 0)));
  EXPECT_EQ(CombineContainerState(state, 9), state);
}

}  // namespace
}  // namespace tf
