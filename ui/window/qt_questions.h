// QtQuestions: the window program's answers to the core's questions: the message box and
// the folder and file choosers.
#pragma once

#include <string>

#include "base/questions.h"
#include "ui/window/message_box.h"

class QWidget;

namespace tf {

class QtQuestions : public Questions {
 public:
  // Dialogs open over `owner` (may be null); messages without a caption show
  // `programTitle`.
  explicit QtQuestions(QWidget* owner, std::string programTitle = kProgramTitle);

  int ShowMessage(const std::string& text, const char* caption, int buttonSet) override;
  bool ChooseFolder(const std::string& start, const std::string& prompt, std::string* out) override;
  bool ChooseFileToOpen(const std::string& filterName, const std::string& filterPattern,
                        const std::string& title, const std::string& initialFolder,
                        std::string* out) override;
  bool ChooseFileToSave(const std::string& filterName, const std::string& filterPattern,
                        const std::string& defaultExtension, const std::string& initialFolder,
                        const std::string& title, bool overwritePrompt,
                        std::string* inOut) override;
  bool ChooseProgram(const std::string& title, const std::string& initialFolder,
                     std::string* out) override;

 private:
  QWidget* m_owner;
  std::string m_programTitle;
};

}  // namespace tf
