// The main window's commands: their numbers, menu texts and keys, the menus that hold
// them, the state of each, the frame's size rule and the texts of start-up.
#pragma once

#include <string>
#include <vector>

#include "results/selection_rules.h"

namespace tf {

class AppShell;
class Questions;

constexpr int kCmdStartSearch = 32813;
constexpr int kCmdStopSearch = 32814;
constexpr int kCmdExit = 57665;
constexpr int kCmdExportResults = 32840;
constexpr int kCmdSaveResults = 32841;
constexpr int kCmdOpenResults = 32842;
// Splits the groups by the bytes their files hold.
constexpr int kCmdVerifyContents = 32900;
constexpr int kCmdRegisteredTools = 32815;
constexpr int kCmdOptions = 32774;
constexpr int kCmdMaskCollection = 32775;
// The mask collection shown read-only ("File Filters"), beside its editor.
constexpr int kCmdFileFilters = 32843;
constexpr int kCmdBuiltInMasks = 32806;
// The ignore list's entries ("Ignored groups..."), after "&Load masks".
constexpr int kCmdIgnoredGroups = 32860;
constexpr int kCmdHelp = 32777;
constexpr int kCmdAbout = 57664;
// The "&Select" menu: the selection helpers of the result lists.
constexpr int kCmdSelectAllButNewest = 32850;
constexpr int kCmdSelectAllButOldest = 32851;
constexpr int kCmdSelectAllButLargest = 32852;
constexpr int kCmdSelectAllButInFolder = 32853;
constexpr int kCmdSelectAllInFolder = 32854;
constexpr int kCmdSelectInvert = 32855;
constexpr int kCmdSelectClear = 32856;
constexpr int kCmdSelectAllButFirst = 32857;
// "&Undo ..." and "Action history..." of the "&Find" menu: the action journal.
constexpr int kCmdUndo = 32880;
constexpr int kCmdActionHistory = 32881;
// "&Load masks" items: kFirstLoadMasksCommand (40000) + index, up to this one.
constexpr int kLastLoadMasksCommand = 40100;

// One menu entry; a separator has id 0. `text` is shown as it stands, the part after
// '\t' as the key; `keys` is the key sequence in portable form ("Ctrl+S"), empty for none;
// `hint` says what the command does while the pointer rests on it.
struct MenuEntry {
  int id;
  const char* text;
  const char* keys;
  const char* hint = "";
};

struct MenuDefinition {
  const char* title;
  std::vector<MenuEntry> entries;
};

// "&Find", "&Settings", "&Help", in menu-bar order.
const std::vector<MenuDefinition>& MainMenus();
// "&Select", which the menu bar shows after "&Find" and the result lists' context menu
// holds; its commands are enabled while a finished result with groups is shown.
const MenuDefinition& SelectMenu();
// The helper a "&Select" command runs; false for other commands.
bool SelectRuleOf(int commandId, SelectRule* rule);
constexpr const char* kLoadMasksMenuText = "&Load masks";
// Where the "&Load masks" pop-up goes in the "&Settings" menu (separators count).
constexpr int kLoadMasksPosition = 8;

// kCommandEnabled or kCommandDisabled (bit 1) for a command of the main window: starting
// needs an include folder that exists, stopping a running search, exporting a finished
// result with at least one group.
int MainCommandState(AppShell& shell, int commandId);

// The frame's outer size and place: 800 x 594 when the caption is lower than 21 pixels,
// else 1060 x 748, each capped to the work area, centred in it.
struct FramePlacement {
  int x;
  int y;
  int width;
  int height;
};
FramePlacement PlaceFrame(int captionHeight, int areaX, int areaY, int areaWidth, int areaHeight);
// The least size of the frame's inside; the pages of the search column scroll in it.
constexpr int kFrameMinWidth = 560;
constexpr int kFrameMinHeight = 400;

constexpr const char* kProductName = "Twinfold";
constexpr const char* kSecondInstanceCaption = "Second instance of Twinfold";
// "<title> already running.\n Do you want to switch to the already running program?"
std::string SecondInstanceText(const std::string& programTitle);
// The text of the about box.
std::string AboutText(const std::string& programTitle, const std::string& version);

// The first of the candidates that is a file, else the first candidate (whose failure to
// open is then the viewer's to report); empty for no candidates.
std::string ChooseHelpIndex(const std::vector<std::string>& candidates);
// Opens the chosen help index with the desktop's viewer; a viewer that cannot be started
// is named in a message to `questions`. True when it was started.
bool OpenHelp(Questions& questions, const std::vector<std::string>& candidates);

}  // namespace tf
