#include "ui/results_pane.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "tests/gui_results/results_host_fixture.h"
#include "ui/list_helpers.h"
#include "ui/result_rows_model.h"
#include "ui/separate_lists_view.h"
#include "ui/unified_list_view.h"

namespace tf {
namespace {

using testing::ScriptedHost;
using Command = ResultListView::Command;

class ResultsPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // a.txt: three files of 100, 200 and 300 bytes; b.TXT and c.doc: two each.
    host.Search({{"one/a.txt", 100},
                 {"two/a.txt", 200},
                 {"three/a.txt", 300},
                 {"one/b.TXT", 1000},
                 {"two/b.TXT", 1000},
                 {"one/c.doc", 50},
                 {"two/c.doc", 60}});
    pane.resize(900, 700);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    pane.OnSearchFinished();
  }

  // A new search, as the program runs one: the lists let go of the old tree first.
  void searchAgain(const std::vector<std::pair<std::string, int>>& files) {
    pane.OnSearchStarted();
    host.Search(files);
    pane.OnSearchFinished();
  }

  SeparateListsView* separate() { return pane.separateView(); }
  UnifiedListView* unified() { return pane.unifiedView(); }

  static std::vector<std::string> column(const QTableView* list, int col) {
    std::vector<std::string> texts;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row)
      texts.push_back(model->index(row, col).data().toString().toStdString());
    return texts;
  }
  static std::vector<int> selected(const QTableView* list) {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
      rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  static void click(QTableView* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    list->scrollTo(list->model()->index(row, 0));
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
  }
  static void clickHeader(QTableView* list, int section) {
    QHeaderView* header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }
  // A right click on a row, as the desktop delivers it: the press, then the menu request.
  static void rightClick(QTableView* list, int row) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
  }
  static bool enabled(ResultListView* view, Command command) {
    return view->button(command)->isEnabled();
  }

  ScriptedHost host;
  ResultsPane pane{host};
};

TEST_F(ResultsPaneTest, LayoutTextsAndModeBar) {
  std::vector<std::string> labels;
  for (const QLabel* label : separate()->findChildren<QLabel*>())
    labels.push_back(label->text().toStdString());
  EXPECT_EQ(labels, (std::vector<std::string>{
                        "Run tool:", "Duplicate files:", "Found copies of the selected file :"}));
  const std::pair<Command, const char*> tips[] = {
      {ResultListView::kOpen, "Open selected file"},
      {ResultListView::kBrowse, "Browse selected folder"},
      {ResultListView::kRun, "Run selected tool"},
      {ResultListView::kMoveToBackup, "Move file to the Backup folder"},
      {ResultListView::kMove, "Move file to..."},
      {ResultListView::kCopy, "Copy file to..."},
      {ResultListView::kReplaceByLink, "Replace file by link to the other file (duplicate)"},
      {ResultListView::kDelete, "Delete file"}};
  for (const auto& [command, tip] : tips)
    EXPECT_EQ(unified()->button(command)->toolTip().toStdString(), tip);
  EXPECT_EQ(separate()->button(ResultListView::kDelete)->palette().color(QPalette::ButtonText),
            QColor(128, 0, 0));
  EXPECT_EQ(column(separate()->groupsList(), 0).size(), 3u);
  EXPECT_EQ(separate()->groupsModel()->headerData(3, Qt::Horizontal).toString(), "Size w/dup");

  // "File" takes the width the other columns leave, also after a resize.
  for (int width : {900, 640}) {
    pane.resize(width, 700);
    QApplication::processEvents();
    QTableView* groups = separate()->groupsList();
    QHeaderView* header = groups->horizontalHeader();
    const std::vector<int> pixels = ScaleColumnTable({0, 60, 40, 80}, groups->fontMetrics());
    EXPECT_EQ(header->sectionSize(1), pixels[1]);
    EXPECT_EQ(header->sectionSize(3), pixels[3]);
    EXPECT_EQ(header->sectionSize(0),
              groups->viewport()->width() - pixels[1] - pixels[2] - pixels[3]);
  }

  EXPECT_EQ(pane.Mode(), 0);
  EXPECT_TRUE(pane.modeButton(0)->isChecked());
  EXPECT_EQ(pane.modeButton(1)->toolTip(), "Show unified list");
  EXPECT_EQ(pane.modeButton(2)->toolTip(), "Show Backup folder");
  EXPECT_FALSE(pane.modeButton(2)->isEnabled());
  QTest::mouseClick(pane.modeButton(1), Qt::LeftButton);
  EXPECT_EQ(pane.Mode(), 1);
  EXPECT_TRUE(unified()->isVisible());
  EXPECT_FALSE(pane.modeButton(0)->isChecked());
  pane.SetMode(2);  // refused while the backup folder is off
  EXPECT_EQ(pane.Mode(), 1);
  pane.EnableBackup(true);
  QTest::mouseClick(pane.modeButton(2), Qt::LeftButton);
  EXPECT_EQ(pane.Mode(), 2);
  EXPECT_TRUE(pane.modeButton(2)->isChecked());
  pane.EnableBackup(false);
  EXPECT_EQ(pane.Mode(), 0);
  EXPECT_TRUE(pane.modeButton(0)->isChecked());
  EXPECT_FALSE(pane.modeButton(2)->isChecked());
}

