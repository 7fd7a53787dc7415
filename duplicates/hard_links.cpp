#include "duplicates/hard_links.h"

#include <map>
#include <utility>
#include <vector>

namespace tf {

void HardLinks::Build(DataNode* root, const LinkIdentityOf& identityOf,
                      const std::atomic<bool>* giveUp) {
  m_sets.clear();
  if (!root || !identityOf) return;
  std::map<std::pair<uint64_t, uint64_t>, std::vector<const DataNode*>> byIdentity;
  for (DataNode* group = root->FirstChild(); group; group = group->Next())
    for (DataNode* file = group->FirstChild(); file; file = file->Next()) {
      // Relaxed: the flag only shortens the work; the thread that set it joins this one.
      if (giveUp && giveUp->load(std::memory_order_relaxed)) return;
      LinkIdentity identity;
      if (file->kind == 0 && file->group != kFileWithOneName &&
          identityOf(FullName(file), &identity))
        byIdentity[{identity.device, identity.inode}].push_back(file);
    }
  uint32_t next = 1;
  for (const auto& [identity, names] : byIdentity) {
    if (names.size() < 2) continue;  // its other names are not among the results
    for (const DataNode* file : names) m_sets.emplace(file, next);
    ++next;
  }
  if (m_sets.empty()) return;
  for (DataNode* group = root->FirstChild(); group; group = group->Next()) {
    std::vector<uint32_t> counted;
    for (DataNode* file = group->FirstChild(); file; file = file->Next()) {
      const uint32_t set = SetOf(file);
      if (!set) continue;
      bool seen = false;
      for (uint32_t earlier : counted) seen = seen || earlier == set;
      if (seen)
        group->val -= file->val;
      else
        counted.push_back(set);
    }
  }
}

void HardLinks::Clear() {
  m_sets.clear();
}

uint32_t HardLinks::SetOf(const DataNode* file) const {
  if (m_sets.empty()) return 0;
  const auto found = m_sets.find(file);
  return found == m_sets.end() ? 0 : found->second;
}

void HardLinks::BeforeRemove(DataNode* file) {
  const uint32_t set = SetOf(file);
  if (!set) return;
  m_sets.erase(file);
  DataNode* group = file->Parent();
  if (!group) return;
  for (const DataNode* other = group->FirstChild(); other; other = other->Next())
    if (other != file && SetOf(other) == set) {
      group->val += file->val;
      return;
    }
}

}  // namespace tf
