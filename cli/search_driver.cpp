#include "cli/search_driver.h"

#include <chrono>

#include "cli/terminal_text.h"
#include "cli/text_writer.h"
#include "search/search_run.h"

namespace tf {
namespace {

// Progress on a terminal is redrawn at most this often; a log gets a line at most once a
// second, and the final statuses always.
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
constexpr auto kLogInterval = std::chrono::milliseconds(1000);

}  // namespace

SearchDriver::SearchDriver(int tickMilliseconds, int priority, std::FILE* progress,
                           bool rewriteLine)
    : m_tickMilliseconds(tickMilliseconds > 0 ? tickMilliseconds : 1),
      m_priority(priority),
      m_progress(progress),
      m_rewriteLine(rewriteLine) {}

SearchDriver::~SearchDriver() = default;

bool SearchDriver::Run(DataNode* descriptor) {
  SearchRun::Options options;
  options.tickMs = m_tickMilliseconds;
  options.priority = m_priority;
  options.oneThreadPerDisk = m_oneThreadPerDisk;
  options.hideGroup = m_hideGroup;
  // Names of one file count their bytes once in a group's size, as in the window.
  options.readHardLinks = !m_findFolders;
  options.findFolders = m_findFolders;
  options.onStatus = [this](const std::string& text) { m_statusLine = text; };
  options.onWork = [this] {
    {
      std::lock_guard<std::mutex> lock(m_wakeLock);
      m_workPending = true;
    }
    m_woken.notify_one();
  };
  m_run = std::make_unique<SearchRun>(std::move(options));
  m_statusLine = "Scanning folders...";
  if (!m_run->Prepare(descriptor)) {
    m_error = "the search descriptor has no folder list";
    return false;
  }
  if (!m_run->Start()) {
    m_error = "the search did not start";
    return false;
  }
  auto lastRedraw = std::chrono::steady_clock::now();
  // Sleeps until the run has news (a scan or merge ended, the groups are formed), or for
  // one tick interval, which keeps the progress report moving.
  const auto interval = std::chrono::milliseconds(m_tickMilliseconds);
  while (m_run->state() != SearchRun::kFinished && m_run->state() != SearchRun::kStopped) {
    {
      std::unique_lock<std::mutex> lock(m_wakeLock);
      m_woken.wait_for(lock, interval, [this] { return m_workPending; });
      m_workPending = false;
    }
    if (m_stopRequested && m_stopRequested()) {
      // Nothing part-way is printed: a script would take it for the whole result.
      m_run->Reset();
      m_stopped = true;
      m_error = "stopped";
      if (m_progress && m_rewriteLine) std::fputs("\n", m_progress);
      return false;
    }
    m_run->Tick();
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRedraw >= (m_rewriteLine ? kRedrawInterval : kLogInterval)) {
      report(false);
      lastRedraw = now;
    }
  }
  m_statusLine = m_run->StatusLine();
  report(true);
  if (m_progress && m_rewriteLine) std::fputs("\n", m_progress);
  if (!m_run->Failure().empty()) {
    m_error = m_run->Failure();
    return false;
  }
  m_run->Cancel();  // the result is handled: the run map can go, the groups stay
  return true;
}

std::vector<std::string> SearchDriver::UnreadFolders() const {
  return m_run ? m_run->UnreadFolders() : std::vector<std::string>();
}

const DataNode* SearchDriver::Result() const {
  return m_run ? m_run->ResultRoot() : nullptr;
}

const FolderGroups& SearchDriver::Folders() const {
  static const FolderGroups kNone;
  return m_run ? m_run->Folders() : kNone;
}

int64_t SearchDriver::FileCount() const {
  return m_run ? m_run->FileCount() : 0;
}

// One line per folder ("FOLDER: status") and the status line. On a terminal the whole
// report is one line that is drawn over; elsewhere only changed reports are written.
void SearchDriver::report(bool force) {
  if (!m_progress) return;
  std::string text;
  for (const auto& scan : m_run->Scans()) {
    if (!text.empty()) text += m_rewriteLine ? "; " : "\n";
    text += TerminalText(scan->Root()) + ": " + scan->StatusText();
  }
  text += m_rewriteLine ? " | " : "\n";
  text += m_statusLine;
  if (!force && text == m_lastReport) return;
  m_lastReport = text;
  if (m_rewriteLine)
    std::fprintf(m_progress, "\r\x1b[K%s", text.c_str());
  else
    std::fprintf(m_progress, "%s\n", text.c_str());
  std::fflush(m_progress);
}

}  // namespace tf
