// Helpers of the scan engine tests: descriptors over temporary trees, runs driven to the end.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "datatree/data_node.h"
#include "scan/filter_clock.h"
#include "scan/filter_nodes.h"
#include "search/folder_scan.h"
#include "search/search_run.h"
#include "tests/duplicates/grouping_support.h"
#include "tests/support/temp_tree.h"

namespace tf::testing {

namespace fs = std::filesystem;

// A descriptor over the folders with the criteria and no filters (every file taken).
inline DataNode* MakeDescriptor(const std::vector<std::string>& include,
                                const std::vector<std::string>& exclude, int name = 0, int time = 0,
                                int size = 0) {
  DataNode* root = CreateNode(nullptr, "Descriptor", ATTACH_ROOT);
  DataNode* folders = CreateNode(root, "folders", ATTACH_LAST_CHILD);
  DataNode* in = CreateNode(folders, "include", ATTACH_LAST_CHILD);
  DataNode* out = CreateNode(folders, "exclude", ATTACH_LAST_CHILD);
  for (const std::string& path : include) CreateNode(in, path.c_str(), ATTACH_LAST_CHILD);
  for (const std::string& path : exclude) CreateNode(out, path.c_str(), ATTACH_LAST_CHILD);
  CreateNode(root, "filters", ATTACH_LAST_CHILD);
  MakeSettings(name, 5, time, size)->Attach(root, ATTACH_LAST_CHILD);
  return root;
}

// Turns on a name filter of the descriptor taking `include` and leaving out `exclude`.
inline void AddNameFilter(DataNode* descriptor, const char* include, const char* exclude) {
  DataNode* names = CreateNameFilterNode(FindChild(descriptor, "filters"));
  if (include) SetNameInclude(names, include);
  if (exclude) SetNameExclude(names, exclude);
  SetFilterEnabled(names, 1);
}

// Changes the criteria the descriptor holds; the criteria written are returned.
template <typename Change>
DuplicateCriteria ChangeCriteria(DataNode* descriptor, Change change) {
  DataNode* settings = FindChild(descriptor, "settings");
  DuplicateCriteria criteria = *ReadCriteria(settings);
  change(criteria);
  WriteCriteria(criteria, settings);
  return criteria;
}

inline SearchRun::Options FastOptions() {
  SearchRun::Options options;
  options.tickMs = 0;
  return options;
}

// False when the run has not finished within a minute.
inline bool RunToEnd(SearchRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (run.state() != SearchRun::kFinished) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    run.Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Prepares `run` with `descriptor` (deleted here), starts it and ticks it to its end.
inline bool RunWhole(SearchRun& run, DataNode* descriptor) {
  const bool prepared = run.Prepare(descriptor);
  DeleteNode(descriptor);
  return prepared && run.Start() && RunToEnd(run);
}

template <typename Done>
bool WaitUntil(Done done, int ms = 6000) {
  for (int i = 0; i < ms && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

inline Group Sorted(Group group) {
  std::sort(group.begin(), group.end());
  return group;
}

// A tree of `folders` folders of `files` files, every name twice.
inline void MakeBusyTree(const TempTree& tree, int folders, int files) {
  for (int d = 0; d < folders; ++d)
    for (int f = 0; f < files; ++f)
      tree.File("d" + std::to_string(d) + "/f" + std::to_string((d / 2) * files + f));
}

inline ScanParams ScanParamsOf(DataNode* descriptor, const std::string& root) {
  ScanParams params;
  params.root = root;
  params.filters = FindChild(descriptor, "filters");
  params.criteria = ReadCriteria(FindChild(descriptor, "settings"));
  return params;
}

}  // namespace tf::testing
