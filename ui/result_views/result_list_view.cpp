#include "ui/result_views/result_list_view.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/main_commands.h"
#include "results/backup_store.h"
#include "results/ignore_store.h"
#include "results/links_history.h"
#include "results/move_to_backup.h"
#include "results/replace_by_link.h"
#include "results/share_action.h"
#include "ui/qt_text.h"
#include "ui/result_views/result_rows_model.h"
#include "ui/result_views/window_backup_details_dialog.h"
#include "ui/result_views/window_replace_link_dialog.h"
#include "ui/window/control_helpers.h"
#include "ui/window/list_helpers.h"
#include "ui/window/long_work.h"
#include "ui/window/pending_input.h"
#include "ui/window/progress_file_shell.h"

namespace tf {

namespace {

constexpr ButtonText kButtonTexts[] = {
    {"Open", "Open selected file"},
    {"Browse", "Browse selected folder"},
    {"<< Run", "Run selected tool"},
    {"Move to Backup", "Move file to the Backup folder"},
    {"Move...", "Move file to..."},
    {"Copy...", "Copy file to..."},
    {"Replace by a link...", "Replace file by link to the other file (duplicate)"},
    {"Delete", "Delete file"},
};

}  // namespace

ResultListView::ResultListView(ResultsHost& host, std::function<int(DataNode*)> removeFile,
                               QWidget* parent)
    : QWidget(parent), m_host(host), m_actions(host.Ask(), host.Shell(), actionHooks(removeFile)) {
  m_removeFile = std::move(removeFile);
  buildButtonRows();
  buildContextMenu();
}

FileActionHooks ResultListView::actionHooks(std::function<int(DataNode*)> removeFile) {
  FileActionHooks hooks;
  hooks.isLinkTarget = [this](const std::string& path) { return m_host.IsLinkTarget(path); };
  hooks.removeFile = std::move(removeFile);
  hooks.runTool = [this](int index, const std::vector<std::string>& paths) {
    return m_host.RunTool(index, paths);
  };
  hooks.showProperties = [this](DataNode* info) { m_host.ShowProperties(info); };
  hooks.browseMode = [this] { return m_host.BrowseMode(); };
  hooks.resultsChanged = [this](int answer, const std::string& group) {
    resultsChanged(answer, group);
  };
  hooks.rebuildView = [this] {
    if (m_inCommand)
      m_pending = Pending::kRebuild;
    else
      rebuild();
  };
  hooks.buttonsChanged = [this] { RecomputeButtons(); };
  hooks.protectedFolderOf = [this](const std::string& path) {
    return m_host.ProtectedFolderOf(path);
  };
  hooks.resultsReadOnly = [this] { return m_host.ResultsReadOnly(); };
  hooks.removals = [this](bool begin) {
    if (m_removals) m_removals(begin);
  };
  return hooks;
}

void ResultListView::buildButtonRows() {
  // Every command but kProperties has a button.
  static_assert(std::size(kButtonTexts) == kProperties);
  const std::vector<QPushButton*> made = MakeCommandButtons(
      kButtonTexts, this, [this](int command) { RunCommand(static_cast<Command>(command)); });
  std::copy(made.begin(), made.end(), m_buttons.begin());
  MarkDeleteButton(m_buttons[kDelete]);

  m_toolBox = new QComboBox(this);
  m_toolBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_toolBox->setMinimumContentsLength(12);

  m_buttonRows = new QWidget(this);
  auto* rows = new QVBoxLayout(m_buttonRows);
  rows->setContentsMargins(0, 0, 0, 0);
  auto* first = new QHBoxLayout;
  first->addWidget(m_buttons[kOpen]);
  first->addWidget(m_buttons[kBrowse]);
  first->addWidget(new QLabel(QStringLiteral("Run tool:"), m_buttonRows));
  first->addWidget(m_toolBox);
  first->addWidget(m_buttons[kRun]);
  first->addStretch(1);
  auto* second = new QHBoxLayout;
  for (Command command : {kMoveToBackup, kMove, kCopy, kReplaceByLink, kDelete})
    second->addWidget(m_buttons[command]);
  second->addStretch(1);
  rows->addLayout(first);
  rows->addLayout(second);
}

void ResultListView::chainTabs(const std::vector<QWidget*>& lists) {
  std::vector<QWidget*> order(lists);
  order.insert(order.end(), {m_buttons[kOpen], m_buttons[kBrowse], m_toolBox, m_buttons[kRun]});
  for (Command command : {kMoveToBackup, kMove, kCopy, kReplaceByLink, kDelete})
    order.push_back(m_buttons[command]);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void ResultListView::buildContextMenu() {
  m_menu = new QMenu(QStringLiteral("FILE"), this);
  const auto addItem = [this](const char* text, Command command) {
    QAction* action = m_menu->addAction(QtText(text));
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
  };
  addItem("Open", kOpen);
  addItem("Browse", kBrowse);
  m_menu->addSeparator();
  addItem("Move to Backup", kMoveToBackup);
  addItem("Move...", kMove);
  addItem("Copy...", kCopy);
  addItem("Delete", kDelete);
  m_menu->addSeparator();
  m_verifyAction = m_menu->addAction(QStringLiteral("Verify contents"));
  m_verifyAction->setToolTip(QStringLiteral(
      "Read the files of the selected files' groups and keep together only those with the same "
      "bytes"));
  connect(m_verifyAction, &QAction::triggered, this, [this] { VerifySelectedGroups(); });
  if (m_host.OffersShareStorage()) {
    m_shareAction = m_menu->addAction(QStringLiteral("Share storage"));
    m_shareAction->setObjectName(QStringLiteral("ShareStorage"));
    connect(m_shareAction, &QAction::triggered, this, [this] { ShareSelectedFiles(); });
    // The tooltip says why the command is disabled.
    m_menu->setToolTipsVisible(true);
  }
  const MenuDefinition& helpers = SelectMenu();
  m_selectMenu = new QMenu(QtText(helpers.title), this);
  m_selectMenu->setToolTipsVisible(true);
  for (const MenuEntry& entry : helpers.entries) {
    if (entry.id == 0) {
      m_selectMenu->addSeparator();
      continue;
    }
    SelectRule rule = SelectRule::kClear;
    SelectRuleOf(entry.id, &rule);
    QAction* action = m_selectMenu->addAction(QtText(entry.text));
    action->setData(entry.id);
    action->setToolTip(QtText(entry.hint));
    connect(action, &QAction::triggered, this, [this, rule] { RunSelectHelper(rule); });
  }
  m_menu->addSeparator();
  m_menu->addMenu(m_selectMenu);
  // Offered only where the program keeps an ignore list.
  if (m_host.Ignored()) addItem("Ignore group", kIgnoreGroup);
  m_menu->addSeparator();
  addItem("Properties", kProperties);
}

bool ResultListView::HasGroups() const {
  const DataNode* root = m_host.GroupsRoot();
  return !m_busy && root && root->FirstChild();
}

bool ResultListView::RunSelectHelper(SelectRule rule) {
  if (!HasGroups() || m_inCommand) return false;
  SelectionContext context;
  if (RuleNeedsFolder(rule)) {
    const char* prompt = rule == SelectRule::kAllButInFolder
                             ? "Choose the folder whose copy each group keeps"
                             : "Choose the folder whose files are selected";
    if (!m_host.Ask().ChooseFolder(m_lastFolder, prompt, &context.folder) || context.folder.empty())
      return false;
    m_lastFolder = context.folder;
  }
  context.isProtected = [this](const DataNode* file) {
    return !m_host.ProtectedFolderOf(FullName(file)).empty();
  };
  std::unordered_set<const DataNode*> before;
  if (rule == SelectRule::kInvert) {
    const std::vector<const DataNode*> selected = selectedFiles();
    before.insert(selected.begin(), selected.end());
  }
  context.wasSelected = [&before](const DataNode* file) { return before.count(file) > 0; };
  context.links = m_host.HardLinkSets();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  selectFiles(ChooseFiles(m_host.GroupsRoot(), rule, context));
  QApplication::restoreOverrideCursor();
  RecomputeButtons();
  return true;
}

bool ResultListView::VerifySelectedGroups() {
  if (!HasGroups() || m_inCommand) return false;
  std::vector<const DataNode*> groups;
  std::unordered_set<const DataNode*> seen;
  for (const DataNode* file : selectedFiles())
    if (file->Parent() && seen.insert(file->Parent()).second) groups.push_back(file->Parent());
  if (groups.empty()) return false;
  // The lists are refilled from the verified result, which replaces the one they show.
  return m_host.VerifyGroups(groups);
}

void ResultListView::updateShareAction() {
  if (!m_shareAction) return;
  const std::vector<const DataNode*> selected = selectedFiles();
  const std::string why =
      HasGroups() && !m_host.ResultsReadOnly()
          ? WhyCannotShareSelection(selected,
                                    [this](const DataNode* file) {
                                      return !m_host.ProtectedFolderOf(FullName(file)).empty();
                                    })
          : std::string("There is no result to act on");
  m_shareAction->setEnabled(why.empty());
  m_shareAction->setToolTip(
      why.empty() ? QStringLiteral("Let the selected copies of verified groups use the storage of "
                                   "the copy each group keeps; names, times and bytes stay")
                  : QtText(why));
}

bool ResultListView::ShareSelectedFiles() {
  if (!HasGroups() || m_inCommand || m_host.ResultsReadOnly()) return false;
  return m_host.ShareStorage(selectedFiles());
}

ResultListView::~ResultListView() = default;

QWidget* ResultListView::takeButtonRows() {
  return m_buttonRows;
}

void ResultListView::RunCommand(Command command) {
  if (m_busy && command != kOpen && command != kBrowse) return;
  if (m_inCommand) return;
  m_inCommand = true;
  Selection selection = currentSelection();
  switch (command) {
    case kOpen:
      m_actions.OpenSelected(selection);
      break;
    case kBrowse:
      m_actions.BrowseSelected(selection);
      break;
    case kRun:
      selection.toolIndex = ComboSelection(m_toolBox);
      m_actions.RunSelectedTool(selection);
      break;
    case kMove:
    case kCopy:
      m_actions.MoveOrCopySelected(selection, command == kMove);
      break;
    case kDelete:
      deleteSelected(selection);
      break;
    case kProperties:
      m_actions.ShowSelectedProperties(selection);
      break;
    case kMoveToBackup:
      moveToBackup(selection);
      break;
    case kIgnoreGroup:
      ignoreSelectedGroups(selection);
      break;
    case kReplaceByLink:
      if (LinksHistory* links = m_host.Links()) {
        WindowReplaceLinkDialog dialog(window(), m_host.Ask());
        ReplaceByLink(selection, *links, m_host.Ask(), dialog, m_host.Shell(), m_actions);
      }
      break;
    case kCommandCount:
      break;
  }
  m_inCommand = false;
  const Pending pending = std::exchange(m_pending, Pending::kNone);
  if (pending == Pending::kRebuild)
    rebuild();
  else if (pending == Pending::kRefill)
    refillAfterRemoval(m_pendingAnswer, m_pendingGroup);
  RecomputeButtons();
  DiscardPendingInput();
}

void ResultListView::deleteSelected(const Selection& selection) {
  // The files of one delete share one progress dialog and one "Cancel", after which the
  // files not yet begun stay where they are.
  auto* progress = dynamic_cast<ProgressFileShell*>(&m_host.Shell());
  if (progress && selection.paths.size() > 1)
    progress->BeginBatch(QStringLiteral("Moving files to the trash..."),
                         static_cast<int>(selection.paths.size()));
  m_actions.DeleteSelected(selection, false);
  if (progress) progress->EndBatch();
}

void ResultListView::moveToBackup(Selection& selection) {
  BackupStore* store = m_host.Backup();
  if (!store) return;
  bool cancelled = false;
  store->SetStepRunner([this, &cancelled](const LongWork::Job& step) {
    LongWork work(window(), QStringLiteral("Moving the file to the backup folder..."));
    const bool done = work.Run(step);
    cancelled = cancelled || work.Cancelled();
    return done;
  });
  // Only a backup that was asked for and failed has a reason to show.
  struct AskedDialog : WindowBackupDetailsDialog {
    using WindowBackupDetailsDialog::WindowBackupDetailsDialog;
    bool Ask(const std::string& name, const std::string& folder, BackupDetails* details) override {
      accepted = WindowBackupDetailsDialog::Ask(name, folder, details);
      return accepted;
    }
    bool accepted = false;
  } dialog(window());
  const int made = MoveToBackup(selection, *store, m_host.Ask(), dialog, m_actions);
  store->SetStepRunner({});
  if (!made && dialog.accepted && !cancelled && !store->LastProblem().empty())
    m_host.Ask().ShowMessage(store->LastProblem(), kErrorCaption, MB_OK);
}

void ResultListView::ignoreSelectedGroups(const Selection& selection) {
  IgnoreStore* store = m_host.Ignored();
  if (!store || !HasGroups()) return;
  // Each group once, in the order its first selected file is met.
  std::vector<DataNode*> groups;
  const auto take = [&groups](DataNode* group) {
    if (group && std::find(groups.begin(), groups.end(), group) == groups.end())
      groups.push_back(group);
  };
  for (const DataNode* file : selectedFiles()) take(file->Parent());
  if (groups.empty()) take(selection.group);
  if (groups.empty()) return;
  std::vector<std::vector<std::string>> entries;
  for (const DataNode* group : groups) {
    std::vector<std::string> paths;
    for (const DataNode* file = group->FirstChild(); file; file = file->Next())
      paths.push_back(FullName(file));
    entries.push_back(std::move(paths));
  }
  std::string error;
  const bool saved = store->Change(
      [&entries](IgnoreList& list) {
        bool added = false;
        for (std::vector<std::string>& paths : entries)
          added = list.Add(std::move(paths)) == IgnoreList::Added::kAdded || added;
        return added;
      },
      &error);
  if (!saved) {
    // Hidden now but shown by the next search would be a promise broken: nothing hides.
    m_host.Ask().ShowMessage("The group cannot be ignored.\n" + error, kErrorCaption, MB_OK);
    return;
  }
  if (m_removals) m_removals(true);
  for (DataNode* group : groups) {
    // The last but one file takes the group with it.
    for (int answer = 1; answer == 1;) {
      DataNode* file = group->FirstChild();
      answer = file ? m_removeFile(file) : 0;
    }
  }
  if (m_removals) m_removals(false);
  m_pending = Pending::kRebuild;
}

void ResultListView::resultsChanged(int answer, const std::string& groupName) {
  if (!m_inCommand) {
    refillAfterRemoval(answer, groupName);
    return;
  }
  m_pending = Pending::kRefill;
  m_pendingAnswer = answer;
  m_pendingGroup = groupName;
}

void ResultListView::RefillToolBox() {
  const std::vector<std::string> names = m_host.ToolNames();
  ComboClear(m_toolBox);
  m_toolCount = ComboFill(m_toolBox, names);
  if (m_toolCount > 0) m_toolBox->setCurrentIndex(0);
  RecomputeButtons();
}

void ResultListView::RecomputeButtons() {
  const ResultButtons enabled =
      EnabledButtons(selectedFileCount(), m_host.BackupAvailable(), m_toolCount);
  EnableControl(m_buttons[kOpen], enabled.open);
  EnableControl(m_buttons[kBrowse], enabled.browse);
  EnableControl(m_buttons[kDelete], enabled.remove);
  EnableControl(m_buttons[kMoveToBackup], enabled.moveToBackup);
  EnableControl(m_buttons[kRun], enabled.run);
  EnableControl(m_buttons[kMove], enabled.move);
  EnableControl(m_buttons[kCopy], enabled.copy);
  EnableControl(m_buttons[kReplaceByLink], enabled.replaceByLink);
}

int ResultListView::RemoveFileFromResults(const std::string& path) {
  // While a search runs the lists are empty and the host's tree is being built.
  if (m_busy) return 0;
  Selection selection = currentSelection();
  return m_actions.RemoveFileFromResults(selection, path);
}

void ResultListView::OnSearchStarted() {
  clearRows();
  m_host.SetCurrentFile(nullptr);  // it pointed into the tree the search replaces
  setBusy(true);
  RecomputeButtons();
}

void ResultListView::OnSearchFinished(bool fillNow) {
  setBusy(false);
  if (fillNow) rebuild();
  RecomputeButtons();
}

void ResultListView::rebuild() {
  clearRows();
  RefillToolBox();
  Fill(std::string());
}

void ResultListView::refillAfterRemoval(int answer, const std::string& groupName) {
  Fill(answer == 1 ? groupName : std::string());
}

void ResultListView::Activate() {
  if (!m_busy && changedSinceFilled()) rebuild();
  setCurrentFile(currentFileOfSelection());
}

bool ResultListView::changedSinceFilled() const {
  return !m_everFilled || m_filledGeneration != m_host.ResultGeneration();
}

void ResultListView::markFilled() {
  m_everFilled = true;
  m_filledGeneration = m_host.ResultGeneration();
}

void ResultListView::setCurrentFile(DataNode* file) {
  if (!isHidden()) m_host.SetCurrentFile(file);
}

void ResultListView::showContextMenu(QAbstractItemView* list, const QPoint& pos) {
  // Without a selected file only the helpers that make a selection apply.
  const bool files = selectedFileCount() >= 1;
  if (!files && !HasGroups()) return;
  for (QAction* action : m_selectMenu->actions()) action->setEnabled(HasGroups());
  if (files) updateShareAction();
  (files ? m_menu : m_selectMenu)->popup(list->viewport()->mapToGlobal(pos));
}

QTableView* ResultListView::makeList(ResultRowsModel* model, bool severalRows) {
  auto* list = new QTableView(this);
  list->setModel(model);
  SetUpRowList(list, severalRows);
  QHeaderView* header = list->horizontalHeader();
  header->setSortIndicatorShown(true);
  showSortKey(list, model->List(), kInitialSortKey);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  list->viewport()->installEventFilter(this);
  list->installEventFilter(this);
  list->setProperty("resultList", static_cast<int>(model->List()));
  static const char* const kListNames[] = {"Groups", "Files of the group", "Groups and files"};
  list->setAccessibleName(QString::fromLatin1(kListNames[static_cast<int>(model->List())]));
  model->SetLinks([this] { return m_host.HardLinkSets(); });
  // A double click on a file opens it, as in a file manager; on a group row it does nothing.
  connect(list, &QAbstractItemView::doubleClicked, this, [this, model](const QModelIndex& at) {
    const DataNode* node = model->Node(at.row());
    if (node && !IsGroupRow(node)) RunCommand(kOpen);
  });
  m_lists.push_back(list);
  return list;
}

bool ResultListView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* list = qobject_cast<QTableView*>(watched);
    if (list && std::find(m_lists.begin(), m_lists.end(), list) != m_lists.end() &&
        listKey(list, static_cast<QKeyEvent*>(event)))
      return true;
  }
  if (event->type() == QEvent::Resize) {
    auto* list = qobject_cast<QTableView*>(watched->parent());
    if (list && list->viewport() == watched) applyWidths(list);
  }
  return QWidget::eventFilter(watched, event);
}

