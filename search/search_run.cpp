#include "search/search_run.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string_view>
#include <vector>

#include "duplicates/folder_grouper.h"
#include "platform/folder_lister.h"
#include "platform/path_status.h"
#include "scan/folder_list.h"
#include "search/engine_platform.h"
#include "search/local_filter_clock.h"

namespace tf {

namespace {

bool isBusy(const FolderScan& scan) {
  const int state = scan.state();
  // A started worker may not have taken its first step yet: its folder is busy already.
  return (state >= FolderScan::kRunning && state <= FolderScan::kStopRequested &&
          state != FolderScan::kPaused) ||
         (state == FolderScan::kReady && scan.started());
}

std::string_view withoutTrailingSlash(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

// A folder listed twice, or below another listed folder, is scanned once, as part of
// the outer one: scanned twice, each of its files would be grouped with itself, and
// acting on such a "duplicate" would remove the only copy.
bool isCovered(const std::vector<std::string>& roots, size_t index) {
  for (size_t other = 0; other < roots.size(); ++other) {
    if (other == index) continue;
    if (IsBelow(roots[index], roots[other])) return true;
    if (other < index && withoutTrailingSlash(roots[other]) == withoutTrailingSlash(roots[index])) {
      return true;
    }
  }
  return false;
}

// The search folder a path was found under: the first folder listed that holds it and
// lies in no other listed folder (one below another is walked as part of it); -1 for
// none.
long rootOf(const std::vector<std::string>& roots, std::string_view path) {
  for (size_t i = 0; i < roots.size(); ++i)
    if (!isCovered(roots, i) && IsBelow(path, roots[i])) return static_cast<long>(i);
  return -1;
}

// Whether a finished group passes the criteria's group rules: files under two search
// folders or more, a file in a protected folder.
bool passesGroupRules(const DataNode* group, const DuplicateCriteria& criteria,
                      const std::vector<std::string>& roots,
                      const std::vector<std::string>& guarded) {
  long firstRoot = -1;
  bool across = false;
  bool guardedFile = false;
  for (const DataNode* file = group->FirstChild(); file; file = file->Next()) {
    const std::string path = FullName(file);
    if (criteria.acrossRoots && !across) {
      const long root = rootOf(roots, path);
      if (firstRoot < 0) firstRoot = root;
      across = root >= 0 && root != firstRoot;
    }
    if (criteria.withProtected && !guardedFile)
      guardedFile = !ProtectedFolderHolding(guarded, path).empty();
  }
  return (!criteria.acrossRoots || across) && (!criteria.withProtected || guardedFile);
}

}  // namespace

std::string FinishedStatusText(int64_t found) {
  if (found <= 0) return "Finished (NO FILES FOUND)";
  char text[64];
  std::snprintf(text, sizeof text, "Finished (%" PRId64 " files found)", found);
  return text;
}

bool ReadLinkIdentity(const std::string& path, LinkIdentity* out) {
  // Only a file with more than one name needs a record; most have one.
  FileIdentity identity;
  if (!ReadFileIdentity(path, &identity) || identity.names < 2) return false;
  *out = {identity.device, identity.inode};
  return true;
}

SearchRun::SearchRun() : SearchRun(Options()) {}

SearchRun::SearchRun(Options options) : m_options(std::move(options)) {
  if (!m_options.driveOf) m_options.driveOf = PlatformDriveOf;
  if (!m_options.spinningDisk) m_options.spinningDisk = PlatformOnSpinningDisk;
  if (!m_options.clock) {
    m_ownClock = std::make_unique<LocalFilterClock>();
    m_options.clock = m_ownClock.get();
  }
  if (!m_options.applyPriority) m_options.applyPriority = PlatformApplyScanPriority;
}

SearchRun::~SearchRun() {
  Reset();
}

bool SearchRun::Prepare(const DataNode* descriptor) {
  Reset();
  if (!descriptor) return false;
  m_descriptor.reset(CloneNode(descriptor, nullptr, 1));
  DataNode* folders = FindChild(m_descriptor.get(), "folders");
  if (!m_descriptor || !folders) return false;
  DataNode* include = FindChild(folders, "include");
  DataNode* filters = FindChild(m_descriptor.get(), "filters");
  m_criteria = ReadCriteria(FindChild(m_descriptor.get(), "settings"));
  std::vector<std::string> roots;
  for (DataNode* entry = include ? include->FirstChild() : nullptr; entry; entry = entry->Next())
    roots.emplace_back(entry->Name());
  for (size_t i = 0; i < roots.size(); ++i) {
    if (isCovered(roots, i)) continue;
    ScanParams params;
    params.root = roots[i];
    params.excludes = ExcludesUnder(m_descriptor.get(), params.root);
    params.filters = filters;
    params.criteria = m_criteria;
    params.clock = m_options.clock;
    params.walked = &m_walked;
    params.onEnd = [this] { wake(); };
    params.folderSums = m_options.findFolders;
    params.readAhead = !m_options.oneThreadPerDisk && !m_options.spinningDisk(params.root);
    // Where every request waits for a server, many in flight at once make the walk fast.
    if (params.readAhead && PlatformOnRoundTripFileSystem(params.root))
      params.readers = kRoundTripReaders;
    auto scan = std::make_unique<FolderScan>();
    if (!scan->Configure(params)) continue;
    m_drives.push_back(m_options.driveOf(params.root));
    m_scans.push_back(std::move(scan));
    ++m_ready;
  }
  m_state = kPrepared;
  progress();
  return true;
}

bool SearchRun::Start() {
  if (state() > kPrepared) return false;
  m_ticked = false;
  waitForMerge();
  m_wakePending.store(false, std::memory_order_relaxed);
  m_skipLinks.store(false, std::memory_order_relaxed);
  m_failure.clear();
  m_failedStarts = 0;
  m_links.Clear();
  m_folders.clear();
  m_result.Clear();
  m_walked.Clear();
  m_state = kRunning;
  Tick();
  return true;
}

void SearchRun::Tick() {
  if (m_formingStopped) {
    if (!m_mergeIdle.load(std::memory_order_acquire)) return;
    waitForMerge();
    m_formingStopped = false;
    m_state = kStopped;
    progress();
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  // A step is taken as soon as a scan or a merge has ended, so that the next scan or merge
  // never waits for the clock; without such news, once per tickMs to refresh the progress
  // (and to retry a thread that could not be had).
  if (state() == kRunning &&
      (!m_ticked || m_wakePending.exchange(false, std::memory_order_acq_rel) ||
       now - m_lastTick >= std::chrono::milliseconds(m_options.tickMs))) {
    if (m_running < kMaxRunningScans && m_ready > 0) startNextScan();
    if (m_mergeIdle.load(std::memory_order_acquire)) {
      for (auto& scan : m_scans) {
        if (scan->state() != FolderScan::kCompleted) continue;
        startMerge(scan.get());
        break;
      }
    }
    recount();
    m_lastTick = now;
    m_ticked = true;
    progress();
  }
  // The groups are formed on the merge thread, so that a big result never holds up the
  // thread that ticks (the window's); the tick only notices the end and reports it.
  if (state() == kFinalising) {
    if (m_mergeIdle.load(std::memory_order_acquire)) finishFinalise();
    return;
  }
  // A run that is reset, only prepared, stopped or cancelled never finalises: only a
  // running search can have found everything it was asked for. Merges still to come are
  // started one per tick and never waited for here.
  if (state() == kRunning && m_running == 0 && m_ready == 0 &&
      m_mergeIdle.load(std::memory_order_acquire) && !startCompletedMerge()) {
    startFinalise();
  }
}

void SearchRun::startNextScan() {
  for (size_t i = 0; i < m_scans.size(); ++i) {
    FolderScan& scan = *m_scans[i];
    const int current = scan.state();
    const bool waiting = current == FolderScan::kReady && !scan.started();
    if (!waiting && current != FolderScan::kPaused) continue;
    if (busyDrive(m_drives[i])) continue;
    if (!waiting) {
      if (scan.Resume()) return;
      continue;
    }
    if (scan.StartThread(m_options.priority, m_options.applyPriority)) {
      m_failedStarts = 0;
      return;  // one scan per tick
    }
    // Threads may be short for a moment; under a memory limit that leaves no room for a
    // thread's stack they never come, and the search must not wait for ever.
    if (++m_failedStarts >= kThreadTries)
      fail("no thread can be started to scan " + scan.Root() + ": " + scan.StartError());
    return;
  }
}

void SearchRun::fail(const std::string& reason) {
  stopScans();
  m_failure = reason;
  m_state = kStopped;
  setStatus("Search failed: " + reason);
  progress();
}

std::vector<std::string> SearchRun::UnreadFolders() const {
  std::vector<std::string> folders;
  for (const auto& scan : m_scans) {
    const std::vector<std::string> unread = scan->UnreadFolders();
    folders.insert(folders.end(), unread.begin(), unread.end());
  }
  return folders;
}

bool SearchRun::busyDrive(const std::string& drive) const {
  for (size_t i = 0; i < m_scans.size(); ++i)
    if (isBusy(*m_scans[i]) && m_drives[i] == drive) return true;
  return false;
}

bool SearchRun::startMerge(FolderScan* scan) {
  waitForMerge();
  scan->Join();  // the worker has ended its walk; let its thread go
  m_mergeIdle.store(false, std::memory_order_release);
  auto merge = [this, scan] {
    try {
      m_result.Merge(scan->Index());
    } catch (...) {
      // Out of memory: the groups merged so far stay; the scan counts as merged, and the
      // search says that its result is not whole.
      m_groupsCut.store(true, std::memory_order_release);
    }
    scan->Accept();
    m_mergeIdle.store(true, std::memory_order_release);
    wake();
  };
  try {
    m_mergeThread = std::thread(merge);
  } catch (const std::system_error&) {
    merge();  // no thread to spare: merged here, so that a search short of threads still ends
  }
  return true;
}

void SearchRun::waitForMerge() {
  if (m_mergeThread.joinable()) m_mergeThread.join();
}

bool SearchRun::startCompletedMerge() {
  for (auto& scan : m_scans) {
    if (scan->state() != FolderScan::kCompleted) continue;
    startMerge(scan.get());  // a thread that cannot be had now is tried on a later tick
    return true;
  }
  return false;
}

void SearchRun::startFinalise() {
  waitForMerge();
  for (const auto& scan : m_scans)
    if (scan->ranOutOfMemory() && m_failure.empty())
      m_failure = "out of memory while scanning " + scan->Root();
  m_running = -1;
  setStatus("Finalizing...");
  m_state = kFinalising;
  // Every scan has ended: the folders they walked need no more remembering, and the
  // memory goes to the groups' nodes.
  m_walked.Clear();
  m_mergeIdle.store(false, std::memory_order_release);
  auto work = [this] {
    finalise();
    m_mergeIdle.store(true, std::memory_order_release);
    wake();
  };
  try {
    m_mergeThread = std::thread(work);
  } catch (const std::system_error&) {
    work();  // no thread to spare: form the groups here
  }
}

void SearchRun::finishFinalise() {
  waitForMerge();
  const int64_t found = m_result.FileCount();
  if (m_groupsCut.exchange(false, std::memory_order_acq_rel) && m_failure.empty())
    m_failure = "out of memory: the groups found are not all there";
  if (!m_failure.empty()) {
    setStatus("Search failed: " + m_failure);  // what was found is shown, but not all
  } else {
    setStatus(FinishedStatusText(found));
  }
  m_state = kFinished;
  progress();
}

void SearchRun::recount() {
  m_running = 0;
  m_ready = 0;
  for (const auto& scan : m_scans) {
    const int current = scan->state();
    if (current >= FolderScan::kRunning && current <= FolderScan::kStopRequested) {
      ++m_running;
    } else if (current == FolderScan::kReady) {
      ++(scan->started() ? m_running : m_ready);
    }
  }
}

void SearchRun::StopAll() {
  stopAll(true);
}

void SearchRun::BeginStop() {
  const int current = state();
  if (current == kFinalising || current < kRunning || current > kStopping || m_formingStopped) {
    stopAll(true);
    return;
  }
  stopScans();
  m_mergeIdle.store(false, std::memory_order_release);
  m_formingStopped = true;
  try {
    m_mergeThread = std::thread([this] {
      formStoppedResult();
      m_mergeIdle.store(true, std::memory_order_release);
      wake();
    });
  } catch (const std::system_error&) {
    formStoppedResult();  // no thread to spare: form the groups here
    m_mergeIdle.store(true, std::memory_order_release);
  }
}

void SearchRun::stopAll(bool keepFound) {
  const int current = state();
  if (current == kFinalising || m_formingStopped) {
    // The walk is over; the groups being formed are kept whole.
    m_skipLinks.store(true, std::memory_order_relaxed);
    waitForMerge();
    m_formingStopped = false;
    m_state = kStopped;
    return;
  }
  if (current < kRunning || current > kStopping) return;
  stopScans();
  if (keepFound) formStoppedResult();
  m_state = kStopped;
}

void SearchRun::stopScans() {
  m_state = kStopping;
  // Every worker is asked first and then waited for, so that the wait for one worker to
  // notice covers all that run beside it.
  std::vector<FolderScan*> asked;
  for (auto& scan : m_scans) {
    const int scanState = scan->state();
    if (scanState >= FolderScan::kReady && scanState <= FolderScan::kCompleted &&
        scan->RequestStop()) {
      asked.push_back(scan.get());
    }
  }
  for (FolderScan* scan : asked) scan->WaitForStop();
  waitForMerge();
}

// The result lists show what a stopped search found so far: a stopped scan's index holds
// whole batches of files, as good as a finished one's up to where it stopped. Runs on the
// merge thread or, with none running, on the calling one.
void SearchRun::formStoppedResult() {
  for (auto& scan : m_scans) {
    const int scanState = scan->state();
    if (scanState != FolderScan::kCompleted && scanState != FolderScan::kStopped) continue;
    try {
      m_result.Merge(scan->Index());
    } catch (...) {
      // Out of memory: the groups merged so far stay.
      m_groupsCut.store(true, std::memory_order_release);
    }
    if (scanState == FolderScan::kCompleted) {
      scan->Accept();
    } else {
      scan->Index().reset();
    }
  }
  finalise();
}

void SearchRun::finalise() {
  try {
    // Files that no other file of their own scan shared were filed by name alone: those
    // that another scan's file joins are read now.
    m_result.ReadUnread(
        [](const std::string& path, int64_t* size, int64_t* modified, uint32_t* links) {
          StatInfo info;
          if (!FolderLister::StatFileAt(-1, path, &info)) return false;
          *size = info.size;
          *modified = info.modified;
          *links = info.links;
          return true;
        });
    if (m_options.findFolders) formFolderGroups();
    // Without criteria no scan filed a file: there is no result to split.
    const FilterClock* clock = m_options.clock;
    m_result.Finalise(m_criteria.value_or(DuplicateCriteria{}),
                      [clock](int64_t fileTime, CalendarTime* out) {
                        *out = clock->ToLocal(fileTime);
                        return true;
                      });
    const DuplicateCriteria criteria = m_criteria.value_or(DuplicateCriteria{});
    if (criteria.acrossRoots || criteria.withProtected) {
      const std::vector<std::string> roots = IncludePaths(m_descriptor.get());
      const std::vector<std::string> guarded = ProtectedFolders(m_descriptor.get());
      m_result.KeepGroupsWhere([&criteria, &roots, &guarded](const DataNode* group) {
        return passesGroupRules(group, criteria, roots, guarded);
      });
    }
    if (m_result.Incomplete()) m_groupsCut.store(true, std::memory_order_release);
    // Before the hard links are read, so that no hidden file costs a statx.
    hideGroups();
    if (m_options.readHardLinks) m_links.Build(m_result.Root(), ReadLinkIdentity, &m_skipLinks);
  } catch (...) {
    // Out of memory: the groups formed so far stay, but the search says it failed.
    m_groupsCut.store(true, std::memory_order_release);
  }
}

void SearchRun::formFolderGroups() {
  DuplicateIndex* map = m_result.Map();
  if (!map) return;
  const DuplicateCriteria criteria = m_criteria.value_or(DuplicateCriteria{});
  FolderGroups groups = FormFolderGroups(*map, criteria);
  if (criteria.acrossRoots || criteria.withProtected) {
    const std::vector<std::string> roots = IncludePaths(m_descriptor.get());
    const std::vector<std::string> guarded = ProtectedFolders(m_descriptor.get());
    std::erase_if(groups, [&](const FolderGroup& group) {
      long firstRoot = -1;
      bool across = false;
      bool guardedFolder = false;
      for (const DuplicateFolder& folder : group.folders) {
        const long root = rootOf(roots, folder.path);
        if (firstRoot < 0) firstRoot = root;
        across = across || (root >= 0 && root != firstRoot);
        // A folder holds protected files when it lies in a protected folder or holds one.
        for (const std::string& guard : guarded)
          guardedFolder = guardedFolder || IsBelow(guard, folder.path) ||
                          !ProtectedFolderHolding({guard}, folder.path + "/").empty();
      }
      return (criteria.acrossRoots && !across) || (criteria.withProtected && !guardedFolder);
    });
  }
  m_folders = std::move(groups);
}

void SearchRun::Cancel() {
  waitForMerge();
  m_state = kCancelled;
  m_result.ClearMap();
}

void SearchRun::Reset() {
  stopAll(false);  // the result goes anyway
  waitForMerge();
  m_state = kReset;
  m_running = 0;
  m_ready = 0;
  m_links.Clear();
  m_folders.clear();
  m_result.Clear();
  m_scans.clear();  // each scan waits for its worker
  m_drives.clear();
  m_descriptor.reset();
  m_criteria.reset();
  m_ticked = false;
}

void SearchRun::Adopt(const DataNode* descriptor, DataNode* root, HardLinks links) {
  Reset();
  m_descriptor.reset(descriptor ? CloneNode(descriptor, nullptr, 1) : nullptr);
  m_criteria = ReadCriteria(FindChild(m_descriptor.get(), "settings"));
  m_result.Adopt(root);
  m_links = std::move(links);
  hideGroups();
  m_statusLine = FinishedStatusText(m_result.FileCount());
  m_state = kCancelled;
}

void SearchRun::hideGroups() {
  DataNode* root = m_result.Root();
  if (!m_options.hideGroup || !root) return;
  for (DataNode* group = root->FirstChild(); group;) {
    DataNode* next = group->Next();
    if (m_options.hideGroup(group)) {
      // Taken out file by file as an action would, so that the totals stay right; the
      // last but one takes the group with it.
      for (int answer = 1; answer == 1;) {
        DataNode* file = group->FirstChild();
        if (!file) break;
        m_links.BeforeRemove(file);
        answer = m_result.RemoveFile(file, true);
        if (answer == 0) break;
      }
    }
    group = next;
  }
}

bool SearchRun::StatusOf(const std::string& folder, std::string* text) const {
  if (text) text->clear();
  for (const auto& scan : m_scans) {
    if (scan->Root() != folder) continue;
    if (text) *text = scan->StatusText();
    return true;
  }
  return false;
}

bool SearchRun::RemoveFolder(const std::string& path) {
  bool found = false;
  for (size_t g = 0; g < m_folders.size() && !found; ++g) {
    auto& folders = m_folders[g].folders;
    const auto at = std::find_if(folders.begin(), folders.end(),
                                 [&path](const DuplicateFolder& f) { return f.path == path; });
    if (at == folders.end()) continue;
    folders.erase(at);
    if (folders.size() < 2) m_folders.erase(m_folders.begin() + static_cast<std::ptrdiff_t>(g));
    found = true;
  }
  if (!found) return false;
  // Its files leave their file groups as a file sent away one by one would.
  DataNode* root = m_result.Root();
  for (DataNode* group = root ? root->FirstChild() : nullptr; group;) {
    DataNode* nextGroup = group->Next();
    for (DataNode* file = group->FirstChild(); file;) {
      DataNode* nextFile = file->Next();
      if (IsBelow(FullName(file), path) && RemoveFile(file, true) == 2) break;
      file = nextFile;
    }
    group = nextGroup;
  }
  return true;
}

bool SearchRun::RejoinFolder(const FolderGroup& was, const std::string& path,
                             const std::function<bool(const std::string&)>& inPlace) {
  const auto grouped = [this](const std::string& folder) {
    for (const FolderGroup& group : m_folders)
      for (const DuplicateFolder& f : group.folders)
        if (f.path == folder) return true;
    return false;
  };
  const auto byPath = [](const DuplicateFolder& a, const DuplicateFolder& b) {
    return a.path < b.path;
  };
  const auto back = std::find_if(was.folders.begin(), was.folders.end(),
                                 [&path](const DuplicateFolder& f) { return f.path == path; });
  if (back == was.folders.end() || grouped(path)) return false;
  for (FolderGroup& group : m_folders) {
    if (group.signature[0] != was.signature[0] || group.signature[1] != was.signature[1] ||
        group.files != was.files || group.size != was.size)
      continue;
    group.folders.insert(
        std::upper_bound(group.folders.begin(), group.folders.end(), *back, byPath), *back);
    return true;
  }
  FolderGroup made = was;
  made.folders.clear();
  for (const DuplicateFolder& f : was.folders)
    if (f.path == path || (!grouped(f.path) && inPlace(f.path))) made.folders.push_back(f);
  if (made.folders.size() < 2) return false;
  m_folders.push_back(std::move(made));
  return true;
}

int SearchRun::RemoveFile(DataNode* file, bool dropGroup) {
  m_links.BeforeRemove(file);
  return m_result.RemoveFile(file, dropGroup);
}

void SearchRun::setStatus(const std::string& text) {
  m_statusLine = text;
  if (m_options.onStatus) m_options.onStatus(text);
}

void SearchRun::progress() {
  if (m_options.onProgress) m_options.onProgress();
}

void SearchRun::wake() {
  m_wakePending.store(true, std::memory_order_release);
  if (!m_options.onWork) return;
  try {
    m_options.onWork();
  } catch (...) {
    // The owner could not be told; it takes the step on its clock instead.
  }
}

}  // namespace tf
