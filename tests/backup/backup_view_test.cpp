#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "duplicates/run_result.h"
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

using namespace testing;

DataNode* AddEntry(DataNode* root, const char* desc, const char* location, const char* placed,
                   const char* type, const char* size) {
  DataNode* e = CreateNode(root, (std::string("/b/1.") + desc).c_str(), ATTACH_LAST_CHILD);
  SetDesc(e, desc);
  const char *keys[] = {"location", "placed", "type", "size"},
             *values[] = {location, placed, type, size};
  for (int i = 0; i < 4; ++i)
    if (values[i]) e->attrs.Set(keys[i], AttrValue::FromString(values[i]), 1);
  return e;
}

// Ties go by name and are never reversed; a long comment is never cut inside a character.
TEST(BackupView, OrdersTieBreaksAndDetails) {
  DataNode* root = CreateNode(nullptr, "backup_files", ATTACH_ROOT);
  AddEntry(root, "b.txt", "/Z/", "2024-01-02 10:00:00", "txt", "10");
  DataNode* doc = AddEntry(root, "A.doc", "/a/", "2023-12-31 23:59:59", "doc", "2000");
  AddEntry(root, "c.txt", "/a/", "2024-01-02 10:00:00", "TXT", nullptr);
  AddEntry(root, "a.bin", nullptr, nullptr, nullptr, "10");
  std::string order;
  for (DataNode* e : SortedBackupEntries(root, kBackupSortLocation | kBackupSortReversed))
    order += std::string(e->Desc()) + " ";
  EXPECT_EQ(order, "b.txt A.doc c.txt a.bin ");

  std::string accents;
  for (int i = 0; i < 1500; ++i) accents += "\xC3\xA9";
  doc->attrs.Set("comment", AttrValue::FromString(accents), 1);
  const std::string details = BackupDetailsText(doc);
  EXPECT_LE(details.size(), 2047u);
  EXPECT_EQ(details.substr(details.size() - 2), "\xC3\xA9");
  DeleteNode(root);
}

TEST(BackupFolderChange, NothingIsMadeReplacedOrLost) {
  TempTree current, fresh;
  testing::ScriptedQuestions questions;
  std::vector<bool> enabled;
  EnableBackupFn enable = [&](bool on) { enabled.push_back(on); };
  ZipPlugin none(testing::WithoutPlugin());
  BackupStore store(questions, &none);
  EXPECT_EQ(ApplyBackupFolder(store, current / "missing", enable), 0);
  EXPECT_FALSE(std::filesystem::exists(current / "missing"));
  EXPECT_EQ(ApplyBackupFolder(store, current.path(), enable), 1);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true}));

  WriteFile(current / "1.a.txt", "a");
  WriteFile(current / "1.a.txt.backup_info", "info");
  WriteFile(fresh / "1.a.txt", "already here");
  std::string box = fresh.path();
  questions.answers = {IDYES, IDNO};  // copy; then keep the file already there
  EXPECT_TRUE(ConfirmBackupFolderChange(current.path(), &box, questions, enable));
  EXPECT_EQ(ReadFile(fresh / "1.a.txt.backup_info"), "info");
  EXPECT_EQ(ReadFile(fresh / "1.a.txt"), "already here");
  EXPECT_EQ(NamesIn(current.path()).size(), 2u);
  EXPECT_EQ(box, fresh.path());

  // The old folder is gone: the new folder's state decides, without a question.
  const size_t asked = questions.asked.size();
  box = fresh.path();
  EXPECT_TRUE(ConfirmBackupFolderChange(current / "gone", &box, questions, enable));
  box = fresh / "nope";
  EXPECT_TRUE(ConfirmBackupFolderChange(current / "gone", &box, questions, enable));
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(questions.asked.size(), asked);
  EXPECT_FALSE(std::filesystem::exists(fresh / "nope"));
}

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

TEST(MoveToBackup, TwoFilesOrACancelledDialogStoreNothing) {
  TempTree backup, files;
  testing::ScriptedQuestions questions;
  ZipPlugin none{testing::WithoutPlugin()};
  BackupStore store{questions, &none};
  store.SetFolder(backup.path());
  WriteFile(files / "a.txt", "same");
  WriteFile(files / "b.txt", "same");
  PlatformFileShell shell{questions};
  FileActions actions{questions, shell, FileActionHooks{}};
  ScriptedDetails dialog;
  Selection selection{
      {files / "a.txt", files / "b.txt"}, nullptr, nullptr, ResultView::kUnified, -1};
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(dialog.shownFolder.empty());  // refused before the dialog
  selection.paths = {files / "a.txt"};
  dialog.ok = false;
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  EXPECT_EQ(dialog.shownFolder, files.path() + "/");
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(ReadFile(files / "a.txt"), "same");

  // What is kept must be the file the search found: one that grew since is left alone.
  auto scan = std::make_unique<DuplicateIndex>();
  DuplicateCriteria unsplit;
  scan->Configure(unsplit);
  for (const char* name : {"a.txt", "b.txt"}) {
    PathStatus found;
    ASSERT_TRUE(StatPath(files / name, &found, false));
    scan->AddFile(files.path() + "/", name, found.size, found.modified);
  }
  RunResult result;
  result.Merge(scan);
  unsplit.sameTime = unsplit.sameSize = false;
  result.Finalise(unsplit, {});
  WriteFile(files / "a.txt", "grown");
  dialog.ok = true;
  selection.groupsRoot = result.Root();
  EXPECT_EQ(MoveToBackup(selection, store, questions, dialog, actions), 0);
  EXPECT_EQ(questions.asked.back().caption, kChangedCaption);
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(ReadFile(files / "a.txt"), "grown");
}

}  // namespace
}  // namespace tf
