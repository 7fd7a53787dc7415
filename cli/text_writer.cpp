#include "cli/text_writer.h"

#include <cstdio>

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

}  // namespace

bool WriteText(const std::vector<DataNode*>& rows, const std::string& statusLine,
               OutputSink* sink) {
  TimeTexts times;
  std::string line;
  for (const DataNode* row : rows) {
    if (IsGroupRow(row))
      line = groupLine(row);
    else
      fileLine(row, &times, &line);
    if (!sink->Write(line)) return false;
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