void ResultListView::headerClicked(ResultRowsModel* model, int* key, int column, bool waitCursor) {
  const int next = SortKeyAfterHeaderClick(model->List(), column, *key);
  if (next < 0) {
    // The header moved its indicator to the clicked column on its own: put it back.
    for (QTableView* list : m_lists)
      if (list->model() == model) showSortKey(list, model->List(), *key);
    QApplication::beep();
    return;
  }
  *key = next;
  if (waitCursor) QApplication::setOverrideCursor(Qt::WaitCursor);
  model->Sort(next);
  if (waitCursor) QApplication::restoreOverrideCursor();
  for (QTableView* list : m_lists) {
    if (list->model() != model) continue;
    showSortKey(list, model->List(), next);
    if (list->currentIndex().isValid()) list->scrollTo(list->currentIndex());
  }
}

void ResultListView::showSortKey(QTableView* list, ResultList kind, int key) {
  constexpr int kKeyBits = 15;
  for (int column = 0; column < ColumnCount(kind); ++column) {
    // The column whose click (from no key at all) gives this key is the one sorted by.
    if ((SortKeyAfterHeaderClick(kind, column, 0) & kKeyBits) != (key & kKeyBits)) continue;
    // Names and types go up from A; sizes, counts and times start with the largest.
    const bool upward = (key & kKeyBits) == kSortByName || (key & kKeyBits) == kSortByDesc;
    const bool reversed = (key & kSortReversed) != 0;
    list->horizontalHeader()->setSortIndicator(
        column, upward != reversed ? Qt::AscendingOrder : Qt::DescendingOrder);
    return;
  }
}

