// The attribute bits of a file as the program records and filters them.
#pragma once

#include <cstdint>

namespace tf {

constexpr uint32_t kAttrReadOnly = 0x01;   // the owner's write bit is clear
constexpr uint32_t kAttrHidden = 0x02;     // the name begins with '.'
constexpr uint32_t kAttrSystem = 0x04;     // only from file systems that keep DOS attributes
constexpr uint32_t kAttrDirectory = 0x10;  // a folder
constexpr uint32_t kAttrArchive = 0x20;    // only from file systems that keep DOS attributes

}  // namespace tf
