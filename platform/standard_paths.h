// Standard places: where the program, its settings, backups, filters and help live.
#pragma once

#include <string>
#include <vector>

namespace tf {

// Folder of the running executable (/proc/self/exe), without a trailing '/'.
std::string ProgramFolder();
// $XDG_CONFIG_HOME/twinfold/twinfold.dat, unless a twinfold.dat beside the executable exists
// (portable use), which wins.
std::string DefaultSettingsFile();
// $XDG_DATA_HOME/twinfold/Backup (not created here).
std::string DefaultBackupFolder();
// $XDG_DATA_HOME/twinfold/ignored: the groups the user said are not duplicates.
std::string IgnoredGroupsFile();
// Folders holding filter collections, in search order: the user's
// $XDG_DATA_HOME/twinfold/Filters, then the installed ../share/twinfold/Filters beside the
// executable's folder.
std::vector<std::string> CollectionFolders();
// The installed help index: ../share/twinfold/help/tfhidx.htm from the executable's folder.
std::string HelpIndexFile();
// The temporary folder ($TMPDIR, else /tmp) with a trailing '/'.
std::string TempFolder();
// XDG base folders with their defaults when the variable is unset, empty or relative.
std::string ConfigHome();
std::string DataHome();
std::string CacheHome();
std::string StateHome();
// $XDG_STATE_HOME/twinfold/journal: the journal of the actions on the user's files.
std::string DefaultJournalFile();

}  // namespace tf
