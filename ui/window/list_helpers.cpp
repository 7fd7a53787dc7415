#include "ui/window/list_helpers.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>

#include "ui/layout/column_widths.h"
#include "ui/qt_text.h"

namespace tf {

namespace {

// Where a row keeps its exact bytes and its attached value.
constexpr int kBytesRole = Qt::UserRole + 1;
constexpr int kValueRole = Qt::UserRole + 2;

}  // namespace

void SetColumnWidths(QHeaderView* header, int clientWidth, const std::vector<int>& table,
                     bool subtractScrollBar) {
  const int arrow =
      subtractScrollBar ? header->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  const std::vector<int> widths = ComputeColumnWidths(table, header->count(), clientWidth, arrow);
  for (int column = 0; column < static_cast<int>(widths.size()); ++column)
    header->resizeSection(column, widths[column]);
}

std::vector<int> ScaleColumnTable(std::vector<int> table, const QFontMetrics& metrics) {
  constexpr int kDesignCharWidth = 5;
  const int charWidth = metrics.averageCharWidth();
  if (charWidth <= kDesignCharWidth) return table;
  for (int& width : table) {
    if (width > 0) width = width * charWidth / kDesignCharWidth;
  }
  return table;
}

void SetColumnWidths(QTreeView* list, const std::vector<int>& table, bool subtractScrollBar) {
  SetColumnWidths(list->header(), list->viewport()->width(), table, subtractScrollBar);
}

int AddRow(QTreeWidget* list, const std::string& text, int64_t value, int index) {
  auto* row = new QTreeWidgetItem;
  row->setText(0, QtText(text));
  row->setData(0, kBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  row->setData(0, kValueRole, QVariant::fromValue<qint64>(value));
  const int count = list->topLevelItemCount();
  if (index < 0 || index > count) index = count;
  list->insertTopLevelItem(index, row);
  return index;
}

std::string RowText(const QTreeWidgetItem* row) {
  const QVariant bytes = row->data(0, kBytesRole);
  const QByteArray text = bytes.isValid() ? bytes.toByteArray() : row->text(0).toUtf8();
  return std::string(text.constData(), static_cast<size_t>(text.size()));
}

int64_t RowValue(const QTreeWidgetItem* row) {
  return row->data(0, kValueRole).toLongLong();
}

int GetSelectedTexts(QTreeWidget* list, std::vector<std::string>* texts) {
  int count = 0;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = list->topLevelItem(i);
    if (!row->isSelected()) continue;
    texts->push_back(RowText(row));
    ++count;
  }
  return count;
}

int SelectRow(QTreeWidget* list, int index, bool makeVisible) {
  const int count = list->topLevelItemCount();
  if (count == 0) return 0;
  if (index < 0 || index > count) index = 0;
  if (index == count) index = count - 1;
  QTreeWidgetItem* row = list->topLevelItem(index);
  const QModelIndex modelIndex = list->indexFromItem(row);
  // A single-selection list keeps one selected row; others add the row to the selection.
  const auto command = list->selectionMode() == QAbstractItemView::SingleSelection
                           ? QItemSelectionModel::ClearAndSelect
                           : QItemSelectionModel::Select;
  list->selectionModel()->select(modelIndex, command | QItemSelectionModel::Rows);
  list->selectionModel()->setCurrentIndex(modelIndex, QItemSelectionModel::NoUpdate);
  if (makeVisible) list->scrollToItem(row);
  return static_cast<int>(list->selectionModel()->selectedRows().size());
}

int FindRow(QTreeWidget* list, const std::string& text, int start, int64_t* value) {
  if (text.empty()) return -1;
  for (int i = start < 0 ? 0 : start + 1; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = list->topLevelItem(i);
    if (RowText(row) != text) continue;
    if (value) *value = RowValue(row);
    return i;
  }
  return -1;
}

}  // namespace tf
