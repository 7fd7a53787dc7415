#include "platform/path_utils.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/standard_paths.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::Exists;
using testing::TempTree;
using testing::WriteFile;

TEST(PathText, JoinSplitReplaceAndNormaliseTakeNamesAsBytes) {
  EXPECT_EQ(JoinPath("\\a", "/x\\"), "/x\\/\\a");  // a backslash is a name character
  EXPECT_EQ(DisplayNameOf("/a/b c/"), "b c");
  EXPECT_EQ(ReplaceAll("%f1 %f1", "%f1", "%f1x"), "%f1x %f1x");  // no rescanning
  EXPECT_EQ(LexicallyNormal("/a/./b//c/../d/"), "/a/b/d/");
  EXPECT_EQ(LexicallyNormal("/../x/.."), "/");
  EXPECT_EQ(LexicallyNormal("../a/../../b"), "../../b");
}

// PathKind opens what it names (and must not hang on a FIFO); NameKind only looks. Making
// links is the link suite's test, following a dropped one the folder page's.
TEST(PathKinds, WhatCanBeOpenedAndWhatHoldsAName) {
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "f", "12345"));
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "to-folder").c_str()), 0);
  ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
  EXPECT_EQ(PathKind("f", dir.path()), PATH_FILE);
  EXPECT_EQ(PathKind(dir.path()), PATH_FOLDER);
  EXPECT_EQ(PathKind(dir / "fifo"), PATH_MISSING);
  ASSERT_EQ(chmod((dir / "f").c_str(), 0), 0);
  if (geteuid() != 0) {  // root opens everything
    EXPECT_EQ(PathKind(dir / "f"), PATH_MISSING);
  }
  EXPECT_EQ(NameKind(dir / "f"), NAME_FILE);  // unreadable, still a file
  EXPECT_EQ(NameKind(dir / "to-folder"), NAME_FOLDER);
  EXPECT_EQ(NameKind(dir / "fifo"), NAME_OTHER);
  EXPECT_EQ(NameKind(dir / "dangling"), NAME_OTHER);
  EXPECT_EQ(NameKind(dir / "gone"), NAME_FREE);
}

TEST(StandardPaths, FollowXdgVariablesAndTheirDefaults) {
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);  // only an absolute path counts
  EXPECT_EQ(ConfigHome(), "/home/someone/.config");
  setenv("XDG_CONFIG_HOME", "/cfg/", 1);
  EXPECT_EQ(DefaultSettingsFile(), "/cfg/twinfold/twinfold.dat");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", savedHome.c_str(), 1);

  const std::string program = ProgramFolder();
  ASSERT_EQ(PathKind(program + "/platform_test"), PATH_FILE);

  // A settings file beside the program wins (portable use).
  const std::string portable = program + "/twinfold.dat";
  ASSERT_TRUE(WriteFile(portable, ""));
  EXPECT_EQ(DefaultSettingsFile(), portable);
  unlink(portable.c_str());
}

}  // namespace
}  // namespace tf
