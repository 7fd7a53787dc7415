#include "app/program_options.h"

#include "app/app_shell.h"
#include "app/remembered_search.h"
#include "platform/path_utils.h"
#include "results/backup_store.h"
#include "scan/mask_collection.h"
#include "settings/settings_store.h"

namespace tf {

namespace {

int32_t listPosition(int32_t value, int32_t count) {
  return value >= 0 && value < count ? value : 0;
}

}  // namespace

ProgramOptions ReadProgramOptions(AppShell& shell) {
  SettingsStore& store = shell.Settings();
  ProgramOptions options;
  options.tooltips = store.GetTooltips() != 0;
  options.browseMode = listPosition(store.GetBrowseMode(), 2);
  // Every value but 0 and 1 runs the scan at high priority, so it shows as "High".
  const int32_t priority = store.GetPriority();
  options.priority = priority == 0 || priority == 1 ? priority : 2;
  options.builtInMasks = store.GetFilterFlag() != 0;
  options.maskFile = store.GetFilterText();
  options.backupFolder = store.GetBackupFolder();
  options.rememberSearch = RememberSearchOn(&store);
  options.oneThreadPerDisk = store.GetOneThreadPerDisk() != 0;
  return options;
}

OptionsOutcome ConfirmProgramOptions(AppShell& shell, ProgramOptions* options, Questions& questions,
                                     const EnableBackupFn& enableBackup) {
  // A path the next start could not load would silently give the built-in masks instead;
  // a cut-off file may still parse, but leaves no group to filter with.
  if (!options->builtInMasks) {
    MaskCollection probe;
    if (!probe.LoadFromFile(options->maskFile) || probe.Count() == 0) {
      questions.ShowMessage(kBadMaskFileText + options->maskFile, kBadMaskFileCaption, MB_OK);
      return OptionsOutcome::kBadMaskFile;
    }
  }
  SettingsStore& store = shell.Settings();
  if (!ConfirmBackupFolderChange(store.GetBackupFolder(), &options->backupFolder, questions,
                                 enableBackup))
    return OptionsOutcome::kBackupRefused;
  store.SetTooltips(options->tooltips ? 1 : 0);
  store.SetBrowseMode(options->browseMode);
  store.SetPriority(options->priority);
  store.SetFilterFlag(options->builtInMasks ? 1 : 0);
  store.SetFilterText(options->maskFile);
  store.SetBackupFolder(options->backupFolder);
  SetRememberSearchOn(&store, options->rememberSearch);
  store.SetOneThreadPerDisk(options->oneThreadPerDisk ? 1 : 0);
  if (BackupStore* backup = shell.Backup()) {
    // The same folder keeps its loaded entries: a page on show may act on them.
    if (backup->Folder() != options->backupFolder)
      ApplyBackupFolder(*backup, options->backupFolder, enableBackup);
    else if (enableBackup)
      enableBackup(PathKind(options->backupFolder) == PATH_FOLDER);
  }
  shell.Search().SetPriority(store.GetPriority());
  shell.Search().SetOneThreadPerDisk(store.GetOneThreadPerDisk() != 0);
  return OptionsOutcome::kStored;
}

}  // namespace tf
