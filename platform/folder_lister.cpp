#include "platform/folder_lister.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/dos_attributes.h"
#include "platform/file_time.h"
#include "platform/mount_table.h"
#include "platform/standard_paths.h"

namespace tf {
namespace {

constexpr size_t kBufferSize = 64 * 1024;

// Remembered once: a kernel or sandbox that refuses statx is not asked again.
std::atomic<bool> g_noStatx{false};

std::atomic<uint64_t> g_statCalls{0};

void countStat() {
  g_statCalls.fetch_add(1, std::memory_order_relaxed);
}

struct EntryStat {
  StatInfo info;
  mode_t mode = 0;
  uint64_t device = 0;
};

void fillInfo(const char* name, mode_t mode, EntryStat* out) {
  out->mode = mode;
  StatInfo& f = out->info;
  f.attributes = 0;
  if (!(mode & S_IWUSR)) f.attributes |= kAttrReadOnly;
  if (name[0] == '.') f.attributes |= kAttrHidden;
  if (S_ISDIR(mode)) {
    f.attributes |= kAttrDirectory;
    f.size = 0;
  }
}

std::timespec toTimespec(const struct statx_timestamp& t) {
  std::timespec ts{};
  ts.tv_sec = static_cast<time_t>(t.tv_sec);
  ts.tv_nsec = static_cast<long>(t.tv_nsec);
  return ts;
}

bool statEntry(int dirFd, const char* name, EntryStat* out) {
  countStat();
  if (!g_noStatx.load(std::memory_order_relaxed)) {
    struct statx sx {};
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_SIZE | STATX_ATIME |
                          STATX_MTIME | STATX_BTIME;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx) == 0) {
      out->info.size = static_cast<int64_t>(sx.stx_size);
      out->info.links = (sx.stx_mask & STATX_NLINK) ? sx.stx_nlink : 0;
      out->info.accessed = FileTimeFromTimespec(toTimespec(sx.stx_atime));
      out->info.modified = FileTimeFromTimespec(toTimespec(sx.stx_mtime));
      out->info.created =
          (sx.stx_mask & STATX_BTIME) ? FileTimeFromTimespec(toTimespec(sx.stx_btime)) : 0;
      out->device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
      fillInfo(name, sx.stx_mode, out);
      return true;
    }
    if (errno != ENOSYS && errno != EPERM) return false;
    g_noStatx.store(true, std::memory_order_relaxed);  // only a hint: racing stores agree
  }
  struct stat st {};
  if (g_noStatx.load(std::memory_order_relaxed)) countStat();  // the statx above failed
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  out->info.size = static_cast<int64_t>(st.st_size);
  out->info.links = static_cast<uint32_t>(st.st_nlink);
  out->info.accessed = FileTimeFromTimespec(st.st_atim);
  out->info.modified = FileTimeFromTimespec(st.st_mtim);
  out->info.created = 0;
  out->device = st.st_dev;
  fillInfo(name, st.st_mode, out);
  return true;
}

// Trash folders hold what the user already threw away: never offered as duplicates.
// Those are ".Trash" (shared, with a folder per user) and ".Trash-<uid>" at the top of a
// file system, and "Trash" in the user's data folder (checked by the caller).
bool isTrashName(const char* name) {
  if (std::strcmp(name, ".Trash") == 0) return true;
  if (std::strncmp(name, ".Trash-", 7) != 0 || name[7] == 0) return false;
  for (const char* p = name + 7; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  return true;
}

// Opens a folder whose path may exceed PATH_MAX by walking it one component at a time.
int openLongPath(const std::string& path) {
  int fd = open(path[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  size_t pos = 0;
  while (fd >= 0 && pos < path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    const std::string part = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = next;
  }
  return fd;
}

// Size, last-write time and names only: the fields a file's place in a group needs.
bool statFile(int dirFd, const char* name, StatInfo* out) {
  countStat();
  if (!g_noStatx.load(std::memory_order_relaxed)) {
    struct statx sx {};
    const unsigned mask = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_NLINK;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx) == 0) {
      if (!S_ISREG(sx.stx_mode)) {
        errno = 0;  // there, but no file
        return false;
      }
      out->size = static_cast<int64_t>(sx.stx_size);
      out->links = (sx.stx_mask & STATX_NLINK) ? sx.stx_nlink : 0;
      out->modified = FileTimeFromTimespec(toTimespec(sx.stx_mtime));
      return true;
    }
    if (errno != ENOSYS && errno != EPERM) return false;
    g_noStatx.store(true, std::memory_order_relaxed);
    countStat();
  }
  struct stat st {};
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) return false;
  out->size = static_cast<int64_t>(st.st_size);
  out->links = static_cast<uint32_t>(st.st_nlink);
  out->modified = FileTimeFromTimespec(st.st_mtim);
  return true;
}

}  // namespace

