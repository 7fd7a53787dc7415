// The search window: the tab bar's rules, switching pages and the two column widths.
#include "ui/search_window.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "tests/gui_search/scripted_search_host.h"
#include "ui/criteria_page.h"
#include "ui/folder_page.h"
#include "ui/mc_main.h"
#include "ui/search_tab_bar.h"
#include "ui/split_window.h"

namespace tf {
namespace {

struct WindowFixture {
  testing::ScriptedSearchHost host;
  MCMain main;
  SearchWindow window{host, initialized(main)};

  static MCMain* initialized(MCMain& main) {
    main.Initialize(nullptr, "Twinfold");
    return &main;
  }
  WindowFixture() {
    window.resize(window.Width(true), 600);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  QPushButton* tab(int mode) { return window.tabBar()->tab(mode); }
  std::string checkedTabs() {
    std::string out;
    for (int m = 0; m < 4; ++m) out += tab(m)->isChecked() ? '1' : '0';
    return out;
  }
};

TEST(SearchWindow, TabsStandInOneRowAboveThePage) {
  WindowFixture f;
  const QRect folders = f.tab(0)->geometry();
  for (int m = 1; m < 4; ++m) {
    EXPECT_EQ(f.tab(m)->geometry(), folders.translated(m * folders.width(), 0)) << m;
    EXPECT_EQ(f.tab(m)->font(), *f.main.Font(2));
  }
  EXPECT_EQ(f.tab(0)->toolTip(), "List of folders to scan");
  EXPECT_EQ(f.window.tabBar()->expandButton()->toolTip(), "Expand/Collapse");
  // The bar keeps its own height whatever the window's; the page takes the rest.
  f.window.resize(f.window.width(), 900);
  const int barHeight = f.window.tabBar()->naturalSize().height();
  EXPECT_EQ(f.window.tabBar()->height(), barHeight);
  EXPECT_EQ(f.window.folderPage()->geometry(),
            QRect(0, barHeight + kSplitBarThickness, f.window.width(),
                  900 - barHeight - kSplitBarThickness));
  EXPECT_TRUE(f.window.split()->IsLocked());
}

TEST(SearchWindow, TabsSwitchPagesAndTheLastSearchPageIsRemembered) {
  WindowFixture f;
  EXPECT_EQ(f.window.Mode(), kSearchModeFolders);
  EXPECT_EQ(f.checkedTabs(), "1000");
  EXPECT_EQ(f.window.split()->pane(kSecondPane), f.window.folderPage());

  f.host.descriptor.SetSize(1, false);  // changed while the page was not shown
  QTest::mouseClick(f.tab(kSearchModeSettings), Qt::LeftButton);
  EXPECT_EQ(f.window.Mode(), kSearchModeSettings);
  EXPECT_EQ(f.checkedTabs(), "0010");
  EXPECT_TRUE(f.window.criteriaPage()->isVisible());
  EXPECT_FALSE(f.window.folderPage()->isVisible());
  EXPECT_TRUE(f.window.criteriaPage()->sizeRadio(1)->isChecked());

  // Clicking the current tab changes nothing and leaves it checked.
  QTest::mouseClick(f.tab(kSearchModeSettings), Qt::LeftButton);
  EXPECT_EQ(f.checkedTabs(), "0010");

  QTest::mouseClick(f.tab(kSearchModePreview), Qt::LeftButton);
  EXPECT_EQ(f.window.Mode(), kSearchModePreview);
  EXPECT_EQ(f.window.LastSearchMode(), kSearchModeSettings);
  f.window.SetMode(kSearchModeFilters);
  EXPECT_EQ(f.checkedTabs(), "0100");
  EXPECT_EQ(f.window.LastSearchMode(), kSearchModeFilters);
  f.window.SetMode(7);
  EXPECT_EQ(f.window.Mode(), kSearchModeFilters);
}

TEST(SearchWindow, CollapsedColumnKeepsOnlyTheExpandButton) {
  WindowFixture f;
  QToolButton* expand = f.window.tabBar()->expandButton();
  const QRect inWindow(expand->mapTo(&f.window, QPoint(0, 0)), expand->size());
  EXPECT_EQ(f.window.Width(false), inWindow.x() + inWindow.width() + 4);
  EXPECT_LE(f.window.Width(false), f.tab(0)->mapTo(&f.window, QPoint(0, 0)).x());
  EXPECT_GE(f.window.Width(true), f.window.folderPage()->sizeHint().width());

  QSignalSpy toggled(&f.window, &SearchWindow::expandCollapseToggled);
  QTest::mouseClick(expand, Qt::LeftButton);
  QTest::mouseClick(expand, Qt::LeftButton);
  ASSERT_EQ(toggled.size(), 2);
  EXPECT_TRUE(toggled[0][0].toBool());
  EXPECT_FALSE(toggled[1][0].toBool());
}

}  // namespace
}  // namespace tf
