// What is at a path without following a final link, why a file cannot be made in a folder,
// and the few changes the backup folder and link replacement make beyond stored_file.h:
// a private scratch folder, the owner's write bit, a rename that never replaces.
#pragma once

#include <cstdint>
#include <string>

namespace tf {

struct PathStatus {
  bool exists = false;   // anything at all, a dangling link too
  bool regular = false;  // a regular file (a link only when links are followed)
  bool folder = false;
  bool link = false;  // the name itself is a symbolic link (never with followLinks)
  int64_t size = 0;
  int64_t modified = 0;  // file time (100 ns since 1601)
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t names = 0;  // how many names (hard links) the file has
};

// Fills *out for `path`; false when nothing is there or it cannot be asked (following
// links, a dangling link answers false with `exists` set: its name is taken).
bool StatPath(const std::string& path, PathStatus* out, bool followLinks);
// What the action journal knows a folder by, in place of a file's size and time: the
// regular files at or below it (links neither followed nor counted), their bytes in all
// and the latest modification time among them. A rename of the folder leaves all three.
struct FolderFacts {
  int64_t files = 0;
  int64_t bytes = 0;
  int64_t latest = 0;  // file time; 0 for a folder without files
};
// Fills *out for the folder `path` (not followed when a link); false when it is no folder
// or a folder at or below it cannot be read through.
bool ReadFolderFacts(const std::string& path, FolderFacts* out);
// Whether the two paths reach the same file (device and inode, links followed).
bool SameFile(const std::string& a, const std::string& b);

// Which file a path reaches (links followed), and how many names that file has.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint32_t names = 0;  // hard links, 1 for a file with one name
};
// Fills *out for `path` from one statx that asks only for the inode and the link count;
// false when the file cannot be asked.
bool ReadFileIdentity(const std::string& path, FileIdentity* out);

// Why a new file `name` cannot be made in `folder`, in words a user can act on ("the folder
// ... does not exist", "the name ... is too long", "no permission to write in ...", "... is
// on a read-only file system"); empty when, as far as can be told, it can.
std::string WhyCannotCreateIn(const std::string& folder, const std::string& name);

// Sets the owner's read and write bits of a regular file (a copy kept from a read-only
// source must stay removable). 1 on success.
int AddOwnerWrite(const std::string& path);

// A new folder only this process uses, made inside `parent`; 1 with its path in *out, or 0
// with the reason in *error.
int MakeScratchFolder(const std::string& parent, std::string* out, std::string* error = nullptr);
// Removes a scratch folder: the files and links directly in it, then the folder itself.
// Sub-folders are never entered. 1 when it is gone.
int RemoveScratchFolder(const std::string& folder);

// Renames `from` to `to` only when `to` is free; 1 on success.
int RenameNoReplace(const std::string& from, const std::string& to);
// Renames `from` over `to` (a file of the program's own that `from` replaces); 1 on success.
int RenameOver(const std::string& from, const std::string& to);
// Makes a new empty file "<prefix>XXXXXX" in `folder` (XXXXXX unique); 1 with its path.
int MakeTemporaryFile(const std::string& folder, const std::string& prefix, std::string* path);

// The first component of the absolute path `folder` that is a symbolic link, as a path
// ("/home/ann"), found by opening each component inside the one before it without following
// links; empty when there is none (a component that is missing or cannot be opened ends the
// walk: what is there cannot be a link).
std::string FirstLinkInPath(const std::string& folder);
// True when the file system holding `folder` has less than `needed` bytes free for the user.
bool LacksSpaceFor(const std::string& folder, int64_t needed);

}  // namespace tf
