// Getting files back out of the backup folder: restore, copy and delete, on hostile
// names, hostile archives and large sparse files, with and without the zip plug-in.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_ops.h"
#include "platform/zip_plugin.h"
#include "results/backup_names.h"
#include "results/backup_store.h"
#include "results/links_history.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using testing::NamesIn;
using testing::ReadBytes;
using testing::SameMtime;
using testing::TempDir;
using testing::WriteBytes;

class BackupRestoreTest : public ::testing::TestWithParam<bool> {
 public:
  void SetUp() override {
    testing::PrivateTrashFiles();
    plugin.Probe();
    ASSERT_EQ(store.SetFolder(backup.path()), 1);
  }
  // Backs the file up the way Move to Backup does: the original goes to the trash.
  void moveToBackup(const std::string& path) {
    ASSERT_EQ(store.AddToBackup(path, "why"), 1) << path;
    std::string folder = files.path() + "/", name = FileNameOf(path);
    ASSERT_TRUE(ShellDelete(&questions, name, folder, false));
  }
  std::string source(const std::string& name) {
    WriteBytes(files / name, name);
    return files / name;
  }
  DataNode* onlyEntry() {
    DataNode* root = store.Entries(false);
    return root && root->FirstChild() && !root->FirstChild()->Next() ? root->FirstChild() : nullptr;
  }

  TempDir backup, files, elsewhere;
  testing::ScriptedQuestions questions;
  ZipPlugin plugin{GetParam() ? testing::WithPlugin() : testing::WithoutPlugin()};
  BackupStore store{questions, &plugin};
};

TEST_P(BackupRestoreTest, HostileNamesComeBackWithBytesNameAndTime) {
  const std::vector<std::string> names = {"quote\"s' <angle>&.txt", "new\nline.txt",
                                          "\xff\xfe not utf8.bin", "empty",
                                          std::string(200, 'n') + ".long"};
  for (const std::string& name : names) {
    const std::string path = files / name;
    const std::string bytes = name == "empty" ? "" : "bytes of " + name;
    WriteBytes(path, bytes);
    testing::SetMtime(path, 1500000000, 123456789);
    const auto stamp = testing::Mtime(path);
    moveToBackup(path);
    ASSERT_FALSE(std::filesystem::exists(path));
    DataNode* entry = onlyEntry();
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry->Desc(), name);
    ASSERT_EQ(store.RestoreEntry(entry), 1);
    EXPECT_TRUE(store.LastActionDone()) << name;
    EXPECT_EQ(ReadBytes(path), bytes) << name;
    EXPECT_EQ(testing::Mtime(path).tv_sec * 1000000000 + testing::Mtime(path).tv_nsec,
              stamp.tv_sec * 1000000000 + stamp.tv_nsec)
        << name;
    // The entry went to the trash and no extracted copy is left behind.
    EXPECT_TRUE(NamesIn(backup.path()).empty()) << name;
    EXPECT_TRUE(questions.asked.empty()) << questions.asked.front().text;
  }
}

