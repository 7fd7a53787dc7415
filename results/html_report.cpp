#include "results/html_report.h"

#include "platform/display_format.h"
#include "results/json_text.h"
#include "results/result_rows.h"

namespace tf {
namespace {

// Kept inside the page so that the report shows the same when mailed or opened offline.
constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1em 2em;color:#222}"
    "table{border-collapse:collapse;width:100%}"
    "th,td{text-align:left;padding:2px 8px;border-bottom:1px solid #ddd}"
    "td.size,td.time,th.size,th.time{text-align:right;white-space:nowrap}"
    "tr.group th{background:#e8eef7;border-top:2px solid #9ab}"
    "p.totals{font-weight:bold}";

std::string sizeText(int64_t bytes) {
  std::string number, unit;
  FormatSize(bytes, &number, &unit);
  return unit.empty() ? number : number + " " + unit;
}

std::string timeText(int64_t fileTime) {
  std::string date, time;
  FormatDate(fileTime, &date);
  FormatTime(fileTime, &time);
  return time.empty() ? date : date + " " + time;
}

// A cell with the shown size and, as its tool tip, the exact number of bytes.
std::string sizeCell(int64_t bytes) {
  return "<td class=\"size\" title=\"" + FormatGroupedNumber(bytes) + " bytes\">" +
         MarkupEscaped(sizeText(bytes)) + "</td>";
}

std::string groupRow(const DataNode* group) {
  return "<tr class=\"group\"><th colspan=\"3\"><span class=\"key\">" +
         MarkupEscaped(group->Name()) + "</span> (" + MarkupEscaped(group->Desc()) + ", " +
         std::to_string(group->val2) + " files, " + MarkupEscaped(sizeText(group->val)) +
         ")</th></tr>\n";
}

std::string fileRow(const DataNode* file) {
  return "<tr class=\"file\"><td class=\"path\">" + MarkupEscaped(FullName(file)) + "</td>" +
         sizeCell(file->val) + "<td class=\"time\">" + MarkupEscaped(timeText(file->val2)) +
         "</td></tr>\n";
}

void appendControlPicture(std::string* out, unsigned code) {
  // U+2400..U+2421 take three bytes: E2 90 80+code (DEL: E2 90 A1).
  *out += '\xE2';
  *out += '\x90';
  *out += static_cast<char>(0x80 + (code == 0x7F ? 0x21 : code));
}

}  // namespace

std::string MarkupEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
      ++pos;
      continue;
    }
    if (length > 1) {
      out.append(text.substr(pos, length));
      pos += length;
      continue;
    }
    const char c = text[pos++];
    const auto code = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if (code < 0x20 || code == 0x7F)
          appendControlPicture(&out, code);
        else
          out += c;
        break;
    }
  }
  return out;
}

bool WriteHtmlReport(const std::vector<DataNode*>& rows, TextSink* sink) {
  int64_t groups = 0, files = 0, bytes = 0;
  for (const DataNode* row : rows) {
    if (IsGroupRow(row)) {
      ++groups;
    } else {
      ++files;
      bytes += row->val;
    }
  }
  std::string head =
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
      "<meta charset=\"UTF-8\"/>\n<title>Twinfold report</title>\n<style>";
  head += kStyle;
  head += "</style>\n</head>\n<body>\n<h1>Duplicate files</h1>\n<p class=\"totals\">";
  head += std::to_string(groups) + " groups, " + std::to_string(files) + " files, " +
          MarkupEscaped(sizeText(bytes)) + " (" + FormatGroupedNumber(bytes) + " bytes)</p>\n";
  head +=
      "<table>\n<thead><tr><th>File</th><th class=\"size\">Size</th>"
      "<th class=\"time\">Modified</th></tr></thead>\n<tbody>\n";
  if (!sink->Write(head)) return false;
  for (const DataNode* row : rows)
    if (!sink->Write(IsGroupRow(row) ? groupRow(row) : fileRow(row))) return false;
  sink->Write("</tbody>\n</table>\n</body>\n</html>\n");
  return !sink->Failed();
}

}  // namespace tf
