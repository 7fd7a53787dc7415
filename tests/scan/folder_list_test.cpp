#include "scan/folder_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "datatree/node_xml.h"
#include "platform/node_files.h"
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
  EXPECT_TRUE(IsBelow("/data/x/", "/data"));
  EXPECT_FALSE(IsBelow("/data2", "/data"));
  EXPECT_FALSE(IsBelow("/data/", "/data"));
  EXPECT_FALSE(IsBelow("/DATA/x", "/data"));  // Linux paths keep their case
  EXPECT_FALSE(IsBelow("/data/x", ""));
  EXPECT_TRUE(IsBelow("/home", "/"));
  EXPECT_FALSE(IsBelow("/a\\b", "/a"));  // a backslash is a plain character
}

TEST_F(FolderListTest, AddingAParentReplacesItsChildren) {
  const std::string data = dir("data"), oldDir = dir("data/old"), other = dir("other");
  const std::string deeper = dir("data/new/deeper");
  EXPECT_EQ(AddInclude(m_descriptor, oldDir), kFolderAdded);
  EXPECT_EQ(AddInclude(m_descriptor, other), kFolderAdded);
  EXPECT_EQ(AddInclude(m_descriptor, deeper), kFolderAdded);
  EXPECT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  EXPECT_EQ(IncludePaths(m_descriptor), (Paths{other, data}));

  // A child of a listed folder, or the folder again, is refused with the path named.
  EXPECT_EQ(AddIncludeFolder(m_descriptor, oldDir, m_questions), kFolderRefused);
  EXPECT_EQ(AddIncludeFolder(m_descriptor, data + "/", m_questions), kFolderRefused);
  ASSERT_EQ(m_questions.asked.size(), 2u);
  EXPECT_EQ(m_questions.asked[0].text.rfind(oldDir + "\n", 0), 0u);
  EXPECT_EQ(IncludePaths(m_descriptor), (Paths{other, data}));

  // "/x/data2" is a sibling of "/x/data", not its child.
  const std::string data2 = dir("data2");
  EXPECT_EQ(AddIncludeFolder(m_descriptor, data2, m_questions), kFolderAdded);
  EXPECT_EQ(IncludePaths(m_descriptor), (Paths{other, data, data2}));

  EXPECT_TRUE(RemoveInclude(m_descriptor, data));
  EXPECT_FALSE(RemoveInclude(m_descriptor, data));
  EXPECT_EQ(IncludePaths(m_descriptor), (Paths{other, data2}));
}

TEST_F(FolderListTest, OnlyExistingFoldersComeFromThePageAndUsabilityFollowsTheDisk) {
  const std::string missing = m_top + "/missing";
  fs::path file = fs::path(dir("d")) / "file.txt";
  std::ofstream(file) << "x";
  EXPECT_EQ(AddIncludeFolder(m_descriptor, missing, m_questions), kFolderNotAFolder);
  EXPECT_EQ(AddIncludeFolder(m_descriptor, file.string(), m_questions), kFolderNotAFolder);
  EXPECT_TRUE(m_questions.asked.empty());
  EXPECT_FALSE(HasUsableInclude(m_descriptor));

  // Added directly (the recent list may name a folder since removed): marked -1.
  EXPECT_EQ(AddInclude(m_descriptor, missing), kFolderAdded);
  DataNode* include = FindByPath(m_descriptor, "folders:include", ':');
  ASSERT_NE(include, nullptr);
  EXPECT_EQ(include->FirstChild()->group, -1);
  EXPECT_FALSE(HasUsableInclude(m_descriptor));
  const std::string gone = dir("gone");
  EXPECT_EQ(AddInclude(m_descriptor, gone), kFolderAdded);
  EXPECT_EQ(include->LastChild()->group, 0);
  EXPECT_TRUE(HasUsableInclude(m_descriptor));
  fs::remove(gone);
  EXPECT_FALSE(HasUsableInclude(m_descriptor));
}

