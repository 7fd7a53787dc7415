// The platform services the scan engine needs (file systems of paths, local time, the
// clock), in plain types so that engine sources need not see the platform's headers.
#pragma once

#include <cstdint>
#include <string>

#include "base/file_time_units.h"

namespace tf {

// A name of the file system that holds `path` (its mount point); two paths are on one
// file system when the names are equal. Empty when unknown.
std::string PlatformDriveOf(const std::string& path);
// Whether `path` lies on a spinning (SATA or SAS) disk, whose folders are best read one at
// a time; virtual disks count as solid-state.
bool PlatformOnSpinningDisk(const std::string& path);
// Whether every request for a file under `path` is a round trip (a network share, a file
// system served by a program), so that many requests are best kept in flight at once.
bool PlatformOnRoundTripFileSystem(const std::string& path);
// The local calendar time of a file time; false when it cannot be represented.
bool PlatformLocalTime(int64_t fileTime, CalendarTime* out);
// The UTC file time of a local calendar time (dayOfWeek is ignored); false when invalid.
bool PlatformFileTimeOfLocal(const CalendarTime& local, int64_t* out);
// Applies a search priority (0 low, 1 normal, else high) to the calling thread; a
// priority the system refuses is skipped quietly.
void PlatformApplyScanPriority(int priority);
// Now, as a UTC file time.
int64_t PlatformNow();

}  // namespace tf
