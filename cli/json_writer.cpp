#include "cli/json_writer.h"

#include <string>

#include "cli/json_text.h"

namespace tf {
namespace {

// "name":"text" and, for bytes that are not UTF-8, "name_base64":"..." after it.
void appendText(std::string* out, const char* name, std::string_view text) {
  *out += '"';
  *out += name;
  *out += "\":";
  *out += JsonQuoted(text);
  if (!IsValidUtf8(text)) {
    *out += ",\"";
    *out += name;
    *out += "_base64\":\"";
    *out += Base64(text);
    *out += '"';
  }
}

std::string groupJson(const OrderedGroup& entry) {
  std::string out = "{";
  appendText(&out, "key", entry.group->Name());
  out += ',';
  appendText(&out, "type", entry.group->Desc());
  out += ",\"count\":" + std::to_string(entry.group->val2);
  out += ",\"size\":" + std::to_string(entry.group->val);
  out += ",\"files\":[";
  bool first = true;
  for (const DataNode* file : entry.files) {
    out += first ? "{" : ",{";
    first = false;
    appendText(&out, "path", file->Name());
    out += ",\"size\":" + std::to_string(file->val);
    out += ",\"modified\":" + std::to_string(file->val2) + "}";
  }
  out += "]}";
  return out;
}

}  // namespace

bool WriteJson(const std::vector<OrderedGroup>& groups, int64_t fileCount, OutputSink* sink) {
  sink->Write("{\"groups\":[");
  bool first = true;
  for (const OrderedGroup& entry : groups) {
    if (!sink->Write(first ? "\n" : ",\n")) return false;
    first = false;
    sink->Write(groupJson(entry));
  }
  sink->Write(groups.empty() ? "]," : "\n],");
  sink->Write("\"files\":" + std::to_string(fileCount) + "}\n");
  return !sink->Failed();
}

}  // namespace tf
