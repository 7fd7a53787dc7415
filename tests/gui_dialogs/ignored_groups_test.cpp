// The ignore list through the main window as a user reaches it: "Ignore group" in the
// result list's menu, "Ignored groups..." in the "&Settings" menu, its "Remove", and the
// searches before and after.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/main_commands.h"
#include "results/ignore_store.h"
#include "tests/gui_main/main_window_support.h"
#include "tests/gui_results/file_listing.h"
#include "tests/support/click_answer.h"
#include "ui/dialogs/ignored_groups_dialog.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"

namespace tf {
namespace {

using testing::ClickOn;
using testing::Column;
using testing::TempTree;
using testing::WhenShown;
using testing::Window;
using Names = std::vector<std::string>;

TEST(IgnoredGroups, IgnoreGroupFromTheListsMenuHidesItUntilTheDialogRemovesIt) {
  TempTree places;
  TempTree tree;
  for (const char* name : {"one/photo.jpg", "two/photo.jpg", "one/notes.txt", "two/notes.txt"})
    tree.File(name, 10);
  Window w(places);
  ASSERT_TRUE(w.started);
  w.frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.frame));
  ASSERT_TRUE(w.Search(tree.root()));
  SeparateListsView* view = w.controller.resultsPane()->separateView();
  QTableView* groups = view->groupsList();
  ASSERT_EQ(Column(groups->model()), (Names{"notes.txt", "photo.jpg"}));

  // Right-click the group's file and take "Ignore group".
  QTableView* files = view->filesList();
  const auto ignoreGroupOf = [&](const std::string& group) {
    ASSERT_TRUE(testing::ClickRow(groups, group));
    const QPoint at = files->visualRect(files->model()->index(0, 0)).center();
    EXPECT_TRUE(ClickOn(files->viewport(), at));
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, files->viewport()->mapToGlobal(at));
    QApplication::sendEvent(files->viewport(), &event);
    QMenu* menu = view->contextMenu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    QAction* ignore = nullptr;
    for (QAction* action : menu->actions())
      if (action->text() == "Ignore group") ignore = action;
    ASSERT_TRUE(ignore && ignore->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(ignore).center());
  };
  // A folder where the list belongs: the user is told, and nothing hides.
  const std::string listFile = places.Path("data/ignored");
  ASSERT_TRUE(std::filesystem::create_directories(listFile));
  ignoreGroupOf("photo.jpg");
  ASSERT_EQ(w.questions.asked.size(), 1u);
  EXPECT_NE(w.questions.asked[0].text.find("cannot be ignored"), std::string::npos);
  EXPECT_EQ(Column(groups->model()), (Names{"notes.txt", "photo.jpg"}));
  std::filesystem::remove(listFile);

  ignoreGroupOf("photo.jpg");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Column(groups->model()) == Names{"notes.txt"}; }, 3000))
      << Column(groups->model()).size();

  // The list on disk holds the group's files.
  IgnoreStore store(listFile);
  IgnoreList list;
  ASSERT_EQ(store.Read(&list), IgnoreStore::State::kRead);
  EXPECT_EQ(
      list.Entries(),
      (std::vector<IgnoreList::Entry>{{tree.Path("one/photo.jpg"), tree.Path("two/photo.jpg")}}));
  ASSERT_TRUE(w.Search());
  EXPECT_EQ(Column(groups->model()), Names{"notes.txt"});  // and later searches hide it too

  // "Ignored groups..." through the menu bar; "Remove" on the entry, then "Close".
  bool seen = false;
  WhenShown<IgnoredGroupsDialog>([&](IgnoredGroupsDialog* d) {
    seen = true;
    QTreeWidget* entries = d->list();
    ASSERT_EQ(entries->topLevelItemCount(), 1);
    QTreeWidgetItem* path = entries->topLevelItem(0)->child(1);
    ASSERT_EQ(path->text(0).toStdString(), tree.Path("two/photo.jpg"));
    EXPECT_TRUE(ClickOn(entries->viewport(), entries->visualItemRect(path).center()));
    ASSERT_TRUE(d->removeButton()->isEnabled());
    EXPECT_TRUE(ClickOn(d->removeButton()));
    EXPECT_EQ(entries->topLevelItemCount(), 0);
    EXPECT_FALSE(d->removeButton()->isEnabled());
    EXPECT_TRUE(ClickOn(d->closeButton()));
  });
  ASSERT_TRUE(testing::ChooseFromMenu(w.frame, 1, kCmdIgnoredGroups));
  EXPECT_TRUE(seen);
  ASSERT_EQ(store.Read(&list), IgnoreStore::State::kRead);
  EXPECT_TRUE(list.Empty());

  ASSERT_TRUE(w.Search());
  EXPECT_EQ(Column(groups->model()), (Names{"notes.txt", "photo.jpg"}));
}

}  // namespace
}  // namespace tf
