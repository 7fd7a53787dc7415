// The backup view's orders, the change of the backup folder and the Move to Backup
// action.
#include <gtest/gtest.h>

#include <string>

#include "datatree/node_ptr.h"
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

// Missing values count as empty text or 0 and names compare without case; ties go by
// name and are never reversed. A long comment is cut to the details box, never inside a
// character.
TEST(BackupView, OrdersTieBreaksAndDetails) {
  DataNode* root = CreateNode(nullptr, "backup_files", ATTACH_ROOT);
  AddEntry(root, "b.txt", "/Z/", "2024-01-02 10:00:00", "txt", "10");
  DataNode* doc = AddEntry(root, "A.doc", "/a/", "2023-12-31 23:59:59", "doc", "2000");
  AddEntry(root, "c.txt", "/a/", "2024-01-02 10:00:00", "TXT", nullptr);
  AddEntry(root, "a.bin", nullptr, nullptr, nullptr, "10");
  EXPECT_EQ(Order(root, kBackupSortLocation | kBackupSortReversed), "b.txt A.doc c.txt a.bin ");
  EXPECT_EQ(Order(root, kBackupSortSize), "A.doc a.bin b.txt c.txt ");

  std::string accents;
  for (int i = 0; i < 1500; ++i) accents += "\xC3\xA9";
  doc->attrs.Set("comment", AttrValue::FromString(accents), 1);
  const std::string details = BackupDetailsText(doc);
  EXPECT_LE(details.size(), 2047u);
  EXPECT_EQ(details.substr(details.size() - 2), "\xC3\xA9");
  DeleteNode(root);
}

// A folder that is not there is never made; with both folders there the old files may be
// copied, but no file already in the new folder is replaced and the old folder keeps its
// own.
TEST(BackupFolderChange, NothingIsMadeReplacedOrLost) {
  TempDir current, fresh;
  testing::ScriptedQuestions questions;
  std::vector<bool> enabled;
  EnableBackupFn enable = [&](bool on) { enabled.push_back(on); };
  ZipPlugin none(testing::WithoutPlugin());
  BackupStore store(questions, &none);
  EXPECT_EQ(ApplyBackupFolder(store, current / "missing", enable), 0);
  EXPECT_FALSE(std::filesystem::exists(current / "missing"));
  EXPECT_EQ(ApplyBackupFolder(store, current.path(), enable), 1);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true}));

  WriteBytes(current / "1.a.txt", "a");
  WriteBytes(current / "1.a.txt.backup_info", "info");
  WriteBytes(fresh / "1.a.txt", "already here");
  std::string box = fresh.path();
  questions.answers = {IDYES, IDNO};  // copy; then keep the file already there
  EXPECT_TRUE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  EXPECT_EQ(ReadBytes(fresh / "1.a.txt.backup_info"), "info");
  EXPECT_EQ(ReadBytes(fresh / "1.a.txt"), "already here");
  EXPECT_EQ(NamesIn(current.path()).size(), 2u);
  EXPECT_EQ(box, fresh.path());

  // The old folder is gone: the new folder's state decides, without a question, and a
  // missing one is not made.
  const size_t asked = questions.asked.size();
  box = fresh.path();
  EXPECT_TRUE(ConfirmBackupFolderChange(current / "gone", &box, questions, enable));
  box = fresh / "nope";
  EXPECT_TRUE(ConfirmBackupFolderChange(current / "gone", &box, questions, enable));
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(questions.asked.size(), asked);
  EXPECT_FALSE(std::filesystem::exists(fresh / "nope"));
}

// The dialog's answers, given in advance.
class ScriptedDetails : public BackupDetailsDialog {
 public:
  bool ok = true;
  BackupDetails reply;
  std::string shownFolder;
  bool Ask(const std::string&, const std::string& folder, BackupDetails* out) override {
    shownFolder = folder;
    *out = reply;
    return ok;
  }
};

// Two files, or a cancelled dialog, store nothing and leave the file; otherwise the file
// is stored with its comment, goes to the trash and leaves the results.
TEST(MoveToBackup, BacksUpThenTrashesAndDropsTheFile) {
  testing::PrivateTrashFiles();
  TempDir backup, files;
  testing::ScriptedQuestions questions;
  ZipPlugin none{testing::WithoutPlugin()};
  BackupStore store{questions, &none};
  store.SetFolder(backup.path());
  NodePtr results(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT));
  DataNode* group = CreateNode(results.get(), "a.txt", ATTACH_LAST_CHILD);
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
  PlatformFileShell shell{questions};
  FileActionHooks hooks;
  hooks.removeFile = [](DataNode* file) {
    DeleteNode(file);
    return 1;
  };
  FileActions actions{questions, shell, hooks};
  ScriptedDetails dialog;
  Selection selection{
      {files / "a.txt", files / "b/a.txt"}, results.get(), group, ResultView::kSeparate, -1};
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  selection.paths = {files / "a.txt"};
  dialog.ok = false;
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  EXPECT_EQ(dialog.shownFolder, files.path() + "/");
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(ReadBytes(files / "a.txt"), "same");

  dialog.ok = true;
  dialog.reply.comment = "line one\r\nline two";
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 1);
  EXPECT_FALSE(std::filesystem::exists(files / "a.txt"));
  EXPECT_EQ(group->FirstChild()->Name(), files / "b/a.txt");
  EXPECT_EQ(group->FirstChild()->Next(), nullptr);
  DataNode* entry = store.Entries(false)->FirstChild();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->attrs.ValueOf("comment").FullText(), "line one \\ line two");
  EXPECT_EQ(questions.asked.size(), 1u);  // only the refusal of two files
}

}  // namespace
}  // namespace tf
