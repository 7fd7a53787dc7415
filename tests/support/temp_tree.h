// TempTree: a fresh temporary folder for a test, with files of chosen sizes and times,
// removed with everything in it when the test ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tf::testing {

class TempTree {
 public:
  // A new folder under `base` (default: the system's temporary folder).
  explicit TempTree(std::string base = std::string()) {
    if (base.empty()) base = std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/twinfold-test-XXXXXX";
    if (char* made = mkdtemp(pattern.data())) m_root = made;
  }
  ~TempTree() {
    std::error_code ignored;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return m_root; }
  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

  // A file of `size` bytes (sparse) whose last-write time is `seconds` after 2020-01-01.
  std::string File(const std::string& relative, int64_t size = 3, int seconds = 0) const {
    namespace fs = std::filesystem;
    const std::string path = Path(relative);
    fs::create_directories(fs::path(path).parent_path());
    { std::ofstream(path, std::ios::binary); }
    fs::resize_file(path, static_cast<uintmax_t>(size));
    const std::chrono::sys_seconds day{std::chrono::sys_days{std::chrono::year{2020} / 1 / 1}};
    const auto when = std::chrono::file_clock::from_sys(day + std::chrono::seconds(seconds));
    fs::last_write_time(path, when);
    return path;
  }
  std::string Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
    return Path(relative);
  }

 private:
  std::string m_root;
};

}  // namespace tf::testing
