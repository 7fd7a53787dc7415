// "Program Options" through the main window's command: what OK stores and applies (also to
// the next start and the next search), what Cancel and the refusals leave, the two choosers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <QTreeWidget>

#include "app/main_commands.h"
#include "app/remembered_search.h"
#include "dialog_support.h"
#include "platform/volume_info.h"
#include "results/backup_store.h"
#include "scan/mask_collection.h"
#include "search/search_run.h"
#include "ui/folder_page.h"
#include "ui/options_dialog.h"
#include "ui/search_window.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::Click;
using testing::StoredSettings;
using testing::TempTree;
using testing::TypeInto;
using testing::WhenShown;
using testing::Window;

std::string WriteCollectionFile(const std::string& path) {
  MaskCollection masks;
  masks.AddBuiltInGroups();
  EXPECT_TRUE(masks.SaveToFile(path));
  return path;
}

TEST(OptionsDialog, OkStoresEveryFieldMovesTheBackupFilesAndTheNextStartFollows) {
  TempTree places;
  Window w(places);
  ASSERT_TRUE(w.started);
  const std::string oldBackup = places.Path("data/Backup");
  const std::string kept = places.File("data/Backup/1.report.txt", 4);
  const std::string newBackup = places.Folder("elsewhere/Backup");
  const std::string collection = WriteCollectionFile(places.Path("mine.mcf"));
  w.questions.files = {collection};
  w.questions.folders = {newBackup};
  w.questions.answers = {IDYES};  // copy the backup files along
  w.controller.searchHost()->ChangeIncludeFolder(true, places.Folder("photos"));

  WhenShown<OptionsDialog>([&](OptionsDialog* d) {
    EXPECT_EQ(d->backupBox()->text().toStdString(), oldBackup);
    Click(d->tooltipsBox());
    Click(d->rememberSearchBox());  // on by default
    d->browseList()->setFocus();
    QTest::keyClick(d->browseList(), Qt::Key_Down);
    d->priorityList()->setFocus();
    QTest::keyClick(d->priorityList(), Qt::Key_Down);
    Click(d->maskFileButton());
    Click(d->maskFileChooser());
    EXPECT_EQ(d->maskFileBox()->text().toStdString(), collection);
    // Typing shows at once whether the folder exists.
    TypeInto(d->backupBox(), places.Path("nowhere"));
    EXPECT_FALSE(d->backupErrorLabel()->isHidden());
    Click(d->backupChooser());
    EXPECT_EQ(d->backupBox()->text().toStdString(), newBackup);
    EXPECT_TRUE(d->backupErrorLabel()->isHidden());
    Click(d->okButton());
  });
  w.frame.action(kCmdOptions)->trigger();

  // The mask chooser starts in the collection folder, the folder chooser at the box's text.
  EXPECT_EQ(w.questions.starts,
            (std::vector<std::string>{places.Path("data/Filters"), places.Path("nowhere")}));
  EXPECT_EQ(w.questions.asked.size(), 1u);  // whether to copy the backup files along
  EXPECT_TRUE(fs::exists(newBackup + "/1.report.txt"));
  EXPECT_TRUE(fs::exists(kept));  // the old folder keeps its files
  // Applied at once: tooltips off, the store on the new folder with the copied entry.
  EXPECT_FALSE(w.controller.toolTips());
  EXPECT_EQ(w.controller.shell()->Backup()->Folder(), newBackup);
  EXPECT_NE(w.controller.shell()->Backup()->Entries(false)->FirstChild(), nullptr);

  w.controller.Shutdown();
  StoredSettings stored(places.Path("config/twinfold.dat"));
  ASSERT_TRUE(stored.loaded);
  EXPECT_EQ(stored.store.GetTooltips(), 0);
  EXPECT_EQ(stored.store.GetBrowseMode(), 1);
  EXPECT_EQ(stored.store.GetPriority(), 2);
  EXPECT_EQ(stored.store.GetFilterFlag(), 0);
  EXPECT_EQ(stored.store.GetFilterText(), collection);
  EXPECT_EQ(stored.store.GetBackupFolder(), newBackup);
  EXPECT_FALSE(RememberSearchOn(&stored.store));
  // Not remembered: the next start shows no folder.
  Window again(places);
  ASSERT_TRUE(again.started);
  EXPECT_EQ(again.controller.searchWindow()->folderPage()->includeList()->topLevelItemCount(), 0);
}

