// DuplicateIndex: files one folder scan's files under their group keys. A key with a
// second file is a group; the group nodes themselves are made only when the result is
// finished (RunResult::Finalise), and only for the files that stay in a group, so that a
// scan of millions of files keeps a few dozen bytes per file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/duplicate_criteria.h"
#include "duplicates/duplicate_key.h"
#include "duplicates/folder_sum.h"
#include "duplicates/text_arena.h"

namespace tf {

constexpr uint32_t kNoEntry = 0xFFFFFFFFu;

// Records in blocks: past the first block (which grows until it is full) records never
// move, so a table of millions of records never needs room for two of itself. A
// reference to a record of the first block is good only until the next push_back.
template <typename T>
class BlockArray {
 public:
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  static constexpr size_t kShift = 14;
  static constexpr size_t kBlock = size_t{1} << kShift;

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  T& operator[](size_t i) { return block(i >> kShift)[i & (kBlock - 1)]; }
  const T& operator[](size_t i) const { return block(i >> kShift)[i & (kBlock - 1)]; }
  uint32_t push_back(const T& value) {
    if (m_size < kBlock) {
      // The first block grows by doubling up to its full size, so that the many small
      // indexes (one per folder scan) stay small.
      if (m_size == m_firstCapacity) growFirst();
    } else if ((m_size & (kBlock - 1)) == 0) {
      // Left uninitialised: pages the table has not reached yet are never touched.
      m_blocks.emplace_back(static_cast<T*>(::operator new(kBlock * sizeof(T))));
    }
    new (&block(m_size >> kShift)[m_size & (kBlock - 1)]) T(value);
    return static_cast<uint32_t>(m_size++);
  }
  void clear() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_size = 0;
    m_firstCapacity = 0;
    m_released = 0;
  }
  // Frees every block whose records all lie below `end`; reading those records again is
  // an error. A table read from front to back gives back its memory as it goes.
  void ReleaseBelow(size_t end) {
    for (; m_released < m_blocks.size() && (m_released + 1) * kBlock <= end; ++m_released)
      m_blocks[m_released].reset();
  }
  size_t ReservedBytes() const {
    if (m_blocks.empty()) return 0;
    size_t bytes = m_blocks[0] ? m_firstCapacity * sizeof(T) : 0;
    for (size_t b = 1; b < m_blocks.size(); ++b) bytes += m_blocks[b] ? kBlock * sizeof(T) : 0;
    return bytes;
  }

 private:
  struct Free {
    void operator()(T* p) const { ::operator delete(p); }
  };
  T* block(size_t b) const { return m_blocks[b].get(); }
  void growFirst() {
    const size_t capacity = m_firstCapacity == 0 ? 16 : std::min(kBlock, m_firstCapacity * 2);
    T* grown = static_cast<T*>(::operator new(capacity * sizeof(T)));
    if (m_size > 0) std::memcpy(static_cast<void*>(grown), m_blocks[0].get(), m_size * sizeof(T));
    if (m_blocks.empty())
      m_blocks.emplace_back(grown);
    else
      m_blocks[0].reset(grown);
    m_firstCapacity = capacity;
  }

  std::vector<std::unique_ptr<T, Free>> m_blocks;
  size_t m_size = 0;
  size_t m_firstCapacity = 0;  // elements the first block holds
  size_t m_released = 0;       // blocks freed from the front
};

constexpr uint32_t kNoFolder = 0x3FFFFFFFu;
// The size a file record keeps once the file vanished before it could be read.
constexpr int64_t kVanishedSize = -1;

// One scanned file: 32 bytes. The name and the folder live in the index's tables.
struct FileRecord {
  const char* name = nullptr;  // length-prefixed text in the index's arena
  int64_t size = 0;
  int64_t modified = 0;  // last-write time, 100 ns since 1601 UTC
  // In the index's folder table. 30 bits leave room for the marks below within the 32
  // bytes of a record.
  uint32_t folder : 30 = kNoFolder;
  // The walk saw that the file has one name only: no other name of it can be in a group.
  uint32_t oneName : 1 = 0;
  // Filed by its name alone: size and time are not read yet (see TakeUnread).
  uint32_t unread : 1 = 0;
  uint32_t next = kNoEntry;  // the next file under the same key, in arrival order
};

