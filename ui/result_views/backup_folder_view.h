// BackupFolderView: the "Backup" page of the results pane. It lists the files kept in
// the backup folder with their details and restores, copies, browses and deletes them
// through the backup store.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QWidget>

#include "base/questions.h"
#include "results/backup_store.h"
#include "results/backup_view.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tf {

class BackupFolderView : public QWidget {
  Q_OBJECT

 public:
  enum Command { kRestore, kCopy, kBrowse, kDelete, kDeleteAll, kCommandCount };

  // `store` and `questions` must outlive the view.
  BackupFolderView(BackupStore& store, Questions& questions, QWidget* parent = nullptr);
  ~BackupFolderView() override;

  // Lists the entries again (read from disk only when the store has none loaded) and
  // selects the row named `name`, else the first.
  void Refill(const std::string& name);
  // The page is shown: refill, selecting the first row.
  void Activate() { Refill(std::string()); }
  // Runs a command on the selected entry, as its button or menu item does.
  void RunCommand(Command command);

  QTableWidget* list() const { return m_list; }
  QPlainTextEdit* details() const { return m_details; }
  QPushButton* button(Command command) const { return m_buttons[command]; }
  QMenu* contextMenu() const { return m_menu; }
  int sortKey() const { return m_sortKey; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DataNode* selectedEntry() const;
  void fillRows(const std::string& selectName);
  void selectionChanged();
  void recomputeButtons();
  void headerClicked(int column);
  void applyWidths(bool atCreation);
  void showContextMenu(const QPoint& pos);

  BackupStore& m_store;
  Questions& m_questions;
  QTableWidget* m_list;
  QPlainTextEdit* m_details;
  std::array<QPushButton*, kCommandCount> m_buttons{};
  QMenu* m_menu;
  // The entry of each row, in row order. The rows show copies of their texts, so the
  // list paints without the entries while the store works on them.
  std::vector<DataNode*> m_rows;
  int m_sortKey = kBackupSortName;
  bool m_inCommand = false;
};

}  // namespace tf
