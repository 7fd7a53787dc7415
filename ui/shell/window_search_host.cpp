#include "ui/shell/window_search_host.h"

#include "app/app_shell.h"
#include "settings/settings_store.h"
#include "ui/shell/window_panes.h"

namespace tf {

WindowSearchHost::WindowSearchHost(AppShell& shell, WindowPanes& panes, Questions& questions)
    : m_shell(shell), m_panes(panes), m_questions(questions) {}

// The search window exists only while the shell's descriptor does.
SearchDescriptor& WindowSearchHost::Descriptor() {
  return *m_shell.Descriptor();
}

int WindowSearchHost::ChangeIncludeFolder(bool add, const std::string& path) {
  const int result = m_shell.Search().ChangeIncludeFolder(add, path);
  // "Start search" follows the include list.
  if (m_panes.updateCommandStates) m_panes.updateCommandStates();
  return result;
}

int WindowSearchHost::ChangeExcludeFolder(bool add, const std::string& path) {
  return m_shell.Search().ChangeExcludeFolder(add, path);
}

std::string WindowSearchHost::FolderStatus(const std::string& path) {
  return m_shell.Search().FolderStatus(path);
}

DataNode* WindowSearchHost::RecentSection(const std::string& name) {
  return m_shell.RecentSection(name);
}

const MaskCollection* WindowSearchHost::Masks() {
  return &m_shell.Masks();
}

int WindowSearchHost::BrowseMode() {
  return m_shell.Settings().GetBrowseMode();
}

}  // namespace tf
