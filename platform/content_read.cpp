#include "platform/content_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/unique_fd.h"

namespace tf {
namespace {

// One buffer per read of this size: memory does not grow with the file, and the bytes are
// still in the processor's cache when the hash reads them (1 MiB reads took twice as long).
constexpr size_t kReadBufferBytes = size_t{128} << 10;

std::atomic<int64_t> g_bytesRead{0};

std::string systemText(int error) {
  char buffer[256];
  // The GNU strerror_r answers a text that may or may not be the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

int64_t nanoseconds(const timespec& ts) {
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

ContentKey keyOf(const struct stat& st) {
  ContentKey key;
  key.device = st.st_dev;
  key.inode = st.st_ino;
  key.size = st.st_size;
  key.modifiedNs = nanoseconds(st.st_mtim);
  key.changedNs = nanoseconds(st.st_ctim);
  return key;
}

// Opens a regular file for a sequential read; -1 with *why otherwise. O_NONBLOCK keeps a
// FIFO that took the file's place from hanging the open; it is refused right after.
int openForReading(const std::string& path, int extraFlags, struct stat* st, std::string* why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | extraFlags);
  if (fd < 0) {
    if (why) *why = errno == ELOOP ? "is not a regular file" : systemText(errno);
    return -1;
  }
  if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    if (why) *why = "is not a regular file";
    ::close(fd);
    return -1;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

// Reads up to `want` bytes; fewer only at the end of the file. -1 on an error.
ssize_t readFull(int fd, char* buffer, size_t want) {
  size_t got = 0;
  while (got < want) {
    const ssize_t n = ::read(fd, buffer + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  g_bytesRead.fetch_add(static_cast<int64_t>(got), std::memory_order_relaxed);
  return static_cast<ssize_t>(got);
}

struct HashState {
  XXH3_state_t* state = XXH3_createState();
  ~HashState() { XXH3_freeState(state); }
};

}  // namespace

int ReadContentKey(const std::string& path, ContentKey* out, std::string* why) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (why) *why = errno == ENOENT ? "does not exist" : systemText(errno);
    return 0;
  }
  if (!S_ISREG(st.st_mode)) {
    if (why) *why = "is not a regular file";
    return 0;
  }
  *out = keyOf(st);
  return 1;
}

ReadOutcome HashContent(const std::string& path, const ContentKey& expected, int64_t limit,
                        ContentHash* out, std::string* why, const std::atomic<bool>* stop,
                        std::atomic<int64_t>* bytesRead) {
  struct stat st {};
  UniqueFd fd(openForReading(path, O_NOFOLLOW, &st, why));
  if (fd.get() < 0) return ReadOutcome::kFailed;
  if (!(keyOf(st) == expected)) {
    if (why) *why = "changed since it was looked at";
    return ReadOutcome::kChanged;
  }
  HashState hash;
  if (!hash.state || XXH3_128bits_reset(hash.state) != XXH_OK) {
    if (why) *why = "no memory for the hash";
    return ReadOutcome::kFailed;
  }
  const int64_t want = limit < 0 || limit > expected.size ? expected.size : limit;
  std::unique_ptr<char[]> buffer(new char[kReadBufferBytes]);
  int64_t done = 0;
  while (done < want) {
    if (stop && stop->load(std::memory_order_relaxed)) return ReadOutcome::kStopped;
    const size_t chunk = static_cast<size_t>(std::min<int64_t>(want - done, kReadBufferBytes));
    const ssize_t n = readFull(fd.get(), buffer.get(), chunk);
    if (n < 0) {
      if (why) *why = systemText(errno);
      return ReadOutcome::kFailed;
    }
    if (static_cast<size_t>(n) < chunk) {
      if (why) *why = "changed while it was read";
      return ReadOutcome::kChanged;
    }
    XXH3_128bits_update(hash.state, buffer.get(), static_cast<size_t>(n));
    done += n;
    if (bytesRead) bytesRead->fetch_add(n, std::memory_order_relaxed);
  }
  if (::fstat(fd.get(), &st) != 0 || !(keyOf(st) == expected)) {
    if (why) *why = "changed while it was read";
    return ReadOutcome::kChanged;
  }
  const XXH128_hash_t h = XXH3_128bits_digest(hash.state);
  out->low = h.low64;
  out->high = h.high64;
  return ReadOutcome::kRead;
}

ContentHash HashBytes(std::string_view bytes) {
  const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
  return ContentHash{h.low64, h.high64};
}

int CompareContents(const std::string& a, const std::string& b, std::string* why) {
  struct stat stA {};
  struct stat stB {};
  std::string whyA;
  std::string whyB;
  UniqueFd fdA(openForReading(a, 0, &stA, &whyA));
  UniqueFd fdB(openForReading(b, 0, &stB, &whyB));
  if (fdA.get() < 0 || fdB.get() < 0) {
    if (why) *why = fdA.get() < 0 ? "\"" + a + "\" " + whyA : "\"" + b + "\" " + whyB;
    return -1;
  }
  if (stA.st_dev == stB.st_dev && stA.st_ino == stB.st_ino) return 1;
  if (stA.st_size != stB.st_size) return 0;
  std::vector<char> bufA(kReadBufferBytes);
  std::vector<char> bufB(kReadBufferBytes);
  for (;;) {
    const ssize_t nA = readFull(fdA.get(), bufA.data(), bufA.size());
    const ssize_t nB = readFull(fdB.get(), bufB.data(), bufB.size());
    if (nA < 0 || nB < 0) {
      if (why) *why = systemText(errno);
      return -1;
    }
    if (nA != nB || std::memcmp(bufA.data(), bufB.data(), static_cast<size_t>(nA)) != 0) return 0;
    if (nA == 0) return 1;
  }
}

int64_t TEST_ContentBytesRead() {
  return g_bytesRead.load();
}

}  // namespace tf
