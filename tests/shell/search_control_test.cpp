// The search control over real folder trees.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "app/search_control.h"
#include "results/result_rows.h"
#include "scan/folder_list.h"
#include "search/local_filter_clock.h"
#include "search/search_descriptor.h"
#include "shell_support.h"

namespace tf {
namespace {

using testing::RecordingPanes;
using testing::TempTree;
using testing::TickToEnd;

struct Fixture {
  explicit Fixture(int tickMs, std::function<int64_t()> clock = {},
                   std::function<void()> wake = {}) {
    descriptor.Create(LocalFilterClock());
    control = std::make_unique<SearchControl>(
        &descriptor, &panes, SearchControl::Options{tickMs, 1, std::move(clock), std::move(wake)});
  }
  SearchDescriptor descriptor;
  RecordingPanes panes;
  std::unique_ptr<SearchControl> control;
};

TEST(SearchControl, WholeSearchGoesThroughItsStatusTexts) {
  TempTree tree;
  tree.File("a/x.txt");
  tree.File("b/x.txt");
  tree.File("b/alone.txt");
  Fixture f(10);
  EXPECT_FALSE(f.control->CanStart());
  EXPECT_EQ(f.control->StopSearch(), 1);
  EXPECT_EQ(f.panes.lines, std::vector<std::string>{""});
  f.panes.lines.clear();

  EXPECT_EQ(f.control->ChangeIncludeFolder(true, tree.root()), kFolderAdded);
  EXPECT_EQ(f.control->ChangeIncludeFolder(true, tree.Path("a")), kFolderRefused);
  EXPECT_TRUE(f.control->CanStart());
  const uint64_t before = f.control->ResultGeneration();
  ASSERT_EQ(f.control->StartSearch(), 1);
  ASSERT_TRUE(TickToEnd(*f.control));
  EXPECT_EQ(f.panes.lines,
            (std::vector<std::string>{kStatusClickToStart, kStatusClickToStart, kStatusScanning,
                                      "Finalizing...", "Finished (2 files found)"}));
  EXPECT_EQ(f.panes.calls, (std::vector<std::string>{"started", "clear", "searching 1",
                                                     "searching 0", "finished"}));
  EXPECT_EQ(GroupRows(f.control->GroupsRoot()).size(), 1u);
  EXPECT_EQ(f.panes.flashes, 1);
  EXPECT_NE(f.control->ResultGeneration(), before);
  EXPECT_EQ(f.control->FolderStatus(tree.root()), "accepted");

  const uint64_t shown = f.control->ResultGeneration();
  EXPECT_EQ(f.control->RemoveFile(f.control->GroupsRoot()->FirstChild()->FirstChild()), 2);
  EXPECT_EQ(GroupRows(f.control->GroupsRoot()).size(), 0u);
  EXPECT_NE(f.control->ResultGeneration(), shown);

  EXPECT_EQ(f.control->ChangeIncludeFolder(false, tree.root()), 1);
  EXPECT_EQ(f.panes.lines.back(), kStatusChooseFolders);
}

// A tick interval longer than the test: the ticks the run's threads ask for must suffice.
TEST(SearchControl, TicksAskedForByTheRunFinishTheSearch) {
  TempTree tree;
  for (const char* folder : {"a", "b", "c", "d", "e"}) {
    tree.File(std::string(folder) + "/x.txt");
    tree.File(std::string(folder) + "/sub/" + folder + ".txt");
  }
  std::mutex lock;
  std::condition_variable woken;
  int wakes = 0;
  Fixture f(3600 * 1000, {}, [&] {
    {
      std::lock_guard<std::mutex> hold(lock);
      ++wakes;
    }
    woken.notify_one();
  });
  for (const char* folder : {"a", "b", "c", "d", "e"})
    f.control->ChangeIncludeFolder(true, tree.Path(folder));
  f.panes.lines.clear();
  ASSERT_EQ(f.control->StartSearch(), 1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int seen = 0;
  while (f.control->Run()->state() != SearchRun::kCancelled) {
    {
      std::unique_lock<std::mutex> hold(lock);
      ASSERT_TRUE(woken.wait_until(hold, deadline, [&] { return wakes > seen; }))
          << "no tick asked for in run state " << f.control->Run()->state();
      seen = wakes;
    }
    f.control->Tick();
  }
  EXPECT_EQ(f.panes.lines, (std::vector<std::string>{kStatusScanning, "Finalizing...",
                                                     "Finished (5 files found)"}));
  EXPECT_EQ(f.panes.calls.back(), "finished");
  EXPECT_EQ(GroupRows(f.control->GroupsRoot()).size(), 1u);
}

TEST(SearchControl, StopPartWayShowsTheGroupsFoundSoFarAndRestartDropsTheRun) {
  TempTree tree;
  constexpr int kFolders = 1500;
  for (int d = 0; d < kFolders; ++d) tree.File("d" + std::to_string(d) + "/common.txt");
  Fixture f(1000);
  f.control->ChangeIncludeFolder(true, tree.root());
  ASSERT_EQ(f.control->StartSearch(), 1);
  uint64_t generation = f.control->ResultGeneration();
  const FolderScan& scan = *f.control->Run()->Scans()[0];
  for (int i = 0; i < 100000 && scan.foldersEntered() < 20; ++i)
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  ASSERT_TRUE(f.control->CanStop());
  f.panes.calls.clear();
  EXPECT_EQ(f.control->StopSearch(), 1);
  EXPECT_FALSE(f.control->CanStop());
  ASSERT_TRUE(TickToEnd(*f.control, 20, SearchRun::kStopped));  // groups form beside the window
  f.control->Tick();

  EXPECT_EQ(f.panes.lines.back(), kStatusStopped);
  EXPECT_EQ(f.panes.calls, (std::vector<std::string>{"searching 0", "finished"}));
  EXPECT_EQ(f.control->FolderStatus(tree.root()), "stopped");
  EXPECT_NE(f.control->ResultGeneration(), generation);
  const std::vector<DataNode*> groups = GroupRows(f.control->GroupsRoot());
  ASSERT_EQ(groups.size(), 1u);
  // A folder counts as entered before its file is filed, so the stop may come between the
  // two: part of what was walked, at least a group's two files.
  EXPECT_GE(groups[0]->val2, 2);
  EXPECT_LT(groups[0]->val2, kFolders);
  EXPECT_EQ(UnifiedRows(f.control->GroupsRoot()).size(), static_cast<size_t>(1 + groups[0]->val2));
  f.control->Tick();  // a stopped run is not finished again
  EXPECT_EQ(f.panes.flashes, 0);

  ASSERT_EQ(f.control->StartSearch(), 1);
  generation = f.control->ResultGeneration();
  ASSERT_EQ(f.control->StartSearch(), 1);
  EXPECT_NE(f.control->ResultGeneration(), generation);
  EXPECT_EQ(f.control->Run()->state(), SearchRun::kRunning);
  ASSERT_TRUE(TickToEnd(*f.control));
  EXPECT_EQ(f.panes.lines.back(), "Finished (1500 files found)");
  EXPECT_EQ(GroupRows(f.control->GroupsRoot()).size(), 1u);
}

TEST(SearchControl, FinishedSearchFlashesUntilItsTimeOrActivation) {
  TempTree tree;
  tree.File("x.txt");
  int64_t now = 0;
  for (int mode = 0; mode < 3; ++mode) {  // active; inactive; inactive, then activated
    Fixture f(10, [&now] { return now; });
    f.control->ChangeIncludeFolder(true, tree.root());
    f.panes.active = mode == 0;
    now = 0;
    ASSERT_EQ(f.control->StartSearch(), 1);
    ASSERT_TRUE(TickToEnd(*f.control));
    EXPECT_EQ(f.panes.lines.back(), "Finished (NO FILES FOUND)");
    EXPECT_EQ(f.panes.flashes, 1) << mode;  // an empty result flashes the window too
    if (mode == 2) {
      now = 2000;
      f.control->Tick();
      f.control->OnActivate(false);
      EXPECT_TRUE(f.control->IsFlashing());
      f.control->OnActivate(true);
    } else {
      const int64_t deadline = mode == 0 ? kFlashActiveMs : kFlashInactiveMs;
      for (now = 1; now < deadline; now += 50) f.control->Tick();
      EXPECT_TRUE(f.control->IsFlashing());
      EXPECT_EQ(f.panes.flashes, 1 + (deadline - 1) / kFlashIntervalMs) << mode;
      now = deadline;
      f.control->Tick();
    }
    EXPECT_FALSE(f.control->IsFlashing()) << mode;
    EXPECT_EQ(f.panes.flashStops, 1);
    const int flashes = f.panes.flashes;
    now += 5000;
    f.control->Tick();
    EXPECT_EQ(f.panes.flashes, flashes);
  }
}

TEST(SearchControl, StatusTextIsDroppedWhenTheLineStaysTaken) {
  Fixture f(10);
  f.control->TEST_SetStatusWait(50);
  std::promise<void> holding;
  std::promise<void> done;
  std::thread other([&] {
    std::lock_guard<std::mutex> hold(f.control->TEST_StatusLock());
    holding.set_value();
    done.get_future().wait();
  });
  holding.get_future().wait();
  EXPECT_EQ(f.control->SetStatusText("lost"), 0);
  done.set_value();
  other.join();
  EXPECT_TRUE(f.panes.lines.empty());
  EXPECT_EQ(f.control->SetStatusText("shown"), 1);
  EXPECT_EQ(f.panes.lines, std::vector<std::string>{"shown"});
}

}  // namespace
}  // namespace tf
