#include "results/json_reader.h"

#include <cstdint>

namespace tf {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(std::string* out, uint32_t code) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | (code >> 6));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | (code >> 12));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (code >> 18));
    *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

bool JsonCursor::Fail(const std::string& why) {
  if (m_error.empty()) m_error = why + " at byte " + std::to_string(m_at);
  return false;
}

void JsonCursor::skipSpace() {
  while (m_at < m_text.size()) {
    const char c = m_text[m_at];
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return;
    ++m_at;
  }
}

bool JsonCursor::NextIs(char c) {
  skipSpace();
  return !Failed() && m_at < m_text.size() && m_text[m_at] == c;
}

bool JsonCursor::Consume(char c) {
  if (!NextIs(c)) return Fail(std::string("expected '") + c + "'");
  ++m_at;
  return true;
}

bool JsonCursor::More(char close, bool* first) {
  if (Failed()) return false;
  if (*first) {
    *first = false;
    if (!NextIs(close)) return true;
    ++m_at;
    return false;
  }
  if (NextIs(',')) {
    ++m_at;
    return !NextIs(close) || Fail("a comma before the end");
  }
  Consume(close);
  return false;
}

bool JsonCursor::Key(std::string* out) {
  return String(out) && Consume(':');
}

bool JsonCursor::String(std::string* out) {
  out->clear();
  if (!Consume('"')) return false;
  while (m_at < m_text.size()) {
    // Copy the plain run at once: most texts hold no escape at all.
    size_t end = m_at;
    while (end < m_text.size() && m_text[end] != '"' && m_text[end] != '\\' &&
           static_cast<unsigned char>(m_text[end]) >= 0x20)
      ++end;
    out->append(m_text.substr(m_at, end - m_at));
    m_at = end;
    if (m_at >= m_text.size()) break;
    const char c = m_text[m_at++];
    if (c == '"') return true;
    if (c != '\\') return Fail("a control character in a string");
    if (m_at >= m_text.size()) break;
    const char e = m_text[m_at++];
    switch (e) {
      case '"':
      case '\\':
      case '/':
        *out += e;
        break;
      case 'b':
        *out += '\b';
        break;
      case 'f':
        *out += '\f';
        break;
      case 'n':
        *out += '\n';
        break;
      case 'r':
        *out += '\r';
        break;
      case 't':
        *out += '\t';
        break;
      case 'u': {
        auto unit = [&](uint32_t* value) {
          if (m_at + 4 > m_text.size()) return false;
          *value = 0;
          for (int i = 0; i < 4; ++i) {
            const int d = hexDigit(m_text[m_at + i]);
            if (d < 0) return false;
            *value = *value * 16 + static_cast<uint32_t>(d);
          }
          m_at += 4;
          return true;
        };
        uint32_t code = 0;
        if (!unit(&code)) return Fail("a bad \\u escape");
        if (code >= 0xD800 && code <= 0xDBFF && m_text.substr(m_at, 2) == "\\u") {
          const size_t mark = m_at;
          m_at += 2;
          uint32_t low = 0;
          if (unit(&low) && low >= 0xDC00 && low <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          else
            m_at = mark;
        }
        if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
        appendUtf8(out, code);
        break;
      }
      default:
        return Fail("a bad escape");
    }
  }
  return Fail("an unfinished string");
}

bool JsonCursor::Integer(int64_t* out) {
  skipSpace();
  if (Failed()) return false;
  const size_t start = m_at;
  const bool negative = m_at < m_text.size() && m_text[m_at] == '-';
  if (negative) ++m_at;
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  size_t digits = 0;
  while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
    const uint64_t d = static_cast<uint64_t>(m_text[m_at] - '0');
    if (value > (limit - d) / 10) return Fail("a number out of range");
    value = value * 10 + d;
    ++m_at;
    ++digits;
  }
  if (digits == 0 || (digits > 1 && m_text[start + (negative ? 1 : 0)] == '0'))
    return Fail("expected an integer");
  if (m_at < m_text.size() && (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E'))
    return Fail("expected an integer");
  *out = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
  return true;
}

bool JsonCursor::literal(std::string_view word) {
  if (m_text.substr(m_at, word.size()) != word) return Fail("an unknown word");
  m_at += word.size();
  return true;
}

bool JsonCursor::Bool(bool* out) {
  skipSpace();
  if (Failed()) return false;
  if (m_text.substr(m_at, 4) == "true") {
    *out = true;
    return literal("true");
  }
  *out = false;
  return literal("false");
}

bool JsonCursor::Skip() {
  return skipValue(0);
}

bool JsonCursor::skipValue(int depth) {
  skipSpace();
  if (Failed()) return false;
  if (m_at >= m_text.size()) return Fail("expected a value");
  const char c = m_text[m_at];
  if (c == '{' || c == '[') {
    if (depth >= kMaxJsonDepth) return Fail("values nested too deep");
    ++m_at;
    const char close = c == '{' ? '}' : ']';
    std::string key;
    for (bool first = true; More(close, &first);)
      if ((c == '{' && !Key(&key)) || !skipValue(depth + 1)) return false;
    return !Failed();
  }
  if (c == '"') {
    std::string text;
    return String(&text);
  }
  if (c == 't' || c == 'f') {
    bool flag = false;
    return Bool(&flag);
  }
  if (c == 'n') return literal("null");
  // A number: JSON's grammar, checked loosely; the results never hold fractions.
  const size_t start = m_at;
  if (m_text[m_at] == '-') ++m_at;
  while (m_at < m_text.size() &&
         ((m_text[m_at] >= '0' && m_text[m_at] <= '9') || m_text[m_at] == '.' ||
          m_text[m_at] == 'e' || m_text[m_at] == 'E' || m_text[m_at] == '+' || m_text[m_at] == '-'))
    ++m_at;
  if (m_at == start || (m_at == start + 1 && m_text[start] == '-')) return Fail("expected a value");
  return true;
}

bool JsonCursor::AtEnd() {
  skipSpace();
  return m_at == m_text.size();
}

}  // namespace tf
