#include "results/links_history.h"

namespace tf {

std::string FileNameOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int LinksHistory::AddLinkHistory(const std::string& fullPath) {
  if (fullPath.empty()) return 0;
  if (!m_root) m_root.reset(CreateNode(nullptr, "Links History", ATTACH_ROOT));
  if (!m_root) return 0;
  DataNode* record = CreateNode(m_root.get(), fullPath.c_str(), ATTACH_LAST_CHILD);
  if (!record) return 0;
  SetDesc(record, FileNameOf(fullPath));
  return 1;
}

DataNode* LinksHistory::InLinkHistory(const std::string& path) const {
  if (!m_root || path.empty()) return nullptr;
  return FindChild(m_root.get(), path.c_str());
}

int LinksHistory::LinkHistoryPathOf(const std::string& path, std::string* out) const {
  if (!m_root || !out) return 0;
  const std::string name = FileNameOf(path);
  if (name.empty()) return 0;
  for (DataNode* record = m_root->FirstChild(); record; record = record->Next()) {
    if (record->desc && name == record->desc && record->name) {
      *out = record->name;
      return 1;
    }
  }
  return 0;
}

}  // namespace tf
