// Duplicate folders found by a whole search, against a reference that computes the folder
// groups from the files the test wrote, by the definition alone: random trees with whole
// copies, nested copies, copies with one file changed (size or time), one added and one
// removed, empty folders, links, names that are not UTF-8, one included folder or two,
// with and without a filter; and the re-check of a folder and taking one out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine_support.h"
#include "search/folder_signature_now.h"
#include "search/search_run.h"

namespace tf {
namespace {

using namespace testing;

struct Written {
  int64_t size;
  int seconds;
};

// A tree of copies: templates of a few nested folders, each placed one to three times,
// some copies inside others' copies, some changed on the way; the files of the tree as
// written (relative path -> size and time), which alone decide the reference.
struct CopiesTree {
  TempTree tree;
  std::map<std::string, Written> files;  // relative to the root
  std::set<std::string> folders;         // relative, ending in '/'; "" the root

  explicit CopiesTree(uint32_t seed) {
    std::mt19937 random(seed);
    const char* names[] = {"a.txt", "b.jpg", "c.tmp", "Read me", "\xff\xfe.bin", "d", "e\nf"};
    folders.insert("");
    folder("r1/");
    folder("r2/");
    std::vector<std::string> places = {"r1/", "r2/"};
    for (int t = 0; t < 6; ++t) {
      // A template: relative folders and files.
      std::map<std::string, Written> shape;
      std::vector<std::string> inner = {""};
      for (int i = 0; i < 3; ++i)
        inner.push_back(inner[random() % inner.size()] + "s" + std::to_string(random() % 3) + "/");
      for (int i = 0; i < 5; ++i) {
        const std::string& at = inner[random() % inner.size()];
        shape[at + names[random() % 7]] = {static_cast<int64_t>(random() % 3),
                                           static_cast<int>(random() % 2) * 100};
      }
      const int copies = 1 + static_cast<int>(random() % 3);
      for (int c = 0; c < copies; ++c) {
        const std::string base = places[random() % places.size()] + "t" + std::to_string(t) + "c" +
                                 std::to_string(c) + "/";
        std::map<std::string, Written> copy = shape;
        switch (random() % 9) {  // a copy changed on the way, or made whole
          case 0:
            copy.begin()->second.size += 1;
            break;
          case 1:
            copy.begin()->second.seconds += 1;  // within a tolerance of two seconds
            break;
          case 2:
            copy.begin()->second.seconds += 3;  // beyond it
            break;
          case 3:
            copy["added.txt"] = {1, 0};
            break;
          case 4:
            if (copy.size() > 1) copy.erase(copy.begin());
            break;
        }
        for (const std::string& f : inner) folder(base + f);  // empty ones too
        for (const auto& [path, facts] : copy) file(base + path, facts);
        places.push_back(base);  // later copies may land inside this one
        for (const std::string& f : inner) places.push_back(base + f);
        if (random() % 4 == 0) {  // links count for nothing
          std::filesystem::create_symlink(tree.Path(base), tree.Path(base + "up"));
          std::filesystem::create_symlink(tree.Path(base + copy.begin()->first),
                                          tree.Path(base + "link.txt"));
        }
      }
    }
    for (int i = 0; i < 8; ++i)  // files whose names no other file has
      file(places[random() % places.size()] + "own" + std::to_string(i), {1, 0});
  }

  void folder(const std::string& relative) {
    tree.Folder(relative);
    for (size_t at = 0; (at = relative.find('/', at)) != std::string::npos; ++at)
      folders.insert(relative.substr(0, at + 1));
  }
  void file(const std::string& relative, Written facts) {
    folder(relative.substr(0, relative.rfind('/') + 1));
    tree.File(relative, facts.size, facts.seconds);
    files[relative] = facts;
  }
  std::string full(const std::string& folder) const {
    return folder.empty() ? tree.root() : tree.Path(folder.substr(0, folder.size() - 1));
  }

