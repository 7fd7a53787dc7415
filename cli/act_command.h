// "twinfold-cli act": acts on a saved result by a keep rule, with the window's safety.
#pragma once

#include "cli/cli_app.h"

namespace tf {

// Runs `act RESULTS --keep RULE ...` (argv[0] is "act") and answers the exit status: 0 when
// every planned action was done, 1 when any was skipped or failed, 2 for a usage error or
// a results file that cannot be read or trusted.
int RunActCommand(int argc, char** argv, const CliStreams& io);

}  // namespace tf
