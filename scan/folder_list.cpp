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

constexpr const char* kProtectedAttr = "protected";
constexpr const char* kProtectCaption = "Protect folder";

bool marked(DataNode* node) {
  return node->attrs.ValueOf(kProtectedAttr).AsInt() == 1;
}

void mark(DataNode* node) {
  node->attrs.Set(kProtectedAttr, AttrValue::FromInt(1), 1);
}

// The include entry that is `path` or holds it.
DataNode* includeHolding(DataNode* descriptor, std::string_view path) {
  DataNode* list = listNode(descriptor, "include", false);
  for (DataNode* c = list ? list->FirstChild() : nullptr; c; c = c->Next())
    if (samePath(c->Name(), path) || IsBelow(path, c->Name())) return c;
  return nullptr;
}

// The protected sub-folder marks of an include entry.
DataNode* subMark(DataNode* include, std::string_view path) {
  for (DataNode* c = include->FirstChild(); c; c = c->Next())
    if (marked(c) && samePath(c->Name(), path)) return c;
  return nullptr;
}

// Marks `path` below `include`, unless the entry or a mark above already covers it.
void addSubMark(DataNode* include, const std::string& path) {
  if (marked(include) || samePath(include->Name(), path)) {
    mark(include);
    return;
  }
  for (DataNode* c = include->FirstChild(); c; c = c->Next())
    if (marked(c) && (samePath(c->Name(), path) || IsBelow(path, c->Name()))) return;
  if (DataNode* node = CreateNode(include, path.c_str(), ATTACH_LAST_CHILD)) mark(node);
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
  // The protection of entries the new one takes in stays with their folders.
  std::vector<std::string> keptMarks;
  for (DataNode* c = list->FirstChild(); c;) {
    DataNode* next = c->Next();
    if (IsBelow(c->Name(), path)) {
      if (marked(c)) keptMarks.emplace_back(c->Name());
      for (DataNode* m = c->FirstChild(); m; m = m->Next())
        if (marked(m)) keptMarks.emplace_back(m->Name());
      DeleteNode(c);
    }
    c = next;
  }
  DataNode* entry = CreateNode(list, path.c_str(), ATTACH_LAST_CHILD);
  if (!entry) return kFolderNotAdded;
  entry->group = PathKind(path) == PATH_FOLDER ? 0 : -1;
  for (const std::string& kept : keptMarks) addSubMark(entry, kept);
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

bool ProtectFolder(DataNode* descriptor, const std::string& path) {
  DataNode* include = includeHolding(descriptor, path);
  if (!include || path.empty() ||
      !ProtectedFolderHolding(ProtectedFolders(descriptor), path).empty())
    return false;
  if (samePath(include->Name(), path)) {
    // The whole entry covers every mark below it.
    for (DataNode* c = include->FirstChild(); c;) {
      DataNode* next = c->Next();
      if (marked(c)) DeleteNode(c);
      c = next;
    }
    mark(include);
    return true;
  }
  for (DataNode* c = include->FirstChild(); c;) {
    DataNode* next = c->Next();
    if (marked(c) && IsBelow(c->Name(), path)) DeleteNode(c);
    c = next;
  }
  addSubMark(include, path);
  return true;
}

bool UnprotectFolder(DataNode* descriptor, const std::string& path) {
  DataNode* include = includeHolding(descriptor, path);
  if (!include) return false;
  if (samePath(include->Name(), path)) {
    if (!marked(include)) return false;
    // The entry is written again as one that was never marked.
    std::vector<NodeAttr> kept;
    for (const NodeAttr& attr : include->attrs.items())
      if (attr.name != kProtectedAttr) kept.push_back(attr);
    include->attrs.Clear();
    for (const NodeAttr& attr : kept) include->attrs.Append(attr);
    return true;
  }
  DataNode* node = subMark(include, path);
  if (!node) return false;
  DeleteNode(node);
  return true;
}

std::vector<std::string> ProtectedFolders(DataNode* descriptor) {
  std::vector<std::string> out;
  DataNode* list = listNode(descriptor, "include", false);
  for (DataNode* c = list ? list->FirstChild() : nullptr; c; c = c->Next()) {
    if (marked(c)) out.emplace_back(c->Name());
    for (DataNode* m = c->FirstChild(); m; m = m->Next())
      if (marked(m)) out.emplace_back(m->Name());
  }
  return out;
}

bool IsIncludeProtected(DataNode* descriptor, const std::string& include) {
  DataNode* entry = FindChild(listNode(descriptor, "include", false), include.c_str());
  return entry && marked(entry);
}

std::vector<std::string> ProtectedBelow(DataNode* descriptor, const std::string& include) {
  std::vector<std::string> out;
  DataNode* entry = FindChild(listNode(descriptor, "include", false), include.c_str());
  for (DataNode* m = entry ? entry->FirstChild() : nullptr; m; m = m->Next())
    if (marked(m)) out.emplace_back(m->Name());
  return out;
}

std::string ProtectedFolderHolding(const std::vector<std::string>& protectedFolders,
                                   std::string_view path) {
  for (const std::string& folder : protectedFolders)
    if (samePath(folder, path) || IsBelow(path, folder)) return folder;
  return {};
}

int ToggleProtectedFolder(DataNode* descriptor, const std::string& path, Questions& questions) {
  if (!descriptor || path.empty()) return kProtectionUnchanged;
  const std::vector<std::string> marks = ProtectedFolders(descriptor);
  for (const std::string& folder : marks) {
    if (!samePath(folder, path)) continue;
    const int answer =
        questions.ShowMessage(path +
                                  "\nThis folder is protected: no action changes its files.\n"
                                  "Remove the protection?",
                              kProtectCaption, MB_YESNO | MB_DEFBUTTON2);
    return answer == IDYES && UnprotectFolder(descriptor, folder) ? kProtectionRemoved
                                                                  : kProtectionUnchanged;
  }
  if (PathKind(path) != PATH_FOLDER) return kFolderNotAFolder;
  const std::string holder = ProtectedFolderHolding(marks, path);
  if (!holder.empty()) {
    questions.ShowMessage(path + "\nThis folder lies in the protected folder\n" + holder,
                          kProtectCaption, MB_OK);
    return kProtectionUnchanged;
  }
  if (!includeHolding(descriptor, path)) {
    questions.ShowMessage(path +
                              "\nOnly a folder of the search list, or a folder below one, "
                              "can be protected",
                          kProtectCaption, MB_OK);
    return kProtectionUnchanged;
  }
  return ProtectFolder(descriptor, path) ? kProtectionAdded : kProtectionUnchanged;
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
