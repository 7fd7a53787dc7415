// Reads any bytes as the lines of a hash cache, sealed with the closing line a cache file
// ends with so that the lines themselves are reached: a cache read whole must write back
// a text that reads to the same entries; anything else leaves the cache empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/content_read.h"
#include "results/hash_cache.h"

namespace {

std::string hex(const tf::ContentHash& h) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const uint64_t part : {h.high, h.low})
    for (int shift = 60; shift >= 0; shift -= 4) out.push_back(kDigits[(part >> shift) & 15]);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses between the bytes as they are and the bytes sealed.
  const std::string lines(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string text = "twinfold-hashes 1\n" + lines;
  if (data[0] & 1) {
    size_t count = 0;
    for (const char c : lines) count += c == '\n';
    text += "end " + std::to_string(count) + " " + hex(tf::HashBytes(text)) + "\n";
  } else {
    text = lines;
  }
  tf::HashCache cache;
  if (!cache.Parse(text)) {
    if (cache.Size() != 0) std::abort();
    return 0;
  }
  const std::string written = cache.Text();
  tf::HashCache again;
  if (!again.Parse(written) || again.Size() != cache.Size() || again.Text() != written)
    std::abort();
  return 0;
}
