// JournalFile: the file the action journal is appended to, one whole line per record.
// Every append takes the journal's lock alone, writes its lines in one go at the end
// (O_APPEND) and syncs them before it answers, so that programs writing at the same time
// never lose or mix records and a record that was answered survives a crash.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace tf {

// A line longer than this is no record of the journal's: readers skip it unread.
constexpr size_t kMaxJournalLine = size_t{64} << 10;

class JournalFile {
 public:
  JournalFile() = default;
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Opens `path` for appending, creating it (and its folder) when missing. Refused, with
  // the reason in *why, when the path is a symbolic link, a folder, a FIFO, a device or
  // anything but a regular file, or when it or its lock cannot be written.
  bool Open(const std::string& path, std::string* why);
  bool IsOpen() const { return m_fd.get() >= 0; }
  void Close() {
    m_fd.reset();
    m_lock.reset();
  }
  const std::string& Path() const { return m_path; }
  // Appends `lines` (each ending in '\n') whole and, with `sync`, syncs them before it
  // answers. A failed append leaves the file as it was; false with the reason.
  bool Append(std::string_view lines, std::string* why, bool sync = true);
  // Under the lock, hands the journal's path to `rewrite`, which answers the new contents
  // (false: leave it), and replaces the file by them through the one atomic save.
  bool Rewrite(const std::function<bool(std::string* contents)>& rewrite, std::string* why);
  // The journal's size now; -1 when it cannot be asked.
  int64_t Size() const;

 private:
  bool reopenIfReplaced(std::string* why);

  std::string m_path;
  UniqueFd m_fd;
  UniqueFd m_lock;
};

// Reads the journal at `path` line by line, handing each complete line (without its
// '\n') to `line`, which answers false to stop. A missing journal has no lines. Lines
// longer than kMaxJournalLine and an unfinished last line are skipped; a journal of any
// size is read a piece at a time. False with the reason when it is not a regular file or
// cannot be read. Read under the journal's lock shared, unless `lock` is false (the
// caller holds it already).
bool ReadJournalLines(const std::string& path, const std::function<bool(std::string_view)>& line,
                      std::string* why, bool lock = true);

}  // namespace tf
