#include "duplicates/run_result.h"

#include "duplicates/hard_links.h"

#include <algorithm>
#include <limits>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/fetch_ahead.h"
#include "duplicates/criteria_key.h"
#include "duplicates/duplicate_key.h"
#include "duplicates/similar_names.h"
#include "platform/unicode_text.h"

namespace tf {

namespace {

int countFilesUpTo(const DataNode* group, int limit) {
  int count = 0;
  for (const DataNode* f = group->FirstChild(); f && count < limit; f = f->Next()) ++count;
  return count;
}

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

struct MixHash {
  size_t operator()(int64_t value) const {
    const uint64_t h = static_cast<uint64_t>(value) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 32));
  }
};

// What splitting a key's files reads of each: its size and time.
struct FileDetails {
  int64_t size = 0;
  int64_t modified = 0;
};

// Groups this small are split by comparing every pair: cheaper than any hashing.
constexpr size_t kSmallGroup = 12;

// A map to small values in one table of slots. Splitting looks up a million times and
// more in a large search: a map with a node per entry pays an allocation and a second
// wait for memory at each step, and emptying it for the next group walks every node.
template <typename Key, typename Value, typename Hash>
class FlatMap {
 public:
  // Empties the map for up to `count` keys. It grows as keys come, so that it holds
  // room for the keys that differ, not for every file of a group.
  void Reset(size_t count) {
    m_count = 0;
    // A table much larger than needed is made anew: a small group would otherwise pay
    // for the scattered slots of a large one, and its memory would stay taken.
    if (m_slots.size() > 16 && m_slots.size() > count * 4) {
      m_slots.assign(16, Slot{});
      m_generation = 1;
    } else if (++m_generation == 0) {
      for (Slot& slot : m_slots) slot.generation = 0;
      m_generation = 1;
    }
  }
  // The value of `key`, set to `fresh` if the key is new; true when it was.
  std::pair<Value*, bool> TryEmplace(const Key& key, Value fresh) {
    if ((m_count + 1) * 4 > m_slots.size() * 3) grow();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Hash()(key) & mask;; i = (i + 1) & mask) {
      Slot& slot = m_slots[i];
      if (slot.generation != m_generation) {
        slot = Slot{key, fresh, m_generation};
        ++m_count;
        return {&slot.value, true};
      }
      if (slot.key == key) return {&slot.value, false};
    }
  }
  // The value of `key`; null when it has none.
  const Value* Find(const Key& key) const {
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Hash()(key) & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (slot.generation != m_generation) return nullptr;
      if (slot.key == key) return &slot.value;
    }
  }

 private:
  struct Slot {
    Key key{};
    Value value{};
    uint32_t generation = 0;  // the slot is taken when it equals the map's
  };
  void grow() {
    std::vector<Slot> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
      if (slot.generation != m_generation) continue;
      size_t i = Hash()(slot.key) & mask;
      while (m_slots[i].generation == m_generation) i = (i + 1) & mask;
      m_slots[i] = slot;
    }
  }

  std::vector<Slot> m_slots;
  size_t m_count = 0;
  uint32_t m_generation = 1;
};

// The files of the groups, read a few keys at a time. A key's files lie scattered over
// the whole map, and following one chain waits for each record in turn; following the
// chains of several keys side by side lets those waits overlap. On a million files this
// was most of the time spent making the result. With `withDetails`, each file's size and
// time are taken on the way: a key of thousands of files would otherwise wait for its
// records once more when it is split.
class ChainReader {
 public:
  ChainReader(const DuplicateIndex& index, bool withDetails)
      : m_index(index), m_withDetails(withDetails) {}

