// The results pane's two lists over real files, driven by clicks, keys and the real context
// menus; files deleted go to the real trash.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>

#include "app/main_commands.h"
#include "datatree/node_ptr.h"
#include "results/file_actions.h"
#include "tests/gui_results/results_host_fixture.h"
#include "tests/support/click_answer.h"
#include "tests/support/timed.h"
#include "ui/window/long_work.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Paths = std::set<std::string>;
using Names = std::vector<std::string>;
using Command = ResultListView::Command;
using testing::SelectedPaths;

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
};

TEST_F(ResultsPaneTest, ColumnsFitModesFollowTheBackupPageAndHeaderClicksSort) {
  QAbstractItemModelTester groupsTester(separate()->groupsModel());
  QAbstractItemModelTester filesTester(separate()->filesModel());
  QAbstractItemModelTester unifiedTester(unified()->model());
  pane.resize(640, 700);
  QApplication::processEvents();
  QHeaderView* header = separate()->groupsList()->horizontalHeader();
  EXPECT_EQ(header->length(), separate()->groupsList()->viewport()->width());
  QTest::mouseClick(pane.modeButton(1), Qt::LeftButton);
  EXPECT_TRUE(unified()->isVisible());
  pane.SetMode(2);  // refused while the backup folder is off
  EXPECT_EQ(pane.Mode(), 1);
  pane.EnableBackup(true);
  QTest::mouseClick(pane.modeButton(2), Qt::LeftButton);
  EXPECT_EQ(pane.Mode(), 2);
  pane.EnableBackup(false);  // the page goes: back to the lists
  EXPECT_EQ(pane.Mode(), 0);
  EXPECT_TRUE(pane.modeButton(0)->isChecked());

  QTableView* groups = separate()->groupsList();
  EXPECT_EQ(column(groups, 0), (Names{"a.txt", "b.txt", "c.doc"}));
  click(groups, 1);        // b.txt
  clickHeader(groups, 3);  // "Size w/dup": largest first
  EXPECT_EQ(column(groups, 0), (Names{"b.txt", "a.txt", "c.doc"}));
  EXPECT_EQ(SelectedPaths(groups), Paths{"b.txt"});
  click(groups, 1);  // a.txt: files of 100, 200, 300 bytes, the bigger the newer
  QTableView* files = separate()->filesList();
  EXPECT_EQ(column(files, 1), (Names{"100 ", "300 ", "200 "}));  // by path: one, three, two
  clickHeader(files, 2);                                         // newest first
  EXPECT_EQ(column(files, 1), (Names{"300 ", "200 ", "100 "}));

  pane.SetMode(1);
  QTableView* list = unified()->list();
  clickHeader(list, 1);  // by size: b.txt (2000) first, then a.txt with its largest file
  EXPECT_EQ(column(list, 0)[0], "b.txt");
  EXPECT_EQ(column(list, 0)[4], host.path("three/a.txt"));
}

