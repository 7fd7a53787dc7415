// Undo in the window, through real events, for every kind of action: each is done on real
// files with the real trash, then taken back once with Ctrl+Z or through "Action
// history..."; the files are back byte for byte, the trash and the backup folder hold what
// they held, and the files rejoin their groups in the shown result. Every question is
// answered by clicking its button. A journal that cannot be written stops an action first.
#include <gtest/gtest.h>

#include <map>

#include <QTableWidget>
#include <QTreeWidget>

#include "main_window_support.h"
#include "results/action_journal.h"
#include "tests/support/read_only_mount.h"
#include "ui/dialogs/action_history_dialog.h"
#include "ui/result_views/backup_folder_view.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using testing::Window;
using Names = std::vector<std::string>;
using Disk = std::map<std::string, std::string>;

// The members are public: the table of action kinds below names them.
class UndoWindow : public ::testing::Test {
 public:
  void SetUp() override {
    testing::PrivateTrashHome();
    ASSERT_TRUE(w.started);
    // Twins of one size and time whose bytes differ, so that each must come back as itself.
    for (const char* name : {"one/a.txt", "two/a.txt", "one/b.txt", "two/b.txt", "three/b.txt"}) {
      tree.File(name, 0, 100);
      const auto time = fs::last_write_time(tree.Path(name));
      std::string bytes = std::string("bytes of ") + name;
      bytes.resize(24, '.');
      ASSERT_TRUE(testing::WriteFile(tree.Path(name), bytes));
      fs::last_write_time(tree.Path(name), time);
    }
    w.questions.showReally = &dialogs;
    ASSERT_TRUE(w.Activate());
    ASSERT_TRUE(w.Search(tree.root()));
    pane = w.controller.resultsPane();
    pane->SetMode(ResultsPane::kUnifiedMode);
  }

  std::string backupFolder() const { return places.Path("data/Backup"); }
  std::string journalFile() const { return places.Path("state/twinfold/journal"); }

