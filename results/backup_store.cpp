#include "results/backup_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "datatree/node_xml.h"
#include "platform/file_ops.h"
#include "platform/file_time.h"
#include "platform/node_files.h"
#include "platform/path_utils.h"
#include "platform/zip_plugin.h"
#include "results/backup_names.h"
#include "results/backup_view.h"
#include "results/links_history.h"

namespace tf {
namespace fs = std::filesystem;

namespace {

constexpr const char* kSeparator = "\t";
// Extracted copies wait in a folder of their own inside the backup folder, so an
// archive's entry name can never reach or replace a file outside it or a stored file.
constexpr const char* kScratchPrefix = ".twinfold-restore-";

bool isFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

int64_t fileTimeOf(fs::file_time_type time) {
  auto sys = std::chrono::file_clock::to_sys(time);
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count();
  std::timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns / 1000000000);
  ts.tv_nsec = static_cast<long>(ns % 1000000000);
  if (ts.tv_nsec < 0) {
    ts.tv_nsec += 1000000000;
    --ts.tv_sec;
  }
  return FileTimeFromTimespec(ts);
}

// The entry name of an archive as a plain name: never a path, never "." or "..".
std::string safeEntryName(const std::string& stored, const std::string& fallback) {
  std::string name = FileNameOf(stored);
  if (name.empty() || name == "." || name == "..") return fallback;
  return name;
}

void setText(DataNode* entry, const char* name, const std::string& value) {
  entry->attrs.Set(name, AttrValue::FromString(value), 1);
}

}  // namespace

BackupStore::BackupStore(Questions& questions, ZipPlugin* zip)
    : m_questions(questions), m_zip(zip) {}

BackupStore::~BackupStore() {
  DeleteNode(m_entries);
}

int BackupStore::SetFolder(const std::string& path) {
  DeleteNode(m_entries);
  m_entries = nullptr;
  m_folder = path;
  return isFolder(m_folder) ? 1 : 0;
}

int BackupStore::LoadEntries() {
  if (m_folder.empty()) return 0;
  DeleteNode(m_entries);
  m_entries = CreateNode(nullptr, "backup_files", ATTACH_ROOT);
  if (!m_entries) return 0;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError) || it->is_symlink(typeError)) continue;
    std::string name = it->path().filename().string();
    if (!IsDescriptorName(name)) names.push_back(name);
  }
  // Readdir order differs from run to run; the number order is the order of storing.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    int64_t na = StoredNumberOf(a), nb = StoredNumberOf(b);
    return na != nb ? na < nb : a < b;
  });
  for (const std::string& name : names) {
    DataNode* entry = CreateNode(m_entries, JoinPath(name, m_folder).c_str(), ATTACH_LAST_CHILD);
    if (!entry) continue;
    readDescriptor(entry);
    SetDesc(entry, OriginalNameOf(name));
  }
  return 1;
}

DataNode* BackupStore::Entries(bool reload) {
  if (reload || !m_entries) LoadEntries();
  return m_entries;
}

std::string BackupStore::descriptorOf(DataNode* entry) const {
  std::string path = DescriptorPathOf(entry->Name());
  if (!exists(path)) {
    std::string legacy = LegacyDescriptorPathOf(entry->Name());
    if (exists(legacy)) return legacy;
  }
  return path;
}

void BackupStore::readDescriptor(DataNode* entry) {
  entry->attrs.Clear();
  ReadAttrLines(descriptorOf(entry), &entry->attrs, kSeparator);
}

int64_t BackupStore::freeNumber(const std::string& name) const {
  // A number is free only when neither form of the copy nor its descriptor exists,
  // so a fall-back from compressed to plain can never land on another entry's files.
  for (int64_t number = 1; number < INT64_MAX; ++number) {
    std::string plain = JoinPath(StoredName(number, name, false), m_folder);
    if (!exists(plain) && !exists(plain + kZippSuffix) && !exists(DescriptorPathOf(plain)))
      return number;
  }
  return -1;
}

