// Interrupt and terminate as a request to stop: while a long search runs, Ctrl+C or a
// service manager's SIGTERM ends the walk at its next check instead of killing the process
// part-way through a write.
#pragma once

namespace tf {

// While one of these lives, SIGINT and SIGTERM are noted instead of ending the process;
// the one before is put back when it goes. A second signal of the same kind while the first
// has not been acted on ends the process as the default would, so that a stuck program can
// still be stopped. One at a time.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The signal that asked to stop (SIGINT or SIGTERM), or 0.
  static int Received();
};

}  // namespace tf
