// Group keys, on the names whose handling is easy to get wrong.
#include <gtest/gtest.h>

#include <string>

#include "duplicates/duplicate_key.h"

namespace tf {
namespace {

std::string firstN(const std::string& name, int n) {
  return MakeDuplicateKey(name, NameRule::kFirstSymbols, n);
}

TEST(DuplicateKey, ExactAndAnyExtension) {
  EXPECT_EQ(MakeDuplicateKey("Report.txt", NameRule::kExact, 0), "Report.txt");
  EXPECT_EQ(MakeDuplicateKey("a.doc", NameRule::kAnyExtension, 0), "a.*");
  EXPECT_EQ(MakeDuplicateKey("a.pdf", NameRule::kAnyExtension, 0), "a.*");
  EXPECT_EQ(MakeDuplicateKey("ab", NameRule::kAnyExtension, 0), "ab.*");
  EXPECT_EQ(MakeDuplicateKey(".bashrc", NameRule::kAnyExtension, 0), ".bashrc.*");
  EXPECT_EQ(MakeDuplicateKey("x.tar.gz", NameRule::kAnyExtension, 0), "x.tar.*");
  EXPECT_EQ(MakeDuplicateKey("abc.", NameRule::kAnyExtension, 0), "abc.*");
}

TEST(DuplicateKey, FirstSymbols) {
  EXPECT_EQ(firstN("abcdefg.txt", 5), "abcde*.txt");
  EXPECT_EQ(firstN("abcde.txt", 5), "abcde.txt");
  EXPECT_EQ(firstN("abcd.txt", 5), "abcd.txt");
  EXPECT_EQ(firstN("holiday1.jpg", 5), "holid*.jpg");
  EXPECT_EQ(firstN("holiday2.jpg", 5), "holid*.jpg");
  EXPECT_EQ(firstN("holid.jpg", 5), "holid.jpg");
  EXPECT_EQ(firstN("abc", 5), "abc*");
  EXPECT_EQ(firstN("abcdefgh", 5), "abcde*");
  EXPECT_EQ(firstN(".profile", 5), ".prof*");
  EXPECT_EQ(firstN("abcdefg.", 5), "abcde*.");
  // The copy stops on an inner dot: the first N symbols end with it.
  EXPECT_EQ(firstN("abcd.e.txt", 5), "abcd.txt");
  EXPECT_EQ(firstN("abcdefghijk.txt", 10), "abcdefghij*.txt");
}

TEST(DuplicateKey, FirstSymbolsNeverCutsACharacter) {
  const std::string e = "\xc3\xa9";       // é, two bytes
  const std::string ri = "\xe6\x97\xa5";  // 日, three bytes
  const std::string smile = "\xf0\x9f\x98\x80";
  EXPECT_EQ(firstN(e + e + e + e + e + e + ".txt", 5), e + e + e + e + e + "*.txt");
  EXPECT_EQ(firstN(ri + ri + ri + ri + ri + ri, 5), ri + ri + ri + ri + ri + "*");
  EXPECT_EQ(firstN("ab" + smile + smile + smile + "x.jpg", 5),
            "ab" + smile + smile + smile + "*.jpg");
  // Invalid and cut-off sequences count one byte per character.
  EXPECT_EQ(firstN("\xff\xfe\xfd\xfc\xfb\xfa.txt", 5), "\xff\xfe\xfd\xfc\xfb*.txt");
  EXPECT_EQ(firstN("abcd\xe6\x97", 5), "abcd\xe6*");
  EXPECT_EQ(firstN("abcd\xe6\x97\xa5z", 5), "abcd" + ri + "*");
  // An overlong form or a surrogate is no character: its bytes count one each.
  EXPECT_EQ(firstN("abc\xe0\x80\x80z", 5), "abc\xe0\x80*");
  EXPECT_EQ(firstN("abc\xed\xa0\x80z", 5), "abc\xed\xa0*");
}

}  // namespace
}  // namespace tf
