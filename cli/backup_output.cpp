#include "cli/backup_output.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "base/quoted_input.h"
#include "cli/terminal_text.h"
#include "platform/display_format.h"
#include "results/backup_names.h"
#include "results/backup_store.h"
#include "results/json_text.h"
#include "results/links_history.h"

namespace tf {
namespace {

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0, n; i < s.size(); i += n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    n = Utf8SequenceLength(s, i);
    char code[8];
    if (n == 0) {
      out += "\\ufffd";
      n = 1;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (c < 0x20) {
      std::snprintf(code, sizeof code, "\\u%04x", c);
      out += code;
    } else
      out.append(s, i, n);
  }
  return out + "\"";
}

std::string attr(DataNode* entry, const char* name) {
  const char* text = entry->attrs.ValueOf(name).AsString();
  return text ? text : "-";
}

// The "size" attribute as a byte count; false when it is missing or no count.
bool sizeValue(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && *value >= 0;
}

void jsonField(std::string* out, const char* name, const std::string& value) {
  *out += std::string(",\"") + name + "\":" + jsonString(value);
  if (!IsValidUtf8(value))
    *out += std::string(",\"") + name + "_base64\":\"" + Base64(value) + "\"";
}

// A comment as the terminal shows it: the " \ " that stands for each line break stays one
// backslash, as in the descriptor; any other backslash is doubled, as TerminalText does.
std::string commentText(const std::string& comment) {
  std::string out;
  size_t start = 0;
  for (size_t at; (at = comment.find(" \\ ", start)) != std::string::npos; start = at + 3)
    out += TerminalText(std::string_view(comment).substr(start, at - start)) + " \\ ";
  return out + TerminalText(std::string_view(comment).substr(start));
}

std::vector<DataNode*> entriesOf(DataNode* root) {
  std::vector<DataNode*> list;
  for (DataNode* e = root ? root->FirstChild() : nullptr; e; e = e->Next()) list.push_back(e);
  return list;
}

}  // namespace

DataNode* FindBackupEntry(DataNode* entries, const std::string& name, std::string* problem) {
  // Tried in this order; the first kind of name that any entry has decides.
  std::vector<DataNode*> byNumberedName, byName, byNumber;
  for (DataNode* e : entriesOf(entries)) {
    const std::string stored = FileNameOf(e->Name());
    if (name == e->Name() || name == stored) return e;
    const int64_t number = StoredNumberOf(stored);
    if (number >= 0 && name == StoredName(number, e->Desc(), false)) byNumberedName.push_back(e);
    if (name == e->Desc()) byName.push_back(e);
    if (number >= 0 && std::to_string(number) == name) byNumber.push_back(e);
  }
  for (const auto* found : {&byNumberedName, &byName, &byNumber}) {
    if (found->empty()) continue;
    if (found->size() == 1) return found->front();
    *problem =
        TerminalText(QuoteInput(name)) + " names more than one backup entry; give the stored name";
    return nullptr;
  }
  *problem = "no backup entry is named " + TerminalText(QuoteInput(name));
  return nullptr;
}

bool WriteBackupText(DataNode* entries, std::FILE* out) {
  std::string text = "number\tname\tlocation\tplaced\ttype\tsize\tcomment\n";
  for (DataNode* e : entriesOf(entries)) {
    std::string number, unit, size = "-";
    int64_t bytes = 0;
    if (sizeValue(attr(e, "size"), &bytes)) {
      FormatSize(bytes, &number, &unit);
      size = number + " " + unit;
    }
    text += std::to_string(StoredNumberOf(FileNameOf(e->Name()))) + "\t" + TerminalText(e->Desc()) +
            "\t" + TerminalText(attr(e, "location")) + "\t" + TerminalText(attr(e, "placed")) +
            "\t" + TerminalText(attr(e, "type")) + "\t" + size + "\t" +
            commentText(attr(e, "comment")) + "\n";
  }
  return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

bool WriteBackupJson(DataNode* entries, std::FILE* out) {
  std::string text = "{\"folder_entries\":[";
  bool first = true;
  for (DataNode* e : entriesOf(entries)) {
    const std::string stored = FileNameOf(e->Name());
    text += first ? "\n{" : ",\n{";
    first = false;
    text += "\"number\":" + std::to_string(StoredNumberOf(stored));
    jsonField(&text, "stored", stored);
    jsonField(&text, "name", e->Desc());
    for (const char* key : {"location", "placed", "modified", "type", "comment"})
      jsonField(&text, key, attr(e, key));
    int64_t bytes = 0;
    text += ",\"size\":" +
            (sizeValue(attr(e, "size"), &bytes) ? std::to_string(bytes) : std::string("null"));
    text += std::string(",\"compressed\":") + (IsCompressedEntry(e) ? "true" : "false") + "}";
  }
  text += "\n]}\n";
  return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

}  // namespace tf
