// Case folding of UTF-8 text for the comparisons the program makes for the user's
// sake (name searches, masks, sorting of lists): ASCII and Latin-1 letters fold,
// every other byte sequence, valid or not, is kept as it is.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// Upper-case copy: a-z and the Latin-1 letters U+00E0..U+00FE (but U+00F7) fold to
// their capitals; anything else is copied byte for byte.
std::string FoldUpper(std::string_view text);
// Lower-case copy, the mirror of FoldUpper.
std::string FoldLower(std::string_view text);
// <0, 0, >0 like strcmp, on the upper-case folds of both texts.
int CompareIgnoringCase(std::string_view a, std::string_view b);
inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

}  // namespace tf