  // Reads the chains of keys[0..count) (at most kKeys); FilesOf(i) lists those of keys[i]
  // in arrival order, DetailsOf(i) their sizes and times when asked for.
  void Read(const uint32_t* keys, size_t count) {
    m_read.clear();
    m_readDetails.clear();
    for (size_t i = 0; i < count; ++i) {
      const KeyRecord& key = m_index.Key(keys[i]);
      FetchAhead(key.text);  // the group is named after it
      m_at[i] = key.first;
      m_begin[i] = m_end[i] = 0;
    }
    // The keys do not count their files: the chains are followed side by side into one
    // list of (chain, file), then laid out chain after chain. No chain holds more than
    // every file of the index: the bound keeps a damaged one from looping.
    const size_t bound = m_index.FileCount();
    for (bool more = true; more && m_read.size() <= bound;) {
      more = false;
      for (size_t i = 0; i < count; ++i) {
        if (m_at[i] == kNoEntry) continue;
        const FileRecord& file = m_index.File(m_at[i]);
        m_read.emplace_back(static_cast<uint32_t>(i), m_at[i]);
        if (m_withDetails) m_readDetails.push_back({file.size, file.modified});
        ++m_end[i];
        m_at[i] = file.next;
        more = true;
      }
    }
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) {
      m_begin[i] = total;
      total += m_end[i];
      m_end[i] = m_begin[i];
    }
    m_files.resize(total);
    m_details.resize(m_readDetails.size());
    for (size_t r = 0; r < m_read.size(); ++r) {
      const size_t at = m_end[m_read[r].first]++;
      m_files[at] = m_read[r].second;
      if (m_withDetails) m_details[at] = m_readDetails[r];
    }
  }

  std::span<const uint32_t> FilesOf(size_t i) const {
    return {m_files.data() + m_begin[i], m_end[i] - m_begin[i]};
  }
  std::span<const FileDetails> DetailsOf(size_t i) const {
    if (!m_withDetails) return {};
    return {m_details.data() + m_begin[i], m_end[i] - m_begin[i]};
  }

  static constexpr size_t kKeys = 16;

 private:
  const DuplicateIndex& m_index;
  uint32_t m_at[kKeys] = {};
  size_t m_begin[kKeys] = {};
  size_t m_end[kKeys] = {};
  const bool m_withDetails;
  std::vector<std::pair<uint32_t, uint32_t>> m_read;  // (chain, file) in reading order
  std::vector<FileDetails> m_readDetails;             // of each, likewise
  std::vector<uint32_t> m_files;
  std::vector<FileDetails> m_details;
};

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
  m_arena.reset();
  m_built = false;
  m_incomplete = false;
}

void RunResult::Adopt(DataNode* root) {
  Clear();
  m_root = root;
  m_built = true;
  m_changed = true;
}

void RunResult::Merge(std::unique_ptr<DuplicateIndex>& scanIndex) {
  std::lock_guard<std::mutex> lock(MergeLock());
  // A finished result has spent its map: files come too late to join it.
  if (!scanIndex || m_built) return;
  if (!m_root || !m_index) {
    if (!scanIndex->HasResult()) return;
    DeleteNode(m_root);
    m_root = scanIndex->TakeResultRoot();
    // Nodes put there for inspection are not the result: that is made by Finalise.
    while (DataNode* child = m_root->FirstChild()) DeleteNode(child);
    m_index = std::move(scanIndex);
    m_built = false;
    return;
  }
  // Groups that form here are appended in the byte order of their keys.
  m_index->Absorb(*scanIndex);
}

void RunResult::ReadUnread(const ReadFileOf& read) {
  std::lock_guard<std::mutex> lock(MergeLock());
  if (!m_index || m_built || !m_index->HasUnread()) return;
  for (const uint32_t id : m_index->TakeUnread()) {
    int64_t size = 0;
    int64_t modified = 0;
    uint32_t links = 0;
    if (read(m_index->PathOf(m_index->File(id)), &size, &modified, &links))
      m_index->ReadFile(id, size, modified, links);
    else
      m_index->DropFile(id);
  }
}

// Partitions the files of a key by size and local time to the second. The local time of
// a second is looked up once per run (a time zone lookup costs far more than the rest of
// a split), and only for files whose size another file of the key shares when sizes
// split too: a file of a size of its own stays alone whatever its time.
class RunResult::Splitter {
 public:
  Splitter(const DuplicateIndex& index, bool byTime, bool bySize, const LocalTimeOf& localTime,
           int tolerance = 0)
      : m_index(index),
        m_byTime(byTime),
        m_bySize(bySize),
        m_tolerance(tolerance),
        m_localTime(localTime) {}

