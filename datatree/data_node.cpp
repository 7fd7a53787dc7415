#include "datatree/data_node.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "base/text_fold.h"

namespace tf {

namespace {

// The shared unset value exists before main, like the node lock.
[[maybe_unused]] const AttrValue& g_unsetAtStart = AttrValue::Unset();

bool textMatches(const char* field, const char* wanted, int contains) {
  if (!field) return false;
  if (!contains) return std::strcmp(field, wanted) == 0;
  constexpr size_t kCut = 4095;
  std::string hay = FoldUpper(std::string_view(field, strnlen(field, kCut)));
  std::string needle = FoldUpper(std::string_view(wanted, strnlen(wanted, kCut)));
  return hay.find(needle) != std::string::npos;
}

// The walk shared by FindByName and FindByDesc; `withChildrenStep` is step 1 of the
// name search (flags exactly 64 start at the children).
TreeNode* findByText(TreeNode* start, const char* text, int flags, int contains,
                     char* TreeNode::*field, bool withChildrenStep) {
  if (!text || !start) return nullptr;
  TreeNode* cur = start;
  int f = flags;
  for (;;) {
    if (withChildrenStep && f == FIND_CHILDREN) {
      if (!cur->firstChild) return nullptr;
      cur = cur->firstChild;
      f = FIND_SELF_AND_NEXT;
    }
    if (textMatches(cur->*field, text, contains)) return cur;
    if (f & FIND_SIBLINGS) {
      for (TreeNode* s = (f & FIND_FORWARD) ? cur->nextSibling : cur->prevSibling; s;
           s = (f & FIND_FORWARD) ? s->nextSibling : s->prevSibling) {
        if (textMatches(s->*field, text, contains)) return s;
      }
    }
    if (f == 0 || f == FIND_SIBLINGS || f == FIND_SELF_AND_NEXT) return nullptr;
    cur = cur->firstChild;
    if (!cur) return nullptr;
    f = (f & FIND_DESCEND) + FIND_SELF_AND_NEXT;
  }
}

}  // namespace

DataNode::~DataNode() {
  cache.Clear();
  itable.Clear();
}

int DataNode::Cleanup() {
  itable.Clear();
  return 1;
}

DataNode* CreateNode(DataNode* parent, const char* name, int flags) {
  std::lock_guard<std::recursive_mutex> lock(NodeLock());
  DataNode* node = nullptr;
  try {
    node = new DataNode;
    NodeParams params;
    params.parent = parent;
    params.name = name;
    params.flags = flags;
    if (!node->Create(&params)) {
      node->Cleanup();
      delete node;
      node = nullptr;
    }
  } catch (const std::exception&) {
    if (node) {
      static_cast<TreeNode*>(node)->Detach();
      delete node;
    }
    node = nullptr;
  }
  return node;
}

TreeNode* CreateTreeNode(TreeNode* parent, const char* name, int flags) {
  TreeNode* node = nullptr;
  try {
    node = new TreeNode;
    NodeParams params;
    params.parent = parent;
    params.name = name;
    params.flags = flags;
    if (!node->Create(&params)) {
      node->Destroy();
      delete node;
      node = nullptr;
    }
  } catch (const std::exception&) {
    if (node) {
      node->Detach();
      delete node;
    }
    node = nullptr;
  }
  return node;
}

int DeleteNode(TreeNode* node) {
  if (!node) return 0;
  if (node->prevSibling) node->prevSibling->nextSibling = node->nextSibling;
  if (node->nextSibling) node->nextSibling->prevSibling = node->prevSibling;
  if (node->parent) {
    if (node->parent->firstChild == node) node->parent->firstChild = node->nextSibling;
    if (node->parent->lastChild == node) node->parent->lastChild = node->prevSibling;
  }
  node->parent = node->prevSibling = node->nextSibling = nullptr;
  // Post-order through the links: children first to last, each with its subtree, then
  // the node itself. No recursion, so a deep tree read from a file cannot exhaust the
  // stack.
  TreeNode* cur = node;
  for (;;) {
    while (cur->firstChild) cur = cur->firstChild;
    TreeNode* up = cur->parent;
    if (cur == node) up = nullptr;
    if (up) {
      up->firstChild = cur->nextSibling;
      if (up->firstChild) {
        up->firstChild->prevSibling = nullptr;
      } else {
        up->lastChild = nullptr;
      }
    }
    cur->Destroy();
    delete cur;
    if (!up) return 0;
    cur = up;
  }
}

int DeleteForest(TreeNode* node) {
  TreeNode* cur = FirstSibling(node);
  while (cur) {
    TreeNode* next = cur->nextSibling;
    DeleteNode(cur);
    cur = next;
  }
  return 0;
}

std::string FullName(const TreeNode* node) {
  if (!node) return std::string();
  const FolderText* folder = node->Folder();
  if (!folder) return node->name ? node->name : "";
  const size_t nameSize = std::strlen(node->name ? node->name : "");
  std::string whole(folder->size + nameSize, '\0');
  folder->CopyTo(whole.data());
  if (nameSize) std::memcpy(whole.data() + folder->size, node->name, nameSize);
  return whole;
}

bool FullNameIs(const TreeNode* node, std::string_view text) {
  if (!node) return text.empty();
  const std::string_view name = node->name ? node->name : "";
  const FolderText* folder = node->Folder();
  if (!folder) return text == name;
  if (text.size() != folder->size + name.size() || text.substr(folder->size) != name) return false;
  // The folder's parts from the last one up, each where it stands in the text.
  for (const FolderText* f = folder; f; f = f->parent)
    if (text.substr(f->size - f->PartSize(), f->PartSize()) !=
        std::string_view(f->Part(), f->PartSize()))
      return false;
  return true;
}

size_t CopyFullNameStart(const TreeNode* node, size_t from, char* out, size_t capacity) {
  if (!node) return 0;
  const std::string_view name = node->name ? node->name : "";
  const FolderText* folder = node->Folder();
  const size_t folderSize = folder ? folder->size : 0;
  const size_t size = folderSize + name.size();
  if (from >= size) return 0;
  const size_t end = std::min(size, from + capacity);
  // Each part, and the name, where it overlaps [from, end).
  const auto put = [&](size_t begin, std::string_view text) {
    const size_t a = std::max(begin, from);
    const size_t b = std::min(begin + text.size(), end);
    if (a < b) std::memcpy(out + (a - from), text.data() + (a - begin), b - a);
  };
  for (const FolderText* f = folder; f; f = f->parent)
    put(f->size - f->PartSize(), std::string_view(f->Part(), f->PartSize()));
  put(folderSize, name);
  return end - from;
}

std::string FullDesc(const TreeNode* node) {
  if (!node) return std::string();
  if (const FolderText* folder = node->Folder()) return folder->Whole();
  return node->desc ? node->desc : "";
}

namespace {

DataNode* cloneOne(const DataNode* source, DataNode* parent) {
  const std::string name = FullName(source);
  DataNode* copy =
      CreateNode(parent, source->name ? name.c_str() : nullptr, parent ? ATTACH_LAST_CHILD : 0);
  if (!copy) return nullptr;
  try {
    copy->kind = source->kind;
    copy->id = source->id;
    if (source->desc) SetDesc(copy, FullDesc(source));
    copy->group = source->group;
    copy->val = source->val;
    copy->val2 = source->val2;
    copy->itable.CopyFrom(source->itable);
    copy->cache.CopyFrom(source->cache);
    for (const NodeAttr& a : source->attrs.items()) copy->attrs.Append(a);
  } catch (const std::exception&) {
    // A copy that could not be completed is still a valid node; keep what was copied.
  }
  return copy;
}

}  // namespace

DataNode* CloneNode(const DataNode* source, DataNode* parent, int deep) {
  if (!source) return nullptr;
  DataNode* top = cloneOne(source, parent);
  if (!top || !deep) return top;
  // Pre-order walk of the source, keeping the matching copy of the current node.
  const DataNode* src = source->FirstChild();
  DataNode* dstParent = top;
  while (src) {
    DataNode* made = cloneOne(src, dstParent);
    if (made && src->firstChild) {
      dstParent = made;
      src = src->FirstChild();
      continue;
    }
    while (src != source && !src->nextSibling) {
      src = src->Parent();
      if (src != source) dstParent = dstParent->Parent();
    }
    if (src == source) break;
    src = src->Next();
  }
  return top;
}

const char* SetName(TreeNode* node, const char* text) {
  if (!node) return nullptr;
  node->TakeName(CopyNodeText(text));
  return node->name;
}

const char* SetDesc(TreeNode* node, const char* text) {
  if (!node) return nullptr;
  node->TakeDesc(CopyNodeText(text));
  return node->desc;
}

TreeNode* FirstSibling(TreeNode* node) {
  if (!node) return nullptr;
  if (node->parent) return node->parent->firstChild;
  while (node->prevSibling) node = node->prevSibling;
  return node;
}

TreeNode* RootOf(TreeNode* node) {
  if (!node) return nullptr;
  while (node->parent) node = node->parent;
  return FirstSibling(node);
}

TreeNode* LastRootOf(TreeNode* node) {
  node = RootOf(node);
  if (!node) return nullptr;
  while (node->nextSibling) node = node->nextSibling;
  return node;
}

TreeNode* FindByName(TreeNode* start, const char* text, int flags, int contains) {
  return findByText(start, text, flags, contains, &TreeNode::name, true);
}

TreeNode* FindByDesc(TreeNode* start, const char* text, int flags, int contains) {
  return findByText(start, text, flags, contains, &TreeNode::desc, false);
}

TreeNode* FindById(TreeNode* start, int32_t id, int flags) {
  if (!start) return nullptr;
  if (start->id == id) return start;
  TreeNode* cur = start;
  int f = flags;
  for (;;) {
    if (f & FIND_SIBLINGS) {
      for (TreeNode* s = (f & FIND_FORWARD) ? cur->nextSibling : cur->prevSibling; s;
           s = (f & FIND_FORWARD) ? s->nextSibling : s->prevSibling) {
        if (s->id == id) return s;
        if (TreeNode* hit = FindById(s, id, f & ~FIND_SIBLINGS)) return hit;
      }
    }
    if (f == 0 || f == FIND_SIBLINGS) return nullptr;
    cur = cur->firstChild;
    if (!cur) return nullptr;
    f = (f & FIND_DESCEND) + FIND_SELF_AND_NEXT;
    if (cur->id == id) return cur;
  }
}

TreeNode* FindByPath(TreeNode* node, const char* path, char separator) {
  if (!path || !*path) return nullptr;
  TreeNode* cur = RootOf(node);
  if (!cur) return nullptr;
  // Empty tokens (a leading or trailing separator, two in a row) name nothing and are
  // passed over, so "recent_section:" finds the section itself.
  std::string token;
  bool any = false;
  for (const char* p = path;;) {
    const char* end = std::strchr(p, separator);
    size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (n > 0) {
      token.assign(p, n);
      cur = FindByName(cur, token.c_str(), FIND_SELF_AND_CHILDREN, 0);
      if (!cur) return nullptr;
      any = true;
    }
    if (!end) return any ? cur : nullptr;
    p = end + 1;
  }
}

}  // namespace tf
