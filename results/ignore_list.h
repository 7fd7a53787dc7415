// IgnoreList: the groups the user said are not duplicates, each kept as the set of its
// files' paths; the rule that hides a group while all its files belong to one entry, and
// the list's stored form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datatree/data_node.h"

namespace tf {

class IgnoreList {
 public:
  // Byte-exact paths in byte order, each once.
  using Entry = std::vector<std::string>;
  enum class Added { kAdded, kAlreadyThere, kTooFew };

  const std::vector<Entry>& Entries() const { return m_entries; }
  bool Empty() const { return m_entries.empty(); }

  // Adds the set of `paths` as an entry at the end. kTooFew for fewer than two different
  // paths (no group has fewer files), kAlreadyThere when an entry holds the same set.
  Added Add(std::vector<std::string> paths);
  // Removes the entry at `index` (0-based); false when there is none.
  bool RemoveAt(size_t index);
  // Removes the entry that holds exactly the set of `paths`; false when none does. The
  // way to remove what a view showed, whatever changed the list since it was read.
  bool Remove(std::vector<std::string> paths);
  void Clear();

  // True when every one of `paths` belongs to one entry: the group they form is hidden.
  // A group that another file joined shows again, whole.
  bool Hides(const std::vector<std::string>& paths) const;
  // The same for a group node of a result (its file nodes' whole names).
  bool HidesGroup(const DataNode* group) const;

  // The stored form: JSON, {"format":"twinfold-ignored","version":1,"entries":[{"paths":
  // [{"path":"..."},...]},...]}, a path that is not UTF-8 with its exact bytes in
  // "path_base64" beside it.
  std::string ToJson() const;
  // Replaces the list by the one `text` holds; false (the list unchanged) with a reason
  // in *error for anything that is not that form whole.
  bool FromJson(std::string_view text, std::string* error);

 private:
  void index(uint32_t entry);
  void reindex();

  std::vector<Entry> m_entries;
  // Each path's entries, for the rule: a group costs one look-up unless its first file is
  // in the list.
  std::unordered_map<std::string, std::vector<uint32_t>> m_byPath;
};

}  // namespace tf
