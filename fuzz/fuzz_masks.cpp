// Compiles any bytes as file masks and matches any bytes as file names, through a mask list
// and through a name filter node, and checks every answer against a slow matcher written
// here from the rules of the masks alone:
//   - a name splits into name part and extension: no extension below 3 characters, else
//     the text after the last dot unless that dot comes first;
//   - a mask splits the same way; a mask without extension that ends in '.' takes only a
//     missing or empty extension, any other mask without extension takes any extension;
//   - "*" alone takes anything, even a missing part; a text without '*', '?' or '<' is
//     compared whole, ignoring case; otherwise '*' takes any run, '?' one character,
//     "<...>" one character of the set ("a-z" a range; tried in both cases of the name's
//     character), anything else itself ignoring case; a missing extension takes only "*";
//   - characters are UTF-8; a byte that does not begin a valid character is a character
//     of its own; case is folded for ASCII and Latin-1 letters.
//
// Input: a first byte choosing the form of the rest; when it is odd, every further byte
// stands for one piece of a small alphabet (wildcards, separators, letters with their
// other case in ASCII and Latin-1, multi-byte and invalid sequences), so that masks and
// names that differ only in case meet often. The text is then: line 1 the include text,
// line 2 the exclude text (a leading '!' leaves it out of the node), every further line a
// file name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "datatree/data_node.h"
#include "scan/mask_list.h"
#include "scan/name_filter.h"

namespace {

using Chars = std::vector<uint32_t>;
constexpr uint32_t kByte = 0x200000;  // a raw byte, as a character of its own

Chars decode(std::string_view text) {
  Chars out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = s[i];
    size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    uint32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len > 0 && i + len <= text.size();
    for (size_t k = 1; ok && k < len; ++k) {
      ok = (s[i + k] & 0xC0) == 0x80;
      c = (c << 6) | (s[i + k] & 0x3F);
    }
    static const uint32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    ok = ok && c >= kShortest[len] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (ok) {
      out.push_back(c);
      i += len;
    } else {
      out.push_back(kByte + b);
      ++i;
    }
  }
  return out;
}

bool isLetterPair(uint32_t lower) {
  return (lower >= 'a' && lower <= 'z') || (lower >= 0xE0 && lower <= 0xFE && lower != 0xF7);
}
uint32_t upper(uint32_t c) {
  return isLetterPair(c) ? c - 0x20 : c;
}
uint32_t lower(uint32_t c) {
  return isLetterPair(c + 0x20) ? c + 0x20 : c;
}

// Index of the dot that begins the extension, or -1.
long extensionDot(const Chars& t) {
  if (t.size() < 3) return -1;
  for (size_t i = t.size(); i-- > 0;)
    if (t[i] == '.') return i == 0 ? -1 : static_cast<long>(i);
  return -1;
}

struct Token {
  enum { kStar, kOne, kChar, kSet } type;
  uint32_t c = 0;
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
};

std::vector<Token> tokens(const Chars& p) {
  std::vector<Token> out;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '*') {
      out.push_back({Token::kStar, 0, {}});
    } else if (p[i] == '?') {
      out.push_back({Token::kOne, 0, {}});
    } else if (p[i] == '<') {
      size_t close = i + 1;
      while (close < p.size() && p[close] != '>') ++close;
      if (close == p.size()) {
        out.push_back({Token::kChar, '<', {}});
        continue;
      }
      Token set{Token::kSet, 0, {}};
      for (size_t k = i + 1; k < close; ++k) {
        if (k + 2 < close && p[k + 1] == '-') {
          set.ranges.emplace_back(p[k], p[k + 2]);
          k += 2;
        } else {
          set.ranges.emplace_back(p[k], p[k]);
        }
      }
      out.push_back(set);
      i = close;
    } else {
      out.push_back({Token::kChar, p[i], {}});
    }
  }
  return out;
}

bool takes(const Token& t, uint32_t c) {
  if (t.type == Token::kOne) return true;
  if (t.type == Token::kChar) return upper(t.c) == upper(c);
  for (const auto& [lo, hi] : t.ranges)
    for (uint32_t v : {upper(c), lower(c)})
      if (v >= lo && v <= hi) return true;
  return false;
}

// Every way of matching, by table: can tokens [i..) take text [j..)?
bool wildcard(const std::vector<Token>& tok, const Chars& text) {
  const size_t n = tok.size(), m = text.size();
  std::vector<char> can((n + 1) * (m + 1), 0);
  auto at = [&](size_t i, size_t j) -> char& { return can[i * (m + 1) + j]; };
  at(n, m) = 1;
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m + 1; j-- > 0;) {
      if (tok[i].type == Token::kStar)
        at(i, j) = at(i + 1, j) || (j < m && at(i, j + 1));
      else
        at(i, j) = j < m && takes(tok[i], text[j]) && at(i + 1, j + 1);
    }
  }
  return at(0, 0);
}

