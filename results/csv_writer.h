// The CSV form of a search result: one record per file, with its group's fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/folder_groups.h"
#include "results/text_sink.h"

namespace tf {

// `field` as an RFC 4180 field: quoted, with its quotes doubled, when it holds a comma, a
// quote, CR or LF; otherwise as it is. Bytes are kept exactly, valid UTF-8 or not.
std::string CsvField(std::string_view field);
// The local time of a file time as ISO 8601 without a zone, "" for zero: the modified time
// of the CSV and "modified_iso" of the JSON form.
std::string IsoLocalTime(int64_t fileTime);
// A header line "group,type,count,group_size,path,size,modified" and one line per file of
// `rows` (group rows, each followed by its file rows), CR LF after each; modified is the
// local date and time as ISO 8601 ("2026-12-07T14:43:18"), which spreadsheets read, or
// empty for a file without a time. False when the sink failed.
bool WriteCsv(const std::vector<DataNode*>& rows, TextSink* sink);

// A header line "group,files,size,path,latest" and one line per folder of each group (the
// group's number from 1, the files and bytes of each of its folders, the folder, the
// latest time of its files as in WriteCsv), CR LF after each. False when the sink failed.
bool WriteFolderGroupsCsv(const FolderGroups& groups, TextSink* sink);

}  // namespace tf
