#include "platform/scan_priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace tf {
namespace {

// Applies `priority` on a thread of its own; answers whether it was granted, and fills in
// that thread's nice value before and after and its I/O priority (-1 where unknown).
bool applyOnThread(int priority, int* niceBefore, int* niceAfter, long* ioPriority) {
  bool applied = false;
  std::thread([&] {
    const id_t self = static_cast<id_t>(syscall(SYS_gettid));
    *niceBefore = getpriority(PRIO_PROCESS, self);
    applied = ApplyScanPriority(priority);
    *niceAfter = getpriority(PRIO_PROCESS, self);
    *ioPriority = -1;
#ifdef SYS_ioprio_get
    *ioPriority = syscall(SYS_ioprio_get, 1, static_cast<int>(self));
#endif
  }).join();
  return applied;
}

TEST(ScanPriorityTest, OnlyTheScanningThreadChangesAndNoLevelFails) {
  const int processNice = getpriority(PRIO_PROCESS, 0);
  int before = 0, after = 0;
  long io = -1;
  applyOnThread(0, &before, &after, &io);
  EXPECT_EQ(after, 10);
  if (io >= 0) {
    EXPECT_EQ(io >> 13, 3);  // the idle I/O class, above the 13-bit level
  }
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), processNice);
  EXPECT_TRUE(applyOnThread(1, &before, &after, &io));
  EXPECT_EQ(after, before);
  // Raising the priority needs a right an ordinary user lacks: either it is granted or
  // the thread carries on unchanged.
  for (int priority : {2, -1}) {
    const bool applied = applyOnThread(priority, &before, &after, &io);
    EXPECT_EQ(after, applied ? -5 : before) << priority;
  }
}

}  // namespace
}  // namespace tf
