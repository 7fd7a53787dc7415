#include "cli/backup_output.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "platform/display_format.h"
#include "results/backup_names.h"
#include "results/links_history.h"

namespace tf {
namespace {

// Length of the well-formed UTF-8 sequence at `i`, or 0.
size_t utf8Length(const std::string& s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(i);
  if (c < 0x80) return 1;
  size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  unsigned char c1 = byte(i + 1);
  if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
      (c == 0xF4 && c1 > 0x8F))
    return 0;
  return n;
}

bool isUtf8(const std::string& s) {
  for (size_t i = 0, n; i < s.size(); i += n)
    if ((n = utf8Length(s, i)) == 0) return false;
  return true;
}

std::string hexByte(unsigned char c) {
  static const char* digits = "0123456789abcdef";
  return std::string{'\\', 'x', digits[c >> 4], digits[c & 15]};
}

std::string escapedText(const std::string& s) {
  std::string out;
  for (size_t i = 0, n; i < s.size(); i += n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    n = utf8Length(s, i);
    if (n == 0) {
      out += hexByte(c);
      n = 1;
    } else if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (c < 0x20 || c == 0x7F)
      out += hexByte(c);
    else
      out.append(s, i, n);
  }
  return out;
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0, n; i < s.size(); i += n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    n = utf8Length(s, i);
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

std::string base64(const std::string& bytes) {
  static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += table[v >> 18 & 63];
    out += table[v >> 12 & 63];
    out += i + 1 < bytes.size() ? table[v >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? table[v & 63] : '=';
  }
  return out;
}

std::string attr(DataNode* entry, const char* name) {
  const char* text = entry->attrs.ValueOf(name).AsString();
  return text ? text : "-";
}

int64_t sizeValue(const std::string& text) {
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

void jsonField(std::string* out, const char* name, const std::string& value) {
  *out += std::string(",\"") + name + "\":" + jsonString(value);
  if (!isUtf8(value)) *out += std::string(",\"") + name + "_base64\":\"" + base64(value) + "\"";
}

std::vector<DataNode*> entriesOf(DataNode* root) {
  std::vector<DataNode*> list;
  for (DataNode* e = root ? root->FirstChild() : nullptr; e; e = e->Next()) list.push_back(e);
  return list;
}

}  // namespace

DataNode* FindBackupEntry(DataNode* entries, const std::string& name, std::string* problem) {
  std::vector<DataNode*> byName, byNumber;
  for (DataNode* e : entriesOf(entries)) {
    const std::string stored = FileNameOf(e->Name());
    if (name == e->Name() || name == stored) return e;
    if (name == e->Desc()) byName.push_back(e);
    if (std::to_string(StoredNumberOf(stored)) == name) byNumber.push_back(e);
  }
  const auto& found = byName.empty() ? byNumber : byName;
  if (found.size() == 1) return found.front();
  *problem = found.empty() ? "no backup entry is named " + name
                           : name + " names more than one backup entry; give the stored name";
  return nullptr;
}

bool WriteBackupText(DataNode* entries, std::FILE* out) {
  std::string text = "number\tname\tlocation\tplaced\ttype\tsize\tcomment\n";
  for (DataNode* e : entriesOf(entries)) {
    std::string number, unit;
    const std::string size = attr(e, "size");
    if (size != "-") FormatSize(sizeValue(size), &number, &unit);
    text += std::to_string(StoredNumberOf(FileNameOf(e->Name()))) + "\t" + escapedText(e->Desc()) +
            "\t" + escapedText(attr(e, "location")) + "\t" + escapedText(attr(e, "placed")) + "\t" +
            escapedText(attr(e, "type")) + "\t" + (size == "-" ? size : number + " " + unit) +
            "\t" + escapedText(attr(e, "comment")) + "\n";
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
    const std::string size = attr(e, "size");
    text += ",\"size\":" + (size == "-" ? std::string("null") : std::to_string(sizeValue(size)));
    text += std::string(",\"compressed\":") + (IsCompressedName(stored) ? "true" : "false") + "}";
  }
  text += "\n]}\n";
  return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

}  // namespace tf
