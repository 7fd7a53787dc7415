// FilePropertiesDialog: the modal "File Properties" dialog, a name and value list of one
// file's facts and of its document summary properties.
#pragma once

#include <QDialog>

#include "datatree/data_node.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tf {

class FilePropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  // `root` (named by the path, its children filled by FillFileProperties) must outlive
  // the dialog; the dialog only reads it.
  FilePropertiesDialog(DataNode* root, QWidget* parent = nullptr);

  QLineEdit* fileField() const { return m_file; }
  QTableWidget* list() const { return m_list; }
  QPushButton* closeButton() const { return m_close; }

 private:
  void fill(DataNode* root);

  QLineEdit* m_file;
  QTableWidget* m_list;
  QPushButton* m_close;
};

// Fills nothing: shows `root` as it is and returns when the dialog is closed.
void ShowFileProperties(QWidget* owner, DataNode* root);

}  // namespace tf
