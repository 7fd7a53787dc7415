#include "platform/dos_attributes.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tf {

namespace {

// File-system magic numbers (statfs f_type) of the file systems that keep DOS bits.
constexpr int64_t kNtfsMagic = 0x5346544e;   // the classic kernel driver
constexpr int64_t kNtfs3Magic = 0x7366746e;  // the ntfs3 kernel driver
constexpr int64_t kFuseMagic = 0x65735546;   // ntfs-3g runs over FUSE
constexpr int64_t kCifsMagic = 0xFF534D42;   // SMB1 shares
constexpr int64_t kSmb2Magic = 0xFE534D42;   // SMB2/3 shares

}  // namespace

DosAttributeSource DosAttributeSourceOf(int64_t type) {
  if (type == MSDOS_SUPER_MAGIC) return DosAttributeSource::kFat;
  // A FUSE file system is asked too: ntfs-3g answers, others simply have no such attribute.
  if (type == kNtfsMagic || type == kNtfs3Magic || type == kFuseMagic)
    return DosAttributeSource::kNtfs;
  if (type == kCifsMagic || type == kSmb2Magic) return DosAttributeSource::kSamba;
  return DosAttributeSource::kNone;
}

uint32_t DecodeDosAttributeValue(const unsigned char* value, size_t length, bool bigEndian) {
  if (!value || length != 4) return 0;
  uint32_t word = bigEndian ? (uint32_t{value[0]} << 24 | uint32_t{value[1]} << 16 |
                               uint32_t{value[2]} << 8 | value[3])
                            : (uint32_t{value[3]} << 24 | uint32_t{value[2]} << 16 |
                               uint32_t{value[1]} << 8 | value[0]);
  return word & (kAttrSystem | kAttrArchive);
}

uint32_t ReadDosAttributes(int dirFd, const char* name, DosAttributeSource source) {
  if (source == DosAttributeSource::kNone) return 0;
  // O_NONBLOCK: a FIFO that took the file's place must not hang the walk.
  const int fd = openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return 0;
  uint32_t bits = 0;
  if (source == DosAttributeSource::kFat) {
    uint32_t dos = 0;
    if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &dos) == 0) bits = dos & (kAttrSystem | kAttrArchive);
  } else {
    const bool ntfs = source == DosAttributeSource::kNtfs;
    unsigned char value[8];
    const ssize_t n =
        fgetxattr(fd, ntfs ? "system.ntfs_attrib_be" : "user.cifs.dosattrib", value, sizeof value);
    if (n > 0) bits = DecodeDosAttributeValue(value, static_cast<size_t>(n), ntfs);
  }
  close(fd);
  return bits;
}

}  // namespace tf
