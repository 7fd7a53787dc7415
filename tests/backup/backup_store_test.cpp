// The backup folder with and without the zip plug-in: every failure must leave the source
// and the folder as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "datatree/node_xml.h"
#include "platform/file_ops.h"
#include "platform/folder_lock.h"
#include "platform/zip_plugin.h"
#include "results/backup_names.h"
#include "results/backup_store.h"
#include "results/links_history.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/loop_mount.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {
using namespace testing;

class BackupStoreTest : public ::testing::TestWithParam<bool> {
 public:
  void SetUp() override {
    testing::PrivateTrashFiles();
    plugin.Probe();
    ASSERT_EQ(store.SetFolder(backup.path()), 1);
    ASSERT_EQ(store.LoadEntries(), 1);
  }
  bool compressed() const { return GetParam(); }
  std::string source(const std::string& name, const std::string& bytes) {
    WriteFile(files / name, bytes);
    return files / name;
  }
  // Backs the file up the way Move to Backup does: the original goes to the trash.
  void moveToBackup(const std::string& path) {
    ASSERT_EQ(store.AddToBackup(path, "why"), 1) << path;
    std::string folder = files.path() + "/", name = FileNameOf(path);
    ASSERT_TRUE(ShellDelete(&questions, name, folder, false));
  }
  DataNode* onlyEntry() {
    DataNode* root = store.Entries(false);
    return root && root->FirstChild() && !root->FirstChild()->Next() ? root->FirstChild() : nullptr;
  }

  TempTree backup, files, elsewhere;
  testing::ScriptedQuestions questions;
  ZipPlugin plugin{GetParam() ? testing::WithPlugin() : testing::WithoutPlugin()};
  BackupStore store{questions, &plugin};
};

// The descriptor other versions read: tab-separated lines ending in CR LF.
TEST_P(BackupStoreTest, NamesCountUpAndDescriptorsAreWrittenByteForByte) {
  const auto fields = [](AttrList& attrs) {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < attrs.Count(); ++i)
      out.emplace_back(attrs.NameAt(i), attrs.ValueAt(i).FullText());
    return out;
  };
  const std::string file = source("notes.tar.gz", "0123456789");
  ASSERT_EQ(store.AddToBackup(file, "first line\r\nsecond\nthird"), 1);
  const auto written = fields(store.Entries(false)->FirstChild()->attrs);
  ASSERT_EQ(store.AddToBackup(file, nullptr), 1);
  const std::string z = compressed() ? ".zipp" : "";
  std::vector<std::string> expected = {"1.notes.tar.gz" + z, "1.notes.tar.gz.backup_info",
                                       "2.notes.tar.gz" + z, "2.notes.tar.gz.backup_info"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(NamesIn(backup.path()), expected);
  EXPECT_EQ(store.Compress(), compressed());

  std::string text = ReadFile(backup / "1.notes.tar.gz.backup_info");
  // The two times, in the user's formats, are left out of the comparison.
  for (const char* field : {"placed\t", "modified\t"}) {
    const size_t at = text.find(field) + std::strlen(field);
    text.erase(at, text.find("\r\n", at) - at);
  }
  EXPECT_EQ(text, "location\t" + files.path() +
                      "/\r\nplaced\t\r\nmodified\t\r\ntype\tgz\r\nsize\t10\r\n"
                      "comment\tfirst line \\ second \\ third\r\n");
  DataNode* entry = store.Entries(true)->FirstChild();
  EXPECT_EQ(std::string(entry->Name()), backup / ("1.notes.tar.gz" + z));
  EXPECT_EQ(fields(entry->attrs), written);

  // A plain "3.x" must not let a compressed copy share its descriptor.
  WriteFile(backup / "3.notes.tar.gz", "older plain copy");
  WriteFile(backup / "4.notes.tar.gz.zipp", "older archive");
  ASSERT_EQ(store.AddToBackup(file, nullptr), 1);
  EXPECT_EQ(FileNameOf(store.LastStoredPath()), "5.notes.tar.gz" + z);
  EXPECT_EQ(ReadFile(backup / "3.notes.tar.gz"), "older plain copy");
}

