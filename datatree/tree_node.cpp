#include "datatree/tree_node.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>

namespace tf {

namespace {

// Numbers are handed out as 1, 3, 5, ...: the counter is stepped once for the node and
// once after it. Unsigned arithmetic carries 0x7FFFFFFF on to 0x80000000. Relaxed order
// is enough: the number only has to be unique, it orders nothing.
std::atomic<uint32_t> g_instanceCounter{0};

std::recursive_mutex& nodeLockInstance() {
  static std::recursive_mutex lock;
  return lock;
}

// Forces the lock into existence during static initialisation, before main.
[[maybe_unused]] std::recursive_mutex& g_nodeLockAtStart = nodeLockInstance();

}  // namespace

std::recursive_mutex& NodeLock() {
  return nodeLockInstance();
}

char* CopyNodeText(const char* text) {
  if (!text) return nullptr;
  size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(n));
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy, text, n);
  return copy;
}

void TreeNode::TEST_SetInstanceCounter(uint32_t value) {
  g_instanceCounter.store(value);
}

TreeNode::TreeNode() {
  instanceNo = g_instanceCounter.fetch_add(2, std::memory_order_relaxed) + 1;
}

TreeNode::~TreeNode() {
  freeTexts();
}

void TreeNode::freeTexts() {
  if (!(m_borrowed & kBorrowedName)) std::free(name);
  if (!(m_borrowed & kBorrowedDesc)) std::free(desc);
  name = nullptr;
  desc = nullptr;
  m_borrowed = 0;
}

void FolderText::CopyTo(char* out) const {
  // From the last part up: each part knows where it begins from its parent's size.
  for (const FolderText* f = this; f; f = f->parent)
    std::memcpy(out + (f->parent ? f->parent->size : 0), f->Part(), f->PartSize());
}

std::string FolderText::Whole() const {
  std::string whole(size, '\0');
  CopyTo(whole.data());
  return whole;
}

void TreeNode::ownFolderDesc() {
  char* folder = nullptr;
  try {
    folder = CopyNodeText(Folder()->Whole().c_str());
  } catch (const std::exception&) {
    // Without memory for the folder the node keeps no desc rather than a wrong one.
  }
  // The part the node pointed at belongs to the arena: it is never freed here.
  m_borrowed &= static_cast<uint8_t>(~(kBorrowedDesc | kNameFollowsDesc));
  desc = folder;
}

void TreeNode::TakeName(char* owned) {
  if (m_borrowed & kNameFollowsDesc) ownFolderDesc();
  if (!(m_borrowed & kBorrowedName)) std::free(name);
  m_borrowed &= static_cast<uint8_t>(~kBorrowedName);
  name = owned;
}

void TreeNode::TakeDesc(char* owned) {
  if (const FolderText* folder = Folder()) {
    // The name stops depending on the folder: it becomes the whole name first.
    char* whole = nullptr;
    try {
      whole = CopyNodeText((folder->Whole() + (name ? name : "")).c_str());
    } catch (const std::exception&) {
    }
    TakeName(whole);
  }
  if (!(m_borrowed & kBorrowedDesc)) std::free(desc);
  m_borrowed &= static_cast<uint8_t>(~kBorrowedDesc);
  desc = owned;
}

void TreeNode::BorrowTexts(char* borrowedName, char* borrowedDesc) {
  freeTexts();
  name = borrowedName;
  desc = borrowedDesc;
  m_borrowed = kBorrowedName | kBorrowedDesc;
}

void TreeNode::BorrowNameInFolder(char* borrowedName, const FolderText* folder) {
  BorrowTexts(borrowedName, folder ? const_cast<char*>(folder->Part()) : nullptr);
  if (folder) m_borrowed |= kNameFollowsDesc;
}

int TreeNode::Create(const NodeParams* params) {
  if (!AttachFromParams(params) && params && params->parent) return 0;
  if (!params) return OnCreate(params);
  kind = params->kind;
  group = params->group;
  val = params->val;
  val2 = params->val2;
  id = params->id;
  freeTexts();
  name = CopyNodeText(params->name);
  desc = CopyNodeText(params->desc);
  return OnCreate(params);
}

