// RunCli: the whole of twinfold-cli after the process set-up: options, descriptor, search
// and output.
#pragma once

#include <cstdio>

namespace tf {

// Exit statuses.
constexpr int kExitOk = 0;      // the search ran, with or without groups
constexpr int kExitFailed = 1;  // the search could not run, or the output failed
constexpr int kExitUsage = 2;   // the command line asks for something impossible

struct CliStreams {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool errIsTerminal = false;  // progress is on by default only on a terminal
  int tickMilliseconds = 20;   // how often the search is ticked
  // SIGINT and SIGTERM during the search stop it: nothing is written and the status is
  // 128 + the signal. Only the program itself sets this; tests in one process do not.
  bool stopOnSignals = false;
};

// Runs the command line `argv[0..argc-1]` and answers the exit status. Every problem is
// told in one line on `err`; a reader that closes the output ends the run quietly.
int RunCli(int argc, char** argv, const CliStreams& streams);

}  // namespace tf
