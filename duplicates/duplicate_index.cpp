#include "duplicates/duplicate_index.h"

#include <string>

namespace tf {

namespace {

constexpr const char* kResultRootName = "Duplicate files results";

int settingOf(DataNode* settings, const char* name) {
  return settings->attrs.ValueOf(name).AsInt();
}

// `folder` must be followed by a NUL in memory (the index stores folders so), which
// lets it become the description without a copy of its own.
DataNode* makeFileNode(DataNode* group, std::string_view folder, std::string_view name,
                       int64_t size, int64_t modified) {
  // One buffer per thread for the path: a node per grouped file is made, and a fresh
  // text for each would cost an allocation more.
  thread_local std::string path;
  path.assign(folder).append(name);
  DataNode* node = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
  if (!node) return nullptr;
  SetDesc(node, folder.data() ? folder.data() : "");
  node->val = size;
  node->val2 = modified;
  return node;
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
  m_map.clear();
  m_folders.clear();
  m_texts.Clear();
  DeleteNode(m_root);
  m_root = nullptr;
}

bool DuplicateIndex::Configure(DataNode* settings) {
  if (!settings) return false;
  clear();
  m_root = CreateNode(nullptr, kResultRootName, ATTACH_ROOT);
  const int name = settingOf(settings, "name");
  const int symbols = settingOf(settings, "symbols");
  m_symbols = 0;
  if (name == 0) {
    m_rule = NameRule::kExact;
  } else if (name == 2) {
    const bool usable = symbols >= 5 && symbols <= 10;
    m_rule = usable ? NameRule::kFirstSymbols : NameRule::kExact;
    m_symbols = usable ? symbols : 0;
  } else {
    m_rule = NameRule::kAnyExtension;
  }
  m_splitByTime = settingOf(settings, "time") == 0;
  m_splitBySize = settingOf(settings, "size") == 0;
  return true;
}

int DuplicateIndex::Add(const DataNode* file) {
  if (!file) return 0;
  const std::string_view path = file->Name();
  const size_t slash = path.rfind('/');
  const size_t cut = slash == std::string_view::npos ? 0 : slash + 1;
  return AddFile(path.substr(0, cut), path.substr(cut), file->val, file->val2);
}

int DuplicateIndex::AddFile(std::string_view folder, std::string_view name, int64_t size,
                            int64_t modified) {
  std::lock_guard<std::mutex> lock(IndexLock());
  return addLocked(folder, name, size, modified);
}

int DuplicateIndex::addLocked(std::string_view folder, std::string_view name, int64_t size,
                              int64_t modified) {
  if (!m_root) return 0;
  std::string built;
  std::string_view key = name;
  if (m_rule != NameRule::kExact) {
    built = MakeDuplicateKey(name, m_rule, m_symbols);
    key = built;
  }
  auto at = m_map.find(key);
  if (at != m_map.end()) {
    FileRecord& first = at->second;
    if (!first.group) first.group = makeGroup(at->first, first);
    if (first.group) {
      thread_local std::string folderText;  // `folder` need not end in a NUL
      folderText.assign(folder);
      makeFileNode(first.group, folderText, name, size, modified);
    }
    return 1;
  }
  FileRecord record;
  const std::string_view storedName = m_texts.Store(name);
  record.name = storedName.data();
  record.nameLength = static_cast<uint32_t>(storedName.size());
  record.folder = InternFolder(folder);
  record.size = size;
  record.modified = modified;
  const std::string_view storedKey = m_rule == NameRule::kExact ? storedName : m_texts.Store(key);
  m_map.emplace(storedKey, record);
  return 0;
}

uint32_t DuplicateIndex::InternFolder(std::string_view folder) {
  // A scan hands over the files of one folder after another, so the last folder is the
  // only one worth looking for.
  if (!m_folders.empty() && m_folders.back() == folder)
    return static_cast<uint32_t>(m_folders.size() - 1);
  m_folders.push_back(m_texts.StoreTerminated(folder));
  return static_cast<uint32_t>(m_folders.size() - 1);
}

DataNode* DuplicateIndex::makeGroup(std::string_view key, FileRecord& first) {
  DataNode* group = CreateNode(m_root, std::string(key).c_str(), ATTACH_LAST_CHILD);
  if (group) AddFileNode(group, first);
  return group;
}

DataNode* DuplicateIndex::AddFileNode(DataNode* group, const FileRecord& record) const {
  return makeFileNode(group, FolderOf(record), NameOf(record), record.size, record.modified);
}

std::string DuplicateIndex::PathOf(const FileRecord& record) const {
  std::string path(FolderOf(record));
  path.append(NameOf(record));
  return path;
}

DataNode* DuplicateIndex::TakeResultRoot() {
  DataNode* root = m_root;
  m_root = nullptr;
  return root;
}

std::pair<DuplicateMap::iterator, bool> DuplicateIndex::Insert(std::string_view key,
                                                               const FileRecord& record,
                                                               const DuplicateIndex& source,
                                                               uint32_t folder) {
  auto at = m_map.find(key);
  if (at != m_map.end()) return {at, false};
  FileRecord copy = record;
  const std::string_view storedName = m_texts.Store(source.NameOf(record));
  copy.name = storedName.data();
  copy.folder = folder;
  copy.group = nullptr;
  const std::string_view storedKey = key == source.NameOf(record) ? storedName : m_texts.Store(key);
  return m_map.emplace(storedKey, copy);
}

size_t DuplicateIndex::ApproximateBytes() const {
  // A hash node of libstdc++: the next link, the value and the cached hash, rounded up
  // to the allocator's 16-byte steps with its 8-byte header; and a bucket pointer each.
  const size_t node = 8 + sizeof(DuplicateMap::value_type) + 8;
  const size_t perEntry = (node + 8 + 15) / 16 * 16;
  return m_map.size() * perEntry + m_map.bucket_count() * sizeof(void*) + m_texts.ReservedBytes() +
         m_folders.capacity() * sizeof(std::string_view);
}

}  // namespace tf
