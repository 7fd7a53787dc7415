// Export of a search result to a file: CSV, JSON (the form twinfold-cli prints) or the HTML
// report, saved whole and atomically.
#pragma once

#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "results/results_file.h"

namespace tf {

enum class ExportFormat { kCsv, kJson, kHtml };

// The format a file name asks for by its extension (.csv, .json, .htm/.html, any case);
// `fallback` for any other name.
ExportFormat ExportFormatOf(const std::string& path, ExportFormat fallback);

// Writes the groups under `root` (groups by key, the files of each by path, the order of
// twinfold-cli's default) in `format` and saves them as `path`, replacing an older file
// only when the new one is complete; JSON marks the files in `protectedFolders` as
// twinfold-cli does and, given a header, is a results file. 1 on success; 0 with the
// reason in *error.
int ExportResult(const DataNode* root, ExportFormat format, const std::string& path,
                 std::string* error, const std::vector<std::string>& protectedFolders = {},
                 const ResultsHeader* header = nullptr);

}  // namespace tf
