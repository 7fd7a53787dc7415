// GuiThreadQuestions: asks another Questions on the window's thread, whichever thread
// asks, so that file work running off that thread can still ask about a taken name.
#pragma once

#include <string>

#include "base/questions.h"

namespace tf {

class GuiThreadQuestions : public Questions {
 public:
  // `inner` must outlive this object; the window's thread must be running its event
  // loop (a long work's loop does) while another thread asks.
  explicit GuiThreadQuestions(Questions& inner) : m_inner(inner) {}

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
  Questions& m_inner;
};

}  // namespace tf
