// FileChangeWatcher: the one who keeps the journal of the user's files hears of every
// change the file operations make (to the trash, moved, copied) before it is made and
// after, so that each can be taken back.
#pragma once

#include <string>

namespace tf {

// What was done to a file. kMade (a new file of the program's own making, such as a
// stored backup copy), kLink (a symbolic link put in a file's place) and kShare (a file
// made to share another's storage, its bytes unchanged) are told by the code that makes
// them.
enum class FileChange { kTrash, kMove, kCopy, kMade, kLink, kShare };

class FileChangeWatcher {
 public:
  virtual ~FileChangeWatcher() = default;
  // Before `from` is changed (`to`: the target of a move, copy or link). False stops the
  // change before anything moves, with the reason in *why.
  virtual bool Before(FileChange change, const std::string& from, const std::string& to,
                      std::string* why) = 0;
  // After it: `to` is where it went (for the trash, the trashed item), `done` whether it
  // was made.
  virtual void After(FileChange change, const std::string& from, const std::string& to,
                     bool done) = 0;
};

// The program's watcher (not owned; null: none, every change goes unwatched).
void SetFileChangeWatcher(FileChangeWatcher* watcher);
FileChangeWatcher* CurrentFileChangeWatcher();

// Tells the watcher, when there is one; true when there is none.
bool WatchBefore(FileChange change, const std::string& from, const std::string& to,
                 std::string* why);
void WatchAfter(FileChange change, const std::string& from, const std::string& to, bool done);

}  // namespace tf
