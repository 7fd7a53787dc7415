#include "cli/cli_options.h"

#include <charconv>
#include <cstring>
#include <ctime>
#include <string_view>

#include "base/text_fold.h"
#include "platform/file_time.h"
#include "results/result_rows.h"

namespace tf {
namespace {

const char kUsage[] =
    "Usage: twinfold-cli [options] FOLDER...\n"
    "  or:  twinfold-cli act RESULTS --keep RULE [--action ACTION] [--protect FOLDER]...\n"
    "                        [--dry-run] [--format text|json]\n"
    "  or:  twinfold-cli backup list|add|restore|delete [ARGS]...\n"
    "  or:  twinfold-cli ignore list|add|remove|clear [ARGS]...\n"
    "  or:  twinfold-cli journal [--format text|json] [--limit N]\n"
    "  or:  twinfold-cli undo [ACTION-ID] [--dry-run]\n"
    "Finds duplicate and similar files by name, size and modification time.\n"
    "\n"
    "Folders:\n"
    "  --exclude FOLDER         leave out this sub-folder (repeatable)\n"
    "  --protect FOLDER         mark a scanned folder, or one below it, protected: its files\n"
    "                           are marked \"protected\" in the JSON output (repeatable)\n"
    "  --descriptor FILE        start from a saved search descriptor\n"
    "  --save-descriptor FILE   save the search descriptor before searching\n"
    "Criteria:\n"
    "  --preset SET             true-duplicates (default), versions, formats or named\n"
    "  --name RULE              exact, noext (extensions may differ), first (first N symbols)\n"
    "                           or similar (names alike by edit distance, extensions equal)\n"
    "  --symbols N              N for --name first, 5 to 10\n"
    "  --similarity P           P for --name similar, 50 to 100 percent (default 80)\n"
    "  --fold-case              case-insensitive names (full Unicode case folding)\n"
    "  --normalize              Unicode-equivalent names (composed and decomposed alike)\n"
    "  --time same|any          whether last-modified times must be the same\n"
    "  --time-tolerance N       same times may differ by up to N seconds between\n"
    "                           neighbours, 0 to 86400 (default 0; 2 suits FAT media)\n"
    "  --size same|any          whether sizes must be the same\n"
    "  --across-roots           only groups with files under two or more FOLDERs\n"
    "  --with-protected         only groups holding a file of a protected folder\n"
    "Filters:\n"
    "  --include MASKS          take only files matching these masks (e.g. \"*.jpg;*.png\")\n"
    "  --exclude-masks MASKS    leave out files matching these masks\n"
    "  --min-size N[K|M|G]      at least this size (a bare number counts in K)\n"
    "  --max-size N[K|M|G]      at most this size\n"
    "  --time-filter WHEN       today, week, month, last:N[d|w|m], after:YYYY-MM-DD,\n"
    "                           before:YYYY-MM-DD or between:YYYY-MM-DD:YYYY-MM-DD\n"
    "  --time-of WHICH          modified (default), created or accessed\n"
    "  --attr RULES             comma-separated +NAME (must be set), -NAME (must be clear)\n"
    "                           or NAME=any, NAME one of readonly, archive, hidden, system\n"
    "Contents:\n"
    "  --verify                 read the files of each group and keep together only those\n"
    "                           with the same bytes (marked \"verified\" in the JSON); a file\n"
    "                           that cannot be read leaves its group and is named; hashes\n"
    "                           are kept in $XDG_CACHE_HOME/twinfold/hashes\n"
    "  --folders                list folders that hold the same files (each counted file\n"
    "                           under the same relative path, alike as the criteria say)\n"
    "                           instead of file groups; of nested copies only the topmost\n"
    "Output:\n"
    "  --sort KEY               name (default), size, count, type or time\n"
    "  --reverse                reverse the order of the sort key\n"
    "  --format FORMAT          text (default), csv or json; json is a results file that\n"
    "                           twinfold opens and \"twinfold-cli act\" acts on\n"
    "  --output FILE            write to FILE (replaced whole, or left as it was when the\n"
    "                           write fails) instead of standard output; - is standard output\n"
    "  --progress, --no-progress  folder statuses on stderr (default: when it is a terminal)\n"
    "  --one-thread-per-disk    read one folder at a time, also on solid-state disks\n"
    "                           (as always on spinning disks; the results are the same)\n"
    "  --no-ignore              show the groups of the ignore list too\n"
    "  --settings FILE          read the program's settings from FILE\n"
    "  --help                   show this help\n"
    "  --version                show the version\n"
    "\n"
    "The ignore list (groups marked \"not duplicates\": twinfold-cli ignore --help) hides\n"
    "a group while all its files belong to one of its entries; a file joining it shows it\n"
    "again.\n"
    "\n"
    "Acting on a results file: see twinfold-cli act --help. Each file is checked just\n"
    "before it is acted on: one that changed or went since the search is skipped; a results\n"
    "file naming a file outside its search folders or in a group its name does not belong\n"
    "to is refused as a whole.\n"
    "\n"
    "Every action on files (act, backup add|restore|delete, and the window's) is journaled\n"
    "in $XDG_STATE_HOME/twinfold/journal (default ~/.local/state/twinfold/journal), the\n"
    "last 10,000 actions of 90 days. \"journal\" lists them newest first; \"undo\" takes\n"
    "one back (default: the newest not yet undone): trashed files come back from the\n"
    "trash, moved ones are moved back, copies, backups and links go; files that share\n"
    "storage (act --action share) kept their contents, so there is nothing to undo.\n"
    "A file whose place is taken stays where it is and is named; the exit status is\n"
    "then 1. --dry-run says what would come back. A journal that is not a regular file\n"
    "that can be written stops every action before anything moves.\n"
    "\n"
    "Exit status: 0 when the search ran (with or without groups), or when act did every\n"
    "planned action; 1 when the search could not run or could not read a folder that is\n"
    "there, --verify could not read a file, or act skipped or failed any (each named on\n"
    "standard error); 2 for a usage error or a results file that cannot be read; 130 or\n"
    "143 when SIGINT (Ctrl+C) or SIGTERM stopped the search, which then writes nothing.\n";

bool parseInt(std::string_view text, int64_t low, int64_t high, int64_t* out) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) return false;
  *out = value;
  return true;
}

