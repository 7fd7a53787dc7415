// TreeNode: identity fields and the parent/child/sibling links of a data tree node,
// with the attach flags and the creation record shared by every node factory.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace tf {

// Bits of the attach flags.
constexpr int ATTACH_AS_CHILD = 1;  // ref is the new parent; without it ref is a sibling
constexpr int ATTACH_AT_END = 2;    // last child of ref, or last sibling of ref's chain
constexpr int ATTACH_BEFORE = 4;    // sibling mode without 2: just before ref
constexpr int ATTACH_LAST_CHILD = ATTACH_AS_CHILD | ATTACH_AT_END;  // 3, the common case
constexpr int ATTACH_FIRST_CHILD = ATTACH_AS_CHILD;                 // 1
constexpr int ATTACH_ROOT = ATTACH_AT_END;                          // 2, with a null parent

class TreeNode;

// A folder of a result's files, kept as its parent folder and its own last part. The
// files of a deep tree then share the beginnings of their paths, as the folders on disk
// do, instead of every folder holding its whole path. Made once by a node arena and
// never changed; the part's text follows the record.
struct FolderText {
  const FolderText* parent = nullptr;  // null for the first part
  uint32_t size = 0;                   // bytes of the whole folder text, parents included
  uint32_t depth = 0;                  // folders above this one

  // This folder's own part, zero-ended, normally ending in a separator.
  const char* Part() const { return reinterpret_cast<const char*>(this + 1); }
  size_t PartSize() const { return size - (parent ? parent->size : 0); }
  static const FolderText* OfPart(const char* part) {
    return reinterpret_cast<const FolderText*>(part) - 1;
  }
  // Writes the whole folder text to `out`, which has room for `size` bytes.
  void CopyTo(char* out) const;
  std::string Whole() const;
};

// The creation record handed to Create. Factories fill parent, name and flags only.
struct NodeParams {
  TreeNode* parent = nullptr;
  int32_t id = 0;
  int32_t kind = 0;
  int flags = 0;
  const char* name = nullptr;
  const char* desc = nullptr;
  int32_t group = 0;
  int64_t val = 0;
  int64_t val2 = 0;
};

class TreeNode {
 public:
  TreeNode();
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  // The virtual operations, in their fixed order.
  virtual ~TreeNode();
  virtual int Create(const NodeParams* params);
  virtual int Destroy();
  virtual int Attach(TreeNode* ref, int flags);
  virtual int AttachFromParams(const NodeParams* params);
  virtual int Detach();
  virtual int MoveUp(int queryOnly);
  virtual int MoveDown(int queryOnly);
  virtual int OnCreate(const NodeParams* params);
  virtual int Cleanup();

  // The fields in an order that leaves no holes: a result holds a node per grouped file.
  int32_t kind = 0;
  int32_t id = 0;
  uint32_t instanceNo = 0;
  int32_t group = 0;
  int32_t depth = 0;

 private:
  uint8_t m_borrowed = 0;  // kBorrowed* bits; fills the hole after depth

 public:
  char* name = nullptr;  // heap text (or kept by a node arena), may be null
  char* desc = nullptr;  // heap text (or kept by a node arena), may be null
  int64_t val = 0;
  int64_t val2 = 0;
  TreeNode* parent = nullptr;
  TreeNode* firstChild = nullptr;
  TreeNode* lastChild = nullptr;
  TreeNode* prevSibling = nullptr;
  TreeNode* nextSibling = nullptr;

  // Replace name or desc by `owned` (a heap text from CopyNodeText, or null), freeing the
  // text before unless the node only borrows it.
  void TakeName(char* owned);
  void TakeDesc(char* owned);
  // Points name and desc at texts kept elsewhere (a node arena) for the node's lifetime;
  // they are never freed through the node. Texts the node owned before are freed.
  void BorrowTexts(char* borrowedName, char* borrowedDesc);
  // The same for a file node of a result that keeps only its own name in `folder`: the
  // full name is the folder's text followed by name, and desc is the folder's own part
  // (a text, so that a reader of the bare field still reads a name). Giving the node a
  // new name or desc makes both whole texts of its own first.
  void BorrowNameInFolder(char* borrowedName, const FolderText* folder);
  bool NameFollowsDesc() const { return (m_borrowed & kNameFollowsDesc) != 0; }
  // The folder of such a node; null for every other node.
  const FolderText* Folder() const {
    return NameFollowsDesc() ? FolderText::OfPart(desc) : nullptr;
  }

  // Test hook: the value the next constructed node's number is derived from.
  static void TEST_SetInstanceCounter(uint32_t value);

 protected:
  // Unlinks from parent and siblings, leaving the subtree's depths as they are.
  void unlink();
  // Sets depth from the parent and renumbers every node below, without recursion.
  void renumberDepths();

 private:
  static constexpr uint8_t kBorrowedName = 1;
  static constexpr uint8_t kBorrowedDesc = 2;
  static constexpr uint8_t kNameFollowsDesc = 4;
  void freeTexts();
  // For a node in a folder: desc becomes the whole folder text, the node's own.
  void ownFolderDesc();
};

// The process-wide node lock, created before main. Only CreateNode takes it, so that
// the interface thread and the scan threads can add children to one tree at once.
std::recursive_mutex& NodeLock();

// Heap copy of a text for a node field (null stays null); frees with std::free.
char* CopyNodeText(const char* text);

}  // namespace tf
