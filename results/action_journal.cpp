#include "results/action_journal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <unordered_map>

#include "platform/path_status.h"
#include "platform/trash.h"
#include "results/json_reader.h"
#include "results/json_text.h"

namespace tf {
namespace {

// A journal this big is read whole once per program to be compacted.
constexpr int64_t kCompactAbove = int64_t{1} << 20;

const char* opName(FileChange change) {
  switch (change) {
    case FileChange::kTrash:
      return "trash";
    case FileChange::kMove:
      return "move";
    case FileChange::kCopy:
      return "copy";
    case FileChange::kMade:
      return "made";
    case FileChange::kLink:
      return "link";
    case FileChange::kShare:
      return "share";
  }
  return "";
}

int64_t nowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Unique among programs journaling at once: the time in milliseconds and a random part.
std::string newActionId() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  static std::mt19937 random(std::random_device{}());
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  char id[48];
  std::snprintf(id, sizeof id, "%lld-%04x", static_cast<long long>(ms),
                static_cast<unsigned>(random() & 0xFFFF));
  return id;
}

void appendText(std::string* out, const char* name, const std::string& text) {
  *out += ',';
  AppendJsonText(out, name, text);
}

void appendNumber(std::string* out, const char* name, int64_t value) {
  *out += ",\"";
  *out += name;
  *out += "\":";
  *out += std::to_string(value);
}

// The file's own name as it reads: a base64 form wins over the UTF-8 one beside it.
bool readText(JsonCursor& json, const std::string& key, JournalRecord* record) {
  std::string value;
  if (!json.String(&value)) return false;
  const bool coded = key.size() > 7 && key.compare(key.size() - 7, 7, "_base64") == 0;
  const std::string name = coded ? key.substr(0, key.size() - 7) : key;
  std::string bytes;
  if (coded && !FromBase64(value, &bytes)) return false;
  if (coded) value = std::move(bytes);
  std::string* field = name == "action"   ? &record->action
                       : name == "kind"   ? &record->kind
                       : name == "op"     ? &record->op
                       : name == "state"  ? &record->state
                       : name == "path"   ? &record->path
                       : name == "to"     ? &record->to
                       : name == "record" ? &record->record
                       : name == "note"   ? &record->note
                                          : nullptr;
  if (field) *field = std::move(value);
  return true;
}

bool knownState(const std::string& state) {
  return state == "intent" || state == "done" || state == "failed" || state == "undone" ||
         state == "kept";
}

bool knownOp(const std::string& op) {
  return op == "trash" || op == "move" || op == "copy" || op == "made" || op == "link" ||
         op == "share";
}

std::mutex g_installMutex;
std::atomic<ActionJournal*> g_journal{nullptr};

}  // namespace

std::string FormatJournalRecord(const JournalRecord& r) {
  std::string line = "{\"v\":1";
  appendText(&line, "action", r.action);
  appendNumber(&line, "time", r.time);
  appendText(&line, "kind", r.kind);
  appendNumber(&line, "n", r.index);
  appendText(&line, "op", r.op);
  appendText(&line, "state", r.state);
  appendText(&line, "path", r.path);
  if (!r.to.empty()) appendText(&line, "to", r.to);
  if (!r.record.empty()) appendText(&line, "record", r.record);
  appendNumber(&line, "size", r.size);
  appendNumber(&line, "modified", r.modified);
  if (!r.note.empty()) appendText(&line, "note", r.note);
  line += "}\n";
  return line;
}

bool ParseJournalRecord(std::string_view line, JournalRecord* record) {
  *record = JournalRecord();
  JsonCursor json(line);
  if (!json.Consume('{')) return false;
  bool first = true;
  int64_t version = 0;
  while (json.More('}', &first)) {
    std::string key;
    if (!json.Key(&key)) return false;
    bool ok = true;
    if (key == "v")
      ok = json.Integer(&version);
    else if (key == "time")
      ok = json.Integer(&record->time);
    else if (key == "n")
      ok = json.Integer(&record->index);
    else if (key == "size")
      ok = json.Integer(&record->size);
    else if (key == "modified")
      ok = json.Integer(&record->modified);
    else if (json.NextIs('"'))
      ok = readText(json, key, record);
    else
      ok = json.Skip();
    if (!ok) return false;
  }
  return !json.Failed() && json.AtEnd() && version == 1 && !record->action.empty() &&
         !record->path.empty() && knownOp(record->op) && knownState(record->state) &&
         record->index >= 0;
}

