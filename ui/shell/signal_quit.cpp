#include "ui/shell/signal_quit.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

namespace tf {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};

void onSignalHandler(int) {
  const int saved = errno;
  const char byte = 1;
  // Only async-signal-safe work here: the event loop reads the byte and does the rest.
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

SignalQuit::SignalQuit(QObject* parent) : QObject(parent) {
  if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &SignalQuit::onSignal);
  struct sigaction action {};
  action.sa_handler = onSignalHandler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

SignalQuit::~SignalQuit() {
  if (!m_notifier) return;
  for (int signal : kSignals) std::signal(signal, SIG_DFL);
  delete m_notifier;
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void SignalQuit::onSignal() {
  // Every byte is read: a byte left in the pipe keeps the notifier firing, and the program
  // turned at full speed inside a dialog's loop.
  char bytes[64];
  while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
  }
  m_received = true;
  KeepQuestionsFromWaiting();
  // An open dialog answers as its close box would (for a question: "Cancel" or "No"),
  // so that the code that asked goes on as if the user had declined. The loops end first:
  // a dialog that asks something on its way out then gets no loop to wait in.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (dialog && dialog->isVisible() && dialog->isModal()) dialog->reject();
  }
}

void SignalQuit::KeepQuestionsFromWaiting() const {
  // Ends the main loop and every nested one; until the main loop starts again, a new
  // dialog's loop returns as soon as it starts.
  QCoreApplication::exit(0);
}

}  // namespace tf
