// Folder groups: folders that hold the same counted files under the same relative paths
// (with equal sizes and times where the criteria compare them), as a search found them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tf {

struct DuplicateFolder {
  std::string path;    // full path, bytes as on disk
  int64_t latest = 0;  // latest last-write time of its counted files (file time units)
};

struct FolderGroup {
  int64_t files = 0;                     // counted files in each folder (those the filters take)
  int64_t size = 0;                      // their bytes, in each folder
  uint64_t signature[2] = {0, 0};        // what the search saw: relative paths, sizes, times
  std::vector<DuplicateFolder> folders;  // two or more, sorted by path
};

using FolderGroups = std::vector<FolderGroup>;

}  // namespace tf
