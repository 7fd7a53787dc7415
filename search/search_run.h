// SearchRun: one search over the folders of a descriptor: starts a FolderScan per
// included folder, merges the finished ones and finalises the duplicate groups.
//
// Driven from one thread (the interface thread, or the command-line loop):
//
//   tf::SearchRun::Options options;        // tickMs = 1000 as in the window program
//   options.onWork = [&] { wake the driving thread; };   // from any thread
//   tf::SearchRun run(options);
//   if (run.Prepare(descriptorRoot) && run.Start()) {
//     while (run.state() != tf::SearchRun::kFinished) {
//       wait until woken, or at most tickMs;
//       run.Tick();                        // takes a step when woken or tickMs passed
//     }
//   }
//   run.StatusLine();   // "Finished (%ld files found)" or "Finished (NO FILES FOUND)"
//   run.ResultRoot();   // "Duplicate files results": groups (kind 1) of file nodes
//   run.FileCount();    // files in groups
//   run.Cancel();       // the search is handled: frees the run map, keeps the groups
//
// Every member is called from that one thread; the workers and the merge thread touch
// only their own scan, their index and the run's result while it merges or forms the
// groups (state kFinalising). The result is the caller's again from kFinished, or after
// StopAll.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "duplicates/folder_groups.h"
#include "duplicates/hard_links.h"
#include "duplicates/run_result.h"
#include "scan/filter_clock.h"
#include "search/folder_scan.h"
#include "search/walked_folders.h"

namespace tf {

// The identity of a file with more than one name, from the platform; false for a file
// with one name (which needs no record) or one that cannot be asked. For HardLinks::Build.
bool ReadLinkIdentity(const std::string& path, LinkIdentity* out);

// The status line of a finished search that found `found` files in groups.
std::string FinishedStatusText(int64_t found);

class SearchRun {
 public:
  // Run states.
  static constexpr int kReset = 0;
  static constexpr int kPrepared = 1;
  static constexpr int kRunning = 2;
  static constexpr int kStopping = 5;
  static constexpr int kFinalising = 6;
  static constexpr int kFinished = 7;
  static constexpr int kCancelled = 8;
  static constexpr int kStopped = 9;

  static constexpr int kMaxRunningScans = 5;
  // Ticks that try to start a scan's thread before the search gives up for want of one.
  static constexpr int kThreadTries = 5;
  // Threads reading ahead of a walk on a network share or a file system in user space.
  static constexpr unsigned kRoundTripReaders = 8;

  struct Options {
    // Longest time between two steps when nothing wakes the run (the progress display
    // is refreshed on each step); a scan or merge that ends wakes it at once.
    int tickMs = 1000;
    int priority = 1;  // option "common:prior": 0 low, 1 normal, else high
    // Applied by each worker to itself; empty: the platform's (nice and I/O class).
    PriorityHook applyPriority;
    // Names the file system of a path (scans on one file system run one at a time);
    // empty: the mount point from the platform.
    std::function<std::string(const std::string&)> driveOf;
    // Option "common:one_thread_per_disk": every folder walk reads its folders on its own
    // thread, one at a time, as on a spinning disk. Off, a walk on a solid-state disk
    // has several threads read ahead of it (same results, in the same order).
    bool oneThreadPerDisk = false;
    // Whether a path lies on a spinning disk; empty: the platform's answer.
    std::function<bool(const std::string&)> spinningDisk;
    // The local time of the search: the time filter's and the split by time's; null: the
    // local clock of the platform.
    const FilterClock* clock = nullptr;
    // The status line ("Finalizing...", "Finished (...)") and the progress display.
    std::function<void(const std::string&)> onStatus;
    std::function<void()> onProgress;
    // Called on a worker or the merge thread whenever a scan has ended, a merge is done or
    // the groups are formed: the owner should call Tick soon, on its own thread. It must
    // not call into the run itself. Empty: the run waits for its steps of tickMs.
    std::function<void()> onWork;
    // Reads, on the thread that forms the groups, which grouped files are names of one
    // file (one statx per grouped file), for the window's marks and helpers.
    bool readHardLinks = false;
    // Whether a formed group is hidden (the user said its files are not duplicates): true
    // takes it out of the result, also out of a saved result that Adopt takes. Asked on
    // the thread that forms the groups, so what it reads must not change while the run
    // lives. Empty: every group shows.
    std::function<bool(const DataNode* group)> hideGroup;
    // Builds a signature of every walked folder, bottom-up as the walk leaves it (no
    // second walk), and forms the folder groups when the file groups are formed (after a
    // stop too: from the folders walked whole).
    bool findFolders = false;
  };

