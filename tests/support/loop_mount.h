// LoopMount: a small file system of a chosen kind (btrfs, XFS, ext4: made in an image file
// and mounted through a loop device; tmpfs: mounted as it is) for one test, unmounted and
// its loop device detached when it goes, whatever the test did. Needs root, as the tests
// have here and in CI; where a tool, a loop device or the mount cannot be had, problem()
// says which, and the test fails with it (it is never skipped). Also: running a program
// and reading where a file's blocks lie (filefrag).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_tree.h"

namespace tf::testing {

// Runs `argv` (found in the system's program folders, the administrator's too) with its standard
// output and error in *output; its exit status, or -1 when it could not run or was killed.
inline int RunProgram(const std::vector<std::string>& argv, std::string* output) {
  TempTree scratch;
  const std::string log = scratch.Path("output");
  // mkfs, losetup and filefrag live in the administrator's folders.
  std::vector<std::string> args = argv;
  if (args[0].find('/') == std::string::npos)
    for (const char* folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"})
      if (access((folder + argv[0]).c_str(), X_OK) == 0) {
        args[0] = folder + argv[0];
        break;
      }
  const pid_t pid = args[0].find('/') == std::string::npos ? -1 : StartProgram(args, {log, log});
  if (pid < 0) {
    if (output) *output = argv[0] + ": cannot be run";
    return -1;
  }
  const int status = WaitProgram(pid);
  if (output) *output = ReadFile(log);
  return status;
}

class LoopMount {
 public:
  // `type`: "btrfs", "xfs", "ext4" or "tmpfs"; `megabytes`: the image's size (btrfs needs
  // about 110, XFS 300 at least); `options`: more arguments for its mkfs.
  LoopMount(const std::string& type, int megabytes, const std::vector<std::string>& options = {}) {
    m_mounted = mount(type, megabytes, options);
  }
  ~LoopMount() {
    std::string ignored;
    // A file system still writing back (a full one, say) may refuse for a moment.
    bool gone = !m_mounted;
    for (int attempt = 0; attempt < 20 && !gone; ++attempt)
      gone = RunProgram({"umount", m_path}, &ignored) == 0 || (usleep(100000), false);
    if (!gone) RunProgram({"umount", "-l", m_path}, &ignored);
    if (!m_device.empty()) RunProgram({"losetup", "-d", m_device}, &ignored);
  }
  LoopMount(const LoopMount&) = delete;
  LoopMount& operator=(const LoopMount&) = delete;

  bool ok() const { return m_mounted; }
  const std::string& problem() const { return m_problem; }
  // The mount point.
  const std::string& path() const { return m_path; }
  std::string Path(const std::string& relative) const { return m_path + "/" + relative; }

 private:
  bool fail(const std::string& why) {
    m_problem = why;
    return false;
  }
  bool mount(const std::string& type, int megabytes, const std::vector<std::string>& options) {
    if (m_scratch.root().empty()) return fail("no scratch folder");
    m_path = m_scratch.Folder("mnt");
    std::string output;
    if (type == "tmpfs") {
      if (RunProgram({"mount", "-t", "tmpfs", "-o", "size=" + std::to_string(megabytes) + "m",
                      "tmpfs", m_path},
                     &output) != 0)
        return fail("cannot mount a tmpfs: " + output);
      return true;
    }
    const std::string image = m_scratch.Path(type + ".img");
    std::filesystem::resize_file(m_scratch.File(type + ".img", 0), static_cast<uintmax_t>(megabytes)
                                                                       << 20);
    std::vector<std::string> mkfs = {"mkfs." + type, "-q", type == "ext4" ? "-F" : "-f"};
    mkfs.insert(mkfs.end(), options.begin(), options.end());
    mkfs.push_back(image);
    if (RunProgram(mkfs, &output) != 0)
      return fail("mkfs." + type + " cannot make the image (Debian's " +
                  (type == "btrfs" ? "btrfs-progs"
                   : type == "xfs" ? "xfsprogs"
                                   : "e2fsprogs") +
                  "): " + output);
    // Another test may take the free device between the look and the attach: try again.
    for (int attempt = 0; attempt < 5 && m_device.empty(); ++attempt)
      if (RunProgram({"losetup", "--find", "--show", image}, &output) == 0)
        m_device = output.substr(0, output.find('\n'));
    if (m_device.empty()) return fail("no loop device can be had: " + output);
    if (RunProgram({"mount", "-t", type, m_device, m_path}, &output) != 0)
      return fail("cannot mount " + m_device + " (" + type + "): " + output);
    return true;
  }

  TempTree m_scratch;
  std::string m_path, m_device, m_problem;
  bool m_mounted = false;
};

// One extent of a file as filefrag -v lists it.
struct Extent {
  uint64_t logical = 0, physical = 0, length = 0;  // in blocks
  bool shared = false;
};

// The extents of `path`; empty when filefrag cannot tell (*problem says why).
inline std::vector<Extent> FileExtents(const std::string& path, std::string* problem = nullptr) {
  std::string output;
  std::vector<Extent> extents;
  if (RunProgram({"filefrag", "-v", path}, &output) != 0) {
    if (problem) *problem = output;
    return extents;
  }
  static const std::regex line(
      R"(^\s*\d+:\s+(\d+)\.\.\s*\d+:\s+(\d+)\.\.\s*\d+:\s+(\d+):\s*(.*)$)");
  std::istringstream in(output);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_match(text, m, line)) continue;
    extents.push_back({std::stoull(m[1]), std::stoull(m[2]), std::stoull(m[3]),
                       m[4].str().find("shared") != std::string::npos});
  }
  return extents;
}

// True when every block of `copy` is one of `kept`'s, at the same place in the file.
inline bool SharesBlocksWith(const std::string& copy, const std::string& kept) {
  const std::vector<Extent> a = FileExtents(copy), b = FileExtents(kept);
  if (a.empty() || b.empty()) return false;
  // Extents may be cut differently in the two files: compare block by block ranges.
  for (const Extent& e : a) {
    if (!e.shared) return false;
    bool covered = false;
    for (const Extent& f : b)
      if (e.logical >= f.logical && e.logical + e.length <= f.logical + f.length &&
          e.physical - e.logical == f.physical - f.logical)
        covered = true;
    if (!covered) return false;
  }
  return true;
}

}  // namespace tf::testing
