// The action journal as the user reads it: a text listing and a JSON form, newest first.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/action_journal.h"

namespace tf {

// The local time of a journal time (seconds since 1970), "YYYY-MM-DD hh:mm:ss".
std::string JournalTimeText(int64_t seconds);
// What happened to one file, in words: "trashed /a/b.txt (to the trash item ...)".
std::string JournalEntryText(const JournalEntry& entry);
// The actions (oldest first, as loaded), listed newest first: a line per action (its id,
// time, label and state), then an indented line per file. `shown` (may be empty) makes
// each line's text fit to be shown (a terminal's escapes), so that a name holding a line
// break cannot split a line.
std::string JournalText(const std::vector<JournalAction>& actions,
                        const std::function<std::string(std::string_view)>& shown = {});
// {"actions":[{"id":...,"time":...,"kind":...,"label":...,"state":...,"files":[...]}]}
std::string JournalJson(const std::vector<JournalAction>& actions);

}  // namespace tf
