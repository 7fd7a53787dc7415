#include "duplicates/folder_grouper.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tf {

namespace {

constexpr uint32_t kNotWhole = FolderSum::kDeferred | FolderSum::kBlind;

// Sums made again wherever a file was read after its folder was left: from the files'
// records and the sub-folders' sums, children before parents (a folder's record always
// comes after its parent's).
void resolveDeferred(DuplicateIndex& index, const FolderTerms& terms) {
  const size_t folders = index.FolderCount();
  std::vector<bool> redo(folders, false);
  bool any = false;
  for (size_t f = 0; f < folders; ++f) {
    FolderSum& sum = index.Sum(static_cast<uint32_t>(f));
    if ((sum.flags & FolderSum::kLeft) && (sum.flags & FolderSum::kDeferred) &&
        !(sum.flags & FolderSum::kBlind)) {
      redo[f] = true;
      any = true;
      const uint32_t flags = sum.flags & ~FolderSum::kDeferred;
      sum = FolderSum();
      sum.flags = flags;
    }
  }
  if (!any) return;
  for (size_t id = 0; id < index.FileCount(); ++id) {
    const FileRecord& file = index.File(static_cast<uint32_t>(id));
    if (file.folder == kNoFolder || !redo[file.folder]) continue;
    FolderSum& sum = index.Sum(file.folder);
    // Still unread: no other file has its name, so no copy of the folder can exist.
    if (file.unread || file.size == kVanishedSize)
      sum.flags |= FolderSum::kBlind;
    else
      terms.AddFile(index.NameOf(file), file.size, file.modified, &sum);
  }
  for (size_t f = folders; f-- > 0;) {
    const FolderSum& sum = index.Sum(static_cast<uint32_t>(f));
    const uint32_t parent = index.FolderParent(static_cast<uint32_t>(f));
    if (parent == kNoEntry || !redo[parent] || !(sum.flags & FolderSum::kLeft)) continue;
    FolderSum& above = index.Sum(parent);
    above.flags |= sum.flags & FolderSum::kBlind;
    if (!(above.flags & FolderSum::kBlind))
      above.AddChild(index.FolderPart(static_cast<uint32_t>(f)), sum);
  }
}

bool isCandidate(const FolderSum& sum) {
  return (sum.flags & FolderSum::kLeft) && !(sum.flags & kNotWhole) && sum.files > 0;
}

std::string folderPath(const DuplicateIndex& index, uint32_t folder) {
  std::string path;
  index.AppendFolder(folder, &path);
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

struct UnionFind {
  std::vector<size_t> up;
  explicit UnionFind(size_t n) : up(n) { std::iota(up.begin(), up.end(), size_t{0}); }
  size_t Find(size_t a) {
    while (up[a] != a) a = up[a] = up[up[a]];
    return a;
  }
  void Join(size_t a, size_t b) { up[Find(a)] = Find(b); }
};

// Splits groups found without times into the folders whose files' times lie within the
// tolerance of their twins', pair by pair.
std::vector<std::vector<uint32_t>> splitByTimes(const DuplicateIndex& index,
                                                std::vector<std::vector<uint32_t>> groups,
                                                int tolerance) {
  // The files of every grouped folder, by path below it, with their seconds.
  std::vector<int32_t> slotOf(index.FolderCount(), -1);
  size_t slots = 0;
  for (const auto& group : groups)
    for (const uint32_t folder : group) slotOf[folder] = static_cast<int32_t>(slots++);
  std::vector<std::vector<std::pair<std::string, int64_t>>> files(slots);
  std::string relative;
  for (size_t id = 0; id < index.FileCount(); ++id) {
    const FileRecord& file = index.File(static_cast<uint32_t>(id));
    if (file.folder == kNoFolder || file.unread || file.size == kVanishedSize) continue;
    relative.assign(index.NameOf(file));
    for (uint32_t at = file.folder; at != kNoEntry; at = index.FolderParent(at)) {
      if (slotOf[at] >= 0) files[slotOf[at]].emplace_back(relative, FileSecond(file.modified));
      relative.insert(0, index.FolderPart(at));
    }
  }
  for (auto& list : files) std::sort(list.begin(), list.end());
  auto close = [&](uint32_t a, uint32_t b) {
    const auto& x = files[slotOf[a]];
    const auto& y = files[slotOf[b]];
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i) {
      if (x[i].first != y[i].first) return false;
      const int64_t apart = x[i].second - y[i].second;
      if (apart > tolerance || apart < -tolerance) return false;
    }
    return true;
  };
  std::vector<std::vector<uint32_t>> split;
  for (const auto& group : groups) {
    UnionFind links(group.size());
    for (size_t i = 0; i < group.size(); ++i)
      for (size_t j = i + 1; j < group.size(); ++j)
        if (close(group[i], group[j])) links.Join(i, j);
    std::vector<std::vector<uint32_t>> parts(group.size());
    for (size_t i = 0; i < group.size(); ++i) parts[links.Find(i)].push_back(group[i]);
    for (auto& part : parts)
      if (part.size() >= 2) split.push_back(std::move(part));
  }
  return split;
}

// Leaves out a group whose folders' parents are all different and are, all of them and
// no others, the folders of one group: the copy is shown as its topmost folders.
std::vector<std::vector<uint32_t>> topmostOnly(const DuplicateIndex& index,
                                               const std::vector<std::vector<uint32_t>>& groups) {
  std::vector<int32_t> groupOf(index.FolderCount(), -1);
  for (size_t g = 0; g < groups.size(); ++g)
    for (const uint32_t folder : groups[g]) groupOf[folder] = static_cast<int32_t>(g);
  std::vector<std::vector<uint32_t>> kept;
  std::vector<uint32_t> parents;
  for (const auto& group : groups) {
    parents.clear();
    for (const uint32_t folder : group) parents.push_back(index.FolderParent(folder));
    std::sort(parents.begin(), parents.end());
    const bool distinct = std::adjacent_find(parents.begin(), parents.end()) == parents.end();
    const uint32_t first = parents.front();
    const int32_t parentGroup = first == kNoEntry ? -1 : groupOf[first];
    bool nested = distinct && parentGroup >= 0 && groups[parentGroup].size() == group.size();
    for (size_t i = 0; nested && i < parents.size(); ++i)
      nested = parents[i] != kNoEntry && groupOf[parents[i]] == parentGroup;
    if (!nested) kept.push_back(group);
  }
  return kept;
}

}  // namespace

