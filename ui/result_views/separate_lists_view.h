// SeparateListsView: the groups list over the files list of the selected group, with the
// action buttons below them. After a selection helper ran, the view's selection spans
// every group: the files list shows the selected group's part of it, changes made there
// by hand change that part, and the actions work on all of it, until the lists refill.
#pragma once

#include <unordered_set>

#include "ui/result_views/result_list_view.h"

class QItemSelection;
class QTableView;

namespace tf {

class SeparateListsView : public ResultListView {
  Q_OBJECT

 public:
  SeparateListsView(ResultsHost& host, std::function<int(DataNode*)> removeFile,
                    QWidget* parent = nullptr);

  QTableView* groupsList() const { return m_groupsList; }
  QTableView* filesList() const { return m_filesList; }
  ResultRowsModel* groupsModel() const { return m_groups; }
  ResultRowsModel* filesModel() const { return m_files; }
  DataNode* selectedGroup() const { return m_selectedGroup; }
  int groupsKey() const { return m_groupsKey; }

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
  // Selects the rows of the files list that are chosen, leaving the current row at the top.
  void showChosen();
  void leaveSpanning();
  void groupSelectionChanged();
  void fileSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  void fillFiles();

  ResultRowsModel* m_groups;
  ResultRowsModel* m_files;
  QTableView* m_groupsList;
  QTableView* m_filesList;
  DataNode* m_selectedGroup = nullptr;  // not owned
  int m_groupsKey = kInitialSortKey;
  int m_filesKey = kInitialSortKey;
  // The selection across groups that a helper made; nodes are only compared until a
  // refill clears it (DropRows takes out those that go sooner).
  std::unordered_set<const DataNode*> m_chosen;
  bool m_spanning = false;
  bool m_showingChosen = false;  // the files list's selection is being set from m_chosen
};

}  // namespace tf
