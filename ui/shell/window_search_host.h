// WindowSearchHost: the search window's host in the window program. It hands the pages
// the controller's search descriptor, changes the folder lists through the search control
// and keeps the menus in step.
#pragma once

#include <string>

#include "app/search_host.h"

namespace tf {

class MainController;

class WindowSearchHost : public SearchHost {
 public:
  WindowSearchHost(MainController& owner, Questions& questions);

  SearchDescriptor& Descriptor() override;
  int ChangeIncludeFolder(bool add, const std::string& path) override;
  int ChangeExcludeFolder(bool add, const std::string& path) override;
  std::string FolderStatus(const std::string& path) override;
  DataNode* RecentSection(const std::string& name) override;
  const MaskCollection* Masks() override;
  int BrowseMode() override;
  Questions& Ask() override { return m_questions; }

 private:
  MainController& m_owner;
  Questions& m_questions;
};

}  // namespace tf
