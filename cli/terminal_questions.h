// TerminalQuestions: the questions of the backup commands, answered on the terminal,
// or refused when there is no one to answer them.
#pragma once

#include <cstdio>
#include <string>

#include "base/questions.h"

namespace tf {

class TerminalQuestions : public Questions {
 public:
  // `interactive`: whether `in` is a terminal a person types into. Without one every
  // question gets the answer that changes nothing (No, Cancel).
  TerminalQuestions(std::FILE* in, std::FILE* out, bool interactive)
      : m_in(in), m_out(out), m_interactive(interactive) {}

  int ShowMessage(const std::string& text, const char* caption, int buttonSet) override;
  bool ChooseFolder(const std::string& start, const std::string& prompt, std::string* out) override;
  bool ChooseFileToOpen(const std::string& filterName, const std::string& filterPattern,
                        const std::string& title, const std::string& initialFolder,
                        std::string* out) override;
  bool ChooseFileToSave(const std::string& filterName, const std::string& filterPattern,
                        const std::string& defaultExtension, const std::string& initialFolder,
                        const std::string& title, bool overwritePrompt,
                        std::string* inOut) override;

 private:
  bool readLine(std::string* line);

  std::FILE* m_in;
  std::FILE* m_out;
  bool m_interactive;
};

}  // namespace tf
