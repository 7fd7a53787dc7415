// Files on disk: listing, copying, moving, trashing, and reading and saving the program's own.
#include "platform/file_ops.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/dos_attributes.h"
#include "platform/file_time.h"
#include "platform/folder_lister.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"
#include "platform/trash.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using namespace testing;

// The trash's data folder does not exist yet when the first file is trashed (a fresh account).
const TempTree g_dataHome;
[[maybe_unused]] const int g_trashHome = setenv("XDG_DATA_HOME", (g_dataHome / "data").c_str(), 1);

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  ListFolderNames(folder, &names);
  std::sort(names.begin(), names.end());
  return names;
}

// Entries a failed copy could have left behind.
int leftovers(const std::string& folder) {
  const std::vector<std::string> names = namesIn(folder);
  return std::count_if(names.begin(), names.end(),
                       [](const std::string& n) { return n.find(".tf-copy-") != n.npos; });
}

bool differentDevices(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev != sb.st_dev;
}

// A file with known bytes, an odd mode and a modification time with nanoseconds.
std::string makeSource(const TempTree& dir, const std::string& name, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  const std::string path = dir / name;
  EXPECT_TRUE(WriteFile(path, bytes));
  EXPECT_EQ(chmod(path.c_str(), 0640), 0);
  const struct timespec times[2] = {{1000000000, 0}, {1234567890, 987654321}};
  EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  return path;
}

void expectSameFileData(const std::string& copy, const std::string& bytes) {
  const struct stat st = statOf(copy);
  EXPECT_EQ(ReadFile(copy), bytes);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
}

class AcrossFileSystems : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!differentDevices("/tmp", "/dev/shm")) GTEST_SKIP() << "/tmp and /dev/shm are one";
    m_here = std::make_unique<TempTree>("/tmp");
    m_there = std::make_unique<TempTree>("/dev/shm");
  }
  void TearDown() override { TEST_FailCopyAfterBytes(-1); }
  std::unique_ptr<TempTree> m_here, m_there;
  testing::ScriptedQuestions m_questions;
};

TEST_F(AcrossFileSystems, CancelCopyAndMoveKeepBytesTimeAndMode) {
  const std::string source = makeSource(*m_here, "big file.bin", 3 * 1024 * 1024 + 17);
  const std::string bytes = ReadFile(source);
  std::vector<int64_t> seen;
  const CopyProgress stopAtTwo = [&](int64_t copied, int64_t total) {
    EXPECT_EQ(total, static_cast<int64_t>(bytes.size()));
    seen.push_back(copied);
    return seen.size() < 2;
  };
  EXPECT_FALSE(ShellFileOp(nullptr, FO_MOVE, source, *m_there / "p.bin", false, stopAtTwo));
  EXPECT_EQ(seen, (std::vector<int64_t>{1024 * 1024, 2 * 1024 * 1024}));
  EXPECT_FALSE(Exists(*m_there / "p.bin"));
  expectSameFileData(source, bytes);
  ASSERT_TRUE(ShellFileOp(&m_questions, FO_COPY, source, *m_there / "copy.bin", true));
  expectSameFileData(*m_there / "copy.bin", bytes);
  EXPECT_EQ(ReadFile(source), bytes);
  ASSERT_TRUE(ShellFileOp(&m_questions, FO_MOVE, source, m_there->path(), true));  // own name
  EXPECT_FALSE(Exists(source));
  expectSameFileData(*m_there / "big file.bin", bytes);
  EXPECT_TRUE(m_questions.asked.empty());
  EXPECT_EQ(leftovers(m_there->path()), 0);
}

