#include "scan/mask_collection.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_size_limit.h"
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
};

const std::vector<std::string> kBuiltInNames = {
    "Executable, Libraries", "Internet files", "Documents", "Images", "Archives", "Temporary"};

TEST_F(MaskCollectionTest, BuiltInGroups) {
  EXPECT_EQ(names(m_builtIn), kBuiltInNames);
  EXPECT_EQ(m_builtIn.Count(), 6);
  EXPECT_TRUE(m_builtIn.IsModified());
  MaskGroup g;
  ASSERT_TRUE(m_builtIn.GetGroup(6, &g));
  EXPECT_EQ(g.masks, "*.tmp;~*.*;*.bak;*.old;*.~*;");
  EXPECT_EQ(g.temporary, 1);
  EXPECT_EQ(g.enabled, 1);
  ASSERT_TRUE(m_builtIn.FindGroup("Internet files", &g));
  EXPECT_EQ(g.number, 2);
  EXPECT_EQ(g.masks, "*.htm;*.html;*.asp;*.shtml;");
  EXPECT_EQ(g.temporary, 0);
}

TEST_F(MaskCollectionTest, NumbersStayDense) {
  // Inserting at 2 moves 2..6 to 3..7.
  m_builtIn.SetUpdating(true);
  EXPECT_EQ(m_builtIn.AddGroup(group("Logs", "*.log", 2)), 2);
  std::vector<std::string> expected = kBuiltInNames;
  expected.insert(expected.begin() + 1, "Logs");
  EXPECT_EQ(names(m_builtIn), expected);
  // A number past the end appends instead of leaving a gap.
  EXPECT_EQ(m_builtIn.AddGroup(group("Far", "*.far", 40)), 8);
  EXPECT_EQ(m_builtIn.AddGroup(group("Next", "*.nx")), 9);
  m_builtIn.SetUpdating(false);

  // Deleting group 3 of 6 moves 4, 5, 6 down to 3, 4, 5.
  MaskCollection six;
  six.AddBuiltInGroups();
  EXPECT_TRUE(six.DeleteGroup("Documents"));
  EXPECT_FALSE(six.DeleteGroup("Documents"));
  EXPECT_EQ(names(six), (std::vector<std::string>{"Executable, Libraries", "Internet files",
                                                  "Images", "Archives", "Temporary"}));
  EXPECT_EQ(six.Count(), 5);

  six.SwapNumbers(1, 5);
  six.SwapNumbers(2, 2);
  six.SwapNumbers(2, 9);
  EXPECT_EQ(names(six), (std::vector<std::string>{"Temporary", "Internet files", "Images",
                                                  "Archives", "Executable, Libraries"}));
}

TEST_F(MaskCollectionTest, NewGroupNamesTakeTheFirstFreeNumber) {
  MaskCollection c;
  EXPECT_EQ(c.NewGroupName(), "New group 1");
  c.SetUpdating(true);
  c.AddGroup(group("New group 1", "name.ext;name.ext"));
  c.AddGroup(group("New group 3", "name.ext;name.ext"));
  EXPECT_EQ(c.NewGroupName(), "New group 2");
}

TEST_F(MaskCollectionTest, IndexAndCounting) {
  EXPECT_EQ(m_builtIn.GroupsWithMask("*.TXT"), (std::vector<int>{3}));
  m_builtIn.SetUpdating(true);
  EXPECT_TRUE(m_builtIn.GroupsWithMask("*.txt").empty());  // dropped while updating
  m_builtIn.AddGroup(group("Text", "*.txt, *.md", 1));
  m_builtIn.SetUpdating(false);
  EXPECT_EQ(m_builtIn.GroupsWithMask("*.txt"), (std::vector<int>{1, 4}));
  EXPECT_EQ(m_builtIn.GroupsWithMask("*.md"), (std::vector<int>{1}));

  bool temporary = true;
  EXPECT_EQ(m_builtIn.Account("notes.TXT", 100, 10, &temporary), 2);
  EXPECT_FALSE(temporary);
  EXPECT_EQ(m_builtIn.Account("~draft.doc", 50, 5, &temporary), 2);  // Documents, Temporary
  EXPECT_TRUE(temporary);
  EXPECT_EQ(m_builtIn.Account("x.png", 1, 1, &temporary), 0);
  MaskGroup g;
  ASSERT_TRUE(m_builtIn.FindGroup("Documents", &g));
  EXPECT_EQ(g.fileCount, 2);
  EXPECT_EQ(g.totalSize, 150);
  EXPECT_EQ(g.secondTotal, 15);
  ASSERT_TRUE(m_builtIn.GetCounted(0, &g));
  EXPECT_EQ(g.name, "Text");
  ASSERT_TRUE(m_builtIn.GetCounted(2, &g));
  EXPECT_EQ(g.name, "Temporary");
  EXPECT_FALSE(m_builtIn.GetCounted(3, &g));
  m_builtIn.ResetCounters();
  EXPECT_FALSE(m_builtIn.GetCounted(0, &g));

  // Deleting a group renumbers the index as well.
  m_builtIn.DeleteGroup("Text");
  EXPECT_EQ(m_builtIn.GroupsWithMask("*.txt"), (std::vector<int>{3}));
}