TEST_P(BackupStoreTest, SourcesThatCannotBeStoredLeaveNothing) {
  std::filesystem::create_symlink(files / "absent.txt", files / "dangling");
  for (const std::string& path : {files / "absent.txt", files.path(), files / "dangling"})
    EXPECT_EQ(store.AddToBackup(path, nullptr), 0) << path;
  EXPECT_FALSE(store.LastActionDone());
  std::filesystem::create_directory(files / "two\r\nlines");
  const std::string file = source("two\r\nlines/a.txt", "kept");
  EXPECT_EQ(store.AddToBackup(file, nullptr), 0);
  EXPECT_NE(store.LastProblem().find("location of " + file), std::string::npos)
      << store.LastProblem();
  EXPECT_NE(store.LastProblem().find("line break"), std::string::npos);
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(ReadFile(file), "kept");
}

TEST_P(BackupStoreTest, FullFileSystemFailsCleanly) {
  testing::LoopMount small("tmpfs", 1);  // a file system that fills up
  ASSERT_TRUE(small.ok()) << small.problem();
  const std::string noise = testing::RandomBytes(2 << 20, 7);
  const std::string big = source("big.bin", noise);
  ASSERT_EQ(store.SetFolder(small.path()), 1);
  EXPECT_EQ(store.AddToBackup(big, "does not fit"), 0);
  EXPECT_NE(store.LastProblem().find("the disk is full"), std::string::npos) << store.LastProblem();
  EXPECT_EQ(store.Entries(true)->FirstChild(), nullptr);
  EXPECT_TRUE(NamesIn(small.path()).empty());
  EXPECT_EQ(ReadFile(big), noise);

  const std::string fits = source("fits.bin", noise.substr(0, (1 << 20) - 4096));
  store.AddToBackup(fits, std::string(1 << 16, 'c').c_str());
  for (DataNode* e = store.Entries(true)->FirstChild(); e; e = e->Next())
    EXPECT_EQ(e->attrs.Count(), 6) << "half an entry is listed: " << e->Name();
  EXPECT_TRUE(std::filesystem::exists(fits));
}

TEST_P(BackupStoreTest, OddNamesRoundTripAndOrphansTouchNoOtherEntry) {
  const std::vector<std::string> names = {"x.zipp",
                                          "y.backup_info",
                                          "x",
                                          "z.zipp.zipp",
                                          "quote\"s' <angle>&.txt",
                                          "new\nline.txt",
                                          "\xff\xfe not utf8.bin",
                                          std::string(200, 'n') + ".long",
                                          std::string(251, 'L') + ".bin"};
  std::map<std::string, std::string> storedAs;
  for (const std::string& name : names) {
    testing::SetMtime(source(name, name), 1500000000, 123456789);
    ASSERT_EQ(store.AddToBackup(files / name, ""), 1) << store.LastProblem();
    storedAs[name] = FileNameOf(store.LastStoredPath());
  }
  ASSERT_EQ(store.AddToBackup(source("empty", ""), ""), 1);
  storedAs["empty"] = FileNameOf(store.LastStoredPath());
  // Cutting this name at ".zipp" would give the descriptor of "x".
  const std::string orphan = std::to_string(StoredNumberOf(storedAs["x"])) + ".x.zipped";
  WriteFile(backup / orphan, "orphan");
  std::filesystem::create_directory(backup / "9.folder");  // no entry

  DataNode* stray = nullptr;
  int count = 0;
  for (DataNode* e = store.Entries(true)->FirstChild(); e; e = e->Next(), ++count) {
    const std::string stored = FileNameOf(e->Name());
    if (stored == orphan) {
      stray = e;
      continue;
    }
    EXPECT_EQ(stored, storedAs[e->Desc()]);
    EXPECT_LE(DescriptorNameOf(stored, IsCompressedEntry(e)).size(),
              kMaxFileNameBytes - kTrashRoom);
    // A name too long for the file names is kept whole in one more line.
    EXPECT_EQ(e->attrs.Count(), std::strlen(e->Desc()) == 255 ? 7 : 6) << stored;
    EXPECT_EQ(e->attrs.ValueOf("location").FullText(), files.path() + "/") << stored;
    EXPECT_EQ(IsCompressedEntry(e), compressed()) << stored;
  }
  EXPECT_EQ(count, static_cast<int>(names.size()) + 2);
  ASSERT_NE(stray, nullptr);
  EXPECT_EQ(stray->attrs.Count(), 0);
  EXPECT_EQ(store.RestoreEntry(stray), 1);
  EXPECT_FALSE(store.LastActionDone());
  EXPECT_NE(store.LastProblem().find("no descriptor"), std::string::npos) << store.LastProblem();
  const size_t files_before = NamesIn(backup.path()).size();
  for (DataNode* e = store.Entries(false)->FirstChild(); e; e = e->Next())
    if (FileNameOf(e->Name()) == orphan) {
      ASSERT_EQ(store.DeleteEntry(e), 1);
      break;
    }
  EXPECT_EQ(NamesIn(backup.path()).size(), files_before - 1);  // the orphan alone
  std::filesystem::remove(backup / "9.folder");

  for (const std::string& name : names) ::unlink((files / name).c_str());
  ::unlink((files / "empty").c_str());
  while (DataNode* e = store.Entries(false)->FirstChild()) {
    const std::string name = e->Desc();
    ASSERT_EQ(store.RestoreEntry(e), 1);
    ASSERT_TRUE(store.LastActionDone()) << name << ": " << store.LastProblem();
  }
  for (const std::string& name : names) {
    EXPECT_EQ(ReadFile(files / name), name);
    EXPECT_EQ(testing::Mtime(files / name).tv_nsec, 123456789) << name;
  }
  EXPECT_EQ(ReadFile(files / "empty"), "");
  EXPECT_EQ(NamesIn(backup.path()), std::vector<std::string>{});
  EXPECT_TRUE(questions.asked.empty());
}

