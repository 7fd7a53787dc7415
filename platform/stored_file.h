// The one way the program reads and writes its own files (settings, search descriptors,
// backup descriptions, mask collections, the links history): a bounded read that accepts
// only a regular file (also the head of a file to preview, and the kernel's tables), and
// an atomic save that leaves either the old or the new file whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

// No file of the program's own is anywhere near this; a larger one is damage or an attack.
constexpr size_t kMaxStoredFileBytes = size_t{64} << 20;

// Reads the whole of `path` into *out. Only a regular file (or a symbolic link to one) of
// at most maxBytes is read; a FIFO, a device, a folder or a larger file is refused without
// blocking and without reading it. 1 on success; 0 with a reason in *error (when given)
// that names what is wrong ("does not exist", "is not a regular file", "is larger than
// ...", or the system's text).
int ReadStoredFile(const std::string& path, std::string* out, size_t maxBytes = kMaxStoredFileBytes,
                   std::string* error = nullptr);

// Reads at most `maxBytes` from the start of the regular file `path` into *out, refusing
// anything else as ReadStoredFile does, so a file of any size costs no more than what is
// read. *fileSize (when given) gets the size the file claims. 1 on success, 0 when the file
// cannot be read.
int ReadFileHead(const std::string& path, size_t maxBytes, std::string* out,
                 int64_t* fileSize = nullptr);

// Replaces `path` by `bytes`: writes a temporary file of a unique name beside it (created
// with O_EXCL|O_NOFOLLOW, so a planted link is never followed), syncs it, renames it over
// `path` and syncs the folder. A failed save leaves the previous file byte for byte and no
// temporary. A `path` that exists and is not a regular file is refused; a symbolic link to
// a regular file is saved through (the link stays, its target is replaced). With
// makeFolder, a missing folder (and its parents) is created first. 1 on success; 0 with a
// reason in *error.
int SaveStoredFile(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                   bool makeFolder = false);

// Sets a damaged stored file aside so that the next save does not overwrite it: renames a
// regular file `path` to "path.damaged", or "path.damaged.1", ".2", ... when that name is
// taken (an older damaged file is never replaced). Anything but a regular file is left
// alone. 1 when it was set aside (*newPath gets the name); 0 otherwise.
int SetAsideDamagedFile(const std::string& path, std::string* newPath = nullptr);

// The names in `folder` except "." and "..", in the order the system lists them; 0 when
// the folder cannot be listed.
int ListFolderNames(const std::string& folder, std::vector<std::string>* names);

// Creates `folder` and any missing parents; 1 when it exists as a folder afterwards.
int MakeFolders(const std::string& folder);

// Removes a file of the program's own (a temporary, a stored copy being replaced): never a
// folder, never follows a link. 1 when the name is gone afterwards.
int RemoveStoredFile(const std::string& path);

// Creates `path` as a new empty regular file, failing when the name exists in any form
// (O_EXCL|O_NOFOLLOW): the way to claim a name that another process may want too.
// 1 when this call created it.
int ClaimFileName(const std::string& path);

// The program's own temporary files start with these names (or, from earlier versions, are
// named "<name>.tmp-<pid>-<n>-<hex>"); they never grow with the name of the file they
// become, and no listing of the program's folders shows them.
constexpr const char* kSaveTemporaryPrefix = ".tf-save-";
constexpr const char* kCopyTemporaryPrefix = ".tf-copy-";
bool IsProgramTemporaryName(std::string_view name);
// Locks the just-created temporary `path` open as `fd` for as long as its writer keeps it
// open, so that no other program tidies it away; false when the name no longer leads to
// it (it was tidied away before the lock: make another).
bool HoldTemporary(int fd, const std::string& path);
// Removes from `folder` the program's temporary files that no running program holds: what
// a killed save or copy left. Only regular files go; the number removed.
int RemoveStaleTemporaries(const std::string& folder);
// The same, at most once per folder in a run: for the first write into a folder.
void RemoveStaleTemporariesOnce(const std::string& folder);

}  // namespace tf
