#include "app/journal_control.h"

#include "platform/path_status.h"

namespace tf {

std::string UndoCommandText(const JournalAction* newest) {
  if (!newest) return "&Undo\tCtrl+Z";
  return "&Undo " + ActionLabel(*newest) + "\tCtrl+Z";
}

std::string UndoQuestion(const JournalAction& action) {
  const size_t count = UndoFileCount(action);
  if (count < 2 || action.kind == kActShare) return {};
  return "Undo " + ActionLabel(action) + "?\n" + std::to_string(count) +
         " files go back to where they were. A file whose place is taken meanwhile stays "
         "where it is.";
}

std::string UndoKeptText(const UndoReport& report) {
  if (report.kept.empty()) return {};
  const size_t count = report.kept.size() / 2;
  std::string text =
      count == 1 ? "This file could not come back and stays where it is:"
                 : std::to_string(count) + " files could not come back and stay where they are:";
  constexpr size_t kShown = 15;
  for (size_t i = 0; i + 1 < report.kept.size() && i / 2 < kShown; i += 2)
    text += "\n\"" + report.kept[i] + "\"\n    " + report.kept[i + 1];
  if (count > kShown) text += "\n... and " + std::to_string(count - kShown) + " more";
  return text;
}

const std::vector<JournalAction>& JournalControl::Actions() {
  // While an action of this program's is under way the journal grows with every file:
  // it is read again once the action is over, not on every tick meanwhile.
  if (m_journal.Busy() && m_size >= 0) return m_actions;
  PathStatus st;
  const bool there = StatPath(m_journal.Path(), &st, false);
  const int64_t size = there ? st.size : -1, modified = there ? st.modified : -1;
  if (size == m_size && modified == m_modified && st.inode == m_inode) return m_actions;
  m_size = size;
  m_modified = modified;
  m_inode = st.inode;
  m_problem.clear();
  if (!LoadJournal(m_journal.Path(), &m_actions, &m_problem)) m_actions.clear();
  return m_actions;
}

const JournalAction* JournalControl::Newest() {
  return NewestUndoable(Actions());
}

const JournalAction* JournalControl::Find(const std::string& id) {
  for (const JournalAction& action : Actions())
    if (action.id == id) return &action;
  return nullptr;
}

bool JournalControl::Undo(const JournalAction& action, UndoReport* report, std::string* why,
                          const std::function<bool(size_t, size_t)>& progress) {
  // A copy: reading the journal again (its undo records, which change its size) replaces
  // the loaded actions. Runs beside the window: nothing of this object's is touched.
  const JournalAction taken = action;
  return UndoAction(taken, m_journal, false, report, why, progress);
}

}  // namespace tf
