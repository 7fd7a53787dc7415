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
  std::lock_guard<std::mutex> lock(EnumerationLock());
  if (!m_lister->Open(folder)) return true;  // counts as an empty folder
  return listOpen(out);
}

bool FolderEnumerator::List(const FolderHandle& folder, const std::string& path,
                            FolderListing* out) {
  if (!out) return false;
  out->Clear();
  std::lock_guard<std::mutex> lock(EnumerationLock());
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

bool FolderEnumerator::listOpen(FolderListing* out) {
  while (m_lister->Next()) {
    const std::string& name = m_lister->name();
    if (m_lister->kind() == EntryKind::kFolder) {
      out->AddFolder(name);
      continue;
    }
    if (m_lister->kind() != EntryKind::kFile) continue;
    if (m_filters && !m_filters->AcceptName(name)) continue;
    StatInfo info{};
    if (!m_lister->Stat(&info)) continue;  // vanished since the listing
    if (m_filters) {
      const EntryDetails details{info.size, info.created, info.accessed, info.modified,
                                 info.attributes};
      if (!m_filters->AcceptDetails(name, details)) continue;
    }
    out->AddFile(name, info.size, info.modified);
  }
  m_lister->Close();
  out->DropRepeatedFiles();
  return true;
}

}  // namespace tf
