// Message text preparation and button layouts of ShowMessage, as plain functions shared
// by the window program's message box and the terminal answerer.
#pragma once

#include <string>
#include <vector>

namespace tf {

// Dialog control ids of the message box; callers compare answers with the IDxxx codes of
// platform/questions.h, never with these.
constexpr int kMessageButtonFirst = 1;   // "OK" / "Yes"
constexpr int kMessageButtonSecond = 2;  // "Cancel" / "No" / the lone "OK"
constexpr int kMessageButtonNo = 7;      // "No" of the three-button set

// A message is centred when all its lines are shorter than this many characters.
constexpr int kMessageCentreLimit = 76;
constexpr int kMessageColumns = 80;

// Characters of UTF-8 text, an invalid byte counting as one, so that centring does not
// shift names with accented letters.
int CountCharacters(const std::string& text);

// The text as the message box shows it: when every line that ends with a line feed (or
// the only line) is shorter than 76 characters, the first line is centred in 80 columns
// by blanks on both sides; otherwise the text is unchanged. Lines after the first are
// never touched.
std::string PrepareMessageText(const std::string& text);

struct MessageButton {
  int controlId = 0;
  std::string label;
  int result = 0;       // IDOK, IDCANCEL, IDYES or IDNO
  std::string toolTip;  // empty: none
};

// The visible buttons of a button set, left to right.
struct ButtonLayout {
  std::vector<MessageButton> buttons;
  // Answer when the box is closed without a button (Escape, the window's close box):
  // the same as pressing control 2.
  int closeResult = 0;
};

// Layout of MB_OKCANCEL, MB_YESNOCANCEL, MB_YESNO; any other set is the plain message
// with one "OK" button that answers IDCANCEL. MB_DEFBUTTON2 changes no button.
ButtonLayout LayoutForButtonSet(int buttonSet);

// The answer of pressing `controlId` in a box of `buttonSet`; 0 for a hidden control.
int ResultOfButton(int buttonSet, int controlId);

}  // namespace tf
