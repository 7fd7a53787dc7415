#include "results/json_writer.h"

#include <string>

#include "results/csv_writer.h"
#include "results/json_text.h"
#include "results/result_rows.h"
#include "scan/folder_list.h"

namespace tf {
namespace {

// The group's object from the group row at `at` and the file rows after it; `at` moves
// past them.
std::string groupJson(const std::vector<DataNode*>& rows, size_t* at,
                      const std::vector<std::string>& protectedFolders) {
  const DataNode* group = rows[(*at)++];
  std::string out = "{";
  AppendJsonText(&out, "key", group->Name());
  out += ',';
  AppendJsonText(&out, "type", group->Desc());
  out += ",\"count\":" + std::to_string(group->val2);
  out += ",\"size\":" + std::to_string(group->val);
  if (IsVerifiedGroup(group)) out += ",\"verified\":true";
  out += ",\"files\":[";
  for (bool first = true; *at < rows.size() && !IsGroupRow(rows[*at]); first = false) {
    const DataNode* file = rows[(*at)++];
    out += first ? "{" : ",{";
    const std::string path = FullName(file);
    AppendJsonText(&out, "path", path);
    out += ",\"size\":" + std::to_string(file->val);
    out += ",\"modified\":" + std::to_string(file->val2);
    out += ",\"modified_iso\":" + JsonQuoted(IsoLocalTime(file->val2));
    if (!protectedFolders.empty() && !ProtectedFolderHolding(protectedFolders, path).empty())
      out += ",\"protected\":true";
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace

bool WriteJson(const std::vector<DataNode*>& rows, int64_t fileCount, TextSink* sink,
               const std::vector<std::string>& protectedFolders, const ResultsHeader* header) {
  sink->Write("{");
  if (header) sink->Write(ResultsHeaderJson(*header));
  sink->Write("\"groups\":[");
  size_t at = 0;
  while (at < rows.size() && !IsGroupRow(rows[at])) ++at;  // a listing begins with a group
  const bool any = at < rows.size();
  for (bool first = true; at < rows.size(); first = false) {
    if (!sink->Write(first ? "\n" : ",\n")) return false;
    sink->Write(groupJson(rows, &at, protectedFolders));
  }
  sink->Write(any ? "\n]," : "],");
  sink->Write("\"files\":" + std::to_string(fileCount) + "}\n");
  return !sink->Failed();
}

bool WriteFolderGroupsJson(const FolderGroups& groups, TextSink* sink) {
  std::string line = "{\"folder_groups\":[";
  for (size_t g = 0; g < groups.size(); ++g) {
    const FolderGroup& group = groups[g];
    line += g == 0 ? "\n" : ",\n";
    line += "{\"files\":" + std::to_string(group.files) +
            ",\"size\":" + std::to_string(group.size) + ",\"folders\":[";
    for (size_t f = 0; f < group.folders.size(); ++f) {
      line += f == 0 ? "{" : ",{";
      AppendJsonText(&line, "path", group.folders[f].path);
      line += "}";
    }
    line += "]}";
    if (!sink->Write(line)) return false;
    line.clear();
  }
  line += "\n]}\n";
  return sink->Write(line);
}

}  // namespace tf
