// WindowSearchHost: the search window's host in the window program. It hands the pages
// the shell's search descriptor, changes the folder lists through the search control
// and keeps the menus in step.
#pragma once

#include <string>

#include "app/search_host.h"

namespace tf {

class AppShell;
struct WindowPanes;

class WindowSearchHost : public SearchHost {
 public:
  // The shell and the panes outlive the host.
  WindowSearchHost(AppShell& shell, WindowPanes& panes, Questions& questions);

  SearchDescriptor& Descriptor() override;
  int ChangeIncludeFolder(bool add, const std::string& path) override;
  int ChangeExcludeFolder(bool add, const std::string& path) override;
  std::string FolderStatus(const std::string& path) override;
  DataNode* RecentSection(const std::string& name) override;
  const MaskCollection* Masks() override;
  int BrowseMode() override;
  Questions& Ask() override { return m_questions; }

 private:
  AppShell& m_shell;
  WindowPanes& m_panes;
  Questions& m_questions;
};

}  // namespace tf
