// The DOS attribute bits (system, archive) of files on the file systems that keep them:
// FAT through its ioctl, NTFS and Samba shares through their extended attributes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/file_attributes.h"

namespace tf {

// Where a folder's file system keeps DOS attributes, decided once per folder from its
// file-system type.
enum class DosAttributeSource { kNone, kFat, kNtfs, kSamba };

DosAttributeSource DosAttributeSourceOf(int64_t fileSystemType);

// The system and archive bits of `name` in the open folder `dirFd`; 0 when the file
// system does not keep them or the file cannot be opened.
uint32_t ReadDosAttributes(int dirFd, const char* name, DosAttributeSource source);

// The system and archive bits of an extended attribute's raw value: NTFS keeps them as a
// big-endian 32-bit word ("system.ntfs_attrib_be"), Samba as a little-endian one
// ("user.cifs.dosattrib"). 0 for a value of any other length.
uint32_t DecodeDosAttributeValue(const unsigned char* value, size_t length, bool bigEndian);

}  // namespace tf
