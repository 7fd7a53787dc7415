// The guards every changing action passes, driven through the real widgets on real files:
// a protected folder refuses every way of acting, and deleting the last copies of a group
// asks with "No" as the default. (A file changed since the search is the actions' suite's.)
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "results/file_actions.h"
#include "tests/gui_results/results_host_fixture.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using Command = ResultListView::Command;

class GuardActionsTest : public testing::ResultsPaneFixture {
 protected:
  void SetUp() override {
    ResultsPaneFixture::SetUp();
    host.backup = true;
    search({{"ref/a.txt", 10},
            {"work/a.txt", 10},
            {"old/a.txt", 10},
            {"ref/b.txt", 20},
            {"work/b.txt", 20}});
    pane.SetMode(1);
  }
  void selectFiles(const std::vector<std::string>& paths) { clickPaths(unified()->list(), paths); }
  std::string trash() const { return testing::PrivateTrashHome() + "/Trash/files"; }
};

TEST_F(GuardActionsTest, AProtectedFileIsRefusedByEveryWayOfActing) {
  host.protectedFolders = {host.path("ref")};
  const std::vector<std::string> trashedBefore = NamesIn(trash());
  UnifiedListView* view = pane.unifiedView();
  QTableView* list = view->list();
  selectFiles({host.path("ref/a.txt")});
  ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);

  // The buttons, the Delete key and the context menu's items.
  for (Command command : {ResultListView::kDelete, ResultListView::kMove,
                          ResultListView::kMoveToBackup, ResultListView::kReplaceByLink}) {
    ASSERT_TRUE(view->button(command)->isEnabled()) << command;
    QTest::mouseClick(view->button(command), Qt::LeftButton);
  }
  QTest::keyClick(list, Qt::Key_Delete);
  for (QAction* item : view->contextMenu()->actions())
    if (item->text() == "Delete" || item->text() == "Move to Backup" || item->text() == "Move...")
      item->trigger();
  // A selection that holds one protected file among others is refused whole.
  selectFiles({host.path("work/b.txt"), host.path("ref/b.txt")});
  QTest::keyClick(list, Qt::Key_Delete);

  ASSERT_EQ(host.questions.asked.size(), 9u);
  for (const testing::AskedMessage& asked : host.questions.asked) {
    EXPECT_EQ(asked.caption, kProtectedCaption);
    EXPECT_NE(asked.text.find("protected folder\n\"" + host.path("ref") + "\""), std::string::npos)
        << asked.text;
  }
  EXPECT_TRUE(host.questions.prompts.empty());  // no folder was asked for
  for (const char* file : {"ref/a.txt", "work/a.txt", "ref/b.txt", "work/b.txt"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(host.path(file)))) << file;
  EXPECT_EQ(NamesIn(trash()), trashedBefore);
  EXPECT_TRUE(NamesIn(host.path("Backup")).empty());
  EXPECT_EQ(host.result.Root()->val2, 5);  // every file still in the results
}

TEST_F(GuardActionsTest, DeletingTheLastCopiesAsksAndEnterKeepsThem) {
  selectFiles({host.path("ref/b.txt"), host.path("work/b.txt"), host.path("old/a.txt")});
  host.questions.answers = {testing::kPressEnter};
  QTest::mouseClick(pane.unifiedView()->button(ResultListView::kDelete), Qt::LeftButton);
  ASSERT_EQ(host.questions.asked.size(), 1u);
  EXPECT_EQ(host.questions.asked[0].caption, kLastCopyCaption);
  EXPECT_EQ(host.questions.asked[0].buttonSet, MB_YESNO | MB_DEFBUTTON2);
  EXPECT_NE(host.questions.asked[0].text.find("group \"b.txt\""), std::string::npos);
  EXPECT_EQ(host.questions.asked[0].text.find("a.txt"), std::string::npos);  // a copy stays
  for (const char* file : {"ref/b.txt", "work/b.txt", "old/a.txt"})
    EXPECT_TRUE(fs::exists(host.path(file))) << file;

  // Yes, then the trash's one question for the three files.
  host.questions.answers = {IDYES, IDYES};
  QTest::keyClick(pane.unifiedView()->list(), Qt::Key_Delete);
  for (const char* file : {"ref/b.txt", "work/b.txt", "old/a.txt"})
    EXPECT_FALSE(fs::exists(host.path(file))) << file;
  EXPECT_EQ(host.result.Root()->val2, 2);
}

}  // namespace
}  // namespace tf
