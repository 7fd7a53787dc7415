#include "scan/name_filter.h"

#include <vector>

namespace tf {

namespace {

std::vector<std::string_view> splitMasks(std::string_view text) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    size_t semi = text.find(';', start);
    if (semi == std::string_view::npos) {
      // A final ';' ends the list rather than adding an empty mask: "*.doc;*.txt;"
      // is the form the collections store.
      if (start < text.size()) pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, semi - start));
    start = semi + 1;
  }
}

}  // namespace

std::unique_ptr<NameFilter> NameFilter::Make(DataNode* node) {
  if (!node) return nullptr;
  auto filter = std::make_unique<NameFilter>();
  filter->Load(node);
  return filter;
}

std::string NameFilter::CleanMaskText(std::string_view text) {
  std::string out;
  out.reserve(text.size() < kMaxMaskText ? text.size() : kMaxMaskText);
  for (char c : text) {
    if (out.size() == kMaxMaskText) break;
    if (c == ' ') continue;
    out.push_back(c == ',' ? ';' : c);
  }
  return out;
}

bool NameFilter::Load(DataNode* node) {
  if (!node) return false;
  m_enabled = static_cast<int>(node->val);
  m_includeAll = false;
  m_excludeNone = false;
  m_include.Clear();
  m_exclude.Clear();

  const char* include = node->attrs.ValueOf("include").AsString();
  std::string text = CleanMaskText(include && *include ? include : "*.*");
  for (std::string_view piece : splitMasks(text)) {
    if (piece == "*.*" || piece == "*") {
      m_includeAll = true;
      break;
    }
    m_include.Add(piece);  // a full list drops the rest
  }

  const char* exclude = node->attrs.ValueOf("exclude").AsString();
  if (!exclude) {
    m_excludeNone = true;
  } else {
    std::string ex = CleanMaskText(exclude);
    std::vector<std::string_view> pieces = splitMasks(ex);
    if (pieces.empty() || pieces.front().empty()) {
      m_excludeNone = true;
    } else {
      for (std::string_view piece : pieces) m_exclude.Add(piece);
    }
  }
  if (!m_excludeNone && m_exclude.Count() == 0) m_excludeNone = true;
  if (!m_includeAll && m_include.Count() == 0) m_includeAll = true;
  m_loaded = true;
  return true;
}

bool NameFilter::MatchName(std::string_view name) {
  if (!m_enabled) return true;
  if (m_includeAll && m_excludeNone) return true;
  m_name.Assign(name);
  if (!m_includeAll && !m_include.Match(m_name)) return false;
  if (!m_excludeNone && m_exclude.Match(m_name)) return false;
  return true;
}

}  // namespace tf