uint64_t FolderStatCalls() {
  return g_statCalls.load(std::memory_order_relaxed);
}

bool FolderLister::StatFileIn(int folder, const std::string& name, StatInfo* out) {
  if (folder < 0) return StatFileAt(-1, name, out);
  return statFile(folder, name.c_str(), out);
}

bool FolderLister::StatFileAt(int from, const std::string& path, StatInfo* out) {
  if (path.empty()) return false;
  const int base = from >= 0 && path[0] != '/' ? from : AT_FDCWD;
  if (statFile(base, path.c_str(), out)) return true;
  if (errno != ENAMETOOLONG) return false;
  // Deeper than a path may be: the folder is opened one name at a time, then asked.
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return false;
  std::string folder = path.substr(0, slash == 0 ? 1 : slash);
  if (base != AT_FDCWD) folder = "/proc/self/fd/" + std::to_string(base) + "/" + folder;
  const int fd = openLongPath(folder);
  if (fd < 0) return false;
  const bool read = statFile(fd, path.c_str() + slash + 1, out);
  close(fd);
  return read;
}

void FolderLister::StatFilesBelow(int from, const std::string& folder,
                                  std::span<const std::string> names, StatInfo* out,
                                  uint8_t* read) {
  std::string opened = folder;
  if (opened.size() > 1 && opened.back() == '/') opened.pop_back();
  const int base = from >= 0 && opened[0] != '/' ? from : AT_FDCWD;
  // O_PATH: the folder is only a place to look names up from, never read.
  const int fd = opened.empty()
                     ? -1
                     : openat(base, opened.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  for (size_t i = 0; i < names.size(); ++i) {
    read[i] = (fd >= 0 ? statFile(fd, names[i].c_str(), &out[i])
                       : StatFileAt(from, folder + names[i], &out[i]))
                  ? 1
                  : 0;
  }
  if (fd >= 0) close(fd);
}

FolderLister::FolderLister() : m_dataHome(DataHome()) {}

FolderLister::~FolderLister() {
  Close();
}

bool FolderLister::Open(const std::string& folderPath) {
  Close();
  if (folderPath.empty()) return false;
  m_fd = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0 && errno == ENAMETOOLONG) m_fd = openLongPath(folderPath);
  if (m_fd < 0) return false;
  struct stat st {};
  struct statfs sf {};
  countStat();
  if (fstat(m_fd, &st) != 0) {
    Close();
    return false;
  }
  m_dev = st.st_dev;
  m_dosSource = fstatfs(m_fd, &sf) == 0 ? DosAttributeSourceOf(static_cast<int64_t>(sf.f_type))
                                        : DosAttributeSource::kNone;
  m_statFolders = true;
  return beginListing(folderPath);
}

bool FolderLister::Open(const FolderHandle& handle, const std::string& folderPath) {
  Close();
  if (handle.fd < 0) return false;
  m_fd = handle.fd;
  m_borrowed = true;
  m_dev = handle.device;
  m_dosSource = handle.dosSource;
  readMountParents();
  m_statFolders = m_mountParents.count({handle.device, handle.inode}) > 0;
  return beginListing(folderPath);
}

