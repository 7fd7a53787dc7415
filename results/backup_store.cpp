#include "results/backup_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/quoted_input.h"
#include "platform/file_change_watcher.h"
#include "platform/file_ops.h"
#include "platform/file_time.h"
#include "platform/folder_lister.h"
#include "platform/folder_lock.h"
#include "platform/node_files.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"
#include "platform/zip_plugin.h"
#include "results/action_journal.h"
#include "results/backup_names.h"
#include "results/backup_view.h"
#include "results/links_history.h"

namespace tf {

namespace {

constexpr const char* kSeparator = "\t";
// The longest archive member name read.
constexpr int kMemberNameBytes = 2048;
// An archive is packed under this hidden name before it takes its stored name, and the zip
// library writes its own temporary beside it ("<name>.XXXXXX").
constexpr const char* kPackTemporaryPrefix = ".tf-pack-";
// The descriptor line that keeps an original name too long to be part of the file names.
constexpr const char* kLongNameAttr = "name";

// Files of the folder that are never entries: the lock and the program's temporaries.
bool isHousekeeping(const std::string& name) {
  return name.rfind(".tf-", 0) == 0 || IsProgramTemporaryName(name);
}

// The zip library's temporary of an archive that earlier versions packed in place
// ("<stored>.zipp.XXXXXX"); only a file without a descriptor of its own is one.
bool isOldPackTemporary(const std::string& name) {
  const size_t at = name.rfind(".zipp.");
  if (at == std::string::npos || name.size() - at != 12) return false;
  for (size_t i = at + 6; i < name.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

std::string quoted(const std::string& text) {
  return QuoteInput(text);
}

bool exists(const std::string& path) {
  PathStatus st;
  StatPath(path, &st, false);
  return st.exists;
}

// The regular files directly in `folder` (links, sub-folders and devices left out).
std::vector<std::string> regularFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  FolderLister lister;
  if (!lister.Open(folder)) return names;
  while (lister.Next())
    if (lister.kind() == EntryKind::kFile) names.push_back(lister.name());
  return names;
}

bool hasParentStep(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (path.compare(start, slash - start, "..") == 0 && slash - start == 2) return true;
    start = slash + 1;
  }
  return false;
}

// A name that may stand alone as a file name in a folder.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

void setText(DataNode* entry, const char* name, const std::string& value) {
  entry->attrs.Set(name, AttrValue::FromString(value), 1);
}

}  // namespace

BackupStore::BackupStore(Questions& questions, ZipPlugin* zip)
    : m_questions(questions), m_zip(zip) {}

BackupStore::~BackupStore() = default;

bool BackupStore::fail(const std::string& problem) {
  m_problem = problem;
  return false;
}

int BackupStore::answerWith(int answer, const std::string& problem) {
  m_problem = problem;
  return answer;
}

int BackupStore::SetFolder(const std::string& path) {
  ++m_loads;  // the entries handed out go
  m_entries.reset();
  m_folder = path;
  m_tidied = false;
  return !m_folder.empty() && PathKind(m_folder) == PATH_FOLDER ? 1 : 0;
}

int BackupStore::LoadEntries() {
  if (m_folder.empty()) return 0;
  ++m_loads;
  m_entries.reset(CreateNode(nullptr, "backup_files", ATTACH_ROOT));
  if (!m_entries) return 0;
  std::vector<std::string> names = regularFilesIn(m_folder);
  std::erase_if(names, isHousekeeping);
  std::vector<BackupFiles> files = PairBackupFiles(names);
  // Listing order differs from run to run; the number order is the order of storing.
  std::sort(files.begin(), files.end(), [](const BackupFiles& a, const BackupFiles& b) {
    int64_t na = StoredNumberOf(a.stored), nb = StoredNumberOf(b.stored);
    return na != nb ? na < nb : a.stored < b.stored;
  });
  for (const BackupFiles& file : files) {
    if (file.descriptor.empty() && isOldPackTemporary(file.stored)) continue;
    DataNode* entry =
        CreateNode(m_entries.get(), JoinPath(file.stored, m_folder).c_str(), ATTACH_LAST_CHILD);
    if (!entry) continue;
    entry->kind = file.compressed ? kBackupEntryCompressed : 0;
    // A descriptor that cannot be read leaves the entry without an origin.
    if (!file.descriptor.empty() &&
        ReadAttrLines(JoinPath(file.descriptor, m_folder), &entry->attrs, kSeparator)) {
      // An empty descriptor is a number claimed by an add that is under way or was
      // killed: no entry yet.
      if (entry->attrs.Count() == 0) {
        DeleteNode(entry);
        continue;
      }
      entry->kind |= kBackupEntryDescribed;
    }
    const std::string longName = entry->attrs.ValueOf(kLongNameAttr).FullText();
    SetDesc(entry,
            isPlainFileName(longName) ? longName : OriginalNameOf(file.stored, file.compressed));
  }
  return 1;
}

void BackupStore::beginWrite(FolderLock* lock) {
  if (!lock->Open(m_folder)) return;  // a folder that cannot hold the lock takes no writes
  if (!m_tidied && lock->TryExclusive()) {
    tidy();
    m_tidied = true;
  }
  lock->Shared();
}

// Removes what killed runs left (no other program is at work in the folder): temporaries,
// the numbers adds claimed (a copy whose descriptor was never written, a lone empty
// descriptor) and the descriptor of a copy already deleted. An empty descriptor is never a
// finished entry's: those hold six lines.
void BackupStore::tidy() {
  std::vector<std::string> names = regularFilesIn(m_folder);
  for (const std::string& name : names)
    if (name != kFolderLockName && isHousekeeping(name)) RemoveStoredFile(JoinPath(name, m_folder));
  std::erase_if(names, isHousekeeping);
  const auto emptyFile = [&](const std::string& name) {
    PathStatus st;
    return StatPath(JoinPath(name, m_folder), &st, false) && st.regular && st.size == 0;
  };
  std::vector<std::string> paired;  // copies and descriptors of entries
  for (const BackupFiles& file : PairBackupFiles(names)) {
    paired.push_back(file.stored);
    if (file.descriptor.empty()) {
      if (isOldPackTemporary(file.stored)) RemoveStoredFile(JoinPath(file.stored, m_folder));
      continue;
    }
    paired.push_back(file.descriptor);
    if (!emptyFile(file.descriptor)) continue;
    // The copy first: a copy without its descriptor would be listed.
    if (RemoveStoredFile(JoinPath(file.stored, m_folder)))
      RemoveStoredFile(JoinPath(file.descriptor, m_folder));
  }
  std::sort(paired.begin(), paired.end());
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end());
  const auto present = [&](const std::string& name) {
    return std::binary_search(sorted.begin(), sorted.end(), name);
  };
  // A descriptor alone: a claim never used, or what a delete killed between its two files
  // left (that one goes where its copy went). One that a copy could own stays.
  for (const std::string& name : names) {
    if (!IsDescriptorName(name) || std::binary_search(paired.begin(), paired.end(), name)) continue;
    const std::string owner = name.substr(0, name.size() - std::strlen(kDescriptorSuffix));
    if (present(owner) || present(owner + kZippSuffix)) continue;
    if (emptyFile(name))
      RemoveStoredFile(JoinPath(name, m_folder));
    else
      ShellDelete(&m_questions, name, m_folder, false);
  }
}

