#include "platform/stored_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/path_utils.h"
#include "platform/unique_fd.h"

namespace tf {
namespace {

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::string systemText(int code) {
  return std::strerror(code);
}

bool writeAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// A name no other saver picks: the process id, a counter and a random part. The random
// part comes from the kernel without waiting; when it cannot be had, the clock serves, since
// the O_EXCL create below turns a clash into another try rather than a lost file. The name
// does not grow with the saved file's, so a name near the system's limit can be saved too.
std::string temporaryNameFor(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  unsigned random = 0;
  if (getrandom(&random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random))
    random = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  char name[64];
  std::snprintf(name, sizeof name, "%s%ld-%u-%08x", kSaveTemporaryPrefix,
                static_cast<long>(getpid()), counter.fetch_add(1, std::memory_order_relaxed),
                random);
  return folder == "/" ? folder + name : folder + "/" + name;
}

bool allDigits(std::string_view text, size_t min) {
  if (text.size() < min) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// "<name>.tmp-<pid>-<counter>-<8 hex digits>": the saves of earlier versions.
bool isOldSaveTemporary(std::string_view name) {
  const size_t at = name.rfind(".tmp-");
  if (at == std::string_view::npos || at == 0) return false;
  const std::string_view tail = name.substr(at + 5);
  const size_t first = tail.find('-'), second = tail.find('-', first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return false;
  const std::string_view hex = tail.substr(second + 1);
  if (hex.size() != 8 || hex.find_first_not_of("0123456789abcdef") != std::string_view::npos)
    return false;
  return allDigits(tail.substr(0, first), 1) &&
         allDigits(tail.substr(first + 1, second - first - 1), 1);
}

// Removes `name` of `folder` when it is a regular file that nobody holds locked, still the
// file that was locked.
bool removeUnheld(int folderFd, const char* name) {
  UniqueFd fd(openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat held {
  }, now{};
  if (fd.get() < 0 || fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) return false;
  if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;  // its writer is still at work
  // The writer may have given the file its final name since it was opened.
  if (fstatat(folderFd, name, &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_dev != held.st_dev ||
      now.st_ino != held.st_ino)
    return false;
  return unlinkat(folderFd, name, 0) == 0;
}

void syncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // best effort: some file systems refuse to sync a folder
  close(fd);
}

// The one bounded read. Only a regular file is read, opened without blocking; it is read to
// its end whatever size it claims (files under /proc claim none), up to `maxBytes`. With
// `whole`, a file holding more is refused; otherwise it is cut there.
int readBounded(const std::string& path, size_t maxBytes, bool whole, std::string* out,
                std::string* error, int64_t* fileSize) {
  if (!out) return 0;
  out->clear();
  if (path.empty()) {
    setError(error, "no file name");
    return 0;
  }
  // O_NONBLOCK: a FIFO planted under the name must not wait for a writer; the fstat
  // below turns it away before anything is read.
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    setError(error, errno == ENOENT ? "does not exist" : systemText(errno));
    return 0;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) {
    setError(error, systemText(errno));
    return 0;
  }
  if (!S_ISREG(st.st_mode)) {
    setError(error, "is not a regular file");
    return 0;
  }
  if (fileSize) *fileSize = static_cast<int64_t>(st.st_size);
  const std::string tooLarge = "is larger than " + std::to_string(maxBytes) + " bytes";
  if (whole && (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > maxBytes)) {
    setError(error, tooLarge);
    return 0;
  }
  const int flags = fcntl(fd.get(), F_GETFL);
  if (flags >= 0) fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  // One byte past the cap tells a whole read that the file grew too large meanwhile.
  const size_t limit = whole ? maxBytes + 1 : maxBytes;
  out->resize(std::min(limit, static_cast<size_t>(std::max<off_t>(st.st_size, 0))));
  size_t got = 0;
  for (;;) {
    if (got == out->size()) {
      if (got >= limit) break;
      out->resize(std::min(limit, out->size() + 4096));
    }
    const ssize_t n = read(fd.get(), out->data() + got, out->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      setError(error, systemText(errno));
      out->clear();
      return 0;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  out->resize(got);
  if (whole && got > maxBytes) {
    out->clear();
    setError(error, tooLarge);
    return 0;
  }
  return 1;
}

}  // namespace

int ReadStoredFile(const std::string& path, std::string* out, size_t maxBytes, std::string* error) {
  return readBounded(path, maxBytes, true, out, error, nullptr);
}

int ReadFileHead(const std::string& path, size_t maxBytes, std::string* out, int64_t* fileSize) {
  return readBounded(path, maxBytes, false, out, nullptr, fileSize);
}

int SaveStoredFile(const std::string& path, std::string_view bytes, std::string* error,
                   bool makeFolder) {
  if (path.empty() || path.back() == '/') {
    setError(error, "no file name");
    return 0;
  }
  std::string target = path;
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) {
      // Settings kept in another folder and linked in stay linked: the link's target is
      // replaced, provided it is a regular file.
      char* real = realpath(path.c_str(), nullptr);
      struct stat targetStat {};
      if (!real || stat(real, &targetStat) != 0 || !S_ISREG(targetStat.st_mode)) {
        std::free(real);
        setError(error, "is a link to something that is not a regular file");
        return 0;
      }
      target = real;
      std::free(real);
    } else if (!S_ISREG(st.st_mode)) {
      setError(error, "exists and is not a regular file");
      return 0;
    }
  } else if (errno != ENOENT) {
    setError(error, systemText(errno));
    return 0;
  }
  const std::string folder = FolderOf(target).empty() ? "." : FolderOf(target);
  if (makeFolder && !MakeFolders(folder)) {
    setError(error, "cannot create the folder " + folder);
    return 0;
  }
  // A name taken by a stranded temporary of an earlier save (or a planted one) is passed
  // over for a fresh one.
  std::string temporary;
  UniqueFd fd;
  RemoveStaleTemporariesOnce(folder);
  for (int attempt = 0; attempt < 8; ++attempt) {
    temporary = temporaryNameFor(folder);
    fd.reset(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() >= 0 && HoldTemporary(fd.get(), temporary)) break;
    if (fd.get() >= 0) {
      fd.reset();
      continue;  // tidied away by another program between its making and its lock
    }
    if (errno != EEXIST) break;
  }
  if (fd.get() < 0) {
    setError(error, systemText(errno));
    return 0;
  }
  // Keep the permissions of the file being replaced (a private settings file stays private).
  if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) fchmod(fd.get(), old.st_mode & 07777);
  }
  // The temporary stays open, and so locked, until it has its final name.
  if (!writeAll(fd.get(), bytes) || fsync(fd.get()) != 0) {
    const int code = errno;
    unlink(temporary.c_str());
    setError(error, systemText(code));
    return 0;
  }
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    const int code = errno;
    unlink(temporary.c_str());
    setError(error, systemText(code));
    return 0;
  }
  fd.reset();
  syncFolder(folder);
  return 1;
}

