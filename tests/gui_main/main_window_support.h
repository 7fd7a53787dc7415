// The main window's tests: a frame and controller started over temporary folders, with
// scripted answers and no plug-in.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include <QCoreApplication>
#include <QLabel>

#include "tests/shell/shell_support.h"
#include "tests/support/scripted_questions.h"
#include "ui/main_controller.h"
#include "ui/main_frame.h"
#include "ui/search_bar.h"

namespace tf::testing {

inline ControllerSetup SetupIn(const TempTree& places, ScriptedQuestions* questions,
                               const QString& instanceName = QString()) {
  ControllerSetup setup;
  setup.places.settingsFile = places.Path("config/twinfold.dat");
  setup.places.defaultBackupFolder = places.Path("data/Backup");
  setup.places.collectionFolders = {places.Path("data/Filters")};
  setup.places.zipCandidates = {};
  setup.instanceName = instanceName;
  setup.questions = questions;
  setup.probeZip = false;
  return setup;
}

// A server name no other test run uses.
inline QString UniqueInstanceName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("twinfold-test-%1-%2")
      .arg(QCoreApplication::applicationPid())
      .arg(counter++);
}

struct Window {
  Window(const TempTree& places, const QString& instanceName = QString()) {
    started = controller.Init(&frame, SetupIn(places, &questions, instanceName));
  }
  std::string status() const { return controller.searchBar()->statusLabel()->text().toStdString(); }
  ScriptedQuestions questions;
  CMainFrame frame;
  MainController controller;
  bool started = false;
};

}  // namespace tf::testing
