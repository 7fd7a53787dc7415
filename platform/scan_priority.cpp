#include "platform/scan_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tf {

namespace {

constexpr int kLowNice = 10;
constexpr int kHighNice = -5;

// The I/O priority interface has no wrapper in the C library; these are the kernel's
// values (linux/ioprio.h).
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioClassShift = 13;

// On Linux a thread id given as a process id addresses just that thread.
bool setThreadNice(pid_t thread, int nice) {
  return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0;
}

bool setThreadIdleIo(pid_t thread) {
#ifdef SYS_ioprio_set
  const int value = kIoprioClassIdle << kIoprioClassShift;
  return syscall(SYS_ioprio_set, kIoprioWhoProcess, static_cast<int>(thread), value) == 0;
#else
  (void)thread;
  return false;
#endif
}

}  // namespace

bool ApplyScanPriority(int priority) {
  if (priority == 1) return true;
  const pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
  if (priority == 0) {
    const bool niceSet = setThreadNice(thread, kLowNice);
    const bool ioSet = setThreadIdleIo(thread);
    return niceSet && ioSet;
  }
  return setThreadNice(thread, kHighNice);
}

}  // namespace tf
