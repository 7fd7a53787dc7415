// "Verify contents" and "Share storage" in the window, used as a person uses them: the
// "&Find" menu and the lists' right-click menu, the question before a link replaces a file
// whose bytes differ, answered by clicking; sharing on a btrfs file system made for the
// test, its report and its "&Undo", and on tmpfs, where the command is disabled and its
// tooltip says why.

#include <gtest/gtest.h>

#include <random>

#include "main_window_support.h"
#include "tests/support/loop_mount.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/window/long_work.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::Column;
using testing::LoopMount;
using testing::TempTree;
using testing::Window;
using Names = std::vector<std::string>;

[[maybe_unused]] const std::string& kTrashHome = testing::PrivateTrashHome();

class VerifyingWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.started);
    setenv("XDG_CACHE_HOME", places.Path("cache").c_str(), 1);
    w.frame.show();
  }
  // A file with these bytes, its time the same as every other's.
  void file(const std::string& relative, const std::string& bytes) {
    tree.File(relative, 0);
    ASSERT_TRUE(testing::WriteFile(tree.Path(relative), bytes));
    fs::last_write_time(tree.Path(relative), fs::last_write_time(tree.Path("ref")));
  }
  Names groupKeys() { return testing::GroupKeys(w); }
  TempTree places, tree;
  Window w{places};
};

TEST_F(VerifyingWindow, FindMenuAndFilesMenuSplitGroupsByTheirBytes) {
  tree.File("ref", 0);
  const std::string same(6000, 's');
  std::string last = same;
  last.back() = 'l';
  file("one/a.bin", same);
  file("two/a.bin", same);
  file("three/a.bin", last);  // the same size and time, another last byte
  file("one/b.bin", "first");
  file("two/b.bin", "First");
  ASSERT_TRUE(w.Search(tree.root()));
  EXPECT_EQ(groupKeys(), (Names{"a.bin", "b.bin"}));

  // The menu bar's "&Find", then "&Verify contents", by mouse.
  ASSERT_TRUE(testing::ChooseFromMenu(w.frame, 0, kCmdVerifyContents));
  ASSERT_TRUE(QTest::qWaitFor([&] { return groupKeys().size() == 1; }, 20000));
  EXPECT_EQ(groupKeys(), Names{"\u2713 a.bin"});
  EXPECT_EQ(w.status(), "Finished (2 files found)");
  QTableView* files = w.controller.resultsPane()->separateView()->filesList();
  EXPECT_EQ(Column(files->model()).size(), 2u);
  EXPECT_TRUE(fs::is_regular_file(places.Path("cache/twinfold/hashes")));

  // The files menu verifies the groups of the selected files only.
  file("one/c.bin", "c copy");
  file("two/c.bin", "c copy");
  ASSERT_TRUE(w.Search());
  EXPECT_EQ(groupKeys(), (Names{"a.bin", "b.bin", "c.bin"}));
  ResultsPane* pane = w.controller.resultsPane();
  pane->SetMode(ResultsPane::kUnifiedMode);
  QTableView* list = pane->unifiedView()->list();
  ASSERT_TRUE(testing::ClickRow(list, tree.Path("one/b.bin")));
  ASSERT_TRUE(testing::TakeFromRowMenu(list, "Verify contents").enabled);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.status() == "Finished (5 files found)"; }, 20000))
      << w.status();
  pane->SetMode(0);
  EXPECT_EQ(groupKeys(), (Names{"a.bin", "c.bin"}));  // b.bin went, the others unverified
}