  // Fills partOf() with the part of each of a key's files (in arrival order), numbered
  // in the order the parts first appear; counts() holds their sizes. `details`: the
  // files' sizes and times as already read, else empty (they are read from the map).
  void Split(std::span<const uint32_t> files, std::span<const FileDetails> details = {});

  const std::vector<uint32_t>& partOf() const { return m_partOf; }
  const std::vector<uint32_t>& counts() const { return m_counts; }

 private:
  static constexpr int64_t kSecond = 10000000;  // file time units
  static constexpr int64_t kNoStamp = std::numeric_limits<int64_t>::min();

  SubKey keyOf(const FileDetails& file);
  int64_t stampOf(int64_t second);
  void splitInChains();
  bool sizeIsShared(size_t i) const;
  uint32_t newPart() {
    m_counts.push_back(0);
    return static_cast<uint32_t>(m_counts.size() - 1);
  }

  const DuplicateIndex& m_index;
  bool m_byTime;
  bool m_bySize;
  int m_tolerance;  // seconds; 0 splits at every local second
  const LocalTimeOf& m_localTime;
  // The stamps of seconds met lately, at the place their second hashes to. Copies share
  // their second, and meet within a key; a table of every second met would spend a wait
  // for memory on nearly each look-up of a million files of random times.
  struct StampSlot {
    int64_t second = 0;
    int64_t stamp = kNoStamp;
    bool filled = false;
  };
  static constexpr size_t kStampSlots = size_t{1} << 12;
  std::vector<StampSlot> m_stamps = std::vector<StampSlot>(kStampSlots);
  FlatMap<SubKey, uint32_t, SubKeyHash> m_parts;
  FlatMap<int64_t, uint32_t, MixHash> m_sizeCounts;
  std::span<const uint32_t> m_files;
  std::span<const FileDetails> m_details;  // of m_files
  std::vector<FileDetails> m_readDetails;
  std::vector<uint32_t> m_partOf;
  std::vector<uint32_t> m_counts;
  std::vector<SubKey> m_keys;  // of the files, for small groups
};

int64_t RunResult::Splitter::stampOf(int64_t second) {
  StampSlot& slot = m_stamps[MixHash()(second) & (kStampSlots - 1)];
  if (slot.filled && slot.second == second) return slot.stamp;
  slot = StampSlot{second, kNoStamp, true};
  CalendarTime s;
  if (m_localTime && m_localTime(second * kSecond, &s) && s.month >= 0 && s.month < 16 &&
      s.day >= 0 && s.day < 32 && s.hour >= 0 && s.hour < 32 && s.minute >= 0 && s.minute < 64 &&
      s.second >= 0 && s.second < 64) {
    slot.stamp =
        ((((static_cast<int64_t>(s.year) * 16 + s.month) * 32 + s.day) * 32 + s.hour) * 64 +
         s.minute) *
            64 +
        s.second;
  }
  return slot.stamp;
}

SubKey RunResult::Splitter::keyOf(const FileDetails& file) {
  SubKey key;
  if (m_bySize) key.size = file.size;
  if (!m_byTime) return key;
  // The local time to the second depends on the whole second only.
  int64_t second = file.modified / kSecond;
  if (file.modified % kSecond < 0) --second;
  const int64_t stamp = stampOf(second);
  if (stamp != kNoStamp) {
    key.time = stamp;
    key.timeKind = 1;
  } else {
    // Without a local time the second itself still separates different times.
    key.time = file.modified / kSecond;
    key.timeKind = 2;
  }
  return key;
}

bool RunResult::Splitter::sizeIsShared(size_t i) const {
  if (!m_bySize) return true;
  const int64_t size = m_details[i].size;
  if (m_files.size() <= kSmallGroup) {
    for (size_t j = 0; j < m_files.size(); ++j)
      if (j != i && m_details[j].size == size) return true;
    return false;
  }
  return *m_sizeCounts.Find(size) > 1;
}

