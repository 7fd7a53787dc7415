#include "results/file_actions.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/file_change_watcher.h"
#include "platform/file_ops.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/process_launcher.h"
#include "results/action_journal.h"

namespace tf {

namespace {

constexpr const char* kMoreThanOneCaption = "More than one file selected";
constexpr const char* kOpenAllQuestion =
    "There is more than one file selected. Would you like to open ALL SELECTED files?\n"
    "(No opens only the first selected file.)";
constexpr const char* kBrowseAllQuestion =
    "There is more than one file selected. Would you like to browse ALL SELECTED folders?\n"
    "(No browses only the folder of the first selected file.)";
constexpr const char* kOnlyOneMessage = "You can copy only one selected file at a time.";
constexpr const char* kLinkTargetQuestion =
    "\nYou have just created a link to this file.\nAre you sure you want to delete it?";
constexpr const char* kLinkTargetCaption = "Delete file ?";
constexpr const char* kMoveTitle = "Move selected file to the folder:";
constexpr const char* kCopyTitle = "Copy selected file to the folder:";

std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// The file node named by `path` among the children of `group`.
DataNode* fileIn(DataNode* group, const std::string& path) {
  for (DataNode* file = group ? group->FirstChild() : nullptr; file; file = file->Next())
    if (FullNameIs(file, path)) return file;
  return nullptr;
}

// The file node of a path in the results a selection's view shows.
DataNode* fileOf(const Selection& selection, const std::string& path) {
  if (selection.view == ResultView::kSeparate) return fileIn(selection.group, path);
  DataNode* file = nullptr;
  DataNode* group = selection.groupsRoot ? selection.groupsRoot->FirstChild() : nullptr;
  for (; group && !file; group = group->Next()) file = fileIn(group, path);
  return file;
}

// The file nodes of a view by path, built once for a delete of many files: looking each
// one up among all groups would cost a walk of the results per file.
class FileIndex {
 public:
  explicit FileIndex(const Selection& selection) {
    if (selection.view == ResultView::kSeparate) {
      addGroup(selection.group);
      return;
    }
    DataNode* group = selection.groupsRoot ? selection.groupsRoot->FirstChild() : nullptr;
    for (; group; group = group->Next()) addGroup(group);
  }
  DataNode* Find(const std::string& path) const {
    auto it = m_files.find(path);
    return it == m_files.end() ? nullptr : it->second;
  }

