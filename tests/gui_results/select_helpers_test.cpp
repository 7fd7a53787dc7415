// The "Select" helpers of the result lists through their real context menus, on real
// files: the selection each makes (ties, a protected folder, hard links), and Delete
// sending exactly the selected files to the real trash.
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>

#include "app/main_commands.h"
#include "datatree/node_ptr.h"
#include "tests/gui_results/results_host_fixture.h"
#include "tests/support/timed.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Paths = std::set<std::string>;

constexpr int64_t kDay = 864000000000LL;
constexpr int64_t kBase = 130000000000000000LL;

class SelectHelpersTest : public testing::ResultsPaneFixture {
 protected:
  void SetUp() override {
    ResultsPaneFixture::SetUp();
    // a.txt: two newest files of the same time, the largest is the oldest.
    // b.txt: its newest copy lies in the protected folder "keep".
    // c.txt: one/c.txt and two/c.txt are two names of one file.
    host.times = {{"one/a.txt", kBase + 3 * kDay},  {"two/a.txt", kBase + 3 * kDay},
                  {"three/a.txt", kBase + kDay},    {"one/b.txt", kBase + 2 * kDay},
                  {"keep/b.txt", kBase + 5 * kDay}, {"one/c.txt", kBase + kDay},
                  {"two/c.txt", kBase + kDay},      {"three/c.txt", kBase}};
    host.linkTo = {{"two/c.txt", "one/c.txt"}};
    host.protectedFolders = {host.path("keep")};
    search({{"one/a.txt", 100},
            {"two/a.txt", 200},
            {"three/a.txt", 300},
            {"one/b.txt", 50},
            {"keep/b.txt", 50},
            {"one/c.txt", 10},
            {"two/c.txt", 10},
            {"three/c.txt", 10}});
  }

  Paths paths(std::initializer_list<const char*> relative) const {
    Paths out;
    for (const char* path : relative) out.insert(host.path(path));
    return out;
  }

  // Opens the list's context menu with a right click on `row` and picks the helper of
  // `command` in its "Select" pop-up.
  static void pick(ResultListView* view, QTableView* list, int row, int command) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    QMenu* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(shown == view->contextMenu() || shown == view->selectMenu());
    ASSERT_EQ(view->contextMenu()->actions()[8]->menu(), view->selectMenu());
    QAction* helper = nullptr;
    for (QAction* action : view->selectMenu()->actions())
      if (action->data().toInt() == command) helper = action;
    ASSERT_TRUE(helper && helper->isEnabled());
    shown->close();
    helper->trigger();
  }

  Paths trashed() const { return testing::TrashedFrom(host.dir); }
};

TEST_F(SelectHelpersTest, EachHelperInTheUnifiedListThenDeleteTrashesExactlyTheSelection) {
  pane.SetMode(ResultsPane::kUnifiedMode);
  UnifiedListView* view = pane.unifiedView();
  QTableView* list = view->list();
  const auto select = [&](int command) {
    pick(view, list, 0, command);
    return selectedPaths(list);
  };
  // Ties go to the name first in the lists' order; the protected copy is never picked; the
  // newest c.txt has two names, both kept.
  EXPECT_EQ(select(kCmdSelectAllButNewest),
            paths({"three/a.txt", "two/a.txt", "one/b.txt", "three/c.txt"}));
  // Invert: keep/b.txt is protected, so b.txt turns to nothing.
  EXPECT_EQ(select(kCmdSelectInvert), paths({"one/a.txt", "one/c.txt", "two/c.txt"}));
  // The oldest c.txt is a copy of its own: both names of the other file may go.
  EXPECT_EQ(select(kCmdSelectAllButOldest),
            paths({"one/a.txt", "two/a.txt", "one/c.txt", "two/c.txt"}));
  EXPECT_EQ(select(kCmdSelectAllButLargest),
            paths({"one/a.txt", "two/a.txt", "one/b.txt", "three/c.txt"}));
  host.questions.folders = {host.path("two")};
  EXPECT_EQ(select(kCmdSelectAllButInFolder), paths({"one/a.txt", "three/a.txt", "three/c.txt"}));
  EXPECT_EQ(host.questions.prompts.back(), "Choose the folder whose copy each group keeps");
  host.questions.folders = {host.path("one")};
  EXPECT_EQ(select(kCmdSelectAllInFolder), paths({"one/a.txt", "one/b.txt", "one/c.txt"}));
  EXPECT_EQ(host.questions.starts.back(), host.path("two")) << "starts where the last one was";
  // A cancelled chooser changes nothing.
  EXPECT_EQ(select(kCmdSelectAllInFolder), paths({"one/a.txt", "one/b.txt", "one/c.txt"}));
  EXPECT_TRUE(select(kCmdSelectClear).empty());
  EXPECT_FALSE(view->button(ResultListView::kDelete)->isEnabled());

  const Paths chosen = select(kCmdSelectAllButNewest);
  EXPECT_TRUE(view->button(ResultListView::kDelete)->isEnabled());
  host.questions.answers.assign(chosen.size(), IDYES);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(trashed(), chosen);
  for (const char* kept : {"one/a.txt", "keep/b.txt", "one/c.txt", "two/c.txt"})
    EXPECT_TRUE(fs::exists(host.path(kept))) << kept;
  // a.txt and b.txt keep one file each and go; c.txt keeps the two names of one file.
  EXPECT_EQ(host.GroupsRoot()->FirstChild() ? host.GroupsRoot()->FirstChild()->Name() : "",
            std::string("c.txt"));
}

