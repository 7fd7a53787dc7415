#include "search/folder_listing.h"

namespace tf {

void FolderListing::Clear() {
  m_names.clear();
  m_files.clear();
  m_folders.clear();
}

void FolderListing::AddFile(std::string_view name, int64_t size, int64_t modified) {
  m_files.push_back(File{m_names.size(), name.size(), size, modified});
  m_names.append(name);
}

void FolderListing::AddFolder(std::string_view name) {
  m_folders.push_back(Folder{m_names.size(), name.size()});
  m_names.append(name);
}

}  // namespace tf
