#include "results/backup_view.h"

#include <algorithm>
#include <charconv>

#include "base/text_fold.h"
#include "platform/display_format.h"

namespace tf {
namespace {

constexpr size_t kDetailsLimit = 2047;  // a details box holds 2048 bytes with its NUL

const char* columnAttr(BackupColumn column) {
  switch (column) {
    case BackupColumn::kLocation:
      return "location";
    case BackupColumn::kPlaced:
      return "placed";
    case BackupColumn::kType:
      return "type";
    case BackupColumn::kSize:
      return "size";
    default:
      return nullptr;
  }
}

int columnKey(BackupColumn column) {
  switch (column) {
    case BackupColumn::kLocation:
      return kBackupSortLocation;
    case BackupColumn::kPlaced:
      return kBackupSortPlaced;
    case BackupColumn::kType:
      return kBackupSortType;
    case BackupColumn::kSize:
      return kBackupSortSize;
    default:
      return kBackupSortName;
  }
}

std::string attrText(DataNode* entry, const char* name) {
  const char* text = entry->attrs.ValueOf(name).AsString();
  return text ? text : "";
}

int64_t sizeOf(DataNode* entry) {
  const std::string text = attrText(entry, "size");
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string sizeCell(int64_t size) {
  std::string number, unit;
  FormatSize(size, &number, &unit);
  return number + " " + unit;
}

// Cuts at a byte limit without splitting a UTF-8 sequence.
void cutUtf8(std::string* text, size_t limit) {
  if (text->size() <= limit) return;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>((*text)[end]) & 0xC0) == 0x80) --end;
  text->resize(end);
}

}  // namespace

std::string PlacedText(int64_t fileTime) {
  std::string text;
  FormatDateTimeIso(fileTime, &text, false, 1);
  return text;
}

std::string ModifiedText(int64_t fileTime) {
  std::string date, time;
  FormatDate(fileTime, &date);
  FormatTime(fileTime, &time);
  return date + " " + time;
}

std::string BackupCellText(DataNode* entry, BackupColumn column) {
  if (!entry) return "-";
  if (column == BackupColumn::kName) return entry->Desc();
  const char* value = entry->attrs.ValueOf(columnAttr(column)).AsString();
  if (!value) return "-";
  std::string text = value;
  if (column == BackupColumn::kPlaced) return text.substr(0, text.find(' '));
  if (column == BackupColumn::kSize) return sizeCell(sizeOf(entry));
  return text;
}

std::string BackupDetailsText(DataNode* entry) {
  std::string text;
  if (!entry) return text;
  for (int i = 0; i < entry->attrs.Count(); ++i) {
    const char* name = entry->attrs.NameAt(i);
    const char* value = entry->attrs.ValueAt(i).AsString();
    if (i > 0) text += "\r\n";
    text += std::string(name && *name ? name : "?") + ":\t " + (value ? value : "?");
  }
  cutUtf8(&text, kDetailsLimit);
  return text;
}

int NextBackupSortKey(int key, BackupColumn column) {
  int wanted = columnKey(column);
  return (key & ~kBackupSortReversed) == wanted ? key ^ kBackupSortReversed : wanted;
}

bool BackupEntryBefore(DataNode* a, DataNode* b, int key) {
  const bool reversed = (key & kBackupSortReversed) != 0;
  const int column = key & ~kBackupSortReversed;
  int primary = 0;
  if (column == kBackupSortSize) {
    int64_t sa = sizeOf(a), sb = sizeOf(b);
    primary = sa > sb ? -1 : (sa < sb ? 1 : 0);  // largest first
  } else if (column != kBackupSortName) {
    const char* name = column == kBackupSortLocation ? "location"
                       : column == kBackupSortPlaced ? "placed"
                                                     : "type";
    primary = CompareIgnoringCase(attrText(a, name), attrText(b, name));
  } else {
    primary = CompareIgnoringCase(a->Desc(), b->Desc());
  }
  if (primary != 0) return reversed ? primary > 0 : primary < 0;
  if (column == kBackupSortName) return false;
  return CompareIgnoringCase(a->Desc(), b->Desc()) < 0;
}

std::vector<DataNode*> SortedBackupEntries(DataNode* root, int key) {
  std::vector<DataNode*> rows;
  for (DataNode* e = root ? root->FirstChild() : nullptr; e; e = e->Next()) rows.push_back(e);
  std::stable_sort(rows.begin(), rows.end(),
                   [key](DataNode* a, DataNode* b) { return BackupEntryBefore(a, b, key); });
  return rows;
}

}  // namespace tf
