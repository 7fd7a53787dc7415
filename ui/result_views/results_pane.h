// ResultsPane: the mode bar ("Separated", "Unified", "Backup", "Duplicate folders") over the
// view of the active mode: the separate lists, the unified list, the backup folder page or
// the duplicate folder groups.
#pragma once

#include <array>

#include <string>

#include <vector>

#include <QWidget>

#include "app/results_host.h"
#include "results/file_actions.h"
#include "results/selection_rules.h"

class QAbstractButton;
class QPushButton;
class QStackedWidget;

namespace tf {

class BackupFolderView;
class FolderGroupsView;
class ResultListView;
class SeparateListsView;
class UnifiedListView;

class ResultsPane : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSeparateMode = 0;
  static constexpr int kUnifiedMode = 1;
  static constexpr int kBackupMode = 2;
  static constexpr int kFoldersMode = 3;

  // `host` must outlive the pane.
  explicit ResultsPane(ResultsHost& host, QWidget* parent = nullptr);
  ~ResultsPane() override;

  // Shows the view of `mode` (0 to 3), refilling it first when the results changed since
  // it was last filled. Nothing happens for the current mode, an unknown one, or the backup
  // mode while "Backup" is disabled.
  void SetMode(int mode);
  int Mode() const { return m_mode; }

  // Enables the "Backup" mode button; disabling it while the backup page shows goes back
  // to the separate lists. Both list views recompute their buttons.
  void EnableBackup(bool enabled);

  // A search began: the views empty their lists and ignore actions until it finishes.
  void OnSearchStarted();
  // A search finished: the views show its groups, selecting the first one.
  void OnSearchFinished();
  // The registered tools changed: both views refill their tool boxes.
  void OnToolsChanged();

  // Takes a file that left its place (moved, backed up, replaced) out of the results and
  // refills `view`: 0 when the path is not among its rows' files, else the answer of the
  // host's RemoveFile (1 the group stays, 2 it went).
  int RemoveFileFromResults(ResultView view, const std::string& path);

  // Puts the backup folder's view on the backup page (the pane takes it over); it is
  // refilled each time the page is shown.
  void SetBackupView(BackupFolderView* view);
  BackupFolderView* backupView() const { return m_backupView; }

  // The list view on show, or null on the backup page.
  ResultListView* listView() const;
  // Runs a selection helper in the list view on show; false when none ran.
  bool RunSelectHelper(SelectRule rule);

  SeparateListsView* separateView() const { return m_separate; }
  UnifiedListView* unifiedView() const { return m_unified; }
  FolderGroupsView* foldersView() const { return m_folders; }
  QAbstractButton* modeButton(int mode) const;

 private:
  // The host's RemoveFile, after which neither view keeps a row of a deleted node.
  int removeFile(DataNode* file);
  // Opens (true) or closes a run of removals whose rows both views drop once, at the end.
  void batchRemovals(bool begin);
  void updateModeBar();
  // Takes a folder that left its place out of the results: the file lists let go of
  // their rows first, as the folder's files go, and every view refills.
  void removeFolder(const std::string& path);

  ResultsHost& m_host;
  std::array<QPushButton*, 4> m_modeButtons{};
  QStackedWidget* m_stack;
  SeparateListsView* m_separate;
  UnifiedListView* m_unified;
  QWidget* m_backupPage;
  FolderGroupsView* m_folders;
  BackupFolderView* m_backupView = nullptr;
  int m_mode = kSeparateMode;
  bool m_batching = false;
  std::vector<const DataNode*> m_gone;  // rows of a run of removals not yet dropped
};

}  // namespace tf
