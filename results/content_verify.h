// Verification of contents: splits duplicate groups, found by name, size and time, by
// the bytes their files hold. Files of different sizes are never the same and are not
// read; files of one size are compared by a hash of their first block, then, only while
// two or more still agree, by a hash of all their bytes (XXH3-128). A file that cannot be
// read, changed since the search or is no longer a regular file is not proven equal to
// any other, so it leaves its group with its reason.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tf {

class HashCache;

// A file as the result records it.
struct VerifyFile {
  std::string path;
  int64_t size = 0;
  int64_t modified = 0;  // file time
};
using VerifyGroup = std::vector<VerifyFile>;

struct LeftOutFile {
  size_t group = 0;
  size_t file = 0;
  std::string reason;
};

struct VerifyOutcome {
  // For each group given, the sets of its files (indexes, ascending) whose bytes are the
  // same, two or more each, in the order of their first files. A file in none of them has
  // bytes no other file of its group has, or is in leftOut.
  std::vector<std::vector<std::vector<size_t>>> sets;
  std::vector<LeftOutFile> leftOut;
  int64_t bytesRead = 0;
};

struct VerifyOptions {
  // Hashes to look up before reading and to store after (none when null).
  HashCache* cache = nullptr;
  // Called on the calling thread now and then with the bytes read and the bytes still to
  // be read at most; false stops the verification.
  std::function<bool(int64_t done, int64_t total)> progress;
  // Readers of solid-state storage read side by side; each spinning disk has one.
  int solidStateReaders = 4;
};

// 1 when every group was verified (*out filled); 0 when progress stopped it (*out holds
// nothing to apply) or no thread could be had.
int VerifyContents(const std::vector<VerifyGroup>& groups, const VerifyOptions& options,
                   VerifyOutcome* out);

}  // namespace tf
