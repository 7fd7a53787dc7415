#include "scan/folder_list.h"

#include "platform/path_utils.h"

namespace tf {

namespace {

std::string_view trimSlashes(std::string_view p) {
  while (p.size() > 1 && p.back() == '/') p.remove_suffix(1);
  return p;
}

bool samePath(std::string_view a, std::string_view b) {
  return trimSlashes(a) == trimSlashes(b);
}

// The "include" or "exclude" list node, created with "folders" when `create` is set.
DataNode* listNode(DataNode* descriptor, const char* which, bool create) {
  if (!descriptor) return nullptr;
  DataNode* folders = FindChild(descriptor, "folders");
  if (!folders && create) folders = CreateNode(descriptor, "folders", ATTACH_LAST_CHILD);
  if (!folders) return nullptr;
  DataNode* list = FindChild(folders, which);
  if (!list && create) list = CreateNode(folders, which, ATTACH_LAST_CHILD);
  return list;
}

std::vector<std::string> pathsOf(DataNode* list) {
  std::vector<std::string> out;
  for (DataNode* c = list ? list->FirstChild() : nullptr; c; c = c->Next())
    out.push_back(c->Name());
  return out;
}

bool removeEntry(DataNode* descriptor, const char* which, const std::string& path) {
  DataNode* entry = FindChild(listNode(descriptor, which, false), path.c_str());
  if (!entry) return false;
  DeleteNode(entry);
  return true;
}

}  // namespace

bool IsBelow(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return false;
  a = trimSlashes(a);
  b = trimSlashes(b);
  if (b == "/") b = "";  // everything absolute lies below the root
  return a.size() > b.size() + 1 && a.compare(0, b.size(), b) == 0 && a[b.size()] == '/';
}

bool HasUsableInclude(DataNode* descriptor) {
  DataNode* list = listNode(descriptor, "include", true);
  for (DataNode* c = list ? list->FirstChild() : nullptr; c; c = c->Next())
    if (PathKind(c->Name()) == PATH_FOLDER) return true;
  return false;
}

int AddInclude(DataNode* descriptor, const std::string& path) {
  DataNode* list = listNode(descriptor, "include", true);
  if (!list || path.empty()) return kFolderNotAdded;
  for (DataNode* c = list->FirstChild(); c; c = c->Next())
    if (samePath(c->Name(), path) || IsBelow(path, c->Name())) return kFolderRefused;
  for (DataNode* c = list->FirstChild(); c;) {
    DataNode* next = c->Next();
    if (IsBelow(c->Name(), path)) DeleteNode(c);
    c = next;
  }
  DataNode* entry = CreateNode(list, path.c_str(), ATTACH_LAST_CHILD);
  if (!entry) return kFolderNotAdded;
  entry->group = PathKind(path) == PATH_FOLDER ? 0 : -1;
  return kFolderAdded;
}

bool RemoveInclude(DataNode* descriptor, const std::string& path) {
  return removeEntry(descriptor, "include", path);
}

int AddExclude(DataNode* descriptor, const std::string& path) {
  DataNode* list = listNode(descriptor, "exclude", true);
  if (!list || path.empty()) return kFolderNotAdded;
  for (DataNode* c = list->FirstChild(); c; c = c->Next())
    if (samePath(c->Name(), path)) return kFolderRefused;
  return CreateNode(list, path.c_str(), ATTACH_LAST_CHILD) ? kFolderAdded : kFolderNotAdded;
}

bool RemoveExclude(DataNode* descriptor, const std::string& path) {
  return removeEntry(descriptor, "exclude", path);
}

std::vector<std::string> IncludePaths(DataNode* descriptor) {
  return pathsOf(listNode(descriptor, "include", false));
}

std::vector<std::string> ExcludePaths(DataNode* descriptor) {
  return pathsOf(listNode(descriptor, "exclude", false));
}

std::vector<std::string> ExcludesUnder(DataNode* descriptor, std::string_view root) {
  std::vector<std::string> out;
  for (const std::string& p : ExcludePaths(descriptor))
    if (IsBelow(p, root)) out.emplace_back(trimSlashes(p));
  return out;
}

bool IsExistingFolder(const std::string& path) {
  return PathKind(path) == PATH_FOLDER;
}

int AddIncludeFolder(DataNode* descriptor, const std::string& path, Questions& questions,
                     const FolderAdder& add) {
  if (!descriptor) return kFolderNotAdded;
  if (PathKind(path) != PATH_FOLDER) return kFolderNotAFolder;
  const int result = add ? add(path) : AddInclude(descriptor, path);
  if (result == kFolderRefused)
    questions.ShowMessage(path + "\nThis folder or its parent already exists in the scan list",
                          "Cannot add folder", MB_OK);
  return result;
}

int AddExcludeFolder(DataNode* descriptor, const std::string& path,
                     const std::string& selectedInclude, Questions& questions,
                     const FolderAdder& add) {
  if (!descriptor) return kFolderNotAdded;
  if (PathKind(path) != PATH_FOLDER) return kFolderNotAFolder;
  if (!IsBelow(path, selectedInclude)) {
    questions.ShowMessage("Folder must be a sub-folder of the selected scan folder",
                          "Cannot add folder", MB_OK);
    return kFolderRefused;
  }
  return add ? add(path) : AddExclude(descriptor, path);
}

std::vector<std::string> FoldersOfDrop(const std::vector<std::string>& items,
                                       const LinkResolver& resolveLink) {
  std::vector<std::string> out;
  for (const std::string& item : items) {
    std::string path = item;
    if (items.size() == 1 && resolveLink) {
      std::string target;
      const int link = resolveLink(item, &target);
      if (link < 0) break;
      if (link > 0) path = target;
    }
    const int kind = NameKind(path);
    if (kind == NAME_FILE || kind == NAME_OTHER) {
      // A file stands for its folder; a relative name without one stays as it is.
      path = std::string(trimSlashes(path));
      const size_t slash = path.rfind('/');
      if (slash != std::string::npos) path.erase(slash == 0 ? 1 : slash);
    }
    out.push_back(std::move(path));
  }
  return out;
}

}  // namespace tf
