// The scan engine on real folder trees: listing one folder, one folder walk on its worker
// (stopped, paused, read ahead by several threads, which must find what one thread finds,
// in order), and whole searches (groups, statuses, scheduling, stop and restart).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "duplicates/duplicate_index.h"
#include "engine_support.h"
#include "platform/folder_lister.h"
#include "scan/filter_nodes.h"
#include "scan/folder_list.h"
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
      // Names of their own too, which share a key only under the looser name rules.
      const std::string name =
          i % 3 == 0 ? "unique" + std::to_string(i) + (i % 2 ? ".txt" : "") : names[random() % 7];
      const std::string path = folders[random() % folders.size()] + name;
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

  std::set<Group> reference(const std::vector<std::string>& excluded, bool docOnly,
                            const std::set<std::string>& gone = {}) const {
    std::map<std::tuple<std::string, int64_t, int>, Group> byKey;
    for (const auto& [path, size, time] : files) {
      bool skip = gone.count(tree.Path(path)) > 0;
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
  // Folders the listers opened for the walk, and those its reads share, are all closed.
  auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
  const auto openBefore = openFiles();
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
    if (docOnly) AddNameFilter(descriptor, "*.DOC", nullptr);  // names match in any case
    const Walked one = walk(descriptor, true);
    const Walked several = walk(descriptor, false);
    DeleteNode(descriptor);
    EXPECT_EQ(one.groups, random.reference(excluded, docOnly)) << "seed " << seed;
    EXPECT_EQ(several.ordered, one.ordered) << "seed " << seed;
    EXPECT_EQ(several.foldersEntered, one.foldersEntered) << "seed " << seed;
    EXPECT_EQ(openFiles(), openBefore) << "seed " << seed;
  }
}

// Without a filter that needs a file's details, files are filed by name and read only
// once another file shares their key: every criteria set and filter must give the very
// groups, in the very order, of a walk that reads every file; files that vanish or become
// folders before they are read are left out.
TEST(NamesAlone, EveryCriteriaSetAndFilterGivesTheGroupsOfAWalkThatReadsEveryFile) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    RandomTree random(seed);
    for (int criteria = 0; criteria < 15; ++criteria) {
      for (int filter = 0; filter < 3; ++filter) {
        std::vector<std::string> include = {random.tree.root()};
        if (criteria % 4 == 1) include.insert(include.begin(), random.tree.Path("d0"));
        DataNode* descriptor =
            MakeDescriptor(include, {}, criteria % 3, (criteria / 3) % 2, criteria / 6 % 2);
        if (criteria >= 12) {  // the looser names decide which names are shared
          ChangeCriteria(descriptor, [&](DuplicateCriteria& looser) {
            looser.foldCase = criteria != 13;
            looser.normalize = criteria == 14;
            looser.timeTolerance = criteria == 14 ? 86400 : 0;
            if (criteria == 13) looser.name = NameRule::kSimilar;
          });
        }
        if (filter == 1) {
          AddNameFilter(descriptor, nullptr, "*.DOC");
        } else if (filter == 2) {  // at most 1 KB: takes every file, but must read it
          DataNode* size = CreateSizeFilterNode(FindChild(descriptor, "filters"));
          SetSizeSwitch(size, 1);
          SetSizeValue1(size, 1);
          SetFilterEnabled(size, 1);
        }
        const bool oneThread = (criteria + filter) % 2 == 0;
        FolderScan::TEST_ReadEveryFile(true);
        const Walked every = walk(descriptor, oneThread);
        FolderScan::TEST_ReadEveryFile(false);
        const Walked named = walk(descriptor, !oneThread);
        DeleteNode(descriptor);
        EXPECT_EQ(named.ordered, every.ordered)
            << "seed " << seed << " criteria " << criteria << " filter " << filter;
        if (criteria == 0 && filter == 0) {
          EXPECT_EQ(named.groups, random.reference({}, false)) << "seed " << seed;
        }
      }
    }
  }
  // Every third file about to be read vanishes, every seventh becomes a folder: read by
  // the walk itself, and by the listers beside it.
  for (const bool oneThread : {true, false}) {
    RandomTree random(7);
    std::set<std::string> gone;
    int reads = 0;
    FolderScan::TEST_BeforeReading([&](const std::string& path) {
      if (++reads % 3 != 0 && reads % 7 != 0) return;
      fs::remove(path);
      if (reads % 7 == 0) fs::create_directory(path);
      gone.insert(path);
    });
    DataNode* descriptor = MakeDescriptor({random.tree.root()}, {});
    const Walked named = walk(descriptor, oneThread);
    FolderScan::TEST_BeforeReading(nullptr);
    DeleteNode(descriptor);
    EXPECT_GT(gone.size(), 20u);
    EXPECT_EQ(named.groups, random.reference({}, false, gone)) << oneThread;
  }
}

