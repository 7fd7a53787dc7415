#include "platform/mount_table.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/stored_file.h"

namespace tf {
namespace {

// mountinfo writes space, tab, newline and backslash as \ooo.
std::string decodeOctal(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

std::vector<std::string> splitSpaces(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  std::string f;
  while (in >> f) fields.push_back(f);
  return fields;
}

bool parseLine(const std::string& line, MountEntry* e) {
  const std::vector<std::string> f = splitSpaces(line);
  size_t dash = 0;
  for (size_t i = 6; i < f.size(); ++i)
    if (f[i] == "-") {
      dash = i;
      break;
    }
  if (dash == 0 || dash + 1 >= f.size()) return false;
  unsigned major = 0, minor = 0;
  if (std::sscanf(f[2].c_str(), "%u:%u", &major, &minor) != 2) return false;
  e->device = makedev(major, minor);
  e->root = decodeOctal(f[3]);
  e->mountPoint = decodeOctal(f[4]);
  e->type = f[dash + 1];
  e->source = dash + 2 < f.size() ? decodeOctal(f[dash + 2]) : std::string();
  return true;
}

std::mutex g_cacheMutex;
std::map<uint64_t, std::string> g_types;           // guarded by g_cacheMutex
std::chrono::steady_clock::time_point g_loadedAt;  // guarded by g_cacheMutex
bool g_loaded = false;                             // guarded by g_cacheMutex

// Devices missing from the table are common (btrfs gives every subvolume a device of its
// own), so the table is read again for them at most once a second.
void reloadTypesIfStale() {
  const auto now = std::chrono::steady_clock::now();
  if (g_loaded && now - g_loadedAt < std::chrono::seconds(1)) return;
  g_types.clear();
  for (const MountEntry& e : MountTable::Current()) g_types[e.device] = e.type;
  g_loadedAt = now;
  g_loaded = true;
}

}  // namespace

std::vector<MountEntry> MountTable::Parse(const std::string& text) {
  std::vector<MountEntry> entries;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    MountEntry e;
    if (parseLine(line, &e)) entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<MountEntry> MountTable::Current() {
  std::string text;
  ReadStoredFile("/proc/self/mountinfo", &text);
  return Parse(text);
}

std::string MountTable::TypeOfDevice(uint64_t device) {
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  auto it = g_types.find(device);
  if (it == g_types.end()) {
    reloadTypesIfStale();
    it = g_types.find(device);
    if (it == g_types.end()) return {};
  }
  return it->second;
}

bool MountTable::IsPseudoType(const std::string& type) {
  static const char* const kPseudo[] = {
      "proc",      "sysfs",      "devtmpfs",    "devpts", "cgroup",     "cgroup2",  "debugfs",
      "tracefs",   "securityfs", "pstore",      "bpf",    "configfs",   "fusectl",  "mqueue",
      "hugetlbfs", "autofs",     "binfmt_misc", "nsfs",   "rpc_pipefs", "efivarfs", "selinuxfs"};
  for (const char* p : kPseudo)
    if (type == p) return true;
  return false;
}

bool MountTable::IsRoundTripType(const std::string& type) {
  static const char* const kRemote[] = {"nfs", "nfs4", "cifs", "smb3",  "smbfs",
                                        "9p",  "ceph", "afs",  "davfs", "fuse"};
  for (const char* r : kRemote)
    if (type == r) return true;
  return type.rfind("fuse.", 0) == 0;  // fuse.sshfs, fuse.rclone, ...; not fuseblk
}

std::string MountTable::MountPointOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  // Several mounts may share a device (bind mounts); the longest mount point that is a
  // prefix of the path is the one holding it.
  std::string best;
  for (const MountEntry& e : Current()) {
    if (e.device != st.st_dev) continue;
    const std::string& mp = e.mountPoint;
    const bool prefix =
        mp == "/" || path == mp ||
        (path.size() > mp.size() && path.compare(0, mp.size(), mp) == 0 && path[mp.size()] == '/');
    if (prefix && mp.size() >= best.size()) best = mp;
  }
  return best;
}

}  // namespace tf
