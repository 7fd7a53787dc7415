// FolderLock: the lock the programs writing one folder together (the backup folder) share.
// Each writer holds it shared while its work is under way; tidying up what a killed writer
// left behind takes it alone, and only when no writer holds it. The lock file is
// kFolderLockName in the folder; the system drops a killed program's hold on it.
#pragma once

#include <string>

#include "platform/unique_fd.h"

namespace tf {

constexpr const char* kFolderLockName = ".tf-lock";

class FolderLock {
 public:
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Opens (creating when missing) the lock file of `folder`. False when it cannot be had
  // (a read-only folder): the caller then works without one.
  bool Open(const std::string& folder);
  // Takes the lock alone when nobody holds it, without waiting; true when taken.
  bool TryExclusive();
  // Takes the lock shared (from alone too), waiting only while another program tidies up.
  bool Shared();
  // Lets go of the lock.
  void Release();

 private:
  UniqueFd m_fd;
};

}  // namespace tf
