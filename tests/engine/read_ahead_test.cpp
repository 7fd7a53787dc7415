// Listing one folder of real files, and one folder walk on its worker: stopped, paused,
// and read ahead by several threads, which must find what one thread finds, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "duplicates/duplicate_index.h"
#include "engine_support.h"
#include "platform/folder_lister.h"
#include "scan/filter_nodes.h"
#include "search/folder_enumerator.h"
#include "search/folder_scan.h"
#include "search/search_run.h"
#include "tests/support/timed.h"

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

// A stop before the start ends the worker at once; a finished scan hands its index over once.
TEST(FolderScan, StopBeforeStartAndAfterTheEnd) {
  TempTree tree;
  tree.File("a/x");
  DataNode* descriptor = MakeDescriptor({tree.root()}, {}, 0, 1, 1);
  const ScanParams params = testing::ScanParamsOf(descriptor, tree.root());
  FolderScan never;
  never.Stop();  // not configured: nothing happens
  ASSERT_TRUE(never.Configure(params));
  EXPECT_FALSE(never.Configure(params));
  never.Stop();
  EXPECT_TRUE(never.StartThread(1, nullptr));
  never.Join();
  EXPECT_EQ(never.state(), FolderScan::kStopped);
  EXPECT_EQ(never.foldersEntered(), 0);

  FolderScan finished;
  ASSERT_TRUE(finished.Configure(params));
  int priorityAsked = -1;
  ASSERT_TRUE(finished.StartThread(0, [&](int p) { priorityAsked = p; }));
  EXPECT_FALSE(finished.StartThread(0, nullptr));
  testing::WaitUntil([&] { return finished.state() == FolderScan::kCompleted; });
  finished.Join();
  EXPECT_EQ(priorityAsked, 0);
  finished.Stop();
  ASSERT_NE(finished.IndexOf(), nullptr);
  EXPECT_EQ(finished.IndexOf()->KeyCount(), 1u);
  finished.Accept();
  EXPECT_EQ(finished.IndexOf(), nullptr);
  DeleteNode(descriptor);
}

struct Walked {
  std::vector<Group> ordered;  // in the order the result holds them
  std::set<Group> groups;
  std::vector<long> foldersEntered;
};

Walked walk(const DataNode* descriptor, bool oneThread) {
  SearchRun::Options options = FastOptions();
  options.oneThreadPerDisk = oneThread;
  options.spinningDisk = [](const std::string&) { return false; };
  SearchRun run(options);
  Walked walked;
  EXPECT_TRUE(run.Prepare(descriptor) && run.Start() && RunToEnd(run));
  walked.ordered = testing::GroupsInOrder(run.ResultRoot());
  walked.groups = CanonicalGroups(run.ResultRoot());
  for (const auto& scan : run.Scans()) walked.foldersEntered.push_back(scan->foldersEntered());
  return walked;
}

// Folders up to five deep whose files share few names, sizes and times: many groups.
struct RandomTree {
  TempTree tree;
  std::vector<std::string> folders;                          // relative, "" the root
  std::vector<std::tuple<std::string, int64_t, int>> files;  // relative path, size, time

  explicit RandomTree(uint32_t seed) {
    std::mt19937 random(seed);
    folders.push_back("");
    for (int i = 0; i < 60; ++i) {
      const std::string& parent = folders[random() % folders.size()];
      if (std::count(parent.begin(), parent.end(), '/') >= 5) continue;
      const std::string folder = parent + "d" + std::to_string(i) + "/";
      tree.Folder(folder);
      folders.push_back(folder);
    }
    const char* names[] = {"a.txt",   "b.txt",      "A.txt",         "c",
                           ".hidden", "report.doc", "x y\n\xff\"<q>"};
    for (int i = 0; i < 400; ++i) {
      const std::string path = folders[random() % folders.size()] + names[random() % 7];
      if (fs::exists(tree.Path(path))) continue;
      const int64_t size = static_cast<int64_t>(random() % 3);
      const int time = static_cast<int>(random() % 2) * 86400;
      tree.File(path, size, time);
      files.emplace_back(path, size, time);
    }
    // Links are neither followed nor grouped.
    tree.Folder("links");
    fs::create_symlink(tree.root(), tree.Path("links/up"));
    const std::string target = std::get<0>(files.front());
    fs::create_symlink(tree.Path(target),
                       tree.Path("links/" + target.substr(target.rfind('/') + 1)));
  }

  std::set<Group> reference(const std::vector<std::string>& excluded, bool docOnly) const {
    std::map<std::tuple<std::string, int64_t, int>, Group> byKey;
    for (const auto& [path, size, time] : files) {
      bool skip = false;
      for (const std::string& folder : excluded) skip = skip || path.rfind(folder, 0) == 0;
      const std::string name = path.substr(path.rfind('/') + 1);
      if (skip || (docOnly && name != "report.doc")) continue;
      byKey[{name, size, time}].push_back(tree.Path(path));
    }
    std::set<Group> groups;
    for (auto& [key, paths] : byKey) {
      if (paths.size() < 2) continue;
      std::sort(paths.begin(), paths.end());
      groups.insert(paths);
    }
    return groups;
  }
};

