#include "duplicates/text_arena.h"

#include <cstring>

namespace tf {

char* TextArena::reserve(size_t size) {
  if (size > kLargestChunk / 4) {
    // A long text gets a block of its own, so that it wastes no chunk tail; it goes in
    // front of the current chunk, which stays the one being filled.
    std::unique_ptr<char[]> block(new char[size]);  // left uninitialised
    char* at = block.get();
    m_chunks.insert(m_chunks.end() - (m_chunks.empty() ? 0 : 1), std::move(block));
    m_reserved += size;
    return at;
  }
  if (m_chunkSize - m_used < size) {
    size_t next = m_chunkSize == 0 ? kFirstChunk : m_chunkSize * 2;
    if (next > kLargestChunk) next = kLargestChunk;
    while (next < size) next *= 2;
    m_chunks.emplace_back(new char[next]);  // pages are touched only as texts arrive
    m_chunkSize = next;
    m_used = 0;
    m_reserved += next;
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

const char* TextArena::StorePrefixed(std::string_view text) {
  // The length in 7-bit groups, low first; a set top bit means another group follows.
  unsigned char length[10];
  size_t lengthBytes = 0;
  for (uint64_t n = text.size();; n >>= 7) {
    length[lengthBytes++] = static_cast<unsigned char>((n & 0x7F) | (n >= 0x80 ? 0x80 : 0));
    if (n < 0x80) break;
  }
  char* at = reserve(lengthBytes + text.size());
  std::memcpy(at, length, lengthBytes);
  if (!text.empty()) std::memcpy(at + lengthBytes, text.data(), text.size());
  return at;
}

std::string_view TextArena::Prefixed(const char* stored) {
  if (!stored) return std::string_view();
  const auto* p = reinterpret_cast<const unsigned char*>(stored);
  uint64_t length = 0;
  int shift = 0;
  for (;; ++p, shift += 7) {
    length |= static_cast<uint64_t>(*p & 0x7F) << shift;
    if (!(*p & 0x80)) break;
  }
  return std::string_view(reinterpret_cast<const char*>(p + 1), static_cast<size_t>(length));
}

void TextArena::Adopt(TextArena& other) {
  if (&other == this) return;
  // The adopted blocks go in front: the last block stays the one being filled.
  m_chunks.insert(m_chunks.end() - (m_chunks.empty() ? 0 : 1),
                  std::make_move_iterator(other.m_chunks.begin()),
                  std::make_move_iterator(other.m_chunks.end()));
  m_reserved += other.m_reserved;
  other.m_chunks.clear();
  other.m_chunkSize = 0;
  other.m_used = 0;
  other.m_reserved = 0;
}

void TextArena::Clear() {
  m_chunks.clear();
  m_chunkSize = 0;
  m_used = 0;
  m_reserved = 0;
}

}  // namespace tf
