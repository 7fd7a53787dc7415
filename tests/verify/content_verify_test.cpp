// Verification of contents on real files, against a reference that reads every file whole.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/content_read.h"
#include "platform/file_time.h"
#include "platform/path_status.h"
#include "platform/stored_file.h"
#include "results/content_verify.h"
#include "results/hash_cache.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::TempTree;

VerifyFile asFound(const std::string& path) {
  PathStatus status;
  StatPath(path, &status, false);
  return VerifyFile{path, status.size, status.modified};
}

// The reference: files of a group with the very same bytes, as sets of two or more.
std::vector<std::vector<size_t>> referenceSets(const VerifyGroup& group) {
  std::map<std::string, std::vector<size_t>> byContent;
  for (size_t i = 0; i < group.size(); ++i)
    byContent[testing::ReadFile(group[i].path)].push_back(i);
  std::vector<std::vector<size_t>> sets;
  for (auto& entry : byContent)
    if (entry.second.size() >= 2) sets.push_back(entry.second);
  std::sort(sets.begin(), sets.end());
  return sets;
}

std::string bytesWith(size_t size, size_t changedAt = std::string::npos, char seed = 'a') {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i % 23);
  if (changedAt < size) bytes[changedAt] ^= 0x55;
  return bytes;
}

struct Case {
  const char* what;
  std::vector<std::string> contents;  // one file each, all in one group
};

TEST(VerifyContents, AgreesWithReadingEveryFile) {
  const size_t b = static_cast<size_t>(kFirstBlockBytes);
  const std::vector<Case> cases = {
      {"differ in the first byte", {bytesWith(9000), bytesWith(9000, 0)}},
      {"differ in a middle byte", {bytesWith(9000), bytesWith(9000, 4500), bytesWith(9000)}},
      {"differ in the last byte", {bytesWith(9000), bytesWith(9000, 8999), bytesWith(9000)}},
      {"empty files", {"", "", ""}},
      {"one byte short of the block",
       {bytesWith(b - 1), bytesWith(b - 1), bytesWith(b - 1, b - 2)}},
      {"the block exactly", {bytesWith(b), bytesWith(b, b - 1), bytesWith(b)}},
      {"one byte past the block", {bytesWith(b + 1), bytesWith(b + 1, b), bytesWith(b + 1)}},
      {"differ only after the first read buffer",
       {bytesWith(3 << 20), bytesWith(3 << 20, (3 << 20) - 7), bytesWith(3 << 20)}},
      {"many files splitting into several",
       {bytesWith(5000, std::string::npos, 'a'), bytesWith(5000, std::string::npos, 'b'),
        bytesWith(5000, std::string::npos, 'a'), bytesWith(5000, std::string::npos, 'c'),
        bytesWith(5000, std::string::npos, 'b'), bytesWith(5000, std::string::npos, 'a'),
        bytesWith(5000, 4999, 'c')}},
      {"sizes differ", {bytesWith(100), bytesWith(101), bytesWith(100)}},
  };
  TempTree tree;
  std::vector<VerifyGroup> groups;
  for (size_t c = 0; c < cases.size(); ++c) {
    VerifyGroup group;
    for (size_t f = 0; f < cases[c].contents.size(); ++f) {
      const std::string path = tree.Folder("g" + std::to_string(c)) + "/f " + std::to_string(f);
      ASSERT_TRUE(testing::WriteFile(path, cases[c].contents[f]));
      group.push_back(asFound(path));
    }
    groups.push_back(group);
  }
  for (const int readers : {1, 4}) {
    VerifyOptions options;
    options.solidStateReaders = readers;
    VerifyOutcome outcome;
    ASSERT_EQ(VerifyContents(groups, options, &outcome), 1);
    EXPECT_TRUE(outcome.leftOut.empty());
    for (size_t c = 0; c < cases.size(); ++c)
      EXPECT_EQ(outcome.sets[c], referenceSets(groups[c])) << cases[c].what << ", " << readers;
  }
}

