#include "scan/mask_collection_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scan/collection_files.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_top.empty());
    m_source.AddBuiltInGroups();
  }
  void touch(const std::string& path) { std::ofstream(path) << "x"; }

  testing::TempTree m_tree;
  const std::string m_top = m_tree.root();
  MaskCollection m_source;
  testing::ScriptedQuestions m_questions;
};

TEST_F(EditorTest, NewGroupsGoToTheSelectedNumber) {
  MaskCollectionEditor editor(m_source, m_questions);
  EXPECT_EQ(editor.Selected(), 1);
  editor.Select(3);
  EXPECT_EQ(editor.CreateNewGroup(), 3);
  EXPECT_EQ(editor.CreateNewGroup(), 3);
  EXPECT_EQ(editor.Lines(), (Lines{"01. Executable, Libraries", "02. Internet files",
                                   "03. New group 2", "04. New group 1", "05. Documents",
                                   "06. Images", "07. Archives", "08. Temporary"}));
  MaskGroup g;
  ASSERT_TRUE(editor.Collection().GetGroup(3, &g));
  EXPECT_EQ(g.masks, "name.ext;name.ext");
  EXPECT_EQ(m_source.Count(), 6);  // the editor works on a copy
  editor.Select(0);
  EXPECT_EQ(editor.CreateNewGroup(), 9);

  editor.CreateNewCollection();
  EXPECT_EQ(editor.Lines(), (Lines{"01. New group 1"}));
  EXPECT_TRUE(m_questions.asked.empty());
}

TEST_F(EditorTest, AcceptChecksTheFieldsFirst) {
  MaskCollectionEditor editor(m_source, m_questions);
  editor.Select(3);
  using R = MaskCollectionEditor::AcceptResult;
  EXPECT_EQ(editor.AcceptChanges("Logs", "*.log, *.tmp", false, true), R::kAccepted);
  MaskGroup g;
  ASSERT_TRUE(editor.Collection().GetGroup(3, &g));
  EXPECT_EQ(g.name, "Logs");
  EXPECT_EQ(g.masks, "*.log;*.tmp");
  EXPECT_EQ(g.enabled, 0);
  EXPECT_EQ(g.temporary, 1);
  EXPECT_EQ(editor.Collection().GroupsWithMask("*.log"), (std::vector<int>{3}));

  EXPECT_EQ(editor.AcceptChanges("", "", true, false), R::kEmptyName);
  EXPECT_EQ(editor.AcceptChanges("Logs", "   ", true, false), R::kEmptyMasks);
  // Renaming onto another group's name would drop this group: refused.
  EXPECT_EQ(editor.AcceptChanges("Images", "*.x", true, false), R::kNameTaken);
  ASSERT_EQ(m_questions.asked.size(), 3u);
  EXPECT_EQ(m_questions.asked[0].text, "Fields 'Name' and 'Mask' cannot be empty !");
  EXPECT_EQ(m_questions.asked[0].caption, "Error");
  EXPECT_EQ(m_questions.asked[0].buttonSet, MB_OK);
  EXPECT_EQ(m_questions.asked[2].text, "Group with this name already exists");
  EXPECT_EQ(editor.Collection().Count(), 6);
  ASSERT_TRUE(editor.Collection().GetGroup(3, &g));
  EXPECT_EQ(g.name, "Logs");
  // Keeping the same name is fine, and so is the last group.
  EXPECT_EQ(editor.AcceptChanges("Logs", "*.log", true, false), R::kAccepted);
  editor.Select(6);
  EXPECT_EQ(editor.AcceptChanges("Trash", "*.tmp", true, true), R::kAccepted);
  EXPECT_EQ(editor.Lines().back(), "06. Trash");
}

