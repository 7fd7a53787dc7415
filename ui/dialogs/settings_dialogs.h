// The dialogs of the "&Settings" menu as the main window opens them: each runs modally
// over `owner` and hands its result to the application shell.
#pragma once

#include <functional>

#include "results/backup_folder_change.h"

class QWidget;

namespace tf {

class AppShell;
class Questions;

// "Registered Tools"; the tools change in the options tree at once. Afterwards the result
// lists refill their tool boxes (`toolsChanged`).
void OpenToolList(AppShell& shell, Questions& questions, QWidget* owner,
                  const std::function<void()>& toolsChanged);

// "Program Options". True when OK stored them; `reapply` then runs (tooltips and the like).
bool OpenProgramOptions(AppShell& shell, Questions& questions, QWidget* owner,
                        const EnableBackupFn& enableBackup, const std::function<void()>& reapply);

// "Edit mask collection" on the program's collection, which OK replaces. True then.
bool OpenMaskCollectionEditor(AppShell& shell, Questions& questions, QWidget* owner);

// The read-only "File Filters" view of the program's collection.
void ShowFileFilters(AppShell& shell, Questions& questions, QWidget* owner);

// "Ignored Groups": the ignore list, whose entries it removes; nothing without one.
void ShowIgnoredGroups(AppShell& shell, Questions& questions, QWidget* owner);

}  // namespace tf