TEST(VerifyContents, ReadsOnlyWhatMustBeRead) {
  TempTree tree;
  // Two 4 GiB sparse files that differ in their first byte: one block each is read.
  const int64_t big = int64_t{4} << 30;
  const std::string a = tree.File("a", big);
  const std::string b = tree.File("b", big);
  {
    FILE* f = fopen(b.c_str(), "r+");
    ASSERT_NE(f, nullptr);
    fputc('x', f);
    fclose(f);
  }
  const std::string small1 = tree.File("s1", 10);
  const std::string small2 = tree.File("s2", 11);
  const int64_t before = TEST_ContentBytesRead();
  const auto start = std::chrono::steady_clock::now();
  VerifyOutcome outcome;
  ASSERT_EQ(
      VerifyContents({{asFound(a), asFound(b)}, {asFound(small1), asFound(small2)}}, {}, &outcome),
      1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(TEST_ContentBytesRead() - before, 2 * kFirstBlockBytes);  // sizes differ: unread
  EXPECT_TRUE(outcome.sets[0].empty());
  EXPECT_TRUE(outcome.sets[1].empty());
}

TEST(VerifyContents, FilesThatCannotBeComparedLeaveWithTheirReason) {
  TempTree tree;
  const std::string content = bytesWith(6000);
  std::vector<std::string> paths;
  for (const char* name : {"a", "b", "fifo", "link", "changed", "gone"}) {
    paths.push_back(tree / name);
    ASSERT_TRUE(testing::WriteFile(paths.back(), content));
  }
  VerifyGroup group;
  for (const std::string& path : paths) group.push_back(asFound(path));
  // After the search: a FIFO and a link take two files' places, one file grows, one goes.
  ASSERT_EQ(unlink(paths[2].c_str()), 0);
  ASSERT_EQ(mkfifo(paths[2].c_str(), 0600), 0);
  ASSERT_EQ(unlink(paths[3].c_str()), 0);
  ASSERT_EQ(symlink(paths[0].c_str(), paths[3].c_str()), 0);
  ASSERT_TRUE(testing::WriteFile(paths[4], content + "more"));
  ASSERT_EQ(unlink(paths[5].c_str()), 0);
  VerifyOutcome outcome;
  ASSERT_EQ(VerifyContents({group}, {}, &outcome), 1);
  EXPECT_EQ(outcome.sets[0], (std::vector<std::vector<size_t>>{{0, 1}}));
  std::map<size_t, std::string> reasons;
  for (const LeftOutFile& left : outcome.leftOut) reasons[left.file] = left.reason;
  EXPECT_EQ(reasons, (std::map<size_t, std::string>{{2, "is not a regular file"},
                                                    {3, "is not a regular file"},
                                                    {4, "changed since the search"},
                                                    {5, "does not exist"}}));
  // A file that cannot be opened is not proven equal either.
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(paths[1].c_str(), 0), 0);
    ASSERT_EQ(VerifyContents({{group[0], group[1]}}, {}, &outcome), 1);
    EXPECT_TRUE(outcome.sets[0].empty());
    ASSERT_EQ(outcome.leftOut.size(), 1u);
    EXPECT_EQ(outcome.leftOut[0].reason, "Permission denied");
  }
}

