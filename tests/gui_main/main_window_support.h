// A frame and controller over temporary folders, with scripted answers and no plug-in.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "tests/shell/shell_support.h"
#include "tests/support/scripted_questions.h"
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

}  // namespace tf::testing
