// ZipListing: the entries of a zip archive as the zip preview lists them, with their sums,
// the caption texts that compare them with the archive's size, and the list's orders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/zip_file_interface.h"

namespace tf {

struct ZipRow {
  std::string name;    // the entry's file name, UTF-8
  std::string folder;  // the folder part of its stored path, with the trailing '/'
  int64_t size = 0;    // uncompressed bytes
};

struct ZipListing {
  std::vector<ZipRow> rows;
  int64_t sum = 0;         // uncompressed bytes of every entry
  int64_t roundedSum = 0;  // the same, each entry rounded up to whole clusters
  bool opened = false;     // false: the archive could not be read, the list is empty
  bool truncated = false;  // more entries than kMaxZipRows; the sums cover the rows only
};

// No archive a person browses holds more; a directory claiming more is not listed further.
constexpr size_t kMaxZipRows = 1000000;

// Lists `archive` through an acquired plug-in object. Entries that are folders are left
// out. `clusterBytes` (0: none) is the allocation unit the rounded sum counts in. The
// archive is closed again before returning.
ZipListing ReadZipListing(ZipFileInterface* zip, const std::string& archive, int64_t clusterBytes);

// "Compressed size:" text: the size's number and unit, then the share of the rounded
// space it takes, "(p%)", or "(!: p%)" when the archive is larger than its contents'
// space. Only the size when the rounded sum is 0.
std::string CompressedSizeText(int64_t compressedSize, int64_t roundedSum);
// "Uncompressed size:" text: the sum, then " / Space: " and the rounded sum.
std::string UncompressedSizeText(int64_t sum, int64_t roundedSum);

enum ZipColumn { kZipColumnName = 0, kZipColumnSize = 1, kZipColumnPath = 2 };

// Orders rows by a column: names and folders ignoring case, sizes larger first; `reversed`
// turns the order round. Rows with equal sizes or folders stay ordered by name ascending
// in both directions.
void SortZipRows(std::vector<ZipRow>* rows, int column, bool reversed);

}  // namespace tf
