#include "cli/terminal_questions.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace tf {
namespace {

// The answers offered; the default one, which an empty line gives, in capitals.
const char* choicesOf(int buttonSet) {
  const bool second = SecondButtonIsDefault(buttonSet);
  switch (ButtonsOf(buttonSet)) {
    case MB_OKCANCEL:
      return second ? "[o]k/[C]ANCEL" : "[o]k/[c]ancel";
    case MB_YESNOCANCEL:
      return second ? "[y]es/[N]O/[c]ancel" : "[y]es/[n]o/[c]ancel";
    case MB_YESNO:
      return second ? "[y]es/[N]O" : "[y]es/[n]o";
    default:
      return nullptr;
  }
}

// The answer that leaves everything as it is.
int refusal(int buttonSet) {
  return ButtonsOf(buttonSet) == MB_YESNO ? IDNO : IDCANCEL;
}

// The answer an empty line gives: only a set with a default second button has one.
int defaultAnswer(int buttonSet) {
  if (!SecondButtonIsDefault(buttonSet)) return 0;
  return ButtonsOf(buttonSet) == MB_OKCANCEL ? IDCANCEL : IDNO;
}

int answerOf(char c, int buttonSet) {
  buttonSet = ButtonsOf(buttonSet);
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (buttonSet == MB_OKCANCEL) return c == 'o' ? IDOK : (c == 'c' ? IDCANCEL : 0);
  if (c == 'y') return IDYES;
  if (c == 'n') return IDNO;
  if (c == 'c' && buttonSet == MB_YESNOCANCEL) return IDCANCEL;
  return 0;
}

// The message as the terminal may show it: a file name in it must not send escape
// sequences, so control characters other than the message's own line breaks and tabs
// are written as \xHH.
std::string shownText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7f) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace

bool TerminalQuestions::readLine(std::string* line) {
  line->clear();
  for (int c; (c = std::fgetc(m_in)) != EOF;) {
    if (c == '\n') return true;
    line->push_back(static_cast<char>(c));
  }
  return !line->empty();
}

int TerminalQuestions::ShowMessage(const std::string& text, const char* caption, int buttonSet) {
  if (text.empty()) return 0;
  std::fprintf(m_out, "%s: %s\n", caption ? caption : "Twinfold", shownText(text).c_str());
  const char* choices = choicesOf(buttonSet);
  if (!choices) return IDCANCEL;  // a plain message: its one button answers Cancel
  if (!m_interactive) {
    std::fprintf(m_out, "(no terminal to answer on: taken as %s)\n",
                 refusal(buttonSet) == IDNO ? "No" : "Cancel");
    return refusal(buttonSet);
  }
  for (std::string line;;) {
    std::fprintf(m_out, "%s? ", choices);
    std::fflush(m_out);
    if (!readLine(&line)) return refusal(buttonSet);
    int answer = line.empty() ? defaultAnswer(buttonSet) : answerOf(line[0], buttonSet);
    if (answer) return answer;
  }
}

bool TerminalQuestions::ChooseFolder(const std::string&, const std::string&, std::string*) {
  return false;
}

bool TerminalQuestions::ChooseFileToOpen(const std::string&, const std::string&, const std::string&,
                                         const std::string&, std::string*) {
  return false;
}

bool TerminalQuestions::ChooseFileToSave(const std::string&, const std::string&, const std::string&,
                                         const std::string&, const std::string&, bool,
                                         std::string*) {
  return false;
}

}  // namespace tf
