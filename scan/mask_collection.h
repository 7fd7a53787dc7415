// MaskCollection: a named, ordered set of mask groups ("Documents": "*.doc;*.txt;"),
// its index from masks to groups, the built-in groups, and its ".mcf" files.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "scan/mask_group.h"
#include "scan/mask_list.h"

namespace tf {

class MaskCollection {
 public:
  // LastError codes.
  static constexpr int kNoError = 0;
  static constexpr int kCannotCreateNode = 1;
  static constexpr int kNameExists = 2;
  static constexpr int kEmptyField = 3;
  // AssignFrom copies the groups numbered 1 to this.
  static constexpr int kMaxCopiedGroups = 99;
  static constexpr const char* kStyleSheet = "mcfilter.xsl";
  static constexpr const char* kRootName = "Filters";
  static constexpr const char* kExtension = ".mcf";

  MaskCollection();
  ~MaskCollection();
  MaskCollection(const MaskCollection&) = delete;
  MaskCollection& operator=(const MaskCollection&) = delete;

  // Adds a group while updating (refused otherwise, last error 0). The group takes
  // `group.number`, or the next number after the last when 0; a number already taken
  // moves that group and all after it up by one; a number past the end counts as the
  // next one, so numbers stay 1..Count(). Returns the number, or 0 with LastError set:
  // kEmptyField (name or masks empty), kNameExists, kCannotCreateNode.
  int AddGroup(const MaskGroup& group);
  // Deletes the group of that name; the groups after it move down by one.
  bool DeleteGroup(const std::string& name);
  bool GetGroup(int number, MaskGroup* out) const;
  bool FindGroup(const std::string& name, MaskGroup* out) const;
  // Exchanges the numbers of two groups; nothing when a == b or either is missing.
  void SwapNumbers(int a, int b);
  // Deletes every group and the index.
  void Clear();

  // While updating the mask index is dropped; ending an update rebuilds it.
  void SetUpdating(bool updating);
  bool IsUpdating() const { return m_updating; }
  void SetModified(bool modified) { m_modified = modified; }
  bool IsModified() const { return m_modified; }

  // Clear, then the groups 1..kMaxCopiedGroups of `other` in number order (up to the
  // first missing number), its modified flag and its name.
  void AssignFrom(const MaskCollection& other);
  // Clear, then the built-in groups; the collection is then modified.
  void AddBuiltInGroups();

  // Writes the ".mcf" file: through a temporary file beside it, so a failed write
  // leaves an older file as it was. Sets the collection name to the file's base name.
  bool SaveToFile(const std::string& path);
  // Reads a ".mcf" file. A file that cannot be read or is not a collection leaves the
  // collection unchanged (false); otherwise its groups replace the present ones, up to
  // the first that cannot be added, and the name becomes the file's base name.
  bool LoadFromFile(const std::string& path);

  // Report counting. Every group whose masks match `fileName` counts one more file
  // and adds the sizes; `temporary` (may be null) tells whether one of them is
  // temporary. Returns the number of groups that matched; 0 while updating.
  int Account(std::string_view fileName, int64_t size, int64_t size2, bool* temporary);
  void ResetCounters();
  // The n-th (from 0, in number order) group whose total size is not 0.
  bool GetCounted(int n, MaskGroup* out) const;

  // The numbers, ascending, of the groups that list `mask` (compared ignoring case);
  // empty while updating.
  std::vector<int> GroupsWithMask(std::string_view mask) const;
  // "New group N" with the smallest N from 1 that no group bears.
  std::string NewGroupName() const;

  int Count() const { return m_count; }
  int LastError() const { return m_lastError; }
  const std::string& Name() const { return m_name; }
  void SetName(const std::string& name) { m_name = name; }

 private:
  struct IndexedGroup {
    DataNode* node;
    MaskList masks;
  };

  DataNode* nodeOf(int number) const;
  DataNode* nodeNamed(const std::string& name) const;
  int lastNumber() const;
  // Sets the ids of the groups from `index` on to their place in the order.
  void renumberFrom(size_t index);
  // A new group node (not yet numbered or placed in the order); null when it cannot be
  // created.
  DataNode* makeNode(const MaskGroup& group);
  static void fill(const DataNode* node, MaskGroup* out);
  void rebuildIndex();
  void dropIndex();

  NodePtr m_root;                    // the groups are its children, in no particular order
  std::vector<DataNode*> m_ordered;  // group n is m_ordered[n - 1]
  std::unordered_map<std::string, DataNode*> m_byName;  // the groups by name
  int m_count = 0;
  bool m_modified = false;
  bool m_updating = false;
  int m_lastError = kNoError;
  std::string m_name;
  std::map<std::string, std::vector<DataNode*>> m_index;  // folded mask -> groups
  std::vector<IndexedGroup> m_compiled;                   // in number order
  FoldedName m_scratch;                                   // for Account
};

}  // namespace tf
