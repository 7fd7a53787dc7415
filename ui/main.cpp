// twinfold: the window program. Usage: twinfold [--settings FILE] [--help] [--version]
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>
#include <QSocketNotifier>

#include "ui/main_controller.h"
#include "ui/main_frame.h"

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

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
  const char byte = 1;
  // Only async-signal-safe work here: the event loop reads the byte and ends itself.
  [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

// Ends the event loop on SIGTERM, SIGINT and SIGHUP, so that the settings are saved as on
// a normal close.
void quitOnSignals(QApplication& app) {
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
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
  quitOnSignals(app);
  tf::CMainFrame frame;
  tf::MainController controller;
  if (!controller.Init(&frame, tf::DefaultSetup(settingsFile))) return 0;
  const int result = app.exec();
  controller.Shutdown();  // the frame may still be open when a signal ended the loop
  return result;
}
