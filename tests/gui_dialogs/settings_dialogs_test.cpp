// The dialogs of the "&Settings" menu driven through the main window, each answered from
// inside its own event loop, and what they leave in the settings file, the ".mcf" files,
// the program's collection, the tools run from the result list and the ignore list.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>

#include "app/remembered_search.h"
#include "app/tools_section.h"
#include "platform/volume_info.h"
#include "results/backup_store.h"
#include "results/ignore_store.h"
#include "scan/mask_collection.h"
#include "settings/settings_store.h"
#include "tests/gui_main/main_window_support.h"
#include "tests/support/argv_record.h"
#include "tests/support/popup_menu_events.h"
#include "ui/dialogs/ignored_groups_dialog.h"
#include "ui/dialogs/mask_collection_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/settings_dialogs.h"
#include "ui/dialogs/tool_description_dialog.h"
#include "ui/dialogs/tool_list_dialog.h"
#include "ui/result_views/backup_folder_view.h"
#include "ui/search_pages/filters_page.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/name_filter_page.h"
#include "ui/search_pages/search_window.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Names = std::vector<std::string>;
using testing::ClickOn;
using testing::Column;
using testing::TempTree;
using testing::WhenShown;
using testing::Window;

// Near the left edge: a check box or option button answers only on its mark and text.
void Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Replaces the box's text by typing, as a person would.
void TypeInto(QLineEdit* box, const std::string& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, QString::fromStdString(text));
}

void ClickRow(QAbstractItemView* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(row, 0)).center());
}

