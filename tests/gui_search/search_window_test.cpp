// The search window: its tabs switch the pages, each page shows what was stored while it
// was hidden, the filters page remembers its masks when the window leaves it, and the
// expand button folds the column.
#include "ui/search_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "results/recent_list.h"
#include "scan/filter_nodes.h"
#include "tests/gui_search/scripted_search_host.h"
#include "ui/criteria_page.h"
#include "ui/filters_page.h"
#include "ui/folder_page.h"
#include "ui/name_filter_page.h"
#include "ui/search_tab_bar.h"
#include "ui/size_filter_page.h"

namespace tf {
namespace {

TEST(SearchWindow, TabsSwitchPagesThatShowWhatWasStored) {
  testing::ScriptedSearchHost host;
  DataNode* sizeNode = host.descriptor.SizeFilterNode();
  SetFilterEnabled(sizeNode, 1);
  SetSizeSwitch(sizeNode, 9);  // unknown: read as "At least", and so shown
  SetSizeValue1(sizeNode, 77);
  SearchWindow window(host, nullptr);
  window.resize(window.Width(true), 700);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const auto tab = [&window](int mode) { return window.tabBar()->tab(mode); };
  const auto checkedTabs = [&tab] {
    std::string out;
    for (int m = 0; m < 4; ++m) out += tab(m)->isChecked() ? '1' : '0';
    return out;
  };
  EXPECT_EQ(checkedTabs(), "1000");
  // The page lies below the tab bar, not under it.
  EXPECT_GE(window.folderPage()->mapTo(&window, QPoint(0, 0)).y(),
            tab(0)->mapTo(&window, QPoint(0, tab(0)->height())).y());

  host.descriptor.SetSize(1, false);  // changed while the page was not shown
  QTest::mouseClick(tab(kSearchModeSettings), Qt::LeftButton);
  EXPECT_EQ(checkedTabs(), "0010");
  EXPECT_TRUE(window.criteriaPage()->isVisible());
  EXPECT_FALSE(window.folderPage()->isVisible());
  EXPECT_TRUE(window.criteriaPage()->sizeRadio(1)->isChecked());
  // Clicking the current tab changes nothing and leaves it checked.
  QTest::mouseClick(tab(kSearchModeSettings), Qt::LeftButton);
  EXPECT_EQ(checkedTabs(), "0010");

  QTest::mouseClick(tab(kSearchModeFilters), Qt::LeftButton);
  FiltersPage* filters = window.filtersPage();
  ASSERT_TRUE(filters->isVisible());
  EXPECT_TRUE(filters->selectorButton(FiltersPage::kSizePage)->font().bold());
  EXPECT_EQ(filters->sizePage()->switchCombo()->currentText(), "At least");
  EXPECT_EQ(filters->sizePage()->valueEdit(1)->text(), "77");
  QLineEdit* include = filters->namePage()->edit(NameFilterPage::kInclude);
  QTest::keyClick(include, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(include, "*.iso");

  // Leaving the filters remembers the masks; the preview is no search page.
  QTest::mouseClick(tab(kSearchModePreview), Qt::LeftButton);
  RecentList recent;
  recent.Bind(host.RecentSection("dlg_filters_name_inc"), "dlg_filters_name_inc");
  EXPECT_EQ(recent.MenuTexts(), std::vector<std::string>{"*.iso"});
  EXPECT_EQ(window.Mode(), kSearchModePreview);
  EXPECT_EQ(window.LastSearchMode(), kSearchModeFilters);
  window.SetMode(7);
  EXPECT_EQ(window.Mode(), kSearchModePreview);

  // Collapsed, the column keeps only the expand button, which toggles it back.
  QToolButton* expand = window.tabBar()->expandButton();
  EXPECT_LE(window.Width(false), tab(0)->mapTo(&window, QPoint(0, 0)).x());
  EXPECT_GE(window.Width(false), expand->mapTo(&window, QPoint(expand->width(), 0)).x());
  QSignalSpy toggled(&window, &SearchWindow::expandCollapseToggled);
  QTest::mouseClick(expand, Qt::LeftButton);
  QTest::mouseClick(expand, Qt::LeftButton);
  ASSERT_EQ(toggled.size(), 2);
  EXPECT_TRUE(toggled[0][0].toBool());
  EXPECT_FALSE(toggled[1][0].toBool());
}

}  // namespace
}  // namespace tf
