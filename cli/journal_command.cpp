#include "cli/journal_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "cli/terminal_text.h"
#include "platform/standard_paths.h"
#include "results/action_journal.h"
#include "results/journal_text.h"
#include "results/journal_undo.h"

namespace tf {
namespace {

constexpr const char* kJournalUsage =
    "usage: twinfold-cli journal [--format text|json] [--limit N]\n"
    "Lists the actions of the action journal ($XDG_STATE_HOME/twinfold/journal), newest\n"
    "first, with their files and state (done, undone, partly undone, failed).\n"
    "options: --format text|json, --limit N (the newest N actions only)\n";

constexpr const char* kUndoUsage =
    "usage: twinfold-cli undo [ACTION-ID] [--dry-run]\n"
    "Takes an action of the journal back (by default the newest not yet undone): trashed\n"
    "files come back from the trash, moved ones are moved back, copies and links go;\n"
    "files that share storage kept their contents, so there is nothing to undo.\n"
    "A file whose place is taken stays where it is and is named (exit status 1).\n"
    "options: --dry-run (say what would come back, change nothing)\n";

ActionJournal& journalOf() {
  ActionJournal* installed = InstalledActionJournal();
  if (installed) return *installed;
  static ActionJournal fallback(DefaultJournalFile());
  return fallback;
}

int fail(const CliStreams& io, const char* command, const std::string& why) {
  std::fprintf(io.err, "twinfold-cli %s: %s\n", command, TerminalText(why).c_str());
  return kExitFailed;
}

}  // namespace

int RunJournalCommand(int argc, char** argv, const CliStreams& io) {
  std::string format = "text";
  long long limit = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--format" || arg == "--limit") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--format") {
        format = value;
      } else {
        char* end = nullptr;
        errno = 0;
        limit = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || *end || errno || limit < 0) {
          std::fprintf(io.err, "twinfold-cli journal: --limit takes a number\n%s", kJournalUsage);
          return kExitUsage;
        }
      }
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kJournalUsage, io.out);
      return kExitOk;
    } else {
      std::fprintf(io.err, "twinfold-cli journal: unknown argument %s\n%s",
                   TerminalText(arg).c_str(), kJournalUsage);
      return kExitUsage;
    }
  }
  if (format != "text" && format != "json") {
    std::fprintf(io.err, "twinfold-cli journal: --format takes text or json\n%s", kJournalUsage);
    return kExitUsage;
  }
  std::vector<JournalAction> actions;
  std::string why;
  const std::string path = journalOf().Path();
  if (!LoadJournal(path, &actions, &why))
    return fail(io, "journal", "cannot read the journal " + path + ": " + why);
  const size_t shown =
      limit < 0 ? actions.size() : std::min(actions.size(), static_cast<size_t>(limit));
  const std::vector<JournalAction> newest(actions.end() - static_cast<ptrdiff_t>(shown),
                                          actions.end());
  const std::string text =
      format == "json" ? JournalJson(newest) : JournalText(newest, TerminalText);
  if (std::fputs(text.c_str(), io.out) < 0 || std::fflush(io.out) != 0)
    return errno == EPIPE ? kExitOk : kExitFailed;
  return kExitOk;
}

int RunUndoCommand(int argc, char** argv, const CliStreams& io) {
  std::string id;
  bool dryRun = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--dry-run") {
      dryRun = true;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUndoUsage, io.out);
      return kExitOk;
    } else if (!arg.empty() && arg[0] != '-' && id.empty()) {
      id = arg;
    } else {
      std::fprintf(io.err, "twinfold-cli undo: unknown argument %s\n%s", TerminalText(arg).c_str(),
                   kUndoUsage);
      return kExitUsage;
    }
  }
  ActionJournal& journal = journalOf();
  std::vector<JournalAction> actions;
  std::string why;
  if (!LoadJournal(journal.Path(), &actions, &why))
    return fail(io, "undo", "cannot read the journal " + journal.Path() + ": " + why);
  const JournalAction* action = nullptr;
  if (id.empty()) {
    action = NewestUndoable(actions);
    if (!action) return fail(io, "undo", "the journal holds no action that can be undone");
  } else {
    for (const JournalAction& a : actions)
      if (a.id == id) action = &a;
    if (!action) return fail(io, "undo", "no action " + id + " in the journal");
    if (!UndoFileCount(*action)) return fail(io, "undo", "action " + id + " is already undone");
  }
  UndoReport report;
  const bool written = UndoAction(*action, journal, dryRun, &report, &why);
  std::string nothing = NothingToUndoText(*action);
  std::replace(nothing.begin(), nothing.end(), '\n', ' ');
  std::string out = (dryRun ? "would undo " : "undo ") + action->id + ": " +
                    (nothing.empty() ? ActionLabel(*action) : nothing) + "\n";
  for (const std::string& line : report.lines) out += "  " + TerminalText(line) + "\n";
  std::fputs(out.c_str(), io.out);
  std::fflush(io.out);
  for (size_t i = 0; i + 1 < report.kept.size(); i += 2)
    std::fprintf(io.err, "twinfold-cli undo: %s stays: %s\n", TerminalText(report.kept[i]).c_str(),
                 TerminalText(report.kept[i + 1]).c_str());
  if (!written) fail(io, "undo", why);
  return report.kept.empty() && written ? kExitOk : kExitFailed;
}

}  // namespace tf
