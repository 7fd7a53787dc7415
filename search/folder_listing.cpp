#include "search/folder_listing.h"

#include <functional>

namespace tf {

void FolderListing::Clear() {
  m_names.clear();
  m_files.clear();
  m_folders.clear();
}

void FolderListing::AddFile(std::string_view name, int64_t size, int64_t modified, uint32_t links) {
  m_files.push_back(File{m_names.size(), name.size(), size, modified, links, false});
  m_names.append(name);
}

void FolderListing::AddUnreadFile(std::string_view name) {
  m_files.push_back(File{m_names.size(), name.size(), 0, 0, 0, true});
  m_names.append(name);
}

void FolderListing::AddFolder(std::string_view name) {
  m_folders.push_back(Folder{m_names.size(), name.size()});
  m_names.append(name);
}

void FolderListing::DropRepeatedFiles() {
  constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  const size_t count = m_files.size();
  if (count < 2) return;
  size_t slots = 4;
  while (slots < 2 * count) slots <<= 1;
  m_slots.assign(slots, kEmpty);
  const std::hash<std::string_view> hash;
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view name = NameOf(m_files[i]);
    size_t at = hash(name) & (slots - 1);
    bool repeated = false;
    for (; m_slots[at] != kEmpty; at = (at + 1) & (slots - 1)) {
      if (NameOf(m_files[m_slots[at]]) != name) continue;
      repeated = true;
      break;
    }
    if (repeated) continue;
    m_files[kept] = m_files[i];  // kept <= i: the files still to look at stay in place
    m_slots[at] = static_cast<uint32_t>(kept++);
  }
  m_files.resize(kept);
}

}  // namespace tf
