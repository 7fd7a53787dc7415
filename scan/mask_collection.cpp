#include "scan/mask_collection.h"

#include <algorithm>
#include <unordered_set>

#include "base/text_fold.h"
#include "datatree/node_xml.h"
#include "platform/node_files.h"
#include "platform/path_utils.h"
#include "scan/name_filter.h"

namespace tf {

namespace {

constexpr const char* kEnabledAttr = "enabled";

struct BuiltIn {
  const char* name;
  const char* masks;
  int32_t temporary;
};

constexpr BuiltIn kBuiltIn[] = {
    {"Executable, Libraries", "*.exe;*.dll;*.ocx;", 0},
    {"Internet files", "*.htm;*.html;*.asp;*.shtml;", 0},
    {"Documents", "*.doc;*.txt;*.pdf;*.odt;*.docx;*.xlsx;", 0},
    {"Images", "*.bmp;*.gif;*.jpg;*.png;*.jpeg;*.webp;*.heic;", 0},
    {"Archives", "*.zip;*.arj;*.7z;*.tar.gz;*.rar;", 0},
    {"Temporary", "*.tmp;~*.*;*.bak;*.old;*.~*;", 1},
    // After the classic six, so that their numbers stay as they always were.
    {"Video", "*.mp4;*.mkv;", 0},
};

// The masks of a group's text, as the name filter reads them; empty pieces dropped.
std::vector<std::string> masksOf(std::string_view text) {
  std::vector<std::string> out;
  const std::string clean = NameFilter::CleanMaskText(text);
  size_t start = 0;
  while (start <= clean.size()) {
    size_t semi = clean.find(';', start);
    if (semi == std::string::npos) semi = clean.size();
    if (semi > start) out.push_back(clean.substr(start, semi - start));
    start = semi + 1;
  }
  return out;
}

// The file name without its folder and its extension (a leading dot begins none).
std::string baseName(const std::string& path) {
  std::string name;
  SplitPath(path, nullptr, &name);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0 && name != "..") name.erase(dot);
  return name;
}

// Where each of `positions.size()` groups ends up when they are inserted one after the
// other, group i at index positions[i] (0-based, at most i) of the list made so far.
// Walked backwards, the last group takes its index for good and every earlier one takes
// the positions[i]-th place still free; a Fenwick tree finds that place in log time, so
// a file of any order loads in n log n rather than n² shifts.
std::vector<size_t> finalPlaces(const std::vector<size_t>& positions) {
  const size_t n = positions.size();
  std::vector<size_t> tree(n + 1, 0);  // counts of free places
  for (size_t i = 1; i <= n; ++i) {
    tree[i] += 1;
    const size_t up = i + (i & (~i + 1));
    if (up <= n) tree[up] += tree[i];
  }
  size_t top = 1;
  while (top * 2 <= n) top *= 2;
  std::vector<size_t> places(n);
  for (size_t i = n; i-- > 0;) {
    // The (positions[i] + 1)-th free place.
    size_t at = 0, left = positions[i] + 1;
    for (size_t step = top; step > 0; step /= 2) {
      if (at + step <= n && tree[at + step] < left) {
        at += step;
        left -= tree[at];
      }
    }
    places[i] = at;  // 0-based
    for (size_t k = at + 1; k <= n; k += k & (~k + 1)) tree[k] -= 1;
  }
  return places;
}

}  // namespace

MaskCollection::MaskCollection() : m_root(CreateNode(nullptr, kRootName, ATTACH_ROOT)) {}

MaskCollection::~MaskCollection() = default;

DataNode* MaskCollection::nodeOf(int number) const {
  if (number < 1 || number > lastNumber()) return nullptr;
  return m_ordered[static_cast<size_t>(number) - 1];
}

DataNode* MaskCollection::nodeNamed(const std::string& name) const {
  // Node names end at the first NUL, as they always have for the lookup by name.
  const auto it = m_byName.find(std::string(name.c_str()));
  return it == m_byName.end() ? nullptr : it->second;
}

int MaskCollection::lastNumber() const {
  return static_cast<int>(m_ordered.size());
}

void MaskCollection::renumberFrom(size_t index) {
  for (size_t i = index; i < m_ordered.size(); ++i) m_ordered[i]->id = static_cast<int>(i) + 1;
}

