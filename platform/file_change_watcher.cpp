#include "platform/file_change_watcher.h"

#include <atomic>

namespace tf {
namespace {

std::atomic<FileChangeWatcher*> g_watcher{nullptr};

}  // namespace

void SetFileChangeWatcher(FileChangeWatcher* watcher) {
  g_watcher.store(watcher);
}

FileChangeWatcher* CurrentFileChangeWatcher() {
  return g_watcher.load();
}

bool WatchBefore(FileChange change, const std::string& from, const std::string& to,
                 std::string* why) {
  FileChangeWatcher* watcher = g_watcher.load();
  std::string ignored;
  return !watcher || watcher->Before(change, from, to, why ? why : &ignored);
}

void WatchAfter(FileChange change, const std::string& from, const std::string& to, bool done) {
  if (FileChangeWatcher* watcher = g_watcher.load()) watcher->After(change, from, to, done);
}

}  // namespace tf
