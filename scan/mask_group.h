// MaskGroup: the record by which one group of a mask collection (a name, its file
// masks and its flags) is passed in and out.
#pragma once

#include <cstdint>
#include <string>

namespace tf {

struct MaskGroup {
  int32_t number = 0;  // 1-based position in the collection; 0 on input: append
  std::string name;
  std::string masks;  // "*.doc;*.txt;*.pdf;"
  int32_t enabled = 1;
  int32_t temporary = 0;  // its files may be deleted
  // Report counters; 0 outside reports.
  int32_t fileCount = 0;
  int64_t totalSize = 0;
  int64_t secondTotal = 0;
};

}  // namespace tf
