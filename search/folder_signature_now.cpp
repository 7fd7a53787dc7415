#include "search/folder_signature_now.h"

#include <condition_variable>
#include <mutex>

#include "datatree/node_ptr.h"
#include "duplicates/duplicate_criteria.h"
#include "platform/path_status.h"
#include "scan/folder_list.h"
#include "search/folder_scan.h"
#include "search/local_filter_clock.h"

namespace tf {

namespace {

bool refuse(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

bool FolderSignatureNow(const DataNode* descriptor, const std::string& path, uint64_t out[2],
                        std::string* why) {
  out[0] = out[1] = 0;
  if (!descriptor || path.empty()) return refuse(why, "no folder");
  PathStatus status;
  if (!StatPath(path, &status, false) || !status.folder || status.link)
    return refuse(why, "it is not a folder any more");
  // Reading a node moves its cursor: the walk reads a copy of its own.
  NodePtr copy(CloneNode(descriptor, nullptr, 1));
  if (!copy) return refuse(why, "out of memory");
  LocalFilterClock clock;
  std::mutex lock;
  std::condition_variable ended;
  bool done = false;
  ScanParams params;
  params.root = path;
  params.excludes = ExcludesUnder(copy.get(), path);
  params.filters = FindChild(copy.get(), "filters");
  params.criteria = ReadCriteria(FindChild(copy.get(), "settings")).value_or(DuplicateCriteria{});
  params.clock = &clock;
  params.folderSums = true;
  params.readEveryFile = true;
  params.onEnd = [&] {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
    ended.notify_all();
  };
  FolderScan scan;
  if (!scan.Configure(params) || !scan.StartThread(1, {}))
    return refuse(why, "no thread can be started to read it");
  {
    std::unique_lock<std::mutex> hold(lock);
    ended.wait(hold, [&] { return done; });
  }
  scan.Join();
  if (scan.state() != FolderScan::kCompleted || !scan.Index() || !scan.UnreadFolders().empty())
    return refuse(why, "it could not be read whole");
  const DuplicateIndex& index = *scan.Index();
  for (size_t f = 0; f < index.FolderCount(); ++f) {
    const FolderSum& sum = index.Sum(static_cast<uint32_t>(f));
    if (!(sum.flags & FolderSum::kWalked)) continue;  // the parts of the path above it
    if (!(sum.flags & FolderSum::kLeft) || (sum.flags & (FolderSum::kBlind | FolderSum::kDeferred)))
      return refuse(why, "something in it could not be read");
    if (sum.files == 0) return refuse(why, "it holds no file the search counts");
    out[0] = sum.signature[0];
    out[1] = sum.signature[1];
    return true;
  }
  return refuse(why, "it could not be read");
}

}  // namespace tf
