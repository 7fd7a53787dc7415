#include "scan/mask_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace tf