TEST_F(ResultsPaneTest, HeaderClicksSortEveryKeyBothWaysAndKeepTheSelection) {
  QAbstractItemModelTester groupsTester(separate()->groupsModel());
  QAbstractItemModelTester filesTester(separate()->filesModel());
  QAbstractItemModelTester unifiedTester(unified()->model());
  QTableView* groups = separate()->groupsList();
  using Names = std::vector<std::string>;
  EXPECT_EQ(column(groups, 0), (Names{"a.txt", "b.txt", "c.doc"}));
  EXPECT_EQ(column(groups, 1), (Names{"txt", "txt", "doc"}));
  EXPECT_EQ(column(groups, 2), (Names{"3", "2", "2"}));
  EXPECT_EQ(column(groups, 3), (Names{"600 ", "1.95 K", "110 "}));
  click(groups, 1);  // b.txt

  const std::pair<int, Names> clicks[] = {
      {0, {"c.doc", "b.txt", "a.txt"}},  // "File" again: reversed
      {3, {"b.txt", "a.txt", "c.doc"}},  // "Size w/dup": largest first
      {3, {"c.doc", "a.txt", "b.txt"}},
      {2, {"a.txt", "b.txt", "c.doc"}},  // "##": most files first, ties by name
      {2, {"b.txt", "c.doc", "a.txt"}},  // reversed: ties still by name
      {1, {"c.doc", "a.txt", "b.txt"}},  // "Type"
      {1, {"a.txt", "b.txt", "c.doc"}},
  };
  for (const auto& [section, expected] : clicks) {
    clickHeader(groups, section);
    EXPECT_EQ(column(groups, 0), expected) << "section " << section;
    ASSERT_EQ(selected(groups).size(), 1u);
    EXPECT_EQ(column(groups, 0)[static_cast<size_t>(selected(groups)[0])], "b.txt");
  }
  EXPECT_EQ(separate()->groupsKey(), kSortByDesc | kSortReversed);

  click(groups, 0);  // a.txt: files of 100, 200, 300 bytes
  QTableView* files = separate()->filesList();
  const auto sizes = [&] { return column(files, 1); };
  EXPECT_EQ(sizes(), (Names{"100 ", "300 ", "200 "}));  // by path: one, three, two
  clickHeader(files, 1);
  EXPECT_EQ(sizes(), (Names{"300 ", "200 ", "100 "}));
  clickHeader(files, 1);
  EXPECT_EQ(sizes(), (Names{"100 ", "200 ", "300 "}));
  clickHeader(files, 2);  // newest first: the test gave bigger files later times
  EXPECT_EQ(sizes(), (Names{"300 ", "200 ", "100 "}));

  pane.SetMode(1);
  QTableView* list = unified()->list();
  EXPECT_EQ(column(list, 0)[0], "a.txt");
  EXPECT_EQ(column(list, 1)[0], "$      600 ");
  EXPECT_EQ(column(list, 0).size(), 10u);
  clickHeader(list, 1);  // by size: b.txt (2000) first, then a.txt with its largest file
  EXPECT_EQ(column(list, 0)[0], "b.txt");
  EXPECT_EQ(column(list, 0)[3], "a.txt");
  EXPECT_EQ(column(list, 0)[4], host.path("three/a.txt"));
  clickHeader(list, 2);  // "Time" only beeps
  EXPECT_EQ(unified()->sortKey(), kSortByVal);
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
  EXPECT_FALSE(std::filesystem::exists(host.path("one/a.txt")));
  EXPECT_TRUE(std::filesystem::exists(testing::PrivateTrashHome() + "/Trash/files/a.txt"));
  EXPECT_EQ(column(groups, 0), (std::vector<std::string>{"a.txt", "b.txt", "c.doc"}));
  EXPECT_EQ(column(groups, 2)[0], "2");
  EXPECT_EQ(column(groups, 3)[0], "500 ");
  EXPECT_EQ(selected(groups), std::vector<int>{0});  // rebuilt, first group selected
  EXPECT_EQ(column(files, 0).size(), 2u);

  // The unified view refills on activation and shows the same; its first row, a group
  // row, is no current file.
  pane.SetMode(1);
  EXPECT_EQ(host.current, nullptr);
  QTableView* list = unified()->list();
  EXPECT_EQ(column(list, 0).size(), 9u);
  EXPECT_EQ(column(list, 1)[0], "$      500 ");

  // b.txt, two files: deleting one drops the group from both views.
  host.questions.answers = {IDYES};
  const int bRow = 3;
  ASSERT_EQ(column(list, 0)[static_cast<size_t>(bRow)], "b.txt");
  click(list, bRow + 1);
  QTest::mouseClick(unified()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_EQ(column(list, 0),
            (std::vector<std::string>{"a.txt", host.path("three/a.txt"), host.path("two/a.txt"),
                                      "c.doc", host.path("one/c.doc"), host.path("two/c.doc")}));
  EXPECT_EQ(selected(list), std::vector<int>{0});
  pane.SetMode(0);
  EXPECT_EQ(column(groups, 0), (std::vector<std::string>{"a.txt", "c.doc"}));
  EXPECT_EQ(host.current, separate()->filesModel()->Node(0));  // the view on show sets it

  // A removal reported by another action keeps the group selected when it stays.
  searchAgain({{"x/d.txt", 1}, {"y/d.txt", 1}, {"z/d.txt", 1}, {"x/e", 1}, {"y/e", 1}});
  pane.SetMode(1);
  click(list, 4);                    // the group row "e"
  EXPECT_EQ(host.current, nullptr);  // a group row is no current file
  EXPECT_EQ(pane.RemoveFileFromResults(ResultView::kUnified, host.path("y/d.txt")), 1);
  EXPECT_EQ(column(list, 0)[static_cast<size_t>(selected(list).at(0))], "d.txt");
  EXPECT_EQ(pane.RemoveFileFromResults(ResultView::kUnified, host.path("nowhere")), 0);
}

TEST_F(ResultsPaneTest, ButtonsAndTheContextMenuFollowTheSelectedFiles) {
  QTableView* files = separate()->filesList();
  SeparateListsView* view = separate();
  click(files, 0);
  click(files, 1, Qt::ControlModifier);
  EXPECT_EQ(host.current, nullptr);  // two selected: no current file
  for (Command on : {ResultListView::kOpen, ResultListView::kBrowse, ResultListView::kDelete,
                     ResultListView::kRun})
    EXPECT_TRUE(enabled(view, on)) << on;
  for (Command off : {ResultListView::kMove, ResultListView::kCopy, ResultListView::kReplaceByLink,
                      ResultListView::kMoveToBackup})
    EXPECT_FALSE(enabled(view, off)) << off;
  QTest::mouseClick(view->button(ResultListView::kRun), Qt::LeftButton);
  EXPECT_EQ(host.ran, std::vector<std::string>{"0:2"});  // the first tool, both files
  host.backup = true;
  pane.EnableBackup(true);
  EXPECT_TRUE(enabled(view, ResultListView::kMoveToBackup));
  host.tools.clear();
  pane.OnToolsChanged();
  EXPECT_FALSE(enabled(view, ResultListView::kRun));
  EXPECT_EQ(view->toolBox()->count(), 0);

  rightClick(files, 1);
  QMenu* menu = view->contextMenu();
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->title(), "FILE");
  std::vector<std::string> items;
  for (const QAction* action : menu->actions())
    items.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  EXPECT_EQ(items,
            (std::vector<std::string>{"Open", "Browse", "-", "Move to Backup", "Move...", "Copy...",
                                      "Delete", "-", "S&elect", "-", "Properties"}));
  menu->actions().back()->trigger();  // Properties of the first selected file
  menu->hide();
  EXPECT_EQ(host.properties, std::vector<std::string>{column(files, 0)[0]});

  // Open with two files, answered No: only the first.
  host.questions.answers = {IDNO};
  QTest::mouseClick(view->button(ResultListView::kOpen), Qt::LeftButton);
  EXPECT_EQ(host.shell.opened, std::vector<std::string>{column(files, 0)[0]});

  // A selected group row of the unified list counts for nothing.
  pane.SetMode(1);
  QTableView* list = unified()->list();
  click(list, 0);
  EXPECT_FALSE(enabled(unified(), ResultListView::kOpen));
  rightClick(list, 0);
  EXPECT_FALSE(unified()->contextMenu()->isVisible());
  click(list, 1, Qt::ControlModifier);
  EXPECT_TRUE(enabled(unified(), ResultListView::kMove));
  EXPECT_EQ(host.current, nullptr);  // two rows selected: the slot stays as it was

  // Hovering moves over rows without selecting them.
  const std::vector<int> before = selected(list);
  for (int row = 2; row < 6; ++row)
    QTest::mouseMove(list->viewport(), list->visualRect(list->model()->index(row, 0)).center());
  EXPECT_EQ(selected(list), before);
}

