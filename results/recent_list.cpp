#include "results/recent_list.h"

#include "base/text_fold.h"
#include "datatree/node_xml.h"

namespace tf {

RecentList::~RecentList() = default;

int RecentList::Bind(DataNode* node, const char* name) {
  m_ownRoot.reset(node ? nullptr : CreateNode(nullptr, name ? name : "recent", ATTACH_ROOT));
  m_root = node ? node : m_ownRoot.get();
  m_capacity = kDefaultCapacity;
  if (!m_root) return 1;
  // Numbers live in the low 32 bits of val, with the high half as the sign.
  int32_t stored = static_cast<int32_t>(m_root->val);
  if (stored != 0)
    m_capacity = stored;
  else
    m_root->val = m_capacity;
  return 1;
}

DataNode* RecentList::entryAt(int index) const {
  DataNode* entry = m_root ? m_root->FirstChild() : nullptr;
  for (int i = 0; entry && i < index; ++i) entry = entry->Next();
  return entry;
}

int RecentList::IndexOfText(const std::string& text, DataNode** entry) const {
  const std::string escaped = EscapeString(text);
  int index = 0;
  for (DataNode* child = m_root ? m_root->FirstChild() : nullptr; child; child = child->Next()) {
    if (EqualIgnoringCase(child->Desc(), escaped)) {
      if (entry) *entry = child;
      return index;
    }
    ++index;
  }
  if (entry) *entry = nullptr;
  return -1;
}

int RecentList::AddText(const std::string& text) {
  if (text.empty() || !m_root) return 0;
  DataNode* existing = nullptr;
  if (IndexOfText(text, &existing) >= 0) {
    while (existing->MoveUp(0)) {
    }
    return 0;
  }
  // Everything from the capacity-th entry on goes, so a capacity lowered in the options
  // also shortens a list that was filled under a larger one.
  if (m_capacity > 0) {
    DataNode* extra = entryAt(m_capacity - 1);
    while (extra) {
      DataNode* next = extra->Next();
      DeleteNode(extra);
      extra = next;
    }
  }
  const std::string escaped = EscapeString(text);
  DataNode* entry = CreateNode(m_root, escaped.c_str(), ATTACH_FIRST_CHILD);
  if (!entry) return 0;
  SetDesc(entry, escaped);
  return 1;
}

int RecentList::HasEntries() const {
  return m_root && m_root->FirstChild() ? 1 : 0;
}

void RecentList::Clear() {
  while (m_root && m_root->FirstChild()) DeleteNode(m_root->FirstChild());
}

std::vector<std::string> RecentList::MenuTexts() const {
  std::vector<std::string> texts;
  for (DataNode* child = m_root ? m_root->FirstChild() : nullptr; child; child = child->Next())
    texts.push_back(UnescapeString(child->desc && *child->desc ? child->Desc() : child->Name()));
  return texts;
}

bool RecentList::ChooseMenuCommand(int command, std::string* out) {
  if (command == kClearCommand) {
    Clear();
    return false;
  }
  DataNode* entry = command >= 1 ? entryAt(command - 1) : nullptr;
  if (!entry || !out) return false;
  *out = UnescapeString(entry->Desc());
  return true;
}

}  // namespace tf
