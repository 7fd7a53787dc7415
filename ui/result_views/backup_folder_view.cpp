#include "ui/result_views/backup_folder_view.h"

#include <algorithm>
#include <iterator>
#include <map>

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/file_time.h"
#include "platform/path_status.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"
#include "ui/window/list_helpers.h"
#include "ui/window/long_work.h"
#include "ui/window/pending_input.h"

namespace tf {

namespace {

constexpr ButtonText kButtonTexts[] = {
    {"Restore", "Restore file"},
    {"Copy...", "Copy file to..."},
    {"Browse", "Browse original folder"},
    {"Delete", "Delete file"},
    {"Delete All Files", "Delete all files"},
};

constexpr const char* kColumns[] = {"Name", "Original location", "Placed", "Type", "Size"};
constexpr int kColumnCount = 5;
// Widths when the list is made ("Name" takes what the others leave), and after every
// resize ("Original location" does).
const std::vector<int> kWidthsAtCreation = {-100, 100, 60, 40, 80};
const std::vector<int> kWidthsAfterResize = {120, -100, 70, 40, 80};

constexpr const char* kChooseCopyFolder = "Choose folder for copying";
constexpr const char* kDeleteAllQuestion = "Delete all backup files?";
constexpr const char* kDeleteAllCaption = "Submit operation";

}  // namespace

BackupFolderView::BackupFolderView(BackupStore& store, Questions& questions, QWidget* parent)
    : QWidget(parent), m_store(store), m_questions(questions) {
  setObjectName(QStringLiteral("BackupFolderView"));
  m_list = new QTableWidget(0, kColumnCount, this);
  QStringList headers;
  for (const char* title : kColumns) headers << QtText(title);
  m_list->setHorizontalHeaderLabels(headers);
  SetUpRowList(m_list, false);
  m_list->setMouseTracking(false);  // hovering never selects
  QHeaderView* header = m_list->horizontalHeader();
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int column) { headerClicked(column); });
  m_list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_list, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos); });
  connect(m_list, &QTableWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
  m_list->viewport()->installEventFilter(this);

  m_details = new QPlainTextEdit(this);
  m_details->setReadOnly(true);
  m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_details->setTabStopDistance(m_details->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 10);
  m_details->setMaximumHeight(m_details->fontMetrics().lineSpacing() * 7 + 12);

  static_assert(std::size(kButtonTexts) == kCommandCount);
  const std::vector<QPushButton*> made = MakeCommandButtons(
      kButtonTexts, this, [this](int command) { RunCommand(static_cast<Command>(command)); });
  std::copy(made.begin(), made.end(), m_buttons.begin());
  for (Command command : {kDelete, kDeleteAll}) MarkDeleteButton(m_buttons[command]);

  m_menu = new QMenu(QStringLiteral("BACKUP"), this);
  const auto addItem = [this](const char* text, Command command) {
    QAction* action = m_menu->addAction(QtText(text));
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
  };
  addItem("Restore", kRestore);
  addItem("Copy...", kCopy);
  addItem("Delete", kDelete);
  m_menu->addSeparator();
  addItem("Browse", kBrowse);

  auto* buttons = new QHBoxLayout;
  for (Command command : {kRestore, kCopy, kBrowse}) buttons->addWidget(m_buttons[command]);
  buttons->addStretch(1);
  for (Command command : {kDelete, kDeleteAll}) buttons->addWidget(m_buttons[command]);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Files:"), this));
  layout->addWidget(m_list, 1);
  layout->addWidget(new QLabel(QStringLiteral("File details"), this));
  layout->addWidget(m_details);
  layout->addLayout(buttons);

  m_store.Entries(false);
  noteFolderTime();
  fillRows(std::string());
  applyWidths(true);
}

void BackupFolderView::Activate() {
  rereadIfChanged();
  Refill(std::string());
}

void BackupFolderView::FollowStore() {
  if (m_store.LoadCount() == m_rowsLoad || m_inCommand) return;
  DataNode* entry = selectedEntry();
  Refill(entry ? entry->Desc() : std::string());
}