// One key: its files form a chain in the order they arrived. 16 bytes: most keys of a
// big tree have one file, so the key table is a good part of the memory per file. A key
// with two or more files (a group) is one whose chain has two ends.
struct KeyRecord {
  const char* text = nullptr;  // length-prefixed; the first file's name in exact mode
  uint32_t first = kNoEntry;
  uint32_t last = kNoEntry;
  bool Grouped() const { return first != last; }
};

// A folder as its last part below its parent: paths share their common beginning.
struct FolderRecord {
  const char* part = nullptr;  // length-prefixed, normally ending in '/'
  uint32_t parent = kNoEntry;
};

// The process-wide lock that serialises insertions into every duplicate index.
std::mutex& IndexLock();

class DuplicateIndex {
 public:
  DuplicateIndex() = default;
  ~DuplicateIndex();
  DuplicateIndex(const DuplicateIndex&) = delete;
  DuplicateIndex& operator=(const DuplicateIndex&) = delete;

  // Takes the criteria the keys are made by: clears the map, replaces the result root by
  // a new "Duplicate files results".
  void Configure(const DuplicateCriteria& criteria);
  // Files one file: `folder` ends in '/' (or is empty), `name` is the file name. 1 when
  // the file joined a group, 0 when it was the first of its key or when the index has no
  // root. Takes the index lock.
  int AddFile(std::string_view folder, std::string_view name, int64_t size, int64_t modified);
  // For callers that file many files at once under one hold of IndexLock().
  // `links`: the names the file has, as the walk saw them (0: not known).
  int AddFileLocked(std::string_view folder, std::string_view name, int64_t size, int64_t modified,
                    uint32_t links = 0);
  // One file for AddFilesLocked.
  struct NewFile {
    std::string_view name;
    int64_t size = 0;
    int64_t modified = 0;
    uint32_t links = 0;
    bool unread = false;  // size, time and links not read yet
  };
  // Files several files of one folder under one hold of IndexLock(), as AddFileLocked
  // would one after another; the number that joined a group. Their keys are looked up
  // ahead, so that the waits for the map's scattered records overlap.
  int AddFilesLocked(std::string_view folder, std::span<const NewFile> files);

  // Files filed unread whose key another file now shares, in the order they came to need
  // it: their size and time must be read (ReadFile) or the file dropped (DropFile) before
  // the groups are formed. A key's first file comes with its second.
  std::vector<uint32_t> TakeUnread();
  bool HasUnread() const { return !m_unread.empty(); }
  // Gives taken files back unread (a stopped walk did not get to them): whoever forms the
  // groups reads them.
  void PutBackUnread(std::span<const uint32_t> ids) {
    m_unread.insert(m_unread.end(), ids.begin(), ids.end());
  }
  void ReadFile(uint32_t id, int64_t size, int64_t modified, uint32_t links);
  // Takes a file out of its key (it vanished before its size was read; its record stays,
  // with kVanishedSize, for its folder's sake); a key left with one file is no group any
  // more.
  void DropFile(uint32_t id);

  // Keeps a FolderSum beside every folder record from now on (for the folder groups).
  void KeepFolderSums();
  bool KeepsFolderSums() const { return m_keepSums; }
  // The folder record of `folder` (ending in '/'), made when new, under IndexLock(); the
  // files of that folder filed next share it.
  uint32_t InternFolderLocked(std::string_view folder) { return internFolder(folder); }
  FolderSum& Sum(uint32_t folder) { return m_sums[folder]; }
  const FolderSum& Sum(uint32_t folder) const { return m_sums[folder]; }

  // Hands the result root over; the index forgets it (and files nothing more).
  DataNode* TakeResultRoot();
  bool HasResult() const { return m_root != nullptr; }
  DataNode* ResultRoot() const { return m_root; }
  // Puts a node for every group (named by its key, kind 0, no totals), with its files in
  // arrival order, under `root` (replacing its children): the groups as they stand before
  // the result is finished. Without an argument: under the index's own result root.
  void MakeGroupNodes(DataNode* root) const;
  void MakeGroupNodes() { MakeGroupNodes(m_root); }

