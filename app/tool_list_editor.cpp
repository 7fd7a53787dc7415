#include "app/tool_list_editor.h"

#include <cstring>

#include "app/tools_section.h"
#include "settings/tool_node.h"

namespace tf {

std::vector<ToolRow> ToolListEditor::Rows() const {
  std::vector<ToolRow> rows;
  for (int index = 0;; ++index) {
    DataNode* tool = ToolAt(m_section, index);
    if (!tool) break;
    ToolRow row{{}, {}, {}, tool};
    ReadToolNode(tool, &row.name, &row.command, &row.directory);
    rows.push_back(std::move(row));
  }
  return rows;
}

int ToolListEditor::RowToSelect(const std::vector<ToolRow>& rows, const std::string& remembered) {
  if (rows.empty()) return -1;
  for (size_t row = 0; row < rows.size(); ++row)
    if (rows[row].name == remembered) return static_cast<int>(row);
  return 0;
}

NodePtr ToolListEditor::NewTool() const {
  return NodePtr(AddToolNode(nullptr, std::string(), std::string(), std::string()));
}

bool ToolListEditor::AppendTool(NodePtr tool) {
  if (!m_section || !tool) return false;
  if (!tool->Attach(m_section, ATTACH_LAST_CHILD)) return false;
  tool.release();  // the section owns it now
  return true;
}

NodePtr ToolListEditor::CopyOf(DataNode* tool) const {
  return NodePtr(tool ? CloneNode(tool, nullptr, 1) : nullptr);
}

void ToolListEditor::CopyBack(const DataNode& copy, DataNode* tool) {
  if (!tool) return;
  SetName(tool, copy.name);
  SetDesc(tool, copy.desc);
  tool->attrs.Assign(copy.attrs);
}

bool ToolListEditor::Remove(DataNode* tool) {
  if (!tool || tool->Parent() != m_section) return false;
  DeleteNode(tool);
  return true;
}

ToolFormField StoreToolForm(const ToolForm& form, DataNode* tool) {
  if (form.name.empty()) return ToolFormField::kName;
  if (form.command.empty()) return ToolFormField::kCommand;
  WriteToolNode(tool, form.name, form.command, form.directory);
  return ToolFormField::kNone;
}

std::string ProgramPathForCommandLine(const std::string& path) {
  if (path.find_first_of(" \t\"") == std::string::npos) return path;
  // Inside quotes a doubled quote stands for one.
  std::string quoted = "\"";
  for (char c : path) {
    quoted.push_back(c);
    if (c == '"') quoted.push_back('"');
  }
  return quoted + '"';
}

}  // namespace tf