bool partMatches(const Chars& pattern, const Chars& text, bool present) {
  if (pattern.size() == 1 && pattern[0] == '*') return true;
  bool wild = false;
  for (uint32_t c : pattern) wild = wild || c == '*' || c == '?' || c == '<';
  if (!present) return false;
  if (!wild) {
    if (pattern.size() != text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
      if (upper(pattern[i]) != upper(text[i])) return false;
    return true;
  }
  return wildcard(tokens(pattern), text);
}

bool slowMatch(std::string_view maskText, std::string_view nameText) {
  const Chars mask = decode(maskText);
  const Chars name = decode(nameText);
  if (mask.empty()) return false;
  const long dot = extensionDot(name);
  const Chars namePart(name.begin(), dot < 0 ? name.end() : name.begin() + dot);
  const Chars ext(dot < 0 ? name.end() : name.begin() + dot + 1, name.end());
  const bool hasExt = dot >= 0;
  const long maskDot = extensionDot(mask);
  if (maskDot > 0) {
    const Chars pat(mask.begin(), mask.begin() + maskDot);
    const Chars extPat(mask.begin() + maskDot + 1, mask.end());
    return partMatches(extPat, ext, hasExt) && partMatches(pat, namePart, true);
  }
  if (mask.back() == '.') {
    const Chars pat(mask.begin(), mask.end() - 1);
    return ext.empty() && partMatches(pat, namePart, true);
  }
  return partMatches(mask, namePart, true);
}

std::vector<std::string_view> split(std::string_view text, char at) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(at, start);
    if (end == std::string_view::npos) {
      out.push_back(text.substr(start));
      return out;
    }
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// The masks a filter text stands for: spaces dropped, ',' read as ';', at most 1023 bytes,
// a final ';' ending the list, at most 100 masks.
std::vector<std::string> filterMasks(std::string_view text) {
  std::string clean;
  for (char c : text) {
    if (clean.size() == 1023) break;
    if (c != ' ') clean.push_back(c == ',' ? ';' : c);
  }
  std::vector<std::string> masks;
  if (clean.empty()) return masks;
  for (std::string_view piece : split(clean, ';')) masks.emplace_back(piece);
  if (clean.back() == ';') masks.pop_back();
  return masks;
}

bool anyMatches(const std::vector<std::string>& masks, std::string_view name) {
  for (size_t i = 0; i < masks.size() && i < 100; ++i)
    if (slowMatch(masks[i], name)) return true;
  return false;
}

bool slowFilter(std::string_view include, bool hasExclude, std::string_view exclude,
                std::string_view name) {
  const std::vector<std::string> in = filterMasks(include.empty() ? "*.*" : include);
  bool all = in.empty();
  for (const std::string& m : in) all = all || m == "*.*" || m == "*";
  if (!all && !anyMatches(in, name)) return false;
  if (!hasExclude) return true;
  const std::vector<std::string> ex = filterMasks(exclude);
  if (ex.empty() || ex.front().empty()) return true;
  return !anyMatches(ex, name);
}

}  // namespace

const char* const kAlphabet[] = {
    "*",
    "?",
    "<",
    ">",
    "-",
    ".",
    ";",
    ",",
    " ",
    "\n",
    "a",
    "A",
    "z",
    "Z",
    "x",
    "X",
    "_",
    "[",
    "~",
    "0",
    "\xc3\xa9",
    "\xc3\x89",
    "\xc3\xbe",
    "\xc3\x9e",
    "\xc3\xbf",
    "\xc3\x9f",
    "\xc3\xb7",
    "\xc3\x97",
    "\xc3\xa0",
    "\xc3\x80",
    "\xe2\x82\xac",
    "\xff",
    "\xc3",
    "\xe2\x82",
    "\xed\xa0\x80",
    "\xc0\xaf",
    "*.*",
    "\x7f",
    "@",
    "`",
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  std::string text;
  if (data[0] & 1) {
    for (size_t i = 1; i < size; ++i) text += kAlphabet[data[i] % std::size(kAlphabet)];
  } else {
    text.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  }
  const std::string_view input = text;
  std::vector<std::string_view> lines = split(input, '\n');
  if (lines.size() < 2) return 0;
  // Node texts end at a NUL, as they do when read from a file.
  const std::string include(lines[0].substr(0, lines[0].find('\0')));
  std::string exclude(lines[1].substr(0, lines[1].find('\0')));
  const bool hasExclude = exclude.empty() || exclude[0] != '!';
  if (!hasExclude) exclude.erase(0, 1);

  // The raw masks of the include line, one by one, as a mask list holds them.
  tf::MaskList list;
  std::vector<std::string> raw;
  for (std::string_view piece : split(include, ';')) {
    if (list.Add(piece)) raw.emplace_back(piece);
  }

  tf::DataNode* node = tf::CreateNode(nullptr, "filter_name", tf::ATTACH_ROOT);
  if (!node) return 0;
  node->val = 1;
  node->attrs.Set("include", tf::AttrValue::FromString(include), 1);
  if (hasExclude) node->attrs.Set("exclude", tf::AttrValue::FromString(exclude), 1);
  tf::NameFilter filter;
  filter.Load(node);

  // Several names through the same objects: their buffers are reused between names.
  for (size_t i = 2; i < lines.size() && i < 18; ++i) {
    const std::string_view name = lines[i];
    bool expected = false;
    for (const std::string& mask : raw) expected = expected || slowMatch(mask, name);
    if (list.Match(name) != expected) std::abort();
    if (filter.MatchName(name) != slowFilter(include, hasExclude, exclude, name)) std::abort();
  }
  tf::DeleteNode(node);
  return 0;
}
