#include "platform/dos_attributes.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tf {

uint32_t ReadDosAttributes(int dirFd, const char* name) {
  // O_NONBLOCK: a FIFO that took the file's place must not hang the walk.
  const int fd = openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return 0;
  uint32_t dos = 0;
  const int rc = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &dos);
  close(fd);
  if (rc != 0) return 0;
  return dos & (kAttrSystem | kAttrArchive);
}

}  // namespace tf
