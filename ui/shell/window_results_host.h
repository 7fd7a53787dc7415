// WindowResultsHost: the result views' host in the window program. It reads the result
// tree of the shell's search, runs the registered tools, asks the program's questions and
// acts on files through the desktop.
#pragma once

#include <string>
#include <vector>

#include "app/results_host.h"
#include "results/file_actions.h"
#include "ui/window/progress_file_shell.h"

namespace tf {

class AppShell;
struct WindowPanes;

class WindowResultsHost : public ResultsHost {
 public:
  // `questions` must answer on any thread (GuiThreadQuestions): the file work asks
  // from a worker. The shell and the panes outlive the host.
  WindowResultsHost(AppShell& shell, WindowPanes& panes, Questions& questions);

  DataNode* GroupsRoot() override;
  uint64_t ResultGeneration() override;
  int RemoveFile(DataNode* file) override;
  std::vector<std::string> ToolNames() override;
  bool RunTool(int index, const std::vector<std::string>& paths) override;
  bool BackupAvailable() override;
  int BrowseMode() override;
  bool IsLinkTarget(const std::string& path) override;
  // From the folder page's marks as they are now, in the search descriptor.
  std::string ProtectedFolderOf(const std::string& path) override;
  bool ResultsReadOnly() override;
  const FolderGroups* FolderGroupsShown() override;
  bool RemoveFolder(const std::string& path) override;
  // With the descriptor the search ran with, not the pages as edited since.
  bool FolderSignatureNow(const std::string& path, uint64_t out[2], std::string* why) override;
  std::vector<std::string> ProtectedFolders() override;
  const HardLinks* HardLinkSets() override;
  void ShowProperties(DataNode* fileInfo) override;
  bool VerifyGroups(const std::vector<const DataNode*>& groups) override;
  bool OffersShareStorage() override { return true; }
  bool ShareStorage(const std::vector<const DataNode*>& selected) override;
  BackupStore* Backup() override;
  LinksHistory* Links() override;
  IgnoreStore* Ignored() override;
  Questions& Ask() override { return m_questions; }
  FileShell& Shell() override { return m_fileShell; }
  void SetCurrentFile(DataNode* file) override;

 private:
  AppShell& m_shell;
  WindowPanes& m_panes;
  Questions& m_questions;
  // Moves, copies and trashing off the window's thread, with progress and "Cancel".
  ProgressFileShell m_fileShell;
  // The file a result list last made current; RemoveFile clears it when that file goes.
  DataNode* m_currentFile = nullptr;
};

}  // namespace tf
