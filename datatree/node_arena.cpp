#include "datatree/node_arena.h"

#include <cstdint>
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

char* NodeArena::sharedRoom(size_t bytes, size_t align) {
  if (!m_shared) {
    m_shared = new (std::nothrow) Shared;
    if (!m_shared) return nullptr;
  }
  Shared& shared = *m_shared;
  size_t at = (shared.used + align - 1) & ~(align - 1);
  try {
    if (at + bytes > Shared::kChunk) {
      // A text longer than a chunk gets a chunk of its own.
      const size_t chunk = bytes > Shared::kChunk ? bytes : Shared::kChunk;
      shared.chunks.emplace_back(new char[chunk]);
      at = 0;
      m_reserved += chunk;
    }
  } catch (const std::exception&) {
    return nullptr;
  }
  shared.used = at + bytes;
  return shared.chunks.back().get() + at;
}

char* NodeArena::StoreShared(std::string_view text) {
  char* at = sharedRoom(text.size() + 1, 1);
  if (!at) return nullptr;
  std::memcpy(at, text.data(), text.size());
  at[text.size()] = '\0';
  return at;
}

const FolderText* NodeArena::StoreFolder(const FolderText* parent, std::string_view part) {
  const size_t before = parent ? parent->size : 0;
  if (part.size() > UINT32_MAX - before) return nullptr;
  // Chunks come from new[], aligned for any record.
  char* at = sharedRoom(sizeof(FolderText) + part.size() + 1, alignof(FolderText));
  if (!at) return nullptr;
  auto* folder = new (at) FolderText;
  folder->parent = parent;
  folder->size = static_cast<uint32_t>(before + part.size());
  folder->depth = parent ? parent->depth + 1 : 0;
  char* text = at + sizeof(FolderText);
  std::memcpy(text, part.data(), part.size());
  text[part.size()] = '\0';
  return folder;
}

DataNode* NodeArena::CreateInFolder(DataNode* parent, std::string_view fileName,
                                    const FolderText* folder, int flags) {
  return create(parent, fileName, nullptr, flags, folder);
}

DataNode* NodeArena::create(DataNode* parent, std::string_view name, const char* desc, int flags,
                            const FolderText* folder) {
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
    if (folder)
      node->BorrowNameInFolder(text, folder);
    else
      node->BorrowTexts(text, const_cast<char*>(desc));
  } else {
    node->BorrowTexts(nullptr, const_cast<char*>(desc));
    try {
      // A name too long for a block is whole on the heap, and so is its folder.
      if (folder) {
        node->TakeName(CopyNodeText((folder->Whole() + std::string(name)).c_str()));
        node->TakeDesc(CopyNodeText(folder->Whole().c_str()));
      } else {
        node->TakeName(CopyNodeText(std::string(name).c_str()));
      }
    } catch (const std::exception&) {
      DeleteNode(node);
      return nullptr;
    }
  }
  return node;
}

}  // namespace tf
