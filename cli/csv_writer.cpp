#include "cli/csv_writer.h"

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

bool WriteCsv(const std::vector<OrderedGroup>& groups, OutputSink* sink) {
  sink->Write("group,type,count,group_size,path,size,modified\r\n");
  for (const OrderedGroup& entry : groups) {
    const std::string groupFields =
        CsvField(entry.group->Name()) + ',' + CsvField(entry.group->Desc()) + ',' +
        std::to_string(entry.group->val2) + ',' + std::to_string(entry.group->val) + ',';
    for (const DataNode* file : entry.files) {
      const std::string line = groupFields + CsvField(file->Name()) + ',' +
                               std::to_string(file->val) + ',' + std::to_string(file->val2) +
                               "\r\n";
      if (!sink->Write(line)) return false;
    }
  }
  return !sink->Failed();
}

}  // namespace tf
