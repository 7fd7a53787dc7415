#include "ui/scroll_window.h"

#include <memory>

#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace tf {
namespace {

// A 600 by 500 content scrolled in a 300 by 200 container.
struct ScrollFixture {
  std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
  QWidget* content = new QWidget(host.get());
  ScrollWindow* scroll = nullptr;
  int bar = 0;

  ScrollFixture() {
    host->resize(800, 700);
    content->resize(600, 500);
    scroll = new ScrollWindow(content, nullptr, true);
    host->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    scroll->resize(300, 200);
    bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
  }
};

TEST(ScrollWindow, TakesTheContentAndShowsBarsWhenItIsLarger) {
  ScrollFixture f;
  EXPECT_EQ(f.scroll->objectName(), "MCScrollClass");
  EXPECT_EQ(f.scroll->parentWidget(), f.host.get());
  EXPECT_TRUE(f.scroll->isAncestorOf(f.content));
  EXPECT_TRUE(f.scroll->horizontalBar()->isVisible());
  EXPECT_TRUE(f.scroll->verticalBar()->isVisible());
  EXPECT_EQ(f.scroll->math().viewWidth(), 300 - f.bar);
  EXPECT_EQ(f.scroll->math().viewHeight(), 200 - f.bar);
  EXPECT_EQ(f.content->geometry(), QRect(0, 0, 600, 500));
  EXPECT_EQ(f.scroll->horizontalBar()->maximum(), 600 - (300 - f.bar));
}

TEST(ScrollWindow, KeysMoveTheContent) {
  ScrollFixture f;
  const int viewHeight = 200 - f.bar;
  const int line = ScrollMath::LineStep(viewHeight);
  QTest::keyClick(f.scroll, Qt::Key_Down);
  EXPECT_EQ(f.content->pos(), QPoint(0, -line));
  EXPECT_EQ(f.scroll->verticalBar()->value(), line);

  QTest::keyClick(f.scroll, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(f.content->x(), -(600 - (300 - f.bar)));
  QTest::keyClick(f.scroll, Qt::Key_End);
  EXPECT_EQ(f.content->y(), -(500 - viewHeight));
  QTest::keyClick(f.scroll, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(f.content->y(), -(500 - 2 * viewHeight));
  QTest::keyClick(f.scroll, Qt::Key_Home);
  QTest::keyClick(f.scroll, Qt::Key_Left);
  EXPECT_EQ(f.content->pos(),
            QPoint(-(600 - (300 - f.bar)) + ScrollMath::LineStep(300 - f.bar), 0));
  EXPECT_EQ(f.content->size(), QSize(600, 500));
}

TEST(ScrollWindow, BarsAndResizingFollowTheRules) {
  ScrollFixture f;
  f.scroll->verticalBar()->setValue(100);
  EXPECT_EQ(f.content->y(), -100);
  f.scroll->Scroll(true, kScrollThumbPosition, 30);
  EXPECT_EQ(f.content->x(), -30);

  f.scroll->resize(350, 200);  // 50 wider: the 30 pixels scrolled come back
  EXPECT_EQ(f.content->x(), 0);
  EXPECT_EQ(f.content->y(), -100);

  f.scroll->resize(700, 600);  // larger than the content: it fills the view, no bars
  EXPECT_FALSE(f.scroll->horizontalBar()->isVisible());
  EXPECT_FALSE(f.scroll->verticalBar()->isVisible());
  EXPECT_EQ(f.content->geometry(), QRect(0, 0, 700, 600));
  QTest::keyClick(f.scroll, Qt::Key_Down);
  EXPECT_EQ(f.content->pos(), QPoint(0, 0));
}

TEST(ScrollWindow, DetachGivesTheContentBack) {
  ScrollFixture f;
  QTest::keyClick(f.scroll, Qt::Key_Down);
  f.scroll->Detach();
  EXPECT_EQ(f.content->parentWidget(), f.host.get());
  EXPECT_FALSE(f.scroll->isVisible());
  delete f.scroll;
  EXPECT_EQ(f.content->parentWidget(), f.host.get());  // survives its old container
}

}  // namespace
}  // namespace tf
