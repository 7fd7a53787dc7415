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

bool PlatformLocalStamp(int64_t fileTime, LocalStamp* out, int* millisecond) {
  CalendarTime local;
  if (!out || !FileTimeToLocal(fileTime, &local)) return false;
  *out = LocalStamp{local.year, local.month, local.day, local.hour, local.minute, local.second};
  if (millisecond) *millisecond = local.milliseconds;
  return true;
}

bool PlatformFileTimeOfLocal(const LocalStamp& local, int millisecond, int64_t* out) {
  CalendarTime time;
  time.year = local.year;
  time.month = local.month;
  time.day = local.day;
  time.hour = local.hour;
  time.minute = local.minute;
  time.second = local.second;
  time.milliseconds = millisecond;
  return out && LocalToFileTime(time, out);
}

void PlatformApplyScanPriority(int priority) {
  ApplyScanPriority(priority);
}

int64_t PlatformNow() {
  return FileTimeNow();
}

}  // namespace tf