TEST_F(ResultsPaneTest, DeletingFilesShrinksOrDropsTheirGroupsInBothViews) {
  QTableView* groups = separate()->groupsList();
  QTableView* files = separate()->filesList();
  host.questions.answers = {IDYES};
  click(files, 0);
  EXPECT_EQ(host.current, separate()->filesModel()->Node(0));
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_EQ(testing::TrashedFrom(host.dir), Paths{host.path("one/a.txt")});
  EXPECT_EQ(column(groups, 0), (Names{"a.txt", "b.txt", "c.doc"}));
  EXPECT_EQ(column(groups, 2)[0], "2");
  EXPECT_EQ(selected(groups), std::vector<int>{0});  // rebuilt, first group selected
  EXPECT_EQ(column(files, 0).size(), 2u);

  // Refilled on activation; its first row, a group row, is no current file.
  pane.SetMode(1);
  EXPECT_EQ(host.current, nullptr);
  QTableView* list = unified()->list();
  EXPECT_EQ(column(list, 0).size(), 9u);

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

TEST_F(ResultsPaneTest, ToolsMenuOpenCopyMoveAndKeysActOnTheSelectedFiles) {
  QTableView* files = separate()->filesList();
  SeparateListsView* view = separate();
  host.backup = true;
  view->RecomputeButtons();
  click(files, 0);
  EXPECT_TRUE(view->button(ResultListView::kMoveToBackup)->isEnabled());
  click(files, 1, Qt::ControlModifier);
  EXPECT_EQ(host.current, nullptr);  // two selected: no current file
  // The backup takes one file at a time: it is not offered for two, Delete is.
  EXPECT_FALSE(view->button(ResultListView::kMoveToBackup)->isEnabled());
  EXPECT_TRUE(view->button(ResultListView::kDelete)->isEnabled());
  host.backup = false;
  QTest::mouseClick(view->button(ResultListView::kRun), Qt::LeftButton);
  EXPECT_EQ(host.ran, std::vector<std::string>{"0:2"});  // the first tool, both files

  rightClick(files, files->model()->index(1, 0));
  ASSERT_TRUE(view->contextMenu()->isVisible());
  view->contextMenu()->actions().back()->trigger();  // Properties of the first selected file
  view->contextMenu()->hide();
  EXPECT_EQ(host.properties, Names{column(files, 0)[0]});
  host.questions.answers = {IDNO};
  QTest::mouseClick(view->button(ResultListView::kOpen), Qt::LeftButton);
  EXPECT_EQ(host.shell.opened, Names{column(files, 0)[0]});

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
  for (int row = 3; row < 6; ++row) QTest::mouseMove(list->viewport(), at(row));
  EXPECT_EQ(selected(list), std::vector<int>{2});
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(selected(list), (std::vector<int>{1, 2, 3, 5, 6, 8, 9}));

  // A click on Copy while it works would, delivered after it, copy again: it is dropped.
  const std::string copies = host.path("copies"), moved = host.path("moved");
  fs::create_directories(copies);
  fs::create_directories(moved);
  click(list, 1);
  ASSERT_EQ(column(list, 0)[1], host.path("one/a.txt"));
  QPushButton* copy = unified()->button(ResultListView::kCopy);
  host.shell.afterWork = [&] {
    const QPoint at = copy->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(
          copy,
          new QMouseEvent(type, at, copy->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
  };
  host.questions.folders = {copies, copies};
  QTest::mouseClick(copy, Qt::LeftButton);
  QApplication::processEvents();
  host.shell.afterWork = nullptr;
  EXPECT_EQ(host.questions.prompts.size(), 1u);
  EXPECT_EQ(testing::NamesIn(copies), Names{"a.txt"});
  EXPECT_EQ(column(list, 0).size(), 10u);
  host.questions.folders = {moved};
  click(list, 1);
  QTest::mouseClick(unified()->button(ResultListView::kMove), Qt::LeftButton);
  EXPECT_FALSE(fs::exists(host.path("one/a.txt")));
  EXPECT_EQ(testing::NamesIn(moved), Names{"a.txt"});
  EXPECT_EQ(column(list, 0).size(), 9u);
}

TEST_F(ResultsPaneTest, SearchClearsTheListsAndNamesThatAreNotUtf8ReachTheActions) {
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

  const std::string name = "caf\xe9 <\"x\">.txt";
  const std::string broken = "new\nline\t.txt";
  host.Search({{"one/" + name, 3}, {"two/" + name, 3}, {"one/" + broken, 4}, {"two/" + broken, 4}});
  pane.OnSearchFinished();
  EXPECT_EQ(unified()->model()->rowCount(), 6);
  // A control character shows as its picture, so nothing after it hides; a long path
  // loses its middle, and its tooltip holds it whole.
  const QModelIndex brokenRow = unified()->model()->index(4, 0);  // after the café group
  EXPECT_EQ(brokenRow.data().toString(),
            QString::fromStdString(host.path("one/new\u240Aline\u2409.txt")));
  EXPECT_EQ(brokenRow.data(Qt::ToolTipRole), brokenRow.data());
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);
  pane.SetMode(0);
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 2);
  separate()->groupsList()->selectRow(0);  // café
  QTableView* files = separate()->filesList();
  EXPECT_NE(column(files, 0)[0].find("\xef\xbf\xbd"), std::string::npos);  // shown as U+FFFD
  click(files, 0);
  QTest::mouseClick(separate()->button(ResultListView::kBrowse), Qt::LeftButton);
  EXPECT_EQ(host.shell.browsed, Names{host.path("one/" + name)});
  host.questions.answers = {IDYES};
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_FALSE(fs::exists(host.path("one/" + name)));
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 1);  // a group of two goes whole
}

