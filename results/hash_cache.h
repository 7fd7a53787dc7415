// HashCache: the hashes of files read before, kept in $XDG_CACHE_HOME/twinfold/hashes so
// that a second verification of unchanged files reads nothing.
//
// An entry is found only by the exact key of the file it was made for: device, inode,
// size, modification and change time to the nanosecond. Any write, rename or change of
// the times moves the change time, which no program can set back, so an edit that keeps
// the size and modification time still misses the cache. The cache can therefore only
// save reading a file that is byte for byte the one once hashed. A hostile cache could at
// worst claim a hash for the exact key of a file it saw; whoever can write the user's
// cache folder can as well change the user's files. A cache whose header, lines or
// closing checksum are wrong is ignored whole and rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/content_read.h"

namespace tf {

// Entries kept at most; the least recently used go first. About 170 bytes each.
constexpr size_t kMaxHashCacheEntries = 100000;
// A cache file larger than this is damage: it is not read.
constexpr size_t kMaxHashCacheBytes = size_t{24} << 20;

struct CachedHashes {
  ContentHash first;     // of the first kFirstBlockBytes (the whole of a smaller file)
  bool hasFull = false;  // the file was read to its end
  ContentHash full;
};

// Not thread-safe: one thread looks up and stores.
class HashCache {
 public:
  // $XDG_CACHE_HOME/twinfold/hashes.
  static std::string DefaultPath();

  // Reads `path`. A missing file leaves the cache empty; so does a damaged, foreign or
  // oversized one (false, with the reason in *why when given), which the next Save
  // replaces.
  bool Load(const std::string& path, std::string* why = nullptr);
  // The same for the text of a cache file: false (and empty) unless it is whole.
  bool Parse(std::string_view text, std::string* why = nullptr);
  // Saves through the one atomic save, the most recently used entries first, at most
  // kMaxHashCacheEntries. The folder is made when missing.
  bool Save(std::string* error = nullptr) const;

  bool Find(const ContentKey& key, CachedHashes* out);
  void Store(const ContentKey& key, const CachedHashes& hashes);
  size_t Size() const { return m_entries.size(); }

  // The text of the cache, as Save writes it.
  std::string Text() const;

 private:
  struct Entry {
    CachedHashes hashes;
    uint64_t used = 0;  // larger is more recent
  };
  std::string m_path;
  std::unordered_map<ContentKey, Entry, ContentKeyHash> m_entries;
  uint64_t m_clock = 0;
};

}  // namespace tf