// One of `choices` (compared ignoring case); its index or -1.
int choiceIndex(std::string_view text, std::initializer_list<const char*> choices) {
  int index = 0;
  for (const char* choice : choices) {
    if (EqualIgnoringCase(text, choice)) return index;
    ++index;
  }
  return -1;
}

bool parseSize(std::string_view text, SizeBound* out) {
  int32_t units = 0;
  std::string upper = FoldUpper(text);
  if (upper.size() > 1 && upper.back() == 'B') upper.pop_back();  // "10MB" reads as "10M"
  if (!upper.empty() && std::strchr("KMG", upper.back())) {
    units = upper.back() == 'K' ? 0 : upper.back() == 'M' ? 1 : 2;
    upper.pop_back();
  }
  int64_t value = 0;
  if (!parseInt(upper, 0, INT32_MAX, &value)) return false;
  *out = SizeBound{static_cast<int32_t>(value), units};
  return true;
}

// A local date "YYYY-MM-DD" at the current time of day, as the date pickers of the filter
// editor give it, turned into a UTC file time.
bool parseDate(std::string_view text, int64_t* out) {
  int64_t year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  if (!parseInt(text.substr(0, 4), 1601, 30827, &year) ||
      !parseInt(text.substr(5, 2), 1, 12, &month) || !parseInt(text.substr(8, 2), 1, 31, &day))
    return false;
  CalendarTime now;
  if (!FileTimeToLocal(FileTimeNow(), &now)) now = CalendarTime{};
  CalendarTime local = now;
  local.year = static_cast<int>(year);
  local.month = static_cast<int>(month);
  local.day = static_cast<int>(day);
  CalendarTime check;
  // A date such as 2025-02-30 would silently become March: refuse it instead.
  if (!LocalToFileTime(local, out) || !FileTimeToLocal(*out, &check)) return false;
  return check.day == local.day && check.month == local.month;
}

