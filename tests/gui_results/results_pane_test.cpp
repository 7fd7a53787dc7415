// The results pane's two lists over real files: sorting by the headers, deleting through
// buttons and keys, the tools, the menu and the slot of the current file, a search
// clearing the lists, and names that are not UTF-8.
#include "ui/results_pane.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>

#include "tests/gui_results/results_host_fixture.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class ResultsPaneTest : public testing::ResultsPaneFixture {
 protected:
  void SetUp() override {
    ResultsPaneFixture::SetUp();
    // a.txt: three files of 100, 200 and 300 bytes; b.TXT and c.doc: two each.
    search({{"one/a.txt", 100},
            {"two/a.txt", 200},
            {"three/a.txt", 300},
            {"one/b.TXT", 1000},
            {"two/b.TXT", 1000},
            {"one/c.doc", 50},
            {"two/c.doc", 60}});
  }
  bool trashed(const std::string& relative) {
    return testing::TrashedFrom(host.dir).count(host.path(relative)) > 0;
  }
};

TEST_F(ResultsPaneTest, FileColumnStretchesAndTheBackupPageNeedsTheFolder) {
  // "File" takes the width the other columns leave, also after a resize.
  for (int width : {900, 640}) {
    pane.resize(width, 700);
    QApplication::processEvents();
    QHeaderView* header = separate()->groupsList()->horizontalHeader();
    EXPECT_EQ(header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2) +
                  header->sectionSize(3),
              separate()->groupsList()->viewport()->width());
  }
  QTest::mouseClick(pane.modeButton(1), Qt::LeftButton);
  EXPECT_TRUE(unified()->isVisible());
  EXPECT_FALSE(pane.modeButton(0)->isChecked());
  pane.SetMode(2);  // refused while the backup folder is off
  EXPECT_EQ(pane.Mode(), 1);
  pane.EnableBackup(true);
  QTest::mouseClick(pane.modeButton(2), Qt::LeftButton);
  EXPECT_EQ(pane.Mode(), 2);
  pane.EnableBackup(false);  // the page goes: back to the lists
  EXPECT_EQ(pane.Mode(), 0);
  EXPECT_TRUE(pane.modeButton(0)->isChecked());
}

// The keys' order is the sorting table's business; here the clicks must reach it, the
// selection follow its row and the unified list keep each group's files under it.
TEST_F(ResultsPaneTest, HeaderClicksSortAndKeepTheSelection) {
  QAbstractItemModelTester groupsTester(separate()->groupsModel());
  QAbstractItemModelTester filesTester(separate()->filesModel());
  QAbstractItemModelTester unifiedTester(unified()->model());
  QTableView* groups = separate()->groupsList();
  EXPECT_EQ(column(groups, 0), (Names{"a.txt", "b.txt", "c.doc"}));
  click(groups, 1);  // b.txt
  const std::pair<int, Names> clicks[] = {
      {0, {"c.doc", "b.txt", "a.txt"}},  // "File" again: reversed
      {3, {"b.txt", "a.txt", "c.doc"}},  // "Size w/dup": largest first
      {2, {"a.txt", "b.txt", "c.doc"}},  // "##": most files first, ties by name
  };
  for (const auto& [section, expected] : clicks) {
    clickHeader(groups, section);
    EXPECT_EQ(column(groups, 0), expected) << "section " << section;
    EXPECT_EQ(selectedPaths(groups), std::set<std::string>{"b.txt"});
  }
  click(groups, 0);  // a.txt: files of 100, 200, 300 bytes, the bigger the newer
  QTableView* files = separate()->filesList();
  EXPECT_EQ(column(files, 1), (Names{"100 ", "300 ", "200 "}));  // by path: one, three, two
  clickHeader(files, 2);                                         // newest first
  EXPECT_EQ(column(files, 1), (Names{"300 ", "200 ", "100 "}));

  pane.SetMode(1);
  QTableView* list = unified()->list();
  clickHeader(list, 1);  // by size: b.txt (2000) first, then a.txt with its largest file
  EXPECT_EQ(column(list, 0)[0], "b.txt");
  EXPECT_EQ(column(list, 0)[3], "a.txt");
  EXPECT_EQ(column(list, 0)[4], host.path("three/a.txt"));
  clickHeader(list, 0);
  clickHeader(list, 0);  // by name reversed: groups descend, files still ascend
  EXPECT_EQ(column(list, 0)[0], "c.doc");
  EXPECT_EQ(column(list, 0)[1], host.path("one/c.doc"));
}

