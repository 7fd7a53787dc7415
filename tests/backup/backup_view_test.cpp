// The backup view's orders and texts, the change of the backup folder and the Move to
// Backup action with its questions.
#include <gtest/gtest.h>

#include <string>

#include "platform/path_status.h"
#include "platform/zip_plugin.h"
#include "results/backup_folder_change.h"
#include "results/backup_store.h"
#include "results/backup_view.h"
#include "results/move_to_backup.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using testing::NamesIn;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

DataNode* AddEntry(DataNode* root, const char* desc, const char* location, const char* placed,
                   const char* type, const char* size) {
  DataNode* e = CreateNode(root, (std::string("/b/1.") + desc).c_str(), ATTACH_LAST_CHILD);
  SetDesc(e, desc);
  if (location) e->attrs.Set("location", AttrValue::FromString(location), 1);
  if (placed) e->attrs.Set("placed", AttrValue::FromString(placed), 1);
  if (type) e->attrs.Set("type", AttrValue::FromString(type), 1);
  if (size) e->attrs.Set("size", AttrValue::FromString(size), 1);
  return e;
}

std::string Order(DataNode* root, int key) {
  std::string out;
  for (DataNode* e : SortedBackupEntries(root, key)) out += std::string(e->Desc()) + " ";
  return out;
}

TEST(BackupView, SortOrdersAndTheirTieBreaks) {
  DataNode* root = CreateNode(nullptr, "backup_files", ATTACH_ROOT);
  AddEntry(root, "b.txt", "/Z/", "2024-01-02 10:00:00", "txt", "10");
  AddEntry(root, "A.doc", "/a/", "2023-12-31 23:59:59", "doc", "2000");
  AddEntry(root, "c.txt", "/a/", "2024-01-02 10:00:00", "TXT", nullptr);
  AddEntry(root, "a.bin", nullptr, nullptr, nullptr, "10");
  EXPECT_EQ(Order(root, kBackupSortName), "a.bin A.doc b.txt c.txt ");
  EXPECT_EQ(Order(root, kBackupSortName | kBackupSortReversed), "c.txt b.txt A.doc a.bin ");
  // Missing values count as empty text or 0; ties go by name, never reversed.
  EXPECT_EQ(Order(root, kBackupSortLocation), "a.bin A.doc c.txt b.txt ");
  EXPECT_EQ(Order(root, kBackupSortLocation | kBackupSortReversed), "b.txt A.doc c.txt a.bin ");
  EXPECT_EQ(Order(root, kBackupSortPlaced), "a.bin A.doc b.txt c.txt ");
  EXPECT_EQ(Order(root, kBackupSortType), "a.bin A.doc b.txt c.txt ");
  EXPECT_EQ(Order(root, kBackupSortSize), "A.doc a.bin b.txt c.txt ");
  EXPECT_EQ(Order(root, kBackupSortSize | kBackupSortReversed), "c.txt a.bin b.txt A.doc ");

  EXPECT_EQ(NextBackupSortKey(kBackupSortName, BackupColumn::kName), 33);
  EXPECT_EQ(NextBackupSortKey(33, BackupColumn::kName), 1);
  EXPECT_EQ(NextBackupSortKey(33, BackupColumn::kSize), 16);
  DeleteNode(root);
}

