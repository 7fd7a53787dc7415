#include "ui/result_views/result_rows_model.h"

#include <algorithm>
#include <unordered_map>

#include "ui/qt_text.h"

namespace tf {

ResultRowsModel::ResultRowsModel(ResultList list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

void ResultRowsModel::SetRows(std::vector<DataNode*> rows) {
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

void ResultRowsModel::Sort(int key) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // Only the persistent indexes (the selection, the current row) follow their nodes, so
  // the cost beyond the sort is one pass over the rows.
  const QModelIndexList from = persistentIndexList();
  std::vector<const DataNode*> nodes;
  std::unordered_map<const DataNode*, int> newRow;
  for (const QModelIndex& index : from) {
    nodes.push_back(Node(index.row()));
    newRow.emplace(nodes.back(), -1);
  }
  SortRows(m_list, key, &m_rows);
  if (!newRow.empty()) {
    for (size_t row = 0; row < m_rows.size(); ++row) {
      auto it = newRow.find(m_rows[row]);
      if (it != newRow.end()) it->second = static_cast<int>(row);
    }
  }
  QModelIndexList to;
  to.reserve(from.size());
  for (qsizetype i = 0; i < from.size(); ++i) {
    const int row = newRow[nodes[static_cast<size_t>(i)]];
    to.append(row < 0 ? QModelIndex() : index(row, from[i].column()));
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool ResultRowsModel::DropRows(const std::vector<const DataNode*>& gone) {
  std::vector<DataNode*> rows = m_rows;
  if (EraseRows(gone, &rows) == 0) return false;
  SetRows(std::move(rows));
  return true;
}

DataNode* ResultRowsModel::Node(int row) const {
  if (row < 0 || row >= static_cast<int>(m_rows.size())) return nullptr;
  return m_rows[static_cast<size_t>(row)];
}

int ResultRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount(m_list);
}

uint32_t ResultRowsModel::linkSet(const DataNode* node, int column) const {
  if (column != 0 || m_list == ResultList::kGroups || IsGroupRow(node) || !m_links) return 0;
  const HardLinks* links = m_links();
  return links ? links->SetOf(node) : 0;
}

QVariant ResultRowsModel::data(const QModelIndex& index, int role) const {
  if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid()) return QVariant();
  const DataNode* node = Node(index.row());
  if (!node) return QVariant();
  const uint32_t set = linkSet(node, index.column());
  const bool verified = index.column() == 0 && IsVerifiedGroup(node);
  if (role == Qt::ToolTipRole && verified)
    return QStringLiteral("Verified: every file of this group holds the same bytes");
  if (role == Qt::ToolTipRole) {
    // A path elided in the middle can be read whole in its tooltip.
    if (!set) return index.column() == 0 ? ShownText(CellText(m_list, node, 0)) : QVariant();
    return QStringLiteral(
               "A hard link: the same file as every row marked \u2261%1. Removing "
               "one of its names frees no space, and no name of it counts as a "
               "kept copy of another.")
        .arg(set);
  }
  // Names that are not UTF-8 show with replacement characters; the node keeps the bytes.
  const std::string text = CellText(m_list, node, index.column());
  const QString cell = ShownText(text);
  if (verified) return QStringLiteral("\u2713 ") + cell;
  return set ? QStringLiteral("\u2261%1 ").arg(set) + cell : cell;
}

QVariant ResultRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return QVariant();
  if (section < 0 || section >= ColumnCount(m_list)) return QVariant();
  return QtText(ColumnCaption(m_list, section));
}

}  // namespace tf
