#include "duplicates/run_result.h"

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>
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
  // Groups that form here are appended in the byte order of their keys.
  std::vector<const DuplicateMap::value_type*> entries;
  entries.reserve(scan.Map().size());
  for (const auto& item : scan.Map()) entries.push_back(&item);
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  std::vector<uint32_t> folders;  // the scan's folder ids, interned in the run map
  for (const auto* item : entries) {
    const std::string_view key = item->first;
    const FileRecord& entry = item->second;
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

namespace {

// Where a file goes when its group is split: files with equal keys stay together.
struct SubKey {
  int64_t time = 0;  // packed local stamp, or the plain second when there is none
  int64_t size = 0;
  int timeKind = 0;  // 0 not split by time, 1 local stamp, 2 plain second
  bool operator==(const SubKey&) const = default;
};

struct SubKeyHash {
  size_t operator()(const SubKey& key) const {
    uint64_t h = static_cast<uint64_t>(key.time) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(key.size) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(key.timeKind);
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

}  // namespace

// Splits groups by size and local time to the second. The local time of a second is
// looked up once per run (a time zone lookup costs far more than the rest of a split),
// and the partition is worked out before any node moves, so that a file left alone by
// the split is deleted at once instead of getting a group of its own first.
class RunResult::Splitter {
 public:
  Splitter(bool byTime, bool bySize, const LocalTimeOf& localTime)
      : m_byTime(byTime), m_bySize(bySize), m_localTime(localTime) {}

  void Split(DataNode* group);

 private:
  static constexpr int64_t kSecond = 10000000;  // file time units
  static constexpr int64_t kNoStamp = std::numeric_limits<int64_t>::min();

  SubKey keyOf(const DataNode* file);
  int64_t stampOf(int64_t second);
  void place(DataNode* group);

  bool m_byTime;
  bool m_bySize;
  const LocalTimeOf& m_localTime;
  std::unordered_map<int64_t, int64_t> m_stamps;  // second -> packed stamp or kNoStamp
  std::unordered_map<SubKey, uint32_t, SubKeyHash> m_parts;
  std::vector<uint32_t> m_partOf;      // part of each file; part 0 stays in the group
  std::vector<uint32_t> m_counts;      // files per part
  std::vector<DataNode*> m_partNodes;  // group node of each part, null for lone files
};

int64_t RunResult::Splitter::stampOf(int64_t second) {
  auto [at, isNew] = m_stamps.try_emplace(second, kNoStamp);
  if (!isNew) return at->second;
  LocalStamp s;
  if (m_localTime && m_localTime(second * kSecond, &s) && s.month >= 0 && s.month < 16 &&
      s.day >= 0 && s.day < 32 && s.hour >= 0 && s.hour < 32 && s.minute >= 0 && s.minute < 64 &&
      s.second >= 0 && s.second < 64) {
    at->second =
        ((((static_cast<int64_t>(s.year) * 16 + s.month) * 32 + s.day) * 32 + s.hour) * 64 +
         s.minute) *
            64 +
        s.second;
  }
  return at->second;
}

SubKey RunResult::Splitter::keyOf(const DataNode* file) {
  SubKey key;
  if (m_bySize) key.size = file->val;
  if (!m_byTime) return key;
  // The local time to the second depends on the whole second only.
  int64_t second = file->val2 / kSecond;
  if (file->val2 % kSecond < 0) --second;
  const int64_t stamp = stampOf(second);
  if (stamp != kNoStamp) {
    key.time = stamp;
    key.timeKind = 1;
  } else {
    // Without a local time the second itself still separates different times.
    key.time = file->val2 / kSecond;
    key.timeKind = 2;
  }
  return key;
}

void RunResult::Splitter::Split(DataNode* group) {
  m_partOf.clear();
  m_counts.clear();
  m_parts.clear();
  for (DataNode* file = group->FirstChild(); file; file = file->Next()) {
    auto [at, isNew] = m_parts.try_emplace(keyOf(file), static_cast<uint32_t>(m_counts.size()));
    if (isNew) m_counts.push_back(0);
    ++m_counts[at->second];
    m_partOf.push_back(at->second);
  }
  if (m_counts.size() > 1) place(group);
}

void RunResult::Splitter::place(DataNode* group) {
  // New groups go just before the split one, in the order their first files came; a
  // moved file becomes the first of its new group.
  m_partNodes.assign(m_counts.size(), nullptr);
  for (size_t part = 1; part < m_counts.size(); ++part) {
    if (m_counts[part] < 2) continue;
    m_partNodes[part] = CreateNode(group, group->Name(), ATTACH_BEFORE);
    if (!m_partNodes[part]) m_partNodes[part] = group;  // no memory: the files stay
  }
  // The files are still in their first order: the i-th one is in part m_partOf[i].
  DataNode* next = nullptr;
  size_t i = 0;
  for (DataNode* file = group->FirstChild(); file; file = next, ++i) {
    next = file->Next();
    const uint32_t part = m_partOf[i];
    if (part == 0) continue;
    DataNode* target = m_partNodes[part];
    if (!target) {
      DeleteNode(file);  // alone with its time and size: no duplicate
    } else if (target != group) {
      moveInto(file, target, ATTACH_FIRST_CHILD);
    }
  }
}

void RunResult::Finalise(DataNode* settings, const LocalTimeOf& localTime) {
  m_changed = true;
  if (!m_root) return;
  const bool byTime = settings && settings->attrs.ValueOf("time").AsInt() == 0;
  const bool bySize = settings && settings->attrs.ValueOf("size").AsInt() == 0;
  if (byTime || bySize) {
    Splitter splitter(byTime, bySize, localTime);
    for (DataNode* group = m_root->FirstChild(); group;) {
      DataNode* next = group->Next();
      splitter.Split(group);
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
