// ProgramOptions: the fields of the "Program Options" dialog as plain values, read from the
// options store, and the confirmation that checks and stores them and applies what can be
// applied at once (backup folder, scan priority).
#pragma once

#include <cstdint>
#include <string>

#include "base/questions.h"
#include "results/backup_folder_change.h"

namespace tf {

class AppShell;

struct ProgramOptions {
  bool tooltips = true;
  int32_t browseMode = 0;  // 0 the folder window, 1 the file manager
  int32_t priority = 1;    // 0 low, 1 normal, 2 high
  bool builtInMasks = true;
  std::string maskFile;  // the collection loaded at start-up without built-in masks
  std::string backupFolder;
  bool rememberSearch = true;     // the last search comes back at the next start
  bool oneThreadPerDisk = false;  // every walk reads one folder at a time
};

constexpr const char* kBadMaskFileCaption = "Error";
// Shown when "Load from file" names no readable mask collection with at least one group;
// the text ends in the path.
constexpr const char* kBadMaskFileText = "This file is not a mask collection:\n";

// The stored options as the dialog shows them; a browse mode or priority outside its list
// shows as the first entry, as the store would treat it.
ProgramOptions ReadProgramOptions(AppShell& shell);

enum class OptionsOutcome {
  kStored,
  kBadMaskFile,    // "Load from file" without a readable collection; nothing stored
  kBackupRefused,  // the user kept the new, missing backup folder; nothing stored
};

// "OK" of the dialog. A collection file is checked first, because the backup folder step
// may already have copied files when it answers. Then the backup folder change (which may
// put the current folder back into `options->backupFolder`), the setters in the dialog's
// order, ApplyBackupFolder, and the scan priority and walk of the next search. `enableBackup`
// receives whether the backup features are available.
OptionsOutcome ConfirmProgramOptions(AppShell& shell, ProgramOptions* options, Questions& questions,
                                     const EnableBackupFn& enableBackup);

}  // namespace tf
