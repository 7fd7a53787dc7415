// LinksHistory: the files that links were made to during this run, which moving,
// deleting or replacing them asks about first and which later replacements suggest.
#pragma once

#include <string>

#include "datatree/data_node.h"

namespace tf {

class LinksHistory {
 public:
  LinksHistory() = default;
  ~LinksHistory() { DeleteNode(m_root); }
  LinksHistory(const LinksHistory&) = delete;
  LinksHistory& operator=(const LinksHistory&) = delete;

  // Appends a target (the same path may be recorded twice); 0 for an empty path.
  int AddLinkHistory(const std::string& fullPath);
  // The record whose path equals `path` byte for byte, or null.
  DataNode* InLinkHistory(const std::string& path) const;
  // 1 with the path of the oldest record whose file name equals that of `path`;
  // 0 when there is none.
  int LinkHistoryPathOf(const std::string& path, std::string* out) const;
  // The "Links History" root, null until the first record.
  DataNode* Root() const { return m_root; }

 private:
  DataNode* m_root = nullptr;
};

// The name part of a path: what follows its last '/'.
std::string FileNameOf(const std::string& path);

}  // namespace tf
