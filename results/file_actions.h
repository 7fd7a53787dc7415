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
};

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

 private:
  // The files an Open or Browse works on after the "more than one" question.
  bool filesToOpen(const Selection& selection, const char* question,
                   std::vector<std::string>* files);
  bool confirmLinkTargetDelete(const std::string& path);
  bool mayChangeFiles(const Selection& selection) const;

  Questions& m_questions;
  FileShell& m_shell;
  FileActionHooks m_hooks;
};

}  // namespace tf
