// The JSON form of a search result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/folder_groups.h"
#include "results/results_file.h"
#include "results/text_sink.h"

namespace tf {

// {"groups":[{"key","type","count","size","files":[{"path","size","modified",
// "modified_iso"}]}],"files":N}, one group per line, from `rows` (group rows, each followed
// by its file rows). modified is the 64-bit file time, modified_iso the same as local
// ISO 8601 text (IsoLocalTime). A file in one of `protectedFolders` has "protected":true after
// its time (the others have no such field). A key or path that is not valid UTF-8 is given with
// replacement characters and, beside it, its exact bytes in "key_base64" or "path_base64".
// With a header, its members (ResultsHeaderJson) come first and make the text a results
// file. False when the sink failed.
bool WriteJson(const std::vector<DataNode*>& rows, int64_t fileCount, TextSink* sink,
               const std::vector<std::string>& protectedFolders = {},
               const ResultsHeader* header = nullptr);

// {"folder_groups":[{"files":N,"size":BYTES,"folders":[{"path":...},...]},...]}, one group
// per line: the files and bytes of each folder of the group. A path that is not valid
// UTF-8 has its exact bytes in "path_base64" beside it. False when the sink failed.
bool WriteFolderGroupsJson(const FolderGroups& groups, TextSink* sink);

}  // namespace tf
