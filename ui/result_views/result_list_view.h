// ResultListView: what the separate lists view and the unified list view share: the two
// rows of action buttons, the tool box, the "FILE" context menu, and the commands that
// hand the selected files to FileActions.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "app/results_host.h"
#include "results/file_actions.h"
#include "results/result_rows.h"
#include "results/selection_rules.h"

class QAbstractItemView;
class QAction;
class QComboBox;
class QKeyEvent;
class QMenu;
class QPushButton;
class QTableView;

namespace tf {

class ResultRowsModel;

class ResultListView : public QWidget {
  Q_OBJECT

 public:
  enum Command {
    kOpen,
    kBrowse,
    kRun,
    kMoveToBackup,
    kMove,
    kCopy,
    kReplaceByLink,
    kDelete,
    kProperties,   // context menu only
    kIgnoreGroup,  // context menu only: the groups of the selection into the ignore list
    kCommandCount
  };

  // `removeFile` takes a file node out of the results (see ResultsHost::RemoveFile) and
  // must leave no row of this view pointing at a deleted node.
  ResultListView(ResultsHost& host, std::function<int(DataNode*)> removeFile, QWidget* parent);
  ~ResultListView() override;

  // The button of a command (null for the context menu's own).
  QPushButton* button(Command command) const { return m_buttons[command]; }
  QComboBox* toolBox() const { return m_toolBox; }
  QMenu* contextMenu() const { return m_menu; }
  // The "Select" pop-up of the context menu (also shown alone on a list without a
  // selected file).
  QMenu* selectMenu() const { return m_selectMenu; }
  // The filling (separate view) or cleared (unified view) flag: actions are ignored.
  bool busy() const { return m_busy; }

  // `removals(true)` and `removals(false)` bracket a delete that takes many files out
  // one after another: until the closing call the removed rows may be kept back and
  // dropped at once, as no repaint happens between.
  void SetRemovalBatch(std::function<void(bool begin)> removals) {
    m_removals = std::move(removals);
  }

  // Runs a command on the selected files, as its button or menu item does.
  void RunCommand(Command command);
  // Selects the files that `rule` picks in every group the view shows, asking for the
  // folder first where the rule needs one. False when nothing was done (no groups, busy,
  // or the folder chooser was cancelled).
  bool RunSelectHelper(SelectRule rule);
  // Verifies the groups of the selected files (ResultsHost::VerifyGroups). False when
  // nothing changed.
  bool VerifySelectedGroups();
  // Shares the storage of the selected files of verified groups (ResultsHost::ShareStorage).
  // False when nothing was done (the command is then disabled, its tooltip says why).
  bool ShareSelectedFiles();
  // True while the view has groups and takes commands.
  bool HasGroups() const;
  void RefillToolBox();
  void RecomputeButtons();
  // See ResultsPane::RemoveFileFromResults.
  int RemoveFileFromResults(const std::string& path);

  // Refills the lists when the results changed since this view last filled them, then
  // makes the program's current file the one this view has selected.
  void Activate();
  // Rebuilds the lists from the results, selecting the group named `name` (the first row
  // when empty or not found).
  virtual void Fill(const std::string& name) = 0;
  void OnSearchStarted();
  // The search ended: the view on show fills at once; a hidden one (`fillNow` false) only
  // leaves its searching state and fills when it is next activated, so the end of a big
  // search does not fill a list nobody sees.
  void OnSearchFinished(bool fillNow);
  // Forgets every row of a node that is gone.
  virtual void DropRows(const std::vector<const DataNode*>& gone) = 0;

 protected:
  // Full paths of the selected file rows in list order, and the separate view's group.
  virtual Selection currentSelection() const = 0;
  virtual int selectedFileCount() const = 0;
  // The file the current-file slot shows for this view's selection, or null.
  virtual DataNode* currentFileOfSelection() const = 0;
  // Empties every list of the view, forgetting its selection.
  virtual void clearRows() = 0;
  // Refills after a file left the results (1: keep the named group, 2: first row).
  void refillAfterRemoval(int answer, const std::string& groupName);
  // Empties and refills every list of the view, selecting the first group.
  void rebuild();
  // The view's selected files (what "Invert" turns over), in no particular order.
  virtual std::vector<const DataNode*> selectedFiles() const = 0;
  // Makes exactly `files` (in tree order) the view's selected files.
  virtual void selectFiles(const std::vector<DataNode*>& files) = 0;

  // The two rows of buttons with the tool box, for the view's layout.
  QWidget* takeButtonRows();
  // Tab leads through `lists`, then the buttons row by row, left to right, as they stand.
  void chainTabs(const std::vector<QWidget*>& lists);
  // Opens the "FILE" menu at `pos` of `list` when a file is selected.
  void showContextMenu(QAbstractItemView* list, const QPoint& pos);
  // Report-style list over `model`, its "File" column sized to what the others leave.
  QTableView* makeList(ResultRowsModel* model, bool severalRows);
  // Sorts `model` by the key a click on `column` gives; a wait cursor when asked. The
  // header shows the new key, and the current row stays in view.
  void headerClicked(ResultRowsModel* model, int* key, int column, bool waitCursor);
  // Selects, focuses and shows row `index` (clamped) of `list`.
  static void selectRow(QTableView* list, int index);
  static std::vector<int> selectedRows(const QTableView* list);
  // Shows `key` as the header's sort indicator: its column, and the arrow of its direction.
  static void showSortKey(QTableView* list, ResultList kind, int key);
  // Sizes the columns to the list's width: "File" gets what the others leave.
  static void applyWidths(QTableView* list);

  // Sets the program's current file; only the view on show does, so that the hidden one,
  // refilled at the end of a search, does not take the slot from it.
  void setCurrentFile(DataNode* file);
  void setBusy(bool busy) { m_busy = busy; }
  bool changedSinceFilled() const;
  void markFilled();

  ResultsHost& m_host;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(bool)> m_removals;
  enum class Pending { kNone, kRefill, kRebuild };
  FileActionHooks actionHooks(std::function<int(DataNode*)> removeFile);
  void buildButtonRows();
  void buildContextMenu();
  void resultsChanged(int answer, const std::string& groupName);
  void deleteSelected(const Selection& selection);
  void moveToBackup(Selection& selection);
  // Adds the groups of the selected files to the ignore list and, once it is saved, takes
  // them out of the results.
  void ignoreSelectedGroups(const Selection& selection);
  // The keys of a file manager on a list: Enter opens, Delete deletes, Ctrl+A selects
  // every file row. True when the key was one of them.
  bool listKey(QTableView* list, const QKeyEvent* key);

  std::vector<QTableView*> m_lists;
  std::function<int(DataNode*)> m_removeFile;

  FileActions m_actions;
  std::array<QPushButton*, kCommandCount> m_buttons{};
  QComboBox* m_toolBox;
  QWidget* m_buttonRows;
  QMenu* m_menu;
  QMenu* m_selectMenu;
  QAction* m_verifyAction = nullptr;
  QAction* m_shareAction = nullptr;  // null where the host offers no sharing
  void updateShareAction();
  std::string m_lastFolder;  // where the folder chooser of the helpers starts
  int m_toolCount = 0;
  bool m_busy = false;
  bool m_inCommand = false;
  bool m_everFilled = false;
  uint64_t m_filledGeneration = 0;
  // A refill asked for while a command runs waits until it ends, so that a delete of
  // many files refills once.
  Pending m_pending = Pending::kNone;
  int m_pendingAnswer = 0;
  std::string m_pendingGroup;
};

}  // namespace tf
