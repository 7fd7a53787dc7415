// Text helpers of the written results: UTF-8 validation, JSON string quoting and base64.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// Length of the well-formed UTF-8 sequence that starts at text[pos], or 0 when the byte
// there does not start one.
size_t Utf8SequenceLength(std::string_view text, size_t pos);
// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);
// `text` as a quoted JSON string: quotes, backslashes and control characters escaped, and
// each byte that is not part of a well-formed UTF-8 sequence replaced by U+FFFD.
std::string JsonQuoted(std::string_view text);
// Standard base64 (RFC 4648) with padding.
std::string Base64(std::string_view bytes);
// The bytes of standard base64 text (padding optional); false for any other character.
bool FromBase64(std::string_view text, std::string* out);
// Appends "name":"text" and, when the text is not valid UTF-8, "name_base64":"..." with
// its exact bytes after it.
void AppendJsonText(std::string* out, const char* name, std::string_view text);

}  // namespace tf
