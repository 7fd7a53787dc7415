// FileFilter: the base of the four file filters (name, size, time, attributes) that a
// folder scan asks about every directory entry.
#pragma once

#include <string_view>

#include "datatree/data_node.h"
#include "scan/file_info.h"

namespace tf {

enum class FilterKind { kName, kSize, kTime, kAttributes };

// A filter is built from its node when a scan starts and used by that scan's one
// thread only: Match may use scratch buffers of the filter, so no two threads may ask
// the same filter at once. Editing the node later does not change a loaded filter.
class FileFilter {
 public:
  FileFilter() = default;
  FileFilter(const FileFilter&) = delete;
  FileFilter& operator=(const FileFilter&) = delete;
  virtual ~FileFilter() = default;

  virtual FilterKind Kind() const = 0;
  // Reads the settings of the filter's node (null: false). Sets enabled and loaded.
  virtual bool Load(DataNode* node) = 0;
  // The name test; only the name filter judges names, the others answer false.
  virtual bool MatchName(std::string_view name) {
    (void)name;
    return false;
  }
  // The whole entry. A disabled or unloaded filter accepts.
  virtual bool Match(const FileInfo& entry) = 0;

  void SetEnabled(int enabled) { m_enabled = enabled; }
  int IsEnabled() const { return m_enabled; }
  bool IsActive() const { return m_loaded && m_enabled; }

 protected:
  bool accepts() const { return !m_loaded || !m_enabled; }  // nothing to test
  int m_enabled = 0;
  bool m_loaded = false;
};

}  // namespace tf
