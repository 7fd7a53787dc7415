// The text form of a search result, laid out like the unified result list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/output_sink.h"
#include "datatree/data_node.h"

namespace tf {

// `text` with control characters shown as \n, \t, \r or \xHH, so that a file name cannot
// break a line or send escape sequences to a terminal. Other bytes are kept.
std::string TerminalSafe(std::string_view text);
// `rows`: group rows, each followed by its file rows (SortedGroupsWithFiles). For each
// group a line "KEY  $ %8s %s" with its total size, then a line per file, indented by two
// blanks: "PATH  SIZE  DATE TIME" through the display formatters. Ends with `statusLine`.
// False when the sink failed.
bool WriteText(const std::vector<DataNode*>& rows, const std::string& statusLine, OutputSink* sink);

}  // namespace tf
