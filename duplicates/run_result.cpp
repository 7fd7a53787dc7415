#include "duplicates/run_result.h"

#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "duplicates/duplicate_key.h"

namespace tf {

namespace {

constexpr uint32_t kNotInterned = std::numeric_limits<uint32_t>::max();

// Moves `node` to the end (or the front) of `group`'s children.
void moveInto(DataNode* node, DataNode* group, int flags) {
  node->Detach();
  node->Attach(group, flags);
}

// The files of a merged entry join `group`: the moved nodes of its group, or a new node
// for its single file.
void addEntryFiles(const DuplicateIndex& scan, const FileRecord& entry, DataNode* group) {
  if (!entry.group) {
    scan.AddFileNode(group, entry);
    return;
  }
  while (DataNode* file = entry.group->FirstChild()) moveInto(file, group, ATTACH_LAST_CHILD);
}

std::string subKeyOf(const DataNode* file, bool byTime, bool bySize, const LocalTimeOf& localTime) {
  char text[64] = "";
  int used = 0;
  LocalStamp at;
  if (byTime && localTime && localTime(file->val2, &at)) {
    used = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month,
                         at.day, at.hour, at.minute, at.second);
  } else if (byTime) {
    // Without a local time the second itself still separates different times.
    const long long seconds = static_cast<long long>(file->val2 / 10000000);
    used = std::snprintf(text, sizeof text, "#%lld ", seconds);
  }
  if (bySize && used >= 0)
    std::snprintf(text + used, sizeof text - used, "%lld", static_cast<long long>(file->val));
  return text;
}

int countFilesUpTo(const DataNode* group, int limit) {
  int count = 0;
  for (const DataNode* f = group->FirstChild(); f && count < limit; f = f->Next()) ++count;
  return count;
}

}  // namespace

std::mutex& MergeLock() {
  static std::mutex lock;
  return lock;
}

RunResult::~RunResult() {
  DeleteNode(m_root);
}

void RunResult::Clear() {
  m_index.reset();
  DeleteNode(m_root);
  m_root = nullptr;
}

void RunResult::Merge(std::unique_ptr<DuplicateIndex>& scanIndex) {
  std::lock_guard<std::mutex> lock(MergeLock());
  if (!scanIndex) return;
  if (!m_root || !m_index) {
    if (!scanIndex->HasResult()) return;
    DeleteNode(m_root);
    m_root = scanIndex->TakeResultRoot();
    m_index = std::move(scanIndex);
    return;
  }
  fold(*scanIndex);
}

void RunResult::fold(const DuplicateIndex& scan) {
  std::vector<uint32_t> folders;  // the scan's folder ids, interned in the run map
  for (const auto& [key, entry] : scan.Map()) {
    if (entry.folder >= folders.size()) folders.resize(entry.folder + 1, kNotInterned);
    uint32_t& folder = folders[entry.folder];
    if (folder == kNotInterned) folder = m_index->InternFolder(scan.FolderOf(entry));
    auto [at, isNew] = m_index->Insert(key, entry, scan, folder);
    FileRecord& mine = at->second;
    if (isNew) {
      if (entry.group) {
        moveInto(entry.group, m_root, ATTACH_LAST_CHILD);
        mine.group = entry.group;
      }
      continue;
    }
    if (!mine.group) {
      mine.group = CreateNode(m_root, std::string(key).c_str(), ATTACH_LAST_CHILD);
      if (!mine.group) continue;
      m_index->AddFileNode(mine.group, mine);
    }
    addEntryFiles(scan, entry, mine.group);
  }
}

void RunResult::splitGroup(DataNode* group, bool byTime, bool bySize,
                           const LocalTimeOf& localTime) {
  std::map<std::string, DataNode*> groups;
  DataNode* file = group->FirstChild();
  if (!file) return;
  groups.emplace(subKeyOf(file, byTime, bySize, localTime), group);
  for (file = file->Next(); file;) {
    DataNode* next = file->Next();
    auto [at, isNew] = groups.try_emplace(subKeyOf(file, byTime, bySize, localTime), nullptr);
    if (isNew) {
      // A new group named like this one, placed just before it.
      at->second = CreateNode(group, group->Name(), ATTACH_BEFORE);
      if (!at->second) at->second = group;
    }
    if (at->second != group) moveInto(file, at->second, ATTACH_FIRST_CHILD);
    file = next;
  }
}

void RunResult::Finalise(DataNode* settings, const LocalTimeOf& localTime) {
  m_changed = true;
  if (!m_root) return;
  const bool byTime = settings && settings->attrs.ValueOf("time").AsInt() == 0;
  const bool bySize = settings && settings->attrs.ValueOf("size").AsInt() == 0;
  if (byTime || bySize) {
    for (DataNode* group = m_root->FirstChild(); group;) {
      DataNode* next = group->Next();
      splitGroup(group, byTime, bySize, localTime);
      group = next;
    }
  }
  m_root->val2 = 0;
  for (DataNode* group = m_root->FirstChild(); group;) {
    DataNode* next = group->Next();
    int64_t count = 0;
    int64_t total = 0;
    for (const DataNode* f = group->FirstChild(); f; f = f->Next()) {
      ++count;
      total += f->val;
    }
    if (count < 2) {
      // A group of one is no duplicate, also when a partner's node could not be made.
      DeleteNode(group);
    } else {
      const std::string key = group->Name();
      group->kind = 1;
      group->val = total;
      group->val2 = count;
      m_root->val2 += count;
      SetName(group, GroupNameOf(key));
      SetDesc(group, GroupDescriptionOf(key));
    }
    group = next;
  }
}

int RunResult::RemoveFile(DataNode* file, bool dropGroup) {
  if (!m_root || !file) return 0;
  DataNode* group = file->Parent();
  if (!group || group->Parent() != m_root) return 0;
  m_changed = true;
  if (!dropGroup || countFilesUpTo(group, 3) >= 3) {
    group->val2 -= 1;
    group->val -= file->val;
    m_root->val2 -= 1;
    DeleteNode(file);
    return 1;
  }
  m_root->val2 -= countFilesUpTo(group, 3);
  DeleteNode(group);
  return 2;
}

}  // namespace tf
