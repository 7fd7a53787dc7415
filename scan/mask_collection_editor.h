// MaskCollectionEditor: what the "Edit mask collection" dialog does to the collection
// it edits (create, accept, delete, move, load, save), with its questions and
// messages; the dialog itself only shows the lines and forwards the buttons.
#pragma once

#include <string>
#include <vector>

#include "base/questions.h"
#include "scan/mask_collection.h"

namespace tf {

class MaskCollectionEditor {
 public:
  enum class AcceptResult {
    kAccepted,
    kEmptyName,   // the name field gets the focus
    kEmptyMasks,  // the masks field gets the focus
    kNameTaken,   // another group has that name; nothing changed
    kNothingSelected,
    kFailed,
  };

  // Works on a copy of `source` (AssignFrom); the caller copies Collection() back
  // when the dialog ends with OK. The first group is selected.
  MaskCollectionEditor(const MaskCollection& source, Questions& questions);
  MaskCollection& Collection() { return m_work; }

  // The group list: "%02ld. %s" (number, name) per group, in number order.
  std::vector<std::string> Lines() const;
  int Selected() const { return m_selected; }  // a group number, 0 for none
  void Select(int number);

  // "Create New Group": "New group N" with masks "name.ext;name.ext", inserted at the
  // selected number (appended when none is selected) and selected. 0 on failure,
  // after telling the user.
  int CreateNewGroup();
  // "Accept Changes" for the selected group. Spaces are removed from the masks and
  // ',' becomes ';'. Empty fields and a name that another group bears are refused
  // with a message and change nothing.
  AcceptResult AcceptChanges(const std::string& name, const std::string& masks, bool enabled,
                             bool temporary);
  // "Delete Selected", after the user agrees.
  bool DeleteSelected();
  bool CanMoveUp() const { return m_selected > 1 && m_selected <= m_work.Count(); }
  bool CanMoveDown() const { return m_selected >= 1 && m_selected < m_work.Count(); }
  void MoveUp();
  void MoveDown();
  // "Create new collection": every group goes, then one new group is made.
  void CreateNewCollection();
  // "Load" and "Save", through the file choosers; false when cancelled or failed (a
  // failure is told to the user).
  bool Load(const std::string& initialFolder);
  bool Save(const std::string& initialFolder);

 private:
  std::string lineOf(const MaskGroup& group) const;
  void showError(const char* text);

  MaskCollection m_work;
  Questions& m_questions;
  int m_selected = 0;
};

}  // namespace tf