// The original goes to the trash after an add: what was stored must be that very file.
TEST_P(BackupStoreTest, AFileReplacedOrWrittenWhileCopiedIsNeitherStoredNorTrashed) {
  const std::string path = source("report.txt", std::string(3 << 20, 'o'));
  const std::string other = source("other.txt", "someone else's file");
  std::function<void()> meddle;
  store.SetStepRunner([&](const std::function<bool(const CopyProgress&)>& step) {
    return step([&](int64_t, int64_t) {
      if (meddle) std::exchange(meddle, {})();
      return true;
    });
  });
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"renamed over", [&] { std::filesystem::rename(other, path); }},
      {"grown", [&] { std::ofstream(path, std::ios::app) << "more"; }},
      {"written to", [&] {
         std::fstream(path, std::ios::in | std::ios::out) << "new";
         testing::SetMtime(path, 1600000000, 0);
       }}};
  for (const auto& [what, change] : cases) {
    const std::string before = ReadFile(path);
    meddle = change;
    EXPECT_EQ(store.AddToBackup(path, nullptr), 0) << what;
    EXPECT_NE(store.LastProblem().find("changed while it was copied"), std::string::npos)
        << what << ": " << store.LastProblem();
    EXPECT_NE(ReadFile(path), before) << what;  // the new file stays
    EXPECT_TRUE(NamesIn(backup.path()).empty()) << what;
    EXPECT_EQ(store.Entries(true)->FirstChild(), nullptr) << what;
  }
  // Changed between the add and the trash: the add is taken back, the file kept.
  ASSERT_EQ(store.AddToBackup(path, nullptr), 1) << store.LastProblem();
  EXPECT_TRUE(store.OriginalIsStoredFile(path));
  WriteFile(other, "newer");
  std::filesystem::rename(other, path);
  EXPECT_FALSE(store.OriginalIsStoredFile(path));
  EXPECT_NE(store.LastProblem().find("taken back"), std::string::npos) << store.LastProblem();
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(store.Entries(false)->FirstChild(), nullptr);
  EXPECT_EQ(ReadFile(path), "newer");
}

