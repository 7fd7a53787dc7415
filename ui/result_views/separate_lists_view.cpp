#include "ui/result_views/separate_lists_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/result_views/result_rows_model.h"

namespace tf {

SeparateListsView::SeparateListsView(ResultsHost& host, std::function<int(DataNode*)> removeFile,
                                     QWidget* parent)
    : ResultListView(host, std::move(removeFile), parent),
      m_groups(new ResultRowsModel(ResultList::kGroups, this)),
      m_files(new ResultRowsModel(ResultList::kFiles, this)) {
  m_groupsList = makeList(m_groups, false);
  m_filesList = makeList(m_files, true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Duplicate files:"), this));
  layout->addWidget(m_groupsList, 1);
  layout->addWidget(new QLabel(QStringLiteral("Found copies of the selected file :"), this));
  layout->addWidget(m_filesList, 1);
  layout->addWidget(takeButtonRows());
  chainTabs({m_groupsList, m_filesList});

  connect(m_groupsList->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { headerClicked(m_groups, &m_groupsKey, column, true); });
  connect(m_filesList->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { headerClicked(m_files, &m_filesKey, column, false); });
  connect(m_groupsList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { groupSelectionChanged(); });
  connect(m_filesList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &SeparateListsView::fileSelectionChanged);
  connect(m_filesList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(m_filesList, pos); });
}

void SeparateListsView::Fill(const std::string& name) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setBusy(true);
  leaveSpanning();
  m_selectedGroup = nullptr;
  m_files->Clear();
  setCurrentFile(nullptr);
  std::vector<DataNode*> rows = GroupRows(m_host.GroupsRoot());
  SortRows(ResultList::kGroups, m_groupsKey, &rows);
  m_groups->SetRows(std::move(rows));
  QApplication::restoreOverrideCursor();
  setBusy(false);
  markFilled();
  selectRow(m_groupsList, FindRowByName(m_groups->Rows(), name));
  applyWidths(m_groupsList);
  RecomputeButtons();
}

void SeparateListsView::groupSelectionChanged() {
  if (busy()) return;
  const std::vector<int> rows = selectedRows(m_groupsList);
  DataNode* group = rows.empty() ? nullptr : m_groups->Node(rows.front());
  if (group == m_selectedGroup) return;
  m_selectedGroup = group;
  // A helper's choice across groups is looked over in the group it was made in; another
  // group starts afresh from its first file, so that an action takes only what is shown.
  leaveSpanning();
  if (group)
    fillFiles();
  else
    m_files->Clear();
  RecomputeButtons();
}

void SeparateListsView::fillFiles() {
  std::vector<DataNode*> rows = FileRows(m_selectedGroup);
  SortRows(ResultList::kFiles, m_filesKey, &rows);
  m_showingChosen = true;  // the old group's rows leave, not its chosen files
  m_files->SetRows(std::move(rows));
  m_showingChosen = false;
  selectRow(m_filesList, 0);
  applyWidths(m_filesList);
}

void SeparateListsView::fileSelectionChanged(const QItemSelection& selected,
                                             const QItemSelection& deselected) {
  if (m_spanning && !m_showingChosen) {
    // A change by hand changes the selected group's part of the selection.
    for (const QModelIndex& index : deselected.indexes())
      m_chosen.erase(m_files->Node(index.row()));
    for (const QModelIndex& index : selected.indexes()) m_chosen.insert(m_files->Node(index.row()));
  }
  // Fewer than two selected: the file whose row changed becomes current.
  if (selectedRows(m_filesList).size() < 2) {
    const QItemSelection& changed = selected.isEmpty() ? deselected : selected;
    if (!changed.isEmpty()) setCurrentFile(m_files->Node(changed.indexes().first().row()));
  } else {
    setCurrentFile(nullptr);
  }
  RecomputeButtons();
}

void SeparateListsView::clearRows() {
  leaveSpanning();
  m_selectedGroup = nullptr;
  m_groups->Clear();
  m_files->Clear();
}

void SeparateListsView::DropRows(const std::vector<const DataNode*>& gone) {
  for (const DataNode* node : gone) {
    m_chosen.erase(node);
    if (node != m_selectedGroup) continue;
    m_selectedGroup = nullptr;
    m_files->Clear();
  }
  m_groups->DropRows(gone);
  m_files->DropRows(gone);
  RecomputeButtons();
}

Selection SeparateListsView::currentSelection() const {
  Selection selection;
  if (m_spanning) {
    // The files of every group, so an action looks for them in every group.
    const DataNode* root = m_host.GroupsRoot();
    for (const DataNode* group = root ? root->FirstChild() : nullptr; group; group = group->Next())
      for (const DataNode* file = group->FirstChild(); file; file = file->Next())
        if (m_chosen.count(file)) selection.paths.push_back(FullName(file));
    selection.groupsRoot = m_host.GroupsRoot();
    selection.group = m_selectedGroup;
    selection.view = ResultView::kUnified;
    return selection;
  }
  for (int row : selectedRows(m_filesList)) selection.paths.push_back(FullName(m_files->Node(row)));
  selection.groupsRoot = m_host.GroupsRoot();
  selection.group = m_selectedGroup;
  selection.view = ResultView::kSeparate;
  return selection;
}

DataNode* SeparateListsView::currentFileOfSelection() const {
  const std::vector<int> rows = selectedRows(m_filesList);
  return rows.size() == 1 ? m_files->Node(rows.front()) : nullptr;
}

std::vector<const DataNode*> SeparateListsView::selectedFiles() const {
  if (m_spanning) return {m_chosen.begin(), m_chosen.end()};
  std::vector<const DataNode*> files;
  for (int row : selectedRows(m_filesList)) files.push_back(m_files->Node(row));
  return files;
}

void SeparateListsView::selectFiles(const std::vector<DataNode*>& files) {
  m_chosen.clear();
  m_chosen.insert(files.begin(), files.end());
  m_spanning = true;
  showChosen();
}

void SeparateListsView::showChosen() {
  QItemSelection selection;
  const int last = m_files->columnCount() - 1;
  for (int row = 0; row < m_files->rowCount(); ++row)
    if (m_chosen.count(m_files->Node(row)))
      selection.select(m_files->index(row, 0), m_files->index(row, last));
  m_showingChosen = true;
  QItemSelectionModel* model = m_filesList->selectionModel();
  model->select(selection, QItemSelectionModel::ClearAndSelect);
  if (m_files->rowCount() > 0)
    model->setCurrentIndex(m_files->index(0, 0), QItemSelectionModel::NoUpdate);
  m_showingChosen = false;
  RecomputeButtons();
}

void SeparateListsView::leaveSpanning() {
  m_spanning = false;
  m_chosen.clear();
}

int SeparateListsView::selectedFileCount() const {
  if (m_spanning) return static_cast<int>(m_chosen.size());
  return static_cast<int>(selectedRows(m_filesList).size());
}

}  // namespace tf