void BackupFolderView::noteFolderTime() {
  PathStatus status;
  m_folderTimeSure = !m_store.Folder().empty() && StatPath(m_store.Folder(), &status, true);
  m_folderTime = status.modified;
  // A change within the file system's clock step after this look would leave the time
  // as it is; only a time well before the look is proof of no change since.
  constexpr int64_t kClockStep = 20000000;  // two seconds in file time
  if (m_folderTimeSure && FileTimeNow() - m_folderTime < kClockStep) m_folderTimeSure = false;
}

void BackupFolderView::rereadIfChanged() {
  if (m_store.Folder().empty()) return;
  PathStatus status;
  const bool known = StatPath(m_store.Folder(), &status, true);
  if (!m_folderTimeSure || !known || status.modified != m_folderTime) m_store.LoadEntries();
  noteFolderTime();
}

BackupFolderView::~BackupFolderView() = default;

void BackupFolderView::Refill(const std::string& name) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  fillRows(name);
  QApplication::restoreOverrideCursor();
  applyWidths(false);
  recomputeButtons();
}

namespace {

// The number that begins the stored file's name ("3" of ".../Backup/3.report.txt.zipp").
std::string storedNumber(const DataNode* entry) {
  const std::string& stored = entry->Name();
  const size_t start = stored.rfind('/') + 1;  // npos + 1 is 0: a name without folder
  size_t end = start;
  while (end < stored.size() && stored[end] >= '0' && stored[end] <= '9') ++end;
  return stored.substr(start, end - start);
}

}  // namespace

void BackupFolderView::fillRows(const std::string& selectName) {
  QSignalBlocker blocker(m_list);
  m_details->clear();
  m_list->clearSelection();
  m_list->setRowCount(0);
  const std::vector<DataNode*> entries = SortedBackupEntries(m_store.Entries(false), m_sortKey);
  m_rowsLoad = m_store.LoadCount();
  m_rows.clear();
  for (const DataNode* entry : entries) m_rows.push_back(entry->Name());
  m_list->setRowCount(static_cast<int>(entries.size()));
  int selectRow = entries.empty() ? -1 : 0;
  bool found = false;
  // Kept files of one name are told apart by their number in the backup folder.
  std::map<std::string, int> named;
  for (const DataNode* entry : entries) ++named[entry->Desc()];
  for (size_t row = 0; row < entries.size(); ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      std::string text = BackupCellText(entries[row], static_cast<BackupColumn>(column));
      if (column == static_cast<int>(BackupColumn::kName) && named[entries[row]->Desc()] > 1)
        text += "  (no. " + storedNumber(entries[row]) + ")";
      auto* item = new QTableWidgetItem(QtText(text));
      if (column == static_cast<int>(BackupColumn::kSize))
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_list->setItem(static_cast<int>(row), column, item);
    }
    if (!found && !selectName.empty() && selectName == entries[row]->Desc()) {
      selectRow = static_cast<int>(row);
      found = true;
    }
  }
  if (selectRow >= 0) {
    m_list->setCurrentCell(selectRow, 0);
    m_list->selectRow(selectRow);
  }
  blocker.unblock();
  selectionChanged();
}

DataNode* BackupFolderView::selectedEntry() const {
  const QList<QTableWidgetItem*> items = m_list->selectedItems();
  if (items.isEmpty()) return nullptr;
  const int row = items.front()->row();
  if (row < 0 || row >= static_cast<int>(m_rows.size())) return nullptr;
  // Looked up by its stored name each time: after a reload the row still finds its own
  // entry, or none when it is gone.
  return entryNamed(m_rows[static_cast<size_t>(row)]);
}

DataNode* BackupFolderView::entryNamed(const std::string& name) const {
  DataNode* root = m_store.Entries(false);
  for (DataNode* entry = root ? root->FirstChild() : nullptr; entry; entry = entry->Next())
    if (name == entry->Name()) return entry;
  return nullptr;
}

void BackupFolderView::selectionChanged() {
  DataNode* entry = selectedEntry();
  if (!entry) {
    m_details->clear();
  } else {
    QString text = QtText(BackupDetailsText(entry));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_details->setPlainText(text);
  }
  recomputeButtons();
}

