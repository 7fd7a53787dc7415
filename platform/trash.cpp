#include "platform/trash.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include <QtCore/QFile>
#include <QtCore/QString>

#include "platform/mount_table.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"

namespace tf {
namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr size_t kNameMax = 255;

bool makeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) == 0) return true;
  struct stat st {};
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates every missing folder of `path`, each with mode 0700.
bool makeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
    if (!makeFolder(path.substr(0, slash))) return false;
  return makeFolder(path);
}

// Without an existing $XDG_DATA_HOME/Trash, the trash call of the Qt version we build
// against puts the file in ./files below the current folder and still reports success.
void prepareHomeTrash() {
  const std::string trash = DataHome() + "/Trash";
  makeFolders(trash + "/files");
  makeFolders(trash + "/info");
}

bool lexists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Qt can trash a path only when its bytes survive the trip through UTF-16 and its name
// leaves room for the ".trashinfo" record; other paths are trashed by hand.
bool qtCanTrash(const std::string& path) {
  const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
  if (QFile::encodeName(QFile::decodeName(bytes)) != bytes) return false;
  return DisplayNameOf(path).size() + kInfoSuffix.size() <= kNameMax;
}

bool qtMoveToTrash(const std::string& path, std::string* where) {
  QString inTrash;
  const QString name = QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
  if (!QFile::moveToTrash(name, &inTrash)) return false;
  const QByteArray placed = QFile::encodeName(inTrash);
  where->assign(placed.constData(), static_cast<size_t>(placed.size()));
  return true;
}

uint64_t deviceOf(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? st.st_dev : ~uint64_t{0};
}

// A folder we may keep trash in: a real folder (no link), owned by us, not open to others.
bool isPrivateFolder(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
         (st.st_mode & 077) == 0;
}

// The trash folder for `path` and the top folder its record is relative to ("" for the
// user's own trash, whose records hold absolute paths).
bool findTrashFor(const std::string& path, std::string* trash, std::string* top) {
  std::string folder;
  SplitPath(path, &folder, nullptr);
  if (folder.empty()) folder = "./";
  const uint64_t device = deviceOf(folder);
  if (device == deviceOf(DataHome())) {
    *trash = DataHome() + "/Trash";
    top->clear();
    struct stat st {};
    return lstat(trash->c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
  }
  const std::string mount = MountTable::MountPointOf(folder);
  if (mount.empty() || deviceOf(mount) != device) return false;
  const std::string base = mount == "/" ? "" : mount;
  const std::string uid = std::to_string(getuid());
  struct stat shared {};
  // A shared .Trash counts only as a sticky folder that is no link.
  if (lstat((base + "/.Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
      (shared.st_mode & S_ISVTX)) {
    *trash = base + "/.Trash/" + uid;
  } else {
    *trash = base + "/.Trash-" + uid;
  }
  *top = mount;
  makeFolder(*trash);
  return isPrivateFolder(*trash) && makeFolder(*trash + "/files") && makeFolder(*trash + "/info");
}

std::string deletionDate() {
  const time_t now = time(nullptr);
  struct tm tm {};
  localtime_r(&now, &tm);
  char buf[32];
  strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

// Claims a free name in the trash by creating its record; the name is cut so that the
// record's file name stays within the file system's limit.
bool writeRecord(const std::string& trash, const std::string& name, const std::string& record,
                 std::string* trashName) {
  const std::string stem = name.substr(0, kNameMax - kInfoSuffix.size() - 8);
  for (int n = 1; n < 10000; ++n) {
    *trashName = n == 1 ? stem : stem + "." + std::to_string(n);
    const std::string info = trash + "/info/" + *trashName + std::string(kInfoSuffix);
    const int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    const bool ok = write(fd, record.data(), record.size()) == ssize_t(record.size());
    if (close(fd) == 0 && ok) return true;
    unlink(info.c_str());
    return false;
  }
  return false;
}

bool handMoveToTrash(const std::string& path, std::string* where) {
  std::string trash, top;
  if (!findTrashFor(path, &trash, &top)) return false;
  std::string original = path;
  if (!top.empty() && top != "/")
    original = path.substr(top.size() + 1);
  else if (top == "/")
    original = path.substr(1);
  const std::string record = "[Trash Info]\nPath=" + PercentEncodePath(original) +
                             "\nDeletionDate=" + deletionDate() + "\n";
  std::string trashName;
  if (!writeRecord(trash, DisplayNameOf(path), record, &trashName)) return false;
  *where = trash + "/files/" + trashName;
  if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, where->c_str(), RENAME_NOREPLACE) == 0)
    return true;
  unlink((trash + "/info/" + trashName + std::string(kInfoSuffix)).c_str());
  return false;
}

}  // namespace

bool IsInTrashFolder(const std::string& path) {
  std::string folder;
  SplitPath(path, &folder, nullptr);
  if (folder.size() < 2) return false;
  folder.pop_back();  // the trailing '/'
  std::string trash, files;
  SplitPath(folder, &trash, &files);
  if (files != "files" || trash.size() < 2) return false;
  trash.pop_back();
  if (trash == DataHome() + "/Trash") return true;
  std::string top, name;
  SplitPath(trash, &top, &name);
  const std::string uid = std::to_string(getuid());
  if (name == ".Trash-" + uid) return true;
  // $topdir/.Trash/$uid
  if (name != uid || top.size() < 2) return false;
  top.pop_back();
  return DisplayNameOf(top) == ".Trash";
}

bool MoveToTrash(const std::string& path, std::string* trashedPath) {
  if (path.empty() || path.back() == '/' || !lexists(path)) return false;
  const std::string full = AbsolutePath(path);
  prepareHomeTrash();
  std::string where;
  const bool moved = qtCanTrash(full) ? qtMoveToTrash(full, &where) : handMoveToTrash(full, &where);
  if (!moved) return false;
  if (!IsInTrashFolder(where) || !lexists(where) || lexists(full)) {
    // Moved somewhere that is no trash: bring it back rather than lose track of it.
    if (!lexists(full) && lexists(where))
      renameat2(AT_FDCWD, where.c_str(), AT_FDCWD, full.c_str(), RENAME_NOREPLACE);
    return false;
  }
  if (trashedPath) *trashedPath = where;
  return true;
}

}  // namespace tf
