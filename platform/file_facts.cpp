#include "platform/file_facts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/file_attributes.h"
#include "platform/dos_attributes.h"
#include "platform/file_time.h"
#include "platform/unique_fd.h"

namespace tf {
namespace {

int64_t fileTimeOf(const struct statx_timestamp& t) {
  std::timespec ts{};
  ts.tv_sec = static_cast<time_t>(t.tv_sec);
  ts.tv_nsec = static_cast<long>(t.tv_nsec);
  return FileTimeFromTimespec(ts);
}

// Closes the descriptor on every way out.

}  // namespace

bool ReadFileFacts(const std::string& path, FileFacts* out) {
  if (path.empty() || !out) return false;
  // The folder is opened so that the DOS bits are read from the same file system that
  // was asked about its type.
  const size_t slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  UniqueFd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return false;

  FileFacts facts;
  struct statx sx {};
  const unsigned mask =
      STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BLOCKS | STATX_ATIME | STATX_MTIME | STATX_BTIME;
  mode_t mode = 0;
  if (statx(dir.get(), name.c_str(), AT_NO_AUTOMOUNT, mask, &sx) == 0) {
    mode = sx.stx_mode;
    facts.size = static_cast<int64_t>(sx.stx_size);
    facts.allocated = static_cast<int64_t>(sx.stx_blocks) * 512;
    facts.modified = fileTimeOf(sx.stx_mtime);
    facts.accessed = fileTimeOf(sx.stx_atime);
    facts.created = (sx.stx_mask & STATX_BTIME) ? fileTimeOf(sx.stx_btime) : 0;
  } else {
    struct stat st {};
    if (errno != ENOSYS && errno != EPERM) return false;
    if (fstatat(dir.get(), name.c_str(), &st, 0) != 0) return false;
    mode = st.st_mode;
    facts.size = static_cast<int64_t>(st.st_size);
    facts.allocated = static_cast<int64_t>(st.st_blocks) * 512;
    facts.modified = FileTimeFromTimespec(st.st_mtim);
    facts.accessed = FileTimeFromTimespec(st.st_atim);
  }
  if (!S_ISREG(mode)) return false;
  if (!(mode & S_IWUSR)) facts.attributes |= kAttrReadOnly;
  if (name[0] == '.') facts.attributes |= kAttrHidden;
  struct statfs sf {};
  if (fstatfs(dir.get(), &sf) == 0) {
    facts.clusterBytes = static_cast<int64_t>(sf.f_bsize);
    const DosAttributeSource source = DosAttributeSourceOf(static_cast<int64_t>(sf.f_type));
    if (source != DosAttributeSource::kNone)
      facts.attributes |= ReadDosAttributes(dir.get(), name.c_str(), source);
  }
  *out = facts;
  return true;
}

}  // namespace tf
