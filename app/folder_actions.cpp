#include "app/folder_actions.h"

#include <algorithm>

#include "platform/file_ops.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/process_launcher.h"
#include "platform/trash.h"
#include "results/action_journal.h"
#include "results/file_actions.h"
#include "scan/folder_list.h"

namespace tf {

namespace {

std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

bool sameSignature(const uint64_t a[2], const uint64_t b[2]) {
  return a[0] == b[0] && a[1] == b[1];
}

}  // namespace

FolderActions::FolderActions(ResultsHost& host,
                             std::function<void(const std::string&)> removeFolder)
    : m_host(host), m_removeFolder(std::move(removeFolder)) {}

bool FolderActions::Browse(const std::string& path) {
  if (path.empty()) return false;
  return BrowseFolderOrReport(m_host.Ask(), path, m_host.BrowseMode() == 1);
}

bool FolderActions::refuseProtected(const std::string& path) {
  if (m_host.ResultsReadOnly()) {
    m_host.Ask().ShowMessage(kReadOnlyMessage, kReadOnlyCaption, MB_OK);
    return true;
  }
  // A protected folder inside the folder would go with it as surely as the folder itself.
  for (const std::string& folder : m_host.ProtectedFolders()) {
    const bool inside = !ProtectedFolderHolding({folder}, path).empty();
    if (!inside && ProtectedFolderHolding({path}, folder).empty()) continue;
    const std::string text =
        inside ? quoted(path) + "\nlies in the protected folder\n" + quoted(folder)
               : quoted(path) + "\nholds the protected folder\n" + quoted(folder);
    m_host.Ask().ShowMessage(
        text +
            "\nNo file of a protected folder is moved, deleted, backed up or replaced by a link.",
        kProtectedCaption, MB_OK);
    return true;
  }
  return false;
}

bool FolderActions::unchanged(const FolderGroup& group, const std::string& path, std::string* why) {
  uint64_t now[2] = {0, 0};
  std::string reason;
  if (!m_host.FolderSignatureNow(path, now, &reason)) {
    *why = reason.empty() ? "it cannot be read" : reason;
    return false;
  }
  if (sameSignature(now, group.signature)) return true;
  *why = "a file in it was added, removed or changed";
  return false;
}

bool FolderActions::mayChange(const FolderGroup& group, const std::string& path) {
  if (refuseProtected(path)) return false;
  PathStatus st;
  if (!StatPath(path, &st, false) || !st.folder) {
    m_host.Ask().ShowMessage(
        quoted(path) + "\nis no longer a folder in its place; nothing was changed.",
        kFolderChangedCaption, MB_OK);
    return false;
  }
  std::string why;
  if (unchanged(group, path, &why)) return true;
  m_host.Ask().ShowMessage(quoted(path) + "\nis not as the search saw it: " + why +
                               ".\nIt is left as it is; search again to act on it.",
                           kFolderChangedCaption, MB_OK);
  return false;
}

bool FolderActions::anotherCopyLeft(const FolderGroup& group, const std::string& path) {
  for (const DuplicateFolder& other : group.folders) {
    if (other.path == path || SameFile(other.path, path)) continue;
    std::string ignored;
    if (unchanged(group, other.path, &ignored)) return true;
  }
  return false;
}

bool FolderActions::Trash(const FolderGroup& group, const std::string& path) {
  if (!mayChange(group, path)) return false;
  Questions& ask = m_host.Ask();
  // The group counts the files the search compared; the folder goes whole, with the files
  // the filters left out and those of excluded folders inside it: the question says so.
  std::string uncompared;
  FolderFacts facts;
  if (ReadFolderFacts(path, &facts) && facts.files > group.files) {
    const int64_t more = facts.files - group.files;
    uncompared = "\nIt also holds " + std::to_string(more) + (more == 1 ? " file" : " files") +
                 " that the search did not compare (left out by the filters or in an excluded "
                 "folder), which " +
                 (more == 1 ? "goes" : "go") + " to the trash with it.";
  }
  if (!anotherCopyLeft(group, path)) {
    const std::string text = "No other folder of this group is still as the search saw it:\n" +
                             quoted(path) +
                             "\nis the last copy. Moving it to the trash leaves no copy in its "
                             "place." +
                             uncompared + "\nMove it to the trash?";
    if (ask.ShowMessage(text, kLastCopyCaption, MB_YESNO | MB_DEFBUTTON2) != IDYES) return false;
  } else {
    const std::string text =
        quoted(path) + uncompared + "\nAre you sure you want to move this folder (" +
        std::to_string(group.files) + (group.files == 1 ? " file" : " files") + ") to the trash?";
    if (ask.ShowMessage(text, "Delete folder ?", MB_YESNO) != IDYES) return false;
  }
  JournalScope journal(kActDeleteFolder);
  if (!journal.Ok()) {
    ask.ShowMessage(journal.Why(), kJournalCaption, MB_OK);
    return false;
  }
  std::string why;
  if (!MoveToTrash(path, nullptr, &why)) {
    ask.ShowMessage("This folder could not be moved to the trash and stays where it is:\n" +
                        quoted(path) + "\n    " + why,
                    kNotTrashedCaption, MB_OK);
    return false;
  }
  if (m_removeFolder) m_removeFolder(path);
  return true;
}

bool FolderActions::Move(const FolderGroup& group, const std::string& path) {
  if (refuseProtected(path)) return false;
  Questions& ask = m_host.Ask();
  std::string destination;
  if (!ask.ChooseFolder("", "Move selected folder to the folder:", &destination) ||
      destination.empty())
    return false;
  std::string name;
  SplitPath(path, nullptr, &name);
  const std::string target = JoinPath(name, destination);
  PathStatus from, into, there;
  StatPath(path, &from, false);
  StatPath(target, &there, false);
  const bool found = StatPath(destination, &into, true) && into.folder;
  std::string refusal;
  if (!found)
    refusal = quoted(destination) + " is not a folder.";
  else if (destination == path || IsBelow(destination, path) || SameFile(destination, path))
    refusal = "A folder cannot be moved into itself: choose a folder outside it.";
  else if (SameFile(FolderOf(path), destination))
    refusal = quoted(path) + "\nis already in the folder\n" + quoted(destination) +
              "\nChoose another folder.";
  else if (there.exists)
    // Never merged into a folder of the same name, nor put over a file.
    refusal = quoted(target) + "\nis already there. Choose another folder.";
  else if (from.exists && from.device != into.device)
    // Across file systems every file would be copied and then removed one by one; a
    // folder moves here only by one rename, which is whole or not at all.
    refusal = quoted(destination) +
              "\nis on another file system. A folder is moved only within its file "
              "system; choose a folder there.";
  if (!refusal.empty()) {
    ask.ShowMessage(refusal, kFolderNotMovedCaption, MB_OK);
    return false;
  }
  if (!mayChange(group, path)) return false;
  JournalScope journal(kActMoveFolder);
  if (!journal.Ok()) {
    ask.ShowMessage(journal.Why(), kJournalCaption, MB_OK);
    return false;
  }
  std::string why;
  if (!ShellFileOp(&ask, FO_MOVE, path, target, false, {}, &why)) {
    if (!why.empty())
      ask.ShowMessage("Cannot move " + quoted(path) + "\nto " + quoted(destination) + ":\n" + why,
                      kFolderNotMovedCaption, MB_OK);
    return false;
  }
  if (m_removeFolder) m_removeFolder(path);
  return true;
}

}  // namespace tf
