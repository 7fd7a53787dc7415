// The key a file name is filed under for a set of criteria: the name rule's key of the
// name in the form the criteria compare names in.
#pragma once

#include <string>
#include <string_view>

#include "duplicates/duplicate_criteria.h"

namespace tf {

// Whether every name is its own key (exact names compared byte for byte), so that the
// index keeps one text for both.
bool KeyIsName(const DuplicateCriteria& criteria);

// The name as the criteria compare it: composed and/or case-folded when asked; a name
// that is not valid UTF-8 unchanged.
std::string ComparedName(std::string_view name, const DuplicateCriteria& criteria);

// The key of `name`. Under NameRule::kSimilar it is what every file alike must share: the
// composed, case-folded extension ("." and the extension, or kSimilarNoExtension), and
// for a name that is not valid UTF-8 kSimilarBytes followed by the name's bytes, which
// only the same bytes share. Otherwise the name rule's key of ComparedName.
std::string CriteriaKey(std::string_view name, const DuplicateCriteria& criteria);

// Leading bytes of similar-names keys; neither begins valid UTF-8, so no extension key
// equals them.
inline constexpr char kSimilarBytes = '\xFF';
inline constexpr std::string_view kSimilarNoExtension = "\xFE";

// Under NameRule::kSimilar: the composed, case-folded name without its extension (empty
// for a name that is not valid UTF-8).
std::string SimilarStem(std::string_view name);

}  // namespace tf
