#include "results/replace_by_link.h"

#include "base/text_fold.h"
#include "platform/content_read.h"
#include "platform/file_change_watcher.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/shortcuts.h"
#include "platform/stored_file.h"
#include "results/action_journal.h"
#include "results/result_rows.h"

namespace tf {

namespace {

std::string formatPath(const char* pattern, const std::string& path) {
  std::string text = pattern;
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}

std::string quotedPath(const std::string& path) {
  return "\"" + path + "\"";
}

bool sameFile(const std::string& a, const std::string& b) {
  return a == b || SameFile(a, b);
}

// The group holding the file: the view's selected group, else the group of the
// results that lists it.
DataNode* groupOf(const Selection& selection, const std::string& path) {
  if (selection.group) return selection.group;
  for (DataNode* g = selection.groupsRoot ? selection.groupsRoot->FirstChild() : nullptr; g;
       g = g->Next())
    for (const DataNode* f = g->FirstChild(); f; f = f->Next())
      if (FullNameIs(f, path)) return g;
  return nullptr;
}

}  // namespace

std::vector<std::string> LinkCandidates(DataNode* group, const std::string& path) {
  std::vector<std::string> candidates;
  for (DataNode* f = group ? group->FirstChild() : nullptr; f; f = f->Next())
    if (!FullNameIs(f, path)) candidates.push_back(FullName(f));
  return candidates;
}

int PreselectedCandidate(const std::vector<std::string>& candidates,
                         const std::string& suggestion) {
  if (suggestion.empty()) return -1;
  const std::string wanted = FoldUpper(suggestion);
  for (size_t i = 0; i < candidates.size(); ++i)
    if (FoldUpper(candidates[i]).compare(0, wanted.size(), wanted) == 0) return static_cast<int>(i);
  return -1;
}

bool LinkTargetUsable(const std::string& target) {
  return !target.empty() && PathKind(target) == PATH_FILE;
}

bool AcceptLinkTarget(const std::string& fileToReplace, const std::string& target,
                      Questions& questions) {
  if (sameFile(fileToReplace, target)) {
    questions.ShowMessage(kSameNamesText, kSameNamesCaption, MB_OK);
    return false;
  }
  return LinkTargetUsable(target);
}

void LinkBrowseFilter(const std::string& fileToReplace, std::string* description,
                      std::string* pattern) {
  const std::string name = FileNameOf(fileToReplace);
  auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) {
    *description = "";
    *pattern = "*.*";
    return;
  }
  const std::string ext = name.substr(dot + 1);
  *description = ext + " file";
  *pattern = "*." + ext;
}

bool ReplaceFileByLink(const std::string& path, const std::string& target, FileShell& shell,
                       std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  const std::string linkTo = AbsolutePath(target);
  std::string folder;
  SplitPath(path, &folder, nullptr);
  std::string temporary;
  for (int n = 1; n < 1000 && temporary.empty(); ++n) {
    std::string candidate = JoinPath(".twinfold-link-" + std::to_string(n), folder);
    if (CreateShortcut(linkTo, candidate)) {
      temporary = candidate;
      continue;
    }
    PathStatus taken;
    StatPath(candidate, &taken, false);
    if (!taken.exists) {  // not a taken name: links cannot be made here
      *why = "a link cannot be made in its folder";
      return false;
    }
  }
  if (temporary.empty()) {
    *why = "a link cannot be made in its folder";
    return false;
  }
  JournalScope journal(kActLink);
  if (!journal.Ok()) {
    *why = journal.Why();
    RemoveStoredFile(temporary);
    return false;
  }
  if (!shell.Trash(path, false)) {
    *why = shell.FailureReason();
    if (why->empty()) *why = "it cannot be moved to the trash";
    RemoveStoredFile(temporary);
    return false;
  }
  // Whatever took the name since the file left is never replaced.
  if (!WatchBefore(FileChange::kLink, path, target, why)) {
    RemoveStoredFile(temporary);
    return false;
  }
  const bool linked = RenameNoReplace(temporary, path);
  WatchAfter(FileChange::kLink, path, target, linked);
  if (linked) return true;
  *why = "its name was taken by another file meanwhile; the file is in the trash";
  RemoveStoredFile(temporary);
  return false;
}

bool AcceptDifferentBytes(const DataNode* group, const std::string& path, const std::string& target,
                          Questions& questions) {
  // A verified group's files hold the same bytes; a target from elsewhere is compared.
  if (IsVerifiedGroup(group)) {
    for (const DataNode* f = group->FirstChild(); f; f = f->Next())
      if (FullNameIs(f, target)) return true;
  }
  std::string why;
  const int same = CompareContents(path, target, &why);
  if (same == 1) return true;
  const std::string text =
      same == 0 ? quotedPath(path) + "\nand " + quotedPath(target) +
                      "\ndo not hold the same bytes: what is only in the first is lost with it."
                : "The contents of " + quotedPath(path) + "\nand " + quotedPath(target) +
                      "\ncannot be compared: " + why + ".";
  return questions.ShowMessage(text + "\nReplace it by a link anyway?", kDifferentBytesCaption,
                               MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

int ReplaceByLink(Selection& selection, LinksHistory& history, Questions& questions,
                  ReplaceLinkDialog& dialog, FileShell& shell, FileActions& actions) {
  if (selection.view == ResultView::kSeparate && !selection.group) return 0;
  if (selection.paths.empty()) return 0;
  if (selection.paths.size() > 1) {
    questions.ShowMessage(kOneFileToReplaceText, "More than one file selected", MB_OK);
    return 0;
  }
  const std::string path = selection.paths.front();
  if (actions.RefuseProtected(selection.paths)) return 0;
  if (history.InLinkHistory(path) &&
      questions.ShowMessage(formatPath(kReplaceLinkTargetQuestion, path), kReplaceLinkTargetCaption,
                            MB_YESNO) != IDYES)
    return 0;
  const std::vector<std::string> candidates = LinkCandidates(groupOf(selection, path), path);
  std::string suggestion;
  history.LinkHistoryPathOf(path, &suggestion);
  std::string target;
  if (!dialog.Ask(path, candidates, PreselectedCandidate(candidates, suggestion), &target))
    return 0;
  // The dialog's rules once more: a link to the file itself would point into the trash.
  if (sameFile(path, target) || !LinkTargetUsable(target)) return 0;
  if (!actions.UnchangedSinceSearch(selection, path)) {
    actions.ReportChanged({path});
    return 0;
  }
  if (!AcceptDifferentBytes(groupOf(selection, path), path, target, questions)) return 0;
  std::string why;
  if (!ReplaceFileByLink(path, target, shell, &why)) {
    questions.ShowMessage(
        "Cannot replace " + quotedPath(path) + "\nby a link to " + quotedPath(target) + ":\n" + why,
        kNotReplacedCaption, MB_OK);
    return 0;
  }
  actions.RemoveFileFromResults(selection, path);
  history.AddLinkHistory(target);
  return 1;
}

}  // namespace tf