// Deleting the last copies asks, with "No" as what Enter takes.
TEST_F(ResultsPaneTest, DeletingTheLastCopiesAsksAndAProtectedFileIsRefusedEveryWay) {
  pane.SetMode(1);
  UnifiedListView* view = pane.unifiedView();
  QTableView* list = view->list();
  const std::vector<std::string> files{host.path("one/b.TXT"), host.path("two/b.TXT"),
                                       host.path("three/a.txt")};
  clickPaths(list, files);
  host.questions.answers = {testing::kPressEnter};
  QTest::mouseClick(view->button(ResultListView::kDelete), Qt::LeftButton);
  ASSERT_EQ(host.questions.asked.size(), 1u);
  EXPECT_EQ(host.questions.asked[0].caption, kLastCopyCaption);
  EXPECT_NE(host.questions.asked[0].text.find("group \"b.txt\""), std::string::npos);
  EXPECT_EQ(host.questions.asked[0].text.find("a.txt"), std::string::npos);  // a copy stays
  for (const std::string& file : files) EXPECT_TRUE(fs::exists(file)) << file;
  host.questions.answers = {IDYES, IDYES};
  QTest::keyClick(list, Qt::Key_Delete);
  for (const std::string& file : files) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_EQ(host.result.Root()->val2, 4);

  host.protectedFolders = {host.path("one")};
  host.backup = true;
  host.questions.asked.clear();
  const std::vector<std::string> trashedBefore = testing::NamesIn(testing::PrivateTrashFiles());
  clickPaths(list, {host.path("one/a.txt")});
  ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);
  for (Command command : {ResultListView::kDelete, ResultListView::kMove,
                          ResultListView::kMoveToBackup, ResultListView::kReplaceByLink})
    QTest::mouseClick(view->button(command), Qt::LeftButton);
  QTest::keyClick(list, Qt::Key_Delete);
  for (QAction* item : view->contextMenu()->actions())
    if (item->text() == "Delete" || item->text() == "Move to Backup" || item->text() == "Move...")
      item->trigger();
  clickPaths(list, {host.path("two/c.doc"), host.path("one/c.doc")});
  QTest::keyClick(list, Qt::Key_Delete);

  ASSERT_EQ(host.questions.asked.size(), 9u);
  for (const testing::AskedMessage& asked : host.questions.asked) {
    EXPECT_EQ(asked.caption, kProtectedCaption);
    EXPECT_NE(asked.text.find("protected folder\n\"" + host.path("one") + "\""), std::string::npos)
        << asked.text;
  }
  EXPECT_TRUE(host.questions.prompts.empty());  // no folder was asked for
  for (const char* file : {"one/a.txt", "one/c.doc", "two/c.doc"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(host.path(file)))) << file;
  EXPECT_EQ(testing::NamesIn(testing::PrivateTrashFiles()), trashedBefore);
  EXPECT_TRUE(testing::NamesIn(host.path("Backup")).empty());
  EXPECT_EQ(host.result.Root()->val2, 4);  // every file still in the results
}

