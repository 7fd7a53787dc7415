#include "ui/shell/window_results_host.h"

#include <utility>

#include "app/app_shell.h"
#include "app/tools_section.h"
#include "platform/path_utils.h"
#include "results/backup_store.h"
#include "results/file_properties.h"
#include "scan/folder_list.h"
#include "search/folder_signature_now.h"
#include "search/search_descriptor.h"
#include "search/search_run.h"
#include "settings/settings_store.h"
#include "ui/preview/file_properties_dialog.h"
#include "ui/preview/preview_page.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/window_panes.h"
#include "ui/shell/window_share.h"
#include "ui/shell/window_verify.h"

namespace tf {

WindowResultsHost::WindowResultsHost(AppShell& shell, WindowPanes& panes, Questions& questions)
    : m_shell(shell), m_panes(panes), m_questions(questions), m_fileShell(questions, panes.frame) {}

BackupStore* WindowResultsHost::Backup() {
  return m_shell.Backup();
}

IgnoreStore* WindowResultsHost::Ignored() {
  return m_shell.Ignored();
}

LinksHistory* WindowResultsHost::Links() {
  return &m_shell.Links();
}

DataNode* WindowResultsHost::GroupsRoot() {
  return m_shell.Search().GroupsRoot();
}

uint64_t WindowResultsHost::ResultGeneration() {
  return m_shell.Search().ResultGeneration();
}

int WindowResultsHost::RemoveFile(DataNode* file) {
  if (file == m_currentFile) m_currentFile = nullptr;
  return m_shell.Search().RemoveFile(file);
}

std::vector<std::string> WindowResultsHost::ToolNames() {
  return tf::ToolNames(m_shell.ToolsSection());
}

bool WindowResultsHost::RunTool(int index, const std::vector<std::string>& paths) {
  return RunToolAt(m_shell.ToolsSection(), index, paths, &m_questions);
}

bool WindowResultsHost::BackupAvailable() {
  return m_shell.Backup() && PathKind(m_shell.Backup()->Folder()) == 2;
}

int WindowResultsHost::BrowseMode() {
  return m_shell.Settings().GetBrowseMode();
}

bool WindowResultsHost::IsLinkTarget(const std::string& path) {
  return m_shell.InLinkHistory(path) != nullptr;
}

std::string WindowResultsHost::ProtectedFolderOf(const std::string& path) {
  SearchDescriptor* descriptor = m_shell.Descriptor();
  if (!descriptor) return {};
  return ProtectedFolderHolding(tf::ProtectedFolders(descriptor->Root()), path);
}

const FolderGroups* WindowResultsHost::FolderGroupsShown() {
  return m_shell.Search().Folders();
}

bool WindowResultsHost::RemoveFolder(const std::string& path) {
  // The current file may be one of the folder's.
  SetCurrentFile(nullptr);
  return m_shell.Search().RemoveFolder(path);
}

bool WindowResultsHost::FolderSignatureNow(const std::string& path, uint64_t out[2],
                                           std::string* why) {
  const SearchRun* run = m_shell.Search().Run();
  if (!run || !run->Descriptor()) {
    *why = "the search that found it is gone";
    return false;
  }
  return tf::FolderSignatureNow(run->Descriptor(), path, out, why);
}

std::vector<std::string> WindowResultsHost::ProtectedFolders() {
  SearchDescriptor* descriptor = m_shell.Descriptor();
  return descriptor ? tf::ProtectedFolders(descriptor->Root()) : std::vector<std::string>();
}

bool WindowResultsHost::ResultsReadOnly() {
  return m_shell.Search().UnrecordedResult();
}

const HardLinks* WindowResultsHost::HardLinkSets() {
  return m_shell.Search().HardLinkSets();
}

void WindowResultsHost::ShowProperties(DataNode* fileInfo) {
  if (FillFileProperties(fileInfo)) ShowFileProperties(m_panes.frame, fileInfo);
}

bool WindowResultsHost::VerifyGroups(const std::vector<const DataNode*>& groups) {
  if (groups.empty()) return false;
  // The current file belongs to the result that is about to be replaced.
  DataNode* current = std::exchange(m_currentFile, nullptr);
  if (VerifyInWindow(m_panes.frame, m_shell, m_questions, groups)) return true;
  m_currentFile = current;
  return false;
}

bool WindowResultsHost::ShareStorage(const std::vector<const DataNode*>& selected) {
  return ShareInWindow(m_panes.frame, m_questions, selected, [this](const DataNode* file) {
    return !ProtectedFolderOf(FullName(file)).empty();
  });
}

void WindowResultsHost::SetCurrentFile(DataNode* file) {
  m_currentFile = file;
  // The preview follows the selection (it is gone while the window closes).
  if (SearchWindow* search = m_panes.searchWindow)
    search->previewPage()->SetFile(file ? FullName(file) : std::string());
}

}  // namespace tf
