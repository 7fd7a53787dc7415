// Taking an action of the journal back: each file where it was, never over another file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "results/action_journal.h"

namespace tf {

// What an undo did, file by file.
struct UndoReport {
  std::vector<std::string> restored;  // files back in their place (or copies taken away)
  // Files left where they are, each followed by why (place taken, trash item replaced).
  std::vector<std::string> kept;
  std::vector<std::string> lines;  // one line per file, for a dry run and the terminal
  bool cancelled = false;
};

// What an undo of `action` says when it has nothing to take back (files made to share
// storage: their contents never changed); "" for every other action.
std::string NothingToUndoText(const JournalAction& action);

// The files of an entry that come back, for the question before an undo.
size_t UndoFileCount(const JournalAction& action);

// Takes `action` back, its files in the reverse order of their records: a trashed file
// from the trash item it went to (which must still have the journaled size and time), a
// moved file from where it went, a copy, a made file and a link sent to the trash / taken
// away; a file that shares storage with its kept copy held the same bytes throughout, so
// it is only marked undone. A file whose record has an intent and no end is looked for at both
// ends. Where the original place is taken the file stays and is named; what a kept file's action
// made is then left too. Unless `dryRun`, each file's outcome is appended to `journal`.
// `progress` (may be empty) hears how many of how many were handled and answers false to
// stop. False when the journal could not be written (the reason in *why).
bool UndoAction(const JournalAction& action, ActionJournal& journal, bool dryRun,
                UndoReport* report, std::string* why,
                const std::function<bool(size_t handled, size_t total)>& progress = {});

}  // namespace tf
