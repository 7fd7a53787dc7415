// What the trash holds, for tests that check where files went.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/support/private_trash.h"

namespace tf::testing {

// The original paths under `folder` of what the trash holds (the trash is the whole
// test program's).
inline std::set<std::string> TrashedFrom(const std::string& folder) {
  std::set<std::string> out;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(PrivateTrashHome() + "/Trash/info", ec)) {
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("Path=" + folder + "/", 0) == 0) out.insert(line.substr(5));
  }
  return out;
}

}  // namespace tf::testing
