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

// A drag moves a ghost bar and, on release, the panes; a fixed pane keeps what the drag
// gave it; panes show, hide, swap and go as asked.
TEST(SplitWindow, DragShowSwapAndDestroyPanes) {
  SplitFixture f(404, 300, false, 0.5);
  QWidget* bar = f.split->bar();
  ASSERT_EQ(bar->x(), 200);
  f.split->SetFixedPane(kFirstPane, true);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 150));
  EXPECT_TRUE(f.split->ghostBar()->isVisible());

  // To container x 101: ratio 101/404, the first pane gets 100 of the 400 pixels.
  QTest::mouseMove(bar, QPoint(101 - 200, 150));
  EXPECT_EQ(bar->x(), 100);
  EXPECT_EQ(f.first->width(), 200);  // panes wait for the release
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(101 - 100, 150));
  EXPECT_FALSE(f.split->ghostBar()->isVisible());
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 100, 300));
  EXPECT_EQ(f.second->geometry(), QRect(104, 0, 300, 300));
  f.split->resize(504, 300);
  EXPECT_EQ(f.first->width(), 100);
  EXPECT_EQ(f.second->geometry(), QRect(104, 0, 400, 300));

  // Locked, the bar ignores the mouse.
  f.split->SetLocked(true);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 150));
  QTest::mouseMove(bar, QPoint(150, 150));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(150, 150));
  EXPECT_EQ(f.first->width(), 100);

  f.split->ShowPanes(kPaneShow, kPaneHide);
  EXPECT_FALSE(f.second->isVisible());
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 504, 300));
  f.split->ShowPanes(3, kPaneToggle);  // 3 keeps the first pane
  EXPECT_TRUE(bar->isVisible());

  auto* page = new QWidget;
  QPointer<QWidget> old = f.second;
  f.split->SetPane(kSecondPane, page);
  EXPECT_FALSE(old->isVisible());
  EXPECT_EQ(old->parentWidget(), f.split);  // the old pane stays, hidden
  EXPECT_EQ(page->geometry(), QRect(104, 0, 400, 300));

  QPointer<QWidget> first = f.first;
  QPointer<QWidget> second = page;
  f.split->Destroy(true, false);
  EXPECT_TRUE(first.isNull());
  ASSERT_FALSE(second.isNull());
  EXPECT_EQ(second->parentWidget(), nullptr);
  delete f.split;
  EXPECT_FALSE(second.isNull());
  delete second.data();
}

TEST(SplitWindow, StackedDragPastTheEndKeepsTheFirstPane) {
  SplitFixture f(200, 204, true, 0.5);
  QWidget* bar = f.split->bar();
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(100, 500));
  EXPECT_EQ(f.first->geometry(), QRect(0, 0, 200, 200));
  EXPECT_EQ(bar->geometry(), QRect(0, 200, 200, 4));
  f.split->resize(200, 304);  // and it stays usable afterwards
  EXPECT_EQ(f.first->height(), 300);
}

}  // namespace
}  // namespace tf
