// The filters page inside the main window: it offers the program's own mask collection,
// and a search started from the search bar applies what it set.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "main_window_support.h"
#include "tests/support/popup_menu_events.h"
#include "ui/filters_page.h"
#include "ui/name_filter_page.h"
#include "ui/search_tab_bar.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

TEST(MainWindowFilters, MasksFromTheProgramsCollectionNarrowTheNextSearch) {
  testing::TempTree places;
  testing::TempTree tree;
  for (const char* name : {"a/report.doc", "b/report.doc", "a/photo.jpg", "b/photo.jpg"})
    tree.File(name, 10);
  testing::Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());

  SearchWindow* search = w.controller.searchWindow();
  QTest::mouseClick(search->tabBar()->tab(kSearchModeFilters), Qt::LeftButton);
  NameFilterPage* names = search->filtersPage()->namePage();
  QTest::mouseClick(names->enableBox(), Qt::LeftButton, {},
                    QPoint(6, names->enableBox()->height() / 2));
  testing::PickFromMenu(names->chooseButton(NameFilterPage::kInclude), "Images");
  EXPECT_EQ(names->edit(NameFilterPage::kInclude)->text(), "*.bmp;*.gif;*.jpg;");

  QTest::mouseClick(w.controller.searchBar()->startButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 20000));
  EXPECT_EQ(w.status(), "Finished (2 files found)");
  DataNode* groups = w.controller.shell()->Search().GroupsRoot();
  ASSERT_TRUE(groups && groups->FirstChild());
  EXPECT_EQ(groups->FirstChild()->Name(), std::string("photo.jpg"));
  EXPECT_EQ(groups->FirstChild()->Next(), nullptr);
}

}  // namespace
}  // namespace tf
