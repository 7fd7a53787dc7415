// The eight shared fonts of the window library, which dialogs refer to by index.
#pragma once

#include <QFont>

namespace tf {

constexpr int kLibraryFontCount = 8;
constexpr int kFixedPitchFont = 4;  // the "Courier" entry, for source text

// The font of `index` (0 to 7): the named family when installed, else the desktop's
// sans-serif or monospace family, at the table's pixel height and style.
QFont LibraryFont(int index);

}  // namespace tf
