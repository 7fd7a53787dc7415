// DuplicateIndex: files one folder scan's files under their group keys and builds the
// group nodes of that scan's result tree as soon as a key has a second file.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/duplicate_key.h"
#include "duplicates/text_arena.h"

namespace tf {

// The value stored per key: the first file met under the key. Lean on purpose (one per
// scanned file): the name lives in the index's arena and the folder is shared.
struct FileRecord {
  const char* name = nullptr;  // file name, not NUL-terminated, in the index's arena
  uint32_t nameLength = 0;
  uint32_t folder = 0;   // index into the index's folder table
  int64_t modified = 0;  // last-write time, 100 ns since 1601 UTC
  int64_t size = 0;
  DataNode* group = nullptr;  // null until a second file with the key arrives
};

// Keys compare as byte strings, so case matters. The map has no order: whoever needs the
// keys in order (merging) sorts them in byte order. The key views point into the owning
// index's arena.
using DuplicateMap = std::unordered_map<std::string_view, FileRecord>;

// The process-wide lock that serialises insertions into every duplicate index.
std::mutex& IndexLock();

class DuplicateIndex {
 public:
  DuplicateIndex() = default;
  ~DuplicateIndex();
  DuplicateIndex(const DuplicateIndex&) = delete;
  DuplicateIndex& operator=(const DuplicateIndex&) = delete;

  // Reads the criteria from the "settings" node: clears the map, replaces the result
  // root by a new "Duplicate files results". False (and nothing changes) for null.
  bool Configure(DataNode* settings);
  // Files a node produced by a scan (name = full path, val = size, val2 = last-write
  // time). 1 when the file joined a group, 0 when it was the first of its key or when
  // the index has no root.
  int Add(const DataNode* file);
  // The same without a node: `folder` ends in '/' (or is empty), `name` is the file name.
  int AddFile(std::string_view folder, std::string_view name, int64_t size, int64_t modified);

  // Hands the result root over; the index forgets it (and makes no more groups). The
  // records' group references stay valid as long as the caller keeps the tree.
  DataNode* TakeResultRoot();
  bool HasResult() const { return m_root != nullptr; }
  DataNode* ResultRoot() const { return m_root; }
  const DuplicateMap& Map() const { return m_map; }

  NameRule nameRule() const { return m_rule; }
  int symbols() const { return m_symbols; }
  bool splitBySize() const { return m_splitBySize; }
  bool splitByTime() const { return m_splitByTime; }

  // The full path of a record of this index.
  std::string PathOf(const FileRecord& record) const;
  std::string_view FolderOf(const FileRecord& record) const { return m_folders[record.folder]; }
  std::string_view NameOf(const FileRecord& record) const {
    return std::string_view(record.name, record.nameLength);
  }

  // Merging: files a record of `source` under `key` in this index's map. `folder` is the
  // record's folder already interned here (InternFolder). Returns the entry and whether
  // the key was new; the texts of a new entry are copied into this index.
  std::pair<DuplicateMap::iterator, bool> Insert(std::string_view key, const FileRecord& record,
                                                 const DuplicateIndex& source, uint32_t folder);
  // The id of a folder text in this index's table (the last one is reused when equal).
  uint32_t InternFolder(std::string_view folder);
  // A file node "path" (desc = folder, val = size, val2 = time) under `group`.
  DataNode* AddFileNode(DataNode* group, const FileRecord& record) const;

  // Heap bytes held by the map, the arena and the folder table (not the nodes).
  size_t ApproximateBytes() const;

 private:
  int addLocked(std::string_view folder, std::string_view name, int64_t size, int64_t modified);
  DataNode* makeGroup(std::string_view key, FileRecord& first);
  void clear();

  DataNode* m_root = nullptr;
  DuplicateMap m_map;
  TextArena m_texts;
  std::vector<std::string_view> m_folders;  // texts in m_texts
  NameRule m_rule = NameRule::kExact;
  int m_symbols = 0;
  bool m_splitBySize = true;
  bool m_splitByTime = true;
};

}  // namespace tf
