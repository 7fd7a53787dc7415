// The freedesktop.org trash: where the user's deleted files go, recoverable.
#pragma once

#include <string>

namespace tf {

// Moves `path` (a file, link or folder) to the trash of its file system: the user's
// $XDG_DATA_HOME/Trash for the home file system (created, mode 0700, when missing), else
// the .Trash/<uid> or .Trash-<uid> folder at the top of the file system holding it. True
// only when the item now lies in a trash folder; on failure the item stays where it was.
// `trashedPath` receives its new place.
bool MoveToTrash(const std::string& path, std::string* trashedPath = nullptr);
// Whether `path` is the "files" sub-folder entry of a trash folder, i.e. a place
// MoveToTrash may leave an item.
bool IsInTrashFolder(const std::string& path);

}  // namespace tf
