// LinksHistory: the files that links were made to during this run, which moving,
// deleting or replacing them asks about first and which later replacements suggest.
#pragma once

#include <string>

#include "datatree/node_ptr.h"

namespace tf {

class LinksHistory {
 public:
  // Appends a target (the same path may be recorded twice); 0 for an empty path.
  int AddLinkHistory(const std::string& fullPath);
  // The record whose path equals `path` byte for byte, or null.
  DataNode* InLinkHistory(const std::string& path) const;
  // 1 with the path of the oldest record whose file name equals that of `path`;
  // 0 when there is none.
  int LinkHistoryPathOf(const std::string& path, std::string* out) const;
  // The "Links History" root, null until the first record.
  DataNode* Root() const { return m_root.get(); }

 private:
  NodePtr m_root;
};

// The name part of a path: what follows its last '/'.
std::string FileNameOf(const std::string& path);

}  // namespace tf
