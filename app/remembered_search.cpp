#include "app/remembered_search.h"

#include "settings/settings_store.h"

namespace tf {
namespace {

// Kept only while the option is off: the settings file leaves out attributes of value 0.
constexpr const char* kOffAttr = "off";
constexpr const char* kCopyNode = "Descriptor";
constexpr const char* kPlaceAttrs[] = {"x", "y", "width", "height"};
constexpr const char* kDescriptorParts[] = {"folders", "filters", "settings"};

DataNode* section(SettingsStore* store) {
  return store ? FindChild(store->root(), kRememberedSearchSection) : nullptr;
}

void dropCopies(DataNode* at) {
  while (DataNode* old = FindChild(at, kCopyNode)) DeleteNode(old);
}

}  // namespace

void ReplaceDescriptorParts(DataNode* descriptor, const DataNode* saved) {
  for (const char* part : kDescriptorParts) {
    DataNode* kept = FindChild(const_cast<DataNode*>(saved), part);
    DataNode* current = FindChild(descriptor, part);
    if (!kept) continue;
    // The kept node takes the place of the current one, so the descriptor's order stays.
    DataNode* restored = CloneNode(kept, nullptr, 1);
    if (!restored) continue;
    if (current) {
      restored->Attach(current, ATTACH_BEFORE);
      DeleteNode(current);
    } else {
      restored->Attach(descriptor, ATTACH_LAST_CHILD);
    }
  }
}

bool RememberSearchOn(SettingsStore* store) {
  DataNode* node = section(store);
  if (!node) return true;
  const AttrValue& off = node->attrs.ValueOf(kOffAttr);
  return !off.IsSet() || off.AsInt64() == 0;
}

void SetRememberSearchOn(SettingsStore* store, bool on) {
  if (!store) return;
  if (DataNode* node = store->GetOrCreate(kRememberedSearchSection))
    node->attrs.Set(kOffAttr, AttrValue::FromInt(on ? 0 : 1), 1);
}

void KeepSearch(SettingsStore* store, const DataNode* descriptor, const WindowPlace& place) {
  if (!store || !store->root()) return;
  const bool on = RememberSearchOn(store);
  DataNode* node = store->GetOrCreate(kRememberedSearchSection);
  if (!node) return;
  node->attrs.Set(kOffAttr, AttrValue::FromInt(on ? 0 : 1), 1);
  dropCopies(node);
  if (!on) return;
  if (descriptor) {
    DataNode* copy = CloneNode(descriptor, node, 1);
    if (copy) SetName(copy, kCopyNode);
  }
  if (place.valid && place.width > 0 && place.height > 0) {
    const int values[] = {place.x, place.y, place.width, place.height};
    for (int i = 0; i < 4; ++i) node->attrs.Set(kPlaceAttrs[i], AttrValue::FromInt(values[i]), 1);
  }
}

bool RestoreSearch(SettingsStore* store, DataNode* descriptor, WindowPlace* place) {
  if (place) *place = WindowPlace();
  DataNode* node = section(store);
  if (!node || !RememberSearchOn(store)) return false;
  if (place) {
    int values[4] = {};
    bool all = true;
    for (int i = 0; i < 4; ++i) {
      const AttrValue& value = node->attrs.ValueOf(kPlaceAttrs[i]);
      all = all && value.IsSet();
      values[i] = value.AsInt();
    }
    if (all && values[2] > 0 && values[3] > 0)
      *place = {values[0], values[1], values[2], values[3], true};
  }
  DataNode* copy = FindChild(node, kCopyNode);
  if (!copy || !descriptor) return false;
  ReplaceDescriptorParts(descriptor, copy);
  return true;
}

}  // namespace tf