// A read-only file is stored writable; a copy keeps the entry, named as stored, with the
// file's time; a restore that the user refuses, or whose folder went, keeps the entry.
TEST_P(BackupRestoreTest, CopiesAndRefusedRestoresKeepTheEntry) {
  const std::string path = files / "doc.txt";
  WriteBytes(path, "original");
  ::chmod(path.c_str(), 0444);
  ASSERT_EQ(store.AddToBackup(path, nullptr), 1);
  struct stat st {};
  ::stat(onlyEntry()->Name(), &st);
  EXPECT_TRUE(st.st_mode & S_IWUSR);

  EXPECT_EQ(store.CopyEntryTo(onlyEntry(), elsewhere.path()), 1);
  EXPECT_TRUE(store.LastActionDone());
  const std::string copy = elsewhere / (GetParam() ? "doc.txt" : "1.doc.txt");
  EXPECT_EQ(ReadBytes(copy), "original");
  EXPECT_TRUE(SameMtime(copy, path));
  EXPECT_EQ(NamesIn(backup.path()).size(), 2u);

  // The file is still there: the restore asks, and No replaces nothing.
  ::chmod(path.c_str(), 0644);
  WriteBytes(path, "newer");
  questions.answers = {IDNO};
  EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
  EXPECT_FALSE(store.LastActionDone());
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(ReadBytes(path), "newer");
  ASSERT_NE(onlyEntry(), nullptr);

  // The original folder is gone: nothing is restored (nor made) and the entry stays.
  std::filesystem::remove_all(files.path());
  EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
  EXPECT_FALSE(store.LastActionDone());
  EXPECT_NE(onlyEntry(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(files.path()));
}

TEST_P(BackupRestoreTest, DeletingAnEntryLeavesEntriesWithTheSamePrefix) {
  for (const char* name : {"1.a.txt", "11.a.txt", "1.a.txt.x"}) {
    WriteBytes(backup / name, name);
    WriteBytes(backup / (std::string(name) + ".backup_info"), "location\t/nowhere/\r\n");
  }
  DataNode* first = store.Entries(true)->FirstChild();
  ASSERT_STREQ(FileNameOf(first->Name()).c_str(), "1.a.txt");
  EXPECT_EQ(store.DeleteEntry(first), 1);
  EXPECT_EQ(NamesIn(backup.path()), (std::vector<std::string>{"1.a.txt.x", "1.a.txt.x.backup_info",
                                                              "11.a.txt", "11.a.txt.backup_info"}));
  EXPECT_EQ(ReadBytes(testing::PrivateTrashFiles() + "/1.a.txt"), "1.a.txt");

  std::filesystem::create_directory(backup / "kept folder");
  EXPECT_EQ(store.DeleteAllEntries(), 1);
  EXPECT_EQ(NamesIn(backup.path()), std::vector<std::string>{"kept folder"});
  EXPECT_EQ(store.Entries(false)->FirstChild(), nullptr);
}

// Restores that cannot finish say so, and why, before anything is copied where they can.
TEST_P(BackupRestoreTest, RestoresThatCannotFinishSayWhy) {
  const std::string path = files / "doc.txt";
  WriteBytes(path, "kept");
  moveToBackup(path);
  auto refused = [&](const char* reason) {
    EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
    EXPECT_FALSE(store.LastActionDone());
    EXPECT_NE(store.LastProblem().find(reason), std::string::npos) << store.LastProblem();
    EXPECT_NE(onlyEntry(), nullptr);
    EXPECT_FALSE(std::filesystem::is_regular_file(path));
  };
  {
    // The stored copy could not leave a read-only backup folder: nothing is restored. A
    // copy still works, compressed too: it unpacks in the temporary folder.
    testing::ReadOnlyFolder readOnly(backup.path());
    if (readOnly.ok()) {
      refused(::geteuid() == 0 ? "read-only" : "permission");
      EXPECT_EQ(store.CopyEntryTo(onlyEntry(), elsewhere.path()), 1);
      EXPECT_TRUE(store.LastActionDone()) << store.LastProblem();
      EXPECT_EQ(NamesIn(elsewhere.path()).size(), 1u);
    }
  }
  if (GetParam()) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string saved = tmp ? tmp : "";
    ::setenv("TMPDIR", (files / "no such folder").c_str(), 1);
    refused("no such folder does not exist");
    tmp ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
  }

  // The place is now a folder: another one is asked for, and nothing goes inside it.
  std::filesystem::create_directory(path);
  refused("is now a folder, and no other place was chosen");
  ASSERT_EQ(questions.prompts.size(), 1u);
  EXPECT_NE(questions.prompts[0].find("is now a folder"), std::string::npos);
  questions.files = {elsewhere / "doc (restored).txt"};
  EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
  EXPECT_TRUE(store.LastActionDone()) << store.LastProblem();
  EXPECT_EQ(ReadBytes(elsewhere / "doc (restored).txt"), "kept");
  EXPECT_TRUE(std::filesystem::is_empty(path));

  // Origins that cannot be trusted or reached.
  const std::vector<std::pair<std::string, std::string>> origins = {
      {"relative/", "not an absolute path"},
      {files.path() + "/../" + FileNameOf(files.path()) + "/", "contains \"..\""},
      {files.path() + "/gone/", "gone does not exist"},
      {"/" + std::string(300, 'n') + "/", "is too long"}};
  for (const auto& [location, reason] : origins) {
    WriteBytes(backup / "1.doc.txt", "planted");
    WriteBytes(backup / "1.doc.txt.backup_info", "location\t" + location + "\r\n");
    store.LoadEntries();
    refused(reason.c_str());
  }
  // A stored name that gives ".." as the name to restore to.
  ::unlink((backup / "1.doc.txt").c_str());
  ::unlink((backup / "1.doc.txt.backup_info").c_str());
  WriteBytes(backup / "2...", "dots");
  WriteBytes(backup / "2....backup_info", "location\t" + files.path() + "/\r\n");
  store.LoadEntries();
  refused("gives no file name");

  // A name the backup folder cannot hold is refused with that reason.
  EXPECT_EQ(store.AddToBackup(source(std::string(250, 'l')), nullptr), 0);
  EXPECT_NE(store.LastProblem().find("is too long"), std::string::npos) << store.LastProblem();
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, BackupRestoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Zip" : "Plain"; });

class HostileArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    ASSERT_TRUE(plugin.Probe());
    store.SetFolder(backup.path());
  }
  // Puts an archive holding "payload" under each of `members` into the folder as an
  // entry whose original place is the target folder.
  void plant(const std::vector<std::string>& members) {
    WriteBytes(files / "payload", "payload");
    ZipFileInterface* zip = plugin.AcquireZipInterface();
    ASSERT_NE(zip, nullptr);
    ::unlink(archive.c_str());
    ASSERT_TRUE(zip->ZipCreate(archive.c_str(), 1));
    for (const std::string& m : members)
      ASSERT_TRUE(zip->ZipAddFile((files / "payload").c_str(), m.c_str(), 0));
    ASSERT_TRUE(zip->ZipCommit(archive.c_str()));
    plugin.ReleaseZipInterface(zip);
    WriteBytes(backup / "1.evil.txt.backup_info", "location\t" + target.path() + "/\r\n");
  }

  TempDir backup, files, target;
  const std::string archive = backup / "1.evil.txt.zipp";
  testing::ScriptedQuestions questions;
  ZipPlugin plugin{testing::WithPlugin()};
  BackupStore store{questions, &plugin};
};

