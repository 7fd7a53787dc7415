#include "duplicates/text_arena.h"

#include <cstring>

namespace tf {

char* TextArena::reserve(size_t size) {
  if (size > kChunkSize / 4) {
    // A long text gets a block of its own, so that it wastes no chunk tail; it goes in
    // front of the current chunk, which stays the one being filled.
    auto block = std::make_unique<char[]>(size);
    char* at = block.get();
    m_chunks.insert(m_chunks.end() - (m_chunks.empty() ? 0 : 1), std::move(block));
    m_reserved += size;
    return at;
  }
  if (kChunkSize - m_used < size) {
    m_chunks.push_back(std::make_unique<char[]>(kChunkSize));
    m_used = 0;
    m_reserved += kChunkSize;
  }
  char* at = m_chunks.back().get() + m_used;
  m_used += size;
  return at;
}

std::string_view TextArena::Store(std::string_view text) {
  if (text.empty()) return std::string_view();
  char* at = reserve(text.size());
  std::memcpy(at, text.data(), text.size());
  return std::string_view(at, text.size());
}

std::string_view TextArena::StoreTerminated(std::string_view text) {
  char* at = reserve(text.size() + 1);
  std::memcpy(at, text.data(), text.size());
  at[text.size()] = '\0';
  return std::string_view(at, text.size());
}

void TextArena::Clear() {
  m_chunks.clear();
  m_used = kChunkSize;
  m_reserved = 0;
}

}  // namespace tf