DataNode* BackupStore::Entries(bool reload) {
  if (reload || !m_entries) LoadEntries();
  return m_entries.get();
}

std::string BackupStore::descriptorOf(DataNode* entry) const {
  return IsDescribedEntry(entry) ? DescriptorNameOf(entry->Name(), IsCompressedEntry(entry))
                                 : std::string();
}

// Claims the first number whose copy and descriptor names this call can create and whose
// copy would pair with nothing else; the two names are then empty files of this process.
bool BackupStore::claimNumber(const std::string& name, bool compressed, std::string* stored,
                              std::string* descriptor) {
  auto cannotCreate = [&](const std::string& file) {
    std::string why = WhyCannotCreateIn(m_folder, file);
    return fail("cannot store " + quoted(name) + " in the backup folder: " +
                (why.empty() ? "cannot create " + quoted(JoinPath(file, m_folder)) : why));
  };
  for (int64_t number = 1; number < INT64_MAX; ++number) {
    const std::string storedName = StoredName(number, FittingName(number, name), compressed);
    const std::string descriptorName = DescriptorNameOf(storedName, compressed);
    *stored = JoinPath(storedName, m_folder);
    *descriptor = JoinPath(descriptorName, m_folder);
    // A name another run holds is taken, even when that run lets go of it before we look:
    // an add beside us claims and gives back numbers as it finds rivals.
    if (!ClaimFileName(*descriptor)) {
      if (errno == EEXIST || exists(*descriptor)) continue;
      return cannotCreate(descriptorName);
    }
    if (!ClaimFileName(*stored)) {
      const bool taken = errno == EEXIST;
      RemoveStoredFile(*descriptor);
      if (taken || exists(*stored)) continue;
      return cannotCreate(storedName);
    }
    const std::vector<std::string> rivals = PairingRivals(storedName, compressed);
    if (std::none_of(rivals.begin(), rivals.end(),
                     [&](const std::string& r) { return exists(JoinPath(r, m_folder)); }))
      return true;
    RemoveStoredFile(*stored);
    RemoveStoredFile(*descriptor);
  }
  return fail("no free number for " + quoted(name) + " in the backup folder");
}

