// "Share storage" on real file systems made for the test in loop-mounted images: on btrfs
// and XFS the copies come to use the kept copy's blocks (filefrag says where they lie)
// with their bytes, times and permissions as they were; a file that changed, a FIFO or a
// link put in a file's place, and files on ext4, tmpfs or two file systems are left as
// they are, with the reason.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/shared_storage.h"
#include "tests/support/loop_mount.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// Writes `bytes` to `path` for good (on disk, so that filefrag sees blocks) with the
// modification time `seconds`.`nanoseconds`.
void put(const std::string& path, const std::string& bytes, time_t seconds, long nanoseconds) {
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(testing::WriteFile(path, bytes)) << path;
  const int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  fsync(fd);
  close(fd);
  const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct Looked {
  timespec modified{};
  mode_t mode = 0;
  ino_t inode = 0;
};

Looked look(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return {st.st_mtim, st.st_mode, st.st_ino};
}

bool operator==(const Looked& a, const Looked& b) {
  return a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
         a.mode == b.mode && a.inode == b.inode;
}

class ShareStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", home.Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", home.Path("data").c_str(), 1);
    setenv("XDG_STATE_HOME", home.Path("state").c_str(), 1);
    setenv("XDG_CACHE_HOME", home.Path("cache").c_str(), 1);
  }
  // twinfold-cli with these arguments; its exit status, its output (both streams) in *out.
  int cli(std::vector<std::string> args, std::string* out) {
    args.insert(args.begin(), TWINFOLD_CLI);
    return RunProgram(args, out);
  }
  // Searches `folder` (names alike, any size and time) into a results file.
  std::string search(const std::string& folder) {
    const std::string results = home.Path("found.twinfold.json");
    std::string out;
    EXPECT_EQ(
        cli({"--time", "any", "--size", "any", "--format", "json", "--output", results, folder},
            &out),
        0)
        << out;
    return results;
  }
  std::string journal() { return ReadFile(home.Path("state/twinfold/journal")); }

  testing::TempTree home;
};

class ShareOnFileSystem : public ShareStorage,
                          public ::testing::WithParamInterface<std::pair<const char*, int>> {};

