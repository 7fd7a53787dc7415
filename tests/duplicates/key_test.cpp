// The key texts, which become the names of the groups shown; the rules themselves are
// checked against the reference over random names.
#include <gtest/gtest.h>

#include <string>

#include "duplicates/duplicate_key.h"

namespace tf {
namespace {

std::string firstN(const std::string& name, int n) {
  return MakeDuplicateKey(name, NameRule::kFirstSymbols, n);
}

TEST(DuplicateKey, TellingNames) {
  EXPECT_EQ(MakeDuplicateKey(".bashrc", NameRule::kAnyExtension, 0), ".bashrc.*");
  EXPECT_EQ(MakeDuplicateKey("x.tar.gz", NameRule::kAnyExtension, 0), "x.tar.*");
  EXPECT_EQ(firstN("holiday1.jpg", 5), "holid*.jpg");
  EXPECT_EQ(firstN("holid.jpg", 5), "holid.jpg");
  EXPECT_EQ(firstN(".profile", 5), ".prof*");
  EXPECT_EQ(firstN("abcd.e.txt", 5), "abcd.txt");  // the first five end with an inner dot

  // A key never ends inside a character; invalid, cut-off, overlong and surrogate
  // sequences count one byte per character.
  const std::string e = "\xc3\xa9", ri = "\xe6\x97\xa5";
  EXPECT_EQ(firstN(e + e + e + e + e + e + ".txt", 5), e + e + e + e + e + "*.txt");
  EXPECT_EQ(firstN("abcd" + ri + "z", 5), "abcd" + ri + "*");
  EXPECT_EQ(firstN("abcd\xe6\x97", 5), "abcd\xe6*");
  EXPECT_EQ(firstN("abc\xe0\x80\x80z", 5), "abc\xe0\x80*");
  EXPECT_EQ(firstN("abc\xed\xa0\x80z", 5), "abc\xed\xa0*");
}

}  // namespace
}  // namespace tf
