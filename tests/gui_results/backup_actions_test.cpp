// The backup folder page, "Move to Backup", "Replace by a link..." and long file work.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTableWidget>

#include "results/replace_by_link.h"
#include "tests/gui_results/results_host_fixture.h"
#include "ui/result_views/backup_folder_view.h"
#include "ui/window/long_work.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;

// Spaces, quotes, '<', a line break and a byte that is not UTF-8.
const std::string kOddName = "odd 'q' \"d\" <x>\n\xe9.doc";

void onDialog(const QString& objectName, std::function<void(QDialog*)> act) {
  testing::OnModal([objectName](QDialog* d) { return d->objectName() == objectName; }, act);
}

class BackupActionsTest : public testing::ResultsPaneFixture {
 protected:
  void SetUp() override {
    ResultsPaneFixture::SetUp();
    host.backup = true;
    view = new BackupFolderView(host.store, host.guiQuestions);
    pane.SetBackupView(view);
    pane.EnableBackup(true);
    m_trashedBefore = trashed();
  }
  void TearDown() override { LongWork::TEST_OnDialogShown() = {}; }

  void selectFile(int row) { click(separate()->filesList(), row); }
  std::string backupFolder() const { return host.dir + "/Backup"; }
  // The trash is the whole test program's.
  size_t trashed() const { return NamesIn(testing::PrivateTrashFiles()).size() - m_trashedBefore; }
  std::vector<std::string> backupCells(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < view->list()->rowCount(); ++row)
      texts.push_back(view->list()->item(row, column)->text().toStdString());
    return texts;
  }
  void press(BackupFolderView::Command command) {
    QTest::mouseClick(view->button(command), Qt::LeftButton);
  }
  void moveToBackup(const QString& comment, bool deleteOriginal, bool fromMenu = false) {
    onDialog(QStringLiteral("BackupDetailsDialog"), [=](QDialog* dialog) {
      auto* box = dialog->findChild<QPlainTextEdit*>(QStringLiteral("comment"));
      EXPECT_EQ(dialog->focusWidget(), box);
      const QStringList lines = comment.split(QLatin1Char('\n'));
      for (qsizetype line = 0; line < lines.size(); ++line) {
        if (line > 0) QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, lines[line]);
      }
      dialog->findChild<QCheckBox*>(QStringLiteral("deleteOriginal"))->setChecked(deleteOriginal);
      dialog->accept();
    });
    if (fromMenu)
      separate()->contextMenu()->actions()[3]->trigger();  // "Move to Backup"
    else
      QTest::mouseClick(separate()->button(ResultListView::kMoveToBackup), Qt::LeftButton);
  }
  // Restore, Copy..., Delete, -, Browse.
  void menuItem(int index) { view->contextMenu()->actions()[index]->trigger(); }

  BackupFolderView* view = nullptr;
  size_t m_trashedBefore = 0;
};

