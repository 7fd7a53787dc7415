// Storing files in the backup folder: names, descriptors byte for byte, what is listed,
// and the failures that must leave the source and the folder as they were.
#include <gtest/gtest.h>

#include <cctype>
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

// "YYYY-MM-DD hh:mm:ss"
bool IsStamp(const std::string& text) {
  const std::string shape = "dddd-dd-dd dd:dd:dd";
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i)
    if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i])
      return false;
  return true;
}

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

TEST_P(BackupStoreTest, DescriptorIsWrittenByteForByteAndReadBack) {
  const std::string file = source("notes", "0123456789");
  testing::SetMtime(file, 1600000000, 5);
  ASSERT_EQ(store.AddToBackup(file, "first line\r\nsecond\nthird"), 1);
  const std::string stored = compressed() ? "1.notes.zipp" : "1.notes";
  const std::string text = ReadBytes(backup / "1.notes.backup_info");
  // "placed" is the time of the backup, "modified" the file's time in the user's formats.
  const size_t placed = text.find("placed\t") + 7, modified = text.find("modified\t") + 9;
  const std::string stamp = text.substr(placed, 19);
  EXPECT_EQ(text.substr(0, placed), "location\t" + files.path() + "/\r\nplaced\t");
  EXPECT_TRUE(IsStamp(stamp)) << stamp;
  const size_t type = text.find("\r\ntype\t");
  ASSERT_NE(type, std::string::npos);
  EXPECT_EQ(text.substr(placed + 19, modified - placed - 19), "\r\nmodified\t");
  EXPECT_NE(text.substr(modified, type - modified).find(' '), std::string::npos);
  EXPECT_EQ(text.substr(type),
            "\r\ntype\t?\r\nsize\t10\r\ncomment\tfirst line \\ second \\ third\r\n");

  // A fresh store reads the same entry back from disk.
  BackupStore again(questions, &plugin);
  again.SetFolder(backup.path());
  DataNode* entry = again.Entries(true)->FirstChild();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Next(), nullptr);
  EXPECT_EQ(std::string(entry->Name()), backup / stored);
  EXPECT_STREQ(entry->Desc(), "notes");
  DataNode* written = store.Entries(false)->FirstChild();
  ASSERT_EQ(entry->attrs.Count(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(entry->attrs.NameAt(i), written->attrs.NameAt(i));
    EXPECT_STREQ(entry->attrs.ValueAt(i).AsString(), written->attrs.ValueAt(i).AsString());
  }
  EXPECT_STREQ(entry->attrs.ValueOf("comment").AsString(), "first line \\ second \\ third");
}

TEST_P(BackupStoreTest, EmptyCommentIsADashAndTypeIsTheLastExtension) {
  ASSERT_EQ(store.AddToBackup(source("a.tar.gz", ""), ""), 1);
  DataNode* entry = store.Entries(false)->LastChild();
  EXPECT_STREQ(entry->attrs.ValueOf("comment").AsString(), "-");
  EXPECT_STREQ(entry->attrs.ValueOf("type").AsString(), "gz");
  EXPECT_STREQ(entry->attrs.ValueOf("size").AsString(), "0");
}

TEST_P(BackupStoreTest, ListingSkipsDescriptorsAndKeepsCopiesWithoutOne) {
  WriteBytes(backup / "7.lost.txt.backup_info", "location\t/x/\r\n");
  WriteBytes(backup / "8.bare.txt", "no descriptor");
  WriteBytes(backup / "9.UPPER.BACKUP_INFO", "a descriptor too");
  std::filesystem::create_directory(backup / "sub");
  DataNode* root = store.Entries(true);
  ASSERT_NE(root->FirstChild(), nullptr);
  EXPECT_EQ(root->FirstChild()->Next(), nullptr);
  EXPECT_STREQ(root->FirstChild()->Desc(), "bare.txt");
  EXPECT_EQ(root->FirstChild()->attrs.Count(), 0);
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

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, BackupStoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Zip" : "Plain"; });

TEST(BackupNames, StoredAndDescriptorNames) {
  EXPECT_EQ(OriginalNameOf("12.a.b.c"), "a.b.c");
  EXPECT_EQ(OriginalNameOf("3.x.zipp"), "x");
  // ".zipp" inside a name is part of the name, not the mark of an archive.
  EXPECT_EQ(OriginalNameOf("3.a.zipped.txt"), "a.zipped.txt");
  EXPECT_FALSE(IsCompressedName("3.a.zipped.txt"));
  EXPECT_EQ(DescriptorPathOf("/b/3.a.zipped.txt"), "/b/3.a.zipped.txt.backup_info");
  EXPECT_EQ(DescriptorPathOf("/b/3.a.zipped.txt.zipp"), "/b/3.a.zipped.txt.backup_info");
  EXPECT_EQ(LegacyDescriptorPathOf("/b.zipp/3.a.zipped.txt"), "/b.zipp/3.a.backup_info");
  EXPECT_EQ(StoredNumberOf("11.a.txt"), 11);
  EXPECT_EQ(StoredNumberOf("a.txt"), -1);
  EXPECT_EQ(StoredNumberOf("99999999999999999999.a"), -1);
  EXPECT_EQ(BackupTypeOf("a."), "?");
  EXPECT_EQ(DescriptorComment("a\r\rb"), "a \\  \\ b");
}

}  // namespace
}  // namespace tf