// The stat calls of a search through the platform layer: a name of its own costs none.
TEST(NamesAlone, AFileWhoseNameNoOtherFileHasIsNeverStated) {
  TempTree tree;
  int shared = 0;
  int unique = 0;
  for (int d = 0; d < 20; ++d) {
    for (int f = 0; f < 30; ++f) {
      const bool own = f % 3 != 0;
      tree.File("d" + std::to_string(d) + "/" +
                (own ? "own" + std::to_string(d * 100 + f) : "s" + std::to_string(f)));
      ++(own ? unique : shared);
    }
  }
  auto statsOfSearch = [&](bool every) {
    FolderScan::TEST_ReadEveryFile(every);
    DataNode* descriptor = MakeDescriptor({tree.root()}, {});
    const uint64_t before = FolderStatCalls();
    const Walked walked = walk(descriptor, true);
    const uint64_t calls = FolderStatCalls() - before;
    FolderScan::TEST_ReadEveryFile(false);
    DeleteNode(descriptor);
    EXPECT_EQ(walked.groups.size(), 10u);
    return calls;
  };
  const uint64_t every = statsOfSearch(true);
  const uint64_t named = statsOfSearch(false);
  EXPECT_EQ(every - named, static_cast<uint64_t>(unique));
  // Beside the shared names: the folders' own (open and mount checks) and the mount table.
  EXPECT_LE(named, static_cast<uint64_t>(shared + 2 * 21 + 200));
}

