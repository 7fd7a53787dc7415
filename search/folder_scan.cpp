#include "search/folder_scan.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <span>
#include <string_view>
#include <system_error>

#include "platform/folder_lister.h"
#include "scan/entry_filter.h"
#include "scan/filter_set.h"
#include "search/folder_enumerator.h"
#include "search/folder_prefetcher.h"

namespace tf {

namespace {

constexpr size_t kFilesPerBatch = 256;
// The walk keeps the root and at most this many of the deepest folders on its way open,
// so that a deep tree cannot use up the open files; a folder closed on the way down is
// opened again from its sub-folder ("..") on the way back, never along its whole path.
constexpr size_t kHeldFolders = 64;
// Threads that read folders ahead of a walk on a solid-state disk, at most.
constexpr unsigned kMostListers = 4;
// Jobs of reading sizes and times that may wait beside the walk, each holding its files'
// names and maybe a folder open; past this the walk reads them itself.
constexpr size_t kMostStatJobs = 64;

// The scan's filter set, asked by the enumerator through the plain entry interface.
class FilterSetJudge : public EntryFilter {
 public:
  explicit FilterSetJudge(FilterSet& set) : m_set(set) {}
  bool AcceptName(std::string_view name) override { return m_set.MatchName(name); }
  bool AcceptDetails(std::string_view name, const EntryDetails& details) override {
    FileInfo info{};
    info.name = name;
    info.size = details.size;
    info.lastWriteTime = details.modified;
    info.creationTime = details.created;
    info.lastAccessTime = details.accessed;
    info.attributes = details.attributes;
    return m_set.MatchInfo(info);
  }

 private:
  FilterSet& m_set;
};

std::atomic<bool> g_readEveryFile{false};
std::mutex g_hookLock;
std::function<void(const std::string&)> g_beforeReading;

// Excluded folders are compared with the paths the walk builds, which never end in '/'.
std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

struct FolderScan::Walker {
  UtcFilterClock utcClock;
  FilterSet filters;
  FilterSetJudge judge{filters};
  FolderEnumerator enumerator;
  // Files are listed by name alone and read only when another file shares their key: no
  // filter needs more, and a name of its own can never group.
  bool namesOnly = false;
  std::function<void(const std::string&)> beforeReading;
  std::vector<uint32_t> unread;  // reused
  // Reused folder after folder: its buffers are allocated once, not per folder.
  FolderListing listing;
  // A folder on the way from the root to the one being walked.
  struct Level {
    FolderHandle handle;  // closed while deeper levels hold the descriptors
    uint64_t device = 0;  // what it was when entered, to know it again when reopened
    uint64_t inode = 0;
    size_t pathLength = 0;       // its path is the first pathLength bytes of `path`
    size_t nameStart = 0;        // where its own name begins there
    size_t next = 0;             // its next sub-folder to enter
    uint32_t folder = kNoEntry;  // its record in the index, with folder sums
    FolderListing subfolders;    // reused likewise
    // `handle` as the reads of its files share it: whichever of the level and those
    // reads lets go last closes it.
    std::shared_ptr<const FolderHandle> shared;
    void Close() {
      if (shared) {
        handle.fd = -1;
        shared.reset();
      } else {
        FolderLister::CloseHandle(&handle);
      }
    }
  };
  std::vector<Level> levels;  // [0] is the root
  std::string path;           // of the folder at hand
  std::string name;           // of the sub-folder being entered
  size_t openLevels = 0;      // open levels below the root
  size_t firstOpen = 1;       // the levels between the root and this one are closed

  // Reading ahead: each lister's own filters (a filter set is not shared between
  // threads), the listers, and the listing taken for the folder being entered.
  struct ListerFilters {
    FilterSet filters;
    FilterSetJudge judge{filters};
  };
  std::vector<std::unique_ptr<ListerFilters>> listerFilters;
  std::vector<EntryFilter*> listerJudges;
  int priority = 1;
  PriorityHook hook;
  FolderPrefetcher prefetcher;
  std::shared_ptr<FolderPrefetcher::Job> entering;
  size_t rootPrefix = 0;       // bytes of `path` before a folder's path below the root
  std::vector<bool> excluded;  // of the sub-folders being queued, reused
  std::vector<std::unique_ptr<StatJob>> statted;  // reused
  // Files of folders walked already whose key a later file joined: read at the walk's
  // end, folder by folder (sorted by folder from `deferredNext` on then), instead of one
  // path walk per file now.
  std::vector<uint32_t> deferred;
  size_t deferredNext = 0;