// What killed adds leave is never listed, and goes with the next change of the folder made
// while no other program is at work in it.
TEST_P(BackupStoreTest, LeftoversOfKilledAddsAreNotListedAndGoWhenNobodyWrites) {
  const std::vector<std::string> junk = {".tf-copy-AbC123",
                                         ".tf-pack-XyZ789",
                                         ".tf-pack-XyZ789.q1W2e3",
                                         ".tf-save-77-0-0badc0de",
                                         "3.c.txt.zipp.Ab12Cd",
                                         "4.d.txt.backup_info.tmp-9-1-0badc0de",
                                         "5.a.txt",
                                         "5.a.txt.backup_info",
                                         "6.b.txt.zipp",
                                         "6.b.txt.backup_info",
                                         "7.lone.txt.backup_info"};
  for (const std::string& name : junk)
    WriteFile(backup / name, name.find(".backup_info") != std::string::npos &&
                                     name.find(".tmp-") == std::string::npos
                                 ? ""
                                 : "partial");
  // Kept: an entry whose own name looks like a temporary, and a user's hidden file.
  WriteFile(backup / "8.x.zipp.Ab12Cd", "kept");
  WriteFile(backup / "8.x.zipp.Ab12Cd.backup_info", "location\t/x/\r\n");
  WriteFile(backup / ".hidden", "user's");
  auto listed = [&] {
    std::vector<std::string> names;
    for (DataNode* e = store.Entries(true)->FirstChild(); e; e = e->Next())
      names.push_back(FileNameOf(e->Name()));
    return names;
  };
  const std::vector<std::string> expected = {".hidden", "8.x.zipp.Ab12Cd"};
  EXPECT_EQ(listed(), expected);

  // Another program adding at the same time may own them: they stay.
  const std::string a = source("a.txt", "a");
  {
    FolderLock other;
    ASSERT_TRUE(other.Open(backup.path()));
    ASSERT_TRUE(other.Shared());
    ASSERT_EQ(store.AddToBackup(a, nullptr), 1) << store.LastProblem();
    EXPECT_TRUE(std::filesystem::exists(backup / ".tf-pack-XyZ789"));
  }
  ASSERT_EQ(store.AddToBackup(a, nullptr), 1) << store.LastProblem();
  const std::string z = compressed() ? ".zipp" : "";
  std::vector<std::string> left = {".hidden",
                                   "1.a.txt" + z,
                                   "1.a.txt.backup_info",
                                   "2.a.txt" + z,
                                   "2.a.txt.backup_info",
                                   "8.x.zipp.Ab12Cd",
                                   "8.x.zipp.Ab12Cd.backup_info"};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(NamesIn(backup.path()), left);
}

TEST(BackupNames, PairingLendsNoDescriptor) {
  auto pairs = [](std::vector<std::string> names) {
    std::string text;
    for (const BackupFiles& f : PairBackupFiles(names))
      text += f.stored + (f.compressed ? "(z)" : "") + "->" + f.descriptor + " ";
    return text;
  };
  // Archive of "a" or plain copy of "a.zipp"? No one can tell, so neither takes one.
  EXPECT_EQ(pairs({"1.a.zipp", "1.a.backup_info", "1.a.zipp.backup_info", "1.a.zipp.zipp"}),
            "1.a.zipp(z)-> 1.a.zipp.zipp(z)-> ");
  // The descriptor of a plain "1.a" is not lent to a stray "1.a.zipp".
  EXPECT_EQ(pairs({"1.a", "1.a.zipp", "1.a.backup_info"}), "1.a-> 1.a.zipp(z)-> ");
  // A plain copy of "b.backup_info" is listed; a descriptor alone is not.
  EXPECT_EQ(pairs({"2.b.backup_info", "2.b.backup_info.backup_info", "3.c.BACKUP_INFO"}),
            "2.b.backup_info->2.b.backup_info.backup_info ");
  EXPECT_EQ(pairs({"4.d.zipp", "4.d.backup_info"}), "4.d.zipp(z)->4.d.backup_info ");
  EXPECT_EQ(OriginalNameOf("4.d.zipp", false), "d.zipp");
  EXPECT_EQ(StoredNumberOf("99999999999999999999.a"), -1);
}

