#include "results/move_to_backup.h"

#include "platform/path_utils.h"
#include "results/action_journal.h"

namespace tf {
namespace {

// At most kMaxBackupComment bytes, never ending inside a UTF-8 sequence.
std::string cutComment(const std::string& text) {
  if (text.size() <= kMaxBackupComment) return text;
  size_t end = kMaxBackupComment;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

int MoveToBackup(Selection& selection, BackupStore& store, Questions& questions,
                 BackupDetailsDialog& dialog, FileActions& actions) {
  if (selection.view == ResultView::kSeparate && !selection.group) return 0;
  if (selection.paths.empty()) return 0;
  if (selection.paths.size() > 1) {
    questions.ShowMessage(kOneFileToBackupText, kMoreThanOneFileCaption, MB_OK);
    return 0;
  }
  const std::string path = selection.paths.front();
  if (actions.RefuseProtected(selection.paths)) return 0;
  std::string folder, name;
  SplitPath(path, &folder, &name);
  BackupDetails details;
  if (!dialog.Ask(name, folder, &details)) return 0;
  // What is kept must be the file the search found.
  if (!actions.UnchangedSinceSearch(selection, path)) {
    actions.ReportChanged({path});
    return 0;
  }
  const std::string comment = cutComment(details.comment);
  JournalScope journal(kActBackup);
  if (!journal.Ok()) {
    questions.ShowMessage(journal.Why(), kJournalCaption, MB_OK);
    return 0;
  }
  if (!store.AddToBackup(path, comment.empty() ? nullptr : comment.c_str())) return 0;
  if (details.deleteOriginal) {
    // A file put in its place since it was copied is not the one kept: it stays.
    if (!store.OriginalIsStoredFile(path)) return 0;
    Selection source = selection;
    source.paths = {path};
    actions.DeleteSelected(source, true);
  }
  return 1;
}

}  // namespace tf
