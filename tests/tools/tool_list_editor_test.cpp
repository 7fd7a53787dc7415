// The tool list as its dialogs change it: a new tool lives on a detached node until OK,
// an edit works on a copy, and a chosen program stays one argument of its command line.
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

TEST(ToolListEditor, NewToolsAndCopiesReachTheListOnlyAfterOk) {
  Section section;
  ToolListEditor editor(section.root);

  // Cancelled: the detached node goes, the list is as before.
  { NodePtr cancelled = editor.NewTool(); }
  ASSERT_EQ(editor.Rows().size(), 1u);

  NodePtr added = editor.NewTool();
  EXPECT_EQ(StoreToolForm({"", "cmd", ""}, added.get()), ToolFormField::kName);
  EXPECT_EQ(StoreToolForm({"Diff", "", ""}, added.get()), ToolFormField::kCommand);
  EXPECT_EQ(editor.Rows().size(), 1u);  // refusals leave the list alone
  ASSERT_EQ(StoreToolForm({"Diff <a&b>", "meld \"%f1\" \"%f2\"", ""}, added.get()),
            ToolFormField::kNone);
  ASSERT_TRUE(editor.AppendTool(std::move(added)));
  EXPECT_EQ(ToolNames(section.root), (std::vector<std::string>{"Text editor", "Diff <a&b>"}));

  // An edit on a copy: a cancelled copy changes nothing, an accepted one replaces the
  // texts and keeps what else the node carries.
  DataNode* first = ToolAt(section.root, 0);
  first->attrs.Set("icon", AttrValue::FromString("editor.png"), 1);
  {
    NodePtr copy = editor.CopyOf(first);
    StoreToolForm({"Changed", "x", "y"}, copy.get());
  }
  EXPECT_EQ(editor.Rows()[0].name, "Text editor");
  NodePtr copy = editor.CopyOf(first);
  StoreToolForm({"Viewer", "less \"%f1\"", "/tmp"}, copy.get());
  ToolListEditor::CopyBack(*copy, first);
  const std::vector<ToolRow> rows = editor.Rows();
  EXPECT_EQ(rows[0].name, "Viewer");
  EXPECT_EQ(rows[0].command, "less \"%f1\"");
  EXPECT_EQ(rows[0].directory, "/tmp");
  EXPECT_STREQ(first->attrs.ValueOf("icon").AsString(), "editor.png");

  // The selection follows a name; a name that went falls back to the first row.
  EXPECT_EQ(ToolListEditor::RowToSelect(rows, "Diff <a&b>"), 1);
  EXPECT_EQ(ToolListEditor::RowToSelect(rows, "Text editor"), 0);
  EXPECT_TRUE(editor.Remove(rows[0].node));
  EXPECT_EQ(ToolNames(section.root), (std::vector<std::string>{"Diff <a&b>"}));
  EXPECT_EQ(ToolListEditor::RowToSelect({}, "x"), -1);
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
