#include "platform/file_ops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/questions.h"
#include "platform/file_change_watcher.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"
#include "platform/trash.h"
#include "platform/unique_fd.h"

namespace tf {
namespace {

constexpr size_t kCopyChunk = 1 << 20;

std::atomic<int64_t> g_failAfterBytes{-1};

bool writeAll(int fd, const char* data, size_t size, int64_t* written) {
  while (size > 0) {
    const int64_t limit = g_failAfterBytes.load(std::memory_order_relaxed);
    if (limit >= 0 && *written + static_cast<int64_t>(size) > limit) {
      errno = ENOSPC;
      return false;
    }
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
    *written += n;
  }
  return true;
}

bool copyContents(int from, int to, int64_t total, const CopyProgress& progress, int64_t* copied) {
  std::vector<char> buf(kCopyChunk);
  for (;;) {
    const ssize_t n = read(from, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!writeAll(to, buf.data(), static_cast<size_t>(n), copied)) return false;
    if (progress && !progress(*copied, total)) return false;
  }
}

// A fresh, empty file beside `target`, named so that it cannot collide with anything and
// held locked as long as it is open. What killed copies left there before goes first.
int createTempBeside(const std::string& target, std::string* tempPath) {
  std::string folder;
  SplitPath(target, &folder, nullptr);
  RemoveStaleTemporariesOnce(folder.empty() ? "." : folder);
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string pattern = folder + kCopyTemporaryPrefix + "XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return fd;
    if (HoldTemporary(fd, pattern)) {
      *tempPath = pattern;
      return fd;
    }
    ::close(fd);  // tidied away by another program before it was locked
  }
  errno = EEXIST;
  return -1;
}

// Puts `temp` in the place of `target`; without `replace` an existing target is kept.
bool renameIntoPlace(const std::string& temp, const std::string& target, bool replace) {
  if (replace) return ::rename(temp.c_str(), target.c_str()) == 0;
  if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: link refuses a taken name just as well.
  if (::link(temp.c_str(), target.c_str()) != 0) return false;
  ::unlink(temp.c_str());
  return true;
}

// The copy all file operations share: temporary name, sync, size check, mode and times,
// then the final name. On failure nothing is left behind and the source is untouched.
bool copyFileSafely(const std::string& source, const std::string& target, bool replace,
                    const CopyProgress& progress = {}) {
  UniqueFd in(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat st {};
  if (in.get() < 0 || fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::string temp;
  UniqueFd out(createTempBeside(target, &temp));
  if (out.get() < 0) return false;
  int64_t copied = 0;
  bool ok =
      copyContents(in.get(), out.get(), st.st_size, progress, &copied) && fsync(out.get()) == 0;
  struct stat written {};
  ok = ok && fstat(out.get(), &written) == 0 && written.st_size == st.st_size &&
       copied == st.st_size;
  ok = ok && fchmod(out.get(), st.st_mode & 07777) == 0;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ok = ok && futimens(out.get(), times) == 0;
  // The temporary stays open, and so locked, until it has its final name.
  ok = ok && renameIntoPlace(temp, target, replace);
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

int runHooked(const std::string& target, const FileHook& before, const FileHook& after,
              const std::function<bool()>& operation) {
  if (before && before(target, -1) == 0) return 0;
  const int result = operation() ? 1 : 0;
  return after ? after(target, result) : result;
}

enum class Collision { kNone, kReplace, kStop };

// Decides what to do about a destination that is already there; a stop that the user did
// not choose says why.
Collision askAboutCollision(Questions* questions, const std::string& from, const std::string& to,
                            bool confirm, std::string* why) {
  struct stat dst {};
  if (lstat(to.c_str(), &dst) != 0) return Collision::kNone;
  struct stat src {};
  if (::stat(from.c_str(), &src) == 0 && src.st_dev == dst.st_dev && src.st_ino == dst.st_ino) {
    // The same file under two names: replacing would lose it.
    *why = "the destination is the file itself (the same folder, or another name of it)";
    return Collision::kStop;
  }
  if (S_ISDIR(dst.st_mode)) {
    *why = "a folder of that name is in the way";
    return Collision::kStop;
  }
  if (!confirm || !questions) {
    *why = "a file of that name is already there";
    return Collision::kStop;
  }
  const std::string text = ReplaceAll(kReplaceQuestion, "%s", to);
  const int answer = questions->ShowMessage(text, kReplaceCaption, MB_YESNOCANCEL);
  return answer == IDYES ? Collision::kReplace : Collision::kStop;
}

// Makes a rename in `path`'s folder durable before anything depends on it.
void syncFolderOf(const std::string& path) {
  std::string folder;
  SplitPath(path, &folder, nullptr);
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Moves `from` to a free name `to`, which is never replaced.
bool moveFile(const std::string& from, const std::string& to, const CopyProgress& progress) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EXDEV) return false;
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Across file systems the source is removed only after its copy is safely in place; a
  // source that cannot be removed is found out before anything is copied.
  std::string folder;
  SplitPath(from, &folder, nullptr);
  if (access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) return false;
  if (!copyFileSafely(from, to, false, progress)) return false;
  syncFolderOf(to);
  if (::unlink(from.c_str()) == 0) return true;
  ::unlink(to.c_str());
  return false;
}

}  // namespace

void TEST_FailCopyAfterBytes(int64_t bytes) {
  g_failAfterBytes.store(bytes);
}

int CopyFileHooked(const std::string& sourceName, const std::string& targetName,
                   const std::string& sourceFolder, const std::string& targetFolder,
                   bool failIfExists, const FileHook& before, const FileHook& after,
                   const CopyProgress& progress) {
  if (sourceName.empty()) return 0;
  const std::string source = JoinPath(sourceName, sourceFolder);
  const std::string target = JoinPath(targetName.empty() ? sourceName : targetName, targetFolder);
  return runHooked(target, before, after, [&] {
    return source != target && copyFileSafely(source, target, !failIfExists, progress);
  });
}

bool ShellDelete(Questions* questions, const std::string& name, const std::string& folder,
                 bool confirm, std::string* why) {
  if (name.empty()) return false;
  const std::string path = JoinPath(name, folder);
  if (confirm && questions) {
    const std::string text = ReplaceAll(kTrashQuestion, "%s", path);
    if (questions->ShowMessage(text, kTrashCaption, MB_YESNO) != IDYES) return false;
  }
  return MoveToTrash(path, nullptr, why);
}

bool ShellFileOp(Questions* questions, int operation, const std::string& from,
                 const std::string& to, bool confirm, const CopyProgress& progress,
                 std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  if (from.empty() || to.empty() || (operation != FO_MOVE && operation != FO_COPY)) return false;
  struct stat src {};
  if (lstat(from.c_str(), &src) != 0) {
    *why = std::string("it cannot be found: ") + strerror(errno);
    return false;
  }
  std::string target = to;
  if (PathKind(to) == PATH_FOLDER) target = JoinPath(DisplayNameOf(from), to);
  const Collision collision = askAboutCollision(questions, from, target, confirm, why);
  if (collision == Collision::kStop) return false;
  if (operation == FO_COPY && !S_ISREG(src.st_mode)) {
    *why = "only a regular file can be copied";
    return false;
  }
  // The file being replaced goes to the trash first, so that it can be got back; when it
  // cannot be trashed it stays and nothing is moved or copied.
  std::string replaced, trashWhy;
  if (collision == Collision::kReplace && !MoveToTrash(target, &replaced, &trashWhy)) {
    *why = "the file it would replace cannot be moved to the trash: " + trashWhy;
    return false;
  }
  bool stopped = false;  // by the user, who needs no reason
  const CopyProgress watched = [&](int64_t copied, int64_t total) {
    stopped = progress && !progress(copied, total);
    return !stopped;
  };
  const FileChange change = operation == FO_MOVE ? FileChange::kMove : FileChange::kCopy;
  bool done = false;
  if (WatchBefore(change, from, target, why)) {
    errno = 0;
    done = operation == FO_MOVE ? moveFile(from, target, watched)
                                : copyFileSafely(from, target, false, watched);
    if (!done && !stopped) *why = errno ? strerror(errno) : "the operation failed";
    WatchAfter(change, from, target, done);
  }
  // A failed move or copy puts the replaced file back in its place.
  if (!done && !replaced.empty()) RestoreFromTrash(replaced, target);
  return done;
}

}  // namespace tf
