// BackupStore: the backup folder, where files moved out of the way are kept (plainly or
// compressed by the zip plug-in) beside a descriptor of where they came from, and from
// where they are restored, copied or deleted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/questions.h"
#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "platform/file_ops.h"
#include "platform/path_status.h"

namespace tf {

class FolderLock;
class ZipPlugin;
class ZipFileInterface;

// Texts shown by the store.
constexpr const char* kZipInitErrorText =
    "Error initializing Zip library.\nPlease contact tech support at "
    "the Twinfold issue tracker";
constexpr const char* kBackupErrorText = "Error during backup operation";
constexpr const char* kErrorCaption = "Error";

// Bits of an entry node's `kind`: how its copy is stored, and whether it has a descriptor
// of its own (without one its origin is unknown and it is never restored).
constexpr int32_t kBackupEntryCompressed = 1;
constexpr int32_t kBackupEntryDescribed = 2;

inline bool IsCompressedEntry(const DataNode* entry) {
  return (entry->kind & kBackupEntryCompressed) != 0;
}
inline bool IsDescribedEntry(const DataNode* entry) {
  return (entry->kind & kBackupEntryDescribed) != 0;
}

inline constexpr char kBrowseCaption[] = "Browse original folder";

class BackupStore {
 public:
  // `questions` answers the copy's collision questions and shows the store's messages;
  // `zip` may be null (no plug-in: backups are plain copies). Neither is owned.
  BackupStore(Questions& questions, ZipPlugin* zip);
  ~BackupStore();
  BackupStore(const BackupStore&) = delete;
  BackupStore& operator=(const BackupStore&) = delete;

  // Forgets the old folder and entries and keeps `path` (none when empty). 1 when it is
  // an existing folder.
  int SetFolder(const std::string& path);
  // Rebuilds the entries from the folder: one child of "backup_files" per stored copy
  // (by number, then name), named by its full path, desc = its original name, the
  // descriptor's lines as attributes. 1 when a folder is set.
  int LoadEntries();
  // The "backup_files" root, loaded first when asked or not yet loaded; null without a
  // folder. Every reload deletes the entry nodes handed out before.
  DataNode* Entries(bool reload);
  // Counts the loads and folder changes: a view that holds on to entries refills when it has
  // changed.
  uint64_t LoadCount() const { return m_loads; }

  // Stores a copy of the file and its descriptor, both written and flushed before it
  // answers 1. The number is claimed by creating the new names exclusively, so that runs
  // at the same time (other processes too) never share one; the entry counts once its
  // descriptor is written, the last step. A file replaced or written to while it was
  // copied fails the add. On failure, or when the program is killed meanwhile, nothing
  // listed is left in the folder and no entry is added. `comment` may be null.
  int AddToBackup(const std::string& sourcePath, const char* comment);
  // Whether `path` is still the very file the last add stored (the same device, inode,
  // size and time): asked just before the original leaves its place. When it is not, that
  // add is taken back (its files removed, its entry dropped), LastProblem says why, and
  // the caller keeps the original.
  bool OriginalIsStoredFile(const std::string& path);
  // Copies the entry back to its original place (a taken name is asked about; a place
  // that is now a folder asks for another one) and, when that worked, moves the stored
  // files to the trash and reloads. Refused before anything is copied: an entry without
  // a descriptor, an original place that is relative, holds ".." or passes through a
  // symbolic link, a stored name that gives no file name, and a backup folder the stored
  // files cannot leave. The restored entry is dropped, the others stay as loaded. 0 only when a
  // compressed entry met a missing zip plug-in; else 1, also when nothing was restored
  // (see LastActionDone and LastProblem).
  int RestoreEntry(DataNode* entry);
  // Copies the entry into `folder` and keeps it; answers as RestoreEntry.
  int CopyEntryTo(DataNode* entry, const std::string& folder);
  // Moves the entry's stored copy and its own descriptor to the trash and drops the entry
  // (the other entries stay as loaded); 1 when the stored copy went.
  int DeleteEntry(DataNode* entry);
  // Moves every file of the backup folder to the trash (files that are no entry too)
  // and reloads. Always 1.
  int DeleteAllEntries();
  // testOnly: 1 when the entry's "location" is an existing folder. Otherwise shows that
  // folder through the browse hook and answers its result; a folder that is gone is
  // told in a message.
  int BrowseEntryFolder(DataNode* entry, bool testOnly);

  // Whether the last Add, Restore, Copy or Delete did its work; when not, why (a sentence
  // naming the file and the cause), and the stored copy the last Add made.
  bool LastActionDone() const { return m_lastDone; }
  const std::string& LastProblem() const { return m_problem; }
  const std::string& LastStoredPath() const { return m_lastStored; }
  const std::string& Folder() const { return m_folder; }
  bool Compress() const { return m_compress; }
  // Runs one of the store's long file steps (packing or copying a file in, unpacking and
  // copying it out, trashing the whole folder); the window program runs them off its
  // thread with a progress dialog. The step is told how far a copy has got and is
  // stopped, leaving nothing half-written, when the callback answers false. Without a
  // runner a step runs at once.
  using StepRunner = std::function<bool(const std::function<bool(const CopyProgress&)>& step)>;
  void SetStepRunner(StepRunner runner) { m_runner = std::move(runner); }
  // How BrowseEntryFolder opens a folder; the program sets it from the browse option.
  void SetBrowseHook(std::function<bool(const std::string& folder)> hook) {
    m_browse = std::move(hook);
  }

 private:
  // Keep `problem` as the reason of the failure; answer false, or `answer`.
  bool fail(const std::string& problem);
  int answerWith(int answer, const std::string& problem);
  bool claimNumber(const std::string& name, bool compressed, std::string* stored,
                   std::string* descriptor);
  bool compressTo(const std::string& source, const std::string& name, const std::string& archive,
                  int64_t size);
  bool archiveHolds(ZipFileInterface* zip, const std::string& archive, int64_t size);
  bool restorePlace(DataNode* entry, std::string* destination);
  bool copyOut(const std::string& source, const std::string& destination,
               const CopyProgress& progress);
  bool sourceOf(DataNode* entry, std::string* source, std::string* scratch, int* answer);
  bool extract(ZipFileInterface* zip, const std::string& archive, std::string* extracted,
               std::string* scratch);
  std::string descriptorOf(DataNode* entry) const;
  bool runStep(const std::function<bool(const CopyProgress&)>& step);
  // Every change of the folder begins here: the folder lock is taken shared, after what
  // killed runs left was tidied away when no other program is at work in the folder.
  void beginWrite(FolderLock* lock);
  void tidy();
  bool sameAsStored(const std::string& path) const;
  std::string copyProblem(const std::string& source, const std::string& stored) const;

  Questions& m_questions;
  ZipPlugin* m_zip;
  std::string m_folder;  // empty: none
  NodePtr m_entries;
  uint64_t m_loads = 0;
  bool m_compress = true;
  bool m_lastDone = false;
  std::string m_problem;
  std::string m_lastStored;
  std::string m_lastDescriptor;
  PathStatus m_lastSource;  // the file the last add copied, as it was
  bool m_tidied = false;
  std::function<bool(const std::string&)> m_browse;
  StepRunner m_runner;
};

}  // namespace tf