bool BackupStore::archiveHolds(ZipFileInterface* zip, const std::string& archive, int64_t size) {
  if (!zip->ZipOpen(archive.c_str()) || !zip->ZipFirst()) return false;
  ZipEntry* entry = zip->ZipGetEntry();
  bool ok = entry && entry->size64 == size;
  if (entry) entry->Release();
  zip->ZipClose();
  return ok;
}

bool BackupStore::compressTo(const std::string& source, const std::string& name,
                             const std::string& archive) {
  ZipFileInterface* zip = m_zip ? m_zip->AcquireZipInterface() : nullptr;
  if (!zip) {
    m_compress = false;
    return false;
  }
  bool done = false;
  try {
    std::error_code ec;
    auto size = static_cast<int64_t>(fs::file_size(source, ec));
    if (!ec && zip->ZipCreate(archive.c_str(), 1)) {
      bool added = zip->ZipAddFile(source.c_str(), name.c_str(), 0);
      // A commit that failed (a full disk) must not count as a stored copy.
      bool committed = zip->ZipCommit(archive.c_str());
      done = added && committed && archiveHolds(zip, archive, size);
    }
  } catch (...) {
    done = false;
  }
  m_zip->ReleaseZipInterface(zip);
  if (!done) DeleteFileHooked(FileNameOf(archive), m_folder);
  return done;
}

DataNode* BackupStore::addEntry(const std::string& storedPath, const std::string& source) {
  std::error_code ec;
  auto size = fs::file_size(source, ec);
  if (ec) return nullptr;
  auto mtime = fs::last_write_time(source, ec);
  if (ec) return nullptr;
  std::string folder, name;
  SplitPath(source, &folder, &name);
  DataNode* entry = CreateNode(m_entries, storedPath.c_str(), ATTACH_LAST_CHILD);
  if (!entry) return nullptr;
  SetDesc(entry, name);
  setText(entry, "location", folder);
  setText(entry, "placed", PlacedText(FileTimeNow()));
  setText(entry, "modified", ModifiedText(fileTimeOf(mtime)));
  setText(entry, "type", BackupTypeOf(name));
  setText(entry, "size", std::to_string(size));
  return entry;
}

int BackupStore::AddToBackup(const std::string& sourcePath, const char* comment) {
  m_lastDone = false;
  std::error_code ec;
  const std::string source = fs::absolute(sourcePath, ec).string();
  if (ec || !fs::is_regular_file(fs::symlink_status(source, ec)) || !Entries(false)) return 0;
  std::string sourceFolder, name;
  SplitPath(source, &sourceFolder, &name);
  int64_t number = freeNumber(name);
  if (number < 0) return 0;
  const std::string plainName = StoredName(number, name, false);
  std::string storedPath = JoinPath(plainName, m_folder);
  if (m_compress && compressTo(source, name, storedPath + kZippSuffix)) {
    storedPath += kZippSuffix;
  } else if (!CopyFileHooked(name, plainName, sourceFolder, m_folder, true)) {
    return 0;
  }
  fs::permissions(storedPath, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                  ec);
  DataNode* entry = addEntry(storedPath, source);
  if (entry) setText(entry, "comment", DescriptorComment(comment ? comment : ""));
  const std::string descriptor = DescriptorPathOf(storedPath);
  if (!entry || !WriteAttrLines(descriptor, entry->attrs, kSeparator)) {
    // Half an entry would be listed without its origin: take the new files back.
    DeleteNode(entry);
    DeleteFileHooked(FileNameOf(descriptor), m_folder);
    DeleteFileHooked(FileNameOf(storedPath), m_folder);
    return 0;
  }
  m_lastDone = true;
  return 1;
}