TEST(ReadAhead, APausedWalkResumesToTheWholeResultAndAStopIsQuick) {
  TempTree tree;
  testing::MakeBusyTree(tree, 400, 10);  // the walk is still busy when paused and stopped
  DataNode* descriptor = MakeDescriptor({tree.root()}, {});
  const Walked alone = walk(descriptor, true);

  SearchRun::Options options = FastOptions();
  options.spinningDisk = [](const std::string&) { return false; };
  for (const bool pause : {true, false}) {
    SearchRun run(options);
    ASSERT_TRUE(run.Prepare(descriptor) && run.Start());
    FolderScan* scan = run.Scans()[0].get();
    testing::WaitUntil([&] { return scan->foldersEntered() >= 5; }, 2000);
    if (pause) {
      if (scan->TEST_RequestPause()) {
        EXPECT_TRUE(testing::WaitUntil([&] { return scan->state() == FolderScan::kPaused; }, 2000));
        const long entered = scan->foldersEntered();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_EQ(scan->foldersEntered(), entered);  // the listers read ahead, the walk waits
        EXPECT_TRUE(scan->Resume());
      }
      ASSERT_TRUE(RunToEnd(run));
      EXPECT_EQ(testing::GroupsInOrder(run.ResultRoot()), alone.ordered);
      continue;
    }
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

// Groups across folders and scans; a file seen with one name is not asked about its links.
TEST(SearchRun, GroupsFilesAcrossFoldersAndScans) {
  TempTree one;
  TempTree two;
  one.File("x.txt", 3);
  one.File("b/x.txt", 3);
  one.Folder("e");
  ASSERT_EQ(link(one.Path("b/x.txt").c_str(), one.Path("e/x.txt").c_str()), 0);
  one.File("c/x.txt", 3, 5);  // another time: no partner
  one.File("c/d/y.dat", 10);
  one.File("unique.bin");
  two.File("deep/er/y.dat", 10);
  two.File("Y.dat", 10);  // case matters
  std::vector<std::string> statuses;
  SearchRun::Options options = FastOptions();
  options.onStatus = [&](const std::string& text) { statuses.push_back(text); };
  options.readHardLinks = true;
  SearchRun run(options);
  // A folder that went is passed over.
  ASSERT_TRUE(
      testing::RunWhole(run, MakeDescriptor({one.root(), two.root() + "/", one.Path("gone")}, {})));
  EXPECT_EQ(CanonicalGroups(run.ResultRoot()),
            (std::set<Group>{{one.Path("b/x.txt"), one.Path("e/x.txt"), one.Path("x.txt")},
                             testing::Sorted({one.Path("c/d/y.dat"), two.Path("deep/er/y.dat")})}));
  EXPECT_EQ(run.FileCount(), 5);
  EXPECT_EQ(statuses.back(), "Finished (5 files found)");
  std::map<std::string, const DataNode*> byPath;
  for (const DataNode* g = run.ResultRoot()->FirstChild(); g; g = g->Next())
    for (const DataNode* f = g->FirstChild(); f; f = f->Next()) byPath[FullName(f)] = f;
  const DataNode* single = byPath[one.Path("x.txt")];
  const DataNode* linked = byPath[one.Path("e/x.txt")];
  EXPECT_NE(run.Links().SetOf(linked), 0u);
  EXPECT_EQ(run.Links().SetOf(byPath[one.Path("b/x.txt")]), run.Links().SetOf(linked));
  EXPECT_EQ(run.Links().SetOf(single), 0u);
  EXPECT_EQ(single->group, kFileWithOneName);
  EXPECT_NE(linked->group, kFileWithOneName);
  std::string status;
  EXPECT_TRUE(run.StatusOf(one.root(), &status));
  EXPECT_FALSE(run.StatusOf(one.Path("b"), &status));
  EXPECT_TRUE(run.TakeResultChanged());
  EXPECT_FALSE(run.Start());  // a finished run is not started again

  // Handling the finish keeps the groups, which files can leave.
  run.Cancel();
  EXPECT_EQ(run.state(), SearchRun::kCancelled);
  DataNode* group = run.ResultRoot()->FirstChild();
  ASSERT_NE(group, nullptr);
  const int64_t files = group->val2;  // the last two leave together: one file is no group
  for (int64_t left = files; left > 1; --left)
    EXPECT_EQ(run.RemoveFile(group->FirstChild(), true), left == 2 ? 2 : 1);
  EXPECT_EQ(run.FileCount(), 5 - files);
}

// The group rules on real trees against a reference read off the files made: only groups
// whose files lie under two search folders (a folder listed below another counts as that
// one), only groups holding a file of a protected folder, and both.
TEST(SearchRun, GroupRulesAgreeWithTheReferenceWithinOneFolderAndAcrossTwo) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    TempTree one;
    TempTree two;
    const TempTree* trees[] = {&one, &two};
    for (const TempTree* tree : trees)
      for (const char* folder : {"p", "q", "p/r"}) tree->Folder(folder);
    struct Made {
      std::string path;
      int tree;
    };
    std::vector<Made> files;
    const char* names[] = {"a.txt", "b.txt", "c", "d.doc"};
    const char* folders[] = {"", "p/", "q/", "p/r/"};
    for (int i = 0; i < 30; ++i) {
      const int t = static_cast<int>(random() % 2);
      const std::string path =
          trees[t]->Path(std::string(folders[random() % 4]) + names[random() % 4]);
      if (fs::exists(path)) continue;
      trees[t]->File(path.substr(trees[t]->root().size() + 1));
      files.push_back({path, t});
    }
    const std::string guarded = seed % 2 ? one.Path("p") : two.root();
    for (int rules = 1; rules < 4; ++rules) {
      DataNode* descriptor = MakeDescriptor({one.root(), two.root(), one.Path("q")}, {});
      ASSERT_TRUE(ProtectFolder(descriptor, guarded));
      const DuplicateCriteria criteria = ChangeCriteria(descriptor, [&](DuplicateCriteria& c) {
        c.acrossRoots = rules & 1;
        c.withProtected = rules & 2;
      });
      std::map<std::string, std::vector<const Made*>> byName;
      for (const Made& f : files) byName[f.path.substr(f.path.rfind('/') + 1)].push_back(&f);
      std::set<Group> expected;
      for (const auto& [name, members] : byName) {
        std::set<int> roots;
        bool hasGuarded = false;
        Group paths;
        for (const Made* f : members) {
          roots.insert(f->tree);
          hasGuarded = hasGuarded || f->path.rfind(guarded + "/", 0) == 0;
          paths.push_back(f->path);
        }
        if (members.size() < 2 || (criteria.acrossRoots && roots.size() < 2) ||
            (criteria.withProtected && !hasGuarded))
          continue;
        std::sort(paths.begin(), paths.end());
        expected.insert(paths);
      }
      SearchRun run(FastOptions());
      ASSERT_TRUE(testing::RunWhole(run, descriptor));
      EXPECT_EQ(CanonicalGroups(run.ResultRoot()), expected)
          << "seed " << seed << " rules " << rules;
      int64_t count = 0;
      for (const Group& g : expected) count += static_cast<int64_t>(g.size());
      EXPECT_EQ(run.FileCount(), count);
    }
  }
}

