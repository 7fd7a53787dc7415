// Storing files in the backup folder: names, descriptors byte for byte, what is listed,
// and the failures that must leave the source and the folder as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "datatree/node_xml.h"
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
using testing::TempDir;
using testing::WriteBytes;

class BackupStoreTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    plugin.Probe();
    ASSERT_EQ(store.SetFolder(backup.path()), 1);
    ASSERT_EQ(store.LoadEntries(), 1);
  }
  bool compressed() const { return GetParam(); }
  std::string source(const std::string& name, const std::string& bytes) {
    WriteBytes(files / name, bytes);
    return files / name;
  }

  TempDir backup, files;
  testing::ScriptedQuestions questions;
  ZipPlugin plugin{GetParam() ? testing::WithPlugin() : testing::WithoutPlugin()};
  BackupStore store{questions, &plugin};
};

TEST_P(BackupStoreTest, NamesCountUpAndShareNoDescriptor) {
  const std::string report = source("report.doc", "draft");
  ASSERT_EQ(store.AddToBackup(report, nullptr), 1);
  ASSERT_EQ(store.AddToBackup(report, nullptr), 1);
  const std::string z = compressed() ? ".zipp" : "";
  std::vector<std::string> expected = {"1.report.doc" + z, "1.report.doc.backup_info",
                                       "2.report.doc" + z, "2.report.doc.backup_info"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(NamesIn(backup.path()), expected);
  EXPECT_EQ(store.Compress(), compressed());
  // A number is taken when either form of the copy is there: a plain "3.report.doc"
  // must not let a compressed copy share its descriptor.
  WriteBytes(backup / "3.report.doc", "older plain copy");
  WriteBytes(backup / "4.report.doc.zipp", "older archive");
  ASSERT_EQ(store.AddToBackup(report, nullptr), 1);
  EXPECT_EQ(FileNameOf(store.Entries(false)->LastChild()->Name()), "5.report.doc" + z);
  EXPECT_EQ(ReadBytes(backup / "3.report.doc"), "older plain copy");
}

// The descriptor other versions read: tab-separated lines ending in CR LF, the comment on
// one line. A fresh store reads the same entry back from disk.
TEST_P(BackupStoreTest, DescriptorIsWrittenByteForByteAndReadBack) {
  const std::string file = source("notes.tar.gz", "0123456789");
  ASSERT_EQ(store.AddToBackup(file, "first line\r\nsecond\nthird"), 1);
  ASSERT_EQ(store.AddToBackup(source("empty", ""), ""), 1);
  std::string text = ReadBytes(backup / "1.notes.tar.gz.backup_info");
  // The two times, in the user's formats, are left out of the comparison.
  for (const char* field : {"placed\t", "modified\t"}) {
    const size_t at = text.find(field) + std::strlen(field);
    text.erase(at, text.find("\r\n", at) - at);
  }
  EXPECT_EQ(text, "location\t" + files.path() +
                      "/\r\nplaced\t\r\nmodified\t\r\ntype\tgz\r\nsize\t10\r\n"
                      "comment\tfirst line \\ second \\ third\r\n");

  auto named = [](DataNode* root, const char* desc) {
    DataNode* e = root->FirstChild();
    while (e && std::string(e->Desc()) != desc) e = e->Next();
    return e;
  };
  BackupStore again(questions, &plugin);
  again.SetFolder(backup.path());
  DataNode* entry = named(again.Entries(true), "notes.tar.gz");
  DataNode* written = named(store.Entries(false), "notes.tar.gz");
  DataNode* empty = named(again.Entries(false), "empty");
  ASSERT_TRUE(entry && written && empty);
  EXPECT_EQ(std::string(entry->Name()),
            backup / (compressed() ? "1.notes.tar.gz.zipp" : "1.notes.tar.gz"));
  ASSERT_EQ(entry->attrs.Count(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(entry->attrs.NameAt(i), written->attrs.NameAt(i));
    EXPECT_STREQ(entry->attrs.ValueAt(i).AsString(), written->attrs.ValueAt(i).AsString());
  }
  EXPECT_STREQ(empty->attrs.ValueOf("comment").AsString(), "-");
  EXPECT_STREQ(empty->attrs.ValueOf("type").AsString(), "?");
  EXPECT_STREQ(empty->attrs.ValueOf("size").AsString(), "0");
}

// A folder whose name breaks the descriptor's line is refused with the reason, and the
// copy made before is taken back.
TEST_P(BackupStoreTest, AFolderNameWithALineBreakIsRefusedByName) {
  std::filesystem::create_directory(files / "two\r\nlines");
  const std::string file = files / "two\r\nlines/a.txt";
  WriteBytes(file, "kept");
  EXPECT_EQ(store.AddToBackup(file, nullptr), 0);
  EXPECT_NE(store.LastProblem().find("location of " + file), std::string::npos)
      << store.LastProblem();
  EXPECT_NE(store.LastProblem().find("line break"), std::string::npos);
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(ReadBytes(file), "kept");
}

TEST_P(BackupStoreTest, MissingOrUnreadableSourceStoresNothing) {
  EXPECT_EQ(store.AddToBackup(files / "absent.txt", nullptr), 0);
  EXPECT_EQ(store.AddToBackup(files.path(), nullptr), 0);  // a folder
  std::filesystem::create_symlink(files / "absent.txt", files / "dangling");
  EXPECT_EQ(store.AddToBackup(files / "dangling", nullptr), 0);
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_FALSE(store.LastActionDone());
}

TEST_P(BackupStoreTest, FullFileSystemFailsCleanly) {
  testing::SmallFileSystem small;
  if (!small.ok()) GTEST_SKIP() << "cannot mount a small tmpfs here";
  std::string noise(2 << 20, '\0');
  uint32_t x = 7;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
  const std::string big = source("big.bin", noise);
  ASSERT_EQ(store.SetFolder(small.path()), 1);
  EXPECT_EQ(store.AddToBackup(big, "does not fit"), 0);
  EXPECT_EQ(store.Entries(true)->FirstChild(), nullptr);
  EXPECT_TRUE(NamesIn(small.path()).empty());
  EXPECT_EQ(ReadBytes(big), noise);

  // A copy that fits but whose descriptor does not is taken back as well.
  const std::string fits = source("fits.bin", noise.substr(0, (1 << 20) - 4096));
  store.AddToBackup(fits, std::string(1 << 16, 'c').c_str());
  for (DataNode* e = store.Entries(true)->FirstChild(); e; e = e->Next())
    EXPECT_EQ(e->attrs.Count(), 6) << "half an entry is listed: " << e->Name();
  EXPECT_TRUE(std::filesystem::exists(fits));
}

// Names that end like the store's own suffixes come back as they went in, each entry
// keeps its own descriptor, and a copy that lost its descriptor touches no other entry.
TEST_P(BackupStoreTest, SuffixNamesRoundTripAndOrphansTouchNoOtherEntry) {
  const std::vector<std::string> names = {"x.zipp", "y.backup_info", "x", "z.zipp.zipp"};
  std::map<std::string, std::string> storedAs;
  for (const std::string& name : names) {
    ASSERT_EQ(store.AddToBackup(source(name, name), ""), 1) << store.LastProblem();
    storedAs[name] = FileNameOf(store.LastStoredPath());
  }
  // A copy that lost its descriptor, named so that cutting at ".zipp" gives the
  // descriptor of "x".
  const std::string orphan = std::to_string(StoredNumberOf(storedAs["x"])) + ".x.zipped";
  WriteBytes(backup / orphan, "orphan");
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
    EXPECT_EQ(e->attrs.Count(), 6) << stored;
    EXPECT_EQ(e->attrs.ValueOf("location").FullText(), files.path() + "/") << stored;
    EXPECT_EQ(IsCompressedEntry(e), compressed()) << stored;
  }
  EXPECT_EQ(count, 5);
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

  // Every entry goes back to its own name with its own bytes.
  for (const std::string& name : names) ::unlink((files / name).c_str());
  while (DataNode* e = store.Entries(false)->FirstChild()) {
    const std::string name = e->Desc();
    ASSERT_EQ(store.RestoreEntry(e), 1);
    ASSERT_TRUE(store.LastActionDone()) << name << ": " << store.LastProblem();
  }
  for (const std::string& name : names) EXPECT_EQ(ReadBytes(files / name), name);
  EXPECT_TRUE(NamesIn(backup.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, BackupStoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Zip" : "Plain"; });

// Which descriptor belongs to which copy when the names themselves are ambiguous.
TEST(BackupNames, PairingLendsNoDescriptor) {
  auto pairs = [](std::vector<std::string> names) {
    std::string text;
    for (const BackupFiles& f : PairBackupFiles(names))
      text += f.stored + (f.compressed ? "(z)" : "") + "->" + f.descriptor + " ";
    return text;
  };
  // An archive of "a", and a plain copy of "a.zipp" that lost its descriptor... or the other
  // way round: no one can tell, so neither takes a descriptor.
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

}  // namespace
}  // namespace tf
