// SilentQuestions: the answers of a program that runs unattended (a benchmark, a fuzz
// target): every message gets one fixed answer, every chooser is cancelled, and a message
// that was not expected can be written where someone will read it.
#pragma once

#include <cstdio>
#include <string>

#include "base/questions.h"

namespace tf {

class SilentQuestions : public Questions {
 public:
  // `report`: where each message text is written (null: nowhere).
  explicit SilentQuestions(int answer, std::FILE* report = nullptr)
      : m_answer(answer), m_report(report) {}

  int ShowMessage(const std::string& text, const char*, int) override {
    if (m_report) std::fprintf(m_report, "asked: %s\n", text.c_str());
    return m_answer;
  }
  bool ChooseFolder(const std::string&, const std::string&, std::string*) override { return false; }
  bool ChooseFileToOpen(const std::string&, const std::string&, const std::string&,
                        const std::string&, std::string*) override {
    return false;
  }
  bool ChooseFileToSave(const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&, bool, std::string*) override {
    return false;
  }

 private:
  int m_answer;
  std::FILE* m_report;
};

}  // namespace tf
