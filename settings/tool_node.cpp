#include "settings/tool_node.h"

#include "datatree/node_xml.h"

namespace tf {

namespace {

constexpr const char* kToolNodeName = "tool";
constexpr const char* kCommandAttr = "command";
constexpr const char* kDirectoryAttr = "directory";

std::string decodedAttr(DataNode* tool, const char* name) {
  const char* text = tool->attrs.ValueOf(name).AsString();
  return text ? UnescapeString(text) : std::string();
}

}  // namespace

DataNode* AddToolNode(DataNode* section, const std::string& name, const std::string& command,
                      const std::string& directory) {
  DataNode* tool = CreateNode(section, kToolNodeName, section ? ATTACH_LAST_CHILD : ATTACH_ROOT);
  if (tool) WriteToolNode(tool, name, command, directory);
  return tool;
}

void WriteToolNode(DataNode* tool, const std::string& name, const std::string& command,
                   const std::string& directory) {
  if (!tool) return;
  SetDesc(tool, EscapeString(name));
  tool->attrs.Set(kCommandAttr, AttrValue::FromString(EscapeString(command)), 1);
  tool->attrs.Set(kDirectoryAttr, AttrValue::FromString(EscapeString(directory)), 1);
}

bool ReadToolNode(DataNode* tool, std::string* name, std::string* command, std::string* directory) {
  if (!tool) return false;
  if (name) *name = UnescapeString(tool->Desc());
  if (command) *command = decodedAttr(tool, kCommandAttr);
  if (directory) *directory = decodedAttr(tool, kDirectoryAttr);
  return true;
}

}  // namespace tf
