// File attribute bits as the rest of the program knows them, and the DOS ones read from FAT.
#pragma once

#include <cstdint>

namespace tf {

constexpr uint32_t kAttrReadOnly = 0x01;  // the owner's write bit is clear
constexpr uint32_t kAttrHidden = 0x02;    // the name begins with '.'
constexpr uint32_t kAttrSystem = 0x04;    // only from file systems that keep DOS attributes
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;  // only from file systems that keep DOS attributes

// The system and archive bits of `name` in the open folder `dirFd`, asked of a FAT file
// system; 0 when the file system does not keep them or the file cannot be opened.
uint32_t ReadDosAttributes(int dirFd, const char* name);

}  // namespace tf