DataNode* MaskCollection::makeNode(const MaskGroup& group) {
  DataNode* node =
      m_root ? CreateNode(m_root.get(), group.name.c_str(), ATTACH_LAST_CHILD) : nullptr;
  if (!node) return nullptr;
  SetDesc(node, group.masks);
  node->kind = group.temporary;
  node->group = group.fileCount;
  node->val = group.totalSize;
  node->val2 = group.secondTotal;
  node->attrs.Set(kEnabledAttr, AttrValue::FromInt(group.enabled), 1);
  m_byName.emplace(node->Name(), node);
  return node;
}

void MaskCollection::fill(const DataNode* node, MaskGroup* out) {
  if (!out) return;
  out->number = node->id;
  out->name = node->Name();
  out->masks = node->Desc();
  out->temporary = node->kind;
  out->fileCount = node->group;
  out->totalSize = node->val;
  out->secondTotal = node->val2;
  const NodeAttr* enabled = const_cast<DataNode*>(node)->attrs.Find(kEnabledAttr);
  out->enabled = enabled ? enabled->value.AsInt() : 1;
}

int MaskCollection::AddGroup(const MaskGroup& group) {
  m_lastError = kNoError;
  if (!m_updating) return 0;
  if (group.name.empty() || group.masks.empty()) return m_lastError = kEmptyField, 0;
  if (nodeNamed(group.name)) return m_lastError = kNameExists, 0;
  const int last = lastNumber();
  const int number = group.number <= 0 || group.number > last ? last + 1 : group.number;
  DataNode* node = makeNode(group);
  if (!node) return m_lastError = kCannotCreateNode, 0;
  m_ordered.insert(m_ordered.begin() + (number - 1), node);
  renumberFrom(static_cast<size_t>(number) - 1);
  ++m_count;
  m_modified = true;
  return number;
}

bool MaskCollection::DeleteGroup(const std::string& name) {
  DataNode* node = nodeNamed(name);
  if (!node) return false;
  const size_t index = static_cast<size_t>(node->id) - 1;
  m_byName.erase(node->Name());
  DeleteNode(node);
  m_ordered.erase(m_ordered.begin() + static_cast<std::ptrdiff_t>(index));
  renumberFrom(index);
  --m_count;
  m_modified = true;
  if (!m_updating) rebuildIndex();
  return true;
}

bool MaskCollection::GetGroup(int number, MaskGroup* out) const {
  const DataNode* node = nodeOf(number);
  if (node) fill(node, out);
  return node != nullptr;
}

bool MaskCollection::FindGroup(const std::string& name, MaskGroup* out) const {
  const DataNode* node = nodeNamed(name);
  if (node) fill(node, out);
  return node != nullptr;
}

void MaskCollection::SwapNumbers(int a, int b) {
  if (a == b) return;
  DataNode* na = nodeOf(a);
  DataNode* nb = nodeOf(b);
  if (!na || !nb) return;
  std::swap(na->id, nb->id);
  std::swap(m_ordered[static_cast<size_t>(a) - 1], m_ordered[static_cast<size_t>(b) - 1]);
  m_modified = true;
  if (!m_updating) rebuildIndex();
}

void MaskCollection::Clear() {
  if (m_root)
    while (m_root->FirstChild()) DeleteNode(m_root->FirstChild());
  m_ordered.clear();
  m_byName.clear();
  m_count = 0;
  dropIndex();
}

void MaskCollection::SetUpdating(bool updating) {
  m_updating = updating;
  if (updating) {
    dropIndex();
  } else {
    rebuildIndex();
  }
}

void MaskCollection::dropIndex() {
  m_index.clear();
  m_compiled.clear();
}

void MaskCollection::rebuildIndex() {
  dropIndex();
  m_compiled.reserve(m_ordered.size());
  for (DataNode* node : m_ordered) {
    IndexedGroup entry{node, MaskList()};
    for (const std::string& mask : masksOf(node->Desc())) {
      std::vector<DataNode*>& groups = m_index[FoldUpper(mask)];
      if (groups.empty() || groups.back() != node) groups.push_back(node);
      entry.masks.Add(mask);
    }
    m_compiled.push_back(std::move(entry));
  }
}

void MaskCollection::AssignFrom(const MaskCollection& other) {
  if (&other == this) return;
  Clear();
  SetUpdating(true);
  MaskGroup group;
  for (int number = 1; number <= kMaxCopiedGroups && other.GetGroup(number, &group); ++number)
    AddGroup(group);
  SetUpdating(false);
  m_modified = other.m_modified;
  m_name = other.m_name;
}

void MaskCollection::AddBuiltInGroups() {
  Clear();
  SetUpdating(true);
  int number = 1;
  for (const BuiltIn& b : kBuiltIn) {
    MaskGroup group;
    group.number = number++;
    group.name = b.name;
    group.masks = b.masks;
    group.temporary = b.temporary;
    AddGroup(group);
  }
  SetUpdating(false);
  m_modified = true;
}