void BackupFolderView::recomputeButtons() {
  DataNode* entry = selectedEntry();
  DataNode* root = m_store.Entries(false);
  for (Command command : {kRestore, kCopy, kDelete}) EnableControl(m_buttons[command], entry);
  EnableControl(m_buttons[kDeleteAll], root && root->FirstChild());
  // Enabled for every entry: a folder gone since is told when Browse is pressed.
  EnableControl(m_buttons[kBrowse], entry);
}

void BackupFolderView::RunCommand(Command command) {
  if (m_inCommand) return;
  DataNode* entry = selectedEntry();
  if (!entry && command != kDeleteAll) {
    recomputeButtons();  // the row's entry was forgotten (another folder was chosen)
    return;
  }
  m_inCommand = true;
  // Copying, unpacking and trashing run off the window's thread, with progress.
  static constexpr const char* kLabels[] = {"Restoring the file...", "Copying the file...", "", "",
                                            "Moving the backup files to the trash..."};
  const QString label = QtText(kLabels[command]);
  bool cancelled = false;
  m_store.SetStepRunner([this, label, &cancelled](const LongWork::Job& step) {
    LongWork work(window(), label);
    const bool done = work.Run(step);
    cancelled = cancelled || work.Cancelled();
    return done;
  });
  switch (command) {
    case kRestore:
      m_store.RestoreEntry(entry);
      Refill(std::string());
      break;
    case kCopy: {
      std::string folder;
      if (m_questions.ChooseFolder(std::string(), kChooseCopyFolder, &folder) && !folder.empty())
        m_store.CopyEntryTo(entry, folder);
      break;
    }
    case kBrowse:
      m_store.BrowseEntryFolder(entry, false);
      break;
    case kDelete:
      m_store.DeleteEntry(entry);
      Refill(std::string());
      break;
    case kDeleteAll:
      if (m_questions.ShowMessage(kDeleteAllQuestion, kDeleteAllCaption, MB_YESNO) == IDYES) {
        m_store.DeleteAllEntries();
        Refill(std::string());
      }
      break;
    case kCommandCount:
      break;
  }
  m_store.SetStepRunner({});
  // What the action did is on disk now; another program may have added meanwhile.
  if (command == kRestore || command == kDelete || command == kDeleteAll) {
    noteFolderTime();
  } else if (command == kCopy) {
    const std::string keep = entry->Desc();
    rereadIfChanged();
    if (m_store.LoadCount() != m_rowsLoad) Refill(keep);
  }
  // Why a restore, copy or delete did nothing, unless the user stopped it.
  const bool acted = command == kRestore || command == kCopy || command == kDelete;
  if (acted && !cancelled && !m_store.LastActionDone() && !m_store.LastProblem().empty())
    m_questions.ShowMessage(m_store.LastProblem(), kErrorCaption, MB_OK);
  m_inCommand = false;
  recomputeButtons();
  DiscardPendingInput();
}

void BackupFolderView::headerClicked(int column) {
  if (column < 0 || column >= kColumnCount) return;
  DataNode* entry = selectedEntry();
  const std::string keep = entry ? entry->Desc() : std::string();
  m_sortKey = NextBackupSortKey(m_sortKey, static_cast<BackupColumn>(column));
  fillRows(keep);
  recomputeButtons();
}

void BackupFolderView::applyWidths(bool atCreation) {
  const std::vector<int> table =
      ScaleColumnTable(atCreation ? kWidthsAtCreation : kWidthsAfterResize, m_list->fontMetrics());
  // The viewport is already narrower by a scroll bar that shows.
  SetColumnWidths(m_list->horizontalHeader(), m_list->viewport()->width(), table, false);
}

bool BackupFolderView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list->viewport() && event->type() == QEvent::Resize) applyWidths(false);
  return QWidget::eventFilter(watched, event);
}

void BackupFolderView::showContextMenu(const QPoint& pos) {
  const QModelIndex at = m_list->indexAt(pos);
  if (!at.isValid() || !m_list->selectionModel()->isRowSelected(at.row(), QModelIndex()) ||
      !selectedEntry())
    return;
  m_menu->popup(m_list->viewport()->mapToGlobal(pos));
}

}  // namespace tf
