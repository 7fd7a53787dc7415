// EntryFilter: the two questions a folder listing asks about each file, the name before
// any stat and the details after it, so that rejected names cost no system call.
#pragma once

#include <cstdint>
#include <string_view>

namespace tf {

// What a stat tells about a file. Times are 100-ns counts since 1601-01-01 UTC, 0 when
// the file system keeps none; attributes use the bits of the filters (0x01 read-only,
// 0x02 hidden, 0x04 system, 0x20 archive).
struct EntryDetails {
  int64_t size = 0;
  int64_t created = 0;
  int64_t accessed = 0;
  int64_t modified = 0;
  uint32_t attributes = 0;
};

class EntryFilter {
 public:
  virtual ~EntryFilter() = default;
  virtual bool AcceptName(std::string_view name) = 0;
  virtual bool AcceptDetails(std::string_view name, const EntryDetails& details) = 0;
};

}  // namespace tf