  // The folder groups by the definition: folders under the included ones whose counted
  // files (not "*.tmp" with the filter) have the same relative paths and, as asked, sizes
  // and times (within the tolerance, pair by pair, linked); then without the groups whose
  // folders' different parents form a group of as many folders.
  std::set<std::set<std::string>> reference(const std::vector<std::string>& roots, bool sizes,
                                            bool times, int tolerance, bool filter) const {
    using Content = std::vector<std::tuple<std::string, int64_t, int64_t>>;
    std::vector<std::string> candidates;
    std::vector<Content> contents;
    for (const std::string& f : folders) {
      bool inside = false;
      for (const std::string& root : roots) inside = inside || f.rfind(root, 0) == 0;
      if (!inside) continue;
      Content content;
      for (const auto& [path, facts] : files) {
        if (path.rfind(f, 0) != 0) continue;
        if (filter && path.size() >= 4 && path.substr(path.size() - 4) == ".tmp") continue;
        content.emplace_back(path.substr(f.size()), sizes ? facts.size : 0,
                             times && tolerance == 0 ? facts.seconds : 0);
      }
      if (content.empty()) continue;
      candidates.push_back(f);
      contents.push_back(content);
    }
    auto same = [&](size_t a, size_t b) {
      if (contents[a] != contents[b]) return false;
      if (!times || tolerance == 0) return true;
      const std::string& x = candidates[a];
      const std::string& y = candidates[b];
      for (const auto& [path, size, zero] : contents[a])
        if (std::abs(files.at(x + path).seconds - files.at(y + path).seconds) > tolerance)
          return false;
      return true;
    };
    std::vector<size_t> up(candidates.size());
    std::iota(up.begin(), up.end(), size_t{0});
    auto find = [&up](size_t a) {
      while (up[a] != a) a = up[a];
      return a;
    };
    for (size_t a = 0; a < candidates.size(); ++a)
      for (size_t b = a + 1; b < candidates.size(); ++b)
        if (same(a, b)) up[find(a)] = find(b);
    std::map<size_t, std::set<std::string>> byRoot;
    for (size_t a = 0; a < candidates.size(); ++a) byRoot[find(a)].insert(candidates[a]);
    std::vector<std::set<std::string>> groups;
    for (auto& [root, members] : byRoot)
      if (members.size() >= 2) groups.push_back(members);
    auto parentOf = [](const std::string& f) {
      const size_t slash = f.rfind('/', f.size() - 2);
      return slash == std::string::npos ? std::string() : f.substr(0, slash + 1);
    };
    std::set<std::set<std::string>> kept;
    for (const auto& group : groups) {
      std::set<std::string> parents;
      for (const std::string& f : group) parents.insert(parentOf(f));
      bool nested = false;
      for (const auto& other : groups) nested = nested || other == parents;
      if (nested && parents.size() == group.size()) continue;
      std::set<std::string> paths;
      for (const std::string& f : group) paths.insert(full(f));
      kept.insert(paths);
    }
    return kept;
  }
};

std::set<std::set<std::string>> found(const SearchRun& run) {
  std::set<std::set<std::string>> groups;
  for (const FolderGroup& group : run.Folders()) {
    std::set<std::string> paths;
    for (const DuplicateFolder& folder : group.folders) paths.insert(folder.path);
    EXPECT_EQ(paths.size(), group.folders.size());
    groups.insert(paths);
  }
  return groups;
}

DataNode* descriptorFor(const CopiesTree& copies, const std::vector<std::string>& roots, int time,
                        int size, int tolerance, bool filter) {
  std::vector<std::string> include;
  for (const std::string& root : roots) include.push_back(copies.full(root));
  DataNode* descriptor = MakeDescriptor(include, {}, 0, time, size);
  ChangeCriteria(descriptor, [&](DuplicateCriteria& c) { c.timeTolerance = tolerance; });
  if (filter) AddNameFilter(descriptor, nullptr, "*.tmp");
  return descriptor;
}

TEST(FolderGroups, AgreeWithTheDefinitionOnRandomTreesOfCopies) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    CopiesTree copies(seed);
    // Criteria: sizes and times, times any, sizes any, a tolerance of two seconds.
    for (int variant = 0; variant < 8; ++variant) {
      const int time = variant % 4 == 1 ? 1 : 0;
      const int size = variant % 4 == 2 ? 1 : 0;
      const int tolerance = variant % 4 == 3 ? 2 : 0;
      const bool filter = variant >= 4;
      const std::vector<std::string> roots =
          seed % 2 ? std::vector<std::string>{"r1/", "r2/"} : std::vector<std::string>{""};
      SearchRun::Options options = FastOptions();
      options.findFolders = true;
      SearchRun run(options);
      ASSERT_TRUE(RunWhole(run, descriptorFor(copies, roots, time, size, tolerance, filter)));
      EXPECT_EQ(found(run), copies.reference(roots, size == 0, time == 0, tolerance, filter))
          << "seed " << seed << " variant " << variant;
      for (const FolderGroup& group : run.Folders()) {
        ASSERT_GE(group.folders.size(), 2u);
        EXPECT_TRUE(std::is_sorted(group.folders.begin(), group.folders.end(),
                                   [](const auto& a, const auto& b) { return a.path < b.path; }));
      }
    }
  }
}

