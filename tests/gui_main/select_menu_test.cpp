// The "Select" menu of the main window's menu bar on a real search of real files: a helper
// chosen from it followed by Delete, which sends exactly the selected files to the real
// trash. A program of its own, so that the
// trash's folder is set before anything in the process asks for it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>

#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/main_commands.h"
#include "main_window_support.h"
#include "search/search_descriptor.h"
#include "tests/gui_results/file_listing.h"
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
  for (const QModelIndex& index : list->selectionModel()->selectedRows())
    out.insert(tf::FullName(model->Node(index.row())));
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
  w.frame.show();
  ASSERT_TRUE(w.Search(tree.root()));
  QAction* newest = w.frame.action(kCmdSelectAllButNewest);
  ASSERT_TRUE(QTest::qWaitFor([&] { return newest->isEnabled(); }, 20000));

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
  w.questions.answers.assign(chosen.size(), IDYES);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(testing::TrashedFrom(tree.root()), chosen);
  EXPECT_TRUE(fs::exists(tree.Path("two/b.txt")));
}

}  // namespace
}  // namespace tf
