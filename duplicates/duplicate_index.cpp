#include "duplicates/duplicate_index.h"

#include <algorithm>
#include <functional>
#include <string>

#include "base/fetch_ahead.h"
#include "duplicates/criteria_key.h"

namespace tf {

namespace {

constexpr const char* kResultRootName = "Duplicate files results";

uint32_t hashOf(std::string_view text) {
  const uint64_t h = std::hash<std::string_view>()(text);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

std::mutex& IndexLock() {
  static std::mutex lock;
  return lock;
}

DuplicateIndex::~DuplicateIndex() {
  DeleteNode(m_root);
}

void DuplicateIndex::clear() {
  m_files.clear();
  m_keys.clear();
  m_folders.clear();
  m_sums.clear();
  m_slots.clear();
  m_slots.shrink_to_fit();
  m_groups.clear();
  m_groups.shrink_to_fit();
  m_unread.clear();
  m_lastFolder.clear();
  m_lastParts.clear();
  m_texts.Clear();
}

void DuplicateIndex::Configure(const DuplicateCriteria& criteria) {
  clear();
  DeleteNode(m_root);
  m_root = CreateNode(nullptr, kResultRootName, ATTACH_ROOT);
  m_criteria = criteria;
}

int DuplicateIndex::AddFile(std::string_view folder, std::string_view name, int64_t size,
                            int64_t modified) {
  std::lock_guard<std::mutex> lock(IndexLock());
  return AddFileLocked(folder, name, size, modified);
}

int DuplicateIndex::AddFileLocked(std::string_view folder, std::string_view name, int64_t size,
                                  int64_t modified, uint32_t links) {
  const NewFile file{name, size, modified, links};
  return AddFilesLocked(folder, std::span(&file, 1));
}

int DuplicateIndex::AddFilesLocked(std::string_view folder, std::span<const NewFile> files) {
  if (!m_root || files.empty()) return 0;
  const bool exact = KeyIsName(m_criteria);
  if (!exact) m_batchKeys.resize(std::max(m_batchKeys.size(), files.size()));
  m_batchHashes.resize(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    std::string_view key = files[i].name;
    if (!exact) key = m_batchKeys[i] = CriteriaKey(key, m_criteria);
    m_batchHashes[i] = hashOf(key);
  }
  // Room for every new key first, so that the slots fetched ahead stay where they are.
  if (m_slots.empty() && !m_keys.empty()) rebuildSlots();
  while ((m_keys.size() + files.size()) * 4 > m_slots.size() * 3) growSlots();
  prefetchKeys(m_batchHashes);
  const uint32_t folderId = internFolder(folder);
  int joined = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const NewFile& f = files[i];
    const std::string_view key = exact ? f.name : std::string_view(m_batchKeys[i]);
    joined +=
        addFile(folderId, f.name, key, m_batchHashes[i], f.size, f.modified, f.links, f.unread);
  }
  return joined;
}

void DuplicateIndex::prefetchKeys(std::span<const uint32_t> hashes) {
  const size_t mask = m_slots.size() - 1;
  // Each pass fetches what the next reads: the slots, then the keys they name, then the
  // key's text and its last file, which filing a file under the key compares and links.
  for (const uint32_t hash : hashes) FetchAhead(&m_slots[hash & mask]);
  for (const uint32_t hash : hashes) {
    const uint64_t slot = m_slots[hash & mask];
    if (slot != 0 && static_cast<uint32_t>(slot >> 32) == hash)
      FetchAhead(&m_keys[static_cast<uint32_t>(slot) - 1]);
  }
  for (const uint32_t hash : hashes) {
    const uint64_t slot = m_slots[hash & mask];
    if (slot == 0 || static_cast<uint32_t>(slot >> 32) != hash) continue;
    const KeyRecord& key = m_keys[static_cast<uint32_t>(slot) - 1];
    FetchAhead(key.text);
    if (key.last != kNoEntry) FetchAhead(&m_files[key.last], true);
  }
}

int DuplicateIndex::addFile(uint32_t folder, std::string_view name, std::string_view key,
                            uint32_t hash, int64_t size, int64_t modified, uint32_t links,
                            bool unread) {
  bool isNew = false;
  const uint32_t id = findOrInsertKey(key, hash, &isNew);
  if (isNew) m_keys[id].text = m_texts.StorePrefixed(key);
  FileRecord file;
  // In exact mode the key is the name: one copy serves every file of the key.
  file.name = KeyIsName(m_criteria) ? m_keys[id].text : m_texts.StorePrefixed(name);
  file.size = size;
  file.modified = modified;
  file.folder = folder;
  file.oneName = links == 1 ? 1 : 0;
  file.unread = unread ? 1 : 0;
  const bool formed = appendFile(id, file);
  if (formed) m_groups.push_back(id);
  return m_keys[id].Grouped() ? 1 : 0;
}

uint32_t DuplicateIndex::findOrInsertKey(std::string_view key, uint64_t hash, bool* isNew) {
  if (m_slots.empty() && !m_keys.empty()) rebuildSlots();
  if ((m_keys.size() + 1) * 4 > m_slots.size() * 3) growSlots();
  const uint32_t tag = static_cast<uint32_t>(hash);
  const size_t mask = m_slots.size() - 1;
  for (size_t i = tag & mask;; i = (i + 1) & mask) {
    const uint64_t slot = m_slots[i];
    if (slot == 0) {
      const uint32_t id = m_keys.push_back(KeyRecord());
      m_slots[i] = (uint64_t{tag} << 32) | (uint64_t{id} + 1);
      *isNew = true;
      return id;
    }
    if (static_cast<uint32_t>(slot >> 32) != tag) continue;
    const uint32_t id = static_cast<uint32_t>(slot) - 1;
    if (TextArena::Prefixed(m_keys[id].text) == key) {
      *isNew = false;
      return id;
    }
  }
}

void DuplicateIndex::growSlots() {
  std::vector<uint64_t> old;
  old.swap(m_slots);
  m_slots.assign(old.empty() ? 16 : old.size() * 2, 0);
  const size_t mask = m_slots.size() - 1;
  for (const uint64_t slot : old) {
    if (slot == 0) continue;
    size_t i = static_cast<uint32_t>(slot >> 32) & mask;
    while (m_slots[i] != 0) i = (i + 1) & mask;
    m_slots[i] = slot;
  }
}

void DuplicateIndex::ReleaseLookup() {
  std::vector<uint64_t>().swap(m_slots);
}

void DuplicateIndex::ReleaseKeys() {
  m_keys.clear();
  ReleaseLookup();
  std::vector<uint32_t>().swap(m_groups);
}

void DuplicateIndex::rebuildSlots() {
  size_t size = 16;
  while (m_keys.size() * 4 >= size * 3) size *= 2;
  m_slots.assign(size, 0);
  const size_t mask = size - 1;
  for (size_t id = 0; id < m_keys.size(); ++id) {
    const uint32_t tag = hashOf(KeyText(static_cast<uint32_t>(id)));
    size_t i = tag & mask;
    while (m_slots[i] != 0) i = (i + 1) & mask;
    m_slots[i] = (uint64_t{tag} << 32) | (uint64_t{id} + 1);
  }
}

bool DuplicateIndex::appendFile(uint32_t key, const FileRecord& file) {
  FileRecord copy = file;
  copy.next = kNoEntry;
  const uint32_t id = m_files.push_back(copy);
  KeyRecord& record = m_keys[key];
  const bool hadOne = record.last != kNoEntry && record.first == record.last;
  if (record.last == kNoEntry)
    record.first = id;
  else
    m_files[record.last].next = id;
  record.last = id;
  // A key that another file shares can group: its files unread so far must be read now.
  if (hadOne && m_files[record.first].unread) m_unread.push_back(record.first);
  if (record.Grouped() && copy.unread) m_unread.push_back(id);
  return hadOne;
}

std::vector<uint32_t> DuplicateIndex::TakeUnread() {
  std::vector<uint32_t> taken;
  taken.swap(m_unread);
  return taken;
}

void DuplicateIndex::ReadFile(uint32_t id, int64_t size, int64_t modified, uint32_t links) {
  FileRecord& file = m_files[id];
  file.size = size;
  file.modified = modified;
  file.oneName = links == 1 ? 1 : 0;
  file.unread = 0;
}

void DuplicateIndex::DropFile(uint32_t id) {
  const std::string_view name = NameOf(m_files[id]);
  const std::string key = CriteriaKey(name, m_criteria);
  bool isNew = false;
  const uint32_t keyId = findOrInsertKey(key, hashOf(key), &isNew);
  KeyRecord& record = m_keys[keyId];
  if (isNew) {  // never filed under it: nothing to take out
    record.text = m_texts.StorePrefixed(key);
    return;
  }
  uint32_t before = kNoEntry;
  uint32_t at = record.first;
  while (at != kNoEntry && at != id) {
    before = at;
    at = m_files[at].next;
  }
  if (at == kNoEntry) return;
  const uint32_t after = m_files[id].next;
  if (before == kNoEntry)
    record.first = after;
  else
    m_files[before].next = after;
  if (record.last == id) record.last = before;
  m_files[id].next = kNoEntry;
  m_files[id].unread = 0;
  m_files[id].size = kVanishedSize;
  // Still a group when it keeps two; else it may become one again, in its turn.
  if (record.first != kNoEntry && !record.Grouped())
    m_groups.erase(std::remove(m_groups.begin(), m_groups.end(), keyId), m_groups.end());
}

uint32_t DuplicateIndex::internFolder(std::string_view folder) {
  // A scan hands over the files of one folder after another, and a folder's neighbour
  // shares most of its path: only the parts after the common beginning are new.
  if (!m_lastParts.empty() && folder == m_lastFolder) return m_lastParts.back().second;
  size_t common = 0;
  const size_t limit = std::min(folder.size(), m_lastFolder.size());
  while (common < limit && folder[common] == m_lastFolder[common]) ++common;
  // A kept part must end where a part of the new folder ends too.
  while (!m_lastParts.empty()) {
    const size_t end = m_lastParts.back().first;
    if (end <= common && (end == 0 || folder[end - 1] == '/' || end == folder.size())) break;
    m_lastParts.pop_back();
  }
  m_lastFolder.assign(folder);
  size_t pos = m_lastParts.empty() ? 0 : m_lastParts.back().first;
  uint32_t parent = m_lastParts.empty() ? kNoEntry : m_lastParts.back().second;
  if (m_lastParts.empty() && folder.empty()) {
    parent = m_folders.push_back(FolderRecord{m_texts.StorePrefixed(""), kNoEntry});
    if (m_keepSums) m_sums.push_back(FolderSum());
    m_lastParts.emplace_back(0, parent);
  }
  while (pos < folder.size()) {
    const size_t slash = folder.find('/', pos);
    const size_t end = slash == std::string_view::npos ? folder.size() : slash + 1;
    parent = m_folders.push_back(
        FolderRecord{m_texts.StorePrefixed(folder.substr(pos, end - pos)), parent});
    if (m_keepSums) m_sums.push_back(FolderSum());
    m_lastParts.emplace_back(end, parent);
    pos = end;
  }
  return parent;
}

void DuplicateIndex::KeepFolderSums() {
  m_keepSums = true;
  while (m_sums.size() < m_folders.size()) m_sums.push_back(FolderSum());
}

void DuplicateIndex::AppendFolder(uint32_t folder, std::string* out) const {
  if (folder == kNoEntry) return;
  // Parts from the top down; folder chains are as deep as the folder tree.
  uint32_t chain[64];
  size_t depth = 0;
  uint32_t at = folder;
  while (at != kNoEntry && depth < 64) {
    chain[depth++] = at;
    at = m_folders[at].parent;
  }
  if (at != kNoEntry) AppendFolder(at, out);  // deeper than the chain holds
  while (depth > 0) out->append(TextArena::Prefixed(m_folders[chain[--depth]].part));
}

std::string DuplicateIndex::PathOf(const FileRecord& file) const {
  std::string path;
  AppendFolder(file.folder, &path);
  path.append(NameOf(file));
  return path;
}

std::vector<std::string> DuplicateIndex::Keys() const {
  std::vector<std::string> keys;
  keys.reserve(m_keys.size());
  for (size_t i = 0; i < m_keys.size(); ++i) keys.emplace_back(KeyText(static_cast<uint32_t>(i)));
  return keys;
}

void DuplicateIndex::MakeGroupNodes(DataNode* root) const {
  if (!root) return;
  while (DataNode* child = root->FirstChild()) DeleteNode(child);
  std::string path;
  for (const uint32_t key : m_groups) {
    DataNode* group = CreateNode(root, std::string(KeyText(key)).c_str(), ATTACH_LAST_CHILD);
    if (!group) continue;
    for (uint32_t f = m_keys[key].first; f != kNoEntry; f = m_files[f].next) {
      const FileRecord& file = m_files[f];
      path.clear();
      AppendFolder(file.folder, &path);
      const size_t folderLength = path.size();
      path.append(NameOf(file));
      DataNode* node = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
      if (!node) continue;
      path.resize(folderLength);
      SetDesc(node, path.c_str());
      node->val = file.size;
      node->val2 = file.modified;
    }
  }
}

DataNode* DuplicateIndex::TakeResultRoot() {
  DataNode* root = m_root;
  m_root = nullptr;
  return root;
}

void DuplicateIndex::Absorb(DuplicateIndex& other) {
  if (&other == this) return;
  m_texts.Adopt(other.m_texts);
  const uint32_t base = static_cast<uint32_t>(m_folders.size());
  for (size_t i = 0; i < other.m_folders.size(); ++i) {
    FolderRecord folder = other.m_folders[i];
    if (folder.parent != kNoEntry) folder.parent += base;
    m_folders.push_back(folder);
  }
  if (other.m_keepSums || m_keepSums) {
    // Sums stay beside their folders; an index that kept none gives empty ones.
    KeepFolderSums();  // pads this index's own folders, and the other's
    for (size_t i = 0; i < other.m_folders.size(); ++i)
      m_sums[base + i] = other.m_keepSums ? other.m_sums[i] : FolderSum();
  }
  m_lastFolder.clear();
  m_lastParts.clear();
  std::vector<uint32_t> formed;
  for (size_t k = 0; k < other.m_keys.size(); ++k) {
    const KeyRecord& theirs = other.m_keys[k];
    const std::string_view text = TextArena::Prefixed(theirs.text);
    bool isNew = false;
    const uint32_t id = findOrInsertKey(text, hashOf(text), &isNew);
    if (isNew) m_keys[id].text = theirs.text;  // the text came over with the arena
    const bool before = m_keys[id].Grouped();
    for (uint32_t f = theirs.first; f != kNoEntry; f = other.m_files[f].next) {
      FileRecord file = other.m_files[f];
      if (file.folder != kNoFolder) file.folder += base;
      appendFile(id, file);
    }
    if (!before && m_keys[id].Grouped()) formed.push_back(id);
  }
  // Vanished files are in no key; their records come too, so that their folders still
  // know that they are not whole.
  if (m_keepSums) {
    for (size_t f = 0; f < other.m_files.size(); ++f) {
      FileRecord file = other.m_files[f];
      if (file.size != kVanishedSize || file.folder == kNoFolder) continue;
      file.folder += base;
      file.next = kNoEntry;
      m_files.push_back(file);
    }
  }
  std::sort(formed.begin(), formed.end(),
            [this](uint32_t a, uint32_t b) { return KeyText(a) < KeyText(b); });
  m_groups.insert(m_groups.end(), formed.begin(), formed.end());
  other.clear();
}

size_t DuplicateIndex::ApproximateBytes() const {
  return m_files.ReservedBytes() + m_keys.ReservedBytes() + m_folders.ReservedBytes() +
         m_sums.ReservedBytes() + m_slots.capacity() * sizeof(uint64_t) +
         m_groups.capacity() * sizeof(uint32_t) + m_texts.ReservedBytes();
}

}  // namespace tf
