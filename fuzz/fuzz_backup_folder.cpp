// Lays any bytes out as a backup folder (file names and their contents: stored copies and
// descriptor lines together) in a scratch folder, then lists it through the real store and
// looks every entry up by name as the command line does. An entry's descriptor must be
// its own: never shared, never another entry's copy, and never paired while a file that
// could also claim it is there. Every stored name must lead back to its entry.
//
// Input: records separated by a NUL byte, alternating name and content; a name holding
// '/' or that is empty, "." or ".." is skipped with its content.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/questions.h"
#include "base/silent_questions.h"
#include "cli/backup_output.h"
#include "results/backup_names.h"
#include "results/backup_store.h"
#include "results/links_history.h"

namespace {

constexpr size_t kMaxFiles = 64;
constexpr size_t kMaxNameBytes = 200;

const std::string& scratchFolder() {
  static const std::string folder = [] {
    std::string pattern = "/tmp/fuzz-backup-folder-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}

void emptyFolder(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) std::abort();
  while (const dirent* e = readdir(dir))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
      unlinkat(dirfd(dir), e->d_name, 0);
  closedir(dir);
}

void writeFile(const std::string& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) < 0) {
  }
  close(fd);
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& folder = scratchFolder();
  emptyFolder(folder);
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> records;
  for (size_t start = 0; start <= input.size();) {
    size_t end = input.find('\0', start);
    if (end == std::string_view::npos) end = input.size();
    records.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  std::set<std::string> present;
  for (size_t i = 0; i < records.size() && present.size() < kMaxFiles; i += 2) {
    const std::string name(records[i].substr(0, kMaxNameBytes));
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
      continue;
    writeFile(folder + "/" + name, i + 1 < records.size() ? records[i + 1] : std::string_view());
    present.insert(name);
  }

  tf::SilentQuestions questions(tf::IDCANCEL);
  tf::BackupStore store(questions, nullptr);
  check(store.SetFolder(folder) == 1);
  tf::DataNode* entries = store.Entries(true);
  check(entries != nullptr);

  std::set<std::string> stored, descriptors;
  for (tf::DataNode* e = entries->FirstChild(); e; e = e->Next()) {
    const std::string name = tf::FileNameOf(e->Name());
    check(present.count(name) == 1);
    check(stored.insert(name).second);
    if (!tf::IsDescribedEntry(e)) {
      check(e->attrs.Count() == 0);
      continue;
    }
    const std::string descriptor = tf::DescriptorNameOf(name, tf::IsCompressedEntry(e));
    check(present.count(descriptor) == 1);
    check(descriptors.insert(descriptor).second);
    for (const std::string& rival : tf::PairingRivals(name, tf::IsCompressedEntry(e)))
      check(present.count(rival) == 0);
  }
  for (const std::string& d : descriptors) check(stored.count(d) == 0);

  for (tf::DataNode* e = entries->FirstChild(); e; e = e->Next()) {
    std::string problem;
    check(tf::FindBackupEntry(entries, tf::FileNameOf(e->Name()), &problem) == e);
    tf::DataNode* byName = tf::FindBackupEntry(entries, e->Desc(), &problem);
    check(!byName || byName->Desc() == std::string(e->Desc()) ||
          tf::FileNameOf(byName->Name()) == e->Desc() ||
          tf::StoredName(tf::StoredNumberOf(tf::FileNameOf(byName->Name())), byName->Desc(),
                         false) == e->Desc());
  }
  static std::FILE* sink = std::fopen("/dev/null", "w");
  tf::WriteBackupText(entries, sink);
  tf::WriteBackupJson(entries, sink);
  return 0;
}