// Sets the file's modification time back to what it was, keeping its new bytes.
void keepTime(const std::string& path, const VerifyFile& found) {
  const std::timespec ts = TimespecFromFileTime(found.modified);
  const timespec times[2] = {ts, ts};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(VerifyContents, CacheSavesReadingButSeesEveryChange) {
  TempTree tree;
  const std::string content = bytesWith(200000);
  const std::string a = tree / "a", b = tree / "b", c = tree / "c";
  for (const std::string& p : {a, b, c}) ASSERT_TRUE(testing::WriteFile(p, content));
  const VerifyGroup group = {asFound(a), asFound(b), asFound(c)};
  const std::string cachePath = tree / "cache/hashes";
  VerifyOutcome outcome;
  {
    HashCache cache;
    ASSERT_TRUE(cache.Load(cachePath));
    VerifyOptions options;
    options.cache = &cache;
    ASSERT_EQ(VerifyContents({group}, options, &outcome), 1);
    EXPECT_EQ(outcome.sets[0], (std::vector<std::vector<size_t>>{{0, 1, 2}}));
    ASSERT_TRUE(cache.Save());
  }
  HashCache cache;
  ASSERT_TRUE(cache.Load(cachePath));
  VerifyOptions options;
  options.cache = &cache;
  int64_t before = TEST_ContentBytesRead();
  ASSERT_EQ(VerifyContents({group}, options, &outcome), 1);
  EXPECT_EQ(TEST_ContentBytesRead() - before, 0);
  EXPECT_EQ(outcome.sets[0], (std::vector<std::vector<size_t>>{{0, 1, 2}}));

  // An edit that keeps the size and the modification time moves the change time.
  ASSERT_TRUE(testing::WriteFile(c, bytesWith(200000, 150000)));
  keepTime(c, group[2]);
  before = TEST_ContentBytesRead();
  ASSERT_EQ(VerifyContents({group}, options, &outcome), 1);
  EXPECT_EQ(TEST_ContentBytesRead() - before, kFirstBlockBytes + 200000);  // c alone
  EXPECT_EQ(outcome.sets[0], (std::vector<std::vector<size_t>>{{0, 1}}));
}

TEST(HashCache, DamagedOrHostileCacheIsIgnored) {
  TempTree tree;
  const std::string content = bytesWith(50000);
  const std::string a = tree / "a", b = tree / "b";
  ASSERT_TRUE(testing::WriteFile(a, content));
  ASSERT_TRUE(testing::WriteFile(b, bytesWith(50000, 40000)));
  const VerifyGroup group = {asFound(a), asFound(b)};
  ContentKey keyA, keyB;
  ASSERT_TRUE(ReadContentKey(a, &keyA, nullptr));
  ASSERT_TRUE(ReadContentKey(b, &keyB, nullptr));
  const std::string cachePath = tree / "hashes";

  // A cache that claims b holds a's bytes, for a key that is off by one nanosecond of
  // change time, is never used: the two files stay apart.
  HashCache hostile;
  ASSERT_TRUE(hostile.Load(cachePath));
  CachedHashes same{HashBytes(content.substr(0, kFirstBlockBytes)), true, HashBytes(content)};
  hostile.Store(keyA, same);
  ContentKey near = keyB;
  near.changedNs += 1;
  hostile.Store(near, same);
  ASSERT_TRUE(hostile.Save());
  HashCache cache;
  ASSERT_TRUE(cache.Load(cachePath));
  EXPECT_EQ(cache.Size(), 2u);
  VerifyOptions options;
  options.cache = &cache;
  VerifyOutcome outcome;
  ASSERT_EQ(VerifyContents({group}, options, &outcome), 1);
  EXPECT_TRUE(outcome.sets[0].empty());

  // Damage anywhere (a flipped byte, a cut, a foreign file, a FIFO) empties the cache.
  const std::string good = cache.Text();
  std::vector<std::string> damaged;
  for (size_t at = 0; at < good.size(); at += 7) {
    damaged.push_back(good);
    damaged.back()[at] ^= 1;
  }
  damaged.push_back(good.substr(0, good.size() - 1));
  damaged.push_back(good.substr(0, good.size() / 2));
  damaged.push_back("");
  damaged.push_back("{\"groups\":[]}");
  for (const std::string& text : damaged) {
    ASSERT_TRUE(testing::WriteFile(cachePath, text));
    HashCache read;
    EXPECT_FALSE(read.Load(cachePath)) << text;
    EXPECT_EQ(read.Size(), 0u);
  }
  ASSERT_EQ(unlink(cachePath.c_str()), 0);
  ASSERT_EQ(mkfifo(cachePath.c_str(), 0600), 0);
  HashCache fifo;
  EXPECT_FALSE(fifo.Load(cachePath));
  // ... and the next save does not write through the FIFO.
  EXPECT_FALSE(fifo.Save());
}

TEST(HashCache, KeepsTheMostRecentEntriesWithinItsBound) {
  TempTree tree;
  HashCache cache;
  ASSERT_TRUE(cache.Load(tree / "hashes"));
  for (uint64_t i = 0; i < kMaxHashCacheEntries + 10; ++i)
    cache.Store(ContentKey{1, i, 5, 6, 7}, CachedHashes{});
  CachedHashes found;
  ASSERT_TRUE(cache.Find(ContentKey{1, 0, 5, 6, 7}, &found));  // used again: the newest
  ASSERT_TRUE(cache.Save());
  HashCache read;
  ASSERT_TRUE(read.Load(tree / "hashes"));
  EXPECT_EQ(read.Size(), kMaxHashCacheEntries);
  EXPECT_TRUE(read.Find(ContentKey{1, 0, 5, 6, 7}, &found));
  EXPECT_FALSE(read.Find(ContentKey{1, 1, 5, 6, 7}, &found));
  EXPECT_TRUE(read.Find(ContentKey{1, kMaxHashCacheEntries + 9, 5, 6, 7}, &found));
}

TEST(VerifyContents, StoppedVerificationGivesNothingToApply) {
  TempTree tree;
  const std::string content = bytesWith(3 << 20);
  VerifyGroup group;
  for (const char* name : {"a", "b", "c"}) {
    ASSERT_TRUE(testing::WriteFile(tree / name, content));
    group.push_back(asFound(tree / name));
  }
  VerifyOptions options;
  options.progress = [](int64_t, int64_t) { return false; };
  VerifyOutcome outcome;
  EXPECT_EQ(VerifyContents({group}, options, &outcome), 0);
  EXPECT_TRUE(outcome.sets.empty());
}

}  // namespace
}  // namespace tf
