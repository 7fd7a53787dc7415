#include "ui/split_window.h"

#include <memory>

#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace tf {
namespace {

// A shown window holding a split over its whole area.
struct SplitFixture {
  std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
  QWidget* first = new QWidget;
  QWidget* second = new QWidget;
  SplitWindow* split = nullptr;

  SplitFixture(int width, int height, bool stacked, double ratio) {
    host->resize(width, height);
    split = new SplitWindow(host.get(), nullptr, first, second, stacked, ratio);
    host->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(host.get()));
  }
};

TEST(SplitWindow, PlacesPanesAndBarAsTheLayoutSays) {
  SplitFixture f(404, 300, false, 0.55);
  EXPECT_EQ(f.split->objectName(), "MCSplitWinClass");
  EXPECT_EQ(f.split->findChildren<QWidget*>("MCSplitterClass").size(), 2);
  EXPECT_EQ(f.first->parentWidget(), f.split);
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 220, 300));
  EXPECT_EQ(f.split->bar()->geometry(), QRect(220, 0, 4, 300));
  EXPECT_EQ(f.second->geometry(), QRect(224, 0, 180, 300));
  EXPECT_FALSE(f.split->ghostBar()->isVisible());

  f.split->SetFixedPane(kFirstPane, true);
  f.split->resize(504, 300);
  EXPECT_EQ(f.first->width(), 220);
  EXPECT_EQ(f.second->geometry(), QRect(224, 0, 280, 300));
}

TEST(SplitWindow, DragMovesTheBarFirstAndThePanesOnRelease) {
  SplitFixture f(404, 300, false, 0.5);
  QWidget* bar = f.split->bar();
  ASSERT_EQ(bar->x(), 200);
  EXPECT_EQ(bar->cursor().shape(), Qt::SizeHorCursor);

  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 150));
  EXPECT_TRUE(f.split->layoutState().dragging());
  EXPECT_TRUE(f.split->ghostBar()->isVisible());
  EXPECT_EQ(f.split->ghostBar()->geometry(), QRect(200, 0, 4, 300));

  // To container x 101: ratio 101/404, the first pane gets 100 of the 400 pixels.
  QTest::mouseMove(bar, QPoint(101 - 200, 150));
  EXPECT_EQ(bar->x(), 100);
  EXPECT_EQ(f.first->width(), 200);  // panes wait for the release

  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(101 - 100, 150));
  EXPECT_FALSE(f.split->layoutState().dragging());
  EXPECT_FALSE(f.split->ghostBar()->isVisible());
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 100, 300));
  EXPECT_EQ(f.second->geometry(), QRect(104, 0, 300, 300));
  QRect saved;
  ASSERT_TRUE(f.split->GetPaneRect(kRectSavedBar, &saved));
  EXPECT_EQ(saved, QRect(200, 0, 4, 300));
  EXPECT_FALSE(f.split->GetPaneRect(4, &saved));
}

TEST(SplitWindow, StackedDragPastTheEndKeepsTheFirstPane) {
  SplitFixture f(200, 204, true, 0.5);
  QWidget* bar = f.split->bar();
  EXPECT_EQ(bar->cursor().shape(), Qt::SizeVerCursor);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(100, 500));
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 200, 200));
  EXPECT_EQ(bar->geometry(), QRect(0, 200, 200, 4));
  f.split->resize(200, 304);  // and it stays usable afterwards
  EXPECT_EQ(f.first->height(), 300);
}

TEST(SplitWindow, LockedBarIgnoresTheMouse) {
  SplitFixture f(404, 300, false, 0.5);
  f.split->SetLocked(true);
  QWidget* bar = f.split->bar();
  EXPECT_FALSE(bar->testAttribute(Qt::WA_SetCursor));
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 150));
  QTest::mouseMove(bar, QPoint(-150, 150));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-150, 150));
  EXPECT_FALSE(f.split->layoutState().dragging());
  EXPECT_EQ(f.first->width(), 200);
}

TEST(SplitWindow, ShowingPanesAndSwappingThem) {
  SplitFixture f(404, 300, false, 0.5);
  f.split->ShowPanes(kPaneShow, kPaneHide);
  EXPECT_FALSE(f.second->isVisible());
  EXPECT_FALSE(f.split->bar()->isVisible());
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 404, 300));

  f.split->ShowPanes(3, kPaneToggle);  // 3 keeps the first pane
  EXPECT_TRUE(f.second->isVisible());
  EXPECT_TRUE(f.split->bar()->isVisible());

  auto* page = new QWidget;
  f.split->SetPane(kSecondPane, page);
  EXPECT_FALSE(f.second->isVisible());
  EXPECT_EQ(f.second->parentWidget(), f.split);  // the old pane stays, hidden
  EXPECT_TRUE(page->isVisible());
  EXPECT_EQ(page->geometry(), QRect(204, 0, 200, 300));

  EXPECT_DOUBLE_EQ(f.split->SetRatio(1.5), 0.5);
  EXPECT_DOUBLE_EQ(f.split->SetRatio(0.25), 0.25);
  EXPECT_EQ(f.first->width(), 100);
  f.split->SetPaneSize(kFirstPane, 300);
  EXPECT_EQ(f.first->width(), 300);
}

TEST(SplitWindow, SuppressedContainerStaysHidden) {
  SplitFixture f(100, 100, false, 0.5);
  f.split->ShowContainer(kContainerSuppress);
  EXPECT_FALSE(f.split->isVisible());
  f.split->ShowContainer(1);
  EXPECT_FALSE(f.split->isVisible());
  f.split->ShowContainer(kContainerUnsuppress);
  EXPECT_TRUE(f.split->isVisible());
}

TEST(SplitWindow, DestroyDeletesOnlyThePanesAskedFor) {
  SplitFixture f(100, 100, false, 0.5);
  QPointer<QWidget> first = f.first;
  QPointer<QWidget> second = f.second;
  f.split->Destroy(true, false);
  EXPECT_TRUE(first.isNull());
  ASSERT_FALSE(second.isNull());
  EXPECT_EQ(second->parentWidget(), nullptr);
  delete f.split;
  EXPECT_FALSE(second.isNull());
  delete second.data();
}

}  // namespace
}  // namespace tf
