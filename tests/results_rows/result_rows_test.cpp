// The rows of the result lists and the selection rules, over finished result trees built
// by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "base/text_fold.h"
#include "datatree/node_arena.h"
#include "datatree/node_ptr.h"
#include "platform/path_status.h"
#include "results/result_rows.h"
#include "results/selection_rules.h"
#include "tests/support/temp_tree.h"
#include "tests/support/timed.h"

namespace tf {
namespace {

// Groups (kind 1) with their totals of size and count, and their files.
class Tree {
 public:
  DataNode* root() const { return m_root.get(); }
  DataNode* group(const std::string& name = "g", const std::string& type = "?") {
    DataNode* g = CreateNode(m_root.get(), name.c_str(), ATTACH_LAST_CHILD);
    g->kind = 1;
    SetDesc(g, type);
    return g;
  }
  DataNode* file(DataNode* g, const std::string& path, int64_t size, int64_t time) {
    DataNode* f = CreateNode(g, path.c_str(), ATTACH_LAST_CHILD);
    f->val = size;
    f->val2 = time;
    g->val += size;
    g->val2 += 1;
    return f;
  }
  DataNode* group(const std::vector<std::tuple<std::string, int64_t, int64_t>>& files) {
    DataNode* g = group();
    for (const auto& [path, size, time] : files) file(g, path, size, time);
    return g;
  }

