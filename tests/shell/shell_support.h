// A window stand-in that records what the search control asks of it.
#pragma once

#include <thread>
#include <vector>

#include "app/search_control.h"
#include "app/search_panes.h"
#include "search/search_run.h"
#include "tests/support/temp_tree.h"

namespace tf::testing {

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

// Ticks until the run reaches `state` (by default: handled) or `seconds` pass.
inline bool TickToEnd(SearchControl& control, int seconds = 20, int state = SearchRun::kCancelled) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    control.Tick();
    if (control.Run() && control.Run()->state() == state) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace tf::testing
