#include "results/journal_text.h"

#include "results/backup_view.h"
#include "results/json_text.h"

namespace tf {
namespace {

// Seconds from 1601 (file time) to 1970, and file time ticks in a second.
constexpr int64_t kEpochSeconds = 11644473600;
constexpr int64_t kTicks = 10000000;

const char* verbOf(const std::string& op) {
  return op == "trash"   ? "to the trash: "
         : op == "move"  ? "moved: "
         : op == "copy"  ? "copied: "
         : op == "made"  ? "made: "
         : op == "share" ? "shares storage: "
                         : "replaced by a link: ";
}

void appendNumber(std::string* out, const char* name, int64_t value) {
  *out += ",\"";
  *out += name;
  *out += "\":";
  *out += std::to_string(value);
}

}  // namespace

std::string JournalTimeText(int64_t seconds) {
  return PlacedText((seconds + kEpochSeconds) * kTicks);
}

std::string JournalEntryText(const JournalEntry& e) {
  std::string text = verbOf(e.op) + e.path;
  if (!e.to.empty()) text += (e.op == "link" ? " -> " : e.op == "share" ? " with " : " => ") + e.to;
  text += " [" + std::string(e.state == "intent" ? "begun, not heard to end" : e.state) + "]";
  if (!e.note.empty()) text += " (" + e.note + ")";
  return text;
}

std::string JournalText(const std::vector<JournalAction>& actions,
                        const std::function<std::string(std::string_view)>& shown) {
  const auto line = [&shown](const std::string& text) {
    return (shown ? shown(text) : text) + "\n";
  };
  std::string text;
  for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
    text += line(it->id + "  " + JournalTimeText(it->time) + "  " + ActionLabel(*it) + "  (" +
                 ActionStateText(*it) + ")");
    for (const JournalEntry& e : it->files) text += "    " + line(JournalEntryText(e));
  }
  return text;
}

std::string JournalJson(const std::vector<JournalAction>& actions) {
  std::string text = "{\"actions\":[";
  bool firstAction = true;
  for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
    text += firstAction ? "\n{" : ",\n{";
    firstAction = false;
    AppendJsonText(&text, "id", it->id);
    appendNumber(&text, "time", it->time);
    text += ',';
    AppendJsonText(&text, "kind", it->kind);
    text += ',';
    AppendJsonText(&text, "label", ActionLabel(*it));
    text += ',';
    AppendJsonText(&text, "state", ActionStateText(*it));
    text += ",\"files\":[";
    for (size_t i = 0; i < it->files.size(); ++i) {
      const JournalEntry& e = it->files[i];
      text += i ? ",{" : "{";
      AppendJsonText(&text, "op", e.op);
      text += ',';
      AppendJsonText(&text, "path", e.path);
      text += ',';
      AppendJsonText(&text, "to", e.to);
      text += ',';
      AppendJsonText(&text, "state", e.state);
      appendNumber(&text, "size", e.size);
      appendNumber(&text, "modified", e.modified);
      if (!e.note.empty()) {
        text += ',';
        AppendJsonText(&text, "note", e.note);
      }
      text += '}';
    }
    text += "]}";
  }
  text += actions.empty() ? "]}\n" : "\n]}\n";
  return text;
}

}  // namespace tf
