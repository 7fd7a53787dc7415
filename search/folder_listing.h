// FolderListing: the files a folder listing accepted and the sub-folders it found, kept
// compactly (one text buffer for every name) because a folder may hold a million files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

class FolderListing {
 public:
  struct File {
    size_t nameOffset = 0;
    size_t nameLength = 0;
    int64_t size = 0;
    int64_t modified = 0;  // last-write time, 100 ns since 1601 UTC
    uint32_t links = 0;    // names of the file; 0 unknown
    // Known by its name only: size, time and names are read once another file shares
    // its key.
    bool unread = false;
  };
  struct Folder {
    size_t nameOffset = 0;
    size_t nameLength = 0;
  };

  void Clear();
  void AddFile(std::string_view name, int64_t size, int64_t modified, uint32_t links = 0);
  void AddUnreadFile(std::string_view name);
  void AddFolder(std::string_view name);
  // Keeps the first of files listed under one name: a file removed and made again while
  // its folder is read can be listed twice, and one file must never become two members
  // of a group.
  void DropRepeatedFiles();

  const std::vector<File>& files() const { return m_files; }
  const std::vector<Folder>& folders() const { return m_folders; }
  std::string_view NameOf(const File& file) const {
    return std::string_view(m_names).substr(file.nameOffset, file.nameLength);
  }
  std::string_view NameOf(const Folder& folder) const {
    return std::string_view(m_names).substr(folder.nameOffset, folder.nameLength);
  }

 private:
  std::string m_names;
  std::vector<File> m_files;
  std::vector<Folder> m_folders;
  std::vector<uint32_t> m_slots;  // open addressing over the files, reused
};

}  // namespace tf
