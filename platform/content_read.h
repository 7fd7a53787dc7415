// Reading a file's bytes to compare them with another's: the identity that tells whether a
// file is still the one that was read (device, inode, size, modification and change time,
// to the nanosecond), hashes of its first block or all of it, and a byte comparison of two
// files. Reads are sequential, with read-ahead advice, through one buffer of fixed size.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

struct ContentKey {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedNs = 0;  // st_mtim, nanoseconds since 1970
  int64_t changedNs = 0;   // st_ctim: any write or rename moves it, and no program can set it
  bool operator==(const ContentKey&) const = default;
};

struct ContentKeyHash {
  size_t operator()(const ContentKey& k) const {
    uint64_t h = k.inode * 0x9E3779B97F4A7C15ull;
    h ^= k.device + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(k.changedNs) + (h << 6) + (h >> 2);
    return static_cast<size_t>(h);
  }
};

// XXH3's 128-bit hash.
struct ContentHash {
  uint64_t low = 0;
  uint64_t high = 0;
  bool operator==(const ContentHash&) const = default;
};

// How much of a file is compared first: most files that differ do so here already.
constexpr int64_t kFirstBlockBytes = 4096;

// The key of what `path` names, not following a final link: 1 for a regular file; 0 with
// the reason in *why ("is not a regular file" for a link, FIFO, device or folder).
int ReadContentKey(const std::string& path, ContentKey* out, std::string* why);

enum class ReadOutcome { kRead, kChanged, kFailed, kStopped };

// Hashes bytes [0, limit) of `path` (the whole file when limit < 0 or beyond its end). The
// file is opened without following a link and without blocking, so a FIFO or device put in
// its place is refused unread; it must still be the file `expected` describes, and still
// be afterwards: a file that changed on the way answers kChanged. `bytesRead` (when given)
// grows as bytes are read; `stop` turning true ends the read with kStopped. *why gets the
// reason of kChanged and kFailed.
ReadOutcome HashContent(const std::string& path, const ContentKey& expected, int64_t limit,
                        ContentHash* out, std::string* why, const std::atomic<bool>* stop = nullptr,
                        std::atomic<int64_t>* bytesRead = nullptr);

// The hash of bytes in memory.
ContentHash HashBytes(std::string_view bytes);

// Compares the bytes of the regular files `a` and `b` (links are followed: a link's
// target is what a link made to it would show): 1 equal, 0 different, -1 when either
// cannot be read (the reason in *why).
int CompareContents(const std::string& a, const std::string& b, std::string* why);

// Test hook: the bytes read from files by HashContent and CompareContents in this process.
int64_t TEST_ContentBytesRead();

}  // namespace tf
