// DuplicateCriteria: what makes two files the same (the name rule with its N or its
// similarity, how names compare, whether and how closely the last-modified times and the
// sizes must match, and which groups are kept) as one value, with the one reader and
// the one writer of the search descriptor's "settings" node and the predefined sets.
#pragma once

#include <array>
#include <optional>

#include "datatree/data_node.h"
#include "duplicates/duplicate_key.h"

namespace tf {

constexpr int kMinSymbols = 5;
constexpr int kMaxSymbols = 10;
constexpr int kDefaultSymbols = 5;
constexpr int kMinSimilarity = 50;
constexpr int kMaxSimilarity = 100;
constexpr int kDefaultSimilarity = 80;
constexpr int kMaxTimeTolerance = 86400;  // seconds

// A new value is the default search: true duplicates. Options added later get a default
// that keeps what a descriptor saved without them meant, so old files read the same.
struct DuplicateCriteria {
  NameRule name = NameRule::kExact;
  // N of NameRule::kFirstSymbols, always within 5..10; kept under the other rules too, so
  // that the page offers the last N again.
  int symbols = kDefaultSymbols;
  bool sameTime = true;  // the last-modified times, to the second in local time
  bool sameSize = true;
  // Names compare in normalisation form C (`normalize`) and fully case-folded
  // (`foldCase`); a name that is not valid UTF-8 compares as bytes.
  bool foldCase = false;
  bool normalize = false;
  // With sameTime: times sorted within a group split only where neighbours lie more than
  // this many seconds apart (0..kMaxTimeTolerance; 0 splits at every second).
  int timeTolerance = 0;
  // Keep only groups whose files lie under two or more search folders, and only groups
  // holding a file of a protected folder.
  bool acrossRoots = false;
  bool withProtected = false;
  // Also look for whole folders that hold the same files (the duplicate folder groups).
  bool findFolders = false;
  // P of NameRule::kSimilar, within 50..100; kept under the other rules too, as N is.
  int similarity = kDefaultSimilarity;

  bool operator==(const DuplicateCriteria&) const = default;

  // N for the keys: `symbols` under the first-symbols rule, 0 under the others.
  int KeySymbols() const { return name == NameRule::kFirstSymbols ? symbols : 0; }
  // What choosing N on the page does: N is stored and the names compare by it.
  DuplicateCriteria WithSymbols(int n) const;
  // What choosing P does: P is stored and names compare by similarity.
  DuplicateCriteria WithSimilarity(int percent) const;
};

// Reads "settings" as the index has always read it: "name" 0 is the exact name, 2 with a
// "symbols" of 5..10 the first N symbols, 2 with any other "symbols" the exact name, 3
// similar names, every other value names with any extension; "time" and "size" must
// match only when they are 0; a missing attribute reads as 0. The later options are off
// when missing (an older file): "fold_case", "normalize", "across_roots" and
// "with_protected" and "find_folders" are on when 1, "time_tolerance" is clamped to 0..86400,
// "similarity" outside 50..100 reads as 80. None for a missing node.
std::optional<DuplicateCriteria> ReadCriteria(DataNode* settings);
// Stores the criteria as the integer attributes "name" (0..3), "symbols" (5..10), "time"
// and "size" (0 the same, 1 any), "fold_case", "normalize", "across_roots",
// "with_protected" and "find_folders" (0 or 1), "time_tolerance" and "similarity" of "settings";
// false when the node is null or an attribute cannot be stored.
bool WriteCriteria(const DuplicateCriteria& criteria, DataNode* settings);

// A predefined criteria set. Choosing one changes the name rule, the time and the size;
// N stays as it is.
struct CriteriaPreset {
  const char* text;  // as the page lists it
  const char* word;  // as twinfold-cli takes it
  NameRule name;
  bool sameTime;
  bool sameSize;

  DuplicateCriteria AppliedTo(DuplicateCriteria criteria) const {
    criteria.name = name;
    criteria.sameTime = sameTime;
    criteria.sameSize = sameSize;
    return criteria;
  }
};

// In the order the page offers them, after its blank first entry.
inline constexpr std::array<CriteriaPreset, 4> kCriteriaPresets = {{
    {"True duplicates (default)", "true-duplicates", NameRule::kExact, true, true},
    {"Different versions of a file", "versions", NameRule::kExact, false, false},
    {"Different formats of a file", "formats", NameRule::kAnyExtension, false, false},
    {"Named versions of a file", "named", NameRule::kFirstSymbols, false, false},
}};

}  // namespace tf