bool MaskCollection::SaveToFile(const std::string& path) {
  DataNode* file = CreateNode(nullptr, kRootName, ATTACH_ROOT);
  if (!file || path.empty()) return DeleteNode(file), false;
  bool built = true;
  for (const DataNode* g : m_ordered) {
    const int number = g->id;
    MaskGroup group;
    fill(g, &group);
    DataNode* node = CreateNode(file, g->Name(), ATTACH_LAST_CHILD);
    built = node != nullptr;
    if (!built) break;
    SetDesc(node, g->Desc());
    node->id = number;
    node->kind = group.temporary ? 1 : 0;
    node->val2 = group.enabled ? 1 : 0;
    node->group = group.fileCount;
    node->val = group.totalSize;
  }
  built = built && WriteNodeXmlFile(file, path, false, kStyleSheet);
  DeleteNode(file);
  if (!built) return false;
  m_name = baseName(path);
  m_modified = false;
  return true;
}

bool MaskCollection::LoadFromFile(const std::string& path) {
  DataNode* file = path.empty() ? nullptr : LoadTreeXmlFile(path);
  if (!file || std::string_view(file->Name()) != kRootName) {
    DeleteNode(file);
    return false;
  }
  // The groups as AddGroup would take them one by one, up to the first it would refuse;
  // their final order is worked out at once instead of shifting the list for each.
  std::vector<MaskGroup> groups;
  std::vector<size_t> positions;
  std::unordered_set<std::string> names;
  for (DataNode* c = file->FirstChild(); c; c = c->Next()) {
    MaskGroup group;
    group.number = c->id;
    group.name = c->Name();
    group.masks = c->Desc();
    group.temporary = c->kind ? 1 : 0;
    group.enabled = c->val2 ? 1 : 0;
    group.fileCount = c->group;
    group.totalSize = c->val;
    if (group.name.empty() || group.masks.empty() || !names.insert(group.name).second) break;
    const size_t count = groups.size();
    positions.push_back(group.number <= 0 || static_cast<size_t>(group.number) > count
                            ? count
                            : static_cast<size_t>(group.number) - 1);
    groups.push_back(std::move(group));
  }
  Clear();
  SetUpdating(true);
  const std::vector<size_t> places = finalPlaces(positions);
  m_ordered.assign(groups.size(), nullptr);
  for (size_t i = 0; i < groups.size(); ++i) {
    DataNode* node = makeNode(groups[i]);
    if (!node) {
      // Out of memory part-way: keep the groups made so far, in their order.
      m_ordered.erase(std::remove(m_ordered.begin(), m_ordered.end(), nullptr), m_ordered.end());
      break;
    }
    m_ordered[places[i]] = node;
  }
  renumberFrom(0);
  m_count = static_cast<int>(m_ordered.size());
  SetUpdating(false);
  DeleteNode(file);
  m_name = baseName(path);
  m_modified = false;
  return true;
}

int MaskCollection::Account(std::string_view fileName, int64_t size, int64_t size2,
                            bool* temporary) {
  if (temporary) *temporary = false;
  if (m_updating) return 0;
  m_scratch.Assign(fileName);
  int matched = 0;
  for (IndexedGroup& g : m_compiled) {
    if (!g.masks.Match(m_scratch)) continue;
    ++matched;
    ++g.node->group;
    g.node->val += size;
    g.node->val2 += size2;
    if (temporary && g.node->kind) *temporary = true;
  }
  return matched;
}

void MaskCollection::ResetCounters() {
  for (DataNode* c = m_root ? m_root->FirstChild() : nullptr; c; c = c->Next()) {
    c->group = 0;
    c->val = 0;
    c->val2 = 0;
  }
}

bool MaskCollection::GetCounted(int n, MaskGroup* out) const {
  for (const DataNode* node : m_ordered) {
    if (node->val != 0 && n-- == 0) {
      fill(node, out);
      return true;
    }
  }
  return false;
}

std::vector<int> MaskCollection::GroupsWithMask(std::string_view mask) const {
  std::vector<int> numbers;
  auto it = m_index.find(FoldUpper(NameFilter::CleanMaskText(mask)));
  if (it == m_index.end()) return numbers;
  for (const DataNode* node : it->second) numbers.push_back(node->id);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string MaskCollection::NewGroupName() const {
  for (long n = 1;; ++n) {
    std::string name = "New group " + std::to_string(n);
    if (!nodeNamed(name)) return name;
  }
}

}  // namespace tf
