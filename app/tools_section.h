// ToolsSection: the options node holding the registered tools, and the tool list as the
// result views offer and run it.
#pragma once

#include <string>
#include <vector>

#include "datatree/data_node.h"

namespace tf {

class Questions;
class SettingsStore;

// The node "tools_section", or "tools_section:<subName>" for a non-empty sub-name,
// created when missing. Null without a store (or root) and for a sub-name holding ':'.
DataNode* ToolsSection(SettingsStore* store, const std::string& subName = std::string());

// The decoded display names of the tools of a section, in order; a chooser's index is
// the tool's position. Only children named "tool" are tools: the named sub-sections
// that share the section are skipped here and by ToolAt alike.
std::vector<std::string> ToolNames(DataNode* section);

// The tool node at `index` of a section, or null.
DataNode* ToolAt(DataNode* section, int index);

// Loads the tool at `index` and runs it on the files; false when there is no tool there
// or it did not start. A tool that did not start is named, with the reason, in a message
// to `questions` when that is given.
bool RunToolAt(DataNode* section, int index, const std::vector<std::string>& files,
               Questions* questions = nullptr);

}  // namespace tf
