// FolderPrefetcher: lister threads that read the folders a walk is about to enter, ahead
// of it, so that on a solid-state disk the walk's own thread only files what they found.
//
// The walk stays the one that decides: it hands over the sub-folders of every folder it
// visits, in the order it will enter them, and takes their listings back in that very
// order, so that what it files, and in which order, is what it would have found alone.
// The queue is kept in the walk's order: the sub-folders of the folder just visited come
// before the remaining sub-folders of the folders above it. Listers work only on the
// first few queued folders, so that a wide or deep tree is never read far ahead.
//
// Listers with no folder to read take the walk's reading of sizes and times (StatJob):
// the walk files names and needs a file's details only once another file shares its name,
// and those reads need not hold it up, as long as they are all in before its index is
// merged.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/folder_lister.h"
#include "scan/entry_filter.h"
#include "search/folder_listing.h"

namespace tf {

class FolderEnumerator;

class FolderPrefetcher {
 public:
  // One folder to read: its path below the root, as the walk will enter it.
  struct Job {
    std::string relative;
    std::string path;     // the full path, for the lister's own checks
    bool skip = false;    // excluded: never read
    int state = 0;        // kQueued, kReading, kRead (under the prefetcher's lock)
    int opened = 0;       // as FolderLister::OpenChild
    uint64_t device = 0;  // of the folder read, to know it is the one the walk entered
    uint64_t inode = 0;
    FolderListing listing;
    // The folder read, kept open for the walk to enter without opening it again (fd -1
    // when not kept); `held` counts the folders kept so.
    FolderHandle handle;
    std::atomic<size_t>* held = nullptr;
    Job() = default;
    ~Job() { Release(); }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    void Release();
  };
  // Files whose size and time are read beside the walk: by name in the folder being
  // visited, through the walk's own descriptor of it (shared), or by their paths from the
  // root's descriptor (shared likewise), or by full paths when there is none. With
  // `below`, the names are of the files of that folder (its path from `folder`, ending in
  // '/').
  struct StatJob {
    std::shared_ptr<const FolderHandle> folder;  // closed with its last job
    std::string below;
    std::vector<uint32_t> ids;  // the walk's own numbers for the files
    std::vector<std::string> names;
    // Filled by whoever reads the job: read[i] is 0 when the file vanished or is no file.
    std::vector<StatInfo> infos;
    std::vector<uint8_t> read;
  };
  // `handle` as jobs share it: it is closed when the last holder lets go (the walk, done
  // with the folder, forgets its own descriptor and drops its share).
  static std::shared_ptr<const FolderHandle> Share(const FolderHandle& handle);
  static constexpr int kQueued = 0;
  static constexpr int kReading = 1;
  static constexpr int kRead = 2;

  FolderPrefetcher() = default;
  ~FolderPrefetcher();  // Stop
  FolderPrefetcher(const FolderPrefetcher&) = delete;
  FolderPrefetcher& operator=(const FolderPrefetcher&) = delete;

  // Starts one lister per filter in `filters` (each used by its lister alone; they must
  // outlive Stop) over the tree below `root` (duplicated: the walk may close its own).
  // Each lister first applies `priority` through `hook`. False when no lister could be
  // started; the walk then reads every folder itself.
  // `namesOnly`: files are listed unread, as FolderEnumerator::SetNamesOnly.
  bool Start(const FolderHandle& root, const std::vector<EntryFilter*>& filters, int priority,
             const std::function<void(int)>& hook, bool namesOnly = false);
  // Ends the listers (a listing in progress stops part-way) and waits for them.
  void Stop();
  bool running() const { return !m_threads.empty(); }

  // The sub-folders of the folder the walk has just visited, in the order it will enter
  // them, go before everything queued so far. `relativeBase` is that folder's path below
  // the root ("" for the root itself, else ending in '/'); `pathBase` its full path
  // ending in '/'. `excluded` tells which are never to be read.
  void QueueFront(const std::string& relativeBase, const std::string& pathBase,
                  const FolderListing& subfolders, const std::vector<bool>& excluded);
  // Takes the next queued folder, which must be the one the walk is entering (null when
  // nothing is queued). One that no lister has begun stays unread (kQueued): the walk
  // reads it itself.
  std::shared_ptr<Job> Pop();
  // Waits while a lister reads a popped `job`, calling `keepWaiting` every few
  // milliseconds: kRead when a lister read it, kQueued when none began it (the walk reads
  // it itself), -1 when `keepWaiting` said to give up (a stop).
  // Meanwhile the walk reads queued folders itself with `helper` (which must not take the
  // program-wide listing lock).
  int WaitRead(const Job& job, FolderEnumerator& helper, const std::function<bool()>& keepWaiting);
  // The open folder of a popped `job` that a lister read, for the walk to enter; false
  // when none was kept open.
  bool TakeHandle(Job& job, FolderHandle* out);
  // Drops the next `count` queued folders: the walk will not enter them after all.
  void Drop(size_t count);

  // Queues a job for a lister with no folder to read (or for the walk while it waits).
  // Stop leaves queued jobs queued: FinishStats then reads them on the walk's thread.
  // `urgent`: a sleeping lister is woken at once (each read waits for a server).
  void QueueStats(std::unique_ptr<StatJob> job, bool urgent);
  // Jobs queued or being read.
  size_t StatsPending();
  // Reads one queued job on the calling thread; false when none was queued.
  bool ReadOneStatJob();
  // Hands over the jobs read so far, in no particular order.
  void TakeStatted(std::vector<std::unique_ptr<StatJob>>* out);
  // Hands over the jobs no one has begun (after Stop, when the walk gives up on them).
  void TakeQueuedStats(std::vector<std::unique_ptr<StatJob>>* out);
  // Reads every queued job on the calling thread and waits for those being read, calling
  // `keepWaiting` every few milliseconds; false when it said to give up (a stop).
  bool FinishStats(const std::function<bool()>& keepWaiting);
  static void ReadStats(StatJob& job);

 private:
  void listerLoop(size_t index, int priority, std::function<void(int)> hook);
  std::shared_ptr<Job> nextToRead();    // under m_lock
  bool wantsLister() const;             // under m_lock
  void forgetFarListings(size_t from);  // under m_lock
  void read(Job& job, FolderEnumerator& enumerator);
  // The walk waits a little for a lister to finish something; false when `keepWaiting`,
  // asked once the wait ran out, said to give up. The lock is held on entry and return.
  bool waitStep(std::unique_lock<std::mutex>& lock, const std::function<bool()>& keepWaiting);
  // Reads the first queued job with the lock held on entry and on return.
  void readStatJob(std::unique_lock<std::mutex>& lock);

  std::mutex m_lock;
  std::condition_variable m_work;  // a folder was queued, or the listers must end
  std::condition_variable m_read;  // a folder was read
  std::deque<std::shared_ptr<Job>> m_queue;
  std::deque<std::unique_ptr<StatJob>> m_stats;  // queued
  std::vector<std::unique_ptr<StatJob>> m_statted;
  size_t m_statsReading = 0;
  int m_idle = 0;       // listers asleep for want of work
  int m_walkWaits = 0;  // the walk waits for a listing
  std::atomic<bool> m_quit{false};
  std::atomic<size_t> m_held{0};  // folders read and kept for the walk, Job::handle
  FolderHandle m_root;
  std::vector<std::unique_ptr<FolderEnumerator>> m_enumerators;
  std::vector<std::thread> m_threads;
};

}  // namespace tf