// A full disk halfway, a declined or unconfirmed replacement: both files stay as they were.
TEST_F(AcrossFileSystems, FailedOrDeclinedCopiesChangeNothing) {
  const std::string source = makeSource(*m_here, "same name", 2 * 1024 * 1024);
  const std::string bytes = ReadFile(source);
  const std::string target = *m_there / "same name";
  TEST_FailCopyAfterBytes(1024 * 1024 + 5);
  EXPECT_FALSE(ShellFileOp(&m_questions, FO_MOVE, source, target, true));
  EXPECT_FALSE(ShellFileOp(&m_questions, FO_COPY, source, target, true));
  EXPECT_FALSE(Exists(target));
  EXPECT_EQ(leftovers(m_there->path()), 0);
  expectSameFileData(source, bytes);
  ASSERT_TRUE(WriteFile(target, "theirs"));
  m_questions.answers = {IDYES};
  EXPECT_FALSE(ShellFileOp(&m_questions, FO_MOVE, source, target, true));
  EXPECT_EQ(ReadFile(target), "theirs");
  TEST_FailCopyAfterBytes(-1);
  m_questions.answers = {IDNO, IDCANCEL};
  EXPECT_FALSE(ShellFileOp(&m_questions, FO_MOVE, source, target, true));
  EXPECT_FALSE(ShellFileOp(&m_questions, FO_COPY, source, m_there->path(), true));
  ASSERT_EQ(m_questions.asked.size(), 3u);
  EXPECT_EQ(m_questions.asked[1].text.rfind(target + "\n", 0), 0u);  // names the file
  // Unconfirmed: nothing asked, nothing overwritten.
  EXPECT_FALSE(ShellFileOp(&m_questions, FO_MOVE, source, target, false));
  EXPECT_FALSE(ShellFileOp(nullptr, FO_COPY, source, target, true));
  EXPECT_EQ(m_questions.asked.size(), 3u);
  EXPECT_EQ(ReadFile(target), "theirs");
  EXPECT_EQ(ReadFile(source), bytes);
}

TEST(FileOps, WithinAFileSystemAMoveIsARenameAndACopyReplacesWhole) {
  TempTree dir;
  const std::string source = makeSource(dir, "a", 10);
  const ino_t inode = statOf(source).st_ino;
  ASSERT_EQ(mkdir((dir / "to").c_str(), 0700), 0);
  ASSERT_TRUE(ShellFileOp(nullptr, FO_MOVE, source, dir / "to/b", false));
  EXPECT_EQ(statOf(dir / "to/b").st_ino, inode);
  EXPECT_FALSE(Exists(source));
  // Never onto itself, nor onto a hard link of itself.
  ASSERT_EQ(link((dir / "to/b").c_str(), (dir / "to/c").c_str()), 0);
  testing::ScriptedQuestions questions;
  questions.answers = {IDYES};
  EXPECT_FALSE(ShellFileOp(&questions, FO_MOVE, dir / "to/b", dir / "to/c", true));
  EXPECT_FALSE(ShellFileOp(&questions, FO_COPY, dir / "to/b", dir / "to/b", true));
  EXPECT_EQ(ReadFile(dir / "to/b").size(), 10u);
  EXPECT_FALSE(ShellFileOp(nullptr, FO_MOVE, dir / "missing", dir / "x", false));
  // The backup store's copy: kept when asked to, else replaced, never half written.
  ASSERT_TRUE(WriteFile(dir / "src", "data"));
  ASSERT_TRUE(WriteFile(dir / "dst", "keep"));
  EXPECT_EQ(CopyFileHooked("src", "", dir.path(), dir / "missing-folder", false), 0);
  EXPECT_EQ(CopyFileHooked("src", "dst", dir.path(), dir.path(), true), 0);
  EXPECT_EQ(ReadFile(dir / "dst"), "keep");
  EXPECT_EQ(CopyFileHooked("src", "dst", dir.path(), dir.path(), false), 1);
  EXPECT_EQ(ReadFile(dir / "dst"), "data");
  EXPECT_EQ(leftovers(dir.path()), 0);
}

