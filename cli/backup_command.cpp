#include "cli/backup_command.h"

#include <unistd.h>

#include <memory>

#include "base/quoted_input.h"
#include "cli/backup_output.h"
#include "cli/terminal_questions.h"
#include "cli/terminal_text.h"
#include "platform/file_ops.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"
#include "platform/zip_plugin.h"
#include "results/action_journal.h"
#include "results/backup_names.h"
#include "results/backup_store.h"
#include "results/links_history.h"
#include "settings/settings_store.h"

namespace tf {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: twinfold-cli backup list [--format text|json]\n"
    "       twinfold-cli backup add FILE... [--comment TEXT] [--keep]\n"
    "       twinfold-cli backup restore NAME...\n"
    "       twinfold-cli backup delete NAME...\n"
    "options: --folder DIR (the backup folder), --settings FILE (where the folder is set)\n"
    "NAME: a stored name (\"3.report.doc.zipp\"), or, when it is unique, a number and\n"
    "      original name (\"3.report.doc\"), an original name or a number\n";

struct BackupArgs {
  std::string command;
  std::vector<std::string> operands;
  std::string folder, settings, comment, format = "text";
  bool keep = false;
  bool hasComment = false;
};

// Reads the options wherever they stand; "--" ends them. False on a usage error.
bool parseArgs(int argc, char** argv, BackupArgs* args, std::string* error) {
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return *error = arg + " needs a value", false;
      *out = argv[++i];
      return true;
    };
    if (options && arg == "--")
      options = false;
    else if (options && arg == "--folder") {
      if (!value(&args->folder)) return false;
    } else if (options && arg == "--settings") {
      if (!value(&args->settings)) return false;
    } else if (options && arg == "--format") {
      if (!value(&args->format)) return false;
    } else if (options && arg == "--comment") {
      if (!value(&args->comment)) return false;
      args->hasComment = true;
    } else if (options && arg == "--keep")
      args->keep = true;
    else if (options && arg.size() > 1 && arg[0] == '-')
      return *error = "unknown option " + arg, false;
    else if (args->command.empty())
      args->command = arg;
    else
      args->operands.push_back(arg);
  }
  if (args->format != "text" && args->format != "json")
    return *error = "--format takes text or json", false;
  if (args->command.empty()) return *error = "no command given", false;
  return true;
}

// The backup folder: --folder, else the settings' folder, else the default one.
std::string backupFolderOf(const BackupArgs& args, std::FILE* err) {
  if (!args.folder.empty()) return args.folder;
  SettingsStore settings;
  settings.SetDefaults(
      {args.settings.empty() ? DefaultSettingsFile() : args.settings, DefaultBackupFolder()});
  const std::string file = args.settings.empty() ? DefaultSettingsFile() : args.settings;
  if (!settings.Load(file) && !args.settings.empty())
    std::fprintf(err,
                 "twinfold-cli backup: cannot read the settings file %s; using the "
                 "default backup folder\n",
                 TerminalText(QuoteInput(file)).c_str());
  std::string folder = settings.GetBackupFolder();
  return folder.empty() ? DefaultBackupFolder() : folder;
}

int addFiles(BackupStore& store, const BackupArgs& args, Questions& questions,
             const BackupCommandIo& io) {
  int status = kExitOk;
  for (const std::string& file : args.operands) {
    const std::string path = AbsolutePath(file);
    if (!store.AddToBackup(path, args.hasComment ? args.comment.c_str() : nullptr)) {
      std::fprintf(io.err, "twinfold-cli backup: cannot back up %s: %s\n",
                   TerminalText(QuoteInput(file)).c_str(),
                   TerminalText(store.LastProblem()).c_str());
      status = kExitFailed;
      continue;
    }
    if (!args.keep && !store.OriginalIsStoredFile(path)) {
      std::fprintf(io.err, "twinfold-cli backup: cannot back up %s: %s\n",
                   TerminalText(QuoteInput(file)).c_str(),
                   TerminalText(store.LastProblem()).c_str());
      status = kExitFailed;
      continue;
    }
    std::fprintf(io.out, "stored %s as %s\n", TerminalText(path).c_str(),
                 TerminalText(FileNameOf(store.LastStoredPath())).c_str());
    if (args.keep) continue;
    std::string folder, name;
    SplitPath(path, &folder, &name);
    if (!ShellDelete(&questions, name, folder, false)) {
      std::fprintf(io.err,
                   "twinfold-cli backup: %s is backed up but could not be moved to "
                   "the trash\n",
                   TerminalText(QuoteInput(file)).c_str());
      status = kExitFailed;
    }
  }
  return status;
}