int SetAsideDamagedFile(const std::string& path, std::string* newPath) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  for (int n = 0; n < 1000; ++n) {
    std::string name = path + ".damaged";
    if (n > 0) name += "." + std::to_string(n);
    // A hard link claims the new name only when it is free; the old name goes after.
    if (link(path.c_str(), name.c_str()) == 0) {
      unlink(path.c_str());
      if (newPath) *newPath = name;
      return 1;
    }
    if (errno != EEXIST) {
      // File systems without hard links: rename, but only onto a name seen free.
      struct stat taken {};
      if (lstat(name.c_str(), &taken) == 0) continue;
      if (rename(path.c_str(), name.c_str()) != 0) return 0;
      if (newPath) *newPath = name;
      return 1;
    }
  }
  return 0;
}

int ListFolderNames(const std::string& folder, std::vector<std::string>* names) {
  if (!names) return 0;
  names->clear();
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    names->emplace_back(name);
  }
  closedir(dir);
  return 1;
}

int MakeFolders(const std::string& folder) {
  if (folder.empty()) return 0;
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 1 : 0;
  std::string partial;
  size_t pos = 0;
  while (pos <= folder.size()) {
    size_t slash = folder.find('/', pos);
    if (slash == std::string::npos) slash = folder.size();
    partial = folder.substr(0, slash);
    if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return 0;
    pos = slash + 1;
  }
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int RemoveStoredFile(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 1 : 0;
  if (S_ISDIR(st.st_mode)) return 0;
  return unlink(path.c_str()) == 0 || errno == ENOENT ? 1 : 0;
}

bool IsProgramTemporaryName(std::string_view name) {
  const auto startsWith = [&](const char* prefix) {
    return name.substr(0, std::strlen(prefix)) == prefix && name.size() > std::strlen(prefix);
  };
  return startsWith(kSaveTemporaryPrefix) || startsWith(kCopyTemporaryPrefix) ||
         isOldSaveTemporary(name);
}

bool HoldTemporary(int fd, const std::string& path) {
  int result;
  while ((result = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  struct stat held {
  }, now{};
  return result == 0 && fstat(fd, &held) == 0 && lstat(path.c_str(), &now) == 0 &&
         held.st_dev == now.st_dev && held.st_ino == now.st_ino;
}

int RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(dir))
    if (IsProgramTemporaryName(entry->d_name) && removeUnheld(dirfd(dir), entry->d_name)) ++removed;
  closedir(dir);
  return removed;
}

void RemoveStaleTemporariesOnce(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> tidied;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!tidied.insert(folder).second) return;
  }
  RemoveStaleTemporaries(folder);
}

int ClaimFileName(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return 0;
  close(fd);
  return 1;
}

}  // namespace tf
