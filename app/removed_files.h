// RemovedFiles: the files that left the shown result (trashed, moved, backed up, linked)
// with the group they were in, so that a file an undo brings back rejoins its group, and a
// group that went with it comes back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "datatree/data_node.h"

namespace tf {

class RemovedFiles {
 public:
  // Before `file` leaves its group: keeps the group's name, description and files.
  void Remember(const DataNode* file);
  // Puts each path that is back where it was (same size and time) into its group under
  // `root`, making the group anew when it went (with its other files that are still
  // there and in no group). The number of files put back.
  int Rejoin(DataNode* root, const std::vector<std::string>& paths);
  void Clear() { m_groups.clear(), m_byPath.clear(); }
  // The remembered files at or below the folder `folder`.
  std::vector<std::string> PathsBelow(const std::string& folder) const;

 private:
  struct File {
    std::string path;
    int64_t size = 0, modified = 0;
    int32_t kind = 0;
  };
  struct Group {
    std::string name, desc;
    int32_t kind = 0;
    std::vector<File> files;
  };
  std::vector<std::shared_ptr<Group>> m_groups;
  std::unordered_map<std::string, std::shared_ptr<Group>> m_byPath;
};

}  // namespace tf
