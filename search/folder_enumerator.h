// FolderEnumerator: lists one folder at a time for a folder scan, asking the scan's
// filters about every file while the folder is read, under the process-wide lock that
// lets only one folder be listed at a time.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "scan/entry_filter.h"
#include "search/folder_listing.h"

namespace tf {

class FolderLister;
struct FolderHandle;

// Held while a folder is read, so that scans of several folders do not make the disks
// seek between them.
std::mutex& EnumerationLock();

class FolderEnumerator {
 public:
  FolderEnumerator();
  ~FolderEnumerator();
  FolderEnumerator(const FolderEnumerator&) = delete;
  FolderEnumerator& operator=(const FolderEnumerator&) = delete;

  // The filters asked about each file (null: every file is taken); not owned, must
  // outlive the listings. True when not null.
  bool SetFilters(EntryFilter* filters);
  // Off for the walks that read several folders at once on a solid-state disk, where
  // nothing is gained by waiting for the other scans' listings.
  void SetSerialised(bool serialised) { m_serialised = serialised; }
  // A flag that ends a listing part-way when set (the listing is then incomplete and
  // the caller throws it away); null: every listing runs to its end.
  void SetCancel(const std::atomic<bool>* cancel) { m_cancel = cancel; }
  // On: a file whose type the listing gives is listed by its name alone, unread (its
  // size and time are read later, when they can matter); only for filters that judge
  // names only.
  void SetNamesOnly(bool namesOnly) { m_namesOnly = namesOnly; }
  // Fills `out` with the accepted regular files and the sub-folders to enter, in the
  // order the file system gives them. A folder that cannot be listed gives an empty
  // listing and still true; false only without `out`. Files that vanish between the
  // listing and their stat are left out. Pseudo file systems and trash folders are
  // never offered as sub-folders; symbolic links are neither followed nor recorded.
  bool List(const std::string& folder, FolderListing* out);
  // The same for a folder a walk holds open; its sub-folders are then entered with
  // Enter (1 opened, 0 cannot be opened: counts as empty, -1 never to be entered).
  bool List(const FolderHandle& folder, const std::string& path, FolderListing* out);
  bool OpenRoot(const std::string& path, FolderHandle* out);
  int Enter(const FolderHandle& parent, const std::string& name, const std::string& path,
            FolderHandle* out);
  // Opens the folder `relative` below the open folder `root` in one step, for listing it
  // ahead of the walk: 1 opened, 0 cannot be opened, -1 never to be entered.
  int OpenBelow(const FolderHandle& root, const std::string& relative, FolderHandle* out);

 private:
  bool listOpen(FolderListing* out);

  std::unique_ptr<FolderLister> m_lister;  // reused for every folder
  EntryFilter* m_filters = nullptr;
  bool m_serialised = true;
  bool m_namesOnly = false;
  const std::atomic<bool>* m_cancel = nullptr;
};

}  // namespace tf
