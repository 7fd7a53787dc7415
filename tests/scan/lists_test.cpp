// Collections of mask groups and their files; the folders to search, leave out and protect.
#include "scan/mask_collection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "datatree/node_xml.h"
#include "scan/collection_files.h"
#include "scan/folder_list.h"
#include "scan/mask_collection_editor.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"
#include "tests/support/timed.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

std::vector<std::string> names(const MaskCollection& c) {
  std::vector<std::string> out;
  MaskGroup g;
  for (int n = 1; c.GetGroup(n, &g); ++n) out.push_back(g.name);
  return out;
}

MaskGroup group(const std::string& name, const std::string& masks, int number = 0) {
  MaskGroup g;
  g.number = number, g.name = name, g.masks = masks;
  return g;
}

class MaskCollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_top.empty());
    m_builtIn.AddBuiltInGroups();
  }
  void TearDown() override { DeleteNode(m_descriptor); }
  std::string dir(const std::string& relative) { return m_tree.Folder(relative); }
  testing::TempTree m_tree;
  const std::string m_top = m_tree.root();
  MaskCollection m_builtIn;
  DataNode* m_descriptor = CreateNode(nullptr, "Descriptor", ATTACH_ROOT);
  testing::ScriptedQuestions m_questions;
};

std::string describe(const MaskCollection& c) {
  std::string out;
  MaskGroup g;
  for (int n = 1; c.GetGroup(n, &g); ++n)
    out += std::to_string(g.number) + " " + g.name + " | " + g.masks + " " +
           std::to_string(g.enabled) + std::to_string(g.temporary) + "\n";
  return out;
}

// Numbers stay 1..Count(); the copy the dialog's OK hands back stops at its limit.
TEST_F(MaskCollectionTest, NumbersStayDenseAndCopiesStopAtTheLimit) {
  std::vector<std::string> expected = names(m_builtIn);
  m_builtIn.SetUpdating(true);
  EXPECT_EQ(m_builtIn.AddGroup(group("Text", "*.txt, *.md", 1)), 1);
  EXPECT_EQ(m_builtIn.AddGroup(group("Far", "*.far", 40)), 9);  // appended, no gap
  m_builtIn.SetUpdating(false);
  expected.insert(expected.begin(), "Text");
  expected.push_back("Far");
  EXPECT_EQ(names(m_builtIn), expected);
  EXPECT_TRUE(m_builtIn.DeleteGroup("Text"));
  EXPECT_FALSE(m_builtIn.DeleteGroup("Text"));
  m_builtIn.SwapNumbers(1, 8);
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
  const std::string options = m_top + "/options.mcf";  // another kind of file
  std::ofstream(options) << "<node name=\"options\"><node name=\"x\" desc=\"*.x\"/></node>";
  for (const std::string& bad : {options, m_top + "/missing.mcf"}) {
    EXPECT_FALSE(loaded.LoadFromFile(bad)) << bad;
    EXPECT_EQ(describe(loaded), describe(m_builtIn));
  }
  const std::string before = testing::ReadFile(path);
  {
    testing::FileSizeLimit full(before.size() - 1);
    EXPECT_FALSE(loaded.SaveToFile(path));
  }
  EXPECT_EQ(testing::ReadFile(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_top + "/kept"), fs::directory_iterator()), 1);
  EXPECT_FALSE(loaded.SaveToFile(m_top + "/no/such/folder/x.mcf"));
}

void loadWritten(const std::string& path, const std::vector<MaskGroup>& groups,
                 MaskCollection* to) {
  std::string xml = "<node name=\"Filters\">";
  for (const MaskGroup& g : groups)
    xml += "<node name=\"" + g.name + "\" desc=\"" + g.masks + "\" id=\"" +
           std::to_string(g.number) + "\" val2=\"1\"/>";
  std::ofstream(path, std::ios::binary) << xml << "</node>";
  ASSERT_TRUE(to->LoadFromFile(path));
}

