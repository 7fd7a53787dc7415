// "twinfold-cli journal" lists the actions of the action journal; "twinfold-cli undo"
// takes one back.
#pragma once

#include "cli/cli_app.h"

namespace tf {

// `journal [--format text|json] [--limit N]` (argv[0] is "journal"): the actions, newest
// first. 0 when listed, 1 when the journal cannot be read, 2 for a usage error.
int RunJournalCommand(int argc, char** argv, const CliStreams& io);
// `undo [ACTION-ID] [--dry-run]` (argv[0] is "undo"): 0 when every file came back, 1 when
// any stayed where it is (each is named) or there is nothing to undo, 2 for a usage error.
int RunUndoCommand(int argc, char** argv, const CliStreams& io);

}  // namespace tf
