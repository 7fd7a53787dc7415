// Group keys and the compact storage behind a duplicate index. The key rules and the
// absorbing of whole indexes are checked by the reference comparison, under the sanitizers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "duplicates/duplicate_index.h"
#include "duplicates/duplicate_key.h"
#include "duplicates/text_arena.h"
#include "grouping_support.h"

namespace tf {
namespace {

TEST(TextArena, PrefixedTextsOfEveryLengthSurviveTheirArenaBeingAdopted) {
  // Lengths around the one- and two-byte prefixes, a block's worth, and an inner NUL.
  const std::vector<std::string> texts = {"",
                                          std::string(127, 'x'),
                                          std::string(128, 'y'),
                                          std::string(16383, 'z'),
                                          std::string(300000, 'w'),
                                          std::string("nul\0inside", 10)};
  TextArena kept;
  std::vector<const char*> stored;
  {
    TextArena source;
    for (const std::string& text : texts) stored.push_back(source.StorePrefixed(text));
    kept.StorePrefixed("filling");  // the adopting arena is being filled itself
    kept.Adopt(source);
    EXPECT_EQ(source.ReservedBytes(), 0u);
  }  // the source is gone; its blocks live on in `kept`
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(TextArena::Prefixed(stored[i]), texts[i]);
  EXPECT_EQ(TextArena::Prefixed(kept.StorePrefixed("after")), "after");
}

TEST(DuplicateIndex, FolderPathsComeBackExactlyWhateverTheirOrder) {
  DataNode* settings = testing::MakeSettings(0, 5, 1, 1);
  DuplicateIndex index;
  ASSERT_TRUE(index.Configure(settings));
  // Prefixes of the next name, returns, no closing '/', empty, a second tree, a deep one.
  std::vector<std::string> folders = {"/a/b/",   "/a/b/c/", "/a/bc/", "/a/b",   "/a/bcd/",
                                      "/a/b/c/", "",        "/a/",    "rel/x/", "/"};
  std::string deep = "/a/b/c/";
  for (int i = 0; i < 60; ++i) deep += std::to_string(i % 10) + "/";
  folders.push_back(deep);
  for (const std::string& folder : folders) index.AddFile(folder, "same.txt", 1, 1);
  index.MakeGroupNodes();
  std::vector<std::string> paths, expected;
  for (const DataNode* f = index.ResultRoot()->FirstChild()->FirstChild(); f; f = f->Next()) {
    paths.push_back(f->Name());
    EXPECT_EQ(std::string(f->Desc()) + "same.txt", f->Name());
  }
  for (const std::string& folder : folders) expected.push_back(folder + "same.txt");
  EXPECT_EQ(paths, expected);
  DeleteNode(settings);
}

// The key texts become the names of the groups shown.
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
