#include "cli/result_order.h"

#include <algorithm>
#include <string_view>

#include "base/text_fold.h"

namespace tf {
namespace {

// CompareIgnoringCase without its two allocations while both texts are ASCII, which paths
// mostly are: sorting a group of 100,000 files otherwise spent most of its time, or (with
// folded copies kept) most of its memory, on folding. The folds of an ASCII character are
// one byte, so once a byte of 0x80 or above is met the rest can be compared as a whole.
int compareNames(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80) return CompareIgnoringCase(a.substr(i), b.substr(i));
    const int fx = x >= 'a' && x <= 'z' ? x - 32 : x, fy = y >= 'a' && y <= 'z' ? y - 32 : y;
    if (fx != fy) return fx < fy ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

int compareNames(const DataNode* a, const DataNode* b) {
  return compareNames(std::string_view(a->Name()), std::string_view(b->Name()));
}

// Descending for the numbers: the largest group, the most files, the newest file first.
int compareDescending(int64_t a, int64_t b) {
  return a > b ? -1 : a < b ? 1 : 0;
}

// <0 when `a` comes first. The primary comparison is reversed on request; the tie-break by
// name never is.
int compareGroups(const DataNode* a, const DataNode* b, SortBy key, bool reverse) {
  int primary = 0;
  switch (key) {
    case SortBy::kSize:
      primary = compareDescending(a->val, b->val);
      break;
    case SortBy::kCount:
      primary = compareDescending(a->val2, b->val2);
      break;
    case SortBy::kType:
      primary = compareNames(a->Desc(), b->Desc());
      break;
    case SortBy::kName:
    case SortBy::kTime:
      primary = compareNames(a, b);
      break;
  }
  if (reverse && key != SortBy::kTime) primary = -primary;
  if (primary != 0 || key == SortBy::kName || key == SortBy::kTime) return primary;
  return compareNames(a, b);
}

int compareFiles(const DataNode* a, const DataNode* b, SortBy key, bool reverse) {
  int primary = 0;
  if (key == SortBy::kSize)
    primary = compareDescending(a->val, b->val);
  else if (key == SortBy::kTime)
    primary = compareDescending(a->val2, b->val2);
  else
    return compareNames(a, b);
  if (reverse) primary = -primary;
  return primary != 0 ? primary : compareNames(a, b);
}

}  // namespace

std::vector<OrderedGroup> OrderResults(const DataNode* root, SortBy key, bool reverse) {
  std::vector<OrderedGroup> groups;
  if (!root) return groups;
  for (const DataNode* group = root->FirstChild(); group; group = group->Next()) {
    if (group->kind == 0) continue;
    OrderedGroup entry{group, {}};
    for (const DataNode* file = group->FirstChild(); file; file = file->Next())
      entry.files.push_back(file);
    std::stable_sort(
        entry.files.begin(), entry.files.end(),
        [&](const DataNode* a, const DataNode* b) { return compareFiles(a, b, key, reverse) < 0; });
    groups.push_back(std::move(entry));
  }
  std::stable_sort(groups.begin(), groups.end(), [&](const OrderedGroup& a, const OrderedGroup& b) {
    return compareGroups(a.group, b.group, key, reverse) < 0;
  });
  return groups;
}

}  // namespace tf