// One window through four visits to the dialog: refusals that keep it open, a Cancel that
// stores and applies nothing, an OK that stores and applies every field at once (the
// one-thread-per-disk choice up to the next search's walk), and the choice switched off
// again (a walk on a solid-state disk reads ahead again). The next start follows.
TEST(OptionsDialog, RefusalsAndCancelLeaveEverythingAndOkStoresAndAppliesEveryField) {
  TempTree places;
  Window w(places);
  ASSERT_TRUE(w.started);
  const std::string oldBackup = places.Path("data/Backup");
  const std::string kept = places.File("data/Backup/1.report.txt", 4);
  const std::string newBackup = places.Folder("elsewhere/Backup");
  const std::string collection = places.Path("mine.mcf");
  MaskCollection masks;
  masks.AddBuiltInGroups();
  ASSERT_TRUE(masks.SaveToFile(collection));
  std::ofstream(places.Path("damaged.mcf")) << "<node name=\"Filters\"><node";
  places.File("photos/a/x.txt");
  places.File("photos/b/x.txt");
  ASSERT_EQ(w.controller.searchHost()->ChangeIncludeFolder(true, places.Path("photos")), 1);
  const auto searchReadsAhead = [&] {
    EXPECT_TRUE(w.Search());
    const SearchRun* run = w.controller.shell()->Search().Run();
    return run && !run->Scans().empty() && run->Scans()[0]->readsAhead();
  };
  const bool solidState = !IsOnSpinningDisk(places.root());
  EXPECT_EQ(searchReadsAhead(), solidState);
  SettingsStore& settings = w.controller.shell()->Settings();

  w.questions.answers = {IDOK, IDNO, IDYES};
  WhenShown<OptionsDialog>([&](OptionsDialog* d) {
    // A collection file that cannot be loaded: told, nothing stored, still open.
    Click(d->maskFileButton());
    TypeInto(d->maskFileBox(), places.Path("damaged.mcf"));
    Click(d->okButton());
    EXPECT_TRUE(d->isVisible());
    TypeInto(d->maskFileBox(), "");
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
  EXPECT_NE(w.questions.asked[0].text.find("damaged.mcf"), std::string::npos);
  EXPECT_EQ(settings.GetBackupFolder(), oldBackup);
  EXPECT_TRUE(w.controller.resultsPane()->modeButton(ResultsPane::kBackupMode)->isEnabled());

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
  EXPECT_EQ(settings.GetPriority(), 1);
  EXPECT_EQ(settings.GetFilterFlag(), 1);
  EXPECT_EQ(settings.GetOneThreadPerDisk(), 0);
  EXPECT_EQ(settings.GetBackupFolder(), oldBackup);

  w.questions.asked.clear();
  w.questions.files = {collection};
  w.questions.folders = {newBackup};
  w.questions.answers = {IDYES};  // copy the backup files along
  WhenShown<OptionsDialog>([&](OptionsDialog* d) {
    EXPECT_EQ(d->backupBox()->text().toStdString(), oldBackup);
    Click(d->tooltipsBox());
    Click(d->rememberSearchBox());  // on by default
    Click(d->oneThreadPerDiskBox());
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
  // Applied at once: tooltips off, the store on the new folder with the copied entry, one
  // thread per disk.
  EXPECT_FALSE(w.controller.toolTips());
  EXPECT_EQ(w.controller.shell()->Backup()->Folder(), newBackup);
  EXPECT_NE(w.controller.shell()->Backup()->Entries(false)->FirstChild(), nullptr);
  EXPECT_EQ(settings.GetOneThreadPerDisk(), 1);
  EXPECT_FALSE(searchReadsAhead());

  // The backup page on show keeps acting on its own entries through an OK that keeps the
  // folder, and shows what another program added once it is shown again.
  BackupStore* store = w.controller.shell()->Backup();
  for (const char* name : {"first.txt", "second.txt", "third.txt"}) places.File(name, 6);
  ASSERT_TRUE(store->AddToBackup(places.Path("first.txt"), "one"));
  ASSERT_TRUE(store->AddToBackup(places.Path("second.txt"), "two"));
  fs::remove(places.Path("second.txt"));
  ResultsPane* pane = w.controller.resultsPane();
  QTest::mouseClick(pane->modeButton(ResultsPane::kBackupMode), Qt::LeftButton);
  QTableWidget* entries = pane->backupView()->list();
  const auto rowOf = [&](const std::string& name) {
    const Lines names = Column(entries->model());
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  };
  ClickRow(entries, rowOf("second.txt"));

  WhenShown<OptionsDialog>([&](OptionsDialog* d) {
    EXPECT_TRUE(d->oneThreadPerDiskBox()->isChecked());
    Click(d->oneThreadPerDiskBox());
    Click(d->okButton());
  });
  w.frame.action(kCmdOptions)->trigger();
  EXPECT_EQ(searchReadsAhead(), solidState);
  QTest::mouseClick(pane->backupView()->button(BackupFolderView::kRestore), Qt::LeftButton);
  EXPECT_EQ(fs::file_size(places.Path("second.txt")), 6u);
  EXPECT_TRUE(fs::exists(places.Path("first.txt")));
  EXPECT_EQ(rowOf("second.txt"), entries->rowCount());
  testing::ScriptedQuestions quiet;
  BackupStore other(quiet, nullptr);  // another copy of the program, or the command line
  ASSERT_TRUE(other.SetFolder(newBackup));
  ASSERT_TRUE(other.AddToBackup(places.Path("third.txt"), "three"));
  QTest::mouseClick(pane->modeButton(ResultsPane::kUnifiedMode), Qt::LeftButton);
  QTest::mouseClick(pane->modeButton(ResultsPane::kBackupMode), Qt::LeftButton);
  EXPECT_LT(rowOf("third.txt"), entries->rowCount());

  w.controller.Shutdown();
  SettingsStore stored;
  ASSERT_TRUE(stored.Load(places.Path("config/twinfold.dat")));
  EXPECT_EQ(stored.GetTooltips(), 0);
  EXPECT_EQ(stored.GetBrowseMode(), 1);
  EXPECT_EQ(stored.GetPriority(), 2);
  EXPECT_EQ(stored.GetFilterFlag(), 0);
  EXPECT_EQ(stored.GetFilterText(), collection);
  EXPECT_EQ(stored.GetBackupFolder(), newBackup);
  EXPECT_EQ(stored.GetOneThreadPerDisk(), 0);
  EXPECT_FALSE(RememberSearchOn(&stored));
  // Not remembered: the next start shows no folder.
  Window again(places);
  ASSERT_TRUE(again.started);
  EXPECT_EQ(again.controller.searchWindow()->folderPage()->includeList()->topLevelItemCount(), 0);
}

TEST(MaskCollectionDialog, EditsSavesAndReplacesTheProgramsCollectionOnOk) {
  TempTree places;
  // A fresh account has no collection folder: the editor's chooser makes it.
  const std::string saved = places.Path("data/Filters/Logs & more.mcf");
  Window w(places);
  ASSERT_TRUE(w.started);
  EXPECT_EQ(w.frame.loadMasksMenu(), nullptr);
  w.questions.files = {saved};
  w.questions.answers = {IDOK, IDOK, IDYES};

  WhenShown<MaskCollectionDialog>([&](MaskCollectionDialog* d) {
    QListWidget* list = d->groupList();
    ASSERT_EQ(list->count(), 7);

    ClickRow(list, 2);
    EXPECT_EQ(d->nameBox()->text().toStdString(), "Documents");
    // Another group's name is refused and nothing is lost.
    TypeInto(d->nameBox(), "Images");
    Click(d->button("Accept Changes"));
    EXPECT_EQ(list->item(2)->text().toStdString(), "03. Documents");
    // An empty mask is refused too, with the focus on it.
    TypeInto(d->masksBox(), "");
    TypeInto(d->nameBox(), "Logs");
    Click(d->button("Accept Changes"));
    EXPECT_EQ(d->focusWidget(), d->masksBox());
    Click(d->button("Discard Changes"));
    EXPECT_EQ(d->nameBox()->text().toStdString(), "Documents");

    TypeInto(d->nameBox(), "Logs <&> \"q\"");
    TypeInto(d->masksBox(), "*.log, *.tmp");
    Click(d->temporaryBox());
    Click(d->button("Accept Changes"));
    Click(d->button("Move Up"));
    Click(d->button("Move Up"));
    EXPECT_EQ(list->item(0)->text().toStdString(), "01. Logs <&> \"q\"");
    EXPECT_EQ(list->currentRow(), 0);

    // A new group goes in at the selection and is ready for its name; then deleted.
    Click(d->button("Create New Group"));
    EXPECT_EQ(list->item(0)->text().toStdString(), "01. New group 1");
    EXPECT_EQ(d->focusWidget(), d->nameBox());
    EXPECT_EQ(d->nameBox()->selectedText().toStdString(), "New group 1");
    Click(d->button("Delete Selected"));
    EXPECT_EQ(list->count(), 7);

    Click(d->button("Save"));
    Click(d->button("OK"));
  });
  w.frame.action(kCmdMaskCollection)->trigger();

  EXPECT_EQ(w.questions.asked.size(), 3u);  // two refusals and the delete's question
  EXPECT_EQ(w.questions.starts.at(0), places.Path("data/Filters"));

  // The file holds the edited collection ...
  MaskCollection fromFile;
  ASSERT_TRUE(fromFile.LoadFromFile(saved));
  MaskGroup group;
  ASSERT_TRUE(fromFile.GetGroup(1, &group));
  EXPECT_EQ(group.name, "Logs <&> \"q\"");
  EXPECT_EQ(group.masks, "*.log;*.tmp");
  EXPECT_EQ(group.temporary, 1);
  // ... and so does the program's: the filters page offers it, the menu the new file.
  w.controller.searchWindow()->SetMode(kSearchModeFilters);
  QAbstractButton* choose = w.controller.searchWindow()->filtersPage()->namePage()->chooseButton(
      NameFilterPage::kInclude);
  auto offeredFirst = [&] { return testing::PickFromMenu(choose, QString()).value(2); };
  // Its '&' is shown as itself, not taken for the item's accelerator.
  EXPECT_EQ(offeredFirst().toStdString(), "Logs <&&> \"q\"");
  ASSERT_NE(w.frame.loadMasksMenu(), nullptr);
  // An ampersand in the name is shown as itself, not as a mnemonic.
  EXPECT_EQ(w.frame.loadMasksMenu()->actions().at(0)->text().toStdString(), "Logs && more");

  // "Load built-in masks" and a menu file replace it again.
  w.frame.action(kCmdBuiltInMasks)->trigger();
  EXPECT_EQ(offeredFirst().toStdString(), "Executable, Libraries");
  w.frame.loadMasksMenu()->actions().at(0)->trigger();
  EXPECT_EQ(offeredFirst().toStdString(), "Logs <&&> \"q\"");
}

// Cancel, a damaged file (from the dialog or the menu) and the read-only "File Filters"
// view all leave the program's collection as it was.
TEST(MaskCollectionDialog, CancelADamagedFileAndTheFileFiltersViewLeaveTheCollection) {
  TempTree places;
  const std::string damaged = places.Path("data/Filters/Broken.mcf");
  places.Folder("data/Filters");
  std::ofstream(damaged) << "<?xml version=\"1.0\"?>\n<node name=\"Filters\"";
  Window w(places);
  ASSERT_TRUE(w.started);
  w.questions.files = {damaged};
  w.questions.answers = {IDOK};

  WhenShown<MaskCollectionDialog>([&](MaskCollectionDialog* d) {
    const Lines before = Column(d->groupList()->model());
    Click(d->button("Load"));
    EXPECT_EQ(Column(d->groupList()->model()), before);
    Click(d->button("Create new collection"));
    EXPECT_EQ(Column(d->groupList()->model()), Lines{"01. New group 1"});
    Click(d->button("Cancel"));
  });
  w.frame.action(kCmdMaskCollection)->trigger();
  EXPECT_EQ(w.questions.asked.size(), 1u);  // told that the file cannot be loaded
  EXPECT_EQ(w.controller.shell()->Masks().Count(), 7);
  ASSERT_NE(w.frame.loadMasksMenu(), nullptr);
  w.frame.loadMasksMenu()->actions().at(0)->trigger();
  EXPECT_EQ(w.controller.shell()->Masks().Count(), 7);

  WhenShown<MaskCollectionDialog>([&](MaskCollectionDialog* d) {
    ClickRow(d->groupList(), 5);
    EXPECT_EQ(d->nameBox()->text().toStdString(), "Temporary");
    Click(d->temporaryBox());
    EXPECT_TRUE(d->temporaryBox()->isChecked());
    Click(d->button("OK"));
  });
  // Through the "&Settings" menu, whose items tell what they do as the pointer rests.
  QMenuBar* bar = w.frame.menuBar();
  QMenu* settingsMenu = w.frame.menu(1);
  QTest::mouseClick(bar, Qt::LeftButton, {},
                    bar->actionGeometry(settingsMenu->menuAction()).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return settingsMenu->isVisible(); }));
  const auto itemAt = [&](int id) {
    return settingsMenu->actionGeometry(w.frame.action(id)).center();
  };
  QTest::mouseMove(settingsMenu, itemAt(kCmdRegisteredTools));
  EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::text() == "Modify list of tools"; }, 3000));
  QTest::mouseClick(settingsMenu, Qt::LeftButton, {}, itemAt(kCmdFileFilters));
  MaskGroup group;
  ASSERT_TRUE(w.controller.shell()->Masks().GetGroup(6, &group));
  EXPECT_EQ(group.temporary, 1);
}

