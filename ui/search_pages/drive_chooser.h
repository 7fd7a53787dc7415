// DriveChooser: the small dialog of "Add drive to search list", listing the mounted file
// systems with their size and free space.
#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "platform/volume_info.h"

class QListWidget;

namespace tf {

class DriveChooser : public QDialog {
  Q_OBJECT

 public:
  DriveChooser(const std::vector<DriveSummary>& drives, QWidget* owner);

  // The mount point of the chosen line, or "" when none is selected.
  std::string ChosenMountPoint() const;
  QListWidget* list() const { return m_list; }

  // Lists the mounted file systems and lets the user pick one; true with its mount
  // point in `out`. Nothing is shown when no file system can be listed.
  static bool Choose(QWidget* owner, std::string* out);

 private:
  std::vector<DriveSummary> m_drives;
  QListWidget* m_list = nullptr;
};

}  // namespace tf
