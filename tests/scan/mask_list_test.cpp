#include "scan/mask_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "datatree/node_ptr.h"
#include "scan/attribute_filter.h"
#include "scan/filter_nodes.h"
#include "scan/filter_set.h"
#include "scan/name_filter.h"
#include "scan/size_filter.h"

namespace tf {
namespace {

bool matches(std::initializer_list<const char*> masks, const std::string& name) {
  MaskList list;
  for (const char* m : masks) list.Add(m);
  return list.Match(name);
}

// What the random comparison below cannot draw: the extension rules around the dot.
// Wildcards, sets and letter case are left to that comparison.
TEST(MaskList, TheDotSeparatesAnExtensionOnlyWhereANameHasOne) {
  const struct {
    const char* mask;
    const char* name;
    bool expected;
  } cases[] = {
      // A mask without a dot takes any extension.
      {"readme", "README.TXT", true},
      {"readme", "my.readme", false},
      // A leading dot and names below three characters have no extension.
      {"*.profile", ".profile", false},
      {"ab.*", "ab", true},
      // "*." (below 3 characters): no extension or an empty one; "ab.": only a final dot.
      {"*.", "makefile", true},
      {"*.", "main.c", false},
      {"abc.", "abc", false},
      {"<_-z>", "Q", true},  // the range holds 'q'
      {"a<b", "a<b", true},  // a '<' without its '>' is itself
  };
  for (const auto& c : cases)
    EXPECT_EQ(matches({c.mask}, c.name), c.expected) << c.mask << " " << c.name;
}

TEST(MaskList, ListsAndLimits) {
  EXPECT_TRUE(matches({"", "*.h", "*.c"}, "x.c"));
  MaskList list;
  for (int i = 0; i < MaskList::kMaxMasks; ++i) list.Add("*.x" + std::to_string(i));
  EXPECT_FALSE(list.Add("*.last"));
  EXPECT_TRUE(list.Match("a.x" + std::to_string(MaskList::kMaxMasks - 1)));
  EXPECT_FALSE(list.Match("a.last"));
}

// Reference: masks and names as token lists, matched by plain recursion.
using Tokens = std::vector<std::string>;

std::string folded(const std::string& t) {
  if (t == "A") return "a";
  if (t == "É") return "é";
  return t;
}

bool tokenTakes(const std::string& m, const std::string& c) {
  if (m == "?") return true;
  if (m == "<a-b>") return folded(c) == "a" || folded(c) == "b";
  if (m == "<é>") return folded(c) == "é";
  return folded(m) == folded(c);
}

bool reference(const Tokens& m, size_t i, const Tokens& n, size_t j) {
  if (i == m.size()) return j == n.size();
  if (m[i] == "*") return reference(m, i + 1, n, j) || (j < n.size() && reference(m, i, n, j + 1));
  return j < n.size() && tokenTakes(m[i], n[j]) && reference(m, i + 1, n, j + 1);
}

std::string joined(const Tokens& t) {
  std::string s;
  for (const auto& x : t) s += x;
  return s;
}

TEST(MaskList, WildcardAgreesWithBruteForce) {
  // Stray bytes of names that are not UTF-8 are one character each and match only
  // themselves; a lone lead byte (C3) before another character stays a byte.
  const Tokens maskAlphabet = {"a", "b", "A", "é", "É", "\xff", "*", "*", "?", "<a-b>", "<é>"};
  const Tokens nameAlphabet = {"a", "b", "A", "é", "É", "c", "\xff", "\xc3"};
  std::mt19937 rng(20261206);
  auto pick = [&rng](const Tokens& from, int maxLen, int minLen) {
    Tokens t(std::uniform_int_distribution<int>(minLen, maxLen)(rng));
    for (auto& x : t) x = from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
    return t;
  };
  int positives = 0;
  for (int round = 0; round < 3000; ++round) {
    const Tokens mask = pick(maskAlphabet, 7, 1);
    MaskList list;
    list.Add(joined(mask));
    for (int k = 0; k < 20; ++k) {
      const Tokens name = pick(nameAlphabet, 9, 1);
      const bool expected = reference(mask, 0, name, 0);
      positives += expected;
      ASSERT_EQ(list.Match(joined(name)), expected)
          << "mask " << joined(mask) << " name " << joined(name);
    }
  }
  EXPECT_GT(positives, 1000);  // the draw is not all misses
}

NodePtr nameNode(const char* include, const char* exclude = nullptr) {
  NodePtr node(CreateNameFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  if (include) SetNameInclude(node.get(), include);
  if (exclude) SetNameExclude(node.get(), exclude);
  return node;
}

// Texts only a stored or hand-edited descriptor holds.
TEST(NameFilter, ReadsMaskTextLikeTheEditorsWriteIt) {
  NodePtr node = nameNode(" *.doc , *.txt", "*.bak;~*");
  NameFilter f;
  ASSERT_TRUE(f.Load(node.get()));
  EXPECT_TRUE(f.MatchName("B.TXT"));
  EXPECT_FALSE(f.MatchName("~lock.txt"));
  // "*.*" or "*" anywhere, or nothing at all, takes every file.
  for (const char* text : {"*.doc;*.*;*.txt", "*.txt,*", "   "}) {
    NodePtr all = nameNode(text);
    f.Load(all.get());
    EXPECT_TRUE(f.MatchName("noext")) << "'" << text << "'";
  }
  // An exclude text that begins with ';' excludes nothing.
  NodePtr n = nameNode("*.bak", ";*.bak");
  f.Load(n.get());
  EXPECT_TRUE(f.MatchName("a.bak"));
  // Past 1023 bytes the text is ignored, even in the middle of a mask.
  std::string text = "*.q" + std::string(1010, 'z');  // one mask of 1013 bytes
  text += ";*.abcdefgh";                              // its 'h' is byte 1024
  NodePtr longNode = nameNode(text.c_str());
  f.Load(longNode.get());
  EXPECT_TRUE(f.MatchName("x.abcdefg"));
  EXPECT_FALSE(f.MatchName("x.abcdefgh"));
}

NodePtr sizeNode(int32_t choice, int32_t value, int32_t units) {
  NodePtr node(CreateSizeFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  SetSizeSwitch(node.get(), choice);
  SetSizeValue1(node.get(), value);
  SetSizeUnits1(node.get(), units);
  return node;
}

bool sizeTakes(const NodePtr& node, int64_t size) {
  SizeFilter f;
  f.Load(node.get());
  return f.Match(FileInfo{"", size});
}

// What only a stored or damaged descriptor holds.
TEST(SizeAndAttributeFilters, LargeSizesAndUnknownCodesFallBack) {
  // Switch 0 at least, 1 at most; units 0 KB, 2 GB.
  EXPECT_FALSE(sizeTakes(sizeNode(0, 3, 2), 3221225471LL));  // 3 GB: beyond 32 bits
  EXPECT_TRUE(sizeTakes(sizeNode(0, 3, 2), 3221225472LL));
  EXPECT_FALSE(sizeTakes(sizeNode(1, 5, 9), 5121));  // unknown unit: KB
  EXPECT_FALSE(sizeTakes(sizeNode(7, 1, 0), 1023));  // unknown switch: at least
  NodePtr node(CreateAttributeFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  SetAttrSystem(node.get(), 2);
  SetAttrArchive(node.get(), 5);  // unknown rule: ignored
  AttributeFilter f;
  f.Load(node.get());
  auto takes = [&f](uint32_t attributes) { return f.Match(FileInfo{"", 0, 0, 0, 0, attributes}); };
  EXPECT_TRUE(takes(kAttrHidden | kAttrReadOnly | kAttrArchive));
  EXPECT_FALSE(takes(kAttrHidden | kAttrSystem));
}

// The scan asks the name while listing and the rest after a stat; neither half may ask
// the other's question, and disabled filters take everything.
TEST(FilterSet, BuildsActiveFiltersAndSplitsNameFromStat) {
  NodePtr filters(CreateNode(nullptr, "filters", ATTACH_ROOT));
  UtcFilterClock clock;
  DataNode* name = CreateNameFilterNode(filters.get());
  DataNode* size = CreateSizeFilterNode(filters.get());
  CreateTimeFilterNode(filters.get(), clock);
  CreateAttributeFilterNode(filters.get());
  FilterSet set;
  EXPECT_EQ(set.LoadFrom(filters.get(), clock), 0);  // all disabled
  FileInfo big{"a.jpg", 5 << 20, 0, 0, 0, 0};
  SetFilterEnabled(name, 1);
  SetNameInclude(name, "*.jpg");
  SetFilterEnabled(size, 1);
  SetSizeSwitch(size, 1);  // at most 1 MB
  EXPECT_EQ(set.LoadFrom(filters.get(), clock), 2);
  FileInfo other{"b.png", 1000, 0, 0, 0, 0};
  EXPECT_FALSE(set.Match(big));
  EXPECT_FALSE(set.MatchName("b.png"));
  EXPECT_TRUE(set.MatchName("a.jpg"));  // the size is not asked
  EXPECT_TRUE(set.MatchInfo(other));    // the name is not asked again
  EXPECT_FALSE(set.MatchInfo(big));
}

}  // namespace
}  // namespace tf
