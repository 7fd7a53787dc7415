// FolderScan: the walk over one included folder on a worker thread of its own, filing
// every file that the filters take into the scan's duplicate index; on a solid-state disk
// lister threads read the folders it will enter next ahead of it (FolderPrefetcher).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "duplicates/duplicate_index.h"
#include "scan/filter_clock.h"
#include "search/folder_prefetcher.h"
#include "search/walked_folders.h"

namespace tf {

// Applies a search priority (0 lowest, 1 normal, other values highest) to the calling
// thread; called by each worker as it begins.
using PriorityHook = std::function<void(int priority)>;

// How a FolderScan is set up. The scan works on its own copies of the two nodes: even
// reading an attribute moves the list's search cursor, so no two workers may read one
// node. The clock must outlive the scan.
struct ScanParams {
  std::string root;
  std::vector<std::string> excludes;          // full paths of excluded folders below root
  DataNode* filters = nullptr;                // "filters" (null: every file is taken)
  std::optional<DuplicateCriteria> criteria;  // none: the index stays unconfigured
  const FilterClock* clock = nullptr;         // for the time filter; null: UTC
  // The folders walked by every scan of the search (must outlive the scan); null: the
  // scan keeps its own, so that it still walks each folder once.
  WalkedFolders* walked = nullptr;
  // Called on the worker once its walk has ended (completed or stopped), after the state
  // says so, so that whoever drives the search can take the next step at once; empty:
  // nobody is told.
  std::function<void()> onEnd;
  // Several threads read the folders ahead of the walk (for a solid-state disk); the
  // walk still files them on its own thread, in the order it would alone. False: the
  // walk reads each folder itself, one at a time in the whole program.
  bool readAhead = false;
  // Threads reading ahead, at most; 0: as the processors allow. More than processors pay
  // where each request waits for a server.
  unsigned readers = 0;
  // Keeps a FolderSum for every folder walked, made bottom-up as the walk leaves it.
  bool folderSums = false;
  // Reads every file's size and time while listing, not only those whose name another
  // file has (a walk of one folder, to be compared with what a search saw).
  bool readEveryFile = false;
};

class FolderScan {
 public:
  // States. The interface thread writes 1->8, 2..5->5 and 3/4->2; the worker writes 2,
  // 3->4, 5->8 and 6; the merge writes 7.
  static constexpr int kNew = 0;
  static constexpr int kReady = 1;
  static constexpr int kRunning = 2;
  static constexpr int kPauseRequested = 3;
  static constexpr int kPaused = 4;
  static constexpr int kStopRequested = 5;
  static constexpr int kCompleted = 6;
  static constexpr int kAccepted = 7;
  static constexpr int kStopped = 8;

  FolderScan();
  ~FolderScan();  // stops the worker and waits for it
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  // Only before the first Configure (state 0): copies the parameters, state 1.
  bool Configure(const ScanParams& params);
  // Starts the worker once; it applies `priority` through `hook` (may be empty) to
  // itself. False when a worker was started before or cannot be (StartError says why).
  bool StartThread(int priority, const PriorityHook& hook);
  const std::string& StartError() const { return m_startError; }
  // Asks the worker to stop and waits on its state until it has noticed; a scan
  // that never started is stopped at once; a finished one is left alone.
  void Stop();
  // Stop in two halves, so that several scans are asked before any is waited for: true
  // when a worker was asked and must be waited for with WaitForStop.
  bool RequestStop();
  void WaitForStop();
  // From a pause (3 or 4) back to running.
  bool Resume();
  // Merged: state 7; the index goes unless the run took it over.
  void Accept();
  // Waits for a worker that has ended (or is ending) to be gone.
  void Join();

  // For the merge, once the state is 6: the index (the run may take it over).
  std::unique_ptr<DuplicateIndex>& Index() { return m_index; }
  DataNode* TakeResultRoot() { return m_index ? m_index->TakeResultRoot() : nullptr; }
  DataNode* ResultRoot() const { return m_index ? m_index->ResultRoot() : nullptr; }
  const DuplicateIndex* IndexOf() const { return m_index.get(); }