// Files of one name and over-long names are the file actions' tests.
TEST(Trash, ADeletedFileLandsInTheUsersTrashWithItsPathByteForByte) {
  TempTree dir;
  const std::string odd = "odd\xff\xfe name%.txt";
  ASSERT_TRUE(WriteFile(dir / odd, "keep me"));
  // The trash must not depend on the current folder (Qt 6.4 would use ./files).
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  testing::ScriptedQuestions questions;
  questions.answers = {IDNO, IDYES};
  EXPECT_FALSE(ShellDelete(&questions, odd, dir.path(), true));
  EXPECT_TRUE(Exists(dir / odd));
  EXPECT_TRUE(ShellDelete(&questions, odd, dir.path(), true));
  ASSERT_EQ(chdir("/"), 0);
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(questions.asked[0].text.rfind(dir / odd + "\n", 0), 0u);
  EXPECT_FALSE(Exists(dir / odd));
  EXPECT_FALSE(Exists(dir / "files"));
  const std::string trash = DataHome() + "/Trash";
  EXPECT_EQ(ReadFile(trash + "/files/" + odd), "keep me");
  EXPECT_EQ(statOf(trash).st_mode & 0777, 0700u);
  const std::string info = ReadFile(trash + "/info/" + odd + ".trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + PercentEncodePath(dir / odd) + "\nDeletionDate=", 0),
            0u)
      << info;
  EXPECT_NE(info.find("%FF%FE%20name%25.txt"), std::string::npos);
  ASSERT_TRUE(WriteFile(dir / "second", "second"));
  EXPECT_TRUE(ShellDelete(nullptr, "second", dir.path(), false));
  EXPECT_EQ(ReadFile(trash + "/files/second"), "second");
  EXPECT_FALSE(ShellDelete(nullptr, "second", dir.path(), false));
  if (differentDevices("/dev/shm", "/tmp")) {
    TempTree shm("/dev/shm");
    ASSERT_TRUE(WriteFile(shm / odd, "far"));
    std::string far;
    if (MoveToTrash(shm / odd, &far)) {
      EXPECT_EQ(far.rfind("/dev/shm/.Trash", 0), 0u) << far;
      EXPECT_EQ(ReadFile(far), "far");
      std::string files, farName;
      SplitPath(far, &files, &farName);
      const std::string record = files + "../info/" + farName + ".trashinfo";
      // Records at the top of a file system hold paths relative to it.
      EXPECT_NE(ReadFile(record).find("Path=" + PercentEncodePath(shm.path().substr(9))),
                std::string::npos);
      unlink(far.c_str());
      unlink(record.c_str());
    } else {
      EXPECT_EQ(ReadFile(shm / odd), "far");
    }
  }
}

TEST(FolderLister, YieldsExactlyTheRegularFilesOfAHostileFolder) {
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "plain.txt", "0123456789"));
  const std::string longName = std::string(246, 'n') + ".txt";  // 250 bytes
  for (const std::string& empty : {longName, std::string(".hidden"), std::string("readonly")})
    ASSERT_TRUE(WriteFile(dir / empty, ""));
  ASSERT_EQ(chmod((dir / "readonly").c_str(), 0444), 0);
  ASSERT_EQ(symlink("plain.txt", (dir / "link to file").c_str()), 0);
  ASSERT_EQ(symlink("self", (dir / "self").c_str()), 0);  // a loop of one
  ASSERT_EQ(symlink(".", (dir / "dot link").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  dir.Folder("sub"), dir.Folder(".Trash-1000");
  ASSERT_TRUE(WriteFile(dir.Folder("locked") + "/inside", ""));
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
  const struct timespec times[2] = {{981173006, 0}, {981173106, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "plain.txt").c_str(), times, 0), 0);
  // f a file, d a folder, s a folder the walk skips.
  std::map<std::string, StatInfo> files;
  std::map<std::string, char> kinds;
  FolderLister lister;
  ASSERT_TRUE(lister.Open(dir.path()));
  while (lister.Next()) {
    const EntryKind kind = lister.kind();
    kinds[lister.name()] = kind == EntryKind::kFile ? 'f' : kind == EntryKind::kFolder ? 'd' : 's';
    EXPECT_TRUE(kind != EntryKind::kFile || lister.Stat(&files[lister.name()]));
  }
  std::string listed;
  for (const auto& [name, kind] : kinds) listed += name + ":" + kind + " ";
  EXPECT_EQ(listed,
            ".Trash-1000:s .hidden:f locked:d " + longName + ":f plain.txt:f readonly:f sub:d ");
  const StatInfo& plain = files.at("plain.txt");
  EXPECT_EQ(plain.size, 10);
  EXPECT_EQ(plain.attributes, 0u);
  EXPECT_EQ(plain.modified, (981173106 + 11644473600LL) * 10000000 + 1234567);
  EXPECT_EQ(plain.accessed, (981173006 + 11644473600LL) * 10000000);
  EXPECT_EQ(files.at(".hidden").attributes, kAttrHidden);
  EXPECT_EQ(files.at("readonly").attributes, kAttrReadOnly);
  FolderLister locked;  // root lists it anyway, anyone else gets a clean refusal
  EXPECT_EQ(locked.Open(dir / "locked"), geteuid() == 0);
  EXPECT_FALSE(locked.Open("/nonexistent/folder"));
  EXPECT_FALSE(locked.Next());
  StatInfo none;
  EXPECT_FALSE(locked.Stat(&none));
}