bool BackupStore::archiveHolds(ZipFileInterface* zip, const std::string& archive, int64_t size) {
  if (!zip->ZipOpen(archive.c_str()) || !zip->ZipFirst()) return false;
  ZipEntry* entry = zip->ZipGetEntry();
  bool ok = entry && entry->size64 == size && !zip->ZipNext();
  if (entry) entry->Release();
  zip->ZipClose();
  return ok;
}

// Packs the archive under a hidden name of its own (the zip library's temporary beside it
// is hidden too, so a killed add leaves nothing listed), then puts it over the empty file
// claimed for it.
bool BackupStore::compressTo(const std::string& source, const std::string& name,
                             const std::string& archive, int64_t size) {
  ZipFileInterface* zip = m_zip ? m_zip->AcquireZipInterface() : nullptr;
  if (!zip) {
    m_compress = false;
    return false;
  }
  std::string packing;
  bool done = false;
  try {
    if (MakeTemporaryFile(m_folder, kPackTemporaryPrefix, &packing) &&
        zip->ZipCreate(packing.c_str(), 0)) {
      bool added = zip->ZipAddFile(source.c_str(), name.c_str(), 0);
      // A commit that failed (a full disk) must not count as a stored copy.
      bool committed = zip->ZipCommit(packing.c_str());
      done = added && committed && archiveHolds(zip, packing, size);
    }
  } catch (...) {
    done = false;
  }
  m_zip->ReleaseZipInterface(zip);
  done = done && RenameOver(packing, archive);
  if (!done && !packing.empty()) RemoveStoredFile(packing);
  return done;
}

bool BackupStore::sameAsStored(const std::string& path) const {
  PathStatus now;
  return StatPath(path, &now, false) && now.regular && now.device == m_lastSource.device &&
         now.inode == m_lastSource.inode && now.size == m_lastSource.size &&
         now.modified == m_lastSource.modified;
}

// Why a copy into the backup folder failed, in words the user can act on.
std::string BackupStore::copyProblem(const std::string& source, const std::string& stored) const {
  const std::string start = "cannot copy " + quoted(source) + " to the backup folder";
  if (LacksSpaceFor(m_folder, m_lastSource.size))
    return start + ": the disk is full (" + std::to_string(m_lastSource.size) +
           " bytes do not fit into " + quoted(m_folder) + ")";
  const std::string why = WhyCannotCreateIn(m_folder, FileNameOf(stored));
  return start + (why.empty() ? std::string() : ": " + why);
}

