#include "platform/path_utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tf {
namespace {

std::string resolvedAgainst(const std::string& path, const std::string& base) {
  if (base.empty() || (!path.empty() && path[0] == '/')) return path;
  return JoinPath(path, base);
}

}  // namespace

std::string JoinPath(std::string_view name, std::string_view folder) {
  std::string out(folder);
  if (!folder.empty() && folder.back() != '/' && (name.empty() || name.front() != '/')) out += '/';
  out += name;
  return out;
}

int PathKind(const std::string& path, const std::string& baseFolder) {
  if (path.empty()) return PATH_MISSING;
  const std::string full = resolvedAgainst(path, baseFolder);
  struct stat st {};
  if (::stat(full.c_str(), &st) != 0) return PATH_MISSING;
  if (S_ISDIR(st.st_mode)) return PATH_FOLDER;
  if (!S_ISREG(st.st_mode)) return PATH_MISSING;
  // O_NONBLOCK: the name may have become a FIFO since the stat.
  const int fd = open(full.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return PATH_MISSING;
  close(fd);
  return PATH_FILE;
}

bool IsFolder(const std::string& path) {
  return PathKind(path) == PATH_FOLDER;
}

int NameKind(const std::string& path) {
  if (path.empty()) return NAME_FREE;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return NAME_FREE;
  if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) return NAME_OTHER;
  if (S_ISREG(st.st_mode)) return NAME_FILE;
  if (S_ISDIR(st.st_mode)) return NAME_FOLDER;
  return NAME_OTHER;
}

void SplitPath(std::string_view path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  const size_t cut = slash == std::string_view::npos ? 0 : slash + 1;
  if (folder) folder->assign(path.substr(0, cut));
  if (name) name->assign(path.substr(cut));
}

std::string FolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string();
  return std::string(slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) return path;
  std::string out = JoinPath(path, cwd);
  std::free(cwd);
  return out;
}

std::string LexicallyNormal(std::string_view path) {
  if (path.empty()) return std::string();
  const bool absolute = path.front() == '/';
  const bool trailing = path.size() > 1 && path.back() == '/';
  std::vector<std::string_view> parts;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
        continue;
      }
      if (absolute) continue;
    }
    parts.push_back(part);
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out += parts[i];
  }
  if (out.empty()) return ".";
  if (trailing && out.back() != '/') out += '/';
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  if (pattern.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t hit = text.find(pattern, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + pattern.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string PercentEncodePath(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string DisplayNameOf(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return "/";
  std::string name;
  SplitPath(path, nullptr, &name);
  return name;
}

}  // namespace tf
