#include "platform/path_utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "base/text_fold.h"
#include "datatree/data_node.h"
#include "platform/folder_lister.h"
#include "platform/mount_table.h"

namespace tf {
namespace {

std::string resolvedAgainst(const std::string& path, const std::string& base) {
  if (base.empty() || (!path.empty() && path[0] == '/')) return path;
  return JoinPath(path, base);
}

// Bytes of one UTF-8 character starting at `s[i]`; a stray byte counts as one.
size_t charLength(std::string_view s, size_t i) {
  size_t n = 1;
  while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}

bool globMatch(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0;
  size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += charLength(name, n);
    } else if (m < mask.size() && mask[m] == name[n]) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      starName += charLength(name, starName);
      n = starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<std::string> splitMasks(const std::string& masks) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= masks.size()) {
    size_t semi = masks.find(';', pos);
    if (semi == std::string::npos) semi = masks.size();
    std::string mask = masks.substr(pos, semi - pos);
    while (!mask.empty() && mask.front() == ' ') mask.erase(0, 1);
    while (!mask.empty() && mask.back() == ' ') mask.pop_back();
    if (!mask.empty()) out.push_back(mask);
    pos = semi + 1;
  }
  return out;
}

struct Listing {
  std::vector<std::string> files;
  std::vector<std::string> folders;
};

Listing listFolder(const std::string& folder) {
  Listing l;
  FolderLister lister;
  if (!lister.Open(folder.empty() ? "." : folder)) return l;
  while (lister.Next()) {
    if (lister.kind() == EntryKind::kFile) l.files.push_back(lister.name());
    if (lister.kind() == EntryKind::kFolder) l.folders.push_back(lister.name());
  }
  return l;
}

TreeNode* appendNode(TreeNode** first, TreeNode* last, const std::string& name) {
  TreeNode* node = *first ? CreateTreeNode(last, name.c_str(), ATTACH_AT_END)
                          : CreateTreeNode(nullptr, name.c_str(), ATTACH_ROOT);
  if (!*first) *first = node;
  return node;
}

}  // namespace

std::string JoinPath(std::string_view name, std::string_view folder) {
  std::string out(folder);
  if (!folder.empty() && folder.back() != '/' && (name.empty() || name.front() != '/')) out += '/';
  out += name;
  return out;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
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

int NameKind(const std::string& path) {
  if (path.empty()) return NAME_FREE;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return NAME_FREE;
  if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) return NAME_OTHER;
  if (S_ISREG(st.st_mode)) return NAME_FILE;
  if (S_ISDIR(st.st_mode)) return NAME_FOLDER;
  return NAME_OTHER;
}

int64_t FileSize64(const std::string& fileName) {
  if (PathKind(fileName) != PATH_FILE) return 0;
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}

void SplitPath(std::string_view path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  const size_t cut = slash == std::string_view::npos ? 0 : slash + 1;
  if (folder) folder->assign(path.substr(0, cut));
  if (name) name->assign(path.substr(cut));
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

std::string DriveRoot(const std::string& path) {
  if (path.empty()) return {};
  std::string probe = AbsolutePath(path);
  if (probe[0] != '/') return {};
  struct stat st {};
  while (::stat(probe.c_str(), &st) != 0) {
    const size_t slash = probe.find_last_of('/');
    if (slash == 0 || slash == std::string::npos) {
      probe.assign(1, '/');  // not `= "/"`: GCC 12 at -O3 sees a false overlap there
      break;
    }
    probe.resize(slash);
  }
  return MountTable::MountPointOf(probe);
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

int64_t FindText(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return -1;
  const size_t hit = text.find(pattern);
  return hit == std::string_view::npos ? -1 : static_cast<int64_t>(hit);
}

int64_t FindAnyOf(std::string_view text, std::string_view set, char* which) {
  if (set.empty()) return -1;
  const size_t hit = text.find_first_of(set);
  if (hit == std::string_view::npos) return -1;
  if (which) *which = text[hit];
  return static_cast<int64_t>(hit);
}

int64_t FieldOffset(std::string_view text, char separator, int field, int64_t length) {
  if (field < 0) return -1;
  if (length >= 0 && static_cast<size_t>(length) < text.size())
    text = text.substr(0, static_cast<size_t>(length));
  size_t pos = 0;
  for (int i = 0;; ++i) {
    const size_t sep = text.find(separator, pos);
    if (sep == std::string_view::npos) return -1;
    if (i == field) return static_cast<int64_t>(sep);
    pos = sep + 1;
  }
}

bool FindFileInTree(const std::string& name, const std::string& startFolder,
                    std::string* outFolder) {
  const std::string folder = startFolder.empty() ? "." : startFolder;
  FolderLister lister;
  if (!lister.Open(folder)) return false;
  std::vector<std::string> subFolders;
  // Entries are taken in listing order, a sub-folder searched before the listing goes on;
  // the listing is read completely first so that one folder handle is open per level.
  std::vector<std::pair<std::string, bool>> entries;
  while (lister.Next())
    if (lister.kind() != EntryKind::kSkippedFolder)
      entries.emplace_back(lister.name(), lister.kind() == EntryKind::kFolder);
  lister.Close();
  for (const auto& [entry, isFolder] : entries) {
    if (!isFolder && EqualIgnoringCase(entry, name)) {
      if (outFolder) *outFolder = folder;
      return true;
    }
    if (isFolder && FindFileInTree(name, JoinPath(entry, folder), outFolder)) return true;
  }
  return false;
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

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*" || mask == "*") return true;
  return globMatch(FoldUpper(name), FoldUpper(mask));
}

TreeNode* ListMatchingFiles(const std::string& folder, const std::string& masks, int* counter,
                            bool recursive) {
  const std::vector<std::string> maskList = splitMasks(masks);
  const Listing listing = listFolder(folder);
  TreeNode* first = nullptr;
  TreeNode* last = nullptr;
  int number = counter ? *counter : 0;
  // A file that several masks match is listed once, under the first of them.
  std::set<std::string> taken;
  for (const std::string& mask : maskList) {
    for (const std::string& file : listing.files) {
      if (taken.count(file) || !MatchesMask(file, mask)) continue;
      taken.insert(file);
      TreeNode* node = appendNode(&first, last, DisplayNameOf(file));
      if (!node) continue;
      last = node;
      SetDesc(last, JoinPath(file, folder));
      last->id = number++;
    }
  }
  if (recursive) {
    for (const std::string& sub : listing.folders) {
      const std::string full = JoinPath(sub, folder);
      TreeNode* node = appendNode(&first, last, full);
      if (!node) continue;
      last = node;
      last->kind = 1;
      TreeNode* children = ListMatchingFiles(full, masks, &number, true);
      while (children) {
        TreeNode* next = children->nextSibling;
        children->Detach();
        children->Attach(last, ATTACH_LAST_CHILD);
        children = next;
      }
    }
  }
  if (counter) *counter = number;
  return first;
}

}  // namespace tf