int BackupStore::AddToBackup(const std::string& sourcePath, const char* comment) {
  m_lastDone = false;
  m_problem.clear();
  m_lastStored.clear();
  m_lastDescriptor.clear();
  const std::string source = AbsolutePath(sourcePath);
  PathStatus& st = m_lastSource;
  if (!StatPath(source, &st, false) || !st.regular)
    return answerWith(0,
                      quoted(source) + (st.exists ? " is not a regular file" : " does not exist"));
  if (!Entries(false))
    return answerWith(0, "the backup folder " + quoted(m_folder) + " cannot be listed");
  JournalScope journal(kActBackup);
  if (!journal.Ok()) return answerWith(0, journal.Why());
  FolderLock lock;
  beginWrite(&lock);
  std::string sourceFolder, name;
  SplitPath(source, &sourceFolder, &name);
  std::string stored, descriptor;
  bool compressed = m_compress && m_zip;
  bool stopped = false;
  const std::string changed = quoted(source) +
                              " changed while it was copied (it was replaced or written to); "
                              "it was left where it is and nothing was stored";
  // A copy that cannot be compressed is stored plainly, under a number claimed anew.
  for (;; compressed = false) {
    if (!claimNumber(name, compressed, &stored, &descriptor)) return 0;
    const bool done = runStep([&](const CopyProgress& progress) {
      const CopyProgress watched = [&](int64_t copied, int64_t total) {
        stopped = stopped || (progress && !progress(copied, total));
        return !stopped;
      };
      // Packing tells no progress: a cancel that came meanwhile undoes it afterwards.
      if (compressed) return compressTo(source, name, stored, st.size) && watched(1, 1);
      return CopyFileHooked(name, FileNameOf(stored), sourceFolder, m_folder, false, {}, {},
                            watched) != 0;
    });
    // What was copied must be the file that stays behind to be trashed: the very file
    // (not one renamed over it), neither grown nor written to since it was looked at.
    const bool same = sameAsStored(source);
    if (done && same) break;
    RemoveStoredFile(stored);
    RemoveStoredFile(descriptor);
    if (!same) return answerWith(0, changed);
    if (stopped) return answerWith(0, "the backup of " + quoted(source) + " was cancelled");
    if (!compressed) return answerWith(0, copyProblem(source, stored));
  }
  AddOwnerWrite(stored);
  DataNode* entry = CreateNode(m_entries.get(), stored.c_str(), ATTACH_LAST_CHILD);
  if (entry) {
    entry->kind = (compressed ? kBackupEntryCompressed : 0) | kBackupEntryDescribed;
    SetDesc(entry, name);
    setText(entry, "location", sourceFolder);
    setText(entry, "placed", PlacedText(FileTimeNow()));
    setText(entry, "modified", ModifiedText(st.modified));
    setText(entry, "type", BackupTypeOf(name));
    setText(entry, "size", std::to_string(st.size));
    setText(entry, "comment", DescriptorComment(comment ? comment : ""));
    if (OriginalNameOf(FileNameOf(stored), compressed) != name) setText(entry, kLongNameAttr, name);
  }
  std::string error;
  AttrList written;
  // "Stored" only for a copy that is there with a descriptor that reads back as written.
  // The descriptor is written last: until then the number is claimed but no entry.
  PathStatus kept;
  bool ok = entry && WriteAttrLines(descriptor, entry->attrs, kSeparator, &error) &&
            ReadAttrLines(descriptor, &written, kSeparator, &error) &&
            written.Count() == entry->attrs.Count() && StatPath(stored, &kept, false) &&
            kept.regular;
  std::string unkept;  // a fact that was written but reads back otherwise
  for (int i = 0; ok && i < written.Count(); ++i) {
    ok = written.ValueAt(i).FullText() == entry->attrs.ValueAt(i).FullText();
    if (!ok) unkept = entry->attrs.NameAt(i);
  }
  if (!ok) {
    // Half an entry would be listed without its origin: take the new files back.
    DeleteNode(entry);
    RemoveStoredFile(stored);
    RemoveStoredFile(descriptor);
    // The descriptor keeps a fact a line: a folder name with a line break in it cannot
    // be kept, and saying so tells the user what to rename.
    if (!unkept.empty())
      return answerWith(0, "cannot keep the " + unkept + " of " + quoted(source) +
                               " in the backup folder: it holds a line break");
    if (LacksSpaceFor(m_folder, 4096))
      return answerWith(0, "cannot write the descriptor of " + quoted(source) +
                               " in the backup folder: the disk is full");
    return answerWith(0, "cannot write the descriptor " + quoted(descriptor) +
                             (error.empty() ? std::string() : ": " + error));
  }
  m_lastStored = stored;
  m_lastDescriptor = descriptor;
  m_lastDone = true;
  // An undo takes both away again, so that the entry goes.
  for (const std::string* made : {&stored, &descriptor}) {
    WatchBefore(FileChange::kMade, *made, std::string(), nullptr);
    WatchAfter(FileChange::kMade, *made, std::string(), true);
  }
  return 1;
}

