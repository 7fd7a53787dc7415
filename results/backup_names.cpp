#include "results/backup_names.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "base/text_fold.h"

namespace tf {
namespace {

bool endsWith(const std::string& text, const char* suffix) {
  size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

std::string StoredName(int64_t number, const std::string& originalName, bool compressed) {
  std::string name = std::to_string(number) + "." + originalName;
  if (compressed) name += kZippSuffix;
  return name;
}

std::string FittingName(int64_t number, const std::string& originalName) {
  // The trash keeps a record "<name>.trashinfo" of each file it takes, and numbers a name
  // it holds already: the descriptor's name leaves room for both, or the entry could never
  // be deleted.
  const size_t room = kMaxFileNameBytes - kTrashRoom - std::to_string(number).size() - 1 -
                      std::strlen(kDescriptorSuffix);
  if (originalName.size() <= room) return originalName;
  const size_t dot = originalName.rfind('.');
  std::string tail = "~";
  if (dot != std::string::npos && dot > 0 && originalName.size() - dot <= 16)
    tail += originalName.substr(dot);
  size_t end = room - tail.size();
  while (end > 0 && (static_cast<unsigned char>(originalName[end]) & 0xC0) == 0x80) --end;
  return originalName.substr(0, end) + tail;
}

bool IsCompressedName(const std::string& storedName) {
  return endsWith(storedName, kZippSuffix);
}

std::string OriginalNameOf(const std::string& storedName, bool compressed) {
  auto dot = storedName.find('.');
  std::string name = dot == std::string::npos ? std::string() : storedName.substr(dot + 1);
  if (compressed && IsCompressedName(name)) name.resize(name.size() - std::strlen(kZippSuffix));
  return name;
}

std::string DescriptorNameOf(const std::string& stored, bool compressed) {
  std::string base = stored;
  if (compressed && IsCompressedName(base)) base.resize(base.size() - std::strlen(kZippSuffix));
  return base + kDescriptorSuffix;
}

std::vector<BackupFiles> PairBackupFiles(const std::vector<std::string>& names) {
  const std::unordered_set<std::string> present(names.begin(), names.end());
  struct Candidate {
    const std::string* copy;
    std::string descriptor;
    bool compressed;
  };
  std::vector<Candidate> candidates;
  std::unordered_map<std::string, int> asCopy, asDescriptor;
  for (const std::string& name : names) {
    for (bool compressed : {false, true}) {
      if (compressed && !IsCompressedName(name)) continue;
      std::string descriptor = DescriptorNameOf(name, compressed);
      if (!present.count(descriptor)) continue;
      ++asCopy[name];
      ++asDescriptor[descriptor];
      candidates.push_back({&name, std::move(descriptor), compressed});
    }
  }
  auto count = [](const std::unordered_map<std::string, int>& m, const std::string& k) {
    auto it = m.find(k);
    return it == m.end() ? 0 : it->second;
  };
  std::unordered_map<std::string, const Candidate*> paired;
  for (const Candidate& c : candidates)
    if (count(asCopy, *c.copy) == 1 && count(asDescriptor, c.descriptor) == 1 &&
        count(asDescriptor, *c.copy) == 0 && count(asCopy, c.descriptor) == 0)
      paired[*c.copy] = &c;
  std::vector<BackupFiles> files;
  std::unordered_set<std::string> seen;
  for (const std::string& name : names) {
    if (!seen.insert(name).second) continue;
    auto it = paired.find(name);
    if (it != paired.end())
      files.push_back({name, it->second->descriptor, it->second->compressed});
    else if (!IsDescriptorName(name))
      files.push_back({name, std::string(), IsCompressedName(name)});
  }
  return files;
}

std::vector<std::string> PairingRivals(const std::string& stored, bool compressed) {
  const size_t zipp = std::strlen(kZippSuffix), info = std::strlen(kDescriptorSuffix);
  const std::string base = compressed ? stored.substr(0, stored.size() - zipp) : stored;
  const std::string descriptor = base + kDescriptorSuffix;
  // The other copy the descriptor could belong to, and the descriptor's own descriptor.
  std::vector<std::string> rivals = {compressed ? base : base + kZippSuffix,
                                     descriptor + kDescriptorSuffix};
  // The other descriptor the copy could have.
  if (IsCompressedName(stored))
    rivals.push_back(compressed ? stored + kDescriptorSuffix
                                : stored.substr(0, stored.size() - zipp) + kDescriptorSuffix);
  // The copies the copy itself could be the descriptor of.
  if (endsWith(stored, kDescriptorSuffix)) {
    const std::string owner = stored.substr(0, stored.size() - info);
    rivals.push_back(owner);
    rivals.push_back(owner + kZippSuffix);
  }
  return rivals;
}

bool IsDescriptorName(const std::string& name) {
  static const std::string suffix = FoldUpper(kDescriptorSuffix);
  const std::string folded = FoldUpper(name);
  return endsWith(folded, suffix.c_str());
}

std::string BackupTypeOf(const std::string& fileName) {
  auto dot = fileName.rfind('.');
  if (dot == std::string::npos || dot + 1 == fileName.size()) return "?";
  return fileName.substr(dot + 1);
}

std::string DescriptorComment(const std::string& comment) {
  std::string line;
  for (size_t i = 0; i < comment.size(); ++i) {
    char c = comment[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n') ++i;
      line += " \\ ";
    } else {
      line += c;
    }
  }
  return line.empty() ? "-" : line;
}

int64_t StoredNumberOf(const std::string& storedName) {
  int64_t number = 0;
  size_t i = 0;
  for (; i < storedName.size() && storedName[i] >= '0' && storedName[i] <= '9'; ++i) {
    if (number > (INT64_MAX - 9) / 10) return -1;
    number = number * 10 + (storedName[i] - '0');
  }
  return i > 0 && i < storedName.size() && storedName[i] == '.' ? number : -1;
}

}  // namespace tf
