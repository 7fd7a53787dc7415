#include "search/search_descriptor.h"

#include "scan/filter_nodes.h"

namespace tf {

bool SearchDescriptor::Create(const FilterClock& clock) {
  if (m_root) return false;
  DataNode* root = CreateNode(nullptr, "Descriptor", ATTACH_ROOT);
  if (!root) return false;
  DataNode* folders = CreateNode(root, "folders", ATTACH_LAST_CHILD);
  DataNode* filters = CreateNode(root, "filters", ATTACH_LAST_CHILD);
  DataNode* settings = CreateNode(root, "settings", ATTACH_LAST_CHILD);
  bool made = folders && filters && settings && CreateNode(folders, "include", ATTACH_LAST_CHILD) &&
              CreateNode(folders, "exclude", ATTACH_LAST_CHILD) && CreateNameFilterNode(filters) &&
              CreateSizeFilterNode(filters) && CreateTimeFilterNode(filters, clock) &&
              CreateAttributeFilterNode(filters);
  if (made) made = WriteCriteria(DuplicateCriteria{}, settings);
  if (!made) {
    DeleteNode(root);
    return false;
  }
  m_root.reset(root);
  return true;
}

DataNode* SearchDescriptor::FoldersNode() const {
  return FindChild(m_root.get(), "folders");
}
DataNode* SearchDescriptor::FiltersNode() const {
  return FindChild(m_root.get(), "filters");
}
DataNode* SearchDescriptor::SettingsNode() const {
  return FindChild(m_root.get(), "settings");
}
DataNode* SearchDescriptor::NameFilterNode() const {
  return FindChild(FiltersNode(), kNameFilterNode);
}
DataNode* SearchDescriptor::SizeFilterNode() const {
  return FindChild(FiltersNode(), kSizeFilterNode);
}
DataNode* SearchDescriptor::TimeFilterNode() const {
  return FindChild(FiltersNode(), kTimeFilterNode);
}
DataNode* SearchDescriptor::AttributeFilterNode() const {
  return FindChild(FiltersNode(), kAttributeFilterNode);
}

DuplicateCriteria SearchDescriptor::Criteria() const {
  return ReadCriteria(SettingsNode()).value_or(DuplicateCriteria{});
}

bool SearchDescriptor::SetCriteria(const DuplicateCriteria& criteria, bool updatePage) {
  if (!WriteCriteria(criteria, SettingsNode())) return false;
  if (updatePage && m_updatePage) m_updatePage();
  return true;
}

int SearchDescriptor::MatchingPredefinedSet() const {
  const DuplicateCriteria criteria = Criteria();
  for (size_t index = 0; index < kCriteriaPresets.size(); ++index)
    if (kCriteriaPresets[index].AppliedTo(criteria) == criteria) return static_cast<int>(index) + 1;
  return 0;
}

bool SearchDescriptor::ApplyPredefinedSet(int index) {
  if (index < 1 || index > static_cast<int>(kCriteriaPresets.size())) return false;
  return SetCriteria(kCriteriaPresets[index - 1].AppliedTo(Criteria()), true);
}

bool SearchDescriptor::ChooseSymbols(int listIndex) {
  return SetCriteria(Criteria().WithSymbols(listIndex + kMinSymbols), true);
}

}  // namespace tf
