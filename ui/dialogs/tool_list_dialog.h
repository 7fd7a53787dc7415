// ToolListDialog: "Registered Tools", the list of the tools the result lists offer, with
// the commands that add, edit and remove them. Changes act on the options tree at once.
#pragma once

#include <QDialog>

#include "app/tool_list_editor.h"
#include "base/questions.h"

class QPushButton;
class QTableWidget;

namespace tf {

class ToolListDialog : public QDialog {
  Q_OBJECT

 public:
  // `section` is the options node "tools_section" (not owned).
  ToolListDialog(DataNode* section, Questions& questions, QWidget* parent = nullptr);
  ~ToolListDialog() override;

  QTableWidget* list() const { return m_list; }
  QPushButton* addButton() const { return m_add; }
  QPushButton* editButton() const { return m_edit; }
  QPushButton* removeButton() const { return m_remove; }
  QPushButton* closeButton() const { return m_close; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void build();
  // Rebuilds the rows and selects the one named `remembered` (else the first).
  void refill(const std::string& remembered);
  int selectedRow() const;
  std::string selectedName() const;
  DataNode* selectedTool() const;
  void updateButtons();
  void applyWidths();
  void addTool();
  void editTool();
  void removeTool();

  ToolListEditor m_editor;
  Questions& m_questions;
  QTableWidget* m_list = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_edit = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_close = nullptr;
};

}  // namespace tf
