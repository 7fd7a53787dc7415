// Path and text helpers: joining, splitting, classifying and searching paths and texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

class TreeNode;

// Path kinds answered by PathKind.
constexpr int PATH_MISSING = 0;  // also a file that cannot be opened for reading
constexpr int PATH_FILE = 1;
constexpr int PATH_FOLDER = 2;

// folder + '/' + name; no '/' is added when the folder ends in '/' or the name begins with
// one. An empty folder gives the name alone.
std::string JoinPath(std::string_view name, std::string_view folder);
// PATH_FILE for a regular file that can be opened for reading, PATH_FOLDER for a folder
// (links followed), else PATH_MISSING. A relative path is taken below `baseFolder` when
// that is given.
int PathKind(const std::string& path, const std::string& baseFolder = {});
// Whether two paths name one existing file (the same device and inode, links followed).
bool IsSameFile(const std::string& a, const std::string& b);
// What occupies a name, without opening it. NAME_FILE and NAME_FOLDER follow links;
// NAME_OTHER is anything else that holds the name: a FIFO, a device, a socket, a link
// whose target is missing. Used where a name must not be replaced or made.
constexpr int NAME_FREE = 0;
constexpr int NAME_FILE = 1;
constexpr int NAME_FOLDER = 2;
constexpr int NAME_OTHER = 3;
int NameKind(const std::string& path);
// Size of a regular file (links followed); 0 when it is missing or cannot be read.
int64_t FileSize64(const std::string& fileName);
// The folder part (everything up to and including the last '/') and the name part.
// Either output may be null.
void SplitPath(std::string_view path, std::string* folder, std::string* name);
// `path` anchored at the current folder when it is relative (not otherwise normalised).
std::string AbsolutePath(const std::string& path);
// `path` with "." components and doubled '/' dropped and each ".." taking away the
// component before it (text only: links are not resolved; ".." at the root stays at the
// root, leading ".." of a relative path stay). A trailing '/' is kept.
std::string LexicallyNormal(std::string_view path);
// The mount point of the file system holding `path` (or, for a path that does not exist,
// its nearest existing ancestor), such as "/" or "/media/usb"; empty when unknown. Two
// paths are on the same drive when their roots are equal.
std::string DriveRoot(const std::string& path);
// `text` with every occurrence of `pattern` replaced, left to right without overlap; a
// copy when the pattern is empty or absent.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);
// Index of the first exact occurrence of `pattern` in `text`, or -1 (also for an empty
// pattern).
int64_t FindText(std::string_view text, std::string_view pattern);
// Index of the first byte of `text` that is in `set`, or -1; `which` receives that byte.
int64_t FindAnyOf(std::string_view text, std::string_view set, char* which = nullptr);
// Offset, within the first `length` bytes of `text` (negative: all), of the separator that
// ends field `field` (counted from 0), or -1 when fewer separators follow.
int64_t FieldOffset(std::string_view text, char separator, int field, int64_t length = -1);
// Searches `startFolder` (empty: the current folder) depth first, in listing order, for a
// file named `name` (ignoring case); true with the folder holding it. Links, pseudo file
// systems and trash folders are not entered.
bool FindFileInTree(const std::string& name, const std::string& startFolder,
                    std::string* outFolder);
// Every byte of `path` outside the unreserved set and '/' written as %XX, as file URIs and
// trash records want it.
std::string PercentEncodePath(std::string_view path);
// The name to show the user for a path: its last component ("/" for the root).
std::string DisplayNameOf(std::string_view path);
// Whether `name` matches a file mask with '*' and '?' (ignoring case; "*.*" matches every
// name, as it always has for the program's users).
bool MatchesMask(std::string_view name, std::string_view mask);
// The regular files of `folder` matching any mask of the ';'-separated list, as a chain of
// TreeNodes (name = display name, desc = full path, id = *counter, counted up). With
// `recursive`, each sub-folder adds a node of kind 1 named "<folder>/<sub-folder>" holding
// its own chain as children. Null when nothing matched; free the chain with DeleteForest.
TreeNode* ListMatchingFiles(const std::string& folder, const std::string& masks, int* counter,
                            bool recursive);

}  // namespace tf