TEST_F(BackupActionsTest, ABackupFromTheResultsIsRestoredCopiedAndDeletedFromThePage) {
  search({{"one/" + kOddName, 70}, {"two/" + kOddName, 70}});
  selectFile(0);
  const std::string chosen = separate()->filesModel()->index(0, 0).data().toString().toStdString();
  const std::string moved =
      host.path((chosen.find("one/") != std::string::npos ? "one/" : "two/") + kOddName);
  moveToBackup(QStringLiteral("first line\nsecond"), true);

  EXPECT_EQ(NamesIn(backupFolder()), (std::vector<std::string>{"1." + kOddName + ".backup_info",
                                                               "1." + kOddName + ".zipp"}));
  EXPECT_FALSE(fs::exists(moved));
  EXPECT_EQ(trashed(), 1u);
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 0);
  const std::string descriptor =
      testing::ReadFile(backupFolder() + "/1." + kOddName + ".backup_info");
  EXPECT_NE(descriptor.find("comment\tfirst line \\ second\r\n"), std::string::npos);

  QTest::mouseClick(pane.modeButton(ResultsPane::kBackupMode), Qt::LeftButton);
  ASSERT_EQ(view->list()->rowCount(), 1);
  press(BackupFolderView::kBrowse);
  EXPECT_EQ(host.browsedBackup, std::vector<std::string>{moved.substr(0, moved.rfind('/') + 1)});

  const std::string elsewhere = host.path("elsewhere");
  fs::create_directories(elsewhere);
  host.questions.folders = {elsewhere};
  press(BackupFolderView::kCopy);
  EXPECT_EQ(testing::ReadFile(elsewhere + "/" + kOddName), std::string(70, 'x'));
  EXPECT_EQ(view->list()->rowCount(), 1);

  menuItem(0);
  EXPECT_EQ(testing::ReadFile(moved), std::string(70, 'x'));
  EXPECT_EQ(NamesIn(backupFolder()), std::vector<std::string>{});
  EXPECT_EQ(view->list()->rowCount(), 0);
  EXPECT_EQ(trashed(), 3u);

  pane.SetMode(ResultsPane::kSeparateMode);
  search(
      {{"one/b.txt", 300}, {"two/b.txt", 300}, {"one/" + kOddName, 20}, {"two/" + kOddName, 20}});
  for (int file = 0; file < 3; ++file) {
    separate()->groupsList()->selectRow(file < 2 ? 0 : 1);
    selectFile(file % 2);
    moveToBackup(QString(), false, file == 0);
  }
  EXPECT_EQ(separate()->groupsModel()->rowCount(), 2);  // the originals stay in the lists
  EXPECT_EQ(trashed(), 3u);                             // nothing more went to the trash
  pane.SetMode(ResultsPane::kBackupMode);
  ASSERT_EQ(view->list()->rowCount(), 3);

  clickHeader(view->list(), 4);
  // The two kept b.txt are told apart by their numbers.
  const std::vector<std::string> bySize = backupCells(0);
  EXPECT_EQ(std::set<std::string>(bySize.begin(), bySize.begin() + 2),
            (std::set<std::string>{"b.txt  (no. 1)", "b.txt  (no. 2)"}));
  EXPECT_EQ(bySize[2], QString::fromUtf8(kOddName.c_str()).toStdString());
  rightClick(view->list(), view->list()->model()->index(0, 0));
  ASSERT_TRUE(view->contextMenu()->isVisible());
  view->contextMenu()->hide();
  menuItem(4);  // "Browse"
  const std::string browsed = host.browsedBackup.back();
  EXPECT_TRUE(browsed == host.path("one/") || browsed == host.path("two/")) << browsed;
  const std::string copies = host.path("copies");
  fs::create_directories(copies);
  host.questions.folders = {copies};
  menuItem(1);  // "Copy..."
  EXPECT_EQ(NamesIn(copies), std::vector<std::string>{"b.txt"});
  menuItem(2);  // "Delete"
  EXPECT_EQ(view->list()->rowCount(), 2);
  EXPECT_EQ(backupCells(0)[0], "b.txt");  // alone now: no number
  EXPECT_EQ(NamesIn(backupFolder()).size(), 4u);
  EXPECT_EQ(trashed(), 5u);

  // Its folder gone, Browse says so rather than nothing.
  fs::rename(host.path("one"), host.path("one-gone"));
  fs::rename(host.path("two"), host.path("two-gone"));
  const size_t browsedBefore = host.browsedBackup.size();
  press(BackupFolderView::kBrowse);
  EXPECT_EQ(host.browsedBackup.size(), browsedBefore);
  ASSERT_FALSE(host.questions.asked.empty());
  EXPECT_EQ(host.questions.asked.back().caption, kBrowseCaption);
  EXPECT_NE(host.questions.asked.back().text.find("no longer exists"), std::string::npos);
  fs::rename(host.path("one-gone"), host.path("one"));
  fs::rename(host.path("two-gone"), host.path("two"));

  host.questions.answers = {IDNO, IDYES};
  press(BackupFolderView::kDeleteAll);
  EXPECT_EQ(view->list()->rowCount(), 2);
  press(BackupFolderView::kDeleteAll);
  EXPECT_EQ(NamesIn(backupFolder()), std::vector<std::string>{});
  EXPECT_EQ(trashed(), 9u);
  EXPECT_EQ(view->list()->rowCount(), 0);

  // Another backup folder leaves no row acting through an entry the store forgot.
  ASSERT_TRUE(host.store.AddToBackup(host.path("one/b.txt"), nullptr));
  pane.SetMode(ResultsPane::kSeparateMode);
  pane.SetMode(ResultsPane::kBackupMode);
  ASSERT_EQ(view->list()->rowCount(), 1);
  fs::create_directories(host.path("other"));
  host.store.SetFolder(host.path("other"));
  fs::remove(host.path("one/b.txt"));
  click(view->list(), 0);
  press(BackupFolderView::kRestore);
  view->RunCommand(BackupFolderView::kDelete);
  EXPECT_FALSE(fs::exists(host.path("one/b.txt")));
  EXPECT_EQ(NamesIn(backupFolder()).size(), 2u);
  EXPECT_FALSE(view->button(BackupFolderView::kRestore)->isEnabled());
  pane.SetMode(ResultsPane::kSeparateMode);
  pane.SetMode(ResultsPane::kBackupMode);
  EXPECT_EQ(view->list()->rowCount(), 0);
}

