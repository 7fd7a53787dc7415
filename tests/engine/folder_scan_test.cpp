// One folder walk on its worker: the states it passes through when it is stopped,
// paused or left alone, and the excluded folders it skips.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "engine_support.h"
#include "search/folder_enumerator.h"
#include "search/folder_scan.h"

namespace tf {
namespace {

using testing::MakeDescriptor;
using testing::TempTree;

bool waitFor(const FolderScan& scan, int state) {
  for (int i = 0; i < 3000 && scan.state() != state; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return scan.state() == state;
}

struct ScanSetup {
  DataNode* descriptor;
  ScanParams params;
  explicit ScanSetup(const std::string& root, std::vector<std::string> excludes = {})
      : descriptor(MakeDescriptor({root}, {}, 0, 1, 1)) {
    params.root = root;
    params.excludes = std::move(excludes);
    params.filters = FindChild(descriptor, "filters");
    params.settings = FindChild(descriptor, "settings");
  }
  ~ScanSetup() { DeleteNode(descriptor); }
};

TEST(FolderScan, StopBeforeStartAndAfterTheEnd) {
  TempTree tree;
  tree.File("a/x");
  ScanSetup setup(tree.root());
  FolderScan never;
  EXPECT_EQ(never.StatusText(), "ready");
  never.Stop();  // not configured: nothing happens
  EXPECT_EQ(never.state(), FolderScan::kNew);
  ASSERT_TRUE(never.Configure(setup.params));
  EXPECT_FALSE(never.Configure(setup.params));
  never.Stop();
  EXPECT_EQ(never.StatusText(), "stopped");
  // A worker started after the stop ends at once.
  EXPECT_TRUE(never.StartThread(1, nullptr));
  never.Join();
  EXPECT_EQ(never.state(), FolderScan::kStopped);

  FolderScan finished;
  ASSERT_TRUE(finished.Configure(setup.params));
  int priorityAsked = -1;
  ASSERT_TRUE(finished.StartThread(0, [&](int p) { priorityAsked = p; }));
  EXPECT_FALSE(finished.StartThread(0, nullptr));  // one worker per scan
  ASSERT_TRUE(waitFor(finished, FolderScan::kCompleted));
  finished.Join();
  EXPECT_EQ(priorityAsked, 0);
  finished.Stop();
  EXPECT_EQ(finished.StatusText(), "completed");
  EXPECT_EQ(finished.foldersEntered(), 1);
  ASSERT_NE(finished.IndexOf(), nullptr);
  EXPECT_EQ(finished.IndexOf()->KeyCount(), 1u);
  finished.Accept();
  EXPECT_EQ(finished.StatusText(), "accepted");
  EXPECT_EQ(finished.IndexOf(), nullptr);
}

TEST(FolderScan, StopDuringAPauseEndsTheWalk) {
  TempTree tree;
  for (int i = 0; i < 5; ++i) tree.File("f" + std::to_string(i));
  tree.File("sub/deeper/x");
  ScanSetup setup(tree.root());
  FolderScan scan;
  ASSERT_TRUE(scan.Configure(setup.params));
  {
    // With the listing lock held the worker waits before its first folder; the pause
    // asked meanwhile is honoured after the first file is handed over.
    std::lock_guard<std::mutex> hold(EnumerationLock());
    ASSERT_TRUE(scan.StartThread(1, nullptr));
    ASSERT_TRUE(waitFor(scan, FolderScan::kRunning));
    EXPECT_EQ(scan.StatusText(), "0 folders...");
    ASSERT_TRUE(scan.TEST_RequestPause());
  }
  ASSERT_TRUE(waitFor(scan, FolderScan::kPaused));
  EXPECT_EQ(scan.StatusText(), "suspended");
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(scan.state(), FolderScan::kPaused);  // stays paused
  scan.Stop();
  EXPECT_EQ(scan.state(), FolderScan::kStopped);
  EXPECT_EQ(scan.foldersEntered(), 0);  // never resumed
}

TEST(FolderScan, ExcludedFoldersAreSkippedWithEverythingBelow) {
  TempTree tree;
  tree.File("keep/x");
  tree.File("skip/y");
  tree.File("skip/deep/z");
  tree.File("keep/skip/w");  // same name deeper: not excluded
  ScanSetup setup(tree.root(), {tree.Path("skip") + "/", tree.Path("missing")});
  FolderScan scan;
  ASSERT_TRUE(scan.Configure(setup.params));
  ASSERT_TRUE(scan.StartThread(1, nullptr));
  ASSERT_TRUE(waitFor(scan, FolderScan::kCompleted));
  const auto keys = scan.IndexOf()->Keys();
  const std::set<std::string> names(keys.begin(), keys.end());
  EXPECT_EQ(names, (std::set<std::string>{"x", "w"}));
  EXPECT_EQ(scan.foldersEntered(), 2);  // keep, keep/skip
}

TEST(FolderScan, AWalkDeeperThanTheFoldersItKeepsOpenFindsEverything) {
  TempTree tree;
  std::string chain;
  for (int depth = 0; depth < 150; ++depth) {
    chain += "level " + std::to_string(depth) + "/";
    if (depth == 10 || depth == 140) tree.File(chain + "at" + std::to_string(depth));
  }
  tree.File(chain + "bottom");
  tree.File("top");
  ScanSetup setup(tree.root());
  FolderScan scan;
  ASSERT_TRUE(scan.Configure(setup.params));
  ASSERT_TRUE(scan.StartThread(1, nullptr));
  ASSERT_TRUE(waitFor(scan, FolderScan::kCompleted));
  const auto keys = scan.IndexOf()->Keys();
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()),
            (std::set<std::string>{"top", "at10", "at140", "bottom"}));
  EXPECT_EQ(scan.foldersEntered(), 150);
}

}  // namespace
}  // namespace tf
