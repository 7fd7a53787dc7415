// JsonCursor: a reader of JSON text that walks it in place, value by value, so that a
// file of a million entries is read without building a tree of it first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

// Arrays and objects nested deeper than this are refused: a hostile text cannot exhaust
// the stack of Skip.
constexpr int kMaxJsonDepth = 64;

class JsonCursor {
 public:
  explicit JsonCursor(std::string_view text) : m_text(text) {}

  // The first problem met, with the byte offset where it was met; empty while none.
  const std::string& Error() const { return m_error; }
  bool Failed() const { return !m_error.empty(); }
  // Records `why` (the first problem wins) and answers false.
  bool Fail(const std::string& why);

  // After white space: consumes `c`, or fails.
  bool Consume(char c);
  // After white space: whether the next byte is `c` (nothing is consumed).
  bool NextIs(char c);
  // Inside an object or array opened with Consume('{') or Consume('['): true when a
  // member or element follows (its comma consumed); false at the closing `close`
  // (consumed) or after a problem. `first` starts true and is kept by the call.
  bool More(char close, bool* first);
  // A member's name and its colon.
  bool Key(std::string* out);
  // A string value, escapes decoded to UTF-8 (a lone surrogate becomes U+FFFD).
  bool String(std::string* out);
  // An integer that fits 64 bits; a fraction or exponent is refused.
  bool Integer(int64_t* out);
  bool Bool(bool* out);
  // Any value, whatever it holds.
  bool Skip();
  // Only white space is left.
  bool AtEnd();
  size_t Offset() const { return m_at; }

 private:
  void skipSpace();
  bool skipValue(int depth);
  bool literal(std::string_view word);

  std::string_view m_text;
  size_t m_at = 0;
  std::string m_error;
};

}  // namespace tf
