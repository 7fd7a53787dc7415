// DuplicateCriteria: what makes two files the same (the name rule with its N, and whether
// the last-modified times and the sizes must match) as one value, with the one reader and
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

// A new value is the default search: true duplicates. Options added later get a default
// that keeps what a descriptor saved without them meant, so old files read the same.
struct DuplicateCriteria {
  NameRule name = NameRule::kExact;
  // N of NameRule::kFirstSymbols, always within 5..10; kept under the other rules too, so
  // that the page offers the last N again.
  int symbols = kDefaultSymbols;
  bool sameTime = true;  // the last-modified times, to the second in local time
  bool sameSize = true;

  bool operator==(const DuplicateCriteria&) const = default;

  // N for the keys: `symbols` under the first-symbols rule, 0 under the others.
  int KeySymbols() const { return name == NameRule::kFirstSymbols ? symbols : 0; }
  // What choosing N on the page does: N is stored and the names compare by it.
  DuplicateCriteria WithSymbols(int n) const;
};

// Reads "settings" as the index has always read it: "name" 0 is the exact name, 2 with a
// "symbols" of 5..10 the first N symbols, 2 with any other "symbols" the exact name, every
// other value names with any extension; "time" and "size" must match only when they are
// 0; a missing attribute reads as 0. None for a missing node.
std::optional<DuplicateCriteria> ReadCriteria(DataNode* settings);
// Stores the criteria as the integer attributes "name" (0..2), "symbols" (5..10), "time"
// and "size" (0 the same, 1 any) of "settings"; false when the node is null or an
// attribute cannot be stored.
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
