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

// The dialog's buttons are driven through the mask collection dialog's widget tests
// (refusals of Accept, moves, a new group, Save, Load and Cancel); here what they do not
// reach: names of several new groups, No to a delete, the last group deleted, the
// extension a typed name gets and a cancelled chooser.
TEST_F(EditorTest, NewGroupsDeletesAndChoosersAtTheirEdges) {
  MaskCollectionEditor editor(m_source, m_questions);
  editor.Select(3);
  EXPECT_EQ(editor.CreateNewGroup(), 3);
  EXPECT_EQ(editor.CreateNewGroup(), 3);
  EXPECT_EQ(editor.Lines()[2], "03. New group 2");
  EXPECT_EQ(editor.Lines()[3], "04. New group 1");

  editor.Select(8);
  m_questions.answers = {IDNO, IDYES};
  EXPECT_FALSE(editor.DeleteSelected());
  EXPECT_TRUE(editor.DeleteSelected());
  EXPECT_EQ(editor.Collection().Count(), 7);
  EXPECT_EQ(editor.Selected(), 7);  // moved back onto the last group
  EXPECT_FALSE(editor.CanMoveDown());

  m_questions.files = {m_top + "/mine", ""};
  ASSERT_TRUE(editor.Save(m_top));
  EXPECT_TRUE(fs::exists(m_top + "/mine.mcf"));
  EXPECT_EQ(editor.Collection().Name(), "mine");
  EXPECT_FALSE(editor.Load(m_top));  // cancelled
  EXPECT_EQ(editor.Collection().Count(), 7);
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