TEST_F(ResultsPaneTest, DeletingFilesShrinksOrDropsTheirGroupsInBothViews) {
  QTableView* groups = separate()->groupsList();
  QTableView* files = separate()->filesList();
  // a.txt, three files: one goes to the trash and the group stays with two.
  host.questions.answers = {IDYES};
  click(files, 0);
  EXPECT_EQ(host.current, separate()->filesModel()->Node(0));
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_FALSE(fs::exists(host.path("one/a.txt")));
  EXPECT_TRUE(trashed("one/a.txt"));
  EXPECT_EQ(column(groups, 0), (Names{"a.txt", "b.txt", "c.doc"}));
  EXPECT_EQ(column(groups, 2)[0], "2");
  EXPECT_EQ(selected(groups), std::vector<int>{0});  // rebuilt, first group selected
  EXPECT_EQ(column(files, 0).size(), 2u);

  // The unified view refills on activation and shows the same; its first row, a group
  // row, is no current file.
  pane.SetMode(1);
  EXPECT_EQ(host.current, nullptr);
  QTableView* list = unified()->list();
  EXPECT_EQ(column(list, 0).size(), 9u);

  // b.txt, two files: deleting one drops the group from both views.
  host.questions.answers = {IDYES};
  ASSERT_EQ(column(list, 0)[3], "b.txt");
  click(list, 4);
  QTest::mouseClick(unified()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_EQ(column(list, 0), (Names{"a.txt", host.path("three/a.txt"), host.path("two/a.txt"),
                                    "c.doc", host.path("one/c.doc"), host.path("two/c.doc")}));
  EXPECT_EQ(selected(list), std::vector<int>{0});
  pane.SetMode(0);
  EXPECT_EQ(column(groups, 0), (Names{"a.txt", "c.doc"}));
  EXPECT_EQ(host.current, separate()->filesModel()->Node(0));  // the view on show sets it

  // A removal reported by another action keeps the group selected when it stays.
  search({{"x/d.txt", 1}, {"y/d.txt", 1}, {"z/d.txt", 1}, {"x/e", 1}, {"y/e", 1}});
  pane.SetMode(1);
  click(list, 4);                    // the group row "e"
  EXPECT_EQ(host.current, nullptr);  // a group row is no current file
  EXPECT_EQ(pane.RemoveFileFromResults(ResultView::kUnified, host.path("y/d.txt")), 1);
  EXPECT_EQ(column(list, 0)[static_cast<size_t>(selected(list).at(0))], "d.txt");
  EXPECT_EQ(pane.RemoveFileFromResults(ResultView::kUnified, host.path("nowhere")), 0);
}

TEST_F(ResultsPaneTest, ToolsMenuOpenAndKeysActOnTheSelectedFiles) {
  QTableView* files = separate()->filesList();
  SeparateListsView* view = separate();
  click(files, 0);
  click(files, 1, Qt::ControlModifier);
  EXPECT_EQ(host.current, nullptr);  // two selected: no current file
  QTest::mouseClick(view->button(ResultListView::kRun), Qt::LeftButton);
  EXPECT_EQ(host.ran, std::vector<std::string>{"0:2"});  // the first tool, both files
  host.tools.clear();
  pane.OnToolsChanged();
  EXPECT_FALSE(view->button(ResultListView::kRun)->isEnabled());
  EXPECT_EQ(view->toolBox()->count(), 0);

  rightClick(files, files->model()->index(1, 0));
  ASSERT_TRUE(view->contextMenu()->isVisible());
  view->contextMenu()->actions().back()->trigger();  // Properties of the first selected file
  view->contextMenu()->hide();
  EXPECT_EQ(host.properties, Names{column(files, 0)[0]});
  // Open with two files, answered No: only the first.
  host.questions.answers = {IDNO};
  QTest::mouseClick(view->button(ResultListView::kOpen), Qt::LeftButton);
  EXPECT_EQ(host.shell.opened, Names{column(files, 0)[0]});

  // In the unified list a group row counts for nothing: no menu, no opening.
  pane.SetMode(1);
  host.shell.opened.clear();
  QTableView* list = unified()->list();
  click(list, 0);
  rightClick(list, list->model()->index(0, 0));
  EXPECT_FALSE(unified()->contextMenu()->isVisible());
  const auto at = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
  for (int row : {0, 1}) {  // double clicks open files only
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at(row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(row));
  }
  click(list, 2);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(host.shell.opened, (Names{column(list, 0)[1], column(list, 0)[2]}));
  // Hovering moves over rows without selecting them.
  for (int row = 3; row < 6; ++row) QTest::mouseMove(list->viewport(), at(row));
  EXPECT_EQ(selected(list), std::vector<int>{2});
  // Ctrl+A takes every file row and no group row.
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(selected(list), (std::vector<int>{1, 2, 3, 5, 6, 8, 9}));

  // The Delete key sends the selected file to the trash.
  host.questions.answers = {IDYES};
  click(list, 8);
  ASSERT_EQ(column(list, 0)[8], host.path("one/c.doc"));
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_TRUE(trashed("one/c.doc"));
  EXPECT_EQ(column(list, 0).size(), 7u);  // the c.doc group went with its second file
}

TEST_F(ResultsPaneTest, SearchClearsTheListsAndActionsWaitForItsEnd) {
  click(separate()->filesList(), 0);
  pane.OnSearchStarted();
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);
  EXPECT_EQ(unified()->model()->rowCount(), 0);
  EXPECT_EQ(host.current, nullptr);
  separate()->RunCommand(ResultListView::kDelete);
  EXPECT_EQ(host.shell.trashCalls, 0);
  pane.SetMode(1);  // switching views while searching fills nothing
  EXPECT_EQ(unified()->model()->rowCount(), 0);
  EXPECT_EQ(pane.RemoveFileFromResults(ResultView::kUnified, host.path("one/a.txt")), 0);

  host.Search({{"p/f", 5}, {"q/f", 5}});
  pane.OnSearchFinished();
  EXPECT_EQ(unified()->model()->rowCount(), 3);
  // The hidden view is not filled at the end of a search, only when it is shown.
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);
  pane.SetMode(0);
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 1);
}

