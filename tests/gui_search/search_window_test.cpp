// The search window: its tabs switch the pages, each page shows what was stored while it
// was hidden, and the filters page remembers its masks when the window leaves it. The
// criteria page: what it shows for the stored criteria and what each choice stores.
#include "ui/search_pages/search_window.h"

#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include "results/recent_list.h"
#include "scan/filter_nodes.h"
#include "search/search_descriptor.h"
#include "tests/gui_search/scripted_search_host.h"
#include "ui/search_pages/criteria_page.h"
#include "ui/search_pages/filters_page.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/name_filter_page.h"
#include "ui/search_pages/search_tab_bar.h"
#include "ui/search_pages/size_filter_page.h"
#include "ui/search_pages/time_filter_page.h"

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
  // The page lies below the tab bar, not under it.
  EXPECT_GE(window.folderPage()->mapTo(&window, QPoint(0, 0)).y(),
            tab(0)->mapTo(&window, QPoint(0, tab(0)->height())).y());

  DuplicateCriteria anySize;
  anySize.sameSize = false;
  host.descriptor.SetCriteria(anySize, false);  // changed while the page was not shown
  QTest::mouseClick(tab(kSearchModeSettings), Qt::LeftButton);
  EXPECT_TRUE(window.criteriaPage()->isVisible());
  EXPECT_FALSE(window.folderPage()->isVisible());
  EXPECT_TRUE(window.criteriaPage()->sizeRadio(1)->isChecked());
  // Clicking the current tab changes nothing and leaves it checked.
  QTest::mouseClick(tab(kSearchModeSettings), Qt::LeftButton);
  EXPECT_TRUE(tab(kSearchModeSettings)->isChecked());
  EXPECT_FALSE(tab(kSearchModeFolders)->isChecked());

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

  // From the keyboard (Tab reaches every tab in the window's own walk, which
  // SearchingWindow.TabWalksEachSideTopToBottomAndLeftToRight checks): Space on a tab shows
  // its page, and Ctrl+Tab / Ctrl+Shift+Tab step through the pages, round.
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(tab(kSearchModeFolders), Qt::Key_Space);
  EXPECT_EQ(window.Mode(), kSearchModeFolders);
  QWidget* inPage = window.folderPage();
  const auto ctrlTab = [&](bool back) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : inPage,
                    back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
    return window.Mode();
  };
  EXPECT_EQ(ctrlTab(false), kSearchModeFilters);
  // The filter selectors take the focus too; Space shows their sub-page.
  QPushButton* timeSelector = filters->selectorButton(FiltersPage::kTimePage);
  EXPECT_NE(timeSelector->focusPolicy() & Qt::TabFocus, 0);
  timeSelector->setFocus();
  QTest::keyClick(timeSelector, Qt::Key_Space);
  EXPECT_TRUE(filters->timePage()->isVisible());
  EXPECT_EQ(ctrlTab(false), kSearchModeSettings);
  EXPECT_EQ(ctrlTab(false), kSearchModePreview);
  EXPECT_EQ(ctrlTab(false), kSearchModeFolders);
  EXPECT_EQ(ctrlTab(true), kSearchModePreview);
  EXPECT_EQ(ctrlTab(true), kSearchModeSettings);

  // Folded to its button, the column shows no sliver of a tab or page, and unfolds whole.
  QTest::mouseClick(window.tabBar()->expandButton(), Qt::LeftButton);
  EXPECT_FALSE(tab(0)->isVisible());
  EXPECT_FALSE(window.criteriaPage()->isVisible());
  QTest::mouseClick(window.tabBar()->expandButton(), Qt::LeftButton);
  EXPECT_TRUE(tab(0)->isVisible());
  EXPECT_TRUE(window.criteriaPage()->isVisible());
}