 private:
  NodePtr m_root{CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT)};
};

// The sorting table read plainly: slow case fold, one field, a direction, ties by name,
// then tree order.
struct Order {
  enum Field { kName, kVal, kVal2, kDesc } field;
  bool descending;  // the field's own direction before any reversal
  bool tieByName;
};

Order orderOf(ResultList list, int key) {
  switch (key & 15) {
    case kSortByVal:
      return {Order::kVal, true, true};
    case kSortByVal2:
      return list == ResultList::kUnified ? Order{Order::kName, false, false}
                                          : Order{Order::kVal2, true, true};
    case kSortByDesc:
      return list == ResultList::kGroups ? Order{Order::kDesc, false, true}
                                         : Order{Order::kName, false, false};
    default:
      return {Order::kName, false, false};
  }
}

std::vector<DataNode*> referenceSort(std::vector<DataNode*> rows, Order order, bool reversed) {
  std::vector<size_t> at(rows.size());
  std::iota(at.begin(), at.end(), 0);
  const auto sign = [](auto x, auto y) { return x < y ? -1 : y < x ? 1 : 0; };
  std::sort(at.begin(), at.end(), [&](size_t i, size_t j) {
    const DataNode* a = rows[i];
    const DataNode* b = rows[j];
    int primary = 0;
    if (order.field == Order::kName) primary = sign(FoldUpper(a->Name()), FoldUpper(b->Name()));
    if (order.field == Order::kDesc) primary = sign(FoldUpper(a->Desc()), FoldUpper(b->Desc()));
    if (order.field == Order::kVal) primary = sign(a->val, b->val);
    if (order.field == Order::kVal2) primary = sign(a->val2, b->val2);
    if (order.descending) primary = -primary;
    if (reversed) primary = -primary;
    if (primary == 0 && order.tieByName) primary = sign(FoldUpper(a->Name()), FoldUpper(b->Name()));
    return primary != 0 ? primary < 0 : i < j;
  });
  std::vector<DataNode*> sorted;
  for (size_t i : at) sorted.push_back(rows[i]);
  return sorted;
}

// Many ties; lists both shorter and longer than 16 rows, which are sorted by different means.
void randomTree(Tree& tree, uint32_t seed) {
  std::mt19937 random(seed);
  // Long names share more than a 16-byte prefix; one has a two-byte letter across byte 16.
  const char* keys[] = {"a.txt",
                        "A.TXT",
                        "b.doc",
                        "\xc3\xa9t\xc3\xa9.jpg",
                        "\xc3\x89T\xc3\x89.jpg",
                        "z",
                        "report\xff.txt",
                        "a_rather_long_name_1.txt",
                        "A_RATHER_LONG_NAME_2.txt",
                        "0123456789abcde\xc3\xa9x"};
  const char* types[] = {"txt", "TXT", "doc", "?", "*", "jpg"};
  const char* folders[] = {"/d/", "/home/user/photos/d/", "/home/user/photos/D/", "/\xc3\xa4/",
                           "/a b/"};
  const int groups = 1 + static_cast<int>(random() % 40);
  for (int g = 0; g < groups; ++g) {
    DataNode* group = tree.group(keys[random() % 10], types[random() % 6]);
    const int files = 2 + static_cast<int>(random() % (g == 0 ? 30 : 4));
    // Signed times: one before 1601 is negative and older than any real one.
    const int64_t times[] = {-5, 0, 1, INT64_MAX};
    for (int f = 0; f < files; ++f)
      tree.file(group, std::string(folders[random() % 5]) + group->Name(),
                static_cast<int64_t>(random() % 3) * 1000, times[random() % 4]);
  }
}

TEST(ResultRows, EveryListAgreesWithTheSortingTableOnRandomTrees) {
  for (uint32_t seed = 0; seed < 300; ++seed) {
    Tree tree;
    randomTree(tree, seed);
    for (int key : {1, 2, 4, 8}) {
      for (bool reversed : {false, true}) {
        const int sortKey = key | (reversed ? kSortReversed : 0);
        std::vector<DataNode*> groups = GroupRows(tree.root());
        SortRows(ResultList::kGroups, sortKey, &groups);
        const auto expectedGroups =
            referenceSort(GroupRows(tree.root()), orderOf(ResultList::kGroups, key), reversed);
        ASSERT_EQ(groups, expectedGroups) << "seed " << seed << " key " << sortKey;

        DataNode* group = tree.root()->FirstChild();
        std::vector<DataNode*> files = FileRows(group);
        SortRows(ResultList::kFiles, sortKey, &files);
        ASSERT_EQ(files, referenceSort(FileRows(group), orderOf(ResultList::kFiles, key), reversed))
            << "seed " << seed << " key " << sortKey;

        // Unified: the groups in their order, each followed by its own files; by name the
        // files always ascend, by size they follow the size order and its direction.
        if (key != 1 && key != 2) continue;
        std::vector<DataNode*> unified = UnifiedRows(tree.root());
        SortRows(ResultList::kUnified, sortKey, &unified);
        std::vector<DataNode*> expected;
        for (DataNode* g :
             referenceSort(GroupRows(tree.root()), orderOf(ResultList::kGroups, key), reversed)) {
          expected.push_back(g);
          for (DataNode* f :
               referenceSort(FileRows(g), orderOf(ResultList::kFiles, key), key == 2 && reversed))
            expected.push_back(f);
        }
        ASSERT_EQ(unified, expected) << "seed " << seed << " key " << sortKey;
        ASSERT_EQ(SortedUnifiedRows(tree.root(), sortKey), expected) << "seed " << seed;
      }
    }
  }
}

// Lookups are exact, and rows of a group that went are erased by address, without reading
// them. (Header clicks are tried on the result lists themselves.)
TEST(ResultRows, RowLookupsAndErasure) {
  Tree tree;
  tree.file(tree.group("Report.txt", "txt"), "/a/Report.txt", 1, 1);
  tree.file(tree.group("report.txt", "txt"), "/b/report.txt", 1, 1);
  const std::vector<DataNode*> rows = UnifiedRows(tree.root());
  EXPECT_EQ(FindRowByName(rows, "report.txt"), 2);
  EXPECT_EQ(FindRowByName(rows, "REPORT.TXT"), -1);
  // Groups split by time share a name: the first row of one of them is found.
  DataNode* again = tree.group("Report.txt", "txt");
  again->val2 = 5000000000LL;  // a count of files beyond 32 bits prints whole
  EXPECT_EQ(CellText(ResultList::kGroups, again, 2), "5000000000");
  std::vector<DataNode*> reordered{rows[2], rows[3], again, rows[0], rows[1]};
  EXPECT_EQ(FindGroupRow(reordered, tree.root(), "Report.txt"), 2);
  EXPECT_EQ(FindGroupRow(reordered, tree.root(), "/a/Report.txt"), -1);
  EXPECT_EQ(EraseRows({rows[0], rows[1]}, &reordered), 2u);
  EXPECT_EQ(reordered, (std::vector<DataNode*>{rows[2], rows[3], again}));
}

// Both name comparisons (whole texts, and nodes whose folders are parts) against the plain
// case fold; sorting such nodes against sorting whole names checks their sort keys too.
TEST(ResultRows, FastNameComparisonsAndSortsAgreeWithTheCaseFold) {
  std::mt19937 random(7);
  const std::string alphabet[] = {"a",        "A",    "z", "_", "/",    "\xc3\xa9",
                                  "\xc3\x89", "\xff", " ", "0", "\xc3", "~"};
  const auto sign = [](int x) { return x < 0 ? -1 : x > 0 ? 1 : 0; };
  NodePtr parts(CreateNode(nullptr, "parts", ATTACH_ROOT));
  NodePtr wholes(CreateNode(nullptr, "wholes", ATTACH_ROOT));
  NodeArena arena;
  // Split after each separator, one text one folder: texts that begin alike share folders.
  std::map<std::string, const FolderText*> folders;
  const auto folderOf = [&](const std::string& text) {
    const FolderText* folder = nullptr;
    for (size_t at = 0; at < text.size();) {
      const size_t slash = text.find('/', at);
      const size_t end = slash == std::string::npos ? text.size() : slash + 1;
      const FolderText*& known = folders[text.substr(0, end)];
      if (!known) known = arena.StoreFolder(folder, text.substr(at, end - at));
      folder = known;
      at = end;
    }
    return folder;
  };
  // The folder ends anywhere, so sort keys come from the folders, the name or both.
  const auto inFolder = [&](const std::string& text) {
    const std::string whole = (random() % 3 == 0 ? "/a long shared beginning/" : "") + text;
    const size_t cut = random() % (whole.size() + 1);
    DataNode* node = arena.CreateInFolder(parts.get(), whole.substr(cut),
                                          folderOf(whole.substr(0, cut)), ATTACH_LAST_CHILD);
    CreateNode(wholes.get(), whole.c_str(), ATTACH_LAST_CHILD);
    return node;
  };
  // Folders deeper than a comparison lists on its own, apart near the top or the bottom.
  std::string deep;
  for (int i = 0; i < 70; ++i) deep += "d/";
  for (const auto& [a, b] : {std::pair{"e/" + deep + "x", deep + "x"},
                             std::pair{deep + "x/" + deep + "y", deep + "X/" + deep}}) {
    const DataNode* x = inFolder(a);
    const DataNode* y = inFolder(b);
    ASSERT_EQ(sign(CompareFullNames(x, y)), sign(CompareIgnoringCase(FullName(x), FullName(y))));
  }
  for (int round = 0; round < 20000; ++round) {
    std::string a, b;
    for (int i = static_cast<int>(random() % 5); i > 0; --i) a += alphabet[random() % 12];
    b = a.substr(0, random() % (a.size() + 1));
    for (int i = static_cast<int>(random() % 4); i > 0; --i) b += alphabet[random() % 12];
    ASSERT_EQ(sign(CompareNames(a.c_str(), b.c_str())), sign(CompareIgnoringCase(a, b)))
        << a << " | " << b;
    if (round % 10 != 0) continue;
    const DataNode* x = inFolder(a);
    const DataNode* y = inFolder(b);
    ASSERT_EQ(sign(CompareFullNames(x, y)), sign(CompareIgnoringCase(FullName(x), FullName(y))))
        << a << " | " << b;
  }
  // All rows; then only those below the long beginning, whose keys start below it.
  const std::string below = "/a long shared beginning/";
  for (const bool all : {true, false}) {
    for (const int key : {kSortByName, kSortByName | kSortReversed}) {
      std::vector<DataNode*> byParts, byWholes;
      for (DataNode *n = parts->FirstChild(), *w = wholes->FirstChild(); n;
           n = n->Next(), w = w->Next()) {
        if (!all && FullDesc(n).compare(0, below.size(), below) != 0) continue;
        byParts.push_back(n);
        byWholes.push_back(w);
      }
      ASSERT_GT(byParts.size(), 100u);
      SortRows(ResultList::kFiles, key, &byParts);
      SortRows(ResultList::kFiles, key, &byWholes);
      for (size_t i = 0; i < byParts.size(); ++i)
        ASSERT_EQ(FullName(byParts[i]), byWholes[i]->Name()) << "row " << i;
    }
  }
}

using Names = std::set<std::string>;

Names chosen(const DataNode* root, SelectRule rule, const SelectionContext& context = {}) {
  Names out;
  for (const DataNode* file : ChooseFiles(root, rule, context)) out.insert(file->Name());
  return out;
}

// One group per case: a rule keeps one file, ties go to the name that sorts first (tree
// order differs on purpose), invert never picks a whole group, protected files count as kept.
TEST(SelectionRules, EachRuleKeepsOneFileInvertsAndCountsProtectedFilesAsKept) {
  Tree rules;
  rules.group({{"/d/c", 10, 200}, {"/d/B", 30, 200}, {"/d/a", 30, 100}, {"/e/a", 20, 100}});
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButNewest), (Names{"/d/a", "/d/c", "/e/a"}));
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButOldest), (Names{"/d/B", "/d/c", "/e/a"}));
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButLargest), (Names{"/d/B", "/d/c", "/e/a"}));
  SelectionContext in;
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButFirst), (Names{"/d/B", "/d/c", "/e/a"}));
  in.folder = "/e/";
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllButInFolder, in), (Names{"/d/B", "/d/a", "/d/c"}));
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllInFolder, in), (Names{"/e/a"}));
  in.folder = "/";  // all in it: the first in name order (ignoring case) stays
  EXPECT_EQ(chosen(rules.root(), SelectRule::kAllInFolder, in), (Names{"/d/B", "/d/c", "/e/a"}));
  in.folder = "/d/a";  // a file's path holds no file: "all but in" leaves the group alone
  EXPECT_TRUE(chosen(rules.root(), SelectRule::kAllButInFolder, in).empty());

  Tree invert;
  invert.group({{"/x/2", 1, 1}, {"/x/1", 1, 1}, {"/x/3", 1, 1}});
  invert.group({{"/y/1", 1, 1}, {"/y/2", 1, 1}});
  const Names before{"/x/2", "/y/1", "/y/2"};
  SelectionContext context;
  context.wasSelected = [&](const DataNode* file) { return before.count(file->Name()) > 0; };
  // A wholly picked group turns to nothing; one with nothing picked keeps its first name.
  EXPECT_EQ(chosen(invert.root(), SelectRule::kInvert, context), (Names{"/x/1", "/x/3"}));
  context.wasSelected = [](const DataNode*) { return false; };
  EXPECT_EQ(chosen(invert.root(), SelectRule::kInvert, context), (Names{"/x/2", "/x/3", "/y/2"}));

  Tree guarded;
  guarded.group({{"/keep/old", 1, 1}, {"/work/new", 1, 9}, {"/work/mid", 1, 5}});
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
  Tree groups;
  DataNode* g = groups.group({{c, 5, 50}, {b, 5, 100}, {a, 5, 100}, {d, 5, 50}});
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
  Tree groups;
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
        SelectRule::kAllButInFolder, SelectRule::kAllInFolder, SelectRule::kInvert,
        SelectRule::kAllButFirst}) {
    std::set<const DataNode*> picked;
    std::vector<DataNode*> kept;  // the copy each picked file's group keeps
    const std::vector<DataNode*> files = ChooseFiles(groups.root(), rule, context, &kept);
    ASSERT_EQ(kept.size(), files.size());
    for (const DataNode* f : files) picked.insert(f);
    for (size_t i = 0; i < files.size(); ++i) {
      ASSERT_NE(kept[i], nullptr);
      EXPECT_EQ(kept[i]->Parent(), files[i]->Parent());
      EXPECT_EQ(picked.count(kept[i]), 0u) << kept[i]->Name();
    }
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

}  // namespace
}  // namespace tf
