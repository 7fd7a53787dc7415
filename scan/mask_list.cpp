#include "scan/mask_list.h"

namespace tf {

namespace {

uint32_t foldUpper(uint32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  return c;
}

uint32_t foldLower(uint32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  return c;
}

// Decodes one character at s[0..n); returns the bytes used (at least 1).
size_t decodeOne(const unsigned char* s, size_t n, uint32_t* out) {
  const unsigned char b = s[0];
  *out = kRawByte + b;
  if (b < 0x80) {
    *out = b;
    return 1;
  }
  size_t len = 0;
  uint32_t c = 0, min = 0;
  if ((b & 0xE0) == 0xC0) {
    len = 2, c = b & 0x1F, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3, c = b & 0x0F, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4, c = b & 0x07, min = 0x10000;
  } else {
    return 1;
  }
  if (n < len) return 1;
  for (size_t i = 1; i < len; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 1;
    c = (c << 6) | (s[i] & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are bytes, not characters.
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 1;
  *out = c;
  return len;
}

// Where the extension begins by the extension rule: the index of its dot, or -1.
long extensionDot(const uint32_t* chars, size_t size) {
  if (size < 3) return -1;
  for (size_t i = size; i-- > 0;) {
    if (chars[i] == '.') return i == 0 ? -1 : static_cast<long>(i);
  }
  return -1;
}

bool isWild(uint32_t c) {
  return c == '*' || c == '?' || c == '<';
}

}  // namespace

void AppendChars(std::string_view text, bool fold, std::vector<uint32_t>* out) {
  // Never more characters than bytes: size once, write in place, trim at the end.
  const size_t start = out->size();
  out->resize(start + text.size());
  uint32_t* dest = out->data() + start;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = s + text.size();
  while (s != end) {
    uint32_t c = *s;
    if (c < 0x80) {
      ++s;
    } else {
      s += decodeOne(s, static_cast<size_t>(end - s), &c);
    }
    *dest++ = fold ? foldUpper(c) : c;
  }
  out->resize(static_cast<size_t>(dest - out->data()));
}

void FoldedName::Assign(std::string_view name) {
  m_chars.clear();
  AppendChars(name, true, &m_chars);
  long dot = extensionDot(m_chars.data(), m_chars.size());
  m_hasExtension = dot >= 0;
  m_nameSize = m_hasExtension ? static_cast<size_t>(dot) : m_chars.size();
}

bool MaskList::Add(std::string_view mask) {
  if (Count() >= kMaxMasks) return false;
  Mask m;
  std::vector<uint32_t> chars;
  AppendChars(mask, false, &chars);
  const uint32_t* b = chars.data();
  const size_t n = chars.size();
  long dot = extensionDot(b, n);
  if (n == 0) {
    m.empty = true;
  } else if (dot > 0) {
    m.ext = compile(b + dot + 1, b + n);
    m.name = compile(b, b + dot);
  } else if (b[n - 1] == '.') {
    // Only below 3 characters ("a.", "*."): names without an extension, or an empty one.
    m.ext.kind = Pattern::kNoExtension;
    m.name = compile(b, b + n - 1);
  } else {
    m.name = compile(b, b + n);
  }
  m_masks.push_back(std::move(m));
  return true;
}

MaskList::Pattern MaskList::compile(const uint32_t* begin, const uint32_t* end) {
  Pattern p;
  const size_t n = static_cast<size_t>(end - begin);
  if (n == 1 && begin[0] == '*') return p;
  bool wild = false;
  for (const uint32_t* c = begin; c != end; ++c) wild = wild || isWild(*c);
  if (!wild) {
    p.kind = Pattern::kLiteral;
    for (const uint32_t* c = begin; c != end; ++c) p.literal.push_back(foldUpper(*c));
    return p;
  }
  p.kind = Pattern::kWildcard;
  for (const uint32_t* c = begin; c != end; ++c) {
    if (*c == '*') {
      // A run of stars is one star: it keeps the backtracking linear in the stars.
      if (p.elements.empty() || p.elements.back().type != Element::kStar)
        p.elements.push_back({Element::kStar, 0, 0});
    } else if (*c == '?') {
      p.elements.push_back({Element::kOne, 0, 0});
    } else if (*c == '<') {
      const uint32_t* close = c + 1;
      while (close != end && *close != '>') ++close;
      if (close == end) {  // no closing bracket: the '<' stands for itself
        p.elements.push_back({Element::kChar, '<', 0});
        continue;
      }
      compileSet(c + 1, close, &p);
      c = close;
    } else {
      p.elements.push_back({Element::kChar, foldUpper(*c), 0});
    }
  }
  return p;
}

// The set's characters are kept as written; matching tries both cases of the name's
// character, so "<a-z>" and "<_-z>" keep their meaning whatever the case of the name.
void MaskList::compileSet(const uint32_t* begin, const uint32_t* end, Pattern* p) {
  Element e{Element::kSet, static_cast<uint32_t>(p->ranges.size()), 0};
  for (const uint32_t* c = begin; c != end; ++c) {
    if (c + 2 < end && c[1] == '-') {
      p->ranges.emplace_back(c[0], c[2]);
      c += 2;
    } else {
      p->ranges.emplace_back(c[0], c[0]);
    }
    ++e.count;
  }
  p->elements.push_back(e);
}

bool MaskList::Match(std::string_view fileName) {
  m_scratch.Assign(fileName);
  return Match(m_scratch);
}

bool MaskList::Match(const FoldedName& name) const {
  for (const Mask& m : m_masks) {
    if (m.empty) continue;
    if (!matchPart(m.ext, name.ExtBegin(), name.ExtSize(), name.HasExtension())) continue;
    if (matchPart(m.name, name.NameBegin(), name.NameSize(), true)) return true;
  }
  return false;
}

bool MaskList::matchPart(const Pattern& p, const uint32_t* text, size_t size, bool present) {
  switch (p.kind) {
    case Pattern::kAny:
      return true;
    case Pattern::kNoExtension:
      return size == 0;
    case Pattern::kLiteral:
      if (!present || size != p.literal.size()) return false;
      for (size_t i = 0; i < size; ++i)
        if (text[i] != p.literal[i]) return false;
      return true;
    case Pattern::kWildcard:
      return present && matchWildcard(p, text, size);
  }
  return false;
}

// Each element other than a star takes exactly one character, so on a mismatch it is
// enough to let the most recent star take one more character and retry from there.
bool MaskList::matchWildcard(const Pattern& p, const uint32_t* text, size_t size) {
  const std::vector<Element>& el = p.elements;
  auto takes = [&p](const Element& e, uint32_t c) {
    if (e.type == Element::kOne) return true;
    if (e.type == Element::kChar) return e.value == c;
    const uint32_t lower = foldLower(c);
    for (uint32_t i = e.value; i < e.value + e.count; ++i) {
      const auto& [lo, hi] = p.ranges[i];
      if ((c >= lo && c <= hi) || (lower >= lo && lower <= hi)) return true;
    }
    return false;
  };
  size_t t = 0, e = 0, starE = SIZE_MAX, starT = 0;
  while (t < size) {
    if (e < el.size() && el[e].type == Element::kStar) {
      starE = e++;
      starT = t;
    } else if (e < el.size() && takes(el[e], text[t])) {
      ++e, ++t;
    } else if (starE != SIZE_MAX) {
      e = starE + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (e < el.size() && el[e].type == Element::kStar) ++e;
  return e == el.size();
}

}  // namespace tf
