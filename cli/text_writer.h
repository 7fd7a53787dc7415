// The text form of a search result, laid out like the unified result list.
#pragma once

#include <string>
#include <vector>

#include "cli/output_sink.h"
#include "datatree/data_node.h"
#include "duplicates/folder_groups.h"

namespace tf {

// `groups`: sorted (SortedGroups). For each group a line "KEY  $ %8s %s" with its total
// size, then a line per file, sorted by `fileKey` (as SortedGroupsWithFiles) and indented
// by two blanks: "PATH  SIZE  DATE TIME" through the display formatters. Ends with
// `statusLine`. False when the sink failed.
bool WriteText(const std::vector<DataNode*>& groups, int fileKey, const std::string& statusLine,
               OutputSink* sink);

// For each folder group a line "N files  $ SIZE" (the files and bytes of each of its
// folders), then a line per folder, indented by two blanks: "PATH  DATE TIME" of its
// latest file. Ends with "Finished (N folder groups found)" or "Finished (NO FOLDERS
// FOUND)". False when the sink failed.
bool WriteFolderText(const FolderGroups& groups, OutputSink* sink);

}  // namespace tf