bool LoadJournal(const std::string& path, std::vector<JournalAction>* actions, std::string* why) {
  actions->clear();
  std::unordered_map<std::string, size_t> byId;
  std::vector<std::map<int64_t, JournalEntry>> files;
  const bool read = ReadJournalLines(
      path,
      [&](std::string_view line) {
        JournalRecord r;
        if (!ParseJournalRecord(line, &r)) return true;
        auto [it, added] = byId.emplace(r.action, actions->size());
        if (added) {
          actions->push_back({r.action, r.kind, r.time, {}});
          files.emplace_back();
        }
        JournalEntry& e = files[it->second][r.index];
        if (e.op.empty() || r.state == "intent") {
          e.index = r.index;
          e.op = r.op;
          e.path = r.path;
          e.size = r.size;
          e.modified = r.modified;
        }
        if (!r.to.empty()) e.to = r.to;
        if (!r.record.empty()) e.record = r.record;
        // An intent read after its end (two programs' lines never cross, but be sure)
        // does not undo what is known.
        if (r.state != "intent" || e.state.empty()) e.state = r.state;
        if (r.state == "done" || r.state == "failed") e.ended = true;
        e.note = r.note;
        return true;
      },
      why);
  if (!read) return false;
  for (size_t i = 0; i < actions->size(); ++i)
    for (auto& [index, entry] : files[i]) (*actions)[i].files.push_back(std::move(entry));
  return true;
}

bool EntryUndoable(const JournalEntry& entry) {
  return entry.state == "done" || entry.state == "intent" || entry.state == "kept";
}

std::string ActionStateText(const JournalAction& action) {
  size_t undone = 0, open = 0;
  for (const JournalEntry& e : action.files) {
    if (e.state == "undone") ++undone;
    if (EntryUndoable(e)) ++open;
  }
  if (open == 0) return undone ? "undone" : "failed";
  return undone ? "partly undone" : "done";
}

size_t ActionFileCount(const JournalAction& action) {
  // Each kind counts the files of its own step; the backup folder's descriptors and the
  // trash steps of a link or backup are parts of one file's action.
  const std::string& k = action.kind;
  const char* main = k == kActDelete || k == kActBackupDelete || k == kActDeleteFolder ? "trash"
                     : k == kActMove || k == kActMoveFolder                            ? "move"
                     : k == kActBackup                                                 ? "made"
                     : k == kActLink                                                   ? "link"
                     : k == kActShare                                                  ? "share"
                                                                                       : "copy";
  std::set<std::string> paths;
  for (const JournalEntry& e : action.files) {
    if (e.op != main || e.state == "failed") continue;
    const std::string& path = e.path;
    if (path.size() >= 12 && path.compare(path.size() - 12, 12, ".backup_info") == 0) continue;
    paths.insert(path);
  }
  return paths.size();
}

std::string ActionLabel(const JournalAction& action) {
  const std::string& k = action.kind;
  const char* name = k == kActDelete || k == kActDeleteFolder ? "Delete"
                     : k == kActMove || k == kActMoveFolder   ? "Move"
                     : k == kActCopy                          ? "Copy"
                     : k == kActBackup                        ? "Move to Backup"
                     : k == kActLink                          ? "Replace by link"
                     : k == kActBackupRestore                 ? "Restore from backup"
                     : k == kActBackupCopy                    ? "Copy from backup"
                     : k == kActBackupDelete                  ? "Delete from backup"
                     : k == kActShare                         ? "Share storage"
                                                              : "Action";
  const size_t count = ActionFileCount(action);
  const bool folders = k == kActDeleteFolder || k == kActMoveFolder;
  return std::string(name) + " of " + std::to_string(count) +
         (folders ? (count == 1 ? " folder" : " folders") : (count == 1 ? " file" : " files"));
}

