// DataNode: the node of every data tree in the program (options, search descriptor,
// results, collections, tools), with its attributes and integer tables, and the
// factories, deletion, cloning and searches over such trees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "datatree/attr_list.h"
#include "datatree/int_table.h"
#include "datatree/tree_node.h"

namespace tf {

class DataNode : public TreeNode {
 public:
  DataNode() = default;
  ~DataNode() override;
  int Cleanup() override;

  AttrList attrs;
  IntTable itable;  // persisted as iattr elements
  IntTable cache;   // never persisted

  // Typed views of the links: every node of a DataNode tree is a DataNode.
  DataNode* Parent() const { return static_cast<DataNode*>(parent); }
  DataNode* FirstChild() const { return static_cast<DataNode*>(firstChild); }
  DataNode* LastChild() const { return static_cast<DataNode*>(lastChild); }
  DataNode* Next() const { return static_cast<DataNode*>(nextSibling); }
  DataNode* Prev() const { return static_cast<DataNode*>(prevSibling); }
  // name and desc as texts; a null field reads as "". For a file node of a result that
  // keeps only its own name in a folder, these are the name and the folder's last part:
  // its path and folder are read through FullName and FullDesc.
  const char* Name() const { return name ? name : ""; }
  const char* Desc() const { return desc ? desc : ""; }
};

// The whole name a node stands for: for a file node of a result that keeps only its own
// name in a folder (TreeNode::Folder), the folder's text and then its name; else its name.
// A file's path is read through these, never through Name().
std::string FullName(const TreeNode* node);
// Whether the whole name is `text`, without putting it together.
bool FullNameIs(const TreeNode* node, std::string_view text);
// The bytes of the whole name from byte `from` on, at most `capacity`, into `out`;
// returns how many.
size_t CopyFullNameStart(const TreeNode* node, size_t from, char* out, size_t capacity);
// The text a node's desc stands for: for a file in a folder, the folder's whole text.
std::string FullDesc(const TreeNode* node);

// Search flags.
constexpr int FIND_FORWARD = 16;            // walk siblings through next links (else previous)
constexpr int FIND_SIBLINGS = 32;           // also walk the siblings of the current node
constexpr int FIND_CHILDREN = 64;           // begin with the children of the start node
constexpr int FIND_DESCEND = 128;           // keep descending level by level
constexpr int FIND_SELF_AND_NEXT = 48;      // a node and its following siblings
constexpr int FIND_SELF_AND_CHILDREN = 80;  // a node, then its direct children

// A new DataNode under `parent` (flags: ATTACH_*), or a root when parent is null.
// Takes the node lock; null when the lock or memory cannot be had.
DataNode* CreateNode(DataNode* parent, const char* name, int flags);
// A bare TreeNode without attributes or tables; takes no lock.
TreeNode* CreateTreeNode(TreeNode* parent, const char* name, int flags);
// Deletes the node and its subtree (null is ignored). Always 0.
int DeleteNode(TreeNode* node);
// Deletes every node of the sibling chain that `node` belongs to. Always 0.
int DeleteForest(TreeNode* node);
// Copy of `source` under `parent` (a root when null); with `deep` the whole subtree.
DataNode* CloneNode(const DataNode* source, DataNode* parent, int deep);
const char* SetName(TreeNode* node, const char* text);
const char* SetDesc(TreeNode* node, const char* text);
inline const char* SetName(TreeNode* node, const std::string& text) {
  return SetName(node, text.c_str());
}
inline const char* SetDesc(TreeNode* node, const std::string& text) {
  return SetDesc(node, text.c_str());
}

TreeNode* RootOf(TreeNode* node);
TreeNode* LastRootOf(TreeNode* node);
TreeNode* FirstSibling(TreeNode* node);

TreeNode* FindById(TreeNode* start, int32_t id, int flags);
TreeNode* FindByName(TreeNode* start, const char* text, int flags, int contains);
TreeNode* FindByDesc(TreeNode* start, const char* text, int flags, int contains);
TreeNode* FindByPath(TreeNode* node, const char* path, char separator);

// The same searches for DataNode trees.
inline DataNode* FindById(DataNode* start, int32_t id, int flags) {
  return static_cast<DataNode*>(FindById(static_cast<TreeNode*>(start), id, flags));
}
inline DataNode* FindByName(DataNode* start, const char* text, int flags, int contains = 0) {
  return static_cast<DataNode*>(FindByName(static_cast<TreeNode*>(start), text, flags, contains));
}
inline DataNode* FindByDesc(DataNode* start, const char* text, int flags, int contains = 0) {
  return static_cast<DataNode*>(FindByDesc(static_cast<TreeNode*>(start), text, flags, contains));
}
inline DataNode* FindByPath(DataNode* node, const char* path, char separator) {
  return static_cast<DataNode*>(FindByPath(static_cast<TreeNode*>(node), path, separator));
}
// The direct child of `parent` with exactly this name, or null.
inline DataNode* FindChild(DataNode* parent, const char* name) {
  return parent ? FindByName(parent, name, FIND_CHILDREN, 0) : nullptr;
}

}  // namespace tf
