// How the files of the backup folder are named: stored copies ("<n>.<name>", plus
// ".zipp" when compressed) and their descriptors ("<n>.<name>.backup_info"), and which
// descriptor belongs to which copy when names themselves end in those suffixes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tf {

constexpr const char* kZippSuffix = ".zipp";
constexpr const char* kDescriptorSuffix = ".backup_info";

// "<number>.<original name>", with ".zipp" when `compressed`.
std::string StoredName(int64_t number, const std::string& originalName, bool compressed);
// The longest file name the system takes, in bytes, and what the trash adds to a name.
constexpr size_t kMaxFileNameBytes = 255;
constexpr size_t kTrashRoom = 32;
// The original name as it is put into the stored names of `number`: itself when its
// descriptor's name and the trash's record of it fit in kMaxFileNameBytes, else its start
// (never cut inside a UTF-8 sequence), "~" and its extension (when that is short), so that
// they do. A shortened name keeps the whole one in the descriptor's "name" line.
std::string FittingName(int64_t number, const std::string& originalName);
// True for a name ending in ".zipp".
bool IsCompressedName(const std::string& storedName);
// The original name held in a stored name: after its first '.', without the final ".zipp"
// of a compressed copy.
std::string OriginalNameOf(const std::string& storedName, bool compressed);
// The descriptor name of a stored copy: the stored name without the final ".zipp" of a
// compressed copy, plus ".backup_info". Works on paths as well as names.
std::string DescriptorNameOf(const std::string& stored, bool compressed);
// True for names the backup list leaves out unless they are a stored copy with a
// descriptor of their own: "*.backup_info", ignoring case.
bool IsDescriptorName(const std::string& name);

// A stored copy found in the backup folder.
struct BackupFiles {
  std::string stored;      // the copy's file name
  std::string descriptor;  // its own descriptor's name; empty when it has none
  bool compressed = false;
};
// The stored copies among the regular files `names` of a backup folder, in the given
// order. A copy and a descriptor are paired only when neither could belong to another
// file of the folder (a name ending in ".zipp" may be a plain copy or an archive; one
// ending in ".backup_info" may be a copy or a descriptor): a copy whose own descriptor
// cannot be told for sure has none, and a descriptor is never lent to another copy.
// Names ending in ".backup_info" that are no paired copy are left out.
std::vector<BackupFiles> PairBackupFiles(const std::vector<std::string>& names);
// The names that must be absent for a new copy `stored` (and its descriptor) to pair
// only with each other.
std::vector<std::string> PairingRivals(const std::string& stored, bool compressed);

// The text stored as "type": what follows the last '.' of the name, "?" without one.
std::string BackupTypeOf(const std::string& fileName);
// A comment as one descriptor line: every line break (CR LF, LF or CR) becomes " \ ";
// "-" for an empty comment.
std::string DescriptorComment(const std::string& comment);
// The leading number of a stored name, or -1.
int64_t StoredNumberOf(const std::string& storedName);

}  // namespace tf
