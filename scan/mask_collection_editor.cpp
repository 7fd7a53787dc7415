#include "scan/mask_collection_editor.h"

#include "platform/path_utils.h"

namespace tf {

namespace {

constexpr const char* kFilterName = "Mask collection (*.mcf)";
constexpr const char* kFilterPattern = "*.mcf";

// The editor's form of a mask text: no spaces, ';' between masks. Unlike the name
// filter it keeps the whole text.
std::string editedMasks(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != ' ') out.push_back(c == ',' ? ';' : c);
  }
  return out;
}

}  // namespace

MaskCollectionEditor::MaskCollectionEditor(const MaskCollection& source, Questions& questions)
    : m_questions(questions) {
  m_work.AssignFrom(source);
  m_selected = m_work.Count() > 0 ? 1 : 0;
}

std::string MaskCollectionEditor::lineOf(const MaskGroup& group) const {
  std::string number = std::to_string(group.number);
  if (number.size() < 2) number.insert(0, 1, '0');
  return number + ". " + group.name;
}

void MaskCollectionEditor::showError(const char* text) {
  m_questions.ShowMessage(text, "Error", MB_OK);
}

std::vector<std::string> MaskCollectionEditor::Lines() const {
  std::vector<std::string> lines;
  MaskGroup group;
  for (int n = 1; m_work.GetGroup(n, &group); ++n) lines.push_back(lineOf(group));
  return lines;
}

void MaskCollectionEditor::Select(int number) {
  m_selected = number >= 1 && number <= m_work.Count() ? number : 0;
}

int MaskCollectionEditor::CreateNewGroup() {
  MaskGroup group;
  group.number = m_selected;
  group.name = m_work.NewGroupName();
  group.masks = "name.ext;name.ext";
  m_work.SetUpdating(true);
  const int number = m_work.AddGroup(group);
  const int error = m_work.LastError();
  m_work.SetUpdating(false);
  if (!number) {
    showError(error == MaskCollection::kNameExists ? "Group with this name already exists"
                                                   : "Cannot add group");
    return 0;
  }
  m_selected = number;
  return number;
}

MaskCollectionEditor::AcceptResult MaskCollectionEditor::AcceptChanges(const std::string& name,
                                                                       const std::string& masks,
                                                                       bool enabled,
                                                                       bool temporary) {
  MaskGroup old;
  if (!m_work.GetGroup(m_selected, &old)) return AcceptResult::kNothingSelected;
  MaskGroup edited = old;
  edited.name = name;
  edited.masks = editedMasks(masks);
  edited.enabled = enabled ? 1 : 0;
  edited.temporary = temporary ? 1 : 0;
  if (edited.name.empty() || edited.masks.empty()) {
    showError("Fields 'Name' and 'Mask' cannot be empty !");
    return edited.name.empty() ? AcceptResult::kEmptyName : AcceptResult::kEmptyMasks;
  }
  // Checked before the old group goes, so a taken name cannot lose the group.
  MaskGroup other;
  if (m_work.FindGroup(edited.name, &other) && other.number != old.number) {
    showError("Group with this name already exists");
    return AcceptResult::kNameTaken;
  }
  m_work.SetUpdating(true);
  m_work.DeleteGroup(old.name);
  bool added = m_work.AddGroup(edited) != 0;
  if (!added) m_work.AddGroup(old);
  m_work.SetUpdating(false);
  if (!added) showError("Cannot add group");
  return added ? AcceptResult::kAccepted : AcceptResult::kFailed;
}

bool MaskCollectionEditor::DeleteSelected() {
  MaskGroup group;
  if (!m_work.GetGroup(m_selected, &group)) return false;
  const std::string text = "    Delete group '" + lineOf(group) + "' ?     ";
  if (m_questions.ShowMessage(text, "Submit", MB_YESNO) != IDYES) return false;
  m_work.DeleteGroup(group.name);
  if (m_selected > m_work.Count()) m_selected = m_work.Count();
  return true;
}

void MaskCollectionEditor::MoveUp() {
  if (!CanMoveUp()) return;
  m_work.SwapNumbers(m_selected, m_selected - 1);
  --m_selected;
}

void MaskCollectionEditor::MoveDown() {
  if (!CanMoveDown()) return;
  m_work.SwapNumbers(m_selected, m_selected + 1);
  ++m_selected;
}

void MaskCollectionEditor::CreateNewCollection() {
  m_work.Clear();
  m_work.SetModified(true);
  m_selected = 0;
  CreateNewGroup();
}

bool MaskCollectionEditor::Load(const std::string& initialFolder) {
  std::string path;
  if (!m_questions.ChooseFileToOpen(kFilterName, kFilterPattern, "Open mask collection file",
                                    initialFolder, &path))
    return false;
  if (!m_work.LoadFromFile(path)) {
    // The collection stays as it was; say so rather than look as if nothing was chosen.
    showError("Cannot load mask collection file");
    return false;
  }
  m_selected = m_work.Count() > 0 ? 1 : 0;
  return true;
}

bool MaskCollectionEditor::Save(const std::string& initialFolder) {
  std::string path = m_work.Name();
  if (!m_questions.ChooseFileToSave(kFilterName, kFilterPattern, "mcf", initialFolder,
                                    "Save mask collection to file", true, &path))
    return false;
  // A name without an extension gets ".mcf"; a leading dot does not begin one.
  std::string name;
  SplitPath(path, nullptr, &name);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name == "..") path += MaskCollection::kExtension;
  if (m_work.SaveToFile(path)) return true;
  showError("Cannot save mask collection file");
  return false;
}

}  // namespace tf