// Three copies of a file just over 16 MiB (so that the kernel is asked more than once) with an
// odd end, a fourth whose last byte differs, and two small files: the copies end up on
// the kept file's blocks, every byte, time and mode as before; undo says there is nothing
// to take back.
TEST_P(ShareOnFileSystem, CopiesUseTheKeptCopysBlocksAndKeepTheirBytesAndTimes) {
  LoopMount disk(GetParam().first, GetParam().second);
  ASSERT_TRUE(disk.ok()) << disk.problem();
  const std::string big = testing::RandomBytes((size_t{16} << 20) + 1234, 7);
  std::string other = big;
  other.back() ^= 1;
  put(disk.Path("a/big.bin"), big, 1700000000, 111111111);
  put(disk.Path("b/big.bin"), big, 1700000100, 222222222);
  put(disk.Path("c/big.bin"), big, 1700000200, 333333333);
  put(disk.Path("d/big.bin"), other, 1700000300, 444444444);
  put(disk.Path("a/small.txt"), "same bytes", 1700000000, 5);
  put(disk.Path("b/small.txt"), "same bytes", 1700000000, 6);
  ASSERT_EQ(chmod(disk.Path("c/big.bin").c_str(), 0640), 0);
  const std::vector<std::string> copies = {"b/big.bin", "c/big.bin", "b/small.txt"};
  std::vector<Looked> before;
  for (const char* name : {"a/big.bin", "b/big.bin", "c/big.bin", "d/big.bin", "b/small.txt"})
    before.push_back(look(disk.Path(name)));

  const std::string results = search(disk.path());
  std::string out;
  // Not yet verified: the groups are verified first, and d/big.bin leaves its group.
  ASSERT_EQ(cli({"act", results, "--keep", "first", "--action", "share", "--dry-run"}, &out), 0)
      << out;
  EXPECT_EQ(out, "share " + disk.Path("b/big.bin") + " (keeping " + disk.Path("a/big.bin") +
                     ")\nshare " + disk.Path("c/big.bin") + " (keeping " + disk.Path("a/big.bin") +
                     ")\nshare " + disk.Path("b/small.txt") + " (keeping " +
                     disk.Path("a/small.txt") +
                     ")\nWould share 33 556 910 bytes (32.00 MB) in 3 files.\n");
  EXPECT_FALSE(SharesBlocksWith(disk.Path("b/big.bin"), disk.Path("a/big.bin")));
  EXPECT_EQ(journal().find("\"share\""), std::string::npos);  // a dry run journals nothing

  ASSERT_EQ(cli({"act", results, "--keep", "first", "--action", "share"}, &out), 0) << out;
  EXPECT_NE(out.find("\nShared 33 556 910 bytes (32.00 MB) in 3 files.\n"), std::string::npos)
      << out;
  EXPECT_TRUE(SharesBlocksWith(disk.Path("b/big.bin"), disk.Path("a/big.bin")));
  EXPECT_TRUE(SharesBlocksWith(disk.Path("c/big.bin"), disk.Path("a/big.bin")));
  EXPECT_FALSE(SharesBlocksWith(disk.Path("d/big.bin"), disk.Path("a/big.bin")));
  EXPECT_EQ(ReadFile(disk.Path("a/big.bin")), big);
  EXPECT_EQ(ReadFile(disk.Path("b/big.bin")), big);
  EXPECT_EQ(ReadFile(disk.Path("c/big.bin")), big);
  EXPECT_EQ(ReadFile(disk.Path("d/big.bin")), other);
  EXPECT_EQ(ReadFile(disk.Path("b/small.txt")), "same bytes");
  size_t i = 0;
  for (const char* name : {"a/big.bin", "b/big.bin", "c/big.bin", "d/big.bin", "b/small.txt"})
    EXPECT_TRUE(look(disk.Path(name)) == before[i++]) << name;  // times, mode, inode
  EXPECT_NE(journal().find("\"kind\":\"share\""), std::string::npos);

  // Nothing to take back; the action is then done with, and undo looks no further.
  ASSERT_EQ(cli({"undo"}, &out), 0) << out;
  EXPECT_NE(out.find(": Share storage of 3 files: there is nothing to undo. Sharing storage never "
                     "changed the files' contents"),
            std::string::npos)
      << out;
  EXPECT_TRUE(SharesBlocksWith(disk.Path("b/big.bin"), disk.Path("a/big.bin")));
  EXPECT_EQ(ReadFile(disk.Path("b/big.bin")), big);
  EXPECT_EQ(cli({"undo"}, &out), 1);
  EXPECT_EQ(out, "twinfold-cli undo: the journal holds no action that can be undone\n");
  ASSERT_EQ(cli({"journal"}, &out), 0) << out;
  EXPECT_NE(out.find("Share storage of 3 files  (undone)\n"), std::string::npos) << out;
  EXPECT_NE(out.find("shares storage: " + disk.Path("c/big.bin") + " with " +
                     disk.Path("a/big.bin") + " [undone]"),
            std::string::npos)
      << out;
}

