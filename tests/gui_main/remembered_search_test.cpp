// The remembered search across restarts of the real window program: folders, exclusions,
// filters, criteria, protected folders and the window's place come back; an older settings
// file without its section starts with the defaults. (The option switched off is the
// options dialog's test.)
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/remembered_search.h"
#include "datatree/node_xml.h"
#include "main_window_support.h"
#include "scan/filter_nodes.h"
#include "scan/folder_list.h"
#include "search/search_descriptor.h"
#include "settings/settings_store.h"
#include "ui/criteria_page.h"
#include "ui/folder_page.h"
#include "ui/result_rows_model.h"
#include "ui/results_pane.h"
#include "ui/unified_list_view.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

std::string descriptorXml(testing::Window& w) {
  std::string xml;
  WriteNodeXml(w.controller.shell()->Descriptor()->Root(), &xml, false);
  return xml;
}

// The descriptor's "folders" and "settings" (the filters hold the dates of their making).
std::string foldersAndCriteria(testing::Window& w) {
  std::string folders, criteria;
  WriteNodeXml(w.controller.shell()->Descriptor()->FoldersNode(), &folders, true);
  WriteNodeXml(w.controller.shell()->Descriptor()->SettingsNode(), &criteria, true);
  return folders + criteria;
}

QStringList shownFolders(QTreeWidget* list) {
  QStringList folders;
  for (int i = 0; i < list->topLevelItemCount(); ++i) folders << list->topLevelItem(i)->text(0);
  return folders;
}

// Starts a window, changes folders, exclusions, a criterion, a filter and the place, and
// closes it as a person would. Answers the descriptor as it was at the end.
std::string searchAndClose(const testing::TempTree& places, const testing::TempTree& tree) {
  testing::Window w(places);
  EXPECT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.Path("photos"));
  w.controller.searchHost()->ChangeExcludeFolder(true, tree.Path("photos/cache"));
  QComboBox* symbols = w.controller.searchWindow()->criteriaPage()->symbolsCombo();
  symbols->setFocus();
  QTest::keyClick(symbols, Qt::Key_End);
  SearchDescriptor* descriptor = w.controller.shell()->Descriptor();
  DataNode* names = descriptor->NameFilterNode();
  EXPECT_TRUE(names);
  EXPECT_TRUE(SetFilterEnabled(names, 1));
  w.frame.setGeometry(40, 50, 700, 520);
  const std::string xml = descriptorXml(w);
  w.frame.close();
  return xml;
}

TEST(RememberedSearch, ComesBackAfterARestart) {
  testing::TempTree places;
  testing::TempTree tree;
  tree.Folder("photos/cache");
  const std::string before = searchAndClose(places, tree);

  testing::Window again(places);
  ASSERT_TRUE(again.started);
  EXPECT_EQ(descriptorXml(again), before);
  FolderPage* folders = again.controller.searchWindow()->folderPage();
  EXPECT_TRUE(shownFolders(folders->includeList()).join('|').contains("photos"));
  EXPECT_TRUE(shownFolders(folders->excludeList()).join('|').contains("cache"));
  QComboBox* symbols = again.controller.searchWindow()->criteriaPage()->symbolsCombo();
  EXPECT_EQ(symbols->currentIndex(), symbols->count() - 1);
  EXPECT_EQ(again.frame.geometry(), QRect(40, 50, 700, 520));
}

TEST(RememberedSearch, ProtectedFoldersGuardTheWindowsActionsAndComeBack) {
  testing::TempTree places;
  testing::TempTree tree;
  const std::string ref = tree.File("ref/a.txt", 3), work = tree.File("work/a.txt", 3);
  {
    testing::Window w(places);
    ASSERT_TRUE(w.started);
    w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
    w.controller.searchHost()->Descriptor().SetTime(kAnyValue, false);
    FolderPage* page = w.controller.searchWindow()->folderPage();
    ASSERT_EQ(page->ToggleProtectedPath(tree.Path("ref")), kProtectionAdded);
    QTest::mouseClick(w.controller.searchBar()->startButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 10000));
    ResultsPane* pane = w.controller.resultsPane();
    pane->SetMode(1);
    QTableView* list = pane->unifiedView()->list();
    const ResultRowsModel* model = pane->unifiedView()->model();
    for (int row = 0; row < model->rowCount(); ++row)
      if (ref == tf::FullName(model->Node(row)))
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(model->index(row, 0)).center());
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(w.questions.asked.size(), 1u);
    EXPECT_EQ(w.questions.asked[0].caption, "Protected folder");
    EXPECT_TRUE(std::filesystem::exists(ref));
    w.frame.close();
  }
  testing::Window again(places);
  ASSERT_TRUE(again.started);
  EXPECT_EQ(ProtectedFolders(again.controller.shell()->Descriptor()->Root()),
            std::vector<std::string>{tree.Path("ref")});
  QTreeWidget* includes = again.controller.searchWindow()->folderPage()->includeList();
  ASSERT_EQ(includes->topLevelItemCount(), 1);
  ASSERT_EQ(includes->topLevelItem(0)->childCount(), 1);
  EXPECT_EQ(includes->topLevelItem(0)->child(0)->text(1), "protected");
}

TEST(RememberedSearch, AnOlderSettingsFileStartsWithTheDefaults) {
  testing::TempTree places;
  testing::TempTree tree;
  tree.Folder("photos/cache");
  std::string defaults;
  QRect defaultPlace;
  {
    testing::Window fresh(places);
    ASSERT_TRUE(fresh.started);
    defaults = foldersAndCriteria(fresh);
    defaultPlace = fresh.frame.geometry();
    fresh.controller.Shutdown();
  }
  // A search remembered, then a settings file written before the section existed.
  searchAndClose(places, tree);
  const std::string file = places.Path("config/twinfold.dat");
  SettingsStore older;
  ASSERT_TRUE(older.SetDefaults({file, places.Path("data/Backup")}));
  ASSERT_TRUE(older.Save());
  testing::Window fromOlder(places);
  ASSERT_TRUE(fromOlder.started);
  EXPECT_TRUE(RememberSearchOn(&fromOlder.controller.shell()->Settings()));
  EXPECT_EQ(foldersAndCriteria(fromOlder), defaults);
  EXPECT_EQ(GetFilterEnabled(fromOlder.controller.shell()->Descriptor()->NameFilterNode()), 0);
  EXPECT_EQ(fromOlder.frame.geometry(), defaultPlace);
}

}  // namespace
}  // namespace tf
