#include "search/folder_scan.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <system_error>

#include "platform/folder_lister.h"
#include "scan/entry_filter.h"
#include "scan/filter_set.h"
#include "search/folder_enumerator.h"

namespace tf {

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(100);
constexpr size_t kFilesPerBatch = 256;
// Folders deeper than this are not kept open while their sub-folders are walked (those
// are opened by their paths), so that a deep tree cannot use up the open files.
constexpr size_t kHeldFolders = 128;

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

// Closes a walked folder however its walk ends (also by an exception).
struct HeldFolder {
  FolderHandle handle;
  HeldFolder() = default;
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  ~HeldFolder() { FolderLister::CloseHandle(&handle); }
};

std::string folderWithSlash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder;
  return folder + '/';
}

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
  // Reused folder after folder: its buffers are allocated once, not per folder.
  FolderListing listing;
  // The sub-folder names of each level of the walk, reused likewise.
  std::vector<std::unique_ptr<FolderListing>> levels;
};

FolderScan::FolderScan() = default;

FolderScan::~FolderScan() {
  Stop();
  Join();
  DeleteNode(m_filtersNode);
  DeleteNode(m_settingsNode);
}

bool FolderScan::Configure(const ScanParams& params) {
  if (state() >= kReady) return false;
  m_foldersEntered = 0;
  m_root = params.root;
  m_excludes.clear();
  for (const std::string& path : params.excludes) m_excludes.push_back(withoutTrailingSlash(path));
  m_filtersNode = params.filters ? CloneNode(params.filters, nullptr, 1) : nullptr;
  m_settingsNode = params.settings ? CloneNode(params.settings, nullptr, 1) : nullptr;
  m_clock = params.clock;
  m_exclusionActive = !m_excludes.empty();
  m_state.store(kReady, std::memory_order_release);
  return true;
}

bool FolderScan::StartThread(int priority, const PriorityHook& hook) {
  if (m_started) return false;
  try {
    m_thread = std::thread([this, priority, hook] { run(priority, hook); });
  } catch (const std::system_error&) {
    return false;  // no thread to be had now; the run tries again on a later tick
  }
  m_started = true;
  return true;
}

void FolderScan::Stop() {
  int current = state();
  if (current == kReady &&
      m_state.compare_exchange_strong(current, kStopped, std::memory_order_acq_rel)) {
    return;
  }
  // The worker may have moved on meanwhile (to 2, or to 6 when it finished): only a
  // state still in 2..5 becomes a stop request.
  while (current >= kRunning && current <= kStopRequested &&
         !m_state.compare_exchange_weak(current, kStopRequested, std::memory_order_acq_rel)) {
  }
  if (current < kRunning || current > kStopRequested) return;
  while (state() == kStopRequested) std::this_thread::sleep_for(kPollStep);
  Join();
}

bool FolderScan::Resume() {
  int current = state();
  if (current != kPauseRequested && current != kPaused) return false;
  return m_state.compare_exchange_strong(current, kRunning, std::memory_order_acq_rel);
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

std::string FolderScan::StatusText() const {
  switch (state()) {
    case kNew:
    case kReady:
      return "ready";
    case kRunning:
      return std::to_string(foldersEntered()) + " folders...";
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
    prepareWorker();
    bool walked = false;
    {
      HeldFolder root;
      m_walker->enumerator.OpenRoot(m_root, &root.handle);  // unopenable: an empty root
      walked = walk(m_root, root.handle, 0);
    }
    m_walker.reset();  // the listing buffers are not needed any more
    if (walked) m_state.store(kCompleted, std::memory_order_release);
  } catch (...) {
    // Out of memory in the middle of a walk: what the index holds may be half filed,
    // so the scan ends as stopped and delivers nothing.
    m_index.reset();
    m_state.store(kStopped, std::memory_order_release);
  }
}

void FolderScan::prepareWorker() {
  m_walker = std::make_unique<Walker>();
  m_walker->filters.LoadFrom(m_filtersNode, m_clock ? *m_clock : m_walker->utcClock);
  m_walker->enumerator.SetFilters(&m_walker->judge);
  m_index = std::make_unique<DuplicateIndex>();
  m_index->Configure(m_settingsNode);
}

bool FolderScan::check() {
  // Called for every file: a plain read answers the common case without a locked
  // instruction.
  if (m_state.load(std::memory_order_relaxed) == kRunning) return true;
  int current = kPauseRequested;
  if (m_state.compare_exchange_strong(current, kPaused, std::memory_order_acq_rel)) {
    while (state() == kPaused) std::this_thread::sleep_for(kPollStep);
  }
  current = kStopRequested;
  return !m_state.compare_exchange_strong(current, kStopped, std::memory_order_acq_rel);
}

bool FolderScan::walk(const std::string& folder, FolderHandle& handle, size_t depth) {
  if (!check()) return false;
  FolderListing& listing = m_walker->listing;
  m_walker->enumerator.List(handle, folder, &listing);
  if (depth >= kHeldFolders) FolderLister::CloseHandle(&handle);  // see kHeldFolders
  const std::string prefix = folderWithSlash(folder);
  // Files go to the index in batches under one hold of the index lock; a stop asked
  // meanwhile is noticed after the batch (a stopped scan's index is never merged).
  const auto& files = listing.files();
  for (size_t begin = 0; begin < files.size();) {
    const size_t end = std::min(files.size(), begin + kFilesPerBatch);
    {
      std::lock_guard<std::mutex> lock(IndexLock());
      for (size_t i = begin; i < end; ++i)
        m_index->AddFileLocked(prefix, listing.NameOf(files[i]), files[i].size, files[i].modified);
    }
    begin = end;
    if (!check()) return false;
  }
  if (listing.folders().empty()) return true;
  // The shared listing is refilled below; only the sub-folders' names are kept here.
  auto& levels = m_walker->levels;
  if (levels.size() <= depth) levels.resize(depth + 1);
  if (!levels[depth]) levels[depth] = std::make_unique<FolderListing>();
  FolderListing& subfolders = *levels[depth];
  subfolders.Clear();
  for (const FolderListing::Folder& sub : listing.folders())
    subfolders.AddFolder(listing.NameOf(sub));
  std::string path;
  std::string name;
  for (const FolderListing::Folder& sub : subfolders.folders()) {
    name.assign(subfolders.NameOf(sub));
    path.assign(prefix).append(name);
    if (isExcluded(path)) continue;
    HeldFolder child;
    if (m_walker->enumerator.Enter(handle, name, path, &child.handle) < 0) continue;
    m_foldersEntered.fetch_add(1, std::memory_order_relaxed);
    if (!walk(path, child.handle, depth + 1)) return false;
  }
  return true;
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
