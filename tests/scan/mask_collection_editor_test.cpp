#include "scan/mask_collection_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
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
  void touch(const std::string& path) { testing::WriteFile(path, "x"); }

  testing::TempTree m_tree;
  const std::string m_top = m_tree.root();
  MaskCollection m_source;
  testing::ScriptedQuestions m_questions;
};

// One editing session on a copy of the program's collection: new groups at the
// selection, the refusals of Accept, Delete asked first, moves, and the chooser files.
TEST_F(EditorTest, EditsACopyAndSavesAndLoadsThroughTheChoosers) {
  using R = MaskCollectionEditor::AcceptResult;
  MaskCollectionEditor editor(m_source, m_questions);
  editor.Select(3);
  EXPECT_EQ(editor.CreateNewGroup(), 3);
  EXPECT_EQ(editor.CreateNewGroup(), 3);
  EXPECT_EQ(editor.Lines()[2], "03. New group 2");
  EXPECT_EQ(editor.Lines()[3], "04. New group 1");
  EXPECT_EQ(m_source.Count(), 6);  // the editor works on a copy

  EXPECT_EQ(editor.AcceptChanges("Logs", "*.log, *.tmp", false, true), R::kAccepted);
  MaskGroup g;
  ASSERT_TRUE(editor.Collection().GetGroup(3, &g));
  EXPECT_EQ(g.masks, "*.log;*.tmp");
  EXPECT_EQ(g.enabled, 0);
  EXPECT_EQ(g.temporary, 1);
  EXPECT_EQ(editor.Collection().GroupsWithMask("*.log"), (std::vector<int>{3}));
  EXPECT_EQ(editor.AcceptChanges("", "", true, false), R::kEmptyName);
  EXPECT_EQ(editor.AcceptChanges("Logs", "   ", true, false), R::kEmptyMasks);
  // Renaming onto another group's name would drop this group: refused.
  EXPECT_EQ(editor.AcceptChanges("Images", "*.x", true, false), R::kNameTaken);
  EXPECT_EQ(m_questions.asked.size(), 3u);
  EXPECT_EQ(editor.Collection().Count(), 8);
  EXPECT_EQ(editor.AcceptChanges("Logs", "*.log", true, false), R::kAccepted);

  editor.Select(8);
  m_questions.answers = {IDNO, IDYES};
  EXPECT_FALSE(editor.DeleteSelected());
  EXPECT_TRUE(editor.DeleteSelected());
  EXPECT_EQ(editor.Selected(), 7);  // moved back onto the last group
  EXPECT_FALSE(editor.CanMoveDown());
  editor.MoveDown();  // not possible: nothing changes
  editor.MoveUp();
  EXPECT_EQ(editor.Selected(), 6);
  EXPECT_EQ(editor.Lines()[5], "06. Archives");
  EXPECT_EQ(editor.Lines()[6], "07. Images");

  m_questions.files = {m_top + "/mine", "", m_top + "/mine.mcf"};
  ASSERT_TRUE(editor.Save(m_top));
  EXPECT_TRUE(fs::exists(m_top + "/mine.mcf"));  // the extension is added
  EXPECT_EQ(editor.Collection().Name(), "mine");
  EXPECT_FALSE(editor.Load(m_top));  // cancelled
  editor.CreateNewCollection();
  EXPECT_EQ(editor.Lines(), (Lines{"01. New group 1"}));
  ASSERT_TRUE(editor.Load(m_top));
  EXPECT_EQ(editor.Collection().Count(), 7);
  EXPECT_EQ(editor.Selected(), 1);
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

TEST_F(EditorTest, ShippedCollectionHoldsTheBuiltInGroups) {
  const std::string data = std::string(TWINFOLD_SOURCE_DIR) + "/data";
  ASSERT_TRUE(m_source.SaveToFile(m_top + "/Standard.mcf"));
  EXPECT_EQ(testing::ReadFile(data + "/Standard.mcf"), testing::ReadFile(m_top + "/Standard.mcf"));
  EXPECT_NE(testing::ReadFile(data + "/mcfilter.xsl").find("node[@name = 'Filters']"),
            std::string::npos);
}

}  // namespace
}  // namespace tf
