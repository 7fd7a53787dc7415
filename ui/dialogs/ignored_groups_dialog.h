// IgnoredGroupsDialog: "Ignored Groups", the entries of the ignore list (each the paths of
// a group the user said are not duplicates), with the command that removes one, so that
// the next search shows its group again.
#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "base/questions.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tf {

class IgnoreStore;

class IgnoredGroupsDialog : public QDialog {
  Q_OBJECT

 public:
  // `store` is the program's ignore list (not owned); it is read now and after each change.
  IgnoredGroupsDialog(IgnoreStore& store, Questions& questions, QWidget* parent = nullptr);
  ~IgnoredGroupsDialog() override;

  QTreeWidget* list() const { return m_list; }
  QPushButton* removeButton() const { return m_remove; }
  QPushButton* closeButton() const { return m_close; }

 private:
  void build();
  // Reads the list again and shows it, the entry at `row` selected (clamped).
  void refill(int row);
  // The entry of the selected item (an entry or one of its paths); -1 for none.
  int selectedEntry() const;
  void removeSelected();

  IgnoreStore& m_store;
  Questions& m_questions;
  // What each row stands for, as read: removal names the entry by its paths, so that a
  // list changed by twinfold-cli meanwhile loses no other entry.
  std::vector<std::vector<std::string>> m_entries;
  QLabel* m_note = nullptr;
  QTreeWidget* m_list = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_close = nullptr;
};

}  // namespace tf
