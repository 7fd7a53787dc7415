// The remembered search: the folders, exclusions, filters and criteria of the last search
// and the main window's place, kept with the settings in a section of their own
// ("remembered_search") and brought back at the next start while the option is on.
#pragma once

#include "datatree/data_node.h"

namespace tf {

class SettingsStore;

constexpr const char* kRememberedSearchSection = "remembered_search";

// The frame's place on the screen; `valid` is false when none was kept.
struct WindowPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool valid = false;
};

// The option, kept as attribute "off" of the section: on when the file has no section or
// no such attribute, so that older settings files start with it on.
bool RememberSearchOn(SettingsStore* store);
// Creates the section when missing.
void SetRememberSearchOn(SettingsStore* store, bool on);

// At shutdown: with the option on, the section gets a copy of the descriptor tree
// `descriptor` (replacing an older copy) and the window place; with it off, an older copy
// is dropped so that nothing of the last search is kept.
void KeepSearch(SettingsStore* store, const DataNode* descriptor, const WindowPlace& place);

// At start-up: with the option on and a copy kept, each of the descriptor's "folders",
// "filters" and "settings" nodes is replaced by the copy's node of that name (a node the
// copy lacks keeps its defaults). *place gets the kept window place (valid only when one
// was kept, the option is on, and its size is positive). True when a copy was applied.
bool RestoreSearch(SettingsStore* store, DataNode* descriptor, WindowPlace* place);

// Each of the "folders", "filters" and "settings" nodes of `descriptor` is replaced by a
// copy of `saved`'s node of that name (a node `saved` lacks stays as it is).
void ReplaceDescriptorParts(DataNode* descriptor, const DataNode* saved);

}  // namespace tf