// Long reading shows a progress dialog whose "Cancel", clicked, leaves the lists as they were.
TEST_F(VerifyingWindow, CancelLeavesTheResultAsItWas) {
  for (const char* name : {"one/big.img", "two/big.img", "three/big.img"})
    tree.File(name, int64_t{8} << 30);  // sparse: read quickly, but not in half a second
  ASSERT_TRUE(w.Search(tree.root()));
  bool cancelled = false;
  LongWork::TEST_OnDialogShown() = [&](QProgressDialog* dialog) {
    QTimer::singleShot(100, dialog, [&, dialog] {
      for (auto* button : dialog->findChildren<QPushButton*>())
        if (button->isVisible() && button->text().remove('&') == "Cancel") {
          QTest::mouseClick(button, Qt::LeftButton);
          cancelled = true;
        }
    });
  };
  w.controller.OnCommand(kCmdVerifyContents);
  LongWork::TEST_OnDialogShown() = {};
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(groupKeys(), Names{"big.img"});  // no mark: nothing was replaced
  EXPECT_EQ(w.status(), "Finished (3 files found)");
  EXPECT_FALSE(fs::exists(places.Path("cache/twinfold/hashes")));
}

TEST_F(VerifyingWindow, ALinkToAFileWithOtherBytesIsAskedAboutWithNoTheDefault) {
  tree.File("ref", 0);
  file("one/d.txt", "mine 1");
  file("two/d.txt", "mine 2");
  ASSERT_TRUE(w.Search(tree.root()));
  QtQuestions dialogs(&w.frame);
  w.questions.showReally = &dialogs;
  QTableView* files = w.controller.resultsPane()->separateView()->filesList();
  const auto replaceOneByLink = [&] {
    ASSERT_TRUE(testing::ClickRow(files, tree.Path("one/d.txt")));
    testing::ReplaceWithFirstTwin();
    QTest::mouseClick(
        w.controller.resultsPane()->separateView()->button(ResultListView::kReplaceByLink),
        Qt::LeftButton);
  };
  auto answers = testing::ClickAnswers({"No"});
  replaceOneByLink();
  ASSERT_EQ(answers->size(), 1u);
  EXPECT_TRUE((*answers)[0].underPointer);
  EXPECT_FALSE(fs::is_symlink(tree.Path("one/d.txt")));
  EXPECT_EQ(testing::ReadFile(tree.Path("one/d.txt")), "mine 1");

  answers = testing::ClickAnswers({"Yes"});
  replaceOneByLink();
  ASSERT_EQ(answers->size(), 1u);
  EXPECT_TRUE(fs::is_symlink(tree.Path("one/d.txt")));
  EXPECT_EQ(testing::ReadFile(tree.Path("one/d.txt")), "mine 2");
}

// Sharing works on the unified list, every question shown and answered by clicking.
class SharingWindow : public VerifyingWindow {
 protected:
  void SetUp() override {
    VerifyingWindow::SetUp();
    w.questions.showReally = &dialogs;
    w.controller.resultsPane()->SetMode(ResultsPane::kUnifiedMode);
  }
  QTableView* list() { return w.controller.resultsPane()->unifiedView()->list(); }
  // Two copies of `bytes` in one/ and two/ under `folder`, of one time.
  void copies(const std::string& folder, const std::string& bytes) {
    for (const char* name : {"/one/a.bin", "/two/a.bin"}) {
      std::filesystem::create_directories(std::filesystem::path(folder + name).parent_path());
      ASSERT_TRUE(testing::WriteFile(folder + name, bytes));
      const timespec times[2] = {{1700000000, 5}, {1700000000, 5}};
      ASSERT_EQ(utimensat(AT_FDCWD, (folder + name).c_str(), times, 0), 0);
    }
  }
  // Right-clicks the row of `path` and takes `entry` in its menu.
  testing::Offered take(const std::string& path, const QString& entry) {
    EXPECT_TRUE(testing::ClickRow(list(), path)) << path;
    const testing::Offered offered = testing::TakeFromRowMenu(list(), entry);
    EXPECT_TRUE(offered.shown) << "no menu";
    return offered;
  }
  void verify(const std::string& path) {
    ASSERT_TRUE(take(path, "Verify contents").enabled);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return list()->model()->index(0, 0).data().toString().startsWith("\u2713"); },
        20000));
  }

  QtQuestions dialogs{&w.frame};
};

