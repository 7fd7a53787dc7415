#include "results/results_file.h"

#include <cstdio>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "datatree/node_arena.h"
#include "datatree/node_xml.h"
#include "duplicates/criteria_key.h"
#include "duplicates/duplicate_criteria.h"
#include "duplicates/duplicate_key.h"
#include "platform/stored_file.h"
#include "platform/unicode_text.h"
#include "results/json_reader.h"
#include "results/json_text.h"
#include "results/result_rows.h"
#include "scan/folder_list.h"

namespace tf {
namespace {

// Whether a file of this name can stand in the group of this name under the criteria:
// by the key that filed it; under similar names, which the group is named after one of,
// by the extension they share.
bool fitsGroup(const std::string& name, const DuplicateCriteria& criteria,
               const std::string& groupName) {
  if (criteria.name != NameRule::kSimilar)
    return GroupNameOf(CriteriaKey(name, criteria)) == groupName;
  if (!IsWellFormedUtf8(name)) return GroupNameOf(name) == groupName;
  return CriteriaKey(name, criteria) == CriteriaKey(groupName, criteria);
}

constexpr const char* kResultRoot = "Duplicate files results";

// "2026-12-07T17:30:05Z" of a file time.
std::string isoUtc(int64_t fileTime) {
  int64_t seconds = fileTime / 10000000 - 11644473600LL;
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date of a day count since 1970-01-01 (proleptic Gregorian).
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}

void appendPaths(std::string* out, const char* name, const std::vector<std::string>& paths) {
  *out += '"';
  *out += name;
  *out += "\":[";
  for (size_t i = 0; i < paths.size(); ++i) {
    *out += i == 0 ? "{" : ",{";
    AppendJsonText(out, "path", paths[i]);
    *out += '}';
  }
  *out += "],";
}

// The criteria of a descriptor, as the search read them.
DuplicateCriteria criteriaOf(const DataNode* descriptor) {
  return ReadCriteria(FindChild(const_cast<DataNode*>(descriptor), "settings"))
      .value_or(DuplicateCriteria{});
}

// A text member: the exact bytes of "<name>_base64" when it is there, else the text.
struct TextField {
  std::string text;
  std::string base64;
  bool seen = false;
  bool Value(std::string* out) const {
    if (base64.empty()) {
      *out = text;
      return seen;
    }
    return FromBase64(base64, out);
  }
};

// Reads the member `key` into `field` when it is "<name>" or "<name>_base64"; false when
// the member is another one.
bool readText(JsonCursor& json, const std::string& key, const char* name, TextField* field) {
  if (key == name) {
    field->seen = true;
    return json.String(&field->text);
  }
  if (key == std::string(name) + "_base64") return json.String(&field->base64);
  return false;
}

class Loader {
 public:
  Loader(JsonCursor& json, LoadedResults* out) : m_json(json), m_out(out) {}

  bool Document() {
    if (!m_json.Consume('{')) return false;
    bool sawGroups = false;
    std::string key;
    for (bool first = true; m_json.More('}', &first);) {
      if (!m_json.Key(&key)) return false;
      bool ok = true;
      if (key == "format") {
        ok = m_json.String(&m_format);
      } else if (key == "version") {
        ok = m_json.Integer(&m_version);
      } else if (key == "program") {
        ok = m_json.String(&m_out->program);
      } else if (key == "made") {
        ok = m_json.String(&m_out->made);
      } else if (key == "descriptor") {
        ok = m_json.String(&m_descriptorXml);
      } else if (key == "groups") {
        sawGroups = true;
        ok = groups();
      } else {
        ok = m_json.Skip();  // the readable copies of the header, and what a newer adds
      }
      if (!ok) return false;
    }
    if (m_json.Failed()) return false;
    if (!m_json.AtEnd()) return m_json.Fail("text after the end");
    if (!sawGroups) return m_json.Fail("no \"groups\"");
    return header();
  }

 private:
  bool header() {
    if (m_format.empty() && m_version == 0 && m_descriptorXml.empty()) return true;  // older
    if (m_format != kResultsFormatName)
      return m_json.Fail("the format is \"" + m_format + "\", not \"" + kResultsFormatName + "\"");
    if (m_version != kResultsFormatVersion)
      return m_json.Fail("version " + std::to_string(m_version) + " is not readable here (" +
                         std::to_string(kResultsFormatVersion) + " is)");
    m_out->descriptor.reset(ParseNodeXml(nullptr, m_descriptorXml));
    if (!m_out->descriptor || std::string(m_out->descriptor->Name()) != "Descriptor" ||
        !FindChild(m_out->descriptor.get(), "folders") ||
        !FindChild(m_out->descriptor.get(), "settings"))
      return m_json.Fail("the header holds no search descriptor");
    return true;
  }