bool BackupStore::OriginalIsStoredFile(const std::string& path) {
  if (m_lastStored.empty()) return false;
  if (sameAsStored(AbsolutePath(path))) return true;
  FolderLock lock;
  beginWrite(&lock);
  if (m_entries) DeleteNode(FindChild(m_entries.get(), m_lastStored.c_str()));
  RemoveStoredFile(m_lastStored);
  RemoveStoredFile(m_lastDescriptor);
  m_lastStored.clear();
  m_lastDone = false;
  m_problem = quoted(path) +
              " changed after it was copied (it was replaced or written to); it was left where "
              "it is and its backup was taken back";
  return false;
}

bool BackupStore::extract(ZipFileInterface* zip, const std::string& archive, std::string* extracted,
                          std::string* scratch) {
  const std::string shown = quoted(FileNameOf(archive));
  if (!zip->ZipOpen(archive.c_str()))
    return fail(shown + " cannot be read as an archive (it is damaged or no archive)");
  std::vector<char> member(kMemberNameBytes, '\0');
  if (!zip->ZipFirst() || !zip->ZipGetName(member.data(), static_cast<int>(member.size()))) {
    m_questions.ShowMessage(kBackupErrorText, kErrorCaption, MB_OK);
    return fail("the archive " + shown + " holds no file it can name (it is damaged)");
  }
  const std::string memberName = member.data();
  if (!memberName.empty() && memberName.back() == '/')
    return fail("the archive " + shown + " holds a folder, not a file");
  const std::string fileName = FileNameOf(memberName);
  if (!isPlainFileName(fileName))
    return fail("the archive " + shown + " names its file \"" + quoted(memberName) +
                "\", which is no file name");
  if (zip->ZipNext() || !zip->ZipFirst())
    return fail("the archive " + shown + " holds more than one file");
  std::string why;
  if (!MakeScratchFolder(TempFolder(), scratch, &why))
    return fail("no place to unpack " + shown + ": " + why);
  *extracted = JoinPath(fileName, *scratch);
  if (!zip->ZipExtract(extracted->c_str())) {
    why = WhyCannotCreateIn(*scratch, fileName);
    return fail("cannot unpack " + shown + ": " +
                (why.empty() ? "the archive is damaged or the disk is full" : why));
  }
  return true;
}

// The file to copy for an entry: the stored copy itself, or the copy extracted from
// its archive. False when there is none; `answer` is then the operation's answer.
bool BackupStore::sourceOf(DataNode* entry, std::string* source, std::string* scratch,
                           int* answer) {
  *answer = 1;
  *source = entry->Name();
  if (!IsCompressedEntry(entry)) {
    PathStatus st;
    if (StatPath(*source, &st, false) && st.regular) return true;
    return fail("the stored copy " + quoted(*source) + " is missing");
  }
  ZipFileInterface* zip = m_zip ? m_zip->AcquireZipInterface() : nullptr;
  if (!zip) {
    m_questions.ShowMessage(kZipInitErrorText, kErrorCaption, MB_OK);
    *answer = 0;
    return fail("the zip plug-in, needed to unpack " + quoted(FileNameOf(*source)) +
                ", cannot be loaded");
  }
  std::string extracted;
  bool ok = false;
  try {
    ok = extract(zip, *source, &extracted, scratch);
  } catch (...) {
    ok = fail("the archive " + quoted(FileNameOf(*source)) + " cannot be unpacked");
  }
  zip->ZipClose();
  m_zip->ReleaseZipInterface(zip);
  *source = ok ? extracted : std::string();
  return ok;
}