// Groups of a file, numbered in any order, land where adding them one by one puts them.
TEST_F(MaskCollectionTest, LoadingPlacesGroupsAsAddingThemOneByOneInLinearTime) {
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
  // The list of groups used to be searched from the start for every group loaded.
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

// What the dialog's widget tests do not reach.
TEST_F(MaskCollectionTest, DeletesAndChoosersAtTheirEdges) {
  MaskCollectionEditor editor(m_builtIn, m_questions);
  editor.Select(3);
  EXPECT_EQ(editor.CreateNewGroup() + editor.CreateNewGroup(), 6);
  editor.Select(9);
  m_questions.answers = {IDNO, IDYES};
  EXPECT_FALSE(editor.DeleteSelected());
  EXPECT_TRUE(editor.DeleteSelected());
  EXPECT_EQ(editor.Collection().Count(), 8);
  EXPECT_EQ(editor.Selected(), 8);  // moved back onto the last group
  m_questions.files = {m_top + "/mine", ""};
  ASSERT_TRUE(editor.Save(m_top));
  EXPECT_TRUE(fs::exists(m_top + "/mine.mcf"));
  EXPECT_FALSE(editor.Load(m_top));  // cancelled
  EXPECT_EQ(editor.Collection().Count(), 8);
}

TEST_F(MaskCollectionTest, CollectionFilesForTheMenuAndTheShippedOne) {
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
  const std::string data = std::string(TWINFOLD_SOURCE_DIR) + "/data";
  ASSERT_TRUE(m_builtIn.SaveToFile(m_top + "/Standard.mcf"));
  EXPECT_EQ(testing::ReadFile(data + "/Standard.mcf"), testing::ReadFile(m_top + "/Standard.mcf"));
  EXPECT_NE(testing::ReadFile(data + "/mcfilter.xsl").find("node[@name = 'Filters']"),
            std::string::npos);
}

using FolderListTest = MaskCollectionTest;

TEST_F(FolderListTest, IncludesAndExcludesAtTheirEdges) {
  EXPECT_TRUE(IsBelow("/data/x/", "/data") && IsBelow("/home", "/"));
  EXPECT_FALSE(IsBelow("/DATA/x", "/data"));  // Linux paths keep their case
  EXPECT_FALSE(IsBelow("/a\\b", "/a"));       // a backslash is a plain character
  const std::string data = dir("data"), deeper = dir("data/new/deeper"), data2 = dir("data2");
  EXPECT_EQ(AddInclude(m_descriptor, deeper), kFolderAdded);
  EXPECT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  EXPECT_EQ(AddIncludeFolder(m_descriptor, data + "/", m_questions), kFolderRefused);
  EXPECT_EQ(AddIncludeFolder(m_descriptor, data2, m_questions), kFolderAdded);
  EXPECT_EQ(IncludePaths(m_descriptor), (Paths{data, data2}));
  EXPECT_TRUE(RemoveInclude(m_descriptor, data2));
  // Added directly (the recent list may name a folder since removed): marked -1.
  const std::string missing = m_top + "/missing";
  EXPECT_EQ(AddIncludeFolder(m_descriptor, missing, m_questions), kFolderNotAFolder);
  EXPECT_EQ(AddInclude(m_descriptor, missing), kFolderAdded);
  DataNode* include = FindByPath(m_descriptor, "folders:include", ':');
  ASSERT_NE(include, nullptr);
  EXPECT_EQ(include->LastChild()->group, -1);
  EXPECT_TRUE(HasUsableInclude(m_descriptor));
  fs::remove_all(data);
  EXPECT_FALSE(HasUsableInclude(m_descriptor));
  const std::string old = dir("data/old"), aDeep = dir("data/x/deep");
  EXPECT_EQ(AddExcludeFolder(m_descriptor, old, data, m_questions), kFolderAdded);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, old, "", m_questions), kFolderRefused);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, aDeep, data, m_questions), kFolderAdded);
  EXPECT_EQ(AddExclude(m_descriptor, old + "/"), kFolderRefused);  // listed already
  EXPECT_EQ(AddExclude(m_descriptor, aDeep + "/sub/"), kFolderAdded);
  EXPECT_EQ(ExcludesUnder(m_descriptor, data + "/"), (Paths{old, aDeep, aDeep + "/sub"}));
  EXPECT_TRUE(ExcludesUnder(m_descriptor, old).empty());
  EXPECT_EQ(m_questions.asked.size(), 2u);
}

