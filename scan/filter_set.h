// FilterSet: the file filters of one folder scan, asked about every directory entry;
// an entry is taken only when every filter of the set accepts it.
//
// Use in a scan worker (one set per worker thread; a set is not shared):
//
//   tf::FilterSet filters;
//   filters.LoadFrom(FindChild(descriptor, "filters"), clock);  // once, when the scan starts
//   for each directory entry `name`:
//     if (!filters.MatchName(name)) continue;      // before any stat: rejected names cost nothing
//     tf::FileInfo info;                            // after the stat
//     info.name = name; info.size = ...; info.lastWriteTime = ...; info.attributes = ...;
//     if (!filters.MatchInfo(info)) continue;       // size, time and attributes
//     ... record the file ...
//
// MatchName and MatchInfo together answer exactly what Match(info) answers. Neither
// allocates once the first names have been seen (the name filter folds into a buffer
// it keeps). The time filter's bounds come from `clock` at LoadFrom, so a scan judges
// "today" by the moment it started.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "scan/file_filter.h"
#include "scan/file_info.h"
#include "scan/filter_clock.h"

namespace tf {

class FilterSet {
 public:
  static constexpr int kMaxFilters = 100;

  FilterSet() = default;
  FilterSet(const FilterSet&) = delete;
  FilterSet& operator=(const FilterSet&) = delete;

  // Clears the set, then builds the filters of the children "filter_name",
  // "filter_size", "filter_time" and "filter_attr" of `filtersNode`, in that order,
  // keeping those that are active (enabled and loaded). A missing node or child gives
  // no filter. Returns the number of filters kept.
  int LoadFrom(DataNode* filtersNode, const FilterClock& clock);

  // Takes ownership. False (and the filter is deleted) when the set holds
  // kMaxFilters filters already or `filter` is null.
  bool Add(std::unique_ptr<FileFilter> filter);
  void Clear();
  int Count() const { return static_cast<int>(m_filters.size()); }

  // True when the set is empty; else true only when every filter accepts, asked in
  // the order they were added, stopping at the first refusal.
  bool Match(const FileInfo& entry);
  // The name filters only (before the stat).
  bool MatchName(std::string_view name);
  // Every filter but the name filters (after the stat); `entry.name` is not read.
  bool MatchInfo(const FileInfo& entry);
  // True when no filter needs more than the name: MatchInfo then takes every entry.
  bool JudgesNamesOnly() const;

 private:
  std::vector<std::unique_ptr<FileFilter>> m_filters;
};

}  // namespace tf
