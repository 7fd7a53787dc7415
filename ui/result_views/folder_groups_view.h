// FolderGroupsView: the "Duplicate folders" page of the results pane: the folder groups
// of the last search with their folders, and Browse, Move... and Move to trash for the
// selected folder. Without folder groups to show it says why and how to get them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QWidget>

#include "app/folder_actions.h"
#include "app/results_host.h"

class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace tf {

class FolderRowsModel;

class FolderGroupsView : public QWidget {
  Q_OBJECT

 public:
  enum Command { kBrowse, kMove, kTrash, kCommandCount };

  // `removeFolder` takes a folder that left its place out of the results and refills
  // every view (this one too); `host` must outlive the view.
  FolderGroupsView(ResultsHost& host, std::function<void(const std::string&)> removeFolder,
                   QWidget* parent = nullptr);

  // Refills when the results changed since the list was last filled.
  void Activate();
  // Rebuilds the list from the host's folder groups, selecting the folder `path` (the
  // row at `fallbackRow`, clamped, when it is gone; the first folder when negative).
  void Fill(const std::string& path = {}, int fallbackRow = -1);
  void OnSearchStarted();
  // The search ended: the view fills now when on show, else when next activated.
  void OnSearchFinished(bool fillNow);

  // Runs a command on the selected folder, as its button or menu item does.
  void RunCommand(Command command);

  QTableView* list() const { return m_list; }
  FolderRowsModel* model() const { return m_model; }
  QLabel* notice() const { return m_notice; }
  QPushButton* button(Command command) const { return m_buttons[command]; }
  QMenu* contextMenu() const { return m_menu; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int selectedRow() const;
  void recomputeButtons();
  void headerClicked(int column);
  void showSortIndicator();
  void selectRow(int row);

  ResultsHost& m_host;
  FolderActions m_actions;
  FolderRowsModel* m_model;
  QTableView* m_list;
  QLabel* m_notice;
  QPushButton* m_buttons[kCommandCount] = {};
  QMenu* m_menu;
  bool m_busy = false;
  bool m_inCommand = false;
  bool m_everFilled = false;
  uint64_t m_filledGeneration = 0;
};

}  // namespace tf
