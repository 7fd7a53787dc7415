#include "ui/search_pages/drive_chooser.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"

namespace tf {

DriveChooser::DriveChooser(const std::vector<DriveSummary>& drives, QWidget* owner)
    : QDialog(owner), m_drives(drives) {
  setWindowTitle("Add drive to search list");
  m_list = new QListWidget(this);
  m_list->setAccessibleName(QStringLiteral("Drives"));
  for (const DriveSummary& drive : m_drives) m_list->addItem(QtText(drive.line));
  if (m_list->count() > 0) m_list->setCurrentRow(0);
  connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list);
  AddOkCancel(this, layout, "Add the chosen drive to the search list", "Close dialog");
}

std::string DriveChooser::ChosenMountPoint() const {
  const int row = m_list->currentRow();
  if (row < 0 || row >= static_cast<int>(m_drives.size())) return {};
  // The mount point is kept apart from the shown line: it may hold blanks.
  return m_drives[static_cast<size_t>(row)].mountPoint;
}

bool DriveChooser::Choose(QWidget* owner, std::string* out) {
  std::vector<DriveSummary> drives;
  if (!BuildDriveSummaryList(&drives) || drives.empty()) return false;
  DriveChooser dialog(drives, owner);
  if (dialog.exec() != QDialog::Accepted) return false;
  *out = dialog.ChosenMountPoint();
  return !out->empty();
}

}  // namespace tf
