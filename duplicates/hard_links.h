// HardLinks: which files of a result are other names of one file (the same device and
// inode), so that the lists can mark them, a group's "Size w/dup" counts their bytes once
// and the selection helpers never take one name of a file for a kept copy of it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "datatree/data_node.h"

namespace tf {

// The identity of the file a path names: false when it cannot be read or the file has
// only one name (so that it needs no record). The platform's ReadFileIdentity gives it.
struct LinkIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
};
using LinkIdentityOf = std::function<bool(const std::string& path, LinkIdentity* out)>;

// The `group` of a result's file node that the walk saw having one name only: no other
// name of it can be among the results, so Build does not read its identity.
constexpr int32_t kFileWithOneName = 1;

class HardLinks {
 public:
  // Forgets the last result, reads the identity of every file in the groups under `root`
  // and records the files that share theirs with another file of the result; each group's
  // total (val) then counts the bytes of such a file once. Call once per new result: the
  // totals are changed in place. When `giveUp` turns true the reading ends early and
  // nothing is recorded or changed (a search stopped while its groups are formed).
  void Build(DataNode* root, const LinkIdentityOf& identityOf,
             const std::atomic<bool>* giveUp = nullptr);
  void Clear();

  // The number shared by every name of one file (1, 2, ...), or 0 for a file that is the
  // only name of its file among the results.
  uint32_t SetOf(const DataNode* file) const;
  bool Empty() const { return m_sets.empty(); }

  // To be called just before `file` leaves its group: when another name of its file stays
  // in the group, the bytes that its total counted once are given back first, so that the
  // group's shrinking by the file's size leaves them counted once still.
  void BeforeRemove(DataNode* file);

 private:
  // Nodes are compared and looked up, never read through this table after they went.
  std::unordered_map<const DataNode*, uint32_t> m_sets;
};

}  // namespace tf
