#include "ui/result_views/folder_groups_view.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "results/result_rows.h"
#include "ui/result_views/folder_rows_model.h"
#include "ui/window/control_helpers.h"
#include "ui/window/pending_input.h"

namespace tf {

namespace {

constexpr ButtonText kButtonTexts[] = {
    {"Browse", "Show the selected folder"},
    {"Move...", "Move the selected folder to another folder"},
    {"Move to trash", "Move the selected folder, with everything in it, to the trash"},
};

constexpr const char* kNotSearched =
    "The last search did not look for duplicate folders. Turn on \"Find duplicate folders\" "
    "on the \"Settings\" page of the search and start the search again.";
constexpr const char* kNoneFound = "No two folders hold the same files.";

}  // namespace

FolderGroupsView::FolderGroupsView(ResultsHost& host,
                                   std::function<void(const std::string&)> removeFolder,
                                   QWidget* parent)
    : QWidget(parent),
      m_host(host),
      m_actions(host, std::move(removeFolder)),
      m_model(new FolderRowsModel(this)) {
  m_notice = new QLabel(this);
  m_notice->setObjectName(QStringLiteral("FolderGroupsNotice"));
  m_notice->setWordWrap(true);
  m_notice->setText(QString::fromLatin1(kNotSearched));

  m_list = new QTableView(this);
  m_list->setModel(m_model);
  m_list->setAccessibleName(QStringLiteral("Duplicate folders"));
  SetUpRowList(m_list, false);
  QHeaderView* header = m_list->horizontalHeader();
  header->setSortIndicatorShown(true);
  header->setSectionResizeMode(FolderRowsModel::kFolderColumn, QHeaderView::Stretch);
  for (int column = FolderRowsModel::kFilesColumn; column < FolderRowsModel::kColumnCount; ++column)
    header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  showSortIndicator();
  m_list->installEventFilter(this);
  m_list->setContextMenuPolicy(Qt::CustomContextMenu);

  const std::vector<QPushButton*> made = MakeCommandButtons(
      kButtonTexts, this, [this](int command) { RunCommand(static_cast<Command>(command)); });
  std::copy(made.begin(), made.end(), m_buttons);
  MarkDeleteButton(m_buttons[kTrash]);
  m_menu = new QMenu(QStringLiteral("FOLDER"), this);
  for (int command = kBrowse; command < kCommandCount; ++command) {
    QAction* action = m_menu->addAction(QString::fromLatin1(kButtonTexts[command].caption));
    connect(action, &QAction::triggered, this,
            [this, command] { RunCommand(static_cast<Command>(command)); });
  }

  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : m_buttons) buttons->addWidget(button);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Duplicate folders:"), this));
  layout->addWidget(m_notice);
  layout->addWidget(m_list, 1);
  layout->addLayout(buttons);
  QWidget::setTabOrder(m_list, m_buttons[kBrowse]);
  QWidget::setTabOrder(m_buttons[kBrowse], m_buttons[kMove]);
  QWidget::setTabOrder(m_buttons[kMove], m_buttons[kTrash]);

  connect(header, &QHeaderView::sectionClicked, this, &FolderGroupsView::headerClicked);
  connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { recomputeButtons(); });
  connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& at) {
    if (m_model->FolderOf(at.row())) RunCommand(kBrowse);
  });
  connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (m_model->FolderOf(selectedRow()) && !m_busy)
      m_menu->popup(m_list->viewport()->mapToGlobal(pos));
  });
  recomputeButtons();
}

void FolderGroupsView::Activate() {
  if (!m_busy && (!m_everFilled || m_filledGeneration != m_host.ResultGeneration())) Fill();
}

void FolderGroupsView::Fill(const std::string& path, int fallbackRow) {
  const FolderGroups* groups = m_busy ? nullptr : m_host.FolderGroupsShown();
  m_model->SetGroups(groups ? *groups : FolderGroups());
  m_everFilled = true;
  m_filledGeneration = m_host.ResultGeneration();
  const bool none = !groups || groups->empty();
  m_notice->setText(QString::fromLatin1(groups ? kNoneFound : kNotSearched));
  m_notice->setVisible(none);
  int row = path.empty() ? -1 : m_model->RowOf(path);
  if (row < 0) row = fallbackRow < 0 ? 1 : fallbackRow;  // row 0 is the first group's own
  selectRow(row);
  recomputeButtons();
}

void FolderGroupsView::OnSearchStarted() {
  m_busy = true;
  m_model->Clear();
  recomputeButtons();
}

void FolderGroupsView::OnSearchFinished(bool fillNow) {
  m_busy = false;
  if (fillNow)
    Fill();
  else
    m_everFilled = false;
  recomputeButtons();
}

void FolderGroupsView::selectRow(int row) {
  row = ClampRowIndex(row, m_model->rowCount());
  if (row < 0) return;
  const QModelIndex at = m_model->index(row, 0);
  m_list->selectionModel()->setCurrentIndex(
      at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_list->scrollTo(at);
}

int FolderGroupsView::selectedRow() const {
  const QModelIndexList rows = m_list->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void FolderGroupsView::recomputeButtons() {
  const bool folder = !m_busy && m_model->FolderOf(selectedRow()) != nullptr;
  for (QPushButton* button : m_buttons) EnableControl(button, folder);
}

void FolderGroupsView::RunCommand(Command command) {
  if (m_busy || m_inCommand) return;
  const int row = selectedRow();
  const DuplicateFolder* shown = m_model->FolderOf(row);
  if (!shown) return;
  // Copies: the rows go when the view refills after a folder left.
  const std::string path = shown->path;
  const FolderGroup group = *m_model->GroupOf(row);
  m_inCommand = true;
  bool changed = false;
  switch (command) {
    case kBrowse:
      m_actions.Browse(path);
      break;
    case kMove:
      changed = m_actions.Move(group, path);
      break;
    case kTrash:
      changed = m_actions.Trash(group, path);
      break;
    case kCommandCount:
      break;
  }
  m_inCommand = false;
  // The folder's row is gone: its neighbour takes the selection.
  if (changed) Fill(std::string(), row);
  recomputeButtons();
  DiscardPendingInput();
}

void FolderGroupsView::headerClicked(int column) {
  const bool reversed = column == m_model->SortColumn() && !m_model->SortReversed();
  const DuplicateFolder* selected = m_model->FolderOf(selectedRow());
  const std::string path = selected ? selected->path : std::string();
  m_model->Sort(column, reversed);
  showSortIndicator();
  selectRow(path.empty() ? 1 : m_model->RowOf(path));
}

void FolderGroupsView::showSortIndicator() {
  // Paths go up from A; counts, sizes and times start with the largest.
  const bool upward = m_model->SortColumn() == FolderRowsModel::kFolderColumn;
  m_list->horizontalHeader()->setSortIndicator(
      m_model->SortColumn(),
      upward != m_model->SortReversed() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

bool FolderGroupsView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & ~Qt::KeypadModifier)) {
      switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          RunCommand(kBrowse);
          return true;
        case Qt::Key_Delete:
          RunCommand(kTrash);
          return true;
        default:
          break;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tf