// More entries than one directory read returns; one turning into a FIFO must not hang a stat.
TEST(FolderLister, ListsEveryEntryAndRefusesOnesChangedBeforeTheirStat) {
  TempTree dir;
  for (int i = 0; i < 3000; ++i) ASSERT_TRUE(WriteFile(dir / ("f" + std::to_string(i)), ""));
  FolderLister lister;
  ASSERT_TRUE(lister.Open(dir.path()));
  int statted = 0;
  while (lister.Next()) {
    StatInfo info;
    if (lister.name() == "f7") {
      ASSERT_EQ(unlink((dir / "f7").c_str()), 0);
      ASSERT_EQ(mkfifo((dir / "f7").c_str(), 0600), 0);
      EXPECT_FALSE(lister.Stat(&info));
    } else {
      statted += lister.Stat(&info);
    }
  }
  EXPECT_EQ(statted, 2999);
}

TEST(FolderLister, WalksAFolderChainDeeperThanPathMax) {
  TempTree dir;
  const std::string part(60, 'd');
  int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  for (int depth = 0; depth < 100; ++depth) {
    ASSERT_EQ(mkdirat(fd, part.c_str(), 0700), 0);
    const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    ASSERT_GE(fd = next, 0);
  }
  const int file = openat(fd, "bottom.txt", O_CREAT | O_WRONLY, 0600);
  ASSERT_EQ(write(file, "abc", 3), 3);
  close(file);
  close(fd);
  std::string path = dir.path();
  int depth = 0;
  FolderLister lister;
  for (; lister.Open(path) && lister.Next() && lister.kind() == EntryKind::kFolder; ++depth)
    path += "/" + lister.name();
  EXPECT_EQ(depth, 100);
  EXPECT_GT(path.size(), 4096u);
  ASSERT_EQ(lister.name(), "bottom.txt");
  StatInfo info;
  ASSERT_TRUE(lister.Stat(&info));
  EXPECT_EQ(info.size, 3);
}

// A closed folder is reopened only while it is still the same folder, and never via a link.
TEST(FolderLister, ReopenFindsOnlyTheSameFolderAgain) {
  TempTree dir;
  dir.Folder("a/b/c");
  ASSERT_EQ(symlink("b", (dir / "a/link").c_str()), 0);
  FolderLister lister;
  FolderHandle a, b, c, again;
  ASSERT_TRUE(lister.OpenHandle(dir.Path("a"), &a));
  ASSERT_TRUE(lister.OpenHandle(dir.Path("a/b"), &b));
  ASSERT_TRUE(lister.OpenHandle(dir.Path("a/b/c"), &c));
  FolderLister::CloseHandle(&b);
  ASSERT_TRUE(FolderLister::Reopen(c, "..", b.device, b.inode, &again));
  FolderLister::CloseHandle(&again);
  ASSERT_TRUE(FolderLister::Reopen(a, "b", b.device, b.inode, &again));
  FolderLister::CloseHandle(&again);
  EXPECT_FALSE(FolderLister::Reopen(a, "link", b.device, b.inode, &again));
  EXPECT_FALSE(FolderLister::Reopen(a, "b/c", b.device, b.inode, &again));
  ASSERT_EQ(rename((dir / "a/b").c_str(), (dir / "a/moved").c_str()), 0);
  ASSERT_EQ(mkdir((dir / "a/b").c_str(), 0700), 0);
  EXPECT_FALSE(FolderLister::Reopen(a, "b", b.device, b.inode, &again));
  EXPECT_EQ(again.fd, -1);
  ASSERT_TRUE(FolderLister::Reopen(c, "..", b.device, b.inode, &again));
  for (FolderHandle* h : {&again, &a, &c}) FolderLister::CloseHandle(h);
}

