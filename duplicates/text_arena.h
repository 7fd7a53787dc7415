// TextArena: append-only storage for many small texts whose views must stay valid for
// the arena's lifetime (the names and keys of a duplicate index).
#pragma once

#include <cstddef>
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
  void Clear();
  // Bytes reserved from the heap, for the memory figures.
  size_t ReservedBytes() const { return m_reserved; }

 private:
  static constexpr size_t kChunkSize = 64 * 1024;

  char* reserve(size_t size);

  std::vector<std::unique_ptr<char[]>> m_chunks;
  size_t m_used = kChunkSize;  // bytes used in the last chunk; full until one exists
  size_t m_reserved = 0;
};

}  // namespace tf
