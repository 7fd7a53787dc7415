// Running a real program from a test: its standard streams to and from files, the program
// left running (to be killed in the middle of its work) or waited for.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace tf::testing {

// Where a program's standard streams go. `out` and `err` the same path: both in one file.
struct Streams {
  std::string out = "/dev/null";
  std::string err = "/dev/null";
  std::string in = "/dev/null";
  int outFd = -1;  // when set, standard output goes here instead of to `out`
};

// Starts `argv` (argv[0] a path) with the test's environment; its process, or -1.
inline pid_t StartProgram(std::vector<std::string> argv, const Streams& streams) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC;
  if (streams.outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, streams.outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, streams.out.c_str(), kWrite, 0600);
  if (streams.err == streams.out && streams.outFd < 0)
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, streams.err.c_str(), kWrite, 0600);
  posix_spawn_file_actions_addopen(&actions, 0, streams.in.c_str(), O_RDONLY, 0);
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits for a program started; its exit status, or -1 when it was killed or never ran.
inline int WaitProgram(pid_t pid) {
  int status = 0;
  if (pid <= 0) return -1;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tf::testing
