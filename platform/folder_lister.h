// FolderLister: lists one folder's regular files and sub-folders, cheaply and safely.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <utility>
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
  // Names the file has (hard links); 0 where the system did not say.
  uint32_t links = 0;
};

// kSkippedFolder: a pseudo file system (proc, sysfs, ...) or a trash folder, never to be
// entered.
enum class EntryKind { kFile, kFolder, kSkippedFolder };

// A folder kept open while a walk enters its sub-folders: they are opened relative to it
// (no walk along the whole path for each), and its file system is known without asking
// again. Owned by the walk; close with FolderLister::CloseHandle.
struct FolderHandle {
  int fd = -1;
  uint64_t device = 0;
  uint64_t inode = 0;
  DosAttributeSource dosSource = DosAttributeSource::kNone;
};

// Stat-family calls this process made through the listers (a file's or a folder's, for
// whatever reason): a search's cost in the kernel is mostly these.
uint64_t FolderStatCalls();

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

  // For walks. OpenHandle opens a folder by its path. OpenChild opens the sub-folder
  // `name` (as just listed) of `parent`, whose path is `path`: 1 opened, 0 it cannot be
  // opened (counts as empty), -1 a pseudo file system is mounted there (never entered).
  // A parent without an open fd has its sub-folders opened by path.
  bool OpenHandle(const std::string& path, FolderHandle* out);
  int OpenChild(const FolderHandle& parent, const std::string& name, const std::string& path,
                FolderHandle* out);
  // Opens the folder `relative` (names separated by '/') below the open folder `root` in
  // one call, the last name not followed when it is a link; codes as OpenChild, with a
  // pseudo file system noticed against `root`'s. For listing a folder ahead of a walk,
  // which opens it again itself and compares device and inode.
  int OpenBelow(const FolderHandle& root, const std::string& relative, FolderHandle* out);
  static void CloseHandle(FolderHandle* handle);
  // Whether `name` in the open folder `parent` is, without following a link, the folder
  // `device` and `inode` (one stat): for taking a folder opened by another path.
  static bool IsFolderAt(const FolderHandle& parent, const std::string& name, uint64_t device,
                         uint64_t inode);
  // A second handle on the folder of `handle`, closed on its own; false when none.
  static bool DuplicateHandle(const FolderHandle& handle, FolderHandle* out);
  // Opens again a folder whose handle a walk closed, by `relative` (names separated by
  // '/', ".." among them) from the open folder `from`, one name at a time and without
  // following links: no path is ever walked from the root. True only when the folder
  // reached is the one recorded (`device`, `inode`), so that a folder moved meanwhile is
  // never taken for another.
  static bool Reopen(const FolderHandle& from, const std::string& relative, uint64_t device,
                     uint64_t inode, FolderHandle* out);
  // Lists the folder of an open handle (which stays open: the caller owns it). Sub-folder
  // entries cost no stat of their own here: OpenChild notices mounts. Only a folder that
  // holds a mount point of the table read when the lister was made has its sub-folders
  // checked one by one, so that an automounted folder is never triggered.
  bool Open(const FolderHandle& handle, const std::string& folderPath);
  // Advances to the next regular file or folder; "." and ".." never appear; symbolic
  // links, sockets, FIFOs and devices are passed over. False at the end or on a read error.
  bool Next();
  // The current entry's name, bytes as on disk.
  const std::string& name() const { return m_name; }
  EntryKind kind() const { return m_kind; }
  // Size, times and attributes of the current entry, from one statx relative to the open
  // folder without following links. False when the entry vanished or cannot be read.
  // Without `attributes`, the DOS attributes kept beside the file (a read of its extended
  // attributes) are not asked for.
  bool Stat(StatInfo* out, bool attributes = true);
  // Whether the listing itself did not say what the current entry is, so that it was
  // read already to learn its type: its Stat costs nothing more.
  bool statTaken() const { return m_haveStat; }
  // Size, last-write time and names of the regular file `name` in the open folder `folder`
  // (or, with `folder` -1, of the file at `path`, however long), asking the kernel for
  // those fields only and following no link. False when it is gone or no regular file any
  // more. Only size, modified and links of `out` are set.
  static bool StatFileIn(int folder, const std::string& name, StatInfo* out);
  // The same for a file given by path from the open folder `from` (relative, or any path
  // with `from` -1).
  static bool StatFileAt(int from, const std::string& path, StatInfo* out);
  // StatFileAt for each file `names[i]` of the folder `folder` (its path from `from`,
  // ending in '/'), with read[i] set to the answer: the folder's path is walked once, not
  // once per file. Where the folder cannot be opened as it is (gone, a link now, too
  // deep), each file is asked by its own path.
  static void StatFilesBelow(int from, const std::string& folder,
                             std::span<const std::string> names, StatInfo* out, uint8_t* read);
  void Close();

 private:
  bool fill();
  bool classify(unsigned char type);
  bool beginListing(const std::string& folderPath);
  void readMountParents();

  int m_fd = -1;
  bool m_borrowed = false;    // m_fd belongs to a FolderHandle
  bool m_statFolders = true;  // folder entries are stat'ed to notice mounts
  std::vector<char> m_buf;    // raw directory records as the kernel returned them
  size_t m_pos = 0;
  size_t m_end = 0;
  uint64_t m_dev = 0;  // device of the open folder, to notice mounts below it
  DosAttributeSource m_dosSource = DosAttributeSource::kNone;  // where DOS bits are kept
  bool m_inDataHome = false;  // the user's Trash folder is a child of this one
  std::string m_dataHome;     // read once per lister
  bool m_haveMountParents = false;
  std::set<std::pair<uint64_t, uint64_t>> m_mountParents;  // (device, inode) of folders
                                                           // that hold a mount point
  std::string m_path;
  std::string m_name;
  EntryKind m_kind = EntryKind::kFile;
  bool m_haveStat = false;  // m_stat holds the current entry (taken to learn its type)
  StatInfo m_stat;
};

}  // namespace tf
