#include "app/search_control.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/remembered_search.h"
#include "datatree/node_ptr.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "scan/folder_list.h"
#include "search/search_descriptor.h"
#include "search/search_run.h"

namespace tf {

namespace {

// Tries the lock every millisecond until `milliseconds` have passed. The status line is
// hardly ever contended, so polling costs nothing, and unlike the timed wait of
// std::timed_mutex it is seen by the thread checker.
bool lockWithin(std::unique_lock<std::mutex>& lock, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (lock.try_lock()) return true;
  }
  return false;
}

}  // namespace

SearchControl::SearchControl(SearchDescriptor* descriptor, SearchPanes* panes, Options options)
    : m_descriptor(descriptor), m_panes(panes), m_options(std::move(options)) {}

SearchControl::~SearchControl() {
  Detach();
}

int64_t SearchControl::now() const {
  if (m_options.clock) return m_options.clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SearchControl::waitCursor(bool on) {
  if (m_panes) m_panes->SetWaitCursor(on);
}

int SearchControl::StartSearch() {
  waitCursor(true);
  m_unrecorded = false;
  m_removed.Clear();
  m_removedFolders.clear();
  bool listsEmptied = false;
  if (m_run) {
    // The lists point into the result that is about to go, so they are emptied first,
    // also when no new search can start after all.
    if (m_panes) m_panes->OnSearchStarted();
    listsEmptied = true;
    m_run->Reset();  // stops every scan and waits for it
    m_run.reset();
    m_stopPending = false;
    m_failureShown = false;
    ++m_generation;
  }
  if (!m_descriptor || !HasUsableInclude(m_descriptor->Root())) {
    waitCursor(false);
    return 0;
  }
  if (m_panes) {
    if (!listsEmptied) m_panes->OnSearchStarted();
    m_panes->ClearProgress();
  }
  m_run = newRun();
  SetStatusText(kStatusScanning);
  // The run keeps its own copy of the descriptor: later edits reach only the next search.
  if (m_run->Prepare(m_descriptor->Root()) && m_run->Start() && m_panes)
    m_panes->SetSearching(true);
  waitCursor(false);
  return 1;
}

std::unique_ptr<SearchRun> SearchControl::newRun() {
  SearchRun::Options runOptions;
  runOptions.tickMs = m_options.tickMs;
  runOptions.priority = m_options.priority;
  runOptions.oneThreadPerDisk = m_options.oneThreadPerDisk;
  // Both are called from Tick, on this thread.
  runOptions.onStatus = [this](const std::string& text) { SetStatusText(text); };
  runOptions.onProgress = [this] { RefreshProgress(); };
  runOptions.onWork = m_options.wake;
  runOptions.readHardLinks = true;  // the lists mark them and the helpers need them
  m_foldersSearched = m_descriptor && m_descriptor->Criteria().findFolders;
  runOptions.findFolders = m_foldersSearched;
  if (m_options.hiddenGroups) runOptions.hideGroup = m_options.hiddenGroups();
  return std::make_unique<SearchRun>(std::move(runOptions));
}

int SearchControl::ShowSavedResult(const DataNode* descriptor, DataNode* root, HardLinks links) {
  waitCursor(true);
  m_removed.Clear();
  m_removedFolders.clear();
  // The lists point into the result that is about to go.
  if (m_panes) m_panes->OnSearchStarted();
  if (m_run) m_run->Reset();
  m_stopPending = false;
  m_flashDeadline.reset();
  if (m_descriptor && m_descriptor->Root() && descriptor)
    ReplaceDescriptorParts(m_descriptor->Root(), descriptor);
  m_run = newRun();
  m_run->Adopt(descriptor, root, std::move(links));
  m_unrecorded = descriptor == nullptr;
  m_foldersSearched = false;  // a results file keeps no folder groups
  showAdopted();
  waitCursor(false);
  return 1;
}

void SearchControl::showAdopted() {
  ++m_generation;
  if (m_panes) {
    m_panes->SetSearching(false);
    m_panes->OnSearchFinished();
    m_panes->RefreshProgress();
  }
  SetStatusText(m_run->StatusLine());
}

int SearchControl::ReplaceResult(DataNode* root, HardLinks links) {
  if (!m_run || CanStop()) {
    DeleteNode(root);
    return 0;
  }
  // Adopt forgets the run's descriptor first: it takes a copy.
  NodePtr descriptor(m_run->Descriptor() ? CloneNode(m_run->Descriptor(), nullptr, 1) : nullptr);
  if (m_panes) m_panes->OnSearchStarted();
  m_run->Adopt(descriptor.get(), root, std::move(links));
  showAdopted();
  return 1;
}

int SearchControl::StopSearch() {
  if (!m_run) {
    SetStatusText(std::string());
    return 1;
  }
  SetStatusText(kStatusStopped);
  // The groups found so far are formed on the run's merge thread, so that stopping a big
  // search does not stall the window; the lists show them on the tick that sees them done.
  m_run->BeginStop();
  if (m_panes) m_panes->SetSearching(false);
  m_stopPending = true;
  showStopped();
  return 1;
}

void SearchControl::showStopped() {
  if (!m_stopPending || !m_run || m_run->state() == SearchRun::kStopping) return;
  m_stopPending = false;
  if (m_panes) {
    m_panes->OnSearchFinished();
    m_panes->RefreshProgress();
  }
}

int SearchControl::FinishSearch() {
  if (!m_run) return 1;
  waitCursor(true);
  // The state leaves 7 here, so the next tick does not finish the search again.
  m_run->Cancel();
  ++m_generation;
  if (m_panes) {
    m_panes->SetSearching(false);
    m_panes->OnSearchFinished();
    m_panes->RefreshProgress();
  }
  const int64_t start = now();
  const bool active = m_panes && m_panes->IsActive();
  m_flashDeadline = start + (active ? kFlashActiveMs : kFlashInactiveMs);
  m_nextFlash = start + kFlashIntervalMs;
  if (m_panes) m_panes->Flash();
  waitCursor(false);
  return 1;
}

int SearchControl::SetStatusText(const std::string& text) {
  std::unique_lock<std::mutex> lock(m_statusLock, std::try_to_lock);
  if (!lock && !lockWithin(lock, m_statusWaitMs)) return 0;
  if (m_panes) m_panes->SetStatusLine(text);
  return 1;
}

int SearchControl::RefreshProgress() {
  if (m_panes) m_panes->RefreshProgress();
  return 1;
}

int SearchControl::ChangeIncludeFolder(bool add, const std::string& path) {
  if (!m_descriptor) return 0;
  DataNode* root = m_descriptor->Root();
  const int result = add ? AddInclude(root, path) : (RemoveInclude(root, path) ? 1 : 0);
  SetStatusText(HasUsableInclude(root) ? kStatusClickToStart : kStatusChooseFolders);
  RefreshProgress();
  return result;
}

int SearchControl::ChangeExcludeFolder(bool add, const std::string& path) {
  if (!m_descriptor) return 0;
  DataNode* root = m_descriptor->Root();
  const int result = add ? AddExclude(root, path) : (RemoveExclude(root, path) ? 1 : 0);
  RefreshProgress();
  return result;
}

void SearchControl::Tick() {
  if (m_flashDeadline) {
    const int64_t time = now();
    if (time >= *m_flashDeadline) {
      m_flashDeadline.reset();
      if (m_panes) m_panes->StopFlash();
    } else if (time >= m_nextFlash) {
      if (m_panes) m_panes->Flash();
      m_nextFlash = time + kFlashIntervalMs;
    }
  }
  if (!m_run) return;
  m_run->Tick();
  showStopped();
  if (m_run->state() == SearchRun::kFinished) FinishSearch();
  // A search that could not go on (no thread to be had) ends; the status line says why.
  if (!m_run->Failure().empty() && !m_failureShown) {
    m_failureShown = true;
    if (m_panes) {
      m_panes->SetSearching(false);
      m_panes->OnSearchFinished();
    }
  }
}

void SearchControl::OnActivate(bool active) {
  if (!active || !m_flashDeadline) return;
  m_flashDeadline.reset();
  if (m_panes) m_panes->StopFlash();
}

bool SearchControl::CanStart() const {
  return m_descriptor && HasUsableInclude(m_descriptor->Root());
}

bool SearchControl::CanStop() const {
  return m_run && m_run->state() == SearchRun::kRunning;
}

DataNode* SearchControl::GroupsRoot() const {
  return m_run ? m_run->ResultRoot() : nullptr;
}

uint64_t SearchControl::ResultGeneration() {
  if (m_run && m_run->TakeResultChanged()) ++m_generation;
  return m_generation;
}

const HardLinks* SearchControl::HardLinkSets() const {
  return m_run ? &m_run->Links() : nullptr;
}

int SearchControl::RemoveFile(DataNode* file) {
  if (!m_run) return 0;
  m_removed.Remember(file);
  const int result = m_run->RemoveFile(file, true);
  if (result) ResultGeneration();
  return result;
}

const FolderGroups* SearchControl::Folders() const {
  return m_run && m_foldersSearched && !CanStop() ? &m_run->Folders() : nullptr;
}

bool SearchControl::RemoveFolder(const std::string& path) {
  if (!m_run || CanStop()) return false;
  if (const DataNode* root = GroupsRoot())
    for (const DataNode* group = root->FirstChild(); group; group = group->Next())
      for (const DataNode* file = group->FirstChild(); file; file = file->Next())
        if (IsBelow(FullName(file), path)) m_removed.Remember(file);
  // A folder of another group may lie inside it (its copy elsewhere is no copy of the
  // folder's parent): it left with the folder, so it leaves its group too.
  std::vector<std::string> inside;
  for (const FolderGroup& group : m_run->Folders())
    for (const DuplicateFolder& folder : group.folders) {
      if (folder.path == path || IsBelow(folder.path, path))
        m_removedFolders.emplace_back(folder.path, group);
      if (IsBelow(folder.path, path)) inside.push_back(folder.path);
    }
  for (const std::string& folder : inside) m_run->RemoveFolder(folder);
  const bool removed = m_run->RemoveFolder(path);
  ++m_generation;
  return removed;
}

int SearchControl::RejoinFiles(const std::vector<std::string>& paths) {
  if (!m_run || CanStop()) return 0;
  std::vector<std::string> files = paths;
  for (const std::string& path : paths) {
    const std::vector<std::string> below = m_removed.PathsBelow(path);
    files.insert(files.end(), below.begin(), below.end());
  }
  int count = m_removed.Rejoin(GroupsRoot(), files);
  // The listed folders that came back (a folder brings back those below it).
  std::vector<std::pair<std::string, FolderGroup>> back;
  for (auto it = m_removedFolders.begin(); it != m_removedFolders.end();) {
    const bool cameBack = std::any_of(paths.begin(), paths.end(), [&](const std::string& path) {
      return it->first == path || IsBelow(it->first, path);
    });
    if (!cameBack) {
      ++it;
      continue;
    }
    back.push_back(std::move(*it));
    it = m_removedFolders.erase(it);
  }
  // A folder of a group that went comes back with the other folders of the group that
  // are still in their places (not away themselves).
  const auto inPlace = [this](const std::string& folder) {
    for (const auto& [away, group] : m_removedFolders)
      if (folder == away || IsBelow(folder, away)) return false;
    PathStatus st;
    return StatPath(folder, &st, false) && st.folder;
  };
  for (const auto& [folder, group] : back)
    if (m_run->RejoinFolder(group, folder, inPlace)) ++count;
  if (count) ++m_generation;
  return count;
}

std::string SearchControl::FolderStatus(const std::string& path) const {
  std::string text;
  if (m_run) m_run->StatusOf(path, &text);
  return text;
}

void SearchControl::Detach() {
  m_panes = nullptr;
  if (m_run) m_run->Reset();
  m_run.reset();
  m_stopPending = false;
  m_descriptor = nullptr;
  m_flashDeadline.reset();
}

}  // namespace tf