// With a tolerance, the files of each size are sorted by their second and a new part
// begins where a neighbour lies more than the tolerance after the one before, so that
// copies a second or two apart chain into one part. The gaps are measured between the
// files' own (UTC) seconds: local time jumps where the clocks change, and a tolerance is
// about the real time between two copies.
void RunResult::Splitter::splitInChains() {
  struct Entry {
    int64_t size;
    int64_t second;
    uint32_t at;  // in m_files
  };
  std::vector<Entry> entries;
  entries.reserve(m_files.size());
  for (size_t i = 0; i < m_files.size(); ++i) {
    const FileDetails& file = m_details[i];
    int64_t second = file.modified / kSecond;
    if (file.modified % kSecond < 0) --second;
    entries.push_back({m_bySize ? file.size : 0, second, static_cast<uint32_t>(i)});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.size != b.size       ? a.size < b.size
           : a.second != b.second ? a.second < b.second
                                  : a.at < b.at;
  });
  std::vector<uint32_t> chainOf(m_files.size());
  uint32_t chain = 0;
  for (size_t e = 0; e < entries.size(); ++e) {
    if (e > 0 && (entries[e].size != entries[e - 1].size ||
                  entries[e].second - entries[e - 1].second > m_tolerance))
      ++chain;
    chainOf[entries[e].at] = chain;
  }
  // Parts numbered in the order they first appear, as without a tolerance.
  std::vector<uint32_t> partOfChain(entries.size(), kNoEntry);
  for (size_t i = 0; i < m_files.size(); ++i) {
    uint32_t& part = partOfChain[chainOf[i]];
    if (part == kNoEntry) part = newPart();
    ++m_counts[part];
    m_partOf.push_back(part);
  }
}

void RunResult::Splitter::Split(std::span<const uint32_t> files,
                                std::span<const FileDetails> details) {
  m_files = files;
  if (details.size() != files.size()) {
    m_readDetails.resize(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      const FileRecord& file = m_index.File(files[i]);
      m_readDetails[i] = {file.size, file.modified};
    }
    details = m_readDetails;
  }
  m_details = details;
  m_partOf.clear();
  m_counts.clear();
  if (m_byTime && m_tolerance > 0) {
    splitInChains();
    return;
  }
  const bool small = m_files.size() <= kSmallGroup;
  if (!small && m_bySize) {
    m_sizeCounts.Reset(m_files.size());
    for (const FileDetails& file : m_details) ++*m_sizeCounts.TryEmplace(file.size, 0).first;
  }
  if (!small) m_parts.Reset(m_files.size());
  m_keys.clear();
  for (size_t i = 0; i < m_files.size(); ++i) {
    uint32_t part = 0;
    if (!sizeIsShared(i)) {
      part = newPart();
      if (small) m_keys.push_back(SubKey{0, 0, -1});  // equal to no other file's key
    } else if (small) {
      const SubKey sub = keyOf(m_details[i]);
      size_t j = 0;
      while (j < i && !(m_keys[j] == sub)) ++j;
      part = j < i ? m_partOf[j] : newPart();
      m_keys.push_back(sub);
    } else {
      auto [at, isNew] = m_parts.TryEmplace(keyOf(m_details[i]), 0);
      if (isNew) *at = newPart();
      part = *at;
    }
    ++m_counts[part];
    m_partOf.push_back(part);
  }
}

namespace {

// The files of one similar-names key in their linked sets: files of a size (when sizes
// must match) whose stems are alike, each set with two files or more, in arrival order,
// the sets in the order of their first files.
class SimilarSets {
 public:
  SimilarSets(const DuplicateIndex& index, int percent, bool bySize)
      : m_index(index), m_similar(percent), m_bySize(bySize) {}

