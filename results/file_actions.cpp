#include "results/file_actions.h"

#include <memory>

#include "platform/file_ops.h"
#include "platform/path_utils.h"
#include "platform/process_launcher.h"

namespace tf {

namespace {

constexpr const char* kMoreThanOneCaption = "More than one file selected";
constexpr const char* kOpenAllQuestion =
    "There is more than one file selected. Would you like to open ALL SELECTED files?";
constexpr const char* kBrowseAllQuestion =
    "There is more than one file selected. Would you like to browse ALL SELECTED folders?";
constexpr const char* kOnlyOneMessage = "You can copy only one selected file at a time.";
constexpr const char* kLinkTargetQuestion =
    "\nYou have just created a link to this file.\nAre you sure you want to delete it?";
constexpr const char* kLinkTargetCaption = "Delete file ?";
constexpr const char* kMoveTitle = "Move selected file to the folder:";
constexpr const char* kCopyTitle = "Copy selected file to the folder:";

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// The file node named by `path` among the children of `group`.
DataNode* fileIn(DataNode* group, const std::string& path) {
  for (DataNode* file = group ? group->FirstChild() : nullptr; file; file = file->Next())
    if (path == file->Name()) return file;
  return nullptr;
}

}  // namespace

FileActions::FileActions(Questions& questions, FileShell& shell, FileActionHooks hooks)
    : m_questions(questions), m_shell(shell), m_hooks(std::move(hooks)) {}

bool FileActions::filesToOpen(const Selection& selection, const char* question,
                              std::vector<std::string>* files) {
  files->clear();
  std::vector<std::string> chosen = selection.paths;
  if (chosen.size() > 1) {
    int answer = m_questions.ShowMessage(question, kMoreThanOneCaption, MB_YESNOCANCEL);
    if (answer != IDYES && answer != IDNO) return false;
    if (answer == IDNO) chosen.resize(1);
  }
  // An empty path ends the list, as an empty row ends a list view's selection.
  for (const std::string& path : chosen) {
    if (path.empty()) break;
    files->push_back(path);
  }
  return true;
}

int FileActions::OpenSelected(const Selection& selection) {
  if (selection.paths.empty()) return 0;
  std::vector<std::string> files;
  if (!filesToOpen(selection, kOpenAllQuestion, &files)) return 1;
  // A file that cannot be opened has been reported; the rest would fail alike.
  for (const std::string& path : files)
    if (!m_shell.OpenFile(path, folderOf(path))) break;
  return 1;
}

int FileActions::BrowseSelected(const Selection& selection) {
  if (selection.paths.empty()) return 0;
  std::vector<std::string> files;
  if (!filesToOpen(selection, kBrowseAllQuestion, &files)) return 1;
  bool explore = m_hooks.browseMode && m_hooks.browseMode() == 1;
  for (const std::string& path : files) {
    std::string folder = folderOf(path);
    if (PathKind(folder) != PATH_FOLDER) continue;
    if (!m_shell.ShowFolder(path, folder, explore)) break;
  }
  return 1;
}

int FileActions::RunSelectedTool(const Selection& selection) {
  if (selection.paths.empty() || selection.toolIndex < 0 || !m_hooks.runTool) return 0;
  return m_hooks.runTool(selection.toolIndex, selection.paths) ? 1 : 0;
}

bool FileActions::mayChangeFiles(const Selection& selection) const {
  if (selection.paths.empty()) return false;
  return selection.view == ResultView::kUnified || selection.group != nullptr;
}

bool FileActions::confirmLinkTargetDelete(const std::string& path) {
  return m_questions.ShowMessage(path + kLinkTargetQuestion, kLinkTargetCaption, MB_YESNO) == IDYES;
}

int FileActions::MoveOrCopySelected(const Selection& selection, bool move) {
  if (!mayChangeFiles(selection)) return 0;
  if (selection.paths.size() > 1) {
    m_questions.ShowMessage(kOnlyOneMessage, kMoreThanOneCaption, MB_OK);
    return 0;
  }
  const std::string& path = selection.paths.front();
  bool linkTarget = m_hooks.isLinkTarget && m_hooks.isLinkTarget(path);
  if (move && linkTarget && !confirmLinkTargetDelete(path)) return 0;
  std::string folder;
  if (!m_questions.ChooseFolder("", move ? kMoveTitle : kCopyTitle, &folder) || folder.empty())
    return 0;
  std::string name;
  SplitPath(path, nullptr, &name);
  const std::string target = JoinPath(name, folder);
  // Moving or copying a file onto itself would at best do nothing and at worst replace
  // the only copy by an empty one.
  if (IsSameFile(path, target) || !m_shell.MoveOrCopy(move, path, target)) return 0;
  if (move) {
    Selection current = selection;
    RemoveFileFromResults(current, path);
  }
  if (m_hooks.buttonsChanged) m_hooks.buttonsChanged();
  return 1;
}

int FileActions::DeleteSelected(const Selection& selection, bool afterBackup) {
  if (!mayChangeFiles(selection)) return 0;
  Selection current = selection;
  bool confirm = !afterBackup;
  for (const std::string& path : selection.paths) {
    if (m_hooks.isLinkTarget && m_hooks.isLinkTarget(path)) {
      if (!confirmLinkTargetDelete(path)) continue;
      confirm = false;  // the user has just answered for this file and the rest
    }
    if (m_shell.Trash(path, confirm)) RemoveFileFromResults(current, path);
  }
  if (selection.view == ResultView::kSeparate && m_hooks.rebuildView) m_hooks.rebuildView();
  return 1;
}

int FileActions::ShowSelectedProperties(const Selection& selection) {
  if (selection.paths.empty() || selection.paths.front().empty()) return 0;
  std::unique_ptr<DataNode, int (*)(TreeNode*)> info(
      CreateNode(nullptr, selection.paths.front().c_str(), ATTACH_ROOT), &DeleteNode);
  if (!info) return 0;
  if (m_hooks.showProperties) m_hooks.showProperties(info.get());
  return 1;
}

int FileActions::RemoveFileFromResults(Selection& selection, const std::string& path) {
  DataNode* file = nullptr;
  if (selection.view == ResultView::kSeparate) {
    file = fileIn(selection.group, path);
  } else {
    DataNode* group = selection.groupsRoot ? selection.groupsRoot->FirstChild() : nullptr;
    for (; group && !file; group = group->Next()) file = fileIn(group, path);
  }
  if (!file || !m_hooks.removeFile) return 0;
  DataNode* group = file->Parent();
  const std::string groupName = group ? group->Name() : "";
  int answer = m_hooks.removeFile(file);
  if (answer == 2 && selection.group == group) selection.group = nullptr;
  if (m_hooks.resultsChanged) m_hooks.resultsChanged(answer, groupName);
  return answer;
}

bool PlatformFileShell::OpenFile(const std::string& path, const std::string& folder) {
  LaunchFailure failure;
  if (OpenWithDefaultViewer(path, folder, true, &failure)) return true;
  ReportLaunchFailure(m_questions, "Cannot open " + quoted(path) + ".", failure);
  return false;
}

bool PlatformFileShell::ShowFolder(const std::string& path, const std::string& folder,
                                   bool explore) {
  LaunchFailure failure;
  if (BrowseFile(path, explore ? "explore" : "open", &failure)) return true;
  ReportLaunchFailure(m_questions, "Cannot show the folder " + quoted(folder) + ".", failure);
  return false;
}

bool PlatformFileShell::Trash(const std::string& path, bool confirm) {
  return ShellDelete(&m_questions, path, std::string(), confirm);
}

bool PlatformFileShell::MoveOrCopy(bool move, const std::string& from, const std::string& to) {
  return ShellFileOp(&m_questions, move ? FO_MOVE : FO_COPY, from, to, true);
}

}  // namespace tf
