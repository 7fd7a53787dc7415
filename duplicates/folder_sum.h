// FolderSum: what a search knows of one walked folder (the signature of its counted
// files and sub-folders, their number, bytes and latest time), and the terms a signature
// is the sum of.
//
// A folder's signature is the sum (per 64-bit half, wrapping) of one term per counted
// file directly in it (its name, and its size and time where the criteria compare them)
// and one term per sub-folder holding counted files (its name and its own signature).
// Terms are 128-bit hashes, so the order in which a folder is listed does not matter and
// two folders agree only when they hold the same relative paths with the same facts, up
// to a chance of about 2^-120. A sub-folder without counted files adds nothing: empty
// folders do not make two folders differ.
#pragma once

#include <cstdint>
#include <string_view>

#include "duplicates/duplicate_criteria.h"

namespace tf {

struct FolderSum {
  // The walk entered the folder and listed it.
  static constexpr uint32_t kWalked = 1;
  // The walk left it having walked everything below it.
  static constexpr uint32_t kLeft = 2;
  // When it was left, a file at or below it had not been read yet (its name had no twin
  // then): its sum is made again once the groups are formed.
  static constexpr uint32_t kDeferred = 4;
  // Something at or below it is not known: a sub-folder that could not be opened or was
  // walked elsewhere, a file that vanished while it was read, or a file whose name no
  // other file has. Such a folder is never offered as a copy.
  static constexpr uint32_t kBlind = 8;

  uint64_t signature[2] = {0, 0};
  int64_t size = 0;    // bytes of its counted files, at any depth
  int64_t latest = 0;  // latest last-write time among them (file time units)
  uint32_t files = 0;  // counted files at any depth
  uint32_t flags = 0;

  // Adds a sub-folder's sum (its part, as the index keeps it: the name and '/').
  void AddChild(std::string_view part, const FolderSum& child);
};

// What the terms of files hold under a set of criteria.
struct FolderTerms {
  bool size = true;
  bool time = true;  // to the second; off when the criteria allow a tolerance

  static FolderTerms Of(const DuplicateCriteria& criteria) {
    return {criteria.sameSize, criteria.sameTime && criteria.timeTolerance == 0};
  }
  // Adds the term of a file to `sum`, and its size and time.
  void AddFile(std::string_view name, int64_t size, int64_t modified, FolderSum* sum) const;
};

// The second of a file time, rounded down (times before 1601 too).
int64_t FileSecond(int64_t fileTime);

}  // namespace tf
