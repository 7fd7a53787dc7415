#include "search/search_descriptor.h"

#include "scan/filter_nodes.h"

namespace tf {

namespace {

int inRange(int value, int low, int high, int fallback) {
  return value >= low && value <= high ? value : fallback;
}

}  // namespace

SearchDescriptor::~SearchDescriptor() {
  DeleteNode(m_root);
}

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
  if (made) made = settings->attrs.Set("symbols", AttrValue::FromInt(kDefaultSymbols), 1) != 0;
  if (!made) {
    DeleteNode(root);
    return false;
  }
  m_root = root;
  return true;
}

DataNode* SearchDescriptor::FoldersNode() const {
  return FindChild(m_root, "folders");
}
DataNode* SearchDescriptor::FiltersNode() const {
  return FindChild(m_root, "filters");
}
DataNode* SearchDescriptor::SettingsNode() const {
  return FindChild(m_root, "settings");
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

int SearchDescriptor::setting(const char* name) const {
  DataNode* settings = SettingsNode();
  return settings ? settings->attrs.ValueOf(name).AsInt() : 0;
}

int SearchDescriptor::GetName() const {
  return setting("name");
}
int SearchDescriptor::GetSymbols() const {
  return setting("symbols");
}
int SearchDescriptor::GetTime() const {
  return setting("time");
}
int SearchDescriptor::GetSize() const {
  return setting("size");
}

int SearchDescriptor::ShownName() const {
  return inRange(GetName(), 0, 2, kNameExact);
}
int SearchDescriptor::ShownSymbols() const {
  return inRange(GetSymbols(), kMinSymbols, kMaxSymbols, kDefaultSymbols);
}
int SearchDescriptor::ShownTime() const {
  return inRange(GetTime(), 0, 1, kMustBeSame);
}
int SearchDescriptor::ShownSize() const {
  return inRange(GetSize(), 0, 1, kMustBeSame);
}

bool SearchDescriptor::store(const char* name, int value, bool updatePage) {
  DataNode* settings = SettingsNode();
  if (!settings || !settings->attrs.Set(name, AttrValue::FromInt(value), 1)) return false;
  if (updatePage && m_updatePage) m_updatePage();
  return true;
}

bool SearchDescriptor::SetName(int value, bool updatePage) {
  return store("name", inRange(value, 0, 2, kNameExact), updatePage);
}
bool SearchDescriptor::SetSymbols(int value, bool updatePage) {
  return store("symbols", inRange(value, kMinSymbols, kMaxSymbols, kDefaultSymbols), updatePage);
}
bool SearchDescriptor::SetTime(int value, bool updatePage) {
  return store("time", inRange(value, 0, 1, kMustBeSame), updatePage);
}
bool SearchDescriptor::SetSize(int value, bool updatePage) {
  return store("size", inRange(value, 0, 1, kMustBeSame), updatePage);
}

namespace {

// name, time, size of the sets after the blank first entry.
constexpr int kSets[4][3] = {{kNameExact, kMustBeSame, kMustBeSame},
                             {kNameExact, kAnyValue, kAnyValue},
                             {kNameAnyExtension, kAnyValue, kAnyValue},
                             {kNameFirstSymbols, kAnyValue, kAnyValue}};

}  // namespace

int SearchDescriptor::MatchingPredefinedSet() const {
  for (int index = 1; index <= 4; ++index) {
    const int* set = kSets[index - 1];
    if (ShownName() == set[0] && ShownTime() == set[1] && ShownSize() == set[2]) return index;
  }
  return 0;
}

bool SearchDescriptor::ApplyPredefinedSet(int index) {
  if (index < 1 || index > 4) return false;
  const int* set = kSets[index - 1];
  return SetName(set[0], false) && SetTime(set[1], false) && SetSize(set[2], true);
}

bool SearchDescriptor::ChooseSymbols(int listIndex) {
  if (!SetSymbols(listIndex + kMinSymbols, false)) return false;
  if (GetName() != kNameFirstSymbols) return SetName(kNameFirstSymbols, true);
  if (m_updatePage) m_updatePage();
  return true;
}

}  // namespace tf
