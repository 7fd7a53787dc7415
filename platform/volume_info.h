// Mounted volumes: their space and geometry, and the summary lines of the drive list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tf {

// File-system flags reported by QueryVolumeSpace, with the values the program has always
// known them by.
constexpr uint32_t kVolumeCaseSensitive = 0x00000001;
constexpr uint32_t kVolumeCasePreserved = 0x00000002;
constexpr uint32_t kVolumeReadOnly = 0x00080000;

// Total bytes of the volume holding `path` (a file's folder, or the folder itself); 0 for
// an empty or missing path or when the volume cannot be asked. The free figure is every
// free byte, including those reserved for the administrator. Outputs may be null.
int64_t QueryVolumeSpace(const std::string& path, uint32_t* bytesPerSector = nullptr,
                         uint32_t* sectorsPerCluster = nullptr, uint32_t* flags = nullptr,
                         int64_t* freeBytes = nullptr);

// Whether the file system holding `path` lies on a spinning disk, where reading several
// folders at once only makes the heads seek: a SATA or SAS disk whose kernel queue says
// it rotates (also under a partition, a device-mapper or RAID volume when any disk below
// rotates). Virtual disks (virtio, Xen), NVMe, memory cards, loop and memory devices
// count as solid-state whatever they report, as do file systems without a block device.
// `sysRoot` is where sysfs is mounted.
bool IsOnSpinningDisk(const std::string& path, const std::string& sysRoot = "/sys");

// One line of the drive list: the mount point is kept beside its text because mount
// points may hold blanks.
struct DriveSummary {
  std::string mountPoint;
  std::string line;  // "<mount point> <total> <unit> Free: <free> <unit>"
};

// Fills `out` (cleared first) with the mounted real file systems in mount order: pseudo and
// memory file systems, removable devices, bind mounts of a file system already listed and
// volumes reporting no size are left out. False when the mount table cannot be read.
bool BuildDriveSummaryList(std::vector<DriveSummary>* out);

}  // namespace tf
