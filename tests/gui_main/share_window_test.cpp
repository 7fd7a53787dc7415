// "Share storage" in the window, used as a person uses it: the lists' right-click menu on
// a btrfs file system made for the test, before and after "Verify contents", the report
// answered by clicking, and "&Undo" in the "&Find" menu; and on tmpfs, where the command
// is disabled and its tooltip says why.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "main_window_support.h"
#include "tests/support/click_answer.h"
#include "tests/support/loop_mount.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

using testing::LoopMount;
using testing::TempTree;
using testing::Window;

struct Offered {
  bool shown = false;
  bool enabled = false;
  QString tip;
};

// Watches for the next pop-up menu and in it looks at `entry`: clicks it when `click` and
// it is enabled, else closes the menu. *offered is filled once the menu showed.
void watchNextMenu(const QString& entry, bool click, Offered* offered) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, entry, click, offered] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    for (QAction* action : menu->actions())
      if (action->text() == entry) {
        *offered = {true, action->isEnabled(), action->toolTip()};
        if (click && action->isEnabled()) {
          QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
          return;
        }
      }
    offered->shown = true;
    menu->close();
  });
  poll->start(5);
}

// Selects the row of `path` in `list` by a click, right-clicks it, and in the menu that
// opens looks at `entry` (watchNextMenu).
Offered rightClick(QTableView* list, const std::string& path, const QString& entry, bool click) {
  Offered offered;
  EXPECT_TRUE(testing::ClickRow(list, path)) << path;
  watchNextMenu(entry, click, &offered);
  const QPoint at = list->visualRect(list->currentIndex()).center();
  QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
  QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &event);
  EXPECT_TRUE(QTest::qWaitFor([&] { return offered.shown; }, 10000)) << "no menu";
  return offered;
}

class SharingWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.started);
    setenv("XDG_CACHE_HOME", places.Path("cache").c_str(), 1);
    w.frame.show();
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
  void verify(const std::string& path) {
    ASSERT_TRUE(rightClick(list(), path, QStringLiteral("Verify contents"), true).enabled);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return list()->model()->index(0, 0).data().toString().startsWith("\u2713"); },
        20000));
  }

  TempTree places;
  Window w{places};
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
  Offered offered =
      rightClick(list(), disk.Path("two/a.bin"), QStringLiteral("Share storage"), true);
  EXPECT_FALSE(offered.enabled);
  EXPECT_EQ(offered.tip,
            QStringLiteral("Only groups whose contents are verified can share storage: "
                           "choose \"Verify contents\" first"));
  EXPECT_FALSE(testing::SharesBlocksWith(disk.Path("two/a.bin"), disk.Path("one/a.bin")));

  verify(disk.Path("two/a.bin"));
  struct stat before {};
  ASSERT_EQ(lstat(disk.Path("two/a.bin").c_str(), &before), 0);
  auto answers = testing::ClickAnswers({"OK"});
  offered = rightClick(list(), disk.Path("two/a.bin"), QStringLiteral("Share storage"), true);
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
  QMenuBar* bar = w.frame.menuBar();
  QAction* find = nullptr;
  for (QAction* action : bar->actions())
    if (action->text() == "&Find") find = action;
  ASSERT_NE(find, nullptr);
  answers = testing::ClickAnswers({"OK"});
  offered = {};
  watchNextMenu(QStringLiteral("&Undo Share storage of 1 file\tCtrl+Z"), true, &offered);
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(find).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return offered.shown; }, 10000));
  ASSERT_TRUE(offered.enabled);
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
  const Offered offered =
      rightClick(list(), disk.Path("two/a.bin"), QStringLiteral("Share storage"), true);
  EXPECT_FALSE(offered.enabled);
  EXPECT_EQ(offered.tip.toStdString(), "Cannot share storage: the file system of \"" +
                                           disk.Path("two/a.bin") +
                                           "\" (tmpfs) cannot share storage between files; btrfs "
                                           "and XFS can");
  EXPECT_EQ(testing::ReadFile(disk.Path("two/a.bin")), "twin bytes");
}

}  // namespace
}  // namespace tf
