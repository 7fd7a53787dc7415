#include "datatree/node_arena.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace tf {

// Texts that nodes of many blocks point at; freed with the last block that holds them.
struct NodeArena::Shared {
  static constexpr size_t kChunk = 64 * 1024;

  std::atomic<uint32_t> holds{1};
  std::vector<std::unique_ptr<char[]>> chunks;
  size_t used = kChunk;  // in the last chunk; full before the first
};

// The head of a block; nodes and their texts follow it. Every live node counts as a
// hold, and so does the arena while it fills the block.
struct NodeArena::Block {
  std::atomic<uint32_t> holds{1};
  Shared* shared = nullptr;
};

// A node that lives in an arena block: deleting it gives its share of the block back.
class ArenaNode final : public DataNode {
 public:
  static void operator delete(void* node) {
    const auto at = reinterpret_cast<uintptr_t>(node) & ~(NodeArena::kBlockSize - 1);
    NodeArena::releaseBlock(reinterpret_cast<NodeArena::Block*>(at));
  }
};

namespace {

constexpr size_t kAlign = alignof(ArenaNode);
static_assert(kAlign <= alignof(std::max_align_t));

constexpr size_t roundUp(size_t size) {
  return (size + kAlign - 1) & ~(kAlign - 1);
}

// Room for the block head; nodes begin after it.
constexpr size_t kHeadSize = 16;

}  // namespace

NodeArena::~NodeArena() {
  if (m_block) releaseBlock(m_block);
  if (m_shared) releaseShared(m_shared);
}

void NodeArena::releaseShared(Shared* shared) {
  if (shared->holds.fetch_sub(1, std::memory_order_acq_rel) == 1) delete shared;
}

void NodeArena::releaseBlock(Block* block) {
  if (block->holds.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  Shared* shared = block->shared;
  block->~Block();
  std::free(block);
  if (shared) releaseShared(shared);
}

bool NodeArena::makeRoom(size_t bytes) {
  static_assert(sizeof(Block) <= kHeadSize);
  if (m_block && m_used + bytes <= m_top) return true;
  if (bytes > kBlockSize - kHeadSize) return false;
  if (!m_shared) {
    m_shared = new (std::nothrow) Shared;
    if (!m_shared) return false;
  }
  void* memory = std::aligned_alloc(kBlockSize, kBlockSize);
  if (!memory) return false;
  m_reserved += kBlockSize;
  if (m_block) releaseBlock(m_block);
  m_block = new (memory) Block;
  m_block->shared = m_shared;
  m_shared->holds.fetch_add(1, std::memory_order_relaxed);
  m_used = kHeadSize;
  m_top = kBlockSize;
  return true;
}

char* NodeArena::StoreShared(std::string_view text) {
  if (!m_shared) {
    m_shared = new (std::nothrow) Shared;
    if (!m_shared) return nullptr;
  }
  Shared& shared = *m_shared;
  const size_t size = text.size() + 1;
  try {
    if (shared.used + size > Shared::kChunk) {
      // A text longer than a chunk gets a chunk of its own.
      const size_t chunk = size > Shared::kChunk ? size : Shared::kChunk;
      shared.chunks.emplace_back(new char[chunk]);
      shared.used = 0;
      m_reserved += chunk;
    }
  } catch (const std::exception&) {
    return nullptr;
  }
  char* at = shared.chunks.back().get() + shared.used;
  shared.used += size;
  std::memcpy(at, text.data(), text.size());
  at[text.size()] = '\0';
  return at;
}

DataNode* NodeArena::create(DataNode* parent, std::string_view name, const char* desc, int flags,
                            bool nameAfterDesc) {
  std::lock_guard<std::recursive_mutex> lock(NodeLock());
  // Nodes fill a block from the front and their names from the back, so that names need
  // no alignment; a name too long for a block is a heap text.
  constexpr size_t kNodeSize = roundUp(sizeof(ArenaNode));
  const size_t textSize = name.size() + 1;
  const bool nameInBlock = kNodeSize + textSize <= kBlockSize - kHeadSize;
  if (!makeRoom(kNodeSize + (nameInBlock ? textSize : 0))) return nullptr;
  char* at = reinterpret_cast<char*>(m_block) + m_used;
  m_used += kNodeSize;
  ArenaNode* node = new (at) ArenaNode;
  m_block->holds.fetch_add(1, std::memory_order_relaxed);
  NodeParams params;
  params.parent = parent;
  params.flags = flags;
  if (!node->Create(&params)) {
    node->Cleanup();
    delete node;
    return nullptr;
  }
  if (nameInBlock) {
    m_top -= textSize;
    char* text = reinterpret_cast<char*>(m_block) + m_top;
    std::memcpy(text, name.data(), name.size());
    text[name.size()] = '\0';
    if (nameAfterDesc)
      node->BorrowNameAfterDesc(text, const_cast<char*>(desc));
    else
      node->BorrowTexts(text, const_cast<char*>(desc));
  } else {
    node->BorrowTexts(nullptr, const_cast<char*>(desc));
    try {
      // A name too long for a block is whole on the heap.
      const std::string whole =
          nameAfterDesc ? std::string(desc) + std::string(name) : std::string(name);
      node->TakeName(CopyNodeText(whole.c_str()));
    } catch (const std::exception&) {
      DeleteNode(node);
      return nullptr;
    }
  }
  return node;
}

}  // namespace tf