TEST_F(ResultsPaneTest, SearchClearsTheListsAndActionsWaitForItsEnd) {
  click(separate()->filesList(), 0);
  pane.OnSearchStarted();
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);
  EXPECT_EQ(unified()->model()->rowCount(), 0);
  EXPECT_EQ(host.current, nullptr);
  EXPECT_TRUE(separate()->busy());
  EXPECT_FALSE(enabled(separate(), ResultListView::kDelete));
  separate()->RunCommand(ResultListView::kDelete);
  EXPECT_EQ(host.shell.trashCalls, 0);
  pane.SetMode(1);  // switching views while searching fills nothing
  EXPECT_EQ(unified()->model()->rowCount(), 0);
  EXPECT_EQ(pane.RemoveFileFromResults(ResultView::kUnified, host.path("one/a.txt")), 0);

  host.Search({{"p/f", 5}, {"q/f", 5}});
  pane.OnSearchFinished();
  EXPECT_FALSE(unified()->busy());
  EXPECT_EQ(unified()->model()->rowCount(), 3);
  // The hidden view is not filled at the end of a search, only when it is shown.
  EXPECT_FALSE(separate()->busy());
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
  searchAgain({{"one/" + name, 3}, {"two/" + name, 3}});
  QTableView* files = separate()->filesList();
  EXPECT_NE(column(files, 0)[0].find("\xef\xbf\xbd"), std::string::npos);  // shown as U+FFFD
  click(files, 0);
  QTest::mouseClick(separate()->button(ResultListView::kBrowse), Qt::LeftButton);
  EXPECT_EQ(host.shell.browsed, std::vector<std::string>{host.path("one/" + name)});
  host.questions.answers = {IDYES};
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(host.path("one/" + name)));
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);  // a group of two goes whole
}

}  // namespace
}  // namespace tf