TEST(ToolDialogs, AToolAddedInTheDialogRunsOnTheSelectedFile) {
  TempTree places;
  TempTree tree;
  const std::string twin = tree.File("a b/notes 100%.txt", 10);
  tree.File("c/notes 100%.txt", 10);
  const std::string runFolder = places.Folder("run");
  Window w(places);
  ASSERT_TRUE(w.started);
  QComboBox* toolBox = w.controller.resultsPane()->separateView()->toolBox();
  EXPECT_EQ(Column(toolBox->model()), Lines{"Text editor"});  // from the start
  w.questions.files = {TF_ARGV_RECORDER};
  w.questions.folders = {runFolder};

  WhenShown<ToolListDialog>([&](ToolListDialog* d) {
    ClickRow(d->list(), 0);

    WhenShown<ToolDescriptionDialog>([&](ToolDescriptionDialog* t) {
      // The program lands at the caret, before what was typed.
      QTest::keyClicks(t->commandBox(), " run.out \"%f1\" %n1");
      t->commandBox()->setCursorPosition(0);
      Click(t->programChooser());
      QTest::keyClick(t->nameBox(), Qt::Key_Return);  // refused without a name
      EXPECT_TRUE(t->isVisible());
      QTest::keyClicks(t->nameBox(), "Record");
      Click(t->directoryChooser());
      Click(t->okButton());
    });
    Click(d->addButton());
    EXPECT_EQ(Column(d->list()->model()), (Lines{"Text editor", "Record"}));
    EXPECT_EQ(d->list()->item(1, 1)->text().toStdString(),
              std::string(TF_ARGV_RECORDER) + " run.out \"%f1\" %n1");
    EXPECT_EQ(d->list()->selectedItems().at(0)->text().toStdString(), "Text editor");

    // An edit cancelled changes nothing.
    ClickRow(d->list(), 1);
    WhenShown<ToolDescriptionDialog>([&](ToolDescriptionDialog* t) {
      EXPECT_EQ(t->nameBox()->text().toStdString(), "Record");
      QTest::keyClicks(t->nameBox(), "er");
      Click(t->cancelButton());
    });
    Click(d->editButton());
    EXPECT_EQ(Column(d->list()->model()), (Lines{"Text editor", "Record"}));
    Click(d->closeButton());
  });
  w.frame.action(kCmdRegisteredTools)->trigger();
  EXPECT_EQ(Column(toolBox->model()), (Lines{"Text editor", "Record"}));

  ASSERT_TRUE(w.Search(tree.root()));
  SeparateListsView* view = w.controller.resultsPane()->separateView();
  ASSERT_TRUE(testing::ClickRow(view->filesList(), twin));
  toolBox->setCurrentIndex(1);
  Click(view->button(ResultListView::kRun));
  // The recorder writes its working folder, then the arguments after the record's name.
  EXPECT_EQ(testing::ReadArgvRecord(runFolder + "/run.out"),
            (Lines{runFolder, twin, "notes 100%.txt"}));

  // Removing needs no confirmation and reaches the tool boxes.
  WhenShown<ToolListDialog>([&](ToolListDialog* d) {
    ClickRow(d->list(), 0);
    Click(d->removeButton());
    EXPECT_EQ(Column(d->list()->model()), Lines{"Record"});
    Click(d->closeButton());
  });
  w.frame.action(kCmdRegisteredTools)->trigger();
  EXPECT_EQ(Column(toolBox->model()), Lines{"Record"});

  w.controller.Shutdown();
  SettingsStore stored;
  ASSERT_TRUE(stored.Load(places.Path("config/twinfold.dat")));
  EXPECT_EQ(ToolNames(ToolsSection(&stored)), Lines{"Record"});
}

