#include "cli/cli_app.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/act_command.h"
#include "cli/cli_options.h"
#include "cli/descriptor_builder.h"
#include "cli/ignore_command.h"
#include "cli/journal_command.h"
#include "cli/output_sink.h"
#include "cli/search_driver.h"
#include "cli/terminal_text.h"
#include "cli/text_writer.h"
#include "cli/verify_step.h"
#include "datatree/node_xml.h"
#include "platform/file_time.h"
#include "platform/node_files.h"
#include "platform/path_status.h"
#include "platform/standard_paths.h"
#include "platform/stop_signals.h"
#include "platform/stored_file.h"
#include "results/csv_writer.h"
#include "results/ignore_store.h"
#include "results/json_writer.h"
#include "results/result_rows.h"
#include "results/results_file.h"
#include "scan/folder_list.h"
#include "search/search_run.h"
#include "settings/settings_store.h"

#ifndef TWINFOLD_VERSION
#define TWINFOLD_VERSION "unknown"
#endif

namespace tf {
namespace {

void say(const CliStreams& io, const std::string& line) {
  std::fprintf(io.err, "twinfold-cli: %s\n", line.c_str());
}

int usageError(const CliStreams& io, const std::string& line) {
  say(io, line);
  std::fputs(CliUsage(), io.err);
  return kExitUsage;
}

int64_t bytesOf(const SizeBound& bound) {
  static const int64_t kUnit[3] = {1024, 1048576, 1073741824};
  return int64_t{bound.value} * kUnit[bound.units];
}

// The scan priority and walk of the settings: the given file, else the user's settings
// file when it exists. The settings are only read; twinfold-cli never writes them.
bool readPriority(const CliOptions& options, const CliStreams& io, int* priority,
                  bool* oneThreadPerDisk) {
  SettingsStore store;
  store.SetDefaults(SettingsLocations{DefaultSettingsFile(), DefaultBackupFolder()});
  if (!options.settingsFile.empty()) {
    std::string error;
    if (!store.Load(options.settingsFile, &error)) {
      say(io, options.settingsFile + ": cannot read the settings file: " + error);
      return false;
    }
  } else {
    store.Load(DefaultSettingsFile());  // missing or damaged: the defaults stay
  }
  *priority = store.GetPriority();
  *oneThreadPerDisk = store.GetOneThreadPerDisk() != 0;
  return true;
}

NodePtr buildDescriptor(const CliOptions& options, const CliStreams& io) {
  std::string error;
  NodePtr descriptor = options.descriptorFile.empty()
                           ? DescriptorBuilder::NewDescriptor()
                           : DescriptorBuilder::LoadDescriptor(options.descriptorFile, &error);
  if (!descriptor) {
    say(io, options.descriptorFile.empty()
                ? std::string("cannot create the search descriptor")
                : options.descriptorFile +
                      ": cannot read a search descriptor from this file: " + error);
    return nullptr;
  }
  DescriptorBuilder::ApplyCriteria(options, descriptor.get());
  std::vector<std::string> notes;
  DescriptorBuilder::ApplyFolders(options, descriptor.get(), &notes);
  for (const std::string& note : notes) say(io, note);
  return descriptor;
}

// The rule that hides the groups of the user's ignore list; empty with --no-ignore or
// without a list. A list that cannot be read hides nothing, and says so.
std::function<bool(const DataNode*)> ignoredGroups(const CliOptions& options,
                                                   const CliStreams& io) {
  if (options.noIgnore) return {};
  auto list = std::make_shared<IgnoreList>();
  std::string error;
  const IgnoreStore::State state = IgnoreStore(IgnoredGroupsFile()).Read(list.get(), &error);
  if (state == IgnoreStore::State::kDamaged || state == IgnoreStore::State::kNotAFile)
    say(io, TerminalText(error) + "; the ignore list hides no group");
  if (list->Empty()) return {};
  return [list](const DataNode* group) { return list->HidesGroup(group); };
}

// The groups to write: the search's, or their verified copy.
struct FoundGroups {
  const DataNode* root = nullptr;
  int64_t files = 0;
  std::string statusLine;
};

bool writeResult(const CliOptions& options, const FoundGroups& found, DataNode* descriptor,
                 OutputSink* sink) {
  const ListKeys keys = ListKeysFor(options.sortBy, options.reverse);
  switch (options.format) {
    case OutputFormat::kCsv:
      WriteCsv(SortedGroupsWithFiles(found.root, keys.groups, keys.files), sink);
      break;
    case OutputFormat::kJson: {
      ResultsHeader header{std::string("twinfold ") + TWINFOLD_VERSION, FileTimeNow(), descriptor};
      WriteJson(SortedGroupsWithFiles(found.root, keys.groups, keys.files), found.files, sink,
                ProtectedFolders(descriptor), &header);
    } break;
    case OutputFormat::kText:
      // The files of each group are sorted as their lines are made, a block at a time.
      WriteText(SortedGroups(found.root, keys.groups), keys.files, found.statusLine, sink);
      break;
  }
  return sink->Finish();
}

// The folder groups in the order --sort asks: by their first folder (name, type), their
// bytes (size), their files (count) or their latest file (time).
FolderGroups sortedFolders(FolderGroups groups, SortBy sortBy, bool reverse) {
  auto latest = [](const FolderGroup& g) {
    int64_t at = 0;
    for (const DuplicateFolder& folder : g.folders) at = std::max(at, folder.latest);
    return at;
  };
  std::stable_sort(groups.begin(), groups.end(), [&](const FolderGroup& a, const FolderGroup& b) {
    switch (sortBy) {
      case SortBy::kSize:
        if (a.size != b.size) return (a.size < b.size) != reverse;
        break;
      case SortBy::kCount:
        if (a.files != b.files) return (a.files < b.files) != reverse;
        break;
      case SortBy::kTime:
        if (latest(a) != latest(b)) return (latest(a) < latest(b)) != reverse;
        break;
      case SortBy::kName:
      case SortBy::kType:
        return (a.folders.front().path < b.folders.front().path) != reverse;
    }
    return a.folders.front().path < b.folders.front().path;
  });
  return groups;
}

bool writeFolders(const CliOptions& options, const FolderGroups& found, OutputSink* sink) {
  const FolderGroups groups = sortedFolders(found, options.sortBy, options.reverse);
  switch (options.format) {
    case OutputFormat::kCsv:
      WriteFolderGroupsCsv(groups, sink);
      break;
    case OutputFormat::kJson:
      WriteFolderGroupsJson(groups, sink);
      break;
    case OutputFormat::kText:
      WriteFolderText(groups, sink);
      break;
  }
  return sink->Finish();
}

// Everything after a valid command line.
int search(const CliOptions& options, const CliStreams& io) {
  int priority = 1;
  bool oneThreadPerDisk = false;
  if (!readPriority(options, io, &priority, &oneThreadPerDisk)) return kExitFailed;
  NodePtr descriptor = buildDescriptor(options, io);
  if (!descriptor) return kExitFailed;
  // The one atomic save: a failed write leaves a good descriptor as it was, and a name
  // held by a FIFO, a device, a folder or a dangling link is refused, not replaced.
  std::string error;
  if (!options.saveDescriptorFile.empty() &&
      !WriteNodeXmlFile(descriptor.get(), options.saveDescriptorFile, false, std::string(),
                        &error)) {
    say(io, options.saveDescriptorFile + ": cannot save the search descriptor: " + error);
    return kExitFailed;
  }
  PathStatus target;
  if (!options.outputFile.empty() && options.outputFile != "-" &&
      StatPath(options.outputFile, &target, true) && !target.regular) {
    say(io, options.outputFile + ": cannot write the output: it is not a regular file");
    return kExitFailed;
  }
  std::vector<std::string> notes;
  const bool usable = DescriptorBuilder::CheckIncludes(descriptor.get(), &notes);
  if (!options.descriptorFile.empty())
    for (const std::string& note : notes) say(io, note);
  if (!usable) {
    say(io, "no folder to scan");
    return kExitFailed;
  }
  const bool progress = options.progress.value_or(io.errIsTerminal);
  SearchDriver driver(io.tickMilliseconds, priority, progress ? io.err : nullptr,
                      progress && io.errIsTerminal);
  driver.SetOneThreadPerDisk(options.oneThreadPerDisk || oneThreadPerDisk);
  driver.SetFindFolders(options.findFolders);
  // The ignore list hides file groups; folder groups are shown whole.
  if (!options.findFolders) driver.SetHideGroup(ignoredGroups(options, io));
  std::optional<StopSignals> signals;
  if (io.stopOnSignals) {
    signals.emplace();
    driver.SetStopCheck([] { return StopSignals::Received() != 0; });
  }
  const bool ran = driver.Run(descriptor.get());
  const int stopSignal = signals ? StopSignals::Received() : 0;
  signals.reset();  // from here a signal ends the process as usual
  if (driver.Stopped() || stopSignal != 0) {
    say(io, "stopped");
    return 128 + stopSignal;
  }
  if (!ran) {
    say(io, "the search could not run: " + driver.Error());
    return kExitFailed;
  }
  const bool toFile = !options.outputFile.empty() && options.outputFile != "-";
  OutputSink sink(toFile ? nullptr : io.out);
  // What was found is written; a folder that could not be read makes it incomplete.
  const std::vector<std::string> unread = driver.UnreadFolders();
  for (const std::string& folder : unread)
    say(io, TerminalText(folder) + ": cannot read the folder: too many open files");
  int done = unread.empty() ? kExitOk : kExitFailed;
  FoundGroups found{driver.Result(), driver.FileCount(), driver.StatusLine()};
  VerifyStepOutput verified;
  if (options.verify && found.root) {
    verified = RunVerifyStep(found.root, io.err, progress ? io.err : nullptr,
                             progress && io.errIsTerminal);
    if (!verified.root) {
      say(io, "the contents could not be verified: out of memory");
      return kExitFailed;
    }
    if (!verified.allRead) done = kExitFailed;
    found = FoundGroups{verified.root.get(), verified.root->val2,
                        FinishedStatusText(verified.root->val2)};
  }
  const bool written = options.findFolders ? writeFolders(options, driver.Folders(), &sink)
                                           : writeResult(options, found, descriptor.get(), &sink);
  if (toFile) {
    // The one atomic save: a reader of the file sees the old or the new result whole, and
    // a FIFO, a device or a folder at that name is refused, not written into.
    if (SaveStoredFile(options.outputFile, sink.Collected(), &error)) return done;
    say(io, options.outputFile + ": cannot write the output: " + error);
    return kExitFailed;
  }
  if (written || sink.ReaderGone()) return done;
  say(io, std::string("cannot write the output: ") + std::strerror(sink.ErrorCode()));
  return kExitFailed;
}

}  // namespace

int RunCli(int argc, char** argv, const CliStreams& io) {
  if (argc > 1 && std::string(argv[1]) == "act") return RunActCommand(argc - 1, argv + 1, io);
  if (argc > 1 && std::string(argv[1]) == "ignore") return RunIgnoreCommand(argc - 1, argv + 1, io);
  if (argc > 1 && std::string(argv[1]) == "journal")
    return RunJournalCommand(argc - 1, argv + 1, io);
  if (argc > 1 && std::string(argv[1]) == "undo") return RunUndoCommand(argc - 1, argv + 1, io);
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(argc, argv, &options, &error)) return usageError(io, error);
  if (options.help) {
    std::fputs(CliUsage(), io.out);
    return std::fflush(io.out) == 0 || errno == EPIPE ? kExitOk : kExitFailed;
  }
  if (options.version) {
    std::fprintf(io.out, "twinfold-cli %s\n", TWINFOLD_VERSION);
    return kExitOk;
  }
  if (options.folders.empty() && options.descriptorFile.empty())
    return usageError(io, "no folder given");
  if (options.findFolders && options.verify)
    return usageError(io, "--folders cannot be combined with --verify");
  if (options.minSize && options.maxSize && bytesOf(*options.minSize) > bytesOf(*options.maxSize))
    return usageError(io, "--min-size is larger than --max-size");
  return search(options, io);
}

}  // namespace tf
