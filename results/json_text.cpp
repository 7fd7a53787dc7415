#include "results/json_text.h"

#include <cstdint>
#include <cstdio>

namespace tf {

size_t Utf8SequenceLength(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(pos);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
  return length;
}

namespace {

void appendEscaped(std::string* out, char c) {
  switch (c) {
    case '"':
      *out += "\\\"";
      return;
    case '\\':
      *out += "\\\\";
      return;
    case '\b':
      *out += "\\b";
      return;
    case '\f':
      *out += "\\f";
      return;
    case '\n':
      *out += "\\n";
      return;
    case '\r':
      *out += "\\r";
      return;
    case '\t':
      *out += "\\t";
      return;
    default:
      break;
  }
  if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) {
    char code[8];
    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(static_cast<uint8_t>(c)));
    *out += code;
  } else {
    *out += c;
  }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string JsonQuoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
      ++pos;
    } else if (length == 1) {
      appendEscaped(&out, text[pos++]);
    } else {
      out.append(text.substr(pos, length));
      pos += length;
    }
  }
  out += '"';
  return out;
}

std::string Base64(std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    uint32_t chunk = static_cast<uint8_t>(bytes[i]) << 16;
    if (left > 1) chunk |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (left > 2) chunk |= static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[(chunk >> 18) & 63];
    out += kDigits[(chunk >> 12) & 63];
    out += left > 1 ? kDigits[(chunk >> 6) & 63] : '=';
    out += left > 2 ? kDigits[chunk & 63] : '=';
  }
  return out;
}

bool FromBase64(std::string_view text, std::string* out) {
  out->clear();
  uint32_t chunk = 0;
  int bits = 0;
  size_t end = text.size();
  while (end > 0 && text[end - 1] == '=') --end;
  for (size_t i = 0; i < end; ++i) {
    const char c = text[i];
    int value = -1;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    if (c >= '0' && c <= '9') value = c - '0' + 52;
    if (c == '+') value = 62;
    if (c == '/') value = 63;
    if (value < 0) return false;
    chunk = (chunk << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      *out += static_cast<char>((chunk >> bits) & 0xFF);
    }
  }
  return true;
}

void AppendJsonText(std::string* out, const char* name, std::string_view text) {
  *out += '"';
  *out += name;
  *out += "\":";
  *out += JsonQuoted(text);
  if (!IsValidUtf8(text)) {
    *out += ",\"";
    *out += name;
    *out += "_base64\":\"";
    *out += Base64(text);
    *out += '"';
  }
}

}  // namespace tf
