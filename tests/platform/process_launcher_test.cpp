#include "platform/process_launcher.h"
#include "platform/scan_priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "tests/support/argv_record.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/stand_in.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using namespace testing;

// The record holds the working folder, then what a shell would take apart, unchanged.
TEST(RunCommand, PassesArgumentsWholeReportsFailuresAndLeavesNoZombie) {
  TempTree dir;
  const std::vector<std::string> hostile = {
      dir.path(),    "a;b && c", "new\nline", "",
      "back\\slash", "*",        "~",         "$(touch " + dir / "pwned" + ")"};
  std::vector<std::string> args = {TF_ARGV_RECORDER, dir / "record"};
  args.insert(args.end(), hostile.begin() + 1, hostile.end());
  ASSERT_TRUE(RunCommand(args, dir.path()));
  EXPECT_EQ(ReadArgvRecord(dir / "record"), hostile);
  EXPECT_FALSE(Exists(dir / "pwned"));
  LaunchFailure failure;
  EXPECT_FALSE(RunCommand({dir / "no such program"}, {}, &failure));
  EXPECT_EQ(failure.error, ENOENT);
  EXPECT_FALSE(RunCommand({TF_ARGV_RECORDER, dir / "r"}, dir / "missing folder", &failure));
  EXPECT_TRUE(failure.inFolder);
  ASSERT_TRUE(testing::WriteFile(dir / "not executable", "#!/bin/sh\n"));
  EXPECT_FALSE(RunCommand({dir / "not executable"}, {}, &failure));
  EXPECT_EQ(failure.error, EACCES);
  EXPECT_TRUE(RunCommand({TF_ARGV_RECORDER, dir / "r2"}));
  ReadArgvRecord(dir / "r2");
  EXPECT_TRUE(RunAndWait({TF_ARGV_RECORDER, dir / "r3"}, 5000));
  EXPECT_FALSE(RunAndWait({TF_ARGV_RECORDER}, 5000));  // exits with 2
  EXPECT_FALSE(RunAndWait({"tf-no-such-program-on-path"}, 5000));
  int status = 0;  // every process started here was reaped or handed to another parent
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

// The viewer gets one absolute path that cannot pass for an option; a folder gone is named.
TEST(Desktop, ViewerAndFileManagerGetTheFileWhole) {
  TempTree dir;
  ASSERT_TRUE(testing::WriteFile(dir / "-rf --help#", "x"));
  {
    StandIn opener(dir, "xdg-open", dir / "viewed");
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ASSERT_TRUE(OpenWithDefaultViewer("-rf --help#", "", false));
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(ReadArgvRecord(dir / "viewed"),
              (std::vector<std::string>{dir.path(), dir / "-rf --help#"}));
  }
  {
    StandIn fileManager(dir, "dbus-send", dir / "explored");
    ASSERT_TRUE(BrowseFile(dir / "-rf --help#", "explore"));
    const std::vector<std::string> got = ReadArgvRecord(dir / "explored");
    ASSERT_EQ(got.size(), 10u);  // the working folder, then nine arguments
    EXPECT_EQ(got[8], "array:string:" + FileUri(dir / "-rf --help#"));
    EXPECT_FALSE(BrowseFile(dir / "missing/x", "open"));
  }
  StandIn nothing(dir, "", dir / "none");
  testing::ScriptedQuestions questions;
  EXPECT_FALSE(BrowseFolderOrReport(questions, dir / "gone", false));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_NE(questions.asked[0].text.find(dir / "gone"), std::string::npos);
}

TEST(CommandLine, SplitsLikeTheToolsExpect) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("a\"b c\"d\tx \"\" \"say \"\"hi\"\"\""),
            (V{"ab cd", "x", "", "say \"hi\""}));
  EXPECT_EQ(SplitCommandLine("back\\\"slash"), (V{"back\\slash"}));  // no escapes: " opens
  EXPECT_EQ(SplitCommandLine("\"unterminated arg"), (V{"unterminated arg"}));
  EXPECT_EQ(FileUri("/a b/c#d%e\xff-y_z.~"), "file:///a%20b/c%23d%25e%FF-y_z.~");
}

// Applies `priority` on a thread of its own; the I/O priority is -1 where unknown.
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
}

}  // namespace
}  // namespace tf
