#include "platform/trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/file_change_watcher.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"

namespace tf {
namespace {

constexpr const char* kRecordSuffix = ".trashinfo";

// What identifies an item whatever its name: a trashed item is renamed, never copied.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
};

bool identityOf(const std::string& path, Identity* id) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino};
  return true;
}

bool isItem(const std::string& path, const Identity& id) {
  Identity here;
  return identityOf(path, &here) && here.device == id.device && here.inode == id.inode;
}

// The top folder of the file system holding `folder`: the last folder upwards that is
// still on its device, found the way the trash itself finds it.
std::string topFolderOf(const std::string& folder, dev_t device) {
  std::string top = folder;
  while (top.size() > 1) {
    std::string parent;
    SplitPath(top, &parent, nullptr);
    if (parent.size() > 1) parent.pop_back();  // the trailing '/'
    struct stat st {};
    if (parent.empty() || lstat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
    top = parent;
  }
  return top;
}

// The "files" folders an item from `path` may have been put in: the user's own trash and
// the two trash folders at the top of its file system.
std::vector<std::string> trashFoldersFor(const std::string& path, const Identity& id) {
  std::vector<std::string> folders{DataHome() + "/Trash/files"};
  // GLib reads $XDG_DATA_HOME once per process; look where it put the item too.
  const std::string gioHome = std::string(g_get_user_data_dir()) + "/Trash/files";
  if (gioHome != folders.front()) folders.push_back(gioHome);
  std::string folder;
  SplitPath(path, &folder, nullptr);
  if (folder.size() > 1) folder.pop_back();
  std::string top = topFolderOf(folder, id.device);
  if (top == "/") top.clear();
  const std::string uid = std::to_string(getuid());
  folders.push_back(top + "/.Trash/" + uid + "/files");
  folders.push_back(top + "/.Trash-" + uid + "/files");
  return folders;
}

// The entry of a trash "files" folder that is the item. A name taken in the trash gets a
// number after the part before its first dot, so only names beginning with that part are
// looked at.
std::string findInFolder(const std::string& files, const std::string& name, const Identity& id) {
  // Mostly the name was free: looking there first spares a walk of the whole trash per
  // file, which made sending thousands of files to a full trash slow down ever more.
  const std::string same = files + "/" + name;
  if (isItem(same, id)) return same;
  const std::string_view stem = std::string_view(name).substr(0, name.find('.'));
  DIR* dir = opendir(files.c_str());
  if (!dir) return {};
  std::string found;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view entryName = entry->d_name;
    if (entryName.substr(0, stem.size()) != stem) continue;
    const std::string candidate = files + "/" + std::string(entryName);
    if (isItem(candidate, id)) {
      found = candidate;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::string findInTrash(const std::string& path, const Identity& id) {
  const std::string name = DisplayNameOf(path);
  for (const std::string& files : trashFoldersFor(path, id)) {
    std::string found = findInFolder(files, name, id);
    if (!found.empty()) return found;
  }
  return {};
}

// The original place a .trashinfo record names, percent escapes undone; "" when it
// names none.
std::string recordedPlace(const std::string& record) {
  std::string text;
  if (!ReadStoredFile(record, &text, 64 << 10)) return {};
  const size_t at = text.find("\nPath=");
  if (at == std::string::npos) return {};
  const size_t start = at + 6;
  const size_t end = text.find('\n', start);
  const std::string_view coded =
      std::string_view(text).substr(start, end == std::string::npos ? end : end - start);
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string place;
  for (size_t i = 0; i < coded.size(); ++i) {
    const int high = coded[i] == '%' && i + 1 < coded.size() ? hex(coded[i + 1]) : -1;
    const int low = high >= 0 && i + 2 < coded.size() ? hex(coded[i + 2]) : -1;
    if (low >= 0) {
      place += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      place += coded[i];
    }
  }
  return place;
}

bool moveToTrash(const std::string& full, const Identity& id, std::string* trashedPath,
                 std::string* why) {
  // The trash records an item in a file named after it plus ".trashinfo"; no file system
  // takes a name that long for a name near the limit.
  const size_t recordName = DisplayNameOf(full).size() + std::strlen(kRecordSuffix);
  if (recordName > NAME_MAX) {
    *why = "the trash cannot take a name that long: its record would need a name of " +
           std::to_string(recordName) + " bytes, and a name may have at most " +
           std::to_string(NAME_MAX) + ". Rename the file to trash it.";
    return false;
  }
  // GLib takes the path as bytes, so any name the file system holds can be trashed. It
  // only ever renames: an item it cannot put in a trash on its own file system stays.
  GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), full.c_str());
  if (!file) return false;
  GError* error = nullptr;
  const bool trashed = g_file_trash(file, nullptr, &error);
  if (error) {
    *why = error->message;
    g_error_free(error);
  }
  g_object_unref(file);
  // Success counts only when the item has really left its place for a trash folder.
  if (!trashed || isItem(full, id)) {
    if (why->empty()) *why = "the trash did not take it";
    return false;
  }
  const std::string where = findInTrash(full, id);
  if (where.empty()) {
    *why = "it left its place but cannot be found in the trash";
    return false;
  }
  if (trashedPath) *trashedPath = where;
  return true;
}

}  // namespace

