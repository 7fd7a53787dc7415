// SearchControl: the interface side of a search. Turns "Start search" and "Stop search"
// into operations on a SearchRun, polls the run on the window's ticks, keeps the status
// line and the progress panes current, handles the end of a search and flashes the window.
// Every member runs on the interface thread; the run's workers never reach the panes: they
// only ask, through Options::wake, for the next Tick to come soon.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/removed_files.h"
#include "app/search_panes.h"
#include "datatree/data_node.h"
#include "duplicates/folder_groups.h"
#include "duplicates/hard_links.h"

namespace tf {

class SearchDescriptor;
class SearchRun;

// Status line texts outside the run's own ("Finalizing...", "Finished (...)").
constexpr const char* kStatusChooseFolders = "Choose folders/drives to be scanned";
constexpr const char* kStatusClickToStart = "<- Click to start search";
constexpr const char* kStatusScanning = "Scanning folders...";
constexpr const char* kStatusStopped = "Stopped";

// How long a finished search flashes the window, and how often.
constexpr int64_t kFlashActiveMs = 3000;
constexpr int64_t kFlashInactiveMs = 12000;
constexpr int64_t kFlashIntervalMs = 800;
// The longest wait for the status line before a text is dropped.
constexpr int kStatusLockWaitMs = 5000;

class SearchControl {
 public:
  struct Options {
    int tickMs = 1000;  // longest time between two steps of the run without news
    int priority = 1;   // option "common:prior"
    // Milliseconds of a steady clock; empty: std::chrono::steady_clock.
    std::function<int64_t()> clock;
    // Called from the run's threads when a scan or merge has ended: the window should call
    // Tick soon, on its own thread. Empty: the run's steps wait for tickMs.
    std::function<void()> wake;
    bool oneThreadPerDisk = false;  // option "common:one_thread_per_disk"
    // Asked at each search and each saved result shown for the rule that hides groups
    // (see SearchRun::Options::hideGroup), so that it follows the ignore list as it is
    // then. Empty, or an empty rule: every group shows.
    std::function<std::function<bool(const DataNode*)>()> hiddenGroups{};
  };

  // Neither is owned; both must outlive the control or be let go with Detach.
  SearchControl(SearchDescriptor* descriptor, SearchPanes* panes, Options options);
  ~SearchControl();
  SearchControl(const SearchControl&) = delete;
  SearchControl& operator=(const SearchControl&) = delete;

  // 1 when a run was prepared (started or not); 0 when no include folder exists on disk.
  // Any earlier run is stopped, waited for and dropped first.
  int StartSearch();
  // 1. Without a run only the status line is cleared; otherwise the run stops and its
  // partial result is shown (once its groups are formed: on a later Tick when there are
  // many); it stays until the next StartSearch.
  int StopSearch();
  // 1. The run's finish is handled once: the run map goes, the groups are shown and the
  // window flashes.
  int FinishSearch();
  // Shows a saved result read back as if a search had just found it: any run is dropped,
  // the descriptor takes the saved folders, exclusions, protected folders, filters and
  // criteria, and the lists show `root` (taken over) with its hard links `links`. Every
  // action then works on it as on a search's result. 1. Without a descriptor (a file an
  // older version wrote) the result is only shown: see UnrecordedResult.
  int ShowSavedResult(const DataNode* descriptor, DataNode* root, HardLinks links);
  // True while the lists show a saved result that does not say which search made it: its
  // folders and criteria are unknown, so nothing may move, delete, back up, link or save
  // it as a complete record. A search ends it.
  bool UnrecordedResult() const { return m_unrecorded; }
  // Shows `root` (taken over) with its hard links `links` in place of the finished
  // result, which it was made from (its groups verified): the search it came from and the
  // search pages stay as they are. 0 without a finished result (root is then deleted).
  int ReplaceResult(DataNode* root, HardLinks links);
  // 1, or 0 when the status line could not be had within kStatusLockWaitMs.
  int SetStatusText(const std::string& text);
  int RefreshProgress();
  // Result of AddInclude/RemoveInclude (add: kFolderAdded etc., remove: 1 or 0). The status
  // line then says whether a search can start.
  int ChangeIncludeFolder(bool add, const std::string& path);
  int ChangeExcludeFolder(bool add, const std::string& path);

  // One idle or timer tick: flashing, then polling the run.
  void Tick();
  // The main window's activation changed; activation ends the flashing.
  void OnActivate(bool active);

  // "&Start search" needs an include folder that exists on disk; "Sto&p search" a running
  // search.
  bool CanStart() const;
  bool CanStop() const;
  bool IsFlashing() const { return m_flashDeadline.has_value(); }

  // The current run (null before the first search) and its result.
  SearchRun* Run() const { return m_run.get(); }
  DataNode* GroupsRoot() const;
  // Counts the changes of the result: a new search, a finished one, a removed file.
  uint64_t ResultGeneration();
  // RemoveFile of the run, dropping a group left with one file; 0 without a run.
  int RemoveFile(DataNode* file);
  // The duplicate folder groups of the result shown; null when its search did not look
  // for them (the option was off, or the result was read from a file).
  const FolderGroups* Folders() const;
  // Takes a folder that left its place out of its folder group (and the folders below it
  // out of theirs) and every file at or below it out of the file groups, remembering them
  // for an undo; false when the folder is in no group.
  bool RemoveFolder(const std::string& path);
  // Puts files an undo brought back into the groups they left (a group that went comes
  // back); a path of a folder brings back the files below it that left with it, and the
  // folder and the listed folders below it rejoin their folder groups. The
  // number put back.
  int RejoinFiles(const std::vector<std::string>& paths);
  // The grouped files that are names of one file; null without a run.
  const HardLinks* HardLinkSets() const;
  // The scan status of an include folder in the current run; empty when none knows it.
  std::string FolderStatus(const std::string& path) const;
  int Priority() const { return m_options.priority; }
  void SetPriority(int priority) { m_options.priority = priority; }
  bool OneThreadPerDisk() const { return m_options.oneThreadPerDisk; }
  void SetOneThreadPerDisk(bool on) { m_options.oneThreadPerDisk = on; }

  // Stops and drops the run and lets go of the descriptor and the panes; nothing reaches
  // them afterwards.
  void Detach();

  // Holds the status line as another writer would, for the tests of the lock.
  std::mutex& TEST_StatusLock() { return m_statusLock; }
  void TEST_SetStatusWait(int milliseconds) { m_statusWaitMs = milliseconds; }

 private:
  int64_t now() const;
  std::unique_ptr<SearchRun> newRun();
  // The lists, the progress and the status line after the run adopted a result.
  void showAdopted();
  void waitCursor(bool on);
  void showStopped();

  SearchDescriptor* m_descriptor;
  SearchPanes* m_panes;
  Options m_options;
  std::unique_ptr<SearchRun> m_run;
  // Orders the writers of the status line; waited for at most m_statusWaitMs.
  std::mutex m_statusLock;
  int m_statusWaitMs = kStatusLockWaitMs;
  std::optional<int64_t> m_flashDeadline;
  int64_t m_nextFlash = 0;
  uint64_t m_generation = 0;
  bool m_unrecorded = false;
  bool m_foldersSearched = false;  // the run builds folder groups
  RemovedFiles m_removed;          // what left the shown result, for an undo
  // The listed folders that left their places, each with its group as it was then.
  std::vector<std::pair<std::string, FolderGroup>> m_removedFolders;
  bool m_stopPending = false;   // stopped; the lists wait for the groups found so far
  bool m_failureShown = false;  // the run's failure ended the search in the window
};

}  // namespace tf
