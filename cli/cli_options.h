// CliOptions: what the command line of twinfold-cli asks for, and the parser that fills it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "duplicates/duplicate_criteria.h"

namespace tf {

enum class OutputFormat { kText, kCsv, kJson };

// Orders of the result lists: groups and their files by name (the unified list's first key),
// by size (its second), by file count or type (the groups list's keys), or files by time
// (the files list's key).
enum class SortBy { kName, kSize, kCount, kType, kTime };

// A size bound as the size filter stores it: a value and a unit (0 KB, 1 MB, 2 GB).
struct SizeBound {
  int32_t value = 0;
  int32_t units = 0;
};

// A time filter choice, coded as the time filter node stores it.
struct TimeChoice {
  int32_t choice = 0;     // "switch": 0 today, 1 this week, 2 this month, 3 previous, 4 date
  int32_t prevValue = 1;  // N of "during the previous N"
  int32_t prevUnits = 0;  // 0 days, 1 weeks, 2 months
  int32_t dateMode = 1;   // 0 after, 1 before, 2 between
  int64_t date1 = 0;      // UTC file times of the chosen local dates
  int64_t date2 = 0;
};

struct CliOptions {
  std::vector<std::string> folders;
  std::vector<std::string> excludes;
  std::vector<std::string> protects;  // folders whose files no action may change
  // Criteria: the preset is applied first, then the single criteria given on their own.
  const CriteriaPreset* preset = nullptr;  // none given (a new descriptor holds true duplicates)
  std::optional<NameRule> name;
  std::optional<int> symbols;
  std::optional<bool> time;          // true: the same time
  std::optional<bool> size;          // true: the same size
  std::optional<int> similarity;     // P of --name similar; alone it switches to similar names
  std::optional<int> timeTolerance;  // seconds
  // The looser options only switch on: a saved descriptor's own stay as they are otherwise.
  bool foldCase = false;
  bool normalize = false;
  bool acrossRoots = false;
  bool withProtected = false;
  std::optional<std::string> includeMasks;
  std::optional<std::string> excludeMasks;
  std::optional<SizeBound> minSize;
  std::optional<SizeBound> maxSize;
  std::optional<TimeChoice> timeFilter;
  std::optional<int> timeOf;  // 0 modified, 1 created, 2 accessed
  // Attribute rules in the filter's order: read-only, archive, hidden, system;
  // 0 any, 1 must be set, 2 must be clear. Unset when --attr was not given.
  std::optional<int> attrRules[4];
  std::string descriptorFile;
  std::string saveDescriptorFile;
  std::string outputFile;  // empty or "-": standard output
  std::string settingsFile;
  SortBy sortBy = SortBy::kName;
  bool reverse = false;
  OutputFormat format = OutputFormat::kText;
  std::optional<bool> progress;   // unset: on when stderr is a terminal
  bool oneThreadPerDisk = false;  // else as the settings say
  bool noIgnore = false;          // show the groups of the ignore list too
  bool verify = false;            // split the groups by the bytes of their files
  bool findFolders = false;       // list folders holding the same files, not file groups
  bool help = false;
  bool version = false;
};

// Parses argv[1..argc-1]. On a usage error returns false with a one-line reason in `error`.
bool ParseCliOptions(int argc, char** argv, CliOptions* options, std::string* error);

// The usage text printed by --help and after a usage error.
const char* CliUsage();

// The result-list sort keys (results/result_rows.h) of a --sort order: the groups sorted as
// the groups list sorts them, the files of each as the files list does. --reverse turns
// round only what the order is about: by name, count and type the files stay by path, by
// time the groups stay by name.
struct ListKeys {
  int groups;
  int files;
};
ListKeys ListKeysFor(SortBy sortBy, bool reverse);

}  // namespace tf
