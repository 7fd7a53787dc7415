// The program keeps texts as UTF-8 bytes in std::string; Qt wants QString. One conversion
// for every widget, keeping the length so that a text with a NUL byte is not cut short.
#pragma once

#include <QString>
#include <string>

namespace tf {

inline QString QtText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A file name or path as a list shows it: a control character (a newline, a tab, ...)
// would break the row or hide what follows, so each shows as its visible picture
// (U+2400 and on), as the HTML report writes it.
inline QString ShownText(const std::string& text) {
  QString shown = QtText(text);
  for (QChar& c : shown) {
    const char16_t code = c.unicode();
    if (code < 0x20) c = QChar(char16_t(0x2400 + code));
    if (code == 0x7F) c = QChar(char16_t(0x2421));
  }
  return shown;
}

// A text taken from the user's data as a menu item: a '&' is shown, not taken for the
// item's accelerator.
inline QString MenuText(const std::string& text) {
  return ShownText(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace tf