TEST_F(EditorTest, DeleteAsksFirst) {
  MaskCollectionEditor editor(m_source, m_questions);
  editor.Select(6);
  m_questions.answers = {IDNO, IDYES};
  EXPECT_FALSE(editor.DeleteSelected());
  EXPECT_EQ(editor.Collection().Count(), 6);
  EXPECT_TRUE(editor.DeleteSelected());
  ASSERT_EQ(m_questions.asked.size(), 2u);
  EXPECT_EQ(m_questions.asked[1].text, "    Delete group '06. Temporary' ?     ");
  EXPECT_EQ(m_questions.asked[1].caption, "Submit");
  EXPECT_EQ(m_questions.asked[1].buttonSet, MB_YESNO);
  EXPECT_EQ(editor.Selected(), 5);  // moved back onto the last group
  EXPECT_EQ(editor.Collection().Count(), 5);
}

TEST_F(EditorTest, MovesFollowTheSelection) {
  MaskCollectionEditor editor(m_source, m_questions);
  EXPECT_FALSE(editor.CanMoveUp());
  EXPECT_TRUE(editor.CanMoveDown());
  editor.MoveUp();  // not possible: nothing changes
  editor.MoveDown();
  editor.MoveDown();
  EXPECT_EQ(editor.Selected(), 3);
  EXPECT_EQ(editor.Lines()[2], "03. Executable, Libraries");
  editor.Select(6);
  EXPECT_FALSE(editor.CanMoveDown());
  editor.MoveDown();
  editor.MoveUp();
  EXPECT_EQ(editor.Lines()[4], "05. Temporary");
  EXPECT_EQ(editor.Selected(), 5);
}

TEST_F(EditorTest, LoadAndSaveThroughTheChoosers) {
  MaskCollectionEditor editor(m_source, m_questions);
  editor.Select(2);
  editor.DeleteSelected();  // answered Cancel by the script: kept
  m_questions.files = {m_top + "/mine", "", m_top + "/mine.mcf"};
  ASSERT_TRUE(editor.Save(m_top));
  EXPECT_TRUE(fs::exists(m_top + "/mine.mcf"));
  EXPECT_EQ(editor.Collection().Name(), "mine");
  EXPECT_FALSE(editor.Load(m_top));  // cancelled
  editor.CreateNewCollection();
  ASSERT_TRUE(editor.Load(m_top));
  EXPECT_EQ(editor.Collection().Count(), 6);
  EXPECT_EQ(editor.Selected(), 1);
  EXPECT_EQ(m_questions.prompts, (Lines{"Save mask collection to file", "Open mask collection file",
                                        "Open mask collection file"}));
}

TEST_F(EditorTest, CollectionFilesForTheMenu) {
  const std::string user = m_top + "/user", shipped = m_top + "/shipped";
  fs::create_directories(user + "/folder.mcf");
  fs::create_directories(shipped);
  for (const char* n : {"b.mcf", "A.MCF", "notes.txt", ".mcf"}) touch(user + "/" + n);
  for (const char* n : {"b.mcf", "Standard.mcf"}) touch(shipped + "/" + n);
  const auto files = ListCollectionFiles({user, m_top + "/missing", "", shipped});
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].name, "A");
  EXPECT_EQ(files[1].path, user + "/b.mcf");  // the user's copy hides the shipped one
  EXPECT_EQ(files[2].name, "Standard");

  for (int i = 0; i < 105; ++i) touch(shipped + "/many" + std::to_string(i) + ".mcf");
  EXPECT_EQ(ListCollectionFiles({shipped}).size(), size_t(kMaxCollectionFiles));
  EXPECT_TRUE(ListCollectionFiles({m_top + "/missing"}).empty());
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(EditorTest, ShippedCollectionHoldsTheBuiltInGroups) {
  const std::string data = std::string(TWINFOLD_SOURCE_DIR) + "/data";
  ASSERT_TRUE(m_source.SaveToFile(m_top + "/Standard.mcf"));
  EXPECT_EQ(readAll(data + "/Standard.mcf"), readAll(m_top + "/Standard.mcf"));
  EXPECT_NE(readAll(data + "/mcfilter.xsl").find("node[@name = 'Filters']"), std::string::npos);
}

}  // namespace
}  // namespace tf
