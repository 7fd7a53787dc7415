// The backup folder as the program applies it, and the change of it that the options
// dialog makes when it is confirmed.
#pragma once

#include <functional>
#include <string>

#include "base/questions.h"
#include "results/backup_store.h"

namespace tf {

constexpr const char* kBackupFolderMissingLabel = "Error: folder does not exist!";
constexpr const char* kBackupFolderChangedCaption = "Backup folder changed";
constexpr const char* kCopyBackupFilesQuestion =
    "Would you like to copy backup files to the new location?";
constexpr const char* kKeepPreviousFolderQuestion =
    "New backup folder does not exist. Would you like to set previous backup folder?";

// Tells the windows whether the backup features are available.
using EnableBackupFn = std::function<void(bool available)>;

// Points the store at `path` and loads it. 1 when it is an existing folder and was
// loaded; `enableBackup` (may be empty) receives the same answer. The folder is never
// created here.
int ApplyBackupFolder(BackupStore& store, const std::string& path,
                      const EnableBackupFn& enableBackup);

// Whether the options dialog shows kBackupFolderMissingLabel for the box's text.
bool BackupFolderLabelShown(const std::string& boxText);

// The backup folder step of confirming the options, before they are stored. May offer
// to copy the files of the current folder into the new one (the old folder keeps them),
// and may put the current folder back into `boxText`. False when the user refused, so
// the dialog stays open.
bool ConfirmBackupFolderChange(const std::string& currentFolder, std::string* boxText,
                               Questions& questions, const EnableBackupFn& enableBackup);

}  // namespace tf