TEST_F(BackupActionsTest, ALinkFromTheResultsResolvesToTheTwinAndTheFileGoesToTheTrash) {
  search({{"one/" + kOddName, 40}, {"two/" + kOddName, 40}, {"three/" + kOddName, 40}});
  const std::string replaced = host.path("one/" + kOddName);
  clickPaths(separate()->filesList(), {replaced});
  ASSERT_TRUE(host.current && tf::FullName(host.current) == replaced);
  std::string twin;
  onDialog(QStringLiteral("ReplaceLinkDialog"), [&](QDialog* dialog) {
    auto* target = dialog->findChild<QLineEdit*>(QStringLiteral("target"));
    auto* found = dialog->findChild<QListWidget*>(QStringLiteral("found"));
    QPushButton* replace = nullptr;
    for (auto* button : dialog->findChildren<QPushButton*>())
      if (button->text() == "Replace file") replace = button;
    EXPECT_EQ(found->count(), 2);  // the other two copies
    QListWidgetItem* item = found->item(1);
    const QPoint at = found->visualItemRect(item).center();
    EXPECT_FALSE(replace->isEnabled());
    QTest::mouseClick(found->viewport(), Qt::LeftButton, {}, at);  // one click takes it
    EXPECT_EQ(target->text(), item->text());
    EXPECT_TRUE(replace->isEnabled());
    twin = item->text().contains(QStringLiteral("/two/")) ? host.path("two/" + kOddName)
                                                          : host.path("three/" + kOddName);
    QTest::mouseClick(replace, Qt::LeftButton);
  });
  QTest::mouseClick(separate()->button(ResultListView::kReplaceByLink), Qt::LeftButton);

  ASSERT_FALSE(twin.empty());
  EXPECT_TRUE(fs::is_symlink(replaced));
  EXPECT_EQ(fs::canonical(replaced), fs::canonical(twin));
  EXPECT_EQ(trashed(), 1u);
  EXPECT_EQ(separate()->filesModel()->rowCount(), 2);

  // The twin is now a link target: replacing it asks first.
  host.questions.answers = {IDNO};
  clickPaths(separate()->filesList(), {twin});
  QTest::mouseClick(separate()->button(ResultListView::kReplaceByLink), Qt::LeftButton);
  EXPECT_EQ(host.questions.asked.back().caption, "Replace file ?");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(twin)));
}

// 255 bytes, the longest name a file system takes: each action does its work or says
// why not, and a file it leaves stays in its place and in the list.
TEST_F(BackupActionsTest, ANameOf255BytesIsActedOnOrTheUserIsToldWhy) {
  const std::string name = std::string(251, 'x') + ".txt";
  search({{"one/" + name, 40}, {"two/" + name, 40}, {"three/" + name, 40}});
  const std::string first = host.path("one/" + name);
  const auto told = [&](const char* caption, const char* why) {
    ASSERT_FALSE(host.questions.asked.empty());
    EXPECT_EQ(host.questions.asked.back().caption, caption);
    EXPECT_NE(host.questions.asked.back().text.find(why), std::string::npos)
        << host.questions.asked.back().text;
    EXPECT_NE(host.questions.asked.back().text.find(first), std::string::npos);
  };

  // The trash records an item under its name plus ".trashinfo": too long here.
  clickPaths(separate()->filesList(), {first});
  host.questions.answers = {IDYES};
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  told(kNotTrashedCaption, "the trash cannot take a name that long");
  EXPECT_TRUE(fs::exists(first));
  EXPECT_EQ(trashed(), 0u);
  EXPECT_EQ(separate()->filesModel()->rowCount(), 3);

  // A link would need the file in the trash first: nothing changes, no stray link stays.
  clickPaths(separate()->filesList(), {first});
  testing::ReplaceWithFirstTwin();
  QTest::mouseClick(separate()->button(ResultListView::kReplaceByLink), Qt::LeftButton);
  told(kNotReplacedCaption, "the trash cannot take a name that long");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(first)));
  EXPECT_EQ(NamesIn(host.path("one")), std::vector<std::string>{name});
  EXPECT_EQ(separate()->filesModel()->rowCount(), 3);

  // The backup keeps it, or says why it cannot.
  clickPaths(separate()->filesList(), {first});
  const size_t asked = host.questions.asked.size();
  moveToBackup(QString(), false);
  EXPECT_TRUE(NamesIn(backupFolder()).size() > 0 || host.questions.asked.size() > asked);
  EXPECT_TRUE(fs::exists(first));

  // A copy and a move take the name as it is; a copy into its own folder says why not.
  const std::string copies = host.path("copies"), moved = host.path("moved");
  fs::create_directories(copies);
  fs::create_directories(moved);
  host.questions.folders = {copies, host.path("one"), moved};
  clickPaths(separate()->filesList(), {first});
  QTest::mouseClick(separate()->button(ResultListView::kCopy), Qt::LeftButton);
  EXPECT_EQ(fs::file_size(copies + "/" + name), 40u);
  clickPaths(separate()->filesList(), {first});
  QTest::mouseClick(separate()->button(ResultListView::kCopy), Qt::LeftButton);
  told(kNotCopiedCaption, "cannot be copied onto itself");
  clickPaths(separate()->filesList(), {first});
  QTest::mouseClick(separate()->button(ResultListView::kMove), Qt::LeftButton);
  EXPECT_EQ(NamesIn(moved), std::vector<std::string>{name});
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ(separate()->filesModel()->rowCount(), 2);
}

