#include "cli/terminal_text.h"

#include "results/json_text.h"

namespace tf {
namespace {

void appendHex(std::string* out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  *out += "\\x";
  *out += kDigits[byte >> 4];
  *out += kDigits[byte & 15];
}

}  // namespace

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendTerminalText(text, &out);
  return out;
}

void AppendTerminalText(std::string_view text, std::string* out) {
  for (size_t pos = 0; pos < text.size();) {
    // Most names are plain printable ASCII: such a run is taken whole.
    size_t plain = pos;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '\\')
      ++plain;
    if (plain > pos) {
      out->append(text.substr(pos, plain - pos));
      pos = plain;
      if (pos == text.size()) break;
    }
    const auto byte = static_cast<unsigned char>(text[pos]);
    const size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) {
      appendHex(out, byte);
      ++pos;
      continue;
    }
    if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[pos + 1]) < 0xA0) {
      // U+0080..U+009F: a C1 control character.
      appendHex(out, byte);
      appendHex(out, static_cast<unsigned char>(text[pos + 1]));
    } else if (byte == '\\') {
      *out += "\\\\";
    } else if (byte == '\n') {
      *out += "\\n";
    } else if (byte == '\t') {
      *out += "\\t";
    } else if (byte == '\r') {
      *out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      appendHex(out, byte);
    } else {
      out->append(text.substr(pos, length));
    }
    pos += length;
  }
}

}  // namespace tf