TEST(DosAttributes, ReadFromTheExtendedAttributesOfNtfsAndSamba) {
  const unsigned char be[4] = {0, 0, 0, 0x27};  // read-only, hidden, system, archive
  const unsigned char le[4] = {0x24, 0, 0, 0};
  EXPECT_EQ(DecodeDosAttributeValue(be, 4, true), kAttrSystem | kAttrArchive);
  EXPECT_EQ(DecodeDosAttributeValue(be, 3, true), 0u);  // damaged value
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "a.txt", "x"));
  if (setxattr((dir / "a.txt").c_str(), "user.cifs.dosattrib", le, 4, 0) != 0)
    GTEST_SKIP() << "no user extended attributes here";
  const int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ReadDosAttributes(fd, "a.txt", DosAttributeSource::kSamba), kAttrSystem | kAttrArchive);
  EXPECT_EQ(ReadDosAttributes(fd, "a.txt", DosAttributeSource::kNtfs), 0u);
  EXPECT_EQ(ReadDosAttributes(fd, "missing", DosAttributeSource::kSamba), 0u);
  close(fd);
}

// Names of each kind that is not a file; a FIFO would hang a blocking open, hence the alarm.
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
  EXPECT_EQ(statOf(dir / "private").st_mode & 0777, 0600u);
  ASSERT_EQ(mkdir((dir / "kept").c_str(), 0700), 0);
  ASSERT_TRUE(WriteFile(dir / "kept/real", "before"));
  ASSERT_EQ(symlink((dir / "kept/real").c_str(), (dir / "linked").c_str()), 0);
  ASSERT_EQ(SaveStoredFile(dir / "linked", "after"), 1);
  EXPECT_TRUE(S_ISLNK(statOf(dir / "linked").st_mode));
  EXPECT_EQ(ReadFile(dir / "kept/real"), "after");
  const std::vector<std::string> before = namesIn(dir.path());
  for (const char* name : kNotFiles) {
    std::string error;
    EXPECT_EQ(SaveStoredFile(dir / name, "x", &error), 0) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_EQ(namesIn(dir.path()), before);
  EXPECT_TRUE(S_ISFIFO(statOf(dir / "fifo").st_mode));
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

// What killed saves and copies left goes with the next write into their folder; a temporary
// that a running program holds stays, and so do names that only look alike and links.
// Temporary names do not grow with the saved file's name.
TEST(StoredFileSave, NextWriteTidiesOnlyTemporariesNobodyHolds) {
  TempTree dir, outside;
  ASSERT_TRUE(WriteFile(outside / "victim", "precious"));
  const std::vector<std::string> stale = {"twinfold.dat.tmp-4242-0-0badc0de", ".tf-save-1-2-3",
                                          ".tf-copy-AbC123"};
  const std::vector<std::string> kept = {".tf-copy-held", ".tf-save-link", "notes.tmp-1-2",
                                         "a.tmp-x-1-0badc0de"};
  for (const std::string& name : stale) ASSERT_TRUE(WriteFile(dir / name, "partial"));
  for (const std::string& name : kept) {
    if (name != ".tf-save-link") {
      ASSERT_TRUE(WriteFile(dir / name, "kept"));
    }
  }
  ASSERT_EQ(symlink((outside / "victim").c_str(), (dir / ".tf-save-link").c_str()), 0);
  const int held = open((dir / ".tf-copy-held").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const std::string longName(255, 'n');
  ASSERT_EQ(SaveStoredFile(dir / longName, "new"), 1);
  std::vector<std::string> expected = kept;
  expected.push_back(longName);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn(dir.path()), expected);
  EXPECT_EQ(ReadFile(outside / "victim"), "precious");
  close(held);

  // A copy tidies the folder it writes into.
  TempTree target;
  ASSERT_TRUE(WriteFile(target / ".tf-copy-Old123", "partial"));
  ASSERT_TRUE(WriteFile(dir / "source", "bytes"));
  ASSERT_EQ(CopyFileHooked("source", "", dir.path(), target.path(), true), 1);
  EXPECT_EQ(namesIn(target.path()), std::vector<std::string>{"source"});
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