  const std::string& Root() const { return m_root; }
  // Whether lister threads may read ahead of this walk (not on a spinning disk, nor with
  // one thread per disk).
  bool readsAhead() const { return m_readAhead; }
  int state() const { return m_state.load(std::memory_order_acquire); }
  bool started() const { return m_started; }
  long foldersEntered() const { return m_foldersEntered.load(std::memory_order_relaxed); }
  long filesFound() const { return m_filesFound.load(std::memory_order_relaxed); }
  // "ready", "scanning: %ld folders, %ld files...", "suspended", "completed", "accepted"
  // or "stopped"; once the walk has ended, followed by ", N folders could not be read"
  // when some could not.
  std::string StatusText() const;
  // Folders that are there but could not be opened because the open files ran out, even
  // after the walk let go of every descriptor it could; read once the walk has ended.
  std::vector<std::string> UnreadFolders() const;
  // The walk ran out of memory and delivered nothing.
  bool ranOutOfMemory() const { return m_outOfMemory.load(std::memory_order_acquire); }

  // Test hook: asks a running worker to pause at its next check (2 -> 3).
  bool TEST_RequestPause();
  // Test hooks, for every scan of the process: read every file's size and time while
  // listing, as when a filter needs them; and a call with each path whose size and time
  // are about to be read after its folder was listed (empty: none).
  static void TEST_ReadEveryFile(bool every);
  static void TEST_BeforeReading(std::function<void(const std::string& path)> hook);

 private:
  void run(int priority, PriorityHook hook);
  void prepareWorker(int priority, const PriorityHook& hook);
  bool walkTree();
  bool visit(size_t depth);
  int enter(size_t depth);
  void leave(size_t depth);
  void keepOpenLevelsBounded(size_t depth);
  bool isExcluded(const std::string& path);
  // Folder sums: the folder a level lists is interned; its own files are added once they
  // are filed and read; a level left adds its sum to its parent's; a sub-folder passed
  // over unread makes its parent blind.
  void startSum(size_t depth, std::string_view folder);
  void addOwnFiles(size_t depth, size_t firstHere);
  void leaveSum(size_t depth);
  void blindSum(size_t depth);
  // The open files ran out: gives back every descriptor the walk can do without (the
  // read-ahead and the folders held between the root and `depth`).
  void freeDescriptors(size_t depth);
  void noteUnread(const std::string& path);
  void startListers(int priority, const PriorityHook& hook);
  void queueSubfolders(size_t depth);
  bool check();  // false: stop
  // Reads size and time of the files filed by name alone whose key another file now
  // shares; those of the folder at hand (ids from `firstHere`) through its open handle.
  void readShared(size_t depth, size_t firstHere);
  using StatJob = FolderPrefetcher::StatJob;
  std::vector<std::unique_ptr<StatJob>> statJobs(size_t depth, size_t firstHere, bool defer);
  void queueStats(std::unique_ptr<StatJob> job, bool urgent);
  bool readDeferred();
  const std::shared_ptr<const FolderHandle>& rootHold();
  // Files the index with what was read beside the walk so far.
  void applyStatted();
  void fileStats(const std::vector<std::unique_ptr<StatJob>>& jobs);
  void giveBackStats();
  // Wakes whoever waits for the state to change (a paused worker, a stop).
  void stateChanged();

  // Release on the worker's writes so that the index it built is seen by whoever
  // observes 6; acquire on the reads.
  std::atomic<int> m_state{kNew};
  std::atomic<long> m_foldersEntered{0};
  std::atomic<long> m_filesFound{0};  // accepted by the filters; counters only, relaxed
  // Set with a stop request, so that the listing of a huge folder ends part-way.
  std::atomic<bool> m_stopAsked{false};
  std::atomic<bool> m_outOfMemory{false};
  std::mutex m_waitLock;
  std::condition_variable m_stateCv;
  bool m_started = false;  // interface thread only
  std::string m_startError;
  mutable std::mutex m_unreadLock;
  std::vector<std::string> m_unreadFolders;
  std::thread m_thread;

  // Set by Configure before the worker starts; then the worker's alone.
  std::string m_root;
  std::vector<std::string> m_excludes;
  bool m_exclusionActive = false;
  bool m_readAhead = false;
  unsigned m_readers = 0;
  bool m_folderSums = false;
  bool m_readEveryFile = false;
  FolderTerms m_terms;
  NodePtr m_filtersNode;  // own copy
  std::optional<DuplicateCriteria> m_criteria;
  const FilterClock* m_clock = nullptr;
  WalkedFolders* m_walked = nullptr;
  std::unique_ptr<WalkedFolders> m_ownWalked;
  std::function<void()> m_onEnd;

  // Built by the worker; read by the merge after state 6.
  std::unique_ptr<DuplicateIndex> m_index;
  struct Walker;
  std::unique_ptr<Walker> m_walker;  // filters, enumerator and listing buffers
};

}  // namespace tf
