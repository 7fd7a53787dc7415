// ReadOnlyTmpfs: a fresh tmpfs on a folder, filled by the test and then made read-only,
// so that every write there fails, for root too (whom permissions do not stop; the tests
// run as root, in CI as well). Mounting needs that right: without it Ok() is false and
// Why() says what failed, and the test must fail with it rather than pass untried.
#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace tf::testing {

class ReadOnlyTmpfs {
 public:
  ReadOnlyTmpfs(const std::string& folder, const std::function<void()>& fill) : m_folder(folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0) {
      m_why = "cannot mount a tmpfs on " + folder + ": " + std::strerror(errno);
      return;
    }
    m_mounted = true;
    if (fill) fill();
    if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
      m_why = "cannot make the tmpfs on " + folder + " read-only: " + std::strerror(errno);
  }
  ~ReadOnlyTmpfs() {
    if (m_mounted) ::umount2(m_folder.c_str(), MNT_DETACH);
  }
  ReadOnlyTmpfs(const ReadOnlyTmpfs&) = delete;
  ReadOnlyTmpfs& operator=(const ReadOnlyTmpfs&) = delete;

  bool Ok() const { return m_why.empty(); }
  const std::string& Why() const { return m_why; }

 private:
  std::string m_folder;
  std::string m_why;
  bool m_mounted = false;
};

}  // namespace tf::testing