bool parseTimeFilter(std::string_view text, TimeChoice* out) {
  TimeChoice choice;
  const int simple = choiceIndex(text, {"today", "week", "month"});
  if (simple >= 0) {
    choice.choice = simple;
  } else if (text.starts_with("last:") && text.size() > 5) {
    std::string_view count = text.substr(5);
    const int units = choiceIndex(count.substr(count.size() - 1), {"d", "w", "m"});
    if (units >= 0) count.remove_suffix(1);
    int64_t n = 0;
    if (!parseInt(count, 1, INT32_MAX, &n)) return false;
    choice.choice = 3;
    choice.prevValue = static_cast<int32_t>(n);
    choice.prevUnits = units < 0 ? 0 : units;
  } else if (text.starts_with("after:") || text.starts_with("before:")) {
    choice.choice = 4;
    choice.dateMode = text[0] == 'a' ? 0 : 1;
    if (!parseDate(text.substr(text.find(':') + 1), &choice.date1)) return false;
    choice.date2 = choice.date1;
  } else if (text.starts_with("between:") && text.size() == 8 + 21 && text[18] == ':') {
    choice.choice = 4;
    choice.dateMode = 2;
    if (!parseDate(text.substr(8, 10), &choice.date1) ||
        !parseDate(text.substr(19, 10), &choice.date2))
      return false;
  } else {
    return false;
  }
  *out = choice;
  return true;
}

bool parseAttrRules(std::string_view text, CliOptions* options) {
  while (!text.empty()) {
    const size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    int rule = -1;
    if (!item.empty() && (item[0] == '+' || item[0] == '-')) {
      rule = item[0] == '+' ? 1 : 2;
      item.remove_prefix(1);
    } else if (const size_t eq = item.find('='); eq != std::string_view::npos) {
      rule = choiceIndex(item.substr(eq + 1), {"any", "set", "clear"});
      item = item.substr(0, eq);
    }
    const int which = choiceIndex(item, {"readonly", "archive", "hidden", "system"});
    if (rule < 0 || which < 0) return false;
    options->attrRules[which] = rule;
  }
  return true;
}

// Stores `index` in `out` when it names a choice (index >= 0).
bool storeChoice(int index, int* out) {
  if (index < 0) return false;
  *out = index;
  return true;
}

bool storeChoice(int index, std::optional<int>* out) {
  if (index < 0) return false;
  *out = index;
  return true;
}

// The criteria and filter options that take a value; false when the value is not acceptable.
bool applySearchValue(std::string_view option, const std::string& value, CliOptions* o) {
  int64_t n = 0;
  if (option == "--preset") {
    const CriteriaPreset* chosen = nullptr;
    for (const CriteriaPreset& preset : kCriteriaPresets)
      if (EqualIgnoringCase(value, preset.word)) chosen = &preset;
    if (chosen) o->preset = chosen;
    return chosen != nullptr;
  }
  if (option == "--name") {
    const int index = choiceIndex(value, {"exact", "noext", "first", "similar"});
    constexpr NameRule kRules[] = {NameRule::kExact, NameRule::kAnyExtension,
                                   NameRule::kFirstSymbols, NameRule::kSimilar};
    if (index >= 0) o->name = kRules[index];
    return index >= 0;
  }
  if (option == "--symbols") {
    if (!parseInt(value, 5, 10, &n)) return false;
    o->symbols = static_cast<int>(n);
    return true;
  }
  if (option == "--similarity") {
    if (!parseInt(value, kMinSimilarity, kMaxSimilarity, &n)) return false;
    o->similarity = static_cast<int>(n);
    return true;
  }
  if (option == "--time-tolerance") {
    if (!parseInt(value, 0, kMaxTimeTolerance, &n)) return false;
    o->timeTolerance = static_cast<int>(n);
    return true;
  }
  if (option == "--time" || option == "--size") {
    const int index = choiceIndex(value, {"same", "any"});
    if (index >= 0) (option == "--time" ? o->time : o->size) = index == 0;
    return index >= 0;
  }
  if (option == "--min-size" || option == "--max-size") {
    SizeBound bound;
    if (!parseSize(value, &bound)) return false;
    (option == "--min-size" ? o->minSize : o->maxSize) = bound;
    return true;
  }
  if (option == "--time-filter") {
    TimeChoice choice;
    if (!parseTimeFilter(value, &choice)) return false;
    o->timeFilter = choice;
    return true;
  }
  if (option == "--time-of")
    return storeChoice(choiceIndex(value, {"modified", "created", "accessed"}), &o->timeOf);
  if (option == "--attr") return !value.empty() && parseAttrRules(value, o);
  return false;
}