// The questions of a delete and a copy, answered by mouse on the real dialogs: none is
// covered by a progress dialog, and questions asked before the work never count towards
// its half second.
TEST_F(ResultsPaneTest, QuestionsOfTheFileWorkAreNeverCoveredByItsProgressDialog) {
  QtQuestions dialogs(&pane);
  host.questions.showReally = &dialogs;
  int progressDialogs = 0;
  LongWork::TEST_OnDialogShown() = [&](QProgressDialog*) { ++progressDialogs; };
  const auto answered = [](const std::shared_ptr<std::vector<testing::ClickedAnswer>>& answers,
                           size_t count) {
    EXPECT_EQ(answers->size(), count);
    for (const testing::ClickedAnswer& answer : *answers) {
      EXPECT_TRUE(answer.underPointer) << answer.title.toStdString();
      EXPECT_FALSE(answer.progressShown) << answer.title.toStdString();
    }
  };

  // One file: its question is asked from the work itself.
  QTableView* files = separate()->filesList();
  click(files, 0);
  ASSERT_EQ(SelectedPaths(files), Paths{host.path("one/a.txt")});
  auto answers = testing::ClickAnswers({"Yes"});
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  answered(answers, 1);
  EXPECT_FALSE(fs::exists(host.path("one/a.txt")));

  // Both copies of b.TXT: the last-copy question, then the one for both files.
  pane.SetMode(1);
  QTableView* list = unified()->list();
  clickPaths(list, {host.path("one/b.TXT"), host.path("two/b.TXT")});
  answers = testing::ClickAnswers({"Yes", "Yes"});
  QTest::mouseClick(unified()->button(ResultListView::kDelete), Qt::LeftButton);
  answered(answers, 2);
  EXPECT_FALSE(fs::exists(host.path("two/b.TXT")));

  // A copy onto a taken name asks from the work.
  const std::string copies = host.path("copies");
  fs::create_directories(copies);
  std::ofstream(copies + "/c.doc") << "older";
  clickPaths(list, {host.path("one/c.doc")});
  host.questions.folders = {copies};
  answers = testing::ClickAnswers({"Yes"});
  QTest::mouseClick(unified()->button(ResultListView::kCopy), Qt::LeftButton);
  answered(answers, 1);
  EXPECT_EQ(fs::file_size(copies + "/c.doc"), 50u);
  EXPECT_EQ(progressDialogs, 0);  // none of the work took half a second
  LongWork::TEST_OnDialogShown() = {};
}

constexpr int64_t kDay = 864000000000LL;
constexpr int64_t kBase = 130000000000000000LL;

class SelectHelpersTest : public testing::ResultsPaneFixture {
 protected:
  void SetUp() override {
    ResultsPaneFixture::SetUp();
    // a.txt: two newest tie, the largest is oldest; b.txt: newest protected; c.txt: a link.
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

  static void pick(ResultListView* view, QTableView* list, int row, int command) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    QMenu* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(shown == view->contextMenu() || shown == view->selectMenu());
    QAction* helper = nullptr;
    for (QAction* action : view->selectMenu()->actions())
      if (action->data().toInt() == command) helper = action;
    ASSERT_TRUE(helper && helper->isEnabled());
    shown->close();
    helper->trigger();
  }

  Paths trashed() const { return testing::TrashedFrom(host.dir); }
};

