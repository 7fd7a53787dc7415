// The program's own files: reads refuse non-files without waiting, saves never leave half a file.
#include "platform/stored_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::ReadFile;
using testing::TempTree;
using testing::WriteFile;

// One name of each kind that is not a regular file; a FIFO no writer opens would hang a
// blocking open or read, hence the alarm.
class StoredFile : public ::testing::Test {
 protected:
  void SetUp() override {
    alarm(60);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/null", (dir / "device").c_str()), 0);
    ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
  }
  void TearDown() override { alarm(0); }
  static constexpr const char* kNotFiles[] = {"fifo", "folder", "device", "dangling"};
  TempTree dir;
};

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  ListFolderNames(folder, &names);
  std::sort(names.begin(), names.end());
  return names;
}

// PathKind opens what it names; NameKind only looks.
TEST_F(StoredFile, PathKindsTellWhatCanBeOpenedAndWhatHoldsAName) {
  ASSERT_TRUE(WriteFile(dir / "f", "12345"));
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "to-folder").c_str()), 0);
  EXPECT_EQ(PathKind("f", dir.path()), PATH_FILE);
  EXPECT_EQ(PathKind(dir.path()), PATH_FOLDER);
  EXPECT_EQ(PathKind(dir / "fifo"), PATH_MISSING);
  ASSERT_EQ(chmod((dir / "f").c_str(), 0), 0);
  if (geteuid() != 0) {  // root opens everything
    EXPECT_EQ(PathKind(dir / "f"), PATH_MISSING);
  }
  EXPECT_EQ(NameKind(dir / "f"), NAME_FILE);  // unreadable, still a file
  EXPECT_EQ(NameKind(dir / "to-folder"), NAME_FOLDER);
  for (const char* other : {"fifo", "device", "dangling"})
    EXPECT_EQ(NameKind(dir / other), NAME_OTHER) << other;
  EXPECT_EQ(NameKind(dir / "nowhere"), NAME_FREE);
}

TEST_F(StoredFile, ReadTakesOnlyRegularFilesUpToTheCap) {
  ASSERT_TRUE(WriteFile(dir / "small", "abc"));
  ASSERT_EQ(symlink((dir / "small").c_str(), (dir / "link").c_str()), 0);
  std::string text = "old", error;
  for (const std::string& path : {dir / "fifo", std::string("/dev/zero"), dir / "folder"}) {
    EXPECT_EQ(ReadStoredFile(path, &text, kMaxStoredFileBytes, &error), 0) << path;
    EXPECT_EQ(error, "is not a regular file") << path;
    EXPECT_EQ(text, "");
  }
  EXPECT_EQ(ReadStoredFile(dir / "missing", &text, kMaxStoredFileBytes, &error), 0);
  EXPECT_EQ(error, "does not exist");

  ASSERT_EQ(ReadStoredFile(dir / "link", &text), 1);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(ReadStoredFile(dir / "small", &text, 3), 1);
  EXPECT_EQ(ReadStoredFile(dir / "small", &text, 2, &error), 0);
  EXPECT_NE(error.find("larger than"), std::string::npos);

  // A sparse file one byte over the real cap must not be read.
  const int fd = open((dir / "huge").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(kMaxStoredFileBytes) + 1), 0);
  close(fd);
  EXPECT_EQ(ReadStoredFile(dir / "huge", &text, kMaxStoredFileBytes, &error), 0);
  EXPECT_NE(error.find("larger than"), std::string::npos);
  EXPECT_LT(text.capacity(), size_t{1} << 20);  // nothing of it was held
}

TEST_F(StoredFile, SaveReplacesWholeFilesAndRefusesEverythingElse) {
  ASSERT_TRUE(WriteFile(dir / "private", "old"));
  ASSERT_EQ(chmod((dir / "private").c_str(), 0600), 0);
  ASSERT_EQ(SaveStoredFile(dir / "private", "new"), 1);
  struct stat st {};
  ASSERT_EQ(stat((dir / "private").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(mkdir((dir / "kept").c_str(), 0700), 0);
  ASSERT_TRUE(WriteFile(dir / "kept/real", "before"));
  ASSERT_EQ(symlink((dir / "kept/real").c_str(), (dir / "linked").c_str()), 0);
  ASSERT_EQ(SaveStoredFile(dir / "linked", "after"), 1);
  ASSERT_EQ(lstat((dir / "linked").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(dir / "kept/real"), "after");

  const std::vector<std::string> before = namesIn(dir.path());
  for (const char* name : kNotFiles) {
    std::string error;
    EXPECT_EQ(SaveStoredFile(dir / name, "x", &error), 0) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_EQ(namesIn(dir.path()), before);
  ASSERT_EQ(lstat((dir / "fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  EXPECT_EQ(SaveStoredFile(dir / "a/b/c.dat", "x"), 0);  // folders made only when asked
  EXPECT_FALSE(testing::Exists(dir / "a"));
  EXPECT_EQ(SaveStoredFile(dir / "a/b/c.dat", "x", nullptr, true), 1);
  EXPECT_EQ(ReadFile(dir / "a/b/c.dat"), "x");
}

TEST(StoredFileSave, FailedSaveLeavesTheOldFileByteForByte) {
  TempTree dir;
  const std::string old(5000, 'o');
  ASSERT_TRUE(WriteFile(dir / "data", old));
  const std::string larger(20000, 'n');
  for (rlim_t limit : {rlim_t{0}, rlim_t{4096}, rlim_t{larger.size() - 1}}) {
    std::string error;
    {
      testing::FileSizeLimit full(limit);
      EXPECT_EQ(SaveStoredFile(dir / "data", larger, &error), 0) << limit;
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(dir / "data"), old);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"data"});
  }
  if (geteuid() != 0) {  // root writes into read-only folders
    ASSERT_EQ(chmod(dir.path().c_str(), 0500), 0);
    EXPECT_EQ(SaveStoredFile(dir / "data", larger), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0700), 0);
    EXPECT_EQ(ReadFile(dir / "data"), old);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"data"});
  }
}

TEST(PathText, JoinSplitReplaceAndNormaliseTakeNamesAsBytes) {
  EXPECT_EQ(JoinPath("\\a", "/x\\"), "/x\\/\\a");  // a backslash is a name character
  EXPECT_EQ(DisplayNameOf("/a/b c/"), "b c");
  EXPECT_EQ(ReplaceAll("%f1 %f1", "%f1", "%f1x"), "%f1x %f1x");  // no rescanning
  EXPECT_EQ(LexicallyNormal("/a/./b//c/../d/"), "/a/b/d/");
  EXPECT_EQ(LexicallyNormal("/../x/.."), "/");
  EXPECT_EQ(LexicallyNormal("../a/../../b"), "../../b");
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
  const std::string portable = program + "/twinfold.dat";  // beside the program: it wins
  ASSERT_TRUE(WriteFile(portable, ""));
  EXPECT_EQ(DefaultSettingsFile(), portable);
  unlink(portable.c_str());
}

}  // namespace
}  // namespace tf
