// The folder page: adds and removes through the host with the messages of the folder
// list, the exclude list following the selected folder, drops and the recent menus.
#include "ui/search_pages/folder_page.h"

#include <memory>

#include <QDialogButtonBox>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/process_launcher.h"
#include "tests/gui_search/scripted_search_host.h"
#include "tests/support/argv_record.h"
#include "tests/support/click_answer.h"
#include "tests/support/popup_menu_events.h"
#include "tests/support/stand_in.h"
#include "ui/search_pages/drive_chooser.h"
#include "ui/window/list_helpers.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// The page's commands, in the order of its buttons.
constexpr int kAddFolder = 0, kAddDrive = 1, kRemoveFolder = 2, kBrowse = 3, kAddExclude = 4,
              kRemoveExclude = 5, kProtect = 6;

Paths rows(QTreeWidget* list) {
  Paths out;
  for (int i = 0; i < list->topLevelItemCount(); ++i) out.push_back(RowText(list->topLevelItem(i)));
  return out;
}

struct PageFixture {
  testing::TempTree scratch;
  testing::ScriptedSearchHost host;
  std::unique_ptr<FolderPage> page;

  PageFixture() {
    page = std::make_unique<FolderPage>(host);
    page->resize(500, 500);
    page->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  }
  std::string dir(const std::string& relative) {
    const std::string p = scratch / relative;
    fs::create_directories(p);
    return p;
  }
  // Clicks a command (the left part of the buttons that also carry a recent menu).
  void click(int command) {
    QWidget* button = page->commandButton(command);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
  }
  // Opens the recent menu on the arrow of an add command and clicks `entry` in it, as a
  // person would (none when it lacks it). Answers what the menu offered, "-" a separator.
  QStringList pickRecent(int command, const std::string& entry) {
    QWidget* button = page->commandButton(command);
    return testing::PickFromMenu(button, QString::fromStdString(entry),
                                 QPoint(button->width() - 4, button->height() / 2));
  }
  void select(const std::string& include) {
    const int row = FindRow(page->includeList(), include, -1, nullptr);
    ASSERT_GE(row, 0) << include;
    page->includeList()->setCurrentItem(page->includeList()->topLevelItem(row));
  }
  // Drops local files given as percent-encoded URLs, so any bytes survive.
  void drop(const Paths& paths, QWidget* onto) {
    QList<QUrl> urls;
    for (const std::string& p : paths)
      urls.push_back(QUrl::fromEncoded(
          "file://" + QByteArray(p.data(), qsizetype(p.size())).toPercentEncoding("/")));
    QMimeData mime;
    mime.setUrls(urls);
    const QPointF at = onto->mapTo(page.get(), onto->rect().center());
    // A drop follows a drag that entered the page and was accepted there.
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(page.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent event(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(page.get(), &event);
  }
};

// Adding, removing and leaving out folders through the commands and their recent menus:
// every change goes through the host, and the exclude list follows the selected folder.
TEST(FolderPage, CommandsAndRecentMenusChangeTheFoldersThroughTheHost) {
  PageFixture f;
  const std::string data = f.dir("data"), old = f.dir("data/old"), other = f.dir("other"),
                    tmp = f.dir("other/tmp");
  const std::string file = f.scratch / "plain.txt";
  ASSERT_TRUE(testing::WriteFile(file, "x"));
  // What is no folder (a file, a missing path) adds nothing and asks nothing.
  f.host.questions.folders = {old, other, data, old, file, f.scratch / "missing", ""};
  for (int i = 0; i < 7; ++i) f.click(kAddFolder);
  EXPECT_EQ(f.page->AddExcludePath(file), kFolderNotAFolder);
  // The parent replaced its child; adding the child again is refused with its name.
  EXPECT_EQ(rows(f.page->includeList()), (Paths{other, data}));
  ASSERT_EQ(f.host.questions.asked.size(), 1u);
  EXPECT_EQ(f.host.questions.asked[0].text.rfind(old + "\n", 0), 0u);
  EXPECT_EQ(f.host.changes, (Paths{"+inc " + old, "+inc " + other, "+inc " + data, "+inc " + old}));
  EXPECT_EQ(f.page->SelectedInclude(), data);  // the new entry is selected

  // Folders are left out only below the selected one; the list follows the selection.
  f.host.questions.folders = {old, tmp};
  f.click(kAddExclude);
  f.click(kAddExclude);  // other/tmp is not below data: refused with a message
  EXPECT_EQ(f.host.questions.asked.size(), 2u);
  EXPECT_EQ(rows(f.page->excludeList()), (Paths{old}));
  f.select(other);
  EXPECT_TRUE(rows(f.page->excludeList()).empty());
  f.host.questions.folders = {tmp};
  f.click(kAddExclude);
  f.page->Rebuild();  // keeps the selected path
  EXPECT_EQ(f.page->SelectedInclude(), other);
  EXPECT_EQ(rows(f.page->excludeList()), (Paths{tmp}));
  f.select(data);
  EXPECT_EQ(rows(f.page->excludeList()), (Paths{old}));

  // Removing the selected entry selects the first one left; its exclude goes too.
  f.page->excludeList()->setCurrentItem(f.page->excludeList()->topLevelItem(0));
  f.click(kRemoveExclude);
  EXPECT_EQ(ExcludePaths(f.host.descriptor.Root()), (Paths{tmp}));
  f.click(kRemoveFolder);
  EXPECT_EQ(rows(f.page->includeList()), (Paths{other}));
  EXPECT_EQ(f.page->SelectedInclude(), other);
  EXPECT_EQ(f.host.changes.back(), "-inc " + data);

  // Each folder added entered its recent list at once; the menus give them back, newest
  // first, each arrow its own.
  EXPECT_EQ(f.pickRecent(kAddFolder, data).join('|').toStdString(),
            "Clear List|-|" + data + "|" + other + "|" + old);
  EXPECT_EQ(rows(f.page->includeList()), (Paths{other, data}));
  EXPECT_EQ(f.page->SelectedInclude(), data);
  EXPECT_EQ(f.pickRecent(kAddExclude, old).join('|').toStdString(),
            "Clear List|-|" + tmp + "|" + old);
  EXPECT_EQ(rows(f.page->excludeList()), (Paths{old}));
  EXPECT_EQ(f.host.changes.back(), "+exc " + old);
  EXPECT_EQ(f.host.questions.asked.size(), 2u);
  f.pickRecent(kAddFolder, "Clear List");
  EXPECT_TRUE(f.pickRecent(kAddFolder, "").isEmpty());
}

// Protect and Browse act on the selected entry: a protected folder shows in the status
// (beside the scan status) or under its entry's row; Browse opens the entry itself.
TEST(FolderPage, ProtectAndBrowseActOnTheSelectedEntry) {
  PageFixture f;
  const std::string data = f.dir("data folder"), ref = f.dir("data folder/ref"),
                    other = f.dir("other");
  f.host.questions.folders = {data, other};
  f.click(kAddFolder);
  f.click(kAddFolder);
  QTreeWidget* list = f.page->includeList();

  // A folder below the selected entry: it hangs under the entry's row, marked.
  f.select(data);
  f.host.questions.folders = {ref, other};
  f.click(kProtect);
  EXPECT_EQ(f.host.questions.starts.back(), data);  // the chooser starts at the entry
  ASSERT_EQ(list->topLevelItem(0)->childCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->child(0)->text(0).toStdString(), ref);
  EXPECT_EQ(list->topLevelItem(0)->child(0)->text(1), "protected");
  EXPECT_FALSE(list->topLevelItem(0)->child(0)->flags() & Qt::ItemIsSelectable);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "");
  // A whole entry: the status shows the mark, with the scan status beside it.
  f.click(kProtect);
  EXPECT_EQ(ProtectedFolders(f.host.Descriptor().Root()), (Paths{ref, other}));
  f.host.statuses[other] = "completed";
  f.page->RefreshStatuses();
  EXPECT_EQ(list->topLevelItem(1)->text(1), "protected, completed");
  f.page->ClearStatuses();
  EXPECT_EQ(list->topLevelItem(1)->text(1), "protected");
  EXPECT_EQ(rows(list), (Paths{data, other}));  // the marks are no folders to search

  // Choosing a protected folder again offers to take the mark off; Yes does.
  f.host.questions.folders = {ref};
  f.host.questions.answers = {IDYES};
  f.click(kProtect);
  ASSERT_EQ(f.host.questions.asked.size(), 1u);
  EXPECT_EQ(f.host.questions.asked.back().caption, "Protect folder");
  EXPECT_EQ(list->topLevelItem(0)->childCount(), 0);
  EXPECT_EQ(ProtectedFolders(f.host.Descriptor().Root()), Paths{other});

  f.select(data);
  {
    testing::StandIn opener(f.scratch, "xdg-open", f.scratch / "opened");
    f.click(kBrowse);
    EXPECT_EQ(testing::ReadArgvRecord(f.scratch / "opened"),
              (Paths{data, data}));  // started in the folder, given the folder
  }
  {
    f.host.browseMode = 1;
    testing::StandIn fileManager(f.scratch, "dbus-send", f.scratch / "explored");
    f.click(kBrowse);
    const Paths got = testing::ReadArgvRecord(f.scratch / "explored");
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got[7], "org.freedesktop.FileManager1.ShowFolders");
    EXPECT_EQ(got[8], "array:string:" + FileUri(data));
  }
  EXPECT_EQ(f.host.questions.asked.size(), 1u);
}

