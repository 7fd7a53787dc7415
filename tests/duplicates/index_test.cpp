// Grouping of files by their keys within one scan, across merged scans, and the
// finishing steps: splits by time and size, totals, descriptions, removal of files.
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

using testing::FakeLocalTime;
using testing::Group;
using testing::GroupsInOrder;
using testing::MakeSettings;

constexpr int64_t kSecond = 10000000;

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

// Merges one index per file list into a run and finalises it.
void runOf(RunResult& run, DataNode* settings, const std::vector<std::vector<File>>& scans) {
  for (const auto& files : scans) {
    auto index = indexOf(settings, files);
    run.Merge(index);
  }
  run.Finalise(settings, FakeLocalTime);
}

TEST(DuplicateIndex, FilesAGroupOnlyWhenASecondFileArrives) {
  DataNode* settings = MakeSettings(0, 5, 1, 1);
  DuplicateIndex index;
  ASSERT_TRUE(index.Configure(settings));
  DataNode* node = CreateNode(nullptr, "/a/Report.txt", ATTACH_ROOT);
  node->val = int64_t{5} << 32;  // sizes above 4 GB stay whole
  node->val2 = 77;
  EXPECT_EQ(index.Add(node), 0);
  EXPECT_EQ(index.AddFile("/b/", "report.txt", 1, 1), 0);  // case matters
  index.MakeGroupNodes();
  EXPECT_EQ(index.ResultRoot()->FirstChild(), nullptr);
  EXPECT_EQ(index.AddFile("/c/", "Report.txt", 3, 4), 1);
  EXPECT_EQ(index.AddFile("/d/", "Report.txt", 3, 4), 1);
  index.MakeGroupNodes();
  const DataNode* group = index.ResultRoot()->FirstChild();
  ASSERT_NE(group, nullptr);
  EXPECT_STREQ(group->Name(), "Report.txt");
  const DataNode* first = group->FirstChild();
  EXPECT_STREQ(first->Name(), "/a/Report.txt");
  EXPECT_STREQ(first->Desc(), "/a/");
  EXPECT_EQ(first->val, int64_t{5} << 32);
  EXPECT_EQ(first->val2, 77);
  EXPECT_EQ(testing::GroupsInOrder(index.ResultRoot()),
            (std::vector<Group>{{"/a/Report.txt", "/c/Report.txt", "/d/Report.txt"}}));
  EXPECT_EQ(index.KeyCount(), 2u);
  DeleteNode(node);
  DeleteNode(settings);
}

TEST(DuplicateIndex, WithoutCriteriaNothingIsFiled) {
  DuplicateIndex unconfigured;
  EXPECT_FALSE(unconfigured.Configure(nullptr));
  EXPECT_EQ(unconfigured.AddFile("/a/", "x", 1, 1), 0);
  EXPECT_EQ(unconfigured.KeyCount(), 0u);
}

TEST(RunResult, SplitsBySizeAndDropsSingles) {
  DataNode* settings = MakeSettings(0, 5, 1, 0);
  RunResult run;
  runOf(run, settings, {{{"/a/x.bin", 10, 1}, {"/b/x.bin", 20, 1}, {"/c/x.bin", 10, 1}}});
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/a/x.bin", "/c/x.bin"}}));
  const DataNode* group = run.Root()->FirstChild();
  EXPECT_EQ(group->kind, 1);
  EXPECT_EQ(group->val, 20);
  EXPECT_EQ(group->val2, 2);
  EXPECT_EQ(run.FileCount(), 2);
  EXPECT_TRUE(run.TakeChanged());
  EXPECT_FALSE(run.TakeChanged());
  DeleteNode(settings);
}

TEST(RunResult, SplitByTimeIsToTheSecondAndPlacesNewGroupsBefore) {
  DataNode* settings = MakeSettings(0, 5, 0, 1);
  RunResult run;
  // Same second (sub-second parts differ), another second, and back.
  runOf(run, settings,
        {{{"/a/p.JPG", 1, 100 * kSecond + 1},
          {"/b/p.JPG", 2, 200 * kSecond},
          {"/c/p.JPG", 3, 100 * kSecond + 9999999},
          {"/d/p.JPG", 4, 200 * kSecond + 5},
          {"/e/q", 5, 1},
          {"/f/q", 6, 1}}});
  // The later time's group was made from the second file and stands before the first;
  // a file joining a group made by the split becomes its first file.
  EXPECT_EQ(
      GroupsInOrder(run.Root()),
      (std::vector<Group>{{"/d/p.JPG", "/b/p.JPG"}, {"/a/p.JPG", "/c/p.JPG"}, {"/e/q", "/f/q"}}));
  const DataNode* group = run.Root()->FirstChild();
  EXPECT_STREQ(group->Name(), "p.jpg");
  EXPECT_STREQ(group->Desc(), "jpg");
  EXPECT_STREQ(group->Next()->Next()->Desc(), "?");
  EXPECT_EQ(run.FileCount(), 6);
  DeleteNode(settings);
}

