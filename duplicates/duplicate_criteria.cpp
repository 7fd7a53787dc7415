#include "duplicates/duplicate_criteria.h"

#include <algorithm>

namespace tf {

namespace {

// The stored values of the name rule; the order of NameRule is not part of the file.
constexpr int kStoredExact = 0;
constexpr int kStoredAnyExtension = 1;
constexpr int kStoredFirstSymbols = 2;
constexpr int kStoredSimilar = 3;

bool validSymbols(int n) {
  return n >= kMinSymbols && n <= kMaxSymbols;
}

int validSimilarity(int p) {
  return p >= kMinSimilarity && p <= kMaxSimilarity ? p : kDefaultSimilarity;
}

int validTolerance(int seconds) {
  return std::clamp(seconds, 0, kMaxTimeTolerance);
}

int storedName(NameRule rule) {
  switch (rule) {
    case NameRule::kAnyExtension:
      return kStoredAnyExtension;
    case NameRule::kFirstSymbols:
      return kStoredFirstSymbols;
    case NameRule::kSimilar:
      return kStoredSimilar;
    case NameRule::kExact:
      break;
  }
  return kStoredExact;
}

}  // namespace

DuplicateCriteria DuplicateCriteria::WithSymbols(int n) const {
  DuplicateCriteria chosen = *this;
  chosen.name = NameRule::kFirstSymbols;
  chosen.symbols = validSymbols(n) ? n : kDefaultSymbols;
  return chosen;
}

DuplicateCriteria DuplicateCriteria::WithSimilarity(int percent) const {
  DuplicateCriteria chosen = *this;
  chosen.name = NameRule::kSimilar;
  chosen.similarity = validSimilarity(percent);
  return chosen;
}

std::optional<DuplicateCriteria> ReadCriteria(DataNode* settings) {
  if (!settings) return std::nullopt;
  const int name = settings->attrs.ValueOf("name").AsInt();
  const int symbols = settings->attrs.ValueOf("symbols").AsInt();
  DuplicateCriteria criteria;
  criteria.symbols = validSymbols(symbols) ? symbols : kDefaultSymbols;
  if (name == kStoredExact)
    criteria.name = NameRule::kExact;
  else if (name == kStoredFirstSymbols)
    criteria.name = validSymbols(symbols) ? NameRule::kFirstSymbols : NameRule::kExact;
  else if (name == kStoredSimilar)
    criteria.name = NameRule::kSimilar;
  else
    criteria.name = NameRule::kAnyExtension;
  criteria.sameTime = settings->attrs.ValueOf("time").AsInt() == 0;
  criteria.sameSize = settings->attrs.ValueOf("size").AsInt() == 0;
  criteria.foldCase = settings->attrs.ValueOf("fold_case").AsInt() == 1;
  criteria.normalize = settings->attrs.ValueOf("normalize").AsInt() == 1;
  criteria.timeTolerance = validTolerance(settings->attrs.ValueOf("time_tolerance").AsInt());
  criteria.acrossRoots = settings->attrs.ValueOf("across_roots").AsInt() == 1;
  criteria.withProtected = settings->attrs.ValueOf("with_protected").AsInt() == 1;
  criteria.findFolders = settings->attrs.ValueOf("find_folders").AsInt() == 1;
  criteria.similarity = validSimilarity(settings->attrs.ValueOf("similarity").AsInt());
  return criteria;
}

bool WriteCriteria(const DuplicateCriteria& criteria, DataNode* settings) {
  if (!settings) return false;
  const int symbols = validSymbols(criteria.symbols) ? criteria.symbols : kDefaultSymbols;
  const std::pair<const char*, int> values[] = {
      {"name", storedName(criteria.name)},
      {"symbols", symbols},
      {"time", criteria.sameTime ? 0 : 1},
      {"size", criteria.sameSize ? 0 : 1},
      {"fold_case", criteria.foldCase ? 1 : 0},
      {"normalize", criteria.normalize ? 1 : 0},
      {"time_tolerance", validTolerance(criteria.timeTolerance)},
      {"across_roots", criteria.acrossRoots ? 1 : 0},
      {"with_protected", criteria.withProtected ? 1 : 0},
      {"find_folders", criteria.findFolders ? 1 : 0},
      {"similarity", validSimilarity(criteria.similarity)}};
  bool stored = true;
  for (const auto& [attribute, value] : values)
    stored = settings->attrs.Set(attribute, AttrValue::FromInt(value), 1) != 0 && stored;
  return stored;
}

}  // namespace tf