 private:
  void addGroup(DataNode* group) {
    for (DataNode* file = group ? group->FirstChild() : nullptr; file; file = file->Next())
      m_files.emplace(FullName(file), file);
  }
  std::unordered_map<std::string, DataNode*> m_files;
};

bool unchanged(const DataNode* file) {
  PathStatus now;
  // The search listed names without following links: a link is compared as itself.
  if (!file || !StatPath(FullName(file), &now, false)) return false;
  return now.size == file->val && now.modified == file->val2;
}

int fileCount(const DataNode* group) {
  int count = 0;
  for (const DataNode* f = group ? group->FirstChild() : nullptr; f; f = f->Next()) ++count;
  return count;
}

// At most this many names in one message; the rest are counted.
constexpr size_t kNamesShown = 15;

std::string namedList(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size() && i < kNamesShown; ++i) text += "\n" + quoted(names[i]);
  if (names.size() > kNamesShown)
    text += "\n... and " + std::to_string(names.size() - kNamesShown) + " more";
  return text;
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
    if (!m_shell.OpenFile(path, FolderOf(path))) break;
  return 1;
}

int FileActions::BrowseSelected(const Selection& selection) {
  if (selection.paths.empty()) return 0;
  std::vector<std::string> files;
  if (!filesToOpen(selection, kBrowseAllQuestion, &files)) return 1;
  bool explore = m_hooks.browseMode && m_hooks.browseMode() == 1;
  for (const std::string& path : files) {
    std::string folder = FolderOf(path);
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
  if (move && RefuseProtected(selection.paths)) return 0;
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
  if (SameFile(path, target)) {
    m_questions.ShowMessage(quoted(path) + "\nis already in the folder\n" + quoted(folder) +
                                "\nA file cannot be " + (move ? "moved" : "copied") +
                                " onto itself: choose another folder.",
                            move ? kNotMovedCaption : kNotCopiedCaption, MB_OK);
    return 0;
  }
  if (move && !UnchangedSinceSearch(selection, path)) {
    ReportChanged({path});
    return 0;
  }
  JournalScope journal(move ? kActMove : kActCopy);
  if (!journal.Ok()) {
    m_questions.ShowMessage(journal.Why(), kJournalCaption, MB_OK);
    return 0;
  }
  if (!m_shell.MoveOrCopy(move, path, target)) {
    const std::string why = m_shell.FailureReason();
    if (!why.empty())
      m_questions.ShowMessage(std::string(move ? "Cannot move " : "Cannot copy ") + quoted(path) +
                                  "\nto " + quoted(folder) + ":\n" + why,
                              move ? kNotMovedCaption : kNotCopiedCaption, MB_OK);
    return 0;
  }
  if (move) {
    Selection current = selection;
    RemoveFileFromResults(current, path);
  }
  if (m_hooks.buttonsChanged) m_hooks.buttonsChanged();
  return 1;
}

int FileActions::DeleteSelected(const Selection& selection, bool afterBackup) {
  if (!mayChangeFiles(selection)) return 0;
  // After a backup the file was checked before it was kept.
  if (!afterBackup && RefuseProtected(selection.paths)) return 1;
  JournalScope journal(kActDelete);
  if (!journal.Ok()) {
    m_questions.ShowMessage(journal.Why(), kJournalCaption, MB_OK);
    return 1;
  }
  Selection current = selection;
  const FileIndex index(selection);
  std::vector<std::string> changed;
  std::vector<DataNode*> files;
  std::unordered_set<const DataNode*> listed;  // a path given twice is acted on once
  for (const std::string& path : selection.paths) {
    if (path.empty()) continue;
    DataNode* file = index.Find(path);
    if (file && !listed.insert(file).second) continue;
    if (unchanged(file))
      files.push_back(file);
    else
      changed.push_back(path);
  }
  if (!afterBackup && !confirmLastCopies(files)) files.clear();
  bool confirm = !afterBackup;
  // Many files are asked about once, not one question per file.
  if (confirm && files.size() > 1) {
    const std::string text = "Are you sure you want to move these " + std::to_string(files.size()) +
                             " files to the trash?";
    if (m_questions.ShowMessage(text, kTrashCaption, MB_YESNO) != IDYES) files.clear();
    confirm = false;
  }
  std::vector<DataNode*> trashed;
  std::vector<std::string> failed;  // each path followed by why
  size_t stopped = 0;               // left when the user stopped the work
  // The journal hears of the files a few hundred at a time, with one synced write each:
  // one per file would make thousands wait for the disk, one for all would hold up the
  // window.
  constexpr size_t kAnnounced = 256;
  for (size_t i = 0; i < files.size(); ++i) {
    if (files.size() > 1 && i % kAnnounced == 0) {
      std::vector<AnnouncedFile> next;
      for (size_t j = i; j < files.size() && j < i + kAnnounced; ++j)
        next.push_back({FullName(files[j]), files[j]->val, files[j]->val2});
      if (!journal.Announce(FileChange::kTrash, next)) {
        m_questions.ShowMessage(journal.Why(), kJournalCaption, MB_OK);
        break;
      }
    }
    DataNode* file = files[i];
    const std::string path = FullName(file);
    if (m_hooks.isLinkTarget && m_hooks.isLinkTarget(path)) {
      if (!confirmLinkTargetDelete(path)) continue;
      confirm = false;  // the user has just answered for this file
    }
    // Once more just before: the questions and the files before it took their time.
    if (!unchanged(file)) {
      changed.push_back(path);
      continue;
    }
    if (m_shell.Trash(path, confirm)) {
      trashed.push_back(file);
      continue;
    }
    const std::string why = m_shell.FailureReason();
    if (!why.empty())
      failed.insert(failed.end(), {path, why});
    else if (!confirm)
      ++stopped;  // no question was asked: the work was cancelled
  }
  removeFromResults(current, trashed);
  if (selection.view == ResultView::kSeparate && m_hooks.rebuildView) m_hooks.rebuildView();
  if (stopped)
    m_questions.ShowMessage("Stopped. " + std::to_string(trashed.size()) + " of " +
                                std::to_string(files.size()) + " files went to the trash; " +
                                std::to_string(stopped) + " stay in their place and in the list.",
                            kTrashStoppedCaption, MB_OK);
  reportNotTrashed(failed);
  ReportChanged(changed);
  return 1;
}

void FileActions::reportNotTrashed(const std::vector<std::string>& failed) {
  if (failed.empty()) return;
  std::string text = failed.size() == 2 ? "This file could not be moved to the trash and stays "
                                          "where it is:"
                                        : std::to_string(failed.size() / 2) +
                                              " files could not be moved to the trash and stay "
                                              "where they are:";
  for (size_t i = 0; i + 1 < failed.size() && i / 2 < kNamesShown; i += 2)
    text += "\n" + quoted(failed[i]) + "\n    " + failed[i + 1];
  if (failed.size() / 2 > kNamesShown)
    text += "\n... and " + std::to_string(failed.size() / 2 - kNamesShown) + " more";
  m_questions.ShowMessage(text, kNotTrashedCaption, MB_OK);
}

bool FileActions::RefuseProtected(const std::vector<std::string>& paths) {
  if (!paths.empty() && m_hooks.resultsReadOnly && m_hooks.resultsReadOnly()) {
    m_questions.ShowMessage(kReadOnlyMessage, kReadOnlyCaption, MB_OK);
    return true;
  }
  if (!m_hooks.protectedFolderOf) return false;
  std::string first, folder;
  size_t count = 0;
  for (const std::string& path : paths) {
    const std::string holder = m_hooks.protectedFolderOf(path);
    if (holder.empty()) continue;
    if (count++ == 0) {
      first = path;
      folder = holder;
    }
  }
  if (count == 0) return false;
  std::string text = quoted(first) + "\nlies in the protected folder\n" + quoted(folder);
  if (count > 1) text += "\n(and " + std::to_string(count - 1) + " more selected files)";
  text += "\nNo file of a protected folder is moved, deleted, backed up or replaced by a link.";
  m_questions.ShowMessage(text, kProtectedCaption, MB_OK);
  return true;
}

bool FileActions::UnchangedSinceSearch(const Selection& selection, const std::string& path) {
  return unchanged(fileOf(selection, path));
}

void FileActions::ReportChanged(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  m_questions.ShowMessage(
      "These files changed or went away since the search. They were left as they are and "
      "stay in their groups:" +
          namedList(paths),
      kChangedCaption, MB_OK);
}

bool FileActions::confirmLastCopies(const std::vector<DataNode*>& files) {
  std::unordered_map<const DataNode*, int> chosen;
  for (const DataNode* file : files) ++chosen[file->Parent()];
  std::vector<std::string> whole;
  for (const DataNode* file : files) {
    const DataNode* group = file->Parent();
    auto it = chosen.find(group);
    if (it == chosen.end()) continue;
    if (it->second >= fileCount(group)) whole.emplace_back(group ? group->Name() : "");
    chosen.erase(it);  // each group once, in the order of the selection
  }
  if (whole.empty()) return true;
  std::string text = whole.size() == 1 ? "Every remaining file of the group " +
                                             quoted(whole.front()) + " is selected."
                                       : "Every remaining file of " + std::to_string(whole.size()) +
                                             " groups is selected:" + namedList(whole);
  text += "\nDeleting them leaves no copy in its place.\nDelete them all?";
  return m_questions.ShowMessage(text, kLastCopyCaption, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void FileActions::removeFromResults(Selection& selection, const std::vector<DataNode*>& files) {
  if (files.empty() || !m_hooks.removeFile) return;
  if (m_hooks.removals) m_hooks.removals(true);
  // A group left with one file goes with that file: its node must not be touched again.
  std::unordered_set<const DataNode*> gone;
  int answer = 0;
  std::string groupName;
  for (DataNode* file : files) {
    if (gone.count(file)) continue;
    DataNode* group = file->Parent();
    std::vector<const DataNode*> members;
    if (group && fileCount(group) <= 2)
      for (const DataNode* f = group->FirstChild(); f; f = f->Next()) members.push_back(f);
    groupName = group ? group->Name() : "";
    answer = m_hooks.removeFile(file);
    if (answer == 2) {
      gone.insert(members.begin(), members.end());
      if (selection.group == group) selection.group = nullptr;
    }
  }
  if (m_hooks.removals) m_hooks.removals(false);
  if (answer && m_hooks.resultsChanged) m_hooks.resultsChanged(answer, groupName);
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
  DataNode* file = fileOf(selection, path);
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
  m_failure.clear();
  return ShellDelete(&m_questions, path, std::string(), confirm, &m_failure);
}

bool PlatformFileShell::MoveOrCopy(bool move, const std::string& from, const std::string& to) {
  m_failure.clear();
  return ShellFileOp(&m_questions, move ? FO_MOVE : FO_COPY, from, to, true, {}, &m_failure);
}

}  // namespace tf
