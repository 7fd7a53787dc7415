// The folder lists of a search descriptor: the folders to scan ("folders" > "include")
// and the sub-folders to leave out ("folders" > "exclude"), the rules for adding and
// removing entries, and the lies-below test that the scan engine shares.
//
// Entries are children of "include" and "exclude" named by their full path, in the
// order they were added; an include entry's `group` is 0 when the path named an
// existing folder when it was added, -1 otherwise. Paths compare case-sensitively.
// Every operation on a null descriptor answers 0 / false / nothing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/questions.h"
#include "datatree/data_node.h"

namespace tf {

// Results of AddInclude and AddExclude.
constexpr int kFolderNotAdded = 0;  // node could not be created, or no descriptor
constexpr int kFolderAdded = 1;     // appended
constexpr int kFolderRefused = 2;   // already listed (or, for includes, below an entry)
// Result of the page actions for a path that is not an existing folder (the caller
// beeps); nothing is asked and nothing changes.
constexpr int kFolderNotAFolder = -1;

// True when `a` lies strictly below `b`: both non-empty, trailing '/' dropped, `a`
// begins with `b` followed by '/'. So "/data2" is not below "/data", and a folder is
// not below itself.
bool IsBelow(std::string_view a, std::string_view b);

// True when some include entry names an existing folder now. Creates "folders" and
// "include" when missing.
bool HasUsableInclude(DataNode* descriptor);

// kFolderRefused when the path is listed (the same path, a trailing '/' aside) or lies
// below a listed entry. Otherwise every entry below the new path is removed, the path
// is appended and kFolderAdded returned.
int AddInclude(DataNode* descriptor, const std::string& path);
bool RemoveInclude(DataNode* descriptor, const std::string& path);
// kFolderRefused when the path is listed already.
int AddExclude(DataNode* descriptor, const std::string& path);
bool RemoveExclude(DataNode* descriptor, const std::string& path);

// The paths of the include and exclude entries, in order.
std::vector<std::string> IncludePaths(DataNode* descriptor);
std::vector<std::string> ExcludePaths(DataNode* descriptor);
// The exclude entries, in order, that lie below `root` (a scan's exclude list),
// without trailing '/', so that they compare equal to the folder paths of a walk.
std::vector<std::string> ExcludesUnder(DataNode* descriptor, std::string_view root);

// Protected folders, whose files no action moves, deletes, backs up or replaces by a
// link. An include entry protected as a whole carries the attribute "protected" = 1; a
// protected folder below it is a child node of the entry, named by its full path, with
// the same attribute. Descriptors written before protection existed simply lack both.
// Paths compare as the folder lists' entries do (byte for byte, a trailing '/' aside).

// Results of ToggleProtectedFolder besides kFolderNotAFolder.
constexpr int kProtectionUnchanged = 0;  // refused or declined; the user has been told
constexpr int kProtectionAdded = 1;
constexpr int kProtectionRemoved = 2;

// Marks `path` protected: it must be an include entry or lie below one, and not lie in
// a protected folder already. Marks below it are dropped, as it covers them. True when
// the mark was added.
bool ProtectFolder(DataNode* descriptor, const std::string& path);
// Takes the mark off `path` itself (not off a folder above it). True when one was there.
bool UnprotectFolder(DataNode* descriptor, const std::string& path);
// Every protected folder, the include entries' own marks and the marks below each, in
// list order.
std::vector<std::string> ProtectedFolders(DataNode* descriptor);
// Whether the include entry `include` is protected as a whole, and the protected
// folders marked below it.
bool IsIncludeProtected(DataNode* descriptor, const std::string& include);
std::vector<std::string> ProtectedBelow(DataNode* descriptor, const std::string& include);
// The protected folder that holds `path` or is `path`, or "": a whole-component prefix
// match on the paths as written, without resolving links (a result file's path is the
// include entry's path and the names below it, so the two always compare).
std::string ProtectedFolderHolding(const std::vector<std::string>& protectedFolders,
                                   std::string_view path);

// The folder page's "Protect folder...": a marked folder is offered to be unmarked (a
// Yes/No question); an unmarked one is marked when ProtectFolder allows, else the user is
// told why not. A path that is no existing folder and no mark answers kFolderNotAFolder
// without a word.
int ToggleProtectedFolder(DataNode* descriptor, const std::string& path, Questions& questions);

// True when `path` names an existing folder (a link to one counts).
bool IsExistingFolder(const std::string& path);

// How the folder page's adds reach the descriptor: the window program routes them
// through its controller, which also updates the status line. Answers as AddInclude or
// AddExclude. Empty: AddInclude / AddExclude on the descriptor itself.
using FolderAdder = std::function<int(const std::string& path)>;

// The folder page's "add folder to search list": the path must be an existing folder
// (else kFolderNotAFolder, and nothing is asked); a refusal is explained to the user.
int AddIncludeFolder(DataNode* descriptor, const std::string& path, Questions& questions,
                     const FolderAdder& add = {});
// The folder page's "add folder to exclusion list": the path must be an existing
// folder below `selectedInclude` (the include entry selected on the page); otherwise
// the user is told and nothing changes.
int AddExcludeFolder(DataNode* descriptor, const std::string& path,
                     const std::string& selectedInclude, Questions& questions,
                     const FolderAdder& add = {});

// Answers whether `path` is a link: 0 no link, 1 a link whose target went to `target`,
// -1 a link that leads nowhere.
using LinkResolver = std::function<int(const std::string& path, std::string* target)>;

// The folders that items dropped onto the folder page stand for, in order: a folder
// stands for itself and a file for the folder holding it. When exactly one item is
// dropped and it is a link, its target is taken instead, and a link that leads nowhere
// gives nothing. Items that do not exist are passed on as they are (they will be
// refused as no folder).
std::vector<std::string> FoldersOfDrop(const std::vector<std::string>& items,
                                       const LinkResolver& resolveLink);

}  // namespace tf
