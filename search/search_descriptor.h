// SearchDescriptor: the tree that describes a search (folders to scan and leave out,
// file filters, duplicate criteria), with typed access to the duplicate criteria and
// the predefined criteria sets.
#pragma once

#include <functional>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "duplicates/duplicate_criteria.h"
#include "scan/filter_clock.h"

namespace tf {

// The blank first entry of the page's list of predefined sets: it changes nothing.
constexpr const char* kNoPresetText = " - - - - - - - - - - - - - - - - - - -";

class SearchDescriptor {
 public:
  SearchDescriptor() = default;
  SearchDescriptor(const SearchDescriptor&) = delete;
  SearchDescriptor& operator=(const SearchDescriptor&) = delete;

  // Builds "Descriptor" with "folders" ("include", "exclude"), "filters" (the four
  // filter nodes with their defaults, disabled; the dates from `clock`) and "settings"
  // (true duplicates, N = 5). False when a tree exists already or a node cannot be made.
  bool Create(const FilterClock& clock);

  DataNode* Root() const { return m_root.get(); }
  DataNode* FoldersNode() const;
  DataNode* FiltersNode() const;
  DataNode* NameFilterNode() const;
  DataNode* SizeFilterNode() const;
  DataNode* TimeFilterNode() const;
  DataNode* AttributeFilterNode() const;
  DataNode* SettingsNode() const;

  // The stored criteria; the defaults without a settings node.
  DuplicateCriteria Criteria() const;
  // Stores the criteria and tells the page when `updatePage` is set. False without a
  // settings node.
  bool SetCriteria(const DuplicateCriteria& criteria, bool updatePage);

  // Applies kCriteriaPresets[index - 1] (N is left as it is); 0 (the page's blank first
  // entry) and unknown indexes change nothing (false).
  bool ApplyPredefinedSet(int index);
  // The predefined set whose criteria are the stored ones, or 0 (the blank entry) when
  // none is: the page names what is in force, whoever set it.
  int MatchingPredefinedSet() const;
  // The page's choice of N from its list ("5" at index 0): stores N and turns the name
  // rule to first N symbols when it is not already.
  bool ChooseSymbols(int listIndex);

  // Called after a setter asked for the page to be updated; the page re-reads the
  // values. Empty: no page.
  void SetPageUpdater(std::function<void()> updater) { m_updatePage = std::move(updater); }

 private:
  NodePtr m_root;
  std::function<void()> m_updatePage;
};

}  // namespace tf
