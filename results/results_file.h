// The results file: the JSON of a search result with a header that makes it a complete
// record (the program, the time, the descriptor the search ran with), the reader of it and
// of the header-less JSON older versions wrote, and the check that a result read back can
// only direct an action at files the search itself could have found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"

namespace tf {

constexpr const char* kResultsFormatName = "twinfold-results";
constexpr int kResultsFormatVersion = 1;
// The ending the window suggests, and the one the desktop knows results files by.
constexpr const char* kResultsFileSuffix = ".twinfold.json";
// A million grouped files as the search writes them (about 190 bytes a file with the
// benchmark's paths), with room to spare; a larger file is damage or an attack (200 MB
// of JSON is refused).
constexpr size_t kMaxResultsFileBytes = size_t{190} << 20;

// What the writer puts before "groups".
struct ResultsHeader {
  std::string program;                   // "twinfold 0.1.0"
  int64_t made = 0;                      // file time (100 ns since 1601 UTC)
  const DataNode* descriptor = nullptr;  // the descriptor the search ran with
};

// The header's members, each followed by a comma, to stand right after the opening brace.
std::string ResultsHeaderJson(const ResultsHeader& header);

// A result read back.
struct LoadedResults {
  // "Duplicate files results" with groups (kind 1, name = key, desc = type, val = total
  // size, val2 = count) of file nodes (full path, val = size, val2 = modified), in the order
  // of the file.
  NodePtr root;
  // The search's descriptor; null for a file without the header, which can be shown but
  // not acted on, as the folders it came from are unknown.
  NodePtr descriptor;
  std::string program;
  std::string made;
  int64_t files = 0;
};

// Reads the JSON text of a result. 1 on success; 0 with the reason in *error (not JSON,
// another format, a newer version, a group or file without its fields).
int ParseResults(std::string_view text, LoadedResults* out, std::string* error);
// Reads a results file: a regular file of at most kMaxResultsFileBytes.
int ReadResultsFile(const std::string& path, LoadedResults* out, std::string* error);

// Why the result cannot be trusted to direct an action, or "" when it can: every file is
// an absolute path without "." or ".." parts under one of the descriptor's search folders
// and under none of its exclusions, is listed once, and its name gives its group's key
// under the descriptor's criteria, by the very rule the search's index files it with; in
// a group whose criteria ask for the same size, every file has that size. A file without
// the header is not trusted.
std::string WhyResultsUntrusted(const LoadedResults& results);

// The protected folders and the search folders of a descriptor read back.
std::vector<std::string> SavedProtectedFolders(const LoadedResults& results);
std::vector<std::string> SavedSearchFolders(const LoadedResults& results);

}  // namespace tf
