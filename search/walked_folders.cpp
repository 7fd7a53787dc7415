#include "search/walked_folders.h"

namespace tf {

bool WalkedFolders::Claim(uint64_t device, uint64_t inode) {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_ids.insert(Id{device, inode}).second;
}

void WalkedFolders::Clear() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_ids.clear();
}

}  // namespace tf