TEST_F(ResultsPaneTest, ClicksQueuedDuringAnActionAreDropped) {
  // While the trash works the user clicks "Delete" again; that click must not delete
  // the next file once the first delete returns.
  QPushButton* deleteButton = separate()->button(ResultListView::kDelete);
  host.shell.duringTrash = [&] {
    const QPoint at = deleteButton->rect().center();
    const QPoint global = deleteButton->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(
          deleteButton,
          new QMouseEvent(type, at, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
  };
  host.questions.answers = {IDYES, IDYES};
  click(separate()->filesList(), 0);
  QTest::mouseClick(deleteButton, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(host.shell.trashCalls, 1);
  EXPECT_EQ(host.questions.asked.size(), 1u);
}

TEST_F(ResultsPaneTest, NamesThatAreNotUtf8ReachTheActionsByteForByte) {
  const std::string name = "caf\xe9 <\"x\">.txt";
  search({{"one/" + name, 3}, {"two/" + name, 3}});
  QTableView* files = separate()->filesList();
  EXPECT_NE(column(files, 0)[0].find("\xef\xbf\xbd"), std::string::npos);  // shown as U+FFFD
  click(files, 0);
  QTest::mouseClick(separate()->button(ResultListView::kBrowse), Qt::LeftButton);
  EXPECT_EQ(host.shell.browsed, Names{host.path("one/" + name)});
  host.questions.answers = {IDYES};
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_FALSE(fs::exists(host.path("one/" + name)));
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);  // a group of two goes whole
}

TEST_F(ResultsPaneTest, TheSelectedRowStaysInViewAfterAResort) {
  std::vector<std::pair<std::string, int>> files;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "g" + std::to_string(1000 + i);
    files.push_back({"x/" + name, 10 + i});
    files.push_back({"y/" + name, 10 + i});
  }
  search(files);
  QTableView* groups = separate()->groupsList();
  click(groups, 250);
  const auto shown = [&] {
    return groups->viewport()->rect().intersects(groups->visualRect(groups->currentIndex()));
  };
  ASSERT_TRUE(shown());
  clickHeader(groups, 0);  // reversed: the row moves to the top part
  EXPECT_EQ(groups->currentIndex().row(), 49);
  EXPECT_TRUE(shown());
  clickHeader(groups, 3);  // largest first
  EXPECT_TRUE(shown());
}

}  // namespace
}  // namespace tf
