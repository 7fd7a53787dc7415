#include "results/result_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "base/text_fold.h"
#include "datatree/node_ptr.h"

namespace tf {
namespace {

// A finished result tree built by hand: groups (kind 1) with their totals, and files.
class Tree {
 public:
  Tree() : m_root(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT)) {}
  DataNode* root() const { return m_root.get(); }

  DataNode* group(const std::string& name, const std::string& type) {
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

 private:
  NodePtr m_root;
};

std::vector<std::string> names(const std::vector<DataNode*>& rows) {
  std::vector<std::string> out;
  for (const DataNode* row : rows) out.push_back(row->Name());
  return out;
}

// The orders as a plain reading of the result lists' sorting table: the slow, allocating
// case fold, one primary field, a direction, a tie-break by name, then the tree order.
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

// Few names, sizes and times, with case variants and non-ASCII names: many ties. Lists
// both shorter and longer than 16 rows, which are sorted by different means.
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
    for (int f = 0; f < files; ++f)
      tree.file(group, std::string(folders[random() % 5]) + group->Name(),
                static_cast<int64_t>(random() % 3) * 1000,
                static_cast<int64_t>(random() % 3) - 1);  // -1, 0, 1: signed times
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

TEST(ResultRows, TiesBreakByNameInBothDirectionsAndNumbersAreSigned) {
  Tree tree;
  DataNode* b = tree.group("b.txt", "txt");
  tree.file(b, "/x/b.txt", 10, 0);
  tree.file(b, "/y/b.txt", 10, 0);
  DataNode* a = tree.group("a.txt", "txt");
  tree.file(a, "/x/a.txt", 15, 0);
  tree.file(a, "/y/a.txt", 5, 0);
  DataNode* c = tree.group("C.txt", "txt");
  tree.file(c, "/x/C.txt", 30, 0);
  tree.file(c, "/y/C.txt", 30, 0);

  std::vector<DataNode*> rows = GroupRows(tree.root());
  SortRows(ResultList::kGroups, kSortByVal, &rows);
  EXPECT_EQ(names(rows), (std::vector<std::string>{"C.txt", "a.txt", "b.txt"}));
  SortRows(ResultList::kGroups, kSortByVal | kSortReversed, &rows);
  EXPECT_EQ(names(rows), (std::vector<std::string>{"a.txt", "b.txt", "C.txt"}));

  // A time before 1601 is negative and sorts as older than any real one.
  DataNode* g = tree.group("t", "?");
  tree.file(g, "/old", 1, -5);
  tree.file(g, "/new", 1, INT64_MAX);
  tree.file(g, "/mid", 1, 3);
  rows = FileRows(g);
  SortRows(ResultList::kFiles, kSortByVal2, &rows);
  EXPECT_EQ(names(rows), (std::vector<std::string>{"/new", "/mid", "/old"}));
}

TEST(ResultRows, HeaderClicksChooseKeysFlipDirectionAndTheUnifiedTimeOnlyBeeps) {
  // Groups: "File", "Type", "##", "Size w/dup".
  const int groupKeys[] = {1, 8, 4, 2};
  for (int column = 0; column < 4; ++column) {
    const int key = SortKeyAfterHeaderClick(ResultList::kGroups, column, kInitialSortKey);
    EXPECT_EQ(key, column == 0 ? 1 | kSortReversed : groupKeys[column]);
    EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kGroups, column, key), key ^ kSortReversed);
  }
  // Another column starts unreversed, whatever the direction was.
  EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kFiles, 2, 2 | kSortReversed), 4);
  EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kFiles, 1, 1), 2);
  EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kUnified, 1, 2), 2 | kSortReversed);
  EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kUnified, 2, 1), -1);
  EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kFiles, 3, 1), -1);
  EXPECT_EQ(SortKeyAfterHeaderClick(ResultList::kGroups, -1, 1), -1);
}

TEST(ResultRows, CellTexts) {
  Tree tree;
  DataNode* g = tree.group("holid*.jpg", "jpg");
  DataNode* f = tree.file(g, "/p/holiday1.jpg", 1536, 0);
  tree.file(g, "/p/holiday2.jpg", 5000000 - 1536, 0);
  g->val2 = 5000000000LL;  // a count beyond 32 bits prints whole

  EXPECT_EQ(CellText(ResultList::kGroups, g, 0), "holid*.jpg");
  EXPECT_EQ(CellText(ResultList::kGroups, g, 1), "jpg");
  EXPECT_EQ(CellText(ResultList::kGroups, g, 2), "5000000000");
  EXPECT_EQ(CellText(ResultList::kGroups, g, 3), "4.77 MB");
  EXPECT_EQ(CellText(ResultList::kFiles, f, 0), "/p/holiday1.jpg");
  EXPECT_EQ(CellText(ResultList::kFiles, f, 1), "1.50 K");
  // A group row of the unified list: "$ ", the number right-aligned in eight, the unit.
  EXPECT_EQ(CellText(ResultList::kUnified, g, 0), "holid*.jpg");
  EXPECT_EQ(CellText(ResultList::kUnified, g, 1), "$     4.77 MB");
  EXPECT_EQ(CellText(ResultList::kUnified, g, 2), "");
  EXPECT_EQ(CellText(ResultList::kUnified, f, 1), "1.50 K");
  g->val = 12;  // under 1024: the number and a blank for the empty unit
  EXPECT_EQ(CellText(ResultList::kGroups, g, 3), "12 ");
  EXPECT_EQ(CellText(ResultList::kUnified, g, 1), "$       12 ");
  EXPECT_EQ(CellText(ResultList::kGroups, g, 7), "");
}

