// Unicode services for comparing file names: validity of UTF-8, normalisation form C,
// full case folding and code points. Names that are not valid UTF-8 are never changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tf {

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsWellFormedUtf8(std::string_view text);

// `text` in normalisation form C (composed), then, with `fold`, fully case-folded (ß and
// ss, Σ, σ and ς compare alike; the default folding, not the Turkish one). `normalize`
// false leaves the form as it is. Text that is not valid UTF-8 comes back unchanged, so
// that it compares as bytes; so does text the library cannot convert.
std::string ComparableText(std::string_view text, bool normalize, bool fold);

// The code points of valid UTF-8 `text`; empty for invalid text.
std::vector<char32_t> CodePointsOf(std::string_view text);

}  // namespace tf
