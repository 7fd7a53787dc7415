// Helpers of the backup tests.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/private_trash.h"
#include "tests/support/temp_tree.h"

namespace tf::testing {

// Set before anything is trashed, so the tests never touch the user's own trash.
inline std::string PrivateTrashFiles() {
  return PrivateTrashHome() + "/Trash/files";
}

inline void SetMtime(const std::string& path, time_t seconds, long nanoseconds) {
  struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
  ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

inline struct timespec Mtime(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mtim;
}

// The names in a folder but the backup folder's lock, which stays once made.
inline std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().filename() != ".tf-lock") names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::vector<std::string> WithPlugin() {
  return {std::string(TWINFOLD_PLUGIN_DIR) + "/libpacklet.so"};
}
inline std::vector<std::string> WithoutPlugin() {
  return {"/nonexistent/libpacklet.so"};
}

// Read-only for the test: a bind mount for root (whom permissions do not stop), else 0555.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& path) : m_path(path) {
    if (::geteuid() == 0) {
      m_mounted = ::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0;
      m_ok = m_mounted && ::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                                  nullptr) == 0;
    } else {
      m_ok = ::chmod(path.c_str(), 0555) == 0;
    }
  }
  ~ReadOnlyFolder() {
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
    if (::geteuid() != 0) ::chmod(m_path.c_str(), 0755);
  }
  bool ok() const { return m_ok; }

 private:
  std::string m_path;
  bool m_mounted = false;
  bool m_ok = false;
};

}  // namespace tf::testing