const JournalAction* NewestUndoable(const std::vector<JournalAction>& actions) {
  // A file an earlier undo had to leave (its place taken) is tried again only when its
  // action is asked for by name: it would otherwise stand before every older action.
  const auto open = [](const JournalEntry& e) { return e.state == "done" || e.state == "intent"; };
  for (auto it = actions.rbegin(); it != actions.rend(); ++it)
    if (std::any_of(it->files.begin(), it->files.end(), open)) return &*it;
  return nullptr;
}

bool ActionJournal::openFile(std::string* why) {
  if (m_file.IsOpen()) return true;
  std::string reason;
  if (m_file.Open(m_path, &reason)) return true;
  *why = "The action journal " + m_path + " cannot be used: " + reason +
         ".\nAn action that could not be taken back is not taken; nothing was changed.";
  return false;
}

bool ActionJournal::Begin(const char* kind, std::string* why) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_depth > 0) {
    ++m_depth;
    return true;
  }
  // Opened again for each action: the path may have been replaced by something else.
  m_file.Close();
  if (!openFile(why)) return false;
  if (!m_compactChecked) {
    m_compactChecked = true;
    if (m_file.Size() > kCompactAbove) {
      std::string ignored;
      Compact(nowSeconds(), &ignored);
    }
  }
  m_depth = 1;
  m_busy = true;
  m_action = newActionId();
  m_kind = kind;
  m_next = 0;
  m_pending.clear();
  return true;
}

void ActionJournal::End() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_depth > 0 && --m_depth == 0) {
    // Announced and never reached (the user stopped, the file changed): they stayed.
    std::string lines;
    for (auto& [key, pending] : m_pending) {
      if (pending.started) continue;
      pending.record.time = nowSeconds();
      pending.record.state = "failed";
      lines += FormatJournalRecord(pending.record);
    }
    std::string ignored;
    if (!lines.empty()) m_file.Append(lines, &ignored, false);
    m_busy = false;
    m_action.clear();
    m_pending.clear();
  }
}

std::string ActionJournal::CurrentAction() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_action;
}

bool ActionJournal::write(const JournalRecord& record, std::string* why, bool sync) {
  std::string reason;
  if (m_file.Append(FormatJournalRecord(record), &reason, sync)) return true;
  *why = "the action journal " + m_path + " cannot be written: " + reason;
  return false;
}

JournalRecord ActionJournal::intentOf(FileChange change, const std::string& from,
                                      const std::string& to, int64_t size, int64_t modified) {
  JournalRecord r;
  r.action = m_action;
  r.time = nowSeconds();
  r.kind = m_kind;
  r.index = m_next++;
  r.op = opName(change);
  r.state = "intent";
  r.path = from;
  r.to = to;
  r.size = size;
  r.modified = modified;
  return r;
}

bool ActionJournal::Announce(FileChange change, const std::vector<AnnouncedFile>& files,
                             std::string* why) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_depth == 0) return true;
  std::string lines;
  std::vector<JournalRecord> records;
  for (const AnnouncedFile& file : files) {
    if (m_pending.count({static_cast<int>(change), file.path})) continue;
    JournalRecord r = intentOf(change, file.path, std::string(), file.size, file.modified);
    lines += FormatJournalRecord(r);
    records.push_back(std::move(r));
  }
  if (lines.empty()) return true;
  std::string reason;
  if (!m_file.Append(lines, &reason, true)) {
    *why = "the action journal " + m_path + " cannot be written: " + reason;
    return false;
  }
  for (JournalRecord& r : records) {
    const std::string path = r.path;
    m_pending[{static_cast<int>(change), path}] = Pending{std::move(r), false};
  }
  return true;
}