TEST(BackupView, CellsAndDetails) {
  DataNode* root = CreateNode(nullptr, "backup_files", ATTACH_ROOT);
  DataNode* full = AddEntry(root, "r.doc", "/home/u/", "2024-05-06 07:08:09", "doc", "1536");
  DataNode* bare = AddEntry(root, "bare", nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(BackupCellText(full, BackupColumn::kName), "r.doc");
  EXPECT_EQ(BackupCellText(full, BackupColumn::kPlaced), "2024-05-06");
  EXPECT_EQ(BackupCellText(full, BackupColumn::kSize), "1.50 K");
  EXPECT_EQ(BackupCellText(bare, BackupColumn::kLocation), "-");
  EXPECT_EQ(BackupCellText(bare, BackupColumn::kSize), "-");
  EXPECT_EQ(BackupDetailsText(full),
            "location:\t /home/u/\r\nplaced:\t 2024-05-06 07:08:09\r\ntype:\t doc\r\n"
            "size:\t 1536");
  EXPECT_EQ(BackupDetailsText(bare), "");
  full->attrs.Set("n", AttrValue::FromInt(3), 1);
  EXPECT_NE(BackupDetailsText(full).find("n:\t ?"), std::string::npos);
  // A long comment is cut to the box, never inside a character.
  std::string accents;
  for (int i = 0; i < 1500; ++i) accents += "\xC3\xA9";
  full->attrs.Set("comment", AttrValue::FromString(accents), 1);
  const std::string details = BackupDetailsText(full);
  EXPECT_LE(details.size(), 2047u);
  EXPECT_EQ(details.substr(details.size() - 2), "\xC3\xA9");
  DeleteNode(root);
}

class BackupFolderChangeTest : public ::testing::Test {
 protected:
  TempDir current, fresh;
  testing::ScriptedQuestions questions;
  std::vector<bool> enabled;
  EnableBackupFn enable = [this](bool on) { enabled.push_back(on); };
};

TEST_F(BackupFolderChangeTest, ApplyNeverCreatesTheFolder) {
  ZipPlugin none(testing::WithoutPlugin());
  BackupStore store(questions, &none);
  EXPECT_EQ(ApplyBackupFolder(store, current / "missing", enable), 0);
  EXPECT_FALSE(std::filesystem::exists(current / "missing"));
  EXPECT_EQ(ApplyBackupFolder(store, current.path(), enable), 1);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
  EXPECT_TRUE(BackupFolderLabelShown(current / "missing"));
  EXPECT_TRUE(BackupFolderLabelShown(""));
  EXPECT_FALSE(BackupFolderLabelShown(current.path()));
}

TEST_F(BackupFolderChangeTest, BothExistOffersToCopyAndKeepsTheOldFiles) {
  WriteBytes(current / "1.a.txt", "a");
  WriteBytes(current / "1.a.txt.backup_info", "info");
  WriteBytes(fresh / "1.a.txt", "already here");
  std::string box = fresh.path();
  questions.answers = {IDYES, IDNO};  // copy; then keep the file already there
  EXPECT_TRUE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  ASSERT_GE(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, "Would you like to copy backup files to the new location?");
  EXPECT_EQ(questions.asked[0].caption, "Backup folder changed");
  EXPECT_EQ(questions.asked[0].buttonSet, MB_YESNO);
  EXPECT_EQ(ReadBytes(fresh / "1.a.txt.backup_info"), "info");
  EXPECT_EQ(ReadBytes(fresh / "1.a.txt"), "already here");
  EXPECT_EQ(NamesIn(current.path()).size(), 2u);
  EXPECT_EQ(box, fresh.path());
  EXPECT_TRUE(enabled.empty());
}

TEST_F(BackupFolderChangeTest, EmptyOldFolderOrSamePathAsksNothing) {
  std::string box = fresh.path();
  EXPECT_TRUE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  box = current.path();
  EXPECT_TRUE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  EXPECT_TRUE(questions.asked.empty());
}

TEST_F(BackupFolderChangeTest, MissingNewFolderAsksToKeepThePrevious) {
  std::string box = fresh / "nope";
  questions.answers = {IDNO};
  EXPECT_FALSE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  EXPECT_EQ(box, fresh / "nope");
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text,
            "New backup folder does not exist. Would you like to set previous backup folder?");
  EXPECT_EQ(questions.asked[0].caption, "Backup folder changed");
  EXPECT_EQ(questions.asked[0].buttonSet, MB_YESNO);
  questions.answers = {IDYES};
  EXPECT_TRUE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  EXPECT_EQ(box, current.path());
}

