// Helpers of the grouping tests: criteria nodes, a fixed local clock and result groups.
#pragma once

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/duplicate_criteria.h"
#include "duplicates/run_result.h"

namespace tf::testing {

constexpr int64_t kSecond = 10000000;  // one second in file time

// A "settings" node with the four criteria; delete with DeleteNode.
inline DataNode* MakeSettings(int name, int symbols, int time, int size) {
  DataNode* settings = CreateNode(nullptr, "settings", ATTACH_ROOT);
  settings->attrs.Set("name", AttrValue::FromInt(name), 1);
  settings->attrs.Set("symbols", AttrValue::FromInt(symbols), 1);
  settings->attrs.Set("time", AttrValue::FromInt(time), 1);
  settings->attrs.Set("size", AttrValue::FromInt(size), 1);
  return settings;
}

// The criteria that a "settings" node holding these stored values means.
inline DuplicateCriteria StoredCriteria(int name, int symbols, int time, int size) {
  DataNode* settings = MakeSettings(name, symbols, time, size);
  const DuplicateCriteria criteria = *ReadCriteria(settings);
  DeleteNode(settings);
  return criteria;
}

// A zone-free "local" time: every whole second maps to a distinct stamp.
inline bool FakeLocalTime(int64_t fileTime, CalendarTime* out) {
  const int64_t seconds = fileTime / kSecond;
  const int64_t days = seconds / 86400;
  out->year = static_cast<int>(1601 + days / 372);
  out->month = static_cast<int>(days / 31 % 12 + 1);
  out->day = static_cast<int>(days % 31 + 1);
  out->hour = static_cast<int>(seconds / 3600 % 24);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  return true;
}

using Group = std::vector<std::string>;  // sorted paths

inline std::vector<Group> GroupsInOrder(const DataNode* root) {
  std::vector<Group> groups;
  for (const DataNode* g = root ? root->FirstChild() : nullptr; g; g = g->Next()) {
    groups.emplace_back();
    for (const DataNode* f = g->FirstChild(); f; f = f->Next())
      groups.back().push_back(tf::FullName(f));
  }
  return groups;
}

inline std::set<Group> CanonicalGroups(const DataNode* root) {
  std::set<Group> groups;
  for (Group& paths : GroupsInOrder(root)) {
    std::sort(paths.begin(), paths.end());
    groups.insert(std::move(paths));
  }
  return groups;
}

}  // namespace tf::testing
