#include "app/removed_files.h"

#include <unordered_set>

#include "platform/path_status.h"
#include "scan/folder_list.h"

namespace tf {
namespace {

bool backInPlace(const std::string& path, int64_t size, int64_t modified) {
  PathStatus st;
  return StatPath(path, &st, false) && st.size == size && st.modified == modified;
}

DataNode* addFile(DataNode* group, const std::string& path, int64_t size, int64_t modified,
                  int32_t kind) {
  DataNode* node = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
  if (!node) return nullptr;
  node->val = size;
  node->val2 = modified;
  node->kind = kind;
  group->val += size;
  group->val2 += 1;
  if (DataNode* root = group->Parent()) root->val2 += 1;
  return node;
}

}  // namespace

std::vector<std::string> RemovedFiles::PathsBelow(const std::string& folder) const {
  std::vector<std::string> paths;
  for (const auto& [path, group] : m_byPath)
    if (IsBelow(path, folder)) paths.push_back(path);
  return paths;
}

void RemovedFiles::Remember(const DataNode* file) {
  const DataNode* group = file ? file->Parent() : nullptr;
  if (!group) return;
  auto kept = std::make_shared<Group>();
  kept->name = group->Name();
  kept->desc = group->Desc();
  kept->kind = group->kind;
  for (const DataNode* f = group->FirstChild(); f; f = f->Next())
    kept->files.push_back({FullName(f), f->val, f->val2, f->kind});
  m_byPath[FullName(file)] = kept;
  m_groups.push_back(std::move(kept));
}

int RemovedFiles::Rejoin(DataNode* root, const std::vector<std::string>& paths) {
  if (!root) return 0;
  std::unordered_set<std::string> grouped;
  for (const DataNode* g = root->FirstChild(); g; g = g->Next())
    for (const DataNode* f = g->FirstChild(); f; f = f->Next()) grouped.insert(FullName(f));
  int count = 0;
  for (const std::string& path : paths) {
    auto it = m_byPath.find(path);
    if (it == m_byPath.end() || grouped.count(path)) continue;
    const Group& kept = *it->second;
    const File* self = nullptr;
    for (const File& f : kept.files)
      if (f.path == path) self = &f;
    if (!self || !backInPlace(path, self->size, self->modified)) continue;
    DataNode* group = nullptr;
    for (DataNode* g = root->FirstChild(); g && !group; g = g->Next())
      if (kept.name == g->Name()) group = g;
    if (!group) {
      // The group went with the file: it comes back with its files still in place.
      std::vector<const File*> members;
      for (const File& f : kept.files)
        if (!grouped.count(f.path) && backInPlace(f.path, f.size, f.modified))
          members.push_back(&f);
      if (members.size() < 2) continue;
      group = CreateNode(root, kept.name.c_str(), ATTACH_LAST_CHILD);
      if (!group) continue;
      SetDesc(group, kept.desc);
      group->kind = kept.kind;
      group->val = group->val2 = 0;
      for (const File* f : members) {
        if (!addFile(group, f->path, f->size, f->modified, f->kind)) continue;
        grouped.insert(f->path);
        if (f->path == path) ++count;
      }
      continue;
    }
    if (addFile(group, path, self->size, self->modified, self->kind)) {
      grouped.insert(path);
      ++count;
    }
  }
  return count;
}

}  // namespace tf
