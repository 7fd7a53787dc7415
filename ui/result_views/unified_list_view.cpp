#include "ui/result_views/unified_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <unordered_set>

#include "ui/result_views/result_rows_model.h"

namespace tf {

UnifiedListView::UnifiedListView(ResultsHost& host, std::function<int(DataNode*)> removeFile,
                                 QWidget* parent)
    : ResultListView(host, std::move(removeFile), parent),
      m_model(new ResultRowsModel(ResultList::kUnified, this)) {
  m_list = makeList(m_model, true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Duplicate files:"), this));
  layout->addWidget(m_list, 1);
  layout->addWidget(takeButtonRows());
  chainTabs({m_list});

  connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { headerClicked(m_model, &m_key, column, false); });
  connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &UnifiedListView::selectionChanged);
  connect(m_list, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(m_list, pos); });
}

void UnifiedListView::Fill(const std::string& name) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_model->SetRows(SortedUnifiedRows(m_host.GroupsRoot(), m_key));
  QApplication::restoreOverrideCursor();
  markFilled();
  selectRow(m_list, FindGroupRow(m_model->Rows(), m_host.GroupsRoot(), name));
  applyWidths(m_list);
  RecomputeButtons();
}

void UnifiedListView::selectionChanged(const QItemSelection& selected,
                                       const QItemSelection& deselected) {
  const QModelIndex current = m_list->selectionModel()->currentIndex();
  for (const QModelIndex& index : deselected.indexes()) {
    // A row left neither selected nor current has lost all its states.
    if (index.row() != current.row()) {
      setCurrentFile(nullptr);
      break;
    }
  }
  if (!selected.isEmpty() && selectedRows(m_list).size() < 2) {
    DataNode* node = m_model->Node(selected.indexes().first().row());
    setCurrentFile(node && !IsGroupRow(node) ? node : nullptr);
  }
  RecomputeButtons();
}

void UnifiedListView::clearRows() {
  m_model->Clear();
}

void UnifiedListView::DropRows(const std::vector<const DataNode*>& gone) {
  m_model->DropRows(gone);
  RecomputeButtons();
}

Selection UnifiedListView::currentSelection() const {
  Selection selection;
  for (int row : selectedRows(m_list)) {
    const DataNode* node = m_model->Node(row);
    if (!IsGroupRow(node)) selection.paths.push_back(FullName(node));
  }
  selection.groupsRoot = m_host.GroupsRoot();
  selection.view = ResultView::kUnified;
  return selection;
}

DataNode* UnifiedListView::currentFileOfSelection() const {
  const std::vector<int> rows = selectedRows(m_list);
  DataNode* node = rows.size() == 1 ? m_model->Node(rows.front()) : nullptr;
  return node && !IsGroupRow(node) ? node : nullptr;
}

std::vector<const DataNode*> UnifiedListView::selectedFiles() const {
  std::vector<const DataNode*> files;
  for (int row : selectedRows(m_list)) {
    const DataNode* node = m_model->Node(row);
    if (node && !IsGroupRow(node)) files.push_back(node);
  }
  return files;
}

void UnifiedListView::selectFiles(const std::vector<DataNode*>& files) {
  const std::unordered_set<const DataNode*> chosen(files.begin(), files.end());
  // One range per run of neighbouring rows: a helper's choice is mostly whole groups but
  // one row, so the selection model gets about a range per group, not one per file.
  QItemSelection selection;
  const int last = m_model->columnCount() - 1;
  const int count = m_model->rowCount();
  int firstChosen = -1;
  for (int row = 0; row < count;) {
    if (!chosen.count(m_model->Node(row))) {
      ++row;
      continue;
    }
    const int begin = row;
    while (row < count && chosen.count(m_model->Node(row))) ++row;
    if (firstChosen < 0) firstChosen = begin;
    selection.append(QItemSelectionRange(m_model->index(begin, 0), m_model->index(row - 1, last)));
  }
  QItemSelectionModel* model = m_list->selectionModel();
  model->select(selection, QItemSelectionModel::ClearAndSelect);
  if (firstChosen >= 0) {
    model->setCurrentIndex(m_model->index(firstChosen, 0), QItemSelectionModel::NoUpdate);
    m_list->scrollTo(m_model->index(firstChosen, 0));
  }
}

int UnifiedListView::selectedFileCount() const {
  int count = 0;
  for (int row : selectedRows(m_list))
    if (!IsGroupRow(m_model->Node(row))) ++count;
  return count;
}

}  // namespace tf
