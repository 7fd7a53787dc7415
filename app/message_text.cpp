#include "app/message_text.h"

#include "base/questions.h"

namespace tf {

int CountCharacters(const std::string& text) {
  int count = 0;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80           ? 1
                    : (c >> 5) == 0x6  ? 2
                    : (c >> 4) == 0xE  ? 3
                    : (c >> 3) == 0x1E ? 4
                                       : 1;
    // A lead byte whose continuation bytes are missing or wrong counts as one character.
    for (size_t k = 1; k < length; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        length = 1;
        break;
      }
    }
    i += length;
    ++count;
  }
  return count;
}

namespace {

// The longest line that ends with a line feed; the whole text when there is none.
int longestLine(const std::string& text) {
  size_t start = 0;
  int longest = -1;
  for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
    int length = CountCharacters(text.substr(start, lf - start));
    if (length > longest) longest = length;
    start = lf + 1;
  }
  return longest < 0 ? CountCharacters(text) : longest;
}

}  // namespace

std::string PrepareMessageText(const std::string& text) {
  if (text.empty()) return text;  // nothing is shown for it
  if (longestLine(text) >= kMessageCentreLimit) return text;
  size_t lf = text.find('\n');
  std::string firstLine = lf == std::string::npos ? text : text.substr(0, lf);
  int pad = kMessageColumns - CountCharacters(firstLine);
  // The first line sits in a field of its length plus the even part of the padding.
  std::string blanks(static_cast<size_t>(pad / 2), ' ');
  std::string out = blanks + firstLine + blanks;
  if (lf != std::string::npos) out += text.substr(lf);
  return out;
}

ButtonLayout LayoutForButtonSet(int buttonSet) {
  ButtonLayout layout;
  switch (ButtonsOf(buttonSet)) {
    case MB_OKCANCEL:
      layout.buttons = {{kMessageButtonFirst, "OK", IDOK, ""},
                        {kMessageButtonSecond, "Cancel", IDCANCEL, ""}};
      layout.closeResult = IDCANCEL;
      break;
    case MB_YESNOCANCEL:
      layout.buttons = {{kMessageButtonFirst, "Yes", IDYES, ""},
                        {kMessageButtonNo, "No", IDNO, ""},
                        {kMessageButtonSecond, "Cancel", IDCANCEL, ""}};
      layout.closeResult = IDCANCEL;
      break;
    case MB_YESNO:
      layout.buttons = {{kMessageButtonFirst, "Yes", IDYES, ""},
                        {kMessageButtonSecond, "No", IDNO, ""}};
      layout.closeResult = IDNO;
      break;
    default:
      layout.buttons = {{kMessageButtonSecond, "OK", IDCANCEL, "Close"}};
      layout.closeResult = IDCANCEL;
      break;
  }
  return layout;
}

int ResultOfButton(int buttonSet, int controlId) {
  for (const MessageButton& button : LayoutForButtonSet(buttonSet).buttons)
    if (button.controlId == controlId) return button.result;
  return 0;
}

}  // namespace tf