TEST(ResultRows, ButtonsFollowTheSelectedFilesBackupAndTools) {
  struct Case {
    int files;
    bool backup;
    int tools;
    ResultButtons expected;  // open, browse, delete, backup, run, move, copy, replace
  };
  const Case cases[] = {
      {0, true, 3, {false, false, false, false, false, false, false, false}},
      {1, false, 0, {true, true, true, false, false, true, true, true}},
      {1, true, 1, {true, true, true, true, true, true, true, true}},
      {2, true, 1, {true, true, true, true, true, false, false, false}},
      {2, false, 0, {true, true, true, false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    const ResultButtons b = EnabledButtons(c.files, c.backup, c.tools);
    const ResultButtons& e = c.expected;
    EXPECT_EQ(std::vector<bool>({b.open, b.browse, b.remove, b.moveToBackup, b.run, b.move, b.copy,
                                 b.replaceByLink}),
              std::vector<bool>({e.open, e.browse, e.remove, e.moveToBackup, e.run, e.move, e.copy,
                                 e.replaceByLink}))
        << c.files << " files";
  }
}

TEST(ResultRows, RowIndexClampsAndLookupIsExact) {
  EXPECT_EQ(ClampRowIndex(5, 3), 0);  // past the end: the first row
  EXPECT_EQ(ClampRowIndex(3, 3), 2);  // at the end: the last row
  EXPECT_EQ(ClampRowIndex(1, 3), 1);
  EXPECT_EQ(ClampRowIndex(-1, 3), 0);
  EXPECT_EQ(ClampRowIndex(0, 0), -1);

  Tree tree;
  tree.file(tree.group("Report.txt", "txt"), "/a/Report.txt", 1, 1);
  tree.file(tree.group("report.txt", "txt"), "/b/report.txt", 1, 1);
  const std::vector<DataNode*> rows = UnifiedRows(tree.root());
  EXPECT_EQ(FindRowByName(rows, "report.txt"), 2);
  EXPECT_EQ(FindRowByName(rows, "REPORT.TXT"), -1);
  EXPECT_EQ(FindRowByName(rows, ""), -1);
  // Groups split by time share a name: the first row of one of them is found.
  DataNode* again = tree.group("Report.txt", "txt");
  std::vector<DataNode*> reordered{rows[2], rows[3], again, rows[0], rows[1]};
  EXPECT_EQ(FindGroupRow(reordered, tree.root(), "Report.txt"), 2);
  EXPECT_EQ(FindGroupRow(reordered, tree.root(), "/a/Report.txt"), -1);
}

TEST(ResultRows, GoneRowsAreErasedWithoutReadingThem) {
  Tree tree;
  DataNode* g = tree.group("a", "?");
  DataNode* f1 = tree.file(g, "/1/a", 1, 1);
  DataNode* f2 = tree.file(g, "/2/a", 1, 1);
  DataNode* h = tree.group("b", "?");
  DataNode* f3 = tree.file(h, "/1/b", 1, 1);
  std::vector<DataNode*> rows = UnifiedRows(tree.root());
  EXPECT_EQ(EraseRows({g, f1, f2}, &rows), 3u);
  EXPECT_EQ(rows, (std::vector<DataNode*>{h, f3}));
  EXPECT_EQ(EraseRows({}, &rows), 0u);
}

TEST(ResultRows, FastNameComparisonAgreesWithTheCaseFold) {
  std::mt19937 random(7);
  const std::string alphabet[] = {"a",        "A",    "z", "_", "/",    "\xc3\xa9",
                                  "\xc3\x89", "\xff", " ", "0", "\xc3", "~"};
  const auto sign = [](int x) { return x < 0 ? -1 : x > 0 ? 1 : 0; };
  for (int round = 0; round < 20000; ++round) {
    std::string a, b;
    for (int i = static_cast<int>(random() % 5); i > 0; --i) a += alphabet[random() % 12];
    b = a.substr(0, random() % (a.size() + 1));
    for (int i = static_cast<int>(random() % 4); i > 0; --i) b += alphabet[random() % 12];
    ASSERT_EQ(sign(CompareNames(a.c_str(), b.c_str())), sign(CompareIgnoringCase(a, b)))
        << a << " | " << b;
  }
}

}  // namespace
}  // namespace tf
