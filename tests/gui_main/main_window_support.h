// A frame and controller over temporary folders, with scripted answers and no plug-in.
#pragma once

#include <gtest/gtest.h>

#include <atomic>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>

#include "app/main_commands.h"
#include "tests/gui_results/file_listing.h"
#include "tests/shell/shell_support.h"
#include "tests/support/click_answer.h"
#include "tests/support/scripted_questions.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/shell/main_controller.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/search_bar.h"
#include "ui/shell/window_search_host.h"

namespace tf::testing {

inline ControllerSetup SetupIn(const TempTree& places, ScriptedQuestions* questions,
                               const QString& instanceName = QString()) {
  ControllerSetup setup;
  setup.places.settingsFile = places.Path("config/twinfold.dat");
  setup.places.defaultBackupFolder = places.Path("data/Backup");
  setup.places.collectionFolders = {places.Path("data/Filters")};
  setup.places.zipCandidates = {};
  setup.places.ignoredFile = places.Path("data/ignored");
  setup.places.journalFile = places.Path("state/twinfold/journal");
  setup.instanceName = instanceName;
  setup.questions = questions;
  setup.probeZip = false;
  return setup;
}

inline QString UniqueInstanceName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("twinfold-test-%1-%2")
      .arg(QCoreApplication::applicationPid())
      .arg(counter++);
}

struct Window {
  Window(const TempTree& places, const QString& instanceName = QString(),
         const std::vector<std::string>& helpFiles = {}) {
    ControllerSetup setup = SetupIn(places, &questions, instanceName);
    setup.helpFiles = helpFiles;
    started = controller.Init(&frame, setup);
  }
  std::string status() const { return controller.searchBar()->statusLabel()->text().toStdString(); }
  bool Finished(int ms = 20000) {
    return QTest::qWaitFor([&] { return status().rfind("Finished", 0) == 0; }, ms);
  }
  // Shown and the active window, as keys need it.
  bool Activate() {
    frame.show();
    frame.activateWindow();
    return QTest::qWaitForWindowActive(&frame);
  }
  bool Search(const std::string& folder = {}, int ms = 20000) {
    if (!folder.empty()) controller.searchHost()->ChangeIncludeFolder(true, folder);
    QTest::mouseClick(controller.searchBar()->startButton(), Qt::LeftButton);
    return Finished(ms);
  }
  ScriptedQuestions questions;
  CMainFrame frame;
  MainController controller;
  bool started = false;
};

inline bool ClickRow(QTableView* list, const std::string& text) {
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    const QModelIndex index = list->model()->index(row, 0);
    if (index.data().toString().toStdString() != text) continue;
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    return true;
  }
  return false;
}

// Opens the menu bar's menu `menuIndex` with the mouse and clicks its item `command`;
// false when the item is missing or disabled.
inline bool ChooseFromMenu(CMainFrame& frame, int menuIndex, int command) {
  QMenuBar* bar = frame.menuBar();
  QMenu* menu = frame.menu(menuIndex);
  QAction* item = frame.action(command);
  if (!menu || !item) return false;
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
  if (!QTest::qWaitFor([&] { return menu->isVisible(); }) || !item->isEnabled()) {
    menu->close();
    return false;
  }
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  return true;
}

// Runs `step`, answering the dialogs it shows by clicking `answers` in turn, each on the
// button that lies under the pointer; the captions of the messages it showed.
inline std::vector<std::string> Answering(Window& w, const QStringList& answers,
                                          const std::function<void()>& step) {
  const size_t before = w.questions.asked.size();
  const auto clicked = ClickAnswers(answers);
  step();
  EXPECT_EQ(clicked->size(), static_cast<size_t>(answers.size()));
  for (const ClickedAnswer& answer : *clicked)
    EXPECT_TRUE(answer.underPointer) << answer.title.toStdString();
  std::vector<std::string> captions;
  for (size_t i = before; i < w.questions.asked.size(); ++i)
    captions.push_back(w.questions.asked[i].caption);
  return captions;
}

// Ctrl+Z, which names the action it undoes, answered by clicking `answers`.
inline std::vector<std::string> UndoByKey(Window& w, const std::string& label,
                                          const QStringList& answers = {}) {
  w.controller.UpdateCommandStates();
  EXPECT_EQ(w.frame.action(kCmdUndo)->text().toStdString(), "&Undo " + label + "\tCtrl+Z");
  EXPECT_TRUE(w.Activate());
  return Answering(w, answers, [&] { QTest::keyClick(&w.frame, Qt::Key_Z, Qt::ControlModifier); });
}

// The keys of the groups the separate lists show.
inline std::vector<std::string> GroupKeys(Window& w) {
  return Column(w.controller.resultsPane()->separateView()->groupsList()->model());
}

// The files of the file groups of the shown result.
inline std::set<std::string> GroupedFiles(Window& w) {
  std::set<std::string> paths;
  const DataNode* root = w.controller.shell()->Search().GroupsRoot();
  for (const DataNode* g = root ? root->FirstChild() : nullptr; g; g = g->Next())
    for (const DataNode* f = g->FirstChild(); f; f = f->Next()) paths.insert(FullName(f));
  return paths;
}

}  // namespace tf::testing
