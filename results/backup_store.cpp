#include "results/backup_store.h"

#include <algorithm>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_time.h"
#include "platform/folder_lister.h"
#include "platform/node_files.h"
#include "platform/path_status.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"
#include "platform/zip_plugin.h"
#include "results/backup_names.h"
#include "results/backup_view.h"
#include "results/links_history.h"

namespace tf {

namespace {

constexpr const char* kSeparator = "\t";
// The longest archive member name read.
constexpr int kMemberNameBytes = 2048;

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

BackupStore::~BackupStore() {
  DeleteNode(m_entries);
}

bool BackupStore::fail(const std::string& problem) {
  m_problem = problem;
  return false;
}

int BackupStore::answerWith(int answer, const std::string& problem) {
  m_problem = problem;
  return answer;
}

int BackupStore::SetFolder(const std::string& path) {
  DeleteNode(m_entries);
  m_entries = nullptr;
  m_folder = path;
  return !m_folder.empty() && PathKind(m_folder) == PATH_FOLDER ? 1 : 0;
}

int BackupStore::LoadEntries() {
  if (m_folder.empty()) return 0;
  DeleteNode(m_entries);
  m_entries = CreateNode(nullptr, "backup_files", ATTACH_ROOT);
  if (!m_entries) return 0;
  std::vector<BackupFiles> files = PairBackupFiles(regularFilesIn(m_folder));
  // Listing order differs from run to run; the number order is the order of storing.
  std::sort(files.begin(), files.end(), [](const BackupFiles& a, const BackupFiles& b) {
    int64_t na = StoredNumberOf(a.stored), nb = StoredNumberOf(b.stored);
    return na != nb ? na < nb : a.stored < b.stored;
  });
  for (const BackupFiles& file : files) {
    DataNode* entry =
        CreateNode(m_entries, JoinPath(file.stored, m_folder).c_str(), ATTACH_LAST_CHILD);
    if (!entry) continue;
    entry->kind = file.compressed ? kBackupEntryCompressed : 0;
    // A descriptor that cannot be read leaves the entry without an origin.
    if (!file.descriptor.empty() &&
        ReadAttrLines(JoinPath(file.descriptor, m_folder), &entry->attrs, kSeparator))
      entry->kind |= kBackupEntryDescribed;
    SetDesc(entry, OriginalNameOf(file.stored, file.compressed));
  }
  return 1;
}

DataNode* BackupStore::Entries(bool reload) {
  if (reload || !m_entries) LoadEntries();
  return m_entries;
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
    return fail("cannot store " + name + " in the backup folder: " +
                (why.empty() ? "cannot create " + JoinPath(file, m_folder) : why));
  };
  for (int64_t number = 1; number < INT64_MAX; ++number) {
    const std::string storedName = StoredName(number, name, compressed);
    const std::string descriptorName = DescriptorNameOf(storedName, compressed);
    *stored = JoinPath(storedName, m_folder);
    *descriptor = JoinPath(descriptorName, m_folder);
    if (!ClaimFileName(*descriptor)) {
      if (exists(*descriptor)) continue;
      return cannotCreate(descriptorName);
    }
    if (!ClaimFileName(*stored)) {
      RemoveStoredFile(*descriptor);
      if (exists(*stored)) continue;
      return cannotCreate(storedName);
    }
    const std::vector<std::string> rivals = PairingRivals(storedName, compressed);
    if (std::none_of(rivals.begin(), rivals.end(),
                     [&](const std::string& r) { return exists(JoinPath(r, m_folder)); }))
      return true;
    RemoveStoredFile(*stored);
    RemoveStoredFile(*descriptor);
  }
  return fail("no free number for " + name + " in the backup folder");
}

bool BackupStore::archiveHolds(ZipFileInterface* zip, const std::string& archive, int64_t size) {
  if (!zip->ZipOpen(archive.c_str()) || !zip->ZipFirst()) return false;
  ZipEntry* entry = zip->ZipGetEntry();
  bool ok = entry && entry->size64 == size && !zip->ZipNext();
  if (entry) entry->Release();
  zip->ZipClose();
  return ok;
}

// Writes the archive over the empty file claimed for it.
bool BackupStore::compressTo(const std::string& source, const std::string& name,
                             const std::string& archive, int64_t size) {
  ZipFileInterface* zip = m_zip ? m_zip->AcquireZipInterface() : nullptr;
  if (!zip) {
    m_compress = false;
    return false;
  }
  bool done = false;
  try {
    if (zip->ZipCreate(archive.c_str(), 0)) {
      bool added = zip->ZipAddFile(source.c_str(), name.c_str(), 0);
      // A commit that failed (a full disk) must not count as a stored copy.
      bool committed = zip->ZipCommit(archive.c_str());
      done = added && committed && archiveHolds(zip, archive, size);
    }
  } catch (...) {
    done = false;
  }
  m_zip->ReleaseZipInterface(zip);
  return done;
}

int BackupStore::AddToBackup(const std::string& sourcePath, const char* comment) {
  m_lastDone = false;
  m_problem.clear();
  m_lastStored.clear();
  const std::string source = AbsolutePath(sourcePath);
  PathStatus st;
  if (!StatPath(source, &st, false) || !st.regular)
    return answerWith(0, source + (st.exists ? " is not a regular file" : " does not exist"));
  if (!Entries(false)) return answerWith(0, "the backup folder " + m_folder + " cannot be listed");
  std::string sourceFolder, name;
  SplitPath(source, &sourceFolder, &name);
  std::string stored, descriptor;
  bool compressed = m_compress && m_zip;
  bool stopped = false;
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
    if (done) break;
    RemoveStoredFile(stored);
    RemoveStoredFile(descriptor);
    if (stopped) return answerWith(0, "the backup of " + source + " was cancelled");
    if (!compressed) {
      const std::string why = WhyCannotCreateIn(m_folder, FileNameOf(stored));
      return answerWith(0, "cannot copy " + source + " to the backup folder" +
                               (why.empty() ? std::string() : ": " + why));
    }
  }
  AddOwnerWrite(stored);
  DataNode* entry = CreateNode(m_entries, stored.c_str(), ATTACH_LAST_CHILD);
  if (entry) {
    entry->kind = (compressed ? kBackupEntryCompressed : 0) | kBackupEntryDescribed;
    SetDesc(entry, name);
    setText(entry, "location", sourceFolder);
    setText(entry, "placed", PlacedText(FileTimeNow()));
    setText(entry, "modified", ModifiedText(st.modified));
    setText(entry, "type", BackupTypeOf(name));
    setText(entry, "size", std::to_string(st.size));
    setText(entry, "comment", DescriptorComment(comment ? comment : ""));
  }
  std::string error;
  AttrList written;
  // "Stored" only for a copy that is there with a descriptor that reads back as written.
  bool ok = entry && WriteAttrLines(descriptor, entry->attrs, kSeparator, &error) &&
            ReadAttrLines(descriptor, &written, kSeparator, &error) &&
            written.Count() == entry->attrs.Count() && StatPath(stored, &st, false) && st.regular;
  std::string unkept;  // a fact that was written but reads back otherwise
  for (int i = 0; ok && i < written.Count(); ++i) {
    ok = written.ValueAt(i).FullText() == entry->attrs.ValueAt(i).FullText();
    if (!ok) unkept = entry->attrs.NameAt(i);
  }
  if (!ok) {
    // Half an entry would be listed without its origin: take the new files back.
    DeleteNode(entry);
    RemoveStoredFile(descriptor);
    RemoveStoredFile(stored);
    // The descriptor keeps a fact a line: a folder name with a line break in it cannot
    // be kept, and saying so tells the user what to rename.
    if (!unkept.empty())
      return answerWith(0, "cannot keep the " + unkept + " of " + source +
                               " in the backup folder: it holds a line break");
    return answerWith(0, "cannot write the descriptor " + descriptor +
                             (error.empty() ? std::string() : ": " + error));
  }
  m_lastStored = stored;
  m_lastDone = true;
  return 1;
}

