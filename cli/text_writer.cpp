#include "cli/text_writer.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "cli/terminal_text.h"
#include "platform/display_format.h"
#include "results/result_rows.h"

namespace tf {
namespace {

std::string groupLine(const DataNode* group) {
  std::string number, unit;
  FormatSize(group->val, &number, &unit);
  char size[64];
  std::snprintf(size, sizeof size, "$ %8s %s", number.c_str(), unit.c_str());
  return TerminalText(group->Name()) + "  " + size + "\n";
}

// The date and time of the last file time asked for: files of one group mostly share
// their time, and the locale's formats are slow.
class TimeTexts {
 public:
  const std::string& Of(int64_t fileTime) {
    if (!m_valid || fileTime != m_time) {
      std::string date, time;
      FormatDate(fileTime, &date);
      FormatTime(fileTime, &time);
      m_text = date + " " + time;
      m_time = fileTime;
      m_valid = true;
    }
    return m_text;
  }

 private:
  bool m_valid = false;
  int64_t m_time = 0;
  std::string m_text;
};

// Builds the line of a file in `line`, which is kept from line to line.
void fileLine(const DataNode* file, TimeTexts* times, std::string* line) {
  std::string number, unit;
  FormatSize(file->val, &number, &unit);
  line->assign("  ");
  AppendTerminalText(FullName(file), line);
  *line += "  ";
  *line += number;
  *line += ' ';
  *line += unit;
  *line += "  ";
  *line += times->Of(file->val2);
  *line += '\n';
}

// Makes the lines of blocks of groups: each group's row and its files, sorted as they
// are listed. One per thread.
class BlockMaker {
 public:
  static constexpr size_t kGroups = 1024;

  BlockMaker(const std::vector<DataNode*>& groups, int fileKey)
      : m_groups(groups), m_fileKey(fileKey) {}

  size_t Blocks() const { return (m_groups.size() + kGroups - 1) / kGroups; }
  // Appends the lines of block `block` to `text`.
  void Make(size_t block, std::string* text) {
    m_rows.clear();
    const size_t end = std::min(m_groups.size(), (block + 1) * kGroups);
    for (size_t g = block * kGroups; g < end; ++g)
      AppendGroupWithFiles(m_groups[g], m_fileKey, &m_rows);
    for (const DataNode* row : m_rows) {
      if (IsGroupRow(row))
        m_line = groupLine(row);
      else
        fileLine(row, &m_times, &m_line);
      *text += m_line;
    }
  }

 private:
  const std::vector<DataNode*>& m_groups;
  const int m_fileKey;
  std::vector<DataNode*> m_rows;
  TimeTexts m_times;
  std::string m_line;
};

// Sorting a group's files and making their lines mostly wait for their nodes to come
// from memory: the nodes of a big result lie scattered. A helper thread makes every
// other block, so that the two threads' waits overlap; this thread writes the blocks in
// order.
class BlockHelper {
 public:
  BlockHelper(const std::vector<DataNode*>& groups, int fileKey) : m_maker(groups, fileKey) {}
  ~BlockHelper() { Stop(); }
  BlockHelper(const BlockHelper&) = delete;
  BlockHelper& operator=(const BlockHelper&) = delete;

  // False when no thread could be had: this thread then makes every block.
  bool Start() {
    try {
      m_thread = std::thread([this] { run(); });
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }
  // Block `block` (odd) made by the helper, into `text`; false when the helper could not
  // make it (memory ran out), and it is left to the caller.
  bool Take(size_t block, std::string* text) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [&] { return m_ready == block || m_failed; });
    if (m_ready != block) return false;
    text->swap(m_text);
    m_ready = kNone;
    m_changed.notify_all();
    return true;
  }
  void Stop() {
    if (!m_thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  void run() {
    std::string made;
    for (size_t block = 1; block < m_maker.Blocks(); block += 2) {
      made.clear();
      try {
        m_maker.Make(block, &made);
      } catch (const std::bad_alloc&) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_failed = true;
        m_changed.notify_all();
        return;
      }
      std::unique_lock<std::mutex> lock(m_lock);
      m_changed.wait(lock, [&] { return m_stop || m_ready == kNone; });
      if (m_stop) return;
      m_text.swap(made);
      m_ready = block;
      m_changed.notify_all();
    }
  }

  BlockMaker m_maker;
  std::thread m_thread;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::string m_text;      // the block made, waiting to be taken
  size_t m_ready = kNone;  // its number
  bool m_failed = false;
  bool m_stop = false;
};

}  // namespace

bool WriteText(const std::vector<DataNode*>& groups, int fileKey, const std::string& statusLine,
               OutputSink* sink) {
  BlockMaker maker(groups, fileKey);
  BlockHelper helper(groups, fileKey);
  const bool helped = maker.Blocks() > 2 && helper.Start();
  std::string text;
  for (size_t block = 0; block < maker.Blocks(); ++block) {
    text.clear();
    if (!helped || block % 2 == 0 || !helper.Take(block, &text)) maker.Make(block, &text);
    if (!sink->Write(text)) return false;
  }
  sink->Write(statusLine + "\n");
  return !sink->Failed();
}

bool WriteFolderText(const FolderGroups& groups, OutputSink* sink) {
  TimeTexts times;
  std::string line;
  for (const FolderGroup& group : groups) {
    std::string number, unit;
    FormatSize(group.size, &number, &unit);
    char head[96];
    std::snprintf(head, sizeof head, "%lld %s  $ %8s %s\n", static_cast<long long>(group.files),
                  group.files == 1 ? "file" : "files", number.c_str(), unit.c_str());
    if (!sink->Write(head)) return false;
    for (const DuplicateFolder& folder : group.folders) {
      line.assign("  ");
      AppendTerminalText(folder.path, &line);
      line += "  ";
      line += times.Of(folder.latest);
      line += '\n';
      if (!sink->Write(line)) return false;
    }
  }
  sink->Write(groups.empty()
                  ? std::string("Finished (NO FOLDERS FOUND)\n")
                  : "Finished (" + std::to_string(groups.size()) +
                        (groups.size() == 1 ? " folder group" : " folder groups") + " found)\n");
  return !sink->Failed();
}

}  // namespace tf
