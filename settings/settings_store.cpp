#include "settings/settings_store.h"

#include "datatree/node_xml.h"
#include "platform/node_files.h"
#include "platform/stored_file.h"
#include "settings/tool_node.h"

namespace tf {

namespace {

constexpr const char* kRootName = "options";
constexpr const char* kFormatVersion = "1.0";

constexpr const char* kTooltips = "common:tooltips";
constexpr const char* kShowTips = "common:showtips";
constexpr const char* kFilter = "common:filter";
constexpr const char* kBrowse = "common:browse";
constexpr const char* kPriority = "common:prior";
constexpr const char* kBackup = "common:backup";
constexpr const char* kOneThreadPerDisk = "common:one_thread_per_disk";
constexpr const char* kToolsSection = "tools_section";

constexpr int32_t kDefaultTooltips = 1;
constexpr int32_t kDefaultShowTips = 1;
constexpr int32_t kDefaultFilterFlag = 1;
constexpr int32_t kDefaultBrowseMode = 0;
constexpr int32_t kDefaultPriority = 1;
constexpr int32_t kDefaultOneThreadPerDisk = 0;

constexpr const char* kDefaultToolName = "Text editor";
constexpr const char* kDefaultToolCommand = "xdg-open \"%f1\"";
constexpr const char* kDefaultToolDirectory = "%w";

// A number is kept in val sign-extended from 32 bits, so readers of the low half and
// of the whole field agree.
int64_t storedNumber(int32_t value) {
  return static_cast<int64_t>(value);
}

}  // namespace

SettingsStore::~SettingsStore() = default;

int SettingsStore::SetDefaults(const SettingsLocations& places) {
  DataNode* root = CreateNode(nullptr, kRootName, ATTACH_ROOT);
  if (!root) return 0;
  SetDesc(root, kFormatVersion);
  // The store owns one tree at a time; an earlier one goes.
  m_root.reset(root);
  m_defaultBackup = places.backupFolder;
  SetTooltips(kDefaultTooltips);
  SetShowTips(kDefaultShowTips);
  SetFilterFlag(kDefaultFilterFlag);
  SetBrowseMode(kDefaultBrowseMode);
  SetPriority(kDefaultPriority);
  SetBackupFolder(places.backupFolder);
  if (DataNode* tools = GetOrCreate(kToolsSection))
    AddToolNode(tools, kDefaultToolName, kDefaultToolCommand, kDefaultToolDirectory);
  m_fileName = places.settingsFile;
  return 1;
}

int SettingsStore::Load(const std::string& path, std::string* error) {
  DataNode* tree = LoadTreeXmlFile(path, error);
  if (!tree) return 0;
  m_root.reset(tree);
  m_fileName = path;
  return 1;
}

int SettingsStore::Save(std::string* error) {
  if (!m_root || m_fileName.empty()) return 0;
  std::string text;
  if (!WriteNodeXml(m_root.get(), &text, false)) return 0;
  // The old file stays whole until the new one is complete: a full disk or a crash
  // mid-write then costs this save, never the settings already on disk.
  return SaveStoredFile(m_fileName, text, error, true);
}

DataNode* SettingsStore::GetOrCreate(const std::string& path, int* created) {
  if (created) *created = 0;
  if (!m_root) return nullptr;
  if (DataNode* found = FindByPath(m_root.get(), path.c_str(), ':')) return found;
  // Walk the names, looking each partial path up from the root and creating what is
  // missing under the node of the previous name. Empty names are passed over, as
  // FindByPath does.
  DataNode* current = m_root.get();
  std::string partial;
  bool any = false;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find(':', pos);
    if (end == std::string::npos) end = path.size();
    const std::string token = path.substr(pos, end - pos);
    pos = end + 1;
    if (token.empty()) continue;
    if (any) partial += ':';
    partial += token;
    any = true;
    DataNode* next = FindByPath(m_root.get(), partial.c_str(), ':');
    if (!next) next = CreateNode(current, token.c_str(), ATTACH_LAST_CHILD);
    if (!next) return nullptr;
    current = next;
  }
  if (!any) return nullptr;
  if (created) *created = 1;
  return current;
}

DataNode* SettingsStore::key(const char* path, int32_t defaultValue, int* created) {
  int made = 0;
  DataNode* node = GetOrCreate(path, &made);
  // A key made by any accessor starts at its default, so that a text accessor that
  // happens to create "common:filter" does not leave its flag at 0.
  if (node && made) node->val = storedNumber(defaultValue);
  if (created) *created = made;
  return node;
}

int32_t SettingsStore::getNumber(const char* path, int32_t defaultValue) {
  DataNode* node = key(path, defaultValue, nullptr);
  return node ? static_cast<int32_t>(node->val) : defaultValue;
}

int SettingsStore::setNumber(const char* path, int32_t value) {
  DataNode* node = GetOrCreate(path);
  if (!node) return 0;
  node->val = storedNumber(value);
  return 1;
}

std::string SettingsStore::getText(const char* path, int32_t defaultNumber,
                                   const std::string& defaultText) {
  int created = 0;
  DataNode* node = key(path, defaultNumber, &created);
  if (!node) return defaultText;
  if (created && !defaultText.empty()) SetDesc(node, defaultText);
  return node->Desc();
}

int SettingsStore::setText(const char* path, int32_t defaultNumber, const std::string& text) {
  DataNode* node = key(path, defaultNumber, nullptr);
  if (!node) return 0;
  SetDesc(node, text);
  return 1;
}

int32_t SettingsStore::GetTooltips() {
  return getNumber(kTooltips, kDefaultTooltips);
}
int32_t SettingsStore::GetShowTips() {
  return getNumber(kShowTips, kDefaultShowTips);
}
int32_t SettingsStore::GetFilterFlag() {
  return getNumber(kFilter, kDefaultFilterFlag);
}
std::string SettingsStore::GetFilterText() {
  return getText(kFilter, kDefaultFilterFlag, std::string());
}
int32_t SettingsStore::GetBrowseMode() {
  return getNumber(kBrowse, kDefaultBrowseMode);
}
int32_t SettingsStore::GetPriority() {
  return getNumber(kPriority, kDefaultPriority);
}
int32_t SettingsStore::GetOneThreadPerDisk() {
  return getNumber(kOneThreadPerDisk, kDefaultOneThreadPerDisk) != 0 ? 1 : 0;
}
std::string SettingsStore::GetBackupFolder() {
  return getText(kBackup, 0, m_defaultBackup);
}

int SettingsStore::SetTooltips(int32_t on) {
  return setNumber(kTooltips, on ? 1 : 0);
}
int SettingsStore::SetShowTips(int32_t on) {
  return setNumber(kShowTips, on ? 1 : 0);
}
int SettingsStore::SetFilterFlag(int32_t on) {
  return setNumber(kFilter, on ? 1 : 0);
}
int SettingsStore::SetFilterText(const std::string& path) {
  return setText(kFilter, kDefaultFilterFlag, path);
}
int SettingsStore::SetBrowseMode(int32_t mode) {
  return setNumber(kBrowse, mode);
}
int SettingsStore::SetPriority(int32_t priority) {
  return setNumber(kPriority, priority);
}
int SettingsStore::SetOneThreadPerDisk(int32_t on) {
  return setNumber(kOneThreadPerDisk, on ? 1 : 0);
}
int SettingsStore::SetBackupFolder(const std::string& folder) {
  return setText(kBackup, 0, folder);
}

}  // namespace tf
