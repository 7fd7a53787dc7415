// ToolListEditor: what the "Registered Tools" and "Tool Description" dialogs do to the
// tools of the options tree: the rows they show, adding on a detached node, editing on a
// copy, removing, the row kept selected by name, and the checks of the description form.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"

namespace tf {

struct ToolRow {
  std::string name;
  std::string command;
  std::string directory;
  DataNode* node;
};

class ToolListEditor {
 public:
  // `section` is the options node "tools_section" (not owned); null shows no tools.
  explicit ToolListEditor(DataNode* section) : m_section(section) {}

  // One row per tool, in the section's order, with the decoded texts.
  std::vector<ToolRow> Rows() const;
  // The row to select after a refill: the first whose name is `remembered`, else 0; -1
  // when there are no rows.
  static int RowToSelect(const std::vector<ToolRow>& rows, const std::string& remembered);

  // "Add": a new "tool" node without a parent, for the description dialog.
  NodePtr NewTool() const;
  // After OK: the node becomes the last child of the section. False (the node stays
  // with the caller) without a section.
  bool AppendTool(NodePtr tool);
  // "Edit": a copy of `tool` for the description dialog.
  NodePtr CopyOf(DataNode* tool) const;
  // After OK: the copy's name, desc and attributes replace those of `tool`.
  static void CopyBack(const DataNode& copy, DataNode* tool);
  // "Remove": deletes the tool at once.
  bool Remove(DataNode* tool);

 private:
  DataNode* m_section;
};

// The "Tool Description" form.
struct ToolForm {
  std::string name;
  std::string command;
  std::string directory;
};

// OK is enabled exactly when both the name and the command line hold text.
inline bool ToolFormComplete(const ToolForm& form) {
  return !form.name.empty() && !form.command.empty();
}

enum class ToolFormField { kNone, kName, kCommand };

// OK of the description: the first empty field of name and command line (the dialog
// stays open with the focus there), or kNone after storing the three texts in `tool`.
ToolFormField StoreToolForm(const ToolForm& form, DataNode* tool);

// The text that a chosen program adds to a command line: the path as it is, or, when it
// holds a blank or a double quote, quoted so that it stays one argument when the line
// is split.
std::string ProgramPathForCommandLine(const std::string& path);

}  // namespace tf