TEST_F(FolderListTest, ExcludesMustLieBelowTheSelectedFolder) {
  const std::string a = dir("a"), b = dir("b"), aOld = dir("a/old"), bTmp = dir("b/tmp");
  const std::string aDeep = dir("a/x/deep");
  AddInclude(m_descriptor, a);
  AddInclude(m_descriptor, b);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, aOld, a, m_questions), kFolderAdded);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, a, a, m_questions), kFolderRefused);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, aOld, "", m_questions), kFolderRefused);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, bTmp, b, m_questions), kFolderAdded);
  EXPECT_EQ(AddExcludeFolder(m_descriptor, aDeep, a, m_questions), kFolderAdded);
  EXPECT_EQ(AddExclude(m_descriptor, aOld), kFolderRefused);  // listed already: no message
  EXPECT_EQ(m_questions.asked.size(), 2u);

  EXPECT_EQ(ExcludesUnder(m_descriptor, a), (Paths{aOld, aDeep}));
  EXPECT_EQ(AddExclude(m_descriptor, aOld + "/"), kFolderRefused);
  EXPECT_EQ(AddExclude(m_descriptor, bTmp + "/sub/"), kFolderAdded);  // typed by hand
  EXPECT_EQ(ExcludesUnder(m_descriptor, b + "/"), (Paths{bTmp, bTmp + "/sub"}));
  EXPECT_TRUE(ExcludesUnder(m_descriptor, aOld).empty());
  EXPECT_TRUE(RemoveExclude(m_descriptor, aOld));
  EXPECT_EQ(ExcludesUnder(m_descriptor, a), (Paths{aDeep}));
}

TEST_F(FolderListTest, DroppedItemsStandForTheirFolders) {
  const std::string d = dir("d"), e = dir("e x"), file = d + "/f.txt";
  std::ofstream(file) << "x";
  fs::create_symlink(e, m_top + "/to_folder");
  fs::create_symlink(m_top + "/nowhere", m_top + "/dangling");
  const LinkResolver resolve = [](const std::string& p, std::string* target) {
    std::error_code ec;
    if (!fs::is_symlink(p, ec)) return 0;
    const fs::path t = fs::canonical(p, ec);
    if (ec) return -1;
    *target = t.string();
    return 1;
  };
  // A lone file or link is followed by the folder page's widget tests; among several
  // items a link to a folder is taken as the folder it names, and a missing path is
  // passed on for the adder to refuse.
  const std::string missing = m_top + "/missing";
  EXPECT_EQ(FoldersOfDrop({d, file, e + "/", missing}, resolve), (Paths{d, d, e + "/", missing}));
  EXPECT_EQ(FoldersOfDrop({m_top + "/to_folder", file}, resolve), (Paths{m_top + "/to_folder", d}));
  EXPECT_TRUE(FoldersOfDrop({m_top + "/dangling"}, resolve).empty());
}

TEST_F(FolderListTest, ProtectionMarksFollowTheFoldersTheyCover) {
  const std::string data = dir("data"), ref = dir("data/ref"), deep = dir("data/ref/deep");
  const std::string other = dir("other");
  ASSERT_EQ(AddInclude(m_descriptor, ref), kFolderAdded);
  // Only an include entry or a folder below one can be protected.
  EXPECT_FALSE(ProtectFolder(m_descriptor, other));
  EXPECT_TRUE(ProtectFolder(m_descriptor, deep));
  EXPECT_FALSE(ProtectFolder(m_descriptor, deep + "/"));  // marked already
  EXPECT_EQ(ProtectedBelow(m_descriptor, ref), Paths{deep});
  // The whole entry takes in the mark below it.
  EXPECT_TRUE(ProtectFolder(m_descriptor, ref));
  EXPECT_TRUE(IsIncludeProtected(m_descriptor, ref));
  EXPECT_EQ(ProtectedFolders(m_descriptor), Paths{ref});
  // A parent entry taking the old one in keeps its protection as a mark below it.
  ASSERT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  EXPECT_FALSE(IsIncludeProtected(m_descriptor, data));
  EXPECT_EQ(ProtectedFolders(m_descriptor), Paths{ref});
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), deep + "/f.txt"), ref);
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), ref + "2/f.txt"), "");
  EXPECT_EQ(ProtectedFolderHolding(ProtectedFolders(m_descriptor), data + "/f.txt"), "");
  EXPECT_FALSE(UnprotectFolder(m_descriptor, deep));  // no mark of its own
  EXPECT_TRUE(UnprotectFolder(m_descriptor, ref));
  EXPECT_TRUE(ProtectedFolders(m_descriptor).empty());
  EXPECT_EQ(IncludePaths(m_descriptor), Paths{data});  // marks are not folders to search
}