TEST_P(BackupStoreTest, DeletingAnEntryLeavesEntriesWithTheSamePrefix) {
  for (const char* name : {"1.a.txt", "11.a.txt", "1.a.txt.x"}) {
    WriteFile(backup / name, name);
    WriteFile(backup / (std::string(name) + ".backup_info"), "location\t/nowhere/\r\n");
  }
  DataNode* first = store.Entries(true)->FirstChild();
  ASSERT_STREQ(FileNameOf(first->Name()).c_str(), "1.a.txt");
  EXPECT_EQ(store.DeleteEntry(first), 1);
  EXPECT_EQ(NamesIn(backup.path()), (std::vector<std::string>{"1.a.txt.x", "1.a.txt.x.backup_info",
                                                              "11.a.txt", "11.a.txt.backup_info"}));
  EXPECT_EQ(ReadFile(testing::PrivateTrashFiles() + "/1.a.txt"), "1.a.txt");

  std::filesystem::create_directory(backup / "kept folder");
  EXPECT_EQ(store.DeleteAllEntries(), 1);
  EXPECT_EQ(NamesIn(backup.path()), std::vector<std::string>{"kept folder"});
  EXPECT_EQ(store.Entries(false)->FirstChild(), nullptr);
  // A delete that cannot trash its copy (gone behind the store's back) says so, and is
  // not taken for done because the delete before it was.
  for (const char* name : {"2.b.txt", "3.c.txt"}) {
    WriteFile(backup / name, name);
    WriteFile(backup / (std::string(name) + ".backup_info"), "location\t/nowhere/\r\n");
  }
  DataNode* done = store.Entries(true)->FirstChild();
  ASSERT_EQ(store.DeleteEntry(done), 1);
  EXPECT_TRUE(store.LastActionDone()) << store.LastProblem();
  DataNode* gone = store.Entries(false)->FirstChild();
  std::filesystem::remove(gone->Name());
  EXPECT_EQ(store.DeleteEntry(gone), 0);
  EXPECT_FALSE(store.LastActionDone());
  EXPECT_FALSE(store.LastProblem().empty());
}

TEST_P(BackupStoreTest, CopiesAndRestoresThatCannotFinishKeepTheEntry) {
  const std::string path = source("doc.txt", "kept");
  testing::SetMtime(path, 1500000000, 0);
  ::chmod(path.c_str(), 0444);
  moveToBackup(path);
  struct stat st {};
  ::stat(onlyEntry()->Name(), &st);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_EQ(store.CopyEntryTo(onlyEntry(), elsewhere.path()), 1);
  EXPECT_TRUE(store.LastActionDone());
  const std::string copy = elsewhere / (compressed() ? "doc.txt" : "1.doc.txt");
  EXPECT_EQ(ReadFile(copy), "kept");
  EXPECT_EQ(testing::Mtime(copy).tv_sec, 1500000000);
  ::unlink(copy.c_str());

  WriteFile(path, "newer");
  questions.answers = {IDNO};
  EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
  EXPECT_FALSE(store.LastActionDone());
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(ReadFile(path), "newer");
  ::unlink(path.c_str());

  auto refused = [&](const char* reason) {
    EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
    EXPECT_FALSE(store.LastActionDone());
    EXPECT_NE(store.LastProblem().find(reason), std::string::npos) << store.LastProblem();
    EXPECT_NE(onlyEntry(), nullptr);
    EXPECT_FALSE(std::filesystem::is_regular_file(path));
  };
  {
    // A compressed copy still works: it unpacks in the temporary folder.
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

  std::filesystem::create_directory(path);
  refused("is now a folder, and no other place was chosen");
  ASSERT_EQ(questions.prompts.size(), 1u);
  EXPECT_NE(questions.prompts[0].find("is now a folder"), std::string::npos);
  questions.files = {elsewhere / "doc (restored).txt"};
  EXPECT_EQ(store.RestoreEntry(onlyEntry()), 1);
  EXPECT_TRUE(store.LastActionDone()) << store.LastProblem();
  EXPECT_EQ(ReadFile(elsewhere / "doc (restored).txt"), "kept");
  EXPECT_TRUE(std::filesystem::is_empty(path));

  // "home" moved away and a link put in its place, to a folder where the file would land.
  std::filesystem::create_directory(files / "home.old");
  std::filesystem::create_directory_symlink(elsewhere.path(), files / "home");
  const std::vector<std::string> elsewhereBefore = NamesIn(elsewhere.path());
  const std::string huge = "/" + std::string(20 << 20, 'h') + "/";
  const std::vector<std::pair<std::string, std::string>> origins = {
      {"relative/", "not an absolute path"},
      {files.path() + "/../" + FileNameOf(files.path()) + "/", "contains \"..\""},
      {files.path() + "/gone/", "gone does not exist"},
      {"/" + std::string(300, 'n') + "/", "is too long"},
      {files.path() + "/home/", "/home is a symbolic link"},
      {huge, "bytes) is too long"}};
  for (const auto& [location, reason] : origins) {
    WriteFile(backup / "1.doc.txt", "planted");
    WriteFile(backup / "1.doc.txt.backup_info", "location\t" + location + "\r\n");
    store.LoadEntries();
    refused(reason.c_str());
    EXPECT_LT(store.LastProblem().size(), 1000u);
  }
  EXPECT_EQ(NamesIn(elsewhere.path()), elsewhereBefore);
  ::unlink((backup / "1.doc.txt").c_str());
  ::unlink((backup / "1.doc.txt.backup_info").c_str());
  WriteFile(backup / "2...", "dots");
  WriteFile(backup / "2....backup_info", "location\t" + files.path() + "/\r\n");
  store.LoadEntries();
  refused("gives no file name");
}

TEST_P(BackupStoreTest, HostileArchivesLetOnlyOneFileOutAndNeverOutside) {
  if (!compressed()) GTEST_SKIP() << "archives need the plug-in";
  const std::string archive = backup / "1.evil.txt.zipp";
  const TempTree& target = elsewhere;
  auto plant = [&](const std::vector<std::string>& members) {
    WriteFile(files / "payload", "payload");
    ZipFileInterface* zip = plugin.AcquireZipInterface();
    ASSERT_NE(zip, nullptr);
    ::unlink(archive.c_str());
    ASSERT_TRUE(zip->ZipCreate(archive.c_str(), 1));
    for (const std::string& m : members)
      ASSERT_TRUE(zip->ZipAddFile((files / "payload").c_str(), m.c_str(), 0));
    ASSERT_TRUE(zip->ZipCommit(archive.c_str()));
    plugin.ReleaseZipInterface(zip);
    WriteFile(backup / "1.evil.txt.backup_info", "location\t" + target.path() + "/\r\n");
  };
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
      EXPECT_EQ(ReadFile(target / "evil.txt"), "payload") << c.members[0];
      std::filesystem::remove(target / "evil.txt");
    }
  }
  WriteFile(archive, "PK\x03\x04 but nothing after");
  ASSERT_EQ(store.RestoreEntry(store.Entries(true)->FirstChild()), 1);
  EXPECT_NE(store.LastProblem().find("damaged"), std::string::npos) << store.LastProblem();
  WriteFile(archive, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  EXPECT_EQ(store.RestoreEntry(store.Entries(true)->FirstChild()), 1);
  EXPECT_FALSE(store.LastActionDone());
  ZipPlugin none(testing::WithoutPlugin());
  none.Probe();
  BackupStore bare(questions, &none);
  bare.SetFolder(backup.path());
  const size_t asked = questions.asked.size();
  EXPECT_EQ(bare.RestoreEntry(bare.Entries(true)->FirstChild()), 0);
  EXPECT_EQ(bare.CopyEntryTo(bare.Entries(false)->FirstChild(), target.path()), 0);
  EXPECT_EQ(questions.asked.size(), asked + 2);
  EXPECT_EQ(NamesIn(backup.path()).size(), 2u);
  EXPECT_TRUE(NamesIn(target.path()).empty());
}

