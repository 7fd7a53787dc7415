// Questions: how every layer below the windows asks the user something. The window
// program answers with its own dialogs, the command-line program on the terminal,
// and the tests with scripted replies.
#pragma once

#include <string>

namespace tf {

// The platform's standard result codes, which callers compare answers with.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Button sets of ShowMessage.
constexpr int MB_OK = 0;           // one "OK" button; answers IDCANCEL
constexpr int MB_OKCANCEL = 1;     // "OK", "Cancel"
constexpr int MB_YESNOCANCEL = 3;  // "Yes", "No", "Cancel"
constexpr int MB_YESNO = 4;        // "Yes", "No"
// Added to a set: its second button ("No" of MB_YESNO and MB_YESNOCANCEL, "Cancel" of
// MB_OKCANCEL) is the default, the one Enter presses, instead of the first. For questions
// whose "Yes" cannot be undone.
constexpr int MB_DEFBUTTON2 = 0x100;

// The button set without the default-button choice.
constexpr int ButtonsOf(int buttonSet) {
  return buttonSet & 0xFF;
}
// True when the second button of the set is the default.
constexpr bool SecondButtonIsDefault(int buttonSet) {
  return (buttonSet & MB_DEFBUTTON2) != 0;
}

class Questions {
 public:
  virtual ~Questions() = default;

  // Shows `text` (already prepared, see PrepareMessageText) with `caption` (null: the
  // program's title) and a button set; returns the result code of the button pressed,
  // or 0 for an empty text.
  virtual int ShowMessage(const std::string& text, const char* caption, int buttonSet) = 0;

  // Folder chooser: `start` may be empty, `prompt` empty means "Choose a folder".
  // True with the chosen path in `out`.
  virtual bool ChooseFolder(const std::string& start, const std::string& prompt,
                            std::string* out) = 0;

  // Open-file chooser with one filter (name and pattern, may be empty) and "All files".
  virtual bool ChooseFileToOpen(const std::string& filterName, const std::string& filterPattern,
                                const std::string& title, const std::string& initialFolder,
                                std::string* out) = 0;

  // Save-file chooser; `inOut` proposes a name and receives the chosen one.
  virtual bool ChooseFileToSave(const std::string& filterName, const std::string& filterPattern,
                                const std::string& defaultExtension,
                                const std::string& initialFolder, const std::string& title,
                                bool overwritePrompt, std::string* inOut) = 0;

  // Chooser of a program to run: programs here carry no extension, so the window program
  // offers the files with an execute bit (and every file). Without such a filter it is
  // the open-file chooser.
  virtual bool ChooseProgram(const std::string& title, const std::string& initialFolder,
                             std::string* out) {
    return ChooseFileToOpen(std::string(), std::string(), title, initialFolder, out);
  }
};

}  // namespace tf