bool BackupStore::extract(ZipFileInterface* zip, const std::string& archive, std::string* extracted,
                          std::string* scratch) {
  const std::string shown = FileNameOf(archive);
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
    return fail("the archive " + shown + " names its file \"" + memberName +
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
    return fail("the stored copy " + *source + " is missing");
  }
  ZipFileInterface* zip = m_zip ? m_zip->AcquireZipInterface() : nullptr;
  if (!zip) {
    m_questions.ShowMessage(kZipInitErrorText, kErrorCaption, MB_OK);
    *answer = 0;
    return fail("the zip plug-in, needed to unpack " + FileNameOf(*source) + ", cannot be loaded");
  }
  std::string extracted;
  bool ok = false;
  try {
    ok = extract(zip, *source, &extracted, scratch);
  } catch (...) {
    ok = fail("the archive " + FileNameOf(*source) + " cannot be unpacked");
  }
  zip->ZipClose();
  m_zip->ReleaseZipInterface(zip);
  *source = ok ? extracted : std::string();
  return ok;
}

// Where a restore goes: the entry's original place, or another one the user chooses when
// that place is now a folder.
bool BackupStore::restorePlace(DataNode* entry, std::string* destination) {
  const std::string stored = FileNameOf(entry->Name());
  if (!IsDescribedEntry(entry))
    return fail(stored + " has no descriptor of its own, so its original place is unknown");
  const std::string location = entry->attrs.ValueOf("location").FullText();
  const std::string desc = entry->Desc();
  if (location.empty() || location.front() != '/')
    return fail("the original place \"" + location + "\" of " + stored +
                " is not an absolute path");
  if (hasParentStep(location))
    return fail("the original place \"" + location + "\" of " + stored + " contains \"..\"");
  if (!isPlainFileName(desc))
    return fail("the stored name " + stored + " gives no file name to restore to");
  *destination = JoinPath(desc, location);
  if (PathKind(*destination) == PATH_FOLDER) {
    const std::string title = *destination + " is now a folder: choose another place for " + desc;
    std::string chosen = desc;
    if (!m_questions.ChooseFileToSave("", "", "", location, title, true, &chosen) || chosen.empty())
      return fail(*destination + " is now a folder, and no other place was chosen");
    if (chosen.front() != '/' || hasParentStep(chosen))
      return fail("the chosen place \"" + chosen + "\" is not an absolute path without \"..\"");
    if (PathKind(chosen) == PATH_FOLDER) return fail("the chosen place " + chosen + " is a folder");
    *destination = chosen;
  }
  std::string folder, name;
  SplitPath(*destination, &folder, &name);
  const std::string why = WhyCannotCreateIn(folder, name);
  if (!why.empty()) return fail("cannot restore to " + *destination + ": " + why);
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
  if (stopped) return fail("the copy to " + destination + " was cancelled");
  if (taken && exists(destination))
    return fail(destination + " is already there and was kept as it is");
  std::string folder, name;
  SplitPath(destination, &folder, &name);
  const std::string why = WhyCannotCreateIn(folder, name);
  return fail("cannot copy to " + destination + ": " +
              (why.empty() ? "the copy failed (is the disk full?)" : why));
}

