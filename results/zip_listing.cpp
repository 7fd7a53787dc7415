#include "results/zip_listing.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "base/text_fold.h"
#include "platform/display_format.h"
#include "platform/oem_text.h"

namespace tf {
namespace {

std::string sizeWithUnit(int64_t size) {
  std::string number;
  std::string unit;
  FormatSize(size, &number, &unit);
  return number + " " + unit;
}

int64_t roundedUp(int64_t size, int64_t cluster) {
  if (cluster <= 0 || size <= 0) return std::max<int64_t>(size, 0);
  const int64_t clusters = size / cluster + (size % cluster != 0);
  return clusters > INT64_MAX / cluster ? INT64_MAX : clusters * cluster;
}

int64_t saturatingAdd(int64_t a, int64_t b) {
  return a > INT64_MAX - b ? INT64_MAX : a + b;
}

}  // namespace

ZipListing ReadZipListing(ZipFileInterface* zip, const std::string& archive, int64_t clusterBytes) {
  ZipListing listing;
  if (!zip || !zip->ZipOpen(archive.c_str())) return listing;
  listing.opened = true;
  for (bool more = zip->ZipFirst(); more; more = zip->ZipNext()) {
    ZipEntry* entry = zip->ZipGetEntry();
    if (!entry) continue;
    const std::string stored = OemToUtf8(entry->path ? entry->path : "");
    const int64_t size = std::max<int64_t>(entry->size64 > 0 ? entry->size64 : entry->size, 0);
    entry->Release();
    // Old archivers wrote DOS separators.
    const size_t split = stored.find_last_of("/\\");
    ZipRow row;
    row.name = split == std::string::npos ? stored : stored.substr(split + 1);
    row.folder = split == std::string::npos ? std::string() : stored.substr(0, split + 1);
    if (row.name.empty()) continue;  // a folder entry
    if (listing.rows.size() >= kMaxZipRows) {
      listing.truncated = true;
      break;
    }
    row.size = size;
    listing.sum = saturatingAdd(listing.sum, size);
    listing.roundedSum = saturatingAdd(listing.roundedSum, roundedUp(size, clusterBytes));
    listing.rows.push_back(std::move(row));
  }
  zip->ZipClose();
  SortZipRows(&listing.rows, kZipColumnPath, false);
  return listing;
}

std::string CompressedSizeText(int64_t compressedSize, int64_t roundedSum) {
  std::string text = sizeWithUnit(compressedSize);
  if (roundedSum <= 0) return text;
  // The product stays in range for any archive below 92 petabytes.
  const int64_t percent =
      compressedSize > INT64_MAX / 100 ? INT64_MAX : compressedSize * 100 / roundedSum;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, percent > 100 ? " (!: %" PRId64 "%%)" : " (%" PRId64 "%%)",
                percent);
  return text + buffer;
}

std::string UncompressedSizeText(int64_t sum, int64_t roundedSum) {
  return sizeWithUnit(sum) + " / Space: " + sizeWithUnit(roundedSum);
}

void SortZipRows(std::vector<ZipRow>* rows, int column, bool reversed) {
  if (!rows) return;
  // The folded keys are made once per sort rather than once per comparison, so that an
  // archive of 100,000 entries sorts at once.
  struct Keyed {
    std::string name;
    std::string folder;
    ZipRow* row;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(rows->size());
  for (ZipRow& row : *rows)
    keyed.push_back({FoldUpper(row.name),
                     column == kZipColumnPath ? FoldUpper(row.folder) : std::string(), &row});
  auto byName = [](const Keyed& a, const Keyed& b) { return a.name < b.name; };
  std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    switch (column) {
      case kZipColumnName:
        return reversed ? byName(b, a) : byName(a, b);
      case kZipColumnSize:
        if (a.row->size != b.row->size)
          return reversed ? a.row->size < b.row->size : a.row->size > b.row->size;
        return byName(a, b);
      default:
        if (a.folder != b.folder) return reversed ? a.folder > b.folder : a.folder < b.folder;
        return byName(a, b);
    }
  });
  std::vector<ZipRow> sorted;
  sorted.reserve(rows->size());
  for (Keyed& k : keyed) sorted.push_back(std::move(*k.row));
  rows->swap(sorted);
}

}  // namespace tf