  // The groups the separate lists show.
  Names groups() {
    const int mode = pane->Mode();
    pane->SetMode(ResultsPane::kSeparateMode);
    Names names = testing::Column(pane->separateView()->groupsList()->model());
    pane->SetMode(mode);
    return names;
  }
  // Every file of the tree, the other folder and the backup folder (not the program's
  // lock) with its bytes and time; a link with its target.
  Disk disk() const {
    Disk files;
    for (const std::string& root : {tree.root(), elsewhere.root(), backupFolder()}) {
      std::error_code ec;
      for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != decltype(it)();
           it.increment(ec)) {
        const std::string path = it->path().string();
        if (it->path().filename().string().rfind(".tf-", 0) == 0) continue;
        if (it->is_symlink())
          files[path] = "link to " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
          files[path] = testing::ReadFile(path) + " at " +
                        std::to_string(fs::last_write_time(path).time_since_epoch().count());
      }
    }
    return files;
  }
  // The original places of what the (whole test program's) trash holds, once per item.
  static std::multiset<std::string> trash() {
    std::multiset<std::string> places;
    std::error_code ec;
    for (const auto& entry :
         fs::directory_iterator(testing::PrivateTrashHome() + "/Trash/info", ec)) {
      const std::string info = testing::ReadFile(entry.path().string());
      const size_t at = info.find("\nPath=");
      if (at != std::string::npos)
        places.insert(info.substr(at + 6, info.find('\n', at + 6) - at - 6));
    }
    return places;
  }

  void answering(const QStringList& answers, const std::function<void()>& step) {
    testing::Answering(w, answers, step);
  }
  // Clicks the rows of `relative` files in the unified list (Ctrl held for the next ones).
  void select(const Names& relative) {
    pane->SetMode(ResultsPane::kUnifiedMode);
    QTableView* list = pane->unifiedView()->list();
    auto* model = static_cast<ResultRowsModel*>(list->model());
    Qt::KeyboardModifiers held;
    for (const std::string& name : relative)
      for (int row = 0; row < model->rowCount(); ++row) {
        if (FullName(model->Node(row)) != tree.Path(name)) continue;
        const QModelIndex index = model->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, held, list->visualRect(index).center());
        held = Qt::ControlModifier;
      }
    ASSERT_EQ(testing::SelectedPaths(list).size(), relative.size());
  }
  void press(ResultListView::Command command) {
    EXPECT_TRUE(testing::ClickOn(pane->unifiedView()->button(command)));
  }
  // The backup page with its first entry selected.
  BackupFolderView* backupPage() {
    EXPECT_TRUE(testing::ClickOn(pane->modeButton(ResultsPane::kBackupMode)));
    BackupFolderView* page = pane->backupView();
    QTableWidget* list = page->list();
    EXPECT_EQ(list->rowCount(), 1);
    if (list->rowCount() > 0)
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(0, 0)).center());
    return page;
  }

  // The kinds of action, each done in the window as a user does it, each on one/a.txt
  // unless it says otherwise.
  void trashFiles(const Names& files, const QStringList& answers) {
    select(files);
    answering(answers, [&] { QTest::keyClick(pane->unifiedView()->list(), Qt::Key_Delete); });
  }
  void moveOrCopy(ResultListView::Command command) {
    select({"one/a.txt"});
    w.questions.folders = {elsewhere.root()};
    answering({}, [&] { press(command); });
  }
  void moveToBackup() {
    select({"one/a.txt"});
    answering({"OK"}, [&] { press(ResultListView::kMoveToBackup); });
  }
  void replaceByLink() {
    select({"one/a.txt"});
    testing::WhenShown<QDialog>([](QDialog* dialog) {
      auto* found = dialog->findChild<QListWidget*>(QStringLiteral("found"));
      ASSERT_TRUE(found && found->count() > 0);
      EXPECT_TRUE(
          testing::ClickOn(found->viewport(), found->visualItemRect(found->item(0)).center()));
    });
    // The twin's bytes differ: asked, and "Yes" links anyway.
    answering({"Replace file", "Yes"}, [&] { press(ResultListView::kReplaceByLink); });
  }
  void onBackupPage(BackupFolderView::Command command) {
    BackupFolderView* page = backupPage();
    w.questions.folders = {elsewhere.root()};
    answering({}, [&] { EXPECT_TRUE(testing::ClickOn(page->button(command))); });
    pane->SetMode(ResultsPane::kUnifiedMode);
  }

  void deleteOne() { trashFiles({"one/a.txt"}, {"Yes"}); }
  void deleteTwo() { trashFiles({"one/b.txt", "two/b.txt"}, {"Yes"}); }
  void move() { moveOrCopy(ResultListView::kMove); }
  void copy() { moveOrCopy(ResultListView::kCopy); }
  void restore() { onBackupPage(BackupFolderView::kRestore); }
  void copyFromBackup() { onBackupPage(BackupFolderView::kCopy); }
  void deleteFromBackup() { onBackupPage(BackupFolderView::kDelete); }

  // "Action history..." from the "&Find" menu: the newest action is listed as done, its
  // "Undo" takes it back, and it is listed as undone.
  void undoInHistory(const std::string& label, const QStringList& answers) {
    bool shown = false;
    testing::WhenShown<ActionHistoryDialog>([&](ActionHistoryDialog* dialog) {
      shown = true;
      QTreeWidget* actions = dialog->tree();
      ASSERT_GT(actions->topLevelItemCount(), 0);
      const auto newest = [actions](int column) {
        return actions->topLevelItem(0)->text(column).toStdString();
      };
      EXPECT_EQ(newest(0), label);
      EXPECT_EQ(newest(2), "done");
      EXPECT_TRUE(testing::ClickOn(actions->viewport(),
                                   actions->visualItemRect(actions->topLevelItem(0)).center()));
      answering(answers, [&] { EXPECT_TRUE(testing::ClickOn(dialog->undoButton())); });
      EXPECT_EQ(newest(2), "undone");
      EXPECT_FALSE(dialog->undoButton()->isEnabled());
      EXPECT_TRUE(testing::ClickOn(dialog->closeButton()));
    });
    EXPECT_TRUE(testing::ChooseFromMenu(w.frame, 0, kCmdActionHistory));
    EXPECT_TRUE(shown);
  }

  TempTree places, tree, elsewhere;
  Window w{places};
  QtQuestions dialogs{&w.frame};
  ResultsPane* pane = nullptr;
};

