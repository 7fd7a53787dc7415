#include "ui/dialogs/settings_dialogs.h"

#include "app/app_shell.h"
#include "results/ignore_store.h"
#include "scan/mask_collection.h"
#include "ui/dialogs/ignored_groups_dialog.h"
#include "ui/dialogs/mask_collection_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/tool_list_dialog.h"

namespace tf {

namespace {

// Where "Load" and "Save" of the collection editor start: the user's collection folder.
std::string collectionFolder(AppShell& shell) {
  const std::vector<std::string>& folders = shell.places().collectionFolders;
  return folders.empty() ? std::string() : folders.front();
}

}  // namespace

void OpenToolList(AppShell& shell, Questions& questions, QWidget* owner,
                  const std::function<void()>& toolsChanged) {
  ToolListDialog dialog(shell.ToolsSection(), questions, owner);
  dialog.exec();
  if (toolsChanged) toolsChanged();
}

bool OpenProgramOptions(AppShell& shell, Questions& questions, QWidget* owner,
                        const EnableBackupFn& enableBackup, const std::function<void()>& reapply) {
  OptionsDialog dialog(shell, questions, enableBackup, reapply, owner);
  return dialog.exec() == QDialog::Accepted;
}

bool OpenMaskCollectionEditor(AppShell& shell, Questions& questions, QWidget* owner) {
  MaskCollectionDialog dialog(shell.Masks(), questions, collectionFolder(shell),
                              MaskCollectionDialog::Mode::kEdit, owner);
  if (dialog.exec() != QDialog::Accepted) return false;
  shell.Masks().AssignFrom(dialog.Collection());
  return true;
}

void ShowFileFilters(AppShell& shell, Questions& questions, QWidget* owner) {
  MaskCollectionDialog dialog(shell.Masks(), questions, collectionFolder(shell),
                              MaskCollectionDialog::Mode::kView, owner);
  dialog.exec();
}

void ShowIgnoredGroups(AppShell& shell, Questions& questions, QWidget* owner) {
  if (!shell.Ignored()) return;
  IgnoredGroupsDialog dialog(*shell.Ignored(), questions, owner);
  dialog.exec();
}

}  // namespace tf
