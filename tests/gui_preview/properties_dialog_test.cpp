// The main window reaching the "File Properties" dialog of a compound document written here
// from the "FILE" menu, and showing the selected twin in the preview page.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/main_commands.h"
#include "platform/sample_document.h"
#include "results/file_properties.h"
#include "tests/backup/backup_test_support.h"
#include "tests/gui_main/main_window_support.h"
#include "ui/file_properties_dialog.h"
#include "ui/preview_manager.h"
#include "ui/preview_page.h"
#include "ui/results_pane.h"
#include "ui/search_tab_bar.h"
#include "ui/search_window.h"
#include "ui/separate_lists_view.h"
#include "ui/text_preview_pane.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

using testing::TempTree;
using testing::Window;

std::vector<std::pair<QString, QString>> Rows(const QTableWidget* list) {
  std::vector<std::pair<QString, QString>> rows;
  for (int r = 0; r < list->rowCount(); ++r)
    rows.emplace_back(list->item(r, 0)->text(), list->item(r, 1)->text());
  return rows;
}

void WriteReport(const std::string& path) {
  ASSERT_TRUE(WriteSampleDocument(
      path, {{"dc:title", std::string("Budget 2026")}, {"dc:creator", std::string("Ann")}}));
  testing::SetMtime(path, 1700000000, 0);
}

TEST(MainWindowFileViews, PropertiesFromTheMenuAndPreviewFollowTheSelection) {
  TempTree places;
  TempTree tree;
  tree.Folder("a");
  tree.Folder("b");
  WriteReport(tree.Path("a/budget.doc"));
  WriteReport(tree.Path("b/budget.doc"));
  for (const char* twin : {"a/notes.txt", "b/notes.txt"}) {
    testing::WriteBytes(tree.Path(twin), "twin notes\n");
    testing::SetMtime(tree.Path(twin), 1700000000, 0);
  }
  Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  w.controller.OnCommand(kCmdStartSearch);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 20000));
  SeparateListsView* view = w.controller.resultsPane()->separateView();
  QTableView* groups = view->groupsList();
  QTableView* files = view->filesList();
  auto selectGroup = [&](const QString& key) {
    for (int row = 0; row < groups->model()->rowCount(); ++row)
      if (groups->model()->index(row, 0).data().toString() == key) {
        const QPoint at = groups->visualRect(groups->model()->index(row, 0)).center();
        QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, at);
      }
  };
  selectGroup("budget.doc");
  const QPoint first = files->visualRect(files->model()->index(0, 0)).center();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);

  // "Properties" in the "FILE" menu opens the dialog for the selected file.
  std::vector<std::pair<QString, QString>> shown;
  QString shownFile;
  bool labelsFit = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FilePropertiesDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    shown = Rows(dialog->list());
    shownFile = dialog->fileField()->text();
    labelsFit = dialog->list()->columnWidth(0) >=
                dialog->list()->fontMetrics().horizontalAdvance(kSummaryHeading);
    QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
  });
  QTest::mousePress(files->viewport(), Qt::RightButton, {}, first);
  QContextMenuEvent event(QContextMenuEvent::Mouse, first, files->viewport()->mapToGlobal(first));
  QApplication::sendEvent(files->viewport(), &event);
  QMenu* menu = view->contextMenu();
  ASSERT_TRUE(menu->isVisible());
  menu->actions().back()->trigger();
  menu->hide();
  EXPECT_TRUE(shownFile.endsWith("/budget.doc")) << shownFile.toStdString();
  // The file's facts, then the summary under its heading, in the document's order.
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], std::make_pair(QString("Name"), QString("budget.doc")));
  const auto heading = std::find_if(shown.begin(), shown.end(),
                                    [](const auto& row) { return row.first == kSummaryHeading; });
  ASSERT_GE(shown.end() - heading, 3);
  EXPECT_EQ(heading[1], std::make_pair(QString("Title"), QString("Budget 2026")));
  EXPECT_EQ(heading[2], std::make_pair(QString("Author"), QString("Ann")));
  EXPECT_TRUE(labelsFit) << "the heading's label is cut";

  // The preview tab, "Show Preview", then a text twin: the page shows it.
  SearchWindow* search = w.controller.searchWindow();
  QTest::mouseClick(search->tabBar()->tab(kSearchModePreview), Qt::LeftButton);
  PreviewPage* page = search->previewPage();
  QTest::mouseClick(page->showBox(), Qt::LeftButton, {}, QPoint(5, page->showBox()->height() / 2));
  ASSERT_TRUE(page->showBox()->isChecked());
  selectGroup("notes.txt");
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualRect(files->model()->index(1, 0)).center());
  QTRY_COMPARE(page->manager()->openPane(), page->manager()->textPane());
  EXPECT_EQ(page->manager()->textPane()->field()->toPlainText(), "twin notes\n");
  // Another tab closes the preview; coming back shows it again.
  QTest::mouseClick(search->tabBar()->tab(kSearchModeFolders), Qt::LeftButton);
  EXPECT_EQ(page->manager()->openPane(), nullptr);
  QTest::mouseClick(search->tabBar()->tab(kSearchModePreview), Qt::LeftButton);
  EXPECT_EQ(page->manager()->openPane(), page->manager()->textPane());
}

}  // namespace
}  // namespace tf
