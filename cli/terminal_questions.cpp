#include "cli/terminal_questions.h"

#include "cli/terminal_text.h"

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

// A question keeps its own line breaks; each line shows as any text on its way to the
// terminal does, so a file name in it can send no escape sequence.
std::string shownText(const std::string& text) {
  std::string shown;
  for (size_t start = 0;;) {
    const size_t end = text.find('\n', start);
    shown += TerminalText(
        std::string_view(text).substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return shown;
    shown += '\n';
    start = end + 1;
  }
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
