#include "platform/path_utils.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "datatree/data_node.h"
#include "platform/shortcuts.h"
#include "platform/standard_paths.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::Exists;
using testing::TempTree;
using testing::WriteFile;

TEST(PathText, JoinAddsExactlyOneSeparator) {
  EXPECT_EQ(JoinPath("a.txt", "/"), "/a.txt");
  EXPECT_EQ(JoinPath("a.txt", "/x"), "/x/a.txt");
  EXPECT_EQ(JoinPath("/a.txt", "/x"), "/x/a.txt");
  EXPECT_EQ(JoinPath("a.txt", ""), "a.txt");
  // A backslash is an ordinary name character here.
  EXPECT_EQ(JoinPath("\\a", "/x\\"), "/x\\/\\a");
}

TEST(PathText, SplitKeepsTrailingSeparatorAndHandlesEdges) {
  std::string folder, name;
  SplitPath("/home/u/report.doc", &folder, &name);
  EXPECT_EQ(folder, "/home/u/");
  EXPECT_EQ(name, "report.doc");
  SplitPath("plain", &folder, &name);
  EXPECT_EQ(folder, "");
  EXPECT_EQ(name, "plain");
  SplitPath("/dir/", &folder, &name);
  EXPECT_EQ(folder, "/dir/");
  EXPECT_EQ(name, "");
  SplitPath("/x/y", nullptr, &name);
  EXPECT_EQ(name, "y");
  EXPECT_EQ(DisplayNameOf("/a/b c/"), "b c");
  EXPECT_EQ(DisplayNameOf("/"), "/");
}

TEST(PathText, ReplaceFindAndFields) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");                 // left to right, no overlap
  EXPECT_EQ(ReplaceAll("%f1 %f1", "%f1", "%f1x"), "%f1x %f1x");  // no rescanning
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(FindText("hello", "ll"), 2);
  EXPECT_EQ(FindText("hello", "L"), -1);
  EXPECT_EQ(FindText(std::string_view("a\0b", 3), std::string_view("\0b", 2)), 1);
  char which = 0;
  EXPECT_EQ(FindAnyOf("name;x,y", ",;", &which), 4);
  EXPECT_EQ(which, ';');
  EXPECT_EQ(FindAnyOf("abc", "xyz"), -1);
  EXPECT_EQ(FieldOffset("a|bb|c", '|', 0), 1);
  EXPECT_EQ(FieldOffset("a|bb|c", '|', 1), 4);
  EXPECT_EQ(FieldOffset("a|bb|c", '|', 2), -1);
  EXPECT_EQ(FieldOffset("a|bb|c", '|', 1, 3), -1);  // the length cuts the second separator
}

TEST(PathText, MasksIgnoreCaseAndStarDotStarMatchesAll) {
  EXPECT_TRUE(MatchesMask("Report.DOC", "*.doc"));
  EXPECT_TRUE(MatchesMask("noext", "*.*"));
  EXPECT_TRUE(MatchesMask("ÄRGER.txt", "ärger.*"));
  EXPECT_TRUE(MatchesMask("é.x", "?.x"));  // '?' is one character, not one byte
  EXPECT_FALSE(MatchesMask("ab.x", "?.x"));
  EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
  EXPECT_FALSE(MatchesMask("a.cc", "*.c"));
  EXPECT_TRUE(MatchesMask("abcbcd", "a*bcd"));  // needs backtracking
}

