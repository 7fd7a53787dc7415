#include "scan/mask_collection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "scan/collection_files.h"
#include "scan/mask_collection_editor.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"
#include "tests/support/timed.h"

namespace tf {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const MaskCollection& c) {
  std::vector<std::string> out;
  MaskGroup g;
  for (int n = 1; c.GetGroup(n, &g); ++n) out.push_back(g.name);
  return out;
}

MaskGroup group(const std::string& name, const std::string& masks, int number = 0) {
  MaskGroup g;
  g.number = number;
  g.name = name;
  g.masks = masks;
  return g;
}

class MaskCollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_top.empty());
    m_builtIn.AddBuiltInGroups();
  }
  testing::TempTree m_tree;
  const std::string m_top = m_tree.root();
  MaskCollection m_builtIn;
  testing::ScriptedQuestions m_questions;
};

// Every group with all it keeps, one line each, in number order.
std::string describe(const MaskCollection& c) {
  std::string out;
  MaskGroup g;
  for (int n = 1; c.GetGroup(n, &g); ++n)
    out += std::to_string(g.number) + " " + g.name + " | " + g.masks + " " +
           std::to_string(g.enabled) + std::to_string(g.temporary) + "\n";
  return out;
}

// Numbers stay 1..Count() through inserts, appends past the end, deletes and swaps; the
// copy the dialog's OK hands back stops at its limit.
TEST_F(MaskCollectionTest, NumbersStayDenseAndCopiesStopAtTheLimit) {
  std::vector<std::string> expected = names(m_builtIn);
  m_builtIn.SetUpdating(true);
  EXPECT_EQ(m_builtIn.AddGroup(group("Text", "*.txt, *.md", 1)), 1);
  EXPECT_EQ(m_builtIn.AddGroup(group("Far", "*.far", 40)), 8);  // appended, no gap
  m_builtIn.SetUpdating(false);
  expected.insert(expected.begin(), "Text");
  expected.push_back("Far");
  EXPECT_EQ(names(m_builtIn), expected);
  EXPECT_TRUE(m_builtIn.DeleteGroup("Text"));
  EXPECT_FALSE(m_builtIn.DeleteGroup("Text"));
  m_builtIn.SwapNumbers(1, 7);
  m_builtIn.SwapNumbers(2, 2);
  m_builtIn.SwapNumbers(2, 9);
  expected.erase(expected.begin());
  std::swap(expected.front(), expected.back());
  EXPECT_EQ(names(m_builtIn), expected);

  MaskCollection fresh;
  fresh.SetUpdating(true);
  fresh.AddGroup(group("New group 1", "name.ext"));
  fresh.AddGroup(group("New group 3", "name.ext"));
  EXPECT_EQ(fresh.NewGroupName(), "New group 2");  // the first free number
  for (int i = 4; i <= 120; ++i) fresh.AddGroup(group("g" + std::to_string(i), "*.g"));
  fresh.SetUpdating(false);
  m_builtIn.AssignFrom(fresh);
  EXPECT_EQ(m_builtIn.Count(), MaskCollection::kMaxCopiedGroups);
  EXPECT_EQ(names(m_builtIn).back(), "g" + std::to_string(MaskCollection::kMaxCopiedGroups + 1));
}

// Hostile names come back whole; a file of another kind and a full disk change nothing.
TEST_F(MaskCollectionTest, SavedFilesReadBackAndBadOnesLeaveTheCollectionAlone) {
  m_builtIn.SetUpdating(true);
  MaskGroup odd = group("Quotes \"<&>\" and \xff bytes", "*.<a-c>x;~*.*", 3);
  odd.enabled = 0;
  m_builtIn.AddGroup(odd);
  m_builtIn.SetUpdating(false);
  const std::string path = m_top + "/kept/My set.mcf";
  fs::create_directory(m_top + "/kept");
  ASSERT_TRUE(m_builtIn.SaveToFile(path));
  MaskCollection loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.Name(), "My set");
  EXPECT_EQ(describe(loaded), describe(m_builtIn));

  const std::string options = m_top + "/options.mcf";
  std::ofstream(options) << "<node name=\"options\"><node name=\"x\" desc=\"*.x\"/></node>";
  const std::string unchanged = describe(loaded);
  for (const std::string& bad : {options, m_top + "/missing.mcf"}) {
    EXPECT_FALSE(loaded.LoadFromFile(bad)) << bad;
    EXPECT_EQ(describe(loaded), unchanged);
  }
  // A file that cannot be written whole leaves the older one as it was, and nothing else.
  const std::string before = testing::ReadFile(path);
  {
    testing::FileSizeLimit full(before.size() - 1);
    EXPECT_FALSE(loaded.SaveToFile(path));
  }
  EXPECT_EQ(testing::ReadFile(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_top + "/kept"), fs::directory_iterator()), 1);
  EXPECT_FALSE(loaded.SaveToFile(m_top + "/no/such/folder/x.mcf"));
}