TEST_F(BackupActionsTest, CancelledLongWorkLeavesNothingHalfDoneAndTheWindowKeepsPainting) {
  std::vector<std::pair<std::string, int>> files{{"one/big.bin", 1}, {"two/big.bin", 1}};
  for (int i = 0; i < 6; ++i) files.push_back({"d" + std::to_string(i) + "/x.txt", 3});
  search(files);
  // Four sparse GiB: an idle machine is still writing when the dialog comes.
  constexpr int64_t kBigSize = int64_t{4} << 30;
  const std::string big = host.path("one/big.bin");
  ASSERT_EQ(::truncate(big.c_str(), kBigSize), 0);
  const std::string target = host.path("target");
  fs::create_directories(target);
  clickPaths(separate()->filesList(), {big});

  // The longest pause between 20 ms ticks is how long the window could not repaint.
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longestPause = 0, shownAt = -1;
  int shownMaximum = -1;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longestPause = std::max(longestPause, clock.elapsed() - last);
    last = clock.elapsed();
  });
  LongWork::TEST_OnDialogShown() = [&](QProgressDialog* dialog) {
    shownAt = clock.elapsed();
    shownMaximum = dialog->maximum();
    for (auto* button : dialog->findChildren<QPushButton*>())
      if (button->text() == "Cancel") QTest::mouseClick(button, Qt::LeftButton);
  };
  host.questions.folders = {target};
  tick.start(20);
  last = clock.elapsed();
  QTest::mouseClick(separate()->button(ResultListView::kCopy), Qt::LeftButton);
  tick.stop();
  EXPECT_GE(shownAt, LongWork::kShowAfterMs);
  EXPECT_LT(longestPause, 200);
  EXPECT_EQ(NamesIn(target), std::vector<std::string>{});
  EXPECT_EQ(fs::file_size(big), static_cast<uintmax_t>(kBigSize));
  EXPECT_EQ(separate()->filesModel()->rowCount(), 2);

  host.shell.afterWork = [] { QTest::qWait(150); };
  shownAt = -1;
  separate()->groupsList()->selectRow(1);
  separate()->filesList()->selectAll();
  host.questions.answers = std::deque<int>(6, IDYES);
  QTest::mouseClick(separate()->button(ResultListView::kDelete), Qt::LeftButton);
  EXPECT_GE(shownAt, 0);
  EXPECT_EQ(shownMaximum, 6);
  const size_t gone = trashed();
  EXPECT_GT(gone, 0u);
  EXPECT_LT(gone, 6u);
  size_t left = 0;
  for (int i = 0; i < 6; ++i) left += fs::exists(host.path("d" + std::to_string(i) + "/x.txt"));
  EXPECT_EQ(left + gone, 6u);
  // The user is told how far it got; the cancelled copy needed no word.
  ASSERT_FALSE(host.questions.asked.empty());
  EXPECT_EQ(host.questions.asked.back().caption, kTrashStoppedCaption);
  EXPECT_EQ(host.questions.asked.back().text,
            "Stopped. " + std::to_string(gone) + " of 6 files went to the trash; " +
                std::to_string(left) + " stay in their place and in the list.");
  for (const auto& message : host.questions.asked) EXPECT_NE(message.caption, kNotCopiedCaption);
}

}  // namespace
}  // namespace tf
