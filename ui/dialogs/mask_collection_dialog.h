// MaskCollectionDialog: "Edit mask collection", the editor of a mask collection's groups
// (name, masks, enabled and temporary flags, order) with its loading and saving; opened
// for viewing it is the read-only "File Filters" view of the same groups.
#pragma once

#include <string>

#include <QDialog>

#include "scan/mask_collection_editor.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tf {

class MaskCollectionDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { kEdit, kView };

  // Works on a copy of `source`; after OK the caller copies Collection() back. `folder`
  // is where "Load" and "Save" start.
  MaskCollectionDialog(const MaskCollection& source, Questions& questions, std::string folder,
                       Mode mode = Mode::kEdit, QWidget* parent = nullptr);
  ~MaskCollectionDialog() override;

  MaskCollection& Collection() { return m_editor.Collection(); }

  QListWidget* groupList() const { return m_groups; }
  QLineEdit* nameBox() const { return m_name; }
  QLineEdit* masksBox() const { return m_masks; }
  QCheckBox* enabledBox() const { return m_enabled; }
  QCheckBox* temporaryBox() const { return m_temporary; }
  // The buttons, by their texts: "Create New Group", "Delete Selected", "Move Up",
  // "Move Down", "Accept Changes", "Discard Changes", "Create new collection", "Load",
  // "Save", "OK", "Cancel"; null for another text.
  QPushButton* button(const char* text) const;

 private:
  void build(Mode mode);
  QPushButton* addButton(const char* text, const char* tip);
  // Rebuilds the group lines and selects the editor's selected group.
  void refill();
  // Shows the selected group in the fields ("Discard Changes" too).
  void showSelected();
  void updateButtons();
  void createGroup();
  void acceptChanges();
  void deleteGroup();
  void move(bool up);
  void createCollection();
  void load();
  void save();

  MaskCollectionEditor m_editor;
  std::string m_folder;
  bool m_filling = false;
  QListWidget* m_groups = nullptr;
  QLineEdit* m_name = nullptr;
  QLineEdit* m_masks = nullptr;
  QCheckBox* m_enabled = nullptr;
  QCheckBox* m_temporary = nullptr;
  std::vector<QPushButton*> m_buttons;
};

}  // namespace tf
