// Path and text helpers: joining, splitting, classifying and normalising paths.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

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
// Whether `path` names a folder (links followed).
bool IsFolder(const std::string& path);
// What occupies a name, without opening it. NAME_FILE and NAME_FOLDER follow links;
// NAME_OTHER is anything else that holds the name: a FIFO, a device, a socket, a link
// whose target is missing. Used where a name must not be replaced or made.
constexpr int NAME_FREE = 0;
constexpr int NAME_FILE = 1;
constexpr int NAME_FOLDER = 2;
constexpr int NAME_OTHER = 3;
int NameKind(const std::string& path);
// The folder part (everything up to and including the last '/') and the name part.
// Either output may be null.
void SplitPath(std::string_view path, std::string* folder, std::string* name);
// The folder holding `path`, without a trailing '/': "/" for an entry of the root, empty
// for a bare name.
std::string FolderOf(std::string_view path);
// `path` anchored at the current folder when it is relative (not otherwise normalised).
std::string AbsolutePath(const std::string& path);
// `path` with "." components and doubled '/' dropped and each ".." taking away the
// component before it (text only: links are not resolved; ".." at the root stays at the
// root, leading ".." of a relative path stay). A trailing '/' is kept.
std::string LexicallyNormal(std::string_view path);
// `text` with every occurrence of `pattern` replaced, left to right without overlap; a
// copy when the pattern is empty or absent.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);
// Every byte of `path` outside the unreserved set and '/' written as %XX, as file URIs and
// trash records want it.
std::string PercentEncodePath(std::string_view path);
// The name to show the user for a path: its last component ("/" for the root).
std::string DisplayNameOf(std::string_view path);

}  // namespace tf