// The re-check sees what the search saw until a file changes; taking a folder out takes
// its files out of their file groups too; a search without folders has none.
TEST(FolderGroups, TheRecheckAndTakingAFolderOut) {
  TempTree tree;
  for (const char* copy : {"a/photos/", "b/photos/", "c/photos/"}) {
    tree.File(std::string(copy) + "x.jpg", 5, 10);
    tree.File(std::string(copy) + "2024/y.jpg", 7, 20);
    tree.File(std::string(copy) + "2024/own.tmp", 1, 0);  // left out by the filter
  }
  tree.File("a/photos/2024/extra.tmp", 1, 0);
  tree.File("a/notes.txt", 1, 0);  // a, b and c differ: their photos are the copies
  tree.File("b/notes.txt", 2, 0);
  SearchRun::Options options = FastOptions();
  options.findFolders = true;
  SearchRun run(options);
  DataNode* descriptor = MakeDescriptor({tree.root()}, {}, 0, 0, 0);
  AddNameFilter(descriptor, nullptr, "*.tmp");
  NodePtr kept(CloneNode(descriptor, nullptr, 1));
  ASSERT_TRUE(RunWhole(run, descriptor));
  ASSERT_EQ(run.Folders().size(), 1u);  // the 2024 folders are nested copies
  const FolderGroup group = run.Folders()[0];
  EXPECT_EQ(group.files, 2);
  EXPECT_EQ(group.size, 12);
  ASSERT_EQ(group.folders.size(), 3u);
  for (const DuplicateFolder& folder : group.folders) {
    uint64_t now[2];
    std::string why;
    ASSERT_TRUE(FolderSignatureNow(kept.get(), folder.path, now, &why)) << why;
    EXPECT_EQ(now[0], group.signature[0]);
    EXPECT_EQ(now[1], group.signature[1]);
  }
  tree.File("c/photos/2024/y.jpg", 8, 20);  // one byte more
  uint64_t now[2];
  std::string why;
  ASSERT_TRUE(FolderSignatureNow(kept.get(), tree.Path("c/photos"), now, &why));
  EXPECT_FALSE(now[0] == group.signature[0] && now[1] == group.signature[1]);
  EXPECT_FALSE(FolderSignatureNow(kept.get(), tree.Path("none"), now, &why));

  EXPECT_EQ(run.FileCount(), 6);
  EXPECT_TRUE(run.RemoveFolder(tree.Path("a/photos")));
  EXPECT_EQ(run.FileCount(), 4);  // x.jpg and y.jpg of b and c stay in their groups
  EXPECT_TRUE(run.RemoveFolder(tree.Path("b/photos")));
  EXPECT_TRUE(run.Folders().empty());  // one folder left: no group
  EXPECT_EQ(run.FileCount(), 0);
  EXPECT_FALSE(run.RemoveFolder(tree.Path("c/photos")));

  SearchRun plain(FastOptions());
  ASSERT_TRUE(RunWhole(plain, MakeDescriptor({tree.root()}, {}, 0, 0, 0)));
  EXPECT_TRUE(plain.Folders().empty());
}

}  // namespace
}  // namespace tf