// A folder reached twice (given twice, inside another given folder, or through a link) is
// walked once, whichever scan comes first, or its files would be grouped with themselves.
TEST(SearchRun, AFolderReachedTwiceIsWalkedOnce) {
  TempTree tree;
  tree.File("a/x/one.txt");
  tree.File("a/x/deep/two.txt");
  tree.File("other/one.txt");
  fs::create_symlink(tree.Path("a/x"), tree.Path("a/link-to-x"));
  fs::create_symlink(tree.Path("a/x"), tree.Path("outside"));
  fs::create_symlink(tree.Path("a"), tree.Path("also-a"));
  // The folders to search, and where the first walk finds a/x/one.txt.
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{tree.Path("a/x/"), tree.Path("a"), tree.Path("a/x")}, "a/x"},
      {{tree.Path("a/x"), tree.Path("a/link-to-x")}, "a/x"},
      {{tree.Path("a/link-to-x"), tree.Path("a/x")}, "a/link-to-x"},
      {{tree.Path("a"), tree.Path("outside")}, "a/x"},
      {{tree.Path("outside"), tree.Path("also-a"), tree.Path("a")}, "outside"},
  };
  const std::set<std::string> places = {tree.Path("a/x/one.txt"), tree.Path("a/link-to-x/one.txt"),
                                        tree.Path("outside/one.txt"),
                                        tree.Path("also-a/x/one.txt")};
  const std::string other = tree.Path("other/one.txt");
  for (const bool together : {false, true}) {
    for (auto [include, first] : cases) {
      include.push_back(tree.Path("other"));
      SearchRun::Options options = FastOptions();
      // Together: each root its own file system, so the scans run side by side.
      if (together) options.driveOf = [](const std::string& path) { return path; };
      SearchRun run(options);
      ASSERT_TRUE(testing::RunWhole(run, MakeDescriptor(include, {})));
      const std::set<Group> groups = CanonicalGroups(run.ResultRoot());
      ASSERT_EQ(groups.size(), 1u) << first << " " << together;
      const Group& group = *groups.begin();  // the other file and one name of a/x/one.txt
      ASSERT_EQ(group.size(), 2u);
      ASSERT_EQ(std::count(group.begin(), group.end(), other), 1);
      const std::string found = group[0] == other ? group[1] : group[0];
      EXPECT_TRUE(places.count(found) > 0) << found;
      if (!together) {
        EXPECT_EQ(found, tree.Path(first + "/one.txt"));
      }
      EXPECT_EQ(run.FileCount(), 2);
    }
  }
}