// Member names with paths come out under the entry's own name, never outside the backup
// folder; archives that would be restored only in part, or as something else than one
// file, are refused whole, with the reason.
TEST_F(HostileArchiveTest, OnlyOneFileComesOutAndNeverOutside) {
  const std::string outside = files.path() + "/escaped.txt";
  struct Case {
    std::vector<std::string> members;
    const char* refusal;
  };
  for (const Case& c : {Case{{"../../escaped.txt"}, nullptr}, Case{{outside}, nullptr},
                        Case{{"evil.txt", "second.txt"}, "more than one file"},
                        Case{{"folder/"}, "a folder, not a file"}, Case{{".."}, "no file name"}}) {
    plant(c.members);
    ASSERT_EQ(store.RestoreEntry(store.Entries(true)->FirstChild()), 1) << c.members[0];
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_FALSE(std::filesystem::exists(backup.path() + "/../escaped.txt"));
    if (c.refusal) {
      EXPECT_FALSE(store.LastActionDone());
      EXPECT_NE(store.LastProblem().find(c.refusal), std::string::npos) << store.LastProblem();
      EXPECT_TRUE(NamesIn(target.path()).empty());
      EXPECT_EQ(NamesIn(backup.path()).size(), 2u);
    } else {
      EXPECT_TRUE(NamesIn(backup.path()).empty()) << c.members[0];
      EXPECT_EQ(ReadBytes(target / "evil.txt"), "payload") << c.members[0];
      std::filesystem::remove(target / "evil.txt");
    }
  }
  WriteBytes(archive, "PK\x03\x04 but nothing after");
  ASSERT_EQ(store.RestoreEntry(store.Entries(true)->FirstChild()), 1);
  EXPECT_NE(store.LastProblem().find("damaged"), std::string::npos) << store.LastProblem();
}

// An archive of no entries, or no plug-in at all: told, and nothing is lost.
TEST_F(HostileArchiveTest, ArchiveWithoutEntryOrWithoutPluginLosesNothing) {
  WriteBytes(backup / "1.none.txt.zipp", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  WriteBytes(backup / "1.none.txt.backup_info", "location\t" + target.path() + "/\r\n");
  EXPECT_EQ(store.RestoreEntry(store.Entries(true)->FirstChild()), 1);
  EXPECT_FALSE(store.LastActionDone());
  ZipPlugin none(testing::WithoutPlugin());
  none.Probe();
  BackupStore bare(questions, &none);
  bare.SetFolder(backup.path());
  EXPECT_EQ(bare.RestoreEntry(bare.Entries(true)->FirstChild()), 0);
  EXPECT_EQ(bare.CopyEntryTo(bare.Entries(false)->FirstChild(), target.path()), 0);
  EXPECT_EQ(questions.asked.size(), 3u);
  EXPECT_EQ(NamesIn(backup.path()).size(), 2u);
  EXPECT_TRUE(NamesIn(target.path()).empty());
}

// A file with data only at its ends, stored plainly and compressed. 5 GiB (past the
// 4 GiB of plain zip) takes close to two minutes here for both forms, so that size runs
// with --gtest_also_run_disabled_tests.
void SparseRoundTrip(BackupRestoreTest* test, BackupStore& store, const std::string& path,
                     off_t size) {
  int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
  ASSERT_EQ(::pwrite(fd, "tail", 4, size - 4), 4);
  ::close(fd);
  test->moveToBackup(path);
  ASSERT_EQ(store.RestoreEntry(store.Entries(false)->FirstChild()), 1);
  EXPECT_TRUE(store.LastActionDone());
  EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(size));
  char head[5] = {}, tail[5] = {};
  fd = ::open(path.c_str(), O_RDONLY);
  EXPECT_EQ(::pread(fd, head, 4, 0), 4);
  EXPECT_EQ(::pread(fd, tail, 4, size - 4), 4);
  ::close(fd);
  EXPECT_STREQ(head, "head");
  EXPECT_STREQ(tail, "tail");
  std::filesystem::remove(path);
}

TEST_P(BackupRestoreTest, LargeSparseFileRoundTrip) {
  SparseRoundTrip(this, store, files / "large.img", 1LL << 30);
}

TEST_P(BackupRestoreTest, DISABLED_FiveGiBSparseFileRoundTrip) {
  SparseRoundTrip(this, store, files / "huge.img", 5LL << 30);
}

}  // namespace
}  // namespace tf
