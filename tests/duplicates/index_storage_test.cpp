// The compact storage behind a duplicate index; absorbing whole indexes is checked by the
// merges of the reference comparison, under the sanitizers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "duplicates/duplicate_index.h"
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

}  // namespace
}  // namespace tf
