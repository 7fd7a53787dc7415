#include "cli/act_command.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/silent_questions.h"
#include "cli/descriptor_builder.h"
#include "cli/terminal_text.h"
#include "cli/verify_step.h"
#include "platform/file_change_watcher.h"
#include "platform/file_ops.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/shared_storage.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"
#include "platform/zip_plugin.h"
#include "results/action_journal.h"
#include "results/backup_store.h"
#include "results/file_actions.h"
#include "results/json_text.h"
#include "results/replace_by_link.h"
#include "results/result_act.h"
#include "results/result_rows.h"
#include "results/share_action.h"
#include "search/search_run.h"
#include "settings/settings_store.h"

namespace tf {
namespace {

struct ActArgs {
  std::string results;
  std::string keep, action = "trash", format = "text", settings;
  std::vector<std::string> protect;
  bool dryRun = false;
  bool help = false;
};

constexpr const char* kActUsage =
    "usage: twinfold-cli act RESULTS --keep RULE [--action ACTION] [--protect FOLDER]...\n"
    "                        [--dry-run] [--format text|json] [--settings FILE]\n"
    "RESULTS: a results file (twinfold-cli --format json, or the window's \"Save results...\"),\n"
    "         or - for standard input\n"
    "RULE:    which copy of each group stays: newest, oldest, largest, first (in name\n"
    "         order) or in:FOLDER (the copies under FOLDER; a group with none there is left\n"
    "         whole)\n"
    "ACTION:  what happens to the others: trash (default), backup (to the backup folder),\n"
    "         move:FOLDER, link, which replaces each by a symbolic link to the kept copy\n"
    "         (the file itself goes to the trash), or share, which lets each use the kept\n"
    "         copy's storage on btrfs or XFS (names, times and bytes stay; groups not\n"
    "         verified are verified first, and the kernel compares the bytes again)\n"
    "options: --protect FOLDER (never act on files there), --dry-run (print the plan, change\n"
    "         nothing), --format text|json, --settings FILE (where the backup folder is set)\n";

bool parseArgs(int argc, char** argv, ActArgs* args, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return *error = arg + " needs a value", false;
      *out = argv[++i];
      return !out->empty() || (*error = arg + " needs a value", false);
    };
    std::string folder;
    if (arg == "--keep") {
      if (!value(&args->keep)) return false;
    } else if (arg == "--action") {
      if (!value(&args->action)) return false;
    } else if (arg == "--format") {
      if (!value(&args->format)) return false;
    } else if (arg == "--settings") {
      if (!value(&args->settings)) return false;
    } else if (arg == "--protect") {
      if (!value(&folder)) return false;
      args->protect.push_back(DescriptorBuilder::AbsoluteFolder(folder));
    } else if (arg == "--dry-run") {
      args->dryRun = true;
    } else if (arg == "--help" || arg == "-h") {
      args->help = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return *error = "unknown option " + arg, false;
    } else if (args->results.empty()) {
      args->results = arg;
    } else {
      return *error = "more than one results file given", false;
    }
  }
  if (args->help) return true;
  if (args->results.empty()) return *error = "no results file given", false;
  if (args->keep.empty()) return *error = "--keep is required", false;
  if (args->format != "text" && args->format != "json")
    return *error = "--format takes text or json", false;
  return true;
}

// The backup folder of the settings (the given file, else the user's), else the default.
std::string backupFolder(const std::string& settingsFile) {
  SettingsStore settings;
  settings.SetDefaults({DefaultSettingsFile(), DefaultBackupFolder()});
  settings.Load(settingsFile.empty() ? DefaultSettingsFile() : settingsFile);
  const std::string folder = settings.GetBackupFolder();
  return folder.empty() ? DefaultBackupFolder() : folder;
}

// The real actions. No question can be answered here: a taken name at a move's target is
// refused, not replaced.
class Services {
 public:
  explicit Services(const ActArgs& args)
      : m_questions(IDNO), m_shell(m_questions), m_plugin(ZipPlugin::DefaultCandidates()) {
    m_services.trash = [this](const std::string& path, std::string* why) {
      if (ShellDelete(&m_questions, path, std::string(), false)) return true;
      *why = "it could not be moved to the trash";
      return false;
    };
    m_services.backup = [this, &args](const std::string& path, const std::string& comment,
                                      std::string* why) {
      return backup(args, path, comment, why);
    };
    m_services.move = [this](const std::string& path, const std::string& folder, std::string* why) {
      const std::string target =
          folder + (folder.back() == '/' ? "" : "/") + path.substr(path.rfind('/') + 1);
      PathStatus there;
      if (StatPath(target, &there, false) || there.exists) {
        *why = "a file of that name is already in " + folder;
        return false;
      }
      if (ShellFileOp(&m_questions, FO_MOVE, path, target, false)) return true;
      *why = "it could not be moved to " + folder;
      return false;
    };
    m_services.link = [this](const std::string& path, const std::string& target, std::string* why) {
      if (ReplaceFileByLink(path, target, m_shell)) return true;
      *why = "it could not be replaced by a link";
      return false;
    };
    m_services.share = ShareOneFile;
  }
  const ActServices& Get() const { return m_services; }

