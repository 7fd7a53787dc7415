// Move to Backup: the list views' action that keeps the selected file in the backup
// folder, with the "Backup file details" dialog it asks through.
#pragma once

#include <string>

#include "base/questions.h"
#include "results/backup_store.h"
#include "results/file_actions.h"

namespace tf {

constexpr const char* kOneFileToBackupText =
    "You can move to backup folder only one selected file at a time.";
constexpr const char* kMoreThanOneFileCaption = "More than one file selected";
// The longest comment kept, in bytes.
constexpr size_t kMaxBackupComment = 2047;

// What the user filled in.
struct BackupDetails {
  std::string comment;         // as typed, line breaks included
  bool deleteOriginal = true;  // "Delete original file"
};

// "Backup file details": shows the file's name and folder, an empty comment box with
// the focus and "Delete original file" checked.
class BackupDetailsDialog {
 public:
  virtual ~BackupDetailsDialog() = default;
  // False for Cancel; true for OK with the fields in `details`.
  virtual bool Ask(const std::string& fileName, const std::string& folder,
                   BackupDetails* details) = 0;
};

// Backs up the one selected file and, when asked to, deletes it after the backup
// through `actions` (silently to the trash, and out of the results). 1 when the
// backup was made.
int MoveToBackup(Selection& selection, BackupStore& store, Questions& questions,
                 BackupDetailsDialog& dialog, FileActions& actions);

}  // namespace tf
