// TempTree: a fresh temporary folder for a test, with files of chosen sizes and times,
// removed with everything in it when the test ends; and the small file helpers the tests
// share.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
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
    if (m_root.empty()) return;
    namespace fs = std::filesystem;
    std::error_code ignored;
    // Folders a test made unreadable are opened up again first.
    for (auto it = fs::recursive_directory_iterator(m_root, ignored);
         !ignored && it != fs::recursive_directory_iterator(); it.increment(ignored))
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
    fs::remove_all(m_root, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The folder itself; empty when it could not be made.
  const std::string& root() const { return m_root; }
  const std::string& path() const { return m_root; }
  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }
  std::string operator/(const std::string& relative) const { return Path(relative); }

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

// Writes `bytes` to `path` (replacing it); false on any failure.
inline bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

// `size` bytes that neither compress nor repeat, the same for the same `seed`.
inline std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937_64 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// The whole content of `path`, or "<missing>".
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// What was written to `file` (a std::tmpfile() a command wrote to), which is closed.
inline std::string ReadAndClose(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(file);
  return text;
}

// True when anything (a dangling link too) is at `path`.
inline bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace tf::testing
