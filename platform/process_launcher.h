// Starting other programs: detached processes without a shell, the desktop's default
// viewer and file manager, and the splitting of a tool's command line into arguments.
#pragma once

#include <string>
#include <vector>

namespace tf {

class Questions;

// The desktop's opener, and how long it is watched for an early failure: it hands the file
// to a program and ends at once, or ends with an error when no program takes the file.
constexpr const char* kDesktopOpener = "xdg-open";
constexpr int kOpenerWatchMs = 1000;

// Why a program was not started: the program as it was named and the system's error
// code; `inFolder` when it was the working folder that could not be entered.
struct LaunchFailure {
  std::string program;
  std::string folder;
  bool inFolder = false;
  int error = 0;
  int exitStatus = 0;  // non-zero: it started, then ended at once with this status
};

// Starts `args[0]` (searched on PATH when it holds no '/') with `args` as its argument
// vector, detached in a session of its own, in `workFolder` when that is not empty. No
// shell is involved, so every argument reaches the program exactly as given. True only
// when the program is known to have been executed; the process is never waited for and
// leaves no zombie behind. On failure `failure` (when given) says what went wrong. With
// `watchMs` the call waits up to that long and counts a program that ends meanwhile with
// a non-zero status as failed (LaunchFailure::exitStatus).
bool RunCommand(const std::vector<std::string>& args, const std::string& workFolder = {},
                LaunchFailure* failure = nullptr, int watchMs = 0);
// Runs a program the same way but waits up to `timeoutMs` for it and answers whether it
// exited with status 0 (a program still running then is killed and counts as failure).
bool RunAndWait(const std::vector<std::string>& args, int timeoutMs);
// Opens `path` with the desktop's program for its type (xdg-open), in `workFolder` or else
// the file's folder. True when xdg-open was started and did not end with an error within
// a second (it does when no program takes the file). `fallBack` is kept for callers: the
// desktop's opener already falls back to a generic viewer by itself.
bool OpenWithDefaultViewer(const std::string& path, const std::string& workFolder, bool fallBack,
                           LaunchFailure* failure = nullptr);
// Shows a file's folder: verb "open" opens the folder; "explore" asks the file manager to
// show the file selected (org.freedesktop.FileManager1.ShowItems over D-Bus) and opens the
// folder when no file manager answers. True when something was started.
bool BrowseFile(const std::string& path, const std::string& verb, LaunchFailure* failure = nullptr);
// Shows a folder itself: with `explore` the file manager opens it (ShowFolders over
// D-Bus), falling back to the desktop's opener, which is all that "open" uses. True when
// something was started.
bool BrowseFolder(const std::string& folder, bool explore, LaunchFailure* failure = nullptr);
// Shows the message for a launch that failed (`what` says what could not be done, the
// rest names the program or folder that is missing and why) with the caption kLaunchFailureCaption
// and an OK button.
void ReportLaunchFailure(Questions& questions, const std::string& what,
                         const LaunchFailure& failure);
constexpr const char* kLaunchFailureCaption = "Program not started";
// Shows the folder itself (BrowseFolder); when nothing could be started the user is told
// through `questions`. True when something was started.
bool BrowseFolderOrReport(Questions& questions, const std::string& folder, bool explore);
// Splits a command line into arguments: blanks separate them, double quotes group, and ""
// inside quotes stands for one literal quote; there are no other escapes. A pair of quotes
// outside quotes gives an empty argument.
std::vector<std::string> SplitCommandLine(const std::string& text);
// The file:// URI of an absolute path, every byte outside the unreserved set and '/'
// percent-encoded.
std::string FileUri(const std::string& absolutePath);

}  // namespace tf
