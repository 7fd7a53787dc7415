#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/registered_tool.h"
#include "app/tool_list_editor.h"
#include "app/tools_section.h"
#include "platform/process_launcher.h"
#include "settings/settings_store.h"
#include "settings/tool_node.h"
#include "tests/support/argv_record.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class ToolRunTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("TF_RECORD_TO", m_record.c_str(), 1); }
  void TearDown() override { unsetenv("TF_RECORD_TO"); }

  testing::TempTree m_tree;
  const std::string m_dir = m_tree.root();
  const std::string m_record = m_tree.Path("record");
};

TEST_F(ToolRunTest, HostileNamesReachTheProgramUnchanged) {
  const std::string hostile =
      m_dir + "/odd name \"q\" 'a' $(touch pwned); x`id` -rf %f2%w%% \xFF.txt";
  const std::string second = m_dir + "/-second";
  DataNode* tool = AddToolNode(nullptr, "argv",
                               std::string("\"") + TF_ARGV_RECORDER +
                                   "\" "
                                   "\"%f1\" %f2 --name=%n1 \"%f3\" -- %d2",
                               "%d1");
  ASSERT_NE(tool, nullptr);
  RegisteredTool registered;
  ASSERT_TRUE(registered.Load(tool));
  ASSERT_TRUE(registered.Run({hostile, second}));
  const Args got = testing::ReadArgvRecord(m_record);
  const std::string name = hostile.substr(m_dir.size() + 1);
  EXPECT_EQ(got, (Args{m_dir, hostile, second, "--name=" + name, "", "--", m_dir + "/"}));
  EXPECT_FALSE(fs::exists(m_dir + "/pwned"));
  DeleteNode(tool);
  // A program chosen in the form stays one argument, whatever its path.
  for (const std::string path : {"/opt/say \"hi\"/run", "/opt/tab\there", "/opt/back\\slash"})
    EXPECT_EQ(SplitCommandLine(ProgramPathForCommandLine(path) + " \"%f1\""), (Args{path, "%f1"}))
        << path;
}

TEST_F(ToolRunTest, ToolsSurviveTheSettingsFileAndRunByIndex) {
  SettingsStore store;
  ASSERT_EQ(store.SetDefaults({m_dir + "/twinfold.dat", m_dir + "/Backup"}), 1);
  DataNode* section = ToolsSection(&store);
  ASSERT_NE(section, nullptr);
  const std::string workFolder = m_dir + "/work <&\"dir\">";
  fs::create_directories(workFolder);
  AddToolNode(section, "Dump <args> & \"more\"",
              std::string("\"") + TF_ARGV_RECORDER + "\" \"%f1\" \"\"\"quoted\"\"\" %w %t",
              workFolder);
  ASSERT_EQ(store.Save(), 1);

  SettingsStore loaded;
  ASSERT_EQ(loaded.Load(m_dir + "/twinfold.dat"), 1);
  DataNode* tools = ToolsSection(&loaded);
  EXPECT_EQ(ToolNames(tools), (Args{"Text editor", "Dump <args> & \"more\""}));
  ASSERT_TRUE(RunToolAt(tools, 1, {"/some file"}));
  EXPECT_EQ(testing::ReadArgvRecord(m_record),
            (Args{workFolder, "/some file", "\"quoted\"", "/usr/bin",
                  MakeToolMacroContext({}).tempFolder}));

  ASSERT_NE(ToolsSection(&loaded, "results"), nullptr);
  EXPECT_EQ(ToolNames(tools).size(), 2u);
  EXPECT_EQ(ToolAt(tools, 2), nullptr);

  DataNode* tool = ToolAt(tools, 1);
  tool->attrs.Set("icon", AttrValue::FromString("editor.png"), 1);
  ToolListEditor list(tools);
  NodePtr copy = list.CopyOf(tool);
  ASSERT_EQ(StoreToolForm({"Viewer", "less \"%f1\"", "/tmp"}, copy.get()), ToolFormField::kNone);
  ToolListEditor::CopyBack(*copy, tool);
  EXPECT_EQ(list.Rows()[1].command, "less \"%f1\"");
  EXPECT_STREQ(tool->attrs.ValueOf("icon").AsString(), "editor.png");
}

TEST_F(ToolRunTest, AToolThatCannotStartIsNamedWithWhatIsMissing) {
  DataNode* section = CreateNode(nullptr, "tools_section", ATTACH_ROOT);
  AddToolNode(section, "Viewer", m_dir + "/no-such-program %f1", "");
  AddToolNode(section, "Elsewhere", std::string("\"") + TF_ARGV_RECORDER + "\"", m_dir + "/gone");
  AddToolNode(section, "blank", "   ", "");
  testing::ScriptedQuestions questions;
  EXPECT_FALSE(RunToolAt(section, 0, {"/x"}, &questions));
  EXPECT_FALSE(RunToolAt(section, 1, {"/x"}, &questions));
  EXPECT_FALSE(RunToolAt(section, 2, {"/x"}));
  EXPECT_FALSE(RunToolAt(section, 3, {"/x"}));  // no tool there
  ASSERT_EQ(questions.asked.size(), 2u);
  const std::string& missing = questions.asked[0].text;
  EXPECT_EQ(missing.rfind("Cannot run the tool \"Viewer\".\n", 0), 0u) << missing;
  EXPECT_NE(missing.find("\"" + m_dir + "/no-such-program\" was not found"), std::string::npos)
      << missing;
  EXPECT_NE(questions.asked[1].text.find("\"" + m_dir + "/gone\" cannot be opened"),
            std::string::npos)
      << questions.asked[1].text;
  DeleteNode(section);
}

}  // namespace
}  // namespace tf
