#include "app/recent_section.h"

#include "settings/settings_store.h"

namespace tf {

DataNode* RecentSection(SettingsStore* store, const std::string& name) {
  if (!store || name.empty() || name.find(':') != std::string::npos) return nullptr;
  return store->GetOrCreate("recent_section:" + name);
}

}  // namespace tf