// "One thread per disk" is stored, and the next search walks with one thread per disk;
// switched off again, a walk on a solid-state disk reads ahead again.
TEST(OptionsDialog, OneThreadPerDiskReachesTheSettingsFileAndTheNextSearch) {
  TempTree places;
  TempTree tree;
  tree.File("a/x.txt");
  tree.File("b/x.txt");
  Window w(places);
  ASSERT_TRUE(w.started);
  ASSERT_EQ(w.controller.searchHost()->ChangeIncludeFolder(true, tree.root()), 1);
  auto searchReadsAhead = [&] {
    w.controller.OnCommand(kCmdStartSearch);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 20000));
    const SearchRun* run = w.controller.shell()->Search().Run();
    return run && !run->Scans().empty() && run->Scans()[0]->readsAhead();
  };
  const bool solidState = !IsOnSpinningDisk(tree.root());
  EXPECT_EQ(searchReadsAhead(), solidState);

  for (const bool on : {true, false}) {
    WhenShown<OptionsDialog>([&](OptionsDialog* d) {
      EXPECT_EQ(d->oneThreadPerDiskBox()->isChecked(), !on);
      Click(d->oneThreadPerDiskBox());
      EXPECT_EQ(d->oneThreadPerDiskBox()->isChecked(), on);
      Click(d->okButton());
    });
    w.frame.action(kCmdOptions)->trigger();
    EXPECT_EQ(w.controller.shell()->Settings().GetOneThreadPerDisk(), on ? 1 : 0);
    EXPECT_EQ(searchReadsAhead(), !on && solidState);
  }
  w.controller.Shutdown();
  StoredSettings stored(places.Path("config/twinfold.dat"));
  ASSERT_TRUE(stored.loaded);
  EXPECT_EQ(stored.store.GetOneThreadPerDisk(), 0);
}

TEST(OptionsDialog, RefusalsKeepTheDialogOpenAndCancelStoresNothing) {
  TempTree places;
  Window w(places);
  ASSERT_TRUE(w.started);
  const std::string oldBackup = places.Path("data/Backup");
  std::ofstream(places.Path("damaged.mcf")) << "<node name=\"Filters\"><node";
  w.questions.answers = {IDOK, IDNO, IDYES};

  WhenShown<OptionsDialog>([&](OptionsDialog* d) {
    // A collection file that cannot be loaded: told, nothing stored, still open.
    Click(d->maskFileButton());
    TypeInto(d->maskFileBox(), places.Path("damaged.mcf"));
    Click(d->okButton());
    EXPECT_TRUE(d->isVisible());
    Click(d->builtInMasksButton());

    // A new backup folder that does not exist: No keeps the dialog open ...
    TypeInto(d->backupBox(), places.Path("missing"));
    Click(d->okButton());
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(fs::exists(places.Path("missing")));  // never made
    // ... Yes goes back to the folder in use and closes it.
    Click(d->okButton());
    EXPECT_FALSE(d->isVisible());
  });
  w.frame.action(kCmdOptions)->trigger();
  ASSERT_EQ(w.questions.asked.size(), 3u);
  EXPECT_EQ(w.questions.asked[0].caption, "Error");
  EXPECT_NE(w.questions.asked[0].text.find("damaged.mcf"), std::string::npos);
  EXPECT_EQ(w.controller.shell()->Settings().GetBackupFolder(), oldBackup);
  EXPECT_TRUE(w.controller.resultsPane()->modeButton(ResultsPane::kBackupMode)->isEnabled());

  // Cancel stores and applies nothing, the one-thread-per-disk box included.
  WhenShown<OptionsDialog>([&](OptionsDialog* d) {
    Click(d->tooltipsBox());
    Click(d->oneThreadPerDiskBox());
    d->priorityList()->setFocus();
    QTest::keyClick(d->priorityList(), Qt::Key_Up);
    TypeInto(d->backupBox(), places.Folder("other"));
    Click(d->cancelButton());
  });
  w.frame.action(kCmdOptions)->trigger();
  EXPECT_TRUE(w.controller.toolTips());

  w.controller.Shutdown();
  StoredSettings stored(places.Path("config/twinfold.dat"));
  ASSERT_TRUE(stored.loaded);
  EXPECT_EQ(stored.store.GetTooltips(), 1);
  EXPECT_EQ(stored.store.GetPriority(), 1);
  EXPECT_EQ(stored.store.GetFilterFlag(), 1);
  EXPECT_EQ(stored.store.GetOneThreadPerDisk(), 0);
  EXPECT_EQ(stored.store.GetBackupFolder(), oldBackup);
}

}  // namespace
}  // namespace tf