  const std::vector<std::vector<uint32_t>>& Sets(std::string_view key,
                                                 std::span<const uint32_t> files) {
    m_sets.clear();
    // Sizes first: files of different sizes are never linked.
    std::vector<std::vector<uint32_t>> bySize;
    if (m_bySize) {
      std::unordered_map<int64_t, size_t> sizes;
      for (const uint32_t f : files) {
        const auto [at, isNew] = sizes.try_emplace(m_index.File(f).size, bySize.size());
        if (isNew) bySize.emplace_back();
        bySize[at->second].push_back(f);
      }
    } else {
      bySize.emplace_back(files.begin(), files.end());
    }
    // A name that is not UTF-8 is keyed by its bytes: its key's files are one set.
    const bool bytes = !key.empty() && key.front() == kSimilarBytes;
    for (const std::vector<uint32_t>& part : bySize) {
      if (part.size() < 2) continue;
      if (bytes)
        m_sets.push_back(part);
      else
        linkAlike(part);
    }
    std::sort(m_sets.begin(), m_sets.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
    return m_sets;
  }

 private:
  void linkAlike(const std::vector<uint32_t>& files) {
    // Each distinct stem is measured once, however many files bear it.
    std::unordered_map<std::u32string, uint32_t> ids;
    std::vector<std::u32string> stems;
    std::vector<uint32_t> stemOf;
    stemOf.reserve(files.size());
    for (const uint32_t f : files) {
      const std::string stem = SimilarStem(m_index.NameOf(m_index.File(f)));
      std::vector<char32_t> points = CodePointsOf(stem);
      std::u32string text(points.begin(), points.end());
      const auto [at, isNew] =
          ids.try_emplace(std::move(text), static_cast<uint32_t>(stems.size()));
      if (isNew) stems.push_back(at->first);
      stemOf.push_back(at->second);
    }
    const std::vector<uint32_t> first = m_similar.Link(stems);
    std::unordered_map<uint32_t, size_t> setOf;
    const size_t before = m_sets.size();
    for (size_t i = 0; i < files.size(); ++i) {
      const auto [at, isNew] = setOf.try_emplace(first[stemOf[i]], m_sets.size());
      if (isNew) m_sets.emplace_back();
      m_sets[at->second].push_back(files[i]);
    }
    m_sets.erase(std::remove_if(m_sets.begin() + static_cast<long>(before), m_sets.end(),
                                [](const auto& set) { return set.size() < 2; }),
                 m_sets.end());
  }

  const DuplicateIndex& m_index;
  SimilarNames m_similar;
  bool m_bySize;
  std::vector<std::vector<uint32_t>> m_sets;
};

}  // namespace

namespace {

// Makes the result nodes in two passes, so that the run map can be given back while
// they are made. The first pass settles the groups: it makes their nodes in their final
// order and tags every file of a group with its group. The second makes the file nodes
// in the order the files were filed, freeing the map's file records behind it. Within a
// key, files were filed in the order they stand in its chain, so a group listing its
// files last to first takes each new one as its first child. File nodes come from the
// result's arena; they share their folders, kept as in the map: each folder as its
// parent and its own part.
class GroupBuilder {
 public:
  GroupBuilder(DuplicateIndex& index, DataNode* root, NodeArena* arena)
      : m_index(index), m_root(root), m_arena(arena) {}

  void SetKey(std::string_view key) {
    m_name = GroupNameOf(key);
    m_desc = GroupDescriptionOf(key);
  }
  // First pass: a group node named and described after the key, listing its files in
  // filing order or, `reversed`, last to first. The tag for its files; kNoEntry when the
  // node could not be made.
  uint32_t AddGroup(bool reversed);
  // Second pass: the file nodes, then the groups' totals. Groups left with fewer than two
  // files (a node that could not be made) are dropped. The map's file records are gone
  // afterwards.
  void MakeFiles();
  // Groups and files whose nodes could not be made (memory ran out).
  size_t missed() const { return m_missed; }

 private:
  struct Group {
    DataNode* node;
    bool reversed;
  };

  DataNode* fileNode(const FileRecord& file, const Group& group);
  // The arena's copy of a map folder and of the folders above it; null when memory
  // cannot be had.
  const FolderText* folderText(uint32_t folder);

