// twinfold-screenshots: pictures of the real main window for the documentation. It
// starts the program's controller on a settings file of its own, searches a prepared
// folder, and saves PNG pictures of the window, each search page, each sub-page of the
// filters page and a message box.
// Usage: twinfold-screenshots OUTPUT_FOLDER SEARCH_FOLDER [EXCLUDED_SUB_FOLDER]
#include <cstdio>
#include <string>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include "app/app_shell.h"
#include "base/questions.h"
#include "scan/filter_nodes.h"
#include "search/search_run.h"
#include "ui/filters_page.h"
#include "ui/folder_page.h"
#include "ui/main_controller.h"
#include "ui/main_frame.h"
#include "ui/message_box.h"
#include "ui/results_pane.h"
#include "ui/search_window.h"

namespace {

constexpr int kStartSearchCommand = 32813;

void settle(int ms = 150) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
}

bool save(QWidget* widget, const QString& folder, const char* name) {
  settle();
  const QString path = folder + QLatin1Char('/') + QLatin1String(name);
  if (widget->grab().save(path, "PNG")) {
    std::printf("wrote %s\n", path.toLocal8Bit().constData());
    return true;
  }
  std::fprintf(stderr, "twinfold-screenshots: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

// Runs the search to its end on the controller's own ticks.
bool searchToTheEnd(tf::MainController& controller) {
  controller.OnCommand(kStartSearchCommand);
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 60000) {
    settle(50);
    tf::SearchRun* run = controller.shell()->Search().Run();
    if (run && run->state() == tf::SearchRun::kCancelled) return true;
  }
  return false;
}

// Each sub-page of the filters page, with its filter enabled and set as a person might
// set it (the second size and the second date shown). The search is over, so the
// settings change no picture taken before.
bool saveFilterSubPages(tf::MainController& controller, const QString& out) {
  tf::SearchDescriptor& descriptor = *controller.shell()->Descriptor();
  tf::SetFilterEnabled(descriptor.NameFilterNode(), 1);
  tf::SetNameInclude(descriptor.NameFilterNode(), "*.jpg;*.png;*.pdf;");
  tf::SetNameExclude(descriptor.NameFilterNode(), "~*.*;*.tmp");
  tf::SetFilterEnabled(descriptor.SizeFilterNode(), 1);
  tf::SetSizeSwitch(descriptor.SizeFilterNode(), 2);
  tf::SetSizeValue1(descriptor.SizeFilterNode(), 100);
  tf::SetSizeUnits1(descriptor.SizeFilterNode(), 0);
  tf::SetFilterEnabled(descriptor.TimeFilterNode(), 1);
  tf::SetTimeSwitch(descriptor.TimeFilterNode(), 4);
  tf::SetTimeDateMode(descriptor.TimeFilterNode(), 2);
  tf::SetFilterEnabled(descriptor.AttributeFilterNode(), 1);
  tf::SetAttrHidden(descriptor.AttributeFilterNode(), 2);
  tf::SetAttrReadOnly(descriptor.AttributeFilterNode(), 1);
  tf::SearchWindow* window = controller.searchWindow();
  window->SetMode(tf::kSearchModeFilters);
  window->filtersPage()->Update();
  const char* names[] = {"page-filters-name.png", "page-filters-size.png", "page-filters-time.png",
                         "page-filters-attributes.png"};
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    window->filtersPage()->ShowSubPage(i);
    ok = save(window, out, names[i]) && ok;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fputs("usage: twinfold-screenshots OUTPUT_FOLDER SEARCH_FOLDER [EXCLUDED_SUB_FOLDER]\n",
               stderr);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;

  tf::ControllerSetup setup =
      tf::DefaultSetup(scratch.filePath(QStringLiteral("twinfold.dat")).toStdString());
  setup.places.tickMs = 50;
  setup.places.defaultBackupFolder = scratch.filePath(QStringLiteral("Backup")).toStdString();
  setup.instanceName.clear();
  tf::CMainFrame frame;
  tf::MainController controller;
  if (!controller.Init(&frame, setup)) return 1;
  frame.resize(1060, 748);

  bool ok = save(&frame, out, "main-window.png");
  controller.searchWindow()->folderPage()->AddIncludePath(argv[2]);
  if (argc > 3) controller.searchWindow()->folderPage()->AddExcludePath(argv[3]);
  ok = save(&frame, out, "main-window-folders.png") && ok;
  if (!searchToTheEnd(controller)) {
    std::fputs("twinfold-screenshots: the search did not finish\n", stderr);
    return 1;
  }
  ok = save(&frame, out, "main-window-results.png") && ok;
  controller.resultsPane()->SetMode(1);
  ok = save(&frame, out, "main-window-unified.png") && ok;
  controller.resultsPane()->SetMode(0);

  const char* pages[] = {"page-folders.png", "page-filters.png", "page-settings.png",
                         "page-preview.png"};
  for (int mode = 3; mode >= 0; --mode) {
    controller.searchWindow()->SetMode(mode);
    ok = save(controller.searchWindow(), out, pages[mode]) && ok;
  }
  ok = saveFilterSubPages(controller, out) && ok;

  tf::MessageBox box(
      &frame, std::string(argv[2]) + "\nThis folder or its parent already exists in the scan list",
      QStringLiteral("Cannot add folder"), tf::MB_OK);
  box.show();
  ok = save(&box, out, "message-box.png") && ok;
  box.hide();

  controller.Shutdown();
  return ok ? 0 : 1;
}
