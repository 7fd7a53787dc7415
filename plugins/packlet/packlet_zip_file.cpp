#include "plugins/packlet/packlet_zip_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace tf::packlet {
namespace {

// Private extra field: the source's modification time to the nanosecond and its mode,
// which the DOS time of a zip entry (2 s steps) cannot hold.
constexpr zip_uint16_t kTimeFieldId = 0x7466;
constexpr zip_uint16_t kTimeFieldSize = 16;

void putLittle(zip_uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<zip_uint8_t>(value >> (8 * i));
}

uint64_t getLittle(const zip_uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

bool syncPath(const char* path, int flags) {
  int fd = ::open(path, flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

std::string folderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool isZeroBlock(const char* data, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (data[i] != 0) return false;
  return true;
}

class PackletEntry final : public ZipEntry {
 public:
  void Release() override {
    delete[] path;
    delete this;
  }
};

}  // namespace

PackletZipFile::~PackletZipFile() {
  discard();
}

bool PackletZipFile::fail(const char* what) {
  m_error = what;
  if (m_zip) {
    const char* detail = zip_strerror(m_zip);
    if (detail && *detail) m_error += std::string(": ") + detail;
  }
  return false;
}

void PackletZipFile::discard() {
  if (m_zip) zip_discard(m_zip);
  m_zip = nullptr;
  m_writing = false;
  m_index = -1;
}

bool PackletZipFile::ZipCreate(const char* archivePath, int mode) {
  discard();
  m_error.clear();
  if (!archivePath || !*archivePath) return fail("no archive path");
  int flags = ZIP_CREATE | (mode == 1 ? ZIP_EXCL : ZIP_TRUNCATE);
  int code = 0;
  m_zip = zip_open(archivePath, flags, &code);
  if (!m_zip) return fail("cannot create the archive");
  m_writing = true;
  return true;
}

bool PackletZipFile::ZipAddFile(const char* sourcePath, const char* entryName, int level) {
  if (!m_zip || !m_writing || !sourcePath || !entryName || !*entryName)
    return fail("no archive being created");
  struct stat st {};
  if (::stat(sourcePath, &st) != 0 || !S_ISREG(st.st_mode)) return fail("cannot read the source");
  zip_source_t* source = zip_source_file(m_zip, sourcePath, 0, 0);
  if (!source) return fail("cannot open the source");
  zip_int64_t index = zip_file_add(m_zip, entryName, source, ZIP_FL_OVERWRITE);
  if (index < 0) {
    zip_source_free(source);
    return fail("cannot add the entry");
  }
  zip_uint8_t field[kTimeFieldSize];
  putLittle(field, static_cast<uint64_t>(st.st_mtim.tv_sec), 8);
  putLittle(field + 8, static_cast<uint64_t>(st.st_mtim.tv_nsec), 4);
  putLittle(field + 12, st.st_mode & 07777, 4);
  // Level 0 asks for the default; the first level is chosen as the default because
  // backups are often large and the time saved outweighs the few bytes lost.
  zip_uint32_t deflateLevel = level > 0 && level <= 9 ? level : 1;
  if (zip_set_file_compression(m_zip, index, ZIP_CM_DEFLATE, deflateLevel) != 0 ||
      zip_file_set_mtime(m_zip, index, st.st_mtim.tv_sec, 0) != 0 ||
      zip_file_extra_field_set(m_zip, index, kTimeFieldId, ZIP_EXTRA_FIELD_NEW, field,
                               kTimeFieldSize, ZIP_FL_LOCAL | ZIP_FL_CENTRAL) != 0)
    return fail("cannot describe the entry");
  return true;
}

bool PackletZipFile::ZipCommit(const char* archivePath) {
  if (!m_zip || !m_writing) return fail("no archive being created");
  // libzip writes a temporary file and renames it over the archive, so a failed
  // write leaves no archive behind.
  if (zip_close(m_zip) != 0) {
    fail("cannot write the archive");
    discard();
    return false;
  }
  m_zip = nullptr;
  m_writing = false;
  if (!archivePath) return true;
  struct stat st {};
  if (::stat(archivePath, &st) != 0) return true;  // nothing was queued: no file
  if (!syncPath(archivePath, O_RDONLY) ||
      !syncPath(folderOf(archivePath).c_str(), O_RDONLY | O_DIRECTORY))
    return fail("cannot flush the archive");
  return true;
}

bool PackletZipFile::ZipOpen(const char* archivePath) {
  discard();
  m_error.clear();
  if (!archivePath) return fail("no archive path");
  int code = 0;
  m_zip = zip_open(archivePath, ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (!m_zip) return fail("cannot open the archive");
  return true;
}

bool PackletZipFile::ZipGetInfo(char* buffer, int size) {
  if (!m_zip || !buffer || size <= 0) return false;
  zip_int64_t count = zip_get_num_entries(m_zip, 0);
  int written = std::snprintf(buffer, size, "%lld entries", static_cast<long long>(count));
  return written >= 0 && written < size;
}

bool PackletZipFile::atEntry() const {
  return m_zip && !m_writing && m_index >= 0 && m_index < zip_get_num_entries(m_zip, 0);
}

bool PackletZipFile::ZipFirst() {
  if (!m_zip || m_writing) return false;
  m_index = 0;
  return atEntry();
}

bool PackletZipFile::ZipNext() {
  if (!atEntry()) return false;
  ++m_index;
  return atEntry();
}

bool PackletZipFile::ZipGetName(char* buffer, int size) {
  if (!atEntry() || !buffer || size <= 0) return false;
  const char* name = zip_get_name(m_zip, m_index, ZIP_FL_ENC_RAW);
  if (!name) return false;
  size_t length = std::strlen(name);
  if (length >= static_cast<size_t>(size)) return false;
  std::memcpy(buffer, name, length + 1);
  return true;
}

ZipEntry* PackletZipFile::ZipGetEntry() {
  if (!atEntry()) return nullptr;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(m_zip, m_index, ZIP_FL_ENC_RAW, &st) != 0) return nullptr;
  auto* entry = new (std::nothrow) PackletEntry();
  if (!entry) return nullptr;
  size_t length = st.name ? std::strlen(st.name) : 0;
  entry->path = new (std::nothrow) char[length + 1];
  if (!entry->path) {
    entry->Release();
    return nullptr;
  }
  if (length) std::memcpy(entry->path, st.name, length);
  entry->path[length] = '\0';
  entry->compressedSize = static_cast<int64_t>(st.comp_size);
  entry->method = st.comp_method;
  entry->size64 = static_cast<int64_t>(st.size);
  entry->size = st.size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(st.size);
  return entry;
}

bool PackletZipFile::writeEntryTo(zip_file_t* file, int fd, int64_t size) {
  // Runs of zeros become holes, so a sparse file comes back sparse and fast.
  std::vector<char> buffer(1 << 16);
  int64_t offset = 0;
  for (;;) {
    zip_int64_t got = zip_fread(file, buffer.data(), buffer.size());
    if (got < 0) return fail("cannot read the entry");
    if (got == 0) break;
    if (isZeroBlock(buffer.data(), static_cast<size_t>(got))) {
      offset += got;
      continue;
    }
    for (zip_int64_t done = 0; done < got;) {
      ssize_t n = ::pwrite(fd, buffer.data() + done, got - done, offset + done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return fail("cannot write the file");
      done += n;
    }
    offset += got;
  }
  if (offset != size) return fail("the entry is shorter than recorded");
  return ::ftruncate(fd, offset) == 0 || fail("cannot write the file");
}

bool PackletZipFile::ZipExtract(const char* destinationPath) {
  if (!atEntry() || !destinationPath || !*destinationPath) return false;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(m_zip, m_index, 0, &st) != 0) return fail("cannot read the entry");
  int fd = ::open(destinationPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return fail("cannot create the file");
  zip_file_t* file = zip_fopen_index(m_zip, m_index, 0);
  bool ok = file && writeEntryTo(file, fd, static_cast<int64_t>(st.size));
  if (file) zip_fclose(file);
  struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(st.mtime), 0}};
  mode_t mode = 0644;
  zip_uint16_t length = 0;
  const zip_uint8_t* field = zip_file_extra_field_get_by_id(m_zip, m_index, kTimeFieldId, 0,
                                                            &length, ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
  if (field && length == kTimeFieldSize) {
    times[1].tv_sec = static_cast<time_t>(getLittle(field, 8));
    times[1].tv_nsec = static_cast<long>(getLittle(field + 8, 4) % 1000000000);
    mode = static_cast<mode_t>(getLittle(field + 12, 4) & 07777);
  }
  ok = ok && ::fchmod(fd, mode) == 0 && ::futimens(fd, times) == 0 && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(destinationPath);
    if (m_error.empty()) fail("cannot write the file");
  }
  return ok;
}

bool PackletZipFile::ZipClose() {
  bool open = m_zip != nullptr;
  discard();
  return open;
}

}  // namespace tf::packlet
