// BackupFolderView: the "Backup" page of the results pane. It lists the files kept in
// the backup folder with their details and restores, copies, browses and deletes them
// through the backup store.
#pragma once

#include <array>
#include <cstdint>
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
  // The page is shown: reads the folder again when it changed since it was last looked
  // at (another program may have added to it), refills, selecting the first row.
  void Activate();
  // Refills, keeping the selected entry, when the store has loaded its entries again
  // since the rows were made (a new folder in the options, say); cheap otherwise.
  void FollowStore();
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
  // The store's entry stored as `name` (its full path), or null.
  DataNode* entryNamed(const std::string& name) const;
  // Reloads the store when the folder's change time moved since the last look.
  void rereadIfChanged();
  // Remembers the folder's change time as the store's entries now reflect it.
  void noteFolderTime();
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
  // The stored name (the entry node's name, its full path) of each row, in row order.
  // Rows never hold entry nodes: a reload frees them, and a new node may take the
  // place of a freed one. The rows show copies of their texts.
  std::vector<std::string> m_rows;
  uint64_t m_rowsLoad = 0;  // the store's load count the rows were made from
  // The folder's modification time when last looked at; a time that close to the look
  // itself may hide a later change within the clock's step, so it counts as unknown.
  int64_t m_folderTime = 0;
  bool m_folderTimeSure = false;
  int m_sortKey = kBackupSortName;
  bool m_inCommand = false;
};

}  // namespace tf
