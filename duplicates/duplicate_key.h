// Group keys: the text under which a file name is filed according to the name rule of
// the duplicate criteria, and the extension rule that the keys rest on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tf {

// How names are compared, as the index reads the "name" criterion.
enum class NameRule {
  kExact,         // the whole file name
  kAnyExtension,  // the name without its extension; extensions may differ
  kFirstSymbols,  // the first N characters and the extension
  kSimilar,       // names alike by edit distance, extensions equal (see SimilarNames)
};

constexpr size_t kNoExtension = std::string_view::npos;

// Byte length of the UTF-8 character that starts at `pos`; a byte that does not begin a
// complete, well-formed sequence (overlong forms and surrogates are not well formed)
// counts as a character of its own.
size_t Utf8CharLength(std::string_view text, size_t pos);

// Offset of the first byte of the extension, or kNoExtension. A text shorter than three
// characters has none; otherwise the extension follows the last dot, unless that dot is
// the first character; a text ending in a dot has an empty extension (offset = size).
size_t ExtensionStart(std::string_view name);

// The key of a file name. `symbols` is N for kFirstSymbols (5..10 in practice; any
// positive value works). Keys never end inside a character.
std::string MakeDuplicateKey(std::string_view name, NameRule rule, int symbols);

// The description a group gets from its key: the extension in lower case, "*" when the
// extension ends in '*', "?" when the key has no extension.
std::string GroupDescriptionOf(std::string_view key);

// The key with its extension lower-cased, as finished groups are named.
std::string GroupNameOf(std::string_view key);

}  // namespace tf
