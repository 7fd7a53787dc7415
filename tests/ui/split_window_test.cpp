// The containers: the split window and its bar, the scroll window over a larger content.
#include "ui/window/split_window.h"

#include <memory>

#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "ui/window/scroll_window.h"

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

// A 600 by 500 content scrolled in a 300 by 200 container: keys, the bars and resizing
// move the content itself, and Detach gives it back to its old parent.
TEST(ScrollWindow, KeysBarsAndResizingMoveTheContent) {
  QWidget host;
  host.resize(800, 700);
  auto* content = new QWidget(&host);
  content->resize(600, 500);
  auto* scroll = new ScrollWindow(content, nullptr, true);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  scroll->resize(300, 200);
  const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
  const int viewWidth = 300 - bar, viewHeight = 200 - bar;
  EXPECT_TRUE(scroll->isAncestorOf(content));
  EXPECT_TRUE(scroll->horizontalBar()->isVisible());
  EXPECT_EQ(scroll->horizontalBar()->maximum(), 600 - viewWidth);

  QTest::keyClick(scroll, Qt::Key_Down);
  EXPECT_EQ(content->pos(), QPoint(0, -ScrollMath::LineStep(viewHeight)));
  EXPECT_EQ(scroll->verticalBar()->value(), ScrollMath::LineStep(viewHeight));
  QTest::keyClick(scroll, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(scroll, Qt::Key_End);
  EXPECT_EQ(content->pos(), QPoint(-(600 - viewWidth), -(500 - viewHeight)));
  QTest::keyClick(scroll, Qt::Key_Home);
  EXPECT_EQ(content->y(), 0);
  EXPECT_EQ(content->size(), QSize(600, 500));

  scroll->verticalBar()->setValue(100);
  EXPECT_EQ(content->y(), -100);
  scroll->Scroll(true, kScrollThumbPosition, 30);
  scroll->resize(350, 200);  // 50 wider: the 30 pixels scrolled come back
  EXPECT_EQ(content->pos(), QPoint(0, -100));
  scroll->resize(700, 600);  // larger than the content: it fills the view, no bars
  EXPECT_FALSE(scroll->verticalBar()->isVisible());
  EXPECT_EQ(content->geometry(), QRect(0, 0, 700, 600));

  scroll->Detach();
  EXPECT_EQ(content->parentWidget(), &host);
  delete scroll;
  EXPECT_EQ(content->parentWidget(), &host);  // survives its old container
}

}  // namespace
}  // namespace tf
