#include "base/text_fold.h"

namespace tf {

namespace {

// Latin-1 letters sit in U+00C0..U+00DE (capitals) and U+00E0..U+00FE (small), encoded
// in UTF-8 as C3 80..C3 9E and C3 A0..C3 BE; U+00D7 and U+00F7 are signs, not letters.
template <bool kUpper>
std::string fold(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c < 0x80) {
      if (kUpper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
      if (!kUpper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < out.size()) {
      unsigned char d = static_cast<unsigned char>(out[i + 1]);
      if (kUpper && d >= 0xA0 && d <= 0xBE && d != 0xB7) out[i + 1] = static_cast<char>(d - 0x20);
      if (!kUpper && d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
      ++i;
    }
  }
  return out;
}

}  // namespace

std::string FoldUpper(std::string_view text) {
  return fold<true>(text);
}
std::string FoldLower(std::string_view text) {
  return fold<false>(text);
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  return FoldUpper(a).compare(FoldUpper(b));
}

}  // namespace tf
