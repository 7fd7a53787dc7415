#include "results/preview_text.h"

#include <cstdint>

namespace tf {
namespace {

// How much of the start is examined for binary data.
constexpr size_t kSniffBytes = 8192;

void appendCodePoint(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Length of the valid UTF-8 sequence at `i`, 0 when it is invalid, -1 when it is cut off
// by the end of the bytes.
int utf8SequenceAt(std::string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return 1;
  int length = 0;
  uint32_t cp = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    cp = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    cp = b & 0x07;
  } else {
    return 0;
  }
  for (int k = 1; k < length; ++k) {
    if (i + static_cast<size_t>(k) >= s.size()) return -1;
    const auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return length;
}

// The length of the valid UTF-8 prefix when all of `s` is valid (a sequence cut off at
// the very end is allowed when `cut`); npos otherwise.
size_t validUtf8Length(std::string_view s, bool cut) {
  size_t i = 0;
  while (i < s.size()) {
    const int length = utf8SequenceAt(s, i);
    if (length == -1 && cut) return i;
    if (length <= 0) return std::string_view::npos;
    i += static_cast<size_t>(length);
  }
  return i;
}

bool looksBinary(std::string_view s) {
  const std::string_view head = s.substr(0, kSniffBytes);
  size_t controls = 0;
  for (const char ch : head) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == 0) return true;
    if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1B) ++controls;
  }
  return controls * 10 > head.size();  // more than one byte in ten
}

std::string fromUtf16(std::string_view s, bool bigEndian) {
  std::string out;
  out.reserve(s.size());
  const size_t units = s.size() / 2;  // an odd last byte is a cut character
  for (size_t u = 0; u < units; ++u) {
    auto unitAt = [&](size_t k) {
      const auto a = static_cast<unsigned char>(s[2 * k]);
      const auto b = static_cast<unsigned char>(s[2 * k + 1]);
      return bigEndian ? static_cast<uint32_t>(a << 8 | b) : static_cast<uint32_t>(b << 8 | a);
    };
    uint32_t cp = unitAt(u);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (u + 1 >= units) break;  // the pair's second half was cut off
      const uint32_t low = unitAt(u + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++u;
      } else {
        cp = 0xFFFD;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    appendCodePoint(cp, &out);
  }
  return out;
}

}  // namespace

PreviewText DecodePreviewText(std::string_view bytes, bool cut) {
  PreviewText text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text.encoding = TextEncoding::kUtf16LittleEndian;
    text.utf8 = fromUtf16(bytes.substr(2), false);
    return text;
  }
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
      static_cast<unsigned char>(bytes[1]) == 0xFF) {
    text.encoding = TextEncoding::kUtf16BigEndian;
    text.utf8 = fromUtf16(bytes.substr(2), true);
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (looksBinary(bytes)) {
    text.encoding = TextEncoding::kBinary;
    return text;
  }
  const size_t valid = validUtf8Length(bytes, cut);
  if (valid != std::string_view::npos) {
    text.utf8.assign(bytes.substr(0, valid));
    return text;
  }
  text.encoding = TextEncoding::kLatin1;
  text.utf8.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) appendCodePoint(static_cast<unsigned char>(ch), &text.utf8);
  return text;
}

const char* EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return "UTF-8";
    case TextEncoding::kUtf16LittleEndian:
    case TextEncoding::kUtf16BigEndian:
      return "UTF-16";
    case TextEncoding::kLatin1:
      return "Latin-1";
    case TextEncoding::kBinary:
      break;
  }
  return "binary";
}

}  // namespace tf
