// The freedesktop.org trash: where the user's deleted files go, recoverable.
#pragma once

#include <cstdint>
#include <string>

namespace tf {

// Moves `path` (a file, link or folder) to the trash of its file system: the user's
// $XDG_DATA_HOME/Trash for the home file system (created, mode 0700, when missing), else
// the .Trash/<uid> or .Trash-<uid> folder at the top of the file system holding it. The
// item is only ever renamed, never copied or deleted. True only when the item has left its
// place and now lies in a trash folder; on failure (no trash on its file system, a name too
// long for the trash's record) it stays where it was. `trashedPath` receives its new place,
// `why` the reason of a failure, in words for the user.
bool MoveToTrash(const std::string& path, std::string* trashedPath = nullptr,
                 std::string* why = nullptr);
// Puts an item MoveToTrash left at `trashedPath` back at `original` (which must be free)
// and drops its trash record. True when it is back.
bool RestoreFromTrash(const std::string& trashedPath, const std::string& original);

}  // namespace tf

namespace tf {

// The trash's record (".trashinfo") of an item MoveToTrash left at `trashedPath`.
std::string TrashRecordOf(const std::string& trashedPath);
// The item in a trash that came from `original` and still has `size` bytes and the
// modification time `modified` (file time); "" when there is none. For an item whose
// move to the trash was begun but never heard to end.
std::string FindTrashedItem(const std::string& original, int64_t size, int64_t modified);

}  // namespace tf
