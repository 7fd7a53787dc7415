// ResultTree: a finished result tree built by hand for the row and selection tests:
// groups (kind 1) with their totals of size and count, and their files.
#pragma once

#include <cstdint>
#include <string>

#include "datatree/node_ptr.h"

namespace tf::testing {

class ResultTree {
 public:
  ResultTree() : m_root(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT)) {}
  DataNode* root() const { return m_root.get(); }

  DataNode* group(const std::string& name = "g", const std::string& type = "?") {
    DataNode* g = CreateNode(m_root.get(), name.c_str(), ATTACH_LAST_CHILD);
    g->kind = 1;
    SetDesc(g, type);
    return g;
  }
  // A file of `size` bytes modified at `time`, counted into its group.
  DataNode* file(DataNode* g, const std::string& path, int64_t size, int64_t time) {
    DataNode* f = CreateNode(g, path.c_str(), ATTACH_LAST_CHILD);
    f->val = size;
    f->val2 = time;
    g->val += size;
    g->val2 += 1;
    return f;
  }

 private:
  NodePtr m_root;
};

}  // namespace tf::testing
