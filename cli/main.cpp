// twinfold-cli: finds duplicate files from the command line; see RunCli.
#include <unistd.h>

#include <csignal>
#include <string_view>

#include "cli/cli_app.h"

#include "cli/backup_command.h"
#include "platform/process_memory.h"
#include "platform/standard_paths.h"
#include "results/action_journal.h"

int main(int argc, char** argv) {
  // A reader that goes away (`twinfold-cli ... | head`) must not kill the process: the
  // failed write is noticed and the run ends quietly.
  std::signal(SIGPIPE, SIG_IGN);
  tf::ReturnLargeBlocksWhenFreed();
  // Every action on the user's files is journaled, so that it can be undone.
  static tf::ActionJournal journal(tf::DefaultJournalFile());
  tf::InstallActionJournal(&journal);

  // "twinfold-cli backup ARGS": the backup folder's commands, with "backup" as argv[0].
  if (argc > 1 && std::string_view(argv[1]) == "backup")
    return RunBackupCommand(argc - 1, argv + 1);

  tf::CliStreams streams;
  streams.errIsTerminal = isatty(STDERR_FILENO) == 1;
  streams.stopOnSignals = true;
  return tf::RunCli(argc, argv, streams);
}