TEST_F(MaskCollectionTest, SaveThenLoadGivesTheSameCollection) {
  m_builtIn.SetUpdating(true);
  MaskGroup odd = group("Quotes \"<&>\" and \xff bytes", "*.<a-c>x;~*.*", 3);
  odd.enabled = 0;
  m_builtIn.AddGroup(odd);
  m_builtIn.SetUpdating(false);
  const std::string path = m_top + "/My set.mcf";
  ASSERT_TRUE(m_builtIn.SaveToFile(path));
  EXPECT_EQ(m_builtIn.Name(), "My set");

  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind("<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" "
                             "href=\"mcfilter.xsl\" ?>\r\n<node name=\"Filters\"",
                             0),
            0u)
      << text.str().substr(0, 120);

  MaskCollection loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.Count(), m_builtIn.Count());
  EXPECT_EQ(loaded.Name(), "My set");
  for (int n = 1; n <= m_builtIn.Count(); ++n) {
    MaskGroup a, b;
    ASSERT_TRUE(m_builtIn.GetGroup(n, &a));
    ASSERT_TRUE(loaded.GetGroup(n, &b)) << n;
    EXPECT_EQ(b.number, a.number);
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.masks, a.masks);
    EXPECT_EQ(b.enabled, a.enabled) << a.name;
    EXPECT_EQ(b.temporary, a.temporary) << a.name;
  }
  EXPECT_EQ(loaded.GroupsWithMask("~*.*"), (std::vector<int>{3, 7}));
}

TEST_F(MaskCollectionTest, BadFilesLeaveTheCollectionAlone) {
  const std::string garbage = m_top + "/garbage.mcf";
  std::ofstream(garbage) << "not a collection at all";
  const std::string options = m_top + "/options.mcf";
  std::ofstream(options) << "<node name=\"options\"><node name=\"x\" desc=\"*.x\"/></node>";
  for (const std::string& path : {garbage, options, m_top + "/missing.mcf", std::string()}) {
    EXPECT_FALSE(m_builtIn.LoadFromFile(path)) << path;
    EXPECT_EQ(names(m_builtIn), kBuiltInNames);
  }
  // A file that cannot be written whole leaves the older one as it was, and nothing else.
  const std::string path = m_top + "/kept/kept.mcf";
  fs::create_directory(m_top + "/kept");
  MaskCollection small;
  small.SetUpdating(true);
  small.AddGroup(group("Small", "*.s"));
  small.SetUpdating(false);
  ASSERT_TRUE(small.SaveToFile(path));
  const auto before = fs::file_size(path);
  {
    testing::FileSizeLimit full(before);
    EXPECT_FALSE(m_builtIn.SaveToFile(path));
  }
  EXPECT_EQ(fs::file_size(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_top + "/kept"), fs::directory_iterator()), 1);
  EXPECT_FALSE(m_builtIn.SaveToFile(m_top + "/no/such/folder/x.mcf"));
  // A name held by a folder is not a collection file to replace.
  fs::create_directory(m_top + "/taken.mcf");
  EXPECT_FALSE(m_builtIn.SaveToFile(m_top + "/taken.mcf"));
  EXPECT_TRUE(fs::is_directory(m_top + "/taken.mcf"));

  // Special files are refused at once, not read (a FIFO without writer would wait).
  ASSERT_EQ(mkfifo((m_top + "/fifo.mcf").c_str(), 0600), 0);
  alarm(60);
  for (const std::string& special : {m_top + "/fifo.mcf", std::string("/dev/zero")}) {
    EXPECT_FALSE(m_builtIn.LoadFromFile(special)) << special;
    EXPECT_EQ(names(m_builtIn), kBuiltInNames);
  }
  alarm(0);
}

