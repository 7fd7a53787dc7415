// MountTable: the mounted file systems of this process, read from /proc/self/mountinfo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tf {

struct MountEntry {
  uint64_t device = 0;     // st_dev of files on this file system
  std::string mountPoint;  // decoded: may hold spaces, tabs or newlines
  std::string type;        // "ext4", "tmpfs", "fuse.sshfs", ...
  std::string source;      // "/dev/sda1", "tmpfs", ...
  std::string root;        // the part of the file system mounted here ("/" for a whole one)
};

class MountTable {
 public:
  // Parses the text of a mountinfo file; damaged lines are passed over.
  static std::vector<MountEntry> Parse(const std::string& text);
  // The current table, read afresh.
  static std::vector<MountEntry> Current();
  // The type of the file system with this device number, from a table read once and read
  // again when an unknown device turns up (something was mounted since), at most once a
  // second. Thread-safe.
  static std::string TypeOfDevice(uint64_t device);
  // Kernel and virtual file systems that hold no user files and must never be walked.
  static bool IsPseudoType(const std::string& type);
  // File systems where every request is a round trip (to a server or a program in user
  // space): waiting, not computing, is what a walk there spends its time on.
  static bool IsRoundTripType(const std::string& type);
  // The mount point holding `path` (an existing absolute path), "" when unknown.
  static std::string MountPointOf(const std::string& path);
};

}  // namespace tf