TEST(RunResult, MergesScansInKeyOrder) {
  DataNode* settings = MakeSettings(1, 5, 1, 1);
  RunResult run;
  runOf(run, settings,
        {{{"/1/b.doc", 1, 1}, {"/1/z.doc", 1, 1}, {"/1/z.txt", 1, 1}},
         {{"/2/c.doc", 1, 1}, {"/2/b.pdf", 1, 1}, {"/2/a.x", 1, 1}, {"/2/a.y", 1, 1}},
         {{"/3/a.z", 1, 1}, {"/3/c.c", 1, 1}, {"/3/z.z", 1, 1}}});
  // z.* formed in the first scan; b.* when the second merged, then a.* (key order of
  // that scan: a before b); c.* and the third a.* file when the third merged.
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/1/z.doc", "/1/z.txt", "/3/z.z"},
                                                           {"/2/a.x", "/2/a.y", "/3/a.z"},
                                                           {"/1/b.doc", "/2/b.pdf"},
                                                           {"/2/c.doc", "/3/c.c"}}));
  EXPECT_STREQ(run.Root()->FirstChild()->Desc(), "*");
  EXPECT_EQ(run.FileCount(), 10);
  DeleteNode(settings);
}

TEST(RunResult, NothingMergedMeansNoFiles) {
  RunResult run;
  run.Finalise(nullptr, FakeLocalTime);
  EXPECT_EQ(run.Root(), nullptr);
  EXPECT_EQ(run.FileCount(), 0);
  std::unique_ptr<DuplicateIndex> none;
  run.Merge(none);
  EXPECT_EQ(run.Root(), nullptr);
}

TEST(RunResult, AFinishedResultTakesNoLateFilesUntilCleared) {
  DataNode* settings = MakeSettings(0, 5, 1, 1);
  RunResult run;
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
  DeleteNode(settings);
}

TEST(RunResult, RemovingFilesKeepsTotalsAndDropsGroupsOfOne) {
  DataNode* settings = MakeSettings(0, 5, 1, 1);
  RunResult run;
  runOf(run, settings,
        {{{"/a/x", 1, 1}, {"/b/x", 2, 1}, {"/c/x", 4, 1}, {"/a/y", 8, 1}}, {{"/d/y", 16, 1}}});
  ASSERT_EQ(run.FileCount(), 5);
  DataNode* x = run.Root()->FirstChild();
  run.TakeChanged();
  EXPECT_EQ(run.RemoveFile(x->FirstChild()->Next(), true), 1);
  EXPECT_EQ(x->val, 5);
  EXPECT_EQ(x->val2, 2);
  EXPECT_EQ(run.FileCount(), 4);
  EXPECT_TRUE(run.TakeChanged());
  EXPECT_EQ(run.RemoveFile(x->FirstChild(), true), 2);  // the group goes
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/a/y", "/d/y"}}));
  EXPECT_EQ(run.FileCount(), 2);
  // A node of another tree is refused.
  DataNode* stray = CreateNode(nullptr, "g", ATTACH_ROOT);
  DataNode* file = CreateNode(stray, "/z", ATTACH_LAST_CHILD);
  EXPECT_EQ(run.RemoveFile(file, true), 0);
  EXPECT_EQ(run.RemoveFile(run.Root()->FirstChild(), true), 0);  // a group is no file
  DeleteNode(stray);
  DeleteNode(settings);
}

TEST(DuplicateIndex, OneNameSharedByManyFilesStaysLinear) {
  DataNode* settings = MakeSettings(0, 5, 0, 0);
  constexpr int kFiles = 100000;
  const auto begin = std::chrono::steady_clock::now();
  auto index = std::make_unique<DuplicateIndex>();
  index->Configure(settings);
  for (int i = 0; i < kFiles; ++i)
    index->AddFile("/f" + std::to_string(i) + "/", "same.txt", i % 3, (i % 7) * kSecond);
  RunResult run;
  run.Merge(index);
  run.Finalise(settings, FakeLocalTime);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_EQ(run.FileCount(), kFiles);
  int groups = 0;
  for (const DataNode* g = run.Root()->FirstChild(); g; g = g->Next()) ++groups;
  EXPECT_EQ(groups, 21);     // 3 sizes x 7 seconds
  EXPECT_LT(seconds, 20.0);  // quadratic work would take minutes
  DeleteNode(settings);
}

// The index's own figure, and the heap as the allocator sees it, for unique files
// (which make no nodes): the per-file cost that a large scan pays.
TEST(DuplicateIndex, UniqueFilesCostLittleMemory) {
  DataNode* settings = MakeSettings(0, 5, 0, 0);
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
  std::printf("heap per unique file: %.1f bytes (index's own figure %.1f)\n", perFile,
              static_cast<double>(index->ApproximateBytes()) / kFiles);
  EXPECT_LT(perFile, 250.0);
  DeleteNode(settings);
}

}  // namespace
}  // namespace tf
