// FolderRowsModel: the rows of the duplicate folders list: each folder group, then its
// folders, from a copy of the search's folder groups taken when the list fills, so that
// no row points into groups the search has changed since.
#pragma once

#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "duplicates/folder_groups.h"

namespace tf {

class FolderRowsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The columns, in their order.
  enum Column { kFolderColumn, kFilesColumn, kSizeColumn, kLatestColumn, kColumnCount };

  explicit FolderRowsModel(QObject* parent = nullptr);

  // Replaces every row (a model reset: the selection goes), in the order in force.
  void SetGroups(FolderGroups groups);
  void Clear() { SetGroups({}); }
  // Orders the groups by `column` (the folder column by the first folder's path, A first;
  // counts, sizes and times largest first), reversed when `reversed`. The folders of a
  // group follow by path, or newest first when ordered by time. A model reset.
  void Sort(int column, bool reversed);
  int SortColumn() const { return m_column; }
  bool SortReversed() const { return m_reversed; }

  // The group of a row (its own, or the one its folder belongs to); null for no row.
  const FolderGroup* GroupOf(int row) const;
  // The folder of a folder row; null for a group row or no row.
  const DuplicateFolder* FolderOf(int row) const;
  // The row of the folder `path`, or -1.
  int RowOf(const std::string& path) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  struct Row {
    size_t group;
    int folder;  // -1 for the group's own row
  };
  void order();

  FolderGroups m_groups;
  std::vector<Row> m_rows;
  int m_column = kSizeColumn;  // the biggest waste first, as the file lists begin
  bool m_reversed = false;
};

}  // namespace tf
