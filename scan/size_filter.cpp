#include "scan/size_filter.h"

namespace tf {

std::unique_ptr<SizeFilter> SizeFilter::Make(DataNode* node) {
  if (!node) return nullptr;
  auto filter = std::make_unique<SizeFilter>();
  filter->Load(node);
  return filter;
}

int64_t SizeFilter::Bytes(int32_t value, int32_t unit) {
  switch (unit) {
    case 1:
      return int64_t{value} * 1048576;
    case 2:
      return int64_t{value} * 1073741824;
    default:
      return int64_t{value} * 1024;
  }
}

bool SizeFilter::Load(DataNode* node) {
  if (!node) return false;
  AttrList& a = node->attrs;
  m_enabled = static_cast<int>(node->val);
  const int64_t first = Bytes(a.ValueOf("value1").AsInt(), a.ValueOf("units1").AsInt());
  switch (a.ValueOf("switch").AsInt()) {
    case 1:  // at most
      m_lower = 0;
      m_upper = first;
      break;
    case 2:  // between
      m_lower = first;
      m_upper = Bytes(a.ValueOf("value2").AsInt(), a.ValueOf("units2").AsInt());
      break;
    default:  // at least
      m_lower = first;
      m_upper = INT64_MAX;
  }
  m_loaded = true;
  return true;
}

bool SizeFilter::Match(const FileInfo& entry) {
  if (accepts()) return true;
  return entry.size >= m_lower && entry.size <= m_upper;
}

}  // namespace tf
