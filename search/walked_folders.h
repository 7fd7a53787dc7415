// WalkedFolders: the folders a search has walked, known by device and inode, so that a
// folder reached a second time (through a symbolic link given as a folder to search, a
// bind mount, or two included folders that are one) is walked once only: walked twice,
// each of its files would be grouped with itself, and removing such a "duplicate" would
// remove the only copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace tf {

class WalkedFolders {
 public:
  // True for the first claim of a folder in this set; false when some walk (this one or
  // another scan's, on another thread) has claimed it already.
  bool Claim(uint64_t device, uint64_t inode);
  void Clear();

 private:
  bool insert(uint64_t key);

  std::mutex m_lock;  // the scans of one search run on threads of their own
  // Every folder costs one claim, so the common case is one word in an open-addressing
  // table: the device's number in m_devices above an inode below 2^48. Others go to
  // m_others.
  std::vector<uint64_t> m_devices;
  std::vector<uint64_t> m_slots;  // key + 1; 0 is empty
  size_t m_used = 0;
  std::set<std::pair<uint64_t, uint64_t>> m_others;
};

}  // namespace tf
