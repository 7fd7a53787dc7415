// The --verify step of twinfold-cli: splits the groups of a finished search by the bytes
// their files hold, with the hash cache of the user, and tells on standard error how far
// it got (on a terminal) and which files could not be compared.
#pragma once

#include <cstdio>

#include "datatree/node_ptr.h"

namespace tf {

struct VerifyStepOutput {
  NodePtr root;         // the verified result; null when memory ran out
  bool allRead = true;  // every file could be compared (else each is named on `err`)
};

// `progress` (null: none) gets "Verifying contents: N of M" lines, rewritten in place
// when `rewriteLine`. With `unverifiedOnly` a group already marked verified is kept as it
// is, unread.
VerifyStepOutput RunVerifyStep(const DataNode* root, std::FILE* err, std::FILE* progress,
                               bool rewriteLine, bool unverifiedOnly = false);

}  // namespace tf
