// The ignore list's file and its rule on real files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "datatree/node_ptr.h"
#include "results/ignore_store.h"
#include "search/search_run.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::ReadFile;
using testing::WriteFile;
using Paths = std::vector<std::string>;

// Names a user may have: spaces, quotes, a newline, a backslash, bytes that are not UTF-8.
const Paths kOdd = {"/home/ann/my \"best\" photo.jpg", "/media/b/line\nbreak.txt",
                    std::string("/media/b/caf\xe9\xff.txt"), "/media/b/back\\slash 'q'.txt",
                    "/home/ann/\xc3\xa9t\xc3\xa9.txt"};

class IgnoreStoreTest : public ::testing::Test {
 protected:
  std::string file() const { return m_tree.Path("data/twinfold/ignored"); }
  IgnoreList read(IgnoreStore::State expected) const {
    IgnoreList list;
    EXPECT_EQ(IgnoreStore(file()).Read(&list), expected);
    return list;
  }
  bool add(const Paths& paths, std::string* error = nullptr, std::string* setAside = nullptr) {
    return IgnoreStore(file()).Change(
        [&](IgnoreList& list) { return list.Add(paths) == IgnoreList::Added::kAdded; }, error,
        setAside);
  }
  testing::TempTree m_tree;
};

TEST_F(IgnoreStoreTest, OddPathsComeBackByteForByteThroughTheFile) {
  read(IgnoreStore::State::kMissing);
  ASSERT_TRUE(add({kOdd[0], kOdd[1], kOdd[2]}));  // the folder is made
  ASSERT_TRUE(add({kOdd[3], kOdd[4]}));
  EXPECT_TRUE(add({kOdd[4], kOdd[3], kOdd[3]}));  // the same set: nothing to save
  const IgnoreList list = read(IgnoreStore::State::kRead);
  ASSERT_EQ(list.Entries().size(), 2u);
  EXPECT_EQ(list.Entries()[0], (Paths{kOdd[0], kOdd[2], kOdd[1]}));  // in byte order
  EXPECT_EQ(list.Entries()[1], (Paths{kOdd[4], kOdd[3]}));
  // The text says what it keeps; the exact bytes ride beside a name that is not UTF-8.
  const std::string text = ReadFile(file());
  EXPECT_NE(text.find("\"path\":\"/media/b/line\\nbreak.txt\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"path_base64\""), std::string::npos);
}

TEST_F(IgnoreStoreTest, EveryCutOffOrDamagedFileIsRefusedWholeAndSetAsideBeforeASave) {
  IgnoreList good;
  ASSERT_EQ(good.Add({kOdd[0], kOdd[2]}), IgnoreList::Added::kAdded);
  ASSERT_EQ(good.Add({"/a", "/b", "/c"}), IgnoreList::Added::kAdded);
  const std::string text = good.ToJson();
  // The last byte is a newline that nothing needs.
  for (size_t cut = 0; cut + 1 < text.size(); ++cut) {
    IgnoreList list;
    std::string error;
    ASSERT_FALSE(list.FromJson(text.substr(0, cut), &error)) << cut;
    EXPECT_FALSE(error.empty());
  }
  const std::string damaged[] = {
      "",
      "{}",
      "not json",
      text + "x",
      R"({"format":"twinfold-ignored","version":2,"entries":[]})",
      R"({"format":"other","version":1,"entries":[]})",
      R"({"format":"twinfold-ignored","version":1,"entries":[{"paths":[{"path":"/a"}]}]})",
      R"({"format":"twinfold-ignored","version":1,"entries":[{"paths":[{"path_base64":"*"}]}]})"};
  for (const std::string& bytes : damaged) {
    IgnoreList list;
    EXPECT_FALSE(list.FromJson(bytes, nullptr)) << bytes;
  }
  ::mkdir(m_tree.Path("data").c_str(), 0700);
  ::mkdir(m_tree.Path("data/twinfold").c_str(), 0700);
  for (const char* kept : {"ignored.damaged", "ignored.damaged.1"}) {
    ASSERT_TRUE(WriteFile(file(), damaged[4]));
    EXPECT_TRUE(read(IgnoreStore::State::kDamaged).Empty());
    std::string setAside;
    ASSERT_TRUE(add({"/x", "/y"}, nullptr, &setAside));
    EXPECT_EQ(setAside, m_tree.Path(std::string("data/twinfold/") + kept));
    EXPECT_EQ(ReadFile(setAside), damaged[4]);  // an older damaged file is never replaced
    EXPECT_EQ(read(IgnoreStore::State::kRead).Entries(), (std::vector<Paths>{{"/x", "/y"}}));
  }
}

