#include "results/result_rows.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "base/text_fold.h"
#include "platform/display_format.h"

namespace tf {

namespace {

constexpr int kKeyBits = 15;

// Header column -> key; -1 where a click only beeps.
constexpr int kGroupKeys[] = {kSortByName, kSortByDesc, kSortByVal2, kSortByVal};
constexpr int kFileKeys[] = {kSortByName, kSortByVal, kSortByVal2};
constexpr int kUnifiedKeys[] = {kSortByName, kSortByVal, -1};

constexpr const char* kGroupCaptions[] = {"File", "Type", "##", "Size w/dup"};
constexpr const char* kFileCaptions[] = {"File", "Size", "Time"};

// What a list sorts by: one field of the node in its own direction (text ascending,
// numbers descending: the largest, the most, the newest first), inverted when reversed,
// then by name, which is never inverted.
enum class Field { kName, kDesc, kVal, kVal2 };
struct Order {
  Field field;
  bool reversed;
  bool tieByName;
};

Order groupOrder(int key) {
  const bool reversed = (key & kSortReversed) != 0;
  switch (key & kKeyBits) {
    case kSortByVal:
      return {Field::kVal, reversed, true};
    case kSortByVal2:
      return {Field::kVal2, reversed, true};
    case kSortByDesc:
      return {Field::kDesc, reversed, true};
    default:
      return {Field::kName, reversed, false};  // equal names compare equal
  }
}

Order fileOrder(int key) {
  const bool reversed = (key & kSortReversed) != 0;
  switch (key & kKeyBits) {
    case kSortByVal:
      return {Field::kVal, reversed, true};
    case kSortByVal2:
      return {Field::kVal2, reversed, true};
    default:
      return {Field::kName, reversed, false};
  }
}

// The unified list orders groups by name or by total size; by name its files always
// ascend by path, by size they follow the size order and its direction.
Order unifiedGroupOrder(int key) {
  return (key & kKeyBits) == kSortByVal ? groupOrder(key) : groupOrder(key & kSortReversed);
}
Order unifiedFileOrder(int key) {
  return (key & kKeyBits) == kSortByVal ? fileOrder(key) : fileOrder(kSortByName);
}

// The first 16 bytes of the folded text as two big-endian numbers, zero-padded: prefixes
// order like the texts, so most comparisons of a sort read no text and touch no node.
// Folding keeps every character's length, so the fold of the first 24 bytes begins with
// the right 16.
struct Prefix {
  uint64_t high = 0;
  uint64_t low = 0;
  // The text ended inside the prefix: equal prefixes mean equal texts.
  bool complete() const { return (low & 0xFF) == 0; }
};

constexpr size_t kPrefixBytes = 16;

Prefix foldedPrefix(const char* text) {
  unsigned char bytes[kPrefixBytes] = {};
  size_t length = 0;
  bool ascii = true;
  for (; length < kPrefixBytes && text[length]; ++length) {
    const auto c = static_cast<unsigned char>(text[length]);
    if (c >= 0x80) ascii = false;
    bytes[length] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  if (!ascii) {
    size_t head = length;
    while (head < kPrefixBytes + 8 && text[head]) ++head;
    const std::string folded = FoldUpper(std::string_view(text, head));
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(folded[i]);
  }
  Prefix prefix;
  for (size_t i = 0; i < 8; ++i) prefix.high = prefix.high << 8 | bytes[i];
  for (size_t i = 8; i < kPrefixBytes; ++i) prefix.low = prefix.low << 8 | bytes[i];
  return prefix;
}

// The deepest folder two files share, or null.
const FolderText* sharedFolder(const FolderText* a, const FolderText* b) {
  if (!a || !b) return nullptr;
  while (a->depth > b->depth) a = a->parent;
  while (b->depth > a->depth) b = b->parent;
  while (a != b) a = a->parent, b = b->parent;
  return a;
}

// The folder every file of a range is in, or null (then also when a row is no file in a
// folder). Sort keys begin below it: the paths of a group mostly share their first
// folders, which would leave nothing to tell them apart in the first bytes.
const FolderText* folderOfAll(std::vector<DataNode*>::const_iterator begin,
                              std::vector<DataNode*>::const_iterator end) {
  if (begin == end) return nullptr;
  const FolderText* shared = (*begin)->Folder();
  for (auto it = begin; it != end && shared; ++it) shared = sharedFolder(shared, (*it)->Folder());
  return shared;
}

// The prefix of a whole name kept in parts, from byte `from` on: the first bytes put
// together, enough for the fold above.
Prefix foldedPrefix(const DataNode* node, size_t from) {
  if (!node->NameFollowsDesc()) return foldedPrefix(node->Name());
  char head[kPrefixBytes + 8 + 1];
  head[CopyFullNameStart(node, from, head, sizeof head - 1)] = '\0';
  return foldedPrefix(head);
}

// A number in an unsigned form whose ascending order is the descending signed order.
uint64_t descendingKey(int64_t value) {
  return ~(static_cast<uint64_t>(value) ^ (uint64_t{1} << 63));
}

struct Keyed {
  Prefix primary;  // text prefix, or in `high` the descending number
  Prefix name;     // name prefix, for the tie-break
  DataNode* node;
  size_t at;  // position before sorting
};

int compareKeys(uint64_t a, uint64_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// Prefixes that differ decide; equal ones decide too when the texts ended inside them.
// Only then are the nodes read, which is what costs in a large sort (cache misses).
int compareText(const Prefix& prefixA, const Prefix& prefixB, const DataNode* a, const DataNode* b,
                bool desc) {
  int byPrefix = compareKeys(prefixA.high, prefixB.high);
  if (byPrefix == 0) byPrefix = compareKeys(prefixA.low, prefixB.low);
  if (byPrefix != 0 || prefixA.complete()) return byPrefix;
  return desc ? CompareNames(a->Desc(), b->Desc()) : CompareFullNames(a, b);
}

int compareKeyed(const Keyed& a, const Keyed& b, const Order& order) {
  int primary;
  if (order.field == Field::kName || order.field == Field::kDesc)
    primary = compareText(a.primary, b.primary, a.node, b.node, order.field == Field::kDesc);
  else
    primary = compareKeys(a.primary.high, b.primary.high);
  if (order.reversed) primary = -primary;
  if (primary != 0 || !order.tieByName) return primary;
  return compareText(a.name, b.name, a.node, b.node, false);
}

// The same comparison straight on the nodes, for short ranges.
int compareNodes(const DataNode* a, const DataNode* b, const Order& order) {
  int primary;
  if (order.field == Field::kName)
    primary = CompareFullNames(a, b);
  else if (order.field == Field::kDesc)
    primary = CompareNames(a->Desc(), b->Desc());
  else if (order.field == Field::kVal)
    primary = compareKeys(descendingKey(a->val), descendingKey(b->val));
  else
    primary = compareKeys(descendingKey(a->val2), descendingKey(b->val2));
  if (order.reversed) primary = -primary;
  if (primary != 0 || !order.tieByName) return primary;
  return CompareFullNames(a, b);
}

// The rows in their new order, each with its old position. Stable: rows that compare
// equal keep their order.
std::vector<Keyed> sortKeyed(std::vector<DataNode*>::const_iterator begin,
                             std::vector<DataNode*>::const_iterator end, const Order& order) {
  std::vector<Keyed> keyed;
  keyed.reserve(static_cast<size_t>(end - begin));
  const FolderText* shared =
      order.field == Field::kName || order.tieByName ? folderOfAll(begin, end) : nullptr;
  const size_t skip = shared ? shared->size : 0;
  for (auto it = begin; it != end; ++it) {
    DataNode* node = *it;
    Prefix primary;
    switch (order.field) {
      case Field::kName:
        primary = foldedPrefix(node, skip);
        break;
      case Field::kDesc:
        primary = foldedPrefix(node->Desc());
        break;
      case Field::kVal:
        primary.high = descendingKey(node->val);
        break;
      case Field::kVal2:
        primary.high = descendingKey(node->val2);
        break;
    }
    const Prefix name = order.tieByName ? foldedPrefix(node, skip) : Prefix();
    keyed.push_back({primary, name, node, keyed.size()});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [&order](const Keyed& a, const Keyed& b) {
    return compareKeyed(a, b, order) < 0;
  });
  return keyed;
}

// Stable. The few files of one group are sorted in place; long ranges through their keys.
void sortRange(std::vector<DataNode*>::iterator begin, std::vector<DataNode*>::iterator end,
               const Order& order) {
  if (end - begin <= 16) {
    for (auto it = begin + (begin != end); it < end; ++it) {
      DataNode* node = *it;
      auto hole = it;
      for (; hole != begin && compareNodes(node, *(hole - 1), order) < 0; --hole)
        *hole = *(hole - 1);
      *hole = node;
    }
    return;
  }
  for (const Keyed& k : sortKeyed(begin, end, order)) *begin++ = k.node;
}

// One group row and the file rows after it.
struct Block {
  size_t begin;
  size_t end;
};

// Appends `group`'s row and its file rows in the order of `files`.
void appendBlock(DataNode* group, std::vector<DataNode*>::const_iterator begin,
                 std::vector<DataNode*>::const_iterator end, const Order& files,
                 std::vector<DataNode*>* out) {
  out->push_back(group);
  const size_t first = out->size();
  out->insert(out->end(), begin, end);
  sortRange(out->begin() + static_cast<std::ptrdiff_t>(first), out->end(), files);
}

void sortUnified(int key, std::vector<DataNode*>* rows) {
  // Rows before the first group row, which a tree never gives, stay first.
  size_t firstGroup = 0;
  while (firstGroup < rows->size() && !IsGroupRow((*rows)[firstGroup])) ++firstGroup;
  std::vector<DataNode*> groups;
  std::vector<Block> blocks;
  for (size_t i = firstGroup; i < rows->size(); ++i) {
    if (IsGroupRow((*rows)[i])) {
      groups.push_back((*rows)[i]);
      blocks.push_back({i + 1, i + 1});
    }
    blocks.back().end = i + 1;
  }
  std::vector<DataNode*> sorted(rows->begin(),
                                rows->begin() + static_cast<std::ptrdiff_t>(firstGroup));
  sorted.reserve(rows->size());
  const Order files = unifiedFileOrder(key);
  for (const Keyed& group : sortKeyed(groups.begin(), groups.end(), unifiedGroupOrder(key))) {
    const Block& block = blocks[group.at];
    appendBlock(group.node, rows->begin() + static_cast<std::ptrdiff_t>(block.begin),
                rows->begin() + static_cast<std::ptrdiff_t>(block.end), files, &sorted);
  }
  rows->swap(sorted);
}

// Each group row of `root` in the `groups` order followed by its files in the `files` order.
std::vector<DataNode*> sortedGroups(const DataNode* root, const Order& order) {
  const std::vector<DataNode*> groupRows = GroupRows(root);
  std::vector<DataNode*> sorted;
  sorted.reserve(groupRows.size());
  for (const Keyed& group : sortKeyed(groupRows.begin(), groupRows.end(), order))
    sorted.push_back(group.node);
  return sorted;
}

void appendGroupWithFiles(DataNode* group, const Order& files, std::vector<DataNode*>* rows) {
  rows->push_back(group);
  const size_t first = rows->size();
  for (DataNode* file = group->FirstChild(); file; file = file->Next()) rows->push_back(file);
  sortRange(rows->begin() + static_cast<std::ptrdiff_t>(first), rows->end(), files);
}

std::vector<DataNode*> sortedBlocks(const DataNode* root, const Order& groups, const Order& files) {
  std::vector<DataNode*> rows;
  const std::vector<DataNode*> sorted = sortedGroups(root, groups);
  if (root) rows.reserve(sorted.size() + static_cast<size_t>(std::max<int64_t>(root->val2, 0)));
  for (DataNode* group : sorted) appendGroupWithFiles(group, files, &rows);
  return rows;
}

std::string sizeText(int64_t size) {
  std::string number, unit;
  FormatSize(size, &number, &unit);
  return number + " " + unit;
}

std::string fileCell(const DataNode* file, int column) {
  switch (column) {
    case 0:
      return FullName(file);
    case 1:
      return sizeText(file->val);
    case 2: {
      std::string date, time;
      FormatDate(file->val2, &date);
      FormatTime(file->val2, &time);
      return date + " " + time;
    }
    default:
      return std::string();
  }
}

std::string groupCell(const DataNode* group, int column) {
  switch (column) {
    case 0:
      return group->Name();
    case 1:
      return group->Desc();
    case 2: {
      char count[32];
      std::snprintf(count, sizeof count, "%" PRId64, group->val2);
      return count;
    }
    case 3:
      return sizeText(group->val);
    default:
      return std::string();
  }
}

std::string unifiedGroupCell(const DataNode* group, int column) {
  if (column == 0) return group->Name();
  if (column != 1) return std::string();
  std::string number, unit;
  FormatSize(group->val, &number, &unit);
  char text[64];
  std::snprintf(text, sizeof text, "$ %8s %s", number.c_str(), unit.c_str());
  return text;
}

}  // namespace

int ColumnCount(ResultList list) {
  return list == ResultList::kGroups ? 4 : 3;
}

const char* ColumnCaption(ResultList list, int column) {
  if (column < 0 || column >= ColumnCount(list)) return "";
  return list == ResultList::kGroups ? kGroupCaptions[column] : kFileCaptions[column];
}

std::vector<int> ColumnWidthTable(ResultList list) {
  // -100: all of what the pixel columns leave.
  if (list == ResultList::kGroups) return {-100, 60, 40, 80};
  return {-100, 80, 100};
}

int SortKeyAfterHeaderClick(ResultList list, int column, int currentKey) {
  if (column < 0 || column >= ColumnCount(list)) return -1;
  const int columnKey = list == ResultList::kGroups  ? kGroupKeys[column]
                        : list == ResultList::kFiles ? kFileKeys[column]
                                                     : kUnifiedKeys[column];
  if (columnKey < 0) return -1;
  if ((currentKey & kKeyBits) == columnKey) return currentKey ^ kSortReversed;
  return columnKey;
}

std::vector<DataNode*> GroupRows(const DataNode* root) {
  std::vector<DataNode*> rows;
  for (DataNode* group = root ? root->FirstChild() : nullptr; group; group = group->Next())
    if (IsGroupRow(group)) rows.push_back(group);
  return rows;
}

std::vector<DataNode*> FileRows(const DataNode* group) {
  std::vector<DataNode*> rows;
  for (DataNode* file = group ? group->FirstChild() : nullptr; file; file = file->Next())
    rows.push_back(file);
  return rows;
}

std::vector<DataNode*> UnifiedRows(const DataNode* root) {
  std::vector<DataNode*> rows;
  if (root) rows.reserve(static_cast<size_t>(std::max<int64_t>(root->val2, 0)) + 1024);
  for (DataNode* group : GroupRows(root)) {
    rows.push_back(group);
    for (DataNode* file = group->FirstChild(); file; file = file->Next()) rows.push_back(file);
  }
  return rows;
}

std::vector<DataNode*> SortedUnifiedRows(const DataNode* root, int key) {
  return sortedBlocks(root, unifiedGroupOrder(key), unifiedFileOrder(key));
}

std::vector<DataNode*> SortedGroupsWithFiles(const DataNode* root, int groupKey, int fileKey) {
  return sortedBlocks(root, groupOrder(groupKey), fileOrder(fileKey));
}

std::vector<DataNode*> SortedGroups(const DataNode* root, int groupKey) {
  return sortedGroups(root, groupOrder(groupKey));
}

void AppendGroupWithFiles(DataNode* group, int fileKey, std::vector<DataNode*>* rows) {
  appendGroupWithFiles(group, fileOrder(fileKey), rows);
}

void SortRows(ResultList list, int key, std::vector<DataNode*>* rows) {
  switch (list) {
    case ResultList::kGroups:
      sortRange(rows->begin(), rows->end(), groupOrder(key));
      break;
    case ResultList::kFiles:
      sortRange(rows->begin(), rows->end(), fileOrder(key));
      break;
    case ResultList::kUnified:
      sortUnified(key, rows);
      break;
  }
}

namespace {

// A text read as parts one after the other: a file's folders below the folder it shares
// with the other text, then its name.
struct PartCursor {
  const char* at;
  const char* const* next;  // the parts still to come
  const char* const* end;

  void stepOverEnds() {
    while (!*at && next != end) at = *next++;
  }
  bool inLastPart() const { return next == end; }
  std::string rest() const {
    std::string text(at);
    for (const char* const* part = next; part != end; ++part) text += *part;
    return text;
  }
};

// CompareIgnoringCase folds copies of both texts; sorting a million paths that way spends
// most of its time allocating. An ASCII letter folds to one byte, so the fast loop may
// hand the rest to CompareIgnoringCase at the first byte of 0x80 or above. The texts are
// not measured first: a sort compares most pairs only up to their first difference.
int compareFolded(PartCursor x, PartCursor y) {
  for (;; ++x.at, ++y.at) {
    x.stepOverEnds();
    y.stepOverEnds();
    const auto cx = static_cast<unsigned char>(*x.at);
    const auto cy = static_cast<unsigned char>(*y.at);
    if (cx >= 0x80 || cy >= 0x80) {
      if (x.inLastPart() && y.inLastPart()) return CompareIgnoringCase(x.at, y.at);
      return CompareIgnoringCase(x.rest(), y.rest());
    }
    const int fx = cx >= 'a' && cx <= 'z' ? cx - 32 : cx;
    const int fy = cy >= 'a' && cy <= 'z' ? cy - 32 : cy;
    if (fx != fy) return fx < fy ? -1 : 1;
    if (cx == 0) return 0;
  }
}

// The parts of a node's whole name below `shared` (a folder of its chain, or null: all of
// them), top down, then its name. False when they are more than `capacity`.
bool partsBelow(const DataNode* node, const FolderText* shared, const char** parts, size_t capacity,
                size_t* count) {
  const FolderText* folder = node->Folder();
  const size_t folders = folder ? folder->depth + 1 - (shared ? shared->depth + 1 : 0) : 0;
  if (folders + 1 > capacity) return false;
  *count = folders + 1;
  parts[folders] = node->Name();
  size_t at = folders;
  for (const FolderText* f = folder; f != shared; f = f->parent) parts[--at] = f->Part();
  return true;
}

}  // namespace

int CompareNames(const char* a, const char* b) {
  return compareFolded(PartCursor{a, nullptr, nullptr}, PartCursor{b, nullptr, nullptr});
}

int CompareFullNames(const DataNode* a, const DataNode* b) {
  const FolderText* x = a->Folder();
  const FolderText* y = b->Folder();
  // Files of one folder: their names decide. Files of two: the folders they share are
  // the same text in both, so the comparison begins below them.
  if (x == y) return CompareNames(a->Name(), b->Name());
  const FolderText* shared = sharedFolder(x, y);
  constexpr size_t kParts = 64;
  const char* xs[kParts];
  const char* ys[kParts];
  size_t nx = 0;
  size_t ny = 0;
  if (!partsBelow(a, shared, xs, kParts, &nx) || !partsBelow(b, shared, ys, kParts, &ny))
    return CompareNames(FullName(a).c_str(), FullName(b).c_str());
  return compareFolded(PartCursor{xs[0], xs + 1, xs + nx}, PartCursor{ys[0], ys + 1, ys + ny});
}

std::string CellText(ResultList list, const DataNode* node, int column) {
  if (!node) return std::string();
  switch (list) {
    case ResultList::kGroups:
      return groupCell(node, column);
    case ResultList::kFiles:
      return fileCell(node, column);
    case ResultList::kUnified:
      return IsGroupRow(node) ? unifiedGroupCell(node, column) : fileCell(node, column);
  }
  return std::string();
}

int ClampRowIndex(int index, int count) {
  if (count <= 0) return -1;
  if (index < 0 || index > count) return 0;
  return index == count ? count - 1 : index;
}

int FindGroupRow(const std::vector<DataNode*>& rows, const DataNode* root, std::string_view name) {
  if (name.empty()) return -1;
  std::vector<const DataNode*> named;
  for (const DataNode* group : GroupRows(root))
    if (name == group->Name()) named.push_back(group);
  if (named.empty()) return -1;
  for (size_t i = 0; i < rows.size(); ++i)
    if (std::find(named.begin(), named.end(), rows[i]) != named.end()) return static_cast<int>(i);
  return -1;
}

int FindRowByName(const std::vector<DataNode*>& rows, std::string_view name) {
  if (name.empty()) return -1;
  for (size_t i = 0; i < rows.size(); ++i)
    if (FullNameIs(rows[i], name)) return static_cast<int>(i);
  return -1;
}

ResultButtons EnabledButtons(int selectedFiles, bool backupAvailable, int toolCount) {
  ResultButtons buttons;
  const bool any = selectedFiles >= 1;
  buttons.open = buttons.browse = buttons.remove = any;
  // The backup takes one file at a time: with more selected it would only refuse.
  buttons.moveToBackup = selectedFiles == 1 && backupAvailable;
  buttons.run = any && toolCount > 0;
  buttons.move = buttons.copy = buttons.replaceByLink = selectedFiles == 1;
  return buttons;
}

size_t EraseRows(const std::vector<const DataNode*>& gone, std::vector<DataNode*>* rows) {
  if (gone.empty()) return 0;
  std::vector<const DataNode*> sorted = gone;
  std::sort(sorted.begin(), sorted.end(), std::less<const DataNode*>());
  const size_t before = rows->size();
  std::erase_if(*rows, [&](const DataNode* row) {
    return std::binary_search(sorted.begin(), sorted.end(), row, std::less<const DataNode*>());
  });
  return before - rows->size();
}

}  // namespace tf