// What the kernel must never be handed: a file whose bytes changed since they were
// compared (its size and time put back), a FIFO or a link in a copy's place, and a copy
// on another file system. Each is left as it is, with its reason.
TEST_P(ShareOnFileSystem, ChangedFilesFifosLinksAndOtherFileSystemsAreLeftAlone) {
  LoopMount disk(GetParam().first, GetParam().second);
  ASSERT_TRUE(disk.ok()) << disk.problem();
  const std::string bytes = testing::RandomBytes(300000, 3);
  std::string changed = bytes;
  changed[150000] ^= 1;
  put(disk.Path("kept.bin"), bytes, 1700000000, 0);
  put(disk.Path("changed.bin"), changed, 1700000000, 0);  // as if edited since, time put back
  const int64_t fileTime = (int64_t{1700000000} + 11644473600) * 10000000;
  ShareReport report =
      tf::ShareStorage(disk.Path("kept.bin"), disk.Path("changed.bin"), 300000, fileTime);
  EXPECT_EQ(report.outcome, ShareOutcome::kDiffers) << report.why;
  EXPECT_EQ(ReadFile(disk.Path("changed.bin")), changed);
  EXPECT_FALSE(SharesBlocksWith(disk.Path("changed.bin"), disk.Path("kept.bin")));

  ASSERT_EQ(mkfifo(disk.Path("fifo.bin").c_str(), 0600), 0);
  report = tf::ShareStorage(disk.Path("kept.bin"), disk.Path("fifo.bin"), 300000, fileTime);
  EXPECT_EQ(report.outcome, ShareOutcome::kChanged);  // and no hang on the open
  EXPECT_EQ(report.why, "\"" + disk.Path("fifo.bin") + "\" is no regular file now");
  put(disk.Path("target.bin"), bytes, 1700000000, 0);
  fs::create_symlink(disk.Path("target.bin"), disk.Path("link.bin"));
  report = tf::ShareStorage(disk.Path("kept.bin"), disk.Path("link.bin"), 300000, fileTime);
  EXPECT_EQ(report.outcome, ShareOutcome::kChanged);
  EXPECT_FALSE(SharesBlocksWith(disk.Path("target.bin"), disk.Path("kept.bin")));

  const std::string elsewhere = home.Path("elsewhere.bin");
  put(elsewhere, bytes, 1700000000, 0);
  EXPECT_NE(WhyCannotShare(disk.Path("kept.bin"), elsewhere), "");
  report = tf::ShareStorage(disk.Path("kept.bin"), elsewhere, 300000, fileTime);
  EXPECT_EQ(report.outcome, ShareOutcome::kCannotShare);
  EXPECT_EQ(report.why,
            "it lies on another file system than the kept copy \"" + disk.Path("kept.bin") + "\"");

  // The same file, unchanged, shares; asked again, it is shared still.
  EXPECT_EQ(WhyCannotShare(disk.Path("kept.bin"), disk.Path("target.bin")), "");
  for (int round = 0; round < 2; ++round) {
    report = tf::ShareStorage(disk.Path("kept.bin"), disk.Path("target.bin"), 300000, fileTime);
    EXPECT_EQ(report.outcome, ShareOutcome::kShared) << report.why;
    EXPECT_EQ(report.bytes, 300000);
  }
  EXPECT_TRUE(SharesBlocksWith(disk.Path("target.bin"), disk.Path("kept.bin")));
  EXPECT_EQ(tf::ShareStorage(disk.Path("kept.bin"), disk.Path("target.bin"), 300000, fileTime + 1)
                .outcome,
            ShareOutcome::kChanged);
}

INSTANTIATE_TEST_SUITE_P(BtrfsAndXfs, ShareOnFileSystem,
                         ::testing::Values(std::make_pair("btrfs", 256),
                                           std::make_pair("xfs", 300)),
                         [](const auto& info) { return std::string(info.param.first); });

// ext4 and tmpfs cannot share: the command says so, exits 1 and changes nothing, not even
// the journal. An XFS made without reflink looks able to share until the kernel refuses:
// the file is named with the reason and stays as it was.
TEST_F(ShareStorage, FileSystemsThatCannotShareAreRefusedAndNothingChanges) {
  struct Case {
    const char* type;
    int megabytes;
    std::vector<std::string> options;
    std::string said;  // after "twinfold-cli act: ", "%" standing for the copy's path
  };
  const std::string cannot = "cannot share %: the file system of \"%\" (";
  const Case cases[] = {
      {"ext4", 32, {}, cannot + "ext4) cannot share storage between files; btrfs and XFS can\n"},
      {"tmpfs", 16, {}, cannot + "tmpfs) cannot share storage between files; btrfs and XFS can\n"},
      {"xfs",
       300,
       {"-m", "reflink=0"},
       "skipped %: the file system of \"%\" (XFS) refused to share storage (made without "
       "reflink?)\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    LoopMount disk(c.type, c.megabytes, c.options);
    ASSERT_TRUE(disk.ok()) << disk.problem();
    put(disk.Path("one/n.bin"), "twin bytes", 1700000000, 0);
    put(disk.Path("two/n.bin"), "twin bytes", 1700000000, 0);
    const Looked before = look(disk.Path("two/n.bin"));
    std::string out, said = "twinfold-cli act: " + c.said;
    for (size_t at; (at = said.find('%')) != std::string::npos;)
      said.replace(at, 1, disk.Path("two/n.bin"));
    EXPECT_EQ(cli({"act", search(disk.path()), "--keep", "first", "--action", "share"}, &out), 1);
    EXPECT_EQ(out, said + (c.options.empty() ? "twinfold-cli act: nothing was shared\n"
                                             : "Shared 0 bytes in 0 files.\n"));
    EXPECT_TRUE(look(disk.Path("two/n.bin")) == before);
    EXPECT_EQ(ReadFile(disk.Path("two/n.bin")), "twin bytes");
    if (c.options.empty()) {
      EXPECT_EQ(journal().find("share"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tf
