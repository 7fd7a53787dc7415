#include "platform/path_status.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "base/quoted_input.h"
#include "platform/file_time.h"

namespace tf {
namespace {

constexpr const char* kScratchPrefix = "twinfold-restore-";

std::string withoutTrailingSlash(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  return f;
}

// The scratch folders this process uses, each held open and locked until it is removed,
// so that another run tidying the temporary folder leaves them alone.
std::mutex g_scratchMutex;
std::map<std::string, int> g_heldScratch;

// Removes the scratch folders in `parent` that a killed run left: ours, not held by any
// running program. Once per parent in a run.
void removeStaleScratchFolders(const std::string& parent) {
  static std::set<std::string> tidied;
  {
    std::lock_guard<std::mutex> lock(g_scratchMutex);
    if (!tidied.insert(parent).second) return;
  }
  DIR* dir = ::opendir(parent.c_str());
  if (!dir) return;
  const size_t prefix = std::strlen(kScratchPrefix);
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, kScratchPrefix, prefix) != 0) continue;
    const int fd =
        ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      RemoveScratchFolder(withoutTrailingSlash(parent) + "/" + entry->d_name);
    ::close(fd);
  }
  ::closedir(dir);
}

}  // namespace

bool StatPath(const std::string& path, PathStatus* out, bool followLinks) {
  *out = PathStatus{};
  if (path.empty()) return false;
  struct stat st {};
  if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
    // A dangling link still takes its name.
    if (followLinks && ::lstat(path.c_str(), &st) == 0) {
      out->exists = true;
      out->link = false;
    }
    return false;
  }
  out->exists = true;
  out->regular = S_ISREG(st.st_mode);
  out->folder = S_ISDIR(st.st_mode);
  out->link = S_ISLNK(st.st_mode);
  out->size = static_cast<int64_t>(st.st_size);
  out->modified = FileTimeFromTimespec(st.st_mtim);
  out->device = static_cast<uint64_t>(st.st_dev);
  out->inode = static_cast<uint64_t>(st.st_ino);
  out->names = static_cast<uint64_t>(st.st_nlink);
  return true;
}

namespace {

// Adds the files below the open folder `fd` (taken over) to *out; false when any part
// could not be read. Sub-folders are opened inside their parent, so no path grows long.
bool addFolderFacts(int fd, FolderFacts* out, int depth) {
  DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (!dir) {
    if (fd >= 0) ::close(fd);
    return false;
  }
  constexpr int kDeepest = 4096;  // deeper than any path the system can name
  bool whole = depth < kDeepest;
  errno = 0;
  for (dirent* entry; whole && (entry = ::readdir(dir)) != nullptr; errno = 0) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      whole = false;
    } else if (S_ISREG(st.st_mode)) {
      ++out->files;
      out->bytes += static_cast<int64_t>(st.st_size);
      out->latest = std::max(out->latest, FileTimeFromTimespec(st.st_mtim));
    } else if (S_ISDIR(st.st_mode)) {
      whole = addFolderFacts(
                  ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
                  out, depth + 1) &&
              whole;
    }
  }
  if (errno != 0) whole = false;
  ::closedir(dir);
  return whole;
}

}  // namespace

bool ReadFolderFacts(const std::string& path, FolderFacts* out) {
  *out = FolderFacts{};
  if (path.empty()) return false;
  return addFolderFacts(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), out,
                        0);
}

bool SameFile(const std::string& a, const std::string& b) {
  PathStatus x, y;
  return StatPath(a, &x, true) && StatPath(b, &y, true) && x.device == y.device &&
         x.inode == y.inode;
}

