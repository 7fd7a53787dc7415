// ResultsHost: what the result views ask of the program that owns the search results
// (the window program's controller; the tests script it). The views only read the
// result tree; every change to it goes through RemoveFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/questions.h"
#include "datatree/data_node.h"
#include "duplicates/folder_groups.h"
#include "duplicates/hard_links.h"
#include "results/file_actions.h"

namespace tf {

class BackupStore;
class IgnoreStore;
class LinksHistory;

class ResultsHost {
 public:
  virtual ~ResultsHost() = default;

  // The root whose children are the duplicate groups of the last search; null before
  // the first search.
  virtual DataNode* GroupsRoot() = 0;
  // Counts the changes of the result tree (a search finished, a file left its group).
  // A view refills on activation when the count differs from the one it last filled at,
  // so each view keeps its own record.
  virtual uint64_t ResultGeneration() = 0;
  // Takes a file node out of its group, dropping a group left with one file: 1 when the
  // group stays, 2 when it went, 0 when there is no result.
  virtual int RemoveFile(DataNode* file) = 0;

  // Names of the registered tools, in list order.
  virtual std::vector<std::string> ToolNames() = 0;
  // Runs the tool at `index` on the files; true when it started.
  virtual bool RunTool(int index, const std::vector<std::string>& paths) = 0;
  // True while a backup folder is available.
  virtual bool BackupAvailable() = 0;
  // 1: Browse shows the file in the file manager; other values open its folder.
  virtual int BrowseMode() = 0;
  // True for a file the user has just made a link to.
  virtual bool IsLinkTarget(const std::string& path) = 0;
  // The protected folder that holds `path` (one the user marked so that no action changes
  // its files), or empty when the file may be changed.
  virtual std::string ProtectedFolderOf(const std::string& path) {
    (void)path;
    return {};
  }
  // True while the result shown may be looked at but not acted on (read back from a file
  // that does not say which search made it).
  virtual bool ResultsReadOnly() { return false; }
  // The files of the result that are other names of one file; null when none are known.
  virtual const HardLinks* HardLinkSets() { return nullptr; }
  // Splits `groups` by the bytes their files hold, off the window's thread; the views
  // then show the new result. False when nothing changed (cancelled, not built).
  virtual bool VerifyGroups(const std::vector<const DataNode*>& groups) {
    (void)groups;
    return false;
  }
  // Whether "Share storage" is offered; then ShareStorage lets the selected files of
  // verified groups use their kept copies' storage (results/share_action.h) and reports
  // what was shared. False when nothing was done.
  virtual bool OffersShareStorage() { return false; }
  virtual bool ShareStorage(const std::vector<const DataNode*>& selected) {
    (void)selected;
    return false;
  }
  // The duplicate folder groups of the result shown; null when its search did not look
  // for them.
  virtual const FolderGroups* FolderGroupsShown() { return nullptr; }
  // Takes a folder that left its place out of its folder group, and the files at or
  // below it out of the file groups (remembered for an undo); false when it is in no
  // group. The views must hold no row of those files when it is called.
  virtual bool RemoveFolder(const std::string& path) {
    (void)path;
    return false;
  }
  // The signature the search would give the folder `path` now, with its filters and
  // criteria; false with the reason when it cannot be had.
  virtual bool FolderSignatureNow(const std::string& path, uint64_t out[2], std::string* why) {
    (void)path, (void)out;
    *why = "the search that found it is gone";
    return false;
  }
  // Every protected folder, as the search pages mark them now.
  virtual std::vector<std::string> ProtectedFolders() { return {}; }
  // Fills and shows the properties of a file; returns when they are closed.
  virtual void ShowProperties(DataNode* fileInfo) = 0;

  // The backup folder that "Move to Backup" keeps files in, and the files links were
  // made to; null where the program has none.
  virtual BackupStore* Backup() { return nullptr; }
  virtual LinksHistory* Links() { return nullptr; }
  // The ignore list that "Ignore group" adds to; null where the program keeps none (the
  // command is then not offered).
  virtual IgnoreStore* Ignored() { return nullptr; }

  virtual Questions& Ask() = 0;
  virtual FileShell& Shell() = 0;

  // The program's current-file slot, read by the file information views; null clears.
  virtual void SetCurrentFile(DataNode* file) = 0;
};

}  // namespace tf
