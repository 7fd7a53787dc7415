// Undo in the window, through real events: Ctrl+Z after a delete, and the history dialog's
// "Undo" after a delete of several files; the files come back and rejoin their groups.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/main_commands.h"
#include "app/search_control.h"
#include "main_window_support.h"
#include "tests/gui_results/file_listing.h"
#include "ui/dialogs/action_history_dialog.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/result_views/unified_list_view.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using testing::Window;
using Names = std::vector<std::string>;

class UndoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashHome();
    ASSERT_TRUE(w.started);
    tree.File("one/a.txt", 10, 100);
    tree.File("two/a.txt", 10, 100);
    tree.File("one/b.txt", 20, 300);
    tree.File("two/b.txt", 20, 300);
    tree.File("three/b.txt", 20, 300);
    w.frame.show();
    w.frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.frame));
    ASSERT_TRUE(w.Search(tree.root()));
    pane = w.controller.resultsPane();
    pane->SetMode(ResultsPane::kUnifiedMode);
  }
  // The groups the separate lists show.
  Names groups() {
    pane->SetMode(ResultsPane::kSeparateMode);
    Names names = testing::Column(pane->separateView()->groupsList()->model());
    pane->SetMode(ResultsPane::kUnifiedMode);
    return names;
  }
  // The files of the shown result.
  size_t files() {
    size_t count = 0;
    for (const DataNode* g = w.controller.shell()->Search().GroupsRoot()->FirstChild(); g;
         g = g->Next())
      for (const DataNode* f = g->FirstChild(); f; f = f->Next()) ++count;
    return count;
  }
  // Clicks the rows of `paths` in the unified list (Ctrl held) and presses Delete.
  void deleteRows(const std::vector<std::string>& paths) {
    QTableView* list = pane->unifiedView()->list();
    auto* model = static_cast<ResultRowsModel*>(list->model());
    Qt::KeyboardModifiers held;
    for (const std::string& path : paths)
      for (int row = 0; row < model->rowCount(); ++row) {
        if (FullName(model->Node(row)) != path) continue;
        const QModelIndex index = model->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, held, list->visualRect(index).center());
        held = Qt::ControlModifier;
      }
    ASSERT_EQ(testing::SelectedPaths(list).size(), paths.size());
    QTest::keyClick(list, Qt::Key_Delete);
  }

  TempTree places, tree;
  Window w{places};
  ResultsPane* pane = nullptr;
};

TEST_F(UndoWindow, CtrlZBringsTheDeletedFileBackIntoItsGroup) {
  QAction* undo = w.frame.action(kCmdUndo);
  w.controller.UpdateCommandStates();
  EXPECT_FALSE(undo->isEnabled());
  w.questions.answers = {IDYES, IDYES};  // the last copy of its group goes: asked
  deleteRows({tree.Path("one/a.txt")});
  ASSERT_FALSE(fs::exists(tree.Path("one/a.txt")));
  EXPECT_EQ(groups(), (Names{"b.txt"}));  // the group of two went with it
  w.controller.UpdateCommandStates();
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_EQ(undo->text().toStdString(), "&Undo Delete of 1 file\tCtrl+Z");
  w.frame.activateWindow();
  QTest::keyClick(&w.frame, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(fs::exists(tree.Path("one/a.txt")));
  EXPECT_TRUE(testing::TrashedFrom(tree.root()).empty());
  EXPECT_EQ(groups(), (Names{"a.txt", "b.txt"}));  // the vanished group is back
  w.controller.UpdateCommandStates();
  EXPECT_FALSE(undo->isEnabled());
}

TEST_F(UndoWindow, HistoryDialogUndoesTheSelectedAction) {
  w.questions.answers = {IDYES};
  deleteRows({tree.Path("one/b.txt"), tree.Path("two/b.txt")});
  ASSERT_FALSE(fs::exists(tree.Path("two/b.txt")));
  w.questions.answers = {IDYES};  // "Undo Delete of 2 files?"
  bool clicked = false, listed = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<ActionHistoryDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    QTreeWidget* tree = dialog->tree();
    listed = tree->topLevelItemCount() == 1 &&
             tree->topLevelItem(0)->text(0) == QStringLiteral("Delete of 2 files") &&
             tree->topLevelItem(0)->childCount() == 2 &&
             tree->topLevelItem(0)->text(2) == QStringLiteral("done");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(tree->topLevelItem(0)).center());
    clicked = dialog->undoButton()->isEnabled();
    QTest::mouseClick(dialog->undoButton(), Qt::LeftButton);
    EXPECT_EQ(tree->topLevelItem(0)->text(2), QStringLiteral("undone"));
    EXPECT_FALSE(dialog->undoButton()->isEnabled());
    QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
  });
  w.frame.action(kCmdActionHistory)->trigger();
  EXPECT_TRUE(listed);
  EXPECT_TRUE(clicked);
  ASSERT_EQ(w.questions.asked.size(), 2u);
  EXPECT_EQ(w.questions.asked[1].text.rfind("Undo Delete of 2 files?", 0), 0u)
      << w.questions.asked[1].text;
  EXPECT_TRUE(fs::exists(tree.Path("one/b.txt")));
  EXPECT_TRUE(fs::exists(tree.Path("two/b.txt")));
  EXPECT_EQ(files(), 5u);
  EXPECT_EQ(groups(), (Names{"a.txt", "b.txt"}));
}

}  // namespace
}  // namespace tf
