// The registered-tool node of the options tree: a "tool" node whose desc is the tool's
// display name, with the "command" and "directory" texts as attributes, all three held
// with their markup characters as character references.
#pragma once

#include <string>

#include "datatree/data_node.h"

namespace tf {

// Appends a new tool as the last child of `section` (a null section makes a root the
// caller owns). Returns the node, or null when it cannot be created.
DataNode* AddToolNode(DataNode* section, const std::string& name, const std::string& command,
                      const std::string& directory);
// Stores the decoded texts into a tool node made by AddToolNode or read from a file.
void WriteToolNode(DataNode* tool, const std::string& name, const std::string& command,
                   const std::string& directory);
// The decoded texts of a tool node; a missing text reads as "". Any output may be null.
// false for a null node.
bool ReadToolNode(DataNode* tool, std::string* name, std::string* command, std::string* directory);

}  // namespace tf
