#include "scan/attribute_filter.h"

namespace tf {

namespace {

bool obeys(int32_t rule, uint32_t attributes, uint32_t bit) {
  if (rule == AttributeFilter::kMustBeSet) return (attributes & bit) != 0;
  if (rule == AttributeFilter::kMustBeClear) return (attributes & bit) == 0;
  return true;
}

}  // namespace

std::unique_ptr<AttributeFilter> AttributeFilter::Make(DataNode* node) {
  if (!node) return nullptr;
  auto filter = std::make_unique<AttributeFilter>();
  filter->Load(node);
  return filter;
}

bool AttributeFilter::Load(DataNode* node) {
  if (!node) return false;
  m_enabled = static_cast<int>(node->val);
  m_readOnly = node->attrs.ValueOf("readonly").AsInt();
  m_archive = node->attrs.ValueOf("archive").AsInt();
  m_hidden = node->attrs.ValueOf("hidden").AsInt();
  m_system = node->attrs.ValueOf("system").AsInt();
  m_loaded = true;
  return true;
}

bool AttributeFilter::Match(const FileInfo& entry) {
  if (accepts()) return true;
  const uint32_t a = entry.attributes;
  return obeys(m_readOnly, a, kAttrReadOnly) && obeys(m_archive, a, kAttrArchive) &&
         obeys(m_hidden, a, kAttrHidden) && obeys(m_system, a, kAttrSystem);
}

}  // namespace tf