// Where a restore goes: the entry's original place, or another one the user chooses when
// that place is now a folder.
bool BackupStore::restorePlace(DataNode* entry, std::string* destination) {
  const std::string stored = quoted(FileNameOf(entry->Name()));
  if (!IsDescribedEntry(entry))
    return fail(stored + " has no descriptor of its own, so its original place is unknown");
  const std::string location = entry->attrs.ValueOf("location").FullText();
  const std::string desc = entry->Desc();
  if (location.empty() || location.front() != '/')
    return fail("the original place \"" + quoted(location) + "\" of " + stored +
                " is not an absolute path");
  if (hasParentStep(location))
    return fail("the original place \"" + quoted(location) + "\" of " + stored +
                " contains \"..\"");
  // A folder on the way replaced by a link would send the file somewhere else, perhaps
  // where whoever made the link wants it.
  const std::string link = FirstLinkInPath(location);
  if (!link.empty())
    return fail("cannot restore " + stored + " to " + quoted(location) + ": " + quoted(link) +
                " is a symbolic link now, so the folder may not be the one the file came from");
  if (!isPlainFileName(desc))
    return fail("the stored name " + stored + " gives no file name to restore to");
  *destination = JoinPath(desc, location);
  if (PathKind(*destination) == PATH_FOLDER) {
    const std::string title =
        quoted(*destination) + " is now a folder: choose another place for " + quoted(desc);
    std::string chosen = desc;
    if (!m_questions.ChooseFileToSave("", "", "", location, title, true, &chosen) || chosen.empty())
      return fail(quoted(*destination) + " is now a folder, and no other place was chosen");
    if (chosen.front() != '/' || hasParentStep(chosen))
      return fail("the chosen place \"" + quoted(chosen) +
                  "\" is not an absolute path without \"..\"");
    if (PathKind(chosen) == PATH_FOLDER)
      return fail("the chosen place " + quoted(chosen) + " is a folder");
    *destination = chosen;
  }
  std::string folder, name;
  SplitPath(*destination, &folder, &name);
  const std::string why = WhyCannotCreateIn(folder, name);
  if (!why.empty()) return fail("cannot restore to " + quoted(*destination) + ": " + why);
  return true;
}

// Copies `source` to `destination` (a taken name is asked about); on failure says why.
bool BackupStore::copyOut(const std::string& source, const std::string& destination,
                          const CopyProgress& progress) {
  const bool taken = exists(destination);
  bool stopped = false;
  const CopyProgress watched = [&](int64_t copied, int64_t total) {
    stopped = stopped || (progress && !progress(copied, total));
    return !stopped;
  };
  if (ShellFileOp(&m_questions, FO_COPY, source, destination, true, watched)) return true;
  if (stopped) return fail("the copy to " + quoted(destination) + " was cancelled");
  if (taken && exists(destination))
    return fail(quoted(destination) + " is already there and was kept as it is");
  std::string folder, name;
  SplitPath(destination, &folder, &name);
  const std::string why = WhyCannotCreateIn(folder, name);
  PathStatus copied;
  if (why.empty() && StatPath(source, &copied, true) && LacksSpaceFor(folder, copied.size))
    return fail("cannot copy to " + quoted(destination) + ": the disk is full");
  return fail("cannot copy to " + quoted(destination) + ": " +
              (why.empty() ? "the copy failed (is the disk full?)" : why));
}

