#include "results/verified_result.h"

#include <unordered_map>

#include "results/result_rows.h"

namespace tf {
namespace {

DataNode* copyGroup(DataNode* root, const DataNode* group) {
  DataNode* copy = CreateNode(root, group->Name(), ATTACH_LAST_CHILD);
  if (!copy) return nullptr;
  SetDesc(copy, group->Desc());
  copy->kind = group->kind;
  copy->group = group->group;
  return copy;
}

bool copyFile(DataNode* group, const DataNode* file) {
  const std::string path = FullName(file);
  DataNode* copy = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
  if (!copy) return false;
  const size_t slash = path.rfind('/');
  SetDesc(copy, slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
  copy->kind = file->kind;
  copy->group = file->group;
  copy->val = file->val;
  copy->val2 = file->val2;
  group->val += file->val;
  group->val2 += 1;
  return true;
}

}  // namespace

std::vector<VerifyGroup> GroupsToVerify(const std::vector<const DataNode*>& groups) {
  std::vector<VerifyGroup> out;
  out.reserve(groups.size());
  for (const DataNode* group : groups) {
    VerifyGroup files;
    for (const DataNode* file = group->FirstChild(); file; file = file->Next())
      files.push_back(VerifyFile{FullName(file), file->val, file->val2});
    out.push_back(std::move(files));
  }
  return out;
}

NodePtr VerifiedResult(const DataNode* root, const std::vector<const DataNode*>& verified,
                       const VerifyOutcome& outcome) {
  NodePtr out(CreateNode(nullptr, root->Name(), ATTACH_ROOT));
  if (!out) return nullptr;
  SetDesc(out.get(), root->Desc());
  out->kind = root->kind;
  std::unordered_map<const DataNode*, size_t> indexOf;
  for (size_t i = 0; i < verified.size(); ++i) indexOf.emplace(verified[i], i);
  int64_t files = 0;
  for (const DataNode* group = root->FirstChild(); group; group = group->Next()) {
    const auto found = indexOf.find(group);
    if (found == indexOf.end() || found->second >= outcome.sets.size()) {
      DataNode* copy = copyGroup(out.get(), group);
      if (!copy) return nullptr;
      for (const DataNode* file = group->FirstChild(); file; file = file->Next())
        if (!copyFile(copy, file)) return nullptr;
      files += copy->val2;
      continue;
    }
    std::vector<const DataNode*> byIndex;
    for (const DataNode* file = group->FirstChild(); file; file = file->Next())
      byIndex.push_back(file);
    for (const std::vector<size_t>& set : outcome.sets[found->second]) {
      DataNode* copy = copyGroup(out.get(), group);
      if (!copy) return nullptr;
      copy->group = kVerifiedGroup;
      for (const size_t index : set)
        if (index < byIndex.size() && !copyFile(copy, byIndex[index])) return nullptr;
      files += copy->val2;
    }
  }
  out->val2 = files;
  return out;
}

}  // namespace tf