// 5 GiB (past plain zip's 4 GiB) takes two minutes, so it runs only when asked for.
void SparseRoundTrip(BackupStoreTest* test, off_t size) {
  const std::string path = test->files / "large.img";
  int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
  ASSERT_EQ(::pwrite(fd, "tail", 4, size - 4), 4);
  ::close(fd);
  test->moveToBackup(path);
  ASSERT_EQ(test->store.RestoreEntry(test->onlyEntry()), 1);
  EXPECT_TRUE(test->store.LastActionDone());
  EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(size));
  char head[5] = {}, tail[5] = {};
  fd = ::open(path.c_str(), O_RDONLY);
  EXPECT_EQ(::pread(fd, head, 4, 0), 4);
  EXPECT_EQ(::pread(fd, tail, 4, size - 4), 4);
  ::close(fd);
  EXPECT_STREQ(head, "head");
  EXPECT_STREQ(tail, "tail");
}

TEST_P(BackupStoreTest, LargeSparseFileRoundTrip) {
  SparseRoundTrip(this, 1LL << 30);
}

TEST_P(BackupStoreTest, DISABLED_FiveGiBSparseFileRoundTrip) {
  SparseRoundTrip(this, 5LL << 30);
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, BackupStoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Zip" : "Plain"; });

}  // namespace
}  // namespace tf
