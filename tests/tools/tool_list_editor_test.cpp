// The tool list as its dialogs change it: an edit works on a copy, and a chosen program
// stays one argument of its command line.
#include <gtest/gtest.h>

#include "app/tool_list_editor.h"
#include "app/tools_section.h"
#include "platform/process_launcher.h"
#include "settings/tool_node.h"

namespace tf {
namespace {

struct Section {
  Section() { AddToolNode(root, "Text editor", "xdg-open \"%f1\"", "%w"); }
  ~Section() { DeleteNode(root); }
  DataNode* root = CreateNode(nullptr, "tools_section", ATTACH_ROOT);
};

// What the form does not show (an icon) survives an edit.
TEST(ToolListEditor, AnEditKeepsTheToolsOtherAttributes) {
  Section section;
  ToolListEditor editor(section.root);
  DataNode* tool = ToolAt(section.root, 0);
  tool->attrs.Set("icon", AttrValue::FromString("editor.png"), 1);
  NodePtr copy = editor.CopyOf(tool);
  ASSERT_EQ(StoreToolForm({"Viewer <a&b>", "less \"%f1\"", "/tmp"}, copy.get()),
            ToolFormField::kNone);
  ToolListEditor::CopyBack(*copy, tool);
  const ToolRow row = editor.Rows()[0];
  EXPECT_EQ(row.name, "Viewer <a&b>");
  EXPECT_EQ(row.command, "less \"%f1\"");
  EXPECT_EQ(row.directory, "/tmp");
  EXPECT_STREQ(tool->attrs.ValueOf("icon").AsString(), "editor.png");
}

TEST(ToolListEditor, AChosenProgramStaysOneArgument) {
  for (const std::string path : {"/usr/bin/meld", "/opt/My Tools/view", "/opt/say \"hi\"/run",
                                 "/opt/tab\there", "/opt/back\\slash"}) {
    const std::string line = ProgramPathForCommandLine(path) + " \"%f1\"";
    EXPECT_EQ(SplitCommandLine(line), (std::vector<std::string>{path, "%f1"})) << path;
  }
}

}  // namespace
}  // namespace tf
