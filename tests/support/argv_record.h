// Reading what tf_argv_recorder (argv_recorder_main.cpp) wrote: the working folder it was
// started in, then each argument it received, byte for byte.
#pragma once

#include <time.h>

#include <string>
#include <vector>

#include "tests/support/temp_tree.h"

namespace tf::testing {

// Waits up to five seconds for the record at `path` (the recorder renames it into place
// when complete, and may run detached) and decodes its "<length>\n<bytes>\n" entries.
// Empty when no record came.
inline std::vector<std::string> ReadArgvRecord(const std::string& path) {
  for (int i = 0; i < 500 && !Exists(path); ++i) {
    const struct timespec pause = {0, 10000000};
    nanosleep(&pause, nullptr);
  }
  const std::string record = ReadFile(path);
  std::vector<std::string> out;
  if (!Exists(path)) return out;
  size_t pos = 0;
  while (pos < record.size()) {
    const size_t newline = record.find('\n', pos);
    if (newline == std::string::npos) break;
    const size_t length = std::stoul(record.substr(pos, newline - pos));
    out.push_back(record.substr(newline + 1, length));
    pos = newline + 1 + length + 1;
  }
  return out;
}

}  // namespace tf::testing