TEST_F(BackupFolderChangeTest, MissingOldFolderTakesTheNewFoldersState) {
  std::string box = fresh.path();
  EXPECT_TRUE(ConfirmBackupFolderChange(current / "gone", &box, questions, enable));
  box = fresh / "nope";
  EXPECT_TRUE(ConfirmBackupFolderChange(current / "gone", &box, questions, enable));
  EXPECT_EQ(enabled, (std::vector<bool>{true, false}));
  EXPECT_TRUE(questions.asked.empty());
}

// The dialog's answers, given in advance.
class ScriptedDetails : public BackupDetailsDialog {
 public:
  bool ok = true;
  BackupDetails reply;
  std::string shownName, shownFolder;
  bool Ask(const std::string& name, const std::string& folder, BackupDetails* out) override {
    shownName = name;
    shownFolder = folder;
    *out = reply;
    return ok;
  }
};

class MoveToBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    store.SetFolder(backup.path());
    results = CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT);
    group = CreateNode(results, "a.txt", ATTACH_LAST_CHILD);
    for (const std::string& path : {files / "a.txt", files / "b/a.txt"}) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      WriteBytes(path, "same");
      // The size and time the search found, which Move to Backup compares before acting.
      DataNode* file = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
      PathStatus found;
      StatPath(path, &found, false);
      file->val = found.size;
      file->val2 = found.modified;
    }
    selection.groupsRoot = results;
    selection.group = group;
  }
  void TearDown() override { DeleteNode(results); }

  TempDir backup, files;
  testing::ScriptedQuestions questions;
  ZipPlugin none{testing::WithoutPlugin()};
  BackupStore store{questions, &none};
  PlatformFileShell shell{questions};
  static FileActionHooks droppingHooks() {
    FileActionHooks hooks;
    hooks.removeFile = [](DataNode* file) {
      DeleteNode(file);
      return 1;
    };
    return hooks;
  }
  FileActions actions{questions, shell, droppingHooks()};
  DataNode* results = nullptr;
  DataNode* group = nullptr;
  Selection selection;
  ScriptedDetails dialog;
};

TEST_F(MoveToBackupTest, OneFileOnlyAndCancelDoesNothing) {
  selection.paths = {files / "a.txt", files / "b/a.txt"};
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text,
            "You can move to backup folder only one selected file at a time.");
  EXPECT_EQ(questions.asked[0].caption, "More than one file selected");
  EXPECT_EQ(questions.asked[0].buttonSet, MB_OK);

  selection.paths = {files / "a.txt"};
  dialog.ok = false;
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  EXPECT_EQ(dialog.shownName, "a.txt");
  EXPECT_EQ(dialog.shownFolder, files.path() + "/");
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  selection.group = nullptr;  // the separate view needs a group
  dialog.ok = true;
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
}

TEST_F(MoveToBackupTest, BacksUpThenTrashesAndDropsTheFile) {
  selection.paths = {files / "a.txt"};
  dialog.reply.comment = "line one\r\nline two" + std::string(3000, 'x');
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 1);
  EXPECT_FALSE(std::filesystem::exists(files / "a.txt"));
  EXPECT_EQ(group->FirstChild()->Name(), files / "b/a.txt");
  DataNode* entry = store.Entries(false)->FirstChild();
  ASSERT_NE(entry, nullptr);
  const std::string comment = entry->attrs.ValueOf("comment").AsString();
  EXPECT_EQ(comment.substr(0, 22), "line one \\ line two" + std::string("xxx"));
  EXPECT_EQ(comment.size(), 2048u);  // 2047 bytes typed, CR LF became " \ "
  EXPECT_TRUE(questions.asked.empty());

  // Unchecked "Delete original file": the file stays where it is and in the results.
  selection.paths = {files / "b/a.txt"};
  dialog.reply = BackupDetails{"", false};
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 1);
  EXPECT_TRUE(std::filesystem::exists(files / "b/a.txt"));
  EXPECT_STREQ(store.Entries(false)->LastChild()->attrs.ValueOf("comment").AsString(), "-");
}

}  // namespace
}  // namespace tf
