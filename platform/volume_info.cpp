#include "platform/volume_info.h"

#include <dirent.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <set>

#include "platform/display_format.h"
#include "platform/mount_table.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"

namespace tf {
namespace {

// Memory-backed and image file systems hold nothing the user would scan as a drive.
bool isMemoryOrImageType(const std::string& type) {
  return type == "tmpfs" || type == "ramfs" || type == "squashfs" || type == "devtmpfs" ||
         type == "fuse.portal" || type == "fuse.gvfsd-fuse";
}

// The kernel marks removable disks in sysfs; a partition inherits its disk's mark.
bool isRemovableDevice(uint64_t device) {
  const std::string base =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (const char* rel : {"/removable", "/../removable"}) {
    std::string flag;
    if (ReadFileHead(base + rel, 16, &flag) && !flag.empty()) return flag[0] == '1';
  }
  return false;
}

// Kernel names of disks that never spin, whatever their queue says (a virtual disk
// reports what the host told it, often "rotational" for an image on any medium).
bool isSolidStateName(const std::string& name) {
  for (const char* prefix : {"vd", "xvd", "nvme", "mmcblk", "loop", "zram", "nbd", "ram", "pmem"})
    if (name.rfind(prefix, 0) == 0) return true;
  return false;
}

std::string resolvedPath(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// `disk` is a resolved sysfs folder of a whole block device.
bool isSpinningDisk(const std::string& disk, int depth) {
  if (depth > 8) return false;
  // Device-mapper and RAID volumes: as the disks they are made of.
  std::vector<std::string> slaves;
  if (ListFolderNames(disk + "/slaves", &slaves) && !slaves.empty()) {
    for (const std::string& slave : slaves) {
      std::string below = resolvedPath(disk + "/slaves/" + slave);
      if (below.empty()) continue;
      if (fileExists(below + "/partition")) below = below.substr(0, below.rfind('/'));
      if (isSpinningDisk(below, depth + 1)) return true;
    }
    return false;
  }
  const std::string name = disk.substr(disk.rfind('/') + 1);
  if (isSolidStateName(name)) return false;
  std::string rotational;
  if (!ReadStoredFile(disk + "/queue/rotational", &rotational, 4096) || rotational.empty() ||
      rotational[0] != '1')
    return false;
  // On a SATA port (libata) or a SAS end device; anything else (USB bridges, virtual
  // SCSI hosts, ...) counts as solid-state.
  return disk.find("/ata") != std::string::npos || disk.find("/end_device-") != std::string::npos;
}

}  // namespace

bool IsOnSpinningDisk(const std::string& path, const std::string& sysRoot) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  uint64_t device = st.st_dev;
  if (major(device) == 0) {
    // No block device of its own (btrfs subvolumes among others): the mount's source.
    device = 0;
    for (const MountEntry& mount : MountTable::Current()) {
      struct stat source {};
      if (mount.device == st.st_dev && mount.source.rfind("/dev/", 0) == 0 &&
          ::stat(mount.source.c_str(), &source) == 0 && S_ISBLK(source.st_mode)) {
        device = source.st_rdev;
        break;
      }
    }
    if (device == 0) return false;
  }
  std::string folder = resolvedPath(sysRoot + "/dev/block/" + std::to_string(major(device)) + ":" +
                                    std::to_string(minor(device)));
  if (folder.empty()) return false;
  if (fileExists(folder + "/partition")) folder = folder.substr(0, folder.rfind('/'));
  return isSpinningDisk(folder, 0);
}

namespace {

// The cluster size that old FAT formatting tools chose for a volume of `totalBytes`, in
// 512-byte sectors: the FAT12/16 table when !fat32, else the FAT32 table.
uint32_t fatSectorsPerCluster(bool fat32, int64_t totalBytes) {
  if (fat32) {
    if (totalBytes < (int64_t{1} << 33)) return 8;
    if (totalBytes < (int64_t{1} << 34)) return 16;
    if (totalBytes < (int64_t{1} << 35)) return 32;
    return 64;
  }
  static const struct {
    int64_t below;
    uint32_t sectors;
  } kTable[] = {{0x2000000, 1},   {0x4000000, 2},   {0x8000000, 4},  {0xFF00000, 8},
                {0x1FF00000, 16}, {0x3FF00000, 32}, {0x7FF00000, 64}};
  for (const auto& row : kTable)
    if (totalBytes < row.below) return row.sectors;
  return 128;
}

// Whether a FAT volume with this many clusters is FAT32 (FAT12/16 stop below 65525).
bool isFat32ClusterCount(uint64_t clusters) {
  return clusters >= 65525;
}

// The text of a drive line, as FormatSize writes the figures.
std::string driveSummaryLine(const std::string& mountPoint, int64_t total, int64_t freeBytes) {
  std::string totalNumber, totalUnit, freeNumber, freeUnit;
  FormatSize(total, &totalNumber, &totalUnit);
  FormatSize(freeBytes, &freeNumber, &freeUnit);
  return mountPoint + " " + totalNumber + " " + totalUnit + " Free: " + freeNumber + " " + freeUnit;
}

}  // namespace

int64_t QueryVolumeSpace(const std::string& path, uint32_t* bytesPerSector,
                         uint32_t* sectorsPerCluster, uint32_t* flags, int64_t* freeBytes) {
  if (path.empty()) return 0;
  const int kind = PathKind(path);
  if (kind == PATH_MISSING) return 0;
  std::string folder = path;
  if (kind == PATH_FILE) {
    SplitPath(path, &folder, nullptr);
    if (folder.empty()) folder = ".";
  }
  struct statvfs vs {};
  struct statfs fs {};
  if (statvfs(folder.c_str(), &vs) != 0 || statfs(folder.c_str(), &fs) != 0) return 0;
  const int64_t unit = static_cast<int64_t>(vs.f_frsize ? vs.f_frsize : vs.f_bsize);
  const int64_t total = static_cast<int64_t>(vs.f_blocks) * unit;
  uint32_t sectorSize = 512;
  uint32_t perCluster = static_cast<uint32_t>(unit / 512 ? unit / 512 : 1);
  uint32_t fsFlags = kVolumeCaseSensitive | kVolumeCasePreserved;
  if (fs.f_type == MSDOS_SUPER_MAGIC) {
    perCluster = fatSectorsPerCluster(isFat32ClusterCount(vs.f_blocks), total);
    fsFlags = kVolumeCasePreserved;
  }
  if (vs.f_flag & ST_RDONLY) fsFlags |= kVolumeReadOnly;
  if (bytesPerSector) *bytesPerSector = sectorSize;
  if (sectorsPerCluster) *sectorsPerCluster = perCluster;
  if (flags) *flags = fsFlags;
  if (freeBytes) *freeBytes = static_cast<int64_t>(vs.f_bfree) * unit;
  return total;
}

bool BuildDriveSummaryList(std::vector<DriveSummary>* out) {
  if (!out) return false;
  const std::vector<MountEntry> mounts = MountTable::Current();
  if (mounts.empty()) return false;
  out->clear();
  std::set<uint64_t> listed;
  for (const MountEntry& m : mounts) {
    if (MountTable::IsPseudoType(m.type) || isMemoryOrImageType(m.type)) continue;
    // An overlay is the root of a container and counts there, nowhere else.
    if (m.type == "overlay" && m.mountPoint != "/") continue;
    if (listed.count(m.device) || !IsFolder(m.mountPoint)) continue;
    if (isRemovableDevice(m.device)) continue;
    int64_t freeBytes = 0;
    const int64_t total = QueryVolumeSpace(m.mountPoint, nullptr, nullptr, nullptr, &freeBytes);
    if (total <= 0) continue;
    listed.insert(m.device);
    out->push_back({m.mountPoint, driveSummaryLine(m.mountPoint, total, freeBytes)});
  }
  return true;
}

}  // namespace tf