namespace tf {
namespace {

TEST_F(ResultsPaneTest, KeysAndDoubleClicksActAsInAFileManager) {
  pane.SetMode(1);
  QTableView* list = unified()->list();
  QHeaderView* header = list->horizontalHeader();
  EXPECT_TRUE(header->isSortIndicatorShown());
  EXPECT_EQ(header->sortIndicatorSection(), 0);
  clickHeader(list, 1);  // by size: largest first
  EXPECT_EQ(header->sortIndicatorSection(), 1);
  const Qt::SortOrder largestFirst = header->sortIndicatorOrder();
  clickHeader(list, 1);
  EXPECT_NE(header->sortIndicatorOrder(), largestFirst);
  clickHeader(list, 2);  // "Time" does not sort the unified list: the indicator stays
  EXPECT_EQ(header->sortIndicatorSection(), 1);
  clickHeader(list, 0);

  // Double click and Enter open files; on a group row they do nothing.
  const auto at = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
  const auto doubleClick = [&](int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at(row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(row));
  };
  doubleClick(0);
  EXPECT_TRUE(host.shell.opened.empty());
  doubleClick(1);
  click(list, 2);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(host.shell.opened, (std::vector<std::string>{column(list, 0)[1], column(list, 0)[2]}));

  // Ctrl+A takes every file row and no group row.
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(selected(list), (std::vector<int>{1, 2, 3, 5, 6, 8, 9}));

  // Delete sends the selected file to the trash.
  host.questions.answers = {IDYES};
  click(list, 8);
  ASSERT_EQ(column(list, 0)[8], host.path("one/c.doc"));
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_FALSE(std::filesystem::exists(host.path("one/c.doc")));
  EXPECT_TRUE(std::filesystem::exists(testing::PrivateTrashHome() + "/Trash/files/c.doc"));
  EXPECT_EQ(column(list, 0).size(), 7u);  // the c.doc group went with its second file
}

TEST_F(ResultsPaneTest, TheSelectedRowStaysInViewAfterAResort) {
  std::vector<std::pair<std::string, int>> files;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "g" + std::to_string(1000 + i);
    files.push_back({"x/" + name, 10 + i});
    files.push_back({"y/" + name, 10 + i});
  }
  searchAgain(files);
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
