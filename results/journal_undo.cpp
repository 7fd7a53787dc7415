#include "results/journal_undo.h"

#include <chrono>

#include "platform/file_ops.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"
#include "platform/trash.h"

namespace tf {
namespace {

// The file at `path` is the journaled one: a regular file of that size and time, or a
// folder whose files have those bytes in all and that latest time (ReadFolderFacts).
bool sameFile(const std::string& path, int64_t size, int64_t modified) {
  PathStatus st;
  if (!StatPath(path, &st, false) || st.link) return false;
  FolderFacts facts;
  if (st.folder)
    return ReadFolderFacts(path, &facts) && facts.bytes == size && facts.latest == modified;
  return st.size == size && st.modified == modified;
}

bool taken(const std::string& path) {
  PathStatus st;
  StatPath(path, &st, false);
  return st.exists;
}

std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

enum class Outcome { kBack, kNothing, kKept };

struct Step {
  Outcome outcome = Outcome::kNothing;
  std::string line;  // what happened, for the terminal
  std::string why;   // when kept
};

Step keep(std::string why) {
  return {Outcome::kKept, {}, std::move(why)};
}

// A trashed file back from the trash.
Step untrash(const JournalEntry& e, bool dryRun) {
  if (sameFile(e.path, e.size, e.modified) && !(e.ended && sameFile(e.to, e.size, e.modified)))
    return {Outcome::kNothing, "in place " + e.path, {}};
  std::string item = e.ended ? e.to : std::string();
  if (item.empty() || !sameFile(item, e.size, e.modified)) {
    // Never heard to end, or the item was not where it went: look through the trash.
    const std::string found = FindTrashedItem(e.path, e.size, e.modified);
    if (found.empty()) {
      if (!item.empty() && taken(item))
        return keep("its trash item " + quoted(item) + " was replaced by another file");
      return keep(e.ended ? "it is no longer in the trash"
                          : "it is neither in its place nor in the trash");
    }
    item = found;
  }
  if (taken(e.path)) return keep("its place is taken by another file; it stays in the trash");
  if (dryRun) return {Outcome::kBack, "restore " + e.path + " from " + item, {}};
  MakeFolders(FolderOf(e.path));
  if (!RestoreFromTrash(item, e.path))
    return keep("it could not be put back from the trash " + quoted(item));
  return {Outcome::kBack, "restored " + e.path, {}};
}

// A moved file back from where it went.
Step moveBack(const JournalEntry& e, bool dryRun) {
  const bool there = !e.to.empty() && sameFile(e.to, e.size, e.modified);
  if (!there) {
    if (sameFile(e.path, e.size, e.modified)) return {Outcome::kNothing, "in place " + e.path, {}};
    return keep("it is no longer at " + quoted(e.to));
  }
  if (taken(e.path)) return keep("its place is taken by another file; it stays at " + quoted(e.to));
  if (dryRun) return {Outcome::kBack, "move " + e.to + " back to " + e.path, {}};
  MakeFolders(FolderOf(e.path));
  std::string why;
  if (!ShellFileOp(nullptr, FO_MOVE, e.to, e.path, false, {}, &why))
    return keep("it could not be moved back from " + quoted(e.to) + ": " + why);
  return {Outcome::kBack, "moved back " + e.path, {}};
}

// What an action made (a copy, a stored backup copy) goes to the trash.
Step takeAway(const std::string& made, int64_t size, int64_t modified, bool dryRun) {
  if (made.empty() || !taken(made)) return {Outcome::kNothing, "gone " + made, {}};
  if (!sameFile(made, size, modified))
    return keep(quoted(made) + " changed since it was made; it stays");
  if (dryRun) return {Outcome::kBack, "trash " + made, {}};
  std::string why;
  if (!MoveToTrash(made, nullptr, &why))
    return keep(quoted(made) + " could not be moved to the trash: " + why);
  return {Outcome::kBack, "trashed " + made, {}};
}

Step removeLink(const JournalEntry& e, bool dryRun) {
  PathStatus st;
  if (!StatPath(e.path, &st, false) || !st.link)
    return {Outcome::kNothing, "no link at " + e.path, {}};
  if (dryRun) return {Outcome::kBack, "remove the link " + e.path, {}};
  if (!RemoveStoredFile(e.path)) return keep("the link " + quoted(e.path) + " cannot be removed");
  return {Outcome::kBack, "removed the link " + e.path, {}};
}

int64_t nowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::string NothingToUndoText(const JournalAction& action) {
  if (action.kind != kActShare) return {};
  return ActionLabel(action) +
         ": there is nothing to undo.\nSharing storage never changed the files' contents: each "
         "kept its bytes, its name and its times.";
}

size_t UndoFileCount(const JournalAction& action) {
  size_t count = 0;
  for (const JournalEntry& e : action.files)
    if (EntryUndoable(e)) ++count;
  return count;
}

bool UndoAction(const JournalAction& action, ActionJournal& journal, bool dryRun,
                UndoReport* report, std::string* why,
                const std::function<bool(size_t handled, size_t total)>& progress) {
  *report = UndoReport();
  std::vector<JournalRecord> outcomes;
  bool ok = true;
  auto flush = [&] {
    if (dryRun || outcomes.empty()) return;
    if (!journal.Append(outcomes, why)) ok = false;
    outcomes.clear();
  };
  bool keptAny = false;  // then nothing the action made is taken away
  const size_t total = action.files.size();
  size_t handled = 0;
  for (auto it = action.files.rbegin(); it != action.files.rend(); ++it, ++handled) {
    if (progress && !progress(handled, total)) {
      report->cancelled = true;
      break;
    }
    const JournalEntry& e = *it;
    if (!EntryUndoable(e)) continue;
    Step step;
    if (e.op == "trash") {
      step = untrash(e, dryRun);
    } else if (e.op == "move") {
      step = moveBack(e, dryRun);
    } else if (e.op == "link") {
      step = removeLink(e, dryRun);
    } else if (e.op == "share") {
      // Sharing storage changed no byte, name or time of the file: nothing comes back.
      step = {Outcome::kNothing, "nothing to undo: " + e.path + " kept its contents", {}};
    } else if (keptAny) {
      step = keep("a file of this action could not come back, so what it made stays");
    } else {
      // A copy's own size and time are the source's; a made file's are its own.
      step = takeAway(e.op == "copy" ? e.to : e.path, e.size, e.modified, dryRun);
    }
    JournalRecord r;
    r.action = action.id;
    r.time = nowSeconds();
    r.kind = action.kind;
    r.index = e.index;
    r.op = e.op;
    r.path = e.path;
    r.size = e.size;
    r.modified = e.modified;
    if (step.outcome == Outcome::kKept) {
      keptAny = true;
      report->kept.push_back(e.path);
      report->kept.push_back(step.why);
      report->lines.push_back("kept " + e.path + ": " + step.why);
      r.state = "kept";
      r.note = step.why;
    } else {
      if (step.outcome == Outcome::kBack) report->restored.push_back(e.path);
      report->lines.push_back(step.line);
      r.state = "undone";
    }
    outcomes.push_back(std::move(r));
    if (outcomes.size() >= 512) flush();
  }
  if (progress && !report->cancelled) progress(total, total);
  flush();
  return ok;
}

}  // namespace tf
