// ScriptedQuestions: a Questions implementation for tests. Each question asked is
// recorded with its exact text, caption and button set, and answered from a queue of
// scripted replies (an unexpected question answers Cancel and is recorded too).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/questions.h"

namespace tf::testing {

struct AskedMessage {
  std::string text;
  std::string caption;  // "" for a null caption
  int buttonSet = 0;
};

// A scripted reply that presses Enter: the set's default button answers.
constexpr int kPressEnter = -1;

class ScriptedQuestions : public Questions {
 public:
  // Replies, used in order by ShowMessage (kPressEnter for the default button).
  std::deque<int> answers;
  // Results of the choosers, used in order; an empty string means "cancelled".
  std::deque<std::string> folders;
  std::deque<std::string> files;

  // When set, messages are recorded and then shown by it (the real dialogs) instead.
  Questions* showReally = nullptr;

  std::vector<AskedMessage> asked;
  std::vector<std::string> prompts;  // prompts/titles of the choosers, in order
  std::vector<std::string> starts;   // the folder each chooser started in, in order
  std::vector<std::string> filters;  // the filter name of each file chooser, in order

  int ShowMessage(const std::string& text, const char* caption, int buttonSet) override {
    if (text.empty()) return 0;
    asked.push_back({text, caption ? caption : "", buttonSet});
    if (showReally) return showReally->ShowMessage(text, caption, buttonSet);
    if (answers.empty()) return IDCANCEL;
    int a = answers.front();
    answers.pop_front();
    return a == kPressEnter ? defaultAnswer(buttonSet) : a;
  }

  bool ChooseFolder(const std::string& start, const std::string& prompt,
                    std::string* out) override {
    prompts.push_back(prompt);
    starts.push_back(start);
    return take(folders, out);
  }

  bool ChooseFileToOpen(const std::string& filterName, const std::string&, const std::string& title,
                        const std::string& start, std::string* out) override {
    prompts.push_back(title);
    starts.push_back(start);
    filters.push_back(filterName);
    return take(files, out);
  }

  bool ChooseFileToSave(const std::string& filterName, const std::string&, const std::string&,
                        const std::string& start, const std::string& title, bool,
                        std::string* inOut) override {
    prompts.push_back(title);
    starts.push_back(start);
    filters.push_back(filterName);
    return take(files, inOut);
  }

 private:
  static int defaultAnswer(int buttonSet) {
    const bool second = SecondButtonIsDefault(buttonSet);
    switch (ButtonsOf(buttonSet)) {
      case MB_OKCANCEL:
        return second ? IDCANCEL : IDOK;
      case MB_YESNOCANCEL:
      case MB_YESNO:
        return second ? IDNO : IDYES;
      default:
        return IDCANCEL;
    }
  }

  static bool take(std::deque<std::string>& queue, std::string* out) {
    if (queue.empty()) return false;
    std::string v = queue.front();
    queue.pop_front();
    if (v.empty()) return false;
    *out = v;
    return true;
  }
};

}  // namespace tf::testing