  SearchRun();
  explicit SearchRun(Options options);
  ~SearchRun();  // Reset
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  // Resets, copies the descriptor and sets up one scan per include entry with the
  // exclude entries below it. False without a descriptor or its "folders" node.
  bool Prepare(const DataNode* descriptor);
  // From states 0 and 1 only: drops an earlier result, state 2, one Tick at once.
  bool Start();
  // Takes a step when something ended since the last one (see onWork) or tickMs has
  // passed: starts at most one scan, starts a merge, refreshes the progress; finalises
  // when all are done.
  void Tick();
  // From states 2..5: stops every scan and waits for each; state 9. What every scan
  // found up to its stop is merged and formed into groups (split and totalled as at the
  // end of a search), so that the result shows everything found so far.
  void StopAll();
  // The same without waiting for the groups: they are formed on the merge thread while
  // the state stays 5, and a later Tick sees them done and sets state 9. For the window,
  // whose thread must not stall while a big result is formed.
  void BeginStop();
  // The finished search is handled: state 8; frees the run map, keeps the result.
  void Cancel();
  // Stops everything and forgets the scans, the result and the descriptor copy.
  void Reset();
  // Resets, then holds a finished result made elsewhere (a saved result read back): a
  // copy of the descriptor it was found with, `root` (taken over) and its hard links.
  // The state is kCancelled, as of a search whose finish was handled.
  void Adopt(const DataNode* descriptor, DataNode* root, HardLinks links);
  // The run's own copy of the descriptor; null before Prepare or Adopt.
  const DataNode* Descriptor() const { return m_descriptor.get(); }

  // The status text of the scan of `folder` (paths compared exactly); false and an
  // empty text when no scan has that root.
  bool StatusOf(const std::string& folder, std::string* text) const;
  // Removes a file node from the result: 1 when its group remains, 2 when the group
  // went with it, 0 when it is not a file of this result.
  int RemoveFile(DataNode* file, bool dropGroup);
  // The folder groups, once the groups are formed; empty without Options::findFolders,
  // before the groups are formed and after Reset.
  const FolderGroups& Folders() const { return m_folders; }
  // Takes a folder (its path as Folders() gives it) out of its folder group, which goes
  // when fewer than two folders remain, and every file at or below it out of the file
  // groups, as RemoveFile does; false when the folder is in no group.
  bool RemoveFolder(const std::string& path);
  // Puts the folder `path`, back where it was, into the group it left (`was`, as the
  // group was then); when that group went, it is made anew with those of its other
  // folders that are in no group now and for which `inPlace` holds. False when the
  // folder is in a group already or no group of two comes of it.
  bool RejoinFolder(const FolderGroup& was, const std::string& path,
                    const std::function<bool(const std::string&)>& inPlace);

  int state() const { return m_state.load(std::memory_order_acquire); }
  int running() const { return m_running; }
  int ready() const { return m_ready; }
  DataNode* ResultRoot() const { return m_result.Root(); }
  // The grouped files that are names of one file, once the groups are formed (empty
  // without Options::readHardLinks).
  const HardLinks& Links() const { return m_links; }
  int64_t FileCount() const { return m_result.FileCount(); }
  const std::string& StatusLine() const { return m_statusLine; }
  // Why the search could not run to its end or was cut short (no thread to be had: it
  // is then stopped; out of memory: it finishes with what it found), also in the status
  // line; empty when nothing failed.
  const std::string& Failure() const { return m_failure; }
  // The folders that could not be read although they are there (the open files ran out),
  // over every scan; their contents are missing from the result.
  std::vector<std::string> UnreadFolders() const;
  // True once after the result was finalised or a file was removed from it.
  bool TakeResultChanged() { return m_result.TakeChanged(); }
  const std::vector<std::unique_ptr<FolderScan>>& Scans() const { return m_scans; }

 private:
  void stopAll(bool keepFound);
  void stopScans();
  void formStoppedResult();
  void startNextScan();
  void fail(const std::string& reason);
  // Merges on the merge thread, or on this one when no thread can be had.
  bool startMerge(FolderScan* scan);
  void waitForMerge();
  bool startCompletedMerge();
  void startFinalise();
  // Finalises the result and, when asked, reads its hard links.
  void finalise();
  void finishFinalise();
  // The folder groups of the run map, before Finalise spends it.
  void formFolderGroups();
  // Takes the groups that Options::hideGroup hides out of the result.
  void hideGroups();
  void recount();
  bool busyDrive(const std::string& drive) const;
  void setStatus(const std::string& text);
  void progress();
  // Any thread: something ended; the next Tick takes a step.
  void wake();

  Options m_options;
  std::unique_ptr<FilterClock> m_ownClock;
  std::atomic<int> m_state{kReset};
  NodePtr m_descriptor;  // the run's own copy
  std::optional<DuplicateCriteria> m_criteria;
  std::vector<std::unique_ptr<FolderScan>> m_scans;  // in include order
  std::vector<std::string> m_drives;                 // file system of each scan's root
  WalkedFolders m_walked;                            // by every scan of this search
  int m_running = 0;
  int m_ready = 0;
  RunResult m_result;
  HardLinks m_links;       // of m_result's groups; written where the groups are formed
  FolderGroups m_folders;  // written where the groups are formed
  std::thread m_mergeThread;
  std::atomic<bool> m_mergeIdle{true};
  std::atomic<bool> m_wakePending{false};
  // Set by a stop while the groups are formed: the hard links are left unread then, so
  // that the stop does not wait for a statx of every grouped file.
  std::atomic<bool> m_skipLinks{false};
  bool m_ticked = false;
  bool m_formingStopped = false;  // the merge thread forms a stopped search's groups
  std::chrono::steady_clock::time_point m_lastTick;
  std::string m_statusLine;
  std::string m_failure;
  int m_failedStarts = 0;                // ticks in a row that could not start a scan's thread
  std::atomic<bool> m_groupsCut{false};  // merging or forming the groups ran out of memory
};

}  // namespace tf
