#include "cli/output_sink.h"

#include <cerrno>

namespace tf {

bool OutputSink::Write(std::string_view text) {
  if (m_failed) return false;
  if (!m_file) {
    m_collected.append(text);
    return true;
  }
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), m_file) != text.size()) fail();
  return !m_failed;
}

bool OutputSink::Finish() {
  if (!m_failed && m_file && std::fflush(m_file) != 0) fail();
  return !m_failed;
}

void OutputSink::fail() {
  m_failed = true;
  m_errorCode = errno;
  m_readerGone = m_errorCode == EPIPE;
}

}  // namespace tf
