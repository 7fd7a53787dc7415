// The bridge between a result tree and the verification of contents: the files of chosen
// groups as the verification takes them, and a copy of the result in which those groups
// are replaced by the sets of files whose bytes are the same, each marked verified. The
// result itself is not touched, so a verification that is stopped leaves it as it was.
#pragma once

#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "results/content_verify.h"

namespace tf {

// The files of each group, in the group's order.
std::vector<VerifyGroup> GroupsToVerify(const std::vector<const DataNode*>& groups);

// A new result root: the groups of `root` in their order, except that each group of
// `verified` (the groups GroupsToVerify was given, in that order) is replaced by one
// group per set of `outcome`, marked with kVerifiedGroup, with its name, type and totals.
// Every group's total is the plain sum of its sizes: HardLinks::Build on the copy counts
// the names of one file once again. Null when memory ran out.
NodePtr VerifiedResult(const DataNode* root, const std::vector<const DataNode*>& verified,
                       const VerifyOutcome& outcome);

}  // namespace tf
