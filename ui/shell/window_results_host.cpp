#include "ui/shell/window_results_host.h"

#include "app/app_shell.h"
#include "app/tools_section.h"
#include "platform/path_utils.h"
#include "results/backup_store.h"
#include "results/file_properties.h"
#include "scan/folder_list.h"
#include "settings/settings_store.h"
#include "ui/preview/file_properties_dialog.h"
#include "ui/preview/preview_page.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/main_controller.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/window_search_host.h"

namespace tf {

WindowResultsHost::WindowResultsHost(MainController& owner, Questions& questions)
    : m_owner(owner), m_questions(questions), m_fileShell(questions, owner.frame()) {}

BackupStore* WindowResultsHost::Backup() {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Backup() : nullptr;
}

LinksHistory* WindowResultsHost::Links() {
  AppShell* shell = m_owner.shell();
  return shell ? &shell->Links() : nullptr;
}

DataNode* WindowResultsHost::GroupsRoot() {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Search().GroupsRoot() : nullptr;
}

uint64_t WindowResultsHost::ResultGeneration() {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Search().ResultGeneration() : 0;
}

int WindowResultsHost::RemoveFile(DataNode* file) {
  if (file == m_currentFile) m_currentFile = nullptr;
  AppShell* shell = m_owner.shell();
  return shell ? shell->Search().RemoveFile(file) : 0;
}

std::vector<std::string> WindowResultsHost::ToolNames() {
  AppShell* shell = m_owner.shell();
  return shell ? tf::ToolNames(shell->ToolsSection()) : std::vector<std::string>();
}

bool WindowResultsHost::RunTool(int index, const std::vector<std::string>& paths) {
  AppShell* shell = m_owner.shell();
  return shell && RunToolAt(shell->ToolsSection(), index, paths, &m_questions);
}

bool WindowResultsHost::BackupAvailable() {
  AppShell* shell = m_owner.shell();
  return shell && shell->Backup() && PathKind(shell->Backup()->Folder()) == 2;
}

int WindowResultsHost::BrowseMode() {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Settings().GetBrowseMode() : 0;
}

bool WindowResultsHost::IsLinkTarget(const std::string& path) {
  AppShell* shell = m_owner.shell();
  return shell && shell->InLinkHistory(path) != nullptr;
}

std::string WindowResultsHost::ProtectedFolderOf(const std::string& path) {
  WindowSearchHost* search = m_owner.searchHost();
  if (!search) return {};
  return ProtectedFolderHolding(ProtectedFolders(search->Descriptor().Root()), path);
}

const HardLinks* WindowResultsHost::HardLinkSets() {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Search().HardLinkSets() : nullptr;
}

void WindowResultsHost::ShowProperties(DataNode* fileInfo) {
  if (FillFileProperties(fileInfo)) ShowFileProperties(m_owner.frame(), fileInfo);
}

void WindowResultsHost::SetCurrentFile(DataNode* file) {
  m_currentFile = file;
  // The preview follows the selection (it is gone while the window closes).
  if (SearchWindow* search = m_owner.searchWindow())
    search->previewPage()->SetFile(file ? FullName(file) : std::string());
}

}  // namespace tf