TEST_F(SelectHelpersTest, EachHelperSelectsAndTheSeparateViewDeletesEveryGroupsPart) {
  pane.SetMode(ResultsPane::kUnifiedMode);
  UnifiedListView* unifiedView = pane.unifiedView();
  QTableView* list = unifiedView->list();
  const auto select = [&](int command) {
    pick(unifiedView, list, 0, command);
    return SelectedPaths(list);
  };
  EXPECT_EQ(select(kCmdSelectAllButNewest),
            paths({"three/a.txt", "two/a.txt", "one/b.txt", "three/c.txt"}));
  EXPECT_EQ(select(kCmdSelectInvert), paths({"one/a.txt", "one/c.txt", "two/c.txt"}));
  EXPECT_EQ(select(kCmdSelectAllButOldest),
            paths({"one/a.txt", "two/a.txt", "one/c.txt", "two/c.txt"}));
  EXPECT_EQ(select(kCmdSelectAllButLargest),
            paths({"one/a.txt", "two/a.txt", "one/b.txt", "three/c.txt"}));
  EXPECT_EQ(select(kCmdSelectAllButFirst),
            paths({"three/a.txt", "two/a.txt", "one/b.txt", "three/c.txt"}));
  host.questions.folders = {host.path("two")};
  EXPECT_EQ(select(kCmdSelectAllButInFolder), paths({"one/a.txt", "three/a.txt", "three/c.txt"}));
  host.questions.folders = {host.path("one")};
  EXPECT_EQ(select(kCmdSelectAllInFolder), paths({"one/a.txt", "one/b.txt", "one/c.txt"}));
  EXPECT_EQ(host.questions.starts.back(), host.path("two")) << "starts where the last one was";
  EXPECT_EQ(select(kCmdSelectAllInFolder), paths({"one/a.txt", "one/b.txt", "one/c.txt"}));
  EXPECT_TRUE(select(kCmdSelectClear).empty());
  EXPECT_FALSE(unifiedView->button(ResultListView::kDelete)->isEnabled());

  pane.SetMode(ResultsPane::kSeparateMode);
  SeparateListsView* view = pane.separateView();
  QTableView* groups = view->groupsList();
  QTableView* files = view->filesList();
  click(groups, 2);
  ASSERT_EQ(std::string(view->selectedGroup()->Name()), "c.txt");
  EXPECT_EQ(view->selectedGroup()->val, 20);
  pick(view, files, 0, kCmdSelectAllButOldest);
  EXPECT_EQ(SelectedPaths(files), paths({"one/c.txt", "two/c.txt"}));
  // Another group ends the choice across groups: its first file is what the actions take.
  for (int command : {kCmdSelectAllButOldest, kCmdSelectClear}) {
    click(groups, 2);
    pick(view, files, 0, command);
    click(groups, 0);
    EXPECT_EQ(SelectedPaths(files), paths({"one/a.txt"})) << command;
    for (Command button :
         {ResultListView::kMove, ResultListView::kCopy, ResultListView::kReplaceByLink})
      EXPECT_TRUE(view->button(button)->isEnabled()) << command;
  }
  host.questions.answers = {IDYES};
  QTest::mouseClick(view->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_EQ(trashed(), paths({"one/a.txt"}));
  // In its own group the choice takes every group's part.
  pick(view, files, 0, kCmdSelectAllButOldest);
  const Paths chosen = paths({"one/a.txt", "two/a.txt", "one/c.txt", "two/c.txt"});
  host.questions.answers.assign(chosen.size(), IDYES);
  QTest::mouseClick(view->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_EQ(trashed(), chosen);
  for (const char* kept : {"three/a.txt", "one/b.txt", "keep/b.txt", "three/c.txt"})
    EXPECT_TRUE(fs::exists(host.path(kept))) << kept;
}

// 100,000 files in memory: a resort keeps the selected group in view.

TEST(SelectHelpersSpeed, AllButTheNewestOfFiftyThousandGroupsInUnderASecond) {
  struct BigHost : testing::ScriptedHost {
    NodePtr tree{CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT)};
    DataNode* GroupsRoot() override { return tree.get(); }
  } host;
  for (int n = 0; n < 50000; ++n) {
    const std::string name = "file" + std::to_string(n) + ".dat";
    DataNode* group = CreateNode(host.tree.get(), name.c_str(), ATTACH_LAST_CHILD);
    group->kind = 1;
    group->val2 = 2;
    for (const char* folder : {"/data/a/", "/data/b/"}) {
      DataNode* file = CreateNode(group, (folder + name).c_str(), ATTACH_LAST_CHILD);
      file->val = 1000 + n;
      file->val2 = kBase + n + (folder[6] == 'b' ? 1 : 0);
      group->val += file->val;
    }
  }
  host.tree->val2 = 100000;
  ResultsPane pane{host};
  pane.resize(900, 700);
  pane.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
  pane.OnSearchFinished();
  QTableView* groups = pane.separateView()->groupsList();
  groups->selectRow(40000);
  groups->scrollTo(groups->currentIndex());
  for (int section : {0, 3}) {  // name reversed, then largest first
    testing::ResultsPaneFixture::clickHeader(groups, section);
    EXPECT_TRUE(groups->viewport()->rect().intersects(groups->visualRect(groups->currentIndex())));
  }
  for (ResultListView* view :
       std::initializer_list<ResultListView*>{pane.separateView(), pane.unifiedView()}) {
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
