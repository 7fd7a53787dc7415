// The mask collection editor through the main window: editing groups with the refusals,
// saving a ".mcf" file, OK replacing the program's collection (which the filters page then
// offers), Cancel and a damaged file leaving it; and the read-only "File Filters" view.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/main_commands.h"
#include "dialog_support.h"
#include "scan/mask_collection.h"
#include "tests/support/popup_menu_events.h"
#include "ui/filters_page.h"
#include "ui/mask_collection_dialog.h"
#include "ui/name_filter_page.h"
#include "ui/search_window.h"
#include "ui/settings_dialogs.h"

namespace tf {
namespace {

using testing::Click;
using testing::TempTree;
using testing::TypeInto;
using testing::WhenShown;
using testing::Window;
using Lines = std::vector<std::string>;

Lines ListLines(const QListWidget* list) {
  Lines lines;
  for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
  return lines;
}

void ClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(row)).center());
}

TEST(MaskCollectionDialog, EditsSavesAndReplacesTheProgramsCollectionOnOk) {
  TempTree places;
  const std::string saved = places.Folder("data/Filters") + "/Mine.mcf";
  Window w(places);
  ASSERT_TRUE(w.started);
  EXPECT_EQ(w.frame.loadMasksMenu(), nullptr);
  w.questions.files = {saved};
  w.questions.answers = {IDOK, IDOK, IDYES};

  WhenShown<MaskCollectionDialog>([&](MaskCollectionDialog* d) {
    QListWidget* list = d->groupList();
    ASSERT_EQ(list->count(), 6);

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

    TypeInto(d->nameBox(), "Logs");
    TypeInto(d->masksBox(), "*.log, *.tmp");
    Click(d->temporaryBox());
    Click(d->button("Accept Changes"));
    Click(d->button("Move Up"));
    Click(d->button("Move Up"));
    EXPECT_EQ(list->item(0)->text().toStdString(), "01. Logs");
    EXPECT_EQ(list->currentRow(), 0);

    // A new group goes in at the selection and is ready for its name; then deleted.
    Click(d->button("Create New Group"));
    EXPECT_EQ(list->item(0)->text().toStdString(), "01. New group 1");
    EXPECT_EQ(d->focusWidget(), d->nameBox());
    EXPECT_EQ(d->nameBox()->selectedText().toStdString(), "New group 1");
    Click(d->button("Delete Selected"));
    EXPECT_EQ(list->count(), 6);

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
  EXPECT_EQ(group.name, "Logs");
  EXPECT_EQ(group.masks, "*.log;*.tmp");
  EXPECT_EQ(group.temporary, 1);
  // ... and so does the program's: the filters page offers it, the menu the new file.
  w.controller.searchWindow()->SetMode(kSearchModeFilters);
  QAbstractButton* choose = w.controller.searchWindow()->filtersPage()->namePage()->chooseButton(
      NameFilterPage::kInclude);
  auto offeredFirst = [&] { return testing::PickFromMenu(choose, QString()).value(2); };
  EXPECT_EQ(offeredFirst().toStdString(), "Logs");
  ASSERT_NE(w.frame.loadMasksMenu(), nullptr);
  EXPECT_EQ(w.frame.loadMasksMenu()->actions().at(0)->text().toStdString(), "Mine");

  // "Load built-in masks" and a menu file replace it again.
  w.frame.action(kCmdBuiltInMasks)->trigger();
  EXPECT_EQ(offeredFirst().toStdString(), "Executable, Libraries");
  w.frame.loadMasksMenu()->actions().at(0)->trigger();
  EXPECT_EQ(offeredFirst().toStdString(), "Logs");
}

TEST(MaskCollectionDialog, CancelAndADamagedFileLeaveTheCollection) {
  TempTree places;
  const std::string damaged = places.Path("data/Filters/Broken.mcf");
  places.Folder("data/Filters");
  std::ofstream(damaged) << "<?xml version=\"1.0\"?>\n<node name=\"Filters\"";
  Window w(places);
  ASSERT_TRUE(w.started);
  w.questions.files = {damaged};
  w.questions.answers = {IDOK};

  WhenShown<MaskCollectionDialog>([&](MaskCollectionDialog* d) {
    const Lines before = ListLines(d->groupList());
    Click(d->button("Load"));
    EXPECT_EQ(ListLines(d->groupList()), before);
    Click(d->button("Create new collection"));
    EXPECT_EQ(ListLines(d->groupList()), Lines{"01. New group 1"});
    Click(d->button("Cancel"));
  });
  w.frame.action(kCmdMaskCollection)->trigger();
  EXPECT_EQ(w.questions.asked.size(), 1u);  // told that the file cannot be loaded
  EXPECT_EQ(w.controller.shell()->Masks().Count(), 6);

  // A damaged file of the menu leaves the collection as well.
  ASSERT_NE(w.frame.loadMasksMenu(), nullptr);
  w.frame.loadMasksMenu()->actions().at(0)->trigger();
  EXPECT_EQ(w.controller.shell()->Masks().Count(), 6);
}

TEST(MaskCollectionDialog, TheFileFiltersViewChangesNothing) {
  TempTree places;
  Window w(places);
  ASSERT_TRUE(w.started);
  WhenShown<MaskCollectionDialog>([&](MaskCollectionDialog* d) {
    ClickRow(d->groupList(), 5);
    EXPECT_EQ(d->nameBox()->text().toStdString(), "Temporary");
    EXPECT_TRUE(d->temporaryBox()->isChecked());
    Click(d->temporaryBox());
    EXPECT_TRUE(d->temporaryBox()->isChecked());
    Click(d->button("OK"));
  });
  ShowFileFilters(*w.controller.shell(), w.questions, &w.frame);
  MaskGroup group;
  ASSERT_TRUE(w.controller.shell()->Masks().GetGroup(6, &group));
  EXPECT_EQ(group.temporary, 1);
}

}  // namespace
}  // namespace tf
