#include "ui/scroll_window.h"

#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace tf {
namespace {

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