struct Kind {
  const char* name;
  void (UndoWindow::*act)();
  const char* label;     // the action as the journal names it
  bool onBackupPage;     // acts on an entry a move to the backup made first
  bool madeGoesToTrash;  // what the action made (a copy, a stored entry) goes to the trash
  bool asks;             // more than one file comes back: asked first
  bool inHistory;        // undone through "Action history...", else by Ctrl+Z
};

// The delete of one file takes its group of two with it, which comes back with it.
using W = UndoWindow;
const Kind kKinds[] = {
    {"Delete", &W::deleteOne, "Delete of 1 file", false, false, false, false},
    {"DeleteTwo", &W::deleteTwo, "Delete of 2 files", false, false, true, true},
    {"Move", &W::move, "Move of 1 file", false, false, false, true},
    {"Copy", &W::copy, "Copy of 1 file", false, true, false, false},
    {"MoveToBackup", &W::moveToBackup, "Move to Backup of 1 file", false, true, true, false},
    {"ReplaceByLink", &W::replaceByLink, "Replace by link of 1 file", false, false, true, true},
    {"BackupRestore", &W::restore, "Restore from backup of 1 file", true, true, true, false},
    {"BackupCopy", &W::copyFromBackup, "Copy from backup of 1 file", true, true, false, true},
    {"BackupDelete", &W::deleteFromBackup, "Delete from backup of 1 file", true, false, true,
     false},
};

class UndoEveryKind : public UndoWindow, public ::testing::WithParamInterface<size_t> {};

TEST_P(UndoEveryKind, TakesTheActionBackAndTheFilesRejoinTheirGroups) {
  const Kind& kind = kKinds[GetParam()];
  if (kind.onBackupPage) moveToBackup();
  const Disk disk0 = disk();
  const std::multiset<std::string> trash0 = trash();
  const Names groups0 = groups();
  const std::set<std::string> shown0 = testing::GroupedFiles(w);

  (this->*kind.act)();
  const Disk acted = disk();
  ASSERT_NE(acted, disk0) << "the action changed nothing";
  // What the action made, which its undo sends to the trash.
  std::multiset<std::string> trashed = trash0;
  if (kind.madeGoesToTrash)
    for (const auto& [path, bytes] : acted)
      if (!disk0.count(path)) trashed.insert(path);

  const QStringList answers = kind.asks ? QStringList{"Yes"} : QStringList{};
  if (kind.inHistory)
    undoInHistory(kind.label, answers);
  else
    testing::UndoByKey(w, kind.label, answers);
  EXPECT_EQ(disk(), disk0);
  EXPECT_EQ(trash(), trashed);
  EXPECT_EQ(groups(), groups0);
  EXPECT_EQ(testing::GroupedFiles(w), shown0);
  std::vector<JournalAction> actions;
  std::string why;
  ASSERT_TRUE(LoadJournal(journalFile(), &actions, &why)) << why;
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ(ActionLabel(actions.back()), kind.label);
  EXPECT_EQ(ActionStateText(actions.back()), "undone");
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoEveryKind, ::testing::Range(size_t{0}, std::size(kKinds)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(kKinds[info.param].name);
                         });

// The journal's folder on a read-only file system (root writes anywhere else): a delete
// is stopped before anything moves, and the message says why.
TEST_F(UndoWindow, AJournalThatCannotBeWrittenStopsTheActionAndSaysWhy) {
  testing::ReadOnlyTmpfs readOnly(places.Path("state/twinfold"),
                                  [&] { ASSERT_TRUE(testing::WriteFile(journalFile(), "")); });
  ASSERT_TRUE(readOnly.Ok()) << readOnly.Why();
  const Disk disk0 = disk();
  const std::multiset<std::string> trash0 = trash();
  trashFiles({"one/a.txt"}, {"OK"});
  ASSERT_FALSE(w.questions.asked.empty());
  const testing::AskedMessage& told = w.questions.asked.back();
  EXPECT_EQ(told.caption, kJournalCaption);
  EXPECT_NE(told.text.find(journalFile()), std::string::npos) << told.text;
  EXPECT_NE(told.text.find("Read-only file system"), std::string::npos) << told.text;
  EXPECT_EQ(disk(), disk0);
  EXPECT_EQ(trash(), trash0);
  EXPECT_EQ(testing::GroupedFiles(w).size(), 5u);
}

}  // namespace
}  // namespace tf
