#include "duplicates/duplicate_key.h"

#include "base/text_fold.h"

namespace tf {

namespace {

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Number of characters of `text` up to a limit; stops counting once `limit` is reached.
size_t countCharacters(std::string_view text, size_t limit) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size() && count < limit; ++count)
    pos += Utf8CharLength(text, pos);
  return count;
}

}  // namespace

size_t Utf8CharLength(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  size_t length = 1;
  // The range the second byte must lie in: narrower after some leads, so that overlong
  // forms, surrogates and values above U+10FFFF are not taken for characters.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 1 || pos + length > text.size()) return 1;
  const auto second = static_cast<unsigned char>(text[pos + 1]);
  if (second < low || second > high) return 1;
  for (size_t i = 2; i < length; ++i)
    if (!isContinuation(static_cast<unsigned char>(text[pos + i]))) return 1;
  return length;
}

size_t ExtensionStart(std::string_view name) {
  if (countCharacters(name, 3) < 3) return kNoExtension;
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return kNoExtension;
  return dot + 1;
}

namespace {

std::string firstSymbolsKey(std::string_view name, size_t symbols) {
  const size_t ext = ExtensionStart(name);
  size_t pos = 0;
  for (size_t copied = 0; copied < symbols && pos < name.size(); ++copied) {
    pos += Utf8CharLength(name, pos);
    if (pos == ext) return std::string(name);  // the copy reached the extension
  }
  std::string key(name.substr(0, pos));
  if (ext == kNoExtension) return key + '*';  // also when the whole name was copied
  if (name[pos - 1] != '.') {
    if (name[pos] != '.') key += '*';
    key += '.';
  }
  key.append(name.substr(ext));
  return key;
}

}  // namespace

std::string MakeDuplicateKey(std::string_view name, NameRule rule, int symbols) {
  switch (rule) {
    case NameRule::kExact:
      return std::string(name);
    case NameRule::kAnyExtension: {
      const size_t ext = ExtensionStart(name);
      const size_t stem = ext == kNoExtension ? name.size() : ext - 1;
      return std::string(name.substr(0, stem)) + ".*";
    }
    case NameRule::kFirstSymbols:
      return firstSymbolsKey(name, symbols > 0 ? static_cast<size_t>(symbols) : 1);
    case NameRule::kSimilar:
      break;  // keyed by CriteriaKey; alone, a name is only like itself
  }
  return std::string(name);
}

std::string GroupDescriptionOf(std::string_view key) {
  const size_t ext = ExtensionStart(key);
  if (ext == kNoExtension) return "?";
  if (!key.empty() && ext < key.size() && key.back() == '*') return "*";
  return FoldLower(key.substr(ext));
}

std::string GroupNameOf(std::string_view key) {
  const size_t ext = ExtensionStart(key);
  if (ext == kNoExtension) return std::string(key);
  return std::string(key.substr(0, ext)) + FoldLower(key.substr(ext));
}

}  // namespace tf
