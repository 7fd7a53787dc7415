// RunResult: the run-wide side of duplicate grouping: merges finished scans' indexes into
// one result tree, finalises it (splits by time and size, totals) and removes files from
// it for the file actions.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/file_time_units.h"
#include "datatree/data_node.h"
#include "datatree/node_arena.h"
#include "duplicates/duplicate_index.h"

namespace tf {

// Converts a file time to local time; false when it cannot. The core does not read the
// time zone itself: the caller passes the platform's conversion.
using LocalTimeOf = std::function<bool(int64_t fileTime, CalendarTime* out)>;

// The process-wide lock held by every merge.
std::mutex& MergeLock();

class RunResult {
 public:
  RunResult() = default;
  ~RunResult();
  RunResult(const RunResult&) = delete;
  RunResult& operator=(const RunResult&) = delete;

  // Folds a finished scan's index into the run, under the merge lock. When the run has
  // no map yet it takes the index over whole (`scanIndex` becomes null); otherwise the
  // index is left to its owner, emptied: its files now belong to the run map. After
  // Finalise nothing is merged until Clear.
  void Merge(std::unique_ptr<DuplicateIndex>& scanIndex);
  // Reads the files that scans filed by name alone and that a file of another scan now
  // joins: `read` gets a file's path and gives its size, last-write time and names, or
  // false when it is gone (it then leaves its group). Before Finalise.
  using ReadFileOf = std::function<bool(const std::string& path, int64_t* size, int64_t* modified,
                                        uint32_t* links)>;
  void ReadUnread(const ReadFileOf& read);
  // Splits the groups by last-modified time (local, to the second) and by size where the
  // criteria ask for it, drops groups left with fewer
  // than two files, and sets every group's kind, totals, name and description and the
  // root's file count. The group and file nodes are made here, for the files that stay
  // in groups only. Nothing happens without a root.
  void Finalise(const DuplicateCriteria& criteria, const LocalTimeOf& localTime);
  // After Finalise: deletes every group for which `keep` is false; the root's file count
  // follows.
  void KeepGroupsWhere(const std::function<bool(const DataNode* group)>& keep);
  // Removes a file node of the result: 1 when its group keeps two or more files (the
  // group's totals shrink), 2 when the whole group was deleted (with `dropGroup`), 0 when
  // the node is not a file of this result. The root's file count follows.
  int RemoveFile(DataNode* file, bool dropGroup);

  DataNode* Root() const { return m_root; }
  // The run map, until Finalise spends it (for the folder groups); null before a merge.
  DuplicateIndex* Map() const { return m_built ? nullptr : m_index.get(); }
  // Files in groups after finalising (the root's val2); 0 without a root.
  int64_t FileCount() const { return m_root ? m_root->val2 : 0; }
  // Frees the run map but keeps the result tree (a finished search).
  void ClearMap() { m_index.reset(); }
  // Deletes the tree and the map.
  void Clear();
  // Takes over `root`, a finished result made elsewhere (a saved result read back), in
  // place of the tree and the map: as after Finalise, nothing is merged into it.
  void Adopt(DataNode* root);
  // After Finalise: memory ran out while the nodes were made, so some groups or files
  // that belong to the result are missing from it.
  bool Incomplete() const { return m_incomplete; }
  // Set by Finalise and RemoveFile, cleared by the reader.
  bool TakeChanged() { return m_changed.exchange(false); }

 private:
  void recountTree();
  class Splitter;

  DataNode* m_root = nullptr;               // "Duplicate files results", owned
  std::unique_ptr<NodeArena> m_arena;       // where the file nodes of m_root live
  std::unique_ptr<DuplicateIndex> m_index;  // the run map; its own root was handed to m_root
  bool m_built = false;                     // the groups of m_index are nodes under m_root
  bool m_incomplete = false;
  std::atomic<bool> m_changed{false};
};

}  // namespace tf