int TreeNode::Destroy() {
  return Cleanup();
}

int TreeNode::AttachFromParams(const NodeParams* params) {
  if (!params) return 0;
  return Attach(params->parent, params->flags);
}

int TreeNode::Attach(TreeNode* ref, int flags) {
  if (!ref) return 0;
  if (flags & ATTACH_AS_CHILD) {
    parent = ref;
    if (flags & ATTACH_AT_END) {
      if (ref->lastChild == this) return 1;
      if (ref->lastChild) {
        prevSibling = ref->lastChild;
        nextSibling = nullptr;
        ref->lastChild->nextSibling = this;
      } else {
        prevSibling = nextSibling = nullptr;
        ref->firstChild = this;
      }
      ref->lastChild = this;
    } else {
      if (ref->firstChild == this) return 1;
      if (ref->firstChild) {
        nextSibling = ref->firstChild;
        prevSibling = nullptr;
        ref->firstChild->prevSibling = this;
      } else {
        prevSibling = nextSibling = nullptr;
        ref->lastChild = this;
      }
      ref->firstChild = this;
    }
  } else {
    parent = ref->parent;
    if (flags & ATTACH_AT_END) {
      TreeNode* last = ref;
      if (parent) {
        last = parent->lastChild;
      } else {
        while (last->nextSibling) last = last->nextSibling;
      }
      prevSibling = last;
      nextSibling = nullptr;
      last->nextSibling = this;
      if (parent) parent->lastChild = this;
    } else if (flags & ATTACH_BEFORE) {
      prevSibling = ref->prevSibling;
      nextSibling = ref;
      if (ref->prevSibling) ref->prevSibling->nextSibling = this;
      ref->prevSibling = this;
      if (parent && parent->firstChild == ref) parent->firstChild = this;
    } else {
      prevSibling = ref;
      nextSibling = ref->nextSibling;
      if (ref->nextSibling) ref->nextSibling->prevSibling = this;
      ref->nextSibling = this;
      if (parent && parent->lastChild == ref) parent->lastChild = this;
    }
  }
  renumberDepths();
  return 1;
}

void TreeNode::unlink() {
  if (prevSibling) prevSibling->nextSibling = nextSibling;
  if (nextSibling) nextSibling->prevSibling = prevSibling;
  if (parent) {
    if (parent->firstChild == this) parent->firstChild = nextSibling;
    if (parent->lastChild == this) parent->lastChild = prevSibling;
  }
  parent = prevSibling = nextSibling = nullptr;
}

void TreeNode::renumberDepths() {
  depth = parent ? parent->depth + 1 : 0;
  // Pre-order walk of the subtree through the links; trees read from files may be
  // deep, so no recursion.
  TreeNode* cur = firstChild;
  while (cur) {
    cur->depth = cur->parent->depth + 1;
    if (cur->firstChild) {
      cur = cur->firstChild;
      continue;
    }
    while (cur != this && !cur->nextSibling) cur = cur->parent;
    if (cur == this) break;
    cur = cur->nextSibling;
  }
}

int TreeNode::Detach() {
  unlink();
  renumberDepths();
  return 1;
}

int TreeNode::MoveUp(int queryOnly) {
  TreeNode* prev = prevSibling;
  if (!prev || queryOnly) return prev != nullptr;
  // before: A prev this B   after: A this prev B
  TreeNode* a = prev->prevSibling;
  TreeNode* b = nextSibling;
  if (a) a->nextSibling = this;
  if (b) b->prevSibling = prev;
  prevSibling = a;
  nextSibling = prev;
  prev->prevSibling = this;
  prev->nextSibling = b;
  if (parent) {
    if (parent->firstChild == prev) parent->firstChild = this;
    if (parent->lastChild == this) parent->lastChild = prev;
  }
  return 1;
}

int TreeNode::MoveDown(int queryOnly) {
  TreeNode* next = nextSibling;
  if (!next || queryOnly) return next != nullptr;
  return next->MoveUp(0);
}

int TreeNode::OnCreate(const NodeParams*) {
  return 1;
}

int TreeNode::Cleanup() {
  return 0;
}

}  // namespace tf
