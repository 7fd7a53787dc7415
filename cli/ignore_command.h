// "twinfold-cli ignore": the ignore list (groups the user said are not duplicates) from the
// command line.
#pragma once

#include "cli/cli_app.h"

namespace tf {

// Runs `ignore list|add|remove|clear ...` (argv[0] is "ignore") on the list in
// $XDG_DATA_HOME/twinfold/ignored and answers the exit status: 0 when done, 1 when the
// list could not be read or written or a path or number names nothing (nothing is changed
// then), 2 for a usage error.
int RunIgnoreCommand(int argc, char** argv, const CliStreams& io);

}  // namespace tf