bool FolderLister::beginListing(const std::string& folderPath) {
  m_path = folderPath;
  while (m_path.size() > 1 && m_path.back() == '/') m_path.pop_back();
  m_inDataHome = m_path == m_dataHome;
  if (m_buf.size() != kBufferSize) m_buf.resize(kBufferSize);
  m_pos = m_end = 0;
  return true;
}

void FolderLister::readMountParents() {
  if (m_haveMountParents) return;
  m_haveMountParents = true;
  for (const MountEntry& mount : MountTable::Current()) {
    const std::string& point = mount.mountPoint;
    const size_t slash = point.rfind('/');
    if (point.size() < 2 || slash == std::string::npos) continue;
    const std::string parent = slash == 0 ? "/" : point.substr(0, slash);
    struct stat st {};
    countStat();
    if (::stat(parent.c_str(), &st) == 0) m_mountParents.emplace(st.st_dev, st.st_ino);
  }
}

namespace {

bool fillHandle(int fd, const FolderHandle* parent, FolderHandle* out) {
  struct stat st {};
  countStat();
  if (fstat(fd, &st) != 0) return false;
  out->fd = fd;
  out->device = st.st_dev;
  out->inode = st.st_ino;
  if (parent && parent->device == out->device) {
    out->dosSource = parent->dosSource;
  } else {
    struct statfs sf {};
    out->dosSource = fstatfs(fd, &sf) == 0 ? DosAttributeSourceOf(static_cast<int64_t>(sf.f_type))
                                           : DosAttributeSource::kNone;
  }
  return true;
}

// Takes `fd`, a folder just opened below `parent` (or -1): 1 with `out` filled, 0 when it
// could not be opened or looked at, -1 (closed again) when a pseudo file system was
// mounted there since the mount table was read.
int adoptSubFolder(int fd, const FolderHandle& parent, FolderHandle* out) {
  if (fd < 0) return 0;
  if (!fillHandle(fd, &parent, out)) {
    close(fd);
    *out = FolderHandle();
    return 0;
  }
  if (out->device != parent.device &&
      MountTable::IsPseudoType(MountTable::TypeOfDevice(out->device))) {
    FolderLister::CloseHandle(out);
    return -1;
  }
  return 1;
}

}  // namespace

bool FolderLister::OpenHandle(const std::string& path, FolderHandle* out) {
  *out = FolderHandle();
  if (path.empty()) return false;
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == ENAMETOOLONG) fd = openLongPath(path);
  if (fd < 0) return false;
  if (!fillHandle(fd, nullptr, out)) {
    close(fd);
    return false;
  }
  return true;
}

int FolderLister::OpenChild(const FolderHandle& parent, const std::string& name,
                            const std::string& path, FolderHandle* out) {
  *out = FolderHandle();
  int fd = -1;
  if (parent.fd >= 0) {
    fd = openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  } else {
    fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENAMETOOLONG) fd = openLongPath(path);
  }
  return adoptSubFolder(fd, parent, out);
}

int FolderLister::OpenBelow(const FolderHandle& root, const std::string& relative,
                            FolderHandle* out) {
  *out = FolderHandle();
  if (root.fd < 0 || relative.empty() || relative[0] == '/') return 0;
  const int fd = openat(root.fd, relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  return adoptSubFolder(fd, root, out);
}

bool FolderLister::Reopen(const FolderHandle& from, const std::string& relative, uint64_t device,
                          uint64_t inode, FolderHandle* out) {
  *out = FolderHandle();
  if (from.fd < 0 || relative.empty() || relative[0] == '/') return false;
  int fd = from.fd;
  size_t pos = 0;
  while (pos < relative.size()) {
    size_t slash = relative.find('/', pos);
    if (slash == std::string::npos) slash = relative.size();
    const std::string part = relative.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd != from.fd) close(fd);
    if (next < 0) return false;
    fd = next;
  }
  if (fd == from.fd) return false;
  if (!fillHandle(fd, &from, out) || out->device != device || out->inode != inode) {
    close(fd);
    *out = FolderHandle();
    return false;
  }
  return true;
}

