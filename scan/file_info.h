// FileInfo: what the filters are told about one directory entry (its name and what a
// stat of it gives), with the attribute bits the filters test.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/file_attributes.h"

namespace tf {

// One directory entry. `name` is the entry's own name (no folder), borrowed for the
// duration of the call. Times are file times: 100-ns counts since 1601-01-01 UTC, 0
// when the file system does not know that time.
struct FileInfo {
  std::string_view name;
  int64_t size = 0;
  int64_t lastWriteTime = 0;
  int64_t creationTime = 0;
  int64_t lastAccessTime = 0;
  uint32_t attributes = 0;
};

}  // namespace tf