TEST_F(FolderListTest, DroppedItemsStandForTheirFolders) {
  const std::string d = dir("d"), e = dir("e x"), file = d + "/f.txt";
  std::ofstream(file) << "x";
  fs::create_symlink(e, m_top + "/to_folder");
  fs::create_symlink(m_top + "/nowhere", m_top + "/dangling");
  const LinkResolver resolve = [](const std::string& p, std::string* target) {
    std::error_code ec;
    if (!fs::is_symlink(p, ec)) return 0;
    *target = fs::canonical(p, ec).string();
    return ec ? -1 : 1;
  };
  const std::string missing = m_top + "/missing";  // passed on for the adder to refuse
  EXPECT_EQ(FoldersOfDrop({d, file, e + "/", missing}, resolve), (Paths{d, d, e + "/", missing}));
  EXPECT_EQ(FoldersOfDrop({m_top + "/to_folder", file}, resolve), (Paths{m_top + "/to_folder", d}));
  EXPECT_TRUE(FoldersOfDrop({m_top + "/dangling"}, resolve).empty());
}

TEST_F(FolderListTest, ProtectionMarksFollowTheirFoldersAndOlderFilesStayUnchanged) {
  const std::string data = dir("data"), ref = dir("data/ref"), deep = dir("data/ref/deep");
  ASSERT_EQ(AddInclude(m_descriptor, ref), kFolderAdded);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, dir("other"), m_questions), kProtectionUnchanged);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, m_top + "/missing", m_questions),
            kFolderNotAFolder);
  EXPECT_TRUE(ProtectFolder(m_descriptor, deep));
  EXPECT_FALSE(ProtectFolder(m_descriptor, deep + "/"));  // marked already
  EXPECT_TRUE(ProtectFolder(m_descriptor, ref));
  EXPECT_EQ(ProtectedFolders(m_descriptor), Paths{ref});
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, deep, m_questions), kProtectionUnchanged);
  ASSERT_EQ(m_questions.asked.size(), 2u);
  EXPECT_NE(m_questions.asked[1].text.find(ref), std::string::npos);  // names the protecting one
  // A parent entry taking the old one in keeps its protection as a mark.
  ASSERT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  EXPECT_FALSE(IsIncludeProtected(m_descriptor, data));
  EXPECT_EQ(ProtectedFolders(m_descriptor), Paths{ref});
  EXPECT_EQ(IncludePaths(m_descriptor), Paths{data});  // marks are not folders to search
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), deep + "/f.txt"), ref);
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), ref + "2/f.txt"), "");
  EXPECT_FALSE(UnprotectFolder(m_descriptor, deep));  // no mark of its own
  // Unmarking is asked, No the default, also for a folder gone since.
  fs::remove_all(ref);
  m_questions.answers = {testing::kPressEnter, IDYES};
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionUnchanged);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionRemoved);
  // A descriptor from before protection marks loads and saves unchanged.
  const std::string text =
      "<node name=\"Descriptor\">\r\n\t<node name=\"folders\">\r\n\t\t<node name=\"include\">\r\n"
      "\t\t\t<node name=\"/srv/photos\"/>\r\n\t\t</node>\r\n\t</node>\r\n</node>";
  DataNode* loaded = ParseNodeXml(nullptr, text);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(ProtectedFolders(loaded).empty());
  EXPECT_EQ(IncludePaths(loaded), Paths{"/srv/photos"});
  std::string again;
  WriteNodeXml(loaded, &again, false);
  DeleteNode(loaded);
  EXPECT_EQ(again, text);  // nothing added to the file
}

}  // namespace
}  // namespace tf
