// The HTML report of a search result: one self-contained XHTML page (no scripts, no
// external style sheets or pictures) with the totals and a table of the groups and their
// files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "results/text_sink.h"

namespace tf {

// `text` as XML character data that is also safe inside a quoted attribute: & < > " '
// escaped, each byte that is not part of well-formed UTF-8 replaced by U+FFFD, and control
// characters (which XML cannot carry) shown as their visible pictures, U+2400 + code
// (a line feed as U+240A), DEL as U+2421.
std::string MarkupEscaped(std::string_view text);

// The page for `rows` (group rows, each followed by its file rows): the number of groups,
// files and their bytes, then per group its key, type, file count and size, and per file
// its path, size and modification time in the display formats. False when the sink failed.
bool WriteHtmlReport(const std::vector<DataNode*>& rows, TextSink* sink);

}  // namespace tf
