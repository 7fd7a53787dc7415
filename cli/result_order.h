// ResultOrder: the groups of a result tree and their files in the order of a result-list key.
#pragma once

#include <vector>

#include "cli/cli_options.h"
#include "datatree/data_node.h"

namespace tf {

struct OrderedGroup {
  const DataNode* group = nullptr;
  std::vector<const DataNode*> files;
};

// The groups (children of `root` with a non-zero kind) and their files, ordered like the
// result lists: by name the groups ascend by key and their files by path; by size the
// groups and the files descend by size, ties by name; by count the groups descend by file
// count, by type they ascend by type text, ties by name; by time the files descend by
// modification time (newest first). `reverse` inverts only the primary comparison, never a
// tie-break, and never the file order of the name, count and type keys. Names compare
// ignoring case; equal keys keep the tree order. The tree is not changed.
std::vector<OrderedGroup> OrderResults(const DataNode* root, SortBy key, bool reverse);

}  // namespace tf
