// The rows of the three result lists (groups, files of one group, and the unified list of
// group rows each followed by its files) as non-owning node pointers, their sort orders,
// header-click rules, cell texts and button rules, free of any window code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"

namespace tf {

// Sort keys: the low four bits name the column key, bit 16 reverses it.
constexpr int kSortByName = 1;  // name
constexpr int kSortByVal = 2;   // size
constexpr int kSortByVal2 = 4;  // count of a group, time of a file
constexpr int kSortByDesc = 8;  // type of a group
constexpr int kSortReversed = 16;
constexpr int kInitialSortKey = kSortByName;

enum class ResultList { kGroups, kFiles, kUnified };

// Column counts and captions of each list.
int ColumnCount(ResultList list);
const char* ColumnCaption(ResultList list, int column);
// Width tables for SetColumnWidths: "File" takes what the other columns leave.
std::vector<int> ColumnWidthTable(ResultList list);

// The key after a click on a header column: the column of the current key flips the
// reversed bit, another column sets its own key, not reversed. -1 means the click only
// sounds the default beep and the key stays (the unified list's "Time", or a column the
// list does not have).
int SortKeyAfterHeaderClick(ResultList list, int column, int currentKey);

// A group row (non-zero kind) or a file row.
inline bool IsGroupRow(const DataNode* node) {
  return node->kind != 0;
}

// The `group` field of a group whose files were proven to hold the same bytes.
constexpr int32_t kVerifiedGroup = 1;
inline bool IsVerifiedGroup(const DataNode* group) {
  return group && group->kind != 0 && group->group == kVerifiedGroup;
}

// Rows in tree order: the groups under `root`, the files of `group`, and each group of
// `root` followed by its files. A null root or group gives no rows.
std::vector<DataNode*> GroupRows(const DataNode* root);
std::vector<DataNode*> FileRows(const DataNode* group);
std::vector<DataNode*> UnifiedRows(const DataNode* root);

// Sort rows in place by a list's key. Rows that compare equal keep their order. The
// unified list keeps every group's rows together: the group row first, then its files.
void SortRows(ResultList list, int key, std::vector<DataNode*>* rows);

// UnifiedRows already sorted by `key`: what SortRows would make of them, built in one go.
std::vector<DataNode*> SortedUnifiedRows(const DataNode* root, int key);
// The unified list's shape with a key for each kind of row: the groups of `root` as the
// groups list sorts them by `groupKey`, each followed by its files as the files list
// sorts them by `fileKey`.
std::vector<DataNode*> SortedGroupsWithFiles(const DataNode* root, int groupKey, int fileKey);
// The same in two steps, for a writer that takes a few groups at a time: the groups of
// `root` sorted by `groupKey`; then a group's row and its files sorted by `fileKey`,
// appended to `rows`.
std::vector<DataNode*> SortedGroups(const DataNode* root, int groupKey);
void AppendGroupWithFiles(DataNode* group, int fileKey, std::vector<DataNode*>* rows);

// Case-insensitive comparison of two zero-ended names, <0, 0 or >0, as CompareIgnoringCase
// (ASCII and Latin-1 letters fold), without allocating while both texts are ASCII.
int CompareNames(const char* a, const char* b);
// The same for the whole names of two nodes (FullName), without putting them together.
int CompareFullNames(const DataNode* a, const DataNode* b);

// The text of a cell, made from the node on demand. In the unified list a group row shows
// its name and "$ " with its total size right-aligned in eight characters.
std::string CellText(ResultList list, const DataNode* node, int column);

// Index of the row that selecting `index` among `count` rows picks: past the end the
// first row, at the end the last row; -1 when there are no rows.
int ClampRowIndex(int index, int count);

// The first row whose name is exactly `name`, or -1.
int FindRowByName(const std::vector<DataNode*>& rows, std::string_view name);
// The same for a group's name among rows of the groups under `root` (file rows are never
// named like a group), reading only the groups: a long unified list is not walked node by
// node.
int FindGroupRow(const std::vector<DataNode*>& rows, const DataNode* root, std::string_view name);

// Which action buttons a list view enables.
struct ResultButtons {
  bool open = false;
  bool browse = false;
  bool remove = false;  // "Delete"
  bool moveToBackup = false;
  bool run = false;
  bool move = false;
  bool copy = false;
  bool replaceByLink = false;
};
// `selectedFiles` counts the selected file rows (never group rows).
ResultButtons EnabledButtons(int selectedFiles, bool backupAvailable, int toolCount);

// Erases every row that points at one of `gone` (nodes about to be or just deleted; they
// are compared, never read). Answers how many rows went.
size_t EraseRows(const std::vector<const DataNode*>& gone, std::vector<DataNode*>* rows);

}  // namespace tf
