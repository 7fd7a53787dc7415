#include "platform/unicode_text.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace tf {

namespace {

bool isAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

bool IsWellFormedUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  if (text.size() != static_cast<size_t>(length)) return false;
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::string ComparableText(std::string_view text, bool normalize, bool fold) {
  if (!normalize && !fold) return std::string(text);
  // Most names are plain ASCII: already composed, and folding is lower-casing.
  if (isAscii(text)) {
    std::string out(text);
    if (fold)
      for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  }
  if (!IsWellFormedUtf8(text)) return std::string(text);
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  if (normalize) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || !nfc) return std::string(text);
    icu::UnicodeString composed = nfc->normalize(unicode, status);
    if (U_FAILURE(status)) return std::string(text);
    unicode = composed;
  }
  if (fold) unicode.foldCase(U_FOLD_CASE_DEFAULT);
  std::string out;
  unicode.toUTF8String(out);
  return out;
}

std::vector<char32_t> CodePointsOf(std::string_view text) {
  std::vector<char32_t> points;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  if (text.size() != static_cast<size_t>(length)) return {};
  points.reserve(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return {};
    points.push_back(static_cast<char32_t>(c));
  }
  return points;
}

}  // namespace tf
