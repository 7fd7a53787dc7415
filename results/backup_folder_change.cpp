#include "results/backup_folder_change.h"

#include <vector>

#include "platform/file_ops.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"

namespace tf {

namespace {

// The files of the folder that a copy can read; the lock and the temporaries of adds under
// way are the program's, not backups.
std::vector<std::string> filesOf(const std::string& folder) {
  std::vector<std::string> names, files;
  ListFolderNames(folder, &names);
  for (std::string& name : names)
    if (name.rfind(".tf-", 0) != 0 && !IsProgramTemporaryName(name) &&
        PathKind(JoinPath(name, folder)) == PATH_FILE)
      files.push_back(std::move(name));
  return files;
}

}  // namespace

int ApplyBackupFolder(BackupStore& store, const std::string& path,
                      const EnableBackupFn& enableBackup) {
  int available = store.SetFolder(path) && store.LoadEntries() ? 1 : 0;
  if (enableBackup) enableBackup(available != 0);
  return available;
}

bool BackupFolderLabelShown(const std::string& boxText) {
  return !IsFolder(boxText);
}

bool ConfirmBackupFolderChange(const std::string& currentFolder, std::string* boxText,
                               Questions& questions, const EnableBackupFn& enableBackup) {
  const std::string wanted = *boxText;
  // Paths name different folders when their letters differ in case.
  if (wanted == currentFolder) return true;
  const bool newExists = IsFolder(wanted);
  if (!IsFolder(currentFolder)) {
    if (enableBackup) enableBackup(newExists);
    return true;
  }
  if (!newExists) {
    if (questions.ShowMessage(kKeepPreviousFolderQuestion, kBackupFolderChangedCaption, MB_YESNO) !=
        IDYES)
      return false;
    *boxText = currentFolder;
    return true;
  }
  const std::vector<std::string> names = filesOf(currentFolder);
  if (!names.empty() && questions.ShowMessage(kCopyBackupFilesQuestion, kBackupFolderChangedCaption,
                                              MB_YESNO) == IDYES) {
    for (const std::string& name : names)
      ShellFileOp(&questions, FO_COPY, JoinPath(name, currentFolder), JoinPath(name, wanted), true);
  }
  return true;
}

}  // namespace tf
