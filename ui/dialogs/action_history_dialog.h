// ActionHistoryDialog: "Action history", the actions of the journal newest first, each
// with its files and state, and "Undo" for the one selected.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "app/journal_control.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tf {

class ActionHistoryDialog : public QDialog {
  Q_OBJECT

 public:
  // `undo` takes the action of an id back (asking, with progress, as the window does).
  ActionHistoryDialog(JournalControl& journal, std::function<void(const std::string& id)> undo,
                      QWidget* parent = nullptr);
  ~ActionHistoryDialog() override;

  QTreeWidget* tree() const { return m_tree; }
  QPushButton* undoButton() const { return m_undo; }
  QPushButton* closeButton() const { return m_close; }
  // Lists the actions again, selecting the one of `id` (else the newest).
  void Refill(const std::string& id);

 private:
  std::string selectedId() const;
  void updateButtons();

  JournalControl& m_journal;
  std::function<void(const std::string&)> m_onUndo;
  QTreeWidget* m_tree;
  QLabel* m_problem;
  QPushButton* m_undo;
  QPushButton* m_close;
};

}  // namespace tf
