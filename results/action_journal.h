// ActionJournal: the journal of every action that changes the user's files, one line per
// file record, so that each action can be listed and taken back, after a crash too. An
// intent is written and synced before a file moves, its end (done or failed) after.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_change_watcher.h"
#include "platform/journal_file.h"

namespace tf {

// The kinds of action, as the journal names them.
constexpr const char* kActDelete = "delete";
constexpr const char* kActMove = "move";
constexpr const char* kActCopy = "copy";
constexpr const char* kActBackup = "backup";
constexpr const char* kActLink = "link";
constexpr const char* kActBackupRestore = "backup-restore";
constexpr const char* kActBackupCopy = "backup-copy";
constexpr const char* kActBackupDelete = "backup-delete";
// Copies made to share the kept copy's storage: their contents never change, so an undo
// has nothing to take back.
constexpr const char* kActShare = "share";
// A whole folder to the trash, or moved; its record's size and time are the folder's
// files' (see ReadFolderFacts).
constexpr const char* kActDeleteFolder = "delete-folder";
constexpr const char* kActMoveFolder = "move-folder";

// The journal keeps at most this many actions, none older than kJournalDays.
constexpr size_t kJournalActions = 10000;
constexpr int64_t kJournalDays = 90;

// One line of the journal.
struct JournalRecord {
  std::string action;  // the action's id
  int64_t time = 0;    // seconds since 1970
  std::string kind;    // kActDelete, ...
  int64_t index = 0;   // the file record's number within its action
  std::string op;      // "trash", "move", "copy", "made", "link" or "share"
  std::string state;   // "intent", "done", "failed", "undone" or "kept" (an undo left it)
  std::string path;    // the file
  std::string to;      // the trash item, the target of a move, copy or link
  std::string record;  // the trash item's .trashinfo
  int64_t size = 0;
  int64_t modified = 0;  // file time
  std::string note;      // why it failed or was kept
};

// The record as one line ending in '\n' (paths that are not UTF-8 kept in base64 too).
std::string FormatJournalRecord(const JournalRecord& record);
// False for a line that is no whole record (damaged, cut short, of another kind).
bool ParseJournalRecord(std::string_view line, JournalRecord* record);

// What the journal knows of one file of an action, its records merged.
struct JournalEntry {
  int64_t index = 0;
  std::string op, state, path, to, record, note;
  int64_t size = 0, modified = 0;
  bool ended = false;  // a done or failed record was read: not only the intent
};

struct JournalAction {
  std::string id, kind;
  int64_t time = 0;
  std::vector<JournalEntry> files;  // by index
};

// The actions of the journal at `path`, oldest first; damaged lines skipped. False with
// the reason when the journal cannot be read.
bool LoadJournal(const std::string& path, std::vector<JournalAction>* actions, std::string* why);
// Whether an entry still has something to take back.
bool EntryUndoable(const JournalEntry& entry);
// "done", "undone", "partly undone" or "failed".
std::string ActionStateText(const JournalAction& action);
// The user's files an action took ("Delete of 12 files" counts 12).
size_t ActionFileCount(const JournalAction& action);
// "Delete of 12 files", "Move of 1 file", "Delete of 1 folder", ...
std::string ActionLabel(const JournalAction& action);
// The newest action with a file not yet taken back (files an undo had to leave where they
// are do not count); null when none.
const JournalAction* NewestUndoable(const std::vector<JournalAction>& actions);

// A file a bulk action is about to take, with the size and time it was just seen with (the
// journal then asks the disk nothing).
struct AnnouncedFile {
  std::string path;
  int64_t size = 0;
  int64_t modified = 0;
};

class ActionJournal : public FileChangeWatcher {
 public:
  explicit ActionJournal(std::string path) : m_path(std::move(path)) {}
  const std::string& Path() const { return m_path; }

  // Starts an action of `kind`, the changes of which are journaled until End. The journal
  // is opened and must be a regular file that can be written: otherwise false with a
  // sentence saying why, and the action must not go on. An action begun inside another
  // one is part of it.
  bool Begin(const char* kind, std::string* why);
  void End();
  // The id of the action under way, "" when none.
  std::string CurrentAction() const;
  // Whether an action is under way; never waits for a writer (the window asks on each tick
  // while a worker syncs the journal).
  bool Busy() const { return m_busy.load(); }

  // Writes the intents of many changes to come in one piece, synced once, so that a bulk
  // action does not wait for the disk once per file; Before then finds each file already
  // announced. Announced files that the action never reaches get a failed record at its
  // end. False with the reason when the journal cannot be written: nothing may move.
  bool Announce(FileChange change, const std::vector<AnnouncedFile>& files, std::string* why);
  bool Before(FileChange change, const std::string& from, const std::string& to,
              std::string* why) override;
  void After(FileChange change, const std::string& from, const std::string& to, bool done) override;

  // Appends records of an undo.
  bool Append(const std::vector<JournalRecord>& records, std::string* why);
  // Keeps the newest kJournalActions actions of the last kJournalDays, dropping damaged
  // lines, through the one atomic save.
  bool Compact(int64_t now, std::string* why);

 private:
  bool openFile(std::string* why);
  bool write(const JournalRecord& record, std::string* why, bool sync = true);

  std::string m_path;
  mutable std::mutex m_mutex;
  JournalFile m_file;
  int m_depth = 0;
  std::atomic<bool> m_busy{false};
  bool m_compactChecked = false;
  std::string m_action, m_kind;
  int64_t m_next = 0;
  // Files told Before (or announced) and not yet After: the record's number, size and
  // time, and whether Before has come.
  struct Pending {
    JournalRecord record;
    bool started = false;
  };
  std::map<std::pair<int, std::string>, Pending> m_pending;
  JournalRecord intentOf(FileChange change, const std::string& from, const std::string& to,
                         int64_t size, int64_t modified);
};

// The journal the program's actions write to (not owned; null: none, nothing is
// journaled). Installs it as the file change watcher too.
void InstallActionJournal(ActionJournal* journal);
ActionJournal* InstalledActionJournal();

// One action for as long as it lives. Ok() false: the journal refused, Why() says why,
// and the action must stop before anything moves.
class JournalScope {
 public:
  explicit JournalScope(const char* kind);
  ~JournalScope();
  JournalScope(const JournalScope&) = delete;
  JournalScope& operator=(const JournalScope&) = delete;
  bool Ok() const { return m_ok; }
  const std::string& Why() const { return m_why; }
  // ActionJournal::Announce for this action; true without a journal.
  bool Announce(FileChange change, const std::vector<AnnouncedFile>& files);

 private:
  ActionJournal* m_journal;
  bool m_began = false;  // End is owed
  bool m_ok = true;
  std::string m_why;
};

// The caption of the message that says an action could not be journaled.
constexpr const char* kJournalCaption = "Action not taken";

}  // namespace tf
