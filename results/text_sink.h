// TextSink: where the written forms of a result (CSV, JSON, the HTML report) go. The
// command-line program streams them to its output; the window collects them in memory
// and saves the whole file at once.
#pragma once

#include <string>
#include <string_view>

namespace tf {

class TextSink {
 public:
  virtual ~TextSink() = default;
  // Nothing more is written once a write has failed; false from then on.
  virtual bool Write(std::string_view text) = 0;
  virtual bool Failed() const = 0;
};

// Collects the text in memory; it never fails.
class StringSink : public TextSink {
 public:
  bool Write(std::string_view text) override {
    m_text.append(text);
    return true;
  }
  bool Failed() const override { return false; }
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
};

}  // namespace tf
