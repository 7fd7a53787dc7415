#include "platform/process_launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/questions.h"
#include "platform/path_utils.h"

namespace tf {
namespace {

// The desktop's opener, and the package that brings it.
constexpr const char* kOpener = kDesktopOpener;
constexpr const char* kOpenerPackage = "xdg-utils";

// What the started process reports when it cannot become the program.
enum Stage : int { kStageFork = 0, kStageFolder = 1, kStageExec = 2, kStageExit = 3 };
struct ChildReport {
  int stage = kStageFork;
  int error = 0;
};

// The argument vector is built before fork: the child of a threaded program may only make
// async-signal-safe calls.
std::vector<char*> argvOf(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

[[noreturn]] void reportAndExit(int pipeFd, int stage, int error) {
  const ChildReport report{stage, error};
  while (write(pipeFd, &report, sizeof report) < 0 && errno == EINTR) {
  }
  _exit(127);
}

// In the started process: a clean signal state, no terminal input, the working folder,
// then the program. Anything that fails is reported through `pipeFd`.
[[noreturn]] void execChild(char* const* argv, const char* workFolder, int pipeFd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  const int devNull = open("/dev/null", O_RDONLY);
  if (devNull >= 0) {
    dup2(devNull, STDIN_FILENO);
    if (devNull != STDIN_FILENO) close(devNull);
  }
  if (workFolder && chdir(workFolder) != 0) reportAndExit(pipeFd, kStageFolder, errno);
  execvp(argv[0], argv);
  reportAndExit(pipeFd, kStageExec, errno);
}

// Reads the child's report: end of file means exec succeeded (the pipe closed with it).
bool execSucceeded(int readFd, ChildReport* report) {
  for (;;) {
    const ssize_t n = read(readFd, report, sizeof *report);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) *report = {kStageFork, errno};
    return n == 0;
  }
}

void setFailure(LaunchFailure* failure, const std::string& program, const std::string& folder,
                const ChildReport& report) {
  if (!failure) return;
  failure->program = program;
  failure->folder = folder;
  failure->inFolder = report.stage == kStageFolder;
  failure->error = report.stage == kStageExit ? 0 : report.error;
  failure->exitStatus = report.stage == kStageExit ? report.error : 0;
}

int waitForExit(pid_t pid, int timeoutMs) {
  const int stepMs = 10;
  for (int waited = 0;; waited += stepMs) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (r < 0 && errno != EINTR) return -1;
    if (waited >= timeoutMs) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    const struct timespec pause = {0, stepMs * 1000000L};
    nanosleep(&pause, nullptr);
  }
}

// A path that begins with '-' would be read as an option by the program it is given to.
std::string safeArgument(const std::string& path) {
  if (path.empty() || path[0] != '-') return path;
  return "./" + path;
}

bool isFolder(const std::string& folder, LaunchFailure* failure) {
  if (IsFolder(folder)) return true;
  if (failure) *failure = {std::string(), folder, true, ENOENT};
  return false;
}

// Asks the desktop's file manager to show an item (method "ShowItems": the file selected
// in its folder; "ShowFolders": the folder itself). False when no file manager answers.
bool askFileManager(const char* method, const std::string& fullPath) {
  const std::vector<std::string> call = {"dbus-send",
                                         "--session",
                                         "--print-reply",
                                         "--reply-timeout=3000",
                                         "--dest=org.freedesktop.FileManager1",
                                         "--type=method_call",
                                         "/org/freedesktop/FileManager1",
                                         std::string("org.freedesktop.FileManager1.") + method,
                                         "array:string:" + FileUri(fullPath),
                                         "string:"};
  return RunAndWait(call, 5000);
}

// The message for a launch that failed: `what` says what could not be done, the rest
// names the program or folder that is missing and why.
std::string launchFailureText(const std::string& what, const LaunchFailure& failure) {
  std::string text = what + "\n";
  if (failure.inFolder)
    return text + "The folder \"" + failure.folder +
           "\" cannot be opened: " + std::strerror(failure.error) + ".";
  if (failure.program.empty()) return text + "No program to start is named.";
  if (failure.exitStatus != 0) {
    if (failure.program == kOpener)
      return text + "The desktop's opener \"" + kOpener +
             "\" found no program to show it (it ended with status " +
             std::to_string(failure.exitStatus) +
             "). Choose a default program for this type of file in the desktop's settings.";
    return text + "The program \"" + failure.program + "\" ended at once with status " +
           std::to_string(failure.exitStatus) + ".";
  }
  if (failure.error == ENOENT) {
    text += "The program \"" + failure.program + "\" was not found.";
    if (failure.program == kOpener)
      text += std::string(" It comes with the package ") + kOpenerPackage +
              ", which opens files and folders with the desktop's programs.";
    return text;
  }
  return text + "The program \"" + failure.program +
         "\" could not be started: " + std::strerror(failure.error) + ".";
}

}  // namespace

