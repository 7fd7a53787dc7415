// RecentSection: the options node that keeps one named recent list with the settings.
#pragma once

#include <string>

#include "datatree/data_node.h"

namespace tf {

class SettingsStore;

// Names of the recent lists of the editors.
constexpr const char* kRecentMasksInclude = "dlg_filters_name_inc";
constexpr const char* kRecentMasksExclude = "dlg_filters_name_exc";
constexpr const char* kRecentFoldersInclude = "scanfolders_inc";
constexpr const char* kRecentFoldersExclude = "scanfolders_exc";

// The node "recent_section:<name>" of the options, created when missing. Null without a
// store (or root), and for an empty name or one holding ':' (which would address some
// other node of the options).
DataNode* RecentSection(SettingsStore* store, const std::string& name);

}  // namespace tf
