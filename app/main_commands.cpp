#include "app/main_commands.h"

#include <algorithm>

#include "app/app_shell.h"
#include "app/journal_control.h"
#include "base/questions.h"
#include "platform/path_utils.h"
#include "platform/process_launcher.h"

namespace tf {

namespace {

constexpr int kEnabled = 0;
constexpr int kDisabled = 2;
constexpr int kSmallCaptionLimit = 21;

}  // namespace

const std::vector<MenuDefinition>& MainMenus() {
  static const std::vector<MenuDefinition> menus = {
      {"&Find",
       {{kCmdStartSearch, "&Start search\tCtrl+S", "Ctrl+S", "Search the chosen folders"},
        {kCmdStopSearch, "Sto&p search\tCtrl+P", "Ctrl+P", "Stop the running search"},
        {0, "", ""},
        {kCmdExportResults, "&Export results...", "",
         "Save the groups as an HTML report, CSV or JSON"},
        {kCmdSaveResults, "Sa&ve results...", "", "Save the result to a file to open later"},
        {kCmdOpenResults, "&Open results...", "", "Open a saved result and check its files"},
        {kCmdVerifyContents, "&Verify contents", "",
         "Read the files of every group and keep together only those with the same bytes"},
        {0, "", ""},
        {kCmdUndo, "&Undo\tCtrl+Z", "Ctrl+Z",
         "Take back the newest action on files: they return to their places"},
        {kCmdActionHistory, "Action &history...", "",
         "List the actions on files, newest first, and undo one"},
        {0, "", ""},
        {kCmdExit, "E&xit", "", "Quit the program"}}},
      {"&Settings",
       {{kCmdRegisteredTools, "Registered &tools...\tCtrl+T", "Ctrl+T", "Modify list of tools"},
        {0, "", ""},
        {kCmdOptions, "&Options...\tCtrl+I", "Ctrl+I", "Change the program options"},
        {0, "", ""},
        {kCmdMaskCollection, "&Mask collection...\tCtrl+M", "Ctrl+M",
         "Edit the mask collection the name filter offers"},
        {kCmdFileFilters, "&File filters...", "", "Show the groups of the mask collection"},
        {kCmdBuiltInMasks, "&Load built-in masks", "",
         "Replace the mask collection by the built-in one"},
        {0, "", ""},
        {0, "", ""},
        {kCmdIgnoredGroups, "&Ignored groups...", "",
         "List the groups marked as not duplicates, and show them again"}}},
      {"&Help",
       {{kCmdHelp, "&Help\tF1", "F1", "Open the manual"},
        {kCmdAbout, "&About...", "", "Show the program's version"}}},
  };
  return menus;
}

const MenuDefinition& SelectMenu() {
  static const MenuDefinition menu = {
      "S&elect",
      {{kCmdSelectAllButNewest, "All but the &newest", "",
        "In every group, select all files but the newest"},
       {kCmdSelectAllButOldest, "All but the &oldest", "",
        "In every group, select all files but the oldest"},
       {kCmdSelectAllButLargest, "All but the &largest", "",
        "In every group, select all files but the largest"},
       {kCmdSelectAllButFirst, "All but the fi&rst by name", "",
        "In every group, select all files but the first in name order"},
       {kCmdSelectAllButInFolder, "All but the one in a &folder...", "",
        "In every group, select all files but the one in a chosen folder"},
       {kCmdSelectAllInFolder, "All in a f&older...", "", "Select every file in a chosen folder"},
       {0, "", ""},
       {kCmdSelectInvert, "&Invert selection", "", "Select the files not selected, and no others"},
       {kCmdSelectClear, "&Clear selection", "", "Select no file"}}};
  return menu;
}

bool SelectRuleOf(int commandId, SelectRule* rule) {
  static constexpr SelectRule kRules[] = {SelectRule::kAllButNewest,  SelectRule::kAllButOldest,
                                          SelectRule::kAllButLargest, SelectRule::kAllButInFolder,
                                          SelectRule::kAllInFolder,   SelectRule::kInvert,
                                          SelectRule::kClear,         SelectRule::kAllButFirst};
  if (commandId < kCmdSelectAllButNewest || commandId > kCmdSelectAllButFirst) return false;
  *rule = kRules[commandId - kCmdSelectAllButNewest];
  return true;
}

int MainCommandState(AppShell& shell, int commandId) {
  SelectRule rule;
  // A result shown without the record of its search would be saved with a made-up one.
  if (commandId == kCmdSaveResults && shell.Search().UnrecordedResult()) return kDisabled;
  // The same condition: a result to work on, and no search changing it.
  if (SelectRuleOf(commandId, &rule) || commandId == kCmdSaveResults ||
      commandId == kCmdVerifyContents)
    commandId = kCmdExportResults;
  switch (commandId) {
    case kCmdStartSearch:
      return shell.Search().CanStart() ? kEnabled : kDisabled;
    case kCmdStopSearch:
      return shell.Search().CanStop() ? kEnabled : kDisabled;
    case kCmdOpenResults:
    case kCmdActionHistory:
      return shell.Search().CanStop() ? kDisabled : kEnabled;
    case kCmdIgnoredGroups:
      return shell.Ignored() ? kEnabled : kDisabled;
    case kCmdUndo:
      return !shell.Search().CanStop() && shell.Journal().Newest() ? kEnabled : kDisabled;
    case kCmdExportResults: {
      const DataNode* groups = shell.Search().GroupsRoot();
      return !shell.Search().CanStop() && groups && groups->FirstChild() ? kEnabled : kDisabled;
    }
    default:
      return kEnabled;
  }
}

FramePlacement PlaceFrame(int captionHeight, int areaX, int areaY, int areaWidth, int areaHeight) {
  const bool small = captionHeight < kSmallCaptionLimit;
  const int width = std::min(small ? 800 : 1060, areaWidth);
  const int height = std::min(small ? 594 : 748, areaHeight);
  return {areaX + areaWidth / 2 - width / 2, areaY + areaHeight / 2 - height / 2, width, height};
}

std::string SecondInstanceText(const std::string& programTitle) {
  return programTitle + " already running.\n Do you want to switch to the already running program?";
}

std::string AboutText(const std::string& programTitle, const std::string& version) {
  return programTitle + " " + version +
         "\n\nFinds duplicate and similar files by name, size and modification time.\n"
         "File contents are never read.";
}

std::string ChooseHelpIndex(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates)
    if (PathKind(path) == PATH_FILE) return path;
  return candidates.empty() ? std::string() : candidates.front();
}

bool OpenHelp(Questions& questions, const std::vector<std::string>& candidates) {
  const std::string index = ChooseHelpIndex(candidates);
  if (index.empty()) return false;
  LaunchFailure failure;
  if (OpenWithDefaultViewer(index, std::string(), false, &failure)) return true;
  ReportLaunchFailure(questions, "Cannot show the help \"" + index + "\".", failure);
  return false;
}

}  // namespace tf
