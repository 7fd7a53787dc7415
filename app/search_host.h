// SearchHost: what the pages of the search window ask of the program that owns the
// search descriptor and the running search (the window program's controller; the tests
// script it).
#pragma once

#include <string>

#include "base/questions.h"
#include "datatree/data_node.h"
#include "scan/mask_collection.h"
#include "search/search_descriptor.h"

namespace tf {

class SearchHost {
 public:
  virtual ~SearchHost() = default;

  // The search descriptor; it lives as long as the host.
  virtual SearchDescriptor& Descriptor() = 0;
  // Adds the path to, or removes it from, the include list, then sets the status line
  // ("<- Click to start search" or "Choose folders/drives to be scanned") and refreshes
  // the progress. Answers AddInclude's or RemoveInclude's result.
  virtual int ChangeIncludeFolder(bool add, const std::string& path) = 0;
  // The same for the exclude list, without touching the status line.
  virtual int ChangeExcludeFolder(bool add, const std::string& path) = 0;
  // The scan status of an include folder in the current search ("ready",
  // "%ld folders...", "completed", ...); empty when no search knows it.
  virtual std::string FolderStatus(const std::string& path) = 0;
  // The options node "recent_section:" + name, created when missing; null without an
  // options store.
  virtual DataNode* RecentSection(const std::string& name) = 0;
  // 1: "Browse folder" opens the file manager on the folder; other values open the folder
  // with the desktop's opener.
  virtual int BrowseMode() = 0;

  // The program's current mask collection, whose groups the name filter editor offers;
  // null when there is none.
  virtual const MaskCollection* Masks() { return nullptr; }

  virtual Questions& Ask() = 0;
};

}  // namespace tf
