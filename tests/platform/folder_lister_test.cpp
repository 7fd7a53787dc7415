#include "platform/folder_lister.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <map>

#include "platform/dos_attributes.h"
#include "platform/file_time.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::TempTree;
using testing::WriteFile;

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

  // Each name with its kind: f a file, d a folder, s a folder the walk skips.
  std::map<std::string, StatInfo> files;
  std::map<std::string, char> kinds;
  FolderLister lister;
  ASSERT_TRUE(lister.Open(dir.path()));
  while (lister.Next()) {
    const EntryKind kind = lister.kind();
    kinds[lister.name()] = kind == EntryKind::kFile ? 'f' : kind == EntryKind::kFolder ? 'd' : 's';
    EXPECT_TRUE(kind != EntryKind::kFile || lister.Stat(&files[lister.name()]));
  }
  EXPECT_EQ(kinds, (std::map<std::string, char>{{"plain.txt", 'f'},
                                                {longName, 'f'},
                                                {".hidden", 'f'},
                                                {"readonly", 'f'},
                                                {"sub", 'd'},
                                                {"locked", 'd'},
                                                {".Trash-1000", 's'}}));
  const StatInfo& plain = files.at("plain.txt");
  EXPECT_EQ(plain.size, 10);
  EXPECT_EQ(plain.modified, (981173106 + 11644473600LL) * 10000000 + 1234567);
  EXPECT_EQ(plain.accessed, (981173006 + 11644473600LL) * 10000000);
  EXPECT_EQ(plain.attributes, 0u);
  EXPECT_EQ(files.at(".hidden").attributes, kAttrHidden);
  EXPECT_EQ(files.at("readonly").attributes, kAttrReadOnly);

  // The locked folder: root lists it anyway, anyone else gets a clean refusal.
  FolderLister locked;
  EXPECT_EQ(locked.Open(dir / "locked"), geteuid() == 0);
  EXPECT_FALSE(locked.Open("/nonexistent/folder"));
  EXPECT_FALSE(locked.Next());
  StatInfo none;
  EXPECT_FALSE(locked.Stat(&none));
}

// In a folder of more entries than one directory read returns, every one is listed, and
// an entry that turns into a FIFO before its stat is answered false (no open may hang).
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
    fd = next;
    ASSERT_GE(fd, 0);
  }
  const int file = openat(fd, "bottom.txt", O_CREAT | O_WRONLY, 0600);
  ASSERT_EQ(write(file, "abc", 3), 3);
  close(file);
  close(fd);

  // Depth first, as the scan walks: the bottom file is reached through a 6000-byte path.
  std::string path = dir.path();
  int depth = 0;
  FolderLister lister;
  for (;;) {
    ASSERT_TRUE(lister.Open(path)) << depth;
    ASSERT_TRUE(lister.Next());
    if (lister.kind() == EntryKind::kFile) break;
    path += "/" + lister.name();
    ++depth;
  }
  EXPECT_EQ(depth, 100);
  EXPECT_GT(path.size(), 4096u);
  EXPECT_EQ(lister.name(), "bottom.txt");
  StatInfo info;
  ASSERT_TRUE(lister.Stat(&info));
  EXPECT_EQ(info.size, 3);
}

// A walk opens a folder it closed again from another open one: only when it is still the
// folder it was, never one that took its place, and never through a link.
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

  // On a file carrying the attribute a Samba share shows; the rest is the file's own.
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

}  // namespace
}  // namespace tf