TEST(FolderPage, DropsFollowTheListTheyFallOn) {
  PageFixture f;
  const std::string odd = f.dir("odd \xff\xfe <\"name\">"),
                    sub = f.dir("odd \xff\xfe <\"name\">/sub");
  const std::string other = f.dir("other"), target = f.dir("target");
  ASSERT_TRUE(testing::WriteFile(odd + "/file.txt", "x"));
  fs::create_symlink(target, f.scratch / "link");
  fs::create_symlink(f.scratch / "gone", f.scratch / "dangling");

  // A file stands for its folder, kept byte for byte; a lone link for its target.
  f.drop({odd + "/file.txt"}, f.page->includeList());
  f.drop({f.scratch / "dangling"}, f.page->includeList());
  f.drop({f.scratch / "link"}, f.page->includeList());
  EXPECT_EQ(rows(f.page->includeList()), (Paths{odd, fs::canonical(target).string()}));
  EXPECT_TRUE(f.host.questions.asked.empty());

  // Onto the exclusion list only folders below the selected one, without a message.
  f.select(odd);
  f.drop({sub, other, sub + "/"}, f.page->excludeList());
  EXPECT_EQ(rows(f.page->excludeList()), (Paths{sub}));
  EXPECT_EQ(IncludePaths(f.host.descriptor.Root()).size(), 2u);
  EXPECT_TRUE(f.host.questions.asked.empty());
}

// "Add drive" lists the mounted file systems; the chosen one becomes a folder to search,
// kept apart from the shown line (a mount point may hold blanks); Cancel adds nothing.
TEST(FolderPage, AddDriveAddsTheChosenMountPoint) {
  std::vector<DriveSummary> drives;
  if (!BuildDriveSummaryList(&drives) || drives.empty()) GTEST_SKIP() << "no mounted drives";
  PageFixture f;
  std::string chosen;
  const auto answer = [&chosen](bool ok) {
    testing::WhenShown<DriveChooser>([&chosen, ok](DriveChooser* dialog) {
      QTest::keyClick(dialog->list(), Qt::Key_End);
      chosen = dialog->ChosenMountPoint();
      if (ok)
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
      else
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
  };
  answer(false);
  f.click(kAddDrive);
  EXPECT_TRUE(f.host.changes.empty());
  answer(true);
  f.click(kAddDrive);
  EXPECT_EQ(chosen, drives.back().mountPoint);
  EXPECT_EQ(f.host.changes, Paths{"+inc " + chosen});
  EXPECT_EQ(rows(f.page->includeList()), Paths{chosen});
}

}  // namespace
}  // namespace tf
