// The re-check of a folder before an action: its signature computed now, as the search
// that found it would have computed it.
#pragma once

#include <cstdint>
#include <string>

#include "datatree/data_node.h"

namespace tf {

// Walks `path` now with the filters, exclusions and criteria of `descriptor` (a search
// descriptor) and computes the signature the search would: equal to the group's when
// nothing changed. False, with the reason in *why, when the folder or a folder below it
// cannot be read, or it holds no counted file.
bool FolderSignatureNow(const DataNode* descriptor, const std::string& path, uint64_t out[2],
                        std::string* why);

}  // namespace tf
