#include "ui/shell/window_search_host.h"

#include "app/app_shell.h"
#include "settings/settings_store.h"
#include "ui/shell/main_controller.h"

namespace tf {

WindowSearchHost::WindowSearchHost(MainController& owner, Questions& questions)
    : m_owner(owner), m_questions(questions) {}

// The search window exists only while the shell does.
SearchDescriptor& WindowSearchHost::Descriptor() {
  return *m_owner.shell()->Descriptor();
}

int WindowSearchHost::ChangeIncludeFolder(bool add, const std::string& path) {
  const int result = m_owner.shell()->Search().ChangeIncludeFolder(add, path);
  m_owner.UpdateCommandStates();  // "Start search" follows the include list
  return result;
}

int WindowSearchHost::ChangeExcludeFolder(bool add, const std::string& path) {
  return m_owner.shell()->Search().ChangeExcludeFolder(add, path);
}

std::string WindowSearchHost::FolderStatus(const std::string& path) {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Search().FolderStatus(path) : std::string();
}

DataNode* WindowSearchHost::RecentSection(const std::string& name) {
  AppShell* shell = m_owner.shell();
  return shell ? shell->RecentSection(name) : nullptr;
}

const MaskCollection* WindowSearchHost::Masks() {
  AppShell* shell = m_owner.shell();
  return shell ? &shell->Masks() : nullptr;
}

int WindowSearchHost::BrowseMode() {
  AppShell* shell = m_owner.shell();
  return shell ? shell->Settings().GetBrowseMode() : 0;
}

}  // namespace tf
