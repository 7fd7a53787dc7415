#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/path_utils.h"

namespace tf {

bool FolderLock::Open(const std::string& folder) {
  const std::string path = JoinPath(kFolderLockName, folder);
  // No O_TRUNC and no link followed: the file holds nothing, only its lock matters.
  m_fd.reset(::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644));
  return m_fd.get() >= 0;
}

bool FolderLock::TryExclusive() {
  return m_fd.get() >= 0 && ::flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0;
}

bool FolderLock::Shared() {
  if (m_fd.get() < 0) return false;
  int result;
  while ((result = ::flock(m_fd.get(), LOCK_SH)) != 0 && errno == EINTR) {
  }
  return result == 0;
}

void FolderLock::Release() {
  if (m_fd.get() >= 0) ::flock(m_fd.get(), LOCK_UN);
}

}  // namespace tf