TEST(PathKinds, FilesFoldersAndWhatCannotBeOpened) {
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "f", "12345"));
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(PathKind(dir / "f"), PATH_FILE);
  EXPECT_EQ(PathKind("f", dir.path()), PATH_FILE);
  EXPECT_EQ(PathKind(dir.path()), PATH_FOLDER);
  EXPECT_EQ(PathKind(dir / "missing"), PATH_MISSING);
  EXPECT_EQ(PathKind(dir / "fifo"), PATH_MISSING);  // and it must not hang
  EXPECT_EQ(PathKind(""), PATH_MISSING);
  EXPECT_EQ(FileSize64(dir / "f"), 5);
  EXPECT_EQ(FileSize64(dir / "missing"), 0);
  EXPECT_EQ(FileSize64(dir.path()), 0);
  ASSERT_EQ(chmod((dir / "f").c_str(), 0), 0);
  if (geteuid() != 0) {  // root opens everything
    EXPECT_EQ(PathKind(dir / "f"), PATH_MISSING);
    EXPECT_EQ(FileSize64(dir / "f"), 0);
  }
}

TEST(PathKinds, NameKindSeesWhatHoldsANameWithoutOpeningIt) {
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "f", "1"));
  ASSERT_EQ(chmod((dir / "f").c_str(), 0), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "to-folder").c_str()), 0);
  ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
  EXPECT_EQ(NameKind(dir / "f"), NAME_FILE);  // unreadable, still a file
  EXPECT_EQ(NameKind(dir.path()), NAME_FOLDER);
  EXPECT_EQ(NameKind(dir / "to-folder"), NAME_FOLDER);
  EXPECT_EQ(NameKind(dir / "fifo"), NAME_OTHER);
  EXPECT_EQ(NameKind("/dev/null"), NAME_OTHER);
  EXPECT_EQ(NameKind(dir / "dangling"), NAME_OTHER);
  EXPECT_EQ(NameKind(dir / "gone"), NAME_FREE);
  EXPECT_EQ(NameKind(""), NAME_FREE);
}

TEST(PathText, LexicallyNormalDropsDotsWithoutTouchingTheDisk) {
  EXPECT_EQ(LexicallyNormal("/a/./b//c/../d/"), "/a/b/d/");
  EXPECT_EQ(LexicallyNormal("/../x/.."), "/");
  EXPECT_EQ(LexicallyNormal("../a/../../b"), "../../b");
  EXPECT_EQ(LexicallyNormal("a/.."), ".");
  EXPECT_EQ(LexicallyNormal("/no-such/../tmp"), "/tmp");
}

TEST(PathKinds, DriveRootIsTheMountPointEvenForMissingPaths) {
  EXPECT_EQ(DriveRoot("/"), "/");
  TempTree dir;
  const std::string root = DriveRoot(dir.path());
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(DriveRoot(dir / "not/yet/there"), root);
  EXPECT_EQ(DriveRoot("/proc/self"), "/proc");
  struct stat shm {
  }, tmp{};
  if (stat("/dev/shm", &shm) == 0 && stat("/tmp", &tmp) == 0 && shm.st_dev != tmp.st_dev) {
    EXPECT_EQ(DriveRoot("/dev/shm/x"), "/dev/shm");
  }
}

TEST(FileSearch, FindsByNameIgnoringCaseDepthFirst) {
  TempTree dir;
  ASSERT_EQ(mkdir((dir / "a").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((dir / "a/b").c_str(), 0700), 0);
  ASSERT_TRUE(WriteFile(dir / "a/b/Target.TXT", "x"));
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "a/loop").c_str()), 0);  // never followed
  std::string found;
  ASSERT_TRUE(FindFileInTree("target.txt", dir.path(), &found));
  EXPECT_EQ(found, dir / "a/b");
  EXPECT_FALSE(FindFileInTree("absent", dir.path(), &found));
  EXPECT_FALSE(FindFileInTree("x", dir / "missing", &found));
}

std::string chainText(const TreeNode* node) {
  std::string out;
  for (; node; node = node->nextSibling) {
    out += std::string(node->name ? node->name : "") + "#" + std::to_string(node->id);
    if (node->kind == 1) out += "{" + chainText(node->firstChild) + "}";
    out += ";";
  }
  return out;
}