TEST_F(FolderListTest, TheProtectCommandTogglesAndExplainsRefusals) {
  const std::string data = dir("data"), ref = dir("data/ref"), inner = dir("data/ref/in");
  ASSERT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, m_top + "/missing", m_questions),
            kFolderNotAFolder);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionAdded);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, inner, m_questions), kProtectionUnchanged);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, dir("elsewhere"), m_questions),
            kProtectionUnchanged);
  ASSERT_EQ(m_questions.asked.size(), 2u);
  EXPECT_NE(m_questions.asked[0].text.find(ref), std::string::npos);  // names the protecting one
  // Taking a mark off is asked, with No the default; a folder gone since can be unmarked.
  fs::remove_all(ref);
  m_questions.answers = {testing::kPressEnter, IDYES};
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionUnchanged);
  EXPECT_EQ(m_questions.asked.back().buttonSet, MB_YESNO | MB_DEFBUTTON2);
  EXPECT_EQ(ToggleProtectedFolder(m_descriptor, ref, m_questions), kProtectionRemoved);
  EXPECT_TRUE(ProtectedFolders(m_descriptor).empty());
}

TEST_F(FolderListTest, DescriptorFilesKeepTheMarksAndOlderFilesLoadUnchanged) {
  // A descriptor file from before protection existed: folders without any mark.
  const std::string older =
      "<node name=\"Descriptor\">\n"
      "  <node name=\"folders\">\n"
      "    <node name=\"include\">\n"
      "      <node name=\"/srv/photos\"/>\n"
      "    </node>\n"
      "    <node name=\"exclude\"/>\n"
      "  </node>\n"
      "</node>\n";
  DataNode* loaded = ParseNodeXml(nullptr, older);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(ProtectedFolders(loaded).empty());
  EXPECT_FALSE(IsIncludeProtected(loaded, "/srv/photos"));
  EXPECT_EQ(IncludePaths(loaded), Paths{"/srv/photos"});
  std::string again;
  WriteNodeXml(loaded, &again, false);
  DeleteNode(loaded);
  EXPECT_EQ(again.find("protected"), std::string::npos);  // nothing added to the file

  const std::string data = dir("data"), ref = dir("data/ref"), other = dir("other");
  ASSERT_EQ(AddInclude(m_descriptor, data), kFolderAdded);
  ASSERT_EQ(AddInclude(m_descriptor, other), kFolderAdded);
  ASSERT_TRUE(ProtectFolder(m_descriptor, ref));
  ASSERT_TRUE(ProtectFolder(m_descriptor, other));
  const std::string file = m_top + "/search.xml";
  ASSERT_EQ(WriteNodeXmlFile(m_descriptor, file, false), 1);
  DataNode* back = LoadTreeXmlFile(file);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(ProtectedFolders(back), (Paths{ref, other}));
  EXPECT_EQ(IncludePaths(back), (Paths{data, other}));
  DeleteNode(back);
}

}  // namespace
}  // namespace tf