// The groups of a file in any order of numbers end up exactly where adding them one by one
// would put them.
TEST_F(MaskCollectionTest, LoadingPlacesGroupsAsAddingThemOneByOne) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    const int count = 1 + static_cast<int>(random() % 60);
    std::vector<MaskGroup> groups;
    for (int i = 0; i < count; ++i)
      groups.push_back(group("g" + std::to_string(i), "*.g" + std::to_string(i),
                             static_cast<int>(random() % (count + 3)) - 1));
    MaskCollection added;
    added.SetUpdating(true);
    for (const MaskGroup& g : groups) ASSERT_GT(added.AddGroup(g), 0);
    added.SetUpdating(false);

    std::string xml = "<node name=\"Filters\">";
    for (const MaskGroup& g : groups)
      xml += "<node name=\"" + g.name + "\" desc=\"" + g.masks + "\" id=\"" +
             std::to_string(g.number) + "\" val2=\"1\"/>";
    xml += "</node>";
    const std::string path = m_top + "/order.mcf";
    std::ofstream(path, std::ios::binary) << xml;
    MaskCollection loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_EQ(names(loaded), names(added)) << xml;
    EXPECT_EQ(loaded.GroupsWithMask("*.g0"), added.GroupsWithMask("*.g0"));
  }
}

// 40,000 groups, in the order a save writes them and in the reverse order (every group
// first), load in well under the bound; the list of groups used to be searched from the
// start for every group added.
TEST_F(MaskCollectionTest, LargeCollectionsLoadInLinearTime) {
  constexpr int kGroups = 40000;
  for (bool reversed : {false, true}) {
    std::string xml = "<node name=\"Filters\">";
    for (int i = 1; i <= kGroups; ++i)
      xml += "<node name=\"Group " + std::to_string(i) + "\" desc=\"*.e" + std::to_string(i) +
             ";x" + std::to_string(i) + "*.*\" id=\"" + std::to_string(reversed ? 1 : i) +
             "\" val2=\"1\"/>";
    xml += "</node>";
    const std::string path = m_top + "/large.mcf";
    std::ofstream(path, std::ios::binary) << xml;

    MaskCollection masks;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(masks.LoadFromFile(path));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (testing::kTimed) {
      EXPECT_LT(took.count(), 3.0) << (reversed ? "reversed" : "in order");
    }
    ASSERT_EQ(masks.Count(), kGroups);
    MaskGroup g;
    ASSERT_TRUE(masks.GetGroup(1, &g));
    EXPECT_EQ(g.name, reversed ? "Group 40000" : "Group 1");
    EXPECT_EQ(masks.GroupsWithMask("*.E7"), (std::vector<int>{reversed ? kGroups - 6 : 7}));
    bool temporary = true;
    EXPECT_EQ(masks.Account("a.e7", 1, 0, &temporary), 1);
    EXPECT_FALSE(temporary);
  }
}

TEST_F(MaskCollectionTest, AssignFromCopiesUpToTheLimit) {
  MaskCollection big;
  big.SetUpdating(true);
  for (int i = 1; i <= 120; ++i) big.AddGroup(group("g" + std::to_string(i), "*.g"));
  big.SetUpdating(false);
  big.SetModified(false);
  big.SetName("big");
  MaskCollection copy;
  copy.AddBuiltInGroups();
  copy.AssignFrom(big);
  EXPECT_EQ(copy.Count(), MaskCollection::kMaxCopiedGroups);
  EXPECT_FALSE(copy.IsModified());
  EXPECT_EQ(copy.Name(), "big");
  MaskGroup g;
  ASSERT_TRUE(copy.GetGroup(99, &g));
  EXPECT_EQ(g.name, "g99");
  EXPECT_EQ(copy.GroupsWithMask("*.g").size(), 99u);
}

}  // namespace
}  // namespace tf
