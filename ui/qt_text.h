// The program keeps texts as UTF-8 bytes in std::string; Qt wants QString. One conversion
// for every widget, keeping the length so that a text with a NUL byte is not cut short.
#pragma once

#include <QString>
#include <string>

namespace tf {

inline QString QtText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tf
