// SearchDescriptor: the tree that describes a search (folders to scan and leave out,
// file filters, duplicate criteria), with typed access to the duplicate criteria and
// the predefined criteria sets.
#pragma once

#include <array>
#include <functional>

#include "datatree/data_node.h"
#include "scan/filter_clock.h"

namespace tf {

// Values of the "name" criterion.
constexpr int kNameExact = 0;         // file names exactly the same
constexpr int kNameAnyExtension = 1;  // the same names, extensions may differ
constexpr int kNameFirstSymbols = 2;  // the same first N symbols and extension
// Values of "time" and "size".
constexpr int kMustBeSame = 0;
constexpr int kAnyValue = 1;
constexpr int kDefaultSymbols = 5;
constexpr int kMinSymbols = 5;
constexpr int kMaxSymbols = 10;

// The texts of the predefined criteria sets, in the order the page offers them; the
// first one changes nothing.
constexpr std::array<const char*, 5> kPredefinedSetTexts = {
    " - - - - - - - - - - - - - - - - - - -", "True duplicates (default)",
    "Different versions of a file", "Different formats of a file", "Named versions of a file"};

class SearchDescriptor {
 public:
  SearchDescriptor() = default;
  ~SearchDescriptor();
  SearchDescriptor(const SearchDescriptor&) = delete;
  SearchDescriptor& operator=(const SearchDescriptor&) = delete;

  // Builds "Descriptor" with "folders" ("include", "exclude"), "filters" (the four
  // filter nodes with their defaults, disabled; the dates from `clock`) and "settings"
  // ("symbols" = 5). False when a tree exists already or a node cannot be made.
  bool Create(const FilterClock& clock);

  DataNode* Root() const { return m_root; }
  DataNode* FoldersNode() const;
  DataNode* FiltersNode() const;
  DataNode* NameFilterNode() const;
  DataNode* SizeFilterNode() const;
  DataNode* TimeFilterNode() const;
  DataNode* AttributeFilterNode() const;
  DataNode* SettingsNode() const;

  // The stored criteria; 0 for a missing node or attribute.
  int GetName() const;
  int GetSymbols() const;
  int GetTime() const;
  int GetSize() const;
  // Each stores the value, brought into range ("name" outside 0..2 as 0, "symbols"
  // outside 5..10 as 5, "time" and "size" outside 0..1 as 0), and tells the page when
  // `updatePage` is set. False without a settings node.
  bool SetName(int value, bool updatePage);
  bool SetSymbols(int value, bool updatePage);
  bool SetTime(int value, bool updatePage);
  bool SetSize(int value, bool updatePage);

  // Writes the predefined set `index` of kPredefinedSetTexts ("symbols" is left as it
  // is); 0 and unknown indexes change nothing (false).
  bool ApplyPredefinedSet(int index);
  // The predefined set whose criteria are the shown ones, or 0 (the blank entry) when
  // none is: the page names what is in force, whoever set it.
  int MatchingPredefinedSet() const;
  // The page's choice of N from its list ("5" at index 0): stores "symbols" and turns
  // the name rule to first N symbols when it is not already.
  bool ChooseSymbols(int listIndex);

  // What the page shows for the stored values: out-of-range values as the first
  // choice, "symbols" outside 5..10 as 5.
  int ShownName() const;
  int ShownSymbols() const;
  int ShownTime() const;
  int ShownSize() const;

  // Called after a setter asked for the page to be updated; the page re-reads the
  // values. Empty: no page.
  void SetPageUpdater(std::function<void()> updater) { m_updatePage = std::move(updater); }

 private:
  int setting(const char* name) const;
  bool store(const char* name, int value, bool updatePage);

  DataNode* m_root = nullptr;
  std::function<void()> m_updatePage;
};

}  // namespace tf
