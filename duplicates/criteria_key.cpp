#include "duplicates/criteria_key.h"

#include "duplicates/duplicate_key.h"
#include "platform/unicode_text.h"

namespace tf {

bool KeyIsName(const DuplicateCriteria& criteria) {
  return criteria.name == NameRule::kExact && !criteria.foldCase && !criteria.normalize;
}

std::string ComparedName(std::string_view name, const DuplicateCriteria& criteria) {
  return ComparableText(name, criteria.normalize, criteria.foldCase);
}

std::string CriteriaKey(std::string_view name, const DuplicateCriteria& criteria) {
  if (criteria.name == NameRule::kSimilar) {
    if (!IsWellFormedUtf8(name)) return kSimilarBytes + std::string(name);
    const std::string compared = ComparableText(name, true, true);
    const size_t ext = ExtensionStart(compared);
    if (ext == kNoExtension) return std::string(kSimilarNoExtension);
    return "." + compared.substr(ext);
  }
  if (KeyIsName(criteria)) return std::string(name);
  return MakeDuplicateKey(ComparedName(name, criteria), criteria.name, criteria.KeySymbols());
}

std::string SimilarStem(std::string_view name) {
  if (!IsWellFormedUtf8(name)) return std::string();
  std::string compared = ComparableText(name, true, true);
  const size_t ext = ExtensionStart(compared);
  if (ext != kNoExtension) compared.resize(ext - 1);
  return compared;
}

}  // namespace tf