// One page through a user's session: what is stored out of range, N, the radios, the
// predefined sets, and changes made elsewhere while the page lives.
TEST(CriteriaPage, ChoicesStoreTheirValueAndTheStoredValuesShow) {
  testing::ScriptedSearchHost host;
  SearchDescriptor& d = host.descriptor;
  auto page = std::make_unique<CriteriaPage>(host, nullptr);
  page->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  // The checked value of the name, time and size radios (-1 for none) and N, as shown
  // and as stored.
  const auto checked = [](auto radio, int count) {
    for (int v = 0; v < count; ++v)
      if (radio(v)->isChecked()) return v;
    return -1;
  };
  const auto shown = [&] {
    return std::to_string(checked([&](int v) { return page->nameRadio(v); }, 3)) + " " +
           std::to_string(checked([&](int v) { return page->timeRadio(v); }, 2)) + " " +
           std::to_string(checked([&](int v) { return page->sizeRadio(v); }, 2)) + " N" +
           page->symbolsCombo()->currentText().toStdString();
  };
  DataNode* settings = d.SettingsNode();
  const auto value = [&](const char* key) {
    return std::to_string(settings->attrs.ValueOf(key).AsInt());
  };
  const auto stored = [&] {
    return value("name") + " " + value("time") + " " + value("size") + " N" + value("symbols");
  };
  const auto store = [&](int name, int symbols, int time) {
    settings->attrs.Set("name", AttrValue::FromInt(name), 1);
    settings->attrs.Set("symbols", AttrValue::FromInt(symbols), 1);
    settings->attrs.Set("time", AttrValue::FromInt(time), 1);
    page->Update();
  };
  // Out of range, the page shows what the search will do: an unknown name rule lets
  // extensions differ and an unknown time rule takes any time; the first N symbols with
  // an N it cannot use compare whole names.
  store(9, 3, -4);
  EXPECT_EQ(shown(), "1 1 0 N5");
  store(2, 3, -4);
  EXPECT_EQ(shown(), "0 1 0 N5");
  // The radio already in force stores nothing.
  testing::ClickMark(page->nameRadio(0));
  EXPECT_EQ(stored(), "2 -4 0 N3");

  // Two steps down the list of N: 7, and the name rule switches to first symbols.
  QTest::keyClick(page->symbolsCombo(), Qt::Key_Down);
  QTest::keyClick(page->symbolsCombo(), Qt::Key_Down);
  EXPECT_EQ(stored(), "2 1 0 N7");
  EXPECT_EQ(shown(), "2 1 0 N7");
  testing::ClickMark(page->nameRadio(1));
  testing::ClickMark(page->timeRadio(1));
  testing::ClickMark(page->sizeRadio(1));
  testing::ClickMark(page->sizeRadio(0));
  EXPECT_EQ(stored(), "1 1 0 N7");
  EXPECT_EQ(shown(), "1 1 0 N7");

  // The box names the set the criteria match, or none: "1 1 0" is no set.
  QComboBox* presets = page->presetCombo();
  EXPECT_EQ(presets->currentIndex(), 0);
  // A predefined set leaves N and keeps its text shown; the blank first entry changes
  // nothing, and the box goes on naming the set in force.
  for (int i = 0; i < 4; ++i) QTest::keyClick(presets, Qt::Key_Down);
  EXPECT_EQ(presets->currentText(), "Named versions of a file");
  EXPECT_EQ(stored(), "2 1 1 N7");
  EXPECT_EQ(shown(), "2 1 1 N7");
  QTest::keyClick(presets, Qt::Key_Home);
  EXPECT_EQ(presets->currentText(), "Named versions of a file");
  EXPECT_EQ(stored(), "2 1 1 N7");
  // A criterion changed by hand: the set no longer holds, and then another one does.
  testing::ClickMark(page->nameRadio(0));
  EXPECT_EQ(presets->currentText(), "Different versions of a file");
  testing::ClickMark(page->sizeRadio(0));
  EXPECT_EQ(presets->currentIndex(), 0);

  // Changes made elsewhere reach the page until it goes, and not after.
  DuplicateCriteria elsewhere = d.Criteria();
  elsewhere.sameTime = true;
  d.SetCriteria(elsewhere, true);
  EXPECT_TRUE(page->timeRadio(0)->isChecked());
  EXPECT_EQ(presets->currentText(), "True duplicates (default)");
  page.reset();
  EXPECT_TRUE(d.SetCriteria(DuplicateCriteria{}, true));
}

}  // namespace
}  // namespace tf
