// WindowBackupDetailsDialog: "Backup file details", asked before a file is moved to the
// backup folder: its name and folder, a comment and whether the original goes.
#pragma once

#include <string>

#include "results/move_to_backup.h"

class QWidget;

namespace tf {

class WindowBackupDetailsDialog : public BackupDetailsDialog {
 public:
  // The dialog opens over `parent` (may be null).
  explicit WindowBackupDetailsDialog(QWidget* parent) : m_parent(parent) {}

  bool Ask(const std::string& fileName, const std::string& folder, BackupDetails* details) override;

 private:
  QWidget* m_parent;
};

}  // namespace tf