// Restores or deletes each named entry; names are resolved once, before any change.
int actOnEntries(BackupStore& store, const BackupArgs& args, const BackupCommandIo& io) {
  std::vector<std::string> stored;
  int status = kExitOk;
  for (const std::string& name : args.operands) {
    std::string problem;
    DataNode* entry = FindBackupEntry(store.Entries(false), name, &problem);
    if (entry)
      stored.push_back(entry->Name());
    else {
      std::fprintf(io.err, "twinfold-cli backup: %s\n", problem.c_str());
      status = kExitFailed;
    }
  }
  const bool restore = args.command == "restore";
  for (const std::string& path : stored) {
    DataNode* entry = FindChild(store.Entries(false), path.c_str());
    bool done = false;
    std::string problem = "it is no longer in the backup folder";
    if (entry && restore)
      done = store.RestoreEntry(entry) && store.LastActionDone();
    else if (entry)
      done = store.DeleteEntry(entry) == 1;
    if (entry && !done) problem = store.LastProblem();
    const char* verb = restore ? "restore" : "delete";
    const std::string shown = TerminalText(QuoteInput(FileNameOf(path)));
    if (done)
      std::fprintf(io.out, "%sd %s\n", verb, shown.c_str());
    else
      std::fprintf(io.err, "twinfold-cli backup: cannot %s %s: %s\n", verb, shown.c_str(),
                   TerminalText(problem.empty() ? "nothing was done" : problem).c_str());
    if (!done) status = kExitFailed;
  }
  return status;
}

int runCommand(const BackupArgs& args, Questions& questions, const BackupCommandIo& io) {
  const std::string folder = backupFolderOf(args, io.err);
  const bool isDefault = args.folder.empty() && folder == DefaultBackupFolder();
  // The default folder is the program's own and made on first use; a folder the user
  // chose is never created.
  if (args.command == "add" && isDefault) MakeFolders(folder);
  ZipPlugin plugin(io.pluginCandidates.empty() ? ZipPlugin::DefaultCandidates()
                                               : io.pluginCandidates);
  plugin.Probe();
  BackupStore store(questions, &plugin);
  if (!store.SetFolder(folder)) {
    std::fprintf(io.err, "twinfold-cli backup: the backup folder %s does not exist\n",
                 TerminalText(QuoteInput(folder)).c_str());
    return kExitFailed;
  }
  if (args.command == "list") {
    bool ok = args.format == "json" ? WriteBackupJson(store.Entries(true), io.out)
                                    : WriteBackupText(store.Entries(true), io.out);
    return ok ? kExitOk : kExitFailed;
  }
  // One action of the journal for all the files the command names.
  const bool restore = args.command == "restore";
  JournalScope journal(args.command == "add" ? kActBackup
                       : restore             ? kActBackupRestore
                                             : kActBackupDelete);
  if (!journal.Ok()) {
    std::fprintf(io.err, "twinfold-cli backup: %s\n", TerminalText(journal.Why()).c_str());
    return kExitFailed;
  }
  if (args.command == "add") return addFiles(store, args, questions, io);
  return actOnEntries(store, args, io);
}

}  // namespace

int RunBackupCommandWith(int argc, char** argv, const BackupCommandIo& io) {
  try {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
      std::fputs(kUsage, io.out);
      return kExitOk;
    }
    BackupArgs args;
    std::string error;
    const bool known = parseArgs(argc, argv, &args, &error) &&
                       (args.command == "list" || args.command == "add" ||
                        args.command == "restore" || args.command == "delete");
    if (!known || (args.command != "list" && args.operands.empty()) ||
        (args.command == "list" && !args.operands.empty())) {
      if (error.empty()) error = "unknown command or missing operands";
      std::fprintf(io.err, "twinfold-cli backup: %s\n%s", TerminalText(error).c_str(), kUsage);
      return kExitUsage;
    }
    std::unique_ptr<TerminalQuestions> terminal;
    Questions* questions = io.questions;
    if (!questions) {
      terminal = std::make_unique<TerminalQuestions>(stdin, io.err, isatty(STDIN_FILENO) == 1);
      questions = terminal.get();
    }
    return runCommand(args, *questions, io);
  } catch (const std::exception& e) {
    std::fprintf(io.err, "twinfold-cli backup: %s\n", TerminalText(e.what()).c_str());
    return kExitFailed;
  }
}

}  // namespace tf

int RunBackupCommand(int argc, char** argv) {
  return tf::RunBackupCommandWith(argc, argv, tf::BackupCommandIo{});
}
