// Helpers of the application shell's tests: a temporary folder tree of real files and a
// window stand-in that records what the search control asks of it.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/search_control.h"
#include "app/search_panes.h"
#include "scan/search_run.h"

namespace tf::testing {

class TempTree {
 public:
  TempTree() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tf-shell-XXXXXX";
    if (char* made = mkdtemp(pattern.data())) m_root = made;
  }
  ~TempTree() {
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return m_root; }
  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }
  // A file of `size` bytes whose modification time is `seconds` after 2020-01-01.
  std::string File(const std::string& relative, int64_t size = 3, int seconds = 0) const {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << std::string(static_cast<size_t>(size), 'x');
    const timespec times[2] = {{1577836800 + seconds, 0}, {1577836800 + seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
    return path;
  }
  std::string Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
    return Path(relative);
  }

 private:
  std::string m_root;
};

class RecordingPanes : public SearchPanes {
 public:
  std::vector<std::string> calls;  // "started", "finished", "clear", "searching 1", ...
  std::vector<std::string> lines;  // every status line set, in order
  int flashes = 0;
  int flashStops = 0;
  bool active = true;

  void OnSearchStarted() override { calls.push_back("started"); }
  void OnSearchFinished() override { calls.push_back("finished"); }
  void ClearProgress() override { calls.push_back("clear"); }
  void RefreshProgress() override {}
  void SetStatusLine(const std::string& text) override { lines.push_back(text); }
  void SetSearching(bool on) override { calls.push_back(on ? "searching 1" : "searching 0"); }
  void Flash() override { ++flashes; }
  void StopFlash() override { ++flashStops; }
  bool IsActive() override { return active; }
  void SetWaitCursor(bool) override {}
};

// Ticks until the run is handled (state 8) or `seconds` pass; true when it was.
inline bool TickToEnd(SearchControl& control, int seconds = 20) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    control.Tick();
    if (control.Run() && control.Run()->state() == SearchRun::kCancelled) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace tf::testing