 private:
  bool backup(const ActArgs& args, const std::string& path, const std::string& comment,
              std::string* why) {
    if (!m_store) {
      const std::string folder = backupFolder(args.settings);
      if (folder == DefaultBackupFolder()) MakeFolders(folder);  // the program's own
      m_plugin.Probe();
      m_store = std::make_unique<BackupStore>(m_questions, &m_plugin);
      if (!m_store->SetFolder(folder))
        m_storeProblem = "the backup folder " + folder + " does not exist";
    }
    if (!m_storeProblem.empty()) {
      *why = m_storeProblem;
      return false;
    }
    if (!m_store->AddToBackup(path, comment.c_str())) {
      *why = "it could not be backed up: " + m_store->LastProblem();
      return false;
    }
    if (ShellDelete(&m_questions, path, std::string(), false)) return true;
    *why = "it is backed up but could not be moved to the trash";
    return false;
  }

  SilentQuestions m_questions;
  PlatformFileShell m_shell;
  ZipPlugin m_plugin;
  std::unique_ptr<BackupStore> m_store;
  std::string m_storeProblem;
  ActServices m_services;
};

const char* verbOf(ActKind kind, bool done) {
  switch (kind) {
    case ActKind::kTrash:
      return done ? "trashed" : "trash";
    case ActKind::kBackup:
      return done ? "backed up" : "back up";
    case ActKind::kMove:
      return done ? "moved" : "move";
    case ActKind::kLink:
      return done ? "linked" : "link";
    case ActKind::kShare:
      return done ? "shared" : "share";
  }
  return "";
}

const char* nameOf(ActKind kind) {
  static const char* const kNames[] = {"trash", "backup", "move", "link", "share"};
  return kNames[static_cast<int>(kind)];
}

bool writeText(const std::vector<PlannedAction>& plan, const ActRequest& request, bool dryRun,
               std::FILE* out) {
  for (const PlannedAction& action : plan) {
    if (!action.reason.empty()) continue;  // named on standard error
    std::string line = verbOf(request.action, action.done);
    line += ' ';
    AppendTerminalText(action.path, &line);
    if (request.action == ActKind::kMove) line += " to " + TerminalText(request.moveFolder);
    line += dryRun ? " (keeping " : " (kept ";
    AppendTerminalText(action.keptPath, &line);
    line += ")\n";
    if (std::fputs(line.c_str(), out) < 0) return false;
  }
  if (request.action == ActKind::kShare) {
    // The files left as they were are named on standard error.
    const std::string summary = ShareSummary(plan, dryRun);
    if (std::fprintf(out, "%s\n", summary.substr(0, summary.find('\n')).c_str()) < 0) return false;
  }
  return std::fflush(out) == 0;
}

bool writeJson(const std::vector<PlannedAction>& plan, const ActRequest& request, bool dryRun,
               std::FILE* out) {
  std::string text = std::string("{\"dry_run\":") + (dryRun ? "true" : "false") + ",\"actions\":[";
  for (size_t i = 0; i < plan.size(); ++i) {
    const PlannedAction& action = plan[i];
    text += i == 0 ? "\n{" : ",\n{";
    AppendJsonText(&text, "path", action.path);
    text += ",\"action\":\"";
    text += nameOf(request.action);
    text += "\",";
    AppendJsonText(&text, "kept", action.keptPath);
    text += action.done ? ",\"done\":true," : ",\"done\":false,";
    AppendJsonText(&text, "reason", action.reason);
    if (request.action == ActKind::kShare) text += ",\"bytes\":" + std::to_string(action.bytes);
    text += '}';
    if (text.size() > (size_t{1} << 16)) {
      if (std::fputs(text.c_str(), out) < 0) return false;
      text.clear();
    }
  }
  text += plan.empty() ? "]}\n" : "\n]}\n";
  return std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0;
}

// Verifies the groups not yet verified, so that only files proven to hold the same bytes
// are offered to the kernel (which compares them once more as it shares). Files that
// could not be compared are named and leave their groups (*status 1). False when memory
// ran out.
bool verifyFirst(LoadedResults* results, const CliStreams& io, int* status) {
  bool unverified = false;
  for (const DataNode* group = results->root->FirstChild(); group && !unverified;
       group = group->Next())
    unverified = IsGroupRow(group) && !IsVerifiedGroup(group);
  if (!unverified) return true;
  VerifyStepOutput verified =
      RunVerifyStep(results->root.get(), io.err, io.errIsTerminal ? io.err : nullptr, true, true);
  if (!verified.root) {
    std::fputs("twinfold-cli act: there was not enough memory to verify the contents\n", io.err);
    return false;
  }
  if (!verified.allRead) *status = kExitFailed;
  results->root = std::move(verified.root);
  return true;
}

int refuse(const CliStreams& io, const std::string& results, const std::string& why) {
  std::fprintf(io.err, "twinfold-cli act: %s: %s\n", TerminalText(results).c_str(),
               TerminalText(why).c_str());
  return kExitUsage;
}

}  // namespace

