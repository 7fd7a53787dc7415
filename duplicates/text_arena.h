// TextArena: append-only storage for many small texts whose views must stay valid for
// the arena's lifetime (the names, keys and folder names of a duplicate index).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tf {

class TextArena {
 public:
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // A copy of `text` that lives as long as the arena. Never reallocates stored texts.
  std::string_view Store(std::string_view text);
  // The same, with a NUL stored after the text (not part of the view), so that the
  // view's data() is also a C string.
  std::string_view StoreTerminated(std::string_view text);
  // A copy preceded by its length, so that one pointer names the whole text (a record
  // then needs no length field of its own). Read it back with Prefixed.
  const char* StorePrefixed(std::string_view text);
  static std::string_view Prefixed(const char* stored);

  // Takes over every block of `other` (which ends up empty): texts stored there stay
  // where they are and now live as long as this arena.
  void Adopt(TextArena& other);
  void Clear();
  // Bytes reserved from the heap, for the memory figures.
  size_t ReservedBytes() const { return m_reserved; }

 private:
  // Blocks grow from small (many tiny indexes in tests, one per folder scan) to large,
  // so that a big scan asks the allocator for few blocks.
  static constexpr size_t kFirstChunk = 4 * 1024;
  static constexpr size_t kLargestChunk = 1024 * 1024;

  char* reserve(size_t size);

  std::vector<std::unique_ptr<char[]>> m_chunks;
  size_t m_chunkSize = 0;  // size of the last chunk
  size_t m_used = 0;       // bytes used in the last chunk
  size_t m_reserved = 0;
};

}  // namespace tf
