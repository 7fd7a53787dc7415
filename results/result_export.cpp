#include "results/result_export.h"

#include <cstdint>
#include <vector>

#include "platform/stored_file.h"
#include "results/csv_writer.h"
#include "results/html_report.h"
#include "results/json_writer.h"
#include "results/result_rows.h"
#include "results/text_sink.h"

namespace tf {
namespace {

bool endsWith(const std::string& text, const char* tail) {
  const std::string end(tail);
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

}  // namespace

ExportFormat ExportFormatOf(const std::string& path, ExportFormat fallback) {
  if (endsWith(path, ".csv")) return ExportFormat::kCsv;
  if (endsWith(path, ".json")) return ExportFormat::kJson;
  if (endsWith(path, ".html") || endsWith(path, ".htm")) return ExportFormat::kHtml;
  return fallback;
}

int ExportResult(const DataNode* root, ExportFormat format, const std::string& path,
                 std::string* error, const std::vector<std::string>& protectedFolders,
                 const ResultsHeader* header) {
  const std::vector<DataNode*> rows = SortedGroupsWithFiles(root, kSortByName, kSortByName);
  int64_t fileCount = 0;
  for (const DataNode* row : rows) fileCount += IsGroupRow(row) ? 0 : 1;
  StringSink sink;
  switch (format) {
    case ExportFormat::kCsv:
      WriteCsv(rows, &sink);
      break;
    case ExportFormat::kJson:
      WriteJson(rows, fileCount, &sink, protectedFolders, header);
      break;
    case ExportFormat::kHtml:
      WriteHtmlReport(rows, &sink);
      break;
  }
  return SaveStoredFile(path, sink.Text(), error);
}

}  // namespace tf