bool RunCommand(const std::vector<std::string>& args, const std::string& workFolder,
                LaunchFailure* failure, int watchMs) {
  if (args.empty() || args[0].empty()) {
    setFailure(failure, std::string(), workFolder, {kStageExec, ENOENT});
    return false;
  }
  std::vector<char*> argv = argvOf(args);
  const char* folder = workFolder.empty() ? nullptr : workFolder.c_str();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    setFailure(failure, args[0], workFolder, {kStageFork, errno});
    return false;
  }
  const pid_t child = fork();
  if (child == 0) {
    // The middle process only starts the real one in a new session and leaves, so the
    // program is adopted by init (or the session's reaper) and we reap the middle now.
    close(fds[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild < 0) reportAndExit(fds[1], kStageFork, errno);
    if (grandchild == 0) execChild(argv.data(), folder, fds[1]);
    // A program that ends with an error while it is watched is reported as failed; one
    // still running then is left to itself. (Only async-signal-safe calls here.)
    for (int waited = 0; waited < watchMs; waited += 10) {
      int status = 0;
      const pid_t ended = waitpid(grandchild, &status, WNOHANG);
      if (ended == grandchild) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (code != 0) reportAndExit(fds[1], kStageExit, code);
        break;
      }
      if (ended < 0) break;
      const struct timespec pause = {0, 10 * 1000000L};
      nanosleep(&pause, nullptr);
    }
    _exit(0);
  }
  const int forkError = errno;
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    setFailure(failure, args[0], workFolder, {kStageFork, forkError});
    return false;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  ChildReport report;
  const bool ok = execSucceeded(fds[0], &report);
  close(fds[0]);
  if (!ok) setFailure(failure, args[0], workFolder, report);
  return ok;
}

bool RunAndWait(const std::vector<std::string>& args, int timeoutMs) {
  if (args.empty() || args[0].empty()) return false;
  std::vector<char*> argv = argvOf(args);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
    }
    execChild(argv.data(), nullptr, fds[1]);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    return false;
  }
  ChildReport report;
  const bool started = execSucceeded(fds[0], &report);
  close(fds[0]);
  const int code = waitForExit(child, timeoutMs);
  return started && code == 0;
}

bool OpenWithDefaultViewer(const std::string& path, const std::string& workFolder,
                           bool /*fallBack*/, LaunchFailure* failure) {
  if (path.empty()) return false;
  // An absolute path can neither begin with '-' nor depend on the working folder.
  const std::string full = AbsolutePath(path);
  const std::string folder = workFolder.empty() ? FolderOf(full) : workFolder;
  return RunCommand({kOpener, safeArgument(full)}, folder, failure, kOpenerWatchMs);
}

bool BrowseFile(const std::string& path, const std::string& verb, LaunchFailure* failure) {
  if (path.empty()) return false;
  const std::string full = AbsolutePath(path);
  const std::string folder = FolderOf(full);
  if (!isFolder(folder, failure)) return false;
  if (verb == "explore" && askFileManager("ShowItems", full)) return true;
  return RunCommand({kOpener, safeArgument(folder)}, folder, failure, kOpenerWatchMs);
}

bool BrowseFolder(const std::string& folder, bool explore, LaunchFailure* failure) {
  if (folder.empty()) return false;
  const std::string full = AbsolutePath(folder);
  if (!isFolder(full, failure)) return false;
  if (explore && askFileManager("ShowFolders", full)) return true;
  return RunCommand({kOpener, safeArgument(full)}, full, failure, kOpenerWatchMs);
}

void ReportLaunchFailure(Questions& questions, const std::string& what,
                         const LaunchFailure& failure) {
  questions.ShowMessage(launchFailureText(what, failure), kLaunchFailureCaption, MB_OK);
}

bool BrowseFolderOrReport(Questions& questions, const std::string& folder, bool explore) {
  LaunchFailure failure;
  if (BrowseFolder(folder, explore, &failure)) return true;
  ReportLaunchFailure(questions, "Cannot show the folder \"" + folder + "\".", failure);
  return false;
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false;
  bool pending = false;  // an argument has begun, even if it is still empty ("")
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (inQuotes && i + 1 < text.size() && text[i + 1] == '"') {
        current += '"';
        ++i;
      } else {
        inQuotes = !inQuotes;
      }
      pending = true;
    } else if (!inQuotes &&
               (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')) {
      if (pending) args.push_back(current);
      current.clear();
      pending = false;
    } else {
      current += c;
      pending = true;
    }
  }
  if (pending) args.push_back(current);
  return args;
}

std::string FileUri(const std::string& absolutePath) {
  return "file://" + PercentEncodePath(absolutePath);
}

}  // namespace tf
