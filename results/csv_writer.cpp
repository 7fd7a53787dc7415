#include "results/csv_writer.h"

#include "platform/display_format.h"
#include "results/result_rows.h"

namespace tf {

std::string CsvField(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string IsoLocalTime(int64_t fileTime) {
  std::string text;
  if (!FormatDateTimeIso(fileTime, &text, false, 1)) return std::string();
  const size_t blank = text.find(' ');
  if (blank != std::string::npos) text[blank] = 'T';
  return text;
}

bool WriteCsv(const std::vector<DataNode*>& rows, TextSink* sink) {
  sink->Write("group,type,count,group_size,path,size,modified\r\n");
  std::string groupFields;
  for (const DataNode* row : rows) {
    if (IsGroupRow(row)) {
      groupFields = CsvField(row->Name()) + ',' + CsvField(row->Desc()) + ',' +
                    std::to_string(row->val2) + ',' + std::to_string(row->val) + ',';
      continue;
    }
    const std::string line = groupFields + CsvField(FullName(row)) + ',' +
                             std::to_string(row->val) + ',' + IsoLocalTime(row->val2) + "\r\n";
    if (!sink->Write(line)) return false;
  }
  return !sink->Failed();
}

bool WriteFolderGroupsCsv(const FolderGroups& groups, TextSink* sink) {
  if (!sink->Write("group,files,size,path,latest\r\n")) return false;
  std::string line;
  for (size_t g = 0; g < groups.size(); ++g) {
    for (const DuplicateFolder& folder : groups[g].folders) {
      line = std::to_string(g + 1) + "," + std::to_string(groups[g].files) + "," +
             std::to_string(groups[g].size) + "," + CsvField(folder.path) + "," +
             IsoLocalTime(folder.latest) + "\r\n";
      if (!sink->Write(line)) return false;
    }
  }
  return !sink->Failed();
}

}  // namespace tf
