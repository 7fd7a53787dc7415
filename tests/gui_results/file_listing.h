// What a folder and the trash hold, for tests that check where files went.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/private_trash.h"

namespace tf::testing {

// The names in `folder`, sorted; none when it is missing.
inline std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

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
