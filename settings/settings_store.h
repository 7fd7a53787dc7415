// SettingsStore: the program's options tree ("options"), its defaults, the settings
// file it is loaded from and saved to, and typed access to its keys.
#pragma once

#include <cstdint>
#include <string>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"

namespace tf {

// Where the settings live by default; the platform layer works these out.
struct SettingsLocations {
  std::string settingsFile;  // the settings file used until a Load succeeds
  std::string backupFolder;  // default of "common:backup"
};

class SettingsStore {
 public:
  SettingsStore() = default;
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;
  ~SettingsStore();

  // Replaces the tree by a new "options" root (desc "1.0") holding every default and
  // the default tool. 0 when the root cannot be created.
  int SetDefaults(const SettingsLocations& places);
  // 1 when the file was read and held a tree, which then replaces the whole root and
  // makes `path` the settings file. 0 otherwise, with tree and file name untouched and
  // the reason in *error (when given). Only a regular file of a sane size is read.
  int Load(const std::string& path, std::string* error = nullptr);
  // Writes the tree to the settings file with the atomic save, creating the folder when
  // missing. 1 when the new file is in place; 0 without a root or when any step failed
  // (a name held by anything but a regular file is refused), in which case the previous
  // file is untouched, no temporary file is left and *error says why.
  int Save(std::string* error = nullptr);
  // The node of a ':'-separated path below the root, created (with every missing
  // node on the way, each as the last child) when missing; `created` is set to 1 only
  // then. Null without a root or for a path without names.
  DataNode* GetOrCreate(const std::string& path, int* created = nullptr);

  int32_t GetTooltips();
  int32_t GetShowTips();
  int32_t GetFilterFlag();
  std::string GetFilterText();
  int32_t GetBrowseMode();
  int32_t GetPriority();
  std::string GetBackupFolder();
  // 1: every folder walk reads its folders on one thread, as on a spinning disk.
  int32_t GetOneThreadPerDisk();
  // Flag setters store 1 for any non-zero argument. Each returns 0 when the key's node
  // cannot be had.
  int SetTooltips(int32_t on);
  int SetShowTips(int32_t on);
  int SetFilterFlag(int32_t on);
  int SetFilterText(const std::string& path);
  int SetBrowseMode(int32_t mode);
  int SetPriority(int32_t priority);
  int SetBackupFolder(const std::string& folder);
  int SetOneThreadPerDisk(int32_t on);

  DataNode* root() const { return m_root.get(); }
  const std::string& fileName() const { return m_fileName; }

 private:
  // The key's node; one this call creates gets `defaultValue` in val.
  DataNode* key(const char* path, int32_t defaultValue, int* created);
  int32_t getNumber(const char* path, int32_t defaultValue);
  int setNumber(const char* path, int32_t value);
  std::string getText(const char* path, int32_t defaultNumber, const std::string& defaultText);
  int setText(const char* path, int32_t defaultNumber, const std::string& text);

  NodePtr m_root;
  std::string m_fileName;
  std::string m_defaultBackup;
};

}  // namespace tf
