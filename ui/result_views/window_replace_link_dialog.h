// WindowReplaceLinkDialog: "Replace file by link to another file", where the user picks
// the file that the link replacing a duplicate will point to.
#pragma once

#include <string>
#include <vector>

#include "base/questions.h"
#include "results/replace_by_link.h"

class QWidget;

namespace tf {

class WindowReplaceLinkDialog : public ReplaceLinkDialog {
 public:
  // The dialog opens over `parent` (may be null); `questions` shows its message and its
  // file chooser.
  WindowReplaceLinkDialog(QWidget* parent, Questions& questions)
      : m_parent(parent), m_questions(questions) {}

  bool Ask(const std::string& fileToReplace, const std::vector<std::string>& candidates,
           int preselected, std::string* target) override;

 private:
  QWidget* m_parent;
  Questions& m_questions;
};

}  // namespace tf
