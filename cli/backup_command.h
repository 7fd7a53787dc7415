// RunBackupCommand: "twinfold-cli backup list|add|restore|delete", the backup folder
// from the command line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/questions.h"

namespace tf {

// Where the backup commands read, write and ask.
struct BackupCommandIo {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Who answers questions; null: the terminal on stdin, or refusals without one.
  Questions* questions = nullptr;
  // Zip plug-in module paths to try; empty: beside the program, then the library path.
  std::vector<std::string> pluginCandidates;
};

// argv[0] is "backup". Exit status 0 when everything asked for was done, 1 when
// something failed (each failure told in one line on `err`), 2 for a usage error.
int RunBackupCommandWith(int argc, char** argv, const BackupCommandIo& io);

}  // namespace tf

// The entry point the twinfold-cli main hands "backup ..." to.
int RunBackupCommand(int argc, char** argv);
