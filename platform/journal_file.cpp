#include "platform/journal_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/path_utils.h"
#include "platform/stored_file.h"

namespace tf {
namespace {

std::string lockPathOf(const std::string& path) {
  return path + ".lock";
}

// Why `path` cannot be the journal, from what open() said.
std::string whyNotOpened(const std::string& path, int error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) return "it is a symbolic link, not a regular file";
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a regular file";
    if (!S_ISREG(st.st_mode)) return "it is not a regular file (a FIFO, a socket or a device)";
  }
  return std::string("it cannot be written: ") + std::strerror(error);
}

bool takeLock(int fd, int how) {
  int result;
  while ((result = ::flock(fd, how)) != 0 && errno == EINTR) {
  }
  return result == 0;
}

// Holds a lock for as long as it lives.
class LockHold {
 public:
  LockHold(int fd, int how) : m_fd(fd), m_held(fd >= 0 && takeLock(fd, how)) {}
  ~LockHold() {
    if (m_held) ::flock(m_fd, LOCK_UN);
  }
  bool Held() const { return m_held; }

 private:
  int m_fd;
  bool m_held;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool JournalFile::Open(const std::string& path, std::string* why) {
  m_fd.reset();
  m_lock.reset();
  m_path = path;
  std::string folder;
  SplitPath(path, &folder, nullptr);
  if (!folder.empty()) MakeFolders(folder);
  // A FIFO is opened without waiting for a reader, and refused below as what it is.
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) return *why = whyNotOpened(path, errno), false;
  m_fd.reset(fd);
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    m_fd.reset();
    return *why = whyNotOpened(path, EINVAL), false;
  }
  const std::string lock = lockPathOf(path);
  m_lock.reset(
      ::open(lock.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
  if (m_lock.get() < 0) {
    const int error = errno;
    m_fd.reset();
    return *why = "its lock " + lock + " cannot be made: " + std::strerror(error), false;
  }
  return true;
}

bool JournalFile::reopenIfReplaced(std::string* why) {
  struct stat here {
  }, there{};
  if (fstat(m_fd.get(), &here) == 0 && lstat(m_path.c_str(), &there) == 0 &&
      here.st_dev == there.st_dev && here.st_ino == there.st_ino)
    return true;
  // Another program compacted it (renamed a new file in), or it was taken away.
  const int fd = ::open(m_path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) return *why = whyNotOpened(m_path, errno), false;
  m_fd.reset(fd);
  if (fstat(fd, &here) != 0 || !S_ISREG(here.st_mode)) {
    m_fd.reset();
    return *why = whyNotOpened(m_path, EINVAL), false;
  }
  return true;
}

bool JournalFile::Append(std::string_view lines, std::string* why, bool sync) {
  if (!IsOpen()) return *why = "the journal is not open", false;
  LockHold hold(m_lock.get(), LOCK_EX);
  if (!hold.Held())
    return *why = std::string("its lock cannot be taken: ") + strerror(errno), false;
  if (!reopenIfReplaced(why)) return false;
  struct stat st {};
  if (fstat(m_fd.get(), &st) != 0) return *why = strerror(errno), false;
  // A line a crash cut short gets its end, so that it does not swallow the next record.
  std::string block;
  char last = '\n';
  if (st.st_size > 0 && ::pread(m_fd.get(), &last, 1, st.st_size - 1) == 1 && last != '\n')
    block = "\n";
  block.append(lines);
  if (!writeAll(m_fd.get(), block) || (sync && ::fdatasync(m_fd.get()) != 0)) {
    const int error = errno;
    // No piece of a record stays to be glued to the next one.
    if (::ftruncate(m_fd.get(), st.st_size) == 0) ::fdatasync(m_fd.get());
    return *why = std::string("it cannot be written: ") + std::strerror(error ? error : EIO), false;
  }
  return true;
}

bool JournalFile::Rewrite(const std::function<bool(std::string* contents)>& rewrite,
                          std::string* why) {
  if (!IsOpen()) return *why = "the journal is not open", false;
  LockHold hold(m_lock.get(), LOCK_EX);
  if (!hold.Held())
    return *why = std::string("its lock cannot be taken: ") + strerror(errno), false;
  std::string contents;
  if (!rewrite(&contents)) return true;
  if (!SaveStoredFile(m_path, contents, why)) return false;
  return reopenIfReplaced(why);
}

int64_t JournalFile::Size() const {
  struct stat st {};
  if (!IsOpen() || fstat(m_fd.get(), &st) != 0) return -1;
  return st.st_size;
}

bool ReadJournalLines(const std::string& path, const std::function<bool(std::string_view)>& line,
                      std::string* why, bool lock) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    if (errno == ENOENT) return true;
    return *why = whyNotOpened(path, errno), false;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
    return *why = whyNotOpened(path, EINVAL), false;
  // Appends are whole lines under the lock; reading under it too never sees half of one.
  UniqueFd lockFd(
      lock ? ::open(lockPathOf(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK) : -1);
  LockHold hold(lockFd.get(), LOCK_SH);
  std::vector<char> buffer(size_t{1} << 20);
  std::string pending;
  bool skipping = false;  // inside a line already too long
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return *why = std::string("it cannot be read: ") + strerror(errno), false;
    if (n == 0) break;
    std::string_view chunk(buffer.data(), static_cast<size_t>(n));
    while (!chunk.empty()) {
      const size_t end = chunk.find('\n');
      const std::string_view piece = chunk.substr(0, end);
      if (!skipping) {
        if (pending.size() + piece.size() > kMaxJournalLine) {
          skipping = true;
          pending.clear();
        } else {
          pending.append(piece);
        }
      }
      if (end == std::string_view::npos) break;
      chunk.remove_prefix(end + 1);
      if (!skipping && !line(pending)) return true;
      pending.clear();
      skipping = false;
    }
  }
  return true;
}

}  // namespace tf