bool ReadFileIdentity(const std::string& path, FileIdentity* out) {
  struct statx sx {};
  // Device and inode come with every answer; the link count is the one field asked for,
  // and a network file system may answer from its cache.
  if (path.empty() || statx(AT_FDCWD, path.c_str(), AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT,
                            STATX_NLINK | STATX_INO, &sx) != 0)
    return false;
  out->device = (static_cast<uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
  out->inode = sx.stx_ino;
  out->names = sx.stx_nlink;
  return true;
}

std::string WhyCannotCreateIn(const std::string& folder, const std::string& name) {
  const std::string f = withoutTrailingSlash(folder.empty() ? std::string(".") : folder);
  const std::string shown = QuoteInput(f);
  struct stat st {};
  if (::stat(f.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "the folder " + shown + " does not exist";
    if (errno == ENAMETOOLONG) return "the path " + shown + " is too long";
    return "cannot reach the folder " + shown + ": " + std::strerror(errno);
  }
  if (!S_ISDIR(st.st_mode)) return shown + " is not a folder";
  long nameMax = ::pathconf(f.c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = NAME_MAX;
  if (static_cast<long>(name.size()) > nameMax)
    return "the name " + QuoteInput(name) + " is too long (" + std::to_string(name.size()) +
           " bytes, the folder takes at most " + std::to_string(nameMax) + ")";
  if (f.size() + 1 + name.size() >= PATH_MAX)
    return "the path " + QuoteInput(f + "/" + name) + " is too long";
  struct statvfs vfs {};
  if (::statvfs(f.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY))
    return shown + " is on a read-only file system";
  if (::access(f.c_str(), W_OK | X_OK) != 0) {
    if (errno == EROFS) return shown + " is on a read-only file system";
    if (errno == EACCES || errno == EPERM) return "no permission to write in " + shown;
    return "cannot write in " + shown + ": " + std::strerror(errno);
  }
  return {};
}

int AddOwnerWrite(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if ((st.st_mode & (S_IRUSR | S_IWUSR)) == (S_IRUSR | S_IWUSR)) return 1;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0 ? 1 : 0;
}

int MakeScratchFolder(const std::string& parent, std::string* out, std::string* error) {
  std::string pattern = withoutTrailingSlash(parent.empty() ? std::string("/tmp") : parent);
  if (pattern != "/") pattern += '/';
  removeStaleScratchFolders(parent.empty() ? std::string("/tmp") : parent);
  pattern += kScratchPrefix;
  pattern += "XXXXXX";
  if (char* made = ::mkdtemp(pattern.data())) {
    *out = made;
    const int fd = ::open(made, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX) == 0) {
      std::lock_guard<std::mutex> lock(g_scratchMutex);
      g_heldScratch[*out] = fd;
    } else if (fd >= 0) {
      ::close(fd);
    }
    return 1;
  }
  if (error) {
    const std::string why = WhyCannotCreateIn(parent, "twinfold-restore-XXXXXX");
    *error = why.empty()
                 ? std::string("cannot make a folder in ") + parent + ": " + std::strerror(errno)
                 : why;
  }
  return 0;
}

int RemoveScratchFolder(const std::string& folder) {
  if (folder.empty()) return 1;
  int held = -1;
  {
    std::lock_guard<std::mutex> lock(g_scratchMutex);
    auto it = g_heldScratch.find(folder);
    if (it != g_heldScratch.end()) {
      held = it->second;
      g_heldScratch.erase(it);
    }
  }
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      ::unlinkat(::dirfd(dir), entry->d_name, 0);  // a sub-folder refuses, and stays
    }
    ::closedir(dir);
  }
  const bool gone = ::rmdir(folder.c_str()) == 0 || errno == ENOENT;
  if (held >= 0) ::close(held);
  return gone ? 1 : 0;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 1;
  if (errno != EINVAL && errno != ENOSYS) return 0;
  // File systems without RENAME_NOREPLACE: a hard link refuses a taken name just as well.
  if (::link(from.c_str(), to.c_str()) != 0) return 0;
  ::unlink(from.c_str());
  return 1;
}

int RenameOver(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int MakeTemporaryFile(const std::string& folder, const std::string& prefix, std::string* path) {
  std::string pattern = withoutTrailingSlash(folder.empty() ? std::string(".") : folder);
  if (pattern != "/") pattern += '/';
  pattern += prefix + "XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return 0;
  ::close(fd);
  *path = pattern;
  return 1;
}

std::string FirstLinkInPath(const std::string& folder) {
  if (folder.empty() || folder.front() != '/') return {};
  int at = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
  std::string walked;
  size_t start = 1;
  while (at >= 0 && start < folder.size()) {
    size_t slash = folder.find('/', start);
    if (slash == std::string::npos) slash = folder.size();
    const std::string name = folder.substr(start, slash - start);
    start = slash + 1;
    if (name.empty() || name == ".") continue;
    walked += "/" + name;
    const int next = ::openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      struct stat st {};
      const bool link =
          ::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
      ::close(at);
      return link ? walked : std::string();
    }
    ::close(at);
    at = next;
  }
  if (at >= 0) ::close(at);
  return {};
}

bool LacksSpaceFor(const std::string& folder, int64_t needed) {
  struct statvfs vfs {};
  if (::statvfs(folder.empty() ? "." : folder.c_str(), &vfs) != 0) return false;
  const auto free = static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
  return free < needed;
}

}  // namespace tf
