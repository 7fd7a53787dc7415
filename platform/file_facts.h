// FileFacts: what the file information views learn of one file (size, allocation, times,
// attributes), and the bounded read of the first part of a file that the preview shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tf {

// Times are file times (100 ns since 1601-01-01 UTC); 0 where the system keeps none.
struct FileFacts {
  int64_t size = 0;
  int64_t allocated = 0;     // bytes the file takes on disk (512-byte blocks)
  int64_t clusterBytes = 0;  // allocation unit of its file system; 0 when unknown
  int64_t modified = 0;
  int64_t accessed = 0;
  int64_t created = 0;  // the birth time where the file system records it
  // kAttr* bits: read-only, hidden, and system/archive where the file system keeps them.
  uint32_t attributes = 0;
};

// The facts of the regular file `path` (a symbolic link is followed). False, with *out
// untouched, when the path is missing, is not a regular file, or cannot be asked.
bool ReadFileFacts(const std::string& path, FileFacts* out);

}  // namespace tf
