#include "results/hash_cache.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "platform/standard_paths.h"
#include "platform/stored_file.h"

namespace tf {
namespace {

constexpr std::string_view kHeader = "twinfold-hashes 1\n";

void appendHex(std::string* out, const ContentHash& h) {
  static const char kDigits[] = "0123456789abcdef";
  for (const uint64_t part : {h.high, h.low})
    for (int shift = 60; shift >= 0; shift -= 4) out->push_back(kDigits[(part >> shift) & 15]);
}

bool parseHex(std::string_view text, ContentHash* out) {
  if (text.size() != 32) return false;
  uint64_t parts[2] = {0, 0};
  for (size_t i = 0; i < 32; ++i) {
    const char c = text[i];
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return false;
    parts[i / 16] = parts[i / 16] << 4 | static_cast<uint64_t>(digit);
  }
  out->high = parts[0];
  out->low = parts[1];
  return true;
}

template <typename Number>
bool parseNumber(std::string_view text, Number* out) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  size_t at = 0;
  while (at <= line.size()) {
    const size_t space = std::min(line.find(' ', at), line.size());
    out.push_back(line.substr(at, space - at));
    at = space + 1;
  }
  return out;
}

bool parseEntry(std::string_view line, ContentKey* key, CachedHashes* hashes) {
  const std::vector<std::string_view> f = fields(line);
  if (f.size() != 7) return false;
  if (!parseNumber(f[0], &key->device) || !parseNumber(f[1], &key->inode) ||
      !parseNumber(f[2], &key->size) || !parseNumber(f[3], &key->modifiedNs) ||
      !parseNumber(f[4], &key->changedNs) || key->size < 0 || !parseHex(f[5], &hashes->first))
    return false;
  hashes->hasFull = f[6] != "-";
  return !hashes->hasFull || parseHex(f[6], &hashes->full);
}

}  // namespace

std::string HashCache::DefaultPath() {
  return CacheHome() + "/twinfold/hashes";
}

bool HashCache::Load(const std::string& path, std::string* why) {
  m_path = path;
  m_entries.clear();
  m_clock = 0;
  std::string text;
  std::string error;
  if (!ReadStoredFile(path, &text, kMaxHashCacheBytes, &error)) {
    if (why) *why = error;
    return error == "does not exist";
  }
  return Parse(text, why);
}

bool HashCache::Parse(std::string_view text, std::string* why) {
  m_entries.clear();
  m_clock = 0;
  auto damaged = [this, why](const char* reason) {
    m_entries.clear();
    if (why) *why = reason;
    return false;
  };
  if (!text.starts_with(kHeader)) return damaged("not a hash cache");
  // The closing line holds the count and the hash of every byte before it.
  const size_t last = text.size() >= 2 ? text.rfind('\n', text.size() - 2) : std::string::npos;
  if (last == std::string::npos || text.back() != '\n') return damaged("cut off");
  const std::vector<std::string_view> end = fields(text.substr(last + 1, text.size() - last - 2));
  const std::string_view body = text.substr(0, last + 1);
  size_t count = 0;
  ContentHash sum;
  if (end.size() != 3 || end[0] != "end" || !parseNumber(end[1], &count) ||
      !parseHex(end[2], &sum) || !(HashBytes(body) == sum) || count > kMaxHashCacheEntries)
    return damaged("its checksum does not match");
  std::vector<std::pair<ContentKey, CachedHashes>> read;
  read.reserve(count);
  for (size_t at = kHeader.size(); at < body.size();) {
    const size_t newline = body.find('\n', at);
    ContentKey key;
    CachedHashes hashes;
    if (!parseEntry(body.substr(at, newline - at), &key, &hashes)) return damaged("a bad line");
    read.emplace_back(key, hashes);
    at = newline + 1;
  }
  if (read.size() != count) return damaged("its count does not match");
  // The file lists the most recent first.
  m_clock = read.size();
  for (size_t i = 0; i < read.size(); ++i)
    m_entries[read[i].first] = Entry{read[i].second, read.size() - i};
  return true;
}

bool HashCache::Find(const ContentKey& key, CachedHashes* out) {
  const auto found = m_entries.find(key);
  if (found == m_entries.end()) return false;
  found->second.used = ++m_clock;
  *out = found->second.hashes;
  return true;
}

void HashCache::Store(const ContentKey& key, const CachedHashes& hashes) {
  m_entries[key] = Entry{hashes, ++m_clock};
}

std::string HashCache::Text() const {
  std::vector<const std::pair<const ContentKey, Entry>*> order;
  order.reserve(m_entries.size());
  for (const auto& entry : m_entries) order.push_back(&entry);
  std::sort(order.begin(), order.end(),
            [](const auto* a, const auto* b) { return a->second.used > b->second.used; });
  if (order.size() > kMaxHashCacheEntries) order.resize(kMaxHashCacheEntries);
  std::string text(kHeader);
  for (const auto* entry : order) {
    const ContentKey& k = entry->first;
    const CachedHashes& h = entry->second.hashes;
    text += std::to_string(k.device) + ' ' + std::to_string(k.inode) + ' ' +
            std::to_string(k.size) + ' ' + std::to_string(k.modifiedNs) + ' ' +
            std::to_string(k.changedNs) + ' ';
    appendHex(&text, h.first);
    text += ' ';
    if (h.hasFull)
      appendHex(&text, h.full);
    else
      text += '-';
    text += '\n';
  }
  const ContentHash sum = HashBytes(text);
  text += "end " + std::to_string(order.size()) + ' ';
  appendHex(&text, sum);
  text += '\n';
  return text;
}

bool HashCache::Save(std::string* error) const {
  if (m_path.empty()) return false;
  return SaveStoredFile(m_path, Text(), error, true) == 1;
}

}  // namespace tf