TEST(IgnoredGroups, IgnoreGroupFromTheListsMenuHidesItUntilTheDialogRemovesIt) {
  TempTree places;
  TempTree tree;
  for (const char* name : {"one/photo.jpg", "two/photo.jpg", "one/notes.txt", "two/notes.txt"})
    tree.File(name, 10);
  Window w(places);
  ASSERT_TRUE(w.started);
  w.frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.frame));
  ASSERT_TRUE(w.Search(tree.root()));
  SeparateListsView* view = w.controller.resultsPane()->separateView();
  QTableView* groups = view->groupsList();
  ASSERT_EQ(Column(groups->model()), (Names{"notes.txt", "photo.jpg"}));

  // Right-click the group's file and take "Ignore group".
  QTableView* files = view->filesList();
  const auto ignoreGroupOf = [&](const std::string& group) {
    ASSERT_TRUE(testing::ClickRow(groups, group));
    EXPECT_TRUE(
        ClickOn(files->viewport(), files->visualRect(files->model()->index(0, 0)).center()));
    EXPECT_TRUE(testing::TakeFromRowMenu(files, "Ignore group").enabled);
  };
  // A folder where the list belongs: the user is told, and nothing hides.
  const std::string listFile = places.Path("data/ignored");
  ASSERT_TRUE(std::filesystem::create_directories(listFile));
  ignoreGroupOf("photo.jpg");
  ASSERT_EQ(w.questions.asked.size(), 1u);
  EXPECT_NE(w.questions.asked[0].text.find("cannot be ignored"), std::string::npos);
  EXPECT_EQ(Column(groups->model()), (Names{"notes.txt", "photo.jpg"}));
  std::filesystem::remove(listFile);

  ignoreGroupOf("photo.jpg");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Column(groups->model()) == Names{"notes.txt"}; }, 3000))
      << Column(groups->model()).size();

  // The list on disk holds the group's files.
  IgnoreStore store(listFile);
  IgnoreList list;
  ASSERT_EQ(store.Read(&list), IgnoreStore::State::kRead);
  EXPECT_EQ(
      list.Entries(),
      (std::vector<IgnoreList::Entry>{{tree.Path("one/photo.jpg"), tree.Path("two/photo.jpg")}}));
  ASSERT_TRUE(w.Search());
  EXPECT_EQ(Column(groups->model()), Names{"notes.txt"});  // and later searches hide it too

  // "Ignored groups..." through the menu bar; "Remove" on the entry, then "Close".
  bool seen = false;
  WhenShown<IgnoredGroupsDialog>([&](IgnoredGroupsDialog* d) {
    seen = true;
    QTreeWidget* entries = d->list();
    ASSERT_EQ(entries->topLevelItemCount(), 1);
    QTreeWidgetItem* path = entries->topLevelItem(0)->child(1);
    ASSERT_EQ(path->text(0).toStdString(), tree.Path("two/photo.jpg"));
    EXPECT_TRUE(ClickOn(entries->viewport(), entries->visualItemRect(path).center()));
    EXPECT_TRUE(ClickOn(d->removeButton()));
    EXPECT_EQ(entries->topLevelItemCount(), 0);
    EXPECT_FALSE(d->removeButton()->isEnabled());
    EXPECT_TRUE(ClickOn(d->closeButton()));
  });
  ASSERT_TRUE(testing::ChooseFromMenu(w.frame, 1, kCmdIgnoredGroups));
  EXPECT_TRUE(seen);
  ASSERT_EQ(store.Read(&list), IgnoreStore::State::kRead);
  EXPECT_TRUE(list.Empty());

  ASSERT_TRUE(w.Search());
  EXPECT_EQ(Column(groups->model()), (Names{"notes.txt", "photo.jpg"}));
}

}  // namespace
}  // namespace tf
