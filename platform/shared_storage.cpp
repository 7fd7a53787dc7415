#include "platform/shared_storage.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_time.h"
#include "platform/unique_fd.h"

#ifndef XFS_SUPER_MAGIC
#define XFS_SUPER_MAGIC 0x58465342
#endif

namespace tf {
namespace {

// Bytes asked of the kernel per call: btrfs shares at most 16 MiB per call (and quietly
// does less when asked for more), so each call names no more and the next goes on from
// where the kernel says it stopped.
constexpr uint64_t kChunkBytes = uint64_t{16} << 20;

std::string systemText(int error) {
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);
}

std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// A kernel answer that means this file system, or this pair of files, cannot share.
bool cannotShare(int error) {
  return error == EOPNOTSUPP || error == ENOTTY || error == EINVAL || error == EXDEV;
}

const char* fileSystemName(int64_t type) {
  switch (type) {
    case EXT4_SUPER_MAGIC:  // ext2 and ext3 too
      return "ext4";
    case TMPFS_MAGIC:
      return "tmpfs";
    case NFS_SUPER_MAGIC:
      return "NFS";
    case MSDOS_SUPER_MAGIC:
      return "FAT";
    case 0x5346544e:
      return "NTFS";
    case 0x65735546:
      return "FUSE";
    case OVERLAYFS_SUPER_MAGIC:
      return "overlay";
    case BTRFS_SUPER_MAGIC:
      return "btrfs";
    case XFS_SUPER_MAGIC:
      return "XFS";
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
      return "SMB";
    default:
      return nullptr;
  }
}

bool typeCanShare(int64_t type) {
  return type == static_cast<int64_t>(BTRFS_SUPER_MAGIC) ||
         type == static_cast<int64_t>(XFS_SUPER_MAGIC);
}

std::string cannotShareText(const std::string& path, int64_t type) {
  const char* name = fileSystemName(type);
  // A btrfs or XFS that refuses: an XFS made without reflink, or a kernel without it.
  if (typeCanShare(type))
    return std::string("the file system of ") + quoted(path) + " (" + name +
           ") refused to share storage" +
           (type == static_cast<int64_t>(XFS_SUPER_MAGIC) ? " (made without reflink?)" : "");
  return std::string("the file system of ") + quoted(path) + " (" + (name ? name : "this kind") +
         ") cannot share storage between files; btrfs and XFS can";
}

// Opens a regular file without following a final link and without blocking (a FIFO that
// took the file's place would hang the open); -1 with *why otherwise.
int openRegular(const std::string& path, int mode, struct stat* st, std::string* why) {
  const int fd = ::open(path.c_str(), mode | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
  if (fd < 0) {
    *why = errno == ELOOP ? quoted(path) + " is a symbolic link now" : systemText(errno);
    return -1;
  }
  if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    *why = quoted(path) + " is no regular file now";
    ::close(fd);
    return -1;
  }
  return fd;
}

ShareReport report(ShareOutcome outcome, std::string why, int64_t bytes = 0) {
  return {outcome, bytes, std::move(why)};
}

// One call of the ioctl for [offset, offset + length): the kernel's status of the copy (0,
// FILE_DEDUPE_RANGE_DIFFERS, or minus an errno), the bytes it shared in *done.
int dedupeOnce(int keptFd, int copyFd, uint64_t offset, uint64_t length, uint64_t* done) {
  const size_t bytes = sizeof(file_dedupe_range) + sizeof(file_dedupe_range_info);
  std::unique_ptr<unsigned char[]> memory(new unsigned char[bytes]());
  auto* range = reinterpret_cast<file_dedupe_range*>(memory.get());
  range->src_offset = offset;
  range->src_length = length;
  range->dest_count = 1;
  range->info[0].dest_fd = copyFd;
  range->info[0].dest_offset = offset;
  int result;
  do {
    result = ::ioctl(keptFd, FIDEDUPERANGE, range);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return -errno;
  *done = range->info[0].bytes_deduped;
  return range->info[0].status;
}

}  // namespace

ShareReport ShareStorage(const std::string& kept, const std::string& copy, int64_t size,
                         int64_t modified) {
  std::string why;
  struct stat keptSt {};
  struct stat copySt {};
  UniqueFd keptFd(openRegular(kept, O_RDONLY, &keptSt, &why));
  if (keptFd.get() < 0) return report(ShareOutcome::kChanged, "the kept copy: " + why);
  // Read-only is enough where the user owns the copy or may write it (the kernel's rule
  // since 4.19); an older kernel wants it open for writing, asked for below.
  UniqueFd copyFd(openRegular(copy, O_RDONLY, &copySt, &why));
  if (copyFd.get() < 0) return report(ShareOutcome::kChanged, why);
  if (copySt.st_size != size || FileTimeFromTimespec(copySt.st_mtim) != modified)
    return report(ShareOutcome::kChanged, "it changed since the search");
  if (keptSt.st_size != size)
    return report(ShareOutcome::kChanged, "the kept copy changed since the search");
  if (keptSt.st_dev != copySt.st_dev)
    return report(ShareOutcome::kCannotShare,
                  "it lies on another file system than the kept copy " + quoted(kept));
  if (keptSt.st_ino == copySt.st_ino)
    return report(ShareOutcome::kFailed, "it is another name of the kept copy");
  struct statfs fs {};
  if (::fstatfs(copyFd.get(), &fs) == 0 && !typeCanShare(static_cast<int64_t>(fs.f_type)))
    return report(ShareOutcome::kCannotShare,
                  cannotShareText(copy, static_cast<int64_t>(fs.f_type)));

  const uint64_t total = static_cast<uint64_t>(size);
  uint64_t offset = 0;
  bool reopened = false;
  while (offset < total) {
    uint64_t done = 0;
    const int status = dedupeOnce(keptFd.get(), copyFd.get(), offset,
                                  std::min(kChunkBytes, total - offset), &done);
    if ((status == -EPERM || status == -EACCES) && !reopened) {
      reopened = true;
      struct stat again {};
      UniqueFd writable(openRegular(copy, O_RDWR, &again, &why));
      if (writable.get() < 0 || again.st_ino != copySt.st_ino || again.st_dev != copySt.st_dev)
        return report(ShareOutcome::kFailed, "no permission to change its storage",
                      static_cast<int64_t>(offset));
      copyFd = std::move(writable);
      continue;
    }
    if (status == FILE_DEDUPE_RANGE_DIFFERS)
      return report(ShareOutcome::kDiffers,
                    "its bytes differ from the kept copy's now; it was left as it is",
                    static_cast<int64_t>(offset));
    if (status < 0 && cannotShare(-status))
      return report(ShareOutcome::kCannotShare,
                    offset ? "the file system stopped sharing: " + systemText(-status)
                           : cannotShareText(copy, static_cast<int64_t>(fs.f_type)),
                    static_cast<int64_t>(offset));
    if (status < 0)
      return report(ShareOutcome::kFailed,
                    status == -EPERM || status == -EACCES ? "no permission to change its storage"
                                                          : systemText(-status),
                    static_cast<int64_t>(offset));
    if (status != FILE_DEDUPE_RANGE_SAME || done == 0)
      return report(ShareOutcome::kFailed, "the file system shared nothing of it",
                    static_cast<int64_t>(offset));
    offset += done;
  }

  // Sharing leaves the times alone on btrfs and XFS; should a file system move the
  // modification time, the copy gets its own back.
  struct stat after {};
  if (::fstat(copyFd.get(), &after) == 0 && (after.st_mtim.tv_sec != copySt.st_mtim.tv_sec ||
                                             after.st_mtim.tv_nsec != copySt.st_mtim.tv_nsec)) {
    const timespec times[2] = {{0, UTIME_OMIT}, copySt.st_mtim};
    if (::futimens(copyFd.get(), times) != 0)
      return report(ShareOutcome::kFailed,
                    "it shares storage now, but its modification time could not be put back: " +
                        systemText(errno),
                    static_cast<int64_t>(offset));
  }
  return report(ShareOutcome::kShared, std::string(), static_cast<int64_t>(offset));
}

std::string WhyCannotShare(const std::string& kept, const std::string& copy) {
  struct stat keptSt {};
  struct stat copySt {};
  if (::lstat(kept.c_str(), &keptSt) != 0 || !S_ISREG(keptSt.st_mode))
    return "the kept copy " + quoted(kept) + " is no regular file";
  if (::lstat(copy.c_str(), &copySt) != 0 || !S_ISREG(copySt.st_mode))
    return quoted(copy) + " is no regular file";
  if (keptSt.st_dev != copySt.st_dev)
    return "it lies on another file system than the kept copy " + quoted(kept);
  struct statfs fs {};
  if (::statfs(copy.c_str(), &fs) != 0) return systemText(errno);
  if (!typeCanShare(static_cast<int64_t>(fs.f_type)))
    return cannotShareText(copy, static_cast<int64_t>(fs.f_type));
  return "";
}

}  // namespace tf
