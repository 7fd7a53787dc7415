// NodePtr: owns a detached node (a root, or a node taken out of its tree) and deletes it
// with its subtree through DeleteNode.
#pragma once

#include <memory>

#include "datatree/data_node.h"

namespace tf {

struct NodeDeleter {
  void operator()(TreeNode* node) const { DeleteNode(node); }
};

using NodePtr = std::unique_ptr<DataNode, NodeDeleter>;

}  // namespace tf
