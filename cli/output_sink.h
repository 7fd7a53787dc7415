// OutputSink: the output stream of twinfold-cli, which stops at the first failed write and
// tells a reader that went away (a closed pipe) from any other failure.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "results/text_sink.h"

namespace tf {

class OutputSink : public TextSink {
 public:
  // Writes to `file` (not owned), or collects the text in memory when `file` is null.
  explicit OutputSink(std::FILE* file) : m_file(file) {}
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Nothing more is written once a write has failed; false from then on.
  bool Write(std::string_view text) override;
  // Flushes the stream; false when this or an earlier write failed.
  bool Finish();

  bool Failed() const override { return m_failed; }
  // The failure was a closed pipe: the reader has gone, which is not an error to report.
  bool ReaderGone() const { return m_readerGone; }
  // errno of the failure, 0 while none.
  int ErrorCode() const { return m_errorCode; }
  // The text collected by a sink without a file.
  const std::string& Collected() const { return m_collected; }

 private:
  void fail();

  std::FILE* m_file;
  std::string m_collected;
  bool m_failed = false;
  bool m_readerGone = false;
  int m_errorCode = 0;
};

}  // namespace tf
