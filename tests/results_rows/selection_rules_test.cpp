#include "results/selection_rules.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "platform/path_status.h"
#include "tests/results_rows/result_tree.h"
#include "tests/support/temp_tree.h"
#include "tests/support/timed.h"

namespace tf {
namespace {

using Groups = testing::ResultTree;

using Names = std::set<std::string>;

Names chosen(const DataNode* root, SelectRule rule, const SelectionContext& context = {}) {
  Names out;
  for (const DataNode* file : ChooseFiles(root, rule, context)) out.insert(file->Name());
  return out;
}

// One group per case: a rule keeps one file, ties go to the name that sorts first (tree
// order differs on purpose), invert never picks a whole group, protected files count as kept.
TEST(SelectionRules, EachRuleKeepsOneFileInvertsAndCountsProtectedFilesAsKept) {
  const auto groupOf = [](Groups& groups, std::vector<std::tuple<const char*, int, int>> files) {
    DataNode* g = groups.group();
    for (const auto& [path, size, time] : files) groups.file(g, path, size, time);
  };
  Groups rules;
  groupOf(rules, {{"/d/c", 10, 200}, {"/d/B", 30, 200}, {"/d/a", 30, 100}, {"/e/a", 20, 100}});
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButNewest), (Names{"/d/a", "/d/c", "/e/a"}));
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButOldest), (Names{"/d/B", "/d/c", "/e/a"}));
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButLargest), (Names{"/d/B", "/d/c", "/e/a"}));
  SelectionContext in;
  in.folder = "/e/";
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButInFolder, in), (Names{"/d/B", "/d/a", "/d/c"}));
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllInFolder, in), (Names{"/e/a"}));
  in.folder = "/";  // all in it: the first in name order (ignoring case) stays
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllInFolder, in), (Names{"/d/B", "/d/c", "/e/a"}));
  in.folder = "/d/a";  // a file's path holds no file: "all but in" leaves the group alone
  EXPECT_TRUE(chosen(rules.root(), SelectRule::kAllButInFolder, in).empty());

  Groups invert;
  groupOf(invert, {{"/x/2", 1, 1}, {"/x/1", 1, 1}, {"/x/3", 1, 1}});
  groupOf(invert, {{"/y/1", 1, 1}, {"/y/2", 1, 1}});
  const Names before{"/x/2", "/y/1", "/y/2"};
  SelectionContext context;
  context.wasSelected = [&](const DataNode* file) { return before.count(file->Name()) > 0; };
  // A wholly picked group turns to nothing; one with nothing picked keeps its first name.
  EXPECT_EQ(chosen(invert.root(), SelectRule::kInvert, context), (Names{"/x/1", "/x/3"}));
  context.wasSelected = [](const DataNode*) { return false; };
  EXPECT_EQ(chosen(invert.root(), SelectRule::kInvert, context), (Names{"/x/2", "/x/3", "/y/2"}));

  Groups guarded;
  groupOf(guarded, {{"/keep/old", 1, 1}, {"/work/new", 1, 9}, {"/work/mid", 1, 5}});
  context = {};
  context.isProtected = [](const DataNode* f) { return PathInFolder(f->Name(), "/keep"); };
  EXPECT_EQ(chosen(guarded.root(), SelectRule::kAllButNewest, context), (Names{"/work/mid"}));
  context.folder = "/";  // all may go: the protected file is the kept copy
  EXPECT_EQ(chosen(guarded.root(), SelectRule::kAllInFolder, context),
            (Names{"/work/mid", "/work/new"}));
}

TEST(SelectionRules, AHardLinkOfAPickedFileIsNoKeptCopy) {
  testing::TempTree tree;
  const std::string a = tree.File("a/f", 5, 100);
  const std::string b = tree.Path("b/f");
  tree.Folder("b");
  ASSERT_EQ(link(a.c_str(), b.c_str()), 0);
  const std::string c = tree.File("c/f", 5, 50);
  const std::string d = tree.File("d/f", 5, 50);
  Groups groups;
  DataNode* g = groups.group();
  groups.file(g, c, 5, 50);
  groups.file(g, b, 5, 100);
  groups.file(g, a, 5, 100);
  groups.file(g, d, 5, 50);
  HardLinks links;
  links.Build(groups.root(), [](const std::string& path, LinkIdentity* out) {
    FileIdentity identity;
    if (!ReadFileIdentity(path, &identity) || identity.names < 2) return false;
    *out = {identity.device, identity.inode};
    return true;
  });
  EXPECT_EQ(g->val, 15) << "the two names of one file count once";

  SelectionContext context;
  context.links = &links;
  // The newest file's two names are both kept; c kept as oldest lets both names go.
  EXPECT_EQ(chosen(groups.root(), SelectRule::kAllButNewest, context), (Names{c, d}));
  EXPECT_EQ(chosen(groups.root(), SelectRule::kAllButOldest, context), (Names{a, b, d}));
  // Inverting to a, c and d would keep only b, another name of a: no copy, so a stays too.
  const Names before{b};
  context.wasSelected = [&](const DataNode* file) { return before.count(file->Name()) > 0; };
  EXPECT_EQ(chosen(groups.root(), SelectRule::kInvert, context), (Names{c, d}));

  // One name leaves the group: the other still counts once.
  links.BeforeRemove(g->FirstChild()->Next());
  g->val -= 5;
  DeleteNode(g->FirstChild()->Next());
  EXPECT_EQ(g->val, 15);
}

TEST(SelectionRules, EveryGroupKeepsAnUnpickedCopyAndNoProtectedFileIsPicked) {
  std::mt19937 random(15);
  Groups groups;
  for (int n = 0; n < 400; ++n) {
    DataNode* g = groups.group();
    const int count = 2 + static_cast<int>(random() % 5);
    for (int i = 0; i < count; ++i)
      groups.file(g, "/" + std::to_string(random() % 3) + "/" + std::to_string(random() % 4),
                  1 + random() % 3, random() % 3);
  }
  SelectionContext context;
  context.folder = "/1";
  context.isProtected = [](const DataNode* f) { return f->Name()[3] == '0'; };
  context.wasSelected = [](const DataNode* f) { return f->Name()[3] == '1'; };
  for (SelectRule rule :
       {SelectRule::kAllButNewest, SelectRule::kAllButOldest, SelectRule::kAllButLargest,
        SelectRule::kAllButInFolder, SelectRule::kAllInFolder, SelectRule::kInvert}) {
    std::set<const DataNode*> picked;
    for (const DataNode* f : ChooseFiles(groups.root(), rule, context)) picked.insert(f);
    for (const DataNode* g = groups.root()->FirstChild(); g; g = g->Next()) {
      int left = 0;
      for (const DataNode* f = g->FirstChild(); f; f = f->Next()) {
        left += picked.count(f) == 0;
        if (picked.count(f)) {
          EXPECT_FALSE(context.isProtected(f)) << f->Name();
        }
      }
      EXPECT_GE(left, 1) << "rule " << static_cast<int>(rule);
    }
  }
}

TEST(SelectionRules, AllButTheNewestOfFiftyThousandGroupsIsQuick) {
  Groups groups;
  for (int n = 0; n < 50000; ++n) {
    DataNode* g = groups.group();
    groups.file(g, "/data/a/file" + std::to_string(n), 10, n);
    groups.file(g, "/data/b/file" + std::to_string(n), 10, n + 1);
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ChooseFiles(groups.root(), SelectRule::kAllButNewest, {}).size(), 50000u);
  if (testing::kTimed) {
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  }
}

}  // namespace
}  // namespace tf
