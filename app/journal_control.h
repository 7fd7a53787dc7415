// JournalControl: the window's view of the action journal: its actions (read again only
// when the file changed), the text of the "&Undo" command, and the undo of one action.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "results/action_journal.h"
#include "results/journal_undo.h"

namespace tf {

// "&Undo Delete of 12 files\tCtrl+Z", or "&Undo\tCtrl+Z" when nothing can be undone.
std::string UndoCommandText(const JournalAction* newest);
// The question before an undo of more than one file; "" when none is asked.
std::string UndoQuestion(const JournalAction& action);
// The message after an undo that left files where they are, naming them; "" when none.
std::string UndoKeptText(const UndoReport& report);

class JournalControl {
 public:
  explicit JournalControl(ActionJournal& journal) : m_journal(journal) {}

  // The actions, oldest first; read again when the journal changed. A journal that cannot
  // be read has none (LoadProblem says why).
  const std::vector<JournalAction>& Actions();
  const std::string& LoadProblem() const { return m_problem; }
  // The newest action with something to take back; null when none.
  const JournalAction* Newest();
  const JournalAction* Find(const std::string& id);
  // Takes the action back (see UndoAction).
  bool Undo(const JournalAction& action, UndoReport* report, std::string* why,
            const std::function<bool(size_t, size_t)>& progress = {});
  ActionJournal& Journal() { return m_journal; }

 private:
  ActionJournal& m_journal;
  std::vector<JournalAction> m_actions;
  std::string m_problem;
  int64_t m_size = -1, m_modified = -1;
  uint64_t m_inode = 0;
};

}  // namespace tf
