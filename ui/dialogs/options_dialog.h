// OptionsDialog: "Program Options", the dialog of the "common:" options: tooltips, the
// browse action, the scan priority, the default mask collection and the backup folder.
#pragma once

#include <functional>

#include <QDialog>

#include "app/program_options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tf {

class AppShell;

class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // Shows the stored options of `shell`. `enableBackup` is told whether the backup
  // features are available whenever OK applies a folder; `reapply` runs after the options
  // were stored (tooltips and the like).
  OptionsDialog(AppShell& shell, Questions& questions, EnableBackupFn enableBackup,
                std::function<void()> reapply, QWidget* parent = nullptr);
  ~OptionsDialog() override;

  QCheckBox* tooltipsBox() const { return m_tooltips; }
  QCheckBox* rememberSearchBox() const { return m_rememberSearch; }
  QComboBox* browseList() const { return m_browse; }
  QComboBox* priorityList() const { return m_priority; }
  QCheckBox* oneThreadPerDiskBox() const { return m_oneThreadPerDisk; }
  QRadioButton* builtInMasksButton() const { return m_builtIn; }
  QRadioButton* maskFileButton() const { return m_fromFile; }
  QLineEdit* maskFileBox() const { return m_maskFile; }
  QPushButton* maskFileChooser() const { return m_maskChooser; }
  QLineEdit* backupBox() const { return m_backup; }
  QPushButton* backupChooser() const { return m_backupChooser; }
  QLabel* backupErrorLabel() const { return m_backupError; }
  QPushButton* okButton() const { return m_ok; }
  QPushButton* cancelButton() const { return m_cancel; }

 public slots:
  void accept() override;

 private:
  void build();
  void showOptions(const ProgramOptions& options);
  void chooseMaskFile();
  void chooseBackupFolder();
  void updateBackupError();
  void updateMaskFileControls();

  AppShell& m_shell;
  Questions& m_questions;
  EnableBackupFn m_enableBackup;
  std::function<void()> m_reapply;
  QCheckBox* m_tooltips = nullptr;
  QCheckBox* m_rememberSearch = nullptr;
  QComboBox* m_browse = nullptr;
  QComboBox* m_priority = nullptr;
  QCheckBox* m_oneThreadPerDisk = nullptr;
  QRadioButton* m_builtIn = nullptr;
  QRadioButton* m_fromFile = nullptr;
  QLineEdit* m_maskFile = nullptr;
  QPushButton* m_maskChooser = nullptr;
  QLineEdit* m_backup = nullptr;
  QPushButton* m_backupChooser = nullptr;
  QLabel* m_backupError = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
};

}  // namespace tf
