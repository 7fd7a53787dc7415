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

// A run of sorted groups whose lines are made in one go.
struct Block {
  size_t begin;
  size_t end;
  bool helped;  // made by the helper thread
};

constexpr size_t kBlockRows = 8192;

// Blocks of groups of about kBlockRows rows, every other one the helper's. A group of
// more files is a block of its own, for the writing thread: the text of a block waits
// whole for its turn, and that of a group of a million files would double the memory
// of the output. The counts only size the blocks.
std::vector<Block> blocksOf(const std::vector<DataNode*>& groups) {
  std::vector<Block> blocks;
  size_t rows = 0;  // of the last block, while more groups may join it
  bool helped = false;
  for (size_t g = 0; g < groups.size(); ++g) {
    const size_t own = 1 + static_cast<size_t>(std::clamp<int64_t>(groups[g]->val2, 0, kBlockRows));
    if (own >= kBlockRows) {
      blocks.push_back({g, g + 1, false});
      rows = 0;
    } else if (rows > 0 && rows + own <= kBlockRows) {
      blocks.back().end = g + 1;
      rows += own;
    } else {
      blocks.push_back({g, g + 1, helped});
      helped = !helped;
      rows = own;
    }
  }
  return blocks;
}

// Makes the lines of blocks: each group's row and its files, sorted as they are listed.
// One per thread.
class BlockMaker {
 public:
  BlockMaker(const std::vector<DataNode*>& groups, int fileKey)
      : m_groups(groups), m_fileKey(fileKey) {}

  // Appends the lines of `block` to `text`; with a `sink`, writes them out whenever
  // they fill a buffer, and answers false once it failed.
  bool Make(const Block& block, std::string* text, OutputSink* sink = nullptr) {
    constexpr size_t kBuffer = size_t{1} << 16;
    m_rows.clear();
    for (size_t g = block.begin; g < block.end; ++g)
      AppendGroupWithFiles(m_groups[g], m_fileKey, &m_rows);
    for (const DataNode* row : m_rows) {
      if (IsGroupRow(row))
        m_line = groupLine(row);
      else
        fileLine(row, &m_times, &m_line);
      *text += m_line;
      if (sink && text->size() >= kBuffer) {
        if (!sink->Write(*text)) return false;
        text->clear();
      }
    }
    return true;
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
// other block, so that the two threads' waits overlap; the writing thread writes the
// blocks in order.
class BlockHelper {
 public:
  BlockHelper(const std::vector<DataNode*>& groups, int fileKey, const std::vector<Block>& blocks)
      : m_maker(groups, fileKey), m_blocks(blocks) {}
  ~BlockHelper() { Stop(); }
  BlockHelper(const BlockHelper&) = delete;
  BlockHelper& operator=(const BlockHelper&) = delete;

  // False when no thread could be had: the writing thread then makes every block.
  bool Start() {
    try {
      m_thread = std::thread([this] { run(); });
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }
  // The lines of blocks[index] (one of the helper's), into `text`; false when the helper
  // could not make them (memory ran out), and they are left to the caller.
  bool Take(size_t index, std::string* text) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [&] { return m_ready == index || m_failed; });
    if (m_ready != index) return false;
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
    for (size_t index = 0; index < m_blocks.size(); ++index) {
      if (!m_blocks[index].helped) continue;
      made.clear();
      try {
        m_maker.Make(m_blocks[index], &made);
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
      m_ready = index;
      m_changed.notify_all();
    }
  }

  BlockMaker m_maker;
  const std::vector<Block>& m_blocks;
  std::thread m_thread;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::string m_text;      // the block made, waiting to be taken
  size_t m_ready = kNone;  // its index
  bool m_failed = false;
  bool m_stop = false;
};

}  // namespace

bool WriteText(const std::vector<DataNode*>& groups, int fileKey, const std::string& statusLine,
               OutputSink* sink) {
  const std::vector<Block> blocks = blocksOf(groups);
  BlockMaker maker(groups, fileKey);
  BlockHelper helper(groups, fileKey, blocks);
  const bool helped = blocks.size() > 2 && helper.Start();
  std::string text;
  for (size_t index = 0; index < blocks.size(); ++index) {
    text.clear();
    if (!helped || !blocks[index].helped || !helper.Take(index, &text)) {
      if (!maker.Make(blocks[index], &text, sink)) return false;
    }
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