  bool groups() {
    if (!m_json.Consume('[')) return false;
    for (bool first = true; m_json.More(']', &first);)
      if (!group()) return false;
    return !m_json.Failed();
  }

  bool group() {
    if (!m_json.Consume('{')) return false;
    TextField key, type;
    DataNode* node = CreateNode(m_out->root.get(), "", ATTACH_LAST_CHILD);
    if (!node) return m_json.Fail("out of memory");
    node->kind = 1;
    bool sawFiles = false;
    std::string name;
    for (bool first = true; m_json.More('}', &first);) {
      if (!m_json.Key(&name)) return false;
      if (readText(m_json, name, "key", &key) || readText(m_json, name, "type", &type)) continue;
      if (m_json.Failed()) return false;
      if (name == "files") {
        sawFiles = true;
        if (!files(node)) return false;
      } else if (name == "verified") {
        bool verified = false;
        if (!m_json.Bool(&verified)) return false;
        if (verified) node->group = kVerifiedGroup;
      } else if (!m_json.Skip()) {  // "count" and "size" are counted again below
        return false;
      }
    }
    if (m_json.Failed()) return false;
    std::string keyText, typeText;
    if (!key.Value(&keyText) || !sawFiles) return m_json.Fail("a group without its key or files");
    SetName(node, keyText);
    SetDesc(node, type.Value(&typeText) ? typeText : GroupDescriptionOf(keyText));
    int64_t count = 0, size = 0;
    for (const DataNode* file = node->FirstChild(); file; file = file->Next()) {
      ++count;
      size += file->val;
    }
    if (count < 2) return m_json.Fail("a group of fewer than two files");
    node->val = size;
    node->val2 = count;
    m_out->files += count;
    return true;
  }

  bool files(DataNode* group) {
    if (!m_json.Consume('[')) return false;
    std::string name;
    for (bool first = true; m_json.More(']', &first);) {
      if (!m_json.Consume('{')) return false;
      TextField path;
      int64_t size = -1, modified = 0;
      bool sawTime = false;
      for (bool inner = true; m_json.More('}', &inner);) {
        if (!m_json.Key(&name)) return false;
        if (readText(m_json, name, "path", &path)) continue;
        if (m_json.Failed()) return false;
        bool ok = true;
        if (name == "size") {
          ok = m_json.Integer(&size);
        } else if (name == "modified") {
          ok = m_json.Integer(&modified);
          sawTime = true;
        } else {
          ok = m_json.Skip();
        }
        if (!ok) return false;
      }
      if (m_json.Failed()) return false;
      if (!path.Value(&m_path) || m_path.empty() || size < 0 || !sawTime)
        return m_json.Fail("a file without its path, size or time");
      if (!addFile(group, size, modified)) return m_json.Fail("out of memory");
    }
    return !m_json.Failed();
  }

  bool addFile(DataNode* group, int64_t size, int64_t modified) {
    const size_t slash = m_path.rfind('/');
    const size_t cut = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view folder(m_path.data(), cut);
    DataNode* node = nullptr;
    if (cut > 0) {
      // The files of a result share few folders: each folder's text is kept once.
      auto [at, isNew] = m_folders.try_emplace(std::string(folder), nullptr);
      if (isNew) at->second = m_arena.StoreFolder(nullptr, folder);
      if (at->second)
        node = m_arena.CreateInFolder(group, std::string_view(m_path).substr(cut), at->second,
                                      ATTACH_LAST_CHILD);
    } else {
      node = m_arena.Create(group, m_path, nullptr, ATTACH_LAST_CHILD);
    }
    if (!node) return false;
    node->val = size;
    node->val2 = modified;
    return true;
  }

  JsonCursor& m_json;
  LoadedResults* m_out;
  NodeArena m_arena;
  std::unordered_map<std::string, const FolderText*> m_folders;
  std::string m_path;
  std::string m_format;
  int64_t m_version = 0;
  std::string m_descriptorXml;
};

bool hasDotParts(std::string_view path) {
  for (size_t at = 0; at < path.size();) {
    const size_t next = path.find('/', at);
    const std::string_view part =
        path.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at);
    if (part == "." || part == ".." || (part.empty() && at > 0)) return true;
    if (next == std::string_view::npos) break;
    at = next + 1;
  }
  return path.empty() || path.back() == '/';
}

bool underAny(const std::string& path, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders)
    if (IsBelow(path, folder)) return true;
  return false;
}

}  // namespace

