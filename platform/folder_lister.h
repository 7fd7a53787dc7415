// FolderLister: lists one folder's regular files and sub-folders, cheaply and safely.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dos_attributes.h"

namespace tf {

// Times are 100-ns intervals since 1601-01-01 UTC:
// (seconds + 11644473600) * 10^7 + nanoseconds / 100.
struct StatInfo {
  int64_t size = 0;
  int64_t created = 0;  // birth time from statx, 0 where the file system keeps none
  int64_t accessed = 0;
  int64_t modified = 0;
  // 0x01 read-only (owner write bit clear), 0x02 hidden (name starts with '.'),
  // 0x04 system, 0x10 directory, 0x20 archive
  uint32_t attributes = 0;
};

// kSkippedFolder: a pseudo file system (proc, sysfs, ...) or a trash folder, never to be
// entered.
enum class EntryKind { kFile, kFolder, kSkippedFolder };

// One folder at a time; not thread-safe; reusable after Close or a new Open.
// Cost: the listing itself, plus one statx only for entries a caller asks Stat for; the
// entry type comes from the listing (only file systems that do not give it cost an
// fstatat), and a folder entry may cost one stat to recognise a mount of a pseudo file
// system.
class FolderLister {
 public:
  FolderLister();
  ~FolderLister();  // closes
  FolderLister(const FolderLister&) = delete;
  FolderLister& operator=(const FolderLister&) = delete;

  // False when the folder cannot be listed (callers treat it as empty).
  bool Open(const std::string& folderPath);
  // Advances to the next regular file or folder; "." and ".." never appear; symbolic
  // links, sockets, FIFOs and devices are passed over. False at the end or on a read error.
  bool Next();
  // The current entry's name, bytes as on disk.
  const std::string& name() const { return m_name; }
  EntryKind kind() const { return m_kind; }
  // Size, times and attributes of the current entry, from one statx relative to the open
  // folder without following links. False when the entry vanished or cannot be read.
  bool Stat(StatInfo* out);
  void Close();

 private:
  bool fill();
  bool classify(unsigned char type);

  int m_fd = -1;
  std::vector<char> m_buf;  // raw directory records as the kernel returned them
  size_t m_pos = 0;
  size_t m_end = 0;
  uint64_t m_dev = 0;  // device of the open folder, to notice mounts below it
  DosAttributeSource m_dosSource = DosAttributeSource::kNone;  // where DOS bits are kept
  bool m_inDataHome = false;  // the user's Trash folder is a child of this one
  std::string m_path;
  std::string m_name;
  EntryKind m_kind = EntryKind::kFile;
  bool m_haveStat = false;  // m_stat holds the current entry (taken to learn its type)
  StatInfo m_stat;
};

}  // namespace tf
