// UnifiedListView: one list of every group row followed by its files, with the action
// buttons below it.
#pragma once

#include "ui/result_views/result_list_view.h"

class QItemSelection;
class QTableView;

namespace tf {

class UnifiedListView : public ResultListView {
  Q_OBJECT

 public:
  UnifiedListView(ResultsHost& host, std::function<int(DataNode*)> removeFile,
                  QWidget* parent = nullptr);

  QTableView* list() const { return m_list; }
  ResultRowsModel* model() const { return m_model; }
  int sortKey() const { return m_key; }

  void Fill(const std::string& name) override;
  void DropRows(const std::vector<const DataNode*>& gone) override;

 protected:
  Selection currentSelection() const override;
  int selectedFileCount() const override;
  DataNode* currentFileOfSelection() const override;
  void clearRows() override;
  std::vector<const DataNode*> selectedFiles() const override;
  void selectFiles(const std::vector<DataNode*>& files) override;

 private:
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

  ResultRowsModel* m_model;
  QTableView* m_list;
  int m_key = kInitialSortKey;
};

}  // namespace tf