TEST_F(SharingWindow, VerifiedCopiesShareTheKeptCopysBlocksAndUndoHasNothingToDo) {
  LoopMount disk("btrfs", 256);
  ASSERT_TRUE(disk.ok()) << disk.problem();
  std::mt19937_64 random(11);
  std::string bytes(size_t{1} << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  copies(disk.path(), bytes);
  ASSERT_TRUE(w.Search(disk.path()));

  // Not verified yet: offered, disabled, and the tooltip says what to do.
  testing::Offered offered = take(disk.Path("two/a.bin"), "Share storage");
  EXPECT_FALSE(offered.enabled);
  EXPECT_EQ(offered.tip,
            QStringLiteral("Only groups whose contents are verified can share storage: "
                           "choose \"Verify contents\" first"));
  EXPECT_FALSE(testing::SharesBlocksWith(disk.Path("two/a.bin"), disk.Path("one/a.bin")));

  verify(disk.Path("two/a.bin"));
  struct stat before {};
  ASSERT_EQ(lstat(disk.Path("two/a.bin").c_str(), &before), 0);
  auto answers = testing::ClickAnswers({"OK"});
  offered = take(disk.Path("two/a.bin"), "Share storage");
  EXPECT_TRUE(offered.enabled) << offered.tip.toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers->size() == 1; }, 20000));
  EXPECT_TRUE((*answers)[0].underPointer);
  ASSERT_FALSE(w.questions.asked.empty());
  EXPECT_EQ(w.questions.asked.back().text, "Shared 1 048 576 bytes (1 MB) in 1 file.");
  EXPECT_EQ(w.questions.asked.back().caption, "Share storage");
  EXPECT_TRUE(testing::SharesBlocksWith(disk.Path("two/a.bin"), disk.Path("one/a.bin")));
  EXPECT_EQ(testing::ReadFile(disk.Path("two/a.bin")), bytes);
  struct stat after {};
  ASSERT_EQ(lstat(disk.Path("two/a.bin").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mode, before.st_mode);

  // "&Find", then the Undo it names, by mouse: nothing comes back, and it says why.
  answers = testing::ClickAnswers({"OK"});
  w.controller.UpdateCommandStates();
  EXPECT_EQ(w.frame.action(kCmdUndo)->text(), "&Undo Share storage of 1 file\tCtrl+Z");
  ASSERT_TRUE(testing::ChooseFromMenu(w.frame, 0, kCmdUndo));
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers->size() == 1; }, 20000));
  EXPECT_EQ(w.questions.asked.back().text,
            "Share storage of 1 file: there is nothing to undo.\nSharing storage never changed the "
            "files' contents: each kept its bytes, its name and its times.");
  EXPECT_TRUE(testing::SharesBlocksWith(disk.Path("two/a.bin"), disk.Path("one/a.bin")));
  EXPECT_EQ(testing::ReadFile(disk.Path("two/a.bin")), bytes);
}

TEST_F(SharingWindow, WhereTheFileSystemCannotShareTheCommandIsDisabledAndSaysWhy) {
  LoopMount disk("tmpfs", 8);
  ASSERT_TRUE(disk.ok()) << disk.problem();
  copies(disk.path(), "twin bytes");
  ASSERT_TRUE(w.Search(disk.path()));
  verify(disk.Path("two/a.bin"));
  const testing::Offered offered = take(disk.Path("two/a.bin"), "Share storage");
  EXPECT_FALSE(offered.enabled);
  EXPECT_EQ(offered.tip.toStdString(), "Cannot share storage: the file system of \"" +
                                           disk.Path("two/a.bin") +
                                           "\" (tmpfs) cannot share storage between files; btrfs "
                                           "and XFS can");
  EXPECT_EQ(testing::ReadFile(disk.Path("two/a.bin")), "twin bytes");
}

}  // namespace
}  // namespace tf