int BackupStore::RestoreEntry(DataNode* entry) {
  m_lastDone = false;
  m_problem.clear();
  if (!entry || m_folder.empty()) return answerWith(1, "no backup entry was given");
  std::string destination;
  if (!restorePlace(entry, &destination)) return 1;
  JournalScope journal(kActBackupRestore);
  if (!journal.Ok()) return answerWith(1, journal.Why());
  FolderLock lock;
  beginWrite(&lock);
  // The stored files leave the folder once the copy is back: a folder they cannot leave
  // would leave the entry listed beside its restored copy.
  const std::string stuck = WhyCannotCreateIn(m_folder, FileNameOf(entry->Name()));
  if (!stuck.empty())
    return answerWith(1, "the stored copy cannot be taken out of the backup folder: " + stuck);
  std::string source, scratch;
  int answer = 1;
  if (runStep([&](const CopyProgress& progress) {
        return sourceOf(entry, &source, &scratch, &answer) &&
               copyOut(source, destination, progress);
      })) {
    if (DeleteEntry(entry))
      m_lastDone = true;
    else
      fail("the copy is back at " + quoted(destination) +
           ", but the stored copy could not be moved to the trash");
  }
  RemoveScratchFolder(scratch);
  return answer;
}

int BackupStore::CopyEntryTo(DataNode* entry, const std::string& folder) {
  m_lastDone = false;
  m_problem.clear();
  if (!entry || folder.empty()) return answerWith(1, "no backup entry or folder was given");
  JournalScope journal(kActBackupCopy);
  if (!journal.Ok()) return answerWith(1, journal.Why());
  std::string source, scratch;
  int answer = 1;
  m_lastDone = runStep([&](const CopyProgress& progress) {
    return sourceOf(entry, &source, &scratch, &answer) &&
           copyOut(source, JoinPath(FileNameOf(source), folder), progress);
  });
  RemoveScratchFolder(scratch);
  return answer;
}

int BackupStore::DeleteEntry(DataNode* entry) {
  m_problem.clear();
  m_lastDone = false;  // a failure must not read as the last action's success
  if (!entry) return 0;
  const std::string stored = entry->Name();
  const std::string descriptor = descriptorOf(entry);
  std::string folder, name;
  SplitPath(stored, &folder, &name);
  JournalScope journal(kActBackupDelete);
  if (!journal.Ok()) return answerWith(0, journal.Why());
  FolderLock lock;
  beginWrite(&lock);
  if (!ShellDelete(&m_questions, name, folder, false)) {
    const std::string why = WhyCannotCreateIn(folder, name);
    return answerWith(
        0, "cannot move " + quoted(stored) + " to the trash" + (why.empty() ? "" : ": " + why));
  }
  if (!descriptor.empty() && exists(descriptor)) {
    SplitPath(descriptor, &folder, &name);
    ShellDelete(&m_questions, name, folder, false);
  }
  // Only this entry has changed: reading the whole folder again after each of many
  // deletes would make them take the square of its size.
  if (entry->Parent() == m_entries.get()) DeleteNode(entry);
  m_lastDone = true;
  return 1;
}

int BackupStore::DeleteAllEntries() {
  JournalScope journal(kActBackupDelete);
  if (!journal.Ok()) return answerWith(1, journal.Why());
  FolderLock lock;
  beginWrite(&lock);
  std::vector<std::string> names = regularFilesIn(m_folder);
  // The lock and the temporaries of adds under way are the program's, not the user's.
  std::erase_if(names, isHousekeeping);
  runStep([&](const CopyProgress& progress) {
    const auto count = static_cast<int64_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      if (progress && !progress(static_cast<int64_t>(i), count)) return false;
      ShellDelete(&m_questions, names[i], m_folder, false);
    }
    return true;
  });
  LoadEntries();
  return 1;
}

bool BackupStore::runStep(const std::function<bool(const CopyProgress&)>& step) {
  return m_runner ? m_runner(step) : step(CopyProgress());
}

int BackupStore::BrowseEntryFolder(DataNode* entry, bool testOnly) {
  if (!entry) return 0;
  const std::string location = entry->attrs.ValueOf("location").FullText();
  if (location.empty() || PathKind(location) != PATH_FOLDER) {
    if (!testOnly)
      m_questions.ShowMessage(
          location.empty()
              ? std::string("No original folder is recorded for this file.")
              : "The original folder\n\"" + location +
                    "\"\nno longer exists. \"Restore\" makes it again and puts the file back.",
          kBrowseCaption, MB_OK);
    return 0;
  }
  if (testOnly) return 1;
  return m_browse && m_browse(location) ? 1 : 0;
}

}  // namespace tf