bool MoveToTrash(const std::string& path, std::string* trashedPath, std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  if (path.empty() || path.back() == '/') return false;
  const std::string full = AbsolutePath(path);
  Identity id;
  if (!identityOf(full, &id)) {
    *why = std::string("it cannot be found: ") + strerror(errno);
    return false;
  }
  if (!WatchBefore(FileChange::kTrash, full, std::string(), why)) return false;
  std::string where;
  const bool done = moveToTrash(full, id, &where, why);
  WatchAfter(FileChange::kTrash, full, where, done);
  if (done && trashedPath) *trashedPath = where;
  return done;
}

std::string TrashRecordOf(const std::string& trashedPath) {
  std::string files, name;
  SplitPath(trashedPath, &files, &name);
  return files + "../info/" + name + kRecordSuffix;
}

std::string FindTrashedItem(const std::string& original, int64_t size, int64_t modified) {
  const std::string full = AbsolutePath(original);
  std::string folder;
  SplitPath(full, &folder, nullptr);
  if (folder.size() > 1) folder.pop_back();
  struct stat st {};
  // The folder decides which file system's trash it went to.
  const Identity id{lstat(folder.c_str(), &st) == 0 ? st.st_dev : dev_t{0}, 0};
  for (const std::string& files : trashFoldersFor(full, id)) {
    const std::string info = files.substr(0, files.size() - 5) + "info";
    std::vector<std::string> names;
    if (!ListFolderNames(info, &names)) continue;
    for (const std::string& record : names) {
      if (record.size() <= std::strlen(kRecordSuffix)) continue;
      const std::string item =
          files + "/" + record.substr(0, record.size() - std::strlen(kRecordSuffix));
      PathStatus there;
      if (!StatPath(item, &there, false)) continue;
      // A folder is known by its files (see ReadFolderFacts), a file by itself.
      FolderFacts facts;
      if (there.folder && ReadFolderFacts(item, &facts)) {
        there.size = facts.bytes;
        there.modified = facts.latest;
      }
      if (there.size != size || there.modified != modified) continue;
      // A trash at the top of another file system records the place below its top.
      const std::string place = recordedPlace(info + "/" + record);
      if (place == full || (!place.empty() && place[0] != '/' && full.size() > place.size() &&
                            full.compare(full.size() - place.size(), place.size(), place) == 0 &&
                            full[full.size() - place.size() - 1] == '/'))
        return item;
    }
  }
  return {};
}

bool RestoreFromTrash(const std::string& trashedPath, const std::string& original) {
  std::string files, name;
  SplitPath(trashedPath, &files, &name);
  // Only an item with its record beside it in a trash folder is taken back.
  const std::string record = files + "../info/" + name + kRecordSuffix;
  struct stat st {};
  if (files.size() < 7 || files.compare(files.size() - 7, 7, "/files/") != 0 ||
      lstat(record.c_str(), &st) != 0)
    return false;
  if (renameat2(AT_FDCWD, trashedPath.c_str(), AT_FDCWD, original.c_str(), RENAME_NOREPLACE) != 0)
    return false;
  unlink(record.c_str());
  return true;
}

}  // namespace tf
