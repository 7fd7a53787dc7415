// twinfold: the window program. Usage: twinfold [--settings FILE] [--help] [--version]
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include <QApplication>

#include "platform/path_utils.h"
#include "platform/process_memory.h"
#include "ui/shell/main_controller.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/signal_quit.h"

namespace {

void usage(std::FILE* to) {
  std::fputs(
      "Usage: twinfold [--settings FILE]\n"
      "Finds duplicate and similar files by name, size and modification time, in a window.\n"
      "\n"
      "  --settings FILE   read the settings from FILE and save them there\n"
      "  --help            show this help\n"
      "  --version         show the version\n"
      "\n"
      "Qt's own options (-platform, -style, ...) are accepted too.\n",
      to);
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts, so that they work without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      usage(stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("twinfold " TWINFOLD_VERSION "\n", stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
  }
  tf::ReturnLargeBlocksWhenFreed();
  // Takes Qt's own options (-platform, -style, ...) out of argv first.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("twinfold"));
  std::string settingsFile;
  for (int i = 1; i < argc; ++i) {
    // Kept as bytes: the file name goes to the system as it was given.
    if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc && argv[i + 1][0] != '\0') {
      settingsFile = argv[++i];
    } else if (std::strncmp(argv[i], "--settings=", 11) == 0 && argv[i][11] != '\0') {
      settingsFile = argv[i] + 11;
    } else {
      std::fprintf(stderr, "twinfold: unexpected argument: %s\n", argv[i]);
      usage(stderr);
      return 2;
    }
  }
  tf::SignalQuit endOnSignal;
  tf::CMainFrame frame;
  tf::MainController controller;
  tf::ControllerSetup setup = tf::DefaultSetup(settingsFile);
  // A folder, a device or a FIFO under the settings name is neither read nor replaced:
  // the program runs on its defaults and says so, as nothing of this run will be kept.
  const std::string& used = setup.places.settingsFile;
  const int kind = tf::NameKind(used);
  if (kind == tf::NAME_FOLDER || kind == tf::NAME_OTHER)
    std::fprintf(stderr,
                 "twinfold: %s is not a regular file; the settings are neither read from it "
                 "nor saved there\n",
                 used.c_str());
  if (!controller.Init(&frame, std::move(setup))) return 0;
  // A signal during start-up (while the single-instance question or a message was shown)
  // ends the program here: the main loop would not see it any more.
  const int result = endOnSignal.received() ? 0 : app.exec();
  if (endOnSignal.received()) endOnSignal.KeepQuestionsFromWaiting();
  controller.Shutdown();  // the frame may still be open when a signal ended the loop
  return result;
}
