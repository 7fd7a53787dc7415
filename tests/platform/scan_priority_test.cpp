#include "platform/scan_priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tf {
namespace {

struct Outcome {
  bool applied = false;
  int niceBefore = 0;
  int niceAfter = 0;
  long ioPriority = -1;
};

// Applies `priority` on a thread of its own and reads back what that thread ended up with.
Outcome applyOnThread(int priority) {
  Outcome outcome;
  std::thread worker([&] {
    const id_t self = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    outcome.niceBefore = getpriority(PRIO_PROCESS, self);
    outcome.applied = ApplyScanPriority(priority);
    outcome.niceAfter = getpriority(PRIO_PROCESS, self);
#ifdef SYS_ioprio_get
    outcome.ioPriority = syscall(SYS_ioprio_get, 1, static_cast<int>(self));
#endif
  });
  worker.join();
  return outcome;
}

TEST(ScanPriorityTest, OnlyTheScanningThreadChangesAndNoLevelFails) {
  const int processNice = getpriority(PRIO_PROCESS, 0);
  const Outcome low = applyOnThread(0);
  EXPECT_EQ(low.niceAfter, 10);
  if (low.ioPriority >= 0) {
    EXPECT_EQ(low.ioPriority >> 13, 3);  // the idle I/O class, above the 13-bit level
  }
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), processNice);

  const Outcome normal = applyOnThread(1);
  EXPECT_TRUE(normal.applied);
  EXPECT_EQ(normal.niceAfter, normal.niceBefore);
  // Raising the priority needs a right an ordinary user lacks: either it is granted or
  // the thread carries on unchanged.
  for (int priority : {2, -1}) {
    const Outcome high = applyOnThread(priority);
    EXPECT_EQ(high.niceAfter, high.applied ? -5 : high.niceBefore) << priority;
  }
}

}  // namespace
}  // namespace tf