TEST_F(SelectHelpersTest, TheSeparateViewSelectsInEveryGroupAndShowsTheSelectedGroupsPart) {
  SeparateListsView* view = pane.separateView();
  QTableView* groups = view->groupsList();
  QTableView* files = view->filesList();
  // The hard links are marked, and counted once in "Size w/dup".
  groups->selectRow(2);
  ASSERT_EQ(std::string(view->selectedGroup()->Name()), "c.txt");
  EXPECT_EQ(view->selectedGroup()->val, 20);
  const auto cell = [&](int row) { return files->model()->index(row, 0).data().toString(); };
  EXPECT_EQ(cell(0), "\u22611 " + QString::fromStdString(host.path("one/c.txt")));
  EXPECT_EQ(cell(1), QString::fromStdString(host.path("three/c.txt")));
  EXPECT_EQ(cell(2), "\u22611 " + QString::fromStdString(host.path("two/c.txt")));
  EXPECT_TRUE(files->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains("hard link"));

  pick(view, files, 0, kCmdSelectAllButOldest);
  EXPECT_EQ(selectedPaths(files), paths({"one/c.txt", "two/c.txt"}));
  groups->selectRow(0);
  EXPECT_EQ(selectedPaths(files), paths({"one/a.txt", "two/a.txt"}));
  // A change by hand changes this group's part only.
  files->selectionModel()->select(files->model()->index(0, 0),
                                  QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  groups->selectRow(1);
  EXPECT_TRUE(selectedPaths(files).empty());
  const Paths chosen = paths({"two/a.txt", "one/c.txt", "two/c.txt"});
  host.questions.answers.assign(chosen.size(), IDYES);
  QTest::mouseClick(view->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_EQ(trashed(), chosen);
  EXPECT_TRUE(fs::exists(host.path("one/a.txt")));
  EXPECT_TRUE(fs::exists(host.path("three/c.txt")));
  // The refilled lists hold no selection of gone files.
  EXPECT_EQ(selectedPaths(files).size(), 1u);
}

// A host over a tree made in memory: 100,000 files in 50,000 groups, no files on disk.
class BigHost : public testing::ScriptedHost {
 public:
  BigHost() : tree(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT)) {
    for (int n = 0; n < 50000; ++n) {
      const std::string name = "file" + std::to_string(n) + ".dat";
      DataNode* group = CreateNode(tree.get(), name.c_str(), ATTACH_LAST_CHILD);
      group->kind = 1;
      group->val2 = 2;
      for (const char* folder : {"/data/a/", "/data/b/"}) {
        DataNode* file = CreateNode(group, (folder + name).c_str(), ATTACH_LAST_CHILD);
        file->val = 1000 + n;
        file->val2 = kBase + n + (folder[6] == 'b' ? 1 : 0);
        group->val += file->val;
      }
    }
    tree->val2 = 100000;
  }
  DataNode* GroupsRoot() override { return tree.get(); }
  NodePtr tree;
};

TEST(SelectHelpersSpeed, AllButTheNewestOfFiftyThousandGroupsInUnderASecond) {
  BigHost host;
  ResultsPane pane{host};
  pane.resize(900, 700);
  pane.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
  pane.OnSearchFinished();
  for (ResultListView* view : {static_cast<ResultListView*>(pane.separateView()),
                               static_cast<ResultListView*>(pane.unifiedView())}) {
    pane.SetMode(view == pane.unifiedView() ? ResultsPane::kUnifiedMode
                                            : ResultsPane::kSeparateMode);
    QAction* helper = view->selectMenu()->actions().front();
    ASSERT_EQ(helper->data().toInt(), kCmdSelectAllButNewest);
    QElapsedTimer took;
    took.start();
    helper->trigger();
    QApplication::processEvents();  // and the repaint it asked for
    EXPECT_TRUE(!testing::kTimed || took.elapsed() < 1000) << took.elapsed() << " ms";
  }
  int rows = 0;
  for (const QItemSelectionRange& range : pane.unifiedView()->list()->selectionModel()->selection())
    rows += range.height();
  EXPECT_EQ(rows, 50000);
}

}  // namespace
}  // namespace tf