// A chain deeper than any path is walked in linear time with few open folders, finding
// files at every depth, also beside the chain on the way back up.
TEST(SearchRun, AChainFarDeeperThanPathsGoIsWalkedQuicklyWithFewOpenFolders) {
  TempTree tree;
  constexpr int kDepth = 3600;
  tree.File("bottom.dat", 7);
  tree.File("l" + std::to_string(kDepth) + "/bottom.dat", 7);
  std::set<Group> expected;
  std::vector<std::string> deepTwins;
  std::string path = tree.Path("chain");
  // Shallow folders "l<depth>", each then moved into the one above as "level"; now and
  // then two side folders, one of which is entered after the walk comes back up.
  for (int depth = 0; depth <= kDepth; path += "/level", ++depth) {
    tree.Folder("l" + std::to_string(depth));
    if (depth == kDepth) {  // its twin deep in a side folder: one of them is read last
      tree.File("l" + std::to_string(depth) + "/deep.dat", 0);
      deepTwins.push_back(path + "/deep.dat");
    }
    if (depth % 400 != 7) continue;
    if (depth > 3000) {
      tree.File("l" + std::to_string(depth) + "/a-side/deep.dat", 0);
      deepTwins.push_back(path + "/a-side/deep.dat");
    }
    for (const std::string side : {"a", "z"}) {
      const std::string file = side + std::to_string(depth) + ".dat";
      tree.File("l" + std::to_string(depth) + "/" + side + "-side/" + file, 0);
      tree.File(file, 0);
      expected.insert(testing::Sorted({path + "/" + side + "-side/" + file, tree.Path(file)}));
    }
  }
  const int top = open(tree.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int depth = kDepth; depth > 0; --depth) {
    const int above =
        openat(top, ("l" + std::to_string(depth - 1)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(renameat(top, ("l" + std::to_string(depth)).c_str(), above, "level"), 0);
    close(above);
  }
  ASSERT_EQ(renameat(top, "l0", top, "chain"), 0);
  path.resize(path.size() - 6);  // the loop went one level past the bottom
  expected.insert(testing::Sorted({path + "/bottom.dat", tree.Path("bottom.dat")}));
  expected.insert(testing::Sorted(deepTwins));
  ASSERT_GT(path.size(), 5u * 4096);

  const auto openNow = std::distance(fs::directory_iterator("/proc/self/fd"), {});
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = static_cast<rlim_t>(openNow + 98);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  const auto start = std::chrono::steady_clock::now();
  SearchRun run(FastOptions());
  const bool finished = testing::RunWhole(run, MakeDescriptor({tree.root()}, {}, 0, 1, 1));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  setrlimit(RLIMIT_NOFILE, &saved);
  ASSERT_TRUE(finished);
  EXPECT_EQ(CanonicalGroups(run.ResultRoot()), expected);
  EXPECT_EQ(run.Scans()[0]->foldersEntered(), 1 + kDepth + static_cast<long>(expected.size() - 2));
  EXPECT_LT(seconds, 20.0);  // each folder opened again from the root: minutes

  // Cut into shallow folders for the tree to remove.
  int fd = openat(top, "chain", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int depth = 0; renameat(fd, "level", top, ("cut" + std::to_string(depth)).c_str()) == 0;
       ++depth) {
    close(fd);
    fd = openat(top, ("cut" + std::to_string(depth)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  close(fd);
  close(top);
}

TEST(SearchRun, VanishingFilesAndFoldersDoNotDisturbTheWalk) {
  TempTree tree;
  testing::MakeBusyTree(tree, 200, 10);
  DataNode* descriptor = MakeDescriptor({tree.root()}, {});
  SearchRun run(FastOptions());
  ASSERT_TRUE(run.Prepare(descriptor));
  std::atomic<bool> done{false};
  std::thread remover([&] {
    for (int d = 199; d >= 0 && !done; d -= 3) {
      std::error_code ignored;
      std::filesystem::remove_all(tree.Path("d" + std::to_string(d)), ignored);
    }
  });
  ASSERT_TRUE(run.Start());
  const bool finished = RunToEnd(run);
  done = true;
  remover.join();
  ASSERT_TRUE(finished);
  for (const Group& group : CanonicalGroups(run.ResultRoot())) EXPECT_EQ(group.size(), 2u);
  EXPECT_LE(run.FileCount(), 2000);
  DeleteNode(descriptor);
}

// Stop asks every scan before it waits for any: paused, running and waiting ones all stop.
TEST(SearchRun, StopAllEndsPausedRunningAndWaitingScans) {
  TempTree tree;
  std::vector<std::string> roots;
  for (int i = 0; i < 3; ++i) {
    for (int d = 0; d < 400; ++d)
      tree.File("r" + std::to_string(i) + "/d" + std::to_string(d) + "/same.txt");
    roots.push_back(tree.Path("r" + std::to_string(i)));
  }
  DataNode* descriptor = MakeDescriptor(roots, {});
  SearchRun::Options options = FastOptions();
  // r0 and r1 share a drive; one thread per drive, so the listing lock holds walks back.
  options.driveOf = [&](const std::string& path) { return path == roots[2] ? "two" : "one"; };
  options.oneThreadPerDisk = true;
  SearchRun run(options);
  ASSERT_TRUE(run.Prepare(descriptor));
  DeleteNode(descriptor);
  const auto& scans = run.Scans();
  ASSERT_EQ(scans.size(), 3u);
  {
    std::lock_guard<std::mutex> hold(EnumerationLock());
    ASSERT_TRUE(run.Start());
    for (int i = 0; i < 3; ++i) run.Tick();
    EXPECT_EQ(run.running(), 2);
    EXPECT_FALSE(scans[1]->started());  // shares the drive: it waits
    testing::WaitUntil([&] { return scans[0]->state() == FolderScan::kRunning; });
    ASSERT_TRUE(scans[0]->TEST_RequestPause());
  }
  testing::WaitUntil([&] { return scans[0]->state() == FolderScan::kPaused; });
  run.StopAll();
  EXPECT_EQ(run.state(), SearchRun::kStopped);
  for (const std::string& root : roots) {
    std::string status;
    run.StatusOf(root, &status);
    EXPECT_TRUE(status == "stopped" || (root == roots[2] && status == "accepted")) << status;
  }
  for (int i = 0; i < 3; ++i) run.Tick();
  EXPECT_EQ(run.state(), SearchRun::kStopped);  // a stopped search does not finish
  EXPECT_LE(run.FileCount(), 1200);
}

// Stop and reset do nothing before a start; a restart begins afresh. A search stopped
// part-way shows what its scans found so far as finished groups.
TEST(SearchRun, StopResetRestartAndTheGroupsOfAStoppedSearch) {
  TempTree tree;
  constexpr int kFolders = 1500;
  for (int d = 0; d < kFolders; ++d) tree.File("d" + std::to_string(d) + "/common.txt");
  DataNode* descriptor = MakeDescriptor({tree.root()}, {});
  SearchRun run(FastOptions());
  run.StopAll();
  run.Reset();
  ASSERT_TRUE(run.Prepare(descriptor));
  run.StopAll();
  run.Tick();
  EXPECT_EQ(run.state(), SearchRun::kPrepared);  // neither stopped nor finished
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(run.Prepare(descriptor));
    ASSERT_TRUE(run.Start());
    run.Tick();
  }
  ASSERT_TRUE(RunToEnd(run));
  EXPECT_EQ(run.FileCount(), kFolders);  // each file once
  run.Reset();
  run.Tick();
  EXPECT_EQ(run.ResultRoot(), nullptr);

  // With folder groups, and without them (the walk then puts reads off to its end).
  for (const bool findFolders : {true, false}) {
    SearchRun::Options options = FastOptions();
    options.findFolders = findFolders;
    SearchRun stopped(options);
    ASSERT_TRUE(stopped.Prepare(descriptor) && stopped.Start());
    const FolderScan& scan = *stopped.Scans()[0];
    // Files found, not folders entered: a folder counts as entered before its files are.
    for (int i = 0; i < 100000 && scan.filesFound() < 20; ++i)
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    stopped.StopAll();
    EXPECT_EQ(stopped.state(), SearchRun::kStopped);
    std::string status;
    stopped.StatusOf(tree.root(), &status);
    EXPECT_EQ(status, "stopped");
    const DataNode* group = stopped.ResultRoot() ? stopped.ResultRoot()->FirstChild() : nullptr;
    ASSERT_NE(group, nullptr);
    EXPECT_STREQ(group->Name(), "common.txt");
    EXPECT_TRUE(group->val2 >= 20 && group->val2 < kFolders) << group->val2;
    EXPECT_EQ(group->val2, scan.filesFound());  // every file filed is read, none left out
    EXPECT_EQ(group->val, 3 * group->val2);
    EXPECT_EQ(group->Next(), nullptr);
    EXPECT_EQ(stopped.FileCount(), group->val2);
    EXPECT_TRUE(stopped.TakeResultChanged());  // for the result lists to fill themselves
    if (!findFolders) continue;
    // The folders walked whole are copies of each other; the root, never left, is none.
    ASSERT_EQ(stopped.Folders().size(), 1u);
    const auto& copies = stopped.Folders()[0].folders;
    EXPECT_TRUE(static_cast<int64_t>(copies.size()) == group->val2 ||
                static_cast<int64_t>(copies.size()) == group->val2 - 1)
        << copies.size();
    for (const DuplicateFolder& copy : copies) EXPECT_TRUE(IsBelow(copy.path, tree.root()));
  }
  DeleteNode(descriptor);
}

// Ticked all the time, a run starts at most one scan per tick, five at once, one per
// drive. Ticked only when it says it has news, it still finishes with the same groups.
TEST(SearchRun, SchedulingRulesWhetherTickedOrWoken) {
  TempTree tree;
  std::vector<std::string> roots;
  std::map<std::string, std::string> driveOf;
  for (int i = 0; i < 9; ++i) {
    const std::string name = "r" + std::to_string(i);
    for (int d = 0; d < 30; ++d)
      tree.File(name + "/d" + std::to_string(d % 4) + "/f" + std::to_string(d), d % 3, d % 2);
    roots.push_back(tree.Path(name));
    driveOf[roots.back()] = i < 7 ? "drive" + std::to_string(i) : "drive0";
  }
  DataNode* descriptor = MakeDescriptor(roots, {});
  SearchRun::Options options = FastOptions();
  options.driveOf = [&](const std::string& path) { return driveOf.at(path); };
  SearchRun ticked(options);
  ASSERT_TRUE(ticked.Prepare(descriptor) && ticked.Start());
  const auto& scans = ticked.Scans();
  int before = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (ticked.state() != SearchRun::kFinished && std::chrono::steady_clock::now() < deadline) {
    int now = 0, busy = 0;
    std::map<std::string, int> perDrive;
    for (const auto& scan : scans) {
      now += scan->started();
      const int st = scan->state();
      if ((st >= FolderScan::kRunning && st <= FolderScan::kStopRequested) ||
          (st == FolderScan::kReady && scan->started())) {
        ++busy;
        EXPECT_EQ(++perDrive[driveOf[scan->Root()]], 1) << scan->Root();
      }
    }
    EXPECT_LE(now - before, 1);
    before = now;
    EXPECT_LE(busy, SearchRun::kMaxRunningScans);
    ticked.Tick();
  }
  ASSERT_EQ(ticked.state(), SearchRun::kFinished);
  EXPECT_EQ(ticked.FileCount(), 9 * 30);  // f<d> in each root pairs up across roots

  std::atomic<int> wakes{0};
  options.tickMs = 3600 * 1000;
  options.onWork = [&] { ++wakes; };
  SearchRun run(options);
  ASSERT_TRUE(run.Prepare(descriptor) && run.Start());
  for (int seen = 0; run.state() != SearchRun::kFinished; run.Tick()) {
    ASSERT_TRUE(testing::WaitUntil([&] { return wakes > seen; }, 60000))
        << "the run waits for its clock in state " << run.state();
    seen = wakes;
  }
  EXPECT_EQ(CanonicalGroups(run.ResultRoot()), CanonicalGroups(ticked.ResultRoot()));
  DeleteNode(descriptor);
}

}  // namespace
}  // namespace tf
