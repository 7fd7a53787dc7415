#include "duplicates/folder_sum.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/file_time_units.h"
#include "platform/content_read.h"

namespace tf {

namespace {

// The hash of a tag byte, a name and up to two 64-bit values; the tag keeps a file's term
// from ever standing for a folder's.
ContentHash termOf(char tag, std::string_view name, const uint64_t* values, size_t count) {
  char small[320];
  std::string large;
  const size_t length = 1 + name.size() + count * 8;
  char* out = small;
  if (length > sizeof small) {
    large.resize(length);
    out = large.data();
  }
  out[0] = tag;
  std::memcpy(out + 1, name.data(), name.size());
  std::memcpy(out + 1 + name.size(), values, count * 8);
  return HashBytes(std::string_view(out, length));
}

}  // namespace

int64_t FileSecond(int64_t fileTime) {
  constexpr int64_t kTicks = 10000000;  // 100 ns ticks per second
  return fileTime >= 0 ? fileTime / kTicks : -((-fileTime + kTicks - 1) / kTicks);
}

void FolderSum::AddChild(std::string_view part, const FolderSum& child) {
  if (child.files == 0) return;
  const ContentHash term = termOf('d', part, child.signature, 2);
  signature[0] += term.low;
  signature[1] += term.high;
  files += child.files;
  size += child.size;
  latest = files == child.files ? child.latest : std::max(latest, child.latest);
}

void FolderTerms::AddFile(std::string_view name, int64_t fileSize, int64_t modified,
                          FolderSum* sum) const {
  uint64_t values[2];
  size_t count = 0;
  if (size) values[count++] = static_cast<uint64_t>(fileSize);
  if (time) values[count++] = static_cast<uint64_t>(FileSecond(modified));
  const ContentHash term = termOf('f', name, values, count);
  sum->signature[0] += term.low;
  sum->signature[1] += term.high;
  sum->latest = sum->files == 0 ? modified : std::max(sum->latest, modified);
  sum->files += 1;
  sum->size += fileSize;
}

}  // namespace tf
