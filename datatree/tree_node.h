// TreeNode: identity fields and the parent/child/sibling links of a data tree node,
// with the attach flags and the creation record shared by every node factory.
#pragma once

#include <cstdint>
#include <mutex>

namespace tf {

// Bits of the attach flags.
constexpr int ATTACH_AS_CHILD = 1;  // ref is the new parent; without it ref is a sibling
constexpr int ATTACH_AT_END = 2;    // last child of ref, or last sibling of ref's chain
constexpr int ATTACH_BEFORE = 4;    // sibling mode without 2: just before ref
constexpr int ATTACH_LAST_CHILD = ATTACH_AS_CHILD | ATTACH_AT_END;  // 3, the common case
constexpr int ATTACH_FIRST_CHILD = ATTACH_AS_CHILD;                 // 1
constexpr int ATTACH_ROOT = ATTACH_AT_END;                          // 2, with a null parent

class TreeNode;

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
  // The same for a file node of a result that keeps only its own name: the full name is
  // desc (its folder, ending in a separator) followed by name. The many files of a
  // folder then share their folder's text instead of each holding a whole path.
  void BorrowNameAfterDesc(char* borrowedName, char* borrowedDesc);
  bool NameFollowsDesc() const { return (m_borrowed & kNameFollowsDesc) != 0; }

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
};

// The process-wide node lock, created before main. Only CreateNode takes it, so that
// the interface thread and the scan threads can add children to one tree at once.
std::recursive_mutex& NodeLock();

// Heap copy of a text for a node field (null stays null); frees with std::free.
char* CopyNodeText(const char* text);

}  // namespace tf
