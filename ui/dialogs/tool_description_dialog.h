// ToolDescriptionDialog: "Tool Description", the name, command line and working folder of
// one registered tool, with the legend of the macros a command line may hold.
#pragma once

#include <QDialog>

#include "base/questions.h"
#include "datatree/data_node.h"

class QLineEdit;
class QPushButton;

namespace tf {

class ToolDescriptionDialog : public QDialog {
  Q_OBJECT

 public:
  // Edits `tool` (not owned): a detached node or a copy, which OK overwrites.
  ToolDescriptionDialog(DataNode* tool, Questions& questions, QWidget* parent = nullptr);
  ~ToolDescriptionDialog() override;

  QLineEdit* nameBox() const { return m_name; }
  QLineEdit* commandBox() const { return m_command; }
  QLineEdit* directoryBox() const { return m_directory; }
  QPushButton* programChooser() const { return m_programChooser; }
  QPushButton* directoryChooser() const { return m_directoryChooser; }
  QPushButton* okButton() const { return m_ok; }
  QPushButton* cancelButton() const { return m_cancel; }

 public slots:
  void accept() override;

 private:
  void build();
  void updateOk();
  void chooseProgram();
  void chooseDirectory();

  DataNode* m_tool;
  Questions& m_questions;
  QLineEdit* m_name = nullptr;
  QLineEdit* m_command = nullptr;
  QLineEdit* m_directory = nullptr;
  QPushButton* m_programChooser = nullptr;
  QPushButton* m_directoryChooser = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
};

}  // namespace tf
