// "Registered Tools" and "Tool Description" through the main window: a tool added there
// runs from the result list with the expected arguments; refusals, cancelled edits and
// removals leave the stored list as they should.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "app/main_commands.h"
#include "app/tools_section.h"
#include "dialog_support.h"
#include "tests/support/argv_record.h"
#include "ui/results_pane.h"
#include "ui/separate_lists_view.h"
#include "ui/tool_description_dialog.h"
#include "ui/tool_list_dialog.h"

namespace tf {
namespace {

using testing::Click;
using testing::StoredSettings;
using testing::TempTree;
using testing::WhenShown;
using testing::Window;

std::vector<std::string> ComboTexts(const QComboBox* box) {
  std::vector<std::string> texts;
  for (int i = 0; i < box->count(); ++i) texts.push_back(box->itemText(i).toStdString());
  return texts;
}

std::vector<std::string> RowNames(const QTableWidget* list) {
  std::vector<std::string> names;
  for (int i = 0; i < list->rowCount(); ++i)
    names.push_back(list->item(i, 0)->text().toStdString());
  return names;
}

void ClickRow(QTableWidget* list, int row) {
  const QRect rect = list->visualItemRect(list->item(row, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
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
  EXPECT_EQ(ComboTexts(toolBox), std::vector<std::string>{"Text editor"});  // from the start
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
    EXPECT_EQ(RowNames(d->list()), (std::vector<std::string>{"Text editor", "Record"}));
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
    EXPECT_EQ(RowNames(d->list()), (std::vector<std::string>{"Text editor", "Record"}));
    Click(d->closeButton());
  });
  w.frame.action(kCmdRegisteredTools)->trigger();
  EXPECT_EQ(ComboTexts(toolBox), (std::vector<std::string>{"Text editor", "Record"}));

  ASSERT_EQ(w.controller.searchHost()->ChangeIncludeFolder(true, tree.root()), 1);
  w.controller.OnCommand(kCmdStartSearch);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 20000));
  SeparateListsView* view = w.controller.resultsPane()->separateView();
  QTableView* files = view->filesList();
  int row = 0;
  while (row < files->model()->rowCount() &&
         files->model()->index(row, 0).data().toString().toStdString() != twin)
    ++row;
  ASSERT_LT(row, files->model()->rowCount());
  files->selectRow(row);
  toolBox->setCurrentIndex(1);
  Click(view->button(ResultListView::kRun));
  // The recorder writes its working folder, then the arguments after the record's name.
  EXPECT_EQ(testing::ReadArgvRecord(runFolder + "/run.out"),
            (std::vector<std::string>{runFolder, twin, "notes 100%.txt"}));

  // Removing needs no confirmation and reaches the tool boxes.
  WhenShown<ToolListDialog>([&](ToolListDialog* d) {
    ClickRow(d->list(), 0);
    Click(d->removeButton());
    EXPECT_EQ(RowNames(d->list()), std::vector<std::string>{"Record"});
    Click(d->closeButton());
  });
  w.frame.action(kCmdRegisteredTools)->trigger();
  EXPECT_EQ(ComboTexts(toolBox), std::vector<std::string>{"Record"});

  w.controller.Shutdown();
  StoredSettings stored(places.Path("config/twinfold.dat"));
  ASSERT_TRUE(stored.loaded);
  EXPECT_EQ(ToolNames(ToolsSection(&stored.store)), std::vector<std::string>{"Record"});
}

}  // namespace
}  // namespace tf
