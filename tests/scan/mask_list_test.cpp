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

TEST(MaskList, ExtensionMasksIgnoreCase) {
  for (const char* mask : {"*.TMP", "*.tmp"}) {
    EXPECT_TRUE(matches({mask}, "A.Tmp")) << mask;
    EXPECT_TRUE(matches({mask}, "b.TMP")) << mask;
    EXPECT_FALSE(matches({mask}, "b.TMP2")) << mask;
    EXPECT_FALSE(matches({mask}, "tmp")) << mask;
  }
  // Latin-1 letters fold as well, also inside wildcard patterns.
  EXPECT_TRUE(matches({"*.ÉTÉ"}, "x.été"));
  EXPECT_TRUE(matches({"ça*.txt"}, "ÇAVA.TXT"));
  EXPECT_FALSE(matches({"*.ete"}, "x.été"));
}

TEST(MaskList, MaskWithoutDotTakesAnyExtension) {
  EXPECT_TRUE(matches({"readme"}, "readme"));
  EXPECT_TRUE(matches({"readme"}, "README.TXT"));
  EXPECT_TRUE(matches({"readme"}, "readme.doc"));
  EXPECT_FALSE(matches({"readme"}, "readme2"));
  EXPECT_FALSE(matches({"readme"}, "my.readme"));
  EXPECT_TRUE(matches({"*"}, "anything.at.all"));
  EXPECT_TRUE(matches({"*.*"}, "noext"));
}

TEST(MaskList, ShortNamesAndLeadingDotsHaveNoExtension) {
  // ".profile": the only dot is the first character.
  EXPECT_FALSE(matches({"*.profile"}, ".profile"));
  EXPECT_TRUE(matches({".profile"}, ".profile"));
  EXPECT_TRUE(matches({"*"}, ".profile"));
  // "ab": too short for an extension.
  EXPECT_TRUE(matches({"ab.*"}, "ab"));
  EXPECT_FALSE(matches({"*.b"}, "ab"));
  EXPECT_TRUE(matches({"*.b"}, "a.b"));  // three characters are enough for one
  // "x." is too short as well: its dot belongs to the name part.
  EXPECT_FALSE(matches({"x.*"}, "x."));
  EXPECT_TRUE(matches({"x.*"}, "x"));
}

TEST(MaskList, TrailingDotMasks) {
  // "*." (below 3 characters): names without an extension or with an empty one.
  EXPECT_TRUE(matches({"*."}, "makefile"));
  EXPECT_TRUE(matches({"*."}, "odd."));
  EXPECT_FALSE(matches({"*."}, "main.c"));
  // "ab." (3 characters) has an empty extension: only names ending in a dot.
  EXPECT_TRUE(matches({"ab."}, "ab."));
  EXPECT_FALSE(matches({"ab."}, "abc"));
  EXPECT_FALSE(matches({"abc."}, "abc"));
}

TEST(MaskList, WildcardElements) {
  EXPECT_TRUE(matches({"a*b"}, "aXbYb"));  // needs a second try after the first 'b'
  EXPECT_TRUE(matches({"*ab*ab"}, "xabyabab"));
  EXPECT_FALSE(matches({"a*b"}, "aXbYc"));
  EXPECT_TRUE(matches({"caf?"}, "café"));  // '?' is one character, not one byte
  EXPECT_FALSE(matches({"caf?"}, "cafés"));
  EXPECT_FALSE(matches({"caf??"}, "café"));
  EXPECT_TRUE(matches({"rep<0-9>.txt"}, "REP7.TXT"));
  EXPECT_FALSE(matches({"rep<0-9>.txt"}, "repx.txt"));
  EXPECT_TRUE(matches({"<a-c>x"}, "Bx"));
  EXPECT_TRUE(matches({"<A-C>x"}, "bx"));
  EXPECT_TRUE(matches({"<_-z>"}, "Q"));  // the range holds 'q'
  EXPECT_TRUE(matches({"<xyé>1"}, "É1"));
  EXPECT_TRUE(matches({"a<b"}, "a<b"));  // no closing bracket: '<' is itself
  EXPECT_TRUE(matches({"~*.*"}, "~WRL0001.tmp"));
  EXPECT_TRUE(matches({"*.~*"}, "doc.~1~"));
  EXPECT_TRUE(matches({"**.t*"}, "a.t"));
}

TEST(MaskList, ListsAndLimits) {
  EXPECT_FALSE(matches({""}, ""));
  EXPECT_FALSE(matches({""}, "a"));
  EXPECT_TRUE(matches({"", "*.c"}, "x.c"));
  EXPECT_TRUE(matches({"*.h", "*.c"}, "x.c"));
  MaskList list;
  for (int i = 0; i < MaskList::kMaxMasks; ++i) EXPECT_TRUE(list.Add("*.x" + std::to_string(i)));
  EXPECT_FALSE(list.Add("*.last"));
  EXPECT_EQ(list.Count(), MaskList::kMaxMasks);
  EXPECT_TRUE(list.Match("a.x99"));
  EXPECT_FALSE(list.Match("a.last"));
}

TEST(MaskList, BytesThatAreNotUtf8MatchByteForByte) {
  const std::string name =
      "\xff\xfe"
      "data.TXT";
  EXPECT_TRUE(matches({"*.txt"}, name));
  EXPECT_TRUE(matches({"??data.txt"}, name));  // each stray byte is one character
  EXPECT_TRUE(matches({"\xff*"}, name));
  EXPECT_FALSE(matches({"\xfe*"}, name));
  EXPECT_FALSE(matches({"?data.txt"}, name));
  // A broken sequence stays bytes: C3 followed by 'x' is not a character.
  EXPECT_TRUE(matches({"??.txt"}, "\xc3x.txt"));
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
  const Tokens maskAlphabet = {"a", "b", "A", "é", "É", "*", "*", "?", "<a-b>", "<é>"};
  const Tokens nameAlphabet = {"a", "b", "A", "é", "É", "c"};
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