bool BackupStore::extract(ZipFileInterface* zip, const std::string& archive,
                          const std::string& name, std::string* extracted, std::string* scratch) {
  if (!zip->ZipOpen(archive.c_str())) return false;
  std::vector<char> stored(2048, '\0');
  if (!zip->ZipFirst() || !zip->ZipGetName(stored.data(), static_cast<int>(stored.size()))) {
    m_questions.ShowMessage(kBackupErrorText, kErrorCaption, MB_OK);
    return false;
  }
  for (int n = 1; n < 10000 && scratch->empty(); ++n) {
    std::string folder = JoinPath(kScratchPrefix + std::to_string(n), m_folder);
    std::error_code ec;
    if (fs::create_directory(folder, ec)) *scratch = folder;
  }
  if (scratch->empty()) return false;
  *extracted = JoinPath(safeEntryName(stored.data(), name), *scratch);
  return zip->ZipExtract(extracted->c_str());
}

// The file to copy for an entry: the stored copy itself, or the copy extracted from
// its archive. False when there is none; `answer` is then the operation's answer.
bool BackupStore::sourceOf(DataNode* entry, std::string* source, std::string* scratch,
                           int* answer) {
  *answer = 1;
  *source = entry->Name();
  if (!IsCompressedName(FileNameOf(*source))) return exists(*source);
  ZipFileInterface* zip = m_zip ? m_zip->AcquireZipInterface() : nullptr;
  if (!zip) {
    m_questions.ShowMessage(kZipInitErrorText, kErrorCaption, MB_OK);
    *answer = 0;
    return false;
  }
  std::string extracted;
  bool ok = false;
  try {
    ok = extract(zip, *source, entry->Desc(), &extracted, scratch);
  } catch (...) {
    ok = false;
  }
  m_zip->ReleaseZipInterface(zip);
  *source = ok ? extracted : std::string();
  return ok;
}

void BackupStore::dropScratch(const std::string& scratch) {
  if (scratch.empty()) return;
  std::error_code ec;
  fs::remove_all(scratch, ec);
}

int BackupStore::RestoreEntry(DataNode* entry) {
  m_lastDone = false;
  if (!entry || m_folder.empty()) return 1;
  const std::string location = entry->attrs.ValueOf("location").FullText();
  const std::string desc = entry->Desc();
  // Without its origin an entry has nowhere to go back to.
  if (location.empty() || location.back() != '/' || desc.empty()) {
    m_questions.ShowMessage(kBackupErrorText, kErrorCaption, MB_OK);
    return 1;
  }
  std::string source, scratch;
  int answer = 1;
  if (sourceOf(entry, &source, &scratch, &answer) &&
      ShellFileOp(&m_questions, FO_COPY, source, location + desc, true)) {
    m_lastDone = true;
    DeleteEntry(entry);
  }
  dropScratch(scratch);
  LoadEntries();
  return answer;
}

int BackupStore::CopyEntryTo(DataNode* entry, const std::string& folder) {
  m_lastDone = false;
  if (!entry || folder.empty()) return 1;
  std::string source, scratch;
  int answer = 1;
  if (sourceOf(entry, &source, &scratch, &answer))
    m_lastDone =
        ShellFileOp(&m_questions, FO_COPY, source, JoinPath(FileNameOf(source), folder), true);
  dropScratch(scratch);
  return answer;
}

int BackupStore::DeleteEntry(DataNode* entry) {
  if (!entry) return 0;
  const std::string stored = entry->Name();
  const std::string descriptor = descriptorOf(entry);
  std::string folder, name;
  SplitPath(stored, &folder, &name);
  if (!ShellDelete(&m_questions, name, folder, false)) return 0;
  if (exists(descriptor)) {
    SplitPath(descriptor, &folder, &name);
    ShellDelete(&m_questions, name, folder, false);
  }
  LoadEntries();
  return 1;
}

int BackupStore::DeleteAllEntries() {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError) || it->is_symlink(typeError))
      names.push_back(it->path().filename().string());
  }
  for (const std::string& name : names) ShellDelete(&m_questions, name, m_folder, false);
  LoadEntries();
  return 1;
}

int BackupStore::BrowseEntryFolder(DataNode* entry, bool testOnly) {
  if (!entry) return 0;
  const std::string location = entry->attrs.ValueOf("location").FullText();
  if (!isFolder(location)) return 0;
  if (testOnly) return 1;
  return m_browse && m_browse(location) ? 1 : 0;
}

}  // namespace tf