std::string ResultsHeaderJson(const ResultsHeader& header) {
  std::string out = "\"format\":\"";
  out += kResultsFormatName;
  out += "\",\"version\":" + std::to_string(kResultsFormatVersion) + ",";
  AppendJsonText(&out, "program", header.program);
  out += ",\"made\":\"" + isoUtc(header.made) + "\",\n";
  DataNode* descriptor = const_cast<DataNode*>(header.descriptor);
  appendPaths(&out, "folders", IncludePaths(descriptor));
  appendPaths(&out, "exclude", ExcludePaths(descriptor));
  appendPaths(&out, "protected", ProtectedFolders(descriptor));
  // In the words of twinfold-cli's options.
  const DuplicateCriteria criteria = criteriaOf(descriptor);
  static const char* const kNames[] = {"exact", "noext", "first"};
  out += std::string("\n\"criteria\":{\"name\":\"") + kNames[static_cast<int>(criteria.name)] +
         "\",\"symbols\":" + std::to_string(criteria.symbols) + ",\"time\":\"" +
         (criteria.sameTime ? "same" : "any") + "\",\"size\":\"" +
         (criteria.sameSize ? "same" : "any") + "\"},\n";
  std::string xml;
  WriteNodeXml(descriptor, &xml, false);
  // The descriptor whole (filters included), in the form the settings file keeps it: the
  // members above are its readable copies, the reader trusts only this one.
  AppendJsonText(&out, "descriptor", xml);
  out += ",\n";
  return out;
}

int ParseResults(std::string_view text, LoadedResults* out, std::string* error) {
  *out = LoadedResults();
  out->root.reset(CreateNode(nullptr, kResultRoot, ATTACH_ROOT));
  JsonCursor json(text);
  Loader loader(json, out);
  if (!out->root || !loader.Document()) {
    *error = json.Failed() ? "not a results file: " + json.Error() : "out of memory";
    *out = LoadedResults();
    return 0;
  }
  out->root->val2 = out->files;
  return 1;
}

int ReadResultsFile(const std::string& path, LoadedResults* out, std::string* error) {
  std::string text;
  if (!ReadStoredFile(path, &text, kMaxResultsFileBytes, error)) return 0;
  return ParseResults(text, out, error);
}

std::string WhyResultsUntrusted(const LoadedResults& results) {
  if (!results.descriptor)
    return "the file has no header naming the folders it came from (an older results file)";
  DataNode* descriptor = results.descriptor.get();
  const std::vector<std::string> roots = IncludePaths(descriptor);
  const std::vector<std::string> excluded = ExcludePaths(descriptor);
  // The search's own reading of its criteria and its own key, so that a key is checked by
  // the rule that made it.
  const DuplicateCriteria criteria = criteriaOf(descriptor);
  std::unordered_set<std::string> seen;
  for (const DataNode* group = results.root->FirstChild(); group; group = group->Next()) {
    for (const DataNode* file = group->FirstChild(); file; file = file->Next()) {
      const std::string path = FullName(file);
      if (path.front() != '/' || hasDotParts(path)) return path + ": not a plain absolute path";
      bool inRoot = false;
      for (const std::string& root : roots) inRoot = inRoot || IsBelow(path, root);
      if (!inRoot) return path + ": outside the folders that were searched";
      if (underAny(path, excluded)) return path + ": in a folder the search left out";
      if (!seen.insert(path).second) return path + ": listed twice";
      const std::string name = path.substr(path.rfind('/') + 1);
      if (!fitsGroup(name, criteria, group->Name()))
        return path + ": its name does not belong to the group \"" + group->Name() + "\"";
      if (criteria.sameSize && file->val != group->FirstChild()->val)
        return path + ": its size differs from its group's";
    }
  }
  return "";
}

std::vector<std::string> SavedProtectedFolders(const LoadedResults& results) {
  return results.descriptor ? ProtectedFolders(results.descriptor.get())
                            : std::vector<std::string>();
}

std::vector<std::string> SavedSearchFolders(const LoadedResults& results) {
  return results.descriptor ? IncludePaths(results.descriptor.get()) : std::vector<std::string>();
}

}  // namespace tf
