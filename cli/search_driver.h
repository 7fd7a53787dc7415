// SearchDriver: runs one search of a descriptor to its end, ticking the run whenever it
// reports that a scan or merge ended (and at least once per tick interval), and reporting
// the folder statuses and the status line as they change.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/folder_groups.h"

namespace tf {

class SearchRun;

class SearchDriver {
 public:
  // `progress`: where folder statuses and status lines go (null: nowhere); with
  // `rewriteLine` (a terminal) they overwrite one line instead of adding lines.
  SearchDriver(int tickMilliseconds, int priority, std::FILE* progress, bool rewriteLine);
  ~SearchDriver();
  SearchDriver(const SearchDriver&) = delete;
  SearchDriver& operator=(const SearchDriver&) = delete;

  // Every folder walk reads one folder at a time, also on a solid-state disk.
  void SetOneThreadPerDisk(bool on) { m_oneThreadPerDisk = on; }
  // Asked on every tick; when it answers true the walks are stopped, their workers waited
  // for and the result dropped, and Run answers false with Stopped() true.
  void SetStopCheck(std::function<bool()> stopRequested) {
    m_stopRequested = std::move(stopRequested);
  }
  // Forms the folder groups too (SearchRun::Options::findFolders); the file groups then
  // need no hard links read.
  void SetFindFolders(bool on) { m_findFolders = on; }
  // The groups the result leaves out (see SearchRun::Options::hideGroup); empty: none.
  void SetHideGroup(std::function<bool(const DataNode*)> hide) { m_hideGroup = std::move(hide); }
  // Prepares, starts and ticks the run until it has finished. False when the run could not
  // be prepared, started or run to its end; the reason is in Error().
  bool Run(DataNode* descriptor);
  bool Stopped() const { return m_stopped; }
  // After Run: folders that are there but could not be read (their files are missing).
  std::vector<std::string> UnreadFolders() const;

  // After Run: the result tree (owned by the run), the number of files in groups and the
  // final status line ("Finished (%ld files found)" or "Finished (NO FILES FOUND)").
  const DataNode* Result() const;
  // After Run with SetFindFolders: the folder groups.
  const FolderGroups& Folders() const;
  int64_t FileCount() const;
  const std::string& StatusLine() const { return m_statusLine; }
  const std::string& Error() const { return m_error; }

 private:
  void report(bool force);

  int m_tickMilliseconds;
  int m_priority;
  bool m_oneThreadPerDisk = false;
  bool m_findFolders = false;
  std::function<bool()> m_stopRequested;
  bool m_stopped = false;
  std::function<bool(const DataNode*)> m_hideGroup;
  std::FILE* m_progress;
  bool m_rewriteLine;
  // The run's threads wake the loop through these; they are declared before the run so
  // that they outlive its workers.
  std::mutex m_wakeLock;
  std::condition_variable m_woken;
  bool m_workPending = false;
  std::unique_ptr<SearchRun> m_run;
  std::string m_statusLine;
  std::string m_lastReport;
  std::string m_error;
};

}  // namespace tf
