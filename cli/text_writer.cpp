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

std::string fileLine(const DataNode* file, TimeTexts* times) {
  std::string number, unit;
  FormatSize(file->val, &number, &unit);
  return "  " + TerminalText(FullName(file)) + "  " + number + " " + unit + "  " +
         times->Of(file->val2) + "\n";
}

}  // namespace

bool WriteText(const std::vector<DataNode*>& rows, const std::string& statusLine,
               OutputSink* sink) {
  TimeTexts times;
  for (const DataNode* row : rows)
    if (!sink->Write(IsGroupRow(row) ? groupLine(row) : fileLine(row, &times))) return false;
  sink->Write(statusLine + "\n");
  return !sink->Failed();
}

}  // namespace tf
