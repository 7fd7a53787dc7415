// How the files of the backup folder are named: stored copies ("<n>.<name>", plus
// ".zipp" when compressed) and their descriptors ("<n>.<name>.backup_info").
#pragma once

#include <cstdint>
#include <string>

namespace tf {

constexpr const char* kZippSuffix = ".zipp";
constexpr const char* kDescriptorSuffix = ".backup_info";

// "<number>.<original name>", with ".zipp" when `compressed`.
std::string StoredName(int64_t number, const std::string& originalName, bool compressed);
// True for a stored name of a compressed copy (ending in ".zipp").
bool IsCompressedName(const std::string& storedName);
// The original name held in a stored name: after its first '.', without a final ".zipp".
std::string OriginalNameOf(const std::string& storedName);
// The descriptor beside a stored copy: the stored path without a final ".zipp", plus
// ".backup_info".
std::string DescriptorPathOf(const std::string& storedPath);
// The descriptor name older backup folders used: the stored path cut at the first ".zipp"
// anywhere in it. Differs from DescriptorPathOf only for names holding ".zipp" inside.
std::string LegacyDescriptorPathOf(const std::string& storedPath);
// True for names the backup list leaves out: "*.backup_info", ignoring case.
bool IsDescriptorName(const std::string& name);
// The text stored as "type": what follows the last '.' of the name, "?" without one.
std::string BackupTypeOf(const std::string& fileName);
// A comment as one descriptor line: every line break (CR LF, LF or CR) becomes " \ ";
// "-" for an empty comment.
std::string DescriptorComment(const std::string& comment);
// The leading number of a stored name, or -1.
int64_t StoredNumberOf(const std::string& storedName);

}  // namespace tf