void FolderLister::CloseHandle(FolderHandle* handle) {
  if (handle->fd >= 0) close(handle->fd);
  handle->fd = -1;
}

bool FolderLister::IsFolderAt(const FolderHandle& parent, const std::string& name, uint64_t device,
                              uint64_t inode) {
  if (parent.fd < 0) return false;
  struct stat st {};
  countStat();
  return fstatat(parent.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
         static_cast<uint64_t>(st.st_dev) == device && static_cast<uint64_t>(st.st_ino) == inode;
}

bool FolderLister::DuplicateHandle(const FolderHandle& handle, FolderHandle* out) {
  *out = handle;
  out->fd = handle.fd >= 0 ? fcntl(handle.fd, F_DUPFD_CLOEXEC, 0) : -1;
  return out->fd >= 0;
}

bool FolderLister::fill() {
  const ssize_t n = getdents64(m_fd, m_buf.data(), m_buf.size());
  if (n <= 0) return false;  // 0 is the end; an error ends the listing too
  m_pos = 0;
  m_end = static_cast<size_t>(n);
  return true;
}

bool FolderLister::Next() {
  if (m_fd < 0) return false;
  for (;;) {
    if (m_pos >= m_end && !fill()) return false;
    const auto* d = reinterpret_cast<const struct dirent64*>(m_buf.data() + m_pos);
    m_pos += d->d_reclen;
    const char* n = d->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    m_name.assign(n);
    m_haveStat = false;
    if (classify(d->d_type)) return true;
  }
}

// Decides whether the current entry is listed and as what; false passes it over.
bool FolderLister::classify(unsigned char type) {
  EntryStat es;
  if (type == DT_DIR && !m_statFolders) {
    m_kind = EntryKind::kFolder;
    if (isTrashName(m_name.c_str()) || (m_inDataHome && m_name == "Trash"))
      m_kind = EntryKind::kSkippedFolder;
    return true;
  }
  if (type == DT_UNKNOWN || type == DT_DIR) {
    // Folders are stat'ed anyway to notice a mount; the result serves Stat later.
    if (!statEntry(m_fd, m_name.c_str(), &es)) return false;
    m_stat = es.info;
    m_haveStat = true;
    if (S_ISREG(es.mode)) {
      m_kind = EntryKind::kFile;
      return true;
    }
    if (!S_ISDIR(es.mode)) return false;
    m_kind = EntryKind::kFolder;
    if (isTrashName(m_name.c_str()) || (m_inDataHome && m_name == "Trash"))
      m_kind = EntryKind::kSkippedFolder;
    else if (es.device != m_dev && MountTable::IsPseudoType(MountTable::TypeOfDevice(es.device)))
      m_kind = EntryKind::kSkippedFolder;
    return true;
  }
  if (type != DT_REG) return false;
  m_kind = EntryKind::kFile;
  return true;
}

bool FolderLister::Stat(StatInfo* out, bool attributes) {
  if (m_fd < 0 || m_name.empty()) return false;
  if (!m_haveStat) {
    EntryStat es;
    if (!statEntry(m_fd, m_name.c_str(), &es)) return false;
    // A name that was a file in the listing and is something else now has been replaced.
    if (m_kind == EntryKind::kFile && !S_ISREG(es.mode)) return false;
    m_stat = es.info;
    m_haveStat = true;
  }
  *out = m_stat;
  if (attributes && m_dosSource != DosAttributeSource::kNone)
    out->attributes |= ReadDosAttributes(m_fd, m_name.c_str(), m_dosSource);
  return true;
}

void FolderLister::Close() {
  if (m_fd >= 0 && !m_borrowed) close(m_fd);
  m_fd = -1;
  m_borrowed = false;
  m_pos = m_end = 0;
  m_name.clear();
  m_haveStat = false;
}

}  // namespace tf
