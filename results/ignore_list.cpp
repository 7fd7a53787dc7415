#include "results/ignore_list.h"

#include <algorithm>

#include "results/json_reader.h"
#include "results/json_text.h"

namespace tf {

namespace {

constexpr const char* kFormat = "twinfold-ignored";
constexpr int64_t kVersion = 1;

IgnoreList::Entry asEntry(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  return paths;
}

// {"path":"..."} or {"path":"...","path_base64":"..."}: the exact bytes win.
bool readPath(JsonCursor& json, std::string* out) {
  if (!json.Consume('{')) return false;
  std::string text, base64, key;
  bool seen = false, seen64 = false;
  for (bool first = true; json.More('}', &first);) {
    if (!json.Key(&key)) return false;
    if (key == "path") {
      if (!json.String(&text)) return false;
      seen = true;
    } else if (key == "path_base64") {
      if (!json.String(&base64)) return false;
      seen64 = true;
    } else if (!json.Skip()) {
      return false;
    }
  }
  if (json.Failed()) return false;
  if (seen64) return FromBase64(base64, out) || json.Fail("a path_base64 is not base64");
  if (!seen) return json.Fail("an entry's path has no \"path\"");
  *out = text;
  return true;
}

bool readEntry(JsonCursor& json, IgnoreList::Entry* out) {
  if (!json.Consume('{')) return false;
  std::string key;
  bool sawPaths = false;
  for (bool first = true; json.More('}', &first);) {
    if (!json.Key(&key)) return false;
    if (key != "paths") {
      if (!json.Skip()) return false;
      continue;
    }
    sawPaths = true;
    if (!json.Consume('[')) return false;
    for (bool firstPath = true; json.More(']', &firstPath);) {
      std::string path;
      if (!readPath(json, &path)) return false;
      out->push_back(std::move(path));
    }
    if (json.Failed()) return false;
  }
  if (json.Failed()) return false;
  if (!sawPaths) return json.Fail("an entry has no \"paths\"");
  return true;
}

}  // namespace

IgnoreList::Added IgnoreList::Add(std::vector<std::string> paths) {
  Entry entry = asEntry(std::move(paths));
  if (entry.size() < 2) return Added::kTooFew;
  if (std::find(m_entries.begin(), m_entries.end(), entry) != m_entries.end())
    return Added::kAlreadyThere;
  m_entries.push_back(std::move(entry));
  index(static_cast<uint32_t>(m_entries.size() - 1));
  return Added::kAdded;
}

bool IgnoreList::RemoveAt(size_t at) {
  if (at >= m_entries.size()) return false;
  m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(at));
  reindex();
  return true;
}

bool IgnoreList::Remove(std::vector<std::string> paths) {
  const auto found = std::find(m_entries.begin(), m_entries.end(), asEntry(std::move(paths)));
  return found != m_entries.end() && RemoveAt(static_cast<size_t>(found - m_entries.begin()));
}

void IgnoreList::Clear() {
  m_entries.clear();
  m_byPath.clear();
}

void IgnoreList::index(uint32_t entry) {
  for (const std::string& path : m_entries[entry]) m_byPath[path].push_back(entry);
}

void IgnoreList::reindex() {
  m_byPath.clear();
  for (uint32_t entry = 0; entry < m_entries.size(); ++entry) index(entry);
}

bool IgnoreList::Hides(const std::vector<std::string>& paths) const {
  if (paths.empty() || m_entries.empty()) return false;
  const auto first = m_byPath.find(paths.front());
  if (first == m_byPath.end()) return false;
  for (uint32_t entry : first->second) {
    const Entry& set = m_entries[entry];
    const bool all = std::all_of(paths.begin() + 1, paths.end(), [&set](const std::string& path) {
      return std::binary_search(set.begin(), set.end(), path);
    });
    if (all) return true;
  }
  return false;
}

bool IgnoreList::HidesGroup(const DataNode* group) const {
  if (!group || !group->FirstChild() || m_entries.empty()) return false;
  // Most groups end at their first file, which no entry holds.
  if (m_byPath.find(FullName(group->FirstChild())) == m_byPath.end()) return false;
  std::vector<std::string> paths;
  for (const DataNode* file = group->FirstChild(); file; file = file->Next())
    paths.push_back(FullName(file));
  return Hides(paths);
}

std::string IgnoreList::ToJson() const {
  std::string out = std::string("{\"format\":\"") + kFormat +
                    "\",\"version\":" + std::to_string(kVersion) + ",\"entries\":[";
  for (size_t e = 0; e < m_entries.size(); ++e) {
    out += e == 0 ? "\n{\"paths\":[" : ",\n{\"paths\":[";
    for (size_t p = 0; p < m_entries[e].size(); ++p) {
      out += p == 0 ? "{" : ",{";
      AppendJsonText(&out, "path", m_entries[e][p]);
      out += '}';
    }
    out += "]}";
  }
  out += "\n]}\n";
  return out;
}

bool IgnoreList::FromJson(std::string_view text, std::string* error) {
  JsonCursor json(text);
  std::vector<Entry> entries;
  std::string format, key;
  int64_t version = 0;
  bool sawEntries = false;
  if (json.Consume('{')) {
    for (bool first = true; json.More('}', &first);) {
      if (!json.Key(&key)) break;
      if (key == "format") {
        json.String(&format);
      } else if (key == "version") {
        json.Integer(&version);
      } else if (key == "entries") {
        sawEntries = true;
        if (!json.Consume('[')) break;
        for (bool firstEntry = true; json.More(']', &firstEntry);) {
          Entry entry;
          if (!readEntry(json, &entry)) break;
          entries.push_back(std::move(entry));
        }
      } else {
        json.Skip();
      }
      if (json.Failed()) break;
    }
    if (!json.Failed() && !json.AtEnd()) json.Fail("text after the list");
  }
  if (!json.Failed() && format != kFormat) json.Fail("it is not an ignore list");
  if (!json.Failed() && version != kVersion)
    json.Fail("version " + std::to_string(version) + " is not known");
  if (!json.Failed() && !sawEntries) json.Fail("it has no \"entries\"");
  IgnoreList read;
  for (Entry& entry : entries)
    if (!json.Failed() && read.Add(std::move(entry)) == Added::kTooFew)
      json.Fail("an entry holds fewer than two paths");
  if (json.Failed()) {
    if (error) *error = json.Error();
    return false;
  }
  *this = std::move(read);
  return true;
}

}  // namespace tf