TEST(ReadAhead, BothWalksAgreeWithTheReferenceAndWithEachOther) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    RandomTree random(seed);
    std::vector<std::string> excluded;
    if (seed % 3 == 0 && random.folders.size() > 6) {
      excluded = {random.folders[3], random.folders[6]};
      std::sort(excluded.begin(), excluded.end());
      if (excluded[1].rfind(excluded[0], 0) == 0) excluded.pop_back();
    }
    std::vector<std::string> excludePaths = {"/else"};  // an exclusion never met does no harm
    for (const std::string& folder : excluded) excludePaths.push_back(random.tree.Path(folder));
    std::vector<std::string> include = {random.tree.root()};
    if (seed % 4 == 1 && random.folders.size() > 2 && !random.folders[1].empty()) {
      include = {random.tree.Path(random.folders[1]), random.tree.root()};
    }
    DataNode* descriptor = MakeDescriptor(include, excludePaths, 0, 0, 0);
    const bool docOnly = seed % 5 == 2;
    if (docOnly) {
      DataNode* nameFilter = CreateNameFilterNode(FindChild(descriptor, "filters"));
      SetNameInclude(nameFilter, "*.DOC");  // names match in any case
      SetFilterEnabled(nameFilter, 1);
    }
    const Walked one = walk(descriptor, true);
    const Walked several = walk(descriptor, false);
    DeleteNode(descriptor);
    EXPECT_EQ(one.groups, random.reference(excluded, docOnly)) << "seed " << seed;
    EXPECT_EQ(several.ordered, one.ordered) << "seed " << seed;
    EXPECT_EQ(several.foldersEntered, one.foldersEntered) << "seed " << seed;
  }
}

TEST(ReadAhead, APausedWalkResumesToTheWholeResultAndAStopIsQuick) {
  TempTree tree;
  testing::MakeBusyTree(tree, 400, 10);  // the walk is still busy when paused and stopped
  DataNode* descriptor = MakeDescriptor({tree.root()}, {});
  const Walked alone = walk(descriptor, true);

  SearchRun::Options options = FastOptions();
  options.spinningDisk = [](const std::string&) { return false; };
  {
    SearchRun run(options);
    ASSERT_TRUE(run.Prepare(descriptor) && run.Start());
    FolderScan* scan = run.Scans()[0].get();
    testing::WaitUntil([&] { return scan->foldersEntered() >= 5; }, 2000);
    if (scan->TEST_RequestPause()) {
      EXPECT_TRUE(testing::WaitUntil([&] { return scan->state() == FolderScan::kPaused; }, 2000));
      const long entered = scan->foldersEntered();
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      EXPECT_EQ(scan->foldersEntered(), entered);  // the listers read ahead, the walk waits
      EXPECT_TRUE(scan->Resume());
    }
    ASSERT_TRUE(RunToEnd(run));
    EXPECT_EQ(testing::GroupsInOrder(run.ResultRoot()), alone.ordered);
  }
  {
    SearchRun run(options);
    ASSERT_TRUE(run.Prepare(descriptor) && run.Start());
    FolderScan* scan = run.Scans()[0].get();
    testing::WaitUntil([&] { return scan->foldersEntered() >= 5; }, 2000);
    const auto asked = std::chrono::steady_clock::now();
    scan->Stop();
    const auto took = std::chrono::steady_clock::now() - asked;
    EXPECT_TRUE(scan->state() == FolderScan::kStopped || scan->state() == FolderScan::kCompleted);
    // The sanitizers slow the lister several times over; the answer must still come.
    EXPECT_LT(took, std::chrono::milliseconds(testing::kTimed ? 200 : 1000));
  }
  DeleteNode(descriptor);
}

// A folder replaced after it was read ahead, before the walk enters it, is read again.
TEST(ReadAhead, AFolderReplacedAfterItWasReadAheadIsReadAgain) {
  TempTree tree;
  for (const char* side : {"a", "b"}) {
    for (int i = 0; i < 600; ++i) tree.File(std::string("top/") + side + "/f" + std::to_string(i));
    tree.File(std::string("top/") + side + "/" + side + "-old");
  }
  DataNode* descriptor = MakeDescriptor({tree.root()}, {});
  ScanParams params = testing::ScanParamsOf(descriptor, tree.root());
  params.readAhead = true;
  FolderScan scan;
  ASSERT_TRUE(scan.Configure(params));
  {
    // The walk stops in the first side it enters while the other is read ahead.
    std::lock_guard<std::mutex> hold(IndexLock());
    ASSERT_TRUE(scan.StartThread(1, nullptr));
    testing::WaitUntil([&] { return scan.foldersEntered() >= 2; }, 3000);
    ASSERT_EQ(scan.foldersEntered(), 2);  // "top" and the first side
    ASSERT_TRUE(scan.TEST_RequestPause());
  }
  ASSERT_TRUE(testing::WaitUntil([&] { return scan.state() == FolderScan::kPaused; }, 3000));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (const std::string side : {"a", "b"}) {
    fs::rename(tree.Path("top/" + side), tree.Path("gone-" + side));
    tree.File("top/" + side + "/" + side + "-new");
  }
  ASSERT_TRUE(scan.Resume());
  ASSERT_TRUE(testing::WaitUntil([&] { return scan.state() == FolderScan::kCompleted; }, 5000));
  const auto keys = scan.IndexOf()->Keys();
  const std::set<std::string> names(keys.begin(), keys.end());
  const bool aFirst = names.count("a-old") > 0;
  EXPECT_EQ(names.count(aFirst ? "b-new" : "a-new"), 1u);
  EXPECT_EQ(names.count(aFirst ? "b-old" : "a-old"), 0u);
  EXPECT_EQ(names.count(aFirst ? "a-new" : "b-new"), 0u);
  EXPECT_EQ(scan.foldersEntered(), 3);
  DeleteNode(descriptor);
}

}  // namespace
}  // namespace tf
