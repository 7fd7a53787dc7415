#include "scan/mask_collection.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/text_fold.h"
#include "datatree/node_xml.h"
#include "platform/node_files.h"
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
    {"Documents", "*.doc;*.txt;*.pdf;", 0},
    {"Images", "*.bmp;*.gif;*.jpg;", 0},
    {"Archives", "*.zip;*.arj;", 0},
    {"Temporary", "*.tmp;~*.*;*.bak;*.old;*.~*;", 1},
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

std::string baseName(const std::string& path) {
  return std::filesystem::path(path).stem().string();
}

}  // namespace

MaskCollection::MaskCollection() : m_root(CreateNode(nullptr, kRootName, ATTACH_ROOT)) {}

MaskCollection::~MaskCollection() {
  DeleteNode(m_root);
}

DataNode* MaskCollection::nodeOf(int number) const {
  for (DataNode* c = m_root ? m_root->FirstChild() : nullptr; c; c = c->Next())
    if (c->id == number) return c;
  return nullptr;
}

DataNode* MaskCollection::nodeNamed(const std::string& name) const {
  return FindChild(m_root, name.c_str());
}

int MaskCollection::lastNumber() const {
  int last = 0;
  for (DataNode* c = m_root ? m_root->FirstChild() : nullptr; c; c = c->Next())
    last = std::max(last, c->id);
  return last;
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
  DataNode* node = m_root ? CreateNode(m_root, group.name.c_str(), ATTACH_LAST_CHILD) : nullptr;
  if (!node) return m_lastError = kCannotCreateNode, 0;
  if (number <= last) {
    for (DataNode* c = m_root->FirstChild(); c; c = c->Next())
      if (c != node && c->id >= number) ++c->id;
  }
  node->id = number;
  SetDesc(node, group.masks);
  node->kind = group.temporary;
  node->group = group.fileCount;
  node->val = group.totalSize;
  node->val2 = group.secondTotal;
  node->attrs.Set(kEnabledAttr, AttrValue::FromInt(group.enabled), 1);
  ++m_count;
  m_modified = true;
  return number;
}

bool MaskCollection::DeleteGroup(const std::string& name) {
  DataNode* node = nodeNamed(name);
  if (!node) return false;
  const int number = node->id;
  DeleteNode(node);
  for (DataNode* c = m_root->FirstChild(); c; c = c->Next())
    if (c->id > number) --c->id;
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
  m_modified = true;
  if (!m_updating) rebuildIndex();
}

void MaskCollection::Clear() {
  if (m_root)
    while (m_root->FirstChild()) DeleteNode(m_root->FirstChild());
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
  const int last = lastNumber();
  for (int number = 1; number <= last; ++number) {
    DataNode* node = nodeOf(number);
    if (!node) continue;
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
  const int last = lastNumber();
  for (int number = 1; number <= last && built; ++number) {
    const DataNode* g = nodeOf(number);
    if (!g) continue;
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
  const std::string temp = path + ".part";
  built = built && WriteNodeXmlFile(file, temp, false, kStyleSheet);
  DeleteNode(file);
  std::error_code ec;
  if (built) std::filesystem::rename(temp, path, ec);
  if (!built || ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
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
  Clear();
  SetUpdating(true);
  for (DataNode* c = file->FirstChild(); c; c = c->Next()) {
    MaskGroup group;
    group.number = c->id;
    group.name = c->Name();
    group.masks = c->Desc();
    group.temporary = c->kind ? 1 : 0;
    group.enabled = c->val2 ? 1 : 0;
    group.fileCount = c->group;
    group.totalSize = c->val;
    if (!AddGroup(group)) break;
  }
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
  const int last = lastNumber();
  for (int number = 1; number <= last; ++number) {
    const DataNode* node = nodeOf(number);
    if (node && node->val != 0 && n-- == 0) {
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
