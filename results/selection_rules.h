// The selection helpers of the result lists: which files of every group "Select" picks
// (all but the newest, the oldest or the largest, all but the one in a chosen folder, all
// in a chosen folder, the inverse, none), keeping a copy of every group and never picking
// a protected file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/hard_links.h"

namespace tf {

enum class SelectRule {
  kAllButNewest,
  kAllButOldest,
  kAllButLargest,
  kAllButInFolder,
  kAllInFolder,
  kInvert,
  kClear,
  kAllButFirst,  // all but the first in the lists' name order
};

// True for the rules that ask for a folder first.
inline bool RuleNeedsFolder(SelectRule rule) {
  return rule == SelectRule::kAllButInFolder || rule == SelectRule::kAllInFolder;
}

struct SelectionContext {
  // The chosen folder of the folder rules; a file is in it when it lies in it or in a
  // folder below it.
  std::string folder;
  // True for a file under a protected folder: never picked. Asked only of files a rule
  // would pick. Empty: nothing is protected.
  std::function<bool(const DataNode* file)> isProtected;
  // What "Invert" turns over: the files picked before.
  std::function<bool(const DataNode* file)> wasSelected;
  // Names of one file; null when none is known.
  const HardLinks* links = nullptr;
};

// The files of the groups under `root` that `rule` picks, group by group in tree order.
//
// Ties: of files with the same newest time (oldest time, largest size) the one whose path
// comes first in the lists' name order is the one kept. "All but the one in a chosen
// folder" keeps the first such file in that order and leaves a group with no file in the
// folder as it is (nothing picked), as no copy there is known to be kept.
//
// Every group keeps a copy: a file left unpicked none of whose other names (hard links)
// is picked. A kept file's other names are kept with it. When a rule would leave no such
// copy (every file in the chosen folder, an inverse of nothing), the first file in name
// order (with its other names) stays unpicked. A protected file is never picked and,
// being left alone, counts as a kept copy.
// With `kept`, each picked file's entry there is the copy its group keeps: the file the
// rule chose to keep, else the first kept copy in name order.
std::vector<DataNode*> ChooseFiles(const DataNode* root, SelectRule rule,
                                   const SelectionContext& context,
                                   std::vector<DataNode*>* kept = nullptr);

// True when `path` lies in `folder` or below it (compared byte for byte).
bool PathInFolder(const std::string& path, const std::string& folder);

}  // namespace tf
