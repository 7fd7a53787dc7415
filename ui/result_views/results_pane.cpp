#include "ui/result_views/results_pane.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/result_views/backup_folder_view.h"
#include "ui/result_views/folder_groups_view.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/window/control_helpers.h"

namespace tf {

namespace {

constexpr ButtonText kModeButtons[] = {
    {"Separated", "Show separate lists"},
    {"Unified", "Show unified list"},
    {"Backup", "Show Backup folder"},
    {"Duplicate folders", "Show folders that hold the same files"},
};

}  // namespace

ResultsPane::ResultsPane(ResultsHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
  // The mode bar is made first: Tab reaches it before the view below it.
  auto* bar = new QHBoxLayout;
  for (int mode = kSeparateMode; mode <= kFoldersMode; ++mode) {
    QPushButton* button = MakeButton(kModeButtons[mode], this);
    button->setCheckable(true);
    m_modeButtons[static_cast<size_t>(mode)] = button;
    connect(button, &QPushButton::clicked, this, [this, mode] { SetMode(mode); });
    bar->addWidget(button);
  }
  const auto removeFile = [this](DataNode* file) { return this->removeFile(file); };
  m_separate = new SeparateListsView(host, removeFile, this);
  m_unified = new UnifiedListView(host, removeFile, this);
  const auto batch = [this](bool begin) { batchRemovals(begin); };
  m_separate->SetRemovalBatch(batch);
  m_unified->SetRemovalBatch(batch);
  m_backupPage = new QWidget(this);
  m_folders = new FolderGroupsView(
      host, [this](const std::string& path) { removeFolder(path); }, this);

  bar->addStretch(1);
  // Checked one at a time by updateModeBar and kept out of a button group: in a group,
  // Tab would stop only at the checked button, and every button here is a stop of its own.
  modeButton(kBackupMode)->setEnabled(false);

  m_stack = new QStackedWidget(this);
  m_stack->addWidget(m_separate);
  m_stack->addWidget(m_unified);
  m_stack->addWidget(m_backupPage);
  m_stack->addWidget(m_folders);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(bar);
  layout->addWidget(m_stack, 1);
  updateModeBar();
}

ResultsPane::~ResultsPane() = default;

void ResultsPane::SetMode(int mode) {
  const bool refused = mode == m_mode || mode < kSeparateMode || mode > kFoldersMode ||
                       (mode == kBackupMode && !modeButton(kBackupMode)->isEnabled());
  if (!refused) {
    // The view is on show when it refills, so that its selection sets the current file.
    // Neither view ever holds rows of deleted nodes, so nothing stale can paint first.
    m_stack->setCurrentIndex(mode);
    m_mode = mode;
    if (mode == kSeparateMode) m_separate->Activate();
    if (mode == kUnifiedMode) m_unified->Activate();
    if (mode == kBackupMode && m_backupView) m_backupView->Activate();
    if (mode == kFoldersMode) m_folders->Activate();
  }
  updateModeBar();
}

void ResultsPane::updateModeBar() {
  for (int mode = kSeparateMode; mode <= kFoldersMode; ++mode)
    modeButton(mode)->setChecked(mode == m_mode);
}

void ResultsPane::EnableBackup(bool enabled) {
  modeButton(kBackupMode)->setEnabled(enabled);
  if (!enabled && m_mode == kBackupMode) SetMode(kSeparateMode);
  // A new backup folder reloads the store: the page's rows follow it at once.
  if (m_backupView) m_backupView->FollowStore();
  m_separate->RecomputeButtons();
  m_unified->RecomputeButtons();
}

ResultListView* ResultsPane::listView() const {
  if (m_mode == kSeparateMode) return m_separate;
  if (m_mode == kUnifiedMode) return m_unified;
  return nullptr;
}

bool ResultsPane::RunSelectHelper(SelectRule rule) {
  ResultListView* view = listView();
  return view && view->RunSelectHelper(rule);
}

void ResultsPane::OnSearchStarted() {
  m_separate->OnSearchStarted();
  m_unified->OnSearchStarted();
  m_folders->OnSearchStarted();
}

void ResultsPane::OnSearchFinished() {
  m_separate->OnSearchFinished(m_mode == kSeparateMode);
  m_unified->OnSearchFinished(m_mode == kUnifiedMode);
  m_folders->OnSearchFinished(m_mode == kFoldersMode);
}

void ResultsPane::removeFolder(const std::string& path) {
  // Every file at or below the folder leaves its group, so both lists let go of all
  // their rows first, as at the start of a search, and refill from what is left.
  m_separate->OnSearchStarted();
  m_unified->OnSearchStarted();
  m_host.RemoveFolder(path);
  m_separate->OnSearchFinished(m_mode == kSeparateMode);
  m_unified->OnSearchFinished(m_mode == kUnifiedMode);
}

void ResultsPane::OnToolsChanged() {
  m_separate->RefillToolBox();
  m_unified->RefillToolBox();
}

int ResultsPane::RemoveFileFromResults(ResultView view, const std::string& path) {
  ResultListView* target =
      view == ResultView::kSeparate ? static_cast<ResultListView*>(m_separate) : m_unified;
  return target->RemoveFileFromResults(path);
}

void ResultsPane::SetBackupView(BackupFolderView* view) {
  if (!view || view == m_backupPage) return;
  m_backupView = view;
  m_stack->insertWidget(kBackupMode, view);
  m_stack->removeWidget(m_backupPage);
  delete m_backupPage;
  m_backupPage = view;
  if (m_mode == kBackupMode) m_stack->setCurrentIndex(kBackupMode);
}

QAbstractButton* ResultsPane::modeButton(int mode) const {
  return mode >= kSeparateMode && mode <= kFoldersMode ? m_modeButtons[static_cast<size_t>(mode)]
                                                       : nullptr;
}

int ResultsPane::removeFile(DataNode* file) {
  // Both views may hold rows of the file and, when its group goes, of the group and its
  // other files: they must let go of them before anything repaints.
  // Only a group of at most two files goes with one of them, so only then are its rows
  // gathered: a group of thousands costs nothing per file.
  std::vector<const DataNode*> group;
  if (DataNode* parent = file->Parent()) {
    group.push_back(parent);
    for (const DataNode* f = parent->FirstChild(); f && group.size() <= 3; f = f->Next())
      group.push_back(f);
  }
  const int answer = m_host.RemoveFile(file);
  if (answer == 0) return 0;
  m_host.SetCurrentFile(nullptr);
  if (m_batching) {
    if (answer == 2)
      m_gone.insert(m_gone.end(), group.begin(), group.end());
    else
      m_gone.push_back(file);
    return answer;
  }
  const std::vector<const DataNode*> gone =
      answer == 2 ? group : std::vector<const DataNode*>{file};
  m_separate->DropRows(gone);
  m_unified->DropRows(gone);
  return answer;
}

void ResultsPane::batchRemovals(bool begin) {
  m_batching = begin;
  if (begin || m_gone.empty()) return;
  // Every list is copied and reset once for the whole run, not once per file.
  m_separate->DropRows(m_gone);
  m_unified->DropRows(m_gone);
  m_gone.clear();
}

}  // namespace tf
