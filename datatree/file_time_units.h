// The units of the program's file times: 64-bit counts of 100 ns since 1601-01-01 UTC,
// shared by every layer that stores or compares them.
#pragma once

#include <cstdint>

namespace tf {

constexpr int64_t kFileTimeDay = 864000000000LL;              // 100-ns intervals in one day
constexpr int64_t kFileTimeSecond = 10000000LL;               // 100-ns intervals in one second
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;  // 1970-01-01 as a file time

}  // namespace tf