int RunActCommand(int argc, char** argv, const CliStreams& io) {
  ActArgs args;
  ActRequest request;
  std::string error;
  if (!parseArgs(argc, argv, &args, &error) ||
      (!args.help && (!ParseKeepRule(args.keep, &request, &error) ||
                      !ParseActKind(args.action, &request, &error)))) {
    std::fprintf(io.err, "twinfold-cli act: %s\n%s", TerminalText(error).c_str(), kActUsage);
    return kExitUsage;
  }
  if (args.help) {
    std::fputs(kActUsage, io.out);
    return kExitOk;
  }
  if (request.keep == SelectRule::kAllButInFolder)
    request.keepFolder = DescriptorBuilder::AbsoluteFolder(request.keepFolder);
  if (request.action == ActKind::kMove) {
    request.moveFolder = DescriptorBuilder::AbsoluteFolder(request.moveFolder);
    if (PathKind(request.moveFolder) != PATH_FOLDER)
      return refuse(io, request.moveFolder, "no such folder to move to");
  }
  request.protect = args.protect;

  std::string text;
  const bool fromInput = args.results == "-";
  if (!(fromInput ? ReadStandardInput(&text, kMaxResultsFileBytes, &error)
                  : ReadStoredFile(args.results, &text, kMaxResultsFileBytes, &error)))
    return refuse(io, fromInput ? "standard input" : args.results, "cannot read it: " + error);
  LoadedResults results;
  if (!ParseResults(text, &results, &error)) return refuse(io, args.results, error);
  std::string().swap(text);
  const std::string untrusted = WhyResultsUntrusted(results);
  if (!untrusted.empty()) return refuse(io, args.results, "refused: " + untrusted);

  int status = kExitOk;
  if (request.action == ActKind::kShare && !verifyFirst(&results, io, &status)) return kExitFailed;
  HardLinks links;
  links.Build(results.root.get(), ReadLinkIdentity);
  std::vector<PlannedAction> plan = PlanActions(results, request, &links);
  // Copies whose file system cannot share are named and left out before anything is
  // journaled; when none is left nothing happens at all.
  std::vector<PlannedAction> refused;
  if (request.action == ActKind::kShare) {
    std::vector<PlannedAction> able;
    for (PlannedAction& action : plan) {
      action.reason = WhyCannotShare(action.keptPath, action.path);
      (action.reason.empty() ? able : refused).push_back(std::move(action));
    }
    plan.swap(able);
    if (plan.empty() && !refused.empty()) {
      for (const PlannedAction& action : refused)
        std::fprintf(io.err, "twinfold-cli act: cannot share %s: %s\n",
                     TerminalText(action.path).c_str(), TerminalText(action.reason).c_str());
      std::fputs(args.dryRun ? "twinfold-cli act: nothing would be shared\n"
                             : "twinfold-cli act: nothing was shared\n",
                 io.err);
      return kExitFailed;
    }
  }
  const bool showProgress = io.errIsTerminal && plan.size() > 1000;
  size_t shown = 0;
  auto progress = [&](size_t handled) {
    if (!showProgress || (handled != plan.size() && handled - shown < 4096)) return;
    shown = handled;
    std::fprintf(io.err, "\r%zu of %zu files checked%s", handled, plan.size(),
                 handled == plan.size() ? "\r\x1b[K" : "");
    std::fflush(io.err);
  };
  Services services(args);
  static const char* const kKinds[] = {kActDelete, kActBackup, kActMove, kActLink, kActShare};
  std::optional<JournalScope> journal;
  if (!args.dryRun) {
    journal.emplace(kKinds[static_cast<int>(request.action)]);
    if (!journal->Ok()) {
      std::fprintf(io.err, "twinfold-cli act: %s\n", TerminalText(journal->Why()).c_str());
      return kExitFailed;
    }
  }
  ActServices acting = services.Get();
  if (journal && (request.action == ActKind::kTrash || request.action == ActKind::kMove ||
                  request.action == ActKind::kShare)) {
    const FileChange change = request.action == ActKind::kTrash  ? FileChange::kTrash
                              : request.action == ActKind::kMove ? FileChange::kMove
                                                                 : FileChange::kShare;
    acting.announce = [&journal, change](const std::vector<AnnouncedFile>& files,
                                         std::string* why) {
      if (journal->Announce(change, files)) return true;
      *why = journal->Why();
      return false;
    };
  }
  CarryOut(&plan, request, acting, args.dryRun, progress);
  for (PlannedAction& action : refused) plan.push_back(std::move(action));
  for (const PlannedAction& action : plan) {
    if (action.reason.empty()) continue;
    std::fprintf(io.err, "twinfold-cli act: skipped %s: %s\n", TerminalText(action.path).c_str(),
                 TerminalText(action.reason).c_str());
    status = kExitFailed;
  }
  const bool written = args.format == "json" ? writeJson(plan, request, args.dryRun, io.out)
                                             : writeText(plan, request, args.dryRun, io.out);
  if (!written && errno != EPIPE) status = kExitFailed;
  return status;
}

}  // namespace tf
