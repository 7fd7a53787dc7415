#include "scan/folder_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "datatree/node_xml.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(m_top.empty()); }
  void TearDown() override { DeleteNode(m_descriptor); }
  std::string dir(const std::string& relative) { return m_tree.Folder(relative); }

  testing::TempTree m_tree;
  const std::string m_top = m_tree.root();
  DataNode* m_descriptor = CreateNode(nullptr, "Descriptor", ATTACH_ROOT);
  testing::ScriptedQuestions m_questions;
};

TEST(IsBelow, NeedsASeparatorAfterThePrefix) {
  EXPECT_TRUE(IsBelow("/data/x/", "/data") && IsBelow("/home", "/"));
  EXPECT_FALSE(IsBelow("/DATA/x", "/data"));  // Linux paths keep their case
  EXPECT_FALSE(IsBelow("/a\\b", "/a"));       // a backslash is a plain character
}

// Nesting at its edges: a sibling sharing a prefix, a trailing '/', folders missing or
// gone since, and excludes typed by hand.
TEST_F(FolderListTest, IncludesAndExcludesAtTheirEdges) {
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
  // A file stands for its folder, a link to a folder for that folder; a missing path is
  // passed on for the adder to refuse.
  const std::string missing = m_top + "/missing";
  EXPECT_EQ(FoldersOfDrop({d, file, e + "/", missing}, resolve), (Paths{d, d, e + "/", missing}));
  EXPECT_EQ(FoldersOfDrop({m_top + "/to_folder", file}, resolve), (Paths{m_top + "/to_folder", d}));
  EXPECT_TRUE(FoldersOfDrop({m_top + "/dangling"}, resolve).empty());
}

// The rules behind refusing a mark, and what becomes of a mark when a parent entry takes
// its folder in.
TEST_F(FolderListTest, ProtectionMarksFollowTheFoldersTheyCover) {
  const std::string data = dir("data"), ref = dir("data/ref"), deep = dir("data/ref/deep");
  ASSERT_EQ(AddInclude(m_descriptor, ref), kFolderAdded);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, dir("other"), m_questions), kProtectionUnchanged);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, m_top + "/missing", m_questions),
            kFolderNotAFolder);
  EXPECT_TRUE(ProtectFolder(m_descriptor, deep));
  EXPECT_FALSE(ProtectFolder(m_descriptor, deep + "/"));  // marked already
  // The whole entry takes in the mark below it; a folder inside it cannot be marked.
  EXPECT_TRUE(ProtectFolder(m_descriptor, ref));
  EXPECT_EQ(ProtectedFolders(m_descriptor), Paths{ref});
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, deep, m_questions), kProtectionUnchanged);
  ASSERT_EQ(m_questions.asked.size(), 2u);
  EXPECT_NE(m_questions.asked[1].text.find(ref), std::string::npos);  // names the protecting one
  // A parent entry taking the old one in keeps its protection as a mark below it.
  ASSERT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  EXPECT_FALSE(IsIncludeProtected(m_descriptor, data));
  EXPECT_EQ(ProtectedFolders(m_descriptor), Paths{ref});
  EXPECT_EQ(IncludePaths(m_descriptor), Paths{data});  // marks are not folders to search
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), deep + "/f.txt"), ref);
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), ref + "2/f.txt"), "");
  EXPECT_FALSE(UnprotectFolder(m_descriptor, deep));  // no mark of its own
  // Taking a mark off is asked, with No the default; a folder gone since can be unmarked.
  fs::remove_all(ref);
  m_questions.answers = {testing::kPressEnter, IDYES};
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionUnchanged);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionRemoved);
}

TEST(FolderListFile, ADescriptorFromBeforeProtectionLoadsAndSavesUnchanged) {
  DataNode* loaded = ParseNodeXml(nullptr,
                                  "<node name=\"Descriptor\"><node name=\"folders\"><node "
                                  "name=\"include\"><node name=\"/srv/photos\"/></node><node "
                                  "name=\"exclude\"/></node></node>");
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(ProtectedFolders(loaded).empty());
  EXPECT_EQ(IncludePaths(loaded), Paths{"/srv/photos"});
  std::string again;
  WriteNodeXml(loaded, &again, false);
  DeleteNode(loaded);
  EXPECT_EQ(again.find("protected"), std::string::npos);  // nothing added to the file
}

}  // namespace
}  // namespace tf
