// PreviewText: the first part of a file made into UTF-8 text for the text preview, with
// the encodings a user meets (UTF-8, UTF-16 with a byte order mark, Latin-1), and binary
// data recognised so that it is not shown as text.
#pragma once

#include <string>
#include <string_view>

namespace tf {

enum class TextEncoding { kUtf8, kUtf16LittleEndian, kUtf16BigEndian, kLatin1, kBinary };

struct PreviewText {
  TextEncoding encoding = TextEncoding::kUtf8;
  std::string utf8;  // empty for binary data
};

// Decodes `bytes`, the first part of a file (`cut`: the file goes on after them, so a
// character split at the end is dropped rather than taken for damage). A byte order mark
// decides first; then text that is valid UTF-8 is taken as such, else as Latin-1. Bytes
// with NULs or many control characters (and no UTF-16 mark) are binary data.
PreviewText DecodePreviewText(std::string_view bytes, bool cut);

// The name of an encoding as the preview's caption shows it ("UTF-8", "UTF-16", ...).
const char* EncodingName(TextEncoding encoding);

}  // namespace tf