// Every option that takes a value; false when the value is not acceptable.
bool applyValue(std::string_view option, const std::string& value, CliOptions* o) {
  // Masks may be empty (no mask); names of folders and files may not.
  if (option == "--include")
    o->includeMasks = value;
  else if (option == "--exclude-masks")
    o->excludeMasks = value;
  else if (value.empty())
    return false;
  else if (option == "--exclude")
    o->excludes.push_back(value);
  else if (option == "--protect")
    o->protects.push_back(value);
  else if (option == "--descriptor")
    o->descriptorFile = value;
  else if (option == "--save-descriptor")
    o->saveDescriptorFile = value;
  else if (option == "--output")
    o->outputFile = value;
  else if (option == "--settings")
    o->settingsFile = value;
  else if (option == "--sort") {
    int index = 0;
    if (!storeChoice(choiceIndex(value, {"name", "size", "count", "type", "time"}), &index))
      return false;
    o->sortBy = static_cast<SortBy>(index);
  } else if (option == "--format") {
    int index = 0;
    if (!storeChoice(choiceIndex(value, {"text", "csv", "json"}), &index)) return false;
    o->format = static_cast<OutputFormat>(index);
  } else {
    return applySearchValue(option, value, o);
  }
  return true;
}

bool takesValue(std::string_view option) {
  for (const char* known :
       {"--exclude",       "--protect",       "--preset",     "--name",
        "--symbols",       "--time",          "--size",       "--include",
        "--exclude-masks", "--min-size",      "--max-size",   "--time-filter",
        "--time-of",       "--attr",          "--descriptor", "--save-descriptor",
        "--settings",      "--sort",          "--format",     "--output",
        "--similarity",    "--time-tolerance"})
    if (option == known) return true;
  return false;
}

bool applyFlag(std::string_view option, CliOptions* o) {
  if (option == "--reverse")
    o->reverse = true;
  else if (option == "--progress")
    o->progress = true;
  else if (option == "--no-progress")
    o->progress = false;
  else if (option == "--one-thread-per-disk")
    o->oneThreadPerDisk = true;
  else if (option == "--no-ignore")
    o->noIgnore = true;
  else if (option == "--verify")
    o->verify = true;
  else if (option == "--folders")
    o->findFolders = true;
  else if (option == "--fold-case")
    o->foldCase = true;
  else if (option == "--normalize")
    o->normalize = true;
  else if (option == "--across-roots")
    o->acrossRoots = true;
  else if (option == "--with-protected")
    o->withProtected = true;
  else if (option == "--help")
    o->help = true;
  else if (option == "--version")
    o->version = true;
  else
    return false;
  return true;
}

}  // namespace

bool ParseCliOptions(int argc, char** argv, CliOptions* options, std::string* error) {
  bool onlyFolders = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyFolders || arg.size() < 2 || arg[0] != '-') {
      options->folders.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyFolders = true;
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string option = arg.substr(0, eq);
    if (takesValue(option)) {
      std::string value;
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < argc) {
        value = argv[++i];
      } else {
        *error = "option " + option + " needs a value";
        return false;
      }
      if (!applyValue(option, value, options)) {
        *error = "invalid value for " + option + ": '" + value + "'";
        return false;
      }
    } else if (eq != std::string::npos || !applyFlag(option, options)) {
      *error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

const char* CliUsage() {
  return kUsage;
}

ListKeys ListKeysFor(SortBy sortBy, bool reverse) {
  const int turned = reverse ? kSortReversed : 0;
  switch (sortBy) {
    case SortBy::kSize:
      return {kSortByVal | turned, kSortByVal | turned};
    case SortBy::kCount:
      return {kSortByVal2 | turned, kSortByName};
    case SortBy::kType:
      return {kSortByDesc | turned, kSortByName};
    case SortBy::kTime:
      return {kSortByName, kSortByVal2 | turned};
    case SortBy::kName:
      break;
  }
  return {kSortByName | turned, kSortByName};
}

}  // namespace tf
