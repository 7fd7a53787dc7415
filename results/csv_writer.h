// The CSV form of a search result: one record per file, with its group's fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "results/text_sink.h"

namespace tf {

// `field` as an RFC 4180 field: quoted, with its quotes doubled, when it holds a comma, a
// quote, CR or LF; otherwise as it is. Bytes are kept exactly, valid UTF-8 or not.
std::string CsvField(std::string_view field);
// A header line "group,type,count,group_size,path,size,modified" and one line per file of
// `rows` (group rows, each followed by its file rows), CR LF after each; modified is the
// 64-bit file time. False when the sink failed.
bool WriteCsv(const std::vector<DataNode*>& rows, TextSink* sink);

}  // namespace tf
