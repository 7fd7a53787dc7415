#include "cli/ignore_command.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string>
#include <vector>

#include "base/quoted_input.h"
#include "cli/terminal_text.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "results/ignore_store.h"
#include "results/json_text.h"

namespace tf {
namespace {

constexpr const char* kUsage =
    "usage: twinfold-cli ignore list [--format text|json]\n"
    "       twinfold-cli ignore add PATH PATH...\n"
    "       twinfold-cli ignore remove N...\n"
    "       twinfold-cli ignore clear\n"
    "The ignore list keeps groups that are not duplicates: a search hides a group while all\n"
    "its files belong to one entry, and shows it again, whole, when another file joins it\n"
    "(--no-ignore shows every group). \"add\" makes one entry of the given files, \"remove\"\n"
    "takes entries away by the numbers \"list\" shows. The list is kept in\n"
    "$XDG_DATA_HOME/twinfold/ignored (~/.local/share/twinfold/ignored).\n";

void fail(const CliStreams& io, const std::string& line) {
  std::fprintf(io.err, "twinfold-cli ignore: %s\n", TerminalText(line).c_str());
}

int usage(const CliStreams& io, const std::string& line) {
  fail(io, line);
  std::fputs(kUsage, io.err);
  return kExitUsage;
}

void writeText(const IgnoreList& list, std::FILE* out) {
  size_t number = 0;
  for (const IgnoreList::Entry& entry : list.Entries()) {
    std::fprintf(out, "#%zu\n", ++number);
    for (const std::string& path : entry) std::fprintf(out, "  %s\n", TerminalText(path).c_str());
  }
}

void writeJson(const IgnoreList& list, std::FILE* out) {
  std::string text = "{\"entries\":[";
  size_t number = 0;
  for (const IgnoreList::Entry& entry : list.Entries()) {
    text += number == 0 ? "\n" : ",\n";
    text += "{\"number\":" + std::to_string(++number) + ",\"paths\":[";
    for (size_t p = 0; p < entry.size(); ++p) {
      text += p == 0 ? "{" : ",{";
      AppendJsonText(&text, "path", entry[p]);
      text += '}';
    }
    text += "]}";
  }
  text += "\n]}\n";
  std::fputs(text.c_str(), out);
}

int list(IgnoreStore& store, const std::vector<std::string>& args, const CliStreams& io) {
  std::string format = "text";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format" && i + 1 < args.size())
      format = args[++i];
    else if (args[i].rfind("--format=", 0) == 0)
      format = args[i].substr(9);
    else
      return usage(io, "unknown argument " + QuoteInput(args[i]));
  }
  if (format != "text" && format != "json") return usage(io, "--format takes text or json");
  IgnoreList ignored;
  std::string error;
  const IgnoreStore::State state = store.Read(&ignored, &error);
  if (state == IgnoreStore::State::kDamaged || state == IgnoreStore::State::kNotAFile) {
    fail(io, error);
    return kExitFailed;
  }
  format == "json" ? writeJson(ignored, io.out) : writeText(ignored, io.out);
  return std::fflush(io.out) == 0 ? kExitOk : kExitFailed;
}

// Runs `change` on the stored list; the damaged list it sets aside is named.
bool change(IgnoreStore& store, const CliStreams& io, const std::function<bool(IgnoreList&)>& how) {
  std::string error, setAside;
  const bool done = store.Change(how, &error, &setAside);
  if (!setAside.empty()) fail(io, "the damaged ignore list was kept as " + QuoteInput(setAside));
  if (!done) fail(io, error);
  return done;
}

int add(IgnoreStore& store, const std::vector<std::string>& args, const CliStreams& io) {
  std::vector<std::string> paths;
  for (const std::string& arg : args) {
    const std::string path = LexicallyNormal(AbsolutePath(arg));
    PathStatus status;
    // Only regular files are ever grouped: any other name could never hide a group.
    if (!StatPath(path, &status, false) || !status.regular) {
      fail(io, "cannot ignore " + QuoteInput(arg) + ": it is not a file; nothing was added");
      return kExitFailed;
    }
    paths.push_back(path);
  }
  IgnoreList::Added added = IgnoreList::Added::kTooFew;
  size_t count = 0;
  const bool done = change(store, io, [&](IgnoreList& ignored) {
    added = ignored.Add(paths);
    count = ignored.Entries().size();
    return added == IgnoreList::Added::kAdded;
  });
  if (!done) return kExitFailed;
  if (added == IgnoreList::Added::kTooFew) return usage(io, "an entry needs two different files");
  if (added == IgnoreList::Added::kAlreadyThere)
    std::fprintf(io.out, "already ignored\n");
  else
    std::fprintf(io.out, "ignored as #%zu\n", count);
  return kExitOk;
}

int removeEntries(IgnoreStore& store, const std::vector<std::string>& args, const CliStreams& io) {
  std::vector<size_t> numbers;
  for (const std::string& arg : args) {
    size_t number = 0;
    const auto [end, code] = std::from_chars(arg.data(), arg.data() + arg.size(), number);
    if (code != std::errc() || end != arg.data() + arg.size() || number == 0)
      return usage(io, "not an entry number: " + QuoteInput(arg));
    numbers.push_back(number);
  }
  // Highest first, so that each number still names the entry that "list" showed.
  std::sort(numbers.rbegin(), numbers.rend());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  size_t missing = 0;
  const bool done = change(store, io, [&](IgnoreList& ignored) {
    if (numbers.front() > ignored.Entries().size()) {
      missing = numbers.front();
      return false;
    }
    for (size_t number : numbers) ignored.RemoveAt(number - 1);
    return true;
  });
  if (!done) return kExitFailed;
  if (missing) {
    fail(io, "there is no entry #" + std::to_string(missing) + "; nothing was removed");
    return kExitFailed;
  }
  std::fprintf(io.out, "removed %zu %s\n", numbers.size(),
               numbers.size() == 1 ? "entry" : "entries");
  return kExitOk;
}

int clear(IgnoreStore& store, const CliStreams& io) {
  size_t count = 0;
  const bool done = change(store, io, [&](IgnoreList& ignored) {
    count = ignored.Entries().size();
    ignored.Clear();
    return count > 0;
  });
  if (!done) return kExitFailed;
  std::fprintf(io.out, "removed %zu %s\n", count, count == 1 ? "entry" : "entries");
  return kExitOk;
}

}  // namespace

int RunIgnoreCommand(int argc, char** argv, const CliStreams& io) {
  try {
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.empty()) return usage(io, "no command given");
    const std::string& command = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
      std::fputs(kUsage, io.out);
      return kExitOk;
    }
    IgnoreStore store(IgnoredGroupsFile());
    if (command == "list") return list(store, rest, io);
    if (command == "add") {
      if (rest.size() < 2) return usage(io, "add needs two files or more");
      return add(store, rest, io);
    }
    if (command == "remove") {
      if (rest.empty()) return usage(io, "remove needs an entry number");
      return removeEntries(store, rest, io);
    }
    if (command == "clear") {
      if (!rest.empty()) return usage(io, "clear takes no arguments");
      return clear(store, io);
    }
    return usage(io, "unknown command " + QuoteInput(command));
  } catch (const std::exception& e) {
    fail(io, e.what());
    return kExitFailed;
  }
}

}  // namespace tf
