// Merged scans and finishing: order and names of groups, late files, removal, large scans.
// Which files group is checked against the reference elsewhere.
#include <gtest/gtest.h>

#include <malloc.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "duplicates/duplicate_index.h"
#include "duplicates/run_result.h"
#include "grouping_support.h"

namespace tf {
namespace {

using namespace testing;
struct File {
  std::string path;
  int64_t size = 0;
  int64_t time = 0;
};

std::unique_ptr<DuplicateIndex> indexOf(DataNode* settings, const std::vector<File>& files) {
  auto index = std::make_unique<DuplicateIndex>();
  EXPECT_TRUE(index->Configure(settings));
  for (const File& f : files) {
    const size_t cut = f.path.rfind('/') + 1;
    index->AddFile(std::string_view(f.path).substr(0, cut), std::string_view(f.path).substr(cut),
                   f.size, f.time);
  }
  return index;
}

void runOf(RunResult& run, DataNode* settings, const std::vector<std::vector<File>>& scans) {
  for (const auto& files : scans) {
    auto index = indexOf(settings, files);
    run.Merge(index);
  }
  run.Finalise(settings, FakeLocalTime);
}

// Groups stand in the order merges formed them, each merge's in byte order of keys;
// finished groups are named with the extension in lower case.
TEST(RunResult, MergedGroupsStandInTheOrderTheyFormed) {
  DataNode* settings = MakeSettings(1, 5, 1, 1);
  RunResult run;
  runOf(run, settings,
        {{{"/1/b.doc", 1, 1}, {"/1/z.DOC", 1, 1}, {"/1/z.txt", 1, 1}},
         {{"/2/c.doc", 1, 1}, {"/2/b.pdf", 1, 1}, {"/2/a.x", 1, 1}, {"/2/a.y", 1, 1}},
         {{"/3/a.z", 1, 1}, {"/3/c.c", 1, 1}, {"/3/z.z", 1, 1}}});
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/1/z.DOC", "/1/z.txt", "/3/z.z"},
                                                           {"/2/a.x", "/2/a.y", "/3/a.z"},
                                                           {"/1/b.doc", "/2/b.pdf"},
                                                           {"/2/c.doc", "/3/c.c"}}));
  EXPECT_EQ(run.FileCount(), 10);
  DeleteNode(settings);

  settings = MakeSettings(0, 5, 1, 1);
  RunResult exact;
  const std::vector<std::string> names = {"\xff.bin", "C.txt", "a.txt", "B.TXT", "b.txt"};
  std::vector<File> first, second;
  for (const std::string& name : names) {
    first.push_back({"/1/" + name, 1, 0});
    second.insert(second.begin(), File{"/2/" + name, 1, 0});
  }
  runOf(exact, settings, {first, second});
  std::vector<std::string> order;
  for (const DataNode* g = exact.Root()->FirstChild(); g; g = g->Next())
    order.push_back(std::string(g->Name()) + "|" + g->Desc());
  EXPECT_EQ(order, (std::vector<std::string>{"B.txt|txt", "C.txt|txt", "a.txt|txt", "b.txt|txt",
                                             "\xff.bin|bin"}));
  EXPECT_TRUE(exact.TakeChanged());
  EXPECT_FALSE(exact.TakeChanged());
  DeleteNode(settings);
}

// A finished result takes no late files until cleared, and gives up only its own files.
TEST(RunResult, AFinishedResultTakesNoLateFilesUntilCleared) {
  RunResult run;
  std::unique_ptr<DuplicateIndex> none;
  run.Merge(none);
  run.Finalise(nullptr, FakeLocalTime);
  EXPECT_EQ(run.Root(), nullptr);
  EXPECT_EQ(run.FileCount(), 0);

  DataNode* settings = MakeSettings(0, 5, 1, 1);
  runOf(run, settings, {{{"/a/x", 1, 1}, {"/b/x", 2, 1}}});
  DataNode* root = run.Root();
  auto late = indexOf(settings, {{"/c/x", 4, 1}, {"/c/y", 8, 1}, {"/d/y", 8, 1}});
  run.Merge(late);
  run.Finalise(settings, FakeLocalTime);
  EXPECT_EQ(run.Root(), root);
  EXPECT_EQ(GroupsInOrder(root), (std::vector<Group>{{"/a/x", "/b/x"}}));
  EXPECT_EQ(run.FileCount(), 2);
  run.Clear();
  runOf(run, settings, {{{"/c/y", 8, 1}, {"/d/y", 8, 1}}});
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/c/y", "/d/y"}}));
  // A node of another tree, or a group, is no file of the result.
  DataNode* stray = CreateNode(nullptr, "g", ATTACH_ROOT);
  EXPECT_EQ(run.RemoveFile(CreateNode(stray, "/z", ATTACH_LAST_CHILD), true), 0);
  EXPECT_EQ(run.RemoveFile(run.Root()->FirstChild(), true), 0);
  EXPECT_EQ(run.FileCount(), 2);
  DeleteNode(stray);
  DeleteNode(settings);
}

// One name shared by many files stays linear (quadratic work would take minutes); unique
// files make no nodes, so a large scan costs little per file.
TEST(DuplicateIndex, LargeScansCostLinearTimeAndLittleMemory) {
  DataNode* settings = MakeSettings(0, 5, 0, 0);
  const auto begin = std::chrono::steady_clock::now();
  auto shared = std::make_unique<DuplicateIndex>();
  shared->Configure(settings);
  for (int i = 0; i < 100000; ++i)
    shared->AddFile("/f" + std::to_string(i) + "/", "same.txt", i % 3, (i % 7) * kSecond);
  RunResult run;
  run.Merge(shared);
  run.Finalise(settings, FakeLocalTime);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 20.0);
  EXPECT_EQ(run.FileCount(), 100000);
  EXPECT_EQ(GroupsInOrder(run.Root()).size(), 21u);  // 3 sizes x 7 seconds

  constexpr int kFiles = 200000;
  const size_t before = mallinfo2().uordblks;
  auto index = std::make_unique<DuplicateIndex>();
  index->Configure(settings);
  for (int folder = 0; folder < kFiles / 100; ++folder) {
    const std::string path = "/home/user/pictures/2023/holiday-" + std::to_string(folder) + "/";
    for (int i = 0; i < 100; ++i)
      index->AddFile(path, "IMG_" + std::to_string(folder * 100 + i) + ".jpg", i, i);
  }
  // Under the sanitizers the allocator keeps its own books: take the index's figure.
  const size_t heap = mallinfo2().uordblks - before;
  const double perFile = static_cast<double>(heap > 0 ? heap : index->ApproximateBytes()) / kFiles;
  RecordProperty("bytes_per_file", std::to_string(perFile));
  EXPECT_LT(perFile, 250.0);
  DeleteNode(settings);
}

}  // namespace
}  // namespace tf
