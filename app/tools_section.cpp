#include "app/tools_section.h"

#include "app/registered_tool.h"
#include "settings/settings_store.h"
#include "settings/tool_node.h"

namespace tf {

DataNode* ToolsSection(SettingsStore* store, const std::string& subName) {
  if (!store || subName.find(':') != std::string::npos) return nullptr;
  return store->GetOrCreate(subName.empty() ? "tools_section" : "tools_section:" + subName);
}

namespace {

constexpr const char* kToolNodeName = "tool";

// Named sub-sections share the parent with the tools; only "tool" nodes count.
DataNode* nextTool(DataNode* node) {
  while (node && std::string(node->Name()) != kToolNodeName) node = node->Next();
  return node;
}

}  // namespace

std::vector<std::string> ToolNames(DataNode* section) {
  std::vector<std::string> names;
  for (DataNode* tool = nextTool(section ? section->FirstChild() : nullptr); tool;
       tool = nextTool(tool->Next())) {
    std::string name;
    ReadToolNode(tool, &name, nullptr, nullptr);
    names.push_back(name);
  }
  return names;
}

DataNode* ToolAt(DataNode* section, int index) {
  if (index < 0) return nullptr;
  DataNode* tool = nextTool(section ? section->FirstChild() : nullptr);
  for (int i = 0; tool && i < index; ++i) tool = nextTool(tool->Next());
  return tool;
}

bool RunToolAt(DataNode* section, int index, const std::vector<std::string>& files,
               Questions* questions) {
  DataNode* node = ToolAt(section, index);
  if (!node) return false;
  RegisteredTool tool;
  if (!tool.Load(node)) return false;
  LaunchFailure failure;
  if (tool.Run(files, &failure)) return true;
  if (questions)
    ReportLaunchFailure(*questions, "Cannot run the tool \"" + tool.name() + "\".", failure);
  return false;
}

}  // namespace tf
