#include "ui/window/library_fonts.h"

#include <QStringList>

namespace tf {

namespace {

enum Style { kNormal, kBold, kItalic, kUnderlined };

struct FontSpec {
  const char* family;
  int pixelHeight;
  Style style;
};

constexpr FontSpec kFonts[kLibraryFontCount] = {
    {"Tahoma", 12, kNormal},        {"MS Sans Serif", 11, kNormal},     {"Tahoma", 11, kBold},
    {"MS Sans Serif", 10, kItalic}, {"Courier", 12, kNormal},           {"Tahoma", 10, kNormal},
    {"MS Sans Serif", 15, kNormal}, {"MS Sans Serif", 11, kUnderlined},
};

}  // namespace

QFont LibraryFont(int index) {
  if (index < 0 || index >= kLibraryFontCount) return QFont();
  const FontSpec& wanted = kFonts[index];
  const bool fixed = index == kFixedPitchFont;
  QFont font;
  // fontconfig resolves the generic names to whatever the desktop installed.
  font.setFamilies({QString::fromLatin1(wanted.family), fixed ? "monospace" : "sans-serif"});
  font.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif);
  font.setFixedPitch(fixed);
  font.setPixelSize(wanted.pixelHeight);
  font.setBold(wanted.style == kBold);
  font.setItalic(wanted.style == kItalic);
  font.setUnderline(wanted.style == kUnderlined);
  return font;
}

}  // namespace tf
