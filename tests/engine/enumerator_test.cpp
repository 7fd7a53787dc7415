// Listing one folder of real files: what is taken and what the filters are asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine_support.h"
#include "platform/folder_lister.h"
#include "search/folder_enumerator.h"

namespace tf {
namespace {

using namespace testing;

// Refuses "refused.txt"; deletes "gone.txt" when asked about it, as another program might
// between listing and stat.
struct RecordingFilter : EntryFilter {
  int asked = 0;
  std::map<std::string, EntryDetails> details;
  std::string folder;

  bool AcceptName(std::string_view name) override {
    ++asked;
    if (name == "gone.txt") fs::remove(folder + "/gone.txt");
    return name != "refused.txt";
  }
  bool AcceptDetails(std::string_view name, const EntryDetails& d) override {
    details[std::string(name)] = d;
    return true;
  }
};

std::map<std::string, int64_t> filesOf(const FolderListing& listing) {
  std::map<std::string, int64_t> files;
  for (const auto& f : listing.files()) files[std::string(listing.NameOf(f))] = f.size;
  return files;
}

std::vector<std::string> foldersOf(const FolderListing& listing) {
  std::vector<std::string> folders;
  for (const auto& f : listing.folders()) folders.emplace_back(listing.NameOf(f));
  std::sort(folders.begin(), folders.end());
  return folders;
}

// Regular files and folders are taken, links of every kind are not; the filters are asked
// about files only; a refused name costs no stat, and a file gone by then is left out.
TEST(FolderEnumerator, TakesRegularFilesAndFoldersOnly) {
  TempTree tree;
  const std::string odd = "a b\n<c>\"d'\xff\xfe.txt";
  tree.File(odd, 7);
  tree.File("big.iso", int64_t{5} << 30);  // sparse, 5 GB
  tree.File("sub/inner.txt");
  tree.File("refused.txt");
  tree.File("gone.txt");
  tree.Folder("empty");
  fs::create_symlink(tree.root(), tree.Path("loop"));               // a link to a folder
  fs::create_symlink(tree.Path("big.iso"), tree.Path("link.iso"));  // a link to a file
  fs::create_symlink(tree.Path("nowhere"), tree.Path("dangling"));

  FolderEnumerator enumerator;
  RecordingFilter filter;
  filter.folder = tree.root();
  enumerator.SetFilters(&filter);
  FolderListing listing;
  ASSERT_TRUE(enumerator.List(tree.root(), &listing));
  EXPECT_EQ(filesOf(listing),
            (std::map<std::string, int64_t>{{odd, 7}, {"big.iso", int64_t{5} << 30}}));
  EXPECT_EQ(foldersOf(listing), (std::vector<std::string>{"empty", "sub"}));
  EXPECT_EQ(filter.asked, 4);
  EXPECT_EQ(filter.details.size(), 2u);  // neither the refused nor the vanished file
  EXPECT_GT(filter.details["big.iso"].modified, 116444736000000000LL);  // after 1970

  // A folder that cannot be listed is empty; without filters every file is taken.
  EXPECT_TRUE(enumerator.List(tree.Path("missing"), &listing));
  EXPECT_TRUE(listing.files().empty());
  EXPECT_TRUE(enumerator.List(tree.Path("big.iso"), &listing));
  EXPECT_TRUE(listing.files().empty());
  EXPECT_FALSE(enumerator.List(tree.root(), nullptr));
  FolderEnumerator unfiltered;
  EXPECT_TRUE(unfiltered.List(tree.root(), &listing));
  EXPECT_EQ(listing.files().size(), 3u);
}

TEST(FolderEnumerator, NeverEntersAPseudoFileSystemMountedBelowAWalkedFolder) {
  FolderEnumerator enumerator;
  FolderHandle root;
  ASSERT_TRUE(enumerator.OpenRoot("/", &root));
  FolderListing listing;
  ASSERT_TRUE(enumerator.List(root, "/", &listing));
  const std::vector<std::string> listed = foldersOf(listing);
  for (const std::string name : {"proc", "sys"}) {
    // Neither offered nor opened when asked for directly (mounted after the walk began).
    EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 0) << name;
    FolderHandle child;
    const int entered = enumerator.Enter(root, name, "/" + name, &child);
    EXPECT_NE(entered, 1) << name;  // -1, or 0 where the folder is not there at all
    FolderLister::CloseHandle(&child);
  }
  FolderHandle tmp;
  EXPECT_EQ(enumerator.Enter(root, "tmp", "/tmp", &tmp), 1);
  FolderLister::CloseHandle(&tmp);
  FolderLister::CloseHandle(&root);
}

}  // namespace
}  // namespace tf
