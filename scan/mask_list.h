// MaskList: up to 100 compiled file masks (such as "*.doc", "~*.*", "report<0-9>.txt")
// and the test of a file name against them, ignoring case.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tf {

// A file name decoded into characters, folded to capitals (ASCII and Latin-1 letters)
// and split into name part and extension by the extension rule: a name shorter than 3
// characters has no extension; otherwise the extension follows the last '.', unless
// that dot is the first character; a name without a dot has none; a name ending in a
// dot has an empty one. Bytes that are not valid UTF-8 are kept as characters of
// their own, so such names still match byte for byte. The buffer is reused: assigning
// a name allocates only when it is longer than every name before.
class FoldedName {
 public:
  void Assign(std::string_view name);

  const uint32_t* NameBegin() const { return m_chars.data(); }
  size_t NameSize() const { return m_nameSize; }
  bool HasExtension() const { return m_hasExtension; }
  const uint32_t* ExtBegin() const {
    return m_chars.data() + m_nameSize + (m_hasExtension ? 1 : 0);
  }
  size_t ExtSize() const { return m_hasExtension ? m_chars.size() - m_nameSize - 1 : 0; }

 private:
  std::vector<uint32_t> m_chars;
  size_t m_nameSize = 0;
  bool m_hasExtension = false;
};

// Appends the characters of `text` to `out`, folded to capitals when `fold` is set. A
// byte that does not begin a valid UTF-8 sequence becomes kRawByte + its value.
constexpr uint32_t kRawByte = 0x110000;
void AppendChars(std::string_view text, bool fold, std::vector<uint32_t>* out);

class MaskList {
 public:
  static constexpr int kMaxMasks = 100;

  // Compiles one mask. False when the list is full. An empty mask is kept and matches
  // nothing. A mask without extension ("readme") takes any extension; "a." takes only
  // names without extension or with an empty one.
  bool Add(std::string_view mask);
  void Clear() { m_masks.clear(); }
  int Count() const { return static_cast<int>(m_masks.size()); }

  // True when some mask matches, tried in order.
  bool Match(std::string_view fileName);
  bool Match(const FoldedName& name) const;

 private:
  struct Element {
    enum Type : uint8_t { kChar, kOne, kStar, kSet } type;
    uint32_t value;  // the character (kChar) or the index of the set's first range (kSet)
    uint32_t count;  // number of ranges (kSet)
  };
  struct Pattern {
    enum Kind : uint8_t { kAny, kNoExtension, kLiteral, kWildcard } kind = kAny;
    std::vector<uint32_t> literal;
    std::vector<Element> elements;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;  // of the sets, inclusive
  };
  struct Mask {
    bool empty = false;
    Pattern name;
    Pattern ext;
  };

  static Pattern compile(const uint32_t* begin, const uint32_t* end);
  static void compileSet(const uint32_t* begin, const uint32_t* end, Pattern* p);
  static bool matchPart(const Pattern& p, const uint32_t* text, size_t size, bool present);
  static bool matchWildcard(const Pattern& p, const uint32_t* text, size_t size);

  std::vector<Mask> m_masks;
  FoldedName m_scratch;  // for Match(string_view)
};

}  // namespace tf
