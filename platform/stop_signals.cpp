#include "platform/stop_signals.h"

#include <signal.h>

namespace tf {
namespace {

volatile sig_atomic_t g_received = 0;
struct sigaction g_before[2];
constexpr int kSignals[2] = {SIGINT, SIGTERM};

// Only async-signal-safe work: note the first signal; a repeated one restores the default
// and raises it again.
void note(int signal) {
  if (g_received == 0) {
    g_received = signal;
    return;
  }
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  sigaction(signal, &plain, nullptr);
  raise(signal);
}

}  // namespace

StopSignals::StopSignals() {
  g_received = 0;
  struct sigaction catcher {};
  catcher.sa_handler = note;
  sigemptyset(&catcher.sa_mask);
  for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &catcher, &g_before[i]);
}

StopSignals::~StopSignals() {
  for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &g_before[i], nullptr);
}

int StopSignals::Received() {
  return g_received;
}

}  // namespace tf