bool ActionJournal::Before(FileChange change, const std::string& from, const std::string& to,
                           std::string* why) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_depth == 0) return true;  // not an action of the user's: the program's own files
  const auto announced = m_pending.find({static_cast<int>(change), from});
  if (announced != m_pending.end() && !announced->second.started) {
    // Its intent is on disk already; where it goes is told with its end.
    announced->second.started = true;
    if (!to.empty()) announced->second.record.to = to;
    return true;
  }
  PathStatus st;
  StatPath(from, &st, false);  // a file that cannot be asked is journaled with size 0
  // A folder is known by its files: its own size and time change with its entries.
  FolderFacts facts;
  if (st.folder && ReadFolderFacts(from, &facts)) {
    st.size = facts.bytes;
    st.modified = facts.latest;
  }
  JournalRecord r = intentOf(change, from, to, st.size, st.modified);
  if (!write(r, why)) return false;
  m_pending[{static_cast<int>(change), from}] = Pending{std::move(r), true};
  return true;
}

void ActionJournal::After(FileChange change, const std::string& from, const std::string& to,
                          bool done) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_pending.find({static_cast<int>(change), from});
  if (it == m_pending.end()) return;
  JournalRecord r = std::move(it->second.record);
  m_pending.erase(it);
  r.time = nowSeconds();
  r.state = done ? "done" : "failed";
  if (!to.empty()) r.to = to;
  if (change == FileChange::kTrash && done) r.record = TrashRecordOf(to);
  // A made file is looked at once it is there.
  PathStatus st;
  if (change == FileChange::kMade && StatPath(from, &st, false)) {
    r.size = st.size;
    r.modified = st.modified;
  }
  // Nothing to do when the end cannot be written: the intent alone sends an undo looking
  // for the file at both ends. For the same reason the end is not synced: only a crash of
  // the machine loses it (a killed program does not), which costs an undo a look.
  std::string ignored;
  write(r, &ignored, false);
}

bool ActionJournal::Append(const std::vector<JournalRecord>& records, std::string* why) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_file.IsOpen() && !openFile(why)) return false;
  std::string lines;
  for (const JournalRecord& r : records) lines += FormatJournalRecord(r);
  if (lines.empty()) return true;
  std::string reason;
  if (m_file.Append(lines, &reason)) return true;
  *why = "the action journal " + m_path + " cannot be written: " + reason;
  return false;
}

bool ActionJournal::Compact(int64_t now, std::string* why) {
  if (!m_file.IsOpen() && !openFile(why)) return false;
  return m_file.Rewrite(
      [&](std::string* contents) {
        std::vector<std::string> order;
        std::unordered_map<std::string, std::pair<int64_t, std::string>> lines;
        std::string ignored;
        ReadJournalLines(
            m_path,
            [&](std::string_view line) {
              JournalRecord r;
              if (!ParseJournalRecord(line, &r)) return true;
              auto [it, added] = lines.emplace(r.action, std::make_pair(r.time, std::string()));
              if (added) order.push_back(r.action);
              it->second.second.append(line).push_back('\n');
              return true;
            },
            &ignored, false);
        const int64_t oldest = now - kJournalDays * 24 * 3600;
        size_t kept = 0;
        std::vector<const std::string*> keep;
        for (auto it = order.rbegin(); it != order.rend() && kept < kJournalActions; ++it) {
          const auto& [time, text] = lines[*it];
          if (time < oldest) continue;
          keep.push_back(&text);
          ++kept;
        }
        for (auto it = keep.rbegin(); it != keep.rend(); ++it) contents->append(**it);
        return true;
      },
      why);
}

void InstallActionJournal(ActionJournal* journal) {
  std::lock_guard<std::mutex> lock(g_installMutex);
  g_journal.store(journal);
  SetFileChangeWatcher(journal);
}

ActionJournal* InstalledActionJournal() {
  return g_journal.load();
}

JournalScope::JournalScope(const char* kind) : m_journal(InstalledActionJournal()) {
  if (m_journal) m_ok = m_began = m_journal->Begin(kind, &m_why);
}

bool JournalScope::Announce(FileChange change, const std::vector<AnnouncedFile>& files) {
  if (!m_journal || !m_ok) return true;
  m_ok = m_journal->Announce(change, files, &m_why);
  return m_ok;
}

JournalScope::~JournalScope() {
  if (m_journal && m_began) m_journal->End();
}

}  // namespace tf
