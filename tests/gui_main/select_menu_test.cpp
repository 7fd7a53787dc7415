// The "Select" menu of the main window's menu bar on a real search of real files: where it
// is, when its commands are enabled, and a helper chosen from it followed by Delete, which
// sends exactly the selected files to the real trash. A program of its own, so that the
// trash's folder is set before anything in the process asks for it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <set>

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/main_commands.h"
#include "main_window_support.h"
#include "search/search_descriptor.h"
#include "tests/support/private_trash.h"
#include "ui/result_rows_model.h"
#include "ui/results_pane.h"
#include "ui/separate_lists_view.h"
#include "ui/unified_list_view.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Paths = std::set<std::string>;

Paths selectedIn(const QTableView* list) {
  Paths out;
  auto* model = static_cast<ResultRowsModel*>(list->model());
  for (const QItemSelectionRange& range : list->selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      if (!IsGroupRow(model->Node(row))) out.insert(tf::FullName(model->Node(row)));
  return out;
}

Paths trashedFrom(const std::string& folder) {
  Paths out;
  const fs::path info = testing::PrivateTrashHome() + "/Trash/info";
  if (!fs::exists(info)) return out;
  for (const auto& entry : fs::directory_iterator(info)) {
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("Path=" + folder, 0) == 0) out.insert(line.substr(5));
  }
  return out;
}

TEST(SelectMenu, HelpersFromTheMenuBarThenDeleteTrashesTheSelection) {
  testing::PrivateTrashHome();
  testing::TempTree places;
  testing::TempTree tree;
  // a.txt: the newest is two/a.txt. b.txt: one/b.txt and two/b.txt are one file.
  tree.File("one/a.txt", 10, 100);
  tree.File("two/a.txt", 10, 200);
  tree.File("three/a.txt", 10, 50);
  tree.File("one/b.txt", 20, 300);
  ASSERT_EQ(::link(tree.Path("one/b.txt").c_str(), tree.Path("two/b.txt").c_str()), 0);
  tree.File("three/b.txt", 20, 10);
  testing::Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.shell()->Descriptor()->SetTime(1, true);  // any time: the copies group
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  w.frame.show();

  // After "&Find", with a mnemonic of its own among the menu bar's.
  const QList<QAction*> bar = w.frame.menuBar()->actions();
  ASSERT_GE(bar.size(), 4);
  EXPECT_EQ(bar[0]->text(), "&Find");
  EXPECT_EQ(bar[1]->text(), "S&elect");
  EXPECT_EQ(bar[1]->menu(), w.frame.selectMenu());
  EXPECT_EQ(bar[2]->text(), "&Settings");
  QAction* newest = w.frame.action(kCmdSelectAllButNewest);
  ASSERT_TRUE(newest);
  w.controller.UpdateCommandStates();
  for (QAction* action : w.frame.selectMenu()->actions())
    EXPECT_TRUE(action->isSeparator() || !action->isEnabled()) << action->text().toStdString();

  QTest::mouseClick(w.controller.searchBar()->startButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return w.status().rfind("Finished", 0) == 0 && newest->isEnabled(); }, 20000));
  for (QAction* action : w.frame.selectMenu()->actions())
    EXPECT_TRUE(action->isSeparator() || action->isEnabled()) << action->text().toStdString();

  // The separate view (shown first): the selection spans both groups; the files list
  // shows the selected group's part. The two names of b.txt's newest file stay together.
  ResultsPane* pane = w.controller.resultsPane();
  newest->trigger();
  SeparateListsView* separate = pane->separateView();
  EXPECT_EQ(std::string(separate->selectedGroup()->Name()), "a.txt");
  EXPECT_EQ(selectedIn(separate->filesList()),
            (Paths{tree.Path("one/a.txt"), tree.Path("three/a.txt")}));
  EXPECT_TRUE(separate->button(ResultListView::kDelete)->isEnabled());

  // The unified list: "All in a folder..." asks for the folder, then Delete.
  pane->SetMode(ResultsPane::kUnifiedMode);
  w.questions.folders = {tree.Path("one")};
  w.frame.action(kCmdSelectAllInFolder)->trigger();
  QTableView* list = pane->unifiedView()->list();
  const Paths chosen{tree.Path("one/a.txt"), tree.Path("one/b.txt")};
  EXPECT_EQ(selectedIn(list), chosen);
  // The hard links carry their mark.
  int marked = 0;
  for (int row = 0; row < list->model()->rowCount(); ++row)
    marked += list->model()->index(row, 0).data().toString().startsWith(QStringLiteral("\u2261"));
  EXPECT_EQ(marked, 2);
  w.questions.answers.assign(chosen.size(), IDYES);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(trashedFrom(tree.root()), chosen);
  EXPECT_TRUE(fs::exists(tree.Path("two/b.txt")));

  // The backup page shows no list: the helpers are off there.
  pane->SetMode(ResultsPane::kBackupMode);
  ASSERT_EQ(pane->Mode(), ResultsPane::kBackupMode);
  w.controller.UpdateCommandStates();
  EXPECT_FALSE(newest->isEnabled());
}

}  // namespace
}  // namespace tf