int BackupStore::RestoreEntry(DataNode* entry) {
  m_lastDone = false;
  m_problem.clear();
  if (!entry || m_folder.empty()) return answerWith(1, "no backup entry was given");
  std::string destination;
  if (!restorePlace(entry, &destination)) return 1;
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
      fail("the copy is back at " + destination + ", but the stored copy could not be moved " +
           "to the trash");
  }
  RemoveScratchFolder(scratch);
  LoadEntries();
  return answer;
}

int BackupStore::CopyEntryTo(DataNode* entry, const std::string& folder) {
  m_lastDone = false;
  m_problem.clear();
  if (!entry || folder.empty()) return answerWith(1, "no backup entry or folder was given");
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
  if (!entry) return 0;
  const std::string stored = entry->Name();
  const std::string descriptor = descriptorOf(entry);
  std::string folder, name;
  SplitPath(stored, &folder, &name);
  if (!ShellDelete(&m_questions, name, folder, false)) {
    const std::string why = WhyCannotCreateIn(folder, name);
    return answerWith(0,
                      "cannot move " + stored + " to the trash" + (why.empty() ? "" : ": " + why));
  }
  if (!descriptor.empty() && exists(descriptor)) {
    SplitPath(descriptor, &folder, &name);
    ShellDelete(&m_questions, name, folder, false);
  }
  LoadEntries();
  return 1;
}

int BackupStore::DeleteAllEntries() {
  const std::vector<std::string> names = regularFilesIn(m_folder);
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
