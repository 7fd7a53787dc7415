#include "results/backup_folder_change.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_ops.h"
#include "platform/path_utils.h"

namespace tf {
namespace fs = std::filesystem;

namespace {

bool isFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

std::vector<std::string> filesOf(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
  }
  return names;
}

}  // namespace

int ApplyBackupFolder(BackupStore& store, const std::string& path,
                      const EnableBackupFn& enableBackup) {
  int available = store.SetFolder(path) && store.LoadEntries() ? 1 : 0;
  if (enableBackup) enableBackup(available != 0);
  return available;
}

bool BackupFolderLabelShown(const std::string& boxText) {
  return !isFolder(boxText);
}

bool ConfirmBackupFolderChange(const std::string& currentFolder, std::string* boxText,
                               Questions& questions, const EnableBackupFn& enableBackup) {
  const std::string wanted = *boxText;
  // Paths name different folders when their letters differ in case.
  if (wanted == currentFolder) return true;
  const bool newExists = isFolder(wanted);
  if (!isFolder(currentFolder)) {
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
