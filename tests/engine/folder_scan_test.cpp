// One folder walk on its worker, stopped before it starts or left alone. Pauses are
// checked with the read-ahead walk and the whole search.
#include <gtest/gtest.h>

#include <string>

#include "engine_support.h"
#include "search/folder_scan.h"

namespace tf {
namespace {

using testing::MakeDescriptor;
using testing::TempTree;

bool waitFor(const FolderScan& scan, int state) {
  return testing::WaitUntil([&] { return scan.state() == state; });
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

// A stop before the start ends the worker at once; one worker per scan; a finished scan
// hands its index over once.
TEST(FolderScan, StopBeforeStartAndAfterTheEnd) {
  TempTree tree;
  tree.File("a/x");
  ScanSetup setup(tree.root());
  FolderScan never;
  never.Stop();  // not configured: nothing happens
  EXPECT_EQ(never.state(), FolderScan::kNew);
  ASSERT_TRUE(never.Configure(setup.params));
  EXPECT_FALSE(never.Configure(setup.params));
  never.Stop();
  EXPECT_TRUE(never.StartThread(1, nullptr));
  never.Join();
  EXPECT_EQ(never.state(), FolderScan::kStopped);
  EXPECT_EQ(never.foldersEntered(), 0);

  FolderScan finished;
  ASSERT_TRUE(finished.Configure(setup.params));
  int priorityAsked = -1;
  ASSERT_TRUE(finished.StartThread(0, [&](int p) { priorityAsked = p; }));
  EXPECT_FALSE(finished.StartThread(0, nullptr));
  ASSERT_TRUE(waitFor(finished, FolderScan::kCompleted));
  finished.Join();
  EXPECT_EQ(priorityAsked, 0);
  finished.Stop();
  EXPECT_EQ(finished.state(), FolderScan::kCompleted);
  ASSERT_NE(finished.IndexOf(), nullptr);
  EXPECT_EQ(finished.IndexOf()->KeyCount(), 1u);
  finished.Accept();
  EXPECT_EQ(finished.IndexOf(), nullptr);
}

}  // namespace
}  // namespace tf