  const DuplicateCriteria& criteria() const { return m_criteria; }

  // Distinct keys, and their texts (in no particular order).
  size_t KeyCount() const { return m_keys.size(); }
  std::vector<std::string> Keys() const;
  // Keys with two or more files, in the order they became groups.
  const std::vector<uint32_t>& GroupOrder() const { return m_groups; }
  const KeyRecord& Key(uint32_t id) const { return m_keys[id]; }
  const FileRecord& File(uint32_t id) const { return m_files[id]; }
  std::string_view KeyText(uint32_t id) const { return TextArena::Prefixed(m_keys[id].text); }
  std::string_view NameOf(const FileRecord& file) const { return TextArena::Prefixed(file.name); }
  // Files filed, and folder records: a file or folder id is below these.
  size_t FileCount() const { return m_files.size(); }
  size_t FolderCount() const { return m_folders.size(); }
  // A folder's own part and its parent folder (kNoEntry for the first part).
  std::string_view FolderPart(uint32_t folder) const {
    return TextArena::Prefixed(m_folders[folder].part);
  }
  uint32_t FolderParent(uint32_t folder) const { return m_folders[folder].parent; }
  // Appends the folder of a file (ending in '/', as it was filed) to `out`.
  void AppendFolder(uint32_t folder, std::string* out) const;
  // The full path of a file.
  std::string PathOf(const FileRecord& file) const;

  // Folds every file of `other` into this index: keys already here get the other's
  // files after their own, new keys come over whole. Keys that become groups here are
  // added to the group order in the byte order of their texts. `other` ends up empty;
  // its texts now live in this index.
  void Absorb(DuplicateIndex& other);

  // Frees the key lookup (rebuilt when a key is looked up again): once the result is
  // being made, only the files and groups are needed.
  void ReleaseLookup();
  // Frees the keys, their lookup and the group order: once every file of a group is
  // tagged with it, the files are read without their keys.
  void ReleaseKeys();

  // For making the result, which spends the map as it goes. TagFile replaces the link
  // of a file to the next of its key by `tag`: the key chains are read no more.
  // ReleaseFilesBelow frees the records of the files below `end` (in whole blocks): they
  // are read no more either.
  void TagFile(uint32_t id, uint32_t tag) { m_files[id].next = tag; }
  void ReleaseFilesBelow(size_t end) { m_files.ReleaseBelow(end); }

  // Heap bytes held by the tables and texts (not the nodes).
  size_t ApproximateBytes() const;

 private:
  uint32_t findOrInsertKey(std::string_view key, uint64_t hash, bool* isNew);
  int addFile(uint32_t folder, std::string_view name, std::string_view key, uint32_t hash,
              int64_t size, int64_t modified, uint32_t links, bool unread);
  // Asks the processor to fetch what looking up these keys will read.
  void prefetchKeys(std::span<const uint32_t> hashes);
  void growSlots();
  void rebuildSlots();
  uint32_t internFolder(std::string_view folder);
  // True when the file made the key a group (it is the key's second file).
  bool appendFile(uint32_t key, const FileRecord& file);
  void clear();

  DataNode* m_root = nullptr;
  TextArena m_texts;
  BlockArray<FileRecord> m_files;
  BlockArray<KeyRecord> m_keys;
  BlockArray<FolderRecord> m_folders;
  BlockArray<FolderSum> m_sums;  // beside m_folders when m_keepSums
  bool m_keepSums = false;
  // Open addressing over the keys: key id + 1 (0 empty) and the upper hash bits.
  std::vector<uint64_t> m_slots;
  std::vector<uint32_t> m_groups;
  std::vector<uint32_t> m_unread;  // see TakeUnread
  // The folder path filed last and the folder ids of its parts, so that the next
  // folder (usually the same or a neighbour) is interned by its new parts only.
  std::string m_lastFolder;
  std::vector<std::pair<size_t, uint32_t>> m_lastParts;  // (end offset, folder id)
  DuplicateCriteria m_criteria;
  // AddFilesLocked's keys and their hashes, kept for the next batch.
  std::vector<std::string> m_batchKeys;
  std::vector<uint32_t> m_batchHashes;
};

}  // namespace tf
