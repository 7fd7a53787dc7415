// The program keeps texts and paths as UTF-8 bytes in std::string; Qt wants QString. One
// conversion each way for every widget, keeping the length so that a text with a NUL byte
// is not cut short. Bytes that are not UTF-8 show as replacement characters (as the file
// dialogs show such names); a path that went through QString goes back to its bytes only
// through ChosenPathBytes, never through TextBytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace tf {

inline QString QtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
// A literal, or null for no text.
inline QString QtText(const char* text) {
  return text ? QtText(std::string_view(text)) : QString();
}
inline QString QtText(const std::string& text) {
  return QtText(std::string_view(text));
}

// What the user typed, as the program keeps it.
inline std::string TextBytes(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
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