// Loads `groups` from a file holding them in the order given.
void loadWritten(const std::string& path, const std::vector<MaskGroup>& groups,
                 MaskCollection* to) {
  std::string xml = "<node name=\"Filters\">";
  for (const MaskGroup& g : groups)
    xml += "<node name=\"" + g.name + "\" desc=\"" + g.masks + "\" id=\"" +
           std::to_string(g.number) + "\" val2=\"1\"/>";
  std::ofstream(path, std::ios::binary) << xml << "</node>";
  ASSERT_TRUE(to->LoadFromFile(path));
}

// The groups of a file in any order of numbers end up exactly where adding them one by one
// would put them.
TEST_F(MaskCollectionTest, LoadingPlacesGroupsAsAddingThemOneByOne) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    const int count = 1 + static_cast<int>(random() % 60);
    std::vector<MaskGroup> groups;
    MaskCollection added, loaded;
    added.SetUpdating(true);
    for (int i = 0; i < count; ++i) {
      groups.push_back(group("g" + std::to_string(i), "*.g" + std::to_string(i),
                             static_cast<int>(random() % (count + 3)) - 1));
      ASSERT_GT(added.AddGroup(groups.back()), 0);
    }
    added.SetUpdating(false);
    loadWritten(m_top + "/order.mcf", groups, &loaded);
    ASSERT_EQ(names(loaded), names(added)) << round;
  }
}

// 40,000 groups, in the order a save writes them and with every group first, load in
// linear time; the list of groups used to be searched from the start for every group.
TEST_F(MaskCollectionTest, LargeCollectionsLoadInLinearTime) {
  for (bool reversed : {false, true}) {
    std::vector<MaskGroup> groups;
    for (int i = 1; i <= 40000; ++i)
      groups.push_back(
          group("Group " + std::to_string(i), "*.e" + std::to_string(i), reversed ? 1 : i));
    MaskCollection masks;
    const auto start = std::chrono::steady_clock::now();
    loadWritten(m_top + "/large.mcf", groups, &masks);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (testing::kTimed) {
      EXPECT_LT(took.count(), 3.0) << reversed;
    }
    ASSERT_EQ(masks.Count(), 40000);
    EXPECT_EQ(names(masks).front(), reversed ? "Group 40000" : "Group 1");
  }
}

// What the dialog's widget tests do not reach: No to a delete, the last group deleted,
// the extension a typed name gets and a cancelled chooser.
TEST_F(MaskCollectionTest, DeletesAndChoosersAtTheirEdges) {
  MaskCollectionEditor editor(m_builtIn, m_questions);
  editor.Select(3);
  EXPECT_EQ(editor.CreateNewGroup() + editor.CreateNewGroup(), 6);
  editor.Select(8);
  m_questions.answers = {IDNO, IDYES};
  EXPECT_FALSE(editor.DeleteSelected());
  EXPECT_TRUE(editor.DeleteSelected());
  EXPECT_EQ(editor.Collection().Count(), 7);
  EXPECT_EQ(editor.Selected(), 7);  // moved back onto the last group

  m_questions.files = {m_top + "/mine", ""};
  ASSERT_TRUE(editor.Save(m_top));
  EXPECT_TRUE(fs::exists(m_top + "/mine.mcf"));
  EXPECT_FALSE(editor.Load(m_top));  // cancelled
  EXPECT_EQ(editor.Collection().Count(), 7);
}

// What the menu of collection files leaves out, and its limit.
TEST_F(MaskCollectionTest, CollectionFilesForTheMenu) {
  const std::string user = m_top + "/user";
  fs::create_directories(user + "/folder.mcf");
  for (const char* n : {"b.mcf", "A.MCF", "notes.txt", ".mcf"})
    testing::WriteFile(user + "/" + n, "x");
  const auto files = ListCollectionFiles({user, m_top + "/missing", ""});
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "A");
  EXPECT_EQ(files[1].path, user + "/b.mcf");
  for (int i = 0; i < 105; ++i)
    testing::WriteFile(user + "/many" + std::to_string(i) + ".mcf", "x");
  EXPECT_EQ(ListCollectionFiles({user}).size(), size_t(kMaxCollectionFiles));
}

TEST_F(MaskCollectionTest, ShippedCollectionHoldsTheBuiltInGroups) {
  const std::string data = std::string(TWINFOLD_SOURCE_DIR) + "/data";
  ASSERT_TRUE(m_builtIn.SaveToFile(m_top + "/Standard.mcf"));
  EXPECT_EQ(testing::ReadFile(data + "/Standard.mcf"), testing::ReadFile(m_top + "/Standard.mcf"));
  EXPECT_NE(testing::ReadFile(data + "/mcfilter.xsl").find("node[@name = 'Filters']"),
            std::string::npos);
}

}  // namespace
}  // namespace tf
