#include "search/engine_platform.h"

#include "platform/file_time.h"
#include "platform/mount_table.h"
#include "platform/path_status.h"
#include "platform/scan_priority.h"
#include "platform/volume_info.h"

namespace tf {

std::string PlatformDriveOf(const std::string& path) {
  return MountTable::MountPointOf(path);
}

bool PlatformOnSpinningDisk(const std::string& path) {
  return IsOnSpinningDisk(path);
}

bool PlatformOnRoundTripFileSystem(const std::string& path) {
  PathStatus status;
  return StatPath(path, &status, true) &&
         MountTable::IsRoundTripType(MountTable::TypeOfDevice(status.device));
}

bool PlatformLocalTime(int64_t fileTime, CalendarTime* out) {
  return out && FileTimeToLocal(fileTime, out);
}

bool PlatformFileTimeOfLocal(const CalendarTime& local, int64_t* out) {
  return out && LocalToFileTime(local, out);
}

void PlatformApplyScanPriority(int priority) {
  ApplyScanPriority(priority);
}

int64_t PlatformNow() {
  return FileTimeNow();
}

}  // namespace tf
