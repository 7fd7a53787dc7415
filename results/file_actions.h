// FileActions: Open, Browse, Run tool, Move, Copy, Delete and Properties on the files
// selected in a result view, keeping the result tree in step with the disk.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/questions.h"
#include "datatree/data_node.h"

namespace tf {

enum class ResultView { kSeparate = 0, kUnified = 1 };

// What the active result view hands to an action.
struct Selection {
  std::vector<std::string> paths;  // full paths of the selected file rows, in list order
  DataNode* groupsRoot = nullptr;  // root of the duplicate groups the view shows
  DataNode* group = nullptr;       // the separate view's selected group (not owned)
  ResultView view = ResultView::kSeparate;
  int toolIndex = -1;  // entry chosen in the view's tool box, -1 for none
};

// The desktop services the actions need; the platform gives the real ones.
class FileShell {
 public:
  virtual ~FileShell() = default;
  // Opens the file with the program associated with it, in `folder`. False when nothing
  // could be started, which the user has then been told.
  virtual bool OpenFile(const std::string& path, const std::string& folder) = 0;
  // Shows the file's folder: with `explore` the file manager selects the file. False as
  // for OpenFile.
  virtual bool ShowFolder(const std::string& path, const std::string& folder, bool explore) = 0;
  // Moves the file to the trash; `confirm` false means without questions or messages.
  virtual bool Trash(const std::string& path, bool confirm) = 0;
  // Moves or copies `from` to the full path `to`; a name collision is asked about.
  virtual bool MoveOrCopy(bool move, const std::string& from, const std::string& to) = 0;
  // Why the last Trash or MoveOrCopy failed, in words for the user; empty when it did not
  // fail, or when the user chose not to go on (answered No, pressed Cancel).
  virtual std::string FailureReason() const { return std::string(); }
};

// The shell of the running desktop, through the platform layer. A program that cannot be
// started (no desktop opener installed, say) is named in a message.
class PlatformFileShell : public FileShell {
 public:
  explicit PlatformFileShell(Questions& questions) : m_questions(questions) {}
  bool OpenFile(const std::string& path, const std::string& folder) override;
  bool ShowFolder(const std::string& path, const std::string& folder, bool explore) override;
  bool Trash(const std::string& path, bool confirm) override;
  bool MoveOrCopy(bool move, const std::string& from, const std::string& to) override;
  std::string FailureReason() const override { return m_failure; }

 protected:
  std::string m_failure;

 private:
  Questions& m_questions;
};

// What the actions ask of the rest of the program; every member may be left empty.
struct FileActionHooks {
  // True for a file the user has just made a link to (the links history).
  std::function<bool(const std::string& path)> isLinkTarget;
  // Takes a file node out of its group, dropping a group left with one file: 1 when the
  // group stays, 2 when it went.
  std::function<int(DataNode* fileNode)> removeFile;
  // Runs the registered tool at an index on the files; true when it started.
  std::function<bool(int toolIndex, const std::vector<std::string>& paths)> runTool;
  // Fills and shows the properties of the file named by the node; returns when closed.
  std::function<void(DataNode* fileInfo)> showProperties;
  // 1: Browse shows the file in the file manager; other values open its folder.
  std::function<int()> browseMode;
  // The result tree lost a file: refill the view, keeping the named group selected when
  // `answer` is 1, selecting the first row when it is 2.
  std::function<void(int answer, const std::string& groupName)> resultsChanged;
  // After a delete in the separate view: rebuild it and select its first group.
  std::function<void()> rebuildView;
  std::function<void()> buttonsChanged;
  // The protected folder that holds a file, or "" when actions may change it.
  std::function<std::string(const std::string& path)> protectedFolderOf;
  // True while the result shown may not be acted on at all (read back from a file that
  // does not say which search made it).
  std::function<bool()> resultsReadOnly;
  // Called with true before a delete takes many files out of the results one after
  // another, and with false after the last: the views may then drop their rows once.
  std::function<void(bool begin)> removals;
};

// Texts of the guards every changing action passes.
constexpr const char* kProtectedCaption = "Protected folder";
constexpr const char* kReadOnlyCaption = "Results shown only";
constexpr const char* kReadOnlyMessage =
    "These results were read from a file that does not say which search made them, so "
    "the folders they came from are unknown.\nTheir files are shown, but none is moved, "
    "deleted, backed up or replaced by a link. Search again to act on them.";
constexpr const char* kChangedCaption = "Files changed since the search";
constexpr const char* kLastCopyCaption = "Delete every copy ?";
// Captions of the messages that say why an action left a file where it was.
constexpr const char* kNotTrashedCaption = "Not moved to the trash";
constexpr const char* kTrashStoppedCaption = "Delete stopped";
constexpr const char* kNotMovedCaption = "File not moved";
constexpr const char* kNotCopiedCaption = "File not copied";

class FileActions {
 public:
  FileActions(Questions& questions, FileShell& shell, FileActionHooks hooks = {});

  // 1 when there was a selection (also when the user cancelled), else 0.
  int OpenSelected(const Selection& selection);
  int BrowseSelected(const Selection& selection);
  // The tool run's result; 0 without a selection or a chosen tool.
  int RunSelectedTool(const Selection& selection);
  // One file only; 1 when the move or copy succeeded.
  int MoveOrCopySelected(const Selection& selection, bool move);
  // Trashes every selected file; `afterBackup` deletes without questions. 1 when there
  // was a selection.
  int DeleteSelected(const Selection& selection, bool afterBackup);
  // Hands the first selected file to the properties view; 1 when there was one.
  int ShowSelectedProperties(const Selection& selection);

  // Takes the file that left its place out of the results shown by the selection's view
  // (separate view: its selected group; unified view: every group). 0 when the path is
  // not in the results, else RemoveFile's answer; when the selected group went,
  // `selection.group` becomes null.
  int RemoveFileFromResults(Selection& selection, const std::string& path);

  // The guards of Delete, Move, Move to Backup and Replace by link, which call them
  // before they change anything.
  // When a file of `paths` lies in a protected folder, says so naming the folder and
  // answers true: the action must not go on. So too, with its own message, for every file
  // of a result that is only shown.
  bool RefuseProtected(const std::vector<std::string>& paths);
  // Whether the file still has the size and modification time the search found (the
  // file node of the selection's results); false when it changed, went or is not in the
  // results.
  bool UnchangedSinceSearch(const Selection& selection, const std::string& path);
  // Names, in one message, the files left alone because they changed since the search.
  void ReportChanged(const std::vector<std::string>& paths);

 private:
  // The files an Open or Browse works on after the "more than one" question.
  bool filesToOpen(const Selection& selection, const char* question,
                   std::vector<std::string>* files);
  bool confirmLinkTargetDelete(const std::string& path);
  bool mayChangeFiles(const Selection& selection) const;
  // The last-copy question for the groups whose every remaining file is to go; true
  // when the user answered Yes (or no group is concerned).
  bool confirmLastCopies(const std::vector<DataNode*>& files);
  // Names each file the trash refused, with its reason (`failed`: path, reason, ...).
  void reportNotTrashed(const std::vector<std::string>& failed);
  // Takes the trashed files out of the results at once and refills the view once.
  void removeFromResults(Selection& selection, const std::vector<DataNode*>& files);

  Questions& m_questions;
  FileShell& m_shell;
  FileActionHooks m_hooks;
};

}  // namespace tf
