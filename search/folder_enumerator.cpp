#include "search/folder_enumerator.h"

#include "platform/folder_lister.h"

namespace tf {

std::mutex& EnumerationLock() {
  static std::mutex lock;
  return lock;
}

FolderEnumerator::FolderEnumerator() : m_lister(std::make_unique<FolderLister>()) {}

FolderEnumerator::~FolderEnumerator() = default;

bool FolderEnumerator::SetFilters(EntryFilter* filters) {
  m_filters = filters;
  return filters != nullptr;
}

bool FolderEnumerator::List(const std::string& folder, FolderListing* out) {
  if (!out) return false;
  out->Clear();
  std::unique_lock<std::mutex> lock(EnumerationLock(), std::defer_lock);
  if (m_serialised) lock.lock();
  if (!m_lister->Open(folder)) return true;  // counts as an empty folder
  return listOpen(out);
}

bool FolderEnumerator::List(const FolderHandle& folder, const std::string& path,
                            FolderListing* out) {
  if (!out) return false;
  out->Clear();
  std::unique_lock<std::mutex> lock(EnumerationLock(), std::defer_lock);
  if (m_serialised) lock.lock();
  if (!m_lister->Open(folder, path)) return true;  // counts as an empty folder
  return listOpen(out);
}

bool FolderEnumerator::OpenRoot(const std::string& path, FolderHandle* out) {
  return m_lister->OpenHandle(path, out);
}

int FolderEnumerator::Enter(const FolderHandle& parent, const std::string& name,
                            const std::string& path, FolderHandle* out) {
  return m_lister->OpenChild(parent, name, path, out);
}

int FolderEnumerator::OpenBelow(const FolderHandle& root, const std::string& relative,
                                FolderHandle* out) {
  return m_lister->OpenBelow(root, relative, out);
}

bool FolderEnumerator::listOpen(FolderListing* out) {
  while (m_lister->Next()) {
    if (m_cancel && m_cancel->load(std::memory_order_relaxed)) break;
    const std::string& name = m_lister->name();
    if (m_lister->kind() == EntryKind::kFolder) {
      out->AddFolder(name);
      continue;
    }
    if (m_lister->kind() != EntryKind::kFile) continue;
    if (m_filters && !m_filters->AcceptName(name)) continue;
    if (m_namesOnly && !m_lister->statTaken()) {
      out->AddUnreadFile(name);
      continue;
    }
    StatInfo info{};
    // No filter judges attributes when names alone decide.
    if (!m_lister->Stat(&info, !m_namesOnly)) continue;  // vanished since the listing
    if (m_filters) {
      const EntryDetails details{info.size, info.created, info.accessed, info.modified,
                                 info.attributes};
      if (!m_filters->AcceptDetails(name, details)) continue;
    }
    out->AddFile(name, info.size, info.modified, info.links);
  }
  m_lister->Close();
  out->DropRepeatedFiles();
  return true;
}

}  // namespace tf
