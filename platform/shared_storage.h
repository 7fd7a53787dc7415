// Letting two files with the same bytes share their storage: the kernel's deduplication
// (FIDEDUPERANGE), which compares the bytes itself under its own locks and only then points
// the copy at the kept file's blocks, so contents, names, times and permissions stay as
// they were; and a cheap look at whether a place can share at all.
#pragma once

#include <cstdint>
#include <string>

namespace tf {

enum class ShareOutcome {
  kShared,       // every byte of the copy now uses the kept file's storage
  kDiffers,      // the kernel found other bytes: the file changed since it was compared
  kChanged,      // the file is no longer the one the result names (size, time, kind)
  kCannotShare,  // this file system (or this pair: two file systems) cannot share storage
  kFailed,       // anything else, the reason said
};

struct ShareReport {
  ShareOutcome outcome = ShareOutcome::kFailed;
  int64_t bytes = 0;  // bytes the kernel deduplicated (also those shared before a stop)
  std::string why;    // for every outcome but kShared, in words a user can act on
};

// Deduplicates all of `copy` against `kept`. Neither name may be a symbolic link, a FIFO
// or a device (refused unopened or unread); `copy` must still have `size` bytes and the
// modification time `modified` (file time, 100 ns since 1601), `kept` the same size. The
// copy's modification time is put back should the file system move it.
ShareReport ShareStorage(const std::string& kept, const std::string& copy, int64_t size,
                         int64_t modified);

// Why `copy` cannot share storage with `kept`, from the file systems alone (one statfs
// and one stat each): "" when both lie on one btrfs or XFS file system.
std::string WhyCannotShare(const std::string& kept, const std::string& copy);

}  // namespace tf
