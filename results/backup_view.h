// The texts and orders of the backup folder view: the descriptor's time stamps, the
// cells and details of an entry, and the sort keys of the list's columns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datatree/data_node.h"

namespace tf {

// Sort keys of the columns; the reversed bit is added to one of them.
constexpr int kBackupSortName = 1;
constexpr int kBackupSortLocation = 2;
constexpr int kBackupSortPlaced = 4;
constexpr int kBackupSortType = 8;
constexpr int kBackupSortSize = 16;
constexpr int kBackupSortReversed = 32;

enum class BackupColumn { kName = 0, kLocation, kPlaced, kType, kSize };

// "placed": the local date and time as "YYYY-MM-DD hh:mm:ss".
std::string PlacedText(int64_t fileTime);
// "modified": the local date and time in the user's formats, "<date> <time>".
std::string ModifiedText(int64_t fileTime);

// The cell of a column for an entry; a missing attribute shows "-".
std::string BackupCellText(DataNode* entry, BackupColumn column);
// One "name:\t value" line per attribute, joined by CR LF and cut to 2048 bytes.
std::string BackupDetailsText(DataNode* entry);

// The key after a click on the header of `column` while the list is sorted by `key`.
int NextBackupSortKey(int key, BackupColumn column);
// True when `a` goes before `b` in the order of `key`.
bool BackupEntryBefore(DataNode* a, DataNode* b, int key);
// The entries of `root` in the order of `key`.
std::vector<DataNode*> SortedBackupEntries(DataNode* root, int key);

}  // namespace tf
