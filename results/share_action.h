// "Share storage": each copy of a verified group is made to use the kept copy's storage
// (the kernel compares the bytes itself first), journaled, and the summary of what was
// shared. The window picks the copies from the selection; twinfold-cli by a keep rule
// (result_act.h), both through CarryOut.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/hard_links.h"
#include "results/result_act.h"

namespace tf {

// Shares the storage of `path` (still `size` bytes modified at `modified`) with `kept`,
// told to the journal first (FileChange::kShare). True when all of it is shared, with the
// bytes in *bytes; else false with the reason in *why.
bool ShareOneFile(const std::string& path, const std::string& kept, int64_t size, int64_t modified,
                  int64_t* bytes, std::string* why);

// Shares each planned file in turn (CarryOut re-checks it and its kept copy first),
// journaled as one action. `keepGoing` (may be empty) hears the bytes handled of all and
// answers false to stop: the files not reached are left with that reason. False when the
// journal refused the action (nothing changed; *why says why).
bool ShareFiles(std::vector<PlannedAction>* plan,
                const std::function<bool(int64_t done, int64_t total)>& keepGoing,
                std::string* why);

// The copies to share among `selected` files of a result: in every verified group of the
// selection, the selected files share the storage of the copy the group keeps, which is
// its first file (in the group's order) not selected, or its first file when all are
// selected. A protected file is never changed (it may be the kept copy); files of groups
// not verified are left out. At most `limit` files are planned.
std::vector<PlannedAction> PlanShareOfSelection(
    const std::vector<const DataNode*>& selected,
    const std::function<bool(const DataNode* file)>& isProtected, size_t limit = SIZE_MAX);

// "" when "Share storage" can act on the selection; else why not, for the command's
// tooltip: no verified group selected, nothing to share, or (for every planned file
// asked, at most `probes`) a file system that cannot share.
std::string WhyCannotShareSelection(const std::vector<const DataNode*>& selected,
                                    const std::function<bool(const DataNode* file)>& isProtected,
                                    size_t probes = 64);

// "Shared 12.5 MB in 3 files." (or "Would share ..." for a dry run), then the files left
// as they were, each with its reason on an indented line below (at most `shown` named).
std::string ShareSummary(const std::vector<PlannedAction>& plan, bool dryRun, size_t shown = 15);

}  // namespace tf
