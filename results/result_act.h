// Acting on a result read back from a results file: which copies a keep rule leaves, the
// re-check every file passes just before it is acted on, and the actions themselves (to the
// trash, to the backup folder, moved, replaced by a link to the kept copy, or sharing the
// kept copy's storage).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "duplicates/hard_links.h"
#include "results/action_journal.h"
#include "results/results_file.h"
#include "results/selection_rules.h"

namespace tf {

enum class ActKind { kTrash, kBackup, kMove, kLink, kShare };

struct ActRequest {
  // kAllButNewest, kAllButOldest, kAllButLargest, kAllButFirst or kAllButInFolder.
  SelectRule keep = SelectRule::kAllButNewest;
  std::string keepFolder;  // for kAllButInFolder
  ActKind action = ActKind::kTrash;
  std::string moveFolder;  // for kMove
  // Folders whose files are never acted on, besides those the results file names.
  std::vector<std::string> protect;
};

// One file to act on.
struct PlannedAction {
  DataNode* file = nullptr;
  DataNode* kept = nullptr;  // the copy its group keeps
  std::string path;
  std::string keptPath;
  bool done = false;
  std::string reason;  // why it was skipped or failed; empty when done or only planned
  int64_t bytes = 0;   // of a share: the bytes now shared with the kept copy
};

// Reads the keep rule and the action as the command line gives them ("newest", "oldest",
// "largest", "first", "in:FOLDER"; "trash", "backup", "move:FOLDER", "link", "share"). False with
// the reason in *error.
bool ParseKeepRule(const std::string& text, ActRequest* request, std::string* error);
bool ParseActKind(const std::string& text, ActRequest* request, std::string* error);

// The files the rule picks, group by group, each with the copy its group keeps, by the
// selection helpers of the lists (never every file of a group, never a kept file's other
// name, never a file in a protected folder). The results must have passed
// WhyResultsUntrusted.
std::vector<PlannedAction> PlanActions(const LoadedResults& results, const ActRequest& request,
                                       const HardLinks* links);

// Why the file at `path` may no longer be acted on: "" when it is still a regular file
// (not a link, a FIFO or a folder) of `size` bytes modified at `modified`.
// *identity (when given) gets the file's device and inode, *names how many names it has.
std::string WhyChanged(const std::string& path, int64_t size, int64_t modified,
                       LinkIdentity* identity = nullptr, uint64_t* names = nullptr);

// The actions themselves; each answers true when done, else false with the reason.
struct ActServices {
  std::function<bool(const std::string& path, std::string* why)> trash;
  std::function<bool(const std::string& path, const std::string& comment, std::string* why)> backup;
  std::function<bool(const std::string& path, const std::string& folder, std::string* why)> move;
  std::function<bool(const std::string& path, const std::string& target, std::string* why)> link;
  // Lets the file (of `size` bytes modified at `modified`) share the kept copy's storage;
  // *bytes gets the bytes shared.
  std::function<bool(const std::string& path, const std::string& kept, int64_t size,
                     int64_t modified, int64_t* bytes, std::string* why)>
      share;
  // Tells the journal of the files the next actions take, in one piece (may be empty);
  // false with the reason stops the action before another file moves.
  std::function<bool(const std::vector<AnnouncedFile>& files, std::string* why)> announce;
};

// Re-checks each planned file and the copy its group keeps, then, unless `dryRun`, acts on
// it. A file or kept copy that changed, went or became another thing is skipped with the
// reason; so is a file that is the kept copy itself under another name. `progress` (may be
// empty) hears how many of the plan were handled. Answers how many were skipped or failed.
size_t CarryOut(std::vector<PlannedAction>* plan, const ActRequest& request,
                const ActServices& services, bool dryRun,
                const std::function<void(size_t handled)>& progress = {});

// Re-checks every file of a result read back (WhyChanged) and drops those that changed,
// went or became another thing; a group left with fewer than two files goes too, and the
// totals follow. `keepGoing` (may be empty) hears how many files were checked of how many
// and answers false to stop: then false is answered and the result is not to be used.
// The paths dropped go to *dropped. A file that has one name only is marked so
// (kFileWithOneName), as the walk marks it, so that HardLinks::Build need not ask again.
bool DropChangedFiles(LoadedResults* results, std::vector<std::string>* dropped,
                      const std::function<bool(int64_t checked, int64_t total)>& keepGoing = {});

// The comment a backup made by an action keeps: it names the kept copy.
std::string BackupCommentFor(const std::string& keptPath);

}  // namespace tf