  DuplicateIndex& m_index;
  DataNode* m_root;
  NodeArena* m_arena;
  std::vector<Group> m_groups;
  std::vector<const FolderText*> m_folderText;  // by folder id, once a file below has a node
  std::vector<uint32_t> m_pending;              // folders whose parents are made first
  std::string m_name;
  std::string m_desc;
  size_t m_missed = 0;
};

uint32_t GroupBuilder::AddGroup(bool reversed) {
  DataNode* node = CreateNode(m_root, m_name.c_str(), ATTACH_LAST_CHILD);
  if (!node) {
    ++m_missed;
    return kNoEntry;
  }
  SetDesc(node, m_desc);
  node->kind = 1;
  m_groups.push_back(Group{node, reversed});
  return static_cast<uint32_t>(m_groups.size() - 1);
}

const FolderText* GroupBuilder::folderText(uint32_t folder) {
  if (folder >= m_folderText.size()) return nullptr;
  if (m_folderText[folder]) return m_folderText[folder];
  // Up to the first folder already made, then down again: no recursion, however deep.
  m_pending.clear();
  for (uint32_t at = folder; at != kNoEntry && at < m_folderText.size() && !m_folderText[at];
       at = m_index.FolderParent(at))
    m_pending.push_back(at);
  while (!m_pending.empty()) {
    const uint32_t at = m_pending.back();
    m_pending.pop_back();
    const uint32_t up = m_index.FolderParent(at);
    const FolderText* parent = up < m_folderText.size() ? m_folderText[up] : nullptr;
    if (up != kNoEntry && !parent) return nullptr;
    m_folderText[at] = m_arena->StoreFolder(parent, m_index.FolderPart(at));
    if (!m_folderText[at]) return nullptr;
  }
  return m_folderText[folder];
}

DataNode* GroupBuilder::fileNode(const FileRecord& file, const Group& group) {
  const int flags = group.reversed ? ATTACH_FIRST_CHILD : ATTACH_LAST_CHILD;
  DataNode* node = nullptr;
  if (const FolderText* folder = folderText(file.folder)) {
    node = m_arena->CreateInFolder(group.node, m_index.NameOf(file), folder, flags);
  } else {
    // Without a folder record (or memory for one) the node holds its whole path.
    std::string folderPath;
    if (file.folder < m_index.FolderCount()) m_index.AppendFolder(file.folder, &folderPath);
    node =
        m_arena->Create(group.node, folderPath + std::string(m_index.NameOf(file)), nullptr, flags);
    if (node) SetDesc(node, folderPath);
  }
  if (!node) return nullptr;
  if (file.oneName) node->group = kFileWithOneName;
  node->val = file.size;
  node->val2 = file.modified;
  return node;
}

void GroupBuilder::MakeFiles() {
  m_folderText.assign(m_index.FolderCount(), nullptr);
  const size_t count = m_index.FileCount();
  for (size_t id = 0; id < count; ++id) {
    const FileRecord& file = m_index.File(static_cast<uint32_t>(id));
    if (file.next != kNoEntry && !fileNode(file, m_groups[file.next])) ++m_missed;
    m_index.ReleaseFilesBelow(id + 1);
  }
  for (const Group& group : m_groups) {
    int64_t made = 0;
    int64_t total = 0;
    for (const DataNode* f = group.node->FirstChild(); f; f = f->Next()) {
      ++made;
      total += f->val;
    }
    if (made < 2) {
      // A group of one is no duplicate, also when a partner's node could not be made.
      DeleteNode(group.node);
      continue;
    }
    group.node->val = total;
    group.node->val2 = made;
    m_root->val2 += made;
  }
}

}  // namespace

void RunResult::Finalise(const DuplicateCriteria& criteria, const LocalTimeOf& localTime) {
  m_changed = true;
  if (!m_root) return;
  if (m_built || !m_index) {
    recountTree();
    return;
  }
  m_built = true;
  m_index->ReleaseLookup();  // room for the nodes
  const bool byTime = criteria.sameTime;
  const bool bySize = criteria.sameSize;
  m_root->val2 = 0;
  m_arena = std::make_unique<NodeArena>();
  GroupBuilder builder(*m_index, m_root, m_arena.get());
  const bool similar = criteria.name == NameRule::kSimilar;
  {  // the splitter's tables are freed before the file nodes are made
    Splitter splitter(*m_index, byTime, bySize, localTime, criteria.timeTolerance);
    Splitter timeSplitter(*m_index, byTime, false, localTime, criteria.timeTolerance);
    SimilarSets similarSets(*m_index, criteria.similarity, bySize);
    // Similar names split their keys by their own rule: the details would only take room.
    ChainReader chains(*m_index, !similar);
    std::vector<uint32_t> tagOf;
    // A similar-names group is named after its first file in path order.
    auto addNamedGroup = [&](const std::vector<uint32_t>& members) {
      uint32_t first = members.front();
      std::string firstPath = m_index->PathOf(m_index->File(first));
      for (const uint32_t f : members) {
        std::string path = m_index->PathOf(m_index->File(f));
        if (path < firstPath) {
          firstPath.swap(path);
          first = f;
        }
      }
      builder.SetKey(m_index->NameOf(m_index->File(first)));
      const uint32_t tag = builder.AddGroup(false);
      for (const uint32_t f : members) m_index->TagFile(f, tag);
    };
    std::vector<uint32_t> members;
    auto addSimilar = [&](std::string_view key, std::span<const uint32_t> files) {
      const std::vector<std::vector<uint32_t>>& sets = similarSets.Sets(key, files);
      for (const uint32_t f : files) m_index->TagFile(f, kNoEntry);  // in no group, so far
      for (const std::vector<uint32_t>& set : sets) {
        if (!byTime) {
          addNamedGroup(set);
          continue;
        }
        timeSplitter.Split(set);
        for (size_t p = 0; p < timeSplitter.counts().size(); ++p) {
          if (timeSplitter.counts()[p] < 2) continue;
          members.clear();
          for (size_t i = 0; i < set.size(); ++i)
            if (timeSplitter.partOf()[i] == p) members.push_back(set[i]);
          addNamedGroup(members);
        }
      }
    };
    const std::vector<uint32_t>& order = m_index->GroupOrder();
    for (size_t from = 0; from < order.size(); from += ChainReader::kKeys) {
      const size_t count = std::min(ChainReader::kKeys, order.size() - from);
      // The chains are read before their links are overwritten by the tags.
      chains.Read(order.data() + from, count);
      for (size_t k = 0; k < count; ++k) {
        const std::span<const uint32_t> files = chains.FilesOf(k);
        if (similar) {
          addSimilar(m_index->KeyText(order[from + k]), files);
          continue;
        }
        builder.SetKey(m_index->KeyText(order[from + k]));
        if (!byTime && !bySize) {
          const uint32_t tag = builder.AddGroup(false);
          for (const uint32_t f : files) m_index->TagFile(f, tag);
          continue;
        }
        splitter.Split(files, chains.DetailsOf(k));
        const auto& counts = splitter.counts();
        const auto& partOf = splitter.partOf();
        // Parts formed later stand before the split group, in the order they formed; a
        // file moved into such a part became its first, so they list their files last to
        // first.
        tagOf.assign(counts.size(), kNoEntry);
        for (size_t p = 1; p < counts.size(); ++p) {
          if (counts[p] >= 2) tagOf[p] = builder.AddGroup(true);
        }
        if (!counts.empty() && counts[0] >= 2) tagOf[0] = builder.AddGroup(false);
        for (size_t i = 0; i < files.size(); ++i) m_index->TagFile(files[i], tagOf[partOf[i]]);
      }
    }
  }
  m_index->ReleaseKeys();  // the tags now say where each file goes
  builder.MakeFiles();
  m_incomplete = builder.missed() > 0;
  // The map's file records are gone: nothing more can be read from it.
  m_index.reset();
}

void RunResult::KeepGroupsWhere(const std::function<bool(const DataNode* group)>& keep) {
  if (!m_root) return;
  for (DataNode* group = m_root->FirstChild(); group;) {
    DataNode* next = group->Next();
    if (!keep(group)) {
      m_root->val2 -= group->val2;
      DeleteNode(group);
      m_changed = true;
    }
    group = next;
  }
}

void RunResult::recountTree() {
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
