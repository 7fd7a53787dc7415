#include "results/backup_names.h"

#include <cstring>

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

bool IsCompressedName(const std::string& storedName) {
  return endsWith(storedName, kZippSuffix);
}

std::string OriginalNameOf(const std::string& storedName) {
  auto dot = storedName.find('.');
  std::string name = dot == std::string::npos ? std::string() : storedName.substr(dot + 1);
  if (IsCompressedName(name)) name.resize(name.size() - std::strlen(kZippSuffix));
  return name;
}

std::string DescriptorPathOf(const std::string& storedPath) {
  std::string base = storedPath;
  if (IsCompressedName(base)) base.resize(base.size() - std::strlen(kZippSuffix));
  return base + kDescriptorSuffix;
}

std::string LegacyDescriptorPathOf(const std::string& storedPath) {
  auto slash = storedPath.rfind('/');
  auto at = storedPath.find(kZippSuffix, slash == std::string::npos ? 0 : slash);
  return storedPath.substr(0, at) + kDescriptorSuffix;
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