FolderGroups FormFolderGroups(DuplicateIndex& index, const DuplicateCriteria& criteria) {
  if (!index.KeepsFolderSums()) return {};
  const FolderTerms terms = FolderTerms::Of(criteria);
  resolveDeferred(index, terms);
  std::vector<uint32_t> candidates;
  for (size_t f = 0; f < index.FolderCount(); ++f)
    if (isCandidate(index.Sum(static_cast<uint32_t>(f))))
      candidates.push_back(static_cast<uint32_t>(f));
  // Sizes any: folders of one signature may differ in bytes.
  const bool bySize = criteria.sameSize;
  auto keyOf = [&index, bySize](uint32_t f) {
    const FolderSum& s = index.Sum(f);
    return std::make_tuple(s.signature[0], s.signature[1], s.files, bySize ? s.size : 0);
  };
  std::sort(candidates.begin(), candidates.end(),
            [&keyOf](uint32_t a, uint32_t b) { return keyOf(a) < keyOf(b); });
  std::vector<std::vector<uint32_t>> groups;
  for (size_t i = 0; i < candidates.size();) {
    size_t j = i + 1;
    while (j < candidates.size() && keyOf(candidates[j]) == keyOf(candidates[i])) ++j;
    if (j - i >= 2) groups.emplace_back(candidates.begin() + i, candidates.begin() + j);
    i = j;
  }
  std::vector<uint32_t>().swap(candidates);
  if (criteria.sameTime && criteria.timeTolerance > 0)
    groups = splitByTimes(index, std::move(groups), criteria.timeTolerance);
  groups = topmostOnly(index, groups);
  FolderGroups result;
  result.reserve(groups.size());
  for (const auto& group : groups) {
    FolderGroup out;
    const FolderSum& first = index.Sum(group.front());
    out.files = first.files;
    out.size = first.size;
    out.signature[0] = first.signature[0];
    out.signature[1] = first.signature[1];
    for (const uint32_t folder : group)
      out.folders.push_back({folderPath(index, folder), index.Sum(folder).latest});
    std::sort(out.folders.begin(), out.folders.end(),
              [](const DuplicateFolder& a, const DuplicateFolder& b) { return a.path < b.path; });
    result.push_back(std::move(out));
  }
  std::sort(result.begin(), result.end(), [](const FolderGroup& a, const FolderGroup& b) {
    return a.folders.front().path < b.folders.front().path;
  });
  return result;
}

}  // namespace tf
