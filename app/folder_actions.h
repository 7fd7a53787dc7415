// FolderActions: Browse, Move to trash and Move... of one folder of a duplicate folder
// group, each change journaled as one action and guarded as the file actions are: never a
// protected folder or one holding a protected folder, never a folder that changed since
// the search, and the last-copy question before the last copy goes.
#pragma once

#include <functional>
#include <string>

#include "app/results_host.h"
#include "duplicates/folder_groups.h"

namespace tf {

// Captions of the messages of the folder actions beside those of the file actions.
constexpr const char* kFolderChangedCaption = "Folder changed since the search";
constexpr const char* kFolderNotMovedCaption = "Folder not moved";

class FolderActions {
 public:
  // `removeFolder` takes a folder that left its place out of the results (the folder
  // groups and the file groups) and refills the views; the host must outlive the actions.
  FolderActions(ResultsHost& host, std::function<void(const std::string&)> removeFolder);

  // Shows the folder as the file lists' Browse shows a file's folder. True when something
  // was started (the user has been told otherwise).
  bool Browse(const std::string& path);
  // Sends the folder `path` of `group` to the trash as one item, after the guards and
  // one question (the last-copy question, "No" the default, when no other folder of the
  // group is still as the search saw it). True when it went.
  bool Trash(const FolderGroup& group, const std::string& path);
  // Moves the folder into a folder the user chooses (by renaming it: only within its
  // file system). True when it moved.
  bool Move(const FolderGroup& group, const std::string& path);

 private:
  // The guards of both changes; false when the user has been told why not.
  bool mayChange(const FolderGroup& group, const std::string& path);
  bool refuseProtected(const std::string& path);
  // Whether the folder now gives the group's signature; the reason in *why when not.
  bool unchanged(const FolderGroup& group, const std::string& path, std::string* why);
  // True when another folder of `group` (not `path`, nor another name of it) is still
  // as the search saw it.
  bool anotherCopyLeft(const FolderGroup& group, const std::string& path);

  ResultsHost& m_host;
  std::function<void(const std::string&)> m_removeFolder;
};

}  // namespace tf