bool ResultListView::listKey(QTableView* list, const QKeyEvent* key) {
  if (key->matches(QKeySequence::SelectAll)) {
    auto* model = static_cast<ResultRowsModel*>(list->model());
    if (list->selectionMode() != QAbstractItemView::ExtendedSelection) return true;
    QItemSelection files;
    const int last = model->columnCount() - 1;
    for (int row = 0; row < model->rowCount(); ++row) {
      const DataNode* node = model->Node(row);
      if (!node || IsGroupRow(node)) continue;
      files.select(model->index(row, 0), model->index(row, last));
    }
    list->selectionModel()->select(files, QItemSelectionModel::ClearAndSelect);
    return true;
  }
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (selectedFileCount() > 0) RunCommand(kOpen);
      return true;
    case Qt::Key_Delete:
      if (selectedFileCount() > 0) RunCommand(kDelete);
      return true;
    default:
      return false;
  }
}

void ResultListView::selectRow(QTableView* list, int index) {
  const int row = ClampRowIndex(index, list->model()->rowCount());
  if (row < 0) return;
  const QModelIndex at = list->model()->index(row, 0);
  list->selectionModel()->setCurrentIndex(
      at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->scrollTo(at);
}

void ResultListView::applyWidths(QTableView* list) {
  const auto kind = static_cast<ResultList>(list->property("resultList").toInt());
  SetColumnWidths(list->horizontalHeader(), list->viewport()->width(),
                  ScaleColumnTable(ColumnWidthTable(kind), list->fontMetrics()), false);
}

std::vector<int> ResultListView::selectedRows(const QTableView* list) {
  // Read from the ranges: the model's own list of selected rows checks each row against
  // every range, which a selection of thousands of separate rows makes take seconds.
  // Rows are selected whole, so every range spans the whole row.
  std::vector<int> rows;
  for (const QItemSelectionRange& range : list->selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

}  // namespace tf
