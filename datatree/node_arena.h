// NodeArena: makes DataNodes, with their name and desc texts, in large shared blocks
// instead of one heap allocation per node and per text: for trees of very many small
// nodes such as the file nodes of a result.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "datatree/data_node.h"

namespace tf {

class NodeArena {
 public:
  NodeArena() = default;
  // Gives up the arena's hold on its blocks: nodes made here live on until deleted.
  ~NodeArena();
  NodeArena(const NodeArena&) = delete;
  NodeArena& operator=(const NodeArena&) = delete;

  // A DataNode under `parent` (flags: ATTACH_*, as CreateNode) named `name` whose desc
  // is `desc`, a text from StoreShared of this arena or null; a root when `parent` is
  // null. Takes the node lock; null when memory cannot be had.
  //
  // The node is an ordinary node of its tree: DeleteNode deletes it, SetName and SetDesc
  // give it heap texts of its own. Its block goes back to the heap when the last node in
  // it is gone and the arena has moved on.
  DataNode* Create(DataNode* parent, std::string_view name, const char* desc, int flags) {
    return create(parent, name, desc, flags, nullptr);
  }
  // The same for a file that keeps only its own name `fileName` in `folder` (from
  // StoreFolder of this arena; see TreeNode::Folder).
  DataNode* CreateInFolder(DataNode* parent, std::string_view fileName, const FolderText* folder,
                           int flags);
  // A folder whose text is its parent's (from StoreFolder of this arena, or null for the
  // first part) followed by `part`, normally ending in a separator. It lives as long as
  // any node of this arena. Null when memory cannot be had.
  const FolderText* StoreFolder(const FolderText* parent, std::string_view part);
  // A zero-ended copy of `text` that lives as long as any node of this arena: for a desc
  // that many nodes share. Null when memory cannot be had.
  char* StoreShared(std::string_view text);

  // Bytes of blocks this arena has taken from the heap (given back or not).
  size_t ReservedBytes() const { return m_reserved; }

  // The blocks are aligned to their size, so that a node finds its block from its own
  // address.
  static constexpr size_t kBlockSize = size_t{1} << 20;

 private:
  struct Shared;
  struct Block;
  friend class ArenaNode;

  DataNode* create(DataNode* parent, std::string_view name, const char* desc, int flags,
                   const FolderText* folder);
  // Room for `bytes` in the shared texts, at an address aligned to `align`.
  char* sharedRoom(size_t bytes, size_t align);
  // Room for `bytes` between the nodes and the texts of the current block, starting a new
  // block when there is none; false when no block can be had.
  bool makeRoom(size_t bytes);
  static void releaseBlock(Block* block);
  static void releaseShared(Shared* shared);

  Block* m_block = nullptr;    // the block being filled; the arena holds it
  size_t m_used = 0;           // end of the nodes in m_block
  size_t m_top = 0;            // start of the texts in m_block
  Shared* m_shared = nullptr;  // the shared texts; the arena and every block hold it
  size_t m_reserved = 0;
};

}  // namespace tf