TEST_F(IgnoreStoreTest, AFileOverTheCapIsNotReadAndOnlyARegularFileIsEverWritten) {
  ASSERT_TRUE(add({"/a", "/b"}));
  const size_t size = ReadFile(file()).size();
  IgnoreList list;
  EXPECT_EQ(IgnoreStore(file(), size).Read(&list), IgnoreStore::State::kRead);
  EXPECT_EQ(IgnoreStore(file(), size - 1).Read(&list), IgnoreStore::State::kDamaged);
  EXPECT_TRUE(list.Empty());

  // A link to the list is read and saved through; the link stays.
  const std::string elsewhere = m_tree.Path("kept-list");
  ASSERT_EQ(::rename(file().c_str(), elsewhere.c_str()), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), file().c_str()), 0);
  ASSERT_TRUE(add({"/c", "/d"}));
  EXPECT_EQ(read(IgnoreStore::State::kRead).Entries().size(), 2u);
  struct stat st {};
  ASSERT_EQ(::lstat(file().c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));

  // A FIFO, a folder and a dangling link get an answer, and stay as they were.
  const auto fifo = [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; };
  const auto folder = [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; };
  const auto dangling = [](const std::string& p) {
    return ::symlink("/nowhere/x", p.c_str()) == 0;
  };
  for (const auto& make : {+fifo, +folder, +dangling}) {
    ::unlink(file().c_str());
    ::rmdir(file().c_str());
    ASSERT_TRUE(make(file()));
    struct stat before {};
    ASSERT_EQ(::lstat(file().c_str(), &before), 0);
    EXPECT_TRUE(read(IgnoreStore::State::kNotAFile).Empty());
    std::string error;
    EXPECT_FALSE(add({"/e", "/f"}, &error));
    EXPECT_NE(error.find("nothing was changed"), std::string::npos) << error;
    struct stat after {};
    ASSERT_EQ(::lstat(file().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_FALSE(testing::Exists(file() + ".damaged"));
  }
  EXPECT_EQ(ReadFile(elsewhere).find("/e"), std::string::npos);
}

TEST(IgnoreListRule, AGroupHidesWhileAllItsFilesBelongToOneEntry) {
  IgnoreList list;
  ASSERT_EQ(list.Add({"/a", "/b", "/c"}), IgnoreList::Added::kAdded);
  ASSERT_EQ(list.Add({"/a", "/d"}), IgnoreList::Added::kAdded);
  EXPECT_EQ(list.Add({"/e", "/e"}), IgnoreList::Added::kTooFew);
  const struct {
    Paths group;
    bool hidden;
  } cases[] = {
      {{"/a", "/b", "/c"}, true},
      {{"/c", "/a"}, true},         // a file of the entry went: still the same group
      {{"/d", "/a"}, true},         // the second entry
      {{"/a", "/b", "/x"}, false},  // a new file joined
      {{"/b", "/d"}, false},        // each file is ignored, but not in one entry
      {{"/a", "/b", "/d"}, false},
      {{"/x", "/y"}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(list.Hides(c.group), c.hidden) << c.group.front();

  // A group node of a result, as the search forms it.
  NodePtr root(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT));
  DataNode* group = CreateNode(root.get(), "a", ATTACH_LAST_CHILD);
  CreateNode(group, "/b", ATTACH_LAST_CHILD);
  CreateNode(group, "/c", ATTACH_LAST_CHILD);
  EXPECT_TRUE(list.HidesGroup(group));
  CreateNode(group, "/x", ATTACH_LAST_CHILD);
  EXPECT_FALSE(list.HidesGroup(group));

  EXPECT_TRUE(list.Remove({"/c", "/b", "/a"}));
  EXPECT_FALSE(list.Hides({"/a", "/b"}));
  EXPECT_TRUE(list.Hides({"/a", "/d"}));  // the other entry is found at its new place
  EXPECT_FALSE(list.Remove({"/a", "/b"}));
  EXPECT_FALSE(list.RemoveAt(1));
}

// "Open results..." shows a saved result as a search's: the list hides its groups too.
TEST(IgnoreListRule, ASavedResultShownAgainLeavesOutTheIgnoredGroups) {
  auto list = std::make_shared<IgnoreList>();
  ASSERT_EQ(list->Add({"/a/x", "/b/x"}), IgnoreList::Added::kAdded);
  SearchRun::Options options;
  options.hideGroup = [list](const DataNode* group) { return list->HidesGroup(group); };
  SearchRun run(options);
  DataNode* root = CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT);
  for (const char* key : {"x", "y", "z"}) {
    DataNode* group = CreateNode(root, key, ATTACH_LAST_CHILD);
    group->kind = 1;
    group->val2 = key[0] == 'z' ? 3 : 2;
    for (const char* folder : {"/a/", "/b/", "/c/"}) {
      if (key[0] != 'z' && folder[1] == 'c') continue;
      DataNode* file = CreateNode(group, (folder + std::string(key)).c_str(), ATTACH_LAST_CHILD);
      file->val = 5;
      group->val += 5;
    }
    root->val2 += group->val2;
  }
  ASSERT_TRUE(list->Add({"/a/z", "/b/z"}) == IgnoreList::Added::kAdded);  // z has one more
  run.Adopt(nullptr, root, HardLinks());
  ASSERT_NE(run.ResultRoot(), nullptr);
  std::vector<std::string> keys;
  for (DataNode* group = run.ResultRoot()->FirstChild(); group; group = group->Next())
    keys.push_back(group->Name());
  EXPECT_EQ(keys, (Paths{"y", "z"}));
  EXPECT_EQ(run.FileCount(), 5);
  EXPECT_EQ(run.StatusLine(), "Finished (5 files found)");
}

}  // namespace
}  // namespace tf