TEST(FileSearch, ListMatchingFilesBuildsNumberedChains) {
  TempTree dir;
  for (const char* f : {"a.mcf", "B.MCF", "c.txt"}) ASSERT_TRUE(WriteFile(dir / f, ""));
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
  ASSERT_TRUE(WriteFile(dir / "sub/d.mcf", ""));
  int counter = 10;
  TreeNode* flat = ListMatchingFiles(dir.path(), "*.mcf;*.MCF", &counter, false);
  ASSERT_NE(flat, nullptr);
  int n = 0;
  for (TreeNode* node = flat; node; node = node->nextSibling, ++n) {
    EXPECT_STREQ(node->desc, (dir / node->name).c_str());
    EXPECT_EQ(node->id, 10 + n);
  }
  EXPECT_EQ(n, 2);  // each file once, although both masks match it
  EXPECT_EQ(counter, 12);
  DeleteForest(flat);

  counter = 0;
  TreeNode* deep = ListMatchingFiles(dir.path(), "*.txt; d.*", &counter, true);
  EXPECT_EQ(chainText(deep), "c.txt#0;" + (dir / "sub") + "#0{d.mcf#1;};");
  DeleteForest(deep);
  EXPECT_EQ(ListMatchingFiles(dir / "missing", "*.*", &counter, true), nullptr);
}

TEST(Shortcuts, AreSymbolicLinksThatNeverReplaceAFile) {
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "kept file", "data"));
  ASSERT_TRUE(WriteFile(dir / "taken", "mine"));
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_TRUE(CreateShortcut("kept file", dir / "link"));  // a relative target is anchored
  EXPECT_FALSE(CreateShortcut(dir / "kept file", dir / "taken"));
  EXPECT_EQ(testing::ReadFile(dir / "taken"), "mine");
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_TRUE(IsShortcutFile(dir / "link"));
  EXPECT_FALSE(IsShortcutFile(dir / "kept file"));
  EXPECT_FALSE(IsShortcutFile(""));
  std::string target = "stale";
  ASSERT_TRUE(ResolveShortcut(dir / "link", &target));
  EXPECT_EQ(target, dir / "kept file");
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  EXPECT_TRUE(IsShortcutFile(dir / "dangling"));
  EXPECT_FALSE(ResolveShortcut(dir / "dangling", &target));
  EXPECT_EQ(target, "");
  EXPECT_FALSE(ResolveShortcut(dir / "kept file", &target));
}

TEST(StandardPaths, FollowXdgVariablesAndTheirDefaults) {
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "", 1);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(DefaultSettingsFile(), "/home/someone/.config/twinfold/twinfold.dat");
  EXPECT_EQ(DefaultBackupFolder(), "/home/someone/.local/share/twinfold/Backup");
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_EQ(ConfigHome(), "/home/someone/.config");
  setenv("XDG_CONFIG_HOME", "/cfg/", 1);
  EXPECT_EQ(DefaultSettingsFile(), "/cfg/twinfold/twinfold.dat");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", savedHome.c_str(), 1);
  if (!savedData.empty()) setenv("XDG_DATA_HOME", savedData.c_str(), 1);

  const std::string program = ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(PathKind(program + "/platform_test"), PATH_FILE);
  const std::vector<std::string> collections = CollectionFolders();
  ASSERT_EQ(collections.size(), 2u);
  std::string prefix;
  SplitPath(program, &prefix, nullptr);
  EXPECT_EQ(collections[1], prefix + "share/twinfold/Filters");
  EXPECT_EQ(HelpIndexFile(), prefix + "share/twinfold/help/tfhidx.htm");
  setenv("TMPDIR", "/var/tmp//", 1);
  EXPECT_EQ(TempFolder(), "/var/tmp/");
  unsetenv("TMPDIR");
  EXPECT_EQ(TempFolder(), "/tmp/");

  // A settings file beside the program wins (portable use).
  const std::string portable = program + "/twinfold.dat";
  ASSERT_TRUE(WriteFile(portable, ""));
  EXPECT_EQ(DefaultSettingsFile(), portable);
  unlink(portable.c_str());
}

}  // namespace
}  // namespace tf
