// Replace by link: the list views' action that replaces one copy of a duplicate by a
// symbolic link to another, the rules of its "Replace file by link to another file"
// dialog, and the links history it feeds.
#pragma once

#include <string>
#include <vector>

#include "base/questions.h"
#include "results/file_actions.h"
#include "results/links_history.h"

namespace tf {

constexpr const char* kOneFileToReplaceText = "You can replace only one selected file at a time.";
constexpr const char* kReplaceLinkTargetQuestion =
    "%s\nYou have just created a link to this file.\nAre you sure you want to replace it?";
constexpr const char* kReplaceLinkTargetCaption = "Replace file ?";
constexpr const char* kSameNamesText = "Choose different name for the \"link to\" file";
constexpr const char* kSameNamesCaption = "Error: The same names";
constexpr const char* kChooseLinkTargetTitle = "Choose file to link to";

// "Replace file by link to another file". The GUI implements it with the rules below;
// tests script it.
class ReplaceLinkDialog {
 public:
  virtual ~ReplaceLinkDialog() = default;
  // Shows the file to replace, the candidates ("Found duplicates", row `preselected`
  // selected, -1 for none) and an empty target box. True with the chosen target when
  // "Replace file" closed it; false for Cancel.
  virtual bool Ask(const std::string& fileToReplace, const std::vector<std::string>& candidates,
                   int preselected, std::string* target) = 0;
};

// The other files of the group, in tree order.
std::vector<std::string> LinkCandidates(DataNode* group, const std::string& path);
// The first candidate that begins with the suggestion (ignoring case), or -1.
int PreselectedCandidate(const std::vector<std::string>& candidates, const std::string& suggestion);
// Whether "Replace file" is enabled: the target names a file that can be read.
bool LinkTargetUsable(const std::string& target);
// "Replace file" pressed: true when the dialog may close with `target`. The same file
// as the one to replace shows kSameNamesText; a target that is no file keeps it open.
bool AcceptLinkTarget(const std::string& fileToReplace, const std::string& target,
                      Questions& questions);
// The filter of the "Browse" chooser: "<ext> file" and "*.<ext>", or "" and "*.*".
void LinkBrowseFilter(const std::string& fileToReplace, std::string* description,
                      std::string* pattern);
// Puts a symbolic link to `target` in place of `path`: the link is made under a
// temporary name beside the file, the file goes to the trash, then the link takes its
// name. When the trash step fails the link is removed and the file stays. True when
// the link is in place; otherwise `why` says what stood in the way.
bool ReplaceFileByLink(const std::string& path, const std::string& target, FileShell& shell,
                       std::string* why = nullptr);
constexpr const char* kNotReplacedCaption = "File not replaced";

// Before a link replaces `path`: true when `target` holds the same bytes (known from the
// verified `group` holding both, else compared now), or when the user answers "Yes" to
// linking files whose bytes differ or cannot be compared ("No" is the default).
constexpr const char* kDifferentBytesCaption = "Different contents";
bool AcceptDifferentBytes(const DataNode* group, const std::string& path, const std::string& target,
                          Questions& questions);

// The action: asks, replaces the one selected file and records its target in `history`.
// 1 when the link was made.
int ReplaceByLink(Selection& selection, LinksHistory& history, Questions& questions,
                  ReplaceLinkDialog& dialog, FileShell& shell, FileActions& actions);

}  // namespace tf
