// ResultRowsModel: the rows of one result list as pointers into the result tree; every
// cell's text is made from its node when the list asks for it.
#pragma once

#include <functional>
#include <vector>

#include <QAbstractTableModel>

#include "datatree/data_node.h"
#include "duplicates/hard_links.h"
#include "results/result_rows.h"

namespace tf {

class ResultRowsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ResultRowsModel(ResultList list, QObject* parent = nullptr);

  // Replaces every row (a model reset: the selection goes).
  void SetRows(std::vector<DataNode*> rows);
  void Clear() { SetRows({}); }
  // Sorts by `key`; selected rows stay selected (the persistent indexes move with them).
  void Sort(int key);
  // Takes out the rows of nodes that are gone (compared, never read); true when any went.
  bool DropRows(const std::vector<const DataNode*>& gone);

  // Where the model learns which files are names of one file: such a file's "File" cell
  // begins with a mark and the number the other names share ("≡2 "), and its tool tip
  // says what that means.
  void SetLinks(std::function<const HardLinks*()> links) { m_links = std::move(links); }

  DataNode* Node(int row) const;
  const std::vector<DataNode*>& Rows() const { return m_rows; }
  ResultList List() const { return m_list; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  // The hard-link number of a file row's "File" cell, 0 for none.
  uint32_t linkSet(const DataNode* node, int column) const;

  ResultList m_list;
  std::vector<DataNode*> m_rows;  // not owned: the result tree owns the nodes
  std::function<const HardLinks*()> m_links;
};

}  // namespace tf