  ~Walker() {
    prefetcher.Stop();  // before the filters and the root it reads below go
    for (Level& level : levels) level.Close();
  }
};

FolderScan::FolderScan() = default;

FolderScan::~FolderScan() {
  Stop();
  Join();
}

bool FolderScan::Configure(const ScanParams& params) {
  if (state() >= kReady) return false;
  m_foldersEntered = 0;
  m_filesFound = 0;
  m_root = params.root;
  m_excludes.clear();
  for (const std::string& path : params.excludes) m_excludes.push_back(withoutTrailingSlash(path));
  m_filtersNode.reset(params.filters ? CloneNode(params.filters, nullptr, 1) : nullptr);
  m_criteria = params.criteria;
  m_clock = params.clock;
  m_walked = params.walked;
  m_onEnd = params.onEnd;
  if (!m_walked) {
    m_ownWalked = std::make_unique<WalkedFolders>();
    m_walked = m_ownWalked.get();
  }
  m_exclusionActive = !m_excludes.empty();
  m_readAhead = params.readAhead;
  m_readers = params.readers;
  m_folderSums = params.folderSums && params.criteria.has_value();
  m_readEveryFile = params.readEveryFile;
  if (params.criteria) m_terms = FolderTerms::Of(*params.criteria);
  m_state.store(kReady, std::memory_order_release);
  return true;
}

bool FolderScan::StartThread(int priority, const PriorityHook& hook) {
  if (m_started) return false;
  try {
    m_thread = std::thread([this, priority, hook] { run(priority, hook); });
  } catch (const std::system_error& error) {
    m_startError = error.code().message();
    return false;  // no thread to be had now; the run tries again on a later tick
  }
  m_started = true;
  return true;
}

void FolderScan::Stop() {
  if (RequestStop()) WaitForStop();
}

bool FolderScan::RequestStop() {
  int current = state();
  if (current == kReady &&
      m_state.compare_exchange_strong(current, kStopped, std::memory_order_acq_rel)) {
    return false;
  }
  // The worker may have moved on meanwhile (to 2, or to 6 when it finished): only a
  // state still in 2..5 becomes a stop request.
  while (current >= kRunning && current <= kStopRequested &&
         !m_state.compare_exchange_weak(current, kStopRequested, std::memory_order_acq_rel)) {
  }
  if (current < kRunning || current > kStopRequested) return false;
  m_stopAsked.store(true, std::memory_order_relaxed);
  stateChanged();  // a paused worker wakes to stop
  return true;
}

void FolderScan::WaitForStop() {
  {
    std::unique_lock<std::mutex> lock(m_waitLock);
    m_stateCv.wait(lock, [this] { return state() != kStopRequested; });
  }
  Join();
}

bool FolderScan::Resume() {
  int current = state();
  if (current != kPauseRequested && current != kPaused) return false;
  if (!m_state.compare_exchange_strong(current, kRunning, std::memory_order_acq_rel)) return false;
  stateChanged();
  return true;
}

void FolderScan::stateChanged() {
  // Under the lock, so that a waiter between its test and its sleep cannot miss it.
  { std::lock_guard<std::mutex> lock(m_waitLock); }
  m_stateCv.notify_all();
}

void FolderScan::TEST_ReadEveryFile(bool every) {
  g_readEveryFile.store(every);
}

void FolderScan::TEST_BeforeReading(std::function<void(const std::string& path)> hook) {
  std::lock_guard<std::mutex> lock(g_hookLock);
  g_beforeReading = std::move(hook);
}

bool FolderScan::TEST_RequestPause() {
  int current = kRunning;
  return m_state.compare_exchange_strong(current, kPauseRequested, std::memory_order_acq_rel);
}

void FolderScan::Accept() {
  m_state.store(kAccepted, std::memory_order_release);
  m_index.reset();
}

void FolderScan::Join() {
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

std::vector<std::string> FolderScan::UnreadFolders() const {
  std::lock_guard<std::mutex> lock(m_unreadLock);
  return m_unreadFolders;
}

void FolderScan::noteUnread(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_unreadLock);
  m_unreadFolders.push_back(path);
}

std::string FolderScan::StatusText() const {
  const int current = state();
  if (current >= kStopRequested) {
    const size_t unread = UnreadFolders().size();
    if (unread > 0) {
      std::string text = current == kAccepted  ? "accepted"
                         : current == kStopped ? "stopped"
                                               : "completed";
      return text + ", " + std::to_string(unread) +
             (unread == 1 ? " folder could not be read" : " folders could not be read");
    }
  }
  switch (current) {
    case kNew:
    case kReady:
      return "ready";
    case kRunning:
      // Like the status line: the scan is at work, and how far it has got.
      return "scanning: " + std::to_string(foldersEntered()) + " folders, " +
             std::to_string(filesFound()) + " files...";
    case kPauseRequested:
    case kPaused:
      return "suspended";
    case kStopRequested:
    case kCompleted:
      return "completed";
    case kAccepted:
      return "accepted";
    case kStopped:
      return "stopped";
  }
  return "";
}

void FolderScan::run(int priority, PriorityHook hook) {
  int current = kReady;
  if (!m_state.compare_exchange_strong(current, kRunning, std::memory_order_acq_rel)) {
    if (current >= kRunning) return;  // stopped before it began
    m_state.store(kRunning, std::memory_order_release);
  }
  try {
    if (hook) hook(priority);
    prepareWorker(priority, hook);
    const bool walked = walkTree();
    if (!walked) giveBackStats();
    m_walker.reset();  // the listing buffers and the open folders are not needed any more
    if (walked) {
      // A stop asked after the last check still finds the walk complete.
      int expected = kRunning;
      if (!m_state.compare_exchange_strong(expected, kCompleted, std::memory_order_acq_rel) &&
          expected == kStopRequested)
        m_state.store(kCompleted, std::memory_order_release);
    }
  } catch (...) {
    // Out of memory in the middle of a walk: what the index holds may be half filed,
    // so the scan ends as stopped and delivers nothing.
    m_index.reset();
    m_walker.reset();
    m_outOfMemory.store(true, std::memory_order_release);
    m_state.store(kStopped, std::memory_order_release);
  }
  stateChanged();
  // After the last change of state: a step taken on this news sees the scan ended.
  if (m_onEnd) m_onEnd();
}

void FolderScan::prepareWorker(int priority, const PriorityHook& hook) {
  m_walker = std::make_unique<Walker>();
  m_walker->filters.LoadFrom(m_filtersNode.get(), m_clock ? *m_clock : m_walker->utcClock);
  m_walker->enumerator.SetFilters(&m_walker->judge);
  m_walker->enumerator.SetSerialised(!m_readAhead);
  m_walker->enumerator.SetCancel(&m_stopAsked);
  m_walker->namesOnly = m_walker->filters.JudgesNamesOnly() && !m_readEveryFile &&
                        !g_readEveryFile.load(std::memory_order_relaxed);
  m_walker->enumerator.SetNamesOnly(m_walker->namesOnly);
  {
    std::lock_guard<std::mutex> lock(g_hookLock);
    m_walker->beforeReading = g_beforeReading;
  }
  m_index = std::make_unique<DuplicateIndex>();
  if (m_criteria) m_index->Configure(*m_criteria);
  if (m_folderSums) m_index->KeepFolderSums();
  if (m_readAhead) startListers(priority, hook);
}

// Each lister gets filters of its own, loaded here one after another: reading the filter
// nodes moves their cursors, so only this thread reads them.
void FolderScan::startListers(int priority, const PriorityHook& hook) {
  Walker& w = *m_walker;
  const unsigned cores = std::thread::hardware_concurrency();
  // The walk reads folders itself while it would wait: one core is its own, and on a
  // machine of one core nothing is gained by reading ahead.
  const unsigned listers =
      m_readers > 0 ? m_readers : std::min(cores > 1 ? cores - 1 : 0u, kMostListers);
  for (unsigned i = 0; i < listers; ++i) {
    auto filters = std::make_unique<Walker::ListerFilters>();
    filters->filters.LoadFrom(m_filtersNode.get(), m_clock ? *m_clock : w.utcClock);
    w.listerJudges.push_back(&filters->judge);
    w.listerFilters.push_back(std::move(filters));
  }
  w.priority = priority;
  w.hook = hook;
}

bool FolderScan::check() {
  // Called for every file: a plain read answers the common case without a locked
  // instruction.
  if (m_state.load(std::memory_order_relaxed) == kRunning) return true;
  int current = kPauseRequested;
  if (m_state.compare_exchange_strong(current, kPaused, std::memory_order_acq_rel)) {
    std::unique_lock<std::mutex> lock(m_waitLock);
    m_stateCv.wait(lock, [this] { return state() != kPaused; });
  }
  current = kStopRequested;
  if (!m_state.compare_exchange_strong(current, kStopped, std::memory_order_acq_rel)) return true;
  stateChanged();
  return false;
}

// Depth first, without recursion (a tree may be deeper than any stack): files of a folder
// are filed before its sub-folders are entered, in the order the file system lists them.
bool FolderScan::walkTree() {
  Walker& w = *m_walker;
  w.path = m_root;
  if (w.levels.empty()) w.levels.emplace_back();
  Walker::Level& root = w.levels[0];
  if (!w.enumerator.OpenRoot(m_root, &root.handle) && (errno == EMFILE || errno == ENFILE))
    noteUnread(m_root);  // unopenable for another reason: an empty root
  root.device = root.handle.device;
  root.inode = root.handle.inode;
  root.pathLength = w.path.size();
  // A root that this search walks already, under another name, adds nothing.
  if (root.handle.fd >= 0 && !m_walked->Claim(root.device, root.inode))
    FolderLister::CloseHandle(&root.handle);
  w.rootPrefix = w.path.size() + (w.path.empty() || w.path.back() != '/' ? 1 : 0);
  if (root.handle.fd >= 0 && !w.listerJudges.empty())
    w.prefetcher.Start(root.handle, w.listerJudges, w.priority, w.hook, w.namesOnly);
  if (!visit(0)) return false;
  size_t depth = 0;
  for (;;) {
    const Walker::Level& level = w.levels[depth];
    if (level.next >= level.subfolders.folders().size()) {
      if (depth == 0) {
        // Every size and time read beside the walk is in the index before it is merged.
        if (!readDeferred()) return false;
        if (!w.prefetcher.FinishStats([this] { return check(); })) return false;
        applyStatted();
        if (m_folderSums) leaveSum(0);
        return true;
      }
      leave(depth--);
      continue;
    }
    const int entered = enter(depth);
    if (entered < 0) return false;
    if (entered == 0) {
      w.entering.reset();  // read ahead in vain
      continue;
    }
    ++depth;
    if (!visit(depth)) return false;
  }
}

// Lists the folder of a level, files its files and keeps the names of its sub-folders.
bool FolderScan::visit(size_t depth) {
  if (!check()) return false;
  Walker& w = *m_walker;
  applyStatted();
  Walker::Level& level = w.levels[depth];
  level.next = 0;
  level.folder = kNoEntry;
  level.subfolders.Clear();
  w.path.resize(level.pathLength);
  // A listing read ahead serves when it is of this very folder; else it is read here.
  const std::shared_ptr<FolderPrefetcher::Job> job = std::move(w.entering);
  const FolderListing* read = nullptr;
  if (job) {
    const int state = w.prefetcher.WaitRead(*job, w.enumerator, [this] { return check(); });
    if (state < 0) return false;
    if (state == FolderPrefetcher::kRead && job->opened > 0 && job->device == level.device &&
        job->inode == level.inode)
      read = &job->listing;
  }
  if (!read) {
    w.enumerator.List(level.handle, w.path, &w.listing);
    read = &w.listing;
  }
  if (!check()) return false;  // a listing cut short by the stop is not filed
  const FolderListing& listing = *read;
  if (w.path.empty() || w.path.back() != '/') w.path += '/';
  const std::string_view prefix = w.path;
  if (m_folderSums) startSum(depth, prefix);
  // Files go to the index in batches under one hold of the index lock; a stop asked
  // meanwhile is noticed after the batch, so the index holds whole batches only.
  const auto& files = listing.files();
  const size_t firstHere = m_index->FileCount();
  for (size_t begin = 0; begin < files.size();) {
    const size_t end = std::min(files.size(), begin + kFilesPerBatch);
    std::array<DuplicateIndex::NewFile, kFilesPerBatch> batch;
    for (size_t i = begin; i < end; ++i)
      batch[i - begin] = {listing.NameOf(files[i]), files[i].size, files[i].modified,
                          files[i].links, files[i].unread};
    bool toRead = false;
    {
      std::lock_guard<std::mutex> lock(IndexLock());
      m_index->AddFilesLocked(prefix, std::span(batch.data(), end - begin));
      toRead = m_index->HasUnread();
    }
    m_filesFound.fetch_add(static_cast<long>(end - begin), std::memory_order_relaxed);
    if (toRead) readShared(depth, firstHere);
    begin = end;
    if (!check()) return false;
  }
  if (m_folderSums) addOwnFiles(depth, firstHere);
  // The shared listing is refilled below; only the sub-folders' names are kept here.
  for (const FolderListing::Folder& sub : listing.folders())
    level.subfolders.AddFolder(listing.NameOf(sub));
  if (w.prefetcher.running()) queueSubfolders(depth);
  w.path.resize(level.pathLength);
  return true;
}

void FolderScan::readShared(size_t depth, size_t firstHere) {
  Walker& w = *m_walker;
  {
    std::lock_guard<std::mutex> lock(IndexLock());
    w.unread = m_index->TakeUnread();
  }
  // Where listers run, they read beside the walk; a folder's sum is made as soon as its
  // files are read, so with sums the walk reads them at once. Where each request waits
  // for a server, the reads of earlier folders' files overlap the walk best when they
  // are not put off.
  const bool beside = w.prefetcher.running() && !m_folderSums;
  std::vector<std::unique_ptr<StatJob>> jobs = statJobs(depth, firstHere, beside && m_readers == 0);
  if (beside) {
    for (auto& job : jobs) queueStats(std::move(job), m_readers > 0);
    return;
  }
  // Where each read waits for a server, the jobs are read on threads of their own.
  std::vector<std::thread> threads;
  for (size_t j = 1; m_readers > 0 && j < jobs.size(); ++j) {
    try {
      threads.emplace_back(&FolderPrefetcher::ReadStats, std::ref(*jobs[j]));
    } catch (const std::system_error&) {
      break;  // fewer threads: the jobs of the missing ones are read here
    }
  }
  for (size_t j = threads.size() + 1; j < jobs.size(); ++j) FolderPrefetcher::ReadStats(*jobs[j]);
  if (!jobs.empty()) FolderPrefetcher::ReadStats(*jobs[0]);
  for (std::thread& thread : threads) thread.join();
  fileStats(jobs);
}

void FolderScan::queueStats(std::unique_ptr<StatJob> job, bool urgent) {
  Walker& w = *m_walker;
  w.prefetcher.QueueStats(std::move(job), urgent);
  // Each waiting job holds its files' names: past a bound, the walk reads them itself.
  while (w.prefetcher.StatsPending() > kMostStatJobs && w.prefetcher.ReadOneStatJob()) {
  }
}

// The reads of readShared as jobs: the folder at hand's files by name through a descriptor
// of its own, the others by their paths from the root's (or, with `defer`, put off to
// readDeferred); split in as many jobs as there are listers, and one more, where each
// read waits for a server.
std::vector<std::unique_ptr<FolderScan::StatJob>> FolderScan::statJobs(size_t depth,
                                                                       size_t firstHere,
                                                                       bool defer) {
  Walker& w = *m_walker;
  const FolderHandle& here = w.levels[depth].handle;
  std::vector<uint32_t> byName;
  std::vector<uint32_t> byPath;
  for (const uint32_t id : w.unread)
    (id >= firstHere && here.fd >= 0 && !w.beforeReading ? byName : byPath).push_back(id);
  if (defer) {
    w.deferred.insert(w.deferred.end(), byPath.begin(), byPath.end());
    byPath.clear();
  }
  const size_t perJob = m_readers > 0
                            ? std::max<size_t>(1, (w.unread.size() + m_readers) / (m_readers + 1))
                            : std::max<size_t>(1, w.unread.size());
  std::vector<std::unique_ptr<StatJob>> jobs;
  Walker::Level& level = w.levels[depth];
  if (!byName.empty() && !level.shared) level.shared = FolderPrefetcher::Share(level.handle);
  for (size_t begin = 0; begin < byName.size(); begin += perJob) {
    auto job = std::make_unique<StatJob>();
    job->folder = level.shared;
    for (size_t i = begin; i < std::min(byName.size(), begin + perJob); ++i) {
      job->ids.push_back(byName[i]);
      job->names.emplace_back(m_index->NameOf(m_index->File(byName[i])));
    }
    jobs.push_back(std::move(job));
  }
  for (size_t begin = 0; begin < byPath.size(); begin += perJob) {
    auto job = std::make_unique<StatJob>();
    job->folder = rootHold();
    for (size_t i = begin; i < std::min(byPath.size(), begin + perJob); ++i) {
      std::string path = m_index->PathOf(m_index->File(byPath[i]));
      if (w.beforeReading) w.beforeReading(path);
      job->ids.push_back(byPath[i]);
      // Below the root, a path is walked from the root's descriptor, not from "/".
      if (job->folder && path.size() > w.rootPrefix) path.erase(0, w.rootPrefix);
      job->names.push_back(std::move(path));
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

const std::shared_ptr<const FolderHandle>& FolderScan::rootHold() {
  Walker::Level& root = m_walker->levels[0];
  if (!root.shared && root.handle.fd >= 0) root.shared = FolderPrefetcher::Share(root.handle);
  return root.shared;
}

// The files put off by statJobs, read folder by folder: each folder's path is walked
// once for all its files, where read one by one each file's path was walked again.
bool FolderScan::readDeferred() {
  Walker& w = *m_walker;
  std::vector<uint32_t>& ids = w.deferred;
  if (ids.empty()) return true;
  {
    // Sorted by folder, then by file: each file's record is looked up once, not at every
    // comparison.
    std::vector<uint64_t> byFolder(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
      byFolder[i] = uint64_t{m_index->File(ids[i]).folder} << 32 | ids[i];
    std::sort(byFolder.begin(), byFolder.end());
    for (size_t i = 0; i < ids.size(); ++i) ids[i] = static_cast<uint32_t>(byFolder[i]);
  }
  std::string folder;
  while (w.deferredNext < ids.size()) {
    if (!check()) return false;
    const size_t begin = w.deferredNext;
    const uint32_t folderId = m_index->File(ids[begin]).folder;
    size_t end = begin;
    while (end < ids.size() && m_index->File(ids[end]).folder == folderId) ++end;
    auto job = std::make_unique<StatJob>();
    job->folder = rootHold();
    folder.clear();
    m_index->AppendFolder(folderId, &folder);
    for (size_t i = begin; i < end; ++i) {
      job->ids.push_back(ids[i]);
      job->names.emplace_back(m_index->NameOf(m_index->File(ids[i])));
      if (w.beforeReading) w.beforeReading(folder + job->names.back());
    }
    if (job->folder) folder.erase(0, std::min(folder.size(), w.rootPrefix));
    // The root's own files are named from the root; an empty `below` says so.
    if (!job->folder || !folder.empty()) job->below = folder;
    w.deferredNext = end;
    if (w.prefetcher.running()) {
      queueStats(std::move(job), true);
      applyStatted();
    } else {
      FolderPrefetcher::ReadStats(*job);
      std::vector<std::unique_ptr<StatJob>> one;
      one.push_back(std::move(job));
      fileStats(one);
    }
  }
  ids.clear();
  w.deferredNext = 0;
  return true;
}

void FolderScan::applyStatted() {
  Walker& w = *m_walker;
  w.prefetcher.TakeStatted(&w.statted);
  fileStats(w.statted);
  w.statted.clear();
}

void FolderScan::fileStats(const std::vector<std::unique_ptr<StatJob>>& jobs) {
  if (jobs.empty()) return;
  std::lock_guard<std::mutex> lock(IndexLock());
  for (const auto& job : jobs) {
    for (size_t i = 0; i < job->ids.size(); ++i) {
      if (job->read[i])
        m_index->ReadFile(job->ids[i], job->infos[i].size, job->infos[i].modified,
                          job->infos[i].links);
      else
        m_index->DropFile(job->ids[i]);  // vanished or no file any more since the listing
    }
  }
}

// A stopped walk's index still shows what it found: the reads done beside it are filed,
// and the files of those never begun go back to the index unread, for the groups' maker.
void FolderScan::giveBackStats() {
  Walker& w = *m_walker;
  w.prefetcher.Stop();
  applyStatted();
  w.prefetcher.TakeQueuedStats(&w.statted);
  std::lock_guard<std::mutex> lock(IndexLock());
  for (const auto& job : w.statted) m_index->PutBackUnread(job->ids);
  w.statted.clear();
  m_index->PutBackUnread(std::span(w.deferred).subspan(w.deferredNext));
  w.deferred.clear();
  w.deferredNext = 0;
}

// Hands the sub-folders of the folder just visited (its path ends in '/') to the
// listers, in the order enter() will take them; excluded ones are marked, not read.
void FolderScan::queueSubfolders(size_t depth) {
  Walker& w = *m_walker;
  const Walker::Level& level = w.levels[depth];
  const auto& folders = level.subfolders.folders();
  w.excluded.assign(folders.size(), level.handle.fd < 0);
  if (m_exclusionActive) {
    const size_t base = w.path.size();
    for (size_t i = 0; i < folders.size(); ++i) {
      w.path += level.subfolders.NameOf(folders[i]);
      for (const std::string& excluded : m_excludes)
        if (excluded == w.path) w.excluded[i] = true;
      w.path.resize(base);
    }
  }
  const std::string relative = w.path.size() > w.rootPrefix ? w.path.substr(w.rootPrefix) : "";
  w.prefetcher.QueueFront(relative, w.path, level.subfolders, w.excluded);
}

// Opens the next sub-folder of a level as the level below: 1 entered, 0 passed over
// (excluded, walked already, never to be entered, or unopenable: then empty), -1 stop.
int FolderScan::enter(size_t depth) {
  Walker& w = *m_walker;
  Walker::Level& level = w.levels[depth];
  std::string& name = w.name;
  name.assign(level.subfolders.NameOf(level.subfolders.folders()[level.next++]));
  if (w.prefetcher.running()) w.entering = w.prefetcher.Pop();
  w.path.resize(level.pathLength);
  if (w.path.empty() || w.path.back() != '/') w.path += '/';
  const size_t nameStart = w.path.size();
  w.path += name;
  if (isExcluded(w.path)) return 0;
  if (level.handle.fd < 0) {
    blindSum(depth);
    return 0;
  }
  FolderHandle child;
  int opened = 0;
  // A folder a lister read is taken as it opened it, once it is known to be the one
  // here now; else it is opened here.
  if (w.entering && w.prefetcher.TakeHandle(*w.entering, &child)) {
    if (FolderLister::IsFolderAt(level.handle, name, child.device, child.inode))
      opened = 1;
    else
      FolderLister::CloseHandle(&child);
  }
  if (opened == 0) opened = w.enumerator.Enter(level.handle, name, w.path, &child);
  if (opened == 0 && (errno == EMFILE || errno == ENFILE)) {
    // Not empty: the open files ran out. Let go of what can be reopened, and try again.
    freeDescriptors(depth);
    opened = w.enumerator.Enter(w.levels[depth].handle, name, w.path, &child);
    if (opened == 0 && (errno == EMFILE || errno == ENFILE)) noteUnread(w.path);
  }
  if (opened < 0) return 0;
  if (opened > 0 && !m_walked->Claim(child.device, child.inode)) {
    FolderLister::CloseHandle(&child);  // reached before, through a bind mount
    blindSum(depth);
    return 0;
  }
  m_foldersEntered.fetch_add(1, std::memory_order_relaxed);
  if (opened == 0) {
    blindSum(depth);  // what it holds is not known
    return check() ? 0 : -1;
  }
  if (w.levels.size() <= depth + 1) w.levels.emplace_back();  // `level` moves
  Walker::Level& sub = w.levels[depth + 1];
  sub.handle = child;
  sub.device = child.device;
  sub.inode = child.inode;
  sub.pathLength = w.path.size();
  sub.nameStart = nameStart;
  ++w.openLevels;
  keepOpenLevelsBounded(depth + 1);
  return 1;
}

void FolderScan::freeDescriptors(size_t depth) {
  Walker& w = *m_walker;
  // Reads waiting beside the walk hold folders open: they are read now (a stop asked
  // meanwhile leaves the rest, and the walk ends at its next check).
  w.prefetcher.FinishStats([this] { return !m_stopAsked.load(std::memory_order_relaxed); });
  applyStatted();
  w.prefetcher.Stop();  // its listers' folders and its copy of the root
  w.entering.reset();
  for (size_t at = w.firstOpen; at < depth; ++at) {
    if (w.levels[at].handle.fd < 0) continue;
    w.levels[at].Close();
    --w.openLevels;
  }
  w.firstOpen = std::max(w.firstOpen, depth);
}

void FolderScan::keepOpenLevelsBounded(size_t deepest) {
  Walker& w = *m_walker;
  while (w.openLevels > kHeldFolders && w.firstOpen < deepest) {
    Walker::Level& level = w.levels[w.firstOpen++];
    if (level.handle.fd < 0) continue;
    level.Close();
    --w.openLevels;
  }
}

// Back from a level to its parent, which is opened again first when the walk closed it:
// from the level itself by "..", or else from the nearest open folder above it by the
// names in between; a parent that is not where it was has its other sub-folders left.
void FolderScan::leave(size_t depth) {
  if (m_folderSums) leaveSum(depth);
  Walker& w = *m_walker;
  Walker::Level& level = w.levels[depth];
  Walker::Level& parent = w.levels[depth - 1];
  if (depth > 1 && parent.handle.fd < 0) {
    bool reopened = level.handle.fd >= 0 && FolderLister::Reopen(level.handle, "..", parent.device,
                                                                 parent.inode, &parent.handle);
    if (!reopened) {
      size_t above = depth - 2;
      while (above > 0 && w.levels[above].handle.fd < 0) --above;
      const size_t from = w.levels[above + 1].nameStart;
      reopened = FolderLister::Reopen(w.levels[above].handle,
                                      w.path.substr(from, parent.pathLength - from), parent.device,
                                      parent.inode, &parent.handle);
    }
    if (!reopened && (errno == EMFILE || errno == ENFILE)) {
      freeDescriptors(depth);
      reopened = level.handle.fd >= 0 && FolderLister::Reopen(level.handle, "..", parent.device,
                                                              parent.inode, &parent.handle);
      if (!reopened && parent.next < parent.subfolders.folders().size())
        noteUnread(w.path.substr(0, parent.pathLength));  // its other sub-folders are missed
    }
    if (reopened) {
      ++w.openLevels;
      w.firstOpen = std::min(w.firstOpen, depth - 1);
    } else {
      if (parent.next < parent.subfolders.folders().size()) blindSum(depth - 1);
      if (w.prefetcher.running())
        w.prefetcher.Drop(parent.subfolders.folders().size() - parent.next);
      parent.next = parent.subfolders.folders().size();
    }
  }
  if (level.handle.fd >= 0) {
    level.Close();
    --w.openLevels;
  }
  w.path.resize(parent.pathLength);
}

void FolderScan::startSum(size_t depth, std::string_view folder) {
  uint32_t id;
  {
    std::lock_guard<std::mutex> lock(IndexLock());
    id = m_index->InternFolderLocked(folder);
  }
  m_walker->levels[depth].folder = id;
  m_index->Sum(id).flags |= FolderSum::kWalked;
}

// After the folder's files are filed and those sharing a name read: a file still unread
// may be read later, when a twin of its name turns up, so the folder's sum waits.
void FolderScan::addOwnFiles(size_t depth, size_t firstHere) {
  const uint32_t id = m_walker->levels[depth].folder;
  FolderSum sum = m_index->Sum(id);
  for (size_t f = firstHere; f < m_index->FileCount(); ++f) {
    const FileRecord& file = m_index->File(static_cast<uint32_t>(f));
    if (file.unread)
      sum.flags |= FolderSum::kDeferred;
    else if (file.size == kVanishedSize)
      sum.flags |= FolderSum::kBlind;
    else
      m_terms.AddFile(m_index->NameOf(file), file.size, file.modified, &sum);
  }
  m_index->Sum(id) = sum;
}

void FolderScan::leaveSum(size_t depth) {
  const Walker::Level& level = m_walker->levels[depth];
  if (level.folder == kNoEntry) return;
  FolderSum& sum = m_index->Sum(level.folder);
  sum.flags |= FolderSum::kLeft;
  if (depth == 0) return;
  const uint32_t parentId = m_walker->levels[depth - 1].folder;
  if (parentId == kNoEntry) return;
  const FolderSum child = sum;
  FolderSum& parent = m_index->Sum(parentId);
  parent.flags |= child.flags & (FolderSum::kDeferred | FolderSum::kBlind);
  if (!(parent.flags & (FolderSum::kDeferred | FolderSum::kBlind)))
    parent.AddChild(m_index->FolderPart(level.folder), child);
}

void FolderScan::blindSum(size_t depth) {
  if (!m_folderSums) return;
  const uint32_t id = m_walker->levels[depth].folder;
  if (id != kNoEntry) m_index->Sum(id).flags |= FolderSum::kBlind;
}

bool FolderScan::isExcluded(const std::string& path) {
  if (!m_exclusionActive) return false;
  for (auto it = m_excludes.begin(); it != m_excludes.end(); ++it) {
    if (*it != path) continue;
    m_excludes.erase(it);  // each excluded folder is met once at most
    m_exclusionActive = !m_excludes.empty();
    return true;
  }
  return false;
}

}  // namespace tf
