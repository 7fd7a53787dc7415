// WalkedFolders: the folders a search has walked, known by device and inode, so that a
// folder reached a second time (through a symbolic link given as a folder to search, a
// bind mount, or two included folders that are one) is walked once only: walked twice,
// each of its files would be grouped with itself, and removing such a "duplicate" would
// remove the only copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace tf {

class WalkedFolders {
 public:
  // True for the first claim of a folder in this set; false when some walk (this one or
  // another scan's, on another thread) has claimed it already.
  bool Claim(uint64_t device, uint64_t inode);
  void Clear();

 private:
  struct Id {
    uint64_t device;
    uint64_t inode;
    bool operator==(const Id&) const = default;
  };
  struct IdHash {
    size_t operator()(const Id& id) const {
      uint64_t h = id.inode * 0x9E3779B97F4A7C15ull ^ (id.device + 0x632BE59BD9B4E019ull);
      return static_cast<size_t>(h ^ (h >> 31));
    }
  };

  std::mutex m_lock;  // the scans of one search run on threads of their own
  std::unordered_set<Id, IdHash> m_ids;
};

}  // namespace tf
