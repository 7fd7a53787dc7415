// "Verify contents" in the window, used as a person uses it: the "&Find" menu and the
// lists' right-click menu, and the question before a link replaces a file whose bytes
// differ, answered by clicking.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/main_commands.h"
#include "main_window_support.h"
#include "tests/gui_results/file_listing.h"
#include "tests/support/click_answer.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/window/long_work.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::Column;
using testing::TempTree;
using testing::Window;
using Names = std::vector<std::string>;

[[maybe_unused]] const std::string& kTrashHome = testing::PrivateTrashHome();

// Clicks, in the pop-up menu about to open, the entry `entry`, once it shows.
void clickInNextMenu(const QString& entry, bool* clicked) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, entry, clicked] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    for (QAction* action : menu->actions())
      if (action->text() == entry && action->isEnabled()) {
        *clicked = true;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        return;
      }
    menu->close();
  });
  poll->start(5);
}

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
  Names groupKeys() {
    return Column(w.controller.resultsPane()->separateView()->groupsList()->model());
  }
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
  QMenuBar* bar = w.frame.menuBar();
  QAction* find = nullptr;
  for (QAction* action : bar->actions())
    if (action->text() == "&Find") find = action;
  ASSERT_NE(find, nullptr);
  bool clicked = false;
  clickInNextMenu(QStringLiteral("&Verify contents"), &clicked);
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(find).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return clicked && groupKeys().size() == 1; }, 20000));
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
  const QModelIndex row = list->currentIndex();
  const QPoint at = list->visualRect(row).center();
  clicked = false;
  clickInNextMenu(QStringLiteral("Verify contents"), &clicked);
  QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
  QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &event);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return clicked && w.status() == "Finished (5 files found)"; }, 20000))
      << clicked << " " << w.status();
  pane->SetMode(0);
  EXPECT_EQ(groupKeys(), (Names{"a.bin", "c.bin"}));  // b.bin went, the others unverified
}

// Long reading shows its progress in bytes; "Cancel", clicked, leaves the lists as they were.
TEST_F(VerifyingWindow, CancelLeavesTheResultAsItWas) {
  for (const char* name : {"one/big.img", "two/big.img", "three/big.img"})
    tree.File(name, int64_t{8} << 30);  // sparse: read quickly, but not in half a second
  ASSERT_TRUE(w.Search(tree.root()));
  bool cancelled = false;
  QString label;
  LongWork::TEST_OnDialogShown() = [&](QProgressDialog* dialog) {
    label = dialog->labelText();
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
  EXPECT_EQ(label, QStringLiteral("Verifying contents..."));
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
    testing::OnModal([](QDialog* d) { return d->objectName() == "ReplaceLinkDialog"; },
                     [](QDialog* dialog) {
                       auto* found = dialog->findChild<QListWidget*>(QStringLiteral("found"));
                       QTest::mouseClick(found->viewport(), Qt::LeftButton, {},
                                         found->visualItemRect(found->item(0)).center());
                       for (auto* button : dialog->findChildren<QPushButton*>())
                         if (button->text() == "Replace file")
                           QTest::mouseClick(button, Qt::LeftButton);
                     });
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

}  // namespace
}  // namespace tf
